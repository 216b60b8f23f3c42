#include "store/NVirtualRowset.h"

#include "store/NLinkRowset.h"
#include "store/NStoreErrors.h"
#include "store/NViewRowset.h"

#include <algorithm>
#include <vector>

namespace {

// The rows of a container in ascending ID, gathered before a walk that changes the container.
std::vector<TNERow*> RowsOf(TNERowContainer& Container)
{
    std::vector<TNERow*> rows;
    rows.reserve(std::size_t(Container.RowCount()));
    TNERowIterator iterator(Container);
    for (iterator.First(); !iterator.IsDone(); iterator.Next())
        rows.push_back(iterator.Current());
    return rows;
}

} // namespace

TNEVirtualRowset::TNEVirtualRowset(TNERowset& Rowset) : TNERowContainer(false), Rowset_(&Rowset)
{
    Rowset_->ObservationPoint().AddObserver({this, &TNEVirtualRowset::RowsetChanged});
}

TNEVirtualRowset::~TNEVirtualRowset()
{
    if (Rowset_)
        Rowset_->ObservationPoint().RemoveObserver({this, &TNEVirtualRowset::RowsetChanged});
}

bool TNEVirtualRowset::Accepts(const TNERow& Row) const
{
    if (!Rowset_)
        return false;
    if (&Row.Rowset() == Rowset_)
        return true;
    const auto* view = dynamic_cast<const TNERowset_View*>(Rowset_);
    return view && view->SourceRowset() == &Row.Rowset();
}

void TNEVirtualRowset::CheckRow(const TNERow* Row) const
{
    if (!Row || !Accepts(*Row))
        throw ENEInvalidRowsetErr();
}

void TNEVirtualRowset::Add(TNERow* Row)
{
    CheckRow(Row);
    Rows_.Add(Row);
}

void TNEVirtualRowset::Remove(TNERow* Row)
{
    CheckRow(Row);
    Rows_.Remove(Row);
}

bool TNEVirtualRowset::Contains(TNERow* Row)
{
    CheckRow(Row);
    return Rows_.Contains(Row);
}

void TNEVirtualRowset::Clear()
{
    Rows_.Clear();
}

void TNEVirtualRowset::CopyRows(TNEVirtualRowset& Source, TNEVirtualRowset& Dest)
{
    if (!Source.Rowset_ || Source.Rowset_ != Dest.Rowset_)
        throw ENEInvalidRowsetErr();
    if (&Source == &Dest)
        return;
    Dest.Clear();
    for (TNERow* row : RowsOf(Source))
        Dest.Rows_.Add(row);
}

void TNEVirtualRowset::SelectLinksOfTarget(TNEVirtualRowset& Selection, std::int32_t TargetID)
{
    if (!Selection.Rowset_ || Selection.Rowset_->Kind() != rkLink)
        throw ENEInvalidRowsetErr();
    Selection.Clear();
    for (TNERow* link : RowsOf(*Selection.Rowset_)) {
        if (link->GetReferenceID(TNERowset_Link::TargetColumn) == TargetID)
            Selection.Rows_.Add(link);
    }
}

void TNEVirtualRowset::RowsetChanged(TNERowset* Sender)
{
    if (Sender->LastEvent() == TNERowsetEvent::RowDeleting) {
        if (Rows_.Contains(Sender->EventRow()))
            Rows_.Remove(Sender->EventRow());
    } else if (Sender->LastEvent() == TNERowsetEvent::Destroying) {
        Detach();
    }
}

void TNEVirtualRowset::Detach()
{
    // The rows are destroyed already: the selection only unlinks them and never reads them again.
    Rowset_->ObservationPoint().RemoveObserver({this, &TNEVirtualRowset::RowsetChanged});
    Rowset_ = nullptr;
    Rows_.Clear();
}

TNEVirtualRowsetLinks::TNEVirtualRowsetLinks(TNERowset_Link& LinkRowset, std::int32_t TargetID)
    : TNEVirtualRowset(*LinkRowset.SourceRowset()), LinkRowset_(&LinkRowset),
      Ranked_(LinkRowset.EffectiveOrder() == loRanked), TargetID_(TargetID)
{
    Load();
    LinkRowset_->ObservationPoint().AddObserver({this, &TNEVirtualRowsetLinks::LinkRowsetChanged});
    Rows_.ObservationPoint().AddObserver({this, &TNEVirtualRowsetLinks::SelectionChanged});
}

TNEVirtualRowsetLinks::~TNEVirtualRowsetLinks()
{
    Rows_.ObservationPoint().RemoveObserver({this, &TNEVirtualRowsetLinks::SelectionChanged});
    if (LinkRowset_)
        LinkRowset_->ObservationPoint().RemoveObserver({this, &TNEVirtualRowsetLinks::LinkRowsetChanged});
    Announce(TNEVirtualLinksEvent::Destroying, 0, 0);
}

void TNEVirtualRowsetLinks::Load()
{
    std::vector<TNERow*> links;
    for (TNERow* link : RowsOf(*LinkRowset_)) {
        TNERow* source = link->GetReference(TNERowset_Link::SourceColumn);
        if (link->GetReferenceID(TNERowset_Link::TargetColumn) != TargetID_ || !source || Rows_.Contains(source))
            continue;
        Rows_.Add(source);
        links.push_back(link);
    }
    if (!Ranked_)
        return;
    // Ranked links first by rank, then the unranked ones; ties by link ID, which is the order they came in.
    std::ranges::stable_sort(links, [](const TNERow* Left, const TNERow* Right) {
        const auto order = [](const TNERow* Link) { return Link->Rank() >= 1 ? Link->Rank() : INT32_MAX; };
        return order(Left) < order(Right);
    });
    std::int32_t rank = 0;
    for (const TNERow* link : links)
        SetRankOf(link->GetReferenceID(TNERowset_Link::SourceColumn), ++rank);
}

