// Curves, animation nodes and property values and states between the host
// and the scene-file library.

#include "velora/curve_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "velora/animation.h"
#include "velora/take.h"
#include "velora/data_type.h"
#include "velora/fcurve.h"
#include "velora/property.h"
#include "velora/scene_storage.h"

namespace velora {

namespace {

constexpr std::uint32_t kLockBits = kPropertyLockAll;      // 0xF000
constexpr std::uint32_t kMuteBits = kPropertyMuteAll;      // 0xF0000
constexpr int kFileShift = 5;                              // file bits: five places lower
static_assert((kLockBits >> kFileShift) == dsx::kFilePropertyLockMask, "lock bits");
static_assert((kMuteBits >> kFileShift) == dsx::kFilePropertyMuteMask, "mute bits");

// The host key's sides as the file lays them out: key i's right side, then
// key i+1's left side (key 0's after the last key).
void KeysToFile(const FCurve& curve, dsx::Curve* file) {
    const int n = curve.KeyCount();
    std::vector<dsx::CurveKey>& keys = file->Keys();
    keys.assign(static_cast<std::size_t>(n), dsx::CurveKey());
    for (int i = 0; i < n; ++i) {
        const FCurveKey& k = curve.KeyAt(i);
        const FCurveKey& next = curve.KeyAt(i + 1 < n ? i + 1 : 0);
        dsx::CurveKey& f = keys[static_cast<std::size_t>(i)];
        f.time = k.time;
        f.value = k.value;
        f.flags = k.flags;
        const float data[6] = {k.rightDerivative, next.leftDerivative, k.rightWeight,
                               next.leftWeight,   k.rightVelocity,     next.leftVelocity};
        for (int d = 0; d < 6; ++d) f.data[d] = data[d];
        f.tcb[0] = k.tension;
        f.tcb[1] = k.continuity;
        f.tcb[2] = k.bias;
    }
}

void KeysFromFile(const dsx::Curve& file, std::vector<FCurveKey>* out) {
    const std::vector<dsx::CurveKey>& keys = file.Keys();
    const std::size_t n = keys.size();
    out->assign(n, FCurveKey());
    for (std::size_t i = 0; i < n; ++i) {
        const dsx::CurveKey& f = keys[i];
        const dsx::CurveKey& before = keys[i > 0 ? i - 1 : n - 1];
        FCurveKey& k = (*out)[i];
        k.time = f.time;
        k.value = static_cast<float>(f.value);
        k.flags = f.flags & kKeyFlagsMask;
        k.rightDerivative = static_cast<float>(f.data[0]);
        k.rightWeight = static_cast<float>(f.data[2]);
        k.rightVelocity = static_cast<float>(f.data[4]);
        k.leftDerivative = static_cast<float>(before.data[1]);
        k.leftWeight = static_cast<float>(before.data[3]);
        k.leftVelocity = static_cast<float>(before.data[5]);
        k.tension = static_cast<float>(f.tcb[0]);
        k.continuity = static_cast<float>(f.tcb[1]);
        k.bias = static_cast<float>(f.tcb[2]);
    }
}

bool IsCustom(std::uint32_t flags) { return (flags & kKeyInterpolationMask) == kKeyCustom; }

// The file name of a custom key's tangent type: the names are numbered by
// the mode bits (0x200 the second, 0x400 the third, any other the first).
const char* CustomName(std::uint32_t flags) {
    const std::uint32_t mode = flags & kKeyModeMask;
    if (mode == kCustomTangent1) return CustomTangents::Name(kCustomTangent1);
    if (mode == kCustomTangent2) return CustomTangents::Name(kCustomTangent2);
    return CustomTangents::Name(kCustomTangent0);
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> parts;
    if (text.empty()) return parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) return parts;
        start = comma + 1;
    }
}

bool ParseIndex(const std::string& text, int* out) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    *out = std::atoi(text.c_str());
    return true;
}

bool HasCustomKey(const FCurve& curve) {
    for (int i = 0; i < curve.KeyCount(); ++i)
        if (IsCustom(curve.KeyAt(i).flags)) return true;
    return false;
}

// The file node's channels cover `count`.
void EnsureChannels(dsx::CurveNode* file, int count) {
    if (file->ChannelCount() < count) file->SetChannelCount(count);
}

