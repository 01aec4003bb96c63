// LyEvent and its classes: typed, read-only views of host event records.

#include <velora/evaluation.h>
#include <velora/event_records.h>
#include <velora/object.h>
#include <velora/property.h>
#include <velora/scene_events.h>

#include "lysdk/lyevent.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyEvent, 0);
LYSDK_CLASS_IMPLEMENT(LyEventConnectionNotify, 0);
LYSDK_CLASS_IMPLEMENT(LyEventConnectionDataNotify, 0);
LYSDK_CLASS_IMPLEMENT(LyEventConnectionStateNotify, 0);
LYSDK_CLASS_IMPLEMENT(LyEventConnectionKeyingNotify, 0);
LYSDK_CLASS_IMPLEMENT(LyEventSceneChange, 0);
LYSDK_CLASS_IMPLEMENT(LyEventTakeChange, 0);
LYSDK_CLASS_IMPLEMENT(LyEventFileChange, 0);
LYSDK_CLASS_IMPLEMENT(LyEventClipChange, 0);
LYSDK_CLASS_IMPLEMENT(LyEventAnimationNode, 0);
LYSDK_CLASS_IMPLEMENT(LyEventPlayerControlChange, 0);
LYSDK_CLASS_IMPLEMENT(LyEventVideoSwitcher, 0);
LYSDK_CLASS_IMPLEMENT(LyEventVideoFrameRendering, 0);
LYSDK_CLASS_IMPLEMENT(LyEventEvalGlobalCallback, 0);
LYSDK_CLASS_IMPLEMENT(LyEventConstructionHistoryChange, 0);
LYSDK_CLASS_IMPLEMENT(LyEventOverrideFileOpen, 0);
LYSDK_CLASS_IMPLEMENT(LyEventActivate, 0);
LYSDK_CLASS_IMPLEMENT(LyEventDblClick, 0);
LYSDK_CLASS_IMPLEMENT(LyEventDragAndDrop, 0);
LYSDK_CLASS_IMPLEMENT(LyEventExpose, 0);
LYSDK_CLASS_IMPLEMENT(LyEventInput, 0);
LYSDK_CLASS_IMPLEMENT(LyEventMenu, 0);
LYSDK_CLASS_IMPLEMENT(LyEventResize, 0);
LYSDK_CLASS_IMPLEMENT(LyEventShow, 0);
LYSDK_CLASS_IMPLEMENT(LyEventSpread, 0);
LYSDK_CLASS_IMPLEMENT(LyEventTransaction, 0);
LYSDK_CLASS_IMPLEMENT(LyEventTree, 0);
LYSDK_CLASS_IMPLEMENT(LyEventTreeSelect, 0);

