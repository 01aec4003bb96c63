// LyTake, LyAnimationLayer and LyPlotOptions over the host's takes.

#include "lysdk/lytake.h"

#include <velora/animation.h>
#include <velora/global_events.h>
#include <velora/model.h>
#include <velora/plot.h>
#include <velora/property.h>
#include <velora/scene.h>
#include <velora/take.h>
#include <velora/timing.h>
#include <velora/transport.h>

#include <type_traits>
#include <vector>

#include "core/host_access.h"
#include "lysdk/lybox.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyTake, velora::kClassTake)
LYSDK_CLASS_IMPLEMENT(LyAnimationLayer, velora::kClassAnimationLayer)

LyPlotOptions::LyPlotOptions()
    : mPlotAllTakes(false),
      mPlotOnFrame(true),
      mPlotPeriod(LyTime(141120000LL / 30)),
      mRotationFilterToApply(kLyRotationFilterUnroll),
      mPlotTangentMode(kLyPlotTangentModeSmooth),
      mPlotLockedProperties(true),
      mUseConstantKeyReducer(false),
      mConstantKeyReducerKeepOneKey(false),
      mPlotToCurrentLayer(false),
      mPlotLoopRange(false),
      mClearOtherLayers(true),
      mEvaluateDeformation(false) {}

