#ifndef LYSDK_LYEVENT_H
#define LYSDK_LYEVENT_H

// Events: how extensions hear of the host.
//
// An event source is a property of type LyPropertyEvent on some object
// (OnConnectionNotify of the system, OnChange of a control). An extension
// adds a callback to it: an object deriving from ICallback (every component
// does) and one of its member functions taking (IRegister* sender,
// EventRecord* record):
//
//     class MyTool : public LyComponent {
//     public:
//         void Heard(IRegister* sender, EventRecord* record) {
//             LyEventConnectionNotify event(record);
//             if (event.Action == kLyConnectedSrc) { ... }
//         }
//     };
//     system.OnConnectionNotify.Add(tool, LyHandler(&MyTool::Heard));
//     ...
//     system.OnConnectionNotify.Remove(tool, LyHandler(&MyTool::Heard));
//
// The SDK keeps no callback list for ordinary events: Add and Remove go to
// the host source the property stands for, which keeps the pairs, calls them
// in the order they were added on the thread that raises the event, and
// copes with callbacks added or removed during a raise (a removed one is not
// called any more). A pair is identified by both the object and the
// function; Remove needs the same two. Remove your callbacks before the
// receiving object ends: sources do not own their receivers.
//
// The callback wraps the record in the LyEvent class that goes with the
// event, whose properties read the record's fields. An LyEvent lives only
// for the callback; it neither owns nor copies the record.
//
// Global events are kept by name (InitGlobal): each Add makes one host
// subscription under the global name, so the same pair added twice is
// called twice and Remove ends one subscription at a time, earliest first.
//
// When a component loses its host object, every event property it is the
// parent of is cut off: from then on Add and Remove do nothing, so no host
// source is reached through a dangling pointer.

#include "lysdk/lyenumtexts.h"
#include "lysdk/lycomponent.h"
#include "lysdk/lyplug.h"
#include "lysdk/lyproperty.h"
#include "lysdk/lypropertytyped.h"
#include "lysdk/lytime.h"

LYSDK_BEGIN_NAMESPACE

/// A member function of T as a callback handler: the form Add and Remove
/// take. T must derive from ICallback (every component does).
template <class T>
ICallback::Handler LyHandler(void (T::*handler)(IRegister*, EventRecord*)) {
    return static_cast<ICallback::Handler>(handler);
}

/// The sub-type of system-level events, which have neither parent nor
/// source of their own.
constexpr int kLyEventSubTypeAll = 0x7fffffff;

/// Scene-notification event types of the host, as LyEvent::Type reads them.
enum LySceneNotifyType {
    kLySceneConnectionNotify = 1,
    kLySceneDataNotify = 2,
    kLySceneStateNotify = 3,
    kLySceneKeyingNotify = 4,
};
LYSDK_ENUM_TEXTS(LySceneNotifyType);

/// The points of a frame at which evaluation-pipeline callbacks run.
enum LyGlobalEvalCallbackTiming {
    kLyGlobalEvalCallbackBeforeEvaluation = 0,
    kLyGlobalEvalCallbackAfterDeviceEvaluation = 1,
    kLyGlobalEvalCallbackAfterSceneEvaluation = 2,
    kLyGlobalEvalCallbackSyn = 3,
    kLyGlobalEvalCallbackBeforeRender = 4,
    kLyGlobalEvalCallbackAfterRender = 5,
    kLyGlobalEvalCallbackAfterDeformation = 6,
    kLyGlobalEvalCallbackAfterEvaluation = 7,
};
LYSDK_ENUM_TEXTS(LyGlobalEvalCallbackTiming);

class LYSDK_API LyPropertyEvent : public LyProperty {
    LYSDK_CLASS_DECLARE(LyPropertyEvent, LyProperty)
public:
    LyPropertyEvent();
    /// Ends the remaining global subscriptions and leaves the parent's list.
    /// Callbacks added at a host source stay there: Remove them first.
    ~LyPropertyEvent() override;
    LyPropertyEvent(const LyPropertyEvent&) = delete;
    LyPropertyEvent& operator=(const LyPropertyEvent&) = delete;

