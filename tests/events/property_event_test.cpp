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

TEST_F(PropertyEvents, AnEventIsAPropertyWhoseAddAndRemoveGoToItsSourceForItsTypes) {
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

    LyPropertyEvent unbound;  // without a source, add and remove are ignored
    unbound.Add(&receiver, HeardFn());
    unbound.Remove(&receiver, HeardFn());
    EXPECT_EQ(unbound.GetSource(), nullptr);
}

TEST_F(PropertyEvents, AGlobalEventAddedTwiceIsRemovedOneSubscriptionAtATimeOrAllWhenDestroyed) {
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
    // Destroying a global event ends its subscriptions.
    {
        LyPropertyEvent scoped;
        scoped.InitGlobal("OnDestroy", name);
        scoped.Add(&receiver, HeardFn());
        scoped.Add(&receiver, OtherFn());
        EXPECT_EQ(velora::GlobalEvent::HandlerCount(name), 2);
    }
    EXPECT_EQ(velora::GlobalEvent::HandlerCount(name), 0);
    EXPECT_EQ(velora::GlobalEvent::Raise(name), 0);
    EXPECT_EQ(receiver.Count(), 3);
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

TEST_F(PropertyEvents, ACutOffEventReachesNoSourceUntilInitialisedAgain) {
    LyComponent parent(Make("Parent"));
    CountingRegister first, second;
    LyPropertyEvent event;
    event.Init(&parent, &first, "OnThing", 7, 0);
    Receiver receiver("r");
    event.Add(&receiver, HeardFn());
    EXPECT_EQ(first.adds, 1);
    EXPECT_EQ(first.lastType, 7);
    LyPropertyEventCallbackSynPoint fixed;  // an event with a fixed source is cut off too
    fixed.Init(&parent, nullptr, "OnSyn", 0, 0);

    parent.SetHIObject(nullptr, false);  // detach
    ASSERT_TRUE(event.IsCutOff());
    event.Add(&receiver, HeardFn());
    event.Remove(&receiver, HeardFn());
    EXPECT_EQ(first.adds, 1);  // the source was not reached again
    EXPECT_EQ(first.removes, 0);
    fixed.Add(&receiver, HeardFn());
    EXPECT_EQ(velora::EvaluationManager::Instance().Count(velora::kTimingSynchronisation), 0);

    parent.SetHIObject(Make("Again"), false);
    event.Init(&parent, &second, "OnThing", 1, 0);
    EXPECT_FALSE(event.IsCutOff());
    event.Add(&receiver, HeardFn());
    EXPECT_EQ(second.adds, 1);
    EXPECT_EQ(first.adds, 1);
}

TEST_F(PropertyEvents, EventsAndTheirParentsMayEndInEitherOrder) {
    std::vector<int> order;
    CountingRegister source;
    LyPropertyEvent orphan;
    {
        LyComponent parent(Make("Parent"));
        OrderedEvent kept(1, &order);
        kept.Init(&parent, &source, "OnKept", 1, 0);
        {
            OrderedEvent gone(2, &order);
            gone.Init(&parent, &source, "OnGone", 1, 0);
        }
        // A detach after the event ended must not touch it (ASan would see it).
        parent.InvalidatePropertyEventsParents();
        EXPECT_EQ(order, std::vector<int>{1});
        orphan.Init(&parent, &source, "OnThing", 1, 0);
        EXPECT_FALSE(orphan.IsCutOff());
    }
    // The parent ended first: the event is cut off and does not reach back
    // into it, neither now nor when it is destroyed.
    EXPECT_TRUE(orphan.IsCutOff());
    Receiver receiver("r");
    orphan.Add(&receiver, HeardFn());
    EXPECT_EQ(source.adds, 0);
}
