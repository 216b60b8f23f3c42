#include "foundation/NMap.h"

#include <vector>

TNEGenericIteratable::~TNEGenericIteratable()
{
    BeingDestroyed_ = true;
    ObservationPoint_.Notify();
}

TNEGenericIterator::TNEGenericIterator(TNEGenericIteratable& Tree) : Tree_(&Tree)
{
    Tree_->ObservationPoint().AddObserver({this, &TNEGenericIterator::TreeChanged});
}

TNEGenericIterator::~TNEGenericIterator()
{
    if (Tree_)
        Tree_->ObservationPoint().RemoveObserver({this, &TNEGenericIterator::TreeChanged});
}

void TNEGenericIterator::First()
{
    Position_ = Tree_ ? Tree_->FirstPosition() : nullptr;
}

void TNEGenericIterator::Next()
{
    if (Position_)
        Position_ = Tree_->NextPosition(Position_);
}

void TNEGenericIterator::TreeChanged(TNEGenericIteratable* Sender)
{
    Position_ = nullptr;
    if (Sender->IsBeingDestroyed())
        Tree_ = nullptr;
}

TNEGenericTree::TNEGenericTree(TNERemoveValueMethod OnRemoveValue) : OnRemoveValue_(OnRemoveValue)
{
    Nil_.Left = Nil_.Right = Nil_.Parent = &Nil_;
    Header_.Left = Header_.Right = &Nil_;
}

TNEGenericTree::~TNEGenericTree()
{
    Clear();
}

const TNEGenericNode* TNEGenericTree::Root() const
{
    return Header_.Left;
}

TNEGenericNode* TNEGenericTree::Find(std::int32_t Key) const
{
    TNEGenericNode* node = Header_.Left;
    while (node != &Nil_ && node->Key != Key)
        node = Key < node->Key ? node->Left : node->Right;
    return node == &Nil_ ? nullptr : node;
}

TNEPosition TNEGenericTree::AsPosition(TNEGenericNode* Node) const
{
    return Node == &Nil_ || Node == &Header_ ? nullptr : Node;
}

void TNEGenericTree::Put(std::int32_t Key, std::intptr_t Value)
{
    if (TNEGenericNode* node = Find(Key))
        SetValueAt(node, Value);
    else if (Value != 0)
        Insert(Key, Value);
}

std::intptr_t TNEGenericTree::Get(std::int32_t Key) const
{
    return ValueAt(Find(Key));
}

std::int32_t TNEGenericTree::KeyAt(TNEPosition Position) const
{
    if (!Position)
        throw ENEInvalidIteratorErr();
    return Position->Key;
}

std::intptr_t TNEGenericTree::ValueAt(TNEPosition Position) const
{
    return Position ? Position->Value : 0;
}

void TNEGenericTree::SetValueAt(TNEPosition Position, std::intptr_t Value)
{
    if (!Position)
        throw ENEInvalidIteratorErr();
    if (Value == 0)
        RemoveNode(Position);
    else
        Replace(Position, Value);
}

TNEPosition TNEGenericTree::PositionOf(const TNEGenericIterator& Iterator) const
{
    if (Iterator.Tree() != this)
        throw ENEInvalidIteratorErr();
    return Iterator.Position();
}

void TNEGenericTree::Replace(TNEGenericNode* Node, std::intptr_t Value)
{
    if (OnRemoveValue_)
        OnRemoveValue_(Node->Key, Node->Value);
    Node->Value = Value;
}

void TNEGenericTree::Insert(std::int32_t Key, std::intptr_t Value)
{
    TNEGenericNode* parent = &Header_;
    TNEGenericNode* node = Header_.Left;
    while (node != &Nil_) {
        parent = node;
        node = Key < node->Key ? node->Left : node->Right;
    }
    auto* added = new TNEGenericNode{TNEGenericNode::Red, Key, &Nil_, parent, &Nil_, Value};
    if (parent == &Header_ || Key < parent->Key)
        parent->Left = added;
    else
        parent->Right = added;
    ++Count_;
    InsertFixUp(added);
}

