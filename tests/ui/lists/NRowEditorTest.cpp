#include "ui/lists/NRowEditor.h"

#include "tests/support/ui/ApplicationFixture.h"
#include "tests/ui/lists/RowListSupport.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

using NRowEditor = TApplicationFixture;

template <typename Control> Control& FieldControl(const TNERowEditor& Editor, int Column)
{
    return *qobject_cast<Control*>(Editor.Editors().at(std::size_t(Column))->FocusControl());
}

int FocusedColumn(const TNERowEditor& Editor)
{
    for (const auto& field : Editor.Editors()) {
        if (field->HasFocus())
            return field->ColumnIndex();
    }
    return -1;
}

// What must not move when an editor is cancelled.
struct TStoreState
{
    explicit TStoreState(TNERowset& Rowset)
        : RowCount(Rowset.RowCount()), NextID(Rowset.NextID()), Changes(Rowset.Store().ChangeCount())
    {}
    friend bool operator==(const TStoreState&, const TStoreState&) = default;

    std::int32_t RowCount;
    std::int32_t NextID;
    std::uint64_t Changes;
};

} // namespace

TEST_F(NRowEditor, InsertsALoginTypedFieldByFieldWithTheKeysOfTheDialog)
{
    TLoginStore logins;
    TRowsetEvents events(logins.Logins);
    TNERowEditor editor;
    TModalDriver driver;
    AnswerWith(driver, [&](QWidget& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Insert Login"));
        ASSERT_EQ(editor.Editors().size(), 4u);
        const QStringList captions = {"&Site name:", "&Login name:", "&Password:", "&Note:"};
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(editor.Editors()[std::size_t(column)]->Label().text(), captions[column]);
        const TNELimitedMemo& memo = FieldControl<TNELimitedMemo>(editor, 3);
        EXPECT_EQ(memo.size(), QSize(350, 126));
        EXPECT_EQ(FieldControl<QLineEdit>(editor, 0).size(), QSize(350, 21));
        EXPECT_EQ(memo.x(), FieldControl<QLineEdit>(editor, 0).x());
        EXPECT_EQ(editor.PageTree().topLevelItemCount(), 1);
        EXPECT_TRUE(events.Events.empty()) << "nothing inserted while the editor is open";

        const struct
        {
            const char* Typed;
            Qt::Key Key;
            Qt::KeyboardModifiers Modifiers;
            int FocusedAfter;
        } steps[] = {
            {"example.org", Qt::Key_Return, {}, 1},
            {"alice", Qt::Key_Tab, {}, 2},
            {"s3cret pass", Qt::Key_Return, {}, 3},
            {"first line", Qt::Key_Return, {}, 3}, // a new line in the note
            {"second", Qt::Key_Return, Qt::ShiftModifier, 2},
            {"", Qt::Key_Return, {}, 3},
            {"", Qt::Key_End, Qt::ControlModifier, 3}, // the memo's own, not the last page
            {"", Qt::Key_Return, {}, 3},
            {"third", Qt::Key_unknown, {}, 3},
        };
        for (const auto& step : steps) {
            Type(QString::fromLatin1(step.Typed));
            if (step.Key != Qt::Key_unknown)
                Press(step.Key, step.Modifiers);
            EXPECT_EQ(FocusedColumn(editor), step.FocusedAfter) << step.Typed;
        }
        Press(Qt::Key_Return, Qt::ControlModifier);
    });
    TNERow* row = editor.Execute(logins.Logins, -1);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->GetString(0), QStringLiteral("example.org"));
    EXPECT_EQ(row->GetString(1), QStringLiteral("alice"));
    EXPECT_EQ(row->GetString(2), QStringLiteral("s3cret pass"));
    EXPECT_EQ(row->GetString(3), QStringLiteral("first line\r\nsecond\r\nthird"));
    EXPECT_EQ(events.Events, (std::vector<TRowsetEvents::TEvent>{{TNERowsetEvent::RowInserted, 0}}));
}