    /// Points the event at `source` for events of `eventType` and `subType`.
    /// The event joins `parent`'s list (leaving a previous parent's), so that
    /// it is cut off when the parent loses its host object. Stops being
    /// global. System-level events pass no parent, no source, type 0 and
    /// kLyEventSubTypeAll; their class supplies the source.
    LyPropertyEvent& Init(LyComponent* parent, IRegister* source, const char* name, int eventType,
                          int subType);
    /// Makes the event a global one under `globalName`; no source, type 0.
    LyPropertyEvent& InitGlobal(const char* name, const char* globalName);

    LyPropertyType GetPropertyType() const override { return kLyPropertyTypeEvent; }

    /// Adds the callback pair. Nothing happens for a null object or
    /// function, an event without a source, or one that was cut off.
    virtual void Add(ICallback* receiver, ICallback::Handler handler);
    /// Removes one registration of the pair; nothing when there is none.
    virtual void Remove(ICallback* receiver, ICallback::Handler handler);
    /// The parent lost its host object: forget the source. The parent and
    /// the global subscriptions stay.
    virtual void InvalidateParent();

    IRegister* GetSource() const { return mSource; }
    int GetEventType() const { return mEventType; }
    int GetSubType() const { return mSubType; }
    bool IsGlobal() const;
    /// The global event name; "" for a non-global event.
    const char* GetGlobalName() const;
    /// Global subscriptions this event holds.
    int GetGlobalSubscriptionCount() const;
    /// The component the event was initialised with, or null.
    LyComponent* GetParentComponent() const;
    /// True once the parent has lost its host object (until the next Init).
    bool IsCutOff() const;

protected:
    IRegister* mSource;
    int mEventType;
    int mSubType;

private:
    struct Private;
    Private* mPrivate;
};

// Events with a fixed host source. They ignore the stored source; like every
// event they go inert once their parent (if they have one) is cut off.

/// Every plug notification the scene accepts (connections, replacements,
/// reorders, ownership, selection, renames, requests). Read with
/// LyEventConnectionNotify.
class LYSDK_API LyPropertyEventConnectionNotify : public LyPropertyEvent {
    LYSDK_CLASS_DECLARE(LyPropertyEventConnectionNotify, LyPropertyEvent)
public:
    void Add(ICallback* receiver, ICallback::Handler handler) override;
    void Remove(ICallback* receiver, ICallback::Handler handler) override;
};

/// Every accepted write of a property's value. Read with
/// LyEventConnectionDataNotify.
class LYSDK_API LyPropertyEventConnectionDataNotify : public LyPropertyEvent {
    LYSDK_CLASS_DECLARE(LyPropertyEventConnectionDataNotify, LyPropertyEvent)
public:
    void Add(ICallback* receiver, ICallback::Handler handler) override;
    void Remove(ICallback* receiver, ICallback::Handler handler) override;
};

/// Every change of a property's flags word. Read with
/// LyEventConnectionStateNotify.
class LYSDK_API LyPropertyEventConnectionStateNotify : public LyPropertyEvent {
    LYSDK_CLASS_DECLARE(LyPropertyEventConnectionStateNotify, LyPropertyEvent)
public:
    void Add(ICallback* receiver, ICallback::Handler handler) override;
    void Remove(ICallback* receiver, ICallback::Handler handler) override;
};

/// Keys set or removed on animated properties. Read with
/// LyEventConnectionKeyingNotify.
class LYSDK_API LyPropertyEventConnectionKeyingNotify : public LyPropertyEvent {
    LYSDK_CLASS_DECLARE(LyPropertyEventConnectionKeyingNotify, LyPropertyEvent)
public:
    void Add(ICallback* receiver, ICallback::Handler handler) override;
    void Remove(ICallback* receiver, ICallback::Handler handler) override;
};

/// The evaluation pipeline: the callback runs at timings 0, 1, 2, 6 and 7 of
/// every frame (one registration per timing, in that order), on the host's
/// evaluation threads: it must be safe on any thread. Read with
/// LyEventEvalGlobalCallback.
class LYSDK_API LyPropertyEventCallbackEvalPipeline : public LyPropertyEvent {
    LYSDK_CLASS_DECLARE(LyPropertyEventCallbackEvalPipeline, LyPropertyEvent)
public:
    void Add(ICallback* receiver, ICallback::Handler handler) override;
    /// Removes the registration at each of the five timings.
    void Remove(ICallback* receiver, ICallback::Handler handler) override;
};

