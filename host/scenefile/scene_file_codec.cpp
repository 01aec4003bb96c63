// The two encodings of a scene document (text JSON and CBOR, one tree) and
// the checks shared by the writer and the reader.
//
// Every function that can fail answers false and leaves a message in
// `error`; callers on the way back up prefix the position they were at
// ("objects[2] (Cube)" + "." + "fields.Icon: ..."), so a message is built
// only for the one fault that is reported.

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <algorithm>

#include <nlohmann/json.hpp>

#include "velora/scene_file.h"

namespace velora {
namespace dsx {

namespace {

// Writing builds an ordered tree, so that a file reads top-down (format and
// version first, then each object's id, class and name). Reading builds a
// sorted one: an ordered object looks members up one by one, which makes an
// object of n members cost n^2 to read, and a hostile file may hold millions.
using OJson = nlohmann::ordered_json;
using Json = nlohmann::json;

// The CBOR self-description tag (55799): the first bytes of a binary file.
constexpr unsigned char kCborMagic[3] = {0xD9, 0xD9, 0xF7};

// A key row: time, value, the flags word as four numbers, six tangent
// values, and tension, continuity and bias when any of them is set.
constexpr int kKeyColumns = 12;
constexpr int kKeyColumnsTcb = 15;

bool Fail(std::string* error, std::string message) {
    if (error) *error = std::move(message);
    return false;
}

bool Prefix(std::string* error, const std::string& where) {
    if (error) {
        if (!error->empty() && (*error)[0] != '.' && (*error)[0] != '[' && (*error)[0] != ':')
            error->insert(0, ".");
        error->insert(0, where);
    }
    return false;
}

std::string Indexed(const char* member, std::size_t i) {
    return std::string(member) + "[" + std::to_string(i) + "]";
}

std::string Named(const char* member, std::size_t i, const std::string& name) {
    return Indexed(member, i) + " (" + name + ")";
}

// ---------------------------------------------------------------------------
// Text rules

// UTF-8 without overlong forms, surrogates or code points past U+10FFFF,
// and without NUL bytes (names and texts reach C strings in the SDK).
bool ValidText(const std::string& text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = s[i];
        if (c == 0) return false;
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        std::uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (n - i <= static_cast<std::size_t>(extra)) return false;
        for (int k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

bool CheckText(const std::string& text, const char* what, std::string* error) {
    if (ValidText(text)) return true;
    return Fail(error, std::string(": ") + what + " is not UTF-8 text without NUL bytes");
}

bool CheckName(const std::string& text, const char* what, std::string* error) {
    if (text.empty()) return Fail(error, std::string(": ") + what + " is empty");
    return CheckText(text, what, error);
}

// ---------------------------------------------------------------------------
// Validation of the model

// Whether a key carries tension, continuity or bias: any bit set (-0.0
// counts, so that it comes back as it went).
bool HasTcb(const CurveKey& k) {
    for (double d : k.tcb) {
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        if (bits) return true;
    }
    return false;
}

bool ValidateCurve(const Curve& curve, std::string* error) {
    if (!CheckText(curve.Name(), "the curve name", error)) return false;
    const ExtrapolationSetting* sides[2] = {&curve.PreExtrapolation(), &curve.PostExtrapolation()};
    const char* sideNames[2] = {"pre", "post"};
    for (int s = 0; s < 2; ++s) {
        if (sides[s]->mode < 0 || sides[s]->mode >= kExtrapolationCount)
            return Fail(error, std::string(sideNames[s]) + ": unknown extrapolation mode " +
                                   std::to_string(sides[s]->mode));
        if (sides[s]->count < 0)
            return Fail(error, std::string(sideNames[s]) + ": negative repetition count");
    }
    const std::vector<CurveKey>& keys = curve.Keys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const CurveKey& k = keys[i];
        std::string fault;
        if (i > 0 && k.time <= keys[i - 1].time)
            fault = "key times must strictly increase";
        else if (KeyInterpolationOf(k.flags) == 0)
            fault = "no interpolation";
        else if (k.flags & ~kKeyFlagsMask)
            fault = "flags " + std::to_string(k.flags) + " hold bits a key does not have";
        if (!fault.empty()) return Fail(error, Indexed("keys", i) + ": " + fault);
    }
    if (curve.IsA(kFileClassCustomCurve)) {
        const auto& custom = static_cast<const CustomCurve&>(curve);
        if (!CheckText(*custom.KeyIndexList().Text(), "the key-index list", error) ||
            !CheckText(*custom.TangentNameList().Text(), "the tangent-name list", error))
            return false;
    }
    return true;
}

bool ValidateNode(const CurveNode& node, std::string* error) {
    if (!CheckText(node.Name(), "the node name", error)) return false;
    for (int c = 0; c < node.ChannelCount(); ++c) {
        const Curve* curve = node.ChannelCurve(c);
        if (curve && !ValidateCurve(*curve, error))
            return Prefix(error, Indexed("channels", static_cast<std::size_t>(c)) + ".curve");
    }
    return true;
}

bool ValidateTarget(const Document& doc, const ObjectTarget& t, std::string* error) {
    if (t.id != 0 && !doc.FindObject(t.id))
        return Fail(error, ": reference to object " + std::to_string(t.id) +
                               ", which the file does not hold");
    if (t.id == 0 && !CheckName(t.name, "the object name", error)) return false;
    if (!t.property.empty() && !CheckText(t.property, "the property name", error)) return false;
    return true;
}

bool ValidateProperty(const Document& doc, const FileProperty& p, std::string* error) {
    if (!CheckName(p.Name(), "the property name", error)) return false;
    if (!FileValueTypeName(p.Type())) return Fail(error, ": no value type");
    if (p.Flags() & ~std::uint32_t(kFilePropertyKnownFlags))
        return Fail(error, ".flags: unknown bits " + std::to_string(p.Flags() & ~std::uint32_t(kFilePropertyKnownFlags)));
    if (p.Type() == kFileValueString && !CheckText(*p.Text(), "the value", error))
        return Prefix(error, "value");
    for (std::size_t i = 0; i < p.Texts().size(); ++i)
        if (!CheckText(p.Texts()[i], "a text", error))
            return Prefix(error, Indexed(p.Type() == kFileValueEnum ? "texts" : "value", i));
    for (std::size_t i = 0; i < p.Targets().size(); ++i)
        if (!ValidateTarget(doc, p.Targets()[i], error)) return Prefix(error, Indexed("value", i));
    if (p.Animation() && !ValidateNode(*p.Animation(), error)) return Prefix(error, "animation");
    return true;
}

bool ValidateField(const Document& doc, const std::string& name, const FieldValue& value,
                   std::string* error) {
    if (!CheckName(name, "the field name", error)) return false;
    switch (TypeOf(value)) {
        case FieldType::kString:
            return CheckText(std::get<std::string>(value), "the text", error);
        case FieldType::kStringArray:
            for (const std::string& s : std::get<std::vector<std::string>>(value))
                if (!CheckText(s, "a text", error)) return false;
            return true;
        case FieldType::kReference: {
            const std::uint32_t id = std::get<ObjectRef>(value).id;
            if (id != 0 && !doc.FindObject(id))
                return Fail(error, ": reference to object " + std::to_string(id) +
                                       ", which the file does not hold");
            return true;
        }
        default:
            return true;
    }
}

bool ValidateObject(const Document& doc, const FileObject& object, std::string* error) {
    if (object.Id() == 0 || object.Id() > kMaxObjectId)
        return Fail(error, ".id: " + std::to_string(object.Id()) + " is not 1..2147483647");
    if (!CheckName(object.ClassName(), "the class name", error) ||
        !CheckName(object.Name(), "the name", error))
        return false;
    for (const auto& field : object.Fields())
        if (!ValidateField(doc, field.first, field.second, error))
            return Prefix(error, "fields." + field.first);
    for (int i = 0; i < object.PropertyCount(); ++i)
        if (!ValidateProperty(doc, *object.PropertyAt(i), error))
            return Prefix(error, Named("properties", static_cast<std::size_t>(i),
                                       object.PropertyAt(i)->Name()));
    return true;
}

// ---------------------------------------------------------------------------
// Model to tree

OJson DoubleToJson(double value) {
    if (std::isfinite(value)) return OJson(value);
    if (std::isinf(value)) return OJson(value > 0 ? "inf" : "-inf");
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    char text[40];
    std::snprintf(text, sizeof text, "nan(0x%016llx)", static_cast<unsigned long long>(bits));
    return OJson(text);
}

OJson DoublesToJson(const double* values, std::size_t n) {
    OJson array = OJson::array();
    for (std::size_t i = 0; i < n; ++i) array.push_back(DoubleToJson(values[i]));
    return array;
}

OJson CurveToJson(const Curve& curve) {
    OJson j = OJson::object();
    j["name"] = curve.Name();
    j["class"] = curve.IsA(kFileClassCustomCurve) ? "custom" : "curve";
    j["default"] = DoubleToJson(curve.DefaultValue());
    j["pre"] = OJson::array({curve.PreExtrapolation().mode, curve.PreExtrapolation().count});
    j["post"] = OJson::array({curve.PostExtrapolation().mode, curve.PostExtrapolation().count});
    OJson keys = OJson::array();
    for (const CurveKey& k : curve.Keys()) {
        OJson row = OJson::array({k.time, DoubleToJson(k.value), KeyInterpolationOf(k.flags),
                                KeyModeByte(k.flags), KeyWeightBits(k.flags),
                                KeyVelocityBits(k.flags)});
        for (double d : k.data) row.push_back(DoubleToJson(d));
        if (HasTcb(k))
            for (double d : k.tcb) row.push_back(DoubleToJson(d));
        keys.push_back(std::move(row));
    }
    j["keys"] = std::move(keys);
    if (curve.IsA(kFileClassCustomCurve)) {
        const auto& custom = static_cast<const CustomCurve&>(curve);
        j["keyIndices"] = *custom.KeyIndexList().Text();
        j["tangentNames"] = *custom.TangentNameList().Text();
    }
    return j;
}

OJson NodeToJson(const CurveNode& node) {
    OJson channels = OJson::array();
    for (int c = 0; c < node.ChannelCount(); ++c) {
        OJson channel = OJson::object();
        channel["value"] = DoubleToJson(node.ChannelValue(c));
        if (const Curve* curve = node.ChannelCurve(c)) channel["curve"] = CurveToJson(*curve);
        channels.push_back(std::move(channel));
    }
    OJson j = OJson::object();
    j["name"] = node.Name();
    j["channels"] = std::move(channels);
    return j;
}

// An object of the file by its id, any other by its full name.
OJson TargetToJson(const ObjectTarget& t) { return t.id ? OJson(t.id) : OJson(t.name); }

OJson PropertyValueToJson(const FileProperty& p) {
    std::int64_t i = 0;
    std::uint64_t u = 0;
    double d[4] = {};
    switch (p.Type()) {
        case kFileValueEvent:
            return OJson(nullptr);
        case kFileValueStringList:
            return OJson(p.Texts());
        case kFileValueObject: {
            OJson targets = OJson::array();
            for (const ObjectTarget& t : p.Targets()) targets.push_back(TargetToJson(t));
            return targets;
        }
        case kFileValueReference:
            if (p.Targets().empty()) return OJson(nullptr);
            return OJson::array({TargetToJson(p.Targets()[0]), p.Targets()[0].property});
        case kFileValueBool:
        case kFileValueAction:
            p.GetInteger(&i);
            return OJson(i != 0);
        case kFileValueUInt64:
            p.GetUnsigned(&u);
            return OJson(u);
        case kFileValueString:
            return OJson(*p.Text());
        case kFileValueFloat:
        case kFileValueDouble:
            p.GetNumbers(d, 1);
            return DoubleToJson(d[0]);
        case kFileValueVector2:
        case kFileValueVector3:
        case kFileValueVector4:
        case kFileValueColor:
        case kFileValueColorAlpha:
        case kFileValueTimecode:
            p.GetNumbers(d, p.MemberCount());
            return DoublesToJson(d, static_cast<std::size_t>(p.MemberCount()));
        default:
            p.GetInteger(&i);
            return OJson(i);
    }
}

OJson PropertyToJson(const FileProperty& p) {
    OJson j = OJson::object();
    j["name"] = p.Name();
    j["type"] = FileValueTypeName(p.Type());
    j["flags"] = p.Flags();
    j["value"] = PropertyValueToJson(p);
    if (p.Type() == kFileValueEnum && !p.Texts().empty()) j["texts"] = p.Texts();
    if (p.Animation()) j["animation"] = NodeToJson(*p.Animation());
    return j;
}

OJson FieldToJson(const FieldValue& value) {
    OJson j = OJson::object();
    switch (TypeOf(value)) {
        case FieldType::kInteger:
            j["int"] = std::get<std::int64_t>(value);
            break;
        case FieldType::kDouble:
            j["double"] = DoubleToJson(std::get<double>(value));
            break;
        case FieldType::kBool:
            j["bool"] = std::get<bool>(value);
            break;
        case FieldType::kString:
            j["string"] = std::get<std::string>(value);
            break;
        case FieldType::kReference: {
            const std::uint32_t id = std::get<ObjectRef>(value).id;
            j["ref"] = id ? OJson(id) : OJson(nullptr);
            break;
        }
        case FieldType::kIntegerArray:
            j["ints"] = std::get<std::vector<std::int64_t>>(value);
            break;
        case FieldType::kDoubleArray: {
            const auto& v = std::get<std::vector<double>>(value);
            j["doubles"] = DoublesToJson(v.data(), v.size());
            break;
        }
        case FieldType::kStringArray:
            j["strings"] = std::get<std::vector<std::string>>(value);
            break;
    }
    return j;
}

OJson DocumentToJson(const Document& doc) {
    OJson objects = OJson::array();
    for (int i = 0; i < doc.ObjectCount(); ++i) {
        const FileObject& object = *doc.ObjectAt(i);
        OJson j = OJson::object();
        j["id"] = object.Id();
        j["class"] = object.ClassName();
        j["name"] = object.Name();
        OJson fields = OJson::object();
        // The names come sorted and unique from the model: append them
        // rather than look each up in the ordered object, which would take
        // quadratic time on an object with many fields.
        auto& members = fields.get_ref<OJson::object_t&>();
        for (const auto& field : object.Fields()) members.emplace_back(field.first, FieldToJson(field.second));
        j["fields"] = std::move(fields);
        OJson properties = OJson::array();
        for (int p = 0; p < object.PropertyCount(); ++p)
            properties.push_back(PropertyToJson(*object.PropertyAt(p)));
        j["properties"] = std::move(properties);
        objects.push_back(std::move(j));
    }
    OJson root = OJson::object();
    root["format"] = kFormatName;
    root["version"] = kFormatVersion;
    root["objects"] = std::move(objects);
    return root;
}

// The text layout: containers that hold only plain values go on one line
// (a key, a field, a vector), every other container is spread over lines.
bool IsFlat(const OJson& j) {
    if (!j.is_structured()) return true;
    for (const OJson& member : j)
        if (member.is_structured()) return false;
    return true;
}

void WriteText(const OJson& j, int indent, std::string& out) {
    if (IsFlat(j) || j.empty()) {
        out += j.dump();
        return;
    }
    const std::string pad(static_cast<std::size_t>(indent + 2), ' ');
    const bool object = j.is_object();
    out += object ? "{\n" : "[\n";
    bool first = true;
    for (auto it = j.begin(); it != j.end(); ++it) {
        if (!first) out += ",\n";
        first = false;
        out += pad;
        if (object) {
            out += OJson(it.key()).dump();
            out += ": ";
        }
        WriteText(*it, indent + 2, out);
    }
    out += "\n";
    out.append(static_cast<std::size_t>(indent), ' ');
    out += object ? "}" : "]";
}

// ---------------------------------------------------------------------------
// Tree to model

const char* KindName(const Json& j) {
    switch (j.type()) {
        case Json::value_t::null:
            return "null";
        case Json::value_t::boolean:
            return "a bool";
        case Json::value_t::number_integer:
        case Json::value_t::number_unsigned:
            return "an integer";
        case Json::value_t::number_float:
            return "a number";
        case Json::value_t::string:
            return "a string";
        case Json::value_t::array:
            return "an array";
        case Json::value_t::object:
            return "an object";
        default:
            return "a byte string";
    }
}

bool Expected(const Json& j, const char* what, std::string* error) {
    return Fail(error, std::string(": expected ") + what + ", found " + KindName(j));
}

bool CheckMembers(const Json& j, std::initializer_list<const char*> allowed, std::string* error) {
    for (auto it = j.begin(); it != j.end(); ++it) {
        bool known = false;
        for (const char* name : allowed) known = known || it.key() == name;
        if (!known) return Fail(error, ": unknown member \"" + it.key() + "\"");
    }
    return true;
}

// A required member; fails with "missing member" when absent.
const Json* Member(const Json& j, const char* name, std::string* error) {
    auto it = j.find(name);
    if (it == j.end()) {
        Fail(error, std::string(": missing member \"") + name + "\"");
        return nullptr;
    }
    return &*it;
}

bool ReadInt64(const Json& j, std::int64_t* out, std::string* error) {
    if (j.is_number_integer() && !j.is_number_unsigned()) {
        *out = j.get<std::int64_t>();
        return true;
    }
    if (j.is_number_unsigned()) {
        const std::uint64_t u = j.get<std::uint64_t>();
        if (u > static_cast<std::uint64_t>(INT64_MAX))
            return Fail(error, ": " + std::to_string(u) + " is past the 64-bit integer range");
        *out = static_cast<std::int64_t>(u);
        return true;
    }
    return Expected(j, "an integer", error);
}

bool ReadRange(const Json& j, std::int64_t low, std::int64_t high, std::int64_t* out,
               std::string* error) {
    std::int64_t v;
    if (!ReadInt64(j, &v, error)) return false;
    if (v < low || v > high)
        return Fail(error, ": " + std::to_string(v) + " is not " + std::to_string(low) + ".." +
                               std::to_string(high));
    *out = v;
    return true;
}

bool ReadInt(const Json& j, int low, int high, int* out, std::string* error) {
    std::int64_t v;
    if (!ReadRange(j, low, high, &v, error)) return false;
    *out = static_cast<int>(v);
    return true;
}

// "nan(0x" + exactly 16 hex digits + ")", nothing else.
bool ParseNanBits(const std::string& s, std::uint64_t* bits) {
    if (s.size() != 23 || s.compare(0, 6, "nan(0x") != 0 || s[22] != ')') return false;
    std::uint64_t v = 0;
    for (std::size_t i = 6; i < 22; ++i) {
        const char c = s[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = (v << 4) | static_cast<std::uint64_t>(d);
    }
    *bits = v;
    return true;
}

bool ReadDouble(const Json& j, double* out, std::string* error) {
    if (j.is_number_float()) {
        *out = j.get<double>();
        return true;
    }
    if (j.is_number_unsigned()) {
        *out = static_cast<double>(j.get<std::uint64_t>());
        return true;
    }
    if (j.is_number_integer()) {
        *out = static_cast<double>(j.get<std::int64_t>());
        return true;
    }
    if (j.is_string()) {
        const std::string& s = j.get_ref<const std::string&>();
        if (s == "inf" || s == "-inf") {
            *out = s[0] == '-' ? -HUGE_VAL : HUGE_VAL;
            return true;
        }
        std::uint64_t bits = 0;
        if (ParseNanBits(s, &bits)) {
            // Exponent all ones and a mantissa that is not zero: a NaN, and
            // nothing else hides behind this form.
            if ((bits & 0x7ff0000000000000ull) == 0x7ff0000000000000ull &&
                (bits & 0x000fffffffffffffull) != 0) {
                std::memcpy(out, &bits, sizeof *out);
                return true;
            }
        }
        return Fail(error, ": \"" + s + "\" is not a number");
    }
    return Expected(j, "a number", error);
}

bool ReadString(const Json& j, std::string* out, std::string* error) {
    if (!j.is_string()) return Expected(j, "a string", error);
    *out = j.get_ref<const std::string&>();
    return true;
}

bool ReadDoubles(const Json& j, std::size_t count, double* out, std::string* error) {
    if (!j.is_array() || j.size() != count)
        return Fail(error, ": expected " + std::to_string(count) + " numbers");
    for (std::size_t i = 0; i < count; ++i)
        if (!ReadDouble(j[i], &out[i], error)) return Prefix(error, "[" + std::to_string(i) + "]");
    return true;
}

bool ReadExtrapolation(const Json& j, ExtrapolationSetting* out, std::string* error) {
    if (!j.is_array() || j.size() != 2) return Fail(error, ": expected [mode, count]");
    if (!ReadInt(j[0], 0, kExtrapolationCount - 1, &out->mode, error)) return Prefix(error, "[0]");
    if (!ReadInt(j[1], 0, INT_MAX, &out->count, error)) return Prefix(error, "[1]");
    return true;
}

bool ReadKey(const Json& j, CurveKey* k, std::string* error) {
    if (!j.is_array() || (j.size() != kKeyColumns && j.size() != kKeyColumnsTcb))
        return Fail(error, ": expected a key of " + std::to_string(kKeyColumns) + " or " +
                               std::to_string(kKeyColumnsTcb) + " values");
    std::int64_t interpolation;
    int mode, weights, velocities;
    if (!ReadInt64(j[0], &k->time, error)) return Prefix(error, "[0]");
    if (!ReadDouble(j[1], &k->value, error)) return Prefix(error, "[1]");
    if (!ReadRange(j[2], 1, kKeyInterpolationMask, &interpolation, error)) return Prefix(error, "[2]");
    if (!ReadInt(j[3], 0, 255, &mode, error)) return Prefix(error, "[3]");
    if (!ReadInt(j[4], 0, 3, &weights, error)) return Prefix(error, "[4]");
    if (!ReadInt(j[5], 0, 3, &velocities, error)) return Prefix(error, "[5]");
    k->flags = KeyFlagsFrom(static_cast<std::uint32_t>(interpolation), mode, weights, velocities);
    for (int d = 0; d < 6; ++d)
        if (!ReadDouble(j[6 + d], &k->data[d], error)) return Prefix(error, "[" + std::to_string(6 + d) + "]");
    for (int d = 0; d < 3; ++d) {
        k->tcb[d] = 0.0;
        if (j.size() == kKeyColumnsTcb && !ReadDouble(j[12 + d], &k->tcb[d], error))
            return Prefix(error, "[" + std::to_string(12 + d) + "]");
    }
    return true;
}

bool ReadCurve(const Json& j, std::unique_ptr<Curve>* out, std::string* error) {
    if (!j.is_object()) return Expected(j, "a curve object", error);
    const Json* cls = Member(j, "class", error);
    if (!cls) return false;
    if (!cls->is_string() || (*cls != "curve" && *cls != "custom"))
        return Fail(error, ".class: expected \"curve\" or \"custom\"");
    const bool custom = *cls == "custom";
    if (custom) {
        if (!CheckMembers(j, {"name", "class", "default", "pre", "post", "keys", "keyIndices",
                              "tangentNames"}, error))
            return false;
    } else if (!CheckMembers(j, {"name", "class", "default", "pre", "post", "keys"}, error)) {
        return false;
    }
    std::unique_ptr<Curve> curve = custom ? std::make_unique<CustomCurve>() : std::make_unique<Curve>();
    const Json* m;
    std::string text;
    double value;
    if (!(m = Member(j, "name", error))) return false;
    if (!ReadString(*m, &text, error)) return Prefix(error, "name");
    curve->SetName(text);
    if (!(m = Member(j, "default", error))) return false;
    if (!ReadDouble(*m, &value, error)) return Prefix(error, "default");
    curve->SetDefaultValue(value);
    if (!(m = Member(j, "pre", error))) return false;
    if (!ReadExtrapolation(*m, &curve->PreExtrapolation(), error)) return Prefix(error, "pre");
    if (!(m = Member(j, "post", error))) return false;
    if (!ReadExtrapolation(*m, &curve->PostExtrapolation(), error)) return Prefix(error, "post");
    if (!(m = Member(j, "keys", error))) return false;
    if (!m->is_array()) return Expected(*m, "an array", error) || Prefix(error, "keys");
    curve->Keys().resize(m->size());
    for (std::size_t i = 0; i < m->size(); ++i)
        if (!ReadKey((*m)[i], &curve->Keys()[i], error)) return Prefix(error, Indexed("keys", i));
    if (custom) {
        auto* c = static_cast<CustomCurve*>(curve.get());
        if (!(m = Member(j, "keyIndices", error))) return false;
        if (!ReadString(*m, &text, error)) return Prefix(error, "keyIndices");
        c->KeyIndexList().SetText(text);
        if (!(m = Member(j, "tangentNames", error))) return false;
        if (!ReadString(*m, &text, error)) return Prefix(error, "tangentNames");
        c->TangentNameList().SetText(text);
    }
    *out = std::move(curve);
    return true;
}

bool ReadNode(const Json& j, std::unique_ptr<CurveNode>* out, std::string* error) {
    if (!j.is_object()) return Expected(j, "a curve node object", error);
    if (!CheckMembers(j, {"name", "channels"}, error)) return false;
    const Json* m;
    std::string name;
    if (!(m = Member(j, "name", error))) return false;
    if (!ReadString(*m, &name, error)) return Prefix(error, "name");
    const Json* channels = Member(j, "channels", error);
    if (!channels) return false;
    if (!channels->is_array() || channels->empty() ||
        channels->size() > static_cast<std::size_t>(kMaxChannels))
        return Fail(error, ".channels: expected an array of 1.." + std::to_string(kMaxChannels) +
                               " channels");
    auto node = std::make_unique<CurveNode>(name, static_cast<int>(channels->size()));
    for (std::size_t c = 0; c < channels->size(); ++c) {
        const Json& ch = (*channels)[c];
        const std::string where = Indexed("channels", c);
        if (!ch.is_object()) return Expected(ch, "a channel object", error) || Prefix(error, where);
        if (!CheckMembers(ch, {"value", "curve"}, error)) return Prefix(error, where);
        double value;
        if (!(m = Member(ch, "value", error))) return Prefix(error, where);
        if (!ReadDouble(*m, &value, error)) return Prefix(error, where + ".value");
        node->SetChannelValue(static_cast<int>(c), value);
        auto it = ch.find("curve");
        if (it != ch.end()) {
            std::unique_ptr<Curve> curve;
            if (!ReadCurve(*it, &curve, error)) return Prefix(error, where + ".curve");
            node->SetCurve(static_cast<int>(c), std::move(curve));
        }
    }
    *out = std::move(node);
    return true;
}

bool ReadTexts(const Json& j, std::vector<std::string>* out, std::string* error) {
    if (!j.is_array()) return Expected(j, "an array of texts", error);
    out->resize(j.size());
    for (std::size_t i = 0; i < j.size(); ++i)
        if (!ReadString(j[i], &(*out)[i], error)) return Prefix(error, "[" + std::to_string(i) + "]");
    return true;
}

bool ReadTarget(const Json& j, ObjectTarget* out, std::string* error) {
    if (j.is_string()) {
        out->name = j.get_ref<const std::string&>();
        return CheckName(out->name, "the object name", error);
    }
    std::int64_t id;
    if (!ReadRange(j, 1, kMaxObjectId, &id, error)) return false;
    out->id = static_cast<std::uint32_t>(id);
    return true;
}

bool ReadPropertyValue(const Json& j, FileProperty* p, std::string* error) {
    switch (p->Type()) {
        case kFileValueEvent:
            if (!j.is_null()) return Expected(j, "null", error);
            return true;
        case kFileValueStringList: {
            std::vector<std::string> texts;
            if (!ReadTexts(j, &texts, error)) return false;
            p->SetTexts(std::move(texts));
            return true;
        }
        case kFileValueObject: {
            if (!j.is_array()) return Expected(j, "an array of objects", error);
            std::vector<ObjectTarget> targets(j.size());
            for (std::size_t i = 0; i < j.size(); ++i)
                if (!ReadTarget(j[i], &targets[i], error)) return Prefix(error, "[" + std::to_string(i) + "]");
            p->SetTargets(std::move(targets));
            return true;
        }
        case kFileValueReference: {
            if (j.is_null()) return true;
            if (!j.is_array() || j.size() != 2) return Fail(error, ": expected [object, property] or null");
            ObjectTarget target;
            if (!ReadTarget(j[0], &target, error)) return Prefix(error, "[0]");
            if (!ReadString(j[1], &target.property, error)) return Prefix(error, "[1]");
            if (!CheckName(target.property, "the property name", error)) return Prefix(error, "[1]");
            p->SetTargets({std::move(target)});
            return true;
        }
        case kFileValueBool:
        case kFileValueAction:
            if (!j.is_boolean()) return Expected(j, "a bool", error);
            p->SetInteger(j.get<bool>() ? 1 : 0);
            return true;
        case kFileValueUInt64:
            if (!j.is_number_unsigned() && !(j.is_number_integer() && j.get<std::int64_t>() >= 0))
                return Expected(j, "an unsigned integer", error);
            p->SetUnsigned(j.get<std::uint64_t>());
            return true;
        case kFileValueString:
            if (!j.is_string()) return Expected(j, "a string", error);
            p->SetText(j.get<std::string>());
            return true;
        case kFileValueFloat:
        case kFileValueDouble: {
            double d;
            if (!ReadDouble(j, &d, error)) return false;
            p->SetNumber(d);
            return true;
        }
        case kFileValueVector2:
        case kFileValueVector3:
        case kFileValueVector4:
        case kFileValueColor:
        case kFileValueColorAlpha:
        case kFileValueTimecode: {
            double d[4];
            const int n = p->MemberCount();
            if (!ReadDoubles(j, static_cast<std::size_t>(n), d, error)) return false;
            p->SetNumbers(d, n);
            return true;
        }
        case kFileValueInt:
        case kFileValueEnum: {
            std::int64_t v;
            if (!ReadRange(j, INT_MIN, INT_MAX, &v, error)) return false;
            p->SetInteger(v);
            return true;
        }
        default: {  // Int64, Time
            std::int64_t v;
            if (!ReadInt64(j, &v, error)) return false;
            p->SetInteger(v);
            return true;
        }
    }
}

bool ReadProperty(const Json& j, FileObject* object, std::string* error) {
    if (!j.is_object()) return Expected(j, "a property object", error);
    if (!CheckMembers(j, {"name", "type", "flags", "value", "texts", "animation"}, error)) return false;
    const Json* m;
    std::string name, typeName;
    if (!(m = Member(j, "name", error))) return false;
    if (!ReadString(*m, &name, error)) return Prefix(error, "name");
    if (!CheckName(name, "the property name", error)) return Prefix(error, "name");
    if (!(m = Member(j, "type", error))) return false;
    if (!ReadString(*m, &typeName, error)) return Prefix(error, "type");
    const FileValueType type = FileValueTypeFromName(typeName);
    if (type == kFileValueNone) return Fail(error, ".type: unknown value type \"" + typeName + "\"");
    FileProperty* p = object->AddProperty(name, type);
    if (!p) return Fail(error, ".name: \"" + name + "\" is used twice");
    auto it = j.find("flags");
    if (it != j.end()) {
        std::int64_t flags;
        if (!ReadRange(*it, 0, UINT32_MAX, &flags, error)) return Prefix(error, "flags");
        p->SetFlags(static_cast<std::uint32_t>(flags));
    }
    if (!(m = Member(j, "value", error))) return false;
    if (!ReadPropertyValue(*m, p, error)) return Prefix(error, "value");
    it = j.find("texts");
    if (it != j.end()) {
        std::vector<std::string> texts;
        if (type != kFileValueEnum) return Fail(error, ".texts: only enum properties have texts");
        if (!ReadTexts(*it, &texts, error)) return Prefix(error, "texts");
        p->SetTexts(std::move(texts));
    }
    it = j.find("animation");
    if (it != j.end()) {
        std::unique_ptr<CurveNode> node;
        if (!ReadNode(*it, &node, error)) return Prefix(error, "animation");
        CurveNode* made = p->CreateAnimation(node->ChannelCount());
        // The node is rebuilt in the property's own storage: copy it over.
        made->SetName(node->Name());
        for (int c = 0; c < node->ChannelCount(); ++c) {
            made->SetChannelValue(c, node->ChannelValue(c));
            if (const Curve* curve = node->ChannelCurve(c)) made->SetCurve(c, curve->Clone());
        }
    }
    return true;
}

bool ReadField(const Json& j, FieldValue* out, std::string* error) {
    if (!j.is_object() || j.size() != 1)
        return Fail(error, ": expected an object with one member naming the type");
    const std::string& kind = j.begin().key();
    const Json& v = j.begin().value();
    if (kind == "int") {
        std::int64_t i;
        if (!ReadInt64(v, &i, error)) return Prefix(error, "int");
        *out = i;
    } else if (kind == "double") {
        double d;
        if (!ReadDouble(v, &d, error)) return Prefix(error, "double");
        *out = d;
    } else if (kind == "bool") {
        if (!v.is_boolean()) return Expected(v, "a bool", error) || Prefix(error, "bool");
        *out = v.get<bool>();
    } else if (kind == "string") {
        std::string s;
        if (!ReadString(v, &s, error)) return Prefix(error, "string");
        *out = std::move(s);
    } else if (kind == "ref") {
        if (v.is_null()) {
            *out = ObjectRef{0};
        } else {
            std::int64_t id;
            if (!ReadRange(v, 1, kMaxObjectId, &id, error)) return Prefix(error, "ref");
            *out = ObjectRef{static_cast<std::uint32_t>(id)};
        }
    } else if (kind == "ints" || kind == "doubles" || kind == "strings") {
        if (!v.is_array()) return Expected(v, "an array", error) || Prefix(error, kind);
        if (kind == "ints") {
            std::vector<std::int64_t> a(v.size());
            for (std::size_t i = 0; i < v.size(); ++i)
                if (!ReadInt64(v[i], &a[i], error)) return Prefix(error, Indexed("ints", i));
            *out = std::move(a);
        } else if (kind == "doubles") {
            std::vector<double> a(v.size());
            for (std::size_t i = 0; i < v.size(); ++i)
                if (!ReadDouble(v[i], &a[i], error)) return Prefix(error, Indexed("doubles", i));
            *out = std::move(a);
        } else {
            std::vector<std::string> a(v.size());
            for (std::size_t i = 0; i < v.size(); ++i)
                if (!ReadString(v[i], &a[i], error)) return Prefix(error, Indexed("strings", i));
            *out = std::move(a);
        }
    } else {
        return Fail(error, ": unknown field type \"" + kind + "\"");
    }
    return true;
}

bool ReadObject(const Json& j, Document* doc, std::string* error) {
    if (!j.is_object()) return Expected(j, "an object", error);
    if (!CheckMembers(j, {"id", "class", "name", "fields", "properties"}, error)) return false;
    const Json* m;
    std::int64_t id;
    std::string className, name;
    if (!(m = Member(j, "id", error))) return false;
    if (!ReadRange(*m, 1, kMaxObjectId, &id, error)) return Prefix(error, "id");
    if (!(m = Member(j, "class", error))) return false;
    if (!ReadString(*m, &className, error)) return Prefix(error, "class");
    if (!CheckName(className, "the class name", error)) return Prefix(error, "class");
    if (!(m = Member(j, "name", error))) return false;
    if (!ReadString(*m, &name, error)) return Prefix(error, "name");
    if (!CheckName(name, "the name", error)) return Prefix(error, "name");
    if (doc->FindObject(static_cast<std::uint32_t>(id)))
        return Fail(error, ".id: " + std::to_string(id) + " is used twice");
    if (doc->FindObject(name)) return Fail(error, ".name: \"" + name + "\" is used twice");
    FileObject* object = doc->AddObjectWithId(static_cast<std::uint32_t>(id), className, name);
    if (!object) return Fail(error, ": refused");
    auto it = j.find("fields");
    if (it != j.end()) {
        if (!it->is_object()) return Expected(*it, "an object", error) || Prefix(error, "fields");
        for (auto f = it->begin(); f != it->end(); ++f) {
            FieldValue value;
            if (!CheckName(f.key(), "the field name", error)) return Prefix(error, "fields");
            if (!ReadField(f.value(), &value, error)) return Prefix(error, "fields." + f.key());
            object->SetField(f.key(), std::move(value));
        }
    }
    it = j.find("properties");
    if (it != j.end()) {
        if (!it->is_array()) return Expected(*it, "an array", error) || Prefix(error, "properties");
        for (std::size_t p = 0; p < it->size(); ++p)
            if (!ReadProperty((*it)[p], object, error)) return Prefix(error, Indexed("properties", p));
    }
    return true;
}

// The top level, once the objects have been read as the tree was built
// (see TreeBuilder): name and version first, whatever else went wrong, since
// a file of another version may be laid out differently and its version is
// what its reader needs to hear about.
bool ReadDocument(const Json& root, const std::string& objectError, std::string* error) {
    if (!root.is_object()) return Fail(error, "not a scene file: the top level is not an object");
    auto format = root.find("format");
    if (format == root.end() || !format->is_string() || *format != kFormatName)
        return Fail(error, std::string("not a scene file: the format name is not \"") +
                               kFormatName + "\"");
    auto version = root.find("version");
    if (version == root.end() || !version->is_number())
        return Fail(error, "not a scene file: no version number");
    std::int64_t number = 0;
    if (!version->is_number_integer() || !ReadInt64(*version, &number, nullptr) ||
        number < kOldestFormatVersion || number > kFormatVersion) {
        const std::string text = version->dump();
        return Fail(error, "unsupported scene file version " + text + " (this reader reads versions " +
                               std::to_string(kOldestFormatVersion) + " to " +
                               std::to_string(kFormatVersion) + ")");
    }
    if (!CheckMembers(root, {"format", "version", "objects"}, error)) return false;
    const Json* objects = Member(root, "objects", error);
    if (!objects) return false;
    if (!objects->is_array()) return Expected(*objects, "an array", error) || Prefix(error, "objects");
    if (!objectError.empty()) return Fail(error, objectError);
    return true;
}

// ---------------------------------------------------------------------------
// Parsing with bounds

// Builds the tree from the parser's events, with the bounds a hostile file
// needs:
//   - depth: the binary reader descends recursively, so a limit keeps deeply
//     nested arrays from exhausting the stack;
//   - memory: what the tree holds is charged as it grows (a one-byte number
//     becomes a 16-byte tree value), and a file whose tree would cost more
//     than its budget is refused; a declared array length is only trusted
//     up to the file's size;
//   - each element of the top-level "objects" array is read into the
//     document as soon as it is complete and then dropped from the tree, so
//     the tree never holds more than one object;
//   - byte strings have no place in the format, and a member name that
//     repeats within one object is refused (the tree would keep only one).
class TreeBuilder {
public:
    TreeBuilder(Json& root, std::size_t inputSize, Document* doc)
        : root_(root),
          inputSize_(inputSize),
          budget_(kReadBudgetFactor * inputSize + kReadAllowanceBytes),
          doc_(doc) {}

    bool null() { return Put(Json(nullptr), 0); }
    bool boolean(bool v) { return Put(Json(v), 0); }
    bool number_integer(Json::number_integer_t v) { return Put(Json(v), 0); }
    bool number_unsigned(Json::number_unsigned_t v) { return Put(Json(v), 0); }
    bool number_float(Json::number_float_t v, const Json::string_t&) { return Put(Json(v), 0); }
    bool string(Json::string_t& v) {
        const std::size_t cost = TextCost(v.size()) + 48;
        return Put(Json(std::move(v)), cost);
    }
    bool binary(Json::binary_t&) {
        message_ = "byte strings are not part of the format";
        return false;
    }
    bool start_object(std::size_t) {
        if (!Enter()) return false;
        return Open(Json::object(), 64, 0);
    }
    bool key(Json::string_t& v) {
        Json& top = *stack_.back();
        if (!Charge(96 + TextCost(v.size()))) return false;
        auto made = top.get_ref<Json::object_t&>().emplace(v, Json());
        if (!made.second) {
            message_ = "member \"" + v.substr(0, 80) + "\" appears twice in one object";
            return false;
        }
        slot_ = &made.first->second;
        if (stack_.size() == 1 && v == "objects") objectsSlot_ = slot_;
        return true;
    }
    bool end_object() { return Close(); }
    bool start_array(std::size_t n) {
        if (!Enter()) return false;
        // A binary file declares its array lengths; a length beyond the
        // file's own size cannot be true (every element takes a byte).
        const std::size_t room = n == static_cast<std::size_t>(-1) ? 0 : std::min(n, inputSize_);
        return Open(Json::array(), 40, room);
    }
    bool end_array() { return Close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) {
        message_ = e.what();
        // "[json.exception.parse_error.101] parse error at ..." reads better
        // without the library's tag.
        const std::size_t close = message_.find("] ");
        if (message_.compare(0, 1, "[") == 0 && close != std::string::npos) message_.erase(0, close + 2);
        return false;
    }

    const std::string& Message() const { return message_; }
    /// The first object that did not read, with its position; empty if none.
    const std::string& ObjectError() const { return objectError_; }

private:
    static std::size_t TextCost(std::size_t length) { return length > 15 ? length + 17 : 0; }

    bool Charge(std::size_t bytes) {
        used_ += bytes;
        if (used_ <= budget_) return true;
        message_ = "reading it would take more than " + std::to_string(budget_ >> 20) +
                   " MiB of memory, more than a file of this size can need";
        return false;
    }

    bool Enter() {
        if (static_cast<int>(stack_.size()) < kMaxDepth) return true;
        message_ = "nested deeper than " + std::to_string(kMaxDepth) + " levels";
        return false;
    }

    // Places a value: the root, the next element of the open array, or the
    // member whose key came last. Array elements are charged when the array
    // grows past what was reserved.
    Json* Place(Json&& value, std::size_t cost) {
        if (stack_.empty()) {
            if (!Charge(cost)) return nullptr;
            root_ = std::move(value);
            return &root_;
        }
        Json& top = *stack_.back();
        if (top.is_array()) {
            auto& array = top.get_ref<Json::array_t&>();
            if (array.size() == array.capacity()) {
                const std::size_t grown = array.empty() ? 4 : array.size() * 2;
                if (!Charge((grown - array.size()) * sizeof(Json))) return nullptr;
                array.reserve(grown);
            }
            if (!Charge(cost)) return nullptr;
            array.push_back(std::move(value));
            return &array.back();
        }
        if (!Charge(cost)) return nullptr;
        *slot_ = std::move(value);
        return slot_;
    }

    // Whether the next value placed is an element of the top level's
    // "objects" array.
    bool AtObjectRecord() const {
        return stack_.size() == 2 && objectsSlot_ && stack_[1] == objectsSlot_ &&
               objectsSlot_->is_array();
    }

    bool Put(Json&& value, std::size_t cost) {
        const bool record = AtObjectRecord();
        if (record) marks_.push_back(used_);
        if (!Place(std::move(value), cost)) return false;
        return record ? ReadRecord() : true;
    }

    bool Open(Json&& container, std::size_t cost, std::size_t reserve) {
        if (AtObjectRecord()) marks_.push_back(used_);
        Json* placed = Place(std::move(container), cost);
        if (!placed) return false;
        if (reserve && placed->is_array()) {
            if (!Charge(reserve * sizeof(Json))) return false;
            placed->get_ref<Json::array_t&>().reserve(reserve);
        }
        stack_.push_back(placed);
        return true;
    }

    bool Close() {
        stack_.pop_back();
        return AtObjectRecord() ? ReadRecord() : true;
    }

    // An element of "objects" is complete: into the document with it, and
    // out of the tree. After the first object that does not read, the others
    // are only parsed (the version may still be what is wrong).
    bool ReadRecord() {
        auto& array = objectsSlot_->get_ref<Json::array_t&>();
        const std::size_t index = read_++;
        if (objectError_.empty() &&
            !ReadObject(array.back(), doc_, &objectError_)) {
            Prefix(&objectError_, Indexed("objects", index));
            if (objectError_.empty()) objectError_ = Indexed("objects", index) + ": refused";
        }
        array.pop_back();
        // The object's tree is gone; what the document keeps of it is
        // charged at half the tree's weight, which is more than it takes.
        const std::size_t tree = used_ - marks_.back();
        marks_.pop_back();
        used_ -= tree - tree / 2;
        return true;
    }

    Json& root_;
    std::size_t inputSize_;
    std::size_t budget_;
    std::size_t used_ = 0;
    Document* doc_;
    std::vector<Json*> stack_;   // the open arrays and objects
    Json* slot_ = nullptr;       // the member whose key came last
    Json* objectsSlot_ = nullptr;  // the top level's "objects"
    std::vector<std::size_t> marks_;  // charge when the open object record began
    std::size_t read_ = 0;
    std::string objectError_;
    std::string message_;
};

bool Parse(const unsigned char* data, std::size_t size, bool binary, Json* root, Document* doc,
           std::string* objectError, std::string* error) {
    TreeBuilder builder(*root, size, doc);
    bool ok;
    if (binary)
        ok = Json::sax_parse(data + sizeof kCborMagic, data + size, &builder,
                             nlohmann::detail::input_format_t::cbor, true);
    else
        ok = Json::sax_parse(data, data + size, &builder, nlohmann::detail::input_format_t::json,
                             true);
    if (ok) {
        *objectError = builder.ObjectError();
        return true;
    }
    return Fail(error, "not a valid scene file: " +
                           (builder.Message().empty() ? std::string("the data ends early")
                                                      : builder.Message()));
}

}  // namespace

bool Validate(const Document& document, std::string* error) {
    try {
        for (int i = 0; i < document.ObjectCount(); ++i) {
            const FileObject& object = *document.ObjectAt(i);
            if (!ValidateObject(document, object, error))
                return Prefix(error, Named("objects", static_cast<std::size_t>(i), object.Name()));
        }
        return true;
    } catch (const std::exception& e) {
        return Fail(error, std::string("cannot check the document: ") + e.what());
    }
}

bool EncodeDocument(const Document& document, Encoding encoding, std::string* out,
                    std::string* error) {
    if (!out) return Fail(error, "no output");
    if (!Validate(document, error)) return false;
    try {
        const OJson root = DocumentToJson(document);
        std::string bytes;
        if (encoding == Encoding::kBinary) {
            bytes.assign(reinterpret_cast<const char*>(kCborMagic), sizeof kCborMagic);
            OJson::to_cbor(root, bytes);
        } else {
            WriteText(root, 0, bytes);
            bytes += '\n';
        }
        *out = std::move(bytes);
        return true;
    } catch (const std::exception& e) {
        return Fail(error, std::string("cannot encode the document: ") + e.what());
    }
}

bool DecodeDocument(const void* data, std::size_t size, Document* out, std::string* error,
                    Encoding* encoding) {
    if (!out) return Fail(error, "no document to read into");
    out->Clear();
    if (!data || size == 0) return Fail(error, "not a scene file: it is empty");
    if (size > kMaxFileBytes)
        return Fail(error, "not a scene file: larger than " + std::to_string(kMaxFileBytes) + " bytes");
    const auto* bytes = static_cast<const unsigned char*>(data);
    const bool binary = size >= sizeof kCborMagic && std::memcmp(bytes, kCborMagic, sizeof kCborMagic) == 0;
    try {
        Json root;
        Document doc;
        std::string objectError;
        if (!Parse(bytes, size, binary, &root, &doc, &objectError, error) ||
            !ReadDocument(root, objectError, error) || !Validate(doc, error))
            return false;
        *out = std::move(doc);
        if (encoding) *encoding = binary ? Encoding::kBinary : Encoding::kText;
        return true;
    } catch (const std::bad_alloc&) {
        out->Clear();
        return Fail(error, "not enough memory to read the scene file");
    } catch (const std::exception& e) {
        out->Clear();
        return Fail(error, std::string("not a valid scene file: ") + e.what());
    }
}

}  // namespace dsx
}  // namespace velora
