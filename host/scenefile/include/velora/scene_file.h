#ifndef VELORA_SCENE_FILE_H
#define VELORA_SCENE_FILE_H

// The host's scene-file library: the document model of a ".dsx" scene, its
// two encodings, and saving and loading whole files.
//
// Document model
//   A Document is a list of file objects. Each FileObject has
//     - an id (1 .. 2^31-1, unique in the document): what references use;
//     - a class name (the host class it was stored from) and a name (unique
//       in the document; the host stores full names such as "Model::Cube");
//     - named fields, kept sorted by name: integer (64-bit), double, bool,
//       string, object reference (an id; 0 is the null reference), and
//       arrays of integers, doubles and strings;
//     - file properties in creation order (FileProperty): a value type, a
//       flags word with per-channel lock and mute bits, a typed value and,
//       when animated, a curve node.
//   A CurveNode has 1 to kMaxChannels channels; each channel has a value
//   (its default) and an optional Curve. A Curve has extrapolation before
//   and after its keys, a default value and keys sorted by strictly
//   increasing time. A CustomCurve is a Curve that also carries two string
//   properties, the key-index list and the tangent-name list, so that keys
//   whose tangents only one host knows by name survive a trip through the
//   file as plain keys plus those names.
//
// Encodings (format "velora-dsx", version kFormatVersion)
//   Both encodings carry the same tree, built with nlohmann-json:
//     {"format": "velora-dsx", "version": 1, "objects": [ ... ]}
//   The text form is UTF-8 JSON, indented for objects and with arrays of
//   plain values on one line, so that one curve key is one line and a diff
//   of two saves reads naturally. The binary form is the same tree in CBOR
//   (RFC 8949) after the three-byte CBOR self-description tag D9 D9 F7,
//   which is how a reader tells the two apart. The binary form exists for
//   large animation: with 100,000 plotted cubic keys it takes 69 bytes a key
//   instead of 128 and encodes and decodes twice as fast, and the scene-file
//   options already have a text/binary switch (file format 1 means text). It
//   costs nothing to keep in step with the text form because it is the same
//   tree, read by the same code.
//   Doubles survive both forms bit for bit: finite values are written in
//   the shortest form that reads back to the same bits (-0.0 included);
//   infinities are the strings "inf" and "-inf"; a NaN is the string
//   "nan(0x<16 hex digits>)" holding its exact bits. Integers are exact
//   64-bit values.
//   The tree layout, member by member, is in docs/scene-file-format.md.
//
// Validation
//   Decoding checks every member: its presence, its JSON type, its range,
//   unknown and repeated members, the uniqueness of ids and names, that
//   every reference names an object of the document, that key times
//   increase, that strings are UTF-8 without NUL bytes, the nesting depth
//   and the file size. Anything else is refused with a message that says
//   where ("objects[2].properties[0].value: expected 3 numbers"). Encoding
//   runs the same checks first, so a document that saves always loads
//   again. Nothing here throws.
//
// Saving
//   SaveDocument writes a temporary file in the target's directory, flushes
//   and fsyncs it, then renames it over the target (and fsyncs the
//   directory). A save that fails removes the temporary and leaves the
//   previous file as it was, and the message carries the system's reason
//   ("No space left on device"); a process killed half-way leaves the
//   previous file intact and, at worst, a stale ".<name>.tmp-<pid>-XXXXXX"
//   beside it, which the next save of that file removes once the process is
//   gone. A save through a symbolic link replaces the file that the link
//   names. Only a regular file (or no file) is replaced: a directory, a
//   device, a FIFO or a socket is refused and left as it is.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "velora/key_flags.h"
#include "velora/scenefile_export.h"

