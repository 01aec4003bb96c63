// LyBox, its placeholders, and the "__LyBox" bridge that forwards the
// host's box calls to a plug-in's box.

#include "lysdk/lybox.h"

#include <cstdlib>
#include <cstring>

#include <velora/box.h>
#include <velora/model.h>
#include <velora/scene_storage.h>

#include "core/host_access.h"
#include "core/served_properties.h"
#include "lysdk/lymodel.h"
#include "plugin/bridge.h"
#include "plugin/box_bridge.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyBox, velora::kClassBox)
LYSDK_CLASS_IMPLEMENT(LyBoxPlaceHolder, velora::kClassBoxPlaceholder)
LYSDK_CLASS_IMPLEMENT(LyModelPlaceHolder, velora::kClassModelPlaceholder)

namespace {

// The evaluation info is the host's evaluation context itself.
LyEvaluateInfo* InfoOf(const velora::EvaluationContext& context) {
    return reinterpret_cast<LyEvaluateInfo*>(const_cast<velora::EvaluationContext*>(&context));
}
const velora::EvaluationContext* ContextOf(LyEvaluateInfo* info) {
    return reinterpret_cast<const velora::EvaluationContext*>(info);
}

LyAnimationNode* NodeWrapper(velora::AnimationNode* node) {
    LyPlug* wrapper = __LyWrap(node);
    return wrapper && wrapper->Is(LyAnimationNode::TypeInfo) ? static_cast<LyAnimationNode*>(wrapper) : nullptr;
}

velora::AnimationNode* HostNode(const LyAnimationNode* node) {
    velora::Object* object = __LyHostObject(node);
    return object && object->ClassId() == velora::kClassAnimationNode && !object->IsEnding()
               ? static_cast<velora::AnimationNode*>(object)
               : nullptr;
}

// The host box behind a wrapper, through the box interface.
velora::Box* HostBox(const LyPlug* plug) {
    IObject* object = plug ? plug->GetHIObject() : nullptr;
    auto* box = object ? static_cast<velora::Box*>(object->IQuery(velora::kIdBox)) : nullptr;
    return box && !box->IsEnding() ? box : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// LyEvaluateInfo: a view of the host's evaluation context

namespace {
const velora::EvaluationContext& Of(const LyEvaluateInfo* info) {
    return *reinterpret_cast<const velora::EvaluationContext*>(info);
}
}  // namespace

LyTime LyEvaluateInfo::GetLocalTime() const { return LyTime(Of(this).time); }
unsigned int LyEvaluateInfo::GetEvaluationId() const { return Of(this).evaluationId; }
bool LyEvaluateInfo::IsBackground() const { return Of(this).background; }

// ---------------------------------------------------------------------------
// The bridge

__LyBoxBridge* __LyBoxBridge::Create(const char* name) { return new __LyBoxBridge(name); }

__LyBoxBridge::__LyBoxBridge(const char* name)
    : __LyBridge<velora::Box, LyBox>(name ? name : "Box", __LyHostClassIds::Box) {
    // A plug-in may read the time or its own state: its box computes every
    // time the evaluation moves, besides the changes of its inputs.
    SetTimeDependent(true);
}

LyBox* __LyBoxBridge::Sdk() const {
    LyComponent* sdk = SdkObject();
    return sdk && sdk->Is(LyBox::TypeInfo) ? static_cast<LyBox*>(sdk) : nullptr;
}

bool __LyBoxBridge::EvaluateConnectors(const velora::EvaluationContext& context) {
    LyBox* box = Sdk();
    return box ? box->EvaluateAnimationNodes(InfoOf(context)) : false;
}

bool __LyBoxBridge::EvaluateConnector(velora::AnimationNode* output, const velora::EvaluationContext& context) {
    LyBox* box = Sdk();
    return box ? box->AnimationNodeNotify(NodeWrapper(output), InfoOf(context)) : false;
}

int __LyBoxBridge::SetGlobalCandidate(velora::AnimationNode* node, const double* values,
                                      const velora::EvaluationContext* context) {
    LyBox* box = Sdk();
    if (!box) return velora::Box::SetGlobalCandidate(node, values, context);
    return box->SetGlobalCandidate(NodeWrapper(node), const_cast<double*>(values),
                                   reinterpret_cast<LyEvaluateInfo*>(const_cast<velora::EvaluationContext*>(context)));
}

int __LyBoxBridge::SetStdCandidate(velora::AnimationNode* node, const double* values,
                                   const velora::EvaluationContext* context) {
    LyBox* box = Sdk();
    if (!box) return velora::Box::SetStdCandidate(node, values, context);
    return box->SetStdCandidate(NodeWrapper(node), const_cast<double*>(values),
                                reinterpret_cast<LyEvaluateInfo*>(const_cast<velora::EvaluationContext*>(context)));
}

bool __LyBoxBridge::ResolveCandidate(velora::AnimationNode* node, const velora::EvaluationContext* context) {
    LyBox* box = Sdk();
    return box ? box->ResolveCandidate(NodeWrapper(node),
                                       reinterpret_cast<LyEvaluateInfo*>(const_cast<velora::EvaluationContext*>(context)))
               : false;
}

IObject* __LyBoxBridge::IQuery(std::uint32_t id, int arg) {
    if (id == __LyIdSceneStorage) return this;
    return __LyBridge<velora::Box, LyBox>::IQuery(id, arg);
}

bool __LyBoxBridge::StoreBox(velora::dsx::ObjectStore& store) {
    if (!velora::Box::StoreBox(store) || !__LyStoreServedProperties(SdkObject(), store)) return false;
    LyBox* box = Sdk();
    if (!box) return true;
    LyDsxObject dsx(&store);
    return box->DsxStore(&dsx, static_cast<kDsxObjectStore>(store.Pass()));
}

bool __LyBoxBridge::RetrieveBox(velora::dsx::ObjectStore& store) {
    if (!velora::Box::RetrieveBox(store) || !__LyRetrieveServedProperties(SdkObject(), store)) return false;
    LyBox* box = Sdk();
    if (!box) return true;
    LyDsxObject dsx(&store);
    return box->DsxRetrieve(&dsx, static_cast<kDsxObjectStore>(store.Pass()));
}

const char* __LyBoxBridge::StorageSubType() const {
    LyBox* box = Sdk();
    const char* sub = box ? box->GetStorageSubType() : nullptr;
    return sub ? sub : velora::Box::StorageSubType();
}

// ---------------------------------------------------------------------------
// LyBox

namespace {

bool GetAnimatable(void* self) {
    velora::Box* box = HostBox(static_cast<LyBox*>(self));
    return box && box->IsAnimatableBox();
}
void SetAnimatable(void* self, bool on) {
    if (velora::Box* box = HostBox(static_cast<LyBox*>(self))) box->SetAnimatableBox(on);
}
bool GetLive(void* self) {
    velora::Box* box = HostBox(static_cast<LyBox*>(self));
    return box && box->PlayMode() == 0;
}
void SetLive(void* self, bool on) {
    if (velora::Box* box = HostBox(static_cast<LyBox*>(self))) box->SetPlayMode(on ? 0 : 1);
}
bool GetRecordMode(void* self) {
    velora::Box* box = HostBox(static_cast<LyBox*>(self));
    return box && box->RecordMode() == 1;
}
void SetRecordMode(void* self, bool on) {
    if (velora::Box* box = HostBox(static_cast<LyBox*>(self))) box->SetRecordMode(on ? 1 : 0);
}

IObject* NewBridge(const char* name) {
    __LyBoxBridge* bridge = __LyBoxBridge::Create(name);
    // A new extension box is an instance, not a template of its class.
    bridge->SetObjectFlags(bridge->ObjectFlags() & ~0x20000u);
    return bridge->IQuery(lyiface::kIdSelf);
}

}  // namespace

LyBox::LyBox(const char* name, HIObject object)
    : LyComponent(object ? object : NewBridge(name)), mCreatedHost(object == nullptr), mStorageSubType(nullptr) {
    // A box made here owns its bridge.
    if (!object) SetHIObject(GetHIObject(), true);
    InitBoxProperties(name);
}

LyBox::LyBox(HIObject object) : LyBox(nullptr, object) {}

LyBox::LyBox(HIObject object, const char* name, bool created)
    : LyComponent(object), mCreatedHost(created), mStorageSubType(nullptr) {
    if (created) SetHIObject(GetHIObject(), true);
    InitBoxProperties(name);
}

LyBox::~LyBox() { std::free(mStorageSubType); }

void LyBox::InitBoxProperties(const char* name) {
    // Without a host object answering the object interface there is
    // nothing to bind to.
    if (!__LyHostObject(this)) return;
    Animatable.Init(this, "Animatable", &GetAnimatable, &SetAnimatable);
    PropertyAdd(&Animatable);
    Live.Init(this, "Live", &GetLive, &SetLive);
    PropertyAdd(&Live);
    RecordMode.Init(this, "RecordMode", &GetRecordMode, &SetRecordMode);
    PropertyAdd(&RecordMode);
    if (name) SetName(name);
}

IObject* LyBox::IQuery(std::uint32_t id, int arg) {
    if (id == velora::kIdBox || id == __LyIdSceneStorage) {
        IObject* host = GetHIObject();
        return host ? host->IQuery(id, arg) : nullptr;
    }
    return LyComponent::IQuery(id, arg);
}

void LyBox::SetStorageSubType(const char* subType) {
    std::free(mStorageSubType);
    mStorageSubType = subType ? strdup(subType) : nullptr;
}

LyAnimationNode* LyBox::AnimationNodeInCreate(std::uint64_t userId, const char* name, const char* dataType,
                                              bool animatable, double* min, double* max, bool userData) {
    velora::Box* box = HostBox(this);
    const velora::DataType* type = dataType ? velora::DataType::Find(dataType) : nullptr;
    if (!box || !type || !name) return nullptr;
    velora::AnimationNode* node = nullptr;
    if (userData) {
        velora::Property* property = box->CreateProperty(name, type->Id(), velora::kCreateAnimatable | velora::kCreateUser);
        if (!property) return nullptr;
        // Shown and kept with the box as its data.
        property->Definition().SetAttribute(velora::kAttrConnectable, true);
        property->Definition().SetAttribute(velora::kAttrAllowsLocking, true);
        node = box->CreatePropertyInConnector(property);
        if (!node) {
            box->RemoveProperty(property);
            return nullptr;
        }
        animatable = true;
    } else {
        node = box->CreateInConnector(userId, name, type, animatable);
        if (!node) return nullptr;
        if (!animatable) return NodeWrapper(node);
    }
    if (velora::Property* property = node->ConnectedProperty(); property && min && max) {
        property->Definition().SetMin(*min, true);
        property->Definition().SetMax(*max, true);
    }
    return NodeWrapper(node);
}

LyAnimationNode* LyBox::AnimationNodeOutCreate(std::uint64_t userId, const char* name, const char* dataType,
                                               bool animatable, double* min, double* max) {
    velora::Box* box = HostBox(this);
    const velora::DataType* type = dataType ? velora::DataType::Find(dataType) : nullptr;
    if (!box || !type || !name) return nullptr;
    velora::AnimationNode* node = box->CreateOutConnector(userId, name, type, animatable);
    if (!node) return nullptr;
    if (velora::Property* property = node->ConnectedProperty(); animatable && property && min && max) {
        property->Definition().SetMin(*min, true);
        property->Definition().SetMax(*max, true);
    }
    return NodeWrapper(node);
}

bool LyBox::EvaluateAnimationNodes(LyEvaluateInfo*) { return true; }
bool LyBox::AnimationNodeNotify(LyAnimationNode*, LyEvaluateInfo*) { return false; }
bool LyBox::ResolveCandidate(LyAnimationNode*, LyEvaluateInfo*) { return false; }
LyBox::ECandidateAction LyBox::SetGlobalCandidate(LyAnimationNode*, double*, LyEvaluateInfo*) {
    return kLyCandidateNone;
}
LyBox::ECandidateAction LyBox::SetStdCandidate(LyAnimationNode*, double*, LyEvaluateInfo*) {
    return kLyCandidateNone;
}
bool LyBox::DsxStore(LyDsxObject*, kDsxObjectStore) { return false; }
bool LyBox::DsxRetrieve(LyDsxObject*, kDsxObjectStore) { return false; }

bool LyBox::AnimationNodeDestroy(LyAnimationNode* node) {
    velora::AnimationNode* host = HostNode(node);
    velora::Box* box = HostBox(this);
    if (!host) return true;
    if (velora::Property* property = host->ConnectedProperty()) {
        // A property's connector goes with its property.
        velora::Object* owner = property->OwnerObject();
        if (box) box->DestroyConnector(host);
        if (velora::AnimationNode* own = velora::PropertyAnimationNode(property)) own->Destroy(0);
        if (owner) owner->RemoveProperty(property);
        return true;
    }
    if (velora::Box* of = velora::Box::OfConnector(host)) of->DestroyConnector(host);
    return true;
}

bool LyBox::AnimationNodeIsUserData(LyAnimationNode* node) {
    velora::AnimationNode* host = HostNode(node);
    if (!HostBox(this) || !host) return false;
    velora::Property* property = host->ConnectedProperty();
    return property && property->IsUser();
}

void LyBox::AnimationNodesOutDisableIfNotWritten(LyEvaluateInfo* info) {
    velora::Box* box = HostBox(this);
    if (!box) return;
    const velora::EvaluationContext* context = ContextOf(info);
    box->DisableOutputsIfNotWritten(context ? *context : velora::GlobalDisplayContext());
}

LyAnimationNode* LyBox::AnimationNodeInGet() {
    velora::Box* box = HostBox(this);
    return box ? NodeWrapper(box->InGroup()) : nullptr;
}

LyAnimationNode* LyBox::AnimationNodeOutGet() {
    velora::Box* box = HostBox(this);
    return box ? NodeWrapper(box->OutGroup()) : nullptr;
}

const char* LyBox::DsxGetObjectType() {
    velora::Box* box = HostBox(this);
    return box ? box->StorageObjectType() : "";
}

const char* LyBox::DsxGetObjectSubType() {
    velora::Box* box = HostBox(this);
    const char* sub = box ? box->StorageSubType() : nullptr;
    return sub ? sub : "";
}

int LyBox::GetOutConnectorCount() {
    velora::Box* box = HostBox(this);
    return box ? box->OutConnectorCount() : 0;
}

int LyBox::GetInConnectorCount() {
    velora::Box* box = HostBox(this);
    return box ? box->InConnectorCount() : 0;
}

LyAnimationNode* LyBox::GetOutConnector(int index) {
    velora::Box* box = HostBox(this);
    return box ? NodeWrapper(box->OutConnector(index)) : nullptr;
}

LyAnimationNode* LyBox::GetInConnector(int index) {
    velora::Box* box = HostBox(this);
    return box ? NodeWrapper(box->InConnector(index)) : nullptr;
}

// ---------------------------------------------------------------------------
// Placeholders

namespace {

LyBox* GetPlaceholderBox(void* self) {
    auto* host = static_cast<velora::BoxPlaceholder*>(HostBox(static_cast<LyBoxPlaceHolder*>(self)));
    LyComponent* target = host && host->Target() ? LyGetLyComponent(host->Target(), true) : nullptr;
    return target && target->Is(LyBox::TypeInfo) ? static_cast<LyBox*>(target) : nullptr;
}
void SetPlaceholderBox(void* self, LyBox* box) {
    auto* host = static_cast<velora::BoxPlaceholder*>(HostBox(static_cast<LyBoxPlaceHolder*>(self)));
    if (host) host->SetTarget(HostBox(box));
}

LyModel* GetPlaceholderModel(void* self) {
    auto* host = static_cast<velora::ModelPlaceholder*>(HostBox(static_cast<LyModelPlaceHolder*>(self)));
    LyComponent* model = host && host->TargetModel() ? LyGetLyComponent(host->TargetModel(), true) : nullptr;
    return model && model->Is(LyModel::TypeInfo) ? static_cast<LyModel*>(model) : nullptr;
}
void SetPlaceholderModel(void* self, LyModel* model) {
    auto* host = static_cast<velora::ModelPlaceholder*>(HostBox(static_cast<LyModelPlaceHolder*>(self)));
    if (host) host->SetTargetModel(velora::AsModel(__LyHostObject(model)));
}

}  // namespace

LyBoxPlaceHolder::LyBoxPlaceHolder(HIObject object) : LyBox(object) {
    velora::Box* host = HostBox(this);
    if (!host || host->ClassId() != velora::kClassBoxPlaceholder) return;
    Box.Init(this, "Box", &GetPlaceholderBox, &SetPlaceholderBox);
    PropertyAdd(&Box);
}

LyModelPlaceHolder::LyModelPlaceHolder(HIObject object) : LyBox(object) {
    velora::Box* host = HostBox(this);
    if (!host || host->ClassId() != velora::kClassModelPlaceholder) return;
    Model.Init(this, "Model", &GetPlaceholderModel, &SetPlaceholderModel);
    PropertyAdd(&Model);
    if (velora::Property* global = host->FindProperty("UseGlobalTransforms")) UseGlobalTransforms.SetInternal(global);
    UseGlobalTransforms.Init(this, "UseGlobalTransforms");
    PropertyAdd(&UseGlobalTransforms);
}

LYSDK_END_NAMESPACE
