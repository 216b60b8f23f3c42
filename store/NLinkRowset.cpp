#include "store/NLinkRowset.h"

#include "store/NStore.h"
#include "store/NStoreErrors.h"

TNERowset_Link::TNERowset_Link(TNEStore& Owner, TNELinkOrder Order, TNELinkKind LinkKind)
    : TNERowset(Owner, rkLink), Order_(Order), LinkKind_(LinkKind)
{}

TNELinkOrder TNERowset_Link::EffectiveOrder() const
{
    return LinkKind_ == lkUnique && Order_ == loRanked ? loRanked : loSorted;
}

TNERowset* TNERowset_Link::TargetRowset() const
{
    return Store().FindRowset(TargetRowsetID());
}

TNERowset* TNERowset_Link::SourceRowset() const
{
    return Store().FindRowset(SourceRowsetID());
}

std::unique_ptr<TNERow> TNERowset_Link::CreateRow()
{
    return std::make_unique<TNERow_Link>(*this);
}

void TNERowset_Link::ValidateChange(TNERowsetEvent Event, TNERow& Row)
{
    if (Event == TNERowsetEvent::RowChanged) {
        if (Row.GetReferenceID(TargetColumn) < 0 || Row.GetReferenceID(SourceColumn) < 0)
            throw ENEInvalidRowErr();
    } else if (Event == TNERowsetEvent::RowInserted && LinkKind_ == lkUnique) {
        const TNERow* source = Row.GetReference(SourceColumn);
        if (source && source->EngagedCount() >= 2 && IsSourceLinked(source->ID()))
            throw ENEEngagedRowErr();
    }
}

bool TNERowset_Link::IsSourceLinked(std::int32_t SourceID)
{
    TNERowIterator rows(*this);
    for (rows.First(); !rows.IsDone(); rows.Next()) {
        if (rows.Current()->GetReferenceID(SourceColumn) == SourceID)
            return true;
    }
    return false;
}
