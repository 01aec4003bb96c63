#ifndef VELORA_PLUG_H
#define VELORA_PLUG_H

// Host plugs: the nodes of the host's connection graph.
//
// A plug has an ordered list of sources and an ordered list of destinations;
// each connection appears in both lists (the source's destination list and
// the destination's source list) with its connection type. A plug may own
// other plugs (an object owns its properties); owned plugs end with their
// owner. Every change is announced through the three notification virtuals,
// and a false answer to a request (or an announcement before the change)
// refuses it.
//
// Who is told what:
//   PlugNotify       the plug whose connections, ownership, selection, name
//                    or change bracket change; `plug` is the other end of a
//                    connection, or the plug itself for its own selection,
//                    name and brackets. Requests (kActRequest...) and the
//                    announcements before a change (kActConnectSrc,
//                    kActRename, ...) may refuse it.
//   PlugDataNotify   a property's value: the property's owning object first
//   PlugStateNotify  (with `plug` the property), then the property itself;
//                    kActCandidate proposes a change (either may refuse it),
//                    kActCandidated reports the change taken.

#include <cstdint>
#include <memory>
#include <vector>

#include <lyiface/object.h>

#include "velora/class_registry.h"
#include "velora/export.h"

namespace velora {

using lyiface::HIObject;
using lyiface::IObject;

/// Notification action codes; the SDK passes them through unchanged.
enum PlugAction : int {
    kActRequestConnectSrc = 0,
    kActRequestConnectDst = 1,
    kActConnectSrc = 2,
    kActConnectDst = 3,
    kActConnectedSrc = 4,
    kActConnectedDst = 5,
    kActRequestDisconnectSrc = 6,
    kActRequestDisconnectDst = 7,
    kActDisconnectSrc = 8,
    kActDisconnectDst = 9,
    kActDisconnectedSrc = 10,
    kActDisconnectedDst = 11,
    kActBeginReplaceSrc = 12,
    kActEndReplaceSrc = 13,
    kActBeginReplaceDst = 14,
    kActEndReplaceDst = 15,
    kActReorderSrc = 16,
    kActReorderedSrc = 17,
    kActBeginChange = 18,
    kActEndChange = 19,
    kActConnectedOwner = 20,
    kActDisconnectOwner = 21,
    kActCandidate = 22,
    kActCandidated = 23,
    kActCandidateGlobal = 24,
    kActDetached = 25,
    kActDestroy = 26,
    kActSelect = 27,
    kActUnselect = 28,
    kActReselect = 29,
    kActRequestRename = 30,
    kActRename = 31,
    kActRenamed = 32,
    kActRequestPrefixRename = 33,
    kActPrefixRename = 34,
    kActPrefixRenamed = 35,
};

/// Bits of the plug's modification word. The SDK addresses them through
/// three masks: content (0x142a00), self (0xbd500) and status (0x200000).
enum PlugModFlag : std::uint32_t {
    kModSelfProperty = 0x100,
    kModContentProperty = 0x200,
    kModSelfConnection = 0x400,
    kModContentConnection = 0x800,
    kModSelfName = 0x1000,
    kModSelfFlags = 0x4000,
    kModSelfValue = 0x10000,
    kModSelfAnimation = 0x20000,
    kModContentAnimation = 0x2000,
    kModSelfOther = 0x80000,
    kModContentChild = 0x40000,
    kModContentOther = 0x100000,
    kModStatus = 0x200000,
};
constexpr std::uint32_t kModContentMask = 0x142a00;
constexpr std::uint32_t kModSelfMask = 0xbd500;
constexpr std::uint32_t kModStatusMask = 0x200000;

class VELORA_API Plug : public IObject {
public:
    /// A bare plug of class "Plug", owned by the caller until Destroy.
    static Plug* Create();

    IObject* IQuery(std::uint32_t id, int arg = 0) override;
    /// Ends the plug (see End), then frees it.
    void Destroy(int mode = 0) override;

    virtual int ClassId() const { return kClassPlug; }
    bool IsA(int classId) const;

    // Connections. Indices outside the list make the call fail (false/null/0).
    int SrcCount() const { return static_cast<int>(src_.size()); }
    int DstCount() const { return static_cast<int>(dst_.size()); }
    Plug* Src(int i) const;
    Plug* Dst(int i) const;
    int SrcType(int i) const;
    int DstType(int i) const;
    /// Position of `plug` among the sources (destinations), or -1.
    int SrcIndex(const Plug* plug) const;
    int DstIndex(const Plug* plug) const;