namespace velora {
namespace dsx {

/// The name and version written at the top of every file. A reader refuses
/// other names and versions outside kOldestFormatVersion..kFormatVersion.
/// Version 2 added the value types from kFileValueColor on, the enumeration
/// texts of enum properties, and dropped the parallel list of host type
/// names; a version-1 file is a valid version-2 file.
constexpr const char* kFormatName = "velora-dsx";
constexpr int kFormatVersion = 2;
constexpr int kOldestFormatVersion = 1;

/// Files larger than this are refused before they are read.
constexpr std::size_t kMaxFileBytes = std::size_t(1) << 30;
/// What reading a file may cost beyond its own bytes, as a multiple of its
/// size (plus kReadAllowanceBytes), so that the bytes and the document they
/// become take at most about 8 times the file's size together. The reader
/// builds the document straight from the parser's events, with no tree in
/// between, and charges each part before it makes it; a file whose document
/// would need more is refused. A scene of animated models needs 2 to 3 times
/// its size in all; a hostile file (millions of one-byte numbers, each an
/// 8-byte value) is refused long before memory runs out.
constexpr std::size_t kReadBudgetFactor = 7;
constexpr std::size_t kReadAllowanceBytes = std::size_t(1) << 20;
/// Deepest nesting of arrays and objects a reader accepts; the format itself
/// needs 11 (down to one curve key).
constexpr int kMaxDepth = 32;
/// Most channels of one curve node.
constexpr int kMaxChannels = 16;
/// Largest object id.
constexpr std::uint32_t kMaxObjectId = 0x7fffffffu;

/// The two encodings. The values are those of the scene-file options'
/// "file format" setting, where 1 means text.
enum class Encoding : int { kBinary = 0, kText = 1 };

// ---------------------------------------------------------------------------
// Curves

/// What a curve does before its first and after its last key.
enum Extrapolation : int {
    kExtrapolationConstant = 0,
    kExtrapolationRepetition = 1,
    kExtrapolationMirror = 2,
    kExtrapolationKeepSlope = 3,
    kExtrapolationRelativeRepetition = 4,
    kExtrapolationCount
};

/// Library-level class ids of the curve classes, for kind tests without the
/// language's run-time type information.
enum FileClass : int {
    kFileClassCurve = 1,
    kFileClassCustomCurve = 2,
};

/// One key. `time` is in host ticks. `flags` is the key's flags word as the
/// host keeps it (velora/key_flags.h): interpolation, mode byte, weight and
/// velocity bits, nothing else. `data` holds the six tangent values in the
/// host's order: right slope, next left slope, right weight, next left
/// weight, right velocity, next left velocity; the last key's "next" values
/// are the first key's left values (the key that follows it when the curve
/// repeats), so every key's two sides are kept. `tcb` holds tension,
/// continuity and bias.
struct CurveKey {
    std::int64_t time = 0;
    double value = 0.0;
    std::uint32_t flags = kKeyCubic;
    double data[6] = {};
    double tcb[3] = {};
};

struct ExtrapolationSetting {
    int mode = kExtrapolationConstant;
    int count = 0;  ///< repetitions; 0 means without end
};

class CurveNode;
class FileProperty;
/// The scene-file reader: it builds properties, objects and documents in
/// place as it reads them (scene_file_reader.cpp).
class DocumentReader;

class VELORA_DSX_API Curve {
public:
    explicit Curve(std::string name = std::string());
    virtual ~Curve();
    Curve(const Curve&) = default;
    Curve& operator=(const Curve&) = delete;

    virtual int ClassId() const { return kFileClassCurve; }
    /// True when this curve's class is `classId` or derives from it.
    virtual bool IsA(int classId) const { return classId == kFileClassCurve; }
    virtual std::unique_ptr<Curve> Clone() const;

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    double DefaultValue() const { return default_; }
    void SetDefaultValue(double value) { default_ = value; }

    ExtrapolationSetting& PreExtrapolation() { return pre_; }
    const ExtrapolationSetting& PreExtrapolation() const { return pre_; }
    ExtrapolationSetting& PostExtrapolation() { return post_; }
    const ExtrapolationSetting& PostExtrapolation() const { return post_; }

