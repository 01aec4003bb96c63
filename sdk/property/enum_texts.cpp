// Text tables of the enumerations: each enumerator's own name at the index
// of its value, then a null entry.

#include "lysdk/lyplug.h"
#include "lysdk/lytime.h"

LYSDK_BEGIN_NAMESPACE

#define LY_TEXTS(E, ...)                                      \
    const char* const* LyEnumTexts(E*) {                      \
        static const char* const texts[] = {__VA_ARGS__, nullptr}; \
        return texts;                                         \
    }

LY_TEXTS(LyConnectionType, "kLyConnectionTypeNone", "kLyConnectionTypeSystem")

LY_TEXTS(LyConnectionAction, "kLyRequestConnectSrc", "kLyRequestConnectDst", "kLyConnectSrc",
         "kLyConnectDst", "kLyConnectedSrc", "kLyConnectedDst", "kLyRequestDisconnectSrc",
         "kLyRequestDisconnectDst", "kLyDisconnectSrc", "kLyDisconnectDst", "kLyDisconnectedSrc",
         "kLyDisconnectedDst", "kLyBeginReplaceSrc", "kLyEndReplaceSrc", "kLyBeginReplaceDst",
         "kLyEndReplaceDst", "kLyReorderSrc", "kLyReorderedSrc", "kLyBeginChange", "kLyEndChange",
         "kLyConnectedOwner", "kLyDisconnectOwner", "kLyCandidate", "kLyCandidated",
         "kLyCandidateGlobal", "kLyDetached", "kLyDestroy", "kLySelect", "kLyUnselect",
         "kLyReselect", "kLyRquestRename", "kLyRename", "kLyRenamed", "kLyRequestPrefixRename",
         "kLyPrefixRename", "kLyPrefixRenamed", "kLyDescription", "kLyKeyingKey",
         "kLyKeyingDeleteKey", "kLyKeyingCandidate", "kLyKeyingCurveChange",
         "kLyKeyingCurveEndChange")

LY_TEXTS(LyTimeMode, "kLyTimeModeDefault", "kLyTimeMode1000Frames", "kLyTimeMode120Frames",
         "kLyTimeMode11988Frames", "kLyTimeMode100Frames", "kLyTimeMode96Frames",
         "kLyTimeMode72Frames", "kLyTimeMode60Frames", "kLyTimeMode5994Frames",
         "kLyTimeMode50Frames", "kLyTimeMode48Frames", "kLyTimeMode30Frames",
         "kLyTimeMode2997Frames_Drop", "kLyTimeMode2997Frames", "kLyTimeMode25Frames",
         "kLyTimeMode24Frames", "kLyTimeMode23976Frames", "kLyTimeModeCustom")

#undef LY_TEXTS

LYSDK_END_NAMESPACE
