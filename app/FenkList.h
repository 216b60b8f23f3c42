#pragma once

#include "ui/actions/NControl.h"
#include "ui/actions/NToolStrip.h"
#include "ui/lists/NList.h"
#include "ui/lists/NRowList.h"

#include <QString>

#include <vector>

class TFenkForm;
class TNERow;
class TNERowset;

// The list of the logins: one item per row of the login rowset, the passwords masked, sorted by any column with a
// click on its header (a second click on the same header turns the order round).
class TFenkList : public TNEAbstractRowList, private TNEItemSortKeys
{
    Q_OBJECT

public:
    explicit TFenkList(QWidget* Parent = nullptr);
    ~TFenkList() override;

    // The index of the PASSWORD column in the attached rowset, -1 when there is none.
    int PasswordColumn() const { return PasswordColumn_; }

    void SetRowset(TNERowset* Rowset) override;
    // Refills the items from the rowset and widens the sort column to its caption.
    void ReloadRows() override;
    // By the sort column, then in the row store's order; turned round for direction 0.
    int CompareListRows(const TNERow* Left, const TNERow* Right) const override;
    // The item of a row, its password masked with one bullet per character.
    int AddRowItem(TNERow* Row) override;

    // The header of Column was clicked: sort by it, or turn the order round when it is the sort column already.
    void ColumnClicked(int Column);

    // As many U+2022 as Password has characters; a character outside the Basic Multilingual Plane is one.
    static QString PasswordMask(const QString& Password);

private:
    // A text column other than the passwords sorts by collation keys. Passwords are never made into keys, which
    // would leave a copy of each one in freed memory.
    int KeyOrder() const override;
    TNELocaleSortKey Key(const TNEListItem& Item) const override;

    void SelectItem(int Item, bool Selected);
    // One shared text per mask length, so that a large vault's masks cost nothing per item.
    const QString& SharedMask(const QString& Password);

    int PasswordColumn_ = -1;
    std::vector<QString> Masks_;
};

// Turns keys and clicks in the login list into the main window's commands: the window's shortcuts, and Enter, Space
// or a left click on an item edit that login while a file is open.
class TFenkCtrl : public TNEListController
{
public:
    TFenkCtrl(TFenkList& List, TFenkForm& Form);

    void ListKeyDown(TNEShortCut& Key) override;
    void ListMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers, int X, int Y) override;

private:
    TFenkForm& Form_;
};

// The strip along the top of the main window, with the link to the user guide at its right end (F1).
class TNEFenkToolStrip : public TNEToolStrip
{
    Q_OBJECT

public:
    TNEFenkToolStrip(TFenkForm& Form, QWidget* Parent);

    TNEToolStripButton& LinkButton() const { return *LinkButton_; }

    // The filler takes the space the splitter and the link leave, so the link ends at the right.
    void LayOut() override;
    // F1 without modifiers opens the user guide.
    bool HandleShortCut(TNEShortCut ShortCut) override;

private:
    TFenkForm& Form_;
    TNEToolStripFiller* Filler_;
    TNEToolStripSplitter* Splitter_;
    TNEToolStripButton* LinkButton_;
};
