// The scene entity's notifications reaching extensions through the system's
// connection events, with the record read through the LyEvent classes.

#include <cstring>

#include <velora/data_type.h>
#include <velora/property.h>
#include <velora/scene_events.h>

#include "events/event_fixture.h"

using namespace VELSDK2025;
using lysdk_test::HeardFn;
using lysdk_test::HostScene;
using lysdk_test::Receiver;

namespace {

class SceneNotifications : public HostScene {};

// A system-level event as the system object sets it up: no parent, no
// source, type 0 and every sub-type.
template <class E>
void InitSystemLevel(E& event, const char* name) {
    event.Init(nullptr, nullptr, name, 0, kLyEventSubTypeAll);
}

// What a connection callback read from its record, while it was valid.
struct ConnectionSeen {
    LyConnectionAction action;
    int index;
    LyConnectionType type;
    LyPlug* src;
    LyPlug* dst;
    LyPlug* replacing;
};

// A component that refuses to take sources.
class Refuser : public LyComponent {
public:
    bool PlugNotify(LyConnectionAction action, LyPlug* plug, int index, LyPlug* plug2,
                    LyConnectionType type, LyPlug* plug3) override {
        if (action == kLyRequestConnectSrc) return false;
        return LyComponent::PlugNotify(action, plug, index, plug2, type, plug3);
    }
};

}  // namespace

TEST_F(SceneNotifications, AConnectionIsHeardStepByStepWithItsPlugs) {
    velora::Object* a = Make("A");
    velora::Object* b = Make("B");
    LyPropertyEventConnectionNotify event;
    InitSystemLevel(event, "OnConnectionNotify");
    Receiver receiver("r");
    std::vector<ConnectionSeen> seen;
    receiver.then = [&](IRegister*, EventRecord* record) {
        LyEventConnectionNotify e(record);
        seen.push_back({e.Action, e.SrcIndex, e.ConnectionType, e.SrcPlug, e.DstPlug, e.NewPlug});
    };
    event.Add(&receiver, HeardFn());
    ASSERT_TRUE(velora::Connect(a, b, 1));
    event.Remove(&receiver, HeardFn());

    LyPlug* wa = LyGetLyPlug(a);
    LyPlug* wb = LyGetLyPlug(b);
    // Requests, announcements and the done notifications, each side in turn:
    // b is told about its new source a, a about its new destination b.
    const std::vector<LyConnectionAction> expected = {
        kLyRequestConnectSrc, kLyRequestConnectDst, kLyConnectSrc,
        kLyConnectDst,        kLyConnectedSrc,      kLyConnectedDst};
    ASSERT_EQ(seen.size(), expected.size());
    for (std::size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].action, expected[i]);
        const bool toDst = i % 2 == 0;
        EXPECT_EQ(seen[i].src, toDst ? wb : wa);
        EXPECT_EQ(seen[i].dst, toDst ? wa : wb);
        EXPECT_EQ(seen[i].index, 0);
        EXPECT_EQ(seen[i].type, kLyConnectionTypeSystem);
        EXPECT_EQ(seen[i].replacing, nullptr);
    }

    seen.clear();
    ASSERT_TRUE(velora::Disconnect(a, b));  // removed: nothing more is heard
    EXPECT_TRUE(seen.empty());
}

TEST_F(SceneNotifications, AReplacementNamesTheReplacingPlug) {
    velora::Object* a = Make("A");
    velora::Object* b = Make("B");
    velora::Object* c = Make("C");
    ASSERT_TRUE(velora::Connect(a, b));
    LyPropertyEventConnectionNotify event;
    InitSystemLevel(event, "OnConnectionNotify");
    Receiver receiver("r");
    bool heard = false;
    receiver.then = [&](IRegister*, EventRecord* record) {
        LyEventConnectionNotify e(record);
        if (e.Action != kLyBeginReplaceSrc) return;
        heard = true;
        EXPECT_EQ(e.SrcPlug, LyGetLyPlug(b));
        EXPECT_EQ(e.DstPlug, LyGetLyPlug(a));
        EXPECT_EQ(e.NewPlug, LyGetLyPlug(c));
    };
    event.Add(&receiver, HeardFn());
    EXPECT_TRUE(b->ReplaceSrcAt(0, c));
    event.Remove(&receiver, HeardFn());
    EXPECT_TRUE(heard);
}

TEST_F(SceneNotifications, ARefusedNotificationDoesNotReachTheScene) {
    auto* refuser = new Refuser();
    velora::Object* a = Make("A");
    velora::Plug* host = velora::AsPlug(refuser->GetHIObject());
    LyPropertyEventConnectionNotify event;
    InitSystemLevel(event, "OnConnectionNotify");
    Receiver receiver("r");
    event.Add(&receiver, HeardFn());
    EXPECT_FALSE(velora::Connect(a, host));
    event.Remove(&receiver, HeardFn());
    // The wrapper's own path refused the first request; the scene heard none.
    EXPECT_EQ(receiver.Count(), 0);
    refuser->LyDelete();
}

