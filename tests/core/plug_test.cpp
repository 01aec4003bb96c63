// The connection graph seen through LyPlug.

#include <string>
#include <vector>

#include "core/host_fixture.h"

using namespace VELSDK2025;
using lysdk_test::HostScene;

class PlugGraph : public HostScene {
protected:
    LyPlug* Wrap(const char* name) { return LyGetLyPlug(Make(name), true); }
};

TEST_F(PlugGraph, SourcesAreWalkedInOrderBoundsAreCheckedAndDuplicatesRefused) {
    LyPlug* target = Wrap("Target");
    LyPlug* a = Wrap("A");
    LyPlug* b = Wrap("B");
    LyPlug* c = Wrap("C");
    EXPECT_TRUE(target->ConnectSrc(a));
    EXPECT_TRUE(target->ConnectSrc(b, kLyConnectionTypeSystem));
    EXPECT_TRUE(target->ConnectSrcAt(0, c));
    ASSERT_EQ(target->GetSrcCount(), 3);
    EXPECT_EQ(target->GetSrc(0), c);
    EXPECT_EQ(target->GetSrc(1), a);
    EXPECT_EQ(target->GetSrc(2), b);
    EXPECT_EQ(target->GetSrcType(2), kLyConnectionTypeSystem);
    EXPECT_EQ(target->GetSrcType(1), kLyConnectionTypeNone);
    EXPECT_EQ(target->GetSrc(-1), nullptr);
    EXPECT_EQ(target->GetSrc(3), nullptr);
    EXPECT_EQ(target->GetSrcType(3), kLyConnectionTypeNone);
    // Each connection is seen from the other side as well.
    EXPECT_EQ(a->GetDstCount(), 1);
    EXPECT_EQ(a->GetDst(0), target);
    EXPECT_EQ(a->GetDst(1), nullptr);
    // Connecting twice is refused and changes nothing.
    EXPECT_FALSE(target->ConnectSrc(a));
    EXPECT_FALSE(target->ConnectSrcAt(0, a));
    EXPECT_FALSE(a->ConnectDst(target));
    EXPECT_EQ(target->GetSrcCount(), 3);
    EXPECT_EQ(a->GetDstCount(), 1);
    // Sources come back as wrappers created on demand.
    velora::Object* hostTarget = Make("HostTarget");
    velora::Object* src = Make("Src");
    ASSERT_TRUE(velora::Connect(src, hostTarget));
    EXPECT_EQ(src->Wrapper(), nullptr);
    LyPlug* wrapper = LyGetLyPlug(hostTarget, true)->GetSrc(0);
    ASSERT_NE(wrapper, nullptr);
    EXPECT_EQ(src->Wrapper(), static_cast<IObject*>(static_cast<ICallback*>(wrapper)));
    EXPECT_EQ(wrapper->GetHIObject(), static_cast<IObject*>(src));
}

