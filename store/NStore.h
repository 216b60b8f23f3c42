#pragma once

#include "foundation/NContain.h"
#include "foundation/NStruct.h"
#include "store/NRowsetBase.h"

#include <QStringView>

#include <cstdint>
#include <vector>

class TNERowset_Link;
struct TNEViewCondition;
enum TNELinkKind : std::uint8_t;

// Rowsets keyed by their store-wide ID, owned.
class TNERowsetContainer
{
public:
    TNERowsetContainer();
    virtual ~TNERowsetContainer() = default;
    TNERowsetContainer(const TNERowsetContainer&) = delete;
    TNERowsetContainer& operator=(const TNERowsetContainer&) = delete;

    std::int32_t RowsetCount() const { return Rowsets_.Count(); }
    // The rowset with that ID, or null.
    TNERowset* FindRowset(std::int32_t ID);
    TNESplayContainer<TNERowset>& Rowsets() { return Rowsets_; }

protected:
    TNESplayContainer<TNERowset> Rowsets_;
};

// Walks the rowsets of a store in ascending ID; survives the removal of the rowset under it.
class TNERowsetIterator : public TNESplayIterator<TNERowset>
{
public:
    explicit TNERowsetIterator(TNERowsetContainer& Container) : TNESplayIterator<TNERowset>(Container.Rowsets()) {}
};

// An in-memory database: rowsets that reference each other's rows by the store-wide rowset ID. It keeps the time
// stamp of the latest change and a change counter that moves with every announced change of any row.
class TNEStore : public TNERowsetContainer
{
public:
    TNEStore();
    ~TNEStore() override;

    // A master rowset from a structure string; returns its ID. A failed structure uses up no ID.
    std::int32_t CreateRowset(QStringView Caption, QStringView Name, QStringView Structure, TNERowsetMode Mode);
    // A link rowset tying rows of the target rowset to rows of the source rowset, named target + source + "_" +
    // suffix; returns its ID.
    std::int32_t CreateLinkRowset(QStringView Caption, QStringView TargetName, TNELinkOrder Order, TNELinkKind LinkKind,
                                  TNERowsetMode Mode, QStringView Suffix, QStringView SourceName);
    // A read-only view of the rows of the source rowset that match every condition; it takes a rowset ID and counts
    // among the rowsets, but is never written out. Conditions on columns the source lacks raise
    // ENERowsetStructureErr.
    std::int32_t CreateViewRowset(QStringView Caption, QStringView Name, std::int32_t SourceID,
                                  std::vector<TNEViewCondition> Conditions);
    // The ID of the oldest rowset of that name (trimmed, without regard to case), -1 when none.
    std::int32_t FindRowsetID(QStringView Name);
    // The row of one rowset, or null when the rowset or the row does not exist.
    TNERow* FindRow(std::int32_t RowsetID, std::int32_t RowID);
    // Destroys every rowset, newest first, so links go before the rows they reference.
    void ClearStore();
    // Prepares the deletion of Row: removes every link that involves it and deletes the rows linked to it through
    // unique link rowsets (they belong to it), and theirs in turn. Row itself stays for the caller to delete.
    void ReleaseReferences(TNERow& Row);

    // The latest change of any row; only moves forward. Local time can repeat, so change detection uses
    // ChangeCount.
    const TNETimeStamp& Modified() const { return Modified_; }
    // Moves with every announced change of a row: insert, changing post, rank change, delete.
    std::uint64_t ChangeCount() const { return ChangeCount_; }

    // The ID the next rowset created in any store gets, and the number of stores alive in the process.
    static std::int32_t NextRowsetID();
    static int LiveStoreCount();

private:
    friend class TNERowset;

    // Names, checks, builds the columns of and registers a new rowset; on failure the rowset is destroyed.
    std::int32_t Register(std::unique_ptr<TNERowset> Rowset, QStringView Caption, QStringView Name,
                          QStringView Structure, TNERowsetMode Mode);
    void NoteModified(const TNETimeStamp& Stamp);
    void CountChange() { ++ChangeCount_; }

    TNETimeStamp Modified_ = MinTimeStamp;
    std::uint64_t ChangeCount_ = 0;
};

// A rowset of ordinary data rows.
class TNERowset_Master : public TNERowset
{
public:
    explicit TNERowset_Master(TNEStore& Owner) : TNERowset(Owner, rkMaster) {}
};
