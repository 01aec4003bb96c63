#ifndef LYSDK_LYFCURVE_H
#define LYSDK_LYFCURVE_H

// Function curves: one float channel of keys over time.
//
// LyFCurve wraps a host curve; LyFCurveKey is a view of one key of a curve
// (or, made on its own, a free-standing key record that a curve's Keys list
// can add). The host stores and evaluates the keys; the SDK translates its
// interpolation and tangent enumerations to the host key's flag bits and
// back, checks indices and the curve's lock, and brackets bulk edits.
//
// Interpolation and tangents on the host key:
//   interpolation  Constant 0x02, Linear 0x04, Cubic 0x08, Custom 0x01
//                  (any other value: Cubic); back: 0x01 Custom, 0x02
//                  Constant, 0x04 Linear, anything else Cubic
//   tangent mode   only cubic keys carry one: Auto 0x0100, TCB 0x0200,
//                  User 0x0400, Break 0x0C00, TimeIndependent 0x2100,
//                  ClampProgressive 0x6100 (KeyInsert: 0x2000 and 0x6000),
//                  any other value 0x6000; back, tested in this order: TCB,
//                  Break, User, ClampProgressive, TimeIndependent, Auto
//   other bits     0x0800 break, 0x1000 clamp, weight modes Right 0x1000000,
//                  NextLeft 0x2000000, Both 0x3000000; constant mode Next
//                  0x100; custom tangent index 0, 1, 2: 0x100, 0x200, 0x400
//
// Every edit first asks whether the curve is locked: a locked curve is left
// as it is (KeyAdd answers -1, the bool operations false). Every per-key
// accessor checks its index: out of range, getters answer 0 (0.0, false,
// kLyTangentModeAuto; KeyGetInterpolation kLyInterpolationCubic), setters do
// nothing and KeySetTime answers -1. A setter that changes a key drops the
// curve's candidate. KeyDelete and KeyOffset run in undo transactions
// ("KeyDelete", "KeyOffset"); one that fails outside any other transaction
// leaves the undo stack as it was. Derivatives are in value units per
// second.

#include "lysdk/lyarray.h"
#include "lysdk/lycomponent.h"
#include "lysdk/lyenumtexts.h"
#include "lysdk/lypropertylist.h"
#include "lysdk/lypropertytyped.h"
#include "lysdk/lytime.h"

LYSDK_BEGIN_NAMESPACE

enum LYSDK_API LyInterpolation {
    kLyInterpolationConstant = 0,
    kLyInterpolationLinear,
    kLyInterpolationCubic,
    kLyInterpolationCustom,
};
LYSDK_ENUM_TEXTS(LyInterpolation);

enum LYSDK_API LyTangentMode {
    kLyTangentModeAuto = 0,
    kLyTangentModeTCB,
    kLyTangentModeUser,
    kLyTangentModeBreak,
    kLyTangentModeTimeIndependent,
    kLyTangentModeClampProgressive,
};
LYSDK_ENUM_TEXTS(LyTangentMode);

enum LyTangentClampMode {
    kLyTangentClampModeNone = 0,
    kLyTangentClampModeClamped,
};
LYSDK_ENUM_TEXTS(LyTangentClampMode);

enum LyTangentConstantMode {
    kLyTangentConstantModeNormal = 0,
    kLyTangentConstantModeNext,
};
LYSDK_ENUM_TEXTS(LyTangentConstantMode);

enum LyTangentWeightMode {
    kLyTangentWeightModeNone = 0,
    kLyTangentWeightModeRight,
    kLyTangentWeightModeNextLeft,
    kLyTangentWeightModeBoth,
};
LYSDK_ENUM_TEXTS(LyTangentWeightMode);

enum LyTangentCustomIndex {
    kLyTangentCustomIndex0 = 0,
    kLyTangentCustomIndex1,
    kLyTangentCustomIndex2,
};
LYSDK_ENUM_TEXTS(LyTangentCustomIndex);

enum LyExtrapolationMode {
    kFCurveExtrapolationConst = 0,
    kFCurveExtrapolationRepetition,
    kFCurveExtrapolationMirrorRepetition,
    kFCurveExtrapolationKeepSlope,
    kFCurveExtrapolationRelativeRepetition,
};
LYSDK_ENUM_TEXTS(LyExtrapolationMode);