TEST_F(NRowEditor, CancellingAnInsertOrAnEditLeavesNoTrace)
{
    enum TClose
    {
        Escape,
        CancelButton,
        CloseBox,
    };
    for (const bool inserting : {true, false}) {
        for (const TClose close : {Escape, CancelButton, CloseBox}) {
            TLoginStore logins;
            TNERow& existing = logins.Add({"bank.example", "bob", "hunter2", "a\r\nb"});
            const TNETimeStamp stamp = existing.Modified();
            const TStoreState before(logins.Logins);
            TRowsetEvents events(logins.Logins);
            TNERowEditor editor;
            TModalDriver driver;
            AnswerWith(driver, [&](QWidget& dialog) {
                Type(QStringLiteral("changed"));
                Press(Qt::Key_Tab);
                Type(QStringLiteral("typed"));
                if (close == Escape)
                    Press(Qt::Key_Escape);
                else if (close == CancelButton)
                    ClickAction(dialog, QStringLiteral("Cancel"));
                else
                    dialog.close();
            });
            EXPECT_EQ(editor.Execute(logins.Logins, inserting ? -1 : existing.ID()), nullptr);
            const auto label = testing::Message() << (inserting ? "insert" : "edit") << " closed by " << close;
            EXPECT_EQ(TStoreState(logins.Logins), before) << label;
            EXPECT_TRUE(events.Events.empty()) << label;
            EXPECT_EQ(existing.GetString(0), QStringLiteral("bank.example")) << label;
            EXPECT_EQ(existing.GetString(1), QStringLiteral("bob")) << label;
            EXPECT_EQ(CompareTimeStamps(existing.Modified(), stamp), 0) << label;
            EXPECT_FALSE(editor.Accepted()) << label;
        }
    }
}

TEST_F(NRowEditor, EachFieldRefusesCharactersPastItsLimitWhenTypedOrPasted)
{
    const QString longText = QString(3000, u'x');
    const struct
    {
        int Column;
        bool Paste;
        QString Text;
        QString Stored;
    } cases[] = {
        {0, false, QString(270, u's'), QString(260, u's')},
        {1, true, longText, QString(64, u'x')},
        {2, false, QString(70, u'p'), QString(64, u'p')},
        {2, true, longText, QString(64, u'x')},
        {3, true, longText, QString(2048, u'x')},
        // A line break takes two characters of the note, as the row keeps it.
        {3, true, QString(2047, u'n') + QStringLiteral("\nz"), QString(2047, u'n')},
        {3, true, QString(2045, u'n') + QStringLiteral("\nzz"), QString(2045, u'n') + QStringLiteral("\r\nz")},
        {3, false, QString(2045, u'n') + QStringLiteral("\nqq"), QString(2045, u'n') + QStringLiteral("\r\nq")},
    };
    for (const auto& c : cases) {
        TLoginStore logins;
        TNERowEditor editor;
        TModalDriver driver;
        AnswerWith(driver, [&](QWidget&) {
            editor.Editors().at(std::size_t(c.Column))->FocusControl()->setFocus();
            if (c.Paste) {
                QGuiApplication::clipboard()->setText(c.Text);
                Press(Qt::Key_V, Qt::ControlModifier);
            } else {
                const QStringList lines = c.Text.split(u'\n');
                for (qsizetype line = 0; line < lines.size(); ++line) {
                    if (line > 0)
                        Press(Qt::Key_Return);
                    Type(lines[line]);
                }
            }
            // Refused in the field itself, not cut when the row takes it.
            QWidget* control = editor.Editors().at(std::size_t(c.Column))->FocusControl();
            const auto* memo = qobject_cast<TNELimitedMemo*>(control);
            const QString shown = memo ? memo->StoredText() : qobject_cast<QLineEdit*>(control)->text();
            EXPECT_TRUE(shown == c.Stored) << c.Column << " shows " << shown.size();
            Press(Qt::Key_Return, Qt::ControlModifier);
        });
        TNERow* row = editor.Execute(logins.Logins, -1);
        ASSERT_NE(row, nullptr);
        const QString stored = row->GetString(c.Column);
        EXPECT_EQ(stored.size(), c.Stored.size()) << c.Column << (c.Paste ? " pasted" : " typed");
        EXPECT_TRUE(stored == c.Stored) << c.Column << (c.Paste ? " pasted" : " typed");
    }
}

