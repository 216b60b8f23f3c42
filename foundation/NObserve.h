#pragma once

#include "foundation/NMethod.h"

#include <cstddef>
#include <memory>
#include <vector>

// The one mechanism for announcing changes. The subject records what changed in its own fields, then calls
// Notify; every registered method is called with the subject and reads the change from it.
//
// Notify is safe against observers that change the registrations or notify again: observers run in registration
// order; one removed during the walk and not yet called is not called; one added during the walk waits for the
// next walk; a point destroyed by one of its observers ends the walk without touching freed memory.
template <typename Subject> class TNEObservationPoint
{
public:
    using TNEObserver = TNEMethod<void(Subject*)>;

    explicit TNEObservationPoint(Subject* ObservedSubject) : Subject_(ObservedSubject) {}
    ~TNEObservationPoint() { *Alive_ = false; }

    TNEObservationPoint(const TNEObservationPoint&) = delete;
    TNEObservationPoint& operator=(const TNEObservationPoint&) = delete;

    // Appends a registration; the same method registered twice is called twice.
    void AddObserver(const TNEObserver& Method) { Entries_.push_back({Method, false}); }

    // Removes the oldest registration of Method; nothing happens when there is none.
    void RemoveObserver(const TNEObserver& Method)
    {
        for (std::size_t index = 0; index < Entries_.size(); ++index) {
            Entry& entry = Entries_[index];
            if (!entry.Removed && SameMethod(entry.Method, Method)) {
                if (WalkDepth_ > 0)
                    entry.Removed = true; // a walk holds indices into the list: erase when it ends
                else
                    Entries_.erase(Entries_.begin() + std::ptrdiff_t(index));
                return;
            }
        }
    }

    void Notify()
    {
        const std::shared_ptr<bool> alive = Alive_;
        const std::size_t count = Entries_.size();
        ++WalkDepth_;
        for (std::size_t index = 0; index < count; ++index) {
            if (Entries_[index].Removed)
                continue;
            // Copy: the call may remove this very entry.
            const TNEObserver method = Entries_[index].Method;
            try {
                method(Subject_);
            } catch (...) {
                if (*alive)
                    EndWalk();
                throw;
            }
            if (!*alive)
                return;
        }
        EndWalk();
    }

    Subject* ObservedSubject() const { return Subject_; }
    std::size_t ObserverCount() const
    {
        std::size_t count = 0;
        for (const Entry& entry : Entries_)
            count += entry.Removed ? 0 : 1;
        return count;
    }

private:
    struct Entry
    {
        TNEObserver Method;
        bool Removed;
    };

    void EndWalk()
    {
        if (--WalkDepth_ == 0)
            std::erase_if(Entries_, [](const Entry& entry) { return entry.Removed; });
    }

    Subject* Subject_;
    std::vector<Entry> Entries_;
    int WalkDepth_ = 0;
    std::shared_ptr<bool> Alive_ = std::make_shared<bool>(true);
};
