#pragma once

#include "foundation/NException.h"

#include <memory>

NE_DECLARE_ERROR(ENEEmptyStructureErr, ENEException, "Empty structure error");
NE_DECLARE_ERROR(ENEInvalidElementErr, ENEException, "Invalid element error");

// A singly linked chain of untyped item references, shared by the list, the queue and the stack. Nodes own their
// successor; the chain is freed link by link so that a long one does not exhaust the stack.
struct TNESimpleNode
{
    std::unique_ptr<TNESimpleNode> Next;
    void* Item = nullptr;
};

// A list of item references with one cursor, walked by First, Next, End and Current. It never owns its items.
// Logically a ring: the successor of the tail is the head, and the cursor rests on the node before the current
// one, so after First it rests on the tail.
class TNESimpleList
{
public:
    TNESimpleList() = default;
    ~TNESimpleList();
    TNESimpleList(const TNESimpleList&) = delete;
    TNESimpleList& operator=(const TNESimpleList&) = delete;

    // Appends after the tail; a walk positioned on the head stays on it.
    void Add(void* Item);
    void First();
    void Next();
    // True after the last item was passed, and whenever the list is empty.
    bool End() const { return End_; }
    void* Current() const;

    void* RemoveFirst();
    void* RemoveLast();
    // Removes the current item; the walk continues with the item after it.
    void* RemoveCurrent();

    int Count() const { return Count_; }

private:
    TNESimpleNode* Successor(const TNESimpleNode* Node) const;
    TNESimpleNode* Predecessor(const TNESimpleNode* Node) const;
    void* Unlink(TNESimpleNode* Previous);

    std::unique_ptr<TNESimpleNode> Head_;
    TNESimpleNode* Tail_ = nullptr;
    TNESimpleNode* Cursor_ = nullptr;
    bool End_ = true;
    int Count_ = 0;
};

// The list for object items: the same walk and operations, typed.
template <typename Object> class TNEObjectList
{
public:
    void Add(Object* Item) { List_.Add(Item); }
    void First() { List_.First(); }
    void Next() { List_.Next(); }
    bool End() const { return List_.End(); }
    Object* Current() const { return static_cast<Object*>(List_.Current()); }
    Object* RemoveFirst() { return static_cast<Object*>(List_.RemoveFirst()); }
    Object* RemoveLast() { return static_cast<Object*>(List_.RemoveLast()); }
    Object* RemoveCurrent() { return static_cast<Object*>(List_.RemoveCurrent()); }
    int Count() const { return List_.Count(); }

private:
    TNESimpleList List_;
};

// First in, first out. Never owns its items.
class TNESimpleQueue
{
public:
    TNESimpleQueue() = default;
    ~TNESimpleQueue();
    TNESimpleQueue(const TNESimpleQueue&) = delete;
    TNESimpleQueue& operator=(const TNESimpleQueue&) = delete;

    void Push(void* Item);
    void* Pop();
    int Count() const { return Count_; }

private:
    std::unique_ptr<TNESimpleNode> Head_;
    TNESimpleNode* Tail_ = nullptr;
    int Count_ = 0;
};

// Last in, first out. Never owns its items.
class TNESimpleStack
{
public:
    TNESimpleStack() = default;
    ~TNESimpleStack();
    TNESimpleStack(const TNESimpleStack&) = delete;
    TNESimpleStack& operator=(const TNESimpleStack&) = delete;

    void Push(void* Item);
    void* Pop();
    int Count() const { return Count_; }

private:
    std::unique_ptr<TNESimpleNode> Top_;
    int Count_ = 0;
};