void TNEGenericTree::InsertFixUp(TNEGenericNode* Node)
{
    // The header is black, so the loop ends below it.
    while (Node->Parent->Colour == TNEGenericNode::Red) {
        TNEGenericNode* parent = Node->Parent;
        TNEGenericNode* grandparent = parent->Parent;
        const bool parentIsLeft = parent == grandparent->Left;
        TNEGenericNode* uncle = parentIsLeft ? grandparent->Right : grandparent->Left;
        if (uncle->Colour == TNEGenericNode::Red) {
            parent->Colour = uncle->Colour = TNEGenericNode::Black;
            grandparent->Colour = TNEGenericNode::Red;
            Node = grandparent;
            continue;
        }
        if (parentIsLeft) {
            if (Node == parent->Right) {
                Node = parent;
                RotateLeft(Node);
            }
            Node->Parent->Colour = TNEGenericNode::Black;
            grandparent->Colour = TNEGenericNode::Red;
            RotateRight(grandparent);
        } else {
            if (Node == parent->Left) {
                Node = parent;
                RotateRight(Node);
            }
            Node->Parent->Colour = TNEGenericNode::Black;
            grandparent->Colour = TNEGenericNode::Red;
            RotateLeft(grandparent);
        }
    }
    Header_.Left->Colour = TNEGenericNode::Black;
}

void TNEGenericTree::Transplant(TNEGenericNode* Node, TNEGenericNode* Replacement)
{
    TNEGenericNode* parent = Node->Parent;
    if (parent->Left == Node)
        parent->Left = Replacement;
    else
        parent->Right = Replacement;
    Replacement->Parent = parent;
}

void TNEGenericTree::RotateLeft(TNEGenericNode* Node)
{
    TNEGenericNode* child = Node->Right;
    Node->Right = child->Left;
    if (child->Left != &Nil_)
        child->Left->Parent = Node;
    Transplant(Node, child);
    child->Left = Node;
    Node->Parent = child;
}

void TNEGenericTree::RotateRight(TNEGenericNode* Node)
{
    TNEGenericNode* child = Node->Left;
    Node->Left = child->Right;
    if (child->Right != &Nil_)
        child->Right->Parent = Node;
    Transplant(Node, child);
    child->Right = Node;
    Node->Parent = child;
}

void TNEGenericTree::RemoveNode(TNEGenericNode* Node)
{
    ObservationPoint().Notify();
    std::unique_ptr<TNEGenericNode> removed(Node);
    // Spliced is the node that actually leaves its place: Node itself, or its successor when both children exist.
    TNEGenericNode* spliced = Node;
    if (Node->Left != &Nil_ && Node->Right != &Nil_) {
        spliced = Node->Right;
        while (spliced->Left != &Nil_)
            spliced = spliced->Left;
    }
    TNEGenericNode* child = spliced->Left != &Nil_ ? spliced->Left : spliced->Right;
    const std::uint8_t splicedColour = spliced->Colour;
    Transplant(spliced, child); // sets the sentinel's parent too, which the fix-up needs
    if (spliced != Node) {
        spliced->Left = Node->Left;
        spliced->Left->Parent = spliced;
        // When the successor was Node's own right child, its right side is X, possibly the sentinel, whose parent
        // the fix-up follows.
        spliced->Right = Node->Right;
        spliced->Right->Parent = spliced;
        spliced->Colour = Node->Colour;
        Transplant(Node, spliced);
    }
    if (splicedColour == TNEGenericNode::Black)
        RemoveFixUp(child);
    --Count_;
    ReportRemoved(removed->Key, removed->Value);
}

