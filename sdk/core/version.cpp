#include "lysdk/lyversion.h"

LYSDK_BEGIN_NAMESPACE

const char* LyGetVersionString() { return LYSDK_VERSION_STRING; }
int LyGetVersion() { return LYSDK_VERSION_NUMBER; }

LYSDK_END_NAMESPACE

extern "C" int LySdkVersion() { return LYSDK_VERSION_NUMBER; }
extern "C" const char* LySdkVersionString() { return LYSDK_VERSION_STRING; }
