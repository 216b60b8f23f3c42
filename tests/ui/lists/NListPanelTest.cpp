#include "ui/lists/NListPanel.h"

#include "tests/support/ui/ApplicationFixture.h"
#include "tests/ui/lists/ListWindow.h"
#include "ui/actions/NToolStrip.h"

#include <QLabel>
#include <QLineEdit>

namespace {

using NListPanel = TApplicationFixture;

const std::vector<QStringList> BankAlphaZoo = {{"Bank", "anna", ""}, {"alpha", "bob", ""}, {"Zoo", "ted", ""}};

void Type(QWidget* Control, const QString& Text)
{
    QTest::keyClicks(Control, Text);
}

QPoint CenterOfItem(const TNEListView& List, int Item)
{
    return List.visualRect(List.Model().index(Item, 0)).center();
}

} // namespace

TEST_F(NListPanel, TypingFindsFromTheFocusedItemAndF3MovesOnUntilNothingIsLeft)
{
    TListWindow window(BankAlphaZoo);
    window.Show();
    SelectListItem(window.List, 0);
    TNEToolStripButton& findNext = window.Panel->FindNextButton();

    Type(window.List, QStringLiteral("a"));
    ASSERT_TRUE(window.Panel->IsSearchOpen());
    EXPECT_EQ(window.Panel->FindEdit().text(), QStringLiteral("a"));
    EXPECT_EQ(window.Control->SearchText(), QStringLiteral("A"));
    EXPECT_EQ(QApplication::focusWidget(), &window.Panel->FindEdit());
    EXPECT_EQ(window.FocusedCaption(), QStringLiteral("Bank")) << "the focused item counts on a typed search";
    EXPECT_TRUE(findNext.ButtonEnabled());

    QTest::keyClick(&window.Panel->FindEdit(), Qt::Key_F3);
    EXPECT_EQ(window.FocusedCaption(), QStringLiteral("alpha"));
    QTest::keyClick(&window.Panel->FindEdit(), Qt::Key_F3);
    EXPECT_EQ(window.FocusedCaption(), QStringLiteral("alpha")) << "the search does not wrap around";
    EXPECT_EQ(window.List->SelectedItem(), 1);
    EXPECT_FALSE(findNext.ButtonEnabled());
    QTest::mouseClick(&findNext, Qt::LeftButton);
    EXPECT_EQ(window.FocusedCaption(), QStringLiteral("alpha")) << "a disabled button finds nothing";
    EXPECT_TRUE(window.FormKeys == std::vector<TNEShortCut>({0, 0})) << "F3 reached the form's handler consumed";

    QTest::mouseClick(window.List->viewport(), Qt::LeftButton, {}, CenterOfItem(*window.List, 2));
    EXPECT_TRUE(findNext.ButtonEnabled()) << "another item selected enables it again";
    Type(&window.Panel->FindEdit(), QStringLiteral("l"));
    EXPECT_EQ(window.FocusedCaption(), QStringLiteral("Zoo")) << "nothing after Zoo holds AL: it stays";
    EXPECT_FALSE(findNext.ButtonEnabled());
}

TEST_F(NListPanel, OnlyTypedTextAndF3OpenTheFindBar)
{
    const struct
    {
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        bool Opens;
    } cases[] = {{Qt::Key_Space, {}, false},          {Qt::Key_Tab, {}, false}, {Qt::Key_A, Qt::ControlModifier, false},
                 {Qt::Key_Delete, {}, false},         {Qt::Key_F3, {}, true},   {Qt::Key_F3, Qt::ShiftModifier, false},
                 {Qt::Key_Q, Qt::ShiftModifier, true}};
    for (const auto& test : cases) {
        TListWindow window(BankAlphaZoo);
        window.Show();
        SelectListItem(window.List, 1);
        QTest::keyClick(window.List, test.Key, test.Modifiers);
        EXPECT_EQ(window.Panel->IsSearchOpen(), test.Opens) << test.Key;
        EXPECT_EQ(window.List->SelectedItem(), 1) << "nothing found selects nothing new: " << test.Key;
    }
    TListWindow window(BankAlphaZoo);
    window.Show();
    QTest::keyClick(window.List, Qt::Key_F3);
    EXPECT_TRUE(window.Panel->FindEdit().text().isEmpty()) << "F3 with no search opens an empty bar";
    EXPECT_FALSE(window.Panel->FindNextButton().ButtonEnabled());
}

