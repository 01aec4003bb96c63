// LyReferenceTime: a component over the host timing manager's reference
// clocks.

#include <velora/timing.h>

#include "lysdk/lyreferencetime.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyReferenceTime, 0)

namespace {

velora::TimingManager& Timing() { return velora::TimingManager::Instance(); }

int GetCurrent(void*) { return Timing().CurrentReference(); }
void SetCurrent(void*, int id) { Timing().SetCurrentReference(id); }
bool GetRelative(void*) { return Timing().RelativeLocalTime(); }
void SetRelative(void*, bool on) { Timing().SetRelativeLocalTime(on); }

}  // namespace

LyReferenceTime::LyReferenceTime() {
    CurrentTimeReferenceID.Init(this, "CurrentTimeReferenceID", &GetCurrent, &SetCurrent);
    UseRelativeLocalTime.Init(this, "UseRelativeLocalTime", &GetRelative, &SetRelative);
}

int LyReferenceTime::Add(const char* name) { return Timing().AddReference(name); }

void LyReferenceTime::Remove(int id) { Timing().RemoveReference(id); }

const char* LyReferenceTime::operator[](int index) { return GetReferenceTimeName(index); }

const char* LyReferenceTime::GetReferenceTimeName(int index) {
    return Timing().ReferenceNameAt(index);
}

LyTime LyReferenceTime::GetTime(int id, LyTime systemTime) {
    return LyTime(Timing().ReferenceTime(id, systemTime.Get()));
}

void LyReferenceTime::SetTime(int id, LyTime referenceTime, LyTime systemTime) {
    Timing().SetReferenceTime(id, referenceTime.Get(), systemTime.Get());
}

void LyReferenceTime::GetUniqueIDList(LyArrayTemplate<int>* ids) {
    if (!ids) return;
    const int count = Timing().ReferenceCount();
    for (int i = 0; i < count; ++i) ids->Add(Timing().ReferenceIdAt(i));
}

LYSDK_END_NAMESPACE
