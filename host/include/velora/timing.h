#ifndef VELORA_TIMING_H
#define VELORA_TIMING_H

// The timing manager: the application's clocks.
//
//  - System time: the time the application has been running on its own
//    steady clock, in ticks (141,120,000 per second).
//  - Local time: the current time of the scene, which the transport moves
//    (play, step, go to) and evaluation reads.
//  - Reference clocks: named clocks (a timecode generator, a device clock)
//    each keeping an offset to the system time. A reference's time at a
//    system time is that time plus its offset; setting a reference time at a
//    system time sets the offset. Ids start at 1 and are never reused.
//  - The current reference id (0: none) and whether local time is read
//    relative to it.
//
// The manager is process-wide and guarded: devices read clocks from their
// own threads.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "velora/export.h"

namespace velora {

class VELORA_API TimingManager {
public:
    static TimingManager& Instance();

    /// Ticks since the manager started, from the steady clock.
    long long SystemTime() const;

    long long LocalTime() const;
    void SetLocalTime(long long ticks);

    /// A new reference clock; returns its id (never 0).
    int AddReference(const char* name);
    /// False when there is no reference with that id.
    bool RemoveReference(int id);
    int ReferenceCount() const;
    /// Id and name of the i-th reference in creation order; 0 / null when out
    /// of range.
    int ReferenceIdAt(int i) const;
    /// The name stays valid until that reference is removed.
    const char* ReferenceNameAt(int i) const;
    /// The reference's time at `systemTime`; `systemTime` itself for an
    /// unknown id.
    long long ReferenceTime(int id, long long systemTime) const;
    /// Makes the reference read `referenceTime` at `systemTime`; false for an
    /// unknown id.
    bool SetReferenceTime(int id, long long referenceTime, long long systemTime);

    int CurrentReference() const;
    /// False (nothing changed) for an id that is neither 0 nor a reference.
    bool SetCurrentReference(int id);
    bool RelativeLocalTime() const;
    void SetRelativeLocalTime(bool relative);

private:
    TimingManager();
    struct Reference {
        int id;
        std::string name;
        long long offset;
    };
    const Reference* Find(int id) const;

    mutable std::mutex mutex_;
    long long start_;  // steady-clock nanoseconds at construction
    long long local_ = 0;
    std::vector<std::unique_ptr<Reference>> references_;  // names stay put until removed
    int nextId_ = 1;
    int current_ = 0;
    bool relative_ = false;
};

}  // namespace velora

#endif  // VELORA_TIMING_H
