#pragma once

#include "ui/actions/NAction.h"
#include "ui/actions/NControl.h"
#include "ui/lists/NFrame.h"

#include <QPointer>

#include <cstdint>
#include <memory>
#include <vector>

class QScrollArea;
class QTreeWidget;
class QTreeWidgetItem;
class TNEActionView;
class TNEColumn;
class TNEFieldEdit;
class TNELinkPage;
class TNEVirtualRowsetLinks;
class TNERow;
class TNERowset;
struct TNEFieldValue;

// The field page of the row editor: an outline with the scroll box inside it whose content holds the field
// editors' controls, on 0xF6F3F1.
class TNERowEditorScrollBox : public TNEOutlinePanel
{
    Q_OBJECT

public:
    explicit TNERowEditorScrollBox(QWidget* Parent = nullptr);

    QScrollArea& ScrollBox() const { return *ScrollBox_; }
    // Where the field editors place their controls.
    QWidget& Content() const { return *Content_; }
    // Sizes the content to hold all its controls, with a margin on the right and at the bottom.
    void FitContent();

private:
    QScrollArea* ScrollBox_;
    QWidget* Content_;
};

// The modal dialog in which one row of a rowset is inserted or edited. On the left its commands, in the middle the
// page tree, on the right the current page: the field page with one field editor per column, or a link page
// listing the rows linked to the edited row.
//
// Nothing reaches the rowset before OK: the fields edit a copy of the row's values, and a new row is inserted only
// when the user accepts, with the ID the rowset would have given it when the editor opened, so that link pages of a
// new row can gather their links under that ID. Cancelling leaves the rowset, its next ID, the store's change
// counter and every observer as they were.
class TNERowEditor : public TNEBaseFrame
{
    Q_OBJECT

public:
    // Owner is the row list that opens the editor; one opened from a row picker list has the "Select" command.
    explicit TNERowEditor(QObject* Owner = nullptr);
    ~TNERowEditor() override;

    bool Selected() const { return Selected_; }
    // Shown by the glyph of the "Select" command: 20 while selected, 21 while not.
    void SetSelected(bool Value);
    bool Accepted() const { return Accepted_; }

    // Runs the dialog on the row with the ID, or on a new row for a negative ID. Returns the inserted or edited row
    // when the user accepted, nullptr otherwise. Errors of the row store while the row is written pass on.
    TNERow* Execute(TNERowset& Rowset, std::int32_t ID);
    // Whether a run on a row of Rowset can change no other row: the rowset has no reference fields, through which
    // the row picker edits other rows, and no link pages.
    static bool EditsOnlyItsRow(TNERowset& Rowset);

    // Every reference field shows its row's text again (a picker may have changed rows).
    void RefreshReferences();

    // During a run: the rowset, the row (nullptr for a new one until it is accepted), its ID (the one a new row
    // will get) and the values shown in the fields, one per column.
    TNERowset* EditedRowset() const { return Rowset_; }
    TNERow* EditedRow() const { return Row_; }
    std::int32_t EditedRowID() const { return RowID_; }
    TNEFieldValue& Value(int Column);
    const std::vector<std::unique_ptr<TNEFieldEdit>>& Editors() const { return Editors_; }

    TNEActionController& Controller() const { return *Controller_; }
    TNEActionView& ActionView() const { return *ActionView_; }
    TNEOutlinePanel& ActionOutline() const { return *ActionOutline_; }
    TNEOutlinePanel& TreeOutline() const { return *TreeOutline_; }
    QTreeWidget& PageTree() const { return *PageTree_; }
    TNERowEditorScrollBox& FieldBox() const { return *FieldBox_; }
    // The two link pages, and the one shown (nullptr while the field page is).
    TNELinkPage& PickPage() const { return *PickPage_; }
    TNELinkPage& InsertPage() const { return *InsertPage_; }
    TNELinkPage* CurrentPage() const { return CurrentPage_; }
    // The rowsets whose unengaged rows are deleted when the run ends, each once.
    void AddToPurgeSet(TNERowset& Rowset);
    const std::vector<TNERowset*>& PurgeSet() const { return PurgeSet_; }

    // The accelerator letters the commands leave free; field captions and link pages take theirs from it.
    TNEAcceleratorKeys& FreeAccelerators() { return FreeAccelerators_; }

    // The commands, for their enabled state and glyph.
    void Select(QObject* Sender);
    void PageUp(QObject* Sender);
    void PageDown(QObject* Sender);
    void Ok(QObject* Sender);
    void Cancel(QObject* Sender);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void AddCommands();
    void LayOut();
    void FormKeyDown(TNEShortCut& Key);
    bool IsInFieldBox(const QWidget* Widget) const;
    void MoveFocusInFieldBox(bool Backward);
    void FocusPage();
    // The first node of the tree, or the last one shown.
    void SelectEdgeNode(bool Last);
    void BuildTree();
    // Orders the nodes under Node, and theirs, by their captions.
    static void SortChildren(QTreeWidgetItem& Node);
    void ShowPage(QTreeWidgetItem* Node);
    void ShowFieldPage();
    void CreateEditors();
    std::unique_ptr<TNEFieldEdit> CreateFieldEdit(const TNEColumn& Column, QWidget& Box, int Index,
                                                  const QString& Caption);
    void LoadValues(TNERowset& Rowset, std::int32_t ID);
    TNERow* Commit();
    // Moves the links gathered for a new row to the ID it was given, when that is not the one it was to get.
    void RetargetLinks(std::int32_t ID);
    void Purge();
    void EndRun();

    QPointer<QWidget> Window_;
    TNEActionController* Controller_;
    TNEOutlinePanel* ActionOutline_;
    TNEActionView* ActionView_;
    TNEOutlinePanel* TreeOutline_;
    QTreeWidget* PageTree_;
    TNEImageList TreeImages_{16, 17};
    TNERowEditorScrollBox* FieldBox_;
    std::vector<std::unique_ptr<TNEFieldEdit>> Editors_;
    std::vector<TNEFieldValue> Values_;
    TNELinkPage* PickPage_;
    TNELinkPage* InsertPage_;
    TNELinkPage* CurrentPage_ = nullptr;
    // The links of each link node of the tree, by the index the node carries.
    std::vector<std::unique_ptr<TNEVirtualRowsetLinks>> NodeLinks_;
    std::vector<TNERowset*> PurgeSet_;
    TNEAcceleratorKeys FreeAccelerators_;
    TNEAcceleratorKeys CommandAccelerators_;
    TNERowset* Rowset_ = nullptr;
    TNERow* Row_ = nullptr;
    std::int32_t RowID_ = -1;
    bool HasSelectCommand_ = false;
    bool Selected_ = false;
    bool Accepted_ = false;
};
