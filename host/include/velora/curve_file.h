#ifndef VELORA_CURVE_FILE_H
#define VELORA_CURVE_FILE_H

// Between the host's curves, animation nodes and properties and the
// scene-file library's curves, curve nodes and file properties.
//
// Keys. A file key is the host key: the same time, the same flags word, the
// value as a double (a host value is a float, so it comes back exact), and
// the host key's six tangent values laid out as the file keeps them (a key's
// right side, then the next key's left side; the last key's "next" is the
// first key, so every side of every key is kept), plus tension, continuity
// and bias. Editor marks (selected, marked) are not stored.
//
// Custom tangents. A custom key's tangent type is a host name (see
// CustomTangents). Written to a custom file curve, each custom key goes as a
// linear key, with its index and tangent name added to the curve's two
// comma-separated lists; read back, each key named there becomes custom
// again with the type of that name, when the reading host knows the name
// (unknown names leave the key as the file has it). A key whose
// interpolation has the custom bit beside another is made that other kind
// (constant before linear before cubic) with its tangent data kept.
//
// Locks and mutes. A host property keeps its member lock bits in 0xF000 and
// mute bits in 0xF0000 of its flags; a file property keeps the same bits
// five places lower (0x780, 0x7800). The "locked" copies leave alone every
// member whose bit (0x1000 << member) is set in the lock mask they are given.
//
// A null pointer on either side makes every function return without
// changing anything.

#include <vector>

#include "velora/export.h"
#include "velora/scene_file.h"

namespace velora {

class AnimationNode;
class DataType;
class FCurve;
class Property;

// Host to file.

/// Extrapolation, custom tangents (for a custom file curve), then the keys
/// and, with `copyDefault`, the default value. The host curve is not
/// changed.
VELORA_API void CopyAnimCurve(dsx::Curve* file, const FCurve* curve, bool copyDefault);
/// The keys and, with `copyDefault`, the default value.
VELORA_API void CopyFCurve(dsx::Curve* file, const FCurve* curve, bool copyDefault);
/// Channel by channel (one per member node, or channel 0 for a node with
/// its own curve): a curve with keys goes into the file node's curve of
/// that channel (the one there with `reuse`, else a new one named after the
/// file node, custom when the host curve has custom keys); every channel
/// takes its curve's default value. Channels are added as needed.
VELORA_API void CopyFCurveNode(dsx::CurveNode* file, const AnimationNode* node, bool reuse, bool unused = false);
/// Writes the property's value into a file property of its file type
/// (texts go through a 1,024-byte buffer); other types are left alone.
VELORA_API void CopyPropertyValue(dsx::FileProperty* file, const Property* property);
VELORA_API void CopyPropertyLockedStatus(dsx::FileProperty* file, const Property* property);
VELORA_API void CopyPropertyMutedStatus(dsx::FileProperty* file, const Property* property);

// File to host.

/// From the file node's curve of `channel`: extrapolation (announced to the
/// curve's listeners), the keys and the file curve's default (with
/// `useChannelDefault` the channel's value instead), then the custom
/// tangents and the normalising of mixed custom keys. A custom key named
/// in the file keeps the mode byte it was written with when that byte goes
/// by the same name, so a curve comes back exactly as it was saved.
VELORA_API void CopyAnimCurve(FCurve* curve, const dsx::CurveNode* file, int channel, bool useChannelDefault);
/// Channel by channel into the node's curves; a channel without a curve
/// sets the default value (0 for a channel the file does not have).
VELORA_API void CopyFCurveNode(AnimationNode* node, const dsx::CurveNode* file, bool unused = false);
/// The same, leaving locked channels alone; a channel without a file curve
/// loses its keys and takes the channel's value as default. The property's
/// own lock bits are lifted during the copy and put back after.
VELORA_API void CopyLockedFCurveNode(AnimationNode* node, const dsx::CurveNode* file, bool unused,
                                     Property* property, int lockMask);
/// The file property's value (double, float or vector) as the unlocked
/// channels' default values, their keys removed.
VELORA_API void CopyPropertyValueToLockedFCurveNode(AnimationNode* node, const dsx::FileProperty* file,
                                                    Property* property, int lockMask);
VELORA_API void CopyPropertyValue(Property* property, const dsx::FileProperty* file);
/// With `honourLocks`, locked members keep their value.
VELORA_API void CopyLockedPropertyValue(Property* property, const dsx::FileProperty* file, bool honourLocks);
VELORA_API void CopyPropertyLockedStatus(Property* property, const dsx::FileProperty* file);
VELORA_API void CopyPropertyMutedStatus(Property* property, const dsx::FileProperty* file);
/// The union of the property's lock bits and the file's.
VELORA_API void CombinePropertyLockedStatus(Property* property, const dsx::FileProperty* file);
/// Appends the host data type of file value type `fileType` (below 24)
/// unless the list has it.
VELORA_API void ConvertBlendBypass(int fileType, std::vector<const DataType*>* types);

// The scene's storage of animated properties.

/// An animated property's animation (one channel per member) into its file
/// property; false when it is not animated. (The property's value, flags,
/// locks and mutes are the object storage's.)
VELORA_API bool StorePropertyAnimation(dsx::FileProperty* file, const Property* property);
/// A file property's animation into the host property, which becomes
/// animated; false when it has none.
VELORA_API bool RetrievePropertyAnimation(Property* property, const dsx::FileProperty* file);

}  // namespace velora

#endif  // VELORA_CURVE_FILE_H
