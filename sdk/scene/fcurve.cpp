// LyFCurve, LyFCurveKey and the key list: the SDK's enumerations over the
// host key's flag bits, index and lock checks, bulk edits and the undo
// transactions of destructive edits.

#include "lysdk/lyfcurve.h"

#include <velora/animation.h>
#include <velora/fcurve.h>
#include <velora/time.h>
#include <velora/undo.h>

#include "core/host_access.h"
#include "scene/key_flags.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyFCurve, velora::kClassFCurve)

using velora::FCurveKey;

namespace {

velora::FCurve* HostCurve(const LyPlug* plug) {
    velora::Object* object = __LyHostObject(plug);
    return object && object->ClassId() == velora::kClassFCurve && !object->IsEnding()
               ? static_cast<velora::FCurve*>(object)
               : nullptr;
}

// A key as KeyAdd builds it: a TCB key with tension, continuity and bias 0,
// or a plain key with zero derivatives, no weights, weights of one third and
// zero velocities (which a default key already is).
FCurveKey BuildKey(long long time, double value, std::uint32_t flags) {
    FCurveKey key;
    key.time = time;
    key.value = static_cast<float>(value);
    key.flags = flags;
    return key;
}

std::uint32_t AddFlags(LyInterpolation interpolation, LyTangentMode mode) {
    const std::uint32_t i = __LyInterpolationToHost(interpolation);
    return i | (i == velora::kKeyCubic ? __LyTangentToHost(mode) : 0u);
}

double SecondsBetween(long long a, long long b) {
    return static_cast<double>(b - a) / static_cast<double>(velora::kTicksPerSecond);
}

// Rules of one key, shared by curve keys and free-standing keys.
std::uint32_t Mode(const FCurveKey& k) { return k.flags & velora::kKeyModeMask; }
void SetMode(FCurveKey& k, std::uint32_t mode) {
    k.flags = (k.flags & ~velora::kKeyModeMask) | (mode & velora::kKeyModeMask);
}
bool IsCubic(const FCurveKey& k) { return __LyInterpolationFromHost(k.flags) == kLyInterpolationCubic; }
bool IsUserLine(const FCurveKey& k) {
    return (k.flags & velora::kTangentUser) && !(k.flags & (velora::kTangentBreak | velora::kTangentTCB));
}

void KeySetInterpolation(FCurveKey& k, LyInterpolation i) {
    k.flags = (k.flags & ~velora::kKeyInterpolationMask) | __LyInterpolationToHost(i);
}
void KeySetTangentMode(FCurveKey& k, LyTangentMode m) { SetMode(k, IsCubic(k) ? __LyTangentToHost(m) : 0u); }
void KeySetTangentBreak(FCurveKey& k, bool on) {
    if (!IsCubic(k)) return;
    SetMode(k, on ? Mode(k) | velora::kTangentBreak : Mode(k) & 0x7700u);
}
void KeySetClampMode(FCurveKey& k, LyTangentClampMode m) {
    if (!IsCubic(k)) return;
    SetMode(k, m == kLyTangentClampModeClamped ? Mode(k) | velora::kTangentClamp : Mode(k) & 0x6F00u);
}
LyTangentConstantMode KeyConstantMode(const FCurveKey& k) {
    // Only a constant key has a constant mode.
    const bool constant = __LyInterpolationFromHost(k.flags) == kLyInterpolationConstant;
    return constant && Mode(k) == velora::kConstantNext ? kLyTangentConstantModeNext : kLyTangentConstantModeNormal;
}
void KeySetConstantMode(FCurveKey& k, LyTangentConstantMode m) {
    if (__LyInterpolationFromHost(k.flags) != kLyInterpolationConstant) return;
    SetMode(k, m == kLyTangentConstantModeNext ? Mode(k) | velora::kConstantNext : 0u);
}
LyTangentCustomIndex KeyCustomIndex(const FCurveKey& k) {
    if (__LyInterpolationFromHost(k.flags) != kLyInterpolationCustom) return kLyTangentCustomIndex0;
    if (Mode(k) == velora::kCustomTangent2) return kLyTangentCustomIndex2;
    return Mode(k) == velora::kCustomTangent1 ? kLyTangentCustomIndex1 : kLyTangentCustomIndex0;
}
void KeySetCustomIndex(FCurveKey& k, LyTangentCustomIndex i) {
    if (__LyInterpolationFromHost(k.flags) != kLyInterpolationCustom || i < 0 || i > 2) return;
    SetMode(k, velora::kCustomTangent0 << i);
}
LyTangentWeightMode KeyWeightMode(const FCurveKey& k) {
    return static_cast<LyTangentWeightMode>((k.flags & velora::kWeightMask) >> velora::kWeightShift);
}
void KeySetWeightMode(FCurveKey& k, LyTangentWeightMode m) {
    k.flags = (k.flags & ~velora::kWeightMask) | __LyWeightModeToHost(m);
}
// A user key's tangent is one line: either derivative sets both.
void KeySetLeftDerivative(FCurveKey& k, float v) {
    k.leftDerivative = v;
    if (IsUserLine(k)) k.rightDerivative = v;
}
void KeySetRightDerivative(FCurveKey& k, float v) {
    k.rightDerivative = v;
    if (IsUserLine(k)) k.leftDerivative = v;
}

}  // namespace

