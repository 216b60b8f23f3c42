#pragma once

#include "foundation/NContainBase.h"

struct TNESplayNode
{
    TNESplayNode* Left = nullptr;
    TNESplayNode* Parent = nullptr;
    TNESplayNode* Right = nullptr;
    std::int32_t Key = 0;
    void* Element = nullptr;
};

// The untyped splay tree under every splay container: top-down splaying with parent links, the smallest and the
// largest node kept at hand. Every walk is a loop, so a degenerate million-deep spine costs no stack.
class TNESplayTree
{
public:
    TNESplayTree() = default;
    ~TNESplayTree();
    TNESplayTree(const TNESplayTree&) = delete;
    TNESplayTree& operator=(const TNESplayTree&) = delete;

    TNESplayNode* Root() const { return Root_; }
    TNESplayNode* First() const { return First_; }
    TNESplayNode* Last() const { return Last_; }

    // Splays Key to the root; the root when it holds Key, else null.
    TNESplayNode* Find(std::int32_t Key);
    // The new root holding Key and Element, or null (after splaying) when Key is taken.
    TNESplayNode* Insert(std::int32_t Key, void* Element);
    // Unlinks and frees Node without splaying it first; returns its element.
    void* Unlink(TNESplayNode* Node);
    // The node with the smallest key above Key, found from the root without reshaping the tree.
    TNESplayNode* LowestAbove(std::int32_t Key) const;

    static TNESplayNode* Successor(TNESplayNode* Node);
    static TNESplayNode* Predecessor(TNESplayNode* Node);
    // Top-down splay of Key in the subtree under Subtree; returns the new subtree root, parentless.
    static TNESplayNode* Splay(std::int32_t Key, TNESplayNode* Subtree);

private:
    TNESplayNode* Root_ = nullptr;
    TNESplayNode* First_ = nullptr;
    TNESplayNode* Last_ = nullptr;
};

// Items keyed by a signed 32-bit integer taken from each item, in a splay tree: a key just used is found at the
// root. Lookups reshape the tree, so they too are refused while ForEach runs.
template <typename Item> class TNESplayContainer : public TNEAbstractContainer<Item>
{
public:
    using typename TNEAbstractContainer<Item>::TNEForEachCallback;
    using TNEKeyOfMethod = TNEMethod<std::int32_t(Item*)>;

    explicit TNESplayContainer(TNEKeyOfMethod KeyOf, bool OwnsObjects = false) : KeyOf_(KeyOf)
    {
        this->SetOwnsObjects(OwnsObjects);
    }
    ~TNESplayContainer() override
    {
        RemoveAll();
        this->AnnounceDestruction();
    }

    void SetKeyOf(TNEKeyOfMethod KeyOf) { KeyOf_ = KeyOf; }
    const TNESplayTree& Tree() const { return Tree_; }

    Item* GetItem(std::int32_t Key) override
    {
        if (this->IsLocked())
            throw ENELockedContainerErr();
        const TNESplayNode* node = Tree_.Find(Key);
        if (!node)
            throw ENEInvalidIndexErr();
        return static_cast<Item*>(node->Element);
    }

    bool IsValidKey(std::int32_t Key) override
    {
        if (this->IsLocked())
            throw ENELockedContainerErr();
        return Tree_.Find(Key) != nullptr;
    }

    // Only the key is looked at: an item is contained when any item with its key is.
    bool Contains(Item* Element) override { return IsValidKey(KeyOf_(Element)); }

    void Add(Item* Element) override
    {
        this->BeginChange();
        const std::int32_t key = KeyOf_(Element);
        if (!Tree_.Insert(key, Element))
            throw ENEDuplicateItemErr();
        ++this->Count_;
        this->Announce(TNEContainerEvent::ItemAdded, key);
    }

    // Removes the item holding Element's key; nothing happens when the key is absent.
    void Remove(Item* Element) override
    {
        this->BeginChange();
        if (TNESplayNode* node = Tree_.Find(KeyOf_(Element)))
            RemoveNode(node);
    }

    void Clear() override
    {
        this->BeginChange();
        RemoveAll();
    }

    void ForEach(const TNEForEachCallback& Callback) override
    {
        typename TNEContainerBase::TNEWalkLock lock(*this);
        bool stop = false;
        for (TNESplayNode* node = Tree_.First(); node && !stop; node = TNESplayTree::Successor(node))
            Callback(node->Key, static_cast<Item*>(node->Element), stop);
    }

private:
    template <typename> friend class TNESplayIterator;

    // Removes a node as it stands, without splaying; the iterators remove the item under them this way.
    void RemoveNode(TNESplayNode* Node)
    {
        this->BeginChange();
        const std::int32_t key = Node->Key;
        Item* removed = static_cast<Item*>(Tree_.Unlink(Node));
        --this->Count_;
        this->FinishRemoval(removed, key);
    }

    void RemoveAll()
    {
        while (TNESplayNode* root = Tree_.Root())
            RemoveNode(root);
    }

    TNEKeyOfMethod KeyOf_;
    TNESplayTree Tree_;
};