void TNEGenericTree::RemoveFixUp(TNEGenericNode* Node)
{
    while (Node != Header_.Left && Node->Colour == TNEGenericNode::Black) {
        TNEGenericNode* parent = Node->Parent;
        const bool isLeft = Node == parent->Left;
        TNEGenericNode* sibling = isLeft ? parent->Right : parent->Left;
        if (sibling->Colour == TNEGenericNode::Red) {
            sibling->Colour = TNEGenericNode::Black;
            parent->Colour = TNEGenericNode::Red;
            isLeft ? RotateLeft(parent) : RotateRight(parent);
            sibling = isLeft ? parent->Right : parent->Left;
        }
        TNEGenericNode* near = isLeft ? sibling->Left : sibling->Right;
        TNEGenericNode* far = isLeft ? sibling->Right : sibling->Left;
        if (near->Colour == TNEGenericNode::Black && far->Colour == TNEGenericNode::Black) {
            sibling->Colour = TNEGenericNode::Red;
            Node = parent;
            continue;
        }
        if (far->Colour == TNEGenericNode::Black) {
            near->Colour = TNEGenericNode::Black;
            sibling->Colour = TNEGenericNode::Red;
            isLeft ? RotateRight(sibling) : RotateLeft(sibling);
            sibling = isLeft ? parent->Right : parent->Left;
            far = isLeft ? sibling->Right : sibling->Left;
        }
        sibling->Colour = parent->Colour;
        parent->Colour = TNEGenericNode::Black;
        far->Colour = TNEGenericNode::Black;
        isLeft ? RotateLeft(parent) : RotateRight(parent);
        Node = Header_.Left;
    }
    Node->Colour = TNEGenericNode::Black;
}

void TNEGenericTree::ReportRemoved(std::int32_t Key, std::intptr_t Value)
{
    if (OnRemoveValue_)
        OnRemoveValue_(Key, Value);
}

void TNEGenericTree::Clear()
{
    ObservationPoint().Notify();
    // The tree is emptied first, so a raising OnRemoveValue still leaves a sound, empty tree behind.
    TNEGenericNode* top = Header_.Left;
    Header_.Left = &Nil_;
    Nil_.Parent = &Nil_;
    Count_ = 0;
    FreeSubtrees(top);
}

void TNEGenericTree::FreeSubtrees(TNEGenericNode* Top)
{
    std::vector<std::unique_ptr<TNEGenericNode>> pending;
    if (Top != &Nil_)
        pending.emplace_back(Top);
    while (!pending.empty()) {
        std::unique_ptr<TNEGenericNode> node = std::move(pending.back());
        pending.pop_back();
        for (TNEGenericNode* child : {node->Left, node->Right})
            if (child != &Nil_)
                pending.emplace_back(child);
        ReportRemoved(node->Key, node->Value);
    }
}

TNEPosition TNEGenericTree::FirstPosition() const
{
    TNEGenericNode* node = Header_.Left;
    if (node == &Nil_)
        return nullptr;
    while (node->Left != &Nil_)
        node = node->Left;
    return node;
}

TNEPosition TNEGenericTree::LastPosition() const
{
    TNEGenericNode* node = Header_.Left;
    if (node == &Nil_)
        return nullptr;
    while (node->Right != &Nil_)
        node = node->Right;
    return node;
}

TNEPosition TNEGenericTree::NextPosition(TNEPosition Position) const
{
    if (!Position)
        return nullptr;
    if (Position->Right != &Nil_) {
        TNEGenericNode* node = Position->Right;
        while (node->Left != &Nil_)
            node = node->Left;
        return node;
    }
    // The root is the header's left child, so a walk up from the largest key ends at the header.
    TNEGenericNode* node = Position;
    while (node->Parent->Right == node)
        node = node->Parent;
    return AsPosition(node->Parent);
}

TNEPosition TNEGenericTree::PrevPosition(TNEPosition Position) const
{
    if (!Position)
        return nullptr;
    if (Position->Left != &Nil_) {
        TNEGenericNode* node = Position->Left;
        while (node->Right != &Nil_)
            node = node->Right;
        return node;
    }
    TNEGenericNode* node = Position;
    while (node->Parent != &Header_ && node->Parent->Left == node)
        node = node->Parent;
    return AsPosition(node->Parent);
}