TEST_F(PlugGraph, DisconnectReplaceSwapAndMove) {
    LyPlug* target = Wrap("Target");
    LyPlug* a = Wrap("A");
    LyPlug* b = Wrap("B");
    LyPlug* c = Wrap("C");
    LyPlug* d = Wrap("D");
    for (LyPlug* p : {a, b, c}) ASSERT_TRUE(target->ConnectSrc(p));

    EXPECT_FALSE(target->SwapSrc(1, 1));
    EXPECT_FALSE(target->SwapSrc(0, 3));
    EXPECT_TRUE(target->SwapSrc(0, 2));  // c b a
    EXPECT_EQ(target->GetSrc(0), c);
    EXPECT_EQ(target->GetSrc(2), a);

    EXPECT_FALSE(target->ReplaceSrcAt(0, a));  // already a source
    EXPECT_FALSE(target->ReplaceSrcAt(0, nullptr));
    EXPECT_FALSE(target->ReplaceSrcAt(5, d));
    EXPECT_TRUE(target->ReplaceSrcAt(0, d));  // d b a
    EXPECT_EQ(target->GetSrc(0), d);
    EXPECT_EQ(c->GetDstCount(), 0);
    EXPECT_EQ(d->GetDst(0), target);

    EXPECT_FALSE(target->MoveSrcAt(0, 3));
    EXPECT_TRUE(target->MoveSrcAt(2, 0));  // a d b
    EXPECT_EQ(target->GetSrc(0), a);
    EXPECT_EQ(target->GetSrc(2), b);
    EXPECT_FALSE(target->MoveSrcAt(b, nullptr));
    EXPECT_TRUE(target->MoveSrcAt(b, a));  // b a d
    EXPECT_EQ(target->GetSrc(0), b);
    EXPECT_EQ(target->GetSrc(1), a);
    EXPECT_EQ(target->GetSrc(2), d);
    // Forward: the moved source ends at `to`; the plug form puts it just
    // before `before`. The other sides keep one destination each.
    EXPECT_TRUE(target->MoveSrcAt(0, 2));  // a d b
    EXPECT_TRUE(target->MoveSrcAt(a, b));  // d a b
    EXPECT_TRUE(target->MoveSrcAt(0, 1));  // a d b
    EXPECT_TRUE(target->MoveSrcAt(a, b));  // d a b
    const LyPlug* order[] = {d, a, b};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(target->GetSrc(i), order[i]) << i;
        EXPECT_EQ(target->GetSrc(i)->GetDstCount(), 1) << i;
    }

    EXPECT_FALSE(target->DisconnectSrcAt(3));
    EXPECT_FALSE(target->DisconnectSrcAt(-1));
    EXPECT_TRUE(target->DisconnectSrcAt(1));  // d b
    EXPECT_TRUE(target->DisconnectSrc(b));    // d
    EXPECT_FALSE(target->DisconnectSrc(b));
    EXPECT_EQ(target->GetSrcCount(), 1);
    target->DisconnectAllSrc();
    EXPECT_EQ(target->GetSrcCount(), 0);
    EXPECT_EQ(d->GetDstCount(), 0);
}

TEST_F(PlugGraph, DestinationSideOperations) {
    LyPlug* src = Wrap("Src");
    LyPlug* x = Wrap("X");
    LyPlug* y = Wrap("Y");
    LyPlug* z = Wrap("Z");
    ASSERT_TRUE(src->ConnectDst(x));
    ASSERT_TRUE(src->ConnectDstAt(0, y));
    EXPECT_EQ(src->GetDst(0), y);
    EXPECT_EQ(src->GetDst(1), x);
    EXPECT_FALSE(src->ReplaceDstAt(0, x));
    EXPECT_TRUE(src->ReplaceDstAt(0, z));
    EXPECT_EQ(z->GetSrc(0), src);
    EXPECT_EQ(y->GetSrcCount(), 0);
    EXPECT_TRUE(src->DisconnectDstAt(0));
    EXPECT_FALSE(src->DisconnectDstAt(1));
    src->DisconnectAllDst();
    EXPECT_EQ(src->GetDstCount(), 0);
}

TEST_F(PlugGraph, FreeConnectTakesTheSourceFirst) {
    LyPlug* first = Wrap("First");
    LyPlug* second = Wrap("Second");
    EXPECT_TRUE(LyConnect(first, second, kLyConnectionTypeSystem));
    EXPECT_EQ(second->GetSrc(0), first);
    EXPECT_EQ(second->GetSrcType(0), kLyConnectionTypeSystem);
    EXPECT_FALSE(LyConnect(first, nullptr));
    EXPECT_TRUE(LyDisconnect(first, second));
    EXPECT_FALSE(LyDisconnect(first, second));
}