std::int32_t TNEVirtualRowsetLinks::RankOf(TNERow* Row)
{
    if (!Row || !Accepts(*Row) || !Rows_.Contains(Row))
        throw ENEInvalidRowErr();
    return Ranked_ ? Ranks_.Get(Row->ID()) : 0;
}

void TNEVirtualRowsetLinks::MoveTo(TNERow* Row, std::int32_t Position)
{
    const std::int32_t old = RankOf(Row);
    if (!Ranked_)
        return;
    const std::int32_t ranked = Ranks_.Count();
    const std::int32_t last = old > 0 ? ranked : ranked + 1;
    const std::int32_t target = std::clamp(Position, 1, std::max(last, 1));
    if (old == target)
        return;
    // The shifts are gathered first: observers of the announcements may look at the ranks.
    std::vector<std::pair<std::int32_t, std::int32_t>> shifts;
    TNEGenericIterator entries(Ranks_);
    for (entries.First(); !entries.IsDone(); entries.Next()) {
        const std::int32_t id = Ranks_.KeyAt(entries);
        const std::int32_t rank = Ranks_.ValueAt(entries);
        if (id == Row->ID())
            continue;
        if (old == 0 && rank >= target)
            shifts.emplace_back(id, rank + 1);
        else if (old > 0 && old < target && rank > old && rank <= target)
            shifts.emplace_back(id, rank - 1);
        else if (old > target && rank >= target && rank < old)
            shifts.emplace_back(id, rank + 1);
    }
    for (const auto& [id, rank] : shifts)
        SetRankOf(id, rank);
    SetRankOf(Row->ID(), target);
}

void TNEVirtualRowsetLinks::Apply()
{
    if (!LinkRowset_ || !Rowset())
        throw ENEInvalidRowsetErr();
    TNEVirtualRowset pending(*Rowset());
    CopyRows(*this, pending);
    TNEVirtualRowset links(*LinkRowset_);
    SelectLinksOfTarget(links, TargetID_);
    std::vector<TNERow*> existing = RowsOf(links);
    for (auto link = existing.rbegin(); link != existing.rend(); ++link) {
        TNERow* source = (*link)->GetReference(TNERowset_Link::SourceColumn);
        if (source && pending.Contains(source)) {
            pending.Remove(source);
            (*link)->SetRank(RankOf(source));
        } else {
            LinkRowset_->DeleteRow((*link)->ID());
        }
    }
    for (TNERow* source : RowsOf(pending)) {
        const std::int32_t id =
            LinkRowset_->InsertRow(JoinItems({QString::number(TargetID_), QString::number(source->ID())}));
        LinkRowset_->FindRow(id)->SetRank(RankOf(source));
    }
}

void TNEVirtualRowsetLinks::SelectionChanged(TNEContainerBase* Sender)
{
    const std::int32_t id = Sender->EventKey();
    if (Sender->LastEvent() == TNEContainerEvent::ItemAdded) {
        if (Ranked_)
            MoveTo(FindRow(id), RowCount());
        Announce(TNEVirtualLinksEvent::RowAdded, id, Ranks_.Get(id));
    } else if (Sender->LastEvent() == TNEContainerEvent::ItemRemoved) {
        RowRemoved(id);
    }
}

void TNEVirtualRowsetLinks::RowRemoved(std::int32_t ID)
{
    const std::int32_t removed = Ranks_.Get(ID);
    if (removed > 0) {
        Ranks_.Put(ID, 0);
        std::vector<std::pair<std::int32_t, std::int32_t>> shifts;
        TNEGenericIterator entries(Ranks_);
        for (entries.First(); !entries.IsDone(); entries.Next()) {
            if (Ranks_.ValueAt(entries) > removed)
                shifts.emplace_back(Ranks_.KeyAt(entries), Ranks_.ValueAt(entries) - 1);
        }
        for (const auto& [id, rank] : shifts)
            SetRankOf(id, rank);
    }
    Announce(TNEVirtualLinksEvent::RowRemoved, ID, removed);
}

void TNEVirtualRowsetLinks::LinkRowsetChanged(TNERowset* Sender)
{
    if (Sender->LastEvent() != TNERowsetEvent::Destroying)
        return;
    Sender->ObservationPoint().RemoveObserver({this, &TNEVirtualRowsetLinks::LinkRowsetChanged});
    LinkRowset_ = nullptr;
}

void TNEVirtualRowsetLinks::SetRankOf(std::int32_t ID, std::int32_t Rank)
{
    Ranks_.Put(ID, Rank);
    Announce(TNEVirtualLinksEvent::RankChanged, ID, Rank);
}

void TNEVirtualRowsetLinks::Announce(TNEVirtualLinksEvent Event, std::int32_t ID, std::int32_t Rank)
{
    LastEvent_ = Event;
    EventID_ = ID;
    EventRank_ = Rank;
    ObservationPoint_.Notify();
    LastEvent_ = TNEVirtualLinksEvent::None;
    EventID_ = 0;
    EventRank_ = 0;
}
