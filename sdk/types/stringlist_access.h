#ifndef LYSDK_TYPES_STRINGLIST_ACCESS_H
#define LYSDK_TYPES_STRINGLIST_ACCESS_H

// Internal: the host string list behind a LyStringList. The public header
// only names an opaque type so that plug-ins never see host headers; library
// sources that hand a list to the host convert through here.

#include <velora/string_list.h>

#include "lysdk/lystringlist.h"

LYSDK_BEGIN_NAMESPACE

// LyHostStringList is never defined: the pointer always holds a
// velora::StringList, converted back before use.
inline velora::StringList* __LyHostStringList(LyHostStringList* list) {
    return reinterpret_cast<velora::StringList*>(list);
}

inline LyHostStringList* __LyOpaqueStringList(velora::StringList* list) {
    return reinterpret_cast<LyHostStringList*>(list);
}

/// The host list of `list`; null only when its creation failed.
inline velora::StringList* __LyHostStringList(const LyStringList& list) {
    return __LyHostStringList(list.GetInternal());
}

LYSDK_END_NAMESPACE

#endif  // LYSDK_TYPES_STRINGLIST_ACCESS_H
