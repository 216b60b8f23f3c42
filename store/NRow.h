#pragma once

#include "foundation/NContain.h"
#include "foundation/NStruct.h"
#include "store/NColumn.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <memory>

class TNERowset;

// One cell's value: a row ID for a REF column (-1 = null), a text for a STR column.
struct TNEFieldValue
{
    QString Text;
    std::int32_t Reference = -1;

    friend bool operator==(const TNEFieldValue&, const TNEFieldValue&) = default;
};

// What readers see (Current) and what was written but not yet posted (Edit).
struct TNEValuePair
{
    TNEFieldValue Current;
    TNEFieldValue Edit;
};

// A row of a rowset: one value pair per column. Writes go to the edit buffers; Post commits them, announces the
// change and keeps the engaged counts of the referenced rows.
class TNERow
{
public:
    explicit TNERow(TNERowset& Owner);
    // Releases the rows its current references point at.
    virtual ~TNERow();
    TNERow(const TNERow&) = delete;
    TNERow& operator=(const TNERow&) = delete;

    // -1 until the row is inserted.
    std::int32_t ID() const { return ID_; }
    // How many committed REF cells of the store point at this row; a row with any cannot be deleted.
    std::int32_t EngagedCount() const { return EngagedCount_; }
    TNERowset& Rowset() const { return Rowset_; }
    const TNETimeStamp& Modified() const { return Modified_; }
    // Gives the row the time stamp a file recorded for it, without moving the rowset's or the store's.
    void LoadModified(const TNETimeStamp& Stamp) { Modified_ = Stamp; }

    QString GetString(int Column) const;
    QString GetStringByName(QStringView Name) const;
    void SetString(int Column, QStringView Text);
    // The same for a text this row may keep as it is, without a copy, when it fits the column.
    void SetString(int Column, QString&& Text);
    // Moves the committed text of Source's SourceColumn into this row's edit buffer of Column, unchanged, and leaves
    // Source's cell empty. For a text already fitted to Column (a column of the same size); no copy of it is left.
    void TakeString(int Column, TNERow& Source, int SourceColumn);
    // The referenced row, or null for a null reference or a row that is gone.
    TNERow* GetReference(int Column) const;
    // The referenced row's ID, -1 for null.
    std::int32_t GetReferenceID(int Column) const;
    void SetReference(int Column, const TNERow* Row);
    // Commits the edit buffers. All or nothing: when an observer refuses the change, the previous values return.
    void Post();

    // Display text of one column, or of the whole row for a negative Column.
    QString GetText(int Column) const;
    // The current values as the field list InsertRow reads: a REF cell as the row ID in decimal (empty for null),
    // a STR cell as its text.
    QString GetValues() const;

    // The rank among the links of one target; 0 except in a ranked link rowset.
    virtual std::int32_t Rank() const { return 0; }
    virtual void SetRank(std::int32_t Value);

protected:
    // Sets Modified to now and moves the rowset's and the store's time stamps unless the rowset is silent.
    void Touch();

private:
    friend class TNERowset;

    // The value pair of a column of the given kind; Type mismatch error for the other kind.
    TNEValuePair& Pair(int Column, TNEColumnKind Kind);
    const TNEValuePair& Pair(int Column, TNEColumnKind Kind) const;
    void CheckKind(int Column, TNEColumnKind Kind) const;
    // Puts a text already fitted to the column into its edit buffer, unless the buffer holds that text already.
    void SetFittedString(int Column, QString Fitted);
    // The row a reference of this row's column points at, null when there is none.
    TNERow* TargetOf(int Column, std::int32_t RowID) const;
    void ReleaseTarget(int Column, std::int32_t RowID);
    void EngageTarget(int Column, std::int32_t RowID);

    std::unique_ptr<TNEValuePair[]> Values_;
    std::int32_t ID_ = -1;
    std::int32_t EngagedCount_ = 0;
    TNERowset& Rowset_;
    TNETimeStamp Modified_ = MinTimeStamp;
};

// A row of a link rowset: a row with a rank, which counts only when the link rowset is ranked.
class TNERow_Link : public TNERow
{
public:
    using TNERow::TNERow;

    std::int32_t Rank() const override;
    // A different rank is announced as a row change and sets Modified; outside a ranked rowset nothing happens.
    void SetRank(std::int32_t Value) override;
    // Gives the row the rank a file recorded for it, without announcing it.
    void LoadRank(std::int32_t Value) { Rank_ = Value; }

private:
    std::int32_t Rank_ = 0;
};

// Rows keyed by ID in a splay container: a row just used is found again at the root.
class TNERowContainer
{
public:
    explicit TNERowContainer(bool OwnsRows);
    virtual ~TNERowContainer() = default;
    TNERowContainer(const TNERowContainer&) = delete;
    TNERowContainer& operator=(const TNERowContainer&) = delete;

    std::int32_t RowCount() const { return Rows_.Count(); }
    // The row with that ID, or null.
    TNERow* FindRow(std::int32_t ID);
    TNESplayContainer<TNERow>& Rows() { return Rows_; }

protected:
    TNESplayContainer<TNERow> Rows_;
};

// Walks the rows of a row container in ascending ID; survives the removal of the row under it.
class TNERowIterator : public TNESplayIterator<TNERow>
{
public:
    explicit TNERowIterator(TNERowContainer& Container) : TNESplayIterator<TNERow>(Container.Rows()) {}
};

// The order of the row lists: column by column under the user's locale, then column count, time stamp and ID.
// Null sorts first. Both return -1, 0 or 1.
int CompareRows(const TNERow* Left, const TNERow* Right);
int CompareField(const TNERow* Left, const TNERow* Right, int Column);
