#ifndef VELORA_OBJECT_DIRECTORY_H
#define VELORA_OBJECT_DIRECTORY_H

// The object directory: every living host object, known by creation order,
// by full name and by unique id.
//
// Objects join the directory when they are constructed and leave it when
// they start to end (Object's constructor and Teardown do both), so the
// directory never holds an object that is already half gone. A rename
// moves the object to its new full name at once; lookups by full name are
// a hash lookup, whatever the number of objects.
//
// The directory also hands out the host's global unique ids (one counter
// for objects and for callers that ask for an id), counts the living
// objects and keeps the object life log: when the log is on, every
// creation and every end writes one line to the trace output.
//
// The directory is reached through MainEntity::Objects().

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "velora/export.h"

namespace velora {

class Object;

class VELORA_API ObjectDirectory {
public:
    /// The process-wide directory. It is never destroyed, so objects that
    /// outlive static destruction can still leave it.
    static ObjectDirectory& Instance();

    ObjectDirectory(const ObjectDirectory&) = delete;
    ObjectDirectory& operator=(const ObjectDirectory&) = delete;

    // Bookkeeping, called by Object itself.
    /// Registers a new object and gives it the next unique id.
    void Add(Object* object);
    /// Forgets an object that is ending; unknown objects are ignored.
    void Remove(Object* object);
    /// Moves an object to its current full name; unknown objects are ignored.
    void Renamed(Object* object);

    /// The living object whose full name ("Group::namespace:name") is
    /// exactly `fullName`, or null. When several objects share the name,
    /// the one that has carried it longest answers.
    Object* FindByFullName(const char* fullName) const;

    /// Appends to `out`, in creation order, every living object whose name
    /// matches `pattern` (see MatchesName); returns how many were appended.
    /// `withNamespace` chooses the name a pattern without "::" is compared
    /// with: the label ("ns:name") when true, the plain name when false.
    /// `modelsOnly` keeps only objects of the host model class.
    int FindByPattern(const char* pattern, bool withNamespace, bool modelsOnly,
                      std::vector<Object*>* out) const;

    /// Ends every living object that matches `pattern` and the filters, and
    /// returns how many of them ended. The pattern is compared with the
    /// plain name, or with the label when it holds ':' (full name with
    /// "::"). `nameSpace`, when neither null nor empty, keeps objects whose
    /// namespace part is that path or lies under it ("rig" takes "rig" and
    /// "rig:arm"). `group`, when neither null nor empty, keeps objects whose
    /// full-name group is exactly `group` ("Model"). Objects that are not
    /// deletable, are locked or belong to the host itself (system flag) are
    /// kept. Objects ending along with an earlier match (owned ones) count.
    int DeleteByPattern(const char* pattern, const char* nameSpace, const char* group);

    /// Whether `object`'s name matches `pattern` under the rules above.
    static bool MatchesName(const Object& object, const char* pattern, bool withNamespace);

    /// Takes the next global unique id. Ids start at 1 and are never given
    /// twice (until the 32-bit counter wraps after 4 billion ids).
    std::uint32_t NextUniqueId();
    /// The unique id given to `object` when it was created; 0 when unknown.
    std::uint32_t UniqueIdOf(const Object* object) const;
    /// Number of living host objects.
    std::uint32_t LivingCount() const;
    /// The living objects in creation order.
    std::vector<Object*> Livings() const;

    /// The life log: when on, each creation writes "Object created: <full
    /// name> (id <n>, <class>)" and each end "Object ended: ..." to the
    /// trace output at the warning level.
    void EnableLifeLog(bool on);
    bool LifeLogEnabled() const;

    /// Writes "Living objects: <count>" and then one line per living object,
    /// in creation order, to the trace output. `maxLines` limits the object
    /// lines (0: no limit); the rest is summed up in a last line.
    void PrintLivings(unsigned int maxLines) const;

private:
    ObjectDirectory() = default;
    struct Record {
        std::uint64_t order;
        std::uint32_t id;
        std::string fullName;
    };
    void Unname(Object* object, const std::string& fullName);
    static std::string Describe(const Object& object, std::uint32_t id);

    mutable std::recursive_mutex mutex_;
    std::uint32_t nextId_ = 1;
    std::uint64_t nextOrder_ = 1;
    bool lifeLog_ = false;
    std::unordered_map<const Object*, Record> records_;
    std::map<std::uint64_t, Object*> byOrder_;
    // Full name to the objects carrying it, longest-carried first.
    std::unordered_map<std::string, std::vector<Object*>> byName_;
};

/// The index handed to an object creation from a registry entry. The host
/// registry's creator functions take no index, so the caller sets it around
/// the creator call and a creator that cares reads CurrentCreationIndex().
/// Scopes nest (the previous index comes back) and are per thread.
class VELORA_API ScopedCreationIndex {
public:
    explicit ScopedCreationIndex(int index);
    ~ScopedCreationIndex();
    ScopedCreationIndex(const ScopedCreationIndex&) = delete;
    ScopedCreationIndex& operator=(const ScopedCreationIndex&) = delete;

private:
    int previous_;
};

/// The index of the creation under way on this thread; 0 outside any.
VELORA_API int CurrentCreationIndex();

}  // namespace velora

#endif  // VELORA_OBJECT_DIRECTORY_H
