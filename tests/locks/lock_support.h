#ifndef LYSDK_TESTS_LOCKS_LOCK_SUPPORT_H
#define LYSDK_TESTS_LOCKS_LOCK_SUPPORT_H

// Helpers for lock tests. A broken lock tends to hang rather than fail, so
// every test runs under a watchdog that ends the program with the test's
// name if the test has not finished in time. Waits that must end are
// bounded by that watchdog; waits that must NOT end are checked by giving a
// blocked thread a settling time and seeing that it has not moved on.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <lysdk/lylock.h>

namespace lysdk_test {

using namespace std::chrono_literals;

// Long enough for a sanitizer build on two busy cores.
constexpr std::chrono::seconds kTestTimeLimit{60};
// How long a thread that should be blocked is given to (wrongly) get through.
constexpr std::chrono::milliseconds kSettle{100};

/// Ends the process if the current test does not finish within the limit.
class Watchdog {
public:
    explicit Watchdog(std::string what, std::chrono::seconds limit = kTestTimeLimit)
        : what_(std::move(what)), thread_([this, limit] { Watch(limit); }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> hold(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

private:
    void Watch(std::chrono::seconds limit) {
        std::unique_lock<std::mutex> hold(mutex_);
        if (!wake_.wait_for(hold, limit, [this] { return done_; })) {
            std::fprintf(stderr, "\n%s: still running after %lld s; a lock never came free\n",
                         what_.c_str(), static_cast<long long>(limit.count()));
            std::fflush(stderr);
            std::_Exit(3);
        }
    }

    std::string what_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};

/// Every lock test derives from this fixture.
class LockTest : public ::testing::Test {
protected:
    LockTest() : watchdog_(Name()) {}

private:
    static std::string Name() {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        return std::string(info->test_suite_name()) + "." + info->name();
    }
    Watchdog watchdog_;
};

/// Waits (bounded by the watchdog) until the flag is set.
inline void AwaitFlag(const std::atomic<bool>& flag) {
    while (!flag.load()) std::this_thread::yield();
}

/// Gives a thread that ought to be blocked time to get through anyway.
inline void Settle() { std::this_thread::sleep_for(kSettle); }

inline void Take(VELSDK2025::LyFastLock& lock) { lock.Lock(); }
inline void Give(VELSDK2025::LyFastLock& lock) { lock.Unlock(); }
inline void Take(VELSDK2025::LyCriticalSection& section) { section.Enter(); }
inline void Give(VELSDK2025::LyCriticalSection& section) { section.Leave(); }

/// A thread that takes the lock once, notes that it got it, and gives it back.
class Taker {
public:
    template <class Lock>
    explicit Taker(Lock& lock)
        : thread_([this, &lock] {
              started.store(true);
              Take(lock);
              taken.store(true);
              Give(lock);
          }) {
        AwaitFlag(started);  // it is at (or past) taking the lock from here on
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

struct ContentionResult {
    long long counter;
    int overlaps;
};

/// Each thread takes the lock `rounds` times (`nesting` deep) and bumps a
/// plain counter inside. The occupancy count is relaxed on purpose: it must
/// not order the threads itself, or it would hide from ThreadSanitizer a lock
/// that fails to order the plain counter.
template <class Lock>
ContentionResult Contend(Lock& lock, int threadCount, int rounds, int nesting = 1) {
    long long counter = 0;
    std::atomic<int> inside{0};
    std::atomic<int> overlaps{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&] {
            AwaitFlag(go);  // start together, so they collide from the first round
            for (int i = 0; i < rounds; ++i) {
                for (int n = 0; n < nesting; ++n) Take(lock);
                if (inside.fetch_add(1, std::memory_order_relaxed) != 0)
                    overlaps.fetch_add(1, std::memory_order_relaxed);
                const long long seen = counter;
                // Now and then the holder gives the processor away inside the
                // section, so that the others run while it holds the lock even
                // on one free core: a lock that let them in would show as an
                // overlap and as lost increments.
                if (i % 8 == 0) std::this_thread::yield();
                counter = seen + 1;
                inside.fetch_sub(1, std::memory_order_relaxed);
                for (int n = 0; n < nesting; ++n) Give(lock);
            }
        });
    }
    go.store(true);
    for (std::thread& thread : threads) thread.join();
    return {counter, overlaps.load()};
}

}  // namespace lysdk_test

#endif  // LYSDK_TESTS_LOCKS_LOCK_SUPPORT_H
