// LyFastLock: mutual exclusion under contention, waiting while held, no
// re-entry, Unlock without ownership, and Unlock of a free lock.

#include <algorithm>
#include <atomic>
#include <thread>
#include <type_traits>

#include "locks/lock_support.h"

using namespace VELSDK2025;
using lysdk_test::AwaitFlag;
using lysdk_test::LockTest;
using lysdk_test::Settle;
using lysdk_test::Taker;

static_assert(sizeof(LyFastLock) == sizeof(void*), "one pointer to the lock word");
static_assert(!std::is_copy_constructible_v<LyFastLock> && !std::is_copy_assignable_v<LyFastLock>,
              "a copy would share, and free twice, the lock word");
static_assert(!std::is_polymorphic_v<LyFastLock>, "a plain class");

class FastLock : public LockTest {};

TEST_F(FastLock, GuardsACounterUnderContentionWithFewAndWithFarMoreThreadsThanCores) {
    const int many = 4 * static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    for (const auto& [threads, rounds] : {std::pair{4, 50000}, std::pair{many, 5000}}) {
        LyFastLock lock;
        const lysdk_test::ContentionResult result = lysdk_test::Contend(lock, threads, rounds);
        EXPECT_EQ(result.overlaps, 0) << threads;
        EXPECT_EQ(result.counter, static_cast<long long>(threads) * rounds) << threads;
    }
}

TEST_F(FastLock, ANewLockIsFreeAndLocksAreIndependent) {
    LyFastLock first, second;
    first.Lock();
    Taker other(second);
    other.Join();  // the watchdog fails the test if it waited on `first`
    EXPECT_TRUE(other.taken);
    first.Unlock();
}

TEST_F(FastLock, LockWaitsWhileHeldAndUnlockOfAFreeLockIsNotCredited) {
    LyFastLock lock;
    lock.Unlock();
    lock.Unlock();
    // Free: this Lock returns at once (the watchdog ends a hang)...
    lock.Lock();
    // ...and exactly free: the extra Unlocks bought no second taker, who
    // waits until the holder lets go.
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
