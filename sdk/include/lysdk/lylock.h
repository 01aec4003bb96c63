#ifndef LYSDK_LYLOCK_H
#define LYSDK_LYLOCK_H

// Two small locks for plug-ins that share state between the host's threads
// (interface, evaluation, rendering, device input/output), so that a plug-in
// needs no platform threading header of its own.
//
// - LyCriticalSection blocks and is re-entrant: use it around anything that
//   may take a while or call back into code that takes the same lock.
// - LyFastLock spins, yielding the processor between tries: use it around a
//   handful of instructions on a hot path (per-frame device data). Taking a
//   free one costs one atomic exchange and no call into the operating system.
//
// Both objects keep their operating-system state behind one pointer, so this
// header stays light and the layout never depends on the platform. Neither
// may be used by a second thread before its constructor (and, for the
// critical section, Init) has returned. A lock cannot be copied or moved:
// two objects sharing one record would both free it, and a lock that other
// threads are waiting on must stay where they look for it.

#include <cstdint>

#include "lysdk/lyexport.h"

LYSDK_BEGIN_NAMESPACE

class DataLyCriticalSection;

/// A blocking, re-entrant lock. The thread that holds it may enter again and
/// must then leave as often as it entered.
///
/// The operating-system record is created by Init, not by the constructor,
/// so an object can be declared anywhere (a member, a static) and set up at a
/// point where failure can be handled. Until Init has succeeded, Enter and
/// Leave have nothing to act on and do nothing: callers check Init's result.
class LYSDK_API LyCriticalSection {
public:
    /// No record exists yet.
    LyCriticalSection();
    /// Releases the record, if Init created one. The lock must be free.
    ~LyCriticalSection();

    LyCriticalSection(const LyCriticalSection&) = delete;
    LyCriticalSection& operator=(const LyCriticalSection&) = delete;

    /// Creates the record. Returns false, leaving the object without one,
    /// when the record cannot be allocated. Called once, before the first
    /// Enter; a further call keeps the existing record (threads may already
    /// be holding or waiting on it) and returns true.
    bool Init();

    /// Blocks until the lock is free or already held by the calling thread,
    /// then takes it (once more).
    void Enter();

    /// Gives back one Enter of the calling thread; the lock is free again
    /// once every Enter has been given back. Only the holder may call it.
    void Leave();

private:
    DataLyCriticalSection* mRecord;
};

/// A spin lock that yields the rest of the thread's time slice while the lock
/// is taken. No time-out, no fairness, and not re-entrant: a thread that
/// locks it twice without unlocking waits for itself for ever.
///
/// Taking a free lock and freeing it are inline, so the uncontended path is
/// one atomic exchange and one store in the caller's code, with no call at
/// all. They use the compiler's atomic built-ins rather than <atomic> to keep
/// this header free of standard-library weight.
class LYSDK_API LyFastLock {
public:
    /// Allocates the lock word, free.
    LyFastLock();
    /// Frees the lock word. The lock must not be in use by any thread.
    ~LyFastLock();

    LyFastLock(const LyFastLock&) = delete;
    LyFastLock& operator=(const LyFastLock&) = delete;

    /// Takes the lock, yielding to the scheduler between tries while another
    /// thread holds it. The exchange is a full barrier: nothing the section
    /// does moves before it.
    void Lock() {
        if (__atomic_exchange_n(mWord, std::int64_t{1}, __ATOMIC_SEQ_CST) != 0) LockContended();
    }

    /// Frees the lock: a release store, which publishes the section's writes
    /// to the next taker. It does not check that the caller holds the lock,
    /// and unlocking a free lock leaves it free.
    void Unlock() { __atomic_store_n(mWord, std::int64_t{0}, __ATOMIC_RELEASE); }

private:
    // The wait after a failed first exchange, out of line: it is the rare
    // path, and it is where the operating system's yield is called.
    void LockContended();

    // The 64-bit lock word, 0 when free and 1 when held. It lives on the heap,
    // so the object stays one pointer whatever the word's alignment needs.
    std::int64_t* mWord;
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYLOCK_H