TEST_F(SceneNotifications, AValueOrTextWriteIsHeardWithTheNewAndTheOldValue) {
    velora::Object* cube = Make("Cube");
    velora::Property* speed = cube->CreateProperty("Speed", velora::kDataNumber);
    velora::Property* label = cube->CreateProperty("Label", velora::kDataString);
    double one = 1.0;
    const char* first = "first";
    ASSERT_TRUE(speed->SetRaw(&one));
    ASSERT_TRUE(label->SetRaw(&first));

    LyPropertyEventConnectionDataNotify event;
    InitSystemLevel(event, "OnConnectionDataNotify");
    Receiver receiver("r");
    double now = 0, before = 0;
    std::string nowText, beforeText;
    LyPlug* plug = nullptr;
    LyConnectionAction action = kLyRequestConnectSrc;
    int size = 0;
    receiver.then = [&](IRegister*, EventRecord* record) {
        LyEventConnectionDataNotify e(record);
        plug = e.Plug;
        action = e.Action;
        size = e.GetDataSize();
        if (plug == LyGetLyComponent(cube)->PropertyList.Find("Label")) {
            nowText = *static_cast<const char* const*>(e.GetData());
            beforeText = *static_cast<const char* const*>(e.GetOldData());
            return;
        }
        std::memcpy(&now, e.GetData(), sizeof now);
        std::memcpy(&before, e.GetOldData(), sizeof before);
    };
    event.Add(&receiver, HeardFn());
    double value = 2.5;
    ASSERT_TRUE(speed->SetRaw(&value));
    EXPECT_EQ(receiver.Count(), 1);
    EXPECT_EQ(now, 2.5);
    EXPECT_EQ(before, 1.0);
    EXPECT_EQ(action, kLyCandidated);
    EXPECT_EQ(size, static_cast<int>(sizeof(double)));
    EXPECT_EQ(plug, LyGetLyComponent(cube)->PropertyList.Find("Speed"));

    speed->ModifyFlag(velora::kPropertyReadOnly, true);
    EXPECT_FALSE(speed->SetRaw(&one));  // refused writes are not heard
    EXPECT_EQ(receiver.Count(), 1);
    // A text write keeps the old text for the listener.
    const char* second = "second";
    ASSERT_TRUE(label->SetRaw(&second));
    event.Remove(&receiver, HeardFn());
    EXPECT_EQ(receiver.Count(), 2);
    EXPECT_EQ(nowText, "second");
    EXPECT_EQ(beforeText, "first");
}

TEST_F(SceneNotifications, AFlagsChangeIsAStateNotification) {
    velora::Object* cube = Make("Cube");
    velora::Property* speed = cube->CreateProperty("Speed", velora::kDataNumber);
    LyPropertyEventConnectionStateNotify state;
    InitSystemLevel(state, "OnConnectionStateNotify");
    LyPropertyEventConnectionDataNotify data;
    InitSystemLevel(data, "OnConnectionDataNotify");
    std::vector<lysdk_test::Heard> log;
    Receiver onState("state", &log), onData("data", &log);
    std::uint32_t now = 0, before = 0xffffffff;
    onState.then = [&](IRegister*, EventRecord* record) {
        LyEventConnectionStateNotify e(record);
        std::memcpy(&now, e.GetData(), sizeof now);
        std::memcpy(&before, e.GetOldData(), sizeof before);
        // A state record read as a data record reads nothing.
        LyEventConnectionDataNotify wrong(record);
        EXPECT_EQ(wrong.GetData(), nullptr);
        EXPECT_EQ(static_cast<LyPlug*>(wrong.Plug), nullptr);
    };
    state.Add(&onState, HeardFn());
    data.Add(&onData, HeardFn());
    speed->ModifyFlag(velora::kPropertyDisabled, true);
    speed->ModifyFlag(velora::kPropertyDisabled, true);  // no change: not heard
    state.Remove(&onState, HeardFn());
    data.Remove(&onData, HeardFn());
    EXPECT_EQ(onState.Count(), 1);
    EXPECT_EQ(onData.Count(), 0);
    EXPECT_EQ(now, velora::kPropertyDisabled);
    EXPECT_EQ(before, 0u);
}

TEST_F(SceneNotifications, KeyingNotificationsCarryThePlugAndItsProperty) {
    velora::Object* cube = Make("Cube");
    velora::Property* speed = cube->CreateProperty("Speed", velora::kDataNumber, velora::kCreateAnimatable);
    LyPropertyEventConnectionKeyingNotify event;
    InitSystemLevel(event, "OnConnectionKeyingNotify");
    Receiver receiver("r");
    double keyed = 4.0;
    receiver.then = [&](IRegister*, EventRecord* record) {
        LyEventConnectionKeyingNotify e(record);
        EXPECT_EQ(static_cast<int>(e), kLySceneKeyingNotify);  // the event is its "Type"
        EXPECT_EQ(e.GetAction(), kLyKeyingKey);
        EXPECT_EQ(e.GetPlug(), LyGetLyPlug(cube));
        EXPECT_EQ(e.GetProperty(), LyGetLyComponent(cube)->PropertyList.Find("Speed"));
        EXPECT_EQ(e.GetData(), &keyed);
    };
    event.Add(&receiver, HeardFn());
    EXPECT_EQ(velora::SceneEvents::Instance().RaiseKeying(cube, velora::kActKeyingKey, speed, &keyed), 1);
    event.Remove(&receiver, HeardFn());
    EXPECT_EQ(velora::SceneEvents::Instance().RaiseKeying(cube, velora::kActKeyingKey, speed, &keyed), 0);
    EXPECT_EQ(receiver.Count(), 1);
}
