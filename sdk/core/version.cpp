#include "lysdk/lyversion.h"

LYSDK_BEGIN_NAMESPACE

const char* LyGetVersionString() { return LYSDK_VERSION_STRING; }

int LyGetVersion() {
    return LYSDK_VERSION_MAJOR * 10000 + LYSDK_VERSION_MINOR * 100 + LYSDK_VERSION_PATCH;
}

LYSDK_END_NAMESPACE