/// Kinds of curve change reported to listeners.
enum LyFCurveEventType {
    kLyFCurveEventTypeUnknownOperation = 0,
    kLyFCurveEventTypeKeyAdded,
    kLyFCurveEventTypeKeyRemoved,
    kLyFCurveEventTypeKeyTimeChanged,
    kLyFCurveEventTypeKeyValueChanged,
    kLyFCurveEventTypeDerivativedChanged,
    kLyFCurveEventTypeKeyTensionChanged,
    kLyFCurveEventTypeKeyContinuityChanged,
    kLyFCurveEventTypeKeyBiasChanged,
    kLyFCurveEventTypeKeyInterpolationChanged,
    kLyFCurveEventTypeKeyTangentChanged,
    kLyFCurveEventTypeKeyTangentBreakChanged,
    kLyFCurveEventTypeKeyTangentClampModeChanged,
    kLyFCurveEventTypeKeyTangentConstantChanged,
    kLyFCurveEventTypeKeyPreExtrapolationChanged,
    kLyFCurveEventTypeKeyPostExtrapolationChanged,
    kLyFCurveEventTypeKeyVelocityChanged,
    kLyFCurveEventTypeKeyWeightChanged,
    kLyFCurveEventTypeKeyMassOperation,
};
LYSDK_ENUM_TEXTS(LyFCurveEventType);

/// The host's default interpolator shapes: one second from 0 to 1 ("In")
/// or from 1 to 0 ("Out"), straight, eased at both ends (Smooth), starting
/// flat (Slow) or ending flat (Fast).
enum LyInterpolatorCurveType {
    kLyInterpolatorCurveLinearIn = 0,
    kLyInterpolatorCurveLinearOut,
    kLyInterpolatorCurveSmoothIn,
    kLyInterpolatorCurveSmoothOut,
    kLyInterpolatorCurveSlowIn,
    kLyInterpolatorCurveSlowOut,
    kLyInterpolatorCurveFastIn,
    kLyInterpolatorCurveFastOut,
};
LYSDK_ENUM_TEXTS(LyInterpolatorCurveType);

// Arrays of the curve's argument types (defined in the library; declared
// before any use, so that every library takes the exported ones).
extern template class LYSDK_API LyArrayTemplate<LyTime>;
extern template class LYSDK_API LyArrayTemplate<LyInterpolation>;
extern template class LYSDK_API LyArrayTemplate<LyTangentMode>;

/// Which kind of curve event a host event code reports (the detail bit
/// that says most; several keys at once: KeyMassOperation).
LYSDK_API LyFCurveEventType LyFCurveEventTypeOf(unsigned int hostCode);

class LyFCurve;

/// A key of a curve, seen through properties. A view (made with a curve)
/// reads and writes key number KeyIndex of that curve; a free-standing key
/// (made without one) keeps its own record, which a curve's Keys.Add adds.
class LYSDK_API LyFCurveKey {
public:
    explicit LyFCurveKey(LyFCurve* curve = nullptr, int keyIndex = 0);
    LyFCurveKey(const LyFCurveKey& other);
    LyFCurveKey& operator=(const LyFCurveKey& other);
    virtual ~LyFCurveKey();

    /// Both designate the same key (of the same curve, or the same
    /// free-standing key).
    bool operator==(const LyFCurveKey& other) const;
    bool operator!=(const LyFCurveKey& other) const { return !(*this == other); }

    LyFCurve* GetFCurve() const { return mFCurve; }
    int GetKeyIndex() const { return mKeyIndex; }

    LyPropertyTime Time;
    LyPropertyFloat Value;
    LyPropertyFloat LeftDerivative;
    LyPropertyFloat RightDerivative;
    LyPropertyFloat LeftTangentWeight;
    LyPropertyFloat RightTangentWeight;
    LyPropertyFloat LeftBezierTangent;
    LyPropertyFloat RightBezierTangent;
    LyPropertyFloat Tension;
    LyPropertyFloat Continuity;
    LyPropertyFloat Bias;
    LyPropertyBaseEnum<LyInterpolation> Interpolation;
    LyPropertyBaseEnum<LyTangentMode> TangentMode;
    LyPropertyBaseEnum<LyTangentClampMode> TangentClampMode;
    LyPropertyBool TangentBreak;
    LyPropertyBaseEnum<LyTangentConstantMode> TangentConstantMode;
    LyPropertyBool Selected;
    LyPropertyBool MarkedForManipulation;
    LyPropertyBaseEnum<LyTangentCustomIndex> TangentCustomIndex;
    LyPropertyBaseEnum<LyTangentWeightMode> TangentWeightMode;

