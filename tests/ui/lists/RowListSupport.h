#pragma once

// What the tests of the row lists, the row editor and the row picker share: a row list over all rows of a rowset,
// the dialog answering helpers and the store schemas.

#include "store/NRowset.h"
#include "tests/store/StoreTestSupport.h"
#include "tests/support/ui/ModalDriver.h"
#include "ui/actions/NActionButton.h"
#include "ui/lists/NEdit.h"

#include <QApplication>
#include <QTest>

#include <functional>
#include <memory>

// Lists every row of its rowset.
class TTestRowList : public TNEAbstractRowList
{
public:
    using TNEAbstractRowList::TNEAbstractRowList;

    void ReloadRows() override
    {
        if (!Rowset())
            return;
        TNERowIterator rows(*Rowset());
        SetRowSource(&rows);
        TNEAbstractRowList::ReloadRows();
        SetRowSource(nullptr);
    }
    int AddRowItem(TNERow* Row) override { return AppendRowItem(*Row, -1); }
};

// The widget that has the focus in the dialog on top, also while the window system is still giving the dialog
// back its activation after a nested one closed.
inline QWidget* KeyTarget()
{
    if (QWidget* focused = QApplication::focusWidget())
        return focused;
    QWidget* modal = QApplication::activeModalWidget();
    return modal && modal->focusWidget() ? modal->focusWidget() : modal;
}

inline void Press(Qt::Key Key, Qt::KeyboardModifiers Modifiers = {})
{
    QTest::keyClick(KeyTarget(), Key, Modifiers);
}

inline void Type(const QString& Text)
{
    QTest::keyClicks(KeyTarget(), Text);
}

// Runs Work in the next dialog once it is active; Work closes it or leaves it to the driver.
inline void AnswerWith(TModalDriver& Driver, std::function<void(QWidget&)> Work)
{
    Driver.Answer([Work = std::move(Work)](QWidget& Dialog) {
        Dialog.activateWindow();
        // A dialog opened from another one is active for the window system before it is for the widgets.
        ASSERT_TRUE(QTest::qWaitFor([&Dialog] { return Dialog.isActiveWindow(); }));
        Work(Dialog);
    });
}

// The button of an action view or tool bar with that caption (accelerator marks aside).
inline TNEActionButton* FindActionButton(QWidget& Window, const QString& Caption)
{
    for (TNEActionButton* button : Window.findChildren<TNEActionButton*>()) {
        if (StripHotKey(button->Caption()) == Caption && button->isVisible())
            return button;
    }
    return nullptr;
}

inline void ClickAction(QWidget& Window, const QString& Caption)
{
    TNEActionButton* button = FindActionButton(Window, Caption);
    ASSERT_NE(button, nullptr) << Caption.toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
}

// A store with the vault's login rowset.
struct TLoginStore
{
    TLoginStore() : Logins(*Store.FindRowset(Store.CreateRowset(u"Login", u"LOGIN", LoginStructure(), rmActive))) {}

    TNERow& Add(const QStringList& Values) { return *Logins.FindRow(Logins.InsertRow(JoinItems(Values))); }

    TNEStore Store;
    TNERowset& Logins;
};

