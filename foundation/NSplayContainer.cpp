#include "foundation/NSplayContainer.h"

namespace {

// Hangs Child under Parent on the given side, keeping the parent link in step.
void LinkLeft(TNESplayNode* Parent, TNESplayNode* Child)
{
    Parent->Left = Child;
    if (Child)
        Child->Parent = Parent;
}

void LinkRight(TNESplayNode* Parent, TNESplayNode* Child)
{
    Parent->Right = Child;
    if (Child)
        Child->Parent = Parent;
}

} // namespace

TNESplayTree::~TNESplayTree()
{
    // Rotating every left child up turns the tree into a right spine that is freed in one loop.
    TNESplayNode* node = Root_;
    while (node) {
        if (TNESplayNode* left = node->Left) {
            node->Left = left->Right;
            left->Right = node;
            node = left;
        } else {
            TNESplayNode* right = node->Right;
            delete node;
            node = right;
        }
    }
}

TNESplayNode* TNESplayTree::Splay(std::int32_t Key, TNESplayNode* Subtree)
{
    if (!Subtree)
        return nullptr;
    // The header's Right holds the tree of smaller keys, its Left the tree of larger keys.
    TNESplayNode header;
    TNESplayNode* leftTreeMax = &header;
    TNESplayNode* rightTreeMin = &header;
    TNESplayNode* node = Subtree;
    for (;;) {
        if (Key < node->Key) {
            if (!node->Left)
                break;
            if (Key < node->Left->Key) { // rotate right
                TNESplayNode* child = node->Left;
                LinkLeft(node, child->Right);
                LinkRight(child, node);
                node = child;
                if (!node->Left)
                    break;
            }
            LinkLeft(rightTreeMin, node);
            rightTreeMin = node;
            node = node->Left;
        } else if (Key > node->Key) {
            if (!node->Right)
                break;
            if (Key > node->Right->Key) { // rotate left
                TNESplayNode* child = node->Right;
                LinkRight(node, child->Left);
                LinkLeft(child, node);
                node = child;
                if (!node->Right)
                    break;
            }
            LinkRight(leftTreeMax, node);
            leftTreeMax = node;
            node = node->Right;
        } else {
            break;
        }
    }
    LinkRight(leftTreeMax, node->Left);
    LinkLeft(rightTreeMin, node->Right);
    LinkLeft(node, header.Right);
    LinkRight(node, header.Left);
    node->Parent = nullptr;
    return node;
}

TNESplayNode* TNESplayTree::Find(std::int32_t Key)
{
    Root_ = Splay(Key, Root_);
    return Root_ && Root_->Key == Key ? Root_ : nullptr;
}

TNESplayNode* TNESplayTree::Insert(std::int32_t Key, void* Element)
{
    if (!Root_) {
        Root_ = First_ = Last_ = new TNESplayNode{nullptr, nullptr, nullptr, Key, Element};
        return Root_;
    }
    Root_ = Splay(Key, Root_);
    if (Root_->Key == Key)
        return nullptr;
    auto* node = new TNESplayNode{nullptr, nullptr, nullptr, Key, Element};
    if (Key < Root_->Key) {
        LinkLeft(node, Root_->Left);
        Root_->Left = nullptr;
        LinkRight(node, Root_);
    } else {
        LinkRight(node, Root_->Right);
        Root_->Right = nullptr;
        LinkLeft(node, Root_);
    }
    Root_ = node;
    if (Key < First_->Key)
        First_ = node;
    if (Key > Last_->Key)
        Last_ = node;
    return node;
}

void* TNESplayTree::Unlink(TNESplayNode* Node)
{
    if (Node == First_)
        First_ = Successor(Node);
    if (Node == Last_)
        Last_ = Predecessor(Node);
    TNESplayNode* replacement = Node->Right;
    if (Node->Left) {
        // Every key on the left is smaller, so the splay brings up its largest, which has no right child.
        replacement = Splay(Node->Key, Node->Left);
        LinkRight(replacement, Node->Right);
    }
    TNESplayNode* parent = Node->Parent;
    if (replacement)
        replacement->Parent = parent;
    if (!parent)
        Root_ = replacement;
    else if (parent->Left == Node)
        parent->Left = replacement;
    else
        parent->Right = replacement;
    void* element = Node->Element;
    delete Node;
    return element;
}

TNESplayNode* TNESplayTree::LowestAbove(std::int32_t Key) const
{
    TNESplayNode* found = nullptr;
    for (TNESplayNode* node = Root_; node;) {
        if (node->Key > Key) {
            found = node;
            node = node->Left;
        } else {
            node = node->Right;
        }
    }
    return found;
}

TNESplayNode* TNESplayTree::Successor(TNESplayNode* Node)
{
    if (TNESplayNode* node = Node->Right) {
        while (node->Left)
            node = node->Left;
        return node;
    }
    while (Node->Parent && Node->Parent->Right == Node)
        Node = Node->Parent;
    return Node->Parent;
}

TNESplayNode* TNESplayTree::Predecessor(TNESplayNode* Node)
{
    if (TNESplayNode* node = Node->Left) {
        while (node->Right)
            node = node->Right;
        return node;
    }
    while (Node->Parent && Node->Parent->Left == Node)
        Node = Node->Parent;
    return Node->Parent;
}