TEST_F(NRowEditor, ShowsTheModeAndRowsetInTheCaptionAndRefusesOkOnAStaticRowset)
{
    TLoginStore source;
    source.Add({"a.example", "ann", "pw", ""});
    TNEStore fixed;
    ReadWithMode(source.Store, fixed, QStringLiteral("STATIC;"));
    TNERowset& readOnly = *fixed.FindRowset(fixed.FindRowsetID(u"LOGIN"));
    const struct
    {
        TNERowset* Rowset;
        std::int32_t ID;
        QString Caption;
        bool OkEnabled;
    } cases[] = {
        {&source.Logins, -1, "Insert Login", true},
        {&source.Logins, 0, "Edit Login", true},
        {&readOnly, 0, "Edit Login (Read-Only)", false},
        {&readOnly, -1, "Insert Login (Read-Only)", false},
    };
    for (const auto& c : cases) {
        const TStoreState before(*c.Rowset);
        TNERowEditor editor;
        TModalDriver driver;
        AnswerWith(driver, [&](QWidget& dialog) {
            EXPECT_EQ(dialog.windowTitle(), c.Caption);
            EXPECT_EQ(editor.Controller().IsActionEnabled({&editor, &TNERowEditor::Ok}), c.OkEnabled);
            EXPECT_FALSE(editor.Controller().IsActionEnabled({&editor, &TNERowEditor::PageDown})) << "one page";
            Type(QStringLiteral("new"));
            Press(Qt::Key_Return, Qt::ControlModifier);
            if (dialog.isVisible())
                Press(Qt::Key_Escape);
        });
        TNERow* row = editor.Execute(*c.Rowset, c.ID);
        EXPECT_EQ(row != nullptr, c.OkEnabled) << c.Caption.toStdString();
        if (!c.OkEnabled) {
            EXPECT_EQ(TStoreState(*c.Rowset), before) << c.Caption.toStdString();
        }
    }
}

namespace {

TNEFieldEdit& Field(const TNERowEditor& Editor, int Column)
{
    return *Editor.Editors().at(std::size_t(Column));
}

QString FocusedCaption(const TNEListView& List)
{
    const int focused = List.FocusedItem();
    return focused >= 0 ? List.Model().Item(focused).Caption() : QString();
}

QStringList Captions(const TNEListView& List)
{
    QStringList captions;
    for (int item = 0; item < List.Model().ItemCount(); ++item)
        captions.append(List.Model().Item(item).Caption());
    return captions;
}

TNERowPickerList& OpenPickerList()
{
    return *QApplication::activeModalWidget()->findChild<TNERowPickerList*>();
}

} // namespace

TEST_F(NRowEditor, GivesEachReferenceColumnItsKindAndPicksOrResetsItsRow)
{
    TItemStore store;
    TNERowEditor editor;
    TModalDriver driver;
    AnswerWith(driver, [&](QWidget&) {
        EXPECT_NE(dynamic_cast<TNEFieldEdit_String*>(&Field(editor, 0)), nullptr);
        EXPECT_NE(dynamic_cast<TNEFieldEdit_Reference*>(&Field(editor, 1)), nullptr);
        auto* colour = dynamic_cast<TNEFieldEdit_ReferenceCombo*>(&Field(editor, 2));
        ASSERT_NE(colour, nullptr) << "a static rowset that must be referenced";
        EXPECT_NE(dynamic_cast<TNEFieldEdit_Reference*>(&Field(editor, 3)), nullptr) << "nullable: always picked";
        EXPECT_EQ(colour->PickButton(), nullptr) << "colours refer to nothing";
        EXPECT_EQ(colour->Combo().itemText(0), QStringLiteral("blue")) << "sorted";
        EXPECT_EQ(colour->Combo().DropDownWidth(), 171);

        colour->Combo().setFocus();
        Press(Qt::Key_Down);
        Press(Qt::Key_Down);
        auto& group = static_cast<TNEFieldEdit_Reference&>(Field(editor, 1));
        AnswerWith(driver, [&](QWidget& picker) {
            EXPECT_EQ(picker.windowTitle(), QStringLiteral("Pick Group"));
            EXPECT_EQ(Captions(OpenPickerList()), (QStringList{"home", "work"}));
            Press(Qt::Key_Down);
            Press(Qt::Key_Space);
            Press(Qt::Key_Return, Qt::ControlModifier);
        });
        group.PickButton().setFocus();
        Press(Qt::Key_Space);
        EXPECT_EQ(group.Edit().text(), QStringLiteral("work"));

        auto& shade = static_cast<TNEFieldEdit_Reference&>(Field(editor, 3));
        for (const bool reset : {false, true}) {
            AnswerWith(driver, [&](QWidget& picker) {
                EXPECT_EQ(picker.windowTitle(), QStringLiteral("Pick Colour (Read-Only)"));
                EXPECT_FALSE(FindActionButton(picker, "Insert...")->isEnabled());
                EXPECT_TRUE(FindActionButton(picker, "Reset All")->isEnabled()) << "nullable";
                Press(reset ? Qt::Key_Delete : Qt::Key_Space, reset ? Qt::ControlModifier : Qt::NoModifier);
                Press(Qt::Key_Return, Qt::ControlModifier);
            });
            QTest::mouseClick(&shade.PickButton(), Qt::LeftButton);
            EXPECT_EQ(shade.Edit().text(), reset ? QString() : QStringLiteral("blue"));
        }
        Press(Qt::Key_Return, Qt::ControlModifier);
    });
    TNERow* row = editor.Execute(store.Rowset(u"ITEM"), -1);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->GetReference(1)->GetString(0), QStringLiteral("work"));
    EXPECT_EQ(row->GetReference(2)->GetString(0), QStringLiteral("green"));
    EXPECT_EQ(row->GetReference(3), nullptr);
}

