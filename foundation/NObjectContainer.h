#pragma once

#include "foundation/NContainBase.h"

#include <algorithm>
#include <memory>

// Block size for a count: Capacity = Count + Delta and ShrinkLimit = Count - Delta, Delta being half the count.
struct TNEArrayPlan
{
    std::int32_t Capacity;
    std::int32_t ShrinkLimit;
};
TNEArrayPlan PlanArray(std::int32_t Count);

// Items addressed by index, in insertion order, held in one block that grows and shrinks by half its size.
template <typename Item> class TNEObjectContainer : public TNEAbstractContainer<Item>
{
public:
    using typename TNEAbstractContainer<Item>::TNEForEachCallback;

    explicit TNEObjectContainer(bool OwnsObjects = false) { this->SetOwnsObjects(OwnsObjects); }
    ~TNEObjectContainer() override
    {
        RemoveAll();
        this->AnnounceDestruction();
    }

    std::int32_t Capacity() const { return Capacity_; }
    std::int32_t ShrinkLimit() const { return ShrinkLimit_; }

    Item* GetItem(std::int32_t Index) override
    {
        if (!IsValidKey(Index))
            throw ENEInvalidIndexErr();
        return Begin()[Index];
    }

    bool IsValidKey(std::int32_t Index) override { return Index >= 0 && Index < this->Count(); }

    void Add(Item* Element) override
    {
        this->BeginChange();
        InsertAt(this->Count(), Element);
    }

    // Removes the first occurrence of this very object.
    void Remove(Item* Element) override { Delete(IdentityIndex(Element)); }

    virtual void Delete(std::int32_t Index)
    {
        this->BeginChange();
        if (!IsValidKey(Index))
            throw ENEInvalidIndexErr();
        TakeAt(Index);
    }

    bool Contains(Item* Element) override { return IdentityIndex(Element) >= 0; }

    void Clear() override
    {
        this->BeginChange();
        RemoveAll();
    }

    void ForEach(const TNEForEachCallback& Callback) override
    {
        typename TNEContainerBase::TNEWalkLock lock(*this);
        bool stop = false;
        for (std::int32_t index = 0; index < this->Count() && !stop; ++index)
            Callback(index, Begin()[index], stop);
    }

protected:
    // Puts the item at Index (0..Count), moving the following ones up, and announces it.
    void InsertAt(std::int32_t Index, Item* Element)
    {
        ++this->Count_;
        if (this->Count_ > Capacity_)
            Resize();
        std::move_backward(Begin() + Index, Begin() + this->Count_ - 1, Begin() + this->Count_);
        Begin()[Index] = Element;
        this->Announce(TNEContainerEvent::ItemAdded, Index);
    }

    Item* ItemAt(std::int32_t Index) const { return Begin()[Index]; }

private:
    Item** Begin() const { return Items_.get(); }

    std::int32_t IdentityIndex(const Item* Element) const
    {
        Item** const end = Begin() + this->Count();
        Item** const found = std::find(Begin(), end, Element);
        return found == end ? -1 : std::int32_t(found - Begin());
    }

    // Moves the following items down, shrinks the block when due, then destroys and announces.
    void TakeAt(std::int32_t Index)
    {
        Item* removed = Begin()[Index];
        std::move(Begin() + Index + 1, Begin() + this->Count_, Begin() + Index);
        --this->Count_;
        if (this->Count_ < ShrinkLimit_)
            Resize();
        this->FinishRemoval(removed, Index);
    }

    // The last item goes first so every announced index is still meaningful to iterators.
    void RemoveAll()
    {
        while (this->Count() > 0)
            TakeAt(this->Count() - 1);
        Items_.reset();
        Capacity_ = 0;
        ShrinkLimit_ = 0;
    }

    // Count_ already holds the new count; the items below the old count are carried over.
    void Resize()
    {
        const TNEArrayPlan plan = PlanArray(this->Count_);
        auto block = std::make_unique<Item*[]>(std::size_t(plan.Capacity));
        std::copy(Begin(), Begin() + std::min(this->Count_, Capacity_), block.get());
        Items_ = std::move(block);
        Capacity_ = plan.Capacity;
        ShrinkLimit_ = plan.ShrinkLimit;
    }

    std::unique_ptr<Item*[]> Items_;
    std::int32_t Capacity_ = 0;
    std::int32_t ShrinkLimit_ = 0;
};

