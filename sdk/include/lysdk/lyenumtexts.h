#ifndef LYSDK_LYENUMTEXTS_H
#define LYSDK_LYENUMTEXTS_H

// Text tables of enumerations.
//
// An enumeration property shows its value as the enumerator's own name
// ("kLyInterpolationCubic"). Every enumeration of the SDK has its table,
// generated from these headers when the library is built:
//   - LyEnumTexts(E*): the texts. For an enumeration of values 0, 1, 2, ...
//     (a few gaps allowed) the text of each value sits at the index equal to
//     the value, "#<n>" stands in the gaps, and a null entry ends the table.
//     For any other enumeration (flags, mostly) the texts are in declaration
//     order, ending with a null entry.
//   - LyEnumValues(E*): null for the first kind; for the second, the value
//     of each text, in the same order.
// An enumerator that repeats an earlier value adds no text.
//
// Giving an enumeration its table is one declaration after it, at namespace
// scope (a nested enumeration is named with its class):
//     LYSDK_ENUM_TEXTS(LyInterpolation);
// The build refuses a public enumeration without it. An enumeration whose
// texts come only from the host (the default enumeration) says so with
// LYSDK_ENUM_HOST_TEXTS instead, and has no table.

#include "lysdk/lyexport.h"

LYSDK_BEGIN_NAMESPACE

/// No table: the texts come only from the host when the property is bound.
template <class E>
inline const char* const* LyEnumTexts(E*) {
    return nullptr;
}
template <class E>
inline const int* LyEnumValues(E*) {
    return nullptr;
}

/// The text of `value` in a table (the null entry ends it), with `values`
/// null for a table by value; null when no text has the value.
LYSDK_API const char* LyEnumTextOf(const char* const* texts, const int* values, int value);
/// The value of `text` in a table; false (out untouched) when no text is
/// equal (bytes compared, case counts).
LYSDK_API bool LyEnumValueOf(const char* const* texts, const int* values, const char* text, int* out);

LYSDK_END_NAMESPACE

/// Declares that the library holds the text table of enumeration `E`.
#define LYSDK_ENUM_TEXTS(E)                            \
    LYSDK_API const char* const* LyEnumTexts(E*);      \
    LYSDK_API const int* LyEnumValues(E*)
/// Marks enumeration `E` as one whose texts come only from the host.
#define LYSDK_ENUM_HOST_TEXTS(E) static_assert(sizeof(E) > 0, "host texts")

#endif  // LYSDK_LYENUMTEXTS_H
