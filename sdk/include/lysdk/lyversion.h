#ifndef LYSDK_LYVERSION_H
#define LYSDK_LYVERSION_H

#include "lysdk/lyexport.h"

// The SDK version a plug-in is compiled against. Plug-ins are binary
// compatible with a library of the same major and minor version.
#define LYSDK_VERSION_MAJOR 0
#define LYSDK_VERSION_MINOR 1
#define LYSDK_VERSION_PATCH 0
#define LYSDK_VERSION_STRING "0.1.0"

LYSDK_BEGIN_NAMESPACE

/// The version of the loaded library, as "major.minor.patch".
LYSDK_API const char* LyGetVersionString();
/// The version of the loaded library as major * 10000 + minor * 100 + patch.
LYSDK_API int LyGetVersion();

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYVERSION_H