    /// Makes `src` a source of this plug (appended). False when `src` is
    /// null, this plug, already a source, or a notification refuses.
    bool ConnectSrc(Plug* src, int type = 0);
    bool ConnectSrcAt(int index, Plug* src, int type = 0);
    /// Makes `dst` a destination of this plug.
    bool ConnectDst(Plug* dst, int type = 0);
    bool ConnectDstAt(int index, Plug* dst, int type = 0);
    bool DisconnectSrc(Plug* src);
    bool DisconnectDst(Plug* dst);
    bool DisconnectSrcAt(int index);
    bool DisconnectDstAt(int index);
    void DisconnectAllSrc();
    void DisconnectAllDst();
    /// Replaces the i-th source (destination) by `plug`, keeping its type.
    bool ReplaceSrcAt(int index, Plug* plug);
    bool ReplaceDstAt(int index, Plug* plug);
    bool SwapSrc(int i, int j);
    bool MoveSrcAt(int from, int to);
    /// Moves source `plug` to just before source `before`.
    bool MoveSrcAt(Plug* plug, Plug* before);

    // Ownership: owned plugs end with their owner.
    Plug* Owner() const { return owner_; }
    int OwnedCount() const { return static_cast<int>(owned_.size()); }
    Plug* Owned(int i) const;
    /// Moves this plug under `owner` (null: no owner).
    void SetOwner(Plug* owner);

    // Change brackets: nested; notifications at the outermost level.
    bool BeginChange();
    void EndChange();
    int ChangeDepth() const { return changeDepth_; }

    /// The modification word, read and written directly by the SDK.
    std::uint32_t& ModFlags() { return modFlags_; }
    std::uint32_t ModFlags() const { return modFlags_; }
    /// Clears the modification bits of `flag`; true when any was set.
    bool RevertModification(std::uint32_t flag);

    // Notifications. Classes whose objects carry an SDK wrapper override
    // these; the base implementation accepts everything.
    virtual bool PlugNotify(int action, Plug* plug, int index, Plug* plug2, int type, Plug* plug3);
    virtual bool PlugDataNotify(int action, Plug* plug, void* data, void* oldData, int size);
    virtual bool PlugStateNotify(int action, Plug* plug, void* data, void* oldData, int size);

    /// The cell that weak handles share; it reads null once the plug ended.
    const std::shared_ptr<Plug*>& Anchor();
    bool IsEnding() const { return ending_; }

protected:
    Plug();
    virtual ~Plug();
    /// The end of the plug without freeing it: owned plugs end first,
    /// connections are dropped (the other sides are told) and weak handles
    /// become invalid. False, and nothing done, when the end had begun
    /// already. For classes that free their objects themselves.
    bool End();
    /// Runs before the storage is freed, most derived first; overrides call
    /// the base last.
    virtual void Teardown();

private:
    struct Link {
        Plug* plug;
        int type;
    };
    static bool Link2(Plug* src, Plug* dst, int type, int srcPos, int dstPos);
    static bool Unlink(Plug* src, Plug* dst, bool ask);
    static int IndexIn(const std::vector<Link>& list, const Plug* plug);

    // Hot fields first: walks read the end flag beside the vtable pointer.
    bool ending_ = false;
    int changeDepth_ = 0;
    std::uint32_t modFlags_ = 0;
    std::vector<Link> src_;
    std::vector<Link> dst_;
    Plug* owner_ = nullptr;
    std::vector<Plug*> owned_;
    std::shared_ptr<Plug*> anchor_;
};

/// A process-wide counter of changes to the shape of the plug graph: it
/// moves whenever a plug ends, a connection is made or dropped, an owner
/// changes, or a host type says its structure changed (a model's parent, a
/// property becoming animated). Caches built by walking the graph (the
/// evaluation schedules) compare it instead of being told.
VELORA_API std::uint64_t StructureVersion();
VELORA_API void BumpStructureVersion();

/// Connects `src` as a source of `dst`; the host's plug-to-plug connect.
VELORA_API bool Connect(Plug* src, Plug* dst, int type = 0);
/// Drops the connection from `src` to `dst`.
VELORA_API bool Disconnect(Plug* src, Plug* dst);

/// A weak handle to a plug: reads null once the plug has ended.
class VELORA_API PlugHandle {
public:
    PlugHandle() = default;
    explicit PlugHandle(Plug* plug) { Reset(plug); }
    Plug* Get() const { return anchor_ ? *anchor_ : nullptr; }
    bool Valid() const { return Get() != nullptr; }
    void Reset(Plug* plug);
    /// What tells handles of one plug apart from those of any other plug,
    /// living or ended (null for an empty handle): handles of the same plug
    /// share it, and it is not reused while any of them exists.
    const void* Identity() const { return anchor_.get(); }

private:
    std::shared_ptr<Plug*> anchor_;
};

/// The host plug behind an IObject: the object's answer to the plug
/// interface (an animation node answers with its connector), or null.
/// Inline: the SDK resolves a plug on almost every call.
inline Plug* AsPlug(IObject* object) {
    return object ? static_cast<Plug*>(object->IQuery(lyiface::kIdPlug)) : nullptr;
}

}  // namespace velora

#endif  // VELORA_PLUG_H
