#include "ui/lists/NRowPicker.h"

#include "tests/support/ui/ApplicationFixture.h"
#include "tests/ui/lists/RowListSupport.h"

#include <QHeaderView>

#include <set>

namespace {

using NRowPicker = TApplicationFixture;

std::set<std::int32_t> IDsOf(TNEVirtualRowset& Rows)
{
    std::set<std::int32_t> ids;
    TNERowIterator rows(Rows);
    for (rows.First(); !rows.IsDone(); rows.Next())
        ids.insert(rows.Current()->ID());
    return ids;
}

QStringList Captions(const TNEListView& List)
{
    QStringList captions;
    for (int item = 0; item < List.Model().ItemCount(); ++item)
        captions.append(List.Model().Item(item).Caption());
    return captions;
}

QPoint ItemPoint(const TNEListView& List, int Item, bool OnGlyph)
{
    const QRect cell = List.visualRect(List.Model().index(Item, 0));
    return OnGlyph ? QPoint(8, cell.center().y()) : QPoint(40, cell.center().y());
}

} // namespace

TEST_F(NRowPicker, PicksOneRowOrSeveralAndLeavesTheGivenRowsAloneOnCancel)
{
    // Tags sorted: later (1), shared (2), urgent (0).
    const struct
    {
        bool MultiPick;
        bool AllowNone;
        std::vector<Qt::Key> Keys;
        bool Accept;
        std::set<std::int32_t> Result;
    } cases[] = {
        {false, true, {Qt::Key_Down, Qt::Key_Space}, true, {2}},
        {false, true, {Qt::Key_Delete}, true, {}}, // Ctrl+Delete: Reset All
        {false, false, {Qt::Key_Delete}, true, {1}},
        {true, true, {Qt::Key_Down, Qt::Key_Space, Qt::Key_Down, Qt::Key_Return}, true, {0, 1, 2}},
        {true, true, {Qt::Key_Space, Qt::Key_Down, Qt::Key_Space}, false, {1}},
    };
    for (const auto& c : cases) {
        TItemStore store;
        TNERowset& tags = store.Rowset(u"TAG");
        TNEVirtualRowset rows(tags);
        rows.Add(tags.FindRow(1));
        TNERowPicker picker;
        picker.SetMultiPick(c.MultiPick);
        picker.SetAllowNone(c.AllowNone);
        TModalDriver driver;
        AnswerWith(driver, [&](QWidget& dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Pick Tag"));
            EXPECT_EQ(Captions(picker.List()), (QStringList{"later", "shared", "urgent"}));
            EXPECT_EQ(picker.List().FocusedItem(), 0) << "the first picked row is current";
            EXPECT_EQ(FindActionButton(dialog, "Reset All")->isEnabled(), c.AllowNone);
            for (const Qt::Key key : c.Keys)
                Press(key, key == Qt::Key_Delete ? Qt::ControlModifier : Qt::NoModifier);
            for (int item = 0; item < picker.List().Model().ItemCount(); ++item) {
                const bool picked = picker.List().IsRowSelected(picker.List().RowOf(item));
                EXPECT_EQ(picker.List().Model().Item(item).ImageIndex(), picked ? 1 : 0) << item;
            }
            Press(c.Accept ? Qt::Key_Return : Qt::Key_Escape, c.Accept ? Qt::ControlModifier : Qt::NoModifier);
        });
        EXPECT_EQ(picker.Execute(rows), c.Accept);
        EXPECT_EQ(IDsOf(rows), c.Result) << c.MultiPick << c.AllowNone << c.Accept;
        EXPECT_EQ(picker.List().Model().ItemCount(), 0) << "emptied after the run";
    }
}

TEST_F(NRowPicker, SortsByTheClickedHeaderAndTurnsTheOrderRoundOnASecondClick)
{
    TItemStore store;
    TNEVirtualRowset rows(store.Rowset(u"TAG"));
    TNERowPicker picker;
    TModalDriver driver;
    AnswerWith(driver, [&](QWidget&) {
        TNERowPickerList& list = picker.List();
        const QHeaderView& header = *list.header();
        const QPoint caption(header.sectionPosition(0) + 10, header.height() / 2);
        const struct
        {
            int Direction;
            QStringList Order;
        } clicks[] = {{0, {"urgent", "shared", "later"}}, {1, {"later", "shared", "urgent"}}};
        EXPECT_EQ(list.SortDirection(), 1);
        for (const auto& click : clicks) {
            QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, caption);
            EXPECT_EQ(list.SortDirection(), click.Direction);
            EXPECT_EQ(Captions(list), click.Order);
            EXPECT_EQ(list.FocusedItem(), 0);
        }
        Press(Qt::Key_Escape);
    });
    picker.Execute(rows);
}

TEST_F(NRowPicker, FlipsAPickOnTheGlyphEditsOnTheTextAndFollowsDeletedRows)
{
    TItemStore store;
    TNERowset& groups = store.Rowset(u"GROUP");
    store.AddItem(QStringLiteral("box")); // takes no group
    store.Rowset(u"ITEM").FindRow(0)->SetReference(1, groups.FindRow(0));
    store.Rowset(u"ITEM").FindRow(0)->Post();
    TNEVirtualRowset rows(groups);
    TNERowPicker picker;
    TModalDriver driver;
    AnswerWith(driver, [&](QWidget& dialog) {
        TNERowPickerList& list = picker.List();
        int opened = 0;
        AnswerWith(driver, [&](QWidget& editor) {
            ++opened;
            EXPECT_EQ(editor.windowTitle(), QStringLiteral("Edit Group"));
            EXPECT_NE(FindActionButton(editor, "Select"), nullptr) << "opened from a picker list";
            Press(Qt::Key_Space, Qt::ControlModifier); // Select
            Press(Qt::Key_Return, Qt::ControlModifier);
        });
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, ItemPoint(list, 1, false));
        EXPECT_EQ(opened, 1);
        EXPECT_TRUE(list.IsRowSelected(groups.FindRow(1))) << "selected in its editor";
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, ItemPoint(list, 0, true));
        EXPECT_EQ(opened, 1) << "a glyph click opens no editor";
        EXPECT_TRUE(list.IsRowSelected(groups.FindRow(0)) && list.IsRowSelected(groups.FindRow(1)));

        SelectListItem(&list, 0); // home, which the item refers to
        Press(Qt::Key_Delete);
        EXPECT_EQ(Presenter.Texts(), QStringList{"A referenced row cannot be deleted"});
        SelectListItem(&list, 1);
        Press(Qt::Key_Delete);
        EXPECT_EQ(Captions(list), QStringList{"home"});
        EXPECT_FALSE(FindActionButton(dialog, "Select")) << "only in an editor opened from the list";
        Press(Qt::Key_Return, Qt::ControlModifier);
    });
    EXPECT_TRUE(picker.Execute(rows));
    EXPECT_EQ(IDsOf(rows), std::set<std::int32_t>{0});
    EXPECT_EQ(groups.RowCount(), 1);
}
