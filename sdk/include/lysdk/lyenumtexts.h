#ifndef LYSDK_LYENUMTEXTS_H
#define LYSDK_LYENUMTEXTS_H

// Text tables of enumerations.
//
// An enumeration property shows its value as the enumerator's own name
// ("kLyInterpolationCubic"). The texts of an enumeration E are found through
// LyEnumTexts(E*): an array holding the text of each value at the index equal
// to the value, ending with a null entry. Enumerations without a table fall
// back to the template below, which has none.
//
// Giving an enumeration its table is one declaration next to the enumeration
//     LYSDK_ENUM_TEXTS(LyConnectionAction);
// and the table itself in a library source (see sdk/property/enum_texts.cpp).

#include "lysdk/lyexport.h"

LYSDK_BEGIN_NAMESPACE

/// No table: the texts come only from the host when the property is bound.
template <class E>
inline const char* const* LyEnumTexts(E*) {
    return nullptr;
}

LYSDK_END_NAMESPACE

/// Declares that the library holds the text table of enumeration `E`.
#define LYSDK_ENUM_TEXTS(E) LYSDK_API const char* const* LyEnumTexts(E*)

#endif  // LYSDK_LYENUMTEXTS_H