TEST_F(NListPanel, KeysOfTheOpenBarActBeforeTheFormsOwnHandler)
{
    TListWindow window(BankAlphaZoo);
    window.Show();
    SelectListItem(window.List, 0);
    TNEOpaqueEdit& edit = window.Panel->FindEdit();
    Type(window.List, QStringLiteral("b"));
    Type(&edit, QStringLiteral("an"));
    EXPECT_EQ(window.FocusedCaption(), QStringLiteral("Bank"));

    window.FormKeys.clear();
    QTest::keyClick(&edit, Qt::Key_Backspace);
    edit.setCursorPosition(0);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), QStringLiteral("a")) << "Delete and Backspace edit the search";
    EXPECT_TRUE(window.FormKeys == std::vector<TNEShortCut>({0, 0})) << "the form's handler never saw them";

    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_TRUE(window.Panel->IsSearchOpen()) << "Enter leaves the bar open";
    EXPECT_EQ(QApplication::focusWidget(), window.List);
    Type(window.List, QStringLiteral("z"));
    EXPECT_EQ(window.FocusedCaption(), QStringLiteral("Zoo")) << "typing in the list searches again";
    EXPECT_EQ(edit.text(), QStringLiteral("z"));

    QTest::keyClick(&edit, Qt::Key_F5);
    EXPECT_TRUE(edit.text().isEmpty());
    EXPECT_EQ(window.List->SelectedItem(), 0) << "F5 empties the search and selects the first item";

    Type(&edit, QStringLiteral("o"));
    auto* after = new QLineEdit(&window.Form);
    QWidget::setTabOrder(&edit, after);
    after->show();
    QTest::keyClick(&edit, Qt::Key_Escape);
    EXPECT_FALSE(window.Panel->IsSearchOpen());
    EXPECT_TRUE(window.Control->SearchText().isEmpty());
    EXPECT_TRUE(edit.text().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), window.List) << "the list becomes the active control";
    EXPECT_TRUE(window.Form.isVisible()) << "Escape closed the search, not the form";
}

TEST_F(NListPanel, HooksAreUndoneHoweverTheSearchEnds)
{
    enum TEnding
    {
        Closed,
        ControllerDestroyed,
        PanelDestroyed,
        ListAttachedAgain,
    };
    for (const TEnding ending : {Closed, ControllerDestroyed, PanelDestroyed, ListAttachedAgain}) {
        TListWindow window(BankAlphaZoo);
        int selections = 0;
        struct TCounter
        {
            int& Count;
            void Selected(int, bool) { ++Count; }
        } counter{selections};
        const TNEMethod<void(int, bool)> ownHandler(&counter, &TCounter::Selected);
        window.List->OnSelectItem = ownHandler;
        const TNEMethod<void(TNEShortCut&)> formHandler = window.Form.OnKeyDown;
        window.Show();
        Type(window.List, QStringLiteral("z"));
        ASSERT_TRUE(window.Panel->IsSearchOpen());
        EXPECT_TRUE(window.Form.KeyPreview());
        EXPECT_FALSE(window.Form.OnKeyDown == formHandler);
        selections = 0;
        SelectListItem(window.List, 0);
        EXPECT_GT(selections, 0) << "the panel calls the list's own handler on";

        switch (ending) {
        case Closed:
            window.Control->ClearSearch();
            break;
        case ControllerDestroyed:
            window.Control.reset();
            break;
        case PanelDestroyed:
            window.List->setParent(&window.Form);
            delete window.Panel;
            break;
        case ListAttachedAgain:
            window.Panel->AttachList(window.List);
            break;
        }
        EXPECT_TRUE(window.Form.OnKeyDown == formHandler) << ending;
        EXPECT_FALSE(window.Form.KeyPreview()) << ending;
        EXPECT_TRUE(window.List->OnSelectItem == ownHandler) << ending;
        window.Form.SetKeyPreview(true);
        QTest::keyClick(window.List, Qt::Key_Up);
        EXPECT_EQ(window.FormKeys.back(), ShortCut(vkUp)) << "the form's own handler is back: " << ending;
    }
}