// ---------------------------------------------------------------------------
// Flag tables

std::uint32_t __LyInterpolationToHost(int interpolation) {
    static constexpr std::uint32_t kTable[4] = {velora::kKeyConstant, velora::kKeyLinear, velora::kKeyCubic,
                                                velora::kKeyCustom};
    return interpolation >= 0 && interpolation < 4 ? kTable[interpolation] : velora::kKeyCubic;
}

LyInterpolation __LyInterpolationFromHost(std::uint32_t flags) {
    switch (flags & velora::kKeyInterpolationMask) {
        case velora::kKeyCustom: return kLyInterpolationCustom;
        case velora::kKeyConstant: return kLyInterpolationConstant;
        case velora::kKeyLinear: return kLyInterpolationLinear;
        default: return kLyInterpolationCubic;
    }
}

std::uint32_t __LyTangentToHost(int mode, bool insert) {
    switch (mode) {
        case kLyTangentModeAuto: return velora::kTangentAuto;
        case kLyTangentModeTCB: return velora::kTangentTCB;
        case kLyTangentModeUser: return velora::kTangentUser;
        case kLyTangentModeBreak: return velora::kTangentUser | velora::kTangentBreak;
        case kLyTangentModeTimeIndependent:
            return velora::kTangentTimeIndependent | (insert ? 0u : velora::kTangentAuto);
        case kLyTangentModeClampProgressive:
            return velora::kTangentClampProgressive | (insert ? 0u : velora::kTangentAuto);
        default: return velora::kTangentClampProgressive;
    }
}

LyTangentMode __LyTangentFromHost(std::uint32_t flags) {
    if (flags & velora::kTangentTCB) return kLyTangentModeTCB;
    if ((flags & (velora::kTangentUser | velora::kTangentBreak)) == (velora::kTangentUser | velora::kTangentBreak))
        return kLyTangentModeBreak;
    if (flags & velora::kTangentUser) return kLyTangentModeUser;
    if ((flags & velora::kTangentClampProgressive) == velora::kTangentClampProgressive)
        return kLyTangentModeClampProgressive;
    if (flags & velora::kTangentTimeIndependent) return kLyTangentModeTimeIndependent;
    return kLyTangentModeAuto;
}

std::uint32_t __LyWeightModeToHost(int mode) {
    return mode >= 0 && mode <= 3 ? static_cast<std::uint32_t>(mode) << velora::kWeightShift : 0u;
}

LyFCurveEventType LyFCurveEventTypeOf(unsigned int code) {
    using namespace velora;
    if (code & kCurveEventMass) return kLyFCurveEventTypeKeyMassOperation;
    if (code & kCurveEventKeyAdd) return kLyFCurveEventTypeKeyAdded;
    if (code & kCurveEventKeyRemove) return kLyFCurveEventTypeKeyRemoved;
    if (code & kCurveEventEditTime) return kLyFCurveEventTypeKeyTimeChanged;
    if (code & kCurveEventEditValue) return kLyFCurveEventTypeKeyValueChanged;
    static const struct {
        std::uint32_t bit;
        LyFCurveEventType type;
    } kDetails[] = {
        {kCurveEventPreExtrapolation, kLyFCurveEventTypeKeyPreExtrapolationChanged},
        {kCurveEventPostExtrapolation, kLyFCurveEventTypeKeyPostExtrapolationChanged},
        {kCurveEventInterpolation, kLyFCurveEventTypeKeyInterpolationChanged},
        {kCurveEventBreak, kLyFCurveEventTypeKeyTangentBreakChanged},
        {kCurveEventClamp, kLyFCurveEventTypeKeyTangentClampModeChanged},
        {kCurveEventConstant, kLyFCurveEventTypeKeyTangentConstantChanged},
        {kCurveEventTangent, kLyFCurveEventTypeKeyTangentChanged},
        {kCurveEventDerivative, kLyFCurveEventTypeDerivativedChanged},
        {kCurveEventTension, kLyFCurveEventTypeKeyTensionChanged},
        {kCurveEventContinuity, kLyFCurveEventTypeKeyContinuityChanged},
        {kCurveEventBias, kLyFCurveEventTypeKeyBiasChanged},
        {kCurveEventVelocity, kLyFCurveEventTypeKeyVelocityChanged},
        {kCurveEventWeight, kLyFCurveEventTypeKeyWeightChanged},
    };
    for (const auto& d : kDetails)
        if (code & d.bit) return d.type;
    return kLyFCurveEventTypeUnknownOperation;
}

// ---------------------------------------------------------------------------
// LyFCurve

LyFCurve::LyFCurve(HIObject object) : LyComponent(object ? object : velora::FCurve::Create("FCurve")) {
    // A curve made here belongs to this wrapper.
    if (!object) SetHIObject(GetHIObject(), true);
    Keys.Init(this, "Keys");
    PropertyAdd(&Keys);
}

