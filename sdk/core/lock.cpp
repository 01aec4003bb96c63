#include "lysdk/lylock.h"

#include <cstdint>
#include <mutex>
#include <new>
#include <thread>

LYSDK_BEGIN_NAMESPACE

// The operating-system record behind a critical section: any re-entrant mutex
// keeps the behaviour (the same thread may take it again, and must give back
// every take). On this platform it is the size of the Windows record it
// stands in for, 40 bytes, though nothing depends on that.
class DataLyCriticalSection {
public:
    std::recursive_mutex mutex;
};

static_assert(sizeof(std::int64_t) == 8 && __atomic_always_lock_free(sizeof(std::int64_t), 0),
              "taking a fast lock must be a single atomic instruction");

// ---------------------------------------------------------------------------
// LyCriticalSection

LyCriticalSection::LyCriticalSection() : mRecord(nullptr) {}

LyCriticalSection::~LyCriticalSection() { delete mRecord; }

bool LyCriticalSection::Init() {
    // A second Init must not swap the record under threads that hold it or
    // wait on it; the one already there serves.
    if (mRecord != nullptr) return true;
    try {
        mRecord = new (std::nothrow) DataLyCriticalSection;
    } catch (...) {
        // Allocation failure is reported by the result; so is a mutex the
        // system refuses to create.
        mRecord = nullptr;
    }
    return mRecord != nullptr;
}

// Without a record there is nothing to act on: the caller ignored a failed
// (or missing) Init, and doing nothing is the one answer that cannot crash.
void LyCriticalSection::Enter() {
    if (mRecord != nullptr) mRecord->mutex.lock();
}

void LyCriticalSection::Leave() {
    if (mRecord != nullptr) mRecord->mutex.unlock();
}

// ---------------------------------------------------------------------------
// LyFastLock

LyFastLock::LyFastLock() : mWord(new std::int64_t(0)) {}

LyFastLock::~LyFastLock() { delete mWord; }

void LyFastLock::LockContended() {
    // The lock was taken at the inline first try. Each retry comes only after
    // giving the processor away, so a waiter never burns the time slice the
    // holder needs to finish, which matters most when there are more busy
    // threads than cores.
    do {
        std::this_thread::yield();
    } while (__atomic_exchange_n(mWord, std::int64_t{1}, __ATOMIC_SEQ_CST) != 0);
}

LYSDK_END_NAMESPACE
