// LyModelTemplate: the wrapper of a host model template.

#include "lysdk/lymodeltemplate.h"

#include <velora/device.h>
#include <velora/model.h>

#include "core/host_access.h"
#include "lysdk/lymodel.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyModelTemplate, velora::ModelTemplate::ClassIdOf())

namespace {

velora::ModelTemplate* HostTemplate(const LyPlug* plug) {
    velora::Object* object = __LyHostObject(plug);
    return object && object->ClassId() == velora::ModelTemplate::ClassIdOf() && !object->IsEnding()
               ? static_cast<velora::ModelTemplate*>(object)
               : nullptr;
}

template <class T>
T* WrapperOf(velora::Plug* plug) {
    LyPlug* wrapper = __LyWrap(plug);
    return wrapper && wrapper->Is(T::TypeInfo) ? static_cast<T*>(wrapper) : nullptr;
}

velora::AnimationNode* HostNode(const LyAnimationNode* node) {
    velora::Object* object = __LyHostObject(node);
    return object && object->ClassId() == velora::kClassAnimationNode && !object->IsEnding()
               ? static_cast<velora::AnimationNode*>(object)
               : nullptr;
}

IObject* NewHostTemplate(const char* name, LyModelTemplateType type, HIObject object) {
    if (object) return object;
    return velora::ModelTemplate::Create(name, static_cast<int>(type))->IQuery(lyiface::kIdSelf);
}

LyModel* GetModel(void* self) {
    velora::ModelTemplate* host = HostTemplate(static_cast<LyModelTemplate*>(self));
    return host ? WrapperOf<LyModel>(host->BoundModel()) : nullptr;
}

LyModelTemplateType GetType(void* self) {
    velora::ModelTemplate* host = HostTemplate(static_cast<LyModelTemplate*>(self));
    return static_cast<LyModelTemplateType>(host ? host->Kind() : 0);
}
void SetType(void* self, LyModelTemplateType type) {
    if (velora::ModelTemplate* host = HostTemplate(static_cast<LyModelTemplate*>(self)))
        host->SetKind(static_cast<int>(type));
}

template <int Which>
LyVector3<double> GetDefault(void* self) {
    velora::ModelTemplate* host = HostTemplate(static_cast<LyModelTemplate*>(self));
    if (!host) return LyVector3<double>();
    const double* v = host->DefaultTransform(Which);
    return LyVector3<double>(v[0], v[1], v[2]);
}
template <int Which>
void SetDefault(void* self, LyVector3<double> value) {
    if (velora::ModelTemplate* host = HostTemplate(static_cast<LyModelTemplate*>(self))) {
        double* v = host->DefaultTransform(Which);
        for (int i = 0; i < 3; ++i) v[i] = value[i];
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Lists

LyPropertyListModelTemplate& LyPropertyListModelTemplate::Init(LyModelTemplate* owner, const char* name) {
    LyPropertyBasicList::Init(owner, name);
    mOwner = owner;
    return *this;
}

int LyPropertyListModelTemplate::GetCount() {
    velora::ModelTemplate* host = HostTemplate(mOwner);
    return host ? host->ChildCount() : 0;
}

LyModelTemplate* LyPropertyListModelTemplate::GetAt(int index) {
    velora::ModelTemplate* host = HostTemplate(mOwner);
    return host ? WrapperOf<LyModelTemplate>(host->ChildTemplate(index)) : nullptr;
}

void LyPropertyListModelTemplate::RemoveAt(int index) {
    velora::ModelTemplate* host = HostTemplate(mOwner);
    velora::ModelTemplate* child = host ? host->ChildTemplate(index) : nullptr;
    if (child) child->Destroy(0);
}

int LyPropertyListModelTemplate::Add(LyModelTemplate* child) {
    velora::ModelTemplate* host = HostTemplate(mOwner);
    velora::ModelTemplate* node = HostTemplate(child);
    if (!host || !node || !host->AddChild(node)) return -1;
    // The tree owns it now: the wrapper no longer ends it.
    child->SetHIObject(child->GetHIObject(), false);
    return host->ChildCount();
}

LyPropertyListModelTemplateBinding& LyPropertyListModelTemplateBinding::Init(LyModelTemplate* owner,
                                                                            const char* name) {
    LyPropertyBasicList::Init(owner, name);
    mOwner = owner;
    return *this;
}

int LyPropertyListModelTemplateBinding::GetCount() {
    velora::ModelTemplate* host = HostTemplate(mOwner);
    return host ? host->BindingCount() : 0;
}

LyAnimationNode* LyPropertyListModelTemplateBinding::GetAt(int index) {
    velora::ModelTemplate* host = HostTemplate(mOwner);
    return host ? WrapperOf<LyAnimationNode>(host->Binding(index)) : nullptr;
}

void LyPropertyListModelTemplateBinding::RemoveAt(int index) {
    if (velora::ModelTemplate* host = HostTemplate(mOwner)) host->RemoveBinding(host->Binding(index));
}

int LyPropertyListModelTemplateBinding::Add(LyAnimationNode* node) {
    velora::ModelTemplate* host = HostTemplate(mOwner);
    if (!host || !host->AddBinding(HostNode(node))) return -1;
    return host->BindingCount();
}

// ---------------------------------------------------------------------------
// LyModelTemplate

LyModelTemplate::LyModelTemplate(const char* name, LyModelTemplateType type, HIObject object)
    : LyComponent(NewHostTemplate(name, type, object)) {
    if (!object) SetHIObject(GetHIObject(), true);  // made here: the wrapper owns it
    InitTemplateProperties();
}

LyModelTemplate::LyModelTemplate(HIObject object) : LyComponent(object) { InitTemplateProperties(); }

void LyModelTemplate::InitTemplateProperties() {
    Children.Init(this, "Children");
    PropertyAdd(&Children);
    Bindings.Init(this, "Bindings");
    PropertyAdd(&Bindings);
    Model.Init(this, "Model", &GetModel);
    PropertyAdd(&Model);
    Type.Init(this, "Type", &GetType, &SetType);
    PropertyAdd(&Type);
    DefaultTranslation.Init(this, "DefaultTranslation", &GetDefault<0>, &SetDefault<0>);
    PropertyAdd(&DefaultTranslation);
    DefaultRotation.Init(this, "DefaultRotation", &GetDefault<1>, &SetDefault<1>);
    PropertyAdd(&DefaultRotation);
    DefaultScaling.Init(this, "DefaultScaling", &GetDefault<2>, &SetDefault<2>);
    PropertyAdd(&DefaultScaling);
}

LYSDK_END_NAMESPACE
