#ifndef LYSDK_PROPERTY_PROPERTY_ACCESS_H
#define LYSDK_PROPERTY_PROPERTY_ACCESS_H

// Internal: from property wrappers to host properties, and the mapping of
// property types to host data types.

#include <velora/data_type.h>
#include <velora/property.h>

#include "core/host_access.h"
#include "lysdk/lyproperty.h"

LYSDK_BEGIN_NAMESPACE

/// The bound host property of a wrapper, or null. A wrapper binds only
/// host properties (SetInternal), so its handle is one or null; no query is
/// needed on this path, which every property operation takes.
inline velora::Property* __LyHostProperty(const LyProperty* property) {
    return property ? static_cast<velora::Property*>(property->GetInternal()) : nullptr;
}

/// The host data type id of a property type; 0 for the types the host has no
/// data type for (Unknown, TimeSpan, ReferenceValue) and any other value.
int __LyHostDataTypeOf(int propertyType);
/// The property type of a host data type id; unknown (0) when none.
LyPropertyType __LyPropertyTypeOf(int hostDataType);

/// The process-wide view (a non-owning LyStringList) of a host list.
LyStringList* __LyStringListView(velora::StringList* list);

LYSDK_END_NAMESPACE

#endif  // LYSDK_PROPERTY_PROPERTY_ACCESS_H