    /// The keys, edited in place; a document holding keys whose times do not
    /// strictly increase is refused when it is saved.
    std::vector<CurveKey>& Keys() { return keys_; }
    const std::vector<CurveKey>& Keys() const { return keys_; }

private:
    std::string name_;
    double default_ = 0.0;
    ExtrapolationSetting pre_;
    ExtrapolationSetting post_;
    std::vector<CurveKey> keys_;
};

// ---------------------------------------------------------------------------
// File properties

/// Value types of file properties. The numbers are stored in files and stay
/// below 24. Each host data type has its own file type, so a property comes
/// back with the type it was stored with (a colour stays a colour).
enum FileValueType : int {
    kFileValueNone = 0,  ///< not a valid property type
    kFileValueInt = 1,
    kFileValueInt64 = 2,
    kFileValueUInt64 = 3,
    kFileValueBool = 4,
    kFileValueFloat = 5,
    kFileValueDouble = 6,
    kFileValueString = 7,
    kFileValueEnum = 8,
    kFileValueTime = 9,  ///< host ticks
    kFileValueVector2 = 10,
    kFileValueVector3 = 11,
    kFileValueVector4 = 12,
    kFileValueColor = 13,       ///< three doubles
    kFileValueColorAlpha = 14,  ///< four doubles
    kFileValueAction = 15,      ///< a bool
    kFileValueTimecode = 16,    ///< three doubles: raw frame, raw second, rate
    kFileValueStringList = 17,  ///< texts (Texts())
    kFileValueObject = 18,      ///< connected objects (Targets())
    kFileValueReference = 19,   ///< one property of one object, or none (Targets())
    kFileValueEvent = 20,       ///< no value
    kFileValueTypeCount
};

/// An object a property value names: an object of the same document (id),
/// or, with id 0, an object outside the file by its full name, which the
/// reading host looks up. A reference value also names the property.
struct ObjectTarget {
    std::uint32_t id = 0;
    std::string name;
    std::string property;
    bool operator==(const ObjectTarget& o) const {
        return id == o.id && name == o.name && property == o.property;
    }
};

/// The name of a value type in the text form ("vector3"), or null.
VELORA_DSX_API const char* FileValueTypeName(int type);
/// The type called `name`, or kFileValueNone.
VELORA_DSX_API FileValueType FileValueTypeFromName(const std::string& name);

/// Bits of a file property's flags word. The lock and mute bits are the
/// host's per-channel bits five places lower: channel i is locked by
/// 0x80 << i and muted by 0x800 << i.
enum FilePropertyFlag : std::uint32_t {
    kFilePropertyAnimatable = 0x1,
    kFilePropertyUser = 0x2,
    kFilePropertyReadOnly = 0x4,
    kFilePropertyDisabled = 0x8,
    /// A value that the object's extension serves itself (its own get and
    /// set functions): the extension stores and retrieves it, the host
    /// part leaves it alone.
    kFilePropertyServed = 0x10,
    kFilePropertyLockMask = 0x780,
    kFilePropertyMuteMask = 0x7800,
    kFilePropertyKnownFlags = 0x7F9F,  ///< any other bit is refused
};

class VELORA_DSX_API FileProperty {
public:
    /// A property of `type`; an invalid type makes a property of type
    /// kFileValueNone, which a document refuses to save.
    FileProperty(std::string name, int type);
    ~FileProperty();
    FileProperty(const FileProperty& other);
    FileProperty& operator=(const FileProperty&) = delete;

    const std::string& Name() const { return name_; }
    FileValueType Type() const { return type_; }
    /// 1 for scalars and strings, 2..4 for vectors.
    int MemberCount() const;

    std::uint32_t Flags() const { return flags_; }
    void SetFlags(std::uint32_t flags) { flags_ = flags; }
    std::uint32_t LockBits() const { return flags_ & kFilePropertyLockMask; }
    std::uint32_t MuteBits() const { return flags_ & kFilePropertyMuteMask; }

