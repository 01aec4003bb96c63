// LyFastLock: mutual exclusion under contention, waiting while held, no
// re-entry, Unlock without ownership, and Unlock of a free lock.

#include <algorithm>
#include <atomic>
#include <thread>
#include <type_traits>
#include <vector>

#include "locks/lock_support.h"

using namespace VELSDK2025;
using lysdk_test::AwaitFlag;
using lysdk_test::LockTest;
using lysdk_test::Settle;

static_assert(sizeof(LyFastLock) == sizeof(void*), "one pointer to the lock word");
static_assert(!std::is_copy_constructible_v<LyFastLock> && !std::is_copy_assignable_v<LyFastLock>,
              "a copy would share, and free twice, the lock word");
static_assert(!std::is_polymorphic_v<LyFastLock>, "a plain class");

class FastLock : public LockTest {};

namespace {

// A thread that takes the lock once, notes that it got it, and frees it.
class Taker {
public:
    explicit Taker(LyFastLock& lock)
        : thread_([this, &lock] {
              started.store(true);
              lock.Lock();
              taken.store(true);
              lock.Unlock();
          }) {
        AwaitFlag(started);
    }
    ~Taker() { Join(); }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }

    std::atomic<bool> started{false};
    std::atomic<bool> taken{false};

private:
    std::thread thread_;
};

// Each thread takes the lock `rounds` times and bumps a plain counter inside.
// Waiters find the lock taken and go round the yield loop.
struct ContentionResult {
    long long counter;
    int overlaps;
};

ContentionResult Contend(LyFastLock& lock, int threadCount, int rounds) {
    // The occupancy count is relaxed on purpose: it must not order the
    // threads itself, or it would hide from ThreadSanitizer a lock that fails
    // to order the plain counter.
    long long counter = 0;
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&] {
            AwaitFlag(go);  // start together, so they collide from the first round
            for (int i = 0; i < rounds; ++i) {
                lock.Lock();
                if (inside.fetch_add(1, std::memory_order_relaxed) != 0)
                    overlaps.fetch_add(1, std::memory_order_relaxed);
                const long long seen = counter;
                // Now and then the holder gives the processor away inside the
                // section, so that the others run while it holds the lock
                // even on one free core: a lock that let them in would show
                // as an overlap and as lost increments.
                if (i % 8 == 0) std::this_thread::yield();
                counter = seen + 1;
                inside.fetch_sub(1, std::memory_order_relaxed);
                lock.Unlock();
            }
        });
    }
    go.store(true);
    for (std::thread& thread : threads) thread.join();
    return {counter, overlaps.load()};
}

}  // namespace

TEST_F(FastLock, GuardsACounterUnderContention) {
    constexpr int kThreads = 4;
    constexpr int kRounds = 50000;
    LyFastLock lock;
    const ContentionResult result = Contend(lock, kThreads, kRounds);
    EXPECT_EQ(result.overlaps, 0);
    EXPECT_EQ(result.counter, static_cast<long long>(kThreads) * kRounds);
}

TEST_F(FastLock, GuardsACounterWithFarMoreThreadsThanCores) {
    const int threads = 4 * static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    constexpr int kRounds = 5000;
    LyFastLock lock;
    const ContentionResult result = Contend(lock, threads, kRounds);
    EXPECT_EQ(result.overlaps, 0);
    EXPECT_EQ(result.counter, static_cast<long long>(threads) * kRounds);
}

TEST_F(FastLock, ANewLockIsFree) {
    LyFastLock lock;
    Taker other(lock);
    other.Join();
    EXPECT_TRUE(other.taken);
}

TEST_F(FastLock, LockWaitsWhileAnotherThreadHoldsIt) {
    LyFastLock lock;
    lock.Lock();
    Taker other(lock);
    Settle();
    EXPECT_FALSE(other.taken);
    lock.Unlock();
    other.Join();
    EXPECT_TRUE(other.taken);
}

TEST_F(FastLock, UnlockOfAFreeLockLeavesItFreeNotCredited) {
    LyFastLock lock;
    lock.Unlock();
    lock.Unlock();
    // Free: this Lock returns at once (the watchdog ends a hang)...
    lock.Lock();
    // ...and exactly free: the extra Unlocks bought no second taker.
    Taker other(lock);
    Settle();
    EXPECT_FALSE(other.taken);
    lock.Unlock();
    other.Join();
    EXPECT_TRUE(other.taken);
}

TEST_F(FastLock, IsNotReEntrantAndAnyThreadMayUnlock) {
    LyFastLock lock;
    std::atomic<bool> first{false}, second{false};
    std::thread owner([&] {
        lock.Lock();
        first.store(true);
        lock.Lock();  // waits for itself
        second.store(true);
        lock.Unlock();
    });
    AwaitFlag(first);
    Settle();
    EXPECT_FALSE(second) << "a second Lock by the holder went through";

    // Unlock does not check who holds the lock: freeing it from here lets the
    // owner's second Lock through.
    lock.Unlock();
    owner.join();
    EXPECT_TRUE(second);

    Taker other(lock);  // and the owner's final Unlock left it free
    other.Join();
    EXPECT_TRUE(other.taken);
}

TEST_F(FastLock, LocksAreIndependent) {
    LyFastLock first, second;
    first.Lock();
    Taker other(second);
    other.Join();
    EXPECT_TRUE(other.taken);
    first.Unlock();
}

TEST_F(FastLock, PublishesTheSectionsWritesToTheNextTaker) {
    // A writer fills a record under the lock; a reader checks under the lock
    // that it never sees half of an update. Without the ordering of Lock and
    // Unlock the reader could see a torn record, and ThreadSanitizer reports
    // the plain fields as raced.
    struct Record {
        long long a = 0;
        long long b = 0;
    } record;
    constexpr int kUpdates = 20000;
    LyFastLock lock;
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};

    std::thread reader([&] {
        while (!done.load()) {
            lock.Lock();
            if (record.b != 2 * record.a) torn.fetch_add(1);
            lock.Unlock();
        }
    });
    for (int i = 1; i <= kUpdates; ++i) {
        lock.Lock();
        record.a = i;
        std::this_thread::yield();  // widen the window between the two fields
        record.b = 2LL * i;
        lock.Unlock();
    }
    done.store(true);
    reader.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(record.a, kUpdates);
}