/// The render pipeline: timings 4 and 5 (before and after each redraw).
class LYSDK_API LyPropertyEventCallbackRenderPipeline : public LyPropertyEvent {
    LYSDK_CLASS_DECLARE(LyPropertyEventCallbackRenderPipeline, LyPropertyEvent)
public:
    void Add(ICallback* receiver, ICallback::Handler handler) override;
    void Remove(ICallback* receiver, ICallback::Handler handler) override;
};

/// The synchronisation point between evaluation and rendering: timing 3.
class LYSDK_API LyPropertyEventCallbackSynPoint : public LyPropertyEvent {
    LYSDK_CLASS_DECLARE(LyPropertyEventCallbackSynPoint, LyPropertyEvent)
public:
    void Add(ICallback* receiver, ICallback::Handler handler) override;
    void Remove(ICallback* receiver, ICallback::Handler handler) override;
};

/// Animation-node events, kept by the library's animation-node callback
/// registry and filed under the event's source (the node's own register).
/// Read with LyEventAnimationNode.
class LYSDK_API LyPropertyEventAnimationNode : public LyPropertyEvent {
    LYSDK_CLASS_DECLARE(LyPropertyEventAnimationNode, LyPropertyEvent)
public:
    /// Makes the registry on first use.
    void Add(ICallback* receiver, ICallback::Handler handler) override;
    void Remove(ICallback* receiver, ICallback::Handler handler) override;
};

/// The process-wide animation-node callback registry: callback pairs filed
/// per source, raised by the library's animation-node code (Raise). Made by
/// the first LyPropertyEventAnimationNode::Add; lives until unload. Main
/// thread only.
class LYSDK_API DataLyAnimationNodeCallbacks final : public IObject {
public:
    /// The registry; null before it was made unless `create` is true.
    static DataLyAnimationNodeCallbacks* Get(bool create);

    IObject* IQuery(std::uint32_t id, int arg = 0) override;
    /// The registry lives until the library unloads; nothing to do.
    void Destroy(int = 0) override {}

    void Add(IRegister* key, ICallback* receiver, ICallback::Handler handler, int eventType,
             int subType);
    bool Remove(IRegister* key, ICallback* receiver, ICallback::Handler handler, int eventType,
                int subType);
    /// Calls the pairs filed under `key` registered for the record's type;
    /// returns how many ran.
    int Raise(IRegister* key, EventRecord& record);
    /// Live registrations under `key`.
    int Count(IRegister* key) const;

private:
    DataLyAnimationNodeCallbacks();
    ~DataLyAnimationNodeCallbacks();
    struct Lists;
    Lists* mLists;
};

// ---------------------------------------------------------------------------
// Event records.

/// The record of an event, read as properties. LyEvent itself is the
/// read-only integer property "Type": the record's event type code.
/// Fields a record of another kind does not have read as zero or null.
class LYSDK_API LyEvent : public LyPropertyInt {
    LYSDK_CLASS_DECLARE(LyEvent, LyProperty)
public:
    explicit LyEvent(EventRecord* record);
    ~LyEvent() override;
    LyEvent(const LyEvent&) = delete;
    LyEvent& operator=(const LyEvent&) = delete;

    /// The host record, not owned.
    EventRecord* GetRecord() const { return mRecord; }

protected:
    /// The parent handed to the field properties' get functions.
    void* Self() { return static_cast<LyEvent*>(this); }

    EventRecord* mRecord;
};

/// A plug notification heard at the scene. SrcPlug is the plug that was
/// notified, DstPlug the plug the notification names (the other end of the
/// connection), SrcIndex that plug's position in the list that changed, and
/// NewPlug the replacing plug of a replace or the other plug of a reorder.
class LYSDK_API LyEventConnectionNotify : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventConnectionNotify, LyEvent)
public:
    explicit LyEventConnectionNotify(EventRecord* record);
    LyPropertyBaseEnum<LyConnectionAction> Action;
    LyPropertyInt SrcIndex;
    LyPropertyBaseEnum<LyConnectionType> ConnectionType;
    LyPropertyBase<LyPlug*, kLyPropertyTypeObject> SrcPlug;
    LyPropertyBase<LyPlug*, kLyPropertyTypeObject> DstPlug;
    LyPropertyBase<LyPlug*, kLyPropertyTypeObject> NewPlug;
};