TEST_F(NRowEditor, EditsTheLinksOfARowOnItsLinkPagesAndCommitsThemOnlyOnOk)
{
    for (const bool accept : {true, false}) {
        TItemStore store;
        TNERow& item = store.AddItem(QStringLiteral("box"));
        TNERowEditor editor;
        TModalDriver driver;
        AnswerWith(driver, [&](QWidget& dialog) {
            QTreeWidgetItem* root = editor.PageTree().topLevelItem(0);
            ASSERT_EQ(root->childCount(), 2);
            EXPECT_EQ(root->child(0)->text(0), QStringLiteral("Parts")) << "sorted";
            Press(Qt::Key_PageDown, Qt::ControlModifier);
            TNELinkPage* parts = editor.CurrentPage();
            ASSERT_EQ(parts, &editor.InsertPage());
            EXPECT_EQ(Captions(parts->List()), (QStringList{"lid", "base"})) << "by rank";
            EXPECT_TRUE(FindActionButton(dialog, "Move Down")->isEnabled());
            Press(Qt::Key_Down, Qt::ShiftModifier);
            EXPECT_EQ(Captions(parts->List()), (QStringList{"base", "lid"}));
            EXPECT_EQ(FocusedCaption(parts->List()), QStringLiteral("lid"));
            Press(Qt::Key_Delete);
            EXPECT_EQ(Captions(parts->List()), QStringList{"base"});
            EXPECT_EQ(editor.PurgeSet().size(), 1u);
            if (!accept) {
                Press(Qt::Key_Delete, Qt::ControlModifier); // Clear All, undone by the cancel
                EXPECT_TRUE(Captions(parts->List()).isEmpty());
            }

            Press(Qt::Key_PageDown, Qt::ControlModifier);
            TNELinkPage* tags = editor.CurrentPage();
            ASSERT_EQ(tags, &editor.PickPage());
            EXPECT_FALSE(FindActionButton(dialog, "Move Up")->isEnabled()) << "not ranked";
            AnswerWith(driver, [&](QWidget&) {
                TNERowPickerList& list = OpenPickerList();
                EXPECT_TRUE(list.MultiPick());
                const int shared = list.Model().FindItemByData(TNEItemData(&store.Row(u"TAG", 2)));
                QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                                  list.visualRect(list.Model().index(shared, 0)).topLeft() + QPoint(8, 4));
                Press(Qt::Key_Return, Qt::ControlModifier);
            });
            Press(Qt::Key_Insert);
            EXPECT_EQ(Captions(tags->List()), (QStringList{"later", "shared", "urgent"}));
            AnswerWith(driver, [&](QWidget& nested) {
                EXPECT_EQ(nested.windowTitle(), QStringLiteral("Edit Tag")) << "a single click edits";
                Press(Qt::Key_Escape);
            });
            TNEListView& list = tags->List();
            QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.Model().index(2, 0)).center());
            Press(Qt::Key_F5);
            EXPECT_EQ(FocusedCaption(list), QStringLiteral("later"));
            Press(Qt::Key_Delete);
            EXPECT_EQ(Captions(list), (QStringList{"shared", "urgent"}));
            Press(Qt::Key_F6);
            EXPECT_EQ(dialog.focusWidget(), &editor.PageTree());
            Press(Qt::Key_F6);
            EXPECT_EQ(dialog.focusWidget(), &list);
            Press(Qt::Key_Home, Qt::ControlModifier);
            EXPECT_TRUE(editor.FieldBox().isVisible() && !tags->isVisible()) << "the field page";
            EXPECT_EQ(dialog.focusWidget(), Field(editor, 0).FocusControl());
            Press(accept ? Qt::Key_Return : Qt::Key_Escape, accept ? Qt::ControlModifier : Qt::NoModifier);
        });
        EXPECT_EQ(editor.Execute(store.Rowset(u"ITEM"), item.ID()) != nullptr, accept);
        using TLinks = std::map<std::int32_t, std::int32_t>;
        EXPECT_EQ(store.LinksOf(u"ITEMTAG_T", item.ID()), accept ? (TLinks{{0, 0}, {2, 0}}) : (TLinks{{0, 0}, {1, 0}}));
        EXPECT_EQ(store.LinksOf(u"ITEMPART_P", item.ID()), accept ? (TLinks{{1, 1}}) : (TLinks{{0, 1}, {1, 2}}));
        // The parts nothing links to any more are gone, however the editor closed.
        EXPECT_EQ(store.Rowset(u"PART").RowCount(), accept ? 1 : 2);
        EXPECT_EQ(store.Rowset(u"TAG").RowCount(), 3);
    }
}

