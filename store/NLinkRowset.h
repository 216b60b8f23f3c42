#pragma once

#include "store/NRowsetBase.h"

#include <cstdint>

enum TNELinkKind : std::uint8_t
{
    lkShared = 1, // a source row may be linked to any number of targets
    lkUnique = 2, // a source row belongs to at most one target
};

// Pairs of references that tie a row of a target rowset (column 0) to rows of a source rowset (column 1). It
// checks its own changes: a changed link must have both references, and in a unique link rowset a source row
// takes no second link.
class TNERowset_Link : public TNERowset
{
public:
    TNERowset_Link(TNEStore& Owner, TNELinkOrder Order, TNELinkKind LinkKind);

    TNELinkOrder Order() const { return Order_; }
    TNELinkKind LinkKind() const { return LinkKind_; }
    // Ranked only for a unique link rowset that asks for ranks.
    TNELinkOrder EffectiveOrder() const override;

    std::int32_t TargetRowsetID() const { return Columns(TargetColumn).Size(); }
    std::int32_t SourceRowsetID() const { return Columns(SourceColumn).Size(); }
    TNERowset* TargetRowset() const;
    TNERowset* SourceRowset() const;

    static constexpr int TargetColumn = 0;
    static constexpr int SourceColumn = 1;

protected:
    std::unique_ptr<TNERow> CreateRow() override;
    void ValidateChange(TNERowsetEvent Event, TNERow& Row) override;

private:
    // True when another row of this rowset already has SourceID as its source.
    bool IsSourceLinked(std::int32_t SourceID);

    TNELinkOrder Order_;
    TNELinkKind LinkKind_;
};