    /// What a free-standing key holds: the host key as plain values.
    struct Record {
        long long time = 0;
        float value = 0.0f;
        unsigned int flags = 0x0108;  // cubic, auto
        float leftDerivative = 0.0f;
        float rightDerivative = 0.0f;
        float leftWeight = 1.0f / 3.0f;
        float rightWeight = 1.0f / 3.0f;
        float leftVelocity = 0.0f;
        float rightVelocity = 0.0f;
        float tension = 0.0f;
        float continuity = 0.0f;
        float bias = 0.0f;
        bool selected = false;
        bool marked = false;
    };
    const Record& GetRecord() const { return mRecord; }

private:
    friend struct LyFCurveKeyAccess;
    void InitProperties();

    LyFCurve* mFCurve;
    int mKeyIndex;
    Record mRecord;
};

/// The keys of a curve: element i is the view of key i.
class LYSDK_API LyPropertyListFCurveKey : public LyPropertyBaseList<LyFCurveKey> {
public:
    LyPropertyListFCurveKey& Init(LyFCurve* curve, const char* name);
    LyPropertyType GetPropertyType() const override { return kLyPropertyTypeObject; }
    int GetCount() override;
    LyFCurveKey GetAt(int index) override;
    /// Removes key i of the curve.
    void RemoveAt(int index) override;
    /// Adds a free-standing key's record (a view: its key's) at its time;
    /// the new index, or -1.
    int Add(const LyFCurveKey& key);
    /// Removes the key at the view's index; that index, or -1.
    int Remove(LyFCurveKey key) override;

private:
    LyFCurve* mFCurve = nullptr;
};

class LYSDK_API LyFCurve : public LyComponent {
    LYSDK_CLASS_DECLARE(LyFCurve, LyComponent)
public:
    /// Wraps `object`; without one, creates a new, empty host curve that
    /// this wrapper owns.
    explicit LyFCurve(HIObject object = nullptr);
    /// A new curve holding the host's interpolator shape of `type`.
    static LyFCurve* CreateInterpolatorCurve(LyInterpolatorCurveType type);

    /// Brackets a batch of edits; with a count other than -1 the curve is
    /// first made to hold that many keys (to fill by index).
    void EditBegin(int keyCount = -1);
    void EditEnd(int keyCount = -1);
    void EditClear();

    /// The new key's index, or -1 when the curve is locked.
    int KeyAdd(const LyTime& time, double value, LyInterpolation interpolation = kLyInterpolationCubic,
               LyTangentMode tangentMode = kLyTangentModeAuto);
    /// A key at `time` whose value is the curve's value there.
    int KeyInsert(const LyTime& time, LyInterpolation interpolation = kLyInterpolationCubic,
                  LyTangentMode tangentMode = kLyTangentModeAuto);
    bool KeyRemove(int index);
    bool KeyDelete(int firstIndex, int lastIndex);
    bool KeyDelete(const LyTime& start, const LyTime& stop, bool inclusive = false);
    bool KeyOffset(const LyTime& offset, int firstIndex, int lastIndex);
    bool KeyOffset(const LyTime& offset, const LyTime& start, const LyTime& stop, bool inclusive = false);
    /// Replaces the keys of [start, stop] by those of `source` (see the
    /// host: with useExactGivenSpan false only the span of the source's keys
    /// there is replaced; keyStartEndOnNoKey keys the span's ends).
    void KeyReplaceBy(LyFCurve& source, const LyTime& start = LyTime::MinusInfinity,
                      const LyTime& stop = LyTime::Infinity, bool useExactGivenSpan = false,
                      bool keyStartEndOnNoKey = true);
    /// One key per time, inside one edit bracket. False (nothing added) for
    /// a locked curve, no times, a value count other than the time count, or
    /// a non-empty mode array of another count; empty mode arrays mean Cubic
    /// and Auto.
    bool KeysAdd(const LyArrayTemplate<LyTime>& times, const LyArrayTemplate<double>& values,
                 const LyArrayTemplate<LyInterpolation>& interpolations = LyArrayTemplate<LyInterpolation>(),
                 const LyArrayTemplate<LyTangentMode>& tangentModes = LyArrayTemplate<LyTangentMode>());
    /// Sets the value (then interpolation and tangent mode, when given) of
    /// each listed key; indexes past the keys are skipped. True when at
    /// least one key changed.
    bool KeysSetValues(const LyArrayTemplate<unsigned int>& indexes, const LyArrayTemplate<double>& values,
                       const LyArrayTemplate<LyInterpolation>& interpolations = LyArrayTemplate<LyInterpolation>(),
                       const LyArrayTemplate<LyTangentMode>& tangentModes = LyArrayTemplate<LyTangentMode>());