namespace {

velora::Take* HostTake(const LyPlug* plug) {
    velora::Object* object = __LyHostObject(plug);
    return object && object->ClassId() == velora::kClassTake && !object->IsEnding()
               ? static_cast<velora::Take*>(object)
               : nullptr;
}

velora::AnimationLayer* HostLayer(const LyPlug* plug) {
    velora::Object* object = __LyHostObject(plug);
    return object && object->ClassId() == velora::kClassAnimationLayer && !object->IsEnding()
               ? static_cast<velora::AnimationLayer*>(object)
               : nullptr;
}

LyAnimationLayer* LayerWrapper(velora::AnimationLayer* layer) {
    LyComponent* wrapper = layer ? LyGetLyComponent(layer, true) : nullptr;
    return wrapper && wrapper->Is(LyAnimationLayer::TypeInfo) ? static_cast<LyAnimationLayer*>(wrapper) : nullptr;
}

LyTake* TakeWrapper(velora::Take* take) {
    LyComponent* wrapper = take ? LyGetLyComponent(take, true) : nullptr;
    return wrapper && wrapper->Is(LyTake::TypeInfo) ? static_cast<LyTake*>(wrapper) : nullptr;
}

IObject* NewHostTake(const char* name, IObject* given) {
    return given ? given : static_cast<IObject*>(velora::Take::Create(name ? name : "Take"));
}

// Take properties.
LyTake* Self(void* p) { return static_cast<LyTake*>(p); }
LyTimeSpan GetReference(void* p) {
    velora::Take* take = HostTake(Self(p));
    return take ? LyTimeSpan(LyTime(take->ReferenceStart()), LyTime(take->ReferenceStop())) : LyTimeSpan();
}
void SetReference(void* p, LyTimeSpan span) {
    if (velora::Take* take = HostTake(Self(p))) take->SetReferenceSpan(span.GetStart().Get(), span.GetStop().Get());
}
LyTimeSpan GetLocal(void* p) {
    velora::Take* take = HostTake(Self(p));
    return take ? LyTimeSpan(LyTime(take->LocalStart()), LyTime(take->LocalStop())) : LyTimeSpan();
}
void SetLocal(void* p, LyTimeSpan span) {
    if (velora::Take* take = HostTake(Self(p))) take->SetLocalSpan(span.GetStart().Get(), span.GetStop().Get());
}

velora::PlotOptions ToHost(const LyPlotOptions& o) {
    velora::PlotOptions h;
    h.allTakes = o.mPlotAllTakes;
    h.onFrames = o.mPlotOnFrame;
    h.period = o.mPlotPeriod.Get();
    h.rotationFilter = o.mRotationFilterToApply >= kLyRotationFilterNone && o.mRotationFilterToApply <= kLyRotationFilterUnroll
                           ? static_cast<int>(o.mRotationFilterToApply) : 0;
    h.tangentMode = o.mPlotTangentMode >= kLyPlotTangentModeSmooth && o.mPlotTangentMode <= kLyPlotTangentModeAuto
                        ? static_cast<int>(o.mPlotTangentMode) : 0;
    h.honourLocks = o.mPlotLockedProperties;
    h.reduceKeys = o.mUseConstantKeyReducer;
    h.keepOneKey = o.mConstantKeyReducerKeepOneKey;
    h.toCurrentLayer = o.mPlotToCurrentLayer;
    h.evaluateAll = true;
    h.useLoopRange = o.mPlotLoopRange;
    h.clearLayers = o.mClearOtherLayers;
    h.plotDeformations = o.mEvaluateDeformation;
    return h;
}

// Properties of the scene's objects that plotting and editing work on.
void SelectedModels(velora::Model* model, std::vector<velora::Object*>* out) {
    if (!model) return;
    if (model->IsSelected()) out->push_back(model);
    for (int i = 0; i < model->ChildCount(); ++i) SelectedModels(model->ChildModel(i), out);
}

std::vector<velora::Property*> SelectedProperties() {
    std::vector<velora::Property*> out;
    std::vector<velora::Object*> all;
    velora::Scene& scene = velora::Scene::Main();
    for (int i = 0; i < scene.ObjectCount(velora::kSceneComponents); ++i) all.push_back(scene.ObjectAt(velora::kSceneComponents, i));
    SelectedModels(scene.RootModel(), &all);
    for (velora::Object* object : all)
        for (int p = 0; p < object->PropertyCount(); ++p)
            if (velora::KeyingSelection::Instance().IsFocused(object->PropertyAt(p))) out.push_back(object->PropertyAt(p));
    return out;
}

std::vector<velora::Object*> HostObjects(LyArrayTemplate<LyBox*>* objects) {
    std::vector<velora::Object*> out;
    for (int i = 0; objects && i < objects->GetCount(); ++i)
        if (velora::Object* o = __LyHostObject((*objects)[i])) out.push_back(o);
    return out;
}

std::vector<velora::Property*> HostProperties(LyArrayTemplate<LyProperty*>* properties) {
    std::vector<velora::Property*> out;
    for (int i = 0; properties && i < properties->GetCount(); ++i)
        if (LyProperty* p = (*properties)[i])
            if (velora::Property* host = velora::AsProperty(p->GetHIObject())) out.push_back(host);
    return out;
}

std::vector<velora::Property*> PlotTargets(const std::vector<velora::Object*>& objects) {
    std::vector<velora::Property*> out;
    for (velora::Object* o : objects) velora::PlotPropertiesOf(o, &out);
    return out;
}

// Every model and object of the scene (what DeleteAnimation and
// OffsetAnimation reach).
std::vector<velora::Object*> SceneObjects() {
    std::vector<velora::Object*> out;
    velora::Scene& scene = velora::Scene::Main();
    std::vector<velora::Model*> stack = {scene.RootModel()};
    while (!stack.empty()) {
        velora::Model* m = stack.back();
        stack.pop_back();
        if (!m) continue;
        out.push_back(m);
        for (int i = 0; i < m->ChildCount(); ++i) stack.push_back(m->ChildModel(i));
    }
    for (int i = 0; i < scene.ObjectCount(velora::kSceneComponents); ++i)
        out.push_back(scene.ObjectAt(velora::kSceneComponents, i));
    return out;
}

void Plot(velora::Take* take, const LyPlotOptions* options, const std::vector<velora::Property*>& properties) {
    if (!take || !options) return;
    // The options are the application's while the plot runs.
    velora::Transport& transport = velora::Transport::Instance();
    const long long saved = transport.PlotPeriod();
    transport.SetPlotPeriod(options->mPlotPeriod.Get());
    velora::PlotProperties(take, properties, ToHost(*options));
    transport.SetPlotPeriod(saved);
}

LyPlotOptions PeriodOptions(LyTime period, bool allTakes) {
    LyPlotOptions options;
    options.mPlotPeriod = period;
    options.mPlotAllTakes = allTakes;
    return options;
}

void RefreshMarks(velora::Take* take) {
    if (take && velora::CurrentTake(false) == take) velora::GlobalEvent::Raise("TimeMarkRefresh");
}

// Layer properties bound to the host layer's of the same name.
template <class P>
void Bind(LyComponent* owner, P& property, velora::Object* host, const char* name) {
    if (velora::Property* p = host ? host->FindProperty(name) : nullptr) property.SetInternal(p);
    else if constexpr (!std::is_base_of_v<LyPropertyAnimatable, P>) property.Init(owner, name);
    owner->PropertyAdd(&property);
}

// The host keeps layer modes from 0; the SDK's start after an invalid index.
LyLayerMode GetMode(void* p) {
    velora::AnimationLayer* layer = HostLayer(static_cast<LyAnimationLayer*>(p));
    return layer ? static_cast<LyLayerMode>(layer->Mode() + 1) : kLyLayerModeInvalidIndex;
}
void SetMode(void* p, LyLayerMode mode) {
    velora::AnimationLayer* layer = HostLayer(static_cast<LyAnimationLayer*>(p));
    if (layer && mode >= kLyLayerModeAdditive && mode <= kLyLayerModeOverridePassthrough) layer->SetMode(mode - 1);
}
LyLayerRotationMode GetRotationMode(void* p) {
    velora::AnimationLayer* layer = HostLayer(static_cast<LyAnimationLayer*>(p));
    velora::Property* prop = layer ? layer->FindProperty("LayerRotationMode") : nullptr;
    int value = 0;
    if (!prop || !prop->GetRaw(&value)) return kLyLayerRotationModeInvalidIndex;
    return static_cast<LyLayerRotationMode>(value + 1);
}
void SetRotationMode(void* p, LyLayerRotationMode mode) {
    velora::AnimationLayer* layer = HostLayer(static_cast<LyAnimationLayer*>(p));
    velora::Property* prop = layer ? layer->FindProperty("LayerRotationMode") : nullptr;
    const int value = mode - 1;
    if (prop && (mode == kLyLayerRotationModeEulerRotation || mode == kLyLayerRotationModeQuaternionRotation))
        prop->SetRaw(&value);
}

}  // namespace

