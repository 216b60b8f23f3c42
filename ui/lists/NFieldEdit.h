#pragma once

#include "ui/platform/NKeys.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QLineEdit;
class QPushButton;
class TNEColumn;
class TNEEditTextKeeper;
class TNERowset;
class TNERowEditor;
struct TNEFieldValue;

// The caption of a field: right-aligned, it gives the focus to its field on its accelerator and on a click.
class TNEFieldLabel : public QLabel
{
    Q_OBJECT

public:
    explicit TNEFieldLabel(const QString& Caption, QWidget* Parent);

protected:
    void mousePressEvent(QMouseEvent* Event) override;
};

// A multi-line text that holds at most Limit characters counted as a row keeps them, a line break as CR LF (two).
// Typing, pasting and dropping all stop at the limit, so a text is never cut short when it is stored.
class TNELimitedMemo : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit TNELimitedMemo(QWidget* Parent = nullptr);

    int Limit() const { return Limit_; }
    void SetLimit(int Value) { Limit_ = Value; }
    // The text with its line breaks as CR LF, as the row keeps it.
    QString StoredText() const;
    void SetStoredText(const QString& Text);

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void inputMethodEvent(QInputMethodEvent* Event) override;
    void insertFromMimeData(const QMimeData* Source) override;

private:
    // How many stored characters may still be inserted in place of the selection.
    int Room() const;
    // The longest start of Text that fits the room, not splitting a surrogate pair.
    QString FittingPart(const QString& Text) const;

    int Limit_ = 0;
};

// The number of characters a text takes in a row: each line break, however written, counts as CR LF.
int StoredLength(QStringView Text);

// Binds one column of the row being edited to a label and one or two controls on the field box of the row editor.
// It is never shown itself. LoadValue shows the editor's value of the column, StoreValue writes what is shown back
// into it; the editor puts the values into the row when the user accepts.
class TNEFieldEdit
{
public:
    TNEFieldEdit(TNERowEditor& RowEditor, QWidget& Box, int ColumnIndex, const QString& Caption);
    virtual ~TNEFieldEdit();
    TNEFieldEdit(const TNEFieldEdit&) = delete;
    TNEFieldEdit& operator=(const TNEFieldEdit&) = delete;

    TNERowEditor& RowEditor() const { return RowEditor_; }
    int ColumnIndex() const { return ColumnIndex_; }
    // The label text: the column caption with its accelerator and ":".
    const QString& Caption() const { return Caption_; }
    TNEFieldLabel& Label() const { return *Label_; }
    const TNEColumn& Column() const;

    // The control that takes the focus for the field.
    virtual QWidget* FocusControl() const = 0;
    // Whether one of the field's controls has the focus.
    bool HasFocus() const;
    // Takes the field's controls off the field box.
    void DetachControls();
    // Places the label and the controls in the row that starts at Top; returns the height used.
    virtual int Arrange(int LabelWidth, int Top) = 0;
    virtual void LoadValue() = 0;
    virtual void StoreValue() = 0;
    // Empties the field's controls before they go, zeroing the texts of the row they held, which may be secrets.
    // Kinds whose controls keep no text of their own (or whose text cannot be zeroed from outside) do nothing.
    virtual void BurnControls() {}

    // Offered each previewed key-down while the field has the focus; a field that keeps the key for its control
    // sets KeyHandled, and the editor does nothing more with it.
    virtual void KeyHook(TNEShortCut Key);
    bool KeyHandled() const { return KeyHandled_; }
    void SetKeyHandled(bool Value) { KeyHandled_ = Value; }

protected:
    TNEFieldValue& Value() const;
    QWidget& Box() const { return Box_; }
    // Adds a control the field owns, after the label; returns it.
    template <typename Control> Control* AddControl(std::unique_ptr<Control> Widget)
    {
        Control* control = Widget.get();
        Controls_.push_back(std::move(Widget));
        return control;
    }
    void PlaceLabel(int LabelWidth, int Top);
    // The rowset a reference column points into; nullptr when it is gone.
    TNERowset* ReferencedRowset() const;
    // The "Pick..." glyph button of the reference kinds.
    QPushButton* AddPickButton();
    // Runs the row picker for one row of the referenced rowset, the row with the ID Held picked at first; Held
    // becomes the row picked (-1 for none). The reference fields of the editor show their rows again afterwards.
    void PickReference(std::int32_t& Held);

private:
    TNERowEditor& RowEditor_;
    QWidget& Box_;
    int ColumnIndex_;
    QString Caption_;
    // Owned, the label first; they go before the field box, which the editor keeps longer.
    std::vector<std::unique_ptr<QWidget>> Controls_;
    TNEFieldLabel* Label_;
    bool KeyHandled_ = false;
};