// The array kept in ascending order under a comparison; items that compare equal keep the order they were added in.
template <typename Item> class TNEOrganizedContainer : public TNEObjectContainer<Item>
{
public:
    // Negative, zero or positive as the first item sorts before, with or after the second.
    using TNECompareMethod = TNEMethod<int(Item*, Item*)>;

    explicit TNEOrganizedContainer(TNECompareMethod Compare, bool OwnsObjects = false)
        : TNEObjectContainer<Item>(OwnsObjects), Compare_(Compare)
    {}

    void SetCompare(TNECompareMethod Compare) { Compare_ = Compare; }

    void Add(Item* Element) override
    {
        this->BeginChange();
        const std::int32_t position = Search(Element, UpperBound);
        if (position > 0 && this->ItemAt(position - 1) == Element)
            throw ENEDuplicateItemErr();
        this->InsertAt(position, Element);
    }

    // Index of the first item comparing equal to Element, or -1.
    std::int32_t IndexOf(Item* Element)
    {
        const std::int32_t position = Search(Element, LowerBound);
        return position < this->Count() && Compare_(this->ItemAt(position), Element) == 0 ? position : -1;
    }

    bool Contains(Item* Element) override { return IndexOf(Element) >= 0; }

    // Removes the first item comparing equal, which need not be this very object; without one, raises
    // ENEInvalidIndexErr rather than removing the larger item that sits where it would go.
    void Remove(Item* Element) override { this->Delete(IndexOf(Element)); }

private:
    static constexpr int LowerBound = 0; // first position whose item is not smaller
    static constexpr int UpperBound = 1; // first position whose item is larger

    std::int32_t Search(Item* Element, int Threshold)
    {
        std::int32_t low = 0;
        std::int32_t high = this->Count() - 1;
        while (low <= high) {
            const std::int32_t middle = (low + high) / 2;
            if (Compare_(this->ItemAt(middle), Element) < Threshold)
                low = middle + 1;
            else
                high = middle - 1;
        }
        return low;
    }

    TNECompareMethod Compare_;
};

// Walks either array container by index and follows items added and removed before it.
template <typename Item> class TNEObjectIterator : public TNEAbstractIterator<Item>
{
public:
    explicit TNEObjectIterator(TNEObjectContainer<Item>& Container)
        : Container_(&Container), Watch_(Container, {this, &TNEObjectIterator::ContainerChanged})
    {}

    std::int32_t Index() const { return Index_; }

    Item* Current() override
    {
        if (!Watch_.IsAttached())
            throw ENEInvalidIndexErr();
        return Container_->GetItem(Index_);
    }

    // Deletes by index, so exactly the item under the iterator goes even when equal or repeated items exist.
    void RemoveCurrent() override
    {
        if (!IsDone())
            Container_->Delete(Index_);
    }

    void First() override { Index_ = 0; }
    void Last() override { Index_ = Watch_.IsAttached() ? Container_->Count() - 1 : -1; }
    void Next() override { ++Index_; }
    void Prev() override { --Index_; }
    bool IsDone() const override { return !Watch_.IsAttached() || Index_ < 0 || Index_ >= Container_->Count(); }

private:
    void ContainerChanged(TNEContainerBase* Sender)
    {
        if (Sender->LastEvent() == TNEContainerEvent::ItemRemoved && Sender->EventKey() < Index_)
            --Index_;
        else if (Sender->LastEvent() == TNEContainerEvent::ItemAdded && Sender->EventKey() <= Index_)
            ++Index_;
    }

    TNEObjectContainer<Item>* Container_;
    TNEContainerWatch Watch_;
    std::int32_t Index_ = 0;
};
