#include "velora/plug.h"

#include <algorithm>
#include <atomic>

#include "velora/scene_events.h"

namespace velora {

namespace {
std::atomic<std::uint64_t> gStructureVersion{1};
}  // namespace

std::uint64_t StructureVersion() { return gStructureVersion.load(std::memory_order_acquire); }
void BumpStructureVersion() { gStructureVersion.fetch_add(1, std::memory_order_acq_rel); }

Plug::Plug() = default;
Plug::~Plug() = default;

Plug* Plug::Create() { return new Plug(); }

IObject* Plug::IQuery(std::uint32_t id, int) {
    switch (id) {
        case lyiface::kIdSelf:
        case lyiface::kIdPlug:
            return this;
        default:
            return nullptr;
    }
}

bool Plug::End() {
    if (ending_) return false;  // already on its way out (re-entered from a notification)
    ending_ = true;
    Teardown();
    return true;
}

void Plug::Destroy(int) {
    if (End()) delete this;
}

void Plug::Teardown() {
    BumpStructureVersion();
    if (anchor_) *anchor_ = nullptr;
    // Owned plugs end first, last-created first.
    while (!owned_.empty()) {
        Plug* child = owned_.back();
        owned_.pop_back();
        child->owner_ = nullptr;
        child->Destroy(0);
    }
    if (owner_) {
        auto& siblings = owner_->owned_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        owner_ = nullptr;
    }
    // The plug is going whatever the other sides say; they are only told.
    while (!src_.empty()) {
        Plug* src = src_.back().plug;
        src_.pop_back();
        const int at = IndexIn(src->dst_, this);
        if (at >= 0) src->dst_.erase(src->dst_.begin() + at);
        src->PlugNotify(kActDisconnectedDst, this, at, nullptr, 0, nullptr);
    }
    while (!dst_.empty()) {
        Plug* dst = dst_.back().plug;
        dst_.pop_back();
        const int at = IndexIn(dst->src_, this);
        if (at >= 0) dst->src_.erase(dst->src_.begin() + at);
        dst->PlugNotify(kActDisconnectedSrc, this, at, nullptr, 0, nullptr);
    }
}

bool Plug::IsA(int classId) const { return ClassRegistry::Instance().IsA(ClassId(), classId); }

Plug* Plug::Src(int i) const { return i >= 0 && i < SrcCount() ? src_[i].plug : nullptr; }
Plug* Plug::Dst(int i) const { return i >= 0 && i < DstCount() ? dst_[i].plug : nullptr; }
int Plug::SrcType(int i) const { return i >= 0 && i < SrcCount() ? src_[i].type : 0; }
int Plug::DstType(int i) const { return i >= 0 && i < DstCount() ? dst_[i].type : 0; }

int Plug::IndexIn(const std::vector<Link>& list, const Plug* plug) {
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].plug == plug) return static_cast<int>(i);
    return -1;
}

int Plug::SrcIndex(const Plug* plug) const { return IndexIn(src_, plug); }
int Plug::DstIndex(const Plug* plug) const { return IndexIn(dst_, plug); }

// srcPos: position of `src` in dst's source list; dstPos: position of `dst`
// in src's destination list. -1 appends.
bool Plug::Link2(Plug* src, Plug* dst, int type, int srcPos, int dstPos) {
    if (!src || !dst || src == dst || src->ending_ || dst->ending_) return false;
    if (IndexIn(dst->src_, src) >= 0) return false;
    const int srcAt = srcPos < 0 || srcPos > dst->SrcCount() ? dst->SrcCount() : srcPos;
    const int dstAt = dstPos < 0 || dstPos > src->DstCount() ? src->DstCount() : dstPos;
    // Handlers may edit the graph or end either plug: watch both, and check
    // again before linking.
    const PlugHandle srcAlive(src), dstAlive(dst);
    auto alive = [&] {
        return srcAlive.Valid() && dstAlive.Valid() && !src->ending_ && !dst->ending_;
    };
    if (!dst->PlugNotify(kActRequestConnectSrc, src, srcAt, nullptr, type, nullptr) || !alive())
        return false;
    if (!src->PlugNotify(kActRequestConnectDst, dst, dstAt, nullptr, type, nullptr) || !alive())
        return false;
    if (!dst->PlugNotify(kActConnectSrc, src, srcAt, nullptr, type, nullptr) || !alive())
        return false;
    if (!src->PlugNotify(kActConnectDst, dst, dstAt, nullptr, type, nullptr) || !alive())
        return false;
    if (IndexIn(dst->src_, src) >= 0) return false;  // a handler linked them already
    const int s = std::min(srcAt, dst->SrcCount());
    const int d = std::min(dstAt, src->DstCount());
    BumpStructureVersion();
    dst->src_.insert(dst->src_.begin() + s, Link{src, type});
    src->dst_.insert(src->dst_.begin() + d, Link{dst, type});
    dst->modFlags_ |= kModSelfConnection;
    src->modFlags_ |= kModSelfConnection;
    dst->PlugNotify(kActConnectedSrc, src, s, nullptr, type, nullptr);
    if (alive()) src->PlugNotify(kActConnectedDst, dst, d, nullptr, type, nullptr);
    return true;
}

