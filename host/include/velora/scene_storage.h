#ifndef VELORA_SCENE_STORAGE_H
#define VELORA_SCENE_STORAGE_H

// Storing host objects into a scene document and retrieving them from one.
//
// A StorageSession lasts one save or one load. Saving, the host first adds
// every object it will store (AddObject), so that each has its file id
// before any field is written; then it runs the passes, opening one
// ObjectStore per object and pass and handing it to the object's own code
// (a bridge passes it on to the extension). Loading, the host creates an
// object for each file object and binds the two (Bind), then runs the same
// passes over the stores.
//
// Pass bits (handed to extensions unchanged):
//   kPassHeader      0x1  objects are listed (saving) or created (loading)
//   kPassFields      0x2  the pass that carries object fields
//   kPassAnimation   0x4  file properties and their curves
//   kPassReferences  0x8  after every object exists; references resolve
// A pass may carry several bits. Reading a reference field gives the bound
// object whenever the target is bound; in pass 0x8 every target is.
//
// The session keeps plain pointers to the host objects it was given: they
// must outlive it (no object is deleted during a save or a load).

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include <lyiface/object.h>

#include "velora/export.h"
#include "velora/scene_file.h"

namespace velora {
namespace dsx {

using lyiface::IObject;

enum PassFlag : std::uint32_t {
    kPassHeader = 0x1,
    kPassFields = 0x2,
    kPassAnimation = 0x4,
    kPassReferences = 0x8,
};

class StorageSession;

/// The interface id under which an ObjectStore answers with itself; no
/// other object answers it, which is how AsObjectStore tells a store apart.
constexpr std::uint32_t kIdObjectStore = 0x0d5c57a3u;

/// The storage of one object in one pass. It is an IObject (answering the
/// self id and kIdObjectStore) so that it can travel to the SDK like every
/// host object; its session owns it, and Destroy does nothing.
class VELORA_API ObjectStore final : public IObject {
public:
    IObject* IQuery(std::uint32_t id, int arg = 0) override;
    void Destroy(int) override {}

    bool IsStoring() const;
    std::uint32_t Pass() const { return pass_; }
    /// The file object; writable only while storing.
    const FileObject* Record() const { return record_; }
    FileObject* WritableRecord() const { return writable_; }
    /// The host object being stored or retrieved.
    IObject* Subject() const { return subject_; }
    /// The session this store belongs to.
    StorageSession& Session() const { return *session_; }

    // Writing: false while retrieving, for a null or empty name, and for a
    // reference to an object that the session does not store.
    bool WriteInteger(const char* name, std::int64_t value);
    bool WriteDouble(const char* name, double value);
    bool WriteString(const char* name, const char* value);
    /// Null `target` writes the null reference.
    bool WriteReference(const char* name, IObject* target);

    // Reading (also possible while storing, from what was written).
    bool HasField(const char* name) const;
    /// False, `out` unchanged, when absent or not an integer.
    bool ReadInteger(const char* name, std::int64_t* out) const;
    bool ReadDouble(const char* name, double* out) const;
    /// The text, or null when absent or not a string. Valid while the
    /// document lives and the field is not rewritten.
    const char* ReadString(const char* name) const;
    /// The object a reference field names, or null: absent, not a
    /// reference, the null reference, or a target not (yet) bound.
    IObject* ReadReference(const char* name) const;

private:
    friend class StorageSession;
    ObjectStore(StorageSession* session, const FileObject* record, FileObject* writable,
                IObject* subject)
        : session_(session), record_(record), writable_(writable), subject_(subject) {}

    StorageSession* session_;
    const FileObject* record_;
    FileObject* writable_;
    IObject* subject_;
    std::uint32_t pass_ = 0;
};

class VELORA_API StorageSession {
public:
    /// A storing session writing into `document`.
    explicit StorageSession(Document* document);
    /// A retrieving session reading `document`.
    explicit StorageSession(const Document& document);
    ~StorageSession();
    StorageSession(const StorageSession&) = delete;
    StorageSession& operator=(const StorageSession&) = delete;

    bool IsStoring() const { return writable_ != nullptr; }
    const Document& GetDocument() const { return *document_; }

    /// Storing: a new file object for `object`, with the next id. Null when
    /// retrieving, for a null object, one already added, or when the
    /// document refuses the names (see Document::AddObject).
    FileObject* AddObject(IObject* object, const std::string& className, const std::string& name);
    /// Retrieving: binds file object `id` to the host object made for it.
    /// False when storing, for a null object, an id not in the document,
    /// or an id or object already bound.
    bool Bind(std::uint32_t id, IObject* object);

    /// The file id of a host object (0 when not in the session).
    std::uint32_t IdOf(const IObject* object) const;
    /// The host object of a file id (null when not bound).
    IObject* ObjectOf(std::uint32_t id) const;

    /// The store of `object` for `pass`, or null for an object not in the
    /// session. The same store is handed out for every pass of one object.
    ObjectStore* Open(IObject* object, std::uint32_t pass);

    /// How a property value names `object`: by its file id when it is in
    /// the session, else by its full name (an object the host keeps for
    /// itself, say), which the reading host looks up.
    ObjectTarget TargetOf(IObject* object) const;
    /// The object a target names: the object bound to its id, or the
    /// living object of its full name; null when there is none.
    IObject* Resolve(const ObjectTarget& target) const;

    /// What a save or a load could not keep, one message each; the host
    /// also prints them as warnings.
    void Warn(const std::string& message);
    const std::vector<std::string>& Warnings() const { return warnings_; }
    /// Properties stored or retrieved so far (counted by the objects).
    int PropertiesDone() const { return properties_; }
    void CountProperty() { ++properties_; }

private:
    const Document* document_;
    Document* writable_;
    std::unordered_map<const IObject*, std::uint32_t> ids_;
    std::unordered_map<std::uint32_t, IObject*> objects_;
    std::unordered_map<std::uint32_t, std::unique_ptr<ObjectStore>> stores_;
    std::vector<std::string> warnings_;
    int properties_ = 0;
};

class ObjectStore;

/// The file form of a raw value of `type` (scalars, vectors, colours,
/// times, timecodes, texts): `out` must be a property of the type's own
/// file type. False for the other types and for a type mismatch.
VELORA_API bool StoreRawValue(int dataType, const void* raw, FileProperty& out);
/// The raw value of `type` that a file property holds, written to `raw`
/// (`size` bytes, which must be the type's value size). False, nothing
/// written, when the file property is of another type than the host type's
/// own file type: a value never crosses types.
VELORA_API bool RetrieveRawValue(const FileProperty& in, int dataType, void* raw,
                                 std::size_t size);

/// The store behind an IObject, or null when it is not one.
VELORA_API ObjectStore* AsObjectStore(IObject* object);

}  // namespace dsx
}  // namespace velora

#endif  // VELORA_SCENE_STORAGE_H