// Walks a splay container in ascending key order and follows items added and removed under it: when its own item
// is removed it moves on to the next larger key.
template <typename Item> class TNESplayIterator : public TNEAbstractIterator<Item>
{
public:
    explicit TNESplayIterator(TNESplayContainer<Item>& Container)
        : Container_(&Container), Watch_(Container, {this, &TNESplayIterator::ContainerChanged})
    {}

    // Counts steps from the first item; it decides when a walk that left the ends comes back.
    std::int32_t Position() const { return Position_; }
    // Key of the item under the iterator, -1 when off the ends.
    std::int32_t Key() const { return Key_; }

    Item* Current() override { return Node_ ? static_cast<Item*>(Node_->Element) : nullptr; }

    void RemoveCurrent() override
    {
        if (Node_)
            Container_->RemoveNode(Node_);
    }

    void First() override
    {
        Position_ = 0;
        MoveTo(Tree() ? Tree()->First() : nullptr);
    }

    void Last() override
    {
        Position_ = Watch_.IsAttached() ? Container_->Count() - 1 : -1;
        MoveTo(Tree() ? Tree()->Last() : nullptr);
    }

    bool IsDone() const override { return Node_ == nullptr; }

    void Next() override
    {
        ++Position_;
        if (Node_)
            MoveTo(TNESplayTree::Successor(Node_));
        else if (Position_ == 0 && Tree())
            MoveTo(Tree()->First());
    }

    void Prev() override
    {
        --Position_;
        if (Node_)
            MoveTo(TNESplayTree::Predecessor(Node_));
        else if (Tree() && Position_ == Container_->Count() - 1)
            MoveTo(Tree()->Last());
    }

private:
    // The key is kept beside the node: when the node is removed it is already freed as the news arrives.
    void MoveTo(TNESplayNode* Node)
    {
        Node_ = Node;
        Key_ = Node ? Node->Key : -1;
    }

    const TNESplayTree* Tree() const { return Watch_.IsAttached() ? &Container_->Tree() : nullptr; }

    void ContainerChanged(TNEContainerBase* Sender)
    {
        const std::int32_t key = Key_;
        const std::int32_t changed = Sender->EventKey();
        if (Sender->LastEvent() == TNEContainerEvent::ItemRemoved) {
            if (Node_ && changed == key)
                MoveTo(Container_->Tree().LowestAbove(key));
            else if (changed < key)
                --Position_;
        } else if (Sender->LastEvent() == TNEContainerEvent::ItemAdded && changed < key) {
            ++Position_;
        }
    }

    TNESplayContainer<Item>* Container_;
    TNEContainerWatch Watch_;
    std::int32_t Position_ = 0;
    TNESplayNode* Node_ = nullptr;
    std::int32_t Key_ = -1;
};