FCurve* ChannelCurveOf(AnimationNode* node, int channel) {
    return node->ChildCount() > 0 ? node->Curve(channel) : (channel == 0 ? node->Curve(0) : nullptr);
}

// A channel without a file curve: no keys, the channel's value as default.
void ClearToDefault(FCurve* curve, const dsx::CurveNode* file, int channel) {
    CurveState state;
    curve->SaveState(&state);
    state.keys.clear();
    state.defaultValue = channel < file->ChannelCount() ? file->ChannelValue(channel) : 0.0;
    curve->RestoreState(state);
}

// The member count a channel copy covers: one per member node, or the
// node's own curve.
int ChannelsOf(const AnimationNode* node) { return node->ChildCount() > 0 ? node->ChildCount() : 1; }

}  // namespace

// ---------------------------------------------------------------------------
// Host to file

void CopyFCurve(dsx::Curve* file, const FCurve* curve, bool copyDefault) {
    if (!file || !curve) return;
    KeysToFile(*curve, file);
    if (copyDefault) file->SetDefaultValue(curve->DefaultValue());
}

void CopyAnimCurve(dsx::Curve* file, const FCurve* curve, bool copyDefault) {
    if (!file || !curve) return;
    file->PreExtrapolation() = {curve->PreExtrapolation(), curve->PreExtrapolationCount()};
    file->PostExtrapolation() = {curve->PostExtrapolation(), curve->PostExtrapolationCount()};
    CopyFCurve(file, curve, copyDefault);
    if (!file->IsA(dsx::kFileClassCustomCurve)) return;
    // Custom keys go as plain linear keys, their tangents named beside.
    std::string indices, names;
    for (int i = 0; i < curve->KeyCount(); ++i) {
        const std::uint32_t flags = curve->KeyAt(i).flags;
        if (!IsCustom(flags)) continue;
        if (!indices.empty()) {
            indices += ',';
            names += ',';
        }
        indices += std::to_string(i);
        names += CustomName(flags);
        dsx::CurveKey& key = file->Keys()[static_cast<std::size_t>(i)];
        key.flags = (key.flags & ~kKeyInterpolationMask) | kKeyLinear;
    }
    auto* custom = static_cast<dsx::CustomCurve*>(file);
    custom->KeyIndexList().SetText(indices);
    custom->TangentNameList().SetText(names);
}

void CopyFCurveNode(dsx::CurveNode* file, const AnimationNode* node, bool reuse, bool) {
    if (!file || !node) return;
    const int channels = ChannelsOf(node);
    EnsureChannels(file, channels);
    for (int i = 0; i < channels; ++i) {
        const FCurve* curve = ChannelCurveOf(const_cast<AnimationNode*>(node), i);
        if (!curve) continue;
        if (curve->KeyCount() > 0) {
            dsx::Curve* target = reuse ? file->ChannelCurve(i) : nullptr;
            if (!target) target = file->CreateCurve(i, HasCustomKey(*curve));
            CopyAnimCurve(target, curve, true);
        }
        file->SetChannelValue(i, static_cast<float>(curve->DefaultValue()));
    }
}

void CopyPropertyValue(dsx::FileProperty* file, const Property* property) {
    if (!file || !property || file->Type() != property->Type()->FileType()) return;
    if (property->TypeId() == kDataString) {
        // Texts go through their text form, as long as a buffer holds.
        char buffer[1024];
        if (property->Format(buffer, sizeof buffer) >= 0) file->SetText(buffer);
        return;
    }
    alignas(8) unsigned char raw[4 * sizeof(double)];
    if (property->GetRaw(raw, property->Type()->ValueSize())) dsx::StoreRawValue(property->TypeId(), raw, *file);
}

void CopyPropertyLockedStatus(dsx::FileProperty* file, const Property* property) {
    if (!file || !property) return;
    const std::uint32_t bits = (property->Flags() & kLockBits) >> kFileShift;
    if (bits == file->LockBits()) return;
    file->SetFlags((file->Flags() & ~dsx::kFilePropertyLockMask) | bits);
}

void CopyPropertyMutedStatus(dsx::FileProperty* file, const Property* property) {
    if (!file || !property) return;
    const std::uint32_t bits = (property->Flags() & kMuteBits) >> kFileShift;
    if (bits == file->MuteBits()) return;
    file->SetFlags((file->Flags() & ~dsx::kFilePropertyMuteMask) | bits);
}