// ---------------------------------------------------------------------------
// LyAnimationLayer

LyAnimationLayer::LyAnimationLayer(const char* name, int layerId, HIObject object)
    : LyComponent(object), mLayerId(layerId) {
    (void)name;
    velora::Object* host = __LyHostObject(this);
    Bind(this, Color, host, "Color");
    Bind(this, Solo, host, "Solo");
    Bind(this, Mute, host, "Mute");
    Bind(this, Lock, host, "Lock");
    Bind(this, Weight, host, "Weight");
    LayerMode.Init(this, "LayerMode", &GetMode, &SetMode);
    PropertyAdd(&LayerMode);
    LayerRotationMode.Init(this, "LayerRotationMode", &GetRotationMode, &SetRotationMode);
    PropertyAdd(&LayerRotationMode);
}

void LyAnimationLayer::AddChildLayer(LyAnimationLayer* child) {
    velora::AnimationLayer* layer = HostLayer(this);
    velora::AnimationLayer* other = HostLayer(child);
    if (layer && other) other->SetParentLayer(layer);
}

int LyAnimationLayer::GetChildCount() {
    velora::AnimationLayer* layer = HostLayer(this);
    return layer ? layer->ChildLayerCount() : 0;
}

LyAnimationLayer* LyAnimationLayer::GetChildLayer(int index) {
    velora::AnimationLayer* layer = HostLayer(this);
    return layer ? LayerWrapper(layer->ChildLayer(index)) : nullptr;
}