// Items with a text, a nullable reference to a group, a reference to a static colour that must be given and a
// nullable one to a shade of the same colours; tags shared among items, and ranked parts that belong to one item.
struct TItemStore
{
    // The rowsets named (caption and name as the document writes them, a link rowset's name being its suffix)
    // become static; WithItem adds an item "box"
    // as AddItem does before.
    explicit TItemStore(const QStringList& StaticNames = {QStringLiteral("Colour;COLOUR;")}, bool WithItem = false)
    {
        TNEStore source;
        const auto create = [&source](const char16_t* Caption, const char16_t* Name, const QString& Structure) {
            return source.FindRowset(source.CreateRowset(Caption, Name, Structure, rmActive));
        };
        TNERowset* colours = create(u"Colour", u"COLOUR", TextStructure);
        TNERowset* groups = create(u"Group", u"GROUP", TextStructure);
        create(u"Item", u"ITEM",
               Structure({{"Text", "TEXT", "STR"},
                          {"Group", "GROUP", "REF", "GROUP", "NULLABLE"},
                          {"Colour", "COLOUR", "REF", "COLOUR"},
                          {"Shade", "SHADE", "REF", "COLOUR", "NULLABLE"}}));
        TNERowset* tags = create(u"Tag", u"TAG", TextStructure);
        TNERowset* parts = create(u"Part", u"PART", TextStructure);
        source.CreateLinkRowset(u"Tags", u"ITEM", loSorted, lkShared, rmActive, u"T", u"TAG");
        source.CreateLinkRowset(u"Parts", u"ITEM", loRanked, lkUnique, rmActive, u"P", u"PART");
        for (const char* text : {"red", "green", "blue"})
            colours->InsertRow(JoinItems({text}));
        for (const char* text : {"home", "work"})
            groups->InsertRow(JoinItems({text}));
        for (const char* text : {"urgent", "later", "shared"})
            tags->InsertRow(JoinItems({text}));
        for (const char* text : {"lid", "base", "hinge"})
            parts->InsertRow(JoinItems({text}));
        if (WithItem)
            AddItemTo(source, QStringLiteral("box"));
        // Only the store gives a rowset its mode: the colours become static as they are read back.
        QByteArray document;
        QBuffer written(&document);
        written.open(QIODevice::WriteOnly);
        TNEStoreStreamer().WriteStore(source, written);
        for (const QString& name : StaticNames) {
            const qsizetype tag = document.indexOf("name=\"" + name.toLatin1() + '"');
            if (tag < 0) {
                ADD_FAILURE() << "no rowset named " << name.toStdString();
                continue;
            }
            const qsizetype mode = document.indexOf("mode=\"ACTIVE;\"", tag);
            document.replace(mode, qsizetype(sizeof("mode=\"ACTIVE;\"") - 1), "mode=\"STATIC;\"");
        }
        QBuffer read(&document);
        read.open(QIODevice::ReadOnly);
        TNEStoreStreamer().ReadStore(Store, read);
    }

    static TNERowset& RowsetOf(TNEStore& Store, const char16_t* Name)
    {
        return *Store.FindRowset(Store.FindRowsetID(Name));
    }
    TNERowset& Rowset(const char16_t* Name) { return RowsetOf(Store, Name); }
    TNERow& Row(const char16_t* Name, std::int32_t ID) { return *Rowset(Name).FindRow(ID); }
    // An item with colour 0, tags 0 and 1, and parts 0 and 1 in the ranks 1 and 2.
    TNERow& AddItem(const QString& Text) { return AddItemTo(Store, Text); }
    static TNERow& AddItemTo(TNEStore& Store, const QString& Text)
    {
        TNERowset& items = RowsetOf(Store, u"ITEM");
        TNERow& item = *items.FindRow(items.InsertRow(JoinItems({Text, "", "0", ""})));
        const QString id = QString::number(item.ID());
        TNERowset& tags = RowsetOf(Store, u"ITEMTAG_T");
        TNERowset& parts = RowsetOf(Store, u"ITEMPART_P");
        for (const char* source : {"0", "1"}) {
            tags.InsertRow(JoinItems({id, source}));
            parts.FindRow(parts.InsertRow(JoinItems({id, source})))->SetRank(QString(source).toInt() + 1);
        }
        return item;
    }
    // Source ID -> rank of the links of an item through a link rowset.
    std::map<std::int32_t, std::int32_t> LinksOf(const char16_t* LinkName, std::int32_t Item)
    {
        std::map<std::int32_t, std::int32_t> links;
        TNERowIterator rows(Rowset(LinkName));
        for (rows.First(); !rows.IsDone(); rows.Next()) {
            if (rows.Current()->GetReferenceID(0) == Item)
                links[rows.Current()->GetReferenceID(1)] = rows.Current()->Rank();
        }
        return links;
    }

    TNEStore Store;
};