LyFCurve* LyFCurve::CreateInterpolatorCurve(LyInterpolatorCurveType type) {
    // Value and slope (per second) at 0 s and at 1 s.
    struct Shape {
        float v0, s0, v1, s1;
    };
    static const Shape kShapes[8] = {
        {0, 1, 1, 1},  {1, -1, 0, -1},  // linear
        {0, 0, 1, 0},  {1, 0, 0, 0},    // smooth
        {0, 0, 1, 2},  {1, 0, 0, -2},   // slow
        {0, 2, 1, 0},  {1, -2, 0, 0},   // fast
    };
    if (type < 0 || type > kLyInterpolatorCurveFastOut) return nullptr;
    const Shape& s = kShapes[type];
    auto* curve = new LyFCurve();
    velora::FCurve* host = HostCurve(curve);
    const bool linear = type == kLyInterpolatorCurveLinearIn || type == kLyInterpolatorCurveLinearOut;
    const std::uint32_t flags = linear ? velora::kKeyLinear : velora::kKeyCubic | velora::kTangentUser;
    FCurveKey a = BuildKey(0, s.v0, flags), b = BuildKey(velora::kTicksPerSecond, s.v1, flags);
    a.leftDerivative = a.rightDerivative = s.s0;
    b.leftDerivative = b.rightDerivative = s.s1;
    host->KeyAdd(a);
    host->KeyAdd(b);
    return curve;
}

void LyFCurve::EditBegin(int keyCount) {
    velora::FCurve* host = HostCurve(this);
    if (!host) return;
    if (keyCount != -1) host->KeyResize(keyCount);
    host->BeginEdit();
}

void LyFCurve::EditEnd(int) {
    if (velora::FCurve* host = HostCurve(this)) host->EndEdit();
}

void LyFCurve::EditClear() {
    if (velora::FCurve* host = HostCurve(this)) host->KeyClear();
}

int LyFCurve::KeyAdd(const LyTime& time, double value, LyInterpolation interpolation, LyTangentMode tangentMode) {
    velora::FCurve* host = HostCurve(this);
    if (!host || host->IsLocked()) return -1;
    return host->KeyAdd(BuildKey(time.Get(), value, AddFlags(interpolation, tangentMode)));
}

int LyFCurve::KeyInsert(const LyTime& time, LyInterpolation interpolation, LyTangentMode tangentMode) {
    velora::FCurve* host = HostCurve(this);
    if (!host || host->IsLocked()) return -1;
    host->ClearCandidate();
    host->SetCandidate(host->Evaluate(time.Get()), time.Get());
    // The candidate path passes the tangent flags whatever the interpolation.
    const std::uint32_t flags = __LyInterpolationToHost(interpolation) | __LyTangentToHost(tangentMode, true);
    return host->KeyCandidate(flags, velora::kKeyInsertContinuity, true, velora::kTimeInfinity, 0.0);
}

bool LyFCurve::KeyRemove(int index) {
    velora::FCurve* host = HostCurve(this);
    return host && !host->IsLocked() && host->KeyRemove(index);
}

namespace {

// Runs a destructive edit inside an undo transaction named `name` that
// records the curve's animation (its node's curves, or the curve alone). A
// failed edit outside any other transaction takes its transaction away.
template <class Edit>
bool Undoable(velora::FCurve* host, const char* name, Edit edit) {
    velora::UndoStack& undo = velora::UndoStack::Instance();
    if (!undo.Begin(name)) return edit();
    auto* node = static_cast<velora::AnimationNode*>(host->Owner());
    if (node && node->IsA(velora::kClassAnimationNode)) {
        velora::AnimationNode* top = node->ParentNode() ? node->ParentNode() : node;
        undo.AddAnimationNode(top);
    } else {
        undo.AddCurve(host);
    }
    const bool done = edit();
    undo.End(done || undo.Depth() > 1);
    return done;
}

}  // namespace

bool LyFCurve::KeyDelete(int firstIndex, int lastIndex) {
    velora::FCurve* host = HostCurve(this);
    if (!host || host->IsLocked()) return false;
    return Undoable(host, "KeyDelete", [&] { return host->KeyDelete(firstIndex, lastIndex); });
}

bool LyFCurve::KeyDelete(const LyTime& start, const LyTime& stop, bool inclusive) {
    velora::FCurve* host = HostCurve(this);
    if (!host || host->IsLocked()) return false;
    return Undoable(host, "KeyDelete", [&] { return host->KeyDelete(start.Get(), stop.Get(), inclusive); });
}

bool LyFCurve::KeyOffset(const LyTime& offset, int firstIndex, int lastIndex) {
    velora::FCurve* host = HostCurve(this);
    if (!host || host->IsLocked()) return false;
    return Undoable(host, "KeyOffset", [&] { return host->KeyOffset(offset.Get(), firstIndex, lastIndex); });
}

bool LyFCurve::KeyOffset(const LyTime& offset, const LyTime& start, const LyTime& stop, bool inclusive) {
    velora::FCurve* host = HostCurve(this);
    if (!host || host->IsLocked()) return false;
    return Undoable(host, "KeyOffset",
                    [&] { return host->KeyOffset(offset.Get(), start.Get(), stop.Get(), inclusive); });
}

void LyFCurve::KeyReplaceBy(LyFCurve& source, const LyTime& start, const LyTime& stop, bool useExactGivenSpan,
                            bool keyStartEndOnNoKey) {
    velora::FCurve* host = HostCurve(this);
    velora::FCurve* from = HostCurve(&source);
    if (!host || !from || host->IsLocked()) return;
    host->KeyReplaceBy(*from, start.Get(), stop.Get(), useExactGivenSpan, keyStartEndOnNoKey);
}

