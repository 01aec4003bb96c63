// The scene document model: curves, curve nodes, file properties, file
// objects and documents, and their content comparison.

#include <climits>
#include <cmath>
#include <cstring>

#include "velora/scene_file.h"

namespace velora {
namespace dsx {

namespace {

// Doubles are compared by their bits: a round trip has to keep -0.0 apart
// from 0.0 and a NaN's payload, which == cannot see.
bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool SameKey(const CurveKey& a, const CurveKey& b) {
    if (a.time != b.time || !SameBits(a.value, b.value) || a.flags != b.flags) return false;
    for (int i = 0; i < 6; ++i)
        if (!SameBits(a.data[i], b.data[i])) return false;
    for (int i = 0; i < 3; ++i)
        if (!SameBits(a.tcb[i], b.tcb[i])) return false;
    return true;
}

bool SameField(const FieldValue& a, const FieldValue& b) {
    if (a.index() != b.index()) return false;
    switch (TypeOf(a)) {
        case FieldType::kDouble:
            return SameBits(std::get<double>(a), std::get<double>(b));
        case FieldType::kReference:
            return std::get<ObjectRef>(a).id == std::get<ObjectRef>(b).id;
        case FieldType::kDoubleArray: {
            const auto& x = std::get<std::vector<double>>(a);
            const auto& y = std::get<std::vector<double>>(b);
            if (x.size() != y.size()) return false;
            for (std::size_t i = 0; i < x.size(); ++i)
                if (!SameBits(x[i], y[i])) return false;
            return true;
        }
        default:
            return a == b;
    }
}

int MembersOf(FileValueType type) {
    switch (type) {
        case kFileValueVector2:
            return 2;
        case kFileValueVector3:
        case kFileValueColor:
        case kFileValueTimecode:
            return 3;
        case kFileValueVector4:
        case kFileValueColorAlpha:
            return 4;
        case kFileValueNone:
        case kFileValueEvent:
            return 0;
        default:
            return 1;
    }
}

const char* const kTypeNames[kFileValueTypeCount] = {
    nullptr, "int",  "int64", "uint64",  "bool",    "float",  "double",
    "string", "enum", "time",  "vector2", "vector3", "vector4", "color",
    "colorAlpha", "action", "timecode", "stringList", "object", "reference", "event",
};

}  // namespace

const char* FileValueTypeName(int type) {
    return type > kFileValueNone && type < kFileValueTypeCount ? kTypeNames[type] : nullptr;
}

FileValueType FileValueTypeFromName(const std::string& name) {
    for (int t = 1; t < kFileValueTypeCount; ++t)
        if (name == kTypeNames[t]) return static_cast<FileValueType>(t);
    return kFileValueNone;
}

// ---------------------------------------------------------------------------
// Curve

Curve::Curve(std::string name) : name_(std::move(name)) {}
Curve::~Curve() = default;
std::unique_ptr<Curve> Curve::Clone() const { return std::make_unique<Curve>(*this); }

CustomCurve::CustomCurve(std::string name)
    : Curve(std::move(name)),
      keyIndices_("KeyIndices", kFileValueString),
      tangentNames_("TangentNames", kFileValueString) {}
CustomCurve::CustomCurve(const CustomCurve& other) = default;
CustomCurve::~CustomCurve() = default;
std::unique_ptr<Curve> CustomCurve::Clone() const { return std::make_unique<CustomCurve>(*this); }

bool SameContent(const Curve& a, const Curve& b) {
    if (a.ClassId() != b.ClassId() || a.Name() != b.Name() ||
        !SameBits(a.DefaultValue(), b.DefaultValue()) ||
        a.PreExtrapolation().mode != b.PreExtrapolation().mode ||
        a.PreExtrapolation().count != b.PreExtrapolation().count ||
        a.PostExtrapolation().mode != b.PostExtrapolation().mode ||
        a.PostExtrapolation().count != b.PostExtrapolation().count ||
        a.Keys().size() != b.Keys().size())
        return false;
    for (std::size_t i = 0; i < a.Keys().size(); ++i)
        if (!SameKey(a.Keys()[i], b.Keys()[i])) return false;
    if (a.ClassId() == kFileClassCustomCurve) {
        const auto& x = static_cast<const CustomCurve&>(a);
        const auto& y = static_cast<const CustomCurve&>(b);
        // Only the two texts are stored in a file.
        return *x.KeyIndexList().Text() == *y.KeyIndexList().Text() &&
               *x.TangentNameList().Text() == *y.TangentNameList().Text();
    }
    return true;
}

// ---------------------------------------------------------------------------
// FileProperty

FileProperty::FileProperty(std::string name, int type)
    : name_(std::move(name)),
      type_(type > kFileValueNone && type < kFileValueTypeCount ? static_cast<FileValueType>(type)
                                                                : kFileValueNone) {}

FileProperty::~FileProperty() = default;

FileProperty::FileProperty(const FileProperty& other)
    : name_(other.name_),
      type_(other.type_),
      flags_(other.flags_),
      integer_(other.integer_),
      unsigned_(other.unsigned_),
      text_(other.text_),
      texts_(other.texts_),
      targets_(other.targets_),
      animation_(other.animation_ ? std::make_unique<CurveNode>(*other.animation_) : nullptr) {
    std::memcpy(numbers_, other.numbers_, sizeof numbers_);
}

int FileProperty::MemberCount() const { return MembersOf(type_); }

bool FileProperty::SetInteger(std::int64_t value) {
    switch (type_) {
        case kFileValueInt:
        case kFileValueEnum:
            if (value < INT_MIN || value > INT_MAX) return false;
            break;
        case kFileValueBool:
        case kFileValueAction:
            if (value != 0 && value != 1) return false;
            break;
        case kFileValueInt64:
        case kFileValueTime:
            break;
        default:
            return false;
    }
    integer_ = value;
    return true;
}

bool FileProperty::GetInteger(std::int64_t* out) const {
    switch (type_) {
        case kFileValueInt:
        case kFileValueEnum:
        case kFileValueBool:
        case kFileValueAction:
        case kFileValueInt64:
        case kFileValueTime:
            if (out) *out = integer_;
            return out != nullptr;
        default:
            return false;
    }
}

bool FileProperty::SetUnsigned(std::uint64_t value) {
    if (type_ != kFileValueUInt64) return false;
    unsigned_ = value;
    return true;
}

bool FileProperty::GetUnsigned(std::uint64_t* out) const {
    if (type_ != kFileValueUInt64 || !out) return false;
    *out = unsigned_;
    return true;
}

namespace {
bool HoldsNumbers(FileValueType type) {
    return type == kFileValueFloat || type == kFileValueDouble || type == kFileValueVector2 ||
           type == kFileValueVector3 || type == kFileValueVector4 || type == kFileValueColor ||
           type == kFileValueColorAlpha || type == kFileValueTimecode;
}
}  // namespace

bool FileProperty::SetNumbers(const double* values, int count) {
    if (!values || !HoldsNumbers(type_) || count != MemberCount()) return false;
    for (int i = 0; i < count; ++i)
        numbers_[i] = type_ == kFileValueFloat ? static_cast<double>(static_cast<float>(values[i]))
                                               : values[i];
    return true;
}

bool FileProperty::GetNumbers(double* out, int count) const {
    if (!out || !HoldsNumbers(type_) || count != MemberCount()) return false;
    for (int i = 0; i < count; ++i) out[i] = numbers_[i];
    return true;
}

bool FileProperty::SetText(std::string text) {
    if (type_ != kFileValueString) return false;
    text_ = std::move(text);
    return true;
}

const std::string* FileProperty::Text() const { return type_ == kFileValueString ? &text_ : nullptr; }

bool FileProperty::SetTexts(std::vector<std::string> texts) {
    if (type_ != kFileValueEnum && type_ != kFileValueStringList) return false;
    texts_ = std::move(texts);
    return true;
}

bool FileProperty::SetTargets(std::vector<ObjectTarget> targets) {
    if (type_ == kFileValueObject) {
        for (const ObjectTarget& t : targets)
            if ((t.id == 0 && t.name.empty()) || !t.property.empty()) return false;
    } else if (type_ == kFileValueReference) {
        if (targets.size() > 1) return false;
        for (const ObjectTarget& t : targets)
            if ((t.id == 0 && t.name.empty()) || t.property.empty()) return false;
    } else {
        return false;
    }
    targets_ = std::move(targets);
    return true;
}

CurveNode* FileProperty::CreateAnimation(int channels) {
    if (channels < 1 || channels > kMaxChannels) return nullptr;
    animation_ = std::make_unique<CurveNode>(name_, channels);
    return animation_.get();
}

void FileProperty::RemoveAnimation() { animation_.reset(); }

bool SameContent(const FileProperty& a, const FileProperty& b) {
    if (a.name_ != b.name_ || a.type_ != b.type_ || a.flags_ != b.flags_ || a.texts_ != b.texts_ ||
        a.targets_ != b.targets_)
        return false;
    // Each value member holds something only for the types that use it (the
    // setters refuse the others), so comparing them all compares the value.
    if (a.integer_ != b.integer_ || a.unsigned_ != b.unsigned_ || a.text_ != b.text_) return false;
    for (int i = 0; i < 4; ++i)
        if (!SameBits(a.numbers_[i], b.numbers_[i])) return false;
    if (!a.animation_ || !b.animation_) return !a.animation_ && !b.animation_;
    return SameContent(*a.animation_, *b.animation_);
}

// ---------------------------------------------------------------------------
// CurveNode

CurveNode::CurveNode(std::string name, int channels) : name_(std::move(name)) {
    if (channels < 1) channels = 1;
    if (channels > kMaxChannels) channels = kMaxChannels;
    channels_.resize(static_cast<std::size_t>(channels));
}

CurveNode::~CurveNode() = default;

CurveNode::CurveNode(const CurveNode& other) : name_(other.name_) {
    channels_.resize(other.channels_.size());
    for (std::size_t i = 0; i < channels_.size(); ++i) {
        channels_[i].value = other.channels_[i].value;
        if (other.channels_[i].curve) channels_[i].curve = other.channels_[i].curve->Clone();
    }
}

bool CurveNode::SetChannelCount(int count) {
    if (count < 1 || count > kMaxChannels) return false;
    channels_.resize(static_cast<std::size_t>(count));
    return true;
}

double CurveNode::ChannelValue(int channel) const {
    return channel >= 0 && channel < ChannelCount() ? channels_[channel].value : 0.0;
}

bool CurveNode::SetChannelValue(int channel, double value) {
    if (channel < 0 || channel >= ChannelCount()) return false;
    channels_[channel].value = value;
    return true;
}

Curve* CurveNode::ChannelCurve(int channel) {
    return channel >= 0 && channel < ChannelCount() ? channels_[channel].curve.get() : nullptr;
}

const Curve* CurveNode::ChannelCurve(int channel) const {
    return channel >= 0 && channel < ChannelCount() ? channels_[channel].curve.get() : nullptr;
}

Curve* CurveNode::CreateCurve(int channel, bool custom) {
    if (channel < 0 || channel >= ChannelCount()) return nullptr;
    if (custom)
        channels_[channel].curve = std::make_unique<CustomCurve>(name_);
    else
        channels_[channel].curve = std::make_unique<Curve>(name_);
    return channels_[channel].curve.get();
}

bool CurveNode::SetCurve(int channel, std::unique_ptr<Curve> curve) {
    if (channel < 0 || channel >= ChannelCount()) return false;
    channels_[channel].curve = std::move(curve);
    return true;
}

bool SameContent(const CurveNode& a, const CurveNode& b) {
    if (a.Name() != b.Name() || a.ChannelCount() != b.ChannelCount()) return false;
    for (int i = 0; i < a.ChannelCount(); ++i) {
        if (!SameBits(a.ChannelValue(i), b.ChannelValue(i))) return false;
        const Curve* x = a.ChannelCurve(i);
        const Curve* y = b.ChannelCurve(i);
        if (!x || !y) {
            if (x || y) return false;
            continue;
        }
        if (!SameContent(*x, *y)) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// FileObject

FileObject::FileObject(std::uint32_t id, std::string className, std::string name)
    : id_(id), className_(std::move(className)), name_(std::move(name)) {}

FileObject::~FileObject() = default;

bool FileObject::SetField(const std::string& name, FieldValue value) {
    if (name.empty()) return false;
    // Readers hand the names over sorted: appending at the end then costs
    // constant time instead of a search.
    if (fields_.empty() || fields_.rbegin()->first < name)
        fields_.emplace_hint(fields_.end(), name, std::move(value));
    else
        fields_[name] = std::move(value);
    return true;
}

const FieldValue* FileObject::Field(const std::string& name) const {
    auto it = fields_.find(name);
    return it == fields_.end() ? nullptr : &it->second;
}

bool FileObject::RemoveField(const std::string& name) { return fields_.erase(name) != 0; }

namespace {
template <class T>
bool ReadAs(const FieldValue* value, T* out) {
    if (!value || !out || !std::holds_alternative<T>(*value)) return false;
    *out = std::get<T>(*value);
    return true;
}
}  // namespace

bool FileObject::GetInteger(const std::string& name, std::int64_t* out) const {
    return ReadAs(Field(name), out);
}

bool FileObject::GetDouble(const std::string& name, double* out) const {
    return ReadAs(Field(name), out);
}

bool FileObject::GetBool(const std::string& name, bool* out) const {
    return ReadAs(Field(name), out);
}

const std::string* FileObject::GetString(const std::string& name) const {
    const FieldValue* value = Field(name);
    return value ? std::get_if<std::string>(value) : nullptr;
}

bool FileObject::GetReference(const std::string& name, std::uint32_t* id) const {
    ObjectRef ref;
    if (!id || !ReadAs(Field(name), &ref)) return false;
    *id = ref.id;
    return true;
}

FileProperty* FileObject::AddProperty(const std::string& name, int type) {
    if (name.empty() || !FileValueTypeName(type)) return nullptr;
    return Adopt(std::make_unique<FileProperty>(name, type));
}

FileProperty* FileObject::Adopt(std::unique_ptr<FileProperty> property) {
    if (!property || property->Name().empty()) return nullptr;
    auto slot = propertiesByName_.emplace(property->Name(), property.get());
    if (!slot.second) return nullptr;
    properties_.push_back(std::move(property));
    return properties_.back().get();
}

FileProperty* FileObject::FindProperty(const std::string& name) {
    auto it = propertiesByName_.find(name);
    return it == propertiesByName_.end() ? nullptr : it->second;
}

const FileProperty* FileObject::FindProperty(const std::string& name) const {
    auto it = propertiesByName_.find(name);
    return it == propertiesByName_.end() ? nullptr : it->second;
}

FileProperty* FileObject::PropertyAt(int i) {
    return i >= 0 && i < PropertyCount() ? properties_[i].get() : nullptr;
}

const FileProperty* FileObject::PropertyAt(int i) const {
    return i >= 0 && i < PropertyCount() ? properties_[i].get() : nullptr;
}

// ---------------------------------------------------------------------------
// Document

Document::Document() = default;
Document::~Document() = default;
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;

FileObject* Document::AddObject(const std::string& className, const std::string& name) {
    // Ids are handed out upward; after an explicit id the next free one above
    // the highest is used, so ids never repeat.
    while (nextId_ <= kMaxObjectId && byId_.count(nextId_)) ++nextId_;
    if (nextId_ > kMaxObjectId) return nullptr;
    return AddObjectWithId(nextId_, className, name);
}

FileObject* Document::AddObjectWithId(std::uint32_t id, const std::string& className,
                                      const std::string& name) {
    if (id == 0 || id > kMaxObjectId || byId_.count(id) || className.empty() || name.empty() ||
        byName_.count(name))
        return nullptr;
    return Adopt(std::make_unique<FileObject>(id, className, name));
}

FileObject* Document::Adopt(std::unique_ptr<FileObject> object) {
    const std::uint32_t id = object->Id();
    if (id == 0 || id > kMaxObjectId || object->ClassName().empty() || object->Name().empty() ||
        byId_.count(id) || byName_.count(object->Name()))
        return nullptr;
    objects_.push_back(std::move(object));
    FileObject* added = objects_.back().get();
    byId_[id] = added;
    byName_[added->Name()] = added;
    if (id >= nextId_) nextId_ = id + 1;
    return added;
}

FileObject* Document::ObjectAt(int i) {
    return i >= 0 && i < ObjectCount() ? objects_[i].get() : nullptr;
}

const FileObject* Document::ObjectAt(int i) const {
    return i >= 0 && i < ObjectCount() ? objects_[i].get() : nullptr;
}

FileObject* Document::FindObject(std::uint32_t id) {
    auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : it->second;
}

const FileObject* Document::FindObject(std::uint32_t id) const {
    auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : it->second;
}

FileObject* Document::FindObject(const std::string& name) {
    auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : it->second;
}

const FileObject* Document::FindObject(const std::string& name) const {
    auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : it->second;
}

void Document::Clear() {
    byId_.clear();
    byName_.clear();
    objects_.clear();
    nextId_ = 1;
}

bool SameContent(const Document& a, const Document& b) {
    if (a.ObjectCount() != b.ObjectCount()) return false;
    for (int i = 0; i < a.ObjectCount(); ++i) {
        const FileObject& x = *a.ObjectAt(i);
        const FileObject& y = *b.ObjectAt(i);
        if (x.Id() != y.Id() || x.ClassName() != y.ClassName() || x.Name() != y.Name() ||
            x.Fields().size() != y.Fields().size() || x.PropertyCount() != y.PropertyCount())
            return false;
        auto fy = y.Fields().begin();
        for (const auto& fx : x.Fields()) {
            if (fx.first != fy->first || !SameField(fx.second, fy->second)) return false;
            ++fy;
        }
        for (int p = 0; p < x.PropertyCount(); ++p)
            if (!SameContent(*x.PropertyAt(p), *y.PropertyAt(p))) return false;
    }
    return true;
}

}  // namespace dsx
}  // namespace velora
