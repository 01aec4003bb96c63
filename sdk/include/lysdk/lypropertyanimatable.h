#ifndef LYSDK_LYPROPERTYANIMATABLE_H
#define LYSDK_LYPROPERTYANIMATABLE_H

// Animatable properties: properties whose value an animation node can drive.
//
// An LyPropertyAnimatable wraps a host evaluation property. Its value always
// lives in the host: reads are evaluated (the animation curves at the
// evaluation context's time, or the stored value while the property is not
// animated), writes go to the host, which also proposes them for keying when
// the property is animated. On top of the plain property it offers keying,
// the animated state, focus (selection for keying), muting, per-member
// display colours and candidate values (the value being edited before it is
// keyed).
//
// Members are the components of the value (x, y, z of a vector; r, g, b of a
// colour). Bits of the flags word used here: 0x10 animated, 0x1000 << i
// member i locked, 0x10000 << i member i muted.
//
// Every operation does nothing and answers 0, false or null while the
// wrapper is unbound.
//
//     class MyBox : public LyComponent {
//     public:
//         LyPropertyAnimatableDouble Gain;
//         MyBox() { double one = 1.0; Gain.Init(this, "Gain", "Number", &one); }
//     };

#include <cstring>

#include "lysdk/lyproperty.h"
#include "lysdk/lytime.h"
#include "lysdk/lytimecode.h"
#include "lysdk/lyvector.h"

LYSDK_BEGIN_NAMESPACE

class LyAnimationNode;
class LyBox;
class LyComponent;
class LyTake;

class LYSDK_API LyPropertyAnimatable : public LyProperty {
    LYSDK_CLASS_DECLARE(LyPropertyAnimatable, LyProperty)
public:
    LyPropertyAnimatable() = default;
    LyPropertyAnimatable(const LyPropertyAnimatable& other) = default;
    LyPropertyAnimatable& operator=(const LyPropertyAnimatable& other) = default;

    /// Creates on the box's host object an animatable host property named
    /// `name` whose host data type is called `dataTypeName`, binds to it and,
    /// with a default value (as many doubles as the type has members), sets
    /// that as the candidate on the base layer. The box family builds on
    /// this; until then any component's host object serves (a box's address
    /// is its component's).
    LyPropertyAnimatable* Init(LyBox* box, const char* name, const char* dataTypeName,
                               double* defaultValue = nullptr);
    /// The same on any component.
    LyPropertyAnimatable* Init(LyComponent* owner, const char* name, const char* dataTypeName,
                               double* defaultValue = nullptr);
    /// Binds to an existing host evaluation property.
    LyPropertyAnimatable* InitInternal(HIObject hostProperty);

    LyPropertyDataType* GetDataType() const override;
    /// The evaluated value: at info's time, or the global display
    /// evaluation's (the current time) when info is null. `size` is not
    /// used: the host type's value size is written.
    void GetData(void* data, int size, LyEvaluateInfo* info = nullptr) const override;
    void SetData(void* data) override;
    bool IsAnimatable() const override { return true; }

    int GetDataSize() const;
    const char* GetDataTypeName() const;

    bool IsAnimated() const;
    /// With respectLock, a property with any member locked stays as it is.
    void SetAnimated(bool animated, bool respectLock = false);
    /// The property's animation node, or null; with a take, its node in
    /// that take (no takes exist yet: null).
    LyAnimationNode* GetAnimationNode(LyTake* take = nullptr) const;

    /// Keys the candidate (or the current value) at the current time,
    /// animating the property first when needed.
    void Key();
    void KeyAt(LyTime time);
    void KeyRemoveAt(LyTime time);

    void SetCandidate(void* data, int size, LyEvaluateInfo* info = nullptr);
    /// The candidate in world terms; the base layer has no parent transform
    /// yet, so it equals SetCandidate.
    void SetGlobalCandidate(void* data, int size, LyEvaluateInfo* info = nullptr);

