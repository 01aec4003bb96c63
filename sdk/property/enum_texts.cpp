// Lookups in the enumeration text tables. The tables themselves are
// generated from the public headers (enum_texts.cmake).

#include <cstring>

#include "lysdk/lyenumtexts.h"

LYSDK_BEGIN_NAMESPACE

const char* LyEnumTextOf(const char* const* texts, const int* values, int value) {
    if (!texts) return nullptr;
    if (!values) {
        if (value < 0) return nullptr;
        for (int i = 0; i < value; ++i)
            if (!texts[i]) return nullptr;
        return texts[value];
    }
    for (int i = 0; texts[i]; ++i)
        if (values[i] == value) return texts[i];
    return nullptr;
}

bool LyEnumValueOf(const char* const* texts, const int* values, const char* text, int* out) {
    if (!texts || !text || !out) return false;
    for (int i = 0; texts[i]; ++i)
        if (std::strcmp(texts[i], text) == 0) {
            *out = values ? values[i] : i;
            return true;
        }
    return false;
}

LYSDK_END_NAMESPACE
