// LyPropertyEvent: pointing at a host source, global events, and the cut-off
// when the parent component loses its host object.

#include <velora/evaluation.h>
#include <velora/event_source.h>
#include <velora/global_events.h>

#include "events/event_fixture.h"

using namespace VELSDK2025;
using lysdk_test::CountingRegister;
using lysdk_test::HeardFn;
using lysdk_test::HostScene;
using lysdk_test::OtherFn;
using lysdk_test::Receiver;

namespace {

class PropertyEvents : public HostScene {};

// Records the order in which parents cut their events off.
class OrderedEvent : public LyPropertyEvent {
public:
    OrderedEvent(int id, std::vector<int>* order) : id_(id), order_(order) {}
    void InvalidateParent() override {
        order_->push_back(id_);
        LyPropertyEvent::InvalidateParent();
    }

private:
    int id_;
    std::vector<int>* order_;
};

}  // namespace

TEST_F(PropertyEvents, AnInitialisedEventIsAnEventTypedPropertyOverItsSource) {
    velora::EventSource source;
    LyPropertyEvent event;
    EXPECT_EQ(&event.Init(nullptr, &source, "OnThing", 5, 2), &event);
    EXPECT_EQ(event.GetPropertyType(), kLyPropertyTypeEvent);
    EXPECT_STREQ(event.GetPropertyTypeName(), "event");
    EXPECT_STREQ(event.GetName(), "OnThing");
    EXPECT_TRUE(event.Is(LyProperty::TypeInfo));
    EXPECT_TRUE(event.Is(LyPropertyEvent::TypeInfo));
    EXPECT_STREQ(event.ClassName(), "LyPropertyEvent");
    EXPECT_EQ(event.GetSource(), &source);
    EXPECT_EQ(event.GetEventType(), 5);
    EXPECT_EQ(event.GetSubType(), 2);
    EXPECT_FALSE(event.IsGlobal());
}

TEST_F(PropertyEvents, AddAndRemoveGoToTheSourceForTheEventsTypeAndSubType) {
    velora::EventSource source;
    LyPropertyEvent event;
    event.Init(nullptr, &source, "OnThing", 5, 2);
    Receiver receiver("r");
    event.Add(&receiver, HeardFn());
    EXPECT_EQ(source.Count(), 1);

    lyiface::EventRecord other(6, 2, nullptr);  // another type: not ours
    source.Raise(other);
    EXPECT_EQ(receiver.Count(), 0);
    lyiface::EventRecord mine(5, 2, nullptr);
    EXPECT_EQ(source.Raise(mine), 1);
    ASSERT_EQ(receiver.Count(), 1);
    EXPECT_EQ(receiver.Calls()[0].sender, &source);
    EXPECT_EQ(receiver.Calls()[0].record, &mine);

    event.Remove(&receiver, OtherFn());  // never added: nothing happens
    EXPECT_EQ(source.Count(), 1);
    event.Remove(&receiver, HeardFn());
    EXPECT_EQ(source.Count(), 0);
}

TEST_F(PropertyEvents, AnEventWithoutASourceIgnoresAddAndRemove) {
    LyPropertyEvent unbound;
    Receiver receiver("r");
    unbound.Add(&receiver, HeardFn());
    unbound.Remove(&receiver, HeardFn());
    EXPECT_EQ(unbound.GetSource(), nullptr);
}

