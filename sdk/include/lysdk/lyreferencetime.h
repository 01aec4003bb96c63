#ifndef LYSDK_LYREFERENCETIME_H
#define LYSDK_LYREFERENCETIME_H

// LyReferenceTime: the reference clocks of the host's timing manager.
//
// A reference clock is a named clock (a timecode generator, a device's own
// clock) that keeps an offset to the system time. Each has an id that stays
// valid until the clock is removed. The timing manager also keeps which
// reference is current and whether local time is read relative to it.

#include "lysdk/lycomponent.h"
#include "lysdk/lytime.h"

LYSDK_BEGIN_NAMESPACE

class LYSDK_API LyReferenceTime : public LyComponent {
    LYSDK_CLASS_DECLARE(LyReferenceTime, LyComponent)
public:
    LyReferenceTime();

    /// A new reference clock called `name`; its id.
    int Add(const char* name);
    void Remove(int id);
    /// The name of the i-th reference clock (in creation order), or null.
    const char* operator[](int index);
    const char* GetReferenceTimeName(int index);
    /// The reference's time at `systemTime`.
    LyTime GetTime(int id, LyTime systemTime);
    /// Makes the reference read `referenceTime` at `systemTime`.
    void SetTime(int id, LyTime referenceTime, LyTime systemTime);
    /// Appends every reference id to `ids` (which is not cleared first).
    void GetUniqueIDList(LyArrayTemplate<int>* ids);

    /// The current reference id (0: none).
    LyPropertyInt CurrentTimeReferenceID;
    /// Whether local time is read relative to the current reference.
    LyPropertyBool UseRelativeLocalTime;
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYREFERENCETIME_H
