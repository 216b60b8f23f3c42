#include "foundation/NContain.h"

void TNEContainerBase::BeginChange()
{
    if (Locked_)
        throw ENELockedContainerErr();
    LastEvent_ = TNEContainerEvent::None;
}

void TNEContainerBase::Announce(TNEContainerEvent Event, std::int32_t Key)
{
    LastEvent_ = Event;
    EventKey_ = Key;
    ObservationPoint_.Notify();
}

void TNEContainerBase::AnnounceDestruction() noexcept
{
    LastEvent_ = TNEContainerEvent::Destroying;
    ObservationPoint_.Notify();
}

TNEContainerWatch::TNEContainerWatch(TNEContainerBase& Container, TNEChangeMethod OnChange)
    : Container_(&Container), OnChange_(OnChange)
{
    Container_->ObservationPoint().AddObserver({this, &TNEContainerWatch::ContainerChanged});
}

TNEContainerWatch::~TNEContainerWatch()
{
    if (Container_)
        Container_->ObservationPoint().RemoveObserver({this, &TNEContainerWatch::ContainerChanged});
}

void TNEContainerWatch::ContainerChanged(TNEContainerBase* Sender)
{
    if (Sender->LastEvent() == TNEContainerEvent::Destroying)
        Container_ = nullptr;
    else
        OnChange_(Sender);
}

TNEArrayPlan PlanArray(std::int32_t Count)
{
    // Half the count, a tie rounded to the even neighbour, and never less than one.
    std::int32_t delta = Count / 2;
    if (Count % 2 != 0 && delta % 2 != 0)
        ++delta;
    delta = std::max(delta, 1);
    return {Count + delta, Count - delta};
}