bool Plug::Unlink(Plug* src, Plug* dst, bool ask) {
    if (!src || !dst) return false;
    const int srcAt = IndexIn(dst->src_, src);
    const int dstAt = IndexIn(src->dst_, dst);
    if (srcAt < 0 || dstAt < 0) return false;
    const int type = dst->src_[srcAt].type;
    const PlugHandle srcAlive(src), dstAlive(dst);
    auto alive = [&] { return srcAlive.Valid() && dstAlive.Valid(); };
    if (ask) {
        if (!dst->PlugNotify(kActRequestDisconnectSrc, src, srcAt, nullptr, type, nullptr) || !alive())
            return false;
        if (!src->PlugNotify(kActRequestDisconnectDst, dst, dstAt, nullptr, type, nullptr) || !alive())
            return false;
        if (!dst->PlugNotify(kActDisconnectSrc, src, srcAt, nullptr, type, nullptr) || !alive())
            return false;
        if (!src->PlugNotify(kActDisconnectDst, dst, dstAt, nullptr, type, nullptr) || !alive())
            return false;
    }
    // A notification may have reordered the lists: look the links up again.
    const int s = IndexIn(dst->src_, src);
    const int d = IndexIn(src->dst_, dst);
    if (s < 0 || d < 0) return false;
    BumpStructureVersion();
    dst->src_.erase(dst->src_.begin() + s);
    src->dst_.erase(src->dst_.begin() + d);
    dst->modFlags_ |= kModSelfConnection;
    src->modFlags_ |= kModSelfConnection;
    dst->PlugNotify(kActDisconnectedSrc, src, s, nullptr, type, nullptr);
    if (alive()) src->PlugNotify(kActDisconnectedDst, dst, d, nullptr, type, nullptr);
    return true;
}

bool Plug::ConnectSrc(Plug* src, int type) { return Link2(src, this, type, -1, -1); }
bool Plug::ConnectSrcAt(int index, Plug* src, int type) {
    if (index < 0 || index > SrcCount()) return false;
    return Link2(src, this, type, index, -1);
}
bool Plug::ConnectDst(Plug* dst, int type) { return Link2(this, dst, type, -1, -1); }
bool Plug::ConnectDstAt(int index, Plug* dst, int type) {
    if (index < 0 || index > DstCount()) return false;
    return Link2(this, dst, type, -1, index);
}

bool Plug::DisconnectSrc(Plug* src) { return Unlink(src, this, true); }
bool Plug::DisconnectDst(Plug* dst) { return Unlink(this, dst, true); }
bool Plug::DisconnectSrcAt(int index) { return Unlink(Src(index), this, true); }
bool Plug::DisconnectDstAt(int index) { return Unlink(this, Dst(index), true); }

void Plug::DisconnectAllSrc() {
    // Walk from the end; a refused disconnection stays and is stepped over.
    for (int i = SrcCount() - 1; i >= 0; --i) {
        if (i < SrcCount()) Unlink(src_[i].plug, this, true);
    }
}

void Plug::DisconnectAllDst() {
    for (int i = DstCount() - 1; i >= 0; --i) {
        if (i < DstCount()) Unlink(this, dst_[i].plug, true);
    }
}

bool Plug::ReplaceSrcAt(int index, Plug* plug) {
    Plug* old = Src(index);
    if (!old || !plug || plug == this || plug->ending_ || IndexIn(src_, plug) >= 0) return false;
    const int type = src_[index].type;
    if (!PlugNotify(kActBeginReplaceSrc, old, index, plug, type, nullptr)) return false;
    // The handler may have edited either list: go on only if nothing moved.
    if (ending_ || plug->ending_ || Src(index) != old || IndexIn(src_, plug) >= 0 ||
        IndexIn(plug->dst_, this) >= 0)
        return false;
    const int oldAt = IndexIn(old->dst_, this);
    if (oldAt >= 0) old->dst_.erase(old->dst_.begin() + oldAt);
    BumpStructureVersion();
    src_[index].plug = plug;
    plug->dst_.push_back(Link{this, type});
    modFlags_ |= kModSelfConnection;
    old->PlugNotify(kActDisconnectedDst, this, oldAt, nullptr, type, nullptr);
    plug->PlugNotify(kActConnectedDst, this, plug->DstCount() - 1, nullptr, type, nullptr);
    PlugNotify(kActEndReplaceSrc, plug, index, old, type, nullptr);
    return true;
}

