// Reading a scene file straight into the document model.
//
// The parser (nlohmann-json's SAX interface, the same for text and CBOR)
// hands over one event at a time, and each value goes where it belongs in
// the document as soon as it arrives: no tree of the file, nor of one of its
// objects, is built on the way. What reading costs is then the document the
// file becomes, plus the file's own bytes. The reader charges each part of
// the document against a budget of kReadBudgetFactor times the file's size
// before it makes it, so a hostile file (millions of one-byte numbers, an
// array that claims more elements than the file has bytes) is refused long
// before memory runs out.
//
// A stack of frames, one per open array or object, says what each value is
// (an object's id, a property's value, a key of a curve...). Members may come
// in any order. What cannot be placed before a later member arrives waits:
// an object, a property, a curve node and a curve are made apart and put in
// place when they close, once their required members are known; a property
// value that comes before the property's type is kept as a small tree and
// read again once the type is known.
//
// The first fault inside "objects" is kept with its position and the
// remaining objects are only parsed: the top level is checked first when the
// file ends, since a file of another version may be laid out differently and
// its version is what its reader needs to hear about.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <exception>
#include <type_traits>
#include <variant>

#include <nlohmann/json.hpp>

#include "scene_file_internal.h"
#include "velora/scene_file.h"

namespace velora {
namespace dsx {

namespace {

using namespace internal;
using Json = nlohmann::json;

// ---------------------------------------------------------------------------
// Plain values. A value arrives as a Json scalar; where a plain value belongs
// and an array or object begins instead, an empty one of that kind stands in
// for it, so that the message says what was found.

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

// Takes the text out of `j` (a value the reader owns). The parser's text
// may have up to twice the room it needs, which the document does not keep.
void TakeText(Json& j, std::string* out) {
    std::string& text = j.get_ref<std::string&>();
    if (text.capacity() > text.size() + text.size() / 4 + 32)
        *out = text;
    else
        *out = std::move(text);
}

bool ReadString(Json& j, std::string* out, std::string* error) {
    if (!j.is_string()) return Expected(j, "a string", error);
    TakeText(j, out);
    return true;
}

bool ReadTarget(Json& j, ObjectTarget* out, std::string* error) {
    if (j.is_string()) {
        TakeText(j, &out->name);
        return CheckName(out->name, "the object name", error);
    }
    std::int64_t id;
    if (!ReadRange(j, 1, kMaxObjectId, &id, error)) return false;
    out->id = static_cast<std::uint32_t>(id);
    return true;
}

// Short arrays of plain values, read once they are complete: `v` holds the
// first values (at most kTupleRoom), `count` says how many there were.

bool ReadDoubles(const Json* v, std::size_t count, std::size_t want, double* out,
                 std::string* error) {
    if (count != want) return Fail(error, ": expected " + std::to_string(want) + " numbers");
    for (std::size_t i = 0; i < want; ++i)
        if (!ReadDouble(v[i], &out[i], error)) return Prefix(error, "[" + std::to_string(i) + "]");
    return true;
}

bool ReadExtrapolation(const Json* v, std::size_t count, ExtrapolationSetting* out,
                       std::string* error) {
    if (count != 2) return Fail(error, ": expected [mode, count]");
    if (!ReadInt(v[0], 0, kExtrapolationCount - 1, &out->mode, error)) return Prefix(error, "[0]");
    if (!ReadInt(v[1], 0, INT_MAX, &out->count, error)) return Prefix(error, "[1]");
    return true;
}

bool ReadKey(const Json* v, std::size_t count, CurveKey* k, std::string* error) {
    if (count != static_cast<std::size_t>(kKeyColumns) && count != static_cast<std::size_t>(kKeyColumnsTcb))
        return Fail(error, ": expected a key of " + std::to_string(kKeyColumns) + " or " +
                               std::to_string(kKeyColumnsTcb) + " values");
    std::int64_t interpolation;
    int mode, weights, velocities;
    if (!ReadInt64(v[0], &k->time, error)) return Prefix(error, "[0]");
    if (!ReadDouble(v[1], &k->value, error)) return Prefix(error, "[1]");
    if (!ReadRange(v[2], 1, kKeyInterpolationMask, &interpolation, error)) return Prefix(error, "[2]");
    if (!ReadInt(v[3], 0, 255, &mode, error)) return Prefix(error, "[3]");
    if (!ReadInt(v[4], 0, 3, &weights, error)) return Prefix(error, "[4]");
    if (!ReadInt(v[5], 0, 3, &velocities, error)) return Prefix(error, "[5]");
    k->flags = KeyFlagsFrom(static_cast<std::uint32_t>(interpolation), mode, weights, velocities);
    for (int d = 0; d < 6; ++d)
        if (!ReadDouble(v[6 + d], &k->data[d], error)) return Prefix(error, "[" + std::to_string(6 + d) + "]");
    for (int d = 0; d < 3; ++d) {
        k->tcb[d] = 0.0;
        if (count == static_cast<std::size_t>(kKeyColumnsTcb) && !ReadDouble(v[12 + d], &k->tcb[d], error))
            return Prefix(error, "[" + std::to_string(12 + d) + "]");
    }
    return true;
}

bool ReadReference(Json* v, std::size_t count, FileProperty* p, std::string* error) {
    if (count != 2) return Fail(error, ": expected [object, property] or null");
    ObjectTarget target;
    if (!ReadTarget(v[0], &target, error)) return Prefix(error, "[0]");
    if (!ReadString(v[1], &target.property, error)) return Prefix(error, "[1]");
    if (!CheckName(target.property, "the property name", error)) return Prefix(error, "[1]");
    p->SetTargets({std::move(target)});
    return true;
}

// A property value that is not an array, or an array where a plain value
// belongs.
bool ReadPlainValue(Json& j, FileProperty* p, std::string* error) {
    if (p->MemberCount() > 1)
        return Fail(error, ": expected " + std::to_string(p->MemberCount()) + " numbers");
    switch (p->Type()) {
        case kFileValueEvent:
            if (!j.is_null()) return Expected(j, "null", error);
            return true;
        case kFileValueStringList:
            return Expected(j, "an array of texts", error);
        case kFileValueObject:
            return Expected(j, "an array of objects", error);
        case kFileValueReference:
            if (j.is_null()) return true;
            return Fail(error, ": expected [object, property] or null");
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
        case kFileValueString: {
            std::string text;
            if (!ReadString(j, &text, error)) return false;
            p->SetText(std::move(text));
            return true;
        }
        case kFileValueFloat:
        case kFileValueDouble: {
            double d;
            if (!ReadDouble(j, &d, error)) return false;
            p->SetNumber(d);
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

// ---------------------------------------------------------------------------
// What the document costs. Charges are estimates of the heap blocks each
// part takes (glibc: a block is the request plus 8 bytes, rounded up to 16,
// at least 32), a little above the truth rather than below.

std::size_t Block(std::size_t bytes) {
    return bytes == 0 ? 0 : std::max<std::size_t>(32, (bytes + 8 + 15) & ~std::size_t(15));
}

// A string's own block (short ones live inside the string).
std::size_t TextCost(std::size_t length) { return length > 15 ? Block(length + 1) : 0; }

// A hash-table entry: the node (its link, the key and value, and the cached
// hash of a text key) and its share of the bucket array, which holds up to
// two buckets an entry.
template <class Key>
std::size_t HashEntryCost() {
    const std::size_t hash = std::is_same<Key, std::string>::value ? sizeof(std::size_t) : 0;
    return Block(sizeof(void*) + sizeof(std::pair<const Key, void*>) + hash) + 2 * sizeof(void*);
}

// A slot of a vector of pointers that grows by doubling: up to two slots.
constexpr std::size_t kPointerSlotCost = 2 * sizeof(void*);

const std::size_t kObjectCost = Block(sizeof(FileObject)) + kPointerSlotCost +
                                HashEntryCost<std::uint32_t>() + HashEntryCost<std::string>();
const std::size_t kPropertyCost =
    Block(sizeof(FileProperty)) + kPointerSlotCost + HashEntryCost<std::string>();
// A red-black tree node of the fields map: four words of links and colour.
const std::size_t kFieldCost = Block(4 * sizeof(void*) + sizeof(std::pair<const std::string, FieldValue>));

// ---------------------------------------------------------------------------
// The frames

enum class Kind : unsigned char {
    kRoot,
    kObjects,
    kObject,
    kFields,
    kField,
    kFieldArray,
    kProperties,
    kProperty,
    kTexts,    // texts of an enum property, or the items of a string list
    kTargets,  // the objects of an object property
    kNode,
    kChannels,
    kChannel,
    kCurve,
    kKeys,
    kTuple,   // a short array of plain values (a key, a vector...)
    kSkip,    // parsed only
    kBuffer,  // kept as a tree for later
};

// The members of the format's objects, by frame kind, in the order in which
// missing ones are reported.
enum RootMember { kFormat, kVersion, kObjectList };
enum ObjectMember { kId, kClass, kName, kFieldMap, kPropertyList };
enum PropertyMember { kPropName, kType, kFlags, kValue, kEnumTexts, kAnimation };
enum NodeMember { kNodeName, kChannelList };
enum ChannelMember { kChannelValue, kChannelCurve };
enum CurveMember { kCurveName, kCurveClass, kDefault, kPre, kPost, kKeyList, kKeyIndices, kTangentNames };

const char* const kRootNames[] = {"format", "version", "objects", nullptr};
const char* const kObjectNames[] = {"id", "class", "name", "fields", "properties", nullptr};
const char* const kPropertyNames[] = {"name", "type", "flags", "value", "texts", "animation", nullptr};
const char* const kNodeNames[] = {"name", "channels", nullptr};
const char* const kChannelNames[] = {"value", "curve", nullptr};
const char* const kCurveNames[] = {"name", "class", "default", "pre", "post", "keys", "keyIndices",
                                   "tangentNames", nullptr};
// In FieldType order.
const char* const kFieldKinds[] = {"int", "double", "bool", "string", "ref", "ints", "doubles",
                                   "strings", nullptr};

const char* const* MemberNames(Kind kind) {
    switch (kind) {
        case Kind::kRoot:
            return kRootNames;
        case Kind::kObject:
            return kObjectNames;
        case Kind::kProperty:
            return kPropertyNames;
        case Kind::kNode:
            return kNodeNames;
        case Kind::kChannel:
            return kChannelNames;
        case Kind::kCurve:
            return kCurveNames;
        case Kind::kField:
            return kFieldKinds;
        default:
            return nullptr;
    }
}

int Lookup(const char* const* names, const std::string& key) {
    for (int i = 0; names[i]; ++i)
        if (key == names[i]) return i;
    return -1;
}

enum class Tuple : unsigned char { kNumbers, kReference, kPre, kPost, kKey };

// The values a tuple keeps: a key has the most.
constexpr std::size_t kTupleRoom = kKeyColumnsTcb;

struct Frame {
    Kind kind;
    Tuple tuple = Tuple::kNumbers;
    int member = -1;         // the member being read, -1 for none
    std::uint32_t seen = 0;  // members read so far, a bit each
    std::size_t count = 0;   // elements begun (arrays)
    std::size_t start = 0;   // kTuple: its first value in the tuple buffer
    Json* node = nullptr;    // kBuffer: the array or object being filled
    bool Has(int m) const { return (seen >> m) & 1u; }
};

}  // namespace

// Receives the parser's events (nlohmann's SAX interface). A false answer
// stops the parse: the file is not well-formed, too deep or too large for
// its size; Message() says which.
class DocumentReader {
public:
    DocumentReader(std::size_t inputSize, Document* doc)
        : inputSize_(inputSize), budget_(kReadBudgetFactor * inputSize + kReadAllowanceBytes), doc_(doc) {}

    bool null() {
        Json v(nullptr);
        return Begin(v, false, false, 0);
    }
    bool boolean(bool b) {
        Json v(b);
        return Begin(v, false, false, 0);
    }
    bool number_integer(Json::number_integer_t n) {
        Json v(n);
        return Begin(v, false, false, 0);
    }
    bool number_unsigned(Json::number_unsigned_t n) {
        Json v(n);
        return Begin(v, false, false, 0);
    }
    bool number_float(Json::number_float_t d, const Json::string_t&) {
        Json v(d);
        return Begin(v, false, false, 0);
    }
    bool string(Json::string_t& s) {
        // The parser's text is taken, not copied (swapped into a value kept
        // for the purpose); while it waits to be placed it is charged like
        // any other.
        const std::size_t cost = TextCost(s.capacity());
        if (!Charge(cost)) return false;
        if (!text_.is_string()) text_ = Json::value_t::string;
        text_.get_ref<std::string&>().swap(s);
        const bool ok = Begin(text_, false, false, 0);
        used_ -= cost;
        return ok;
    }
    bool binary(Json::binary_t&) {
        message_ = "byte strings are not part of the format";
        return false;
    }
    bool start_object(std::size_t n) { return Begin(objectMark_, true, true, n); }
    bool start_array(std::size_t n) { return Begin(arrayMark_, true, false, n); }
    bool key(Json::string_t& k) { return Key(k); }
    bool end_object() { return Close(); }
    bool end_array() { return Close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) {
        message_ = e.what();
        // "[json.exception.parse_error.101] parse error at ..." reads better
        // without the library's tag.
        const std::size_t close = message_.find("] ");
        if (message_.compare(0, 1, "[") == 0 && close != std::string::npos) message_.erase(0, close + 2);
        return false;
    }

    /// Why the parse stopped.
    const std::string& Message() const { return message_; }

    /// After a complete parse: the top level's checks, then the first fault
    /// of the objects.
    bool Finish(std::string* error) {
        if (!rootIsObject_) return Fail(error, "not a scene file: the top level is not an object");
        if (!(rootSeen_ >> kFormat & 1u) || !format_.is_string() || format_ != kFormatName)
            return Fail(error, std::string("not a scene file: the format name is not \"") +
                                   kFormatName + "\"");
        if (!(rootSeen_ >> kVersion & 1u) || !version_.is_number())
            return Fail(error, "not a scene file: no version number");
        std::int64_t number = 0;
        if (!version_.is_number_integer() || !ReadInt64(version_, &number, nullptr) ||
            number < kOldestFormatVersion || number > kFormatVersion)
            return Fail(error, "unsupported scene file version " + version_.dump() +
                                   " (this reader reads versions " +
                                   std::to_string(kOldestFormatVersion) + " to " +
                                   std::to_string(kFormatVersion) + ")");
        if (!unknownRoot_.empty())
            return Fail(error, "not a scene file: unknown member \"" + unknownRoot_ + "\" at the top level");
        if (!(rootSeen_ >> kObjectList & 1u))
            return Fail(error, "not a scene file: no member \"objects\" at the top level");
        if (!objectsFound_.is_array())
            return Expected(objectsFound_, "an array", error) || Prefix(error, "objects");
        if (!objectError_.empty()) return Fail(error, objectError_);
        return true;
    }

private:
    // -- Budget -------------------------------------------------------------

    bool Charge(std::size_t bytes) {
        used_ += bytes;
        if (used_ <= budget_) return true;
        message_ = "reading it would take more than " + std::to_string(budget_ >> 20) +
                   " MiB of memory, more than a file of this size can need";
        return false;
    }

    // Room for one more element, growing by half as much again (both blocks
    // live while the elements move).
    template <class T>
    bool Room(std::vector<T>& v) {
        if (v.size() < v.capacity()) return true;
        const std::size_t grown = v.capacity() < 4 ? 4 : v.capacity() + v.capacity() / 2;
        if (!Charge(Block(grown * sizeof(T)))) return false;
        used_ -= v.capacity() ? Block(v.capacity() * sizeof(T)) : 0;
        v.reserve(grown);
        return true;
    }

    // Gives back the room an array grew beyond its elements (a text file
    // does not say how many there will be): the document keeps what it uses.
    template <class T>
    void Fit(std::vector<T>& v) {
        if (v.capacity() - v.size() <= v.size() / 16) return;
        used_ -= Block(v.capacity() * sizeof(T));
        v.shrink_to_fit();
        used_ += Block(v.capacity() * sizeof(T));
    }

    template <class T>
    void FitArray(std::vector<T>& v) {
        Fit(v);
    }
    template <class T>
    void FitArray(T&) {}

    // Room for the elements a binary file declares, trusted only as far as
    // the file has bytes for them (each element takes at least
    // `leastBytes`).
    template <class T>
    bool Reserve(std::vector<T>& v, std::size_t declared, std::size_t leastBytes) {
        if (declared == static_cast<std::size_t>(-1)) return true;  // text: unknown
        const std::size_t n = std::min(declared, inputSize_ / leastBytes);
        if (n <= v.capacity()) return true;
        if (!Charge(Block(n * sizeof(T)))) return false;
        v.reserve(n);
        return true;
    }

    // -- Faults ---------------------------------------------------------------

    // Where the top frames are reading, outermost first, as a message
    // prefix; `frames` of them.
    void AddPosition(std::string* message, std::size_t frames) const {
        for (std::size_t i = frames; i-- > 0;) {
            const Frame& f = stack_[i];
            std::string where;
            switch (f.kind) {
                case Kind::kObjects:
                case Kind::kProperties:
                case Kind::kChannels:
                case Kind::kKeys:
                case Kind::kTexts:
                case Kind::kTargets:
                case Kind::kFieldArray:
                case Kind::kTuple:
                    if (f.count) where = "[" + std::to_string(f.count - 1) + "]";
                    break;
                case Kind::kFields:
                    if (f.member >= 0) where = fieldName_;
                    break;
                default:
                    if (f.member >= 0 && MemberNames(f.kind)) where = MemberNames(f.kind)[f.member];
                    break;
            }
            if (!where.empty()) Prefix(message, where);
        }
    }

    // A fault in an object of the file, at the position of the top frame
    // (`above`: of the frame under it). The first is kept; the remaining
    // objects are only parsed. Answers true: the parse goes on.
    bool Refuse(std::string message, bool above = false) {
        if (!objectError_.empty()) return true;
        AddPosition(&message, stack_.size() - (above ? 1 : 0));
        objectError_ = message.empty() ? "objects: refused" : std::move(message);
        // Everything below "objects" is now only parsed.
        for (std::size_t i = 2; i < stack_.size(); ++i) stack_[i] = Frame{Kind::kSkip};
        object_.reset();
        property_ = PropertyState();
        node_.reset();
        channels_.clear();
        channelCurve_.reset();
        curve_ = CurveState();
        tuple_.clear();
        return true;
    }

    // Calls a reader that leaves its message in `error`: whether it read,
    // the fault refused otherwise.
    template <class F>
    bool Read(F&& read) {
        std::string error;
        if (read(&error)) return true;
        Refuse(std::move(error));
        return false;
    }

    // The same where only the fault matters: true, the parse goes on.
    template <class F>
    bool Check(F&& read) {
        Read(std::forward<F>(read));
        return true;
    }

    bool Fatal(std::string message) {
        message_ = std::move(message);
        return false;
    }

    // -- Events ---------------------------------------------------------------

    // A value begins: `v` is a plain value, or, when `opened`, an empty
    // array or object that stands for the one whose events follow (the same
    // one each time: it is copied, never taken). Whatever opens and is not
    // taken by a frame is parsed only.
    bool Begin(Json& v, bool opened, bool isObject, std::size_t declared) {
        if (opened && stack_.size() >= static_cast<std::size_t>(kMaxDepth))
            return Fatal("nested deeper than " + std::to_string(kMaxDepth) + " levels");
        const std::size_t depth = stack_.size();
        if (!Place(v, opened, isObject, declared)) return false;
        if (opened && stack_.size() == depth) stack_.push_back(Frame{Kind::kSkip});
        return true;
    }

    bool Push(Kind kind, Tuple tuple = Tuple::kNumbers) {
        Frame f{kind};
        f.tuple = tuple;
        f.start = tuple_.size();
        stack_.push_back(f);
        return true;
    }

    bool Place(Json& v, bool opened, bool isObject, std::size_t declared) {
        const bool array = opened && !isObject;
        const bool object = opened && isObject;
        if (stack_.empty()) {
            rootIsObject_ = object;
            return object ? Push(Kind::kRoot) : true;
        }
        Frame& f = stack_.back();
        switch (f.kind) {
            case Kind::kSkip:
                return true;
            case Kind::kBuffer:
                return Buffer(f, v, opened);
            case Kind::kRoot:
                return RootValue(f, v, array);
            case Kind::kObjects:
                ++f.count;
                if (!objectError_.empty()) return true;
                if (!object) return Check([&](std::string* e) { return Expected(v, "an object", e); });
                if (!Charge(kObjectCost)) return false;
                object_ = std::make_unique<FileObject>(0, std::string(), std::string());
                return Push(Kind::kObject);
            case Kind::kObject:
                return ObjectValue(f, v, object, array);
            case Kind::kFields:
                if (!object)
                    return Check([](std::string* e) {
                        return Fail(e, ": expected an object with one member naming the type");
                    });
                fieldValue_ = FieldValue();
                return Push(Kind::kField);
            case Kind::kField:
                return FieldValueBegins(f, v, array, declared);
            case Kind::kFieldArray:
                ++f.count;
                return FieldElement(stack_[stack_.size() - 2].member, v);
            case Kind::kProperties:
                ++f.count;
                if (!object) return Check([&](std::string* e) { return Expected(v, "a property object", e); });
                property_ = PropertyState();
                return Push(Kind::kProperty);
            case Kind::kProperty:
                return PropertyValue(f, v, opened, object, array, declared);
            case Kind::kTexts:
                ++f.count;
                return TextElement(v);
            case Kind::kTargets: {
                ++f.count;
                ObjectTarget target;
                if (!Read([&](std::string* e) { return ReadTarget(v, &target, e); })) return true;
                if (!Charge(TextCost(target.name.size())) || !Room(property_.targets)) return false;
                property_.targets.push_back(std::move(target));
                return true;
            }
            case Kind::kNode:
                return NodeValue(f, v, array);
            case Kind::kChannels:
                if (f.count == static_cast<std::size_t>(kMaxChannels))
                    return Refuse(ChannelCountFault(), true);
                ++f.count;
                if (!object) return Check([&](std::string* e) { return Expected(v, "a channel object", e); });
                channelValue_ = 0.0;
                channelCurve_.reset();
                return Push(Kind::kChannel);
            case Kind::kChannel:
                return ChannelValue(f, v, object);
            case Kind::kCurve:
                return CurveValue(f, v, array, declared);
            case Kind::kKeys:
                ++f.count;
                if (!array) {
                    return Check([&](std::string* e) { return ReadKey(&v, 1, nullptr, e); });
                }
                return Push(Kind::kTuple, Tuple::kKey);
            case Kind::kTuple:
                if (f.count++ < kTupleRoom) tuple_.push_back(opened ? Json(v.type()) : std::move(v));
                return true;
        }
        return true;
    }

    static std::string ChannelCountFault() {
        return ": expected an array of 1.." + std::to_string(kMaxChannels) + " channels";
    }

    bool Key(std::string& k) {
        Frame& f = stack_.back();
        switch (f.kind) {
            case Kind::kSkip:
                return true;
            case Kind::kBuffer: {
                if (!Charge(96 + TextCost(k.size()))) return false;
                auto made = f.node->get_ref<Json::object_t&>().emplace(k, Json());
                bufferSlot_ = made.second ? &made.first->second : nullptr;
                return true;
            }
            case Kind::kFields: {
                f.member = -1;
                std::string error;
                if (!CheckName(k, "the field name", &error)) return Refuse(std::move(error));
                const auto& fields = object_->Fields();
                if (!fields.empty() && !(fields.rbegin()->first < k) && fields.count(k))
                    return Fatal("member \"" + k.substr(0, 80) + "\" appears twice in one object");
                fieldName_ = k;
                f.member = 0;
                return true;
            }
            case Kind::kField:
                if (f.seen) {
                    f.member = -1;
                    return Refuse(": expected an object with one member naming the type", true);
                }
                f.seen = 1;
                f.member = Lookup(kFieldKinds, k);
                if (f.member < 0) return Refuse(": unknown field type \"" + k + "\"", true);
                return true;
            default:
                break;
        }
        const int m = Lookup(MemberNames(f.kind), k);
        f.member = m;
        if (m < 0) {
            if (f.kind != Kind::kRoot) return Refuse(": unknown member \"" + k + "\"");
            if (unknownRoot_.empty()) unknownRoot_ = k.substr(0, 80);
            return true;
        }
        if (f.Has(m)) return Fatal("member \"" + k + "\" appears twice in one object");
        f.seen |= 1u << m;
        if (f.kind == Kind::kRoot) rootSeen_ = f.seen;
        // Members that only some kinds have, once the kind is known.
        if (f.kind == Kind::kProperty && m == kEnumTexts && property_.made &&
            property_.made->Type() != kFileValueEnum)
            return Refuse(": only enum properties have texts");
        if (f.kind == Kind::kCurve && (m == kKeyIndices || m == kTangentNames) && f.Has(kCurveClass) &&
            !curve_.custom) {
            f.member = -1;
            return Refuse(": unknown member \"" + k + "\"");
        }
        return true;
    }

    bool Close() {
        if (stack_.back().kind == Kind::kProperty && property_.held && property_.made) {
            // The value came before the type: read it now.
            stack_.back().member = kValue;
            Json held = std::move(*property_.held);
            property_.held.reset();
            if (!Replay(held)) return false;
        }
        const Frame f = stack_.back();
        stack_.pop_back();
        if (!objectError_.empty() && f.kind != Kind::kRoot && f.kind != Kind::kObjects) return true;
        switch (f.kind) {
            case Kind::kObject:
                return ObjectEnds(f);
            case Kind::kField:
                if (!f.seen) return Refuse(": expected an object with one member naming the type");
                if (!Charge(kFieldCost + TextCost(fieldName_.size()))) return false;
                object_->SetField(fieldName_, std::move(fieldValue_));
                return true;
            case Kind::kProperty:
                return PropertyEnds(f);
            case Kind::kFieldArray:
                std::visit([this](auto& v) { FitArray(v); }, fieldValue_);
                return true;
            case Kind::kTexts:
                if (stack_.back().member != kValue) {
                    Fit(property_.texts);  // the enumeration's, set when the property closes
                    return true;
                }
                Fit(property_.list);
                property_.made->SetTexts(std::move(property_.list));
                return true;
            case Kind::kTargets:
                Fit(property_.targets);
                property_.made->SetTargets(std::move(property_.targets));
                return true;
            case Kind::kKeys:
                Fit(curve_.keys);
                return true;
            case Kind::kNode:
                return NodeEnds(f);
            case Kind::kChannels:
                if (f.count == 0) return Refuse(ChannelCountFault());
                return true;
            case Kind::kChannel:
                if (!f.Has(kChannelValue)) return Refuse(": missing member \"value\"");
                channels_.emplace_back(channelValue_, std::move(channelCurve_));
                return true;
            case Kind::kCurve:
                return CurveEnds(f);
            case Kind::kTuple:
                return TupleEnds(f);
            default:
                return true;
        }
    }

    // Emits the events of a tree kept for later.
    bool Replay(Json& j) {
        switch (j.type()) {
            case Json::value_t::object: {
                if (!start_object(j.size())) return false;
                for (auto it = j.begin(); it != j.end(); ++it) {
                    std::string k = it.key();
                    if (!key(k) || !Replay(it.value())) return false;
                }
                return end_object();
            }
            case Json::value_t::array:
                if (!start_array(j.size())) return false;
                for (Json& element : j)
                    if (!Replay(element)) return false;
                return end_array();
            default:
                return Begin(j, false, false, 0);
        }
    }

    // -- The top level --------------------------------------------------------

    bool RootValue(Frame& f, Json& v, bool array) {
        switch (f.member) {
            case kFormat:
                format_ = v;
                return true;
            case kVersion:
                version_ = v;
                return true;
            case kObjectList:
                objectsFound_ = Json(v.type());
                return array ? Push(Kind::kObjects) : true;
            default:
                return true;
        }
    }

    // -- Objects --------------------------------------------------------------

    bool ObjectValue(Frame& f, Json& v, bool object, bool array) {
        switch (f.member) {
            case kId: {
                std::int64_t id = 0;
                if (Read([&](std::string* e) { return ReadRange(v, 1, kMaxObjectId, &id, e); }))
                    object_->id_ = static_cast<std::uint32_t>(id);
                return true;
            }
            case kClass:
            case kName: {
                std::string text;
                const char* what = f.member == kClass ? "the class name" : "the name";
                if (!Read([&](std::string* e) { return ReadString(v, &text, e) && CheckName(text, what, e); }))
                    return true;
                // The name is kept twice: by the object and by the document's
                // index of names.
                if (!Charge(TextCost(text.size()) * (f.member == kName ? 2 : 1))) return false;
                (f.member == kClass ? object_->className_ : object_->name_) = std::move(text);
                return true;
            }
            case kFieldMap:
                if (!object) return Check([&](std::string* e) { return Expected(v, "an object", e); });
                return Push(Kind::kFields);
            case kPropertyList:
                if (!array) return Check([&](std::string* e) { return Expected(v, "an array", e); });
                return Push(Kind::kProperties);
        }
        return true;
    }

    bool ObjectEnds(const Frame& f) {
        for (int m : {kId, kClass, kName})
            if (!f.Has(m)) return Refuse(std::string(": missing member \"") + kObjectNames[m] + "\"");
        if (doc_->FindObject(object_->Id()))
            return Refuse(".id: " + std::to_string(object_->Id()) + " is used twice");
        if (doc_->FindObject(object_->Name()))
            return Refuse(".name: \"" + object_->Name() + "\" is used twice");
        if (!doc_->Adopt(std::move(object_))) return Refuse(": refused");
        return true;
    }

    // -- Fields ---------------------------------------------------------------

    bool FieldValueBegins(Frame& f, Json& v, bool array, std::size_t declared) {
        switch (static_cast<FieldType>(f.member)) {
            case FieldType::kInteger: {
                std::int64_t i = 0;
                if (Read([&](std::string* e) { return ReadInt64(v, &i, e); })) fieldValue_ = i;
                return true;
            }
            case FieldType::kDouble: {
                double d = 0;
                if (Read([&](std::string* e) { return ReadDouble(v, &d, e); })) fieldValue_ = d;
                return true;
            }
            case FieldType::kBool:
                if (!v.is_boolean()) return Check([&](std::string* e) { return Expected(v, "a bool", e); });
                fieldValue_ = v.get<bool>();
                return true;
            case FieldType::kString: {
                std::string s;
                if (!Read([&](std::string* e) { return ReadString(v, &s, e); })) return true;
                if (!Charge(TextCost(s.size()))) return false;
                fieldValue_ = std::move(s);
                return true;
            }
            case FieldType::kReference: {
                std::int64_t id = 0;
                if (!v.is_null() && !Read([&](std::string* e) { return ReadRange(v, 1, kMaxObjectId, &id, e); }))
                    return true;
                fieldValue_ = ObjectRef{static_cast<std::uint32_t>(id)};
                return true;
            }
            default:
                break;
        }
        if (!array) return Check([&](std::string* e) { return Expected(v, "an array", e); });
        switch (static_cast<FieldType>(f.member)) {
            case FieldType::kIntegerArray:
                fieldValue_ = std::vector<std::int64_t>();
                if (!Reserve(std::get<std::vector<std::int64_t>>(fieldValue_), declared, 1)) return false;
                break;
            case FieldType::kDoubleArray:
                fieldValue_ = std::vector<double>();
                if (!Reserve(std::get<std::vector<double>>(fieldValue_), declared, 1)) return false;
                break;
            default:
                fieldValue_ = std::vector<std::string>();
                if (!Reserve(std::get<std::vector<std::string>>(fieldValue_), declared, 1)) return false;
                break;
        }
        return Push(Kind::kFieldArray);
    }

    bool FieldElement(int kind, Json& v) {
        switch (static_cast<FieldType>(kind)) {
            case FieldType::kIntegerArray: {
                auto& a = std::get<std::vector<std::int64_t>>(fieldValue_);
                std::int64_t i;
                if (!Read([&](std::string* e) { return ReadInt64(v, &i, e); })) return true;
                if (!Room(a)) return false;
                a.push_back(i);
                return true;
            }
            case FieldType::kDoubleArray: {
                auto& a = std::get<std::vector<double>>(fieldValue_);
                double d;
                if (!Read([&](std::string* e) { return ReadDouble(v, &d, e); })) return true;
                if (!Room(a)) return false;
                a.push_back(d);
                return true;
            }
            default: {
                auto& a = std::get<std::vector<std::string>>(fieldValue_);
                std::string s;
                if (!Read([&](std::string* e) { return ReadString(v, &s, e); })) return true;
                if (!Charge(TextCost(s.size())) || !Room(a)) return false;
                a.push_back(std::move(s));
                return true;
            }
        }
    }

    // -- Properties -----------------------------------------------------------

    bool PropertyValue(Frame& f, Json& v, bool opened, bool object, bool array, std::size_t declared) {
        PropertyState& p = property_;
        switch (f.member) {
            case kPropName: {
                std::string name;
                if (!Read([&](std::string* e) {
                        return ReadString(v, &name, e) && CheckName(name, "the property name", e);
                    }))
                    return true;
                if (object_->FindProperty(name)) return Refuse(": \"" + name + "\" is used twice");
                // Kept by the property and by the object's index of names.
                if (!Charge(2 * TextCost(name.size()))) return false;
                p.name = std::move(name);
                if (p.made) p.made->name_ = p.name;
                return true;
            }
            case kType: {
                std::string name;
                if (!Read([&](std::string* e) { return ReadString(v, &name, e); })) return true;
                const FileValueType type = FileValueTypeFromName(name);
                if (type == kFileValueNone) return Refuse(": unknown value type \"" + name + "\"");
                if (f.Has(kEnumTexts) && type != kFileValueEnum) {
                    f.member = kEnumTexts;
                    return Refuse(": only enum properties have texts");
                }
                if (!Charge(kPropertyCost)) return false;
                p.made = std::make_unique<FileProperty>(p.name, type);
                return true;
            }
            case kFlags: {
                std::int64_t flags = 0;
                if (Read([&](std::string* e) { return ReadRange(v, 0, UINT32_MAX, &flags, e); }))
                    p.flags = static_cast<std::uint32_t>(flags);
                return true;
            }
            case kValue:
                if (!p.made) {
                    // No type yet: keep the value until the property closes.
                    if (!Charge(Block(sizeof(Json)))) return false;
                    p.held = std::make_unique<Json>(opened ? Json(v.type()) : std::move(v));
                    if (opened) {
                        Frame buffer{Kind::kBuffer};
                        buffer.node = p.held.get();
                        stack_.push_back(buffer);
                    }
                    return true;
                }
                if (array) {
                    const FileValueType type = p.made->Type();
                    if (p.made->MemberCount() > 1) return Push(Kind::kTuple, Tuple::kNumbers);
                    if (type == kFileValueReference) return Push(Kind::kTuple, Tuple::kReference);
                    if (type == kFileValueStringList) {
                        p.list.clear();
                        return Reserve(p.list, declared, 1) && Push(Kind::kTexts);
                    }
                    if (type == kFileValueObject) {
                        p.targets.clear();
                        return Reserve(p.targets, declared, 1) && Push(Kind::kTargets);
                    }
                }
                Read([&](std::string* e) { return ReadPlainValue(v, p.made.get(), e); });
                return true;
            case kEnumTexts:
                if (!array) return Check([&](std::string* e) { return Expected(v, "an array of texts", e); });
                p.texts.clear();
                return Reserve(p.texts, declared, 1) && Push(Kind::kTexts);
            case kAnimation:
                if (!object) return Check([&](std::string* e) { return Expected(v, "a curve node object", e); });
                node_.reset();
                nodeName_.clear();
                channels_.clear();
                return Push(Kind::kNode);
        }
        return true;
    }

    bool TextElement(Json& v) {
        std::vector<std::string>& texts =
            stack_[stack_.size() - 2].member == kValue ? property_.list : property_.texts;
        std::string s;
        if (!Read([&](std::string* e) { return ReadString(v, &s, e); })) return true;
        if (!Charge(TextCost(s.size())) || !Room(texts)) return false;
        texts.push_back(std::move(s));
        return true;
    }

    bool PropertyEnds(const Frame& f) {
        PropertyState& p = property_;
        for (int m : {kPropName, kType})
            if (!f.Has(m)) return Refuse(std::string(": missing member \"") + kPropertyNames[m] + "\"");
        if (!f.Has(kValue)) return Refuse(": missing member \"value\"");
        p.made->SetFlags(p.flags);
        if (f.Has(kEnumTexts)) p.made->SetTexts(std::move(p.texts));
        p.made->animation_ = std::move(node_);
        if (!object_->Adopt(std::move(p.made))) return Refuse(".name: \"" + p.name + "\" is used twice");
        return true;
    }

    // -- Curve nodes and curves -----------------------------------------------

    bool NodeValue(Frame& f, Json& v, bool array) {
        if (f.member == kNodeName) {
            std::string name;
            if (!Read([&](std::string* e) { return ReadString(v, &name, e); })) return true;
            if (!Charge(TextCost(name.size()))) return false;
            nodeName_ = std::move(name);
            return true;
        }
        if (!array) return Refuse(ChannelCountFault());
        return Push(Kind::kChannels);
    }

    bool NodeEnds(const Frame& f) {
        for (int m : {kNodeName, kChannelList})
            if (!f.Has(m)) return Refuse(std::string(": missing member \"") + kNodeNames[m] + "\"");
        const int count = static_cast<int>(channels_.size());
        if (!Charge(Block(sizeof(CurveNode)) + Block(count * 2 * sizeof(void*)))) return false;
        node_ = std::make_unique<CurveNode>(std::move(nodeName_), count);
        for (int c = 0; c < count; ++c) {
            node_->SetChannelValue(c, channels_[c].first);
            node_->SetCurve(c, std::move(channels_[c].second));
        }
        channels_.clear();
        return true;
    }

    bool ChannelValue(Frame& f, Json& v, bool object) {
        if (f.member == kChannelValue)
            return Check([&](std::string* e) { return ReadDouble(v, &channelValue_, e); });
        if (!object) return Check([&](std::string* e) { return Expected(v, "a curve object", e); });
        curve_ = CurveState();
        return Push(Kind::kCurve);
    }

    bool CurveValue(Frame& f, Json& v, bool array, std::size_t declared) {
        CurveState& c = curve_;
        switch (f.member) {
            case kCurveClass:
                if (!v.is_string() || (v != "curve" && v != "custom"))
                    return Refuse(": expected \"curve\" or \"custom\"");
                c.custom = v == "custom";
                return true;
            case kDefault:
                return Check([&](std::string* e) { return ReadDouble(v, &c.defaultValue, e); });
            case kPre:
            case kPost:
                if (!array) {
                    return Check([&](std::string* e) { return ReadExtrapolation(&v, 1, nullptr, e); });
                }
                return Push(Kind::kTuple, f.member == kPre ? Tuple::kPre : Tuple::kPost);
            case kKeyList:
                if (!array) return Check([&](std::string* e) { return Expected(v, "an array", e); });
                // A key takes at least 13 bytes in either encoding.
                return Reserve(c.keys, declared, kKeyColumns + 1) && Push(Kind::kKeys);
            default: {  // the texts: name, key indices, tangent names
                std::string* text = f.member == kCurveName  ? &c.name
                                    : f.member == kKeyIndices ? &c.keyIndices
                                                              : &c.tangentNames;
                if (!Read([&](std::string* e) { return ReadString(v, text, e); })) return true;
                return Charge(TextCost(text->size()));
            }
        }
    }

    bool CurveEnds(const Frame& f) {
        CurveState& c = curve_;
        if (!f.Has(kCurveClass)) return Refuse(": missing member \"class\"");
        if (!c.custom)
            for (int m : {kKeyIndices, kTangentNames})
                if (f.Has(m)) return Refuse(std::string(": unknown member \"") + kCurveNames[m] + "\"");
        for (int m : {kCurveName, kDefault, kPre, kPost, kKeyList})
            if (!f.Has(m)) return Refuse(std::string(": missing member \"") + kCurveNames[m] + "\"");
        if (c.custom)
            for (int m : {kKeyIndices, kTangentNames})
                if (!f.Has(m)) return Refuse(std::string(": missing member \"") + kCurveNames[m] + "\"");
        if (!Charge(Block(sizeof(CustomCurve)))) return false;
        std::unique_ptr<Curve> curve;
        if (c.custom) {
            auto custom = std::make_unique<CustomCurve>(std::move(c.name));
            custom->KeyIndexList().SetText(std::move(c.keyIndices));
            custom->TangentNameList().SetText(std::move(c.tangentNames));
            curve = std::move(custom);
        } else {
            curve = std::make_unique<Curve>(std::move(c.name));
        }
        curve->SetDefaultValue(c.defaultValue);
        curve->PreExtrapolation() = c.pre;
        curve->PostExtrapolation() = c.post;
        curve->Keys() = std::move(c.keys);
        channelCurve_ = std::move(curve);
        curve_ = CurveState();
        return true;
    }

    // -- Short arrays ---------------------------------------------------------

    bool TupleEnds(const Frame& f) {
        Json* v = tuple_.data() + f.start;
        const std::size_t n = f.count;
        bool ok = true;
        switch (f.tuple) {
            case Tuple::kNumbers: {
                FileProperty* p = property_.made.get();
                double d[4];
                ok = Read([&](std::string* e) {
                    return ReadDoubles(v, n, static_cast<std::size_t>(p->MemberCount()), d, e);
                });
                if (ok) p->SetNumbers(d, p->MemberCount());
                break;
            }
            case Tuple::kReference:
                Read([&](std::string* e) { return ReadReference(v, n, property_.made.get(), e); });
                break;
            case Tuple::kPre:
            case Tuple::kPost:
                Read([&](std::string* e) {
                    return ReadExtrapolation(v, n, f.tuple == Tuple::kPre ? &curve_.pre : &curve_.post, e);
                });
                break;
            case Tuple::kKey: {
                CurveKey k;
                if (!Read([&](std::string* e) { return ReadKey(v, n, &k, e); })) break;
                if (!Room(curve_.keys)) return false;
                curve_.keys.push_back(k);
                break;
            }
        }
        if (tuple_.size() > f.start) tuple_.resize(f.start);
        return true;
    }

    // -- Values kept for later ------------------------------------------------

    // Charged as the tree grows: a value takes 16 bytes in its array, a text
    // its own block and a string object, a container its header.
    bool Buffer(Frame& f, Json& v, bool opened) {
        const std::size_t cost = (v.is_string() ? TextCost(v.get_ref<std::string&>().size()) + 48 : 0) +
                                 (opened ? 64 : 0) + sizeof(Json);
        if (!Charge(cost)) return false;
        Json* placed = nullptr;
        if (f.node->is_array()) {
            auto& array = f.node->get_ref<Json::array_t&>();
            if (!Room(array)) return false;
            array.push_back(opened ? Json(v.type()) : std::move(v));
            placed = &array.back();
        } else if (bufferSlot_) {
            *bufferSlot_ = opened ? Json(v.type()) : std::move(v);
            placed = bufferSlot_;
        }
        if (opened) {
            if (!placed) return true;  // a repeated member: parsed only
            Frame child{Kind::kBuffer};
            child.node = placed;
            stack_.push_back(child);
        }
        return true;
    }

    // -- State ----------------------------------------------------------------

    struct PropertyState {
        std::string name;
        std::uint32_t flags = 0;
        std::unique_ptr<FileProperty> made;  // once the type is known
        std::unique_ptr<Json> held;          // a value that came before the type
        std::vector<std::string> texts;      // enumeration texts
        std::vector<std::string> list;       // a string list's items
        std::vector<ObjectTarget> targets;   // an object property's objects
    };

    struct CurveState {
        bool custom = false;
        std::string name, keyIndices, tangentNames;
        double defaultValue = 0.0;
        ExtrapolationSetting pre, post;
        std::vector<CurveKey> keys;
    };

    std::size_t inputSize_;
    std::size_t budget_;
    std::size_t used_ = 0;
    Document* doc_;
    std::vector<Frame> stack_;
    std::string message_;

    // The top level.
    bool rootIsObject_ = false;
    std::uint32_t rootSeen_ = 0;
    Json format_, version_, objectsFound_;
    std::string unknownRoot_;
    std::string objectError_;

    // What is being read, one of each at a time: the format does not nest.
    std::unique_ptr<FileObject> object_;
    std::string fieldName_;
    FieldValue fieldValue_;
    PropertyState property_;
    std::string nodeName_;
    std::vector<std::pair<double, std::unique_ptr<Curve>>> channels_;
    std::unique_ptr<CurveNode> node_;
    double channelValue_ = 0.0;
    std::unique_ptr<Curve> channelCurve_;
    CurveState curve_;
    std::vector<Json> tuple_;
    Json* bufferSlot_ = nullptr;
    // The values events arrive in: texts, and the stand-ins of arrays and
    // objects that open.
    Json text_ = Json::value_t::string;
    Json objectMark_ = Json::value_t::object;
    Json arrayMark_ = Json::value_t::array;
};

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
        Document doc;
        DocumentReader reader(size, &doc);
        const bool parsed =
            binary ? Json::sax_parse(bytes + sizeof kCborMagic, bytes + size, &reader,
                                     nlohmann::detail::input_format_t::cbor, true)
                   : Json::sax_parse(bytes, bytes + size, &reader,
                                     nlohmann::detail::input_format_t::json, true);
        if (!parsed)
            return Fail(error, "not a valid scene file: " +
                                   (reader.Message().empty() ? std::string("the data ends early")
                                                             : reader.Message()));
        if (!reader.Finish(error) || !Validate(doc, error)) return false;
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
