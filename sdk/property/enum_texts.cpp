// Text tables of the enumerations: each enumerator's own name at the index
// of its value, then a null entry.

#include "lysdk/lyplug.h"

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

#undef LY_TEXTS

LYSDK_END_NAMESPACE
