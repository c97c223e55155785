#pragma once
// Work on the four resource kinds, shared with a second thread: of the kinds that
// have work, every other one is done there while the calling thread does the rest,
// and the calling thread takes every kind's result, in kind order. Loading and
// saving are mostly reading, writing and waiting for the disk, kind by kind, and
// the kinds touch nothing of each other.

#include "model/ResourceKind.h"
#include "text/Machinery.h"

#include <array>
#include <functional>
#include <future>
#include <thread>

namespace kvarsel {

template <class Result> class KindsSideBySide {
public:
    // `hasWork(kind)` says which kinds have any; `work(kind)` does a kind's and is
    // called on the second thread for every other one of them.
    KindsSideBySide(const std::function<bool(ResourceKind)>& hasWork,
                    std::function<Result(ResourceKind)> work)
        : m_work(std::move(work))
    {
        bool toSecond = false;
        for (const ResourceKind kind : kAllKinds) {
            if (!hasWork(kind) || !machinery().loadSaveThread)
                continue;
            m_slots[size_t(kindIndex(kind))].elsewhere = toSecond;
            toSecond = !toSecond;
        }
        m_second = std::jthread([this] {
            for (const ResourceKind kind : kAllKinds) {
                Slot& slot = m_slots[size_t(kindIndex(kind))];
                if (!slot.elsewhere)
                    continue;
                try {
                    slot.done.set_value(m_work(kind));
                } catch (...) {
                    slot.done.set_exception(std::current_exception());
                }
            }
        });
    }

    // Whether the kind's work is done on the second thread.
    bool elsewhere(ResourceKind kind) const { return m_slots[size_t(kindIndex(kind))].elsewhere; }
    // The second thread's result for the kind, once it is there.
    Result take(ResourceKind kind) { return m_slots[size_t(kindIndex(kind))].result.get(); }

private:
    struct Slot {
        bool elsewhere = false;
        std::promise<Result> done;
        std::future<Result> result = done.get_future(); // taken before the thread starts
    };
    std::function<Result(ResourceKind)> m_work;
    std::array<Slot, kKindCount> m_slots;
    std::jthread m_second; // last: joined before the slots go
};

} // namespace kvarsel
