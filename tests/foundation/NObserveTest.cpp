#include "foundation/NObserve.h"

#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct Subject
{
    int Value = 0;
};

// An observer that records its calls in a shared log and can run an action during its call.
struct Recorder
{
    char Name;
    std::vector<char>* Log;
    std::function<void()> During;

    void Changed(Subject*)
    {
        Log->push_back(Name);
        if (During)
            During();
    }
    TNEMethod<void(Subject*)> Method() { return {this, &Recorder::Changed}; }
};

} // namespace

TEST(NObserve, CallsObserversInRegistrationOrderAndRemovesTheOlderDuplicate)
{
    Subject subject;
    TNEObservationPoint<Subject> point(&subject);
    point.Notify(); // nobody registered: nothing happens

    std::vector<char> log;
    Recorder a{'A', &log, {}}, b{'B', &log, {}}, c{'C', &log, {}};
    point.AddObserver(a.Method());
    point.AddObserver(b.Method());
    point.AddObserver(c.Method());
    point.AddObserver(a.Method());
    point.Notify();
    EXPECT_EQ(log, (std::vector<char>{'A', 'B', 'C', 'A'}));

    Recorder never{'N', &log, {}};
    point.RemoveObserver(never.Method());
    point.RemoveObserver(a.Method());
    log.clear();
    point.Notify();
    EXPECT_EQ(log, (std::vector<char>{'B', 'C', 'A'}));
}

TEST(NObserve, ObserversChangingTheListDuringAWalk)
{
    Subject subject;
    TNEObservationPoint<Subject> point(&subject);
    std::vector<char> log;
    Recorder a{'A', &log, {}}, b{'B', &log, {}}, c{'C', &log, {}}, d{'D', &log, {}};
    point.AddObserver(a.Method());
    point.AddObserver(b.Method());
    point.AddObserver(c.Method());

    // A removes C (not yet called: skipped) and adds D (waits for the next walk); B removes itself.
    a.During = [&] {
        point.RemoveObserver(c.Method());
        point.AddObserver(d.Method());
    };
    b.During = [&] { point.RemoveObserver(b.Method()); };
    point.Notify();
    EXPECT_EQ(log, (std::vector<char>{'A', 'B'}));

    a.During = nullptr;
    log.clear();
    point.Notify();
    EXPECT_EQ(log, (std::vector<char>{'A', 'D'}));
}

TEST(NObserve, NestedNotifyAndDestructionByAnObserverAreSafe)
{
    Subject subject;
    auto point = std::make_unique<TNEObservationPoint<Subject>>(&subject);
    std::vector<char> log;
    Recorder a{'A', &log, {}}, b{'B', &log, {}}, c{'C', &log, {}};
    point->AddObserver(a.Method());
    point->AddObserver(b.Method());
    point->AddObserver(c.Method());

    bool nested = false;
    a.During = [&] {
        if (!nested) {
            nested = true;
            point->Notify();
        }
    };
    point->Notify();
    EXPECT_EQ(log, (std::vector<char>{'A', 'A', 'B', 'C', 'B', 'C'}));

    a.During = nullptr;
    b.During = [&] { point.reset(); };
    log.clear();
    point->Notify();
    EXPECT_EQ(log, (std::vector<char>{'A', 'B'}));
}

TEST(NObserve, AThrowingObserverEndsTheWalkAndLeavesThePointUsable)
{
    Subject subject;
    TNEObservationPoint<Subject> point(&subject);
    std::vector<char> log;
    Recorder a{'A', &log, {}}, b{'B', &log, {}};
    point.AddObserver(a.Method());
    point.AddObserver(b.Method());
    a.During = [&] {
        point.RemoveObserver(b.Method());
        throw 1;
    };
    EXPECT_THROW(point.Notify(), int);
    EXPECT_EQ(point.ObserverCount(), 1u);
    a.During = nullptr;
    log.clear();
    point.Notify();
    EXPECT_EQ(log, (std::vector<char>{'A'}));
}