TEST_F(PlugGraph, UnboundWrappersAndNullArgumentsReturnNeutralValues) {
    LyPlug unbound;
    LyPlug* a = Wrap("A");
    EXPECT_EQ(unbound.GetSrcCount(), 0);
    EXPECT_EQ(unbound.GetSrc(0), nullptr);
    EXPECT_EQ(unbound.GetDst(0), nullptr);
    EXPECT_FALSE(unbound.ConnectSrc(a));
    EXPECT_FALSE(a->ConnectSrc(&unbound));
    EXPECT_FALSE(a->ConnectSrc(nullptr));
    EXPECT_FALSE(a->ReplaceSrcAt(0, nullptr));
    EXPECT_FALSE(unbound.BeginChange());
    unbound.EndChange();
    unbound.DisconnectAllSrc();
    EXPECT_EQ(unbound.GetOwner(), nullptr);
    EXPECT_EQ(unbound.GetOwnedCount(), 0);
    EXPECT_FALSE(unbound.GetContentModified(0xffffffff));
    LyArrayTemplate<LyPlug*> list;
    list.Add(a);
    EXPECT_EQ(unbound.GetPlugConnectionModifiedList(list, 1, true), 0);
    EXPECT_EQ(list.GetCount(), 0);
}

TEST_F(PlugGraph, OwnerAndOwnedPlugs) {
    velora::Object* owner = Make("Owner");
    velora::Object* part = Make("Part");
    part->SetOwner(owner);
    LyPlug* ownerWrapper = LyGetLyPlug(owner, true);
    LyPlug* partWrapper = LyGetLyPlug(part, true);
    EXPECT_EQ(partWrapper->GetOwner(), ownerWrapper);
    EXPECT_EQ(ownerWrapper->GetOwnedCount(), 1);
    EXPECT_EQ(ownerWrapper->GetOwned(0), partWrapper);
    EXPECT_EQ(ownerWrapper->GetOwned(1), nullptr);
    EXPECT_EQ(ownerWrapper->GetOwner(), nullptr);
}

TEST_F(PlugGraph, FlagMasksKeepToTheirGroups) {
    velora::Object* object = Make("Flags");
    LyPlug* plug = LyGetLyPlug(object, true);
    object->ModFlags() = 0;
    plug->SetContentModified(0xffffffff, true);
    EXPECT_EQ(object->ModFlags(), kLyContentModifiedMask);
    EXPECT_TRUE(plug->GetContentModified(0x200));
    EXPECT_FALSE(plug->GetSelfModified(0x200));  // 0x200 is not a self bit
    plug->SetSelfModified(0x100 | 0x200, true);   // only 0x100 is a self bit
    EXPECT_EQ(object->ModFlags(), kLyContentModifiedMask | 0x100u);
    plug->SetStatusFlag(0xffffffff, true);
    EXPECT_TRUE(plug->GetStatusFlag(0x200000));
    plug->SetContentModified(0xffffffff, false);
    EXPECT_EQ(object->ModFlags(), 0x100u | 0x200000u);
    EXPECT_TRUE(plug->RevertModification(0x100));
    EXPECT_FALSE(plug->GetSelfModified(0x100));
    EXPECT_FALSE(plug->RevertModification(0x100));
}

namespace {

class Recorder : public LyComponent {
public:
    bool PlugNotify(LyConnectionAction action, LyPlug* plug, int index, LyPlug*, LyConnectionType,
                    LyPlug*) override {
        actions.push_back(action);
        others.push_back(plug);
        return action != refuse;
    }
    std::vector<int> actions;
    std::vector<LyPlug*> others;
    int refuse = -1;
};

}  // namespace