    // Values. Each setter accepts only the types named and answers false,
    // changing nothing, for the others or for a value out of the type's
    // range; each getter answers false, leaving `out`, for the others.
    /// Int and Enum (32-bit range), Int64, Time, Bool (0 or 1).
    bool SetInteger(std::int64_t value);
    bool GetInteger(std::int64_t* out) const;
    /// UInt64.
    bool SetUnsigned(std::uint64_t value);
    bool GetUnsigned(std::uint64_t* out) const;
    /// Double, Float (rounded to single precision) and the vectors, which
    /// take exactly MemberCount() values.
    bool SetNumbers(const double* values, int count);
    bool GetNumbers(double* out, int count) const;
    /// Shortcuts over SetNumbers/GetNumbers for one value.
    bool SetNumber(double value) { return SetNumbers(&value, 1); }
    bool GetNumber(double* out) const { return GetNumbers(out, 1); }
    /// String.
    bool SetText(std::string text);
    const std::string* Text() const;
    /// Enum (the enumeration texts, optional) and StringList (the items).
    bool SetTexts(std::vector<std::string> texts);
    const std::vector<std::string>& Texts() const { return texts_; }
    /// Object (any number of targets) and Reference (none, or one target
    /// with a property name). Targets with id 0 need a name.
    bool SetTargets(std::vector<ObjectTarget> targets);
    const std::vector<ObjectTarget>& Targets() const { return targets_; }

    /// The curve node that animates the property, or null.
    CurveNode* Animation() { return animation_.get(); }
    const CurveNode* Animation() const { return animation_.get(); }
    /// A new curve node with `channels` channels (named after the property)
    /// replacing any previous one; null for a channel count outside
    /// 1..kMaxChannels.
    CurveNode* CreateAnimation(int channels);
    void RemoveAnimation();

private:
    friend bool SameContent(const FileProperty& a, const FileProperty& b);
    friend class DocumentReader;
    std::string name_;
    FileValueType type_;
    std::uint32_t flags_ = 0;
    std::int64_t integer_ = 0;
    std::uint64_t unsigned_ = 0;
    double numbers_[4] = {};
    std::string text_;
    std::vector<std::string> texts_;
    std::vector<ObjectTarget> targets_;
    std::unique_ptr<CurveNode> animation_;
};

/// A curve that keeps the file names of custom tangents beside its keys:
/// KeyIndexList() and TangentNameList() are string properties named
/// "KeyIndices" and "TangentNames", each a comma-separated list.
class VELORA_DSX_API CustomCurve final : public Curve {
public:
    explicit CustomCurve(std::string name = std::string());
    CustomCurve(const CustomCurve& other);
    ~CustomCurve() override;

    int ClassId() const override { return kFileClassCustomCurve; }
    bool IsA(int classId) const override {
        return classId == kFileClassCustomCurve || Curve::IsA(classId);
    }
    std::unique_ptr<Curve> Clone() const override;

