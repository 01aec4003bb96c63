#include "velora/object_directory.h"

#include <algorithm>
#include <cstring>

#include "velora/class_registry.h"
#include "velora/object.h"
#include "velora/property.h"
#include "velora/trace.h"

namespace velora {

namespace {

thread_local int tCreationIndex = 0;

// Whether `nameSpace` is `path` or lies under it ("a" covers "a" and "a:b",
// not "ab").
bool UnderPath(const char* nameSpace, const char* path) {
    const std::size_t n = std::strlen(path);
    if (std::strncmp(nameSpace, path, n) != 0) return false;
    return nameSpace[n] == '\0' || nameSpace[n] == ':';
}

}  // namespace

ObjectDirectory& ObjectDirectory::Instance() {
    // Deliberately leaked: host objects may end during static destruction.
    static ObjectDirectory* directory = new ObjectDirectory();
    return *directory;
}

std::string ObjectDirectory::Describe(const Object& object, std::uint32_t id) {
    const char* className = ClassRegistry::Instance().Name(object.ClassId());
    return std::string(object.FullName()) + " (id " + std::to_string(id) + ", " +
           (className ? className : "?") + ")";
}

void ObjectDirectory::Add(Object* object) {
    if (!object) return;
    std::string line;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (records_.count(object)) return;
        const std::uint32_t id = nextId_++;
        const std::uint64_t order = nextOrder_++;
        records_.emplace(object, Record{order, id, object->FullName()});
        byOrder_.emplace(order, object);
        byName_[object->FullName()].push_back(object);
        if (lifeLog_) line = "Object created: " + Describe(*object, id) + "\n";
    }
    // Printed outside the lock: a trace stub may look objects up.
    if (!line.empty()) Trace::Instance().Print(Trace::kDefaultLevel, line.c_str());
}

void ObjectDirectory::Unname(Object* object, const std::string& fullName) {
    auto it = byName_.find(fullName);
    if (it == byName_.end()) return;
    std::vector<Object*>& carriers = it->second;
    carriers.erase(std::remove(carriers.begin(), carriers.end(), object), carriers.end());
    if (carriers.empty()) byName_.erase(it);
}

void ObjectDirectory::Remove(Object* object) {
    std::string line;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        auto it = records_.find(object);
        if (it == records_.end()) return;
        Unname(object, it->second.fullName);
        byOrder_.erase(it->second.order);
        if (lifeLog_) line = "Object ended: " + Describe(*object, it->second.id) + "\n";
        records_.erase(it);
    }
    if (!line.empty()) Trace::Instance().Print(Trace::kDefaultLevel, line.c_str());
}

void ObjectDirectory::Renamed(Object* object) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto it = records_.find(object);
    if (it == records_.end() || it->second.fullName == object->FullName()) return;
    Unname(object, it->second.fullName);
    it->second.fullName = object->FullName();
    byName_[it->second.fullName].push_back(object);
}

Object* ObjectDirectory::FindByFullName(const char* fullName) const {
    if (!fullName) return nullptr;
    // The key is built in a per-thread buffer so that a lookup does not
    // allocate once the buffer has grown to the longest name looked up.
    thread_local std::string key;
    key.assign(fullName);
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto it = byName_.find(key);
    if (it == byName_.end()) return nullptr;
    for (Object* object : it->second)
        if (!object->IsEnding()) return object;
    return nullptr;
}

bool ObjectDirectory::MatchesName(const Object& object, const char* pattern, bool withNamespace) {
    if (!pattern) return false;
    if (std::strstr(pattern, "::")) return WildcardMatch(pattern, object.FullName());
    return WildcardMatch(pattern, withNamespace ? object.LabelName() : object.Name());
}

int ObjectDirectory::FindByPattern(const char* pattern, bool withNamespace, bool modelsOnly,
                                   std::vector<Object*>* out) const {
    if (!pattern || !out) return 0;
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    int found = 0;
    for (const auto& entry : byOrder_) {
        Object* object = entry.second;
        if (object->IsEnding()) continue;
        if (modelsOnly && !object->IsA(kClassModel)) continue;
        if (!MatchesName(*object, pattern, withNamespace)) continue;
        out->push_back(object);
        ++found;
    }
    return found;
}

int ObjectDirectory::DeleteByPattern(const char* pattern, const char* nameSpace,
                                     const char* group) {
    if (!pattern || !*pattern) return 0;
    const bool withNamespace = std::strchr(pattern, ':') != nullptr;
    const bool byNamespace = nameSpace && *nameSpace;
    const bool byGroup = group && *group;
    // Collect first: ending an object changes the directory (and may end
    // other objects, such as the ones it owns).
    std::vector<PlugHandle> matches;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        for (const auto& entry : byOrder_) {
            Object* object = entry.second;
            if (object->IsEnding() || !object->IsDeletable() ||
                object->HasObjectFlags(kObjectSystem))
                continue;
            if (byNamespace && !UnderPath(object->NamespacePart(), nameSpace)) continue;
            if (byGroup && std::strcmp(ClassRegistry::Instance().Group(object->ClassId()), group))
                continue;
            if (!MatchesName(*object, pattern, withNamespace)) continue;
            matches.emplace_back(object);
        }
    }
    for (PlugHandle& handle : matches)
        if (Plug* plug = handle.Get()) plug->Destroy(0);
    return static_cast<int>(std::count_if(matches.begin(), matches.end(),
                                          [](const PlugHandle& h) { return !h.Valid(); }));
}

std::uint32_t ObjectDirectory::NextUniqueId() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return nextId_++;
}

std::uint32_t ObjectDirectory::UniqueIdOf(const Object* object) const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto it = records_.find(object);
    return it == records_.end() ? 0 : it->second.id;
}

std::uint32_t ObjectDirectory::LivingCount() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return static_cast<std::uint32_t>(records_.size());
}

std::vector<Object*> ObjectDirectory::Livings() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    std::vector<Object*> out;
    out.reserve(byOrder_.size());
    for (const auto& entry : byOrder_) out.push_back(entry.second);
    return out;
}

void ObjectDirectory::EnableLifeLog(bool on) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    lifeLog_ = on;
}

bool ObjectDirectory::LifeLogEnabled() const {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return lifeLog_;
}

void ObjectDirectory::PrintLivings(unsigned int maxLines) const {
    std::vector<std::string> lines;
    {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        lines.push_back("Living objects: " + std::to_string(records_.size()) + "\n");
        std::size_t shown = 0;
        for (const auto& entry : byOrder_) {
            if (maxLines && shown == maxLines) break;
            const Object& object = *entry.second;
            lines.push_back("  " + Describe(object, records_.at(&object).id) + "\n");
            ++shown;
        }
        if (shown < records_.size())
            lines.push_back("  ... and " + std::to_string(records_.size() - shown) + " more\n");
    }
    Trace& trace = Trace::Instance();
    for (const std::string& line : lines) trace.Print(Trace::kDefaultLevel, line.c_str());
}

ScopedCreationIndex::ScopedCreationIndex(int index) : previous_(tCreationIndex) {
    tCreationIndex = index;
}

ScopedCreationIndex::~ScopedCreationIndex() { tCreationIndex = previous_; }

int CurrentCreationIndex() { return tCreationIndex; }

}  // namespace velora