// ---------------------------------------------------------------------------
// File to host

void CopyAnimCurve(FCurve* curve, const dsx::CurveNode* file, int channel, bool useChannelDefault) {
    const dsx::Curve* source = file ? file->ChannelCurve(channel) : nullptr;
    if (!curve || !source) return;
    // Extrapolation through the setters, which tell the curve's listeners.
    const bool locked = curve->IsLocked();
    curve->SetLocked(false);
    curve->SetPreExtrapolation(source->PreExtrapolation().mode);
    curve->SetPreExtrapolationCount(source->PreExtrapolation().count);
    curve->SetPostExtrapolation(source->PostExtrapolation().mode);
    curve->SetPostExtrapolationCount(source->PostExtrapolation().count);
    curve->SetLocked(locked);
    CurveState state;
    curve->SaveState(&state);
    KeysFromFile(*source, &state.keys);
    state.defaultValue = useChannelDefault ? file->ChannelValue(channel) : source->DefaultValue();
    if (source->IsA(dsx::kFileClassCustomCurve) && CustomTangents::Count() > 0) {
        const auto* custom = static_cast<const dsx::CustomCurve*>(source);
        const std::vector<std::string> indices = Split(*custom->KeyIndexList().Text());
        const std::vector<std::string> names = Split(*custom->TangentNameList().Text());
        for (std::size_t i = 0; i < indices.size() && i < names.size(); ++i) {
            const int mode = CustomTangents::Find(names[i].c_str());
            int at = -1;
            if (mode < 0 || !ParseIndex(indices[i], &at) || at >= static_cast<int>(state.keys.size())) continue;
            std::uint32_t& flags = state.keys[static_cast<std::size_t>(at)].flags;
            // The key kept its mode byte in the file: when that byte goes
            // by the same name it stays as it was, bit for bit.
            const bool same = std::strcmp(CustomName(flags), names[i].c_str()) == 0;
            const std::uint32_t bits = same ? flags & kKeyModeMask : static_cast<std::uint32_t>(mode);
            flags = (flags & ~(kKeyInterpolationMask | kKeyModeMask)) | kKeyCustom | bits;
        }
    }
    // A custom bit beside another kind: that other kind, tangent data kept.
    for (FCurveKey& key : state.keys) {
        const std::uint32_t i = key.flags & kKeyInterpolationMask;
        if (!(i & kKeyCustom) || i == kKeyCustom) continue;
        const std::uint32_t kind = (i & kKeyConstant) ? kKeyConstant : (i & kKeyLinear) ? kKeyLinear : kKeyCubic;
        key.flags = (key.flags & ~kKeyInterpolationMask) | kind;
    }
    curve->RestoreState(state);
}

void CopyFCurveNode(AnimationNode* node, const dsx::CurveNode* file, bool) {
    if (!node || !file) return;
    for (int i = 0; i < ChannelsOf(node); ++i) {
        FCurve* curve = ChannelCurveOf(node, i);
        if (!curve) continue;
        if (i < file->ChannelCount() && file->ChannelCurve(i)) {
            CopyAnimCurve(curve, file, i, true);
        } else {
            CurveState state;
            curve->SaveState(&state);
            state.defaultValue = i < file->ChannelCount() ? file->ChannelValue(i) : 0.0;
            curve->RestoreState(state);
        }
    }
}

void CopyLockedFCurveNode(AnimationNode* node, const dsx::CurveNode* file, bool, Property* property,
                          int lockMask) {
    if (!node || !file) return;
    const std::uint32_t mask = static_cast<std::uint32_t>(lockMask);
    const std::uint32_t held = property ? property->Flags() & kLockBits : 0;
    if (property) property->ModifyFlag(kLockBits, false);
    if (node->ChildCount() > 0) {
        for (int i = 0; i < file->ChannelCount() && i < node->ChildCount(); ++i) {
            if (mask & (kPropertyLockMember0 << i)) continue;
            FCurve* curve = node->Curve(i);
            if (!curve) continue;
            if (file->ChannelCurve(i)) CopyAnimCurve(curve, file, i, true);
            else ClearToDefault(curve, file, i);
        }
    } else if ((mask & kLockBits) != kLockBits) {
        if (FCurve* curve = node->Curve(0)) {
            if (file->ChannelCurve(0)) CopyAnimCurve(curve, file, 0, true);
            else ClearToDefault(curve, file, 0);
        }
    }
    if (property) property->ModifyFlag(held, true);
}