void LyAnimationLayer::GetCompleteChildHierarchy(LyArrayTemplate<LyAnimationLayer*>* children) {
    velora::AnimationLayer* layer = HostLayer(this);
    if (!layer || !children) return;
    for (int i = 0; i < layer->ChildLayerCount(); ++i) {
        LyAnimationLayer* child = LayerWrapper(layer->ChildLayer(i));
        if (!child) continue;
        children->Add(child);
        child->GetCompleteChildHierarchy(children);
    }
}

LyAnimationLayer* LyAnimationLayer::GetParentLayer() {
    velora::AnimationLayer* layer = HostLayer(this);
    return layer ? LayerWrapper(layer->ParentLayer()) : nullptr;
}

void LyAnimationLayer::SetParentLayer(LyAnimationLayer* parent) {
    if (velora::AnimationLayer* layer = HostLayer(this)) layer->SetParentLayer(HostLayer(parent));
}

int LyAnimationLayer::GetLayerIndex() {
    velora::AnimationLayer* layer = HostLayer(this);
    return layer ? layer->Index() : -1;
}

bool LyAnimationLayer::IsSelected() {
    velora::AnimationLayer* layer = HostLayer(this);
    return layer && layer->IsSelected();
}

void LyAnimationLayer::SelectLayer(bool select, bool exclusive) {
    velora::AnimationLayer* layer = HostLayer(this);
    velora::Take* take = layer ? layer->OwnerTake() : nullptr;
    if (!take) return;
    layer->SetSelected(select);
    if (select && exclusive) {
        take->SetCurrentLayer(layer->Index());
        for (int i = 0; i < take->LayerCount(); ++i)
            if (take->Layer(i) != layer) take->Layer(i)->SetSelected(false);
    } else {
        take->RaiseLayerEvent(2);
    }
}

void LyAnimationLayer::LyDelete() {
    velora::AnimationLayer* layer = HostLayer(this);
    if (velora::Take* take = layer ? layer->OwnerTake() : nullptr) take->RemoveLayer(layer->Index());
}

// ---------------------------------------------------------------------------
// LyTake

// A take made here belongs to the scene, not to the wrapper.
LyTake::LyTake(const char* name, HIObject object) : LyComponent(NewHostTake(name, object)) { InitTakeProperties(); }

void LyTake::InitTakeProperties() {
    ReferenceTimeSpan.Init(this, "ReferenceTimeSpan", &GetReference, &SetReference);
    PropertyAdd(&ReferenceTimeSpan);
    LocalTimeSpan.Init(this, "LocalTimeSpan", &GetLocal, &SetLocal);
    PropertyAdd(&LocalTimeSpan);
    velora::Object* host = __LyHostObject(this);
    Bind(this, Comments, host, "Comments");
}

LyTake* LyTake::CopyTake(const char* name) {
    velora::Take* take = HostTake(this);
    return take ? TakeWrapper(take->Copy(name)) : nullptr;
}

void LyTake::LyDelete() {
    if (velora::Take* take = HostTake(this)) {
        velora::Scene::Main().RemoveObject(take);
        take->Destroy(0);
    }
}

void LyTake::CreateNewLayer() {
    if (velora::Take* take = HostTake(this)) take->CreateLayer();
}

void LyTake::RemoveLayer(int index) {
    if (velora::Take* take = HostTake(this)) take->RemoveLayer(index);
}

int LyTake::GetLayerCount() {
    velora::Take* take = HostTake(this);
    return take ? take->LayerCount() : 0;
}

LyAnimationLayer* LyTake::GetLayer(int id) {
    velora::Take* take = HostTake(this);
    return take ? LayerWrapper(take->Layer(id)) : nullptr;
}

LyAnimationLayer* LyTake::GetLayerByName(const char* name) {
    velora::Take* take = HostTake(this);
    return take ? LayerWrapper(take->FindLayer(name)) : nullptr;
}

int LyTake::GetCurrentLayer() {
    velora::Take* take = HostTake(this);
    return take ? take->CurrentLayerIndex() : 0;
}

void LyTake::SetCurrentLayer(int index) {
    if (velora::Take* take = HostTake(this)) take->SetCurrentLayer(index);
}