namespace {

// The record behind an event, as the kind R, or null when the callback was
// handed a record of another kind (its fields then read as zero or null).
// Records are host objects, so their run-time type decides.
template <class R>
R* Rec(const void* event) {
    return dynamic_cast<R*>(static_cast<const LyEvent*>(event)->GetRecord());
}

template <class R>
R* Rec(const LyEvent* event) {
    return dynamic_cast<R*>(event->GetRecord());
}

// The wrapper of a plug named in a record. A plug that is ending gets only
// the wrapper it already has: one made now would never hear of its end.
LyPlug* PlugOf(velora::Plug* plug) {
    if (!plug) return nullptr;
    return LyGetLyPlug(plug, !plug->IsEnding());
}

LyComponent* ComponentOf(velora::Plug* plug) {
    if (!plug) return nullptr;
    return LyGetLyComponent(plug, !plug->IsEnding());
}

// Getters shared by several classes: a field of record R, zero without one.
#define LY_FIELD_GETTER(Name_, Record_, Type_, Expr_) \
    Type_ Name_(void* event) {                        \
        Record_* r = Rec<Record_>(event);             \
        return r ? static_cast<Type_>(Expr_) : Type_{}; \
    }

int GetTypeCode(void* event) {
    EventRecord* r = static_cast<LyEvent*>(event)->GetRecord();
    return r ? r->type : 0;
}

using velora::ConnectionNotifyRecord;
using velora::ValueNotifyRecord;

LY_FIELD_GETTER(ConnAction, ConnectionNotifyRecord, LyConnectionAction, r->action)
LY_FIELD_GETTER(ConnIndex, ConnectionNotifyRecord, int, r->index)
LY_FIELD_GETTER(ConnType, ConnectionNotifyRecord, LyConnectionType, r->connectionType)
LyPlug* ConnSrc(void* e) { auto* r = Rec<ConnectionNotifyRecord>(e); return r ? PlugOf(r->plug) : nullptr; }
LyPlug* ConnDst(void* e) { auto* r = Rec<ConnectionNotifyRecord>(e); return r ? PlugOf(r->other) : nullptr; }
LyPlug* ConnNew(void* e) { auto* r = Rec<ConnectionNotifyRecord>(e); return r ? PlugOf(r->plug2) : nullptr; }

// Data and state records share a layout; the record type tells them apart.
template <int Kind>
ValueNotifyRecord* ValueRec(const void* event) {
    ValueNotifyRecord* r = Rec<ValueNotifyRecord>(event);
    return r && r->type == Kind ? r : nullptr;
}

template <int Kind>
LyConnectionAction ValueAction(void* e) {
    ValueNotifyRecord* r = ValueRec<Kind>(e);
    return r ? static_cast<LyConnectionAction>(r->action) : kLyRequestConnectSrc;
}

template <int Kind>
LyPlug* ValuePlug(void* e) {
    ValueNotifyRecord* r = ValueRec<Kind>(e);
    return r ? PlugOf(r->plug) : nullptr;
}

using velora::SceneChangeRecord;
LyComponent* SceneComponent(void* e) { auto* r = Rec<SceneChangeRecord>(e); return r ? ComponentOf(r->component) : nullptr; }
LyComponent* SceneChild(void* e) { auto* r = Rec<SceneChangeRecord>(e); return r ? ComponentOf(r->child) : nullptr; }
LyComponent* TakeOf(void* e) { auto* r = Rec<velora::TakeChangeRecord>(e); return r ? ComponentOf(r->take) : nullptr; }
const char* FilePathOf(void* e) { auto* r = Rec<velora::FileChangeRecord>(e); return r ? r->path.c_str() : nullptr; }

LyComponent* SwitcherOf(void* e) { auto* r = Rec<velora::VideoSwitcherRecord>(e); return r ? ComponentOf(r->switcher) : nullptr; }
LY_FIELD_GETTER(SwitcherEnd, velora::VideoSwitcherRecord, int, r->endType)
LyTime SwitcherReference(void* e) { auto* r = Rec<velora::VideoSwitcherRecord>(e); return r ? LyTime(r->reference) : LyTime(); }

const char* OverridePath(void* e) { auto* r = Rec<velora::OverrideFileOpenRecord>(e); return r ? r->path.c_str() : nullptr; }
LY_FIELD_GETTER(OverrideGet, velora::OverrideFileOpenRecord, bool, r->willOverride)
void OverrideSet(void* e, bool on) {
    if (auto* r = Rec<velora::OverrideFileOpenRecord>(e)) r->willOverride = on;
}

LY_FIELD_GETTER(ActivateData, velora::ActivateRecord, int, r->data)
LY_FIELD_GETTER(DblClickSelection, velora::DblClickRecord, int, r->selection)

LY_FIELD_GETTER(DragState, velora::DragAndDropRecord, int, r->state)
LY_FIELD_GETTER(DragX, velora::DragAndDropRecord, int, r->x)
LY_FIELD_GETTER(DragY, velora::DragAndDropRecord, int, r->y)
LY_FIELD_GETTER(DragData0, velora::DragAndDropRecord, int, r->data[0])
LY_FIELD_GETTER(DragData1, velora::DragAndDropRecord, int, r->data[1])

LY_FIELD_GETTER(InputKind, velora::InputRecord, int, r->inputType)
LY_FIELD_GETTER(InputButton, velora::InputRecord, int, r->mouseButton)
LY_FIELD_GETTER(InputKey, velora::InputRecord, int, r->key)
LY_FIELD_GETTER(InputKeyState, velora::InputRecord, int, r->keyState)
LY_FIELD_GETTER(InputPressure, velora::InputRecord, int, r->pressure)
LY_FIELD_GETTER(InputWheel, velora::InputRecord, int, r->wheelDelta)

LY_FIELD_GETTER(MenuId, velora::MenuRecord, int, r->id)
const char* MenuName(void* e) { auto* r = Rec<velora::MenuRecord>(e); return r ? r->name.c_str() : nullptr; }

LY_FIELD_GETTER(ResizeWidth, velora::ResizeRecord, int, r->width)
LY_FIELD_GETTER(ResizeHeight, velora::ResizeRecord, int, r->height)
LY_FIELD_GETTER(ShowShown, velora::ShowRecord, bool, r->shown)
LY_FIELD_GETTER(SpreadRow, velora::SpreadRecord, int, r->row)
LY_FIELD_GETTER(SpreadColumn, velora::SpreadRecord, int, r->column)
LY_FIELD_GETTER(SpreadAction, velora::SpreadRecord, int, r->action)
LY_FIELD_GETTER(TransactionBegin, velora::TransactionRecord, bool, r->begin)

LyComponent* TreeNodeOf(void* e) { auto* r = Rec<velora::TreeRecord>(e); return r ? ComponentOf(r->node) : nullptr; }
LY_FIELD_GETTER(TreeWhy, velora::TreeRecord, int, r->why)
LyComponent* TreeSelectNode(void* e) { auto* r = Rec<velora::TreeSelectRecord>(e); return r ? ComponentOf(r->node) : nullptr; }

#undef LY_FIELD_GETTER

}  // namespace

