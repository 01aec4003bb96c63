// Text forms of property values (the table at the top of property.h).

#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "velora/object.h"
#include "velora/property.h"
#include "velora/string_list.h"

namespace velora {

namespace {

constexpr char kListSeparator = '~';

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

const char* SkipBlanks(const char* p) {
    while (IsBlank(*p)) ++p;
    return p;
}

bool OnlyBlanksLeft(const char* p) { return *SkipBlanks(p) == 0; }

// Shortest "%.*g" that reads back to the same value. %g switches to an
// exponent as soon as the integer part has more digits than the precision
// ("1e+01" for 10), so values with up to `maxDigits` integer digits are
// printed again with enough precision to stay in plain notation, when that
// still reads back equal.
template <typename T, typename Read>
void AppendShortest(std::string& out, T v, int maxDigits, Read read) {
    char buf[48];
    const double d = static_cast<double>(v);
    int precision = 1;
    for (; precision <= maxDigits; ++precision) {
        std::snprintf(buf, sizeof buf, "%.*g", precision, d);
        if (std::isnan(v) || read(buf) == v) break;
    }
    if (precision > maxDigits) precision = maxDigits;
    if (std::isfinite(v) && v != 0 && std::strchr(buf, 'e')) {
        const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(d))));
        if (exponent >= precision && exponent < maxDigits) {
            char plain[48];
            std::snprintf(plain, sizeof plain, "%.*g", exponent + 1, d);
            if (!std::strchr(plain, 'e') && read(plain) == v) std::memcpy(buf, plain, sizeof buf);
        }
    }
    out += buf;
}

void AppendDouble(std::string& out, double v) {
    AppendShortest(out, v, 17, [](const char* t) { return std::strtod(t, nullptr); });
}

void AppendFloat(std::string& out, float v) {
    AppendShortest(out, v, 9, [](const char* t) { return std::strtof(t, nullptr); });
}

// Parses one floating number at *p and moves *p past it. Refuses an empty
// number and finite text too large for a double (strtod's overflow).
bool ReadDouble(const char** p, double* out) {
    const char* start = SkipBlanks(*p);
    if (*start == 0) return false;
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(start, &end);
    if (end == start) return false;
    if (errno == ERANGE && std::isinf(v)) return false;
    *out = v;
    *p = end;
    return true;
}

// `count` numbers separated by blanks and at most one comma; nothing else.
bool ReadDoubles(const char* text, int count, double* out) {
    const char* p = text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            const char* q = SkipBlanks(p);
            if (*q == ',') {
                q = SkipBlanks(q + 1);
            } else if (q == p) {
                return false;  // two numbers need something between them
            }
            p = q;
        }
        if (!ReadDouble(&p, &out[i])) return false;
    }
    return OnlyBlanksLeft(p);
}

bool ReadInt64(const char* text, long long* out) {
    const char* start = SkipBlanks(text);
    if (*start == 0) return false;
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(start, &end, 10);
    if (end == start || errno == ERANGE || !OnlyBlanksLeft(end)) return false;
    *out = v;
    return true;
}

bool ReadUInt64(const char* text, unsigned long long* out) {
    const char* start = SkipBlanks(text);
    // strtoull takes a minus sign and wraps; a negative count is no count.
    if (*start == 0 || *start == '-') return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(start, &end, 10);
    if (end == start || errno == ERANGE || !OnlyBlanksLeft(end)) return false;
    *out = v;
    return true;
}

bool ReadInt32(const char* text, int* out) {
    long long v;
    if (!ReadInt64(text, &v) || v < INT_MIN || v > INT_MAX) return false;
    *out = static_cast<int>(v);
    return true;
}

bool EqualsNoCase(const char* a, std::size_t n, const char* word) {
    if (std::strlen(word) != n) return false;
    for (std::size_t i = 0; i < n; ++i) {
        char c = a[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != word[i]) return false;
    }
    return true;
}

void AppendLabel(std::string& out, Plug* plug) {
    if (!plug) return;
    if (Object* object = dynamic_cast<Object*>(plug)) {
        out += object->LabelName();
    } else if (Property* property = dynamic_cast<Property*>(plug)) {
        if (Object* owner = property->OwnerObject()) {
            out += owner->LabelName();
            out += '.';
        }
        out += property->Name();
    }
}

}  // namespace

