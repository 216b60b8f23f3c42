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

inline void Press(Qt::Key Key, Qt::KeyboardModifiers Modifiers = {})
{
    QTest::keyClick(QApplication::focusWidget(), Key, Modifiers);
}

inline void Type(const QString& Text)
{
    QTest::keyClicks(QApplication::focusWidget(), Text);
}

// Runs Work in the next dialog once it is active; Work closes it or leaves it to the driver.
inline void AnswerWith(TModalDriver& Driver, std::function<void(QWidget&)> Work)
{
    Driver.Answer([Work = std::move(Work)](QWidget& Dialog) {
        Dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Dialog));
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