bool LyTake::MoveCurrentLayerUp() {
    velora::Take* take = HostTake(this);
    return take && take->MoveCurrentLayerUp();
}

bool LyTake::MoveCurrentLayerDown() {
    velora::Take* take = HostTake(this);
    return take && take->MoveCurrentLayerDown();
}

void LyTake::DuplicateSelectedLayers() {
    if (velora::Take* take = HostTake(this)) take->DuplicateSelectedLayers();
}

void LyTake::MergeLayers(LyAnimationLayerMergeOptions options, bool deleteMergedLayers, LyMergeLayerMode mode,
                         bool mergeLockedProperties) {
    velora::Take* take = HostTake(this);
    if (!take || options < kLyAnimationLayerMergeSelectedLayersSelectedProperties ||
        options > kLyAnimationLayerMergeAllLayersCompleteScene)
        return;
    const int merge = mode >= kLyMergeLayerModeAutomatic && mode <= kLyMergeLayerModeOverride ? mode : 0;
    velora::MergeLayers(take, options + 1, deleteMergedLayers, merge, mergeLockedProperties);
}

void LyTake::GetLayerRealSelection(LyArrayTemplate<int>* ids) {
    velora::Take* take = HostTake(this);
    if (!take || !ids) return;
    for (int i = 0; i < take->LayerCount(); ++i)
        if (take->Layer(i)->IsSelected()) ids->Add(i);
}

void LyTake::SetLayerRealSelection(bool select) {
    velora::Take* take = HostTake(this);
    if (!take) return;
    for (int i = 0; i < take->LayerCount(); ++i) take->Layer(i)->SetSelected(select);
    take->RaiseLayerEvent(2);
}

void LyTake::ClearAllProperties(bool selectedOnly, bool currentLayerOnly) {
    velora::Take* take = HostTake(this);
    if (!take) return;
    std::vector<velora::Object*> objects;
    if (selectedOnly) SelectedModels(velora::Scene::Main().RootModel(), &objects);
    else objects = SceneObjects();
    std::vector<velora::Property*> properties;
    velora::AnimatedPropertiesOf(objects, &properties);
    velora::EditTakeAnimation(take, properties, LyTime::MinusInfinity.Get(), LyTime::Infinity.Get(), true,
                              currentLayerOnly ? take->CurrentLayerIndex() : -1, true, 0xF, false, 0);
}

void LyTake::ClearAllPropertiesOnCurrentLayer() { ClearAllProperties(false, true); }

bool LyTake::DeleteAnimation(LyTime start, LyTime stop, bool inclusive, int layer, bool locked) {
    velora::Take* take = HostTake(this);
    if (!take) return false;
    std::vector<velora::Property*> properties;
    velora::AnimatedPropertiesOf(SceneObjects(), &properties);
    return velora::EditTakeAnimation(take, properties, start.Get(), stop.Get(), inclusive, layer, locked, 0xF, false, 0);
}

bool LyTake::DeleteAnimationOnObjects(LyArrayTemplate<LyBox*>* objects, LyTime start, LyTime stop, bool inclusive,
                                      int layer, bool locked) {
    velora::Take* take = HostTake(this);
    if (!take || !objects) return false;
    std::vector<velora::Property*> properties;
    velora::AnimatedPropertiesOf(HostObjects(objects), &properties);
    return velora::EditTakeAnimation(take, properties, start.Get(), stop.Get(), inclusive, layer, locked, 0xF, false, 0);
}

bool LyTake::DeleteAnimationOnProperties(LyArrayTemplate<LyProperty*>* properties, LyTime start, LyTime stop,
                                         bool inclusive, int layer, bool locked, LyPropertyComponents components) {
    velora::Take* take = HostTake(this);
    if (!take || !properties) return false;
    return velora::EditTakeAnimation(take, HostProperties(properties), start.Get(), stop.Get(), inclusive, layer,
                                     locked, static_cast<std::uint32_t>(components), false, 0);
}