bool LyFCurve::KeysAdd(const LyArrayTemplate<LyTime>& times, const LyArrayTemplate<double>& values,
                       const LyArrayTemplate<LyInterpolation>& interpolations,
                       const LyArrayTemplate<LyTangentMode>& tangentModes) {
    velora::FCurve* host = HostCurve(this);
    const int n = times.GetCount();
    if (!host || host->IsLocked() || n == 0 || values.GetCount() != n) return false;
    if ((interpolations.GetCount() && interpolations.GetCount() != n) ||
        (tangentModes.GetCount() && tangentModes.GetCount() != n))
        return false;
    static_assert(sizeof(LyTime) == sizeof(long long), "a time is its tick count");
    const LyTime* t = times.GetArray();
    const double* v = values.GetArray();
    host->Reserve(host->KeyCount() + n);
    host->BeginEdit();
    for (int i = 0; i < n; ++i) {
        const LyInterpolation interpolation = interpolations.GetCount() ? interpolations[i] : kLyInterpolationCubic;
        const LyTangentMode mode = tangentModes.GetCount() ? tangentModes[i] : kLyTangentModeAuto;
        host->KeyAdd(BuildKey(reinterpret_cast<const long long&>(t[i]), v[i], AddFlags(interpolation, mode)));
    }
    host->EndEdit();
    return true;
}

bool LyFCurve::KeysSetValues(const LyArrayTemplate<unsigned int>& indexes, const LyArrayTemplate<double>& values,
                             const LyArrayTemplate<LyInterpolation>& interpolations,
                             const LyArrayTemplate<LyTangentMode>& tangentModes) {
    velora::FCurve* host = HostCurve(this);
    const int n = indexes.GetCount();
    if (!host || host->IsLocked() || n == 0 || values.GetCount() != n) return false;
    if ((interpolations.GetCount() && interpolations.GetCount() != n) ||
        (tangentModes.GetCount() && tangentModes.GetCount() != n))
        return false;
    bool changed = false;
    host->BeginEdit();
    for (int i = 0; i < n; ++i) {
        const unsigned int at = indexes[i];
        if (at >= static_cast<unsigned int>(host->KeyCount())) continue;
        FCurveKey key = host->KeyAt(static_cast<int>(at));
        key.value = static_cast<float>(values[i]);
        if (interpolations.GetCount()) ::VELSDK2025::KeySetInterpolation(key, interpolations[i]);
        if (tangentModes.GetCount()) ::VELSDK2025::KeySetTangentMode(key, tangentModes[i]);
        if (host->SetKey(static_cast<int>(at), key) >= 0) changed = true;
        host->ClearCandidate();
    }
    host->EndEdit();
    return changed;
}

float LyFCurve::Evaluate(const LyTime& time) {
    velora::FCurve* host = HostCurve(this);
    return host ? static_cast<float>(host->Evaluate(time.Get())) : 0.0f;
}

namespace {

// The key at `index`, or null (no curve, index out of range).
const FCurveKey* KeyOf(LyFCurve* curve, int index) {
    velora::FCurve* host = HostCurve(curve);
    return host && index >= 0 && index < host->KeyCount() ? &host->KeyAt(index) : nullptr;
}

// Changes key `index` with `change`; the candidate goes when it did.
template <class Change>
int Modify(LyFCurve* curve, int index, Change change) {
    velora::FCurve* host = HostCurve(curve);
    if (!host || host->IsLocked() || index < 0 || index >= host->KeyCount()) return -1;
    FCurveKey key = host->KeyAt(index);
    change(key);
    const int at = host->SetKey(index, key);
    if (at >= 0) host->ClearCandidate();
    return at;
}

}  // namespace

