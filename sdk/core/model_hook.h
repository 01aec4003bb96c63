#ifndef LYSDK_CORE_MODEL_HOOK_H
#define LYSDK_CORE_MODEL_HOOK_H

// Internal: how object creation tells a model from other components before
// and after the model wrappers exist.

#include "lysdk/lycomponent.h"

LYSDK_BEGIN_NAMESPACE

/// The type id of LyModel. The model family sets it when it loads; while it
/// is 0, a component counts as a model when its host object is of the
/// host's model class.
extern int __LyModelTypeId;

/// Whether `component` is a model (see above); false for null.
bool __LyIsModel(const LyComponent* component);

LYSDK_END_NAMESPACE

#endif  // LYSDK_CORE_MODEL_HOOK_H