TEST_F(NListPanel, TwoFindBarsOfOneFormPassKeysOnWhicheverClosesFirst)
{
    TListWindow window(BankAlphaZoo);
    auto* otherPanel = new TNEListPanel(&window.Form);
    auto* otherList = new TNEListView(otherPanel);
    otherList->Model().AddColumn(QStringLiteral("Name"), 100);
    for (const char* caption : {"one", "two", "three"})
        otherList->Model().AddItem({QString::fromLatin1(caption)});
    auto otherController = std::make_unique<TNEListController>(*otherList);
    otherPanel->AttachList(otherList);
    otherPanel->setGeometry(8, 200, 200, 90);
    const TNEMethod<void(TNEShortCut&)> formHandler = window.Form.OnKeyDown;
    window.Show();

    Type(window.List, QStringLiteral("b"));
    otherList->setFocus();
    Type(otherList, QStringLiteral("t"));
    ASSERT_TRUE(window.Panel->IsSearchOpen() && otherPanel->IsSearchOpen());
    window.Control->ClearSearch();
    window.FormKeys.clear();
    QTest::keyClick(&otherPanel->FindEdit(), Qt::Key_F3);
    EXPECT_EQ(otherList->FocusedItem(), 2) << "the find bar hooked last still has its keys";
    QTest::keyClick(&otherPanel->FindEdit(), Qt::Key_Right);
    EXPECT_TRUE(window.FormKeys == std::vector<TNEShortCut>({0, ShortCut(vkRight)})) << "through both to the form";

    otherController->ClearSearch();
    QTest::keyClick(window.List, Qt::Key_Down);
    EXPECT_EQ(window.FormKeys.back(), ShortCut(vkDown));
    EXPECT_TRUE(window.Form.OnKeyDown == formHandler) << "the chain is gone once both have closed";
    EXPECT_FALSE(window.Form.KeyPreview());
    otherController.reset();
}

TEST_F(NListPanel, LaysOutTheListWithAndWithoutASideControlAndTheOpenBar)
{
    for (const bool withSide : {false, true}) {
        auto* side = withSide ? new QWidget : nullptr;
        if (side)
            side->resize(28, 10);
        TListWindow window(BankAlphaZoo, side);
        TNEListPanel& panel = *window.Panel;
        const int left = withSide ? 30 : 1;
        EXPECT_EQ(window.List->geometry(), QRect(left, 1, 398 - (left - 1), 278));
        if (side) {
            EXPECT_EQ(panel.SideOutline()->geometry(), QRect(1, 1, 29, 278));
            EXPECT_EQ(side->geometry(), QRect(0, 0, 28, 278));
        }
        window.Show();
        Type(window.List, QStringLiteral("b"));
        EXPECT_EQ(panel.FindBar().geometry(), QRect(left, 1, 398 - (left - 1), 29));
        EXPECT_EQ(window.List->geometry(), QRect(left, 30, 398 - (left - 1), 249));
        const int barWidth = panel.FindBar().width();
        EXPECT_EQ(panel.FindLabel().x(), 8);
        EXPECT_EQ(panel.FindEdit().geometry(),
                  QRect(panel.FindLabel().width() + 16, 3, barWidth - 54 - panel.FindLabel().width() - 16, 21));
        EXPECT_EQ(panel.FindNextButton().geometry(), QRect(barWidth - 53, 1, 26, 26));
        EXPECT_EQ(panel.CloseButton().geometry(), QRect(barWidth - 27, 1, 26, 26));
        EXPECT_EQ(panel.FindNextButton().toolTip(), QStringLiteral("Find next (F3)"));
        EXPECT_EQ(panel.CloseButton().toolTip(), QStringLiteral("Close search (Esc)"));
        if (side) {
            EXPECT_EQ(panel.SideOutline()->geometry(), QRect(1, 30, 29, 249));
            const QImage picture = panel.grab().toImage();
            EXPECT_EQ(picture.pixelColor(29, 29), QColor(0x71, 0x7C, 0x88)) << "the corner joins the outlines";
        }
        QTest::mouseClick(&panel.CloseButton(), Qt::LeftButton);
        EXPECT_FALSE(panel.IsSearchOpen());
        EXPECT_EQ(window.List->geometry(), QRect(left, 1, 398 - (left - 1), 278));
    }
}