float LyFCurve::KeyGetValue(int index) {
    const FCurveKey* k = KeyOf(this, index);
    return k ? k->value : 0.0f;
}
void LyFCurve::KeySetValue(int index, float value) {
    Modify(this, index, [&](FCurveKey& k) { k.value = value; });
}
LyTime LyFCurve::KeyGetTime(int index) {
    const FCurveKey* k = KeyOf(this, index);
    return k ? LyTime(k->time) : LyTime(0);
}
int LyFCurve::KeySetTime(int index, LyTime time) {
    return Modify(this, index, [&](FCurveKey& k) { k.time = time.Get(); });
}
LyInterpolation LyFCurve::KeyGetInterpolation(int index) {
    const FCurveKey* k = KeyOf(this, index);
    return k ? __LyInterpolationFromHost(k->flags) : kLyInterpolationCubic;
}
void LyFCurve::KeySetInterpolation(int index, LyInterpolation interpolation) {
    Modify(this, index, [&](FCurveKey& k) { ::VELSDK2025::KeySetInterpolation(k, interpolation); });
}
LyTangentMode LyFCurve::KeyGetTangentMode(int index) {
    const FCurveKey* k = KeyOf(this, index);
    return k ? __LyTangentFromHost(k->flags) : kLyTangentModeAuto;
}
void LyFCurve::KeySetTangentMode(int index, LyTangentMode mode) {
    Modify(this, index, [&](FCurveKey& k) { ::VELSDK2025::KeySetTangentMode(k, mode); });
}
bool LyFCurve::KeyGetTangentBreak(int index) {
    const FCurveKey* k = KeyOf(this, index);
    return k && (k->flags & velora::kTangentBreak);
}
void LyFCurve::KeySetTangentBreak(int index, bool value) {
    Modify(this, index, [&](FCurveKey& k) { ::VELSDK2025::KeySetTangentBreak(k, value); });
}
LyTangentClampMode LyFCurve::KeyGetTangentClampMode(int index) {
    const FCurveKey* k = KeyOf(this, index);
    return k && (k->flags & velora::kTangentClamp) ? kLyTangentClampModeClamped : kLyTangentClampModeNone;
}
void LyFCurve::KeySetTangentClampMode(int index, LyTangentClampMode mode) {
    Modify(this, index, [&](FCurveKey& k) { KeySetClampMode(k, mode); });
}
LyTangentConstantMode LyFCurve::KeyGetTangentConstantMode(int index) {
    const FCurveKey* k = KeyOf(this, index);
    return k ? KeyConstantMode(*k) : kLyTangentConstantModeNormal;
}
void LyFCurve::KeySetTangentConstantMode(int index, LyTangentConstantMode mode) {
    Modify(this, index, [&](FCurveKey& k) { KeySetConstantMode(k, mode); });
}
LyTangentCustomIndex LyFCurve::KeyGetTangentCustomIndex(int index) {
    const FCurveKey* k = KeyOf(this, index);
    return k ? KeyCustomIndex(*k) : kLyTangentCustomIndex0;
}
void LyFCurve::KeySetTangentCustomIndex(int index, LyTangentCustomIndex customIndex) {
    Modify(this, index, [&](FCurveKey& k) { KeySetCustomIndex(k, customIndex); });
}
LyTangentWeightMode LyFCurve::KeyGetTangentWeightMode(int index) {
    const FCurveKey* k = KeyOf(this, index);
    return k ? KeyWeightMode(*k) : kLyTangentWeightModeNone;
}
void LyFCurve::KeySetTangentWeightMode(int index, LyTangentWeightMode mode) {
    Modify(this, index, [&](FCurveKey& k) { KeySetWeightMode(k, mode); });
}
float LyFCurve::KeyGetLeftDerivative(int index) {
    return KeyOf(this, index) ? static_cast<float>(HostCurve(this)->LeftSlope(index)) : 0.0f;
}
void LyFCurve::KeySetLeftDerivative(int index, float value) {
    Modify(this, index, [&](FCurveKey& k) { ::VELSDK2025::KeySetLeftDerivative(k, value); });
}
float LyFCurve::KeyGetRightDerivative(int index) {
    return KeyOf(this, index) ? static_cast<float>(HostCurve(this)->RightSlope(index)) : 0.0f;
}
void LyFCurve::KeySetRightDerivative(int index, float value) {
    Modify(this, index, [&](FCurveKey& k) { ::VELSDK2025::KeySetRightDerivative(k, value); });
}
float LyFCurve::KeyGetLeftTangentWeight(int index) {
    const FCurveKey* k = KeyOf(this, index);
    return k ? k->leftWeight : 0.0f;
}
void LyFCurve::KeySetLeftTangentWeight(int index, float value) {
    Modify(this, index, [&](FCurveKey& k) { k.leftWeight = value; });
}
float LyFCurve::KeyGetRightTangentWeight(int index) {
    const FCurveKey* k = KeyOf(this, index);
    return k ? k->rightWeight : 0.0f;
}
void LyFCurve::KeySetRightTangentWeight(int index, float value) {
    Modify(this, index, [&](FCurveKey& k) { k.rightWeight = value; });
}

namespace {

// The weight a side of key `index` is evaluated with, and the length in
// seconds of the segment on that side (0 without a neighbour).
void SideOf(velora::FCurve* host, int index, bool right, double* weight, double* seconds) {
    const int n = host->KeyCount();
    const FCurveKey& k = host->KeyAt(index);
    *weight = 1.0 / 3.0;
    *seconds = 0.0;
    if (right && index + 1 < n) {
        if (k.flags & velora::kWeightRight) *weight = k.rightWeight;
        *seconds = SecondsBetween(k.time, host->KeyAt(index + 1).time);
    } else if (!right && index > 0) {
        if (host->KeyAt(index - 1).flags & velora::kWeightNextLeft) *weight = k.leftWeight;
        *seconds = SecondsBetween(host->KeyAt(index - 1).time, k.time);
    }
}

float BezierOf(LyFCurve* curve, int index, bool right) {
    if (!KeyOf(curve, index)) return 0.0f;
    velora::FCurve* host = HostCurve(curve);
    double weight, seconds;
    SideOf(host, index, right, &weight, &seconds);
    const double slope = right ? host->RightSlope(index) : host->LeftSlope(index);
    const double value = host->KeyAt(index).value;
    return static_cast<float>(right ? value + slope * weight * seconds : value - slope * weight * seconds);
}

void SetBezierOf(LyFCurve* curve, int index, bool right, float control) {
    if (!KeyOf(curve, index)) return;
    double weight, seconds;
    SideOf(HostCurve(curve), index, right, &weight, &seconds);
    if (seconds <= 0.0 || weight <= 0.0) return;
    Modify(curve, index, [&](FCurveKey& k) {
        const float slope = static_cast<float>((right ? control - k.value : k.value - control) / (weight * seconds));
        if (right) KeySetRightDerivative(k, slope);
        else KeySetLeftDerivative(k, slope);
    });
}

}  // namespace

