#ifndef LYSDK_LYVERSION_H
#define LYSDK_LYVERSION_H

// The SDK version a plug-in is compiled against (LYSDK_VERSION_MAJOR, ...,
// from the generated lysdk/version.h) and the version of the library that
// is loaded. Plug-ins are binary compatible with a library of the same
// major and minor version.

#include "lysdk/lyexport.h"
#include "lysdk/version.h"

LYSDK_BEGIN_NAMESPACE

/// The version of the loaded library, as "major.minor.patch".
LYSDK_API const char* LyGetVersionString();
/// The version of the loaded library as major * 10000 + minor * 100 + patch.
LYSDK_API int LyGetVersion();

LYSDK_END_NAMESPACE

// The same two answers under plain C names, for a host that loads the
// library at run time and looks them up with dlsym before trusting it.
extern "C" {
LYSDK_API int LySdkVersion();
LYSDK_API const char* LySdkVersionString();
}

#endif  // LYSDK_LYVERSION_H