void CopyPropertyValueToLockedFCurveNode(AnimationNode* node, const dsx::FileProperty* file,
                                         Property* property, int lockMask) {
    if (!node || !file) return;
    switch (file->Type()) {
        case dsx::kFileValueDouble:
        case dsx::kFileValueFloat:
        case dsx::kFileValueVector2:
        case dsx::kFileValueVector3:
        case dsx::kFileValueVector4:
            break;
        default:
            return;
    }
    double values[4] = {};
    if (!file->GetNumbers(values, file->MemberCount())) return;
    dsx::CurveNode channels(file->Name(), file->MemberCount());
    for (int i = 0; i < file->MemberCount(); ++i) channels.SetChannelValue(i, values[i]);
    CopyLockedFCurveNode(node, &channels, false, property, lockMask);
}

void CopyPropertyValue(Property* property, const dsx::FileProperty* file) {
    if (!property || !file) return;
    alignas(8) unsigned char raw[4 * sizeof(double)];
    const std::size_t size = property->Type()->ValueSize();
    if (size <= sizeof raw && dsx::RetrieveRawValue(*file, property->TypeId(), raw, size))
        property->SetRaw(raw, size);
}

void CopyLockedPropertyValue(Property* property, const dsx::FileProperty* file, bool honourLocks) {
    if (!property || !file) return;
    // The host keeps locked members as they are on every write.
    if (honourLocks) {
        CopyPropertyValue(property, file);
        return;
    }
    const std::uint32_t held = property->Flags() & kLockBits;
    property->ModifyFlag(kLockBits, false);
    CopyPropertyValue(property, file);
    property->ModifyFlag(held, true);
}

void CopyPropertyLockedStatus(Property* property, const dsx::FileProperty* file) {
    if (!property || !file || !property->Definition().AllowsLocking()) return;
    const std::uint32_t bits = file->LockBits() << kFileShift;
    property->ModifyFlag(kLockBits & ~bits, false);
    property->ModifyFlag(bits, true);
}

void CopyPropertyMutedStatus(Property* property, const dsx::FileProperty* file) {
    if (!property || !file || !AllowsMuting(property)) return;
    const std::uint32_t bits = file->MuteBits() << kFileShift;
    property->ModifyFlag(kMuteBits & ~bits, false);
    property->ModifyFlag(bits, true);
}

void CombinePropertyLockedStatus(Property* property, const dsx::FileProperty* file) {
    if (!property || !file || !property->Definition().AllowsLocking()) return;
    property->ModifyFlag(file->LockBits() << kFileShift, true);
}

// ---------------------------------------------------------------------------
// Animated properties in a scene

bool StorePropertyAnimation(dsx::FileProperty* file, const Property* property) {
    if (!file || !property) return false;
    const AnimationNode* node =
        property->HasFlag(kPropertyAnimated) ? PropertyAnimationNode(property) : nullptr;
    // Animation kept per take is stored by its take (velora/take.h).
    if (!node || node->Layer()) return false;
    CopyFCurveNode(file->CreateAnimation(node->Channels()), node, false);
    return true;
}

bool RetrievePropertyAnimation(Property* property, const dsx::FileProperty* file) {
    if (!property || !file || !file->Animation()) return false;
    // A file that keeps a property's curves with the property itself (one
    // without takes) gives them to the current take's base layer.
    AnimationNode* node = nullptr;
    if (AnimatedPerTake(property))
        node = EnsureLayerNode(property, CurrentTake(true)->BaseLayer());
    else if (SetPropertyAnimated(property, true))
        node = PropertyAnimationNode(property);
    if (!node) return false;
    CopyFCurveNode(node, file->Animation());
    return true;
}

// ---------------------------------------------------------------------------
// Value types

void ConvertBlendBypass(int fileType, std::vector<const DataType*>* types) {
    if (!types || fileType < 0 || fileType >= 24) return;
    const DataType* type = DataType::FromFileType(fileType);
    if (!type) return;
    for (const DataType* known : *types)
        if (known == type) return;
    types->push_back(type);
}

}  // namespace velora
