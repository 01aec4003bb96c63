#ifndef LYSDK_LYOBJECT_H
#define LYSDK_LYOBJECT_H

// Object identity and the wrapper registry.
//
// Every public class has a type id, assigned once at load from 1 upward,
// and knows the host class it wraps. ClassName(), GetTypeId() and
// Is(typeId) answer identity questions without the language's run-time type
// information; Is follows the class's base chain.
//
// Every host object has at most one wrapper, kept in the object's
// wrapper-holder slot. LyGetLyObject finds it, and creates the most
// specific wrapper on demand.

#include <lyiface/object.h>

#include "lysdk/lyexport.h"

LYSDK_BEGIN_NAMESPACE

using lyiface::EventRecord;
using lyiface::HIObject;
using lyiface::ICallback;
using lyiface::IObject;
using lyiface::IRegister;
using lyiface::IWrapperHolder;

class LyPlug;
class LyComponent;

/// Number of entries of the class-id table; type ids 1..kLyMaxTypeInfo-1 fit.
constexpr int kLyMaxTypeInfo = 720;

/// Takes the next type id and records `internalClassId` (the host class the
/// type wraps, or 0) for it. Only called at load time; at most 719 fit,
/// after which it returns 0 and records nothing.
LYSDK_API int __LyRegisterTypeInfo(int internalClassId);
/// The host class id recorded for `typeId`; 0 outside 1..719 and for
/// LyPlug's own type id.
LYSDK_API int __LyGetInternalClassId(int typeId);
/// The host class id that the host's class registry gives `className`, or 0
/// when it knows no such class.
LYSDK_API int LyRegister_ClassId(const char* className);

/// The wrapper of `object`, or null. With `create` false, an object whose
/// slot is empty yields null and nothing is created.
LYSDK_API IObject* LyGetLyObject(IObject* object, bool create = true);
LYSDK_API LyPlug* LyGetLyPlug(IObject* object, bool create = true);
LYSDK_API LyComponent* LyGetLyComponent(IObject* object, bool create = true);
/// The existing wrapper of `object`; never creates one.
LYSDK_API LyComponent* GetLyComponent(IObject* object);
/// The wrapper factory: a new wrapper of the most specific class for
/// `object`, or null when no class matches.
LYSDK_API LyPlug* __LyObjectCreatorSub(IObject* object);

/// Library entry: 0 at load (registers the library's own registry entries),
/// 1 at unload. Returns true.
extern "C" LYSDK_API bool EntryPointlysdk(int operation);

LYSDK_END_NAMESPACE

// Identity boilerplate for public classes and plug-in classes deriving from
// them. In the class body:   LYSDK_CLASS_DECLARE(MyBox, LyBox);
// In one source file:         LYSDK_CLASS_IMPLEMENT(MyBox, 0);
// (the trailing semicolon is optional)
// The second argument of the implementation is the host class id the class
// wraps (0 when it wraps no particular host class).
// GetInternalClassId is defined in the class body, so a class kept in an
// anonymous namespace that never calls it draws no unused-function warning.
#define LYSDK_CLASS_DECLARE(Class_, Parent_)                                                   \
public:                                                                                        \
    static int TypeInfo;                                                                       \
    static int GetInternalClassId() { return ::VELSDK2025::__LyGetInternalClassId(TypeInfo); } \
    const char* ClassName() const override { return #Class_; }                                 \
    int GetTypeId() const override { return TypeInfo; }                                        \
    bool Is(int typeId) const override {                                                       \
        return typeId == TypeInfo || Parent_::Is(typeId);                                      \
    }

#define LYSDK_CLASS_IMPLEMENT(Class_, HostClassId_) \
    int Class_::TypeInfo = ::VELSDK2025::__LyRegisterTypeInfo(HostClassId_);

#endif  // LYSDK_LYOBJECT_H
