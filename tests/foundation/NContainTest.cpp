#include "foundation/NContain.h"

#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace {

// An item that knows its key and counts the live instances, so ownership faults show up as a wrong count.
struct TItem
{
    explicit TItem(std::int32_t ItemKey, int ItemValue = 0) : Key(ItemKey), Value(ItemValue) { ++Live; }
    ~TItem() { --Live; }
    std::int32_t Key;
    int Value;
    static inline int Live = 0;
};

std::int32_t KeyOfItem(TItem* Element)
{
    return Element->Key;
}
int CompareValues(TItem* Left, TItem* Right)
{
    return Left->Value - Right->Value;
}

using TSplay = TNESplayContainer<TItem>;

std::unique_ptr<TSplay> MakeSplay(bool Owns = true)
{
    return std::make_unique<TSplay>(TSplay::TNEKeyOfMethod(&KeyOfItem), Owns);
}

void AddKeys(TSplay& Container, const std::vector<int>& Keys)
{
    for (const int key : Keys)
        Container.Add(new TItem(key));
}

std::vector<int> KeysInOrder(TSplay& Container)
{
    std::vector<int> keys;
    Container.ForEach([&](std::int32_t Key, TItem*, bool&) { keys.push_back(Key); });
    return keys;
}

// Checks the whole shape without recursion: parent links, key order, First, Last and Count.
void ExpectSoundTree(const TSplay& Container)
{
    const TNESplayTree& tree = Container.Tree();
    int count = 0;
    const TNESplayNode* smallest = nullptr;
    const TNESplayNode* largest = nullptr;
    std::vector<const TNESplayNode*> pending;
    if (tree.Root()) {
        ASSERT_EQ(tree.Root()->Parent, nullptr);
        pending.push_back(tree.Root());
    }
    while (!pending.empty()) {
        const TNESplayNode* node = pending.back();
        pending.pop_back();
        ++count;
        ASSERT_EQ(node->Key, static_cast<TItem*>(node->Element)->Key);
        if (node->Left) {
            ASSERT_EQ(node->Left->Parent, node);
            ASSERT_LT(node->Left->Key, node->Key);
            pending.push_back(node->Left);
        }
        if (node->Right) {
            ASSERT_EQ(node->Right->Parent, node);
            ASSERT_GT(node->Right->Key, node->Key);
            pending.push_back(node->Right);
        }
        if (!smallest || node->Key < smallest->Key)
            smallest = node;
        if (!largest || node->Key > largest->Key)
            largest = node;
    }
    EXPECT_EQ(count, Container.Count());
    EXPECT_EQ(tree.First(), smallest);
    EXPECT_EQ(tree.Last(), largest);
    // The subtree order check above is local; a walk by successor proves the global order.
    int previous = 0;
    int walked = 0;
    for (const TNESplayNode* node = tree.First(); node;
         node = TNESplayTree::Successor(const_cast<TNESplayNode*>(node))) {
        if (walked++ > 0) {
            ASSERT_GT(node->Key, previous);
        }
        previous = node->Key;
    }
    EXPECT_EQ(walked, count);
}

// Records every announcement of a container as (event, key).
struct TAnnouncements
{
    explicit TAnnouncements(TNEContainerBase& Container) : Point(Container.ObservationPoint())
    {
        Point.AddObserver({this, &TAnnouncements::Changed});
    }
    ~TAnnouncements() { Point.RemoveObserver({this, &TAnnouncements::Changed}); }
    void Changed(TNEContainerBase* Sender) { Seen.push_back({int(Sender->LastEvent()), Sender->EventKey()}); }

    TNEObservationPoint<TNEContainerBase>& Point;
    std::vector<std::pair<int, int>> Seen;
};

} // namespace

TEST(NContain, SplayRootFollowsAddsLookupsAndRemovals)
{
    enum Step
    {
        Add,
        Lookup,
        Remove
    };
    struct Case
    {
        const char* Name;
        std::vector<std::pair<Step, int>> Steps;
        int Root;
        std::vector<int> Keys;
    };
    const std::vector<Case> cases = {
        {"last add is the root", {{Add, 5}, {Add, 3}, {Add, 8}}, 8, {3, 5, 8}},
        {"lookup brings the key up", {{Add, 5}, {Add, 3}, {Add, 8}, {Lookup, 3}}, 3, {3, 5, 8}},
        {"absent key leaves a neighbour", {{Add, 10}, {Add, 20}, {Add, 30}, {Lookup, 25}}, 20, {10, 20, 30}},
        {"deep spine lookup",
         {{Add, 1}, {Add, 2}, {Add, 3}, {Add, 4}, {Add, 5}, {Add, 6}, {Add, 7}, {Lookup, 1}},
         1,
         {1, 2, 3, 4, 5, 6, 7}},
        {"largest on the left replaces a removed root", {{Add, 5}, {Add, 3}, {Add, 8}, {Remove, 8}}, 5, {3, 5}},
        {"right subtree replaces a root without left", {{Add, 5}, {Add, 9}, {Lookup, 5}, {Remove, 5}}, 9, {9}},
        {"descending adds", {{Add, 9}, {Add, 7}, {Add, 5}, {Add, 3}, {Lookup, 7}, {Add, 6}}, 6, {3, 5, 6, 7, 9}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.Name);
        auto container = MakeSplay();
        for (const auto& [step, key] : test.Steps) {
            if (step == Add)
                container->Add(new TItem(key));
            else if (step == Lookup)
                container->IsValidKey(key);
            else {
                TItem probe(key);
                container->Remove(&probe);
            }
            ExpectSoundTree(*container);
        }
        ASSERT_NE(container->Tree().Root(), nullptr);
        EXPECT_EQ(container->Tree().Root()->Key, test.Root);
        EXPECT_EQ(KeysInOrder(*container), test.Keys);
    }
    EXPECT_EQ(TItem::Live, 0);
}

TEST(NContain, SplayStaysSoundUnderRandomChanges)
{
    auto container = MakeSplay();
    std::uint32_t seed = 12345;
    const auto random = [&seed](int Range) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % std::uint32_t(Range));
    };
    std::vector<bool> present(200, false);
    for (int step = 0; step < 4000; ++step) {
        const int key = random(200) - 50; // negative keys too
        TItem probe(key);
        switch (random(3)) {
        case 0:
            if (present[key + 50]) {
                EXPECT_THROW(container->Add(&probe), ENEDuplicateItemErr);
            } else {
                container->Add(new TItem(key));
                present[key + 50] = true;
            }
            break;
        case 1:
            container->Remove(&probe);
            present[key + 50] = false;
            break;
        default:
            EXPECT_EQ(container->IsValidKey(key), bool(present[key + 50]));
        }
        if (step % 97 == 0)
            ExpectSoundTree(*container);
    }
    ExpectSoundTree(*container);
}

TEST(NContain, RefusedChangesLeaveTheSplayContainerAsItWas)
{
    auto container = MakeSplay();
    AddKeys(*container, {5});
    TAnnouncements announcements(*container);

    TItem duplicate(5);
    try {
        container->Add(&duplicate);
        FAIL() << "a taken key was accepted";
    } catch (const ENEDuplicateItemErr& error) {
        EXPECT_EQ(error.Message(), "Duplicate item");
    }
    TItem absent(7);
    container->Remove(&absent);
    EXPECT_THROW(container->GetItem(7), ENEInvalidIndexErr);

    EXPECT_EQ(container->Count(), 1);
    EXPECT_EQ(int(container->LastEvent()), 0);
    EXPECT_TRUE(announcements.Seen.empty());
    EXPECT_EQ(TItem::Live, 3); // the stored item and the two probes: nothing destroyed by mistake

    auto empty = MakeSplay();
    empty->Remove(&absent);
    EXPECT_EQ(empty->Count(), 0);
    EXPECT_FALSE(empty->Contains(&absent));
}

TEST(NContain, ChangesAreAnnouncedWithTheirKeyOrIndex)
{
    auto splay = MakeSplay();
    TAnnouncements splayAnnouncements(*splay);
    AddKeys(*splay, {5, 3});
    TItem probe(5);
    splay->Remove(&probe);
    EXPECT_EQ(splayAnnouncements.Seen, (std::vector<std::pair<int, int>>{{3, 5}, {3, 3}, {2, 5}}));
    EXPECT_EQ(int(splay->LastEvent()), 2);
    EXPECT_EQ(splay->EventKey(), 5);

    TNEObjectContainer<TItem> array(true);
    TAnnouncements arrayAnnouncements(array);
    array.Add(new TItem(1));
    array.Add(new TItem(2));
    array.Add(new TItem(3));
    array.Delete(1);
    array.Clear();
    EXPECT_EQ(arrayAnnouncements.Seen,
              (std::vector<std::pair<int, int>>{{3, 0}, {3, 1}, {3, 2}, {2, 1}, {2, 1}, {2, 0}}));
    EXPECT_EQ(TItem::Live, 2); // the probe and key 3 of the splay container
}

