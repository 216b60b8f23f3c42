#pragma once

#include "foundation/NContain.h"
#include "foundation/NMap.h"

#include <cstdint>
#include <vector>

class TNERow;
class TNERowset;
class TNEStore;

// One pair of matched rowsets, and the source rows that had to take another ID in the target.
class TNEStoreMergerItem
{
public:
    // Source row ID -> the target row made from it, only for rows whose ID changed. Never owns the rows.
    TNEMap_IntegerToObject<TNERow> RowMap;
    std::int32_t SourceRowsetID = -1;
    std::int32_t TargetRowsetID = -1;
};

// Copies the rows of a source store into a target store: rowsets matched by name, columns by name. Rows keep their
// IDs where the target has them free; references to rows that had to take another ID are translated. The target's
// columns win: a source column the target lacks is ignored, a target column the source lacks takes its default.
class TNEStoreMerger
{
public:
    TNEStoreMerger();
    ~TNEStoreMerger();
    TNEStoreMerger(const TNEStoreMerger&) = delete;
    TNEStoreMerger& operator=(const TNEStoreMerger&) = delete;

    // Rowsets are visited in ascending ID, so the rowsets a REF column names are merged before it. Errors of the
    // row operations end the merge; rows merged before stay in the target.
    void Merge(TNEStore& SourceStore, TNEStore& TargetStore);
    // Merge with the same result in the target, for a source store that goes away afterwards: where a source
    // rowset has the target's text columns alike in name, kind and size, its texts move into the target instead of
    // being copied, and each row whose texts left is deleted from the source at once (unless a reference holds
    // it), so the two stores never hold the rows twice.
    void MergeMoving(TNEStore& SourceStore, TNEStore& TargetStore);

private:
    void MergeStores(TNEStore& SourceStore, TNEStore& TargetStore, bool MayMove);
    void MergeRowset(TNERowset& Source, TNERowset& Target, TNEStoreMergerItem& Item, bool MayMove);
    // Merges one source row into Target; true when it moved and left the source, so the walk is already past it.
    bool MergeRow(TNERow& Row, TNERowset& Target, TNEStoreMergerItem& Item, const std::vector<int>& SourceColumns,
                  bool IsMoved);
    // Takes a copy that cannot stay out of the target again, and out of the item's row map.
    static void DiscardCopy(TNERowset& Target, TNERow& Copy, std::int32_t SourceID, TNEStoreMergerItem& Item);
    // Copies the cells of the columns both rowsets share with the same kind from Source into Row's edit buffers.
    void CopyCells(const TNERow& Source, TNERow& Row, const std::vector<int>& SourceColumns);
    // The target row a reference of Row in its rowset's Column points at, or null.
    TNERow* TranslateReference(const TNERow& Row, int Column);

    // Keyed by source rowset ID, owned.
    TNESplayContainer<TNEStoreMergerItem> Items_;
    TNEStore* TargetStore_ = nullptr;
};
