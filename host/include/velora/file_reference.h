#ifndef VELORA_FILE_REFERENCE_H
#define VELORA_FILE_REFERENCE_H

// File references: a namespace whose objects came from another scene file.
// Each keeps a snapshot store so it can tell which connections of its
// objects were changed after the reference was loaded.

#include <memory>
#include <unordered_map>
#include <vector>

#include "velora/namespace.h"

namespace velora {

/// Which side of a plug a snapshot comparison looks at.
enum SnapshotSide : std::uint32_t {
    kSnapshotSources = 0x1,
    kSnapshotDestinations = 0x2,
};

/// The connections of one plug at the time the snapshot was taken.
class VELORA_API PlugSnapshot {
public:
    explicit PlugSnapshot(Plug* plug);

    /// Appends to `out` the plugs whose connection changed since the
    /// snapshot, on the sides selected by `flag` (SnapshotSide bits).
    /// `added` true lists plugs connected now but not then; false lists
    /// plugs connected then but not now (plugs that ended are skipped).
    void CollectModified(std::uint32_t flag, bool added, std::vector<Plug*>& out) const;
    /// The plug the snapshot was taken of, or null once it ended.
    Plug* Subject() const { return plug_.Get(); }

private:
    PlugHandle plug_;
    std::vector<PlugHandle> sources_;
    std::vector<PlugHandle> destinations_;
};

class VELORA_API FileReference : public Namespace {
public:
    static FileReference* Create(const char* name = nullptr);

    /// Records the current connections of `plug` (replacing an older one).
    void TakeSnapshot(Plug* plug);
    /// The snapshot of `plug`, or null.
    const PlugSnapshot* Snapshot(const Plug* plug) const;
    /// Takes a snapshot of `object` and of its owned plugs, and marks them
    /// as belonging to this reference.
    void Adopt(Object* object);

protected:
    FileReference(const char* name) : Namespace(name, kClassFileReference) {}

private:
    std::unordered_map<const Plug*, std::unique_ptr<PlugSnapshot>> snapshots_;
};

}  // namespace velora

#endif  // VELORA_FILE_REFERENCE_H
