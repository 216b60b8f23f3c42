#pragma once

#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

// Sizes of the screen and of standard window parts, in pixels. The system's figures come from the primary screen
// and the style; tests install a source that pretends any screen.
class TNEScreenMetrics
{
public:
    virtual ~TNEScreenMetrics() = default;

    // The primary screen; empty while there is no screen.
    virtual QSize ScreenSize() const;
    // The primary screen without task bars and panels.
    virtual QRect WorkArea() const;
    // Width of the sizing frame around a window, which list and drop-down widths allow for.
    virtual int FrameWidth() const;
    // Width of a vertical scroll bar and height of a horizontal one.
    virtual int ScrollBarWidth() const;
    virtual int ScrollBarHeight() const;
};

TNEScreenMetrics& ScreenMetrics();
// Installs Metrics (not owned) for every later query; nullptr restores the system's. Returns the one before.
TNEScreenMetrics* InstallScreenMetrics(TNEScreenMetrics* Metrics);

// Shows the hourglass cursor for its lifetime and restores the cursor before it, however the scope is left.
class TNEHourglass
{
public:
    TNEHourglass();
    ~TNEHourglass();
    TNEHourglass(const TNEHourglass&) = delete;
    TNEHourglass& operator=(const TNEHourglass&) = delete;
};

// Puts Text on the clipboard. A secret (a password) is marked so that clipboard managers do not keep a history
// of it.
void CopyTextToClipboard(const QString& Text, bool IsSecret = false);
QString ClipboardText();
// Takes the secret CopyTextToClipboard put on the clipboard off it again and zeroes its text, while the clipboard
// still holds it; whatever was copied since stays.
void ClearSecretFromClipboard();

// Opens a web address in the user's browser; false when no browser could be started.
bool OpenWebAddress(const QString& Address);

// Width of Text in pixels in the widget's font.
int TextWidth(const QWidget& Widget, const QString& Text);
