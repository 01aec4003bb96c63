// Type ids and the class-id table.

#include <velora/class_registry.h>

#include "lysdk/lycomponent.h"
#include "lysdk/lydsx.h"
#include "lysdk/lyproperty.h"

LYSDK_BEGIN_NAMESPACE

// Constant-initialised, so it holds 1 before any dynamic initialiser runs,
// whatever the order of the library's units.
int LyPlug::mGlobalTypeInfo = 1;

namespace {
int gInternalClassIds[kLyMaxTypeInfo];  // zero-initialised; index 0 unused
}  // namespace

int __LyRegisterTypeInfo(int internalClassId) {
    if (LyPlug::mGlobalTypeInfo >= kLyMaxTypeInfo) return 0;
    const int typeId = LyPlug::mGlobalTypeInfo++;
    gInternalClassIds[typeId] = internalClassId;
    return typeId;
}

int __LyGetInternalClassId(int typeId) {
    if (typeId < 1 || typeId >= kLyMaxTypeInfo || typeId == LyPlug::TypeInfo) return 0;
    return gInternalClassIds[typeId];
}

int LyRegister_ClassId(const char* className) {
    return className ? velora::ClassRegistry::Instance().Find(className) : 0;
}

LYSDK_END_NAMESPACE

// Every public class takes its type id here, in family order, so the ids
// do not depend on the order in which the library's units are linked.
LYSDK_BEGIN_NAMESPACE

int LyPlug::TypeInfo = __LyRegisterTypeInfo(velora::kClassPlug);
LYSDK_CLASS_IMPLEMENT(LyComponent, velora::kClassObject)
LYSDK_CLASS_IMPLEMENT(LyDsxObject, 0)
int LyProperty::TypeInfo = __LyRegisterTypeInfo(velora::kClassProperty);

LYSDK_END_NAMESPACE