float LyFCurve::KeyGetLeftBezierTangent(int index) { return BezierOf(this, index, false); }
void LyFCurve::KeySetLeftBezierTangent(int index, float value) { SetBezierOf(this, index, false, value); }
float LyFCurve::KeyGetRightBezierTangent(int index) { return BezierOf(this, index, true); }
void LyFCurve::KeySetRightBezierTangent(int index, float value) { SetBezierOf(this, index, true, value); }

float LyFCurve::KeyGetTCBTension(int index) {
    const FCurveKey* k = KeyOf(this, index);
    return k ? k->tension : 0.0f;
}
void LyFCurve::KeySetTCBTension(int index, float value) {
    Modify(this, index, [&](FCurveKey& k) { k.tension = value; });
}
float LyFCurve::KeyGetTCBContinuity(int index) {
    const FCurveKey* k = KeyOf(this, index);
    return k ? k->continuity : 0.0f;
}
void LyFCurve::KeySetTCBContinuity(int index, float value) {
    Modify(this, index, [&](FCurveKey& k) { k.continuity = value; });
}
float LyFCurve::KeyGetTCBBias(int index) {
    const FCurveKey* k = KeyOf(this, index);
    return k ? k->bias : 0.0f;
}
void LyFCurve::KeySetTCBBias(int index, float value) {
    Modify(this, index, [&](FCurveKey& k) { k.bias = value; });
}
bool LyFCurve::KeyGetSelected(int index) {
    const FCurveKey* k = KeyOf(this, index);
    return k && k->selected;
}
void LyFCurve::KeySetSelected(int index, bool selected) {
    Modify(this, index, [&](FCurveKey& k) { k.selected = selected; });
}
bool LyFCurve::KeyGetMarkedForManipulation(int index) {
    const FCurveKey* k = KeyOf(this, index);
    return k && k->marked;
}
void LyFCurve::KeySetMarkedForManipulation(int index, bool marked) {
    Modify(this, index, [&](FCurveKey& k) { k.marked = marked; });
}

LyExtrapolationMode LyFCurve::GetPreExtrapolationMode() {
    velora::FCurve* host = HostCurve(this);
    return static_cast<LyExtrapolationMode>(host ? host->PreExtrapolation() : 0);
}
void LyFCurve::SetPreExtrapolationMode(LyExtrapolationMode mode) {
    if (velora::FCurve* host = HostCurve(this)) host->SetPreExtrapolation(mode);
}
long LyFCurve::GetPreExtrapolationCount() {
    velora::FCurve* host = HostCurve(this);
    return host ? host->PreExtrapolationCount() : 0;
}
void LyFCurve::SetPreExtrapolationCount(long count) {
    if (velora::FCurve* host = HostCurve(this))
        host->SetPreExtrapolationCount(count > 0x7fffffffL ? 0x7fffffff : static_cast<int>(count));
}
LyExtrapolationMode LyFCurve::GetPostExtrapolationMode() {
    velora::FCurve* host = HostCurve(this);
    return static_cast<LyExtrapolationMode>(host ? host->PostExtrapolation() : 0);
}
void LyFCurve::SetPostExtrapolationMode(LyExtrapolationMode mode) {
    if (velora::FCurve* host = HostCurve(this)) host->SetPostExtrapolation(mode);
}
long LyFCurve::GetPostExtrapolationCount() {
    velora::FCurve* host = HostCurve(this);
    return host ? host->PostExtrapolationCount() : 0;
}
void LyFCurve::SetPostExtrapolationCount(long count) {
    if (velora::FCurve* host = HostCurve(this))
        host->SetPostExtrapolationCount(count > 0x7fffffffL ? 0x7fffffff : static_cast<int>(count));
}

void LyFCurve::SetKeys(LyPropertyListFCurveKey& keys) {
    velora::FCurve* host = HostCurve(this);
    if (!host || host->IsLocked() || &keys == &Keys) return;
    host->BeginEdit();
    host->KeyClear();
    for (int i = 0; i < keys.GetCount(); ++i) Keys.Add(keys.GetAt(i));
    host->EndEdit();
}

// ---------------------------------------------------------------------------
// LyFCurveKey

namespace {

FCurveKey FromRecord(const LyFCurveKey::Record& r) {
    FCurveKey k;
    k.time = r.time;
    k.value = r.value;
    k.flags = r.flags & velora::kKeyFlagsMask;
    k.leftDerivative = r.leftDerivative;
    k.rightDerivative = r.rightDerivative;
    k.leftWeight = r.leftWeight;
    k.rightWeight = r.rightWeight;
    k.leftVelocity = r.leftVelocity;
    k.rightVelocity = r.rightVelocity;
    k.tension = r.tension;
    k.continuity = r.continuity;
    k.bias = r.bias;
    k.selected = r.selected;
    k.marked = r.marked;
    return k;
}

LyFCurveKey::Record ToRecord(const FCurveKey& k) {
    LyFCurveKey::Record r;
    r.time = k.time;
    r.value = k.value;
    r.flags = k.flags;
    r.leftDerivative = k.leftDerivative;
    r.rightDerivative = k.rightDerivative;
    r.leftWeight = k.leftWeight;
    r.rightWeight = k.rightWeight;
    r.leftVelocity = k.leftVelocity;
    r.rightVelocity = k.rightVelocity;
    r.tension = k.tension;
    r.continuity = k.continuity;
    r.bias = k.bias;
    r.selected = k.selected;
    r.marked = k.marked;
    return r;
}

}  // namespace

