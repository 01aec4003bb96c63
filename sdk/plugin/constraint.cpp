// LyConstraint, LyConstraintRelation, LyConstraintSolver, the constraint
// manager, and the bridges that carry them in the host.

#include "lysdk/lyconstraint.h"

#include <cstdio>
#include <cstring>
#include <string>

#include <velora/evaluation.h>
#include <velora/model.h>
#include <velora/object_registry.h>
#include <velora/property.h>
#include <velora/scene.h>
#include <velora/scene_storage.h>

#include "core/host_access.h"
#include "core/served_properties.h"
#include "lysdk/lyobjectservices.h"
#include "plugin/box_bridge.h"
#include "plugin/constraint_bridge.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyConstraint, velora::kClassConstraint)
LYSDK_CLASS_IMPLEMENT(LyConstraintRelation, velora::kClassConstraintRelation)
LYSDK_CLASS_IMPLEMENT(LyConstraintSolver, velora::kClassConstraintSolver)

namespace {

/// The interface id of the host constraint interface.
constexpr std::uint32_t kIdConstraint = 560954866u;

LyEvaluateInfo* InfoOf(const velora::EvaluationContext* context) {
    return reinterpret_cast<LyEvaluateInfo*>(const_cast<velora::EvaluationContext*>(context));
}

LyModel* ModelWrapper(velora::Object* object) {
    if (!velora::AsModel(object)) return nullptr;
    LyPlug* wrapper = __LyWrap(object);
    return wrapper && wrapper->Is(LyModel::TypeInfo) ? static_cast<LyModel*>(wrapper) : nullptr;
}

LyAnimationNode* NodeWrapper(velora::AnimationNode* node) {
    LyPlug* wrapper = __LyWrap(node);
    return wrapper && wrapper->Is(LyAnimationNode::TypeInfo) ? static_cast<LyAnimationNode*>(wrapper) : nullptr;
}

velora::Constraint* HostConstraint(const LyPlug* plug) { return velora::AsConstraint(__LyHostObject(plug)); }

velora::Model* HostModel(const LyPlug* plug) { return velora::AsModel(__LyHostObject(plug)); }

bool IsExtensionConstraint(const velora::Constraint* constraint) {
    return constraint && (constraint->ClassId() == __LyHostClassIds::ConstraintHostConstraint ||
                          velora::ClassRegistry::Instance().IsA(constraint->ClassId(),
                                                                __LyHostClassIds::ConstraintHostConstraintSolver));
}

bool HasLayoutEntry(const char* className) {
    const velora::ObjectRegistry& registry = velora::ObjectRegistry::Instance();
    return className && registry.Find("UI_Associated_ClassName", className) != nullptr;
}

// "Name", then "Name 1", "Name 2", ... until no object of the scene has it.
void MakeNameUnique(velora::Object* object) {
    const std::string base = object->Name();
    const std::string group = velora::ClassRegistry::Instance().Group(object->ClassId());
    auto taken = [&](const std::string& name) {
        const std::string full = (group.empty() ? "" : group + "::") +
                                 (*object->NamespacePart() ? std::string(object->NamespacePart()) + ":" : "") + name;
        velora::Object* found = velora::Scene::Main().FindObject(full.c_str());
        return found && found != object;
    };
    if (!taken(base)) return;
    for (int n = 1;; ++n) {
        const std::string name = base + " " + std::to_string(n);
        if (!taken(name)) {
            object->SetName(name.c_str());
            return;
        }
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// LyConstraintInfo: a view of the host's record

bool LyConstraintInfo::GetSnapRequested() const { return reinterpret_cast<const unsigned char*>(this)[0] != 0; }
bool LyConstraintInfo::GetZeroRequested() const { return reinterpret_cast<const unsigned char*>(this)[1] != 0; }

// ---------------------------------------------------------------------------
// The bridges

__LyDeviceEvaluationPause::__LyDeviceEvaluationPause() {
    velora::EvaluationManager::Instance().PauseDeviceEvaluation();
}
__LyDeviceEvaluationPause::~__LyDeviceEvaluationPause() {
    velora::EvaluationManager::Instance().ReleaseDeviceEvaluation();
}

template <class H, class S>
const char* __LyConstraintBridge<H, S>::TypeName() const {
    LyConstraint* sdk = Sdk();
    if (!sdk) return "";
    if (const char* sub = sdk->GetStorageSubType()) return sub;
    // Without a sub-type of its own, a plug-in constraint is of the type
    // its registry entry names.
    const velora::RegistryEntry* origin = velora::ObjectRegistry::Instance().OriginOf(this);
    return origin ? origin->name.c_str() : "";
}

template <class H, class S>
void __LyConstraintBridge<H, S>::ActiveChanged() {
    if (LyConstraint* sdk = Sdk()) sdk->ActiveChanged();
}

template <class H, class S>
bool __LyConstraintBridge<H, S>::ReferenceAddRequest(int group, velora::Object* object) {
    LyConstraint* sdk = Sdk();
    return sdk ? sdk->ReferenceAddNotify(group, ModelWrapper(object)) : H::ReferenceAddRequest(group, object);
}

template <class H, class S>
bool __LyConstraintBridge<H, S>::ReferenceRemoveRequest(int group, velora::Object* object) {
    LyConstraint* sdk = Sdk();
    return sdk ? sdk->ReferenceRemoveNotify(group, ModelWrapper(object)) : H::ReferenceRemoveRequest(group, object);
}

template <class H, class S>
bool __LyConstraintBridge<H, S>::EnableObject(velora::Object* object) {
    LyConstraint* sdk = Sdk();
    return sdk ? sdk->Enable(ModelWrapper(object)) : H::EnableObject(object);
}

template <class H, class S>
bool __LyConstraintBridge<H, S>::DisableObject(velora::Object* object) {
    LyConstraint* sdk = Sdk();
    return sdk ? sdk->Disable(ModelWrapper(object)) : H::DisableObject(object);
}

template <class H, class S>
void __LyConstraintBridge<H, S>::SnapSuggested() {
    if (LyConstraint* sdk = Sdk())
        sdk->SnapSuggested();
    else
        H::SnapSuggested();
}

template <class H, class S>
void __LyConstraintBridge<H, S>::FreezeSuggested() {
    if (LyConstraint* sdk = Sdk()) sdk->FreezeSuggested();
}

template <class H, class S>
bool __LyConstraintBridge<H, S>::EvaluateConstraintConnector(velora::AnimationNode* node,
                                                            const velora::EvaluationContext& context,
                                                            velora::ConstraintInfo* info) {
    LyConstraint* sdk = Sdk();
    return sdk ? sdk->AnimationNodeNotify(NodeWrapper(node), InfoOf(&context), reinterpret_cast<LyConstraintInfo*>(info))
               : false;
}

template <class H, class S>
bool __LyConstraintBridge<H, S>::EvaluateConnectors(const velora::EvaluationContext& context) {
    LyConstraint* sdk = Sdk();
    return sdk ? sdk->EvaluateAnimationNodes(InfoOf(&context)) : H::EvaluateConnectors(context);
}

template <class H, class S>
bool __LyConstraintBridge<H, S>::HasAssociatedLayout() const {
    LyConstraint* sdk = Sdk();
    return sdk && HasLayoutEntry(sdk->ClassName());
}

template <class H, class S>
velora::Object* __LyConstraintBridge<H, S>::CreateAssociatedLayout() {
    LyConstraint* sdk = Sdk();
    if (!sdk) return nullptr;
    IObject* made = velora::ObjectRegistry::Instance().Create("UI_Associated_ClassName", sdk->ClassName(), nullptr, "", nullptr);
    velora::Object* layout = velora::AsObject(made);
    mLayout.Reset(layout);
    return layout;
}

template <class H, class S>
velora::Constraint* __LyConstraintBridge<H, S>::Clone() {
    LyConstraint* sdk = Sdk();
    if (!sdk) return nullptr;
    const std::string name = this->Name();
    IObject* made = velora::ObjectRegistry::Instance().Create("DsxStorable/Constraint", TypeName(), nullptr, name.c_str(), nullptr);
    velora::Constraint* copy = velora::AsConstraint(velora::AsObject(made));
    if (!copy) {
        if (made) made->Destroy(0);
        return nullptr;
    }
    copy->CopyConstraint(*this);
    return copy;
}

template <class H, class S>
bool __LyConstraintBridge<H, S>::DeformerPreNotify(velora::Model* model, const velora::EvaluationContext* context,
                                                  float* pointsIn, float* pointsOut) {
    LyConstraint* sdk = Sdk();
    if (!sdk || !this->IsActive()) return true;
    return sdk->DeformerPreNotify(ModelWrapper(model), InfoOf(context), reinterpret_cast<LyVector4<float>*>(pointsIn),
                                  reinterpret_cast<LyVector4<float>*>(pointsOut));
}

template <class H, class S>
int __LyConstraintBridge<H, S>::DeformerNotify(velora::Model* model, const float* source, float* destination,
                                              int count, const float* normalsIn, float* normalsOut) {
    LyConstraint* sdk = Sdk();
    if (!sdk || !this->IsActive()) return 0;
    return sdk->DeformerNotify(ModelWrapper(model), reinterpret_cast<const LyVector4<float>*>(source),
                               reinterpret_cast<LyVector4<float>*>(destination), count,
                               reinterpret_cast<const LyVector4<float>*>(normalsIn),
                               reinterpret_cast<LyVector4<float>*>(normalsOut))
               ? 1
               : 0;
}

template <class H, class S>
void __LyConstraintBridge<H, S>::RemoveAllConnectors() {
    LyConstraint* sdk = Sdk();
    if (!this->IsLinked() || !sdk) return;
    __LyDeviceEvaluationPause pause;
    this->ReleaseConnectors();
    sdk->RemoveAllAnimationNodes();
}

template <class H, class S>
void __LyConstraintBridge<H, S>::SetupAllConnectors(bool force) {
    if (!force && velora::Constraint::SetupIgnored()) {
        mSetupPending = true;
        return;
    }
    mSetupPending = false;
    LyConstraint* sdk = Sdk();
    if (!this->IsLinked() || !sdk) return;
    __LyDeviceEvaluationPause pause;
    sdk->SetupAllAnimationNodes();
}

template <class H, class S>
bool __LyConstraintBridge<H, S>::StoreBox(velora::dsx::ObjectStore& store) {
    if (!H::StoreBox(store) || !__LyStoreServedProperties(this->SdkObject(), store)) return false;
    LyConstraint* sdk = Sdk();
    if (!sdk) return true;
    LyDsxObject dsx(&store);
    return sdk->DsxStore(&dsx, static_cast<kDsxObjectStore>(store.Pass()));
}

template <class H, class S>
bool __LyConstraintBridge<H, S>::RetrieveBox(velora::dsx::ObjectStore& store) {
    if (!H::RetrieveBox(store) || !__LyRetrieveServedProperties(this->SdkObject(), store)) return false;
    LyConstraint* sdk = Sdk();
    if (!sdk) return true;
    LyDsxObject dsx(&store);
    return sdk->DsxRetrieve(&dsx, static_cast<kDsxObjectStore>(store.Pass()));
}

template <class H, class S>
IObject* __LyConstraintBridge<H, S>::IQuery(std::uint32_t id, int arg) {
    if (id == __LyIdSceneStorage || id == kIdConstraint) return this;
    return H::IQuery(id, arg);
}

template <class H, class S>
void __LyConstraintBridge<H, S>::Teardown() {
    this->RemoveAllReferences();
    RemoveAllConnectors();
    H::Teardown();
}

__LyHostConstraint* __LyHostConstraint::Create(const char* name) { return new __LyHostConstraint(name); }
__LyHostConstraint::__LyHostConstraint(const char* name)
    : __LyConstraintBridge(name ? name : "Constraint", __LyHostClassIds::ConstraintHostConstraint) {}

__LyHostConstraintSolver* __LyHostConstraintSolver::Create(const char* name, int classId) {
    return new __LyHostConstraintSolver(name, classId);
}
__LyHostConstraintSolver::__LyHostConstraintSolver(const char* name, int classId)
    : __LyConstraintBridge(name ? name : "Solver", classId) {}

void __LyHostConstraintSolver::SetActive(bool on) {
    __LyDeviceEvaluationPause pause;
    __LyConstraintBridge::SetActive(on);
}

__LyHostConstraintRelation* __LyHostConstraintRelation::Create(const char* name) {
    return new __LyHostConstraintRelation(name);
}
__LyHostConstraintRelation::__LyHostConstraintRelation(const char* name)
    : __LyConstraintBridge(name ? name : "Relation", __LyHostClassIds::ConstraintRelation) {}

template class __LyConstraintBridge<velora::Constraint, LyConstraint>;
template class __LyConstraintBridge<velora::ConstraintSolver, LyConstraintSolver>;
template class __LyConstraintBridge<velora::Relation, LyConstraintRelation>;

// ---------------------------------------------------------------------------
// LyConstraint

namespace {

template <class Bridge>
IObject* Prepared(Bridge* bridge) {
    // A new extension constraint is an instance, not a template of its class.
    bridge->SetObjectFlags(bridge->ObjectFlags() & ~0x20000u);
    return bridge->IQuery(lyiface::kIdSelf);
}

bool GetDeformer(void* self) {
    velora::Constraint* c = HostConstraint(static_cast<LyConstraint*>(self));
    return c && c->IsDeformer();
}
void SetDeformer(void* self, bool on) {
    if (velora::Constraint* c = HostConstraint(static_cast<LyConstraint*>(self))) c->SetDeformer(on);
}
const char* GetDescription(void* self) {
    velora::Constraint* c = HostConstraint(static_cast<LyConstraint*>(self));
    return c ? c->TypeName() : "";
}
bool GetHasLayout(void* self) { return HasLayoutEntry(static_cast<LyConstraint*>(self)->ClassName()); }

}  // namespace

LyConstraint::LyConstraint(const char* name, HIObject object)
    : LyBox(name, object ? object : Prepared(__LyHostConstraint::Create(name))) {
    if (!object) SetHIObject(GetHIObject(), true);  // made here: the wrapper owns it
    InitConstraintProperties();
}

LyConstraint::LyConstraint(HIObject object) : LyBox(object) { InitConstraintProperties(); }

void LyConstraint::InitConstraintProperties() {
    velora::Constraint* host = HostConstraint(this);
    if (!host) return;
    Deformer.Init(this, "Deformer", &GetDeformer, &SetDeformer);
    PropertyAdd(&Deformer);
    Description.Init(this, "Description", &GetDescription, nullptr);
    PropertyAdd(&Description);
    HasLayout.Init(this, "HasLayout", &GetHasLayout, nullptr);
    PropertyAdd(&HasLayout);
    Active.SetInternal(host->ActiveProperty());
    Active.Init(this, "Active");
    PropertyAdd(&Active);
    Lock.SetInternal(host->LockProperty());
    Lock.Init(this, "Lock");
    PropertyAdd(&Lock);
    Snap.SetInternal(host->SnapProperty());
    Snap.Init(this, "Snap");
    PropertyAdd(&Snap);
    Weight.InitInternal(host->WeightProperty());
    PropertyAdd(&Weight);
}

IObject* LyConstraint::IQuery(std::uint32_t id, int arg) {
    if (id == __LyIdSceneStorage || id == kIdConstraint) {
        IObject* host = GetHIObject();
        return host ? host->IQuery(id, arg) : nullptr;
    }
    return LyBox::IQuery(id, arg);
}

void LyConstraint::ActiveChanged() {}
void LyConstraint::RemoveAllAnimationNodes() {}
void LyConstraint::SetupAllAnimationNodes() {}

void LyConstraint::SnapSuggested() {
    if (velora::Constraint* c = HostConstraint(this)) c->RequestSnap();
}

void LyConstraint::FreezeSuggested() {}

bool LyConstraint::Disable(LyModel* model) {
    velora::Constraint* c = HostConstraint(this);
    velora::Model* host = HostModel(model);
    return c && host && c->Reference(0, 0) == host;
}

bool LyConstraint::Enable(LyModel* model) { return LyConstraint::Disable(model); }

bool LyConstraint::AnimationNodeNotify(LyAnimationNode*, LyEvaluateInfo*, LyConstraintInfo*) { return false; }
void LyConstraint::SaveModelState(LyModel*, bool, bool, bool) {}
void LyConstraint::RestoreModelState(LyModel*) {}

void LyConstraint::FreezeSRT(LyModel* model, bool scaling, bool rotation, bool translation) {
    velora::Constraint* c = HostConstraint(this);
    if (c) c->Freeze(HostModel(model), scaling, rotation, translation, nullptr);
}

LyConstraint* LyConstraint::Clone() {
    velora::Constraint* c = HostConstraint(this);
    velora::Constraint* copy = c ? c->Clone() : nullptr;
    if (!copy) return nullptr;
    MakeNameUnique(copy);
    LyComponent* wrapper = LyGetLyComponent(copy, true);
    return wrapper && wrapper->Is(LyConstraint::TypeInfo) ? static_cast<LyConstraint*>(wrapper) : nullptr;
}

bool LyConstraint::ReferenceAddNotify(int, LyModel*) { return true; }
bool LyConstraint::ReferenceRemoveNotify(int, LyModel*) { return true; }
bool LyConstraint::DeformerPreNotify(LyModel*, LyEvaluateInfo*, LyVector4<float>*, LyVector4<float>*) { return true; }
bool LyConstraint::DeformerNotify(LyModel*, const LyVector4<float>*, LyVector4<float>*, int, const LyVector4<float>*,
                                  LyVector4<float>*) {
    return false;
}

bool LyConstraint::DeformerBind(LyModel* model) {
    velora::Constraint* c = HostConstraint(this);
    return c && c->BindDeformer(HostModel(model), 1);
}

bool LyConstraint::DeformerUnBind(LyModel* model) {
    velora::Constraint* c = HostConstraint(this);
    return c && c->UnbindDeformer(HostModel(model));
}

bool LyConstraint::DsxStore(LyDsxObject*, kDsxObjectStore) { return true; }
bool LyConstraint::DsxRetrieve(LyDsxObject*, kDsxObjectStore) { return true; }

int LyConstraint::ReferenceGroupAdd(const char* name, int maxCount) {
    velora::Constraint* c = HostConstraint(this);
    return IsExtensionConstraint(c) ? c->AddReferenceGroup(name, maxCount) : -1;
}

int LyConstraint::ReferenceGroupGetCount() {
    velora::Constraint* c = HostConstraint(this);
    return c ? c->ReferenceGroupCount() : 0;
}

const char* LyConstraint::ReferenceGroupGetName(int group) {
    velora::Constraint* c = HostConstraint(this);
    return c ? c->ReferenceGroupName(group) : nullptr;
}

int LyConstraint::ReferenceGroupGetMaxCount(int group) {
    velora::Constraint* c = HostConstraint(this);
    return c ? c->ReferenceGroupMaxCount(group) : -1;
}

bool LyConstraint::ReferenceAdd(int group, LyModel* model) {
    velora::Constraint* c = HostConstraint(this);
    velora::Model* host = HostModel(model);
    return c && host && c->AddReference(group, host);
}

int LyConstraint::ReferenceGetCount(int group) {
    velora::Constraint* c = HostConstraint(this);
    return c ? c->ReferenceCount(group) : 0;
}

LyModel* LyConstraint::ReferenceGet(int group, int index) {
    velora::Constraint* c = HostConstraint(this);
    return c ? ModelWrapper(c->Reference(group, index)) : nullptr;
}

bool LyConstraint::ReferenceRemove(int group, LyModel* model) {
    velora::Constraint* c = HostConstraint(this);
    velora::Model* host = HostModel(model);
    const int at = c && host ? c->ReferenceIndex(group, host) : -1;
    return at >= 0 && c->RemoveReference(group, at);
}

void LyConstraint::ReferenceRemoveAll() {
    if (velora::Constraint* c = HostConstraint(this)) c->RemoveAllReferences();
}

LyAnimationNode* LyConstraint::AnimationNodeInCreate(std::uint64_t userId, LyModel* model, const char* attribute) {
    velora::Constraint* c = HostConstraint(this);
    velora::AnimationNode* node =
        c ? c->ModelInConnector(HostModel(model), velora::ConstraintAttributeByName(attribute)) : nullptr;
    LyAnimationNode* wrapper = NodeWrapper(node);
    if (wrapper) wrapper->Reference = userId;
    return wrapper;
}

LyAnimationNode* LyConstraint::AnimationNodeOutCreate(std::uint64_t userId, LyModel* model, const char* attribute) {
    velora::Constraint* c = HostConstraint(this);
    velora::AnimationNode* node =
        c ? c->ModelOutConnector(HostModel(model), velora::ConstraintAttributeByName(attribute)) : nullptr;
    LyAnimationNode* wrapper = NodeWrapper(node);
    if (wrapper) wrapper->Reference = userId;
    return wrapper;
}

LyAnimationNode* LyConstraint::AnimationNodeInCreate(std::uint64_t userId, LyProperty* property) {
    velora::Constraint* c = HostConstraint(this);
    if (!c || !property || !property->IsAnimatable()) return nullptr;
    velora::Property* host = velora::AsProperty(property->GetHIObject());
    if (!host) return nullptr;
    velora::AnimationNode* node = c->CreatePropertyInConnector(host);
    if (!node && host->OwnerObject() != c) {
        // Another object's property: its animation node is read through an
        // input connected to nothing that mirrors it.
        node = velora::PropertyAnimationNode(host);
    }
    LyAnimationNode* wrapper = NodeWrapper(node);
    if (wrapper) wrapper->Reference = userId;
    return wrapper;
}

// ---------------------------------------------------------------------------
// LyConstraintRelation

namespace {

velora::Relation* HostRelation(const LyPlug* plug) {
    velora::Object* object = __LyHostObject(plug);
    return object && object->IsA(velora::kClassConstraintRelation) && !object->IsEnding()
               ? static_cast<velora::Relation*>(object)
               : nullptr;
}

velora::Box* HostBoxOf(const LyPlug* plug) {
    IObject* object = plug ? plug->GetHIObject() : nullptr;
    auto* box = object ? static_cast<velora::Box*>(object->IQuery(velora::kIdBox)) : nullptr;
    return box && !box->IsEnding() ? box : nullptr;
}

LyBox* BoxWrapper(velora::Object* object) {
    LyPlug* wrapper = __LyWrap(object);
    return wrapper && wrapper->Is(LyBox::TypeInfo) ? static_cast<LyBox*>(wrapper) : nullptr;
}

}  // namespace

int LyPropertyListBox::GetCount() {
    velora::Object* object = velora::AsObject(static_cast<IObject*>(mParent));
    return object && object->IsA(velora::kClassConstraintRelation) ? static_cast<velora::Relation*>(object)->BoxCount()
                                                                    : 0;
}

LyBox* LyPropertyListBox::GetAt(int index) {
    velora::Object* object = velora::AsObject(static_cast<IObject*>(mParent));
    if (!object || !object->IsA(velora::kClassConstraintRelation)) return nullptr;
    return BoxWrapper(static_cast<velora::Relation*>(object)->BoxAt(index));
}

void LyPropertyListBox::RemoveAt(int index) {
    velora::Object* object = velora::AsObject(static_cast<IObject*>(mParent));
    if (!object || !object->IsA(velora::kClassConstraintRelation)) return;
    auto* relation = static_cast<velora::Relation*>(object);
    if (velora::Box* box = relation->BoxAt(index)) relation->RemoveBox(box);
}

LyConstraintRelation::LyConstraintRelation(const char* name, HIObject object)
    : LyConstraint(name, object ? object : Prepared(__LyHostConstraintRelation::Create(name))) {
    if (!object) SetHIObject(GetHIObject(), true);
    velora::Object* host = HostRelation(this);
    Boxes.Init(host ? static_cast<IObject*>(host) : nullptr, "Boxes");
    PropertyAdd(&Boxes);
}

LyConstraintRelation::LyConstraintRelation(HIObject object) : LyConstraintRelation(nullptr, object) {}

LyBox* LyConstraintRelation::CreateFunctionBox(const char* group, const char* name) {
    velora::Relation* relation = HostRelation(this);
    if (!relation || !name) return nullptr;
    const std::string registryGroup = std::string("Boxes/Functions/") + (group ? group : "");
    IObject* made = velora::ObjectRegistry::Instance().Create(registryGroup.c_str(), name, nullptr, name, nullptr);
    velora::Object* object = velora::AsObject(made);
    if (!object) return nullptr;
    object->SetObjectFlags(object->ObjectFlags() & ~0x20000u);
    velora::Box* box = velora::AsBox(object);
    if (!box || !relation->AddBox(box)) {
        if (!box) return nullptr;
        box->Destroy(0);
        return nullptr;
    }
    box->SetViewLayout(100, 100, box->ViewLayout()[2]);
    return BoxWrapper(box);
}

LyBox* LyConstraintRelation::ConstrainObject(LyModel* model) {
    velora::Relation* relation = HostRelation(this);
    velora::Model* host = HostModel(model);
    return relation && host ? BoxWrapper(relation->AddModelPlaceholder(host)) : nullptr;
}

LyBox* LyConstraintRelation::SetAsSource(LyModel* model) {
    velora::Relation* relation = HostRelation(this);
    velora::Model* host = HostModel(model);
    if (!relation || !host) return nullptr;
    velora::ModelPlaceholder* source = relation->AddModelPlaceholder(host);
    // A source reads the model where the scene sees it.
    if (source)
        if (velora::Property* global = source->FindProperty("UseGlobalTransforms")) {
            const bool on = true;
            global->SetRaw(&on);
        }
    return BoxWrapper(source);
}

bool LyConstraintRelation::SetBoxPosition(LyBox* box, int x, int y) {
    velora::Relation* relation = HostRelation(this);
    velora::Box* host = HostBoxOf(box);
    return relation && host && relation->SetBoxPosition(host, x, y);
}

bool LyConstraintRelation::GetBoxPosition(LyBox* box, int& x, int& y) {
    velora::Box* host = HostBoxOf(box);
    if (!host) return false;
    x = host->ViewLayout()[0];
    y = host->ViewLayout()[1];
    return true;
}

// ---------------------------------------------------------------------------
// LyConstraintSolver

namespace {

velora::ConstraintSolver* HostSolver(const LyPlug* plug) {
    velora::Object* object = __LyHostObject(plug);
    return object && object->IsA(velora::kClassConstraintSolver) && !object->IsEnding()
               ? static_cast<velora::ConstraintSolver*>(object)
               : nullptr;
}

IObject* NewSolver(const char* name) {
    auto* solver = __LyHostConstraintSolver::Create(name, __LyHostClassIds::ConstraintSolver);
    // The new solver joins the scene, unless the scene is the host's own.
    velora::Scene& scene = velora::Scene::Main();
    if (!scene.HasObjectFlags(velora::kObjectSystem)) scene.AddObject(solver);
    return Prepared(solver);
}

}  // namespace

LyConstraintSolver::LyConstraintSolver(const char* name, HIObject object)
    : LyConstraint(name, object ? object : NewSolver(name)) {
    if (!object) SetHIObject(GetHIObject(), true);
    if (velora::ConstraintSolver* host = HostSolver(this)) {
        SampleRecordingPrecision.SetInternal(host->SampleRecordingPrecisionProperty());
        SampleRecordingPrecision.Init(this, "SampleRecordingPrecision");
        PropertyAdd(&SampleRecordingPrecision);
        SyncAnimationPlay.SetInternal(host->SyncAnimationPlayProperty());
        SyncAnimationPlay.Init(this, "SyncAnimationPlay");
        PropertyAdd(&SyncAnimationPlay);
    }
}

LyConstraintSolver::LyConstraintSolver(HIObject object) : LyConstraintSolver(nullptr, object) {}

void LyConstraintSolver::MultiThreaded(bool on) {
    if (velora::ConstraintSolver* host = HostSolver(this)) host->SetMultiThreaded(on);
}

bool LyConstraintSolver::IsMultiThreaded() {
    velora::ConstraintSolver* host = HostSolver(this);
    return host && host->IsMultiThreaded();
}

void LyConstraintSolver::LiveChanged() {}

// ---------------------------------------------------------------------------
// LyConstraintManager

LyConstraintManager& LyConstraintManager::TheOne() {
    static LyConstraintManager manager;
    return manager;
}

int LyConstraintManager::TypeGetCount() { return velora::ConstraintTypes::Count(); }

const char* LyConstraintManager::TypeGetName(int index) {
    const char* name = velora::ConstraintTypes::Name(index);
    return name ? LyGetMultiLangText("HostConstraintUIName", name) : nullptr;
}

LyConstraint* LyConstraintManager::TypeCreateConstraint(int index) {
    const char* name = TypeGetName(index);
    velora::Constraint* made = name ? velora::ConstraintTypes::Create(index, name) : nullptr;
    if (!made) return nullptr;
    velora::Scene::Main().AddObject(made);
    LyComponent* wrapper = LyGetLyComponent(made, true);
    if (!wrapper || !wrapper->Is(LyConstraint::TypeInfo)) return nullptr;
    wrapper->SetName(name);
    return static_cast<LyConstraint*>(wrapper);
}

LyConstraint* LyConstraintManager::TypeCreateConstraint(const char* name) {
    if (!name || !*name) return nullptr;
    for (int i = 0, n = TypeGetCount(); i < n; ++i)
        if (const char* type = TypeGetName(i); type && std::strcmp(type, name) == 0) return TypeCreateConstraint(i);
    return nullptr;
}

LYSDK_END_NAMESPACE