LyEvent::LyEvent(EventRecord* record) : mRecord(record) { Init(Self(), "Type", &GetTypeCode); }
LyEvent::~LyEvent() = default;

LyEventConnectionNotify::LyEventConnectionNotify(EventRecord* record) : LyEvent(record) {
    Action.Init(Self(), "Action", &ConnAction);
    SrcIndex.Init(Self(), "SrcIndex", &ConnIndex);
    ConnectionType.Init(Self(), "ConnectionType", &ConnType);
    SrcPlug.Init(Self(), "SrcPlug", &ConnSrc);
    DstPlug.Init(Self(), "DstPlug", &ConnDst);
    NewPlug.Init(Self(), "NewPlug", &ConnNew);
}

LyEventConnectionDataNotify::LyEventConnectionDataNotify(EventRecord* record) : LyEvent(record) {
    Action.Init(Self(), "Action", &ValueAction<velora::kSceneDataNotify>);
    Plug.Init(Self(), "Plug", &ValuePlug<velora::kSceneDataNotify>);
}
void* LyEventConnectionDataNotify::GetData() const {
    auto* r = ValueRec<velora::kSceneDataNotify>(static_cast<const LyEvent*>(this));
    return r ? r->data : nullptr;
}
void* LyEventConnectionDataNotify::GetOldData() const {
    auto* r = ValueRec<velora::kSceneDataNotify>(static_cast<const LyEvent*>(this));
    return r ? r->oldData : nullptr;
}
int LyEventConnectionDataNotify::GetDataSize() const {
    auto* r = ValueRec<velora::kSceneDataNotify>(static_cast<const LyEvent*>(this));
    return r ? r->size : 0;
}

LyEventConnectionStateNotify::LyEventConnectionStateNotify(EventRecord* record) : LyEvent(record) {
    Action.Init(Self(), "Action", &ValueAction<velora::kSceneStateNotify>);
    Plug.Init(Self(), "Plug", &ValuePlug<velora::kSceneStateNotify>);
}
void* LyEventConnectionStateNotify::GetData() const {
    auto* r = ValueRec<velora::kSceneStateNotify>(static_cast<const LyEvent*>(this));
    return r ? r->data : nullptr;
}
void* LyEventConnectionStateNotify::GetOldData() const {
    auto* r = ValueRec<velora::kSceneStateNotify>(static_cast<const LyEvent*>(this));
    return r ? r->oldData : nullptr;
}
int LyEventConnectionStateNotify::GetDataSize() const {
    auto* r = ValueRec<velora::kSceneStateNotify>(static_cast<const LyEvent*>(this));
    return r ? r->size : 0;
}

