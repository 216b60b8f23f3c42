#include "ui/platform/NApplication.h"

#include "foundation/NException.h"
#include "tests/support/ui/ApplicationFixture.h"

#include <QEvent>

#include <functional>
#include <stdexcept>

namespace {

using NApplication = TApplicationFixture;

NE_DECLARE_ERROR(ETestErr, ENEException, "Test error");

// Throws from its event handler, as a command's handler may.
class TThrowingObject : public QObject
{
public:
    std::function<void()> Throw;
    int Delivered = 0;

protected:
    bool event(QEvent* Event) override
    {
        if (Event->type() != QEvent::User)
            return QObject::event(Event);
        ++Delivered;
        Throw();
        return true;
    }
};

} // namespace

TEST_F(NApplication, DefaultHandlerShowsTheMessageTitledWithTheApplicationTitle)
{
    struct Case
    {
        std::function<void()> Throw;
        const char* Shown; // nullptr: nothing is shown
    };
    const Case cases[] = {
        {[] { throw ENEAbort(); }, nullptr},
        {[] { throw ETestErr(); }, "Test error."},
        {[] { throw ETestErr(QStringLiteral("Done.")); }, "Done."},
        {[] { throw ETestErr(QStringLiteral("Why?")); }, "Why?."},
        {[] { throw ETestErr(QStringLiteral("Stop!")); }, "Stop!"},
        {[] { throw ETestErr(QStringLiteral("Range -")); }, "Range -"},
        {[] { throw ETestErr(QStringLiteral("Caf\u00e9")); }, "Caf\u00e9."},
        {[] { throw std::runtime_error("plain failure"); }, "plain failure."},
        {[] { throw 42; }, "Unexpected error."},
    };
    Application().SetTitle(QStringLiteral("Fenk"));
    TThrowingObject receiver;
    for (const Case& c : cases) {
        Presenter.Clear();
        receiver.Throw = c.Throw;
        QEvent event(QEvent::User);
        EXPECT_FALSE(QCoreApplication::sendEvent(&receiver, &event));
        if (!c.Shown) {
            EXPECT_TRUE(Presenter.Messages().empty());
            continue;
        }
        ASSERT_EQ(Presenter.Messages().size(), 1u) << c.Shown;
        EXPECT_EQ(Presenter.Messages()[0].Title, QStringLiteral("Fenk"));
        EXPECT_EQ(Presenter.Messages()[0].Text, QString::fromUtf8(c.Shown));
    }
    EXPECT_EQ(receiver.Delivered, static_cast<int>(std::size(cases))) << "the program keeps delivering events";
}

TEST_F(NApplication, TitleIsTheApplicationTitle)
{
    Application().SetTitle(QStringLiteral("Vault"));
    EXPECT_EQ(ApplicationTitle(), QStringLiteral("Vault"));
    TThrowingObject receiver;
    receiver.Throw = [] { throw ETestErr(); };
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&receiver, &event);
    ASSERT_EQ(Presenter.Messages().size(), 1u);
    EXPECT_EQ(Presenter.Messages()[0].Title, QStringLiteral("Vault"));
    Application().SetTitle(QStringLiteral("Fenk"));
}

TEST_F(NApplication, EventHandlerWorkReportsItsExceptionWithoutUnwindingFurther)
{
    RunEventHandler([] { throw ETestErr(); });
    RunEventHandler([] { throw ENEAbort(); });
    ASSERT_EQ(Presenter.Messages().size(), 1u);
    EXPECT_EQ(Presenter.Messages()[0].Text, QStringLiteral("Test error."));
}
