#include "lysdk/lymemory.h"

#include <cstdlib>

LYSDK_BEGIN_NAMESPACE

void LyFree(void* pointer) { std::free(pointer); }

void* LyRealloc(void* pointer, std::size_t size) { return std::realloc(pointer, size); }

LYSDK_END_NAMESPACE