// A single-line text: an edit that holds no more characters than the column.
class TNEFieldEdit_String : public TNEFieldEdit
{
public:
    TNEFieldEdit_String(TNERowEditor& RowEditor, QWidget& Box, int ColumnIndex, const QString& Caption);

    QWidget* FocusControl() const override;
    int Arrange(int LabelWidth, int Top) override;
    void LoadValue() override;
    void StoreValue() override;
    void BurnControls() override;

    QLineEdit& Edit() const { return *Edit_; }

private:
    QLineEdit* Edit_;
    TNEEditTextKeeper* Keeper_; // owned by the edit
};

// A multi-line text: a memo with a vertical bar and word wrap; Enter starts a new line, Tab moves on.
class TNEFieldEdit_StringMemo : public TNEFieldEdit
{
public:
    TNEFieldEdit_StringMemo(TNERowEditor& RowEditor, QWidget& Box, int ColumnIndex, const QString& Caption);

    QWidget* FocusControl() const override;
    int Arrange(int LabelWidth, int Top) override;
    void LoadValue() override;
    void StoreValue() override;
    // Keeps Enter, and Home and End alone, with Ctrl or with Ctrl+Shift, for the memo; Ctrl+A selects all.
    void KeyHook(TNEShortCut Key) override;

    TNELimitedMemo& Memo() const { return *Memo_; }

private:
    TNELimitedMemo* Memo_;
};

// A reference: the referenced row's text, read-only, and the "Pick..." button that picks another row.
class TNEFieldEdit_Reference : public TNEFieldEdit
{
public:
    TNEFieldEdit_Reference(TNERowEditor& RowEditor, QWidget& Box, int ColumnIndex, const QString& Caption);

    QWidget* FocusControl() const override;
    int Arrange(int LabelWidth, int Top) override;
    void LoadValue() override;
    void StoreValue() override;
    // Shows the held row's text again; empty for none or a row that is gone.
    void ShowReference();

    QLineEdit& Edit() const { return *Edit_; }
    QPushButton& PickButton() const { return *PickButton_; }
    std::int32_t HeldRowID() const { return Held_; }

private:
    QLineEdit* Edit_;
    QPushButton* PickButton_;
    std::int32_t Held_ = -1;
};

// The drop-down list of a reference field: its list is as wide as its widest text needs, at least 171 pixels.
class TNEReferenceCombo : public QComboBox
{
    Q_OBJECT

public:
    explicit TNEReferenceCombo(QWidget* Parent = nullptr);

    // The button whose hint names F2 while the list has the focus; nullptr for none.
    void SetPickButton(QPushButton* Button) { PickButton_ = Button; }
    int DropDownWidth() const;
    void showPopup() override;

protected:
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;

private:
    QPushButton* PickButton_ = nullptr;
};

// A reference into a static rowset that must not be null: a sorted drop-down list of its rows, and a "Pick..."
// button (not a tab stop, F2 in the list) when those rows refer to further rows.
class TNEFieldEdit_ReferenceCombo : public TNEFieldEdit
{
public:
    TNEFieldEdit_ReferenceCombo(TNERowEditor& RowEditor, QWidget& Box, int ColumnIndex, const QString& Caption);

    QWidget* FocusControl() const override;
    int Arrange(int LabelWidth, int Top) override;
    void LoadValue() override;
    void StoreValue() override;
    // F2 clicks "Pick..."; Escape stays with the dropped-down list.
    void KeyHook(TNEShortCut Key) override;

    TNEReferenceCombo& Combo() const { return *Combo_; }
    // nullptr when the referenced rows have no reference column.
    QPushButton* PickButton() const { return PickButton_; }
    std::int32_t HeldRowID() const { return Held_; }

private:
    void Fill();

    TNEReferenceCombo* Combo_;
    QPushButton* PickButton_ = nullptr;
    std::int32_t Held_ = -1;
};

// The longest text a string column keeps: its size, or the most any cell holds for size 0.
int TextLimitOf(const TNEColumn& Column);