TEST_F(NRowEditor, LinksRowsCreatedOnALinkPageToTheRowBeingInserted)
{
    TItemStore store;
    TNERowset& items = store.Rowset(u"ITEM");
    const std::int32_t nextID = items.NextID();
    TNERowEditor editor;
    TModalDriver driver;
    AnswerWith(driver, [&](QWidget&) {
        Type(QStringLiteral("crate"));
        Press(Qt::Key_PageDown, Qt::ControlModifier);
        AnswerWith(driver, [&](QWidget& nested) {
            EXPECT_EQ(nested.windowTitle(), QStringLiteral("Insert Part"));
            Type(QStringLiteral("wheel"));
            Press(Qt::Key_Return, Qt::ControlModifier);
        });
        Press(Qt::Key_Return); // in the empty list: insert
        EXPECT_EQ(Captions(editor.InsertPage().List()), QStringList{"wheel"});
        EXPECT_EQ(items.RowCount(), 0) << "the item waits for OK";
        Press(Qt::Key_Return, Qt::ControlModifier);
    });
    TNERow* row = editor.Execute(items, -1);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->ID(), nextID);
    EXPECT_EQ(store.LinksOf(u"ITEMPART_P", row->ID()), (std::map<std::int32_t, std::int32_t>{{3, 1}}));
}

TEST_F(NRowEditor, ShowsTheLinksOfAStaticLinkRowsetWithoutCommandsThatChangeThem)
{
    TItemStore store({QStringLiteral("Colour;COLOUR;"), QStringLiteral("Tags;T;")}, true);
    TNERowEditor editor;
    TModalDriver driver;
    AnswerWith(driver, [&](QWidget& dialog) {
        Press(Qt::Key_End, Qt::ControlModifier);
        ASSERT_EQ(editor.CurrentPage(), &editor.PickPage());
        EXPECT_EQ(editor.CurrentPage()->List().Model().ItemCount(), 2);
        for (const char* command : {"Pick...", "Delete", "Clear All"})
            EXPECT_FALSE(FindActionButton(dialog, command)->isEnabled()) << command;
        EXPECT_TRUE(FindActionButton(dialog, "Edit...")->isEnabled());
        Press(Qt::Key_Delete);
        EXPECT_EQ(editor.CurrentPage()->List().Model().ItemCount(), 2);
        Press(Qt::Key_Return, Qt::ControlModifier);
    });
    EXPECT_NE(editor.Execute(store.Rowset(u"ITEM"), 0), nullptr);
}
