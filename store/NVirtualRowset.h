#pragma once

#include "foundation/NMap.h"
#include "foundation/NObserve.h"
#include "store/NRow.h"

#include <cstdint>

class TNERowset;
class TNERowset_Link;

// A selection: rows of one rowset held without owning them. It follows the rowset: a row being deleted leaves the
// selection, and when the rowset is destroyed the selection empties and lets go of it.
class TNEVirtualRowset : public TNERowContainer
{
public:
    explicit TNEVirtualRowset(TNERowset& Rowset);
    ~TNEVirtualRowset() override;

    // The rowset whose rows the selection may hold; null once that rowset is destroyed.
    TNERowset* Rowset() const { return Rowset_; }

    // The row must belong to Rowset, or to the source of Rowset when that is a view; else Invalid rowset error.
    void Add(TNERow* Row);
    void Remove(TNERow* Row);
    bool Contains(TNERow* Row);
    void Clear();

    // Dest receives exactly the rows of Source; both must select from the same rowset.
    static void CopyRows(TNEVirtualRowset& Source, TNEVirtualRowset& Dest);
    // For a selection over a link rowset: exactly the link rows whose target is TargetID.
    static void SelectLinksOfTarget(TNEVirtualRowset& Selection, std::int32_t TargetID);

protected:
    // True when Row may be held: it belongs to the rowset (or to a view's source).
    bool Accepts(const TNERow& Row) const;

private:
    void RowsetChanged(TNERowset* Sender);
    void CheckRow(const TNERow* Row) const;
    void Detach();

    TNERowset* Rowset_;
};

// The change a link selection is announcing; the numbers are what observers read from LastEvent.
enum class TNEVirtualLinksEvent : std::uint8_t
{
    None = 0,
    Destroying = 1,
    RowRemoved = 2,
    RowAdded = 3,
    RankChanged = 4,
};

// The editable picture of one target row's links: the source rows linked to it and, in a ranked link rowset, their
// ranks 1..n. Changes stay here until Apply writes them into the link rowset.
class TNEVirtualRowsetLinks : public TNEVirtualRowset
{
public:
    // Loads the links of the target row at once.
    TNEVirtualRowsetLinks(TNERowset_Link& LinkRowset, std::int32_t TargetID);
    ~TNEVirtualRowsetLinks() override;

    TNEVirtualLinksEvent LastEvent() const { return LastEvent_; }
    std::int32_t EventID() const { return EventID_; }
    // The old rank for a removal, the new rank for an addition or a rank change.
    std::int32_t EventRank() const { return EventRank_; }
    TNEObservationPoint<TNEVirtualRowsetLinks>& ObservationPoint() { return ObservationPoint_; }
    // Null once the link rowset is destroyed.
    TNERowset_Link* LinkRowset() const { return LinkRowset_; }
    bool Ranked() const { return Ranked_; }
    std::int32_t TargetID() const { return TargetID_; }

    // The row's rank, 0 when not ranked; Invalid row error for a row outside the selection.
    std::int32_t RankOf(TNERow* Row);
    // Gives the row rank Position, shifting the others so that ranks stay 1..n. A row that has a rank goes at most
    // to the last rank; one without may go one beyond. Nothing happens when not ranked.
    void MoveTo(TNERow* Row, std::int32_t Position);
    void MoveUp(TNERow* Row) { MoveTo(Row, RankOf(Row) - 1); }
    void MoveDown(TNERow* Row) { MoveTo(Row, RankOf(Row) + 1); }
    // Rewrites the target's link rows: one link to each selected row, with its rank. Errors of the link rowset
    // propagate; links changed before stay changed.
    void Apply();

private:
    void Load();
    void SelectionChanged(TNEContainerBase* Sender);
    void LinkRowsetChanged(TNERowset* Sender);
    void RowRemoved(std::int32_t ID);
    void SetRankOf(std::int32_t ID, std::int32_t Rank);
    void Announce(TNEVirtualLinksEvent Event, std::int32_t ID, std::int32_t Rank);

    TNEVirtualLinksEvent LastEvent_ = TNEVirtualLinksEvent::None;
    std::int32_t EventID_ = 0;
    std::int32_t EventRank_ = 0;
    TNERowset_Link* LinkRowset_;
    TNEObservationPoint<TNEVirtualRowsetLinks> ObservationPoint_{this};
    TNEMap_IntegerToInteger Ranks_;
    bool Ranked_;
    std::int32_t TargetID_;
};