/// A property's value was written. GetData points at the new raw value,
/// GetOldData at the previous one (null when there was no stored value).
class LYSDK_API LyEventConnectionDataNotify : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventConnectionDataNotify, LyEvent)
public:
    explicit LyEventConnectionDataNotify(EventRecord* record);
    using LyEvent::GetData;
    void* GetData() const;
    void* GetOldData() const;
    /// Bytes of each raw value.
    int GetDataSize() const;
    LyPropertyBaseEnum<LyConnectionAction> Action;
    LyPropertyBase<LyPlug*, kLyPropertyTypeObject> Plug;
};

/// A property's flags word changed: GetData and GetOldData point at the new
/// and the previous flags (LyPropertyFlag bits).
class LYSDK_API LyEventConnectionStateNotify : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventConnectionStateNotify, LyEvent)
public:
    explicit LyEventConnectionStateNotify(EventRecord* record);
    using LyEvent::GetData;
    void* GetData() const;
    void* GetOldData() const;
    int GetDataSize() const;
    LyPropertyBaseEnum<LyConnectionAction> Action;
    LyPropertyBase<LyPlug*, kLyPropertyTypeObject> Plug;
};

/// A key was set or removed on a property of a plug.
class LYSDK_API LyEventConnectionKeyingNotify : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventConnectionKeyingNotify, LyEvent)
public:
    explicit LyEventConnectionKeyingNotify(EventRecord* record);
    using LyEvent::GetData;
    LyConnectionAction GetAction() const;
    LyPlug* GetPlug() const;
    /// The keyed property's wrapper (from its object's property list).
    LyProperty* GetProperty() const;
    /// The keyed raw value, or null.
    void* GetData() const;
};

/// A change of the scene: Component is the object concerned, ChildComponent
/// its child or parent concerned, when any.
class LYSDK_API LyEventSceneChange : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventSceneChange, LyEvent)
public:
    explicit LyEventSceneChange(EventRecord* record);
    LyPropertyComponent Component;
    LyPropertyComponent ChildComponent;
};

/// A take changed.
class LYSDK_API LyEventTakeChange : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventTakeChange, LyEvent)
public:
    explicit LyEventTakeChange(EventRecord* record);
    LyPropertyComponent Take;
};

/// A scene file is being opened, merged or saved.
class LYSDK_API LyEventFileChange : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventFileChange, LyEvent)
public:
    explicit LyEventFileChange(EventRecord* record);
    LyPropertyString Path;
};

/// A story clip changed; only its type.
class LYSDK_API LyEventClipChange : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventClipChange, LyEvent)
public:
    explicit LyEventClipChange(EventRecord* record);
};

/// An animation-node event; only its type.
class LYSDK_API LyEventAnimationNode : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventAnimationNode, LyEvent)
public:
    explicit LyEventAnimationNode(EventRecord* record);
};

/// A transport change (play, stop, goto...); only its type.
class LYSDK_API LyEventPlayerControlChange : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventPlayerControlChange, LyEvent)
public:
    explicit LyEventPlayerControlChange(EventRecord* record);
};

/// The video switcher changed its clip.
class LYSDK_API LyEventVideoSwitcher : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventVideoSwitcher, LyEvent)
public:
    explicit LyEventVideoSwitcher(EventRecord* record);
    LyPropertyComponent VideoSwitcher;
    LyPropertyInt EndType;
    LyPropertyTime Reference;
};

/// A video render under way.
class LYSDK_API LyEventVideoFrameRendering : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventVideoFrameRendering, LyEvent)
public:
    explicit LyEventVideoFrameRendering(EventRecord* record);
    /// 0 begin, 1 a frame, 2 end.
    int GetState() const;
    int GetFrameCount() const;
    int GetFrameNumber() const;
};

