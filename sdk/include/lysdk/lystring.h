#ifndef LYSDK_LYSTRING_H
#define LYSDK_LYSTRING_H

// LyString: an owned, heap-allocated byte string.
//
// The only field is the text pointer; there is no length or capacity, so
// lengths are measured on demand and every append reallocates to the exact
// size. A null pointer is a valid, empty state: a default string, a string
// built from null and the result of an empty extraction hold null, while a
// string built from "" holds a one-byte text. Both are empty (GetLen() is 0)
// but they differ in comparison (null equals only null) and in the pointer
// the conversions return.

#include "lysdk/lyexport.h"

LYSDK_BEGIN_NAMESPACE

class LYSDK_API LyString {
public:
    LyString();
    LyString(const char* text);
    /// `a` followed by `b`.
    LyString(const char* a, const char* b);
    LyString(const LyString& other);
    ~LyString();

    /// Note: returns the right-hand operand, not this string.
    const LyString& operator=(const LyString& other);
    LyString& operator=(const char* text);

    bool operator==(const LyString& other) const;
    bool operator==(const char* text) const;
    bool operator==(char* text) const;
    bool operator!=(const LyString& other) const;
    bool operator!=(const char* text) const;
    bool operator!=(char* text) const;

    /// The byte at `i`; 0 for a null string. Not bounds checked.
    char operator[](unsigned int i) const;
    operator char*() const;
    operator const char*() const;

    LyString operator+(const char* text) const;
    LyString& operator+=(char c);
    LyString& operator+=(const char* text);

    unsigned int GetLen() const;
    bool IsEmpty() const;
    /// Index of the first (last) `c`, or -1. The terminator counts as found.
    int Find(char c) const;
    int ReverseFind(char c) const;
    LyString Left(unsigned int count) const;
    /// `count` bytes from `start`; null when start is past the end or
    /// nothing remains.
    LyString Mid(unsigned int start, unsigned int count) const;
    /// Mid(GetLen() - count, count) in unsigned arithmetic: asking for more
    /// than the length gives an empty result, not the whole text.
    LyString Right(unsigned int count) const;

private:
    void Copy(const char* text);
    void Cat(const char* text);

    char* mText;
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYSTRING_H
