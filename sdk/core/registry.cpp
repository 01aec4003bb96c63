// The wrapper registry: from host objects to their wrappers and back.

#include <cstdarg>
#include <cstdio>

#include <velora/animation.h>
#include <velora/take.h>
#include <velora/device.h>

#include "core/host_classes.h"
#include "lysdk/lyanimationnode.h"
#include "lysdk/lycamera.h"
#include "lysdk/lybox.h"
#include "lysdk/lycomponent.h"
#include "lysdk/lydevice.h"
#include "lysdk/lyconstraint.h"
#include "lysdk/lyfcurve.h"
#include "lysdk/lymodel.h"
#include "lysdk/lyscene.h"
#include "lysdk/lytake.h"
#include "property/property_access.h"

LYSDK_BEGIN_NAMESPACE

namespace {

// The wrapper factory's probes, most specific first. Each wrapper family
// slots its host kind in at its place in this order as it is built:
//  box family: model placeholder, box placeholder, then the models (optical
//    marker, marker, optical model, root, skeleton, null, root, camera or
//    stereo camera, light, 3D path, plain model, camera switcher); device;
//    layered texture, texture, material; shaders; video clips; character
//    kinds; constraints (relation, solver, plain); story tracks, notes,
//    groups, sets, handles, keying groups, character extensions, marker
//    sets, heads-up displays, animation layers, boxes, time-warp manager;
//    heads-up display elements;
//  outside the box family: animation node, function curve; story clips;
//    then the remaining kinds (audio, scene, renderer, take, deck, poses,
//    folder, command, geometry, manipulators, physical properties,
//    deformers, point caches, namespace, file reference, profiler,
//    animation stack, motion clip, motion blend);
//  and last a plain LyComponent for any other host object.
struct Probe {
    int hostClass;
    LyPlug* (*make)(IObject* object);
};

template <class Wrapper>
LyPlug* Make(IObject* object) {
    return new Wrapper(object);
}

LyPlug* MakeAnimationNode(IObject* object) { return new LyAnimationNode(nullptr, object); }
LyPlug* MakeBox(IObject* object) { return new LyBox(object); }
LyPlug* MakeTake(IObject* object) { return new LyTake(nullptr, object); }
LyPlug* MakeLayer(IObject* object) {
    auto* layer = static_cast<velora::AnimationLayer*>(velora::AsObject(object));
    return new LyAnimationLayer(layer->Name(), layer->Index(), object);
}
LyPlug* MakeDevice(IObject* object) { return new LyDevice(nullptr, object); }

// Model kinds take a name only when they make their host model.
template <class Wrapper>
LyPlug* MakeKind(IObject* object) {
    return new Wrapper(nullptr, object);
}

const Probe kProbes[] = {
    {velora::kClassModelMarker, &MakeKind<LyModelMarker>},
    {velora::kClassModelRoot, &MakeKind<LyModelRoot>},
    {velora::kClassModelSkeleton, &MakeKind<LyModelSkeleton>},
    {velora::kClassModelNull, &MakeKind<LyModelNull>},
    {velora::kClassCamera, &MakeKind<LyCamera>},
    {velora::kClassLight, &MakeKind<LyLight>},
    {velora::kClassModelPath3D, &MakeKind<LyModelPath3D>},
    {velora::kClassModelCube, &MakeKind<LyModelCube>},
    {velora::kClassModelPlane, &MakeKind<LyModelPlane>},
    {velora::kClassModel, &Make<LyModel>},
    {velora::kClassAnimationNode, &MakeAnimationNode},
    {velora::kClassFCurve, &Make<LyFCurve>},
    {velora::kClassScene, &Make<LyScene>},
    {velora::kClassModelPlaceholder, &Make<LyModelPlaceHolder>},
    {velora::kClassBoxPlaceholder, &Make<LyBoxPlaceHolder>},
    {velora::kClassDevice, &MakeDevice},
    {velora::kClassConstraintRelation, &Make<LyConstraintRelation>},
    {velora::kClassConstraintSolver, &Make<LyConstraintSolver>},
    {velora::kClassConstraint, &Make<LyConstraint>},
    {velora::kClassBox, &MakeBox},
    {velora::kClassFileReference, &Make<LyFileReference>},
    {velora::kClassNamespace, &Make<LyNamespace>},
    {velora::kClassFolder, &Make<LyFolder>},
    {velora::kClassTake, &MakeTake},
    {velora::kClassAnimationLayer, &MakeLayer},
    {velora::kClassObject, &Make<LyComponent>},
};

}  // namespace

