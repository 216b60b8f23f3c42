#include "foundation/NMap.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// Checks the red-black rules without recursion: a black root, no red node with a red child, the same number of
// black nodes on every path down to the sentinel, sound parent links, ascending keys and the right count.
void ExpectRedBlackTree(const TNEGenericTree& Tree)
{
    const TNEGenericNode* nil = Tree.Sentinel();
    const TNEGenericNode* root = Tree.Root();
    EXPECT_EQ(nil->Colour, TNEGenericNode::Black);
    if (root == nil) {
        EXPECT_EQ(Tree.Count(), 0);
        EXPECT_EQ(Tree.FirstPosition(), nullptr);
        return;
    }
    ASSERT_EQ(root->Colour, TNEGenericNode::Black);
    struct Visit
    {
        const TNEGenericNode* Node;
        int BlackAbove;
    };
    std::vector<Visit> pending{{root, 0}};
    int pathBlackHeight = -1;
    int nodes = 0;
    while (!pending.empty()) {
        const auto [node, blackAbove] = pending.back();
        pending.pop_back();
        if (node == nil) {
            if (pathBlackHeight < 0)
                pathBlackHeight = blackAbove;
            ASSERT_EQ(blackAbove, pathBlackHeight) << "black height differs";
            continue;
        }
        ++nodes;
        for (const TNEGenericNode* child : {node->Left, node->Right}) {
            if (child == nil)
                continue;
            ASSERT_EQ(child->Parent, node);
            ASSERT_FALSE(node->Colour == TNEGenericNode::Red && child->Colour == TNEGenericNode::Red)
                << "red node " << node->Key << " has a red child";
        }
        const int blackHere = blackAbove + (node->Colour == TNEGenericNode::Black ? 1 : 0);
        pending.push_back({node->Left, blackHere});
        pending.push_back({node->Right, blackHere});
    }
    EXPECT_EQ(nodes, Tree.Count());
    int walked = 0;
    for (TNEPosition position = Tree.FirstPosition(); position; position = Tree.NextPosition(position)) {
        if (TNEPosition next = Tree.NextPosition(position)) {
            ASSERT_LT(position->Key, next->Key);
            ASSERT_EQ(Tree.PrevPosition(next), position);
        }
        ++walked;
    }
    EXPECT_EQ(walked, nodes);
}

std::vector<int> KeysOf(TNEMap_IntegerToInteger& Map)
{
    std::vector<int> keys;
    TNEGenericIterator iterator(Map);
    for (iterator.First(); !iterator.IsDone(); iterator.Next())
        keys.push_back(Map.KeyAt(iterator));
    return keys;
}

// Records what OnRemoveValue is told.
struct TRemovals
{
    void Removed(std::int32_t Key, std::intptr_t& Value) { Seen.push_back({Key, Value}); }
    std::vector<std::pair<std::int32_t, std::intptr_t>> Seen;
};

} // namespace

TEST(NMap, ZeroIsNeverStored)
{
    struct Case
    {
        const char* Name;
        std::vector<std::pair<int, int>> Puts;
        std::vector<int> Keys;
        int CountAfter;
    };
    const std::vector<Case> cases = {
        {"zero for an absent key changes nothing", {{5, 0}}, {}, 0},
        {"zero removes a present key", {{5, 7}, {5, 0}}, {}, 0},
        {"replacing keeps the count", {{5, 7}, {5, 9}}, {5}, 1},
        {"keys come out ascending", {{3, 30}, {1, 10}, {2, 20}}, {1, 2, 3}, 3},
        {"negative and extreme keys", {{INT32_MAX, 1}, {-1, 2}, {INT32_MIN, 3}}, {INT32_MIN, -1, INT32_MAX}, 3},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.Name);
        TNEMap_IntegerToInteger map;
        for (const auto& [key, value] : test.Puts)
            map.Put(key, value);
        EXPECT_EQ(KeysOf(map), test.Keys);
        EXPECT_EQ(map.Count(), test.CountAfter);
        EXPECT_EQ(map.Get(42), 0);
    }
    TNEMap_IntegerToInteger map;
    map.Put(5, 9);
    map.Put(5, 11);
    EXPECT_EQ(map.Get(5), 11);
}

TEST(NMap, RedBlackRulesHoldAfterThousandsOfRandomChanges)
{
    TNEMap_IntegerToInteger map;
    std::map<int, int> expected;
    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> keys(-500, 500);
    std::uniform_int_distribution<int> values(0, 3); // a quarter of the puts remove
    for (int step = 0; step < 20000; ++step) {
        const int key = keys(random);
        const int value = values(random);
        map.Put(key, value);
        if (value == 0)
            expected.erase(key);
        else
            expected[key] = value;
        if (step % 500 == 0)
            ExpectRedBlackTree(map);
    }
    ExpectRedBlackTree(map);
    ASSERT_EQ(map.Count(), std::int32_t(expected.size()));
    for (const auto& [key, value] : expected)
        ASSERT_EQ(map.Get(key), value);

    // Removing through positions, from the smallest key up, keeps the rules at every step.
    while (TNEPosition position = map.FirstPosition()) {
        map.SetValueAt(position, 0);
        if (map.Count() % 50 == 0)
            ExpectRedBlackTree(map);
    }
    ExpectRedBlackTree(map);
}

