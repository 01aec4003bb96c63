// Storage sessions: the bridge between host objects and file objects for
// one save or one load.

#include "velora/scene_storage.h"

#include "velora/entity.h"
#include "velora/object.h"
#include "velora/trace.h"

namespace velora {
namespace dsx {

namespace {
bool Usable(const char* name) { return name && *name; }
}  // namespace

// ---------------------------------------------------------------------------
// ObjectStore

IObject* ObjectStore::IQuery(std::uint32_t id, int) {
    return id == lyiface::kIdSelf || id == kIdObjectStore ? this : nullptr;
}

ObjectStore* AsObjectStore(IObject* object) {
    return object ? static_cast<ObjectStore*>(object->IQuery(kIdObjectStore)) : nullptr;
}

bool ObjectStore::IsStoring() const { return writable_ != nullptr; }

bool ObjectStore::WriteInteger(const char* name, std::int64_t value) {
    return writable_ && Usable(name) && writable_->SetInteger(name, value);
}

bool ObjectStore::WriteDouble(const char* name, double value) {
    return writable_ && Usable(name) && writable_->SetDouble(name, value);
}

bool ObjectStore::WriteString(const char* name, const char* value) {
    return writable_ && Usable(name) && value && writable_->SetString(name, value);
}

bool ObjectStore::WriteReference(const char* name, IObject* target) {
    if (!writable_ || !Usable(name)) return false;
    std::uint32_t id = 0;
    if (target) {
        id = session_->IdOf(target);
        // A reference to an object that is not in the file could never be
        // resolved when the file is read.
        if (id == 0) return false;
    }
    return writable_->SetReference(name, id);
}

bool ObjectStore::HasField(const char* name) const {
    return Usable(name) && record_->HasField(name);
}

bool ObjectStore::ReadInteger(const char* name, std::int64_t* out) const {
    return Usable(name) && record_->GetInteger(name, out);
}

bool ObjectStore::ReadDouble(const char* name, double* out) const {
    return Usable(name) && record_->GetDouble(name, out);
}

const char* ObjectStore::ReadString(const char* name) const {
    if (!Usable(name)) return nullptr;
    const std::string* text = record_->GetString(name);
    return text ? text->c_str() : nullptr;
}

IObject* ObjectStore::ReadReference(const char* name) const {
    std::uint32_t id = 0;
    if (!Usable(name) || !record_->GetReference(name, &id) || id == 0) return nullptr;
    return session_->ObjectOf(id);
}

// ---------------------------------------------------------------------------
// StorageSession

StorageSession::StorageSession(Document* document) : document_(document), writable_(document) {}

StorageSession::StorageSession(const Document& document)
    : document_(&document), writable_(nullptr) {}

StorageSession::~StorageSession() = default;

FileObject* StorageSession::AddObject(IObject* object, const std::string& className,
                                      const std::string& name) {
    if (!writable_ || !object || ids_.count(object)) return nullptr;
    FileObject* record = writable_->AddObject(className, name);
    if (!record) return nullptr;
    ids_[object] = record->Id();
    objects_[record->Id()] = object;
    return record;
}

bool StorageSession::Bind(std::uint32_t id, IObject* object) {
    if (writable_ || !object || !document_->FindObject(id) || objects_.count(id) ||
        ids_.count(object))
        return false;
    ids_[object] = id;
    objects_[id] = object;
    return true;
}

std::uint32_t StorageSession::IdOf(const IObject* object) const {
    auto it = ids_.find(object);
    return it == ids_.end() ? 0 : it->second;
}

IObject* StorageSession::ObjectOf(std::uint32_t id) const {
    auto it = objects_.find(id);
    return it == objects_.end() ? nullptr : it->second;
}

ObjectStore* StorageSession::Open(IObject* object, std::uint32_t pass) {
    const std::uint32_t id = IdOf(object);
    if (id == 0) return nullptr;
    std::unique_ptr<ObjectStore>& store = stores_[id];
    if (!store) {
        FileObject* writable = writable_ ? writable_->FindObject(id) : nullptr;
        const FileObject* record = document_->FindObject(id);
        if (!record) return nullptr;
        store.reset(new ObjectStore(this, record, writable, object));
    }
    store->pass_ = pass;
    return store.get();
}

ObjectTarget StorageSession::TargetOf(IObject* object) const {
    ObjectTarget target;
    target.id = IdOf(object);
    if (target.id == 0)
        if (Object* full = AsObject(object)) target.name = full->FullName();
    return target;
}

IObject* StorageSession::Resolve(const ObjectTarget& target) const {
    if (target.id != 0) return ObjectOf(target.id);
    if (target.name.empty()) return nullptr;
    return MainEntity::Instance().Objects().FindByFullName(target.name.c_str());
}

void StorageSession::Warn(const std::string& message) {
    warnings_.push_back(message);
    Trace::Instance().Printf(Trace::kDefaultLevel, "Scene file: %s\n", message.c_str());
}

}  // namespace dsx
}  // namespace velora