LyPlug* __LyObjectCreatorSub(IObject* object) {
    velora::Plug* plug = velora::AsPlug(object);
    if (!plug || plug->IsEnding()) return nullptr;
    const int classId = plug->ClassId();
    const velora::ClassRegistry& classes = velora::ClassRegistry::Instance();
    if (classes.IsA(classId, velora::kClassConnector)) {
        // A bare connector is wrapped as its animation node.
        velora::AnimationNode* node = static_cast<velora::Connector*>(plug)->Node();
        return node && !node->IsEnding() ? MakeAnimationNode(node) : nullptr;
    }
    if (classId == velora::ModelTemplate::ClassIdOf()) return new LyModelTemplate(object);
    for (const Probe& probe : kProbes)
        if (classes.IsA(classId, probe.hostClass)) return probe.make(object);
    return nullptr;
}

IObject* LyGetLyObject(IObject* object, bool create) {
    if (!object) return nullptr;
    if (auto* holder = static_cast<IWrapperHolder*>(object->IQuery(lyiface::kIdWrapperHolder))) {
        if (IObject* wrapper = holder->GetWrapper()) return wrapper;
        if (!create) return nullptr;
        LyPlug* made = __LyObjectCreatorSub(object);
        return made ? static_cast<ICallback*>(made) : nullptr;
    }
    if (velora::Property* property = velora::AsProperty(object)) {
        // Property wrappers belong to their owner's property manager; they
        // are reached through the owner's component.
        LyComponent* owner = LyGetLyComponent(property->OwnerObject(), true);
        if (!owner) return nullptr;
        LyProperty* wrapper = owner->PropertyList.Wrap(property);
        return wrapper ? static_cast<ICallback*>(wrapper) : nullptr;
    }
    if (velora::Object* host = velora::AsObject(object)) {
        if (host->IsEnding()) return nullptr;
        LyComponent* component = new LyComponent(object);
        component->SetHIObject(object, true);
        return static_cast<ICallback*>(component);
    }
    return nullptr;
}

LyPlug* LyGetLyPlug(IObject* object, bool create) {
    if (!object) return nullptr;
    IObject* wrapper = LyGetLyObject(object, create);
    return wrapper ? static_cast<LyPlug*>(static_cast<ICallback*>(wrapper)) : nullptr;
}

LyComponent* LyGetLyComponent(IObject* object, bool create) {
    LyPlug* plug = LyGetLyPlug(object, create);
    return plug && plug->Is(LyComponent::TypeInfo) ? static_cast<LyComponent*>(plug) : nullptr;
}

LyComponent* GetLyComponent(IObject* object) {
    if (!object) return nullptr;
    // Is the object itself one of the library's components? Only SDK plugs
    // answer the wrapper id with themselves.
    if (IObject* self = object->IQuery(kLyIdWrapper)) {
        auto* plug = static_cast<LyPlug*>(static_cast<ICallback*>(self));
        return plug->Is(LyComponent::TypeInfo) ? static_cast<LyComponent*>(plug) : nullptr;
    }
    auto* holder = static_cast<IWrapperHolder*>(object->IQuery(lyiface::kIdWrapperHolder));
    if (!holder) return nullptr;
    IObject* wrapper = holder->GetWrapper();
    return wrapper ? static_cast<LyComponent*>(static_cast<ICallback*>(wrapper)) : nullptr;
}

void __LyTraceWarning(const char* format, ...) {
    // Warnings follow LyTrace's rule: nothing while the level is below 10.
    if (velora::Trace::Instance().Level() < velora::Trace::kDefaultLevel) return;
    char buffer[2464];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    velora::Trace::Instance().Print(velora::Trace::kDefaultLevel, buffer);
}

LYSDK_END_NAMESPACE
