// LyCriticalSection::Init when the record cannot be allocated.
//
// This program replaces the global allocation functions so that a test can
// make the next non-throwing allocation of its own thread fail. Every other
// allocation goes to malloc and free, which the sanitizers watch as usual;
// all the scalar forms are replaced together so that each block is released
// by the family that allocated it.

#include <cstdlib>
#include <new>

#include "locks/lock_support.h"

namespace {
thread_local bool gFailNextNothrowNew = false;

void* Allocate(std::size_t size) { return std::malloc(size != 0 ? size : 1); }
}  // namespace

void* operator new(std::size_t size) {
    if (void* block = Allocate(size)) return block;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (gFailNextNothrowNew) {
        gFailNextNothrowNew = false;
        return nullptr;
    }
    return Allocate(size);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }

using namespace VELSDK2025;
using lysdk_test::AwaitFlag;
using lysdk_test::LockTest;

class CriticalSectionInit : public LockTest {};

TEST_F(CriticalSectionInit, FailedAllocationReturnsFalseAndLeavesNoRecord) {
    LyCriticalSection section;
    gFailNextNothrowNew = true;
    EXPECT_FALSE(section.Init());
    EXPECT_FALSE(gFailNextNothrowNew) << "Init did not allocate its record";

    // No record: Enter takes nothing, so another thread is not held up.
    section.Enter();
    lysdk_test::Taker other(section);
    other.Join();
    EXPECT_TRUE(other.taken);
    section.Leave();

    // The failure is not sticky: a later Init creates the record.
    EXPECT_TRUE(section.Init());
}

TEST_F(CriticalSectionInit, SuccessfulInitAllocatesOnce) {
    LyCriticalSection section;
    gFailNextNothrowNew = true;  // a second Init must not allocate again
    EXPECT_FALSE(section.Init());
    ASSERT_TRUE(section.Init());
    gFailNextNothrowNew = true;
    EXPECT_TRUE(section.Init()) << "a second Init replaced the record";
    EXPECT_TRUE(gFailNextNothrowNew);
    gFailNextNothrowNew = false;
}
