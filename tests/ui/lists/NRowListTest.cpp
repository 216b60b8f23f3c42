#include "ui/lists/NRowList.h"

#include "tests/support/ui/ApplicationFixture.h"
#include "tests/ui/lists/RowListSupport.h"

namespace {

using NRowList = TApplicationFixture;

QString FocusedCaption(const TNEAbstractRowList& List)
{
    const int focused = List.FocusedItem();
    return focused >= 0 ? List.Model().Item(focused).Caption() : QString();
}

} // namespace

TEST_F(NRowList, EditingKeepsTheSameRowCurrentAfterTheReloadWhetherAcceptedOrCancelled)
{
    const struct
    {
        bool Accept;
        QString SiteName;
        int Position;
    } cases[] = {{false, "b.example", 1}, {true, "z.example", 2}};
    for (const auto& c : cases) {
        TLoginStore logins;
        for (const char* site : {"c.example", "a.example", "b.example"})
            logins.Add({site, "", "", ""});
        TTestRowList list;
        list.SetRowset(&logins.Logins);
        list.RefreshRows();
        SelectListItem(&list, 1);
        const std::uint64_t changes = logins.Store.ChangeCount();
        TModalDriver driver;
        AnswerWith(driver, [&](QWidget&) {
            Press(Qt::Key_A, Qt::ControlModifier);
            Type(QStringLiteral("z.example"));
            Press(c.Accept ? Qt::Key_Return : Qt::Key_Escape, c.Accept ? Qt::ControlModifier : Qt::NoModifier);
        });
        list.EditCurrentRow();
        EXPECT_EQ(FocusedCaption(list), c.SiteName);
        EXPECT_EQ(list.FocusedItem(), c.Position);
        EXPECT_EQ(logins.Store.ChangeCount(), changes + (c.Accept ? 1 : 0));
    }
}

TEST_F(NRowList, AnEditMakesOnlyItsItemAgainUnlessTheEditorReachesOtherRows)
{
    // A mark put on another item by hand survives unless the list is refilled from its rowset.
    const QString mark = QStringLiteral("marked");
    const struct
    {
        const char* Name;
        bool WithReferences;
        bool Accept;
        bool Refilled;
    } cases[] = {
        {"cancelled", false, false, false},
        {"accepted, the row alone", false, true, false},
        {"cancelled, references", true, false, false},
        {"accepted, references and link pages", true, true, true},
    };
    for (const auto& c : cases) {
        TLoginStore logins;
        TItemStore items;
        TTestRowList list;
        if (c.WithReferences) {
            for (const char* text : {"c", "a", "b"})
                items.Rowset(u"ITEM").InsertRow(JoinItems({text, "", "0", ""}));
            list.SetRowset(&items.Rowset(u"ITEM"));
        } else {
            for (const char* site : {"c", "a", "b"})
                logins.Add({site, "", "", ""});
            list.SetRowset(&logins.Logins);
        }
        list.RefreshRows();
        list.Model().SetItemText(2, 1, mark);
        SelectListItem(&list, 1);
        TModalDriver driver;
        AnswerWith(driver, [&](QWidget&) {
            Press(Qt::Key_A, Qt::ControlModifier);
            Type(QStringLiteral("z"));
            Press(c.Accept ? Qt::Key_Return : Qt::Key_Escape, c.Accept ? Qt::ControlModifier : Qt::NoModifier);
        });
        list.EditCurrentRow();
        EXPECT_EQ(FocusedCaption(list), c.Accept ? "z" : "b") << c.Name;
        EXPECT_EQ(list.FocusedItem(), c.Accept ? 2 : 1) << c.Name << ": the edited row in its sorted place";
        const int marked = c.Accept ? 1 : 2;
        EXPECT_EQ(list.Model().Item(marked).Text(1) == mark, !c.Refilled) << c.Name;
    }
}

TEST_F(NRowList, InsertsIntoAnEmptyListAndDeletesOnlyRowsNothingReferences)
{
    TLoginStore logins;
    const std::int32_t usesID = logins.Store.CreateRowset(
        u"Use", u"USE", Structure({{"Login", "LOGIN", "REF", "LOGIN", "NULLABLE"}}), rmActive);
    TNERowset& uses = *logins.Store.FindRowset(usesID);
    TTestRowList list;
    list.SetRowset(&logins.Logins);
    list.RefreshRows();
    const int narrowWidth = list.Model().Column(0).Width;
    TModalDriver driver;
    AnswerWith(driver, [&](QWidget&) {
        Type(QStringLiteral("a rather long site name for the first column.example"));
        Press(Qt::Key_Return, Qt::ControlModifier);
    });
    list.InsertNewRow();
    ASSERT_EQ(list.Model().ItemCount(), 1);
    EXPECT_EQ(list.FocusedItem(), 0);
    EXPECT_GT(list.Model().Column(0).Width, narrowWidth) << "widened to the new text";

    TNERow& kept = *list.RowOf(0);
    uses.InsertRow(JoinItems({QString::number(kept.ID())}));
    list.DeleteCurrentRow();
    EXPECT_EQ(Presenter.Texts(), QStringList{"A referenced row cannot be deleted"});
    EXPECT_EQ(logins.Logins.RowCount(), 1);
    EXPECT_EQ(list.Model().ItemCount(), 1);

    uses.DeleteRow(0);
    list.DeleteCurrentRow();
    EXPECT_EQ(logins.Logins.RowCount(), 0);
    EXPECT_EQ(list.Model().ItemCount(), 0);
    EXPECT_EQ(Presenter.Texts().size(), 1);
}