TEST(NContain, ForEachLocksTheContainerAlsoWhenTheCallbackRaises)
{
    auto splay = MakeSplay();
    AddKeys(*splay, {1, 2, 3});
    TItem extra(9);
    const std::vector<std::pair<const char*, std::function<void()>>> refused = {
        {"IsValidKey", [&] { splay->IsValidKey(2); }},  {"GetItem", [&] { splay->GetItem(2); }},
        {"Contains", [&] { splay->Contains(&extra); }}, {"Add", [&] { splay->Add(&extra); }},
        {"Remove", [&] { splay->Remove(&extra); }},     {"Clear", [&] { splay->Clear(); }},
    };
    for (const auto& [name, operation] : refused) {
        SCOPED_TRACE(name);
        bool refusedInside = false;
        splay->ForEach([&](std::int32_t, TItem*, bool& Stop) {
            try {
                operation();
            } catch (const ENELockedContainerErr& error) {
                refusedInside = error.Message() == "Locked container";
            }
            Stop = true;
        });
        EXPECT_TRUE(refusedInside);
        EXPECT_EQ(splay->Count(), 3);
    }

    EXPECT_THROW(splay->ForEach([](std::int32_t, TItem*, bool&) { throw std::runtime_error("callback failed"); }),
                 std::runtime_error);
    EXPECT_FALSE(splay->IsLocked());
    EXPECT_TRUE(splay->IsValidKey(2));

    int visited = 0;
    splay->ForEach([&](std::int32_t Key, TItem*, bool& Stop) { Stop = ++visited == 2 || Key > 100; });
    EXPECT_EQ(visited, 2);

    // The array container still answers reads while locked.
    TNEObjectContainer<TItem> array(true);
    array.Add(new TItem(1));
    array.ForEach([&](std::int32_t Index, TItem* Element, bool&) {
        EXPECT_EQ(array.GetItem(Index), Element);
        EXPECT_THROW(array.Add(&extra), ENELockedContainerErr);
        EXPECT_THROW(array.Delete(7), ENELockedContainerErr); // the lock is tested before the index
        EXPECT_THROW(array.Clear(), ENELockedContainerErr);
    });
    EXPECT_EQ(array.Count(), 1);

    // A walk nested in another one on the same container leaves the outer walk locked when it ends.
    const std::pair<const char*, TNEAbstractContainer<TItem>*> walked[] = {{"splay", splay.get()}, {"array", &array}};
    for (const auto& [name, container] : walked) {
        SCOPED_TRACE(name);
        container->ForEach([&](std::int32_t, TItem*, bool& Stop) {
            container->ForEach([](std::int32_t, TItem*, bool&) {});
            EXPECT_TRUE(container->IsLocked());
            EXPECT_THROW(container->Add(&extra), ENELockedContainerErr);
            Stop = true;
        });
        EXPECT_FALSE(container->IsLocked());
    }
}

TEST(NContain, ArrayBlockGrowsAndShrinksByHalfItsCount)
{
    const std::vector<std::array<int, 3>> plans = {
        // count, capacity, shrink limit; odd halves round to the even neighbour
        {0, 1, -1}, {1, 2, 0}, {2, 3, 1}, {3, 5, 1}, {5, 7, 3}, {7, 11, 3}, {9, 13, 5}, {11, 17, 5}, {100, 150, 50},
    };
    for (const auto& [count, capacity, shrinkLimit] : plans) {
        SCOPED_TRACE(count);
        const TNEArrayPlan plan = PlanArray(count);
        EXPECT_EQ(plan.Capacity, capacity);
        EXPECT_EQ(plan.ShrinkLimit, shrinkLimit);
    }

    TNEObjectContainer<TItem> array(true);
    std::vector<std::array<int, 2>> growth;
    for (int key = 0; key < 6; ++key) {
        array.Add(new TItem(key));
        growth.push_back({array.Capacity(), array.ShrinkLimit()});
    }
    EXPECT_EQ(growth, (std::vector<std::array<int, 2>>{{2, 0}, {2, 0}, {5, 1}, {5, 1}, {5, 1}, {9, 3}}));
    std::vector<std::array<int, 2>> shrinking;
    while (array.Count() > 1) {
        array.Delete(0);
        shrinking.push_back({array.Capacity(), array.ShrinkLimit()});
    }
    EXPECT_EQ(shrinking, (std::vector<std::array<int, 2>>{{9, 3}, {9, 3}, {9, 3}, {3, 1}, {3, 1}}));
    EXPECT_EQ(array.GetItem(0)->Key, 5); // order kept across every resize
    array.Clear();
    EXPECT_EQ(array.Capacity(), 0);
    EXPECT_EQ(array.ShrinkLimit(), 0);
    EXPECT_EQ(TItem::Live, 0);
}

