#include "ui/platform/NDesktop.h"

#include "tests/support/ui/ApplicationFixture.h"
#include "tests/support/ui/FakeScreen.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QMimeData>
#include <QStyle>
#include <QUrl>

#include <stdexcept>

namespace {

using NDesktop = TApplicationFixture;

// Receives the addresses the desktop would open.
class TUrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> Opened;

public slots:
    void Open(const QUrl& Url) { Opened.append(Url); }
};

Qt::CursorShape CurrentCursor()
{
    const QCursor* cursor = QApplication::overrideCursor();
    return cursor ? cursor->shape() : Qt::BitmapCursor;
}

} // namespace

TEST_F(NDesktop, HourglassRestoresThePreviousCursorHoweverTheScopeEnds)
{
    QApplication::setOverrideCursor(Qt::IBeamCursor);
    try {
        TNEHourglass outer;
        EXPECT_EQ(CurrentCursor(), Qt::WaitCursor);
        {
            TNEHourglass inner;
            EXPECT_EQ(CurrentCursor(), Qt::WaitCursor);
        }
        EXPECT_EQ(CurrentCursor(), Qt::WaitCursor);
        throw std::runtime_error("long operation failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(CurrentCursor(), Qt::IBeamCursor);
    QApplication::restoreOverrideCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(NDesktop, ScreenMetricsComeFromTheInstalledSource)
{
    const QSize system = ScreenMetrics().ScreenSize();
    EXPECT_FALSE(system.isEmpty()) << "the offscreen platform has a primary screen";
    const QStyle& style = *QApplication::style();
    EXPECT_EQ(ScreenMetrics().FrameWidth(), style.pixelMetric(QStyle::PM_MdiSubWindowFrameWidth))
        << "the sizing frame of a window, not the border of a framed control";
    EXPECT_NE(style.pixelMetric(QStyle::PM_MdiSubWindowFrameWidth), style.pixelMetric(QStyle::PM_DefaultFrameWidth));
    EXPECT_EQ(ScreenMetrics().ScrollBarWidth(), style.pixelMetric(QStyle::PM_ScrollBarExtent));
    EXPECT_GT(ScreenMetrics().ScrollBarWidth(), 0);
    {
        TFakeScreen screen(QSize(1024, 768));
        screen.Work = QRect(0, 0, 1024, 728);
        EXPECT_EQ(ScreenMetrics().ScreenSize(), QSize(1024, 768));
        EXPECT_EQ(ScreenMetrics().WorkArea(), QRect(0, 0, 1024, 728));
        EXPECT_EQ(ScreenMetrics().FrameWidth(), 4);
        EXPECT_EQ(ScreenMetrics().ScrollBarHeight(), 17);
    }
    EXPECT_EQ(ScreenMetrics().ScreenSize(), system) << "the system's metrics are back";
}

TEST_F(NDesktop, ClipboardHoldsTextAndMarksSecrets)
{
    CopyTextToClipboard(QStringLiteral("site.example"));
    EXPECT_EQ(ClipboardText(), QStringLiteral("site.example"));
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("x-kde-passwordManagerHint")));

    CopyTextToClipboard(QStringLiteral("s3cret"), true);
    EXPECT_EQ(ClipboardText(), QStringLiteral("s3cret"));
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("x-kde-passwordManagerHint")),
              QByteArrayLiteral("secret"));
}

TEST_F(NDesktop, OpensWebAddressesThroughTheDesktop)
{
    TUrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "Open");
    EXPECT_TRUE(OpenWebAddress(QStringLiteral("https://fenk.example/")));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    ASSERT_EQ(catcher.Opened.size(), 1);
    EXPECT_EQ(catcher.Opened[0], QUrl(QStringLiteral("https://fenk.example/")));
}

TEST_F(NDesktop, TextWidthGrowsWithTheTextAndTheFont)
{
    QWidget widget;
    EXPECT_EQ(TextWidth(widget, QString()), 0);
    const int small = TextWidth(widget, QStringLiteral("Open..."));
    EXPECT_GT(small, 0);
    EXPECT_GT(TextWidth(widget, QStringLiteral("Open...Open...")), small);
    QFont larger = widget.font();
    larger.setPixelSize(larger.pixelSize() > 0 ? larger.pixelSize() * 3 : 40);
    widget.setFont(larger);
    EXPECT_GT(TextWidth(widget, QStringLiteral("Open...")), small);
}

#include "NDesktopTest.moc"
