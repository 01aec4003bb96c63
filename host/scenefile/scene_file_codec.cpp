// The writer of a scene document (text JSON and CBOR, one tree), and the
// checks that the writer runs before it writes and the reader after it has
// read (Validate), so that a file that saves always loads.

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>

#include <nlohmann/json.hpp>

#include "scene_file_internal.h"
#include "velora/scene_file.h"

namespace velora {
namespace dsx {

namespace internal {

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

namespace {

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

}  // namespace

bool CheckText(const std::string& text, const char* what, std::string* error) {
    if (ValidText(text)) return true;
    return Fail(error, std::string(": ") + what + " is not UTF-8 text without NUL bytes");
}

bool CheckName(const std::string& text, const char* what, std::string* error) {
    if (text.empty()) return Fail(error, std::string(": ") + what + " is empty");
    return CheckText(text, what, error);
}

}  // namespace internal

namespace {

using namespace internal;

// Writing builds an ordered tree, so that a file reads top-down (format and
// version first, then each object's id, class and name).
using OJson = nlohmann::ordered_json;

std::string Named(const char* member, std::size_t i, const std::string& name) {
    return Indexed(member, i) + " (" + name + ")";
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
    if (p.MemberCount() > 1) {
        p.GetNumbers(d, p.MemberCount());
        return DoublesToJson(d, static_cast<std::size_t>(p.MemberCount()));
    }
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
}  // namespace dsx
}  // namespace velora
