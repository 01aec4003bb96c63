#ifndef LYSDK_CORE_SERVED_PROPERTIES_H
#define LYSDK_CORE_SERVED_PROPERTIES_H

// Internal: the properties an extension declares whose values its own get
// and set functions serve. They have no host property, so the host's
// storage of the object cannot see them: the bridge stores and retrieves
// them through these, as file properties marked as served by the extension.

#include <velora/scene_storage.h>

#include "lysdk/lycomponent.h"

LYSDK_BEGIN_NAMESPACE

/// Remembers `property` as one that `owner` serves itself (unbound, declared
/// by the extension's class rather than by the library's own classes).
void __LyAddServedProperty(LyComponent* owner, LyProperty* property);
/// Forgets one: a library class's own property that its functions serve
/// from the host (not the extension's to store).
void __LyForgetServedProperty(const LyComponent* owner, const LyProperty* property);
/// Forgets every served property of `owner` (it is ending).
void __LyForgetServedProperties(const LyComponent* owner);

/// The store and retrieve halves, for the pass the store is open for; false
/// only when the pass cannot run at all.
bool __LyStoreServedProperties(LyComponent* owner, velora::dsx::ObjectStore& store);
bool __LyRetrieveServedProperties(LyComponent* owner, velora::dsx::ObjectStore& store);

LYSDK_END_NAMESPACE

#endif  // LYSDK_CORE_SERVED_PROPERTIES_H
