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

// Every column of Target is a text column whose source column has the same kind and size, so a source text is
// already fitted to it and moves unchanged.
bool HasAlikeTextColumns(const TNERowset& Source, const TNERowset& Target, const std::vector<int>& SourceColumns)
{
    for (int column = 0; column < Target.ColumnCount(); ++column) {
        const int sourceColumn = SourceColumns[std::size_t(column)];
        if (sourceColumn < 0 || Target.Columns(column).Kind() != ckString ||
            Source.Columns(sourceColumn).Size() != Target.Columns(column).Size())
            return false;
    }
    return true;
}

} // namespace

TNEStoreMerger::TNEStoreMerger() : Items_(TNESplayContainer<TNEStoreMergerItem>::TNEKeyOfMethod(&KeyOfItem), true) {}

TNEStoreMerger::~TNEStoreMerger() = default;

void TNEStoreMerger::Merge(TNEStore& SourceStore, TNEStore& TargetStore)
{
    MergeStores(SourceStore, TargetStore, false);
}

void TNEStoreMerger::MergeMoving(TNEStore& SourceStore, TNEStore& TargetStore)
{
    MergeStores(SourceStore, TargetStore, true);
}

void TNEStoreMerger::MergeStores(TNEStore& SourceStore, TNEStore& TargetStore, bool MayMove)
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
            MergeRowset(*source, target, added, MayMove);
    }
}

void TNEStoreMerger::MergeRowset(TNERowset& Source, TNERowset& Target, TNEStoreMergerItem& Item, bool MayMove)
{
    const std::vector<int> sourceColumns = MatchColumns(Source, Target);
    const bool isMoved = MayMove && Source.Mode() != rmStatic && HasAlikeTextColumns(Source, Target, sourceColumns);
    TNERowIterator rows(Source);
    rows.First();
    while (!rows.IsDone()) {
        if (!MergeRow(*rows.Current(), Target, Item, sourceColumns, isMoved))
            rows.Next();
    }
}

bool TNEStoreMerger::MergeRow(TNERow& Row, TNERowset& Target, TNEStoreMergerItem& Item,
                              const std::vector<int>& SourceColumns, bool IsMoved)
{
    const std::int32_t requestedID = Target.FindRow(Row.ID()) ? -1 : Row.ID();
    TNERow& copy = *Target.FindRow(Target.InsertRow({}, requestedID));
    if (copy.ID() != Row.ID())
        Item.RowMap.Put(Row.ID(), &copy);
    if (Target.EffectiveOrder() == loRanked)
        static_cast<TNERow_Link&>(copy).LoadRank(Row.Rank());
    try {
        if (IsMoved) {
            for (int column = 0; column < int(SourceColumns.size()); ++column)
                copy.TakeString(column, Row, SourceColumns[std::size_t(column)]);
        } else {
            CopyCells(Row, copy, SourceColumns);
        }
        copy.Post();
    } catch (...) {
        // A refused copy (a link with one end only) would stay behind as an empty row.
        DiscardCopy(Target, copy, Row.ID(), Item);
        throw;
    }
    if (Target.Kind() == rkLink && !HasBothLinks(copy))
        DiscardCopy(Target, copy, Row.ID(), Item);
    if (!IsMoved || Row.EngagedCount() > 0)
        return false;
    Row.Rowset().DeleteRow(Row.ID());
    return true;
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
