#ifndef LYSDK_LYPLATFORM_H
#define LYSDK_LYPLATFORM_H

// Small platform services: sleeping, byte order, and the host's modal
// message boxes.
//
// Message boxes have up to three buttons, numbered 1 to 3; a null or empty
// text leaves that button out. Each function returns the number of the
// button pressed. A host without windows answers them without waiting (see
// its message-box policy), and a host whose boxes are suspended answers the
// default button without showing anything.

#include <cstdint>

#include "lysdk/lyenumtexts.h"
#include "lysdk/lyexport.h"

LYSDK_BEGIN_NAMESPACE

/// Suspends the calling thread for `milliseconds`.
LYSDK_API void LySleep(std::uint32_t milliseconds);

/// Turns a big-endian 16-bit value read from a file or a device into the
/// processor's order, in place.
LYSDK_API void LyBigEndianToNative(std::uint16_t& value);
/// The same for a little-endian value: nothing to do, the library runs on
/// little-endian processors.
LYSDK_API void LyLittleEndianToNative(std::uint16_t& value);

/// Input types of LyMessageBoxGetUserValue and what `value` points to.
/// Text types: `*(char**)value` is the initial text; when the user enters a
/// value it points to a new block that the caller frees with LyFree.
enum LyUserValueType {
    kLyUserValueInteger = 0,   ///< int*
    kLyUserValueFloat = 1,     ///< float*
    kLyUserValueDouble = 2,    ///< double*
    kLyUserValueText = 3,      ///< char**
    kLyUserValuePassword = 4,  ///< char**, never echoed to the trace
    kLyUserValueFilePath = 5,  ///< char**
    kLyUserValueFolderPath = 6 ///< char**
};
LYSDK_ENUM_TEXTS(LyUserValueType);

/// A modal box; returns the button pressed.
LYSDK_API int LyMessageBox(const char* title, const char* message, const char* button1,
                           const char* button2 = nullptr, const char* button3 = nullptr,
                           int defaultButton = 0, int scroll = 0);
/// The same with a check box labelled `checkText`; `checked` is read and
/// written.
LYSDK_API int LyMessageBoxWithCheck(const char* title, const char* message, const char* button1,
                                    const char* button2, const char* button3,
                                    const char* checkText, bool& checked,
                                    int defaultButton = 0, int scroll = 0);
/// A box asking for a value of `inputType` (0 to 6, see LyUserValueType);
/// returns the button pressed, or -1 without showing anything for any
/// other input type.
LYSDK_API int LyMessageBoxGetUserValue(const char* title, const char* message, void* value,
                                       int inputType, const char* button1,
                                       const char* button2 = nullptr,
                                       const char* button3 = nullptr, int defaultButton = 0,
                                       bool scroll = false);

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYPLATFORM_H