TEST_F(PlugGraph, NotificationsReachTheWrapperOfALibraryObjectWhichMayRefuse) {
    Recorder recorder;  // builds its own LySDKHostObject
    LyPlug* a = Wrap("A");
    ASSERT_TRUE(recorder.ConnectSrc(a));
    EXPECT_EQ(recorder.actions, (std::vector<int>{kLyRequestConnectSrc, kLyConnectSrc, kLyConnectedSrc}));
    for (LyPlug* other : recorder.others) EXPECT_EQ(other, a);
    recorder.refuse = kLyRequestDisconnectSrc;
    EXPECT_FALSE(recorder.DisconnectSrc(a));
    EXPECT_EQ(recorder.GetSrcCount(), 1);

    // A refused request prevents the connection; the host's own handling did
    // not run, so nothing after the request was announced.
    recorder.refuse = kLyRequestConnectSrc;
    recorder.actions.clear();
    LyPlug* b = Wrap("B");
    EXPECT_FALSE(recorder.ConnectSrc(b));
    EXPECT_EQ(recorder.GetSrcCount(), 1);
    EXPECT_EQ(b->GetDstCount(), 0);
    EXPECT_EQ(recorder.actions, std::vector<int>{kLyRequestConnectSrc});

    // Change brackets nest and are announced once.
    recorder.actions.clear();
    EXPECT_TRUE(recorder.BeginChange());
    EXPECT_TRUE(recorder.BeginChange());
    recorder.EndChange();
    recorder.EndChange();
    recorder.EndChange();  // unbalanced: ignored
    EXPECT_EQ(recorder.actions, (std::vector<int>{kLyBeginChange, kLyEndChange}));
}

TEST_F(PlugGraph, ModifiedConnectionsAreComparedWithTheReferenceSnapshot) {
    velora::FileReference* reference = velora::FileReference::Create("Ref");
    velora::Object* target = Make("Target");
    velora::Object* kept = Make("Kept");
    velora::Object* dropped = Make("Dropped");
    velora::Object* added = Make("Added");
    ASSERT_TRUE(velora::Connect(kept, target));
    ASSERT_TRUE(velora::Connect(dropped, target));
    reference->Adopt(target);
    ASSERT_TRUE(target->DisconnectSrc(dropped));
    ASSERT_TRUE(velora::Connect(added, target));

    LyPlug* wrapper = LyGetLyPlug(target, true);
    LyArrayTemplate<LyPlug*> list;
    list.Add(wrapper);  // the list is emptied first
    EXPECT_EQ(wrapper->GetPlugConnectionModifiedList(list, velora::kSnapshotSources, true), 1);
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list[0], LyGetLyPlug(added, false));
    EXPECT_EQ(wrapper->GetPlugConnectionModifiedList(list, velora::kSnapshotSources, false), 1);
    EXPECT_EQ(list[0], LyGetLyPlug(dropped, false));
    EXPECT_EQ(wrapper->GetPlugConnectionModifiedList(list, velora::kSnapshotDestinations, true), 0);

    // An object outside any file reference has nothing to compare with.
    EXPECT_EQ(LyGetLyPlug(added, true)->GetPlugConnectionModifiedList(list, 3, true), 0);
    reference->Destroy(0);
    EXPECT_EQ(wrapper->GetPlugConnectionModifiedList(list, 3, true), 0);
}

namespace {

// Disconnects its first source whenever it is asked to take a new one.
class Fickle : public LyComponent {
public:
    bool PlugNotify(LyConnectionAction action, LyPlug*, int, LyPlug*, LyConnectionType,
                    LyPlug*) override {
        if (action == kLyConnectSrc && GetSrcCount() > 0 && !busy) {
            busy = true;
            DisconnectSrcAt(0);
            busy = false;
        }
        return true;
    }
    bool busy = false;
};

}  // namespace

TEST_F(PlugGraph, AHandlerEditingTheListDuringAConnectionKeepsBothSidesConsistent) {
    Fickle fickle;
    LyPlug* a = Wrap("A");
    LyPlug* b = Wrap("B");
    ASSERT_TRUE(fickle.ConnectSrc(a));
    // Connecting b at the end while the handler drops a: the insert position
    // is taken from the list as it is after the handler ran.
    EXPECT_TRUE(fickle.ConnectSrcAt(1, b));
    ASSERT_EQ(fickle.GetSrcCount(), 1);
    EXPECT_EQ(fickle.GetSrc(0), b);
    EXPECT_EQ(a->GetDstCount(), 0);
    EXPECT_EQ(b->GetDst(0), &fickle);
}
