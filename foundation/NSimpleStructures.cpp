#include "foundation/NSimpleStructures.h"

#include <utility>

namespace {

// Frees a chain from its head one link at a time; letting the head's destructor do it would recurse once per node.
void FreeChain(std::unique_ptr<TNESimpleNode>& Head)
{
    while (Head)
        Head = std::move(Head->Next);
}

void* PopChainHead(std::unique_ptr<TNESimpleNode>& Head)
{
    void* item = Head->Item;
    Head = std::move(Head->Next);
    return item;
}

std::unique_ptr<TNESimpleNode> NewNode(void* Item)
{
    auto node = std::make_unique<TNESimpleNode>();
    node->Item = Item;
    return node;
}

} // namespace

TNESimpleList::~TNESimpleList()
{
    FreeChain(Head_);
}

TNESimpleNode* TNESimpleList::Successor(const TNESimpleNode* Node) const
{
    return Node->Next ? Node->Next.get() : Head_.get();
}

TNESimpleNode* TNESimpleList::Predecessor(const TNESimpleNode* Node) const
{
    if (Node == Head_.get())
        return Tail_;
    TNESimpleNode* previous = Head_.get();
    while (previous->Next.get() != Node)
        previous = previous->Next.get();
    return previous;
}

void TNESimpleList::Add(void* Item)
{
    std::unique_ptr<TNESimpleNode> node = NewNode(Item);
    TNESimpleNode* added = node.get();
    if (!Head_) {
        Head_ = std::move(node);
        Cursor_ = added;
    } else {
        Tail_->Next = std::move(node);
        if (Cursor_ == Tail_)
            Cursor_ = added;
    }
    Tail_ = added;
    ++Count_;
}

void TNESimpleList::First()
{
    if (Count_ == 0)
        return;
    Cursor_ = Tail_;
    End_ = false;
}

void TNESimpleList::Next()
{
    if (End_)
        return;
    Cursor_ = Successor(Cursor_);
    if (Cursor_ == Tail_)
        End_ = true;
}

void* TNESimpleList::Current() const
{
    if (Count_ == 0)
        throw ENEEmptyStructureErr();
    if (End_)
        throw ENEInvalidElementErr();
    return Successor(Cursor_)->Item;
}

void* TNESimpleList::RemoveFirst()
{
    if (Count_ == 0)
        throw ENEEmptyStructureErr();
    return Unlink(Tail_);
}

void* TNESimpleList::RemoveLast()
{
    if (Count_ == 0)
        throw ENEEmptyStructureErr();
    return Unlink(Predecessor(Tail_));
}

void* TNESimpleList::RemoveCurrent()
{
    if (Count_ == 0)
        throw ENEEmptyStructureErr();
    if (End_)
        throw ENEInvalidElementErr();
    return Unlink(Cursor_);
}

// Removes the node after Previous (in ring order) and keeps the walk on the same item, or past the end when the
// current item was the last one and is removed.
void* TNESimpleList::Unlink(TNESimpleNode* Previous)
{
    TNESimpleNode* removed = Successor(Previous);
    void* item = removed->Item;
    --Count_;
    if (Count_ == 0) {
        Head_.reset();
        Tail_ = Cursor_ = nullptr;
        End_ = true;
        return item;
    }
    if (Cursor_ == removed)
        Cursor_ = Previous;
    else if (Cursor_ == Previous && removed == Tail_)
        End_ = true;
    if (removed == Tail_)
        Tail_ = Previous;
    std::unique_ptr<TNESimpleNode>& link = removed == Head_.get() ? Head_ : Previous->Next;
    std::unique_ptr<TNESimpleNode> owned = std::move(link);
    link = std::move(owned->Next);
    return item;
}

TNESimpleQueue::~TNESimpleQueue()
{
    FreeChain(Head_);
}

void TNESimpleQueue::Push(void* Item)
{
    std::unique_ptr<TNESimpleNode> node = NewNode(Item);
    TNESimpleNode* added = node.get();
    if (Tail_)
        Tail_->Next = std::move(node);
    else
        Head_ = std::move(node);
    Tail_ = added;
    ++Count_;
}

void* TNESimpleQueue::Pop()
{
    if (!Head_)
        throw ENEEmptyStructureErr();
    void* item = PopChainHead(Head_);
    if (!Head_)
        Tail_ = nullptr;
    --Count_;
    return item;
}

TNESimpleStack::~TNESimpleStack()
{
    FreeChain(Top_);
}

void TNESimpleStack::Push(void* Item)
{
    std::unique_ptr<TNESimpleNode> node = NewNode(Item);
    node->Next = std::move(Top_);
    Top_ = std::move(node);
    ++Count_;
}

void* TNESimpleStack::Pop()
{
    if (!Top_)
        throw ENEEmptyStructureErr();
    --Count_;
    return PopChainHead(Top_);
}