void Property::FormatText(std::string& out) const {
    definition_.Produce();
    switch (type_->Kind()) {
        case ValueKind::kInt32:
            if (type_->Id() == kDataEnum) {
                if (const char* text = definition_.EnumText(value_.i)) {
                    out += text;
                } else {
                    out += '#';
                    out += std::to_string(value_.i);
                }
            } else {
                out += std::to_string(value_.i);
            }
            break;
        case ValueKind::kInt64:
            out += std::to_string(value_.ll);
            break;
        case ValueKind::kUInt64:
            out += std::to_string(value_.ull);
            break;
        case ValueKind::kBool:
            out += value_.b ? "true" : "false";
            break;
        case ValueKind::kFloat:
            AppendFloat(out, value_.f);
            break;
        case ValueKind::kDoubles:
        case ValueKind::kTimecode: {
            const int n = type_->Kind() == ValueKind::kTimecode ? 3 : MemberCount();
            for (int i = 0; i < n; ++i) {
                if (i) out += ' ';
                AppendDouble(out, value_.d[i]);
            }
            break;
        }
        case ValueKind::kString:
            out += value_.s ? value_.s : "";
            break;
        case ValueKind::kTime:
            out += std::to_string(value_.ll);
            out += 'T';
            break;
        case ValueKind::kStringList:
            if (const StringList* list = definition_.EnumList()) list->Join(kListSeparator, out);
            break;
        case ValueKind::kObject:
            AppendLabel(out, Src(0));
            break;
        case ValueKind::kReference:
            AppendLabel(out, ReferenceSlot().Get());
            break;
        case ValueKind::kNone:
            break;
    }
}

int Property::Format(char* buffer, std::size_t size) const {
    std::string text;
    if (!Format(&text)) {
        if (buffer && size) buffer[0] = 0;
        return -1;
    }
    if (buffer && size) {
        const std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
        std::memcpy(buffer, text.data(), n);
        buffer[n] = 0;
    }
    return text.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(text.size());
}

bool Property::Format(std::string* out) const {
    if (!out) return false;
    out->clear();
    if (type_->Kind() == ValueKind::kNone) return false;
    FormatText(*out);
    return true;
}

bool Property::Parse(const char* text) {
    if (!text || IsReadOnly()) return false;
    return ParseText(text);
}

bool Property::ParseText(const char* text) {
    switch (type_->Kind()) {
        case ValueKind::kInt32: {
            int v;
            if (type_->Id() == kDataEnum) {
                // A text of the list first, so texts that look like numbers
                // still name their own value.
                if (const StringList* list = definition_.EnumList()) {
                    const int at = list->FindText(text, true, false);
                    if (at >= 0) return SetRaw(&at);
                }
                const char* p = SkipBlanks(text);
                if (*p == '#') ++p;
                if (!ReadInt32(p, &v)) return false;
                return SetRaw(&v);
            }
            if (!ReadInt32(text, &v)) return false;
            return SetRaw(&v);
        }
        case ValueKind::kInt64: {
            long long v;
            return ReadInt64(text, &v) && SetRaw(&v);
        }
        case ValueKind::kUInt64: {
            unsigned long long v;
            return ReadUInt64(text, &v) && SetRaw(&v);
        }
        case ValueKind::kBool: {
            const char* start = SkipBlanks(text);
            std::size_t n = std::strlen(start);
            while (n && IsBlank(start[n - 1])) --n;
            bool v;
            if (EqualsNoCase(start, n, "true") || EqualsNoCase(start, n, "1"))
                v = true;
            else if (EqualsNoCase(start, n, "false") || EqualsNoCase(start, n, "0"))
                v = false;
            else
                return false;
            return SetRaw(&v);
        }
        case ValueKind::kFloat: {
            // Read as a float directly: going through a double could round
            // twice and miss the value that Format wrote.
            const char* start = SkipBlanks(text);
            if (*start == 0) return false;
            char* end = nullptr;
            errno = 0;
            const float v = std::strtof(start, &end);
            if (end == start || (errno == ERANGE && std::isinf(v)) || !OnlyBlanksLeft(end)) return false;
            return SetRaw(&v);
        }
        case ValueKind::kDoubles: {
            double v[4];
            return ReadDoubles(text, MemberCount(), v) && SetRaw(v);
        }
        case ValueKind::kTimecode: {
            double v[3];
            return ReadDoubles(text, 3, v) && SetRaw(v);
        }
        case ValueKind::kString:
            return SetRaw(&text);
        case ValueKind::kTime: {
            // "<ticks>T" or a bare count.
            std::string digits(SkipBlanks(text));
            while (!digits.empty() && IsBlank(digits.back())) digits.pop_back();
            if (!digits.empty() && (digits.back() == 'T' || digits.back() == 't')) digits.pop_back();
            if (!digits.empty() && IsBlank(digits.back())) return false;
            long long v;
            return ReadInt64(digits.c_str(), &v) && SetRaw(&v);
        }
        case ValueKind::kStringList: {
            StringList list;
            list.Split(text, kListSeparator);
            const StringList* p = &list;
            return SetRaw(&p);
        }
        case ValueKind::kObject: {
            if (*SkipBlanks(text) != 0) return false;  // no lookup by name here
            IObject* none = nullptr;
            return SetRaw(&none);
        }
        case ValueKind::kReference: {
            if (*SkipBlanks(text) != 0) return false;
            Property* none = nullptr;
            return SetRaw(&none);
        }
        case ValueKind::kNone:
            return false;
    }
    return false;
}

}  // namespace velora