bool LyTake::OffsetAnimation(LyTime offset, LyTime start, LyTime stop, bool inclusive, int layer, bool locked) {
    velora::Take* take = HostTake(this);
    if (!take) return false;
    std::vector<velora::Property*> properties;
    velora::AnimatedPropertiesOf(SceneObjects(), &properties);
    return velora::EditTakeAnimation(take, properties, start.Get(), stop.Get(), inclusive, layer, locked, 0xF, true,
                                     offset.Get());
}

bool LyTake::OffsetAnimationOnObjects(LyArrayTemplate<LyBox*>* objects, LyTime offset, LyTime start, LyTime stop,
                                      bool inclusive, int layer, bool locked) {
    velora::Take* take = HostTake(this);
    if (!take || !objects) return false;
    std::vector<velora::Property*> properties;
    velora::AnimatedPropertiesOf(HostObjects(objects), &properties);
    return velora::EditTakeAnimation(take, properties, start.Get(), stop.Get(), inclusive, layer, locked, 0xF, true,
                                     offset.Get());
}

bool LyTake::OffsetAnimationOnProperties(LyArrayTemplate<LyProperty*>* properties, LyTime offset, LyTime start,
                                         LyTime stop, bool inclusive, int layer, bool locked,
                                         LyPropertyComponents components) {
    velora::Take* take = HostTake(this);
    if (!take || !properties) return false;
    return velora::EditTakeAnimation(take, HostProperties(properties), start.Get(), stop.Get(), inclusive, layer,
                                     locked, static_cast<std::uint32_t>(components), true, offset.Get());
}

void LyTake::PlotTakeOnSelected(LyPlotOptions* options) {
    std::vector<velora::Object*> models;
    SelectedModels(velora::Scene::Main().RootModel(), &models);
    Plot(HostTake(this), options, PlotTargets(models));
}

void LyTake::PlotTakeOnSelectedProperties(LyPlotOptions* options) {
    Plot(HostTake(this), options, SelectedProperties());
}

void LyTake::PlotTakeOnObjects(LyPlotOptions* options, LyArrayTemplate<LyBox*>* objects) {
    Plot(HostTake(this), options, PlotTargets(HostObjects(objects)));
}

void LyTake::PlotTakeOnProperties(LyPlotOptions* options, LyArrayTemplate<LyProperty*>* properties) {
    Plot(HostTake(this), options, HostProperties(properties));
}

void LyTake::PlotTakeOnSelected(LyTime period) {
    LyPlotOptions options = PeriodOptions(period, false);
    PlotTakeOnSelected(&options);
}
void LyTake::PlotTakeOnSelectedProperties(LyTime period) {
    LyPlotOptions options = PeriodOptions(period, false);
    PlotTakeOnSelectedProperties(&options);
}
void LyTake::PlotTakeOnObjects(LyTime period, LyArrayTemplate<LyBox*>* objects) {
    LyPlotOptions options = PeriodOptions(period, false);
    PlotTakeOnObjects(&options, objects);
}
void LyTake::PlotTakeOnProperties(LyTime period, LyArrayTemplate<LyProperty*>* properties) {
    LyPlotOptions options = PeriodOptions(period, false);
    PlotTakeOnProperties(&options, properties);
}
void LyTake::PlotAllTakesOnSelected(LyTime period) {
    LyPlotOptions options = PeriodOptions(period, true);
    PlotTakeOnSelected(&options);
}
void LyTake::PlotAllTakesOnSelectedProperties(LyTime period) {
    LyPlotOptions options = PeriodOptions(period, true);
    PlotTakeOnSelectedProperties(&options);
}
void LyTake::PlotAllTakesOnObjects(LyTime period, LyArrayTemplate<LyBox*>* objects) {
    LyPlotOptions options = PeriodOptions(period, true);
    PlotTakeOnObjects(&options, objects);
}
void LyTake::PlotAllTakesOnProperties(LyTime period, LyArrayTemplate<LyProperty*>* properties) {
    LyPlotOptions options = PeriodOptions(period, true);
    PlotTakeOnProperties(&options, properties);
}

