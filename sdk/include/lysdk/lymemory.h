#ifndef LYSDK_LYMEMORY_H
#define LYSDK_LYMEMORY_H

// Memory that crosses the library boundary (list storage, buffers handed
// to plug-ins) is allocated and released with these two functions, the
// process heap's realloc and free, so either side may release it.

#include <cstddef>

#include "lysdk/lyexport.h"

LYSDK_BEGIN_NAMESPACE

/// Releases memory from LyRealloc; null is accepted.
LYSDK_API void LyFree(void* pointer);
/// Resizes (or, from null, allocates) a block; size 0 frees it.
LYSDK_API void* LyRealloc(void* pointer, std::size_t size);

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYMEMORY_H
