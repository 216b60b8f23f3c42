#include "ui/platform/NDesktop.h"

#include "foundation/NSecureBuffer.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QMimeData>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QUrl>
#include <QWidget>

#include <memory>

namespace {

TNEScreenMetrics SystemMetrics;
TNEScreenMetrics* InstalledMetrics = &SystemMetrics;
// The data of the last secret copied; the clipboard owns it and deletes it when anything else is copied.
QPointer<QMimeData> CopiedSecret;

const QScreen* PrimaryScreen()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen() : nullptr;
}

int StyleMetric(QStyle::PixelMetric Metric)
{
    return QApplication::style()->pixelMetric(Metric);
}

} // namespace

QSize TNEScreenMetrics::ScreenSize() const
{
    const QScreen* screen = PrimaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

QRect TNEScreenMetrics::WorkArea() const
{
    const QScreen* screen = PrimaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

int TNEScreenMetrics::FrameWidth() const
{
    // The style's frame of a window, not the border of a framed control (PM_DefaultFrameWidth).
    return StyleMetric(QStyle::PM_MdiSubWindowFrameWidth);
}

int TNEScreenMetrics::ScrollBarWidth() const
{
    return StyleMetric(QStyle::PM_ScrollBarExtent);
}

int TNEScreenMetrics::ScrollBarHeight() const
{
    return StyleMetric(QStyle::PM_ScrollBarExtent);
}

TNEScreenMetrics& ScreenMetrics()
{
    return *InstalledMetrics;
}

TNEScreenMetrics* InstallScreenMetrics(TNEScreenMetrics* Metrics)
{
    TNEScreenMetrics* previous = InstalledMetrics;
    InstalledMetrics = Metrics ? Metrics : &SystemMetrics;
    return previous;
}

TNEHourglass::TNEHourglass()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TNEHourglass::~TNEHourglass()
{
    QApplication::restoreOverrideCursor();
}

void CopyTextToClipboard(const QString& Text, bool IsSecret)
{
    auto data = std::make_unique<QMimeData>();
    data->setText(Text);
    if (IsSecret)
        data->setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
    CopiedSecret = IsSecret ? data.get() : nullptr;
    QGuiApplication::clipboard()->setMimeData(data.release()); // the clipboard takes the data
}

void ClearSecretFromClipboard()
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!CopiedSecret || clipboard->mimeData() != CopiedSecret)
        return;
    // The text shares the data's storage; once the clipboard has deleted the data, it is the last holder.
    TNESecureText text(CopiedSecret->text());
    clipboard->clear();
    text.Burn();
}

QString ClipboardText()
{
    return QGuiApplication::clipboard()->text();
}

bool OpenWebAddress(const QString& Address)
{
    return QDesktopServices::openUrl(QUrl(Address, QUrl::StrictMode));
}

int TextWidth(const QWidget& Widget, const QString& Text)
{
    return QFontMetrics(Widget.font()).horizontalAdvance(Text);
}