    /// The relation box owning the property, or null (also while the owner
    /// is not a box).
    LyBox* GetBox() const;

    bool IsFocused() const;
    bool IsFocusedChild(int index) const;
    void SetFocus(bool focus);
    bool SetFocusChild(int index, bool focus);

    bool AllowsMuting() const;
    /// All four mute bits set.
    bool IsMuted() const;
    bool HasSomethingMuted() const;
    bool IsMemberMuted(int index) const;
    /// Refused silently: muting not allowed, anything locked, not animated.
    void SetMuted(bool muted);
    void SetMemberMuted(int index, bool muted);

    /// Member i's display colour; the default colour outside the members.
    LyColor GetColor(int index) const;
    /// Member i's colour, or every member's with -1; true when any changed.
    bool SetColor(const LyColor& color, int index = -1);
    bool ResetColor(int index = -1);

    /// The host owns the property: nothing to destroy.
    void Destroy(int mode = 0) override;
};

template <class T, int TYPE>
class LyPropertyBaseAnimatable : public LyPropertyAnimatable {
public:
    LyPropertyBaseAnimatable() = default;
    /// An unbound wrapper that is handed the source's value (which it drops,
    /// having nowhere to keep it).
    LyPropertyBaseAnimatable(const LyPropertyBaseAnimatable& other) : LyPropertyAnimatable() {
        T value = other;
        SetData(&value);
    }
    /// Copies the wrapper itself: both then refer to the same host property.
    LyPropertyBaseAnimatable& operator=(const LyPropertyBaseAnimatable& other) {
        LyPropertyAnimatable::operator=(other);
        return *this;
    }

    LyPropertyType GetPropertyType() const override { return static_cast<LyPropertyType>(TYPE); }

    operator T() const {
        T value{};
        GetData(&value, sizeof(T), nullptr);
        return value;
    }
    LyPropertyBaseAnimatable& operator=(T value) {
        SetData(&value);
        return *this;
    }
};

using LyPropertyAnimatableInt = LyPropertyBaseAnimatable<int, kLyPropertyTypeInt>;
using LyPropertyAnimatableEnum = LyPropertyBaseAnimatable<int, kLyPropertyTypeEnum>;
using LyPropertyAnimatableInt64 = LyPropertyBaseAnimatable<long long, kLyPropertyTypeInt64>;
using LyPropertyAnimatableUInt64 = LyPropertyBaseAnimatable<unsigned long long, kLyPropertyTypeUInt64>;
using LyPropertyAnimatableBool = LyPropertyBaseAnimatable<bool, kLyPropertyTypeBool>;
using LyPropertyAnimatableAction = LyPropertyBaseAnimatable<bool, kLyPropertyTypeAction>;
using LyPropertyAnimatableDouble = LyPropertyBaseAnimatable<double, kLyPropertyTypeDouble>;
using LyPropertyAnimatableTime = LyPropertyBaseAnimatable<LyTime, kLyPropertyTypeTime>;
using LyPropertyAnimatableTimeCode = LyPropertyBaseAnimatable<LyTimeCode, kLyPropertyTypeTimeCode>;
using LyPropertyAnimatableVector2d = LyPropertyBaseAnimatable<LyVector2<double>, kLyPropertyTypeVector2d>;
using LyPropertyAnimatableVector3d = LyPropertyBaseAnimatable<LyVector3<double>, kLyPropertyTypeVector3d>;
using LyPropertyAnimatableVector4d = LyPropertyBaseAnimatable<LyVector4<double>, kLyPropertyTypeVector4d>;
using LyPropertyAnimatableColor = LyPropertyBaseAnimatable<LyColor, kLyPropertyTypeColorRGB>;
using LyPropertyAnimatableColorAndAlpha = LyPropertyBaseAnimatable<LyColorAndAlpha, kLyPropertyTypeColorRGBA>;

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYPROPERTYANIMATABLE_H
