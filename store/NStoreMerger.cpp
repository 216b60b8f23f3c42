#include "store/NStoreMerger.h"

#include "store/NLinkRowset.h"
#include "store/NStore.h"

#include <memory>

namespace {

std::int32_t KeyOfItem(TNEStoreMergerItem* Item)
{
    return Item->SourceRowsetID;
}

bool IsMergeable(const TNERowset& Rowset)
{
    return (Rowset.Kind() == rkMaster || Rowset.Kind() == rkLink) && Rowset.Mode() != rmStatic;
}

bool HasBothLinks(const TNERow& Row)
{
    return Row.GetReferenceID(TNERowset_Link::TargetColumn) >= 0 &&
           Row.GetReferenceID(TNERowset_Link::SourceColumn) >= 0;
}

// For each column of Target, the column of Source with the same name (without regard to case) and kind, or -1.
std::vector<int> MatchColumns(const TNERowset& Source, const TNERowset& Target)
{
    std::vector<int> matches;
    for (int column = 0; column < Target.ColumnCount(); ++column) {
        const TNEColumn& wanted = Target.Columns(column);
        const int match = Source.IndexOfColumn(wanted.Name());
        matches.push_back(match >= 0 && Source.Columns(match).Kind() == wanted.Kind() ? match : -1);
    }
    return matches;
}

} // namespace

TNEStoreMerger::TNEStoreMerger() : Items_(TNESplayContainer<TNEStoreMergerItem>::TNEKeyOfMethod(&KeyOfItem), true) {}

TNEStoreMerger::~TNEStoreMerger() = default;

void TNEStoreMerger::Merge(TNEStore& SourceStore, TNEStore& TargetStore)
{
    Items_.Clear();
    TargetStore_ = &TargetStore;
    TNERowsetIterator targets(TargetStore);
    for (targets.First(); !targets.IsDone(); targets.Next()) {
        TNERowset& target = *targets.Current();
        TNERowset* source = SourceStore.FindRowset(SourceStore.FindRowsetID(target.Name()));
        if (!source)
            continue;
        auto item = std::make_unique<TNEStoreMergerItem>();
        item->SourceRowsetID = source->ID();
        item->TargetRowsetID = target.ID();
        Items_.Add(item.get());
        TNEStoreMergerItem& added = *item.release();
        if (IsMergeable(target))
            MergeRowset(*source, target, added);
    }
}

void TNEStoreMerger::MergeRowset(TNERowset& Source, TNERowset& Target, TNEStoreMergerItem& Item)
{
    const std::vector<int> sourceColumns = MatchColumns(Source, Target);
    const bool isRanked = Target.EffectiveOrder() == loRanked;
    TNERowIterator rows(Source);
    for (rows.First(); !rows.IsDone(); rows.Next()) {
        const TNERow& row = *rows.Current();
        const std::int32_t requestedID = Target.FindRow(row.ID()) ? -1 : row.ID();
        TNERow& copy = *Target.FindRow(Target.InsertRow({}, requestedID));
        if (copy.ID() != row.ID())
            Item.RowMap.Put(row.ID(), &copy);
        if (isRanked)
            static_cast<TNERow_Link&>(copy).LoadRank(row.Rank());
        try {
            CopyCells(row, copy, sourceColumns);
            copy.Post();
        } catch (...) {
            // A refused copy (a link with one end only) would stay behind as an empty row.
            DiscardCopy(Target, copy, row.ID(), Item);
            throw;
        }
        if (Target.Kind() == rkLink && !HasBothLinks(copy))
            DiscardCopy(Target, copy, row.ID(), Item);
    }
}

void TNEStoreMerger::DiscardCopy(TNERowset& Target, TNERow& Copy, std::int32_t SourceID, TNEStoreMergerItem& Item)
{
    if (Item.RowMap.Get(SourceID) == &Copy)
        Item.RowMap.Put(SourceID, nullptr);
    Target.DeleteRow(Copy.ID());
}

void TNEStoreMerger::CopyCells(const TNERow& Source, TNERow& Row, const std::vector<int>& SourceColumns)
{
    for (int column = 0; column < int(SourceColumns.size()); ++column) {
        const int sourceColumn = SourceColumns[std::size_t(column)];
        if (sourceColumn < 0)
            continue;
        if (Row.Rowset().Columns(column).Kind() == ckString) {
            Row.SetString(column, Source.GetString(sourceColumn));
        } else if (const TNERow* target = TranslateReference(Source, sourceColumn)) {
            Row.SetReference(column, target);
        }
    }
}

TNERow* TNEStoreMerger::TranslateReference(const TNERow& Row, int Column)
{
    const std::int32_t referencedRowsetID = Row.Rowset().Columns(Column).Size();
    if (!Items_.IsValidKey(referencedRowsetID))
        return nullptr;
    const TNEStoreMergerItem& item = *Items_.GetItem(referencedRowsetID);
    const TNERow* referenced = Row.GetReference(Column);
    if (!referenced)
        return nullptr;
    const TNERow* moved = item.RowMap.Get(referenced->ID());
    return TargetStore_->FindRow(item.TargetRowsetID, moved ? moved->ID() : referenced->ID());
}