LyEventConnectionKeyingNotify::LyEventConnectionKeyingNotify(EventRecord* record) : LyEvent(record) {}
LyConnectionAction LyEventConnectionKeyingNotify::GetAction() const {
    auto* r = Rec<velora::KeyingNotifyRecord>(this);
    return r ? static_cast<LyConnectionAction>(r->action) : kLyRequestConnectSrc;
}
LyPlug* LyEventConnectionKeyingNotify::GetPlug() const {
    auto* r = Rec<velora::KeyingNotifyRecord>(this);
    return r ? PlugOf(r->plug) : nullptr;
}
LyProperty* LyEventConnectionKeyingNotify::GetProperty() const {
    auto* r = Rec<velora::KeyingNotifyRecord>(this);
    if (!r || !r->property || r->property->IsEnding()) return nullptr;
    // The property's wrapper belongs to its object's property list.
    LyComponent* owner = ComponentOf(r->property->OwnerObject());
    return owner ? owner->PropertyList.Wrap(r->property) : nullptr;
}
void* LyEventConnectionKeyingNotify::GetData() const {
    auto* r = Rec<velora::KeyingNotifyRecord>(this);
    return r ? r->data : nullptr;
}

LyEventSceneChange::LyEventSceneChange(EventRecord* record) : LyEvent(record) {
    Component.Init(Self(), "Component", &SceneComponent);
    ChildComponent.Init(Self(), "ChildComponent", &SceneChild);
}

LyEventTakeChange::LyEventTakeChange(EventRecord* record) : LyEvent(record) {
    Take.Init(Self(), "Take", &TakeOf);
}

LyEventFileChange::LyEventFileChange(EventRecord* record) : LyEvent(record) {
    Path.Init(Self(), "Path", &FilePathOf);
}

LyEventClipChange::LyEventClipChange(EventRecord* record) : LyEvent(record) {}
LyEventAnimationNode::LyEventAnimationNode(EventRecord* record) : LyEvent(record) {}
LyEventPlayerControlChange::LyEventPlayerControlChange(EventRecord* record) : LyEvent(record) {}

LyEventVideoSwitcher::LyEventVideoSwitcher(EventRecord* record) : LyEvent(record) {
    VideoSwitcher.Init(Self(), "VideoSwitcher", &SwitcherOf);
    EndType.Init(Self(), "EndType", &SwitcherEnd);
    Reference.Init(Self(), "Reference", &SwitcherReference);
}

LyEventVideoFrameRendering::LyEventVideoFrameRendering(EventRecord* record) : LyEvent(record) {}
int LyEventVideoFrameRendering::GetState() const {
    auto* r = Rec<velora::VideoFrameRenderingRecord>(this);
    return r ? r->state : 0;
}
int LyEventVideoFrameRendering::GetFrameCount() const {
    auto* r = Rec<velora::VideoFrameRenderingRecord>(this);
    return r ? r->frameCount : 0;
}
int LyEventVideoFrameRendering::GetFrameNumber() const {
    auto* r = Rec<velora::VideoFrameRenderingRecord>(this);
    return r ? r->frameNumber : 0;
}

LyEventEvalGlobalCallback::LyEventEvalGlobalCallback(EventRecord* record) : LyEvent(record) {}
LyGlobalEvalCallbackTiming LyEventEvalGlobalCallback::GetTiming() const {
    auto* r = Rec<velora::EvaluationRecord>(this);
    return static_cast<LyGlobalEvalCallbackTiming>(r ? r->timing : 0);
}
LyEvaluateInfo* LyEventEvalGlobalCallback::GetEvaluateInfo() const {
    auto* r = Rec<velora::EvaluationRecord>(this);
    return r ? static_cast<LyEvaluateInfo*>(r->context) : nullptr;
}

LyEventConstructionHistoryChange::LyEventConstructionHistoryChange(EventRecord* record)
    : LyEvent(record) {}
int LyEventConstructionHistoryChange::GetCommandId() const {
    auto* r = Rec<velora::ConstructionHistoryRecord>(this);
    return r ? r->commandId : 0;
}