TEST(NMap, AscendingMillionStaysBalancedAndClearsWithoutRecursion)
{
    TNEMap_IntegerToInteger map;
    for (int key = 1; key <= 1'000'000; ++key)
        map.Put(key, key);
    int depth = 0;
    for (const TNEGenericNode* node = map.Root(); node != map.Sentinel(); node = node->Left)
        ++depth;
    EXPECT_LE(depth, 40);
    map.Clear();
    EXPECT_EQ(map.Count(), 0);
    ExpectRedBlackTree(map);
}

TEST(NMap, RemovalsResetIteratorsAndValueChangesDoNot)
{
    TNEMap_IntegerToInteger map;
    for (const int key : {1, 2, 3, 4})
        map.Put(key, key * 10);
    TNEGenericIterator first(map);
    TNEGenericIterator second(map);
    const auto placeBoth = [&] {
        first.First();
        second.First();
        second.Next();
    };

    placeBoth();
    map.Put(2, 99); // replace
    map.SetValueAt(second, 77);
    map.Put(8, 80); // insert
    EXPECT_FALSE(first.IsDone());
    EXPECT_EQ(map.KeyAt(second), 2);
    EXPECT_EQ(map.ValueAt(second), 77);

    const std::vector<std::pair<const char*, std::function<void()>>> removals = {
        {"Put of zero", [&] { map.Put(4, 0); }},
        {"SetValueAt of zero", [&] { map.SetValueAt(first, 0); }},
        {"Clear", [&] { map.Clear(); }},
    };
    for (const auto& [name, removal] : removals) {
        SCOPED_TRACE(name);
        placeBoth();
        removal();
        EXPECT_TRUE(first.IsDone());
        EXPECT_TRUE(second.IsDone());
        EXPECT_EQ(map.ValueAt(first), 0);
    }
    EXPECT_EQ(map.Count(), 0);
}

TEST(NMap, ByIteratorOperationsRefuseAnotherMapsIterator)
{
    TNEMap_IntegerToInteger map;
    TNEMap_IntegerToInteger other;
    map.Put(1, 10);
    other.Put(1, 10);
    TNEGenericIterator foreign(other);
    foreign.First();
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"KeyAt", [&] { map.KeyAt(foreign); }},
        {"ValueAt", [&] { map.ValueAt(foreign); }},
        {"SetValueAt", [&] { map.SetValueAt(foreign, 5); }},
    };
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        try {
            operation();
            FAIL() << "a foreign iterator was accepted";
        } catch (const ENEInvalidIteratorErr& error) {
            EXPECT_EQ(error.Message(), "Invalid iterator error");
        }
    }
    EXPECT_EQ(map.Get(1), 10);

    // A done iterator has no key and no place to store a value; its value reads as 0.
    TNEGenericIterator done(map);
    EXPECT_EQ(map.ValueAt(done), 0);
    EXPECT_THROW(map.KeyAt(done), ENEInvalidIteratorErr);
    EXPECT_THROW(map.SetValueAt(done, 3), ENEInvalidIteratorErr);
}

TEST(NMap, IteratorOutlivesItsMap)
{
    auto map = std::make_unique<TNEMap_IntegerToInteger>();
    map->Put(1, 1);
    TNEGenericIterator iterator(*map);
    iterator.First();
    map.reset();
    EXPECT_TRUE(iterator.IsDone());
    EXPECT_EQ(iterator.Tree(), nullptr);
    iterator.First();
    iterator.Next();
    EXPECT_TRUE(iterator.IsDone());
}

TEST(NMap, ObjectMapHoldsPointersItDoesNotOwn)
{
    static_assert(sizeof(std::intptr_t) == sizeof(void*));
    auto objects = std::make_unique<std::string[]>(2);
    {
        TNEMap_IntegerToObject<std::string> map;
        map.Put(7, &objects[0]);
        map.Put(3, &objects[1]);
        EXPECT_EQ(map.Get(7), &objects[0]);
        EXPECT_EQ(map.Get(4), nullptr);
        TNEGenericIterator iterator(map);
        iterator.First();
        EXPECT_EQ(map.KeyAt(iterator), 3);
        EXPECT_EQ(map.ValueAt(iterator), &objects[1]);
        map.Put(7, nullptr);
        EXPECT_EQ(map.Count(), 1);
    }
    objects[0] = "still here"; // the map freed its nodes, not the objects
    EXPECT_EQ(objects[0], "still here");
}

TEST(NMap, OnRemoveValueSeesEveryValueThatLeaves)
{
    TRemovals removals;
    {
        TNEGenericTree tree(TNEGenericTree::TNERemoveValueMethod(&removals, &TRemovals::Removed));
        tree.Put(1, 10);
        tree.Put(2, 20);
        tree.Put(3, 30);
        tree.Put(1, 11); // replaced
        tree.Put(2, 0);  // removed
        ASSERT_EQ(removals.Seen, (std::vector<std::pair<std::int32_t, std::intptr_t>>{{1, 10}, {2, 20}}));
        removals.Seen.clear();
    } // destruction clears
    std::sort(removals.Seen.begin(), removals.Seen.end());
    EXPECT_EQ(removals.Seen, (std::vector<std::pair<std::int32_t, std::intptr_t>>{{1, 11}, {3, 30}}));
}