/// An evaluation- or render-pipeline callback.
class LYSDK_API LyEventEvalGlobalCallback : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventEvalGlobalCallback, LyEvent)
public:
    explicit LyEventEvalGlobalCallback(EventRecord* record);
    LyGlobalEvalCallbackTiming GetTiming() const;
    /// The evaluation context the timing belongs to, as the host handed it
    /// (null: the global display evaluation).
    LyEvaluateInfo* GetEvaluateInfo() const;
};

/// A command of the construction history ran.
class LYSDK_API LyEventConstructionHistoryChange : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventConstructionHistoryChange, LyEvent)
public:
    explicit LyEventConstructionHistoryChange(EventRecord* record);
    int GetCommandId() const;
};

/// A file is about to be opened. A callback that opens it itself sets
/// WillOverride to true (the one writable field of a record).
class LYSDK_API LyEventOverrideFileOpen : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventOverrideFileOpen, LyEvent)
public:
    explicit LyEventOverrideFileOpen(EventRecord* record);
    LyPropertyString FilePath;
    LyPropertyBool WillOverride;
};

class LYSDK_API LyEventActivate : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventActivate, LyEvent)
public:
    explicit LyEventActivate(EventRecord* record);
    LyPropertyInt Data;
};

class LYSDK_API LyEventDblClick : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventDblClick, LyEvent)
public:
    explicit LyEventDblClick(EventRecord* record);
    LyPropertyInt Selection;
};

/// A drag over, or a drop onto, a control. Accept says the control takes
/// it; Add, Clear, Get and GetCount edit and read what is dragged.
class LYSDK_API LyEventDragAndDrop : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventDragAndDrop, LyEvent)
public:
    explicit LyEventDragAndDrop(EventRecord* record);
    void Accept();
    void Add(LyComponent* component, int id = 0);
    void Clear();
    /// The i-th dragged component; null out of range or once it ended.
    LyComponent* Get(int index) const;
    int GetCount() const;
    LyPropertyInt State;
    LyPropertyInt PosX;
    LyPropertyInt PosY;
    /// Named "Data[0]" and "Data[1]".
    LyPropertyInt Data[2];
};

class LYSDK_API LyEventExpose : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventExpose, LyEvent)
public:
    explicit LyEventExpose(EventRecord* record);
};

class LYSDK_API LyEventInput : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventInput, LyEvent)
public:
    explicit LyEventInput(EventRecord* record);
    LyPropertyInt InputType;
    LyPropertyInt MouseButton;
    LyPropertyInt Key;
    LyPropertyInt KeyState;
    LyPropertyInt Pressure;
    LyPropertyInt MouseWheelDelta;
};

class LYSDK_API LyEventMenu : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventMenu, LyEvent)
public:
    explicit LyEventMenu(EventRecord* record);
    LyPropertyInt Id;
    LyPropertyString Name;
};

class LYSDK_API LyEventResize : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventResize, LyEvent)
public:
    explicit LyEventResize(EventRecord* record);
    LyPropertyInt Width;
    LyPropertyInt Height;
};

class LYSDK_API LyEventShow : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventShow, LyEvent)
public:
    explicit LyEventShow(EventRecord* record);
    LyPropertyBool Shown;
};

class LYSDK_API LyEventSpread : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventSpread, LyEvent)
public:
    explicit LyEventSpread(EventRecord* record);
    LyPropertyInt Row;
    LyPropertyInt Column;
    LyPropertyInt Action;
};

class LYSDK_API LyEventTransaction : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventTransaction, LyEvent)
public:
    explicit LyEventTransaction(EventRecord* record);
    LyPropertyBool IsBeginTransaction;
};

class LYSDK_API LyEventTree : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventTree, LyEvent)
public:
    explicit LyEventTree(EventRecord* record);
    LyPropertyComponent TreeNode;
    LyPropertyInt Why;
};

class LYSDK_API LyEventTreeSelect : public LyEvent {
    LYSDK_CLASS_DECLARE(LyEventTreeSelect, LyEvent)
public:
    explicit LyEventTreeSelect(EventRecord* record);
    LyPropertyComponent TreeNode;
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYEVENT_H
