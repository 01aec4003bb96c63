#ifndef LYSDK_FUZZ_PROPERTY_TEXT_TARGET_H
#define LYSDK_FUZZ_PROPERTY_TEXT_TARGET_H

// The host property text reader (velora::Property::Parse) under arbitrary
// input.
//
// Shared by the libFuzzer target and by the unit test that replays the
// committed corpus and every saved crash.
//
// Input: byte 0 picks the data type (low five bits, modulo the type count)
// and whether min/max clamps are set (bit 5); the rest is the text. Beyond
// "no crash, no sanitizer report", the reader is held to its documentation:
//   - refused text leaves the value as it was;
//   - accepted text formats into text that a fresh property of the same
//     type reads back to the same value (the same text and, for the types
//     held as plain integers, the same raw bytes);
//   - formatting into a buffer of any size cuts, terminates and reports the
//     whole length.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include <velora/object.h>
#include <velora/property.h>
#include <velora/string_list.h>

namespace lysdk_fuzz {

inline void PropertyCheck(bool condition) {
    if (!condition) __builtin_trap();
}

// Enumeration texts that look like numbers and like the "#<n>" form of
// values without a text, so that the reader's order of preference is tried.
inline void FillEnum(velora::Property* p) {
    velora::StringList* list = p->Definition().EnumList(true);
    for (const char* t : {"Constant", "Linear", "7", "#3", "", "Cubic Spline"}) list->Add(t, 0);
}

inline velora::Property* MakeFuzzProperty(velora::Object* holder, const char* name, int type, bool clamp) {
    velora::Property* p = holder->CreateProperty(name, type, velora::kCreateAnimatable);
    PropertyCheck(p != nullptr);
    if (type == velora::kDataEnum) FillEnum(p);
    if (clamp) {
        p->Definition().SetMin(-1000.5, true);
        p->Definition().SetMax(1e6, true);
    }
    return p;
}

inline void CheckBuffers(const velora::Property* p, const std::string& text) {
    char buffer[64];
    for (std::size_t size = 0; size < sizeof buffer && size <= text.size() + 1; ++size) {
        std::memset(buffer, 0x5a, sizeof buffer);
        const int n = p->Format(buffer, size);
        PropertyCheck(n == static_cast<int>(text.size()));
        if (size == 0) {
            PropertyCheck(buffer[0] == 0x5a);
            continue;
        }
        const std::size_t kept = text.size() < size - 1 ? text.size() : size - 1;
        PropertyCheck(std::memcmp(buffer, text.data(), kept) == 0);
        PropertyCheck(buffer[kept] == 0);
        if (size < sizeof buffer) PropertyCheck(buffer[size] == 0x5a);
    }
}

inline int PropertyText(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const int type = 1 + (data[0] & 0x1f) % velora::DataType::Count();
    const bool clamp = (data[0] & 0x20) != 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    velora::Object* holder = velora::Object::Create("Fuzz");
    velora::Property* p = MakeFuzzProperty(holder, "Value", type, clamp);
    velora::Property* again = MakeFuzzProperty(holder, "Again", type, clamp);
    const velora::ValueKind kind = p->Type()->Kind();
    const bool plainBytes = kind == velora::ValueKind::kInt32 || kind == velora::ValueKind::kInt64 ||
                            kind == velora::ValueKind::kUInt64 || kind == velora::ValueKind::kBool ||
                            kind == velora::ValueKind::kTime;

    std::string before, after;
    const bool hasText = p->Format(&before);
    unsigned char raw0[32] = {}, raw1[32] = {};
    const std::size_t n = p->Type()->ValueSize();
    if (plainBytes) p->GetRaw(raw0);

    if (!p->Parse(text.c_str())) {
        p->Format(&after);
        PropertyCheck(after == before);
        if (plainBytes) {
            p->GetRaw(raw1);
            PropertyCheck(std::memcmp(raw0, raw1, n) == 0);
        }
    } else {
        PropertyCheck(hasText);
        std::string written;
        PropertyCheck(p->Format(&written));
        PropertyCheck(again->Parse(written.c_str()));
        std::string rewritten;
        PropertyCheck(again->Format(&rewritten));
        PropertyCheck(rewritten == written);
        if (plainBytes) {
            p->GetRaw(raw0);
            again->GetRaw(raw1);
            PropertyCheck(std::memcmp(raw0, raw1, n) == 0);
        }
        // Texts and string lists keep the text exactly (up to its first NUL).
        if (kind == velora::ValueKind::kString || kind == velora::ValueKind::kStringList)
            PropertyCheck(written == std::string(text.c_str()));
        CheckBuffers(p, written);
    }
    holder->Destroy(0);
    return 0;
}

}  // namespace lysdk_fuzz

#endif  // LYSDK_FUZZ_PROPERTY_TEXT_TARGET_H