LyEventOverrideFileOpen::LyEventOverrideFileOpen(EventRecord* record) : LyEvent(record) {
    FilePath.Init(Self(), "FilePath", &OverridePath);
    WillOverride.Init(Self(), "WillOverride", &OverrideGet, &OverrideSet);
}

LyEventActivate::LyEventActivate(EventRecord* record) : LyEvent(record) {
    Data.Init(Self(), "Data", &ActivateData);
}

LyEventDblClick::LyEventDblClick(EventRecord* record) : LyEvent(record) {
    Selection.Init(Self(), "Selection", &DblClickSelection);
}

LyEventDragAndDrop::LyEventDragAndDrop(EventRecord* record) : LyEvent(record) {
    State.Init(Self(), "State", &DragState);
    PosX.Init(Self(), "PosX", &DragX);
    PosY.Init(Self(), "PosY", &DragY);
    Data[0].Init(Self(), "Data[0]", &DragData0);
    Data[1].Init(Self(), "Data[1]", &DragData1);
}
void LyEventDragAndDrop::Accept() {
    if (auto* r = Rec<velora::DragAndDropRecord>(this)) r->accepted = true;
}
void LyEventDragAndDrop::Add(LyComponent* component, int id) {
    auto* r = Rec<velora::DragAndDropRecord>(this);
    velora::Plug* plug = component ? velora::AsPlug(component->GetHIObject()) : nullptr;
    if (!r || !plug) return;
    r->items.emplace_back(plug);
    r->itemIds.push_back(id);
}
void LyEventDragAndDrop::Clear() {
    if (auto* r = Rec<velora::DragAndDropRecord>(this)) {
        r->items.clear();
        r->itemIds.clear();
    }
}
LyComponent* LyEventDragAndDrop::Get(int index) const {
    auto* r = Rec<velora::DragAndDropRecord>(this);
    if (!r || index < 0 || index >= static_cast<int>(r->items.size())) return nullptr;
    return ComponentOf(r->items[static_cast<std::size_t>(index)].Get());
}
int LyEventDragAndDrop::GetCount() const {
    auto* r = Rec<velora::DragAndDropRecord>(this);
    return r ? static_cast<int>(r->items.size()) : 0;
}

LyEventExpose::LyEventExpose(EventRecord* record) : LyEvent(record) {}

LyEventInput::LyEventInput(EventRecord* record) : LyEvent(record) {
    InputType.Init(Self(), "InputType", &InputKind);
    MouseButton.Init(Self(), "MouseButton", &InputButton);
    Key.Init(Self(), "Key", &InputKey);
    KeyState.Init(Self(), "KeyState", &InputKeyState);
    Pressure.Init(Self(), "Pressure", &InputPressure);
    MouseWheelDelta.Init(Self(), "MouseWheelDelta", &InputWheel);
}

LyEventMenu::LyEventMenu(EventRecord* record) : LyEvent(record) {
    Id.Init(Self(), "Id", &MenuId);
    Name.Init(Self(), "Name", &MenuName);
}

LyEventResize::LyEventResize(EventRecord* record) : LyEvent(record) {
    Width.Init(Self(), "Width", &ResizeWidth);
    Height.Init(Self(), "Height", &ResizeHeight);
}

LyEventShow::LyEventShow(EventRecord* record) : LyEvent(record) {
    Shown.Init(Self(), "Shown", &ShowShown);
}

LyEventSpread::LyEventSpread(EventRecord* record) : LyEvent(record) {
    Row.Init(Self(), "Row", &SpreadRow);
    Column.Init(Self(), "Column", &SpreadColumn);
    Action.Init(Self(), "Action", &SpreadAction);
}

LyEventTransaction::LyEventTransaction(EventRecord* record) : LyEvent(record) {
    IsBeginTransaction.Init(Self(), "IsBeginTransaction", &TransactionBegin);
}

LyEventTree::LyEventTree(EventRecord* record) : LyEvent(record) {
    TreeNode.Init(Self(), "TreeNode", &TreeNodeOf);
    Why.Init(Self(), "Why", &TreeWhy);
}

LyEventTreeSelect::LyEventTreeSelect(EventRecord* record) : LyEvent(record) {
    TreeNode.Init(Self(), "TreeNode", &TreeSelectNode);
}

LYSDK_END_NAMESPACE