// The properties' functions: a view goes through its curve's accessors, a
// free-standing key applies the same key rules to its own record.
struct LyFCurveKeyAccess {
    static LyFCurveKey& Of(void* p) { return *static_cast<LyFCurveKey*>(p); }
    template <class Change>
    static void Edit(LyFCurveKey& key, Change change) {
        FCurveKey k = FromRecord(key.mRecord);
        change(k);
        key.mRecord = ToRecord(k);
    }
    static FCurveKey Read(LyFCurveKey& key) { return FromRecord(key.mRecord); }
    static LyFCurve* Curve(LyFCurveKey& key) { return key.mFCurve; }
    static int Index(LyFCurveKey& key) { return key.mKeyIndex; }
};

namespace {

using A = LyFCurveKeyAccess;

// One property: through the curve (Get/Set members) or the record (a key
// rule on a host key).
#define LY_KEY_PROPERTY(Name, T, CurveGet, CurveSet, RecordGet, RecordSet)                  \
    T Get##Name(void* p) {                                                                 \
        LyFCurveKey& key = A::Of(p);                                                       \
        if (LyFCurve* c = A::Curve(key)) return c->CurveGet(A::Index(key));                \
        const FCurveKey k = A::Read(key);                                                  \
        return RecordGet;                                                                  \
    }                                                                                      \
    void Set##Name(void* p, T value) {                                                     \
        LyFCurveKey& key = A::Of(p);                                                       \
        if (LyFCurve* c = A::Curve(key)) {                                                 \
            c->CurveSet(A::Index(key), value);                                             \
            return;                                                                        \
        }                                                                                  \
        A::Edit(key, [&](FCurveKey& k) { RecordSet; });                                    \
    }

LY_KEY_PROPERTY(Time, LyTime, KeyGetTime, KeySetTime, LyTime(k.time), k.time = value.Get())
LY_KEY_PROPERTY(Value, float, KeyGetValue, KeySetValue, k.value, k.value = value)
LY_KEY_PROPERTY(LeftDerivative, float, KeyGetLeftDerivative, KeySetLeftDerivative, k.leftDerivative,
                KeySetLeftDerivative(k, value))
LY_KEY_PROPERTY(RightDerivative, float, KeyGetRightDerivative, KeySetRightDerivative, k.rightDerivative,
                KeySetRightDerivative(k, value))
LY_KEY_PROPERTY(LeftWeight, float, KeyGetLeftTangentWeight, KeySetLeftTangentWeight, k.leftWeight,
                k.leftWeight = value)
LY_KEY_PROPERTY(RightWeight, float, KeyGetRightTangentWeight, KeySetRightTangentWeight, k.rightWeight,
                k.rightWeight = value)
// A free-standing key has no neighbours: its control points are on the key.
LY_KEY_PROPERTY(LeftBezier, float, KeyGetLeftBezierTangent, KeySetLeftBezierTangent, k.value, (void)k)
LY_KEY_PROPERTY(RightBezier, float, KeyGetRightBezierTangent, KeySetRightBezierTangent, k.value, (void)k)
LY_KEY_PROPERTY(Tension, float, KeyGetTCBTension, KeySetTCBTension, k.tension, k.tension = value)
LY_KEY_PROPERTY(Continuity, float, KeyGetTCBContinuity, KeySetTCBContinuity, k.continuity, k.continuity = value)
LY_KEY_PROPERTY(Bias, float, KeyGetTCBBias, KeySetTCBBias, k.bias, k.bias = value)
LY_KEY_PROPERTY(Interpolation, LyInterpolation, KeyGetInterpolation, KeySetInterpolation,
                __LyInterpolationFromHost(k.flags), KeySetInterpolation(k, value))
LY_KEY_PROPERTY(TangentMode, LyTangentMode, KeyGetTangentMode, KeySetTangentMode, __LyTangentFromHost(k.flags),
                KeySetTangentMode(k, value))
LY_KEY_PROPERTY(ClampMode, LyTangentClampMode, KeyGetTangentClampMode, KeySetTangentClampMode,
                (k.flags & velora::kTangentClamp) ? kLyTangentClampModeClamped : kLyTangentClampModeNone,
                KeySetClampMode(k, value))
LY_KEY_PROPERTY(Break, bool, KeyGetTangentBreak, KeySetTangentBreak, (k.flags & velora::kTangentBreak) != 0,
                KeySetTangentBreak(k, value))
LY_KEY_PROPERTY(ConstantMode, LyTangentConstantMode, KeyGetTangentConstantMode, KeySetTangentConstantMode,
                KeyConstantMode(k), KeySetConstantMode(k, value))