    FileProperty& KeyIndexList() { return keyIndices_; }
    const FileProperty& KeyIndexList() const { return keyIndices_; }
    FileProperty& TangentNameList() { return tangentNames_; }
    const FileProperty& TangentNameList() const { return tangentNames_; }

private:
    FileProperty keyIndices_;
    FileProperty tangentNames_;
};

// ---------------------------------------------------------------------------
// Curve nodes

class VELORA_DSX_API CurveNode {
public:
    /// A node with `channels` channels (clamped to 1..kMaxChannels), each
    /// without curve and with value 0.
    explicit CurveNode(std::string name = std::string(), int channels = 1);
    ~CurveNode();
    CurveNode(const CurveNode& other);
    CurveNode& operator=(const CurveNode&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    int ChannelCount() const { return static_cast<int>(channels_.size()); }
    /// Grows (new channels are empty) or shrinks; false outside
    /// 1..kMaxChannels.
    bool SetChannelCount(int count);

    /// The channel's value (its default when it has no curve); 0 outside
    /// the channels.
    double ChannelValue(int channel) const;
    bool SetChannelValue(int channel, double value);

    /// The channel's curve, or null (none, or a channel out of range).
    Curve* ChannelCurve(int channel);
    const Curve* ChannelCurve(int channel) const;
    /// A new empty curve named after the node, replacing the channel's
    /// curve; `custom` makes it a CustomCurve. Null outside the channels.
    Curve* CreateCurve(int channel, bool custom);
    /// Hands `curve` to the channel (null removes the curve). False, and
    /// `curve` is freed, outside the channels.
    bool SetCurve(int channel, std::unique_ptr<Curve> curve);

private:
    struct Channel {
        double value = 0.0;
        std::unique_ptr<Curve> curve;
    };
    std::string name_;
    std::vector<Channel> channels_;
};

// ---------------------------------------------------------------------------
// Objects and documents

/// The field types of file objects.
enum class FieldType : int {
    kInteger = 0,
    kDouble,
    kBool,
    kString,
    kReference,
    kIntegerArray,
    kDoubleArray,
    kStringArray,
};

/// A reference field's value: the id of the referenced object, 0 for none.
struct ObjectRef {
    std::uint32_t id = 0;
    bool operator==(const ObjectRef& other) const { return id == other.id; }
    bool operator!=(const ObjectRef& other) const { return id != other.id; }
};

/// A field's value. The alternatives are in FieldType order, so
/// `static_cast<FieldType>(value.index())` is its type.
using FieldValue = std::variant<std::int64_t, double, bool, std::string, ObjectRef,
                                std::vector<std::int64_t>, std::vector<double>,
                                std::vector<std::string>>;

inline FieldType TypeOf(const FieldValue& value) { return static_cast<FieldType>(value.index()); }

class VELORA_DSX_API FileObject {
public:
    FileObject(std::uint32_t id, std::string className, std::string name);
    ~FileObject();
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    std::uint32_t Id() const { return id_; }
    const std::string& ClassName() const { return className_; }
    const std::string& Name() const { return name_; }

    // Fields. Setting a field replaces any earlier field of that name,
    // whatever its type. Names must be non-empty (refused otherwise).
    bool SetField(const std::string& name, FieldValue value);
    bool SetInteger(const std::string& name, std::int64_t value) { return SetField(name, value); }
    bool SetDouble(const std::string& name, double value) { return SetField(name, value); }
    bool SetBool(const std::string& name, bool value) { return SetField(name, value); }
    bool SetString(const std::string& name, std::string value) {
        return SetField(name, std::move(value));
    }
    /// A reference to the object with id `id` (0: the null reference). The
    /// id is checked when the document is saved.
    bool SetReference(const std::string& name, std::uint32_t id) {
        return SetField(name, ObjectRef{id});
    }

    /// The field named `name`, or null.
    const FieldValue* Field(const std::string& name) const;
    bool HasField(const std::string& name) const { return Field(name) != nullptr; }
    bool RemoveField(const std::string& name);
    /// Every field, sorted by name.
    const std::map<std::string, FieldValue>& Fields() const { return fields_; }

    /// Typed reads: false (out unchanged) when absent or of another type.
    bool GetInteger(const std::string& name, std::int64_t* out) const;
    bool GetDouble(const std::string& name, double* out) const;
    bool GetBool(const std::string& name, bool* out) const;
    const std::string* GetString(const std::string& name) const;
    bool GetReference(const std::string& name, std::uint32_t* id) const;

    // Properties, in creation order, names unique.
    /// A new property; null for an empty name, a name in use or an invalid
    /// type.
    FileProperty* AddProperty(const std::string& name, int type);
    FileProperty* FindProperty(const std::string& name);
    const FileProperty* FindProperty(const std::string& name) const;
    int PropertyCount() const { return static_cast<int>(properties_.size()); }
    FileProperty* PropertyAt(int i);
    const FileProperty* PropertyAt(int i) const;

private:
    friend class DocumentReader;
    /// Takes a property made apart; null (and it is freed) when its name is
    /// in use.
    FileProperty* Adopt(std::unique_ptr<FileProperty> property);

