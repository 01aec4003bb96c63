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

}  // namespace lysdk_test

#endif  // LYSDK_TESTS_LOCKS_LOCK_SUPPORT_H
