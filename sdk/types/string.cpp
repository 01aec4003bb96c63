#include "lysdk/lystring.h"

#include <cstdlib>
#include <cstring>

LYSDK_BEGIN_NAMESPACE

namespace {

char* Duplicate(const char* text) {
    if (!text) return nullptr;
    const std::size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    if (!copy) std::abort();
    std::memcpy(copy, text, size);
    return copy;
}

bool Equal(const char* a, const char* b) {
    if (!a || !b) return a == b;
    return std::strcmp(a, b) == 0;
}

}  // namespace

LyString::LyString() : mText(nullptr) {}
LyString::LyString(const char* text) : mText(Duplicate(text)) {}
LyString::LyString(const char* a, const char* b) : mText(Duplicate(a)) { Cat(b); }
LyString::LyString(const LyString& other) : mText(Duplicate(other.mText)) {}
LyString::~LyString() {
    std::free(mText);
    mText = nullptr;
}

const LyString& LyString::operator=(const LyString& other) {
    if (this != &other) Copy(other.mText);
    return other;
}

LyString& LyString::operator=(const char* text) {
    Copy(text);
    return *this;
}

bool LyString::operator==(const LyString& other) const { return Equal(mText, other.mText); }
bool LyString::operator==(const char* text) const { return Equal(mText, text); }
bool LyString::operator==(char* text) const { return Equal(mText, text); }
bool LyString::operator!=(const LyString& other) const { return !(*this == other); }
bool LyString::operator!=(const char* text) const { return !(*this == text); }
bool LyString::operator!=(char* text) const { return !(*this == text); }

char LyString::operator[](unsigned int i) const { return mText ? mText[i] : 0; }
LyString::operator char*() const { return mText; }
LyString::operator const char*() const { return mText; }

LyString LyString::operator+(const char* text) const { return LyString(mText, text); }

LyString& LyString::operator+=(char c) {
    const char text[2] = {c, 0};
    Cat(text);
    return *this;
}

LyString& LyString::operator+=(const char* text) {
    Cat(text);
    return *this;
}

unsigned int LyString::GetLen() const {
    return mText ? static_cast<unsigned int>(std::strlen(mText)) : 0u;
}

bool LyString::IsEmpty() const { return GetLen() == 0; }

int LyString::Find(char c) const {
    if (!mText) return -1;
    const char* at = std::strchr(mText, c);
    return at ? static_cast<int>(at - mText) : -1;
}

int LyString::ReverseFind(char c) const {
    if (!mText) return -1;
    const char* at = std::strrchr(mText, c);
    return at ? static_cast<int>(at - mText) : -1;
}

LyString LyString::Left(unsigned int count) const { return Mid(0, count); }

LyString LyString::Mid(unsigned int start, unsigned int count) const {
    const unsigned int len = GetLen();
    if (start > len) return LyString();
    // The sum is 32-bit unsigned on purpose: a count so large that it wraps
    // past 2^32 is not clamped but stays huge, reads as negative below and
    // gives the null string, the same answer Right() gives for too large a
    // count. Only a count that fits is clamped to the rest of the text.
    if (start + count > len) count = len - start;
    if (static_cast<int>(count) <= 0) return LyString();
    // Reachable only for texts over 2 GiB, where a wrapped count can still
    // read as positive: never copy past the end.
    if (count > len - start) return LyString();
    LyString result;
    result.mText = static_cast<char*>(std::malloc(count + 1));
    if (!result.mText) std::abort();
    std::memcpy(result.mText, mText + start, count);
    result.mText[count] = 0;
    return result;
}

LyString LyString::Right(unsigned int count) const { return Mid(GetLen() - count, count); }

void LyString::Copy(const char* text) {
    // Duplicate before freeing: `text` may point into this string.
    char* copy = Duplicate(text);
    std::free(mText);
    mText = copy;
}

void LyString::Cat(const char* text) {
    if (!mText) {
        Copy(text);
        return;
    }
    if (!text) return;
    const std::size_t len = std::strlen(mText);
    const std::size_t add = std::strlen(text);
    // `text` may be this string's own text, which realloc can move.
    const bool self = text >= mText && text <= mText + len;
    const std::size_t offset = self ? static_cast<std::size_t>(text - mText) : 0;
    char* grown = static_cast<char*>(std::realloc(mText, len + add + 1));
    if (!grown) std::abort();
    mText = grown;
    std::memmove(mText + len, self ? mText + offset : text, add);
    mText[len + add] = 0;
}

LYSDK_END_NAMESPACE
