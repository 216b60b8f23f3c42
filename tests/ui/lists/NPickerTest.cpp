#include "ui/lists/NPicker.h"

#include "foundation/NFieldList.h"
#include "tests/support/ui/ApplicationFixture.h"
#include "tests/support/ui/ModalDriver.h"

#include <QPushButton>
#include <QTest>

#include <functional>

namespace {

using NPicker = TApplicationFixture;

void Press(Qt::Key Key)
{
    QTest::keyClick(QApplication::focusWidget(), Key);
}

// Runs Work in the next dialog once it is active; Work closes it.
void AnswerWith(TModalDriver& Driver, std::function<void()> Work)
{
    Driver.Answer([Work = std::move(Work)](QWidget& dialog) {
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        Work();
    });
}

} // namespace

TEST_F(NPicker, ShowsTheEntriesSortedAndReturnsThePlaceOfTheOneChosen)
{
    const QString entries = JoinItems({"pear", "apple; green", "fig"});
    const struct
    {
        int OwnerHeight;
        int InitialIndex;
        Qt::Key Key;
        QString Focused;
        int Chosen;
        QSize Size;
    } cases[] = {
        {1200, 0, Qt::Key_Return, "pear", 0, {400, 900}},
        {300, 0, Qt::Key_Up, "fig", 2, {400, 400}},
        {700, 7, Qt::Key_Space, "apple; green", 1, {400, 525}},
        {700, 2, Qt::Key_F5, "apple; green", 1, {400, 525}},
        {700, 1, Qt::Key_Escape, "apple; green", -1, {400, 525}},
        {700, 1, Qt::Key_unknown, "apple; green", 0, {400, 525}}, // a press on pear
    };
    for (const auto& c : cases) {
        TNEForm owner;
        owner.resize(600, c.OwnerHeight);
        TNEPicker picker(&owner);
        EXPECT_EQ(picker.Form().windowTitle(), QStringLiteral("Pick"));
        TModalDriver driver;
        AnswerWith(driver, [&] {
            EXPECT_EQ(picker.Form().size(), c.Size);
            EXPECT_EQ(picker.ListView().geometry().size() + QSize(2, 2), c.Size - QSize(16, 50));
            EXPECT_EQ(picker.OkButton()->pos(), QPoint(196, c.Size.height() - 34));
            EXPECT_EQ(picker.ListView().Model().Item(0).Caption(), QStringLiteral("apple; green")) << "sorted";
            if (c.Key == Qt::Key_Up || c.Key == Qt::Key_F5)
                Press(c.Key);
            EXPECT_EQ(picker.ListView().Model().Item(picker.ListView().FocusedItem()).Caption(), c.Focused);
            if (c.Key == Qt::Key_unknown) {
                TNEListView& list = picker.ListView();
                QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                                  list.visualRect(list.Model().index(2, 0)).center());
                return;
            }
            Press(c.Key == Qt::Key_Up || c.Key == Qt::Key_F5 ? Qt::Key_Return : c.Key);
        });
        EXPECT_EQ(picker.Execute(c.InitialIndex, entries), c.Chosen) << c.Key;
    }
    TNEPicker empty;
    TModalDriver driver;
    AnswerWith(driver, [&] {
        EXPECT_FALSE(empty.OkButton()->isEnabled()) << "nothing to pick";
        Press(Qt::Key_Return);
        EXPECT_TRUE(empty.Form().isVisible());
        Press(Qt::Key_Escape);
    });
    EXPECT_EQ(empty.Execute(0, QString()), -1);
}
