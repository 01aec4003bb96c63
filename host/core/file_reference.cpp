#include "velora/file_reference.h"

#include <algorithm>

namespace velora {

PlugSnapshot::PlugSnapshot(Plug* plug) : plug_(plug) {
    for (int i = 0; i < plug->SrcCount(); ++i) sources_.emplace_back(plug->Src(i));
    for (int i = 0; i < plug->DstCount(); ++i) destinations_.emplace_back(plug->Dst(i));
}

namespace {

bool Holds(const std::vector<PlugHandle>& list, const Plug* plug) {
    return std::any_of(list.begin(), list.end(),
                       [plug](const PlugHandle& h) { return h.Get() == plug; });
}

void Compare(const std::vector<PlugHandle>& then, int nowCount, Plug* (Plug::*at)(int) const,
             const Plug* plug, bool added, std::vector<Plug*>& out) {
    if (added) {
        for (int i = 0; i < nowCount; ++i) {
            Plug* p = (plug->*at)(i);
            if (!Holds(then, p)) out.push_back(p);
        }
        return;
    }
    for (const PlugHandle& h : then) {
        Plug* p = h.Get();
        if (!p) continue;
        bool stillThere = false;
        for (int i = 0; i < nowCount && !stillThere; ++i) stillThere = (plug->*at)(i) == p;
        if (!stillThere) out.push_back(p);
    }
}

}  // namespace

void PlugSnapshot::CollectModified(std::uint32_t flag, bool added, std::vector<Plug*>& out) const {
    Plug* plug = plug_.Get();
    if (!plug) return;
    if (flag & kSnapshotSources) Compare(sources_, plug->SrcCount(), &Plug::Src, plug, added, out);
    if (flag & kSnapshotDestinations)
        Compare(destinations_, plug->DstCount(), &Plug::Dst, plug, added, out);
}

FileReference* FileReference::Create(const char* name) { return new FileReference(name); }

void FileReference::TakeSnapshot(Plug* plug) {
    if (!plug) return;
    snapshots_[plug] = std::make_unique<PlugSnapshot>(plug);
}

const PlugSnapshot* FileReference::Snapshot(const Plug* plug) const {
    auto it = snapshots_.find(plug);
    // A plug that ended may have left its address to a newer one.
    if (it == snapshots_.end() || it->second->Subject() != plug) return nullptr;
    return it->second.get();
}

void FileReference::Adopt(Object* object) {
    if (!object) return;
    object->SetOwnerFileReference(this);
    TakeSnapshot(object);
    for (int i = 0; i < object->OwnedCount(); ++i) TakeSnapshot(object->Owned(i));
}

}  // namespace velora