TEST_F(PropertyEvents, AGlobalEventAddedTwiceIsRemovedOneSubscriptionAtATime) {
    const char* name = "EVENTS_TEST_TWICE";
    LyPropertyEvent event;
    EXPECT_EQ(&event.InitGlobal("OnTwice", name), &event);
    EXPECT_TRUE(event.IsGlobal());
    EXPECT_STREQ(event.GetGlobalName(), name);
    EXPECT_EQ(event.GetSource(), nullptr);
    EXPECT_EQ(event.GetEventType(), 0);

    Receiver receiver("r");
    event.Add(&receiver, HeardFn());
    event.Add(&receiver, HeardFn());
    EXPECT_EQ(event.GetGlobalSubscriptionCount(), 2);
    EXPECT_EQ(velora::GlobalEvent::HandlerCount(name), 2);
    EXPECT_EQ(velora::GlobalEvent::Raise(name), 2);
    EXPECT_EQ(receiver.Count(), 2);

    event.Remove(&receiver, HeardFn());
    EXPECT_EQ(event.GetGlobalSubscriptionCount(), 1);
    EXPECT_EQ(velora::GlobalEvent::HandlerCount(name), 1);
    EXPECT_EQ(velora::GlobalEvent::Raise(name), 1);
    EXPECT_EQ(receiver.Count(), 3);

    event.Remove(&receiver, OtherFn());  // not this pair: nothing
    EXPECT_EQ(velora::GlobalEvent::HandlerCount(name), 1);
    event.Remove(&receiver, HeardFn());
    EXPECT_EQ(velora::GlobalEvent::HandlerCount(name), 0);
    event.Remove(&receiver, HeardFn());  // nothing left: nothing happens
    EXPECT_EQ(event.GetGlobalSubscriptionCount(), 0);
    EXPECT_EQ(velora::GlobalEvent::Raise(name), 0);
}

TEST_F(PropertyEvents, RemovingOneOfARepeatedGlobalPairKeepsTheOthersInOrder) {
    const char* name = "EVENTS_TEST_FIRST";
    LyPropertyEvent event;
    event.InitGlobal("OnFirst", name);
    std::vector<lysdk_test::Heard> log;
    Receiver a("a", &log), b("b", &log);
    event.Add(&a, HeardFn());
    event.Add(&b, HeardFn());
    event.Add(&a, HeardFn());
    event.Remove(&a, HeardFn());  // one a goes; b now comes first
    velora::GlobalEvent::Raise(name);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].who, "b");
    EXPECT_EQ(log[1].who, "a");
    event.Remove(&a, HeardFn());
    event.Remove(&b, HeardFn());
}

TEST_F(PropertyEvents, DestroyingAGlobalEventEndsItsSubscriptions) {
    const char* name = "EVENTS_TEST_DESTROY";
    Receiver receiver("r");
    {
        LyPropertyEvent event;
        event.InitGlobal("OnDestroy", name);
        event.Add(&receiver, HeardFn());
        event.Add(&receiver, OtherFn());
        EXPECT_EQ(velora::GlobalEvent::HandlerCount(name), 2);
    }
    EXPECT_EQ(velora::GlobalEvent::HandlerCount(name), 0);
    EXPECT_EQ(velora::GlobalEvent::Raise(name), 0);
    EXPECT_EQ(receiver.Count(), 0);
}

TEST_F(PropertyEvents, InitWithAParentListsTheEventOnceAndMovesItToANewParent) {
    std::vector<int> order;
    LyComponent first(Make("First"));
    LyComponent second(Make("Second"));
    CountingRegister source;
    OrderedEvent event(1, &order);
    event.Init(&first, &source, "OnA", 1, 0);
    event.Init(&first, &source, "OnA", 1, 0);  // listed once
    EXPECT_EQ(event.GetParentComponent(), &first);
    event.Init(&second, &source, "OnA", 1, 0);
    EXPECT_EQ(event.GetParentComponent(), &second);

    first.InvalidatePropertyEventsParents();  // no longer its parent
    EXPECT_TRUE(order.empty());
    EXPECT_FALSE(event.IsCutOff());
    second.InvalidatePropertyEventsParents();
    EXPECT_EQ(order, std::vector<int>{1});
}