// ---------------------------------------------------------------------------
// Take time marks

namespace {
velora::TimeMark* TakeMark(LyTake* self, int index) {
    velora::Take* take = HostTake(self);
    return take ? take->TimeMarks().At(index) : nullptr;
}
}  // namespace

int LyTake::AddTimeMark(LyTime time, const char* name) {
    velora::Take* take = HostTake(this);
    if (!take) return -1;
    const int index = take->TimeMarks().Add(time.Get(), name);
    RefreshMarks(take);
    return index;
}

bool LyTake::DeleteTimeMark(int index) {
    velora::Take* take = HostTake(this);
    if (!take || !take->TimeMarks().Remove(index)) return false;
    RefreshMarks(take);
    return true;
}

void LyTake::DeleteAllTimeMarks() {
    if (velora::Take* take = HostTake(this)) {
        take->TimeMarks().Clear();
        RefreshMarks(take);
    }
}

int LyTake::GetTimeMarkCount() {
    velora::Take* take = HostTake(this);
    return take ? take->TimeMarks().Count() : 0;
}

LyTime LyTake::GetTimeMarkTime(int index) {
    velora::TimeMark* m = TakeMark(this, index);
    return LyTime(m ? m->time : 0);
}

int LyTake::SetTimeMarkTime(int index, LyTime time) {
    velora::Take* take = HostTake(this);
    const int moved = take ? take->TimeMarks().SetTime(index, time.Get()) : -1;
    if (moved >= 0) RefreshMarks(take);
    return moved;
}

const char* LyTake::GetTimeMarkName(int index) {
    velora::TimeMark* m = TakeMark(this, index);
    return m ? m->name.c_str() : nullptr;
}

bool LyTake::SetTimeMarkName(int index, const char* name) {
    velora::Take* take = HostTake(this);
    if (!take || !take->TimeMarks().SetName(index, name)) return false;
    RefreshMarks(take);
    return true;
}

LyTimeMarkAction LyTake::GetTimeMarkAction(int index) {
    velora::TimeMark* m = TakeMark(this, index);
    return static_cast<LyTimeMarkAction>(m ? m->action : 0);
}

bool LyTake::SetTimeMarkAction(int index, LyTimeMarkAction action) {
    velora::Take* take = HostTake(this);
    if (!take || !take->TimeMarks().SetAction(index, action)) return false;
    RefreshMarks(take);
    return true;
}

LyColor LyTake::GetTimeMarkColor(int index) {
    velora::TimeMark* m = TakeMark(this, index);
    return m ? LyColor(m->color[0], m->color[1], m->color[2]) : LyColor();
}

bool LyTake::SetTimeMarkColor(int index, const LyColor& color) {
    velora::Take* take = HostTake(this);
    const double rgb[3] = {color[0], color[1], color[2]};
    if (!take || !take->TimeMarks().SetColor(index, rgb)) return false;
    RefreshMarks(take);
    return true;
}

bool LyTake::GetTimeMarkLock(int index) {
    velora::TimeMark* m = TakeMark(this, index);
    return m && m->locked;
}

bool LyTake::SetTimeMarkLock(int index, bool lock) {
    velora::Take* take = HostTake(this);
    if (!take || !take->TimeMarks().SetLocked(index, lock)) return false;
    RefreshMarks(take);
    return true;
}

void LyTake::SetAllTimeMarkLock(bool lock) {
    if (velora::Take* take = HostTake(this)) {
        take->TimeMarks().SetAllLocked(lock);
        RefreshMarks(take);
    }
}

int LyTake::GetNextTimeMarkIndex() {
    velora::Take* take = HostTake(this);
    return take ? take->TimeMarks().Next(velora::TimingManager::Instance().LocalTime()) : -1;
}

int LyTake::GetPreviousTimeMarkIndex() {
    velora::Take* take = HostTake(this);
    return take ? take->TimeMarks().Previous(velora::TimingManager::Instance().LocalTime()) : -1;
}

LYSDK_END_NAMESPACE
