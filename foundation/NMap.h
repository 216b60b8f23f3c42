#pragma once

// Ordered maps keyed by a signed 32-bit integer on one red-black tree. A value of 0 (or null) is never stored:
// storing it removes the key. Values are pointer-sized, so the object map holds any pointer. Iterators are reset
// to done whenever a key leaves the tree, and forget the tree when it is destroyed.

#include "foundation/NException.h"
#include "foundation/NObserve.h"

#include <cstdint>

NE_DECLARE_ERROR(ENEInvalidIteratorErr, ENEException, "Invalid iterator error");

struct TNEGenericNode
{
    static constexpr std::uint8_t Black = 0;
    static constexpr std::uint8_t Red = 1;

    std::uint8_t Colour = Black;
    std::int32_t Key = 0;
    TNEGenericNode* Left = nullptr;
    TNEGenericNode* Parent = nullptr;
    TNEGenericNode* Right = nullptr;
    std::intptr_t Value = 0;
};
// A node handed out by a tree; null means no position.
using TNEPosition = TNEGenericNode*;

// A structure walked by positions, announcing every removal (before it happens) and its own destruction.
class TNEGenericIteratable
{
public:
    TNEGenericIteratable() = default;
    virtual ~TNEGenericIteratable();
    TNEGenericIteratable(const TNEGenericIteratable&) = delete;
    TNEGenericIteratable& operator=(const TNEGenericIteratable&) = delete;

    std::int32_t Count() const { return Count_; }
    TNEObservationPoint<TNEGenericIteratable>& ObservationPoint() { return ObservationPoint_; }
    // True during the last announcement, made from the destructor.
    bool IsBeingDestroyed() const { return BeingDestroyed_; }

    virtual TNEPosition FirstPosition() const = 0;
    virtual TNEPosition LastPosition() const = 0;
    virtual TNEPosition NextPosition(TNEPosition Position) const = 0;
    virtual TNEPosition PrevPosition(TNEPosition Position) const = 0;

protected:
    std::int32_t Count_ = 0;

private:
    bool BeingDestroyed_ = false;
    TNEObservationPoint<TNEGenericIteratable> ObservationPoint_{this};
};

// Walks a tree by positions from the smallest key. Any removal from the tree sets it back to done.
class TNEGenericIterator
{
public:
    explicit TNEGenericIterator(TNEGenericIteratable& Tree);
    ~TNEGenericIterator();
    TNEGenericIterator(const TNEGenericIterator&) = delete;
    TNEGenericIterator& operator=(const TNEGenericIterator&) = delete;

    void First();
    bool IsDone() const { return Position_ == nullptr; }
    void Next();

    // The tree walked, null once it is destroyed.
    const TNEGenericIteratable* Tree() const { return Tree_; }
    TNEPosition Position() const { return Position_; }

private:
    void TreeChanged(TNEGenericIteratable* Sender);

    TNEGenericIteratable* Tree_;
    TNEPosition Position_ = nullptr;
};

// Red-black tree of pointer-sized values with a shared black sentinel for missing children and a header above the
// root. Every walk is a loop.
class TNEGenericTree : public TNEGenericIteratable
{
public:
    // Called for every value that leaves the tree: on removal, on clear, and before a value is replaced.
    using TNERemoveValueMethod = TNEMethod<void(std::int32_t Key, std::intptr_t& Value)>;

    explicit TNEGenericTree(TNERemoveValueMethod OnRemoveValue = {});
    ~TNEGenericTree() override;

    // Inserts or replaces; a value of 0 removes the key.
    void Put(std::int32_t Key, std::intptr_t Value);
    // The value of Key, 0 when absent.
    std::intptr_t Get(std::int32_t Key) const;
    void Clear();