bool Plug::ReplaceDstAt(int index, Plug* plug) {
    Plug* old = Dst(index);
    if (!old || !plug || plug == this || plug->ending_ || IndexIn(dst_, plug) >= 0) return false;
    const int type = dst_[index].type;
    if (!PlugNotify(kActBeginReplaceDst, old, index, plug, type, nullptr)) return false;
    if (ending_ || plug->ending_ || Dst(index) != old || IndexIn(dst_, plug) >= 0 ||
        IndexIn(plug->src_, this) >= 0)
        return false;
    const int oldAt = IndexIn(old->src_, this);
    if (oldAt >= 0) old->src_.erase(old->src_.begin() + oldAt);
    BumpStructureVersion();
    dst_[index].plug = plug;
    plug->src_.push_back(Link{this, type});
    modFlags_ |= kModSelfConnection;
    old->PlugNotify(kActDisconnectedSrc, this, oldAt, nullptr, type, nullptr);
    plug->PlugNotify(kActConnectedSrc, this, plug->SrcCount() - 1, nullptr, type, nullptr);
    PlugNotify(kActEndReplaceDst, plug, index, old, type, nullptr);
    return true;
}

bool Plug::SwapSrc(int i, int j) {
    if (i == j || !Src(i) || !Src(j)) return false;
    Plug* a = src_[i].plug;
    Plug* b = src_[j].plug;
    if (!PlugNotify(kActReorderSrc, a, i, b, 0, nullptr)) return false;
    if (Src(i) != a || Src(j) != b) return false;  // the list changed meanwhile
    std::swap(src_[i], src_[j]);
    PlugNotify(kActReorderedSrc, src_[i].plug, i, src_[j].plug, 0, nullptr);
    return true;
}

bool Plug::MoveSrcAt(int from, int to) {
    if (!Src(from) || !Src(to)) return false;
    if (from == to) return true;
    Plug* moving = src_[from].plug;
    Plug* target = src_[to].plug;
    if (!PlugNotify(kActReorderSrc, moving, from, target, 0, nullptr)) return false;
    if (Src(from) != moving || Src(to) != target) return false;  // the list changed meanwhile
    const Link moved = src_[from];
    src_.erase(src_.begin() + from);
    src_.insert(src_.begin() + to, moved);
    PlugNotify(kActReorderedSrc, moved.plug, to, nullptr, 0, nullptr);
    return true;
}

bool Plug::MoveSrcAt(Plug* plug, Plug* before) {
    const int from = IndexIn(src_, plug);
    const int at = IndexIn(src_, before);
    if (from < 0 || at < 0) return false;
    if (from == at) return true;
    // Removing `from` shifts `before` down by one when it came after it.
    return MoveSrcAt(from, from < at ? at - 1 : at);
}

Plug* Plug::Owned(int i) const {
    return i >= 0 && i < OwnedCount() ? owned_[static_cast<std::size_t>(i)] : nullptr;
}

void Plug::SetOwner(Plug* owner) {
    if (owner == owner_ || owner == this) return;
    if (ending_ || (owner && owner->ending_)) return;  // neither side may keep a dying plug
    BumpStructureVersion();
    if (owner_) {
        auto& siblings = owner_->owned_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        owner_->PlugNotify(kActDisconnectOwner, this, 0, nullptr, 0, nullptr);
    }
    owner_ = owner;
    if (owner_) {
        owner_->owned_.push_back(this);
        owner_->PlugNotify(kActConnectedOwner, this, owner_->OwnedCount() - 1, nullptr, 0, nullptr);
    }
}

bool Plug::BeginChange() {
    if (changeDepth_++ == 0) PlugNotify(kActBeginChange, this, 0, nullptr, 0, nullptr);
    return true;
}

void Plug::EndChange() {
    if (changeDepth_ == 0) return;
    if (--changeDepth_ == 0) PlugNotify(kActEndChange, this, 0, nullptr, 0, nullptr);
}

bool Plug::RevertModification(std::uint32_t flag) {
    const std::uint32_t bits = flag & (kModContentMask | kModSelfMask);
    const bool had = (modFlags_ & bits) != 0;
    modFlags_ &= ~bits;
    return had;
}

// The host's own handling of a notification: the scene entity hears it.
// Proposed values and flags (kActCandidate) are the plug's and its owner's
// business; the scene hears what was taken.
bool Plug::PlugNotify(int action, Plug* plug, int index, Plug* plug2, int type, Plug* plug3) {
    SceneEvents::Instance().RaiseConnection(this, action, plug, index, plug2, type, plug3);
    return true;
}
bool Plug::PlugDataNotify(int action, Plug* plug, void* data, void* oldData, int size) {
    if (action != kActCandidate) SceneEvents::Instance().RaiseData(plug, action, data, oldData, size);
    return true;
}
bool Plug::PlugStateNotify(int action, Plug* plug, void* data, void* oldData, int size) {
    if (action != kActCandidate) SceneEvents::Instance().RaiseState(plug, action, data, oldData, size);
    return true;
}

const std::shared_ptr<Plug*>& Plug::Anchor() {
    if (!anchor_) anchor_ = std::make_shared<Plug*>(ending_ ? nullptr : this);
    return anchor_;
}

bool Connect(Plug* src, Plug* dst, int type) { return dst ? dst->ConnectSrc(src, type) : false; }
bool Disconnect(Plug* src, Plug* dst) { return dst ? dst->DisconnectSrc(src) : false; }

void PlugHandle::Reset(Plug* plug) {
    if (plug && !plug->IsEnding())
        anchor_ = plug->Anchor();
    else
        anchor_.reset();
}

}  // namespace velora