    /// The curve's value at `time`.
    float Evaluate(const LyTime& time);

    float KeyGetValue(int index);
    void KeySetValue(int index, float value);
    LyTime KeyGetTime(int index);
    /// The key's new index, or -1.
    int KeySetTime(int index, LyTime time);
    LyInterpolation KeyGetInterpolation(int index);
    void KeySetInterpolation(int index, LyInterpolation interpolation);
    LyTangentMode KeyGetTangentMode(int index);
    void KeySetTangentMode(int index, LyTangentMode tangentMode);
    bool KeyGetTangentBreak(int index);
    void KeySetTangentBreak(int index, bool value);
    LyTangentClampMode KeyGetTangentClampMode(int index);
    void KeySetTangentClampMode(int index, LyTangentClampMode mode);
    LyTangentConstantMode KeyGetTangentConstantMode(int index);
    void KeySetTangentConstantMode(int index, LyTangentConstantMode mode);
    LyTangentCustomIndex KeyGetTangentCustomIndex(int index);
    void KeySetTangentCustomIndex(int index, LyTangentCustomIndex customIndex);
    LyTangentWeightMode KeyGetTangentWeightMode(int index);
    void KeySetTangentWeightMode(int index, LyTangentWeightMode mode);
    /// The slopes evaluation uses (a user or break key's own derivatives).
    float KeyGetLeftDerivative(int index);
    void KeySetLeftDerivative(int index, float value);
    float KeyGetRightDerivative(int index);
    void KeySetRightDerivative(int index, float value);
    float KeyGetLeftTangentWeight(int index);
    void KeySetLeftTangentWeight(int index, float value);
    float KeyGetRightTangentWeight(int index);
    void KeySetRightTangentWeight(int index, float value);
    /// The value of the Bezier control point on that side: the key's value
    /// moved along its tangent by weight x the neighbouring segment's
    /// length; the key's own value where there is no neighbour.
    float KeyGetLeftBezierTangent(int index);
    void KeySetLeftBezierTangent(int index, float value);
    float KeyGetRightBezierTangent(int index);
    void KeySetRightBezierTangent(int index, float value);
    float KeyGetTCBTension(int index);
    void KeySetTCBTension(int index, float value);
    float KeyGetTCBContinuity(int index);
    void KeySetTCBContinuity(int index, float value);
    float KeyGetTCBBias(int index);
    void KeySetTCBBias(int index, float value);
    bool KeyGetSelected(int index);
    void KeySetSelected(int index, bool selected);
    bool KeyGetMarkedForManipulation(int index);
    void KeySetMarkedForManipulation(int index, bool marked);

    LyExtrapolationMode GetPreExtrapolationMode();
    void SetPreExtrapolationMode(LyExtrapolationMode mode);
    /// Repetitions of a repeating mode; 0 repeats without end.
    long GetPreExtrapolationCount();
    void SetPreExtrapolationCount(long count);
    LyExtrapolationMode GetPostExtrapolationMode();
    void SetPostExtrapolationMode(LyExtrapolationMode mode);
    long GetPostExtrapolationCount();
    void SetPostExtrapolationCount(long count);

    LyPropertyListFCurveKey& GetKeys() { return Keys; }
    /// Replaces every key by those of `keys`' curve.
    void SetKeys(LyPropertyListFCurveKey& keys);

    LyPropertyListFCurveKey Keys;
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYFCURVE_H