TEST(NContain, ArrayContainersFindAndRemoveByTheirOwnRule)
{
    TNEObjectContainer<TItem> array;
    TItem a(1), b(2), outsider(3);
    array.Add(&a);
    array.Add(&b);
    array.Add(&a);
    EXPECT_TRUE(array.Contains(&a));
    EXPECT_FALSE(array.Contains(&outsider));
    EXPECT_THROW(array.Remove(&outsider), ENEInvalidIndexErr);
    EXPECT_THROW(array.GetItem(3), ENEInvalidIndexErr);
    EXPECT_THROW(array.GetItem(-1), ENEInvalidIndexErr);
    array.Remove(&a); // the first occurrence
    EXPECT_EQ(array.GetItem(0), &b);
    EXPECT_EQ(array.GetItem(1), &a);

    TNEOrganizedContainer<TItem> sorted{TNEOrganizedContainer<TItem>::TNECompareMethod(&CompareValues)};
    TItem first(10, 5), second(11, 5), low(12, 1), high(13, 9);
    for (TItem* element : {&first, &high, &second, &low})
        sorted.Add(element);
    EXPECT_THROW(sorted.Add(&second), ENEDuplicateItemErr);
    std::vector<int> keys;
    sorted.ForEach([&](std::int32_t, TItem* Element, bool&) { keys.push_back(Element->Key); });
    EXPECT_EQ(keys, (std::vector<int>{12, 10, 11, 13})); // equal values keep the order they were added in
    EXPECT_EQ(sorted.IndexOf(&second), 1);
    TItem absent(14, 7);
    EXPECT_EQ(sorted.IndexOf(&absent), -1);
    EXPECT_FALSE(sorted.Contains(&absent));
    EXPECT_THROW(sorted.Remove(&absent), ENEInvalidIndexErr); // not the larger item after its place
    sorted.Remove(&second);                                   // removes the first equal item
    EXPECT_EQ(sorted.GetItem(1), &second);
    EXPECT_EQ(sorted.Count(), 3);
}

TEST(NContain, SplayIteratorFollowsRemovalsUnderIt)
{
    struct Case
    {
        int Removed;
        std::optional<int> KeyAfter;
        int PositionAfter;
    };
    const std::vector<Case> cases = {{4, 6, 1}, {2, 4, 0}, {6, 4, 1}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.Removed);
        auto container = MakeSplay();
        AddKeys(*container, {2, 4, 6});
        TNESplayIterator<TItem> iterator(*container);
        EXPECT_TRUE(iterator.IsDone());
        EXPECT_EQ(iterator.Key(), -1);
        iterator.First();
        iterator.Next();
        ASSERT_EQ(iterator.Key(), 4);
        TItem probe(test.Removed);
        container->Remove(&probe);
        EXPECT_EQ(iterator.Current()->Key, *test.KeyAfter);
        EXPECT_EQ(iterator.Position(), test.PositionAfter);
    }

    auto container = MakeSplay();
    AddKeys(*container, {2, 4, 6});
    TNESplayIterator<TItem> iterator(*container);
    iterator.Last();
    iterator.RemoveCurrent(); // the largest: nothing above it
    EXPECT_TRUE(iterator.IsDone());
    EXPECT_EQ(iterator.Current(), nullptr);
}

