#pragma once

#include "foundation/NException.h"
#include "foundation/NObserve.h"

#include <cstdint>
#include <functional>
#include <type_traits>

NE_DECLARE_ERROR(ENELockedContainerErr, ENEException, "Locked container");
NE_DECLARE_ERROR(ENEInvalidIndexErr, ENEException, "Invalid index");
NE_DECLARE_ERROR(ENEDuplicateItemErr, ENEException, "Duplicate item");

// The change a container is announcing; the numbers are what observers read from LastEvent.
enum class TNEContainerEvent : std::uint8_t
{
    None = 0,
    Destroying = 1,
    ItemRemoved = 2,
    ItemAdded = 3,
};

// What every container has whatever its items: the walk lock, the ownership flag, the announced change and the
// observation point. Iterators observe this part, so they need not know the item type to follow changes.
class TNEContainerBase
{
public:
    TNEContainerBase() = default;
    virtual ~TNEContainerBase() = default;
    TNEContainerBase(const TNEContainerBase&) = delete;
    TNEContainerBase& operator=(const TNEContainerBase&) = delete;

    bool IsLocked() const { return Locked_; }
    bool OwnsObjects() const { return OwnsObjects_; }
    void SetOwnsObjects(bool Owns) { OwnsObjects_ = Owns; }
    TNEContainerEvent LastEvent() const { return LastEvent_; }
    // Index (array containers) or key (splay container) of the item last added or removed.
    std::int32_t EventKey() const { return EventKey_; }
    std::int32_t Count() const { return Count_; }
    TNEObservationPoint<TNEContainerBase>& ObservationPoint() { return ObservationPoint_; }

protected:
    // Every change starts here: a locked container refuses it before anything is touched.
    void BeginChange();
    void Announce(TNEContainerEvent Event, std::int32_t Key);
    // Last words of a container: observers (iterators) detach and never call back.
    void AnnounceDestruction() noexcept;

    // Holds the lock for the length of a walk, also when the callback raises. A walk nested in another one on the
    // same container hands the lock back to the outer walk when it ends.
    class TNEWalkLock
    {
    public:
        explicit TNEWalkLock(TNEContainerBase& Container) : Container_(Container), WasLocked_(Container.Locked_)
        {
            Container_.Locked_ = true;
        }
        ~TNEWalkLock() { Container_.Locked_ = WasLocked_; }
        TNEWalkLock(const TNEWalkLock&) = delete;
        TNEWalkLock& operator=(const TNEWalkLock&) = delete;

    private:
        TNEContainerBase& Container_;
        bool WasLocked_;
    };

    std::int32_t Count_ = 0;

private:
    bool Locked_ = false;
    bool OwnsObjects_ = false;
    TNEContainerEvent LastEvent_ = TNEContainerEvent::None;
    std::int32_t EventKey_ = 0;
    TNEObservationPoint<TNEContainerBase> ObservationPoint_{this};
};

// The one interface of the three containers, typed on the item so callers get their own class back.
template <typename Item> class TNEAbstractContainer : public TNEContainerBase
{
public:
    // Called for every item in order with its index or key; setting Stop ends the walk.
    using TNEForEachCallback = std::function<void(std::int32_t Key, Item* Element, bool& Stop)>;

    virtual Item* GetItem(std::int32_t Key) = 0;
    virtual void Remove(Item* Element) = 0;
    virtual void Add(Item* Element) = 0;
    virtual void Clear() = 0;
    virtual bool IsValidKey(std::int32_t Key) = 0;
    virtual bool Contains(Item* Element) = 0;
    // The container is locked during the walk: changes (and lookups that reshape it) raise ENELockedContainerErr.
    virtual void ForEach(const TNEForEachCallback& Callback) = 0;

protected:
    // Ends a successful removal: an owned item is destroyed, then the removal is announced.
    void FinishRemoval(Item* Element, std::int32_t Key)
    {
        static_assert(!std::is_polymorphic_v<Item> || std::has_virtual_destructor_v<Item>,
                      "an owning container destroys its items through Item*");
        if (OwnsObjects())
            delete Element;
        Announce(TNEContainerEvent::ItemRemoved, Key);
    }
};

// A position in a container that stays valid while the container changes.
template <typename Item> class TNEAbstractIterator
{
public:
    TNEAbstractIterator() = default;
    virtual ~TNEAbstractIterator() = default;
    TNEAbstractIterator(const TNEAbstractIterator&) = delete;
    TNEAbstractIterator& operator=(const TNEAbstractIterator&) = delete;

    virtual Item* Current() = 0;
    virtual void RemoveCurrent() = 0;
    virtual void First() = 0;
    virtual bool IsDone() const = 0;
    virtual void Last() = 0;
    virtual void Next() = 0;
    virtual void Prev() = 0;
};

// Keeps an iterator registered with its container and lets it outlive the container: on the destruction
// announcement it forgets the container and later skips the deregistration.
class TNEContainerWatch
{
public:
    using TNEChangeMethod = TNEMethod<void(TNEContainerBase*)>;

    TNEContainerWatch(TNEContainerBase& Container, TNEChangeMethod OnChange);
    ~TNEContainerWatch();
    TNEContainerWatch(const TNEContainerWatch&) = delete;
    TNEContainerWatch& operator=(const TNEContainerWatch&) = delete;

    bool IsAttached() const { return Container_ != nullptr; }

private:
    void ContainerChanged(TNEContainerBase* Sender);

    TNEContainerBase* Container_;
    TNEChangeMethod OnChange_;
};