    // KeyAt and SetValueAt need a position; ValueAt gives 0 for none.
    std::int32_t KeyAt(TNEPosition Position) const;
    std::intptr_t ValueAt(TNEPosition Position) const;
    // A value of 0 removes the node.
    void SetValueAt(TNEPosition Position, std::intptr_t Value);
    // The same by an iterator, which must walk this tree.
    std::int32_t KeyAt(const TNEGenericIterator& Iterator) const { return KeyAt(PositionOf(Iterator)); }

    TNEPosition FirstPosition() const override;
    TNEPosition LastPosition() const override;
    TNEPosition NextPosition(TNEPosition Position) const override;
    TNEPosition PrevPosition(TNEPosition Position) const override;

    // The sentinel stands for every missing child; the header's left child is the root.
    const TNEGenericNode* Sentinel() const { return &Nil_; }
    const TNEGenericNode* Root() const;

protected:
    // The iterator's position, once it is known to walk this tree.
    TNEPosition PositionOf(const TNEGenericIterator& Iterator) const;

private:
    TNEGenericNode* Find(std::int32_t Key) const;
    TNEPosition AsPosition(TNEGenericNode* Node) const;
    void Replace(TNEGenericNode* Node, std::intptr_t Value);
    void Insert(std::int32_t Key, std::intptr_t Value);
    void InsertFixUp(TNEGenericNode* Node);
    void RemoveNode(TNEGenericNode* Node);
    void RemoveFixUp(TNEGenericNode* Node);
    void RotateLeft(TNEGenericNode* Node);
    void RotateRight(TNEGenericNode* Node);
    // Puts Replacement where Node hangs under its parent (the header for the root).
    void Transplant(TNEGenericNode* Node, TNEGenericNode* Replacement);
    void ReportRemoved(std::int32_t Key, std::intptr_t Value);
    void FreeSubtrees(TNEGenericNode* Top);

    TNERemoveValueMethod OnRemoveValue_;
    // Fix-ups write the sentinel's parent, so it belongs to one tree and is mutable even in const walks.
    mutable TNEGenericNode Nil_;
    TNEGenericNode Header_;
};

// Integer to integer; absent keys read as 0.
class TNEMap_IntegerToInteger : public TNEGenericTree
{
public:
    std::int32_t Get(std::int32_t Key) const { return std::int32_t(TNEGenericTree::Get(Key)); }
    void Put(std::int32_t Key, std::int32_t Value) { TNEGenericTree::Put(Key, Value); }

    // The tree's by-position forms stay visible: its values are integers already.
    using TNEGenericTree::KeyAt;
    using TNEGenericTree::SetValueAt;
    using TNEGenericTree::ValueAt;
    std::int32_t ValueAt(const TNEGenericIterator& Iterator) const
    {
        return std::int32_t(TNEGenericTree::ValueAt(PositionOf(Iterator)));
    }
    void SetValueAt(const TNEGenericIterator& Iterator, std::int32_t Value)
    {
        TNEGenericTree::SetValueAt(PositionOf(Iterator), Value);
    }
};

// Integer to object; never owns the objects, and absent keys read as null.
template <typename Object> class TNEMap_IntegerToObject : public TNEGenericTree
{
public:
    Object* Get(std::int32_t Key) const { return FromValue(TNEGenericTree::Get(Key)); }
    void Put(std::int32_t Key, Object* Value) { TNEGenericTree::Put(Key, ToValue(Value)); }

    using TNEGenericTree::KeyAt;
    Object* ValueAt(const TNEGenericIterator& Iterator) const
    {
        return FromValue(TNEGenericTree::ValueAt(PositionOf(Iterator)));
    }
    void SetValueAt(const TNEGenericIterator& Iterator, Object* Value)
    {
        TNEGenericTree::SetValueAt(PositionOf(Iterator), ToValue(Value));
    }

private:
    static std::intptr_t ToValue(Object* Value) { return reinterpret_cast<std::intptr_t>(Value); }
    static Object* FromValue(std::intptr_t Value) { return reinterpret_cast<Object*>(Value); }
};
