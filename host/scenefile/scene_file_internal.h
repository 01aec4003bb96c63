#ifndef VELORA_SCENE_FILE_INTERNAL_H
#define VELORA_SCENE_FILE_INTERNAL_H

// What the writer (scene_file_codec.cpp) and the reader
// (scene_file_reader.cpp) share: the first bytes of a binary file, the text
// rules and the way a message gathers the position of its fault.
//
// Every function that can fail answers false and leaves a message in
// `error`; callers on the way back up prefix the position they were at
// ("objects[2] (Cube)" + "." + "fields.Icon: ..."), so a message is built
// only for the one fault that is reported.

#include <cstddef>
#include <string>

namespace velora {
namespace dsx {
namespace internal {

/// The CBOR self-description tag (55799): the first bytes of a binary file.
constexpr unsigned char kCborMagic[3] = {0xD9, 0xD9, 0xF7};
/// A key row: time, value, the flags word as four numbers, six tangent
/// values, and tension, continuity and bias when any of them is set.
constexpr int kKeyColumns = 12;
constexpr int kKeyColumnsTcb = 15;

bool Fail(std::string* error, std::string message);
/// Puts `where` in front of the message, with a '.' between them unless the
/// message begins with '.', '[' or ':'.
bool Prefix(std::string* error, const std::string& where);
/// "member[i]".
std::string Indexed(const char* member, std::size_t i);

/// UTF-8 without overlong forms, surrogates, code points past U+10FFFF or
/// NUL bytes; `what` names the text in the message.
bool CheckText(const std::string& text, const char* what, std::string* error);
/// CheckText, and not empty.
bool CheckName(const std::string& text, const char* what, std::string* error);

}  // namespace internal
}  // namespace dsx
}  // namespace velora

#endif  // VELORA_SCENE_FILE_INTERNAL_H