LY_KEY_PROPERTY(Selected, bool, KeyGetSelected, KeySetSelected, k.selected, k.selected = value)
LY_KEY_PROPERTY(Marked, bool, KeyGetMarkedForManipulation, KeySetMarkedForManipulation, k.marked,
                k.marked = value)
LY_KEY_PROPERTY(CustomIndex, LyTangentCustomIndex, KeyGetTangentCustomIndex, KeySetTangentCustomIndex,
                KeyCustomIndex(k), KeySetCustomIndex(k, value))
LY_KEY_PROPERTY(WeightMode, LyTangentWeightMode, KeyGetTangentWeightMode, KeySetTangentWeightMode,
                KeyWeightMode(k), KeySetWeightMode(k, value))

#undef LY_KEY_PROPERTY

}  // namespace

LyFCurveKey::LyFCurveKey(LyFCurve* curve, int keyIndex) : mFCurve(curve), mKeyIndex(keyIndex) {
    InitProperties();
}

LyFCurveKey::LyFCurveKey(const LyFCurveKey& other)
    : mFCurve(other.mFCurve), mKeyIndex(other.mKeyIndex), mRecord(other.mRecord) {
    InitProperties();
}

LyFCurveKey& LyFCurveKey::operator=(const LyFCurveKey& other) {
    mFCurve = other.mFCurve;
    mKeyIndex = other.mKeyIndex;
    mRecord = other.mRecord;
    return *this;
}

LyFCurveKey::~LyFCurveKey() = default;

bool LyFCurveKey::operator==(const LyFCurveKey& other) const {
    if (!mFCurve || !other.mFCurve) return this == &other;
    return mFCurve == other.mFCurve && mKeyIndex == other.mKeyIndex;
}

void LyFCurveKey::InitProperties() {
    Time.Init(this, "Time", &GetTime, &SetTime);
    Value.Init(this, "Value", &GetValue, &SetValue);
    LeftDerivative.Init(this, "LeftDerivative", &GetLeftDerivative, &SetLeftDerivative);
    RightDerivative.Init(this, "RightDerivative", &GetRightDerivative, &SetRightDerivative);
    LeftTangentWeight.Init(this, "LeftTangentWeight", &GetLeftWeight, &SetLeftWeight);
    RightTangentWeight.Init(this, "RightTangentWeight", &GetRightWeight, &SetRightWeight);
    LeftBezierTangent.Init(this, "LeftBezierTangent", &GetLeftBezier, &SetLeftBezier);
    RightBezierTangent.Init(this, "RightBezierTangent", &GetRightBezier, &SetRightBezier);
    Tension.Init(this, "Tension", &GetTension, &SetTension);
    Continuity.Init(this, "Continuity", &GetContinuity, &SetContinuity);
    Bias.Init(this, "Bias", &GetBias, &SetBias);
    Interpolation.Init(this, "Interpolation", &GetInterpolation, &SetInterpolation);
    TangentMode.Init(this, "TangentMode", &GetTangentMode, &SetTangentMode);
    TangentClampMode.Init(this, "TangentClampMode", &GetClampMode, &SetClampMode);
    TangentBreak.Init(this, "TangentBreak", &GetBreak, &SetBreak);
    TangentConstantMode.Init(this, "TangentConstantMode", &GetConstantMode, &SetConstantMode);
    Selected.Init(this, "Selected", &GetSelected, &SetSelected);
    MarkedForManipulation.Init(this, "MarkedForManipulation", &GetMarked, &SetMarked);
    TangentCustomIndex.Init(this, "TangentCustomIndex", &GetCustomIndex, &SetCustomIndex);
    TangentWeightMode.Init(this, "TangentWeightMode", &GetWeightMode, &SetWeightMode);
}

// ---------------------------------------------------------------------------
// LyPropertyListFCurveKey

LyPropertyListFCurveKey& LyPropertyListFCurveKey::Init(LyFCurve* curve, const char* name) {
    LyPropertyBasicList::Init(curve, name);
    mFCurve = curve;
    return *this;
}

int LyPropertyListFCurveKey::GetCount() {
    velora::FCurve* host = HostCurve(mFCurve);
    return host ? host->KeyCount() : 0;
}

LyFCurveKey LyPropertyListFCurveKey::GetAt(int index) { return LyFCurveKey(mFCurve, index); }

void LyPropertyListFCurveKey::RemoveAt(int index) {
    if (mFCurve) mFCurve->KeyRemove(index);
}

int LyPropertyListFCurveKey::Add(const LyFCurveKey& key) {
    velora::FCurve* host = HostCurve(mFCurve);
    if (!host || host->IsLocked()) return -1;
    FCurveKey k;
    if (LyFCurve* from = key.GetFCurve()) {
        velora::FCurve* source = HostCurve(from);
        if (!source || !source->GetKey(key.GetKeyIndex(), &k)) return -1;
    } else {
        k = FromRecord(key.GetRecord());
    }
    return host->KeyAdd(k);
}

int LyPropertyListFCurveKey::Remove(LyFCurveKey key) {
    if (key.GetFCurve() != mFCurve || key.GetKeyIndex() < 0 || key.GetKeyIndex() >= GetCount()) return -1;
    RemoveAt(key.GetKeyIndex());
    return key.GetKeyIndex();
}

LYSDK_END_NAMESPACE