TEST_F(PropertyEvents, DetachingTheParentCutsEveryEventOffInListOrder) {
    std::vector<int> order;
    velora::Object* host = Make("Parent");
    LyComponent parent(host);
    CountingRegister source;
    OrderedEvent a(1, &order), b(2, &order), c(3, &order);
    b.Init(&parent, &source, "OnB", 1, 0);
    a.Init(&parent, &source, "OnA", 1, 0);
    c.Init(&parent, &source, "OnC", 1, 0);

    host->Destroy(0);  // the host ends the object; the member wrapper detaches
    EXPECT_EQ(parent.GetHIObject(), nullptr);
    EXPECT_EQ(order, (std::vector<int>{2, 1, 3}));
    for (LyPropertyEvent* e : {static_cast<LyPropertyEvent*>(&a), static_cast<LyPropertyEvent*>(&b),
                               static_cast<LyPropertyEvent*>(&c)}) {
        EXPECT_TRUE(e->IsCutOff());
        EXPECT_EQ(e->GetSource(), nullptr);
        EXPECT_EQ(e->GetParentComponent(), &parent);  // the parent stays
    }
}

TEST_F(PropertyEvents, AddOnAnEventWhoseComponentDetachedDoesNothing) {
    velora::Object* host = Make("Parent");
    LyComponent parent(host);
    CountingRegister source;
    LyPropertyEvent event;
    event.Init(&parent, &source, "OnThing", 7, 0);
    Receiver receiver("r");
    event.Add(&receiver, HeardFn());
    EXPECT_EQ(source.adds, 1);
    EXPECT_EQ(source.lastType, 7);

    parent.SetHIObject(nullptr, false);  // detach
    event.Add(&receiver, HeardFn());
    event.Remove(&receiver, HeardFn());
    EXPECT_EQ(source.adds, 1);  // the source was not reached again
    EXPECT_EQ(source.removes, 0);
}

TEST_F(PropertyEvents, FixedSourceEventsAreCutOffTooWhenTheirParentDetaches) {
    velora::Object* host = Make("Parent");
    LyComponent parent(host);
    LyPropertyEventCallbackSynPoint event;
    event.Init(&parent, nullptr, "OnSyn", 0, 0);
    parent.SetHIObject(nullptr, false);
    Receiver receiver("r");
    event.Add(&receiver, HeardFn());
    EXPECT_EQ(velora::EvaluationManager::Instance().Count(velora::kTimingSynchronisation), 0);
}

TEST_F(PropertyEvents, ADestroyedEventLeavesItsParentsList) {
    std::vector<int> order;
    LyComponent parent(Make("Parent"));
    CountingRegister source;
    OrderedEvent kept(1, &order);
    kept.Init(&parent, &source, "OnKept", 1, 0);
    {
        OrderedEvent gone(2, &order);
        gone.Init(&parent, &source, "OnGone", 1, 0);
    }
    // A detach after the event ended must not touch it (ASan would see it).
    parent.InvalidatePropertyEventsParents();
    EXPECT_EQ(order, std::vector<int>{1});
}

TEST_F(PropertyEvents, AnEventMayOutliveItsParentComponent) {
    CountingRegister source;
    LyPropertyEvent event;
    {
        LyComponent parent(Make("Parent"));
        event.Init(&parent, &source, "OnThing", 1, 0);
    }
    // The parent ended first: the event is cut off and does not reach back
    // into it, neither now nor when it is destroyed.
    EXPECT_TRUE(event.IsCutOff());
    Receiver receiver("r");
    event.Add(&receiver, HeardFn());
    EXPECT_EQ(source.adds, 0);
}

TEST_F(PropertyEvents, ReInitialisingACutOffEventBindsItAgain) {
    LyComponent parent(Make("Parent"));
    CountingRegister first, second;
    LyPropertyEvent event;
    event.Init(&parent, &first, "OnThing", 1, 0);
    parent.SetHIObject(nullptr, false);
    ASSERT_TRUE(event.IsCutOff());
    parent.SetHIObject(Make("Again"), false);
    event.Init(&parent, &second, "OnThing", 1, 0);
    EXPECT_FALSE(event.IsCutOff());
    Receiver receiver("r");
    event.Add(&receiver, HeardFn());
    EXPECT_EQ(second.adds, 1);
    EXPECT_EQ(first.adds, 0);
}