    std::uint32_t id_;
    std::string className_;
    std::string name_;
    std::map<std::string, FieldValue> fields_;
    std::vector<std::unique_ptr<FileProperty>> properties_;
    std::unordered_map<std::string, FileProperty*> propertiesByName_;
};

class VELORA_DSX_API Document {
public:
    Document();
    ~Document();
    Document(Document&&) noexcept;
    Document& operator=(Document&&) noexcept;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    /// A new object with the next free id. Null for an empty class name or
    /// name, a name already in use, or when the ids are used up.
    FileObject* AddObject(const std::string& className, const std::string& name);
    /// A new object with id `id`; null for an id outside 1..kMaxObjectId or
    /// already in use, and as AddObject.
    FileObject* AddObjectWithId(std::uint32_t id, const std::string& className,
                                const std::string& name);

    int ObjectCount() const { return static_cast<int>(objects_.size()); }
    FileObject* ObjectAt(int i);
    const FileObject* ObjectAt(int i) const;
    FileObject* FindObject(std::uint32_t id);
    const FileObject* FindObject(std::uint32_t id) const;
    FileObject* FindObject(const std::string& name);
    const FileObject* FindObject(const std::string& name) const;

    void Clear();

private:
    friend class DocumentReader;
    /// Takes an object made apart; null (and it is freed) when its id or
    /// name is in use or invalid.
    FileObject* Adopt(std::unique_ptr<FileObject> object);

    std::vector<std::unique_ptr<FileObject>> objects_;
    std::unordered_map<std::uint32_t, FileObject*> byId_;
    std::unordered_map<std::string, FileObject*> byName_;
    std::uint32_t nextId_ = 1;
};

/// Whether two documents hold the same content: the same objects in the
/// same order, and the same fields, properties, nodes and curves, doubles
/// compared bit for bit.
VELORA_DSX_API bool SameContent(const Document& a, const Document& b);
VELORA_DSX_API bool SameContent(const FileProperty& a, const FileProperty& b);
VELORA_DSX_API bool SameContent(const CurveNode& a, const CurveNode& b);
VELORA_DSX_API bool SameContent(const Curve& a, const Curve& b);

// ---------------------------------------------------------------------------
// Encoding, decoding, files

/// Checks everything a reader would check; false with a message in `error`
/// (when given) for the first fault found.
VELORA_DSX_API bool Validate(const Document& document, std::string* error);

/// Encodes a valid document; false (out untouched) with a message otherwise.
VELORA_DSX_API bool EncodeDocument(const Document& document, Encoding encoding, std::string* out,
                               std::string* error);
/// Decodes either encoding (told apart by the CBOR tag). On success `out`
/// holds the document; on failure it is left empty and `error` says why.
/// `encoding`, when given, receives the encoding that was found.
VELORA_DSX_API bool DecodeDocument(const void* data, std::size_t size, Document* out,
                               std::string* error, Encoding* encoding = nullptr);

/// Saves atomically (see the top of this file).
VELORA_DSX_API bool SaveDocument(const Document& document, const std::string& path,
                             Encoding encoding, std::string* error);
/// Reads and decodes a whole file.
VELORA_DSX_API bool LoadDocument(const std::string& path, Document* out, std::string* error,
                             Encoding* encoding = nullptr);

/// The steps of a save, as told to a fault hook.
enum class SaveStep { kCreate, kWrite, kSync, kRename };
/// A test seam: called before each step of every save (before each chunk
/// of at most 64 KiB for kWrite, with the bytes written so far). Answering
/// false makes that step fail as if the system call had. Null (the
/// default) removes the hook.
using SaveFaultHook = bool (*)(SaveStep step, std::size_t bytesWritten);
VELORA_DSX_API void SetSaveFaultHook(SaveFaultHook hook);

}  // namespace dsx
}  // namespace velora

#endif  // VELORA_SCENE_FILE_H