TEST(NContain, IteratorsEmptyAContainerFromEitherEnd)
{
    for (const bool fromLast : {false, true}) {
        SCOPED_TRACE(fromLast ? "from the last" : "from the first");
        auto container = MakeSplay();
        AddKeys(*container, {7, 1, 9, 4, 3});
        TNESplayIterator<TItem> walker(*container);
        TNESplayIterator<TItem> observer(*container);
        observer.First();
        std::vector<int> removed;
        if (fromLast) {
            for (walker.Last(); !walker.IsDone(); walker.Prev()) {
                removed.push_back(walker.Key());
                walker.RemoveCurrent();
            }
        } else {
            for (walker.First(); !walker.IsDone();) {
                removed.push_back(walker.Key());
                walker.RemoveCurrent();
            }
        }
        EXPECT_EQ(container->Count(), 0);
        const std::vector<int> expected = fromLast ? std::vector<int>{9, 7, 4, 3, 1} : std::vector<int>{1, 3, 4, 7, 9};
        EXPECT_EQ(removed, expected);
        EXPECT_TRUE(observer.IsDone());
        EXPECT_EQ(TItem::Live, 0);
    }

    TNEObjectContainer<TItem> array(true);
    for (int key = 0; key < 4; ++key)
        array.Add(new TItem(key));
    TNEObjectIterator<TItem> fromEnd(array);
    std::vector<int> removed;
    for (fromEnd.Last(); !fromEnd.IsDone(); fromEnd.Prev()) {
        removed.push_back(fromEnd.Current()->Key);
        fromEnd.RemoveCurrent();
    }
    EXPECT_EQ(removed, (std::vector<int>{3, 2, 1, 0}));
    EXPECT_EQ(array.Count(), 0);
}

TEST(NContain, ObjectIteratorStaysOnItsItemWhileOthersComeAndGo)
{
    TNEOrganizedContainer<TItem> sorted{TNEOrganizedContainer<TItem>::TNECompareMethod(&CompareValues)};
    TItem a(1, 5), b(2, 5), c(3, 8), d(4, 1);
    sorted.Add(&a);
    sorted.Add(&b);
    sorted.Add(&c);
    TNEObjectIterator<TItem> iterator(sorted);
    iterator.Next();
    ASSERT_EQ(iterator.Current(), &b);
    sorted.Add(&d); // before it
    EXPECT_EQ(iterator.Current(), &b);
    sorted.Remove(&c); // after it
    EXPECT_EQ(iterator.Current(), &b);
    // Removing the current item takes exactly that object, not the first one that compares equal.
    iterator.RemoveCurrent();
    EXPECT_EQ(sorted.Count(), 2);
    EXPECT_EQ(sorted.GetItem(1), &a);
    EXPECT_TRUE(iterator.IsDone());
    EXPECT_THROW(iterator.Current(), ENEInvalidIndexErr);
}

TEST(NContain, IteratorsOutliveTheirContainer)
{
    auto splay = MakeSplay();
    AddKeys(*splay, {1, 2, 3});
    auto splayIterator = std::make_unique<TNESplayIterator<TItem>>(*splay);
    splayIterator->First();
    auto array = std::make_unique<TNEObjectContainer<TItem>>(true);
    array->Add(new TItem(1));
    auto arrayIterator = std::make_unique<TNEObjectIterator<TItem>>(*array);

    splay.reset();
    array.reset();
    EXPECT_EQ(TItem::Live, 0);

    // Every operation of a detached iterator is harmless; the sanitizer build proves nothing freed is touched.
    for (TNEAbstractIterator<TItem>* iterator : {static_cast<TNEAbstractIterator<TItem>*>(splayIterator.get()),
                                                 static_cast<TNEAbstractIterator<TItem>*>(arrayIterator.get())}) {
        iterator->First();
        EXPECT_TRUE(iterator->IsDone());
        iterator->Last();
        iterator->Next();
        iterator->Prev();
        iterator->RemoveCurrent();
        EXPECT_TRUE(iterator->IsDone());
    }
    EXPECT_EQ(splayIterator->Current(), nullptr);
    splayIterator.reset();
    arrayIterator.reset();
}

TEST(NContain, AMillionAscendingKeysNeedNoRecursion)
{
    constexpr int count = 1'000'000;
    auto container = MakeSplay();
    for (int key = 0; key < count; ++key)
        container->Add(new TItem(key)); // each add hangs the previous root on the left: one long spine
    EXPECT_EQ(container->Tree().First()->Key, 0);
    EXPECT_EQ(container->Tree().Last()->Key, count - 1);
    EXPECT_EQ(container->GetItem(0)->Key, 0); // a splay down the whole spine
    TNESplayIterator<TItem> iterator(*container);
    int walked = 0;
    for (iterator.First(); !iterator.IsDone(); iterator.Next())
        ++walked;
    EXPECT_EQ(walked, count);
    container.reset();
    EXPECT_EQ(TItem::Live, 0);
}
