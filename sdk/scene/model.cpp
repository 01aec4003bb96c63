// LyModel: hierarchy and picking colours over the host's models.

#include "lysdk/lymodel.h"

#include <velora/model.h>
#include <velora/scene.h>

#include "core/host_access.h"
#include "core/model_hook.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyModel, velora::kClassModel);

namespace {

// From here on object creation tells models by their wrapper class.
[[maybe_unused]] const bool kModelHookSet = (__LyModelTypeId = LyModel::TypeInfo, true);

velora::Model* HostModel(const LyPlug* plug) { return velora::AsModel(__LyHostObject(plug)); }

LyModel* ModelWrapper(velora::Object* object) {
    LyComponent* component = object ? LyGetLyComponent(object, true) : nullptr;
    return component && component->Is(LyModel::TypeInfo) ? static_cast<LyModel*>(component) : nullptr;
}

IObject* NewHostModel(const char* name, IObject* given) {
    return given ? given : static_cast<IObject*>(velora::Model::Create(name));
}

LyColor ColorOf(const std::uint8_t rgba[4]) {
    return LyColor(rgba[0] / 255.0, rgba[1] / 255.0, rgba[2] / 255.0);
}

// The hierarchy's top: the scene root (or no parent at all) reads as null.
LyModel* GetParent(void* self) {
    velora::Model* model = HostModel(static_cast<LyModel*>(self));
    velora::Model* parent = model ? model->Parent() : nullptr;
    if (!parent || parent == velora::Scene::Main().RootModel() ||
        parent == velora::Scene::Main().GlobalRootModel())
        return nullptr;
    return ModelWrapper(parent);
}

void SetParent(void* self, LyModel* parent) {
    velora::Model* model = HostModel(static_cast<LyModel*>(self));
    if (!model) return;
    velora::Model* target = HostModel(parent);
    if (target == model->Parent() && target) return;
    if (!target || target == model) target = velora::Scene::Main().RootModel();
    if (target != model->Parent()) model->SetParent(target);
}

}  // namespace

// ---------------------------------------------------------------------------

int LyPropertyListModel::GetCount() {
    velora::Model* model = velora::AsModel(velora::AsObject(static_cast<IObject*>(mParent)));
    return model ? model->ChildCount() : 0;
}

LyModel* LyPropertyListModel::GetAt(int index) {
    velora::Model* model = velora::AsModel(velora::AsObject(static_cast<IObject*>(mParent)));
    return model ? ModelWrapper(model->ChildModel(index)) : nullptr;
}

void LyPropertyListModel::RemoveAt(int index) {
    velora::Model* model = velora::AsModel(velora::AsObject(static_cast<IObject*>(mParent)));
    if (velora::Model* child = model ? model->ChildModel(index) : nullptr)
        child->SetParent(velora::Scene::Main().RootModel());
}

int LyPropertyListModel::Add(LyModel* child) {
    velora::Model* model = velora::AsModel(velora::AsObject(static_cast<IObject*>(mParent)));
    velora::Model* host = HostModel(child);
    if (!model || !host) return -1;
    if (host->Parent() != model && !host->SetParent(model)) return -1;
    return model->ChildCount();
}

// ---------------------------------------------------------------------------

LyModel::LyModel(HIObject object) : LyBox(object) { InitModelProperties(); }

LyModel::LyModel(const char* name, HIObject object) : LyBox(nullptr, NewHostModel(name, object)) {
    if (!object) SetHIObject(GetHIObject(), true);  // made here: the wrapper owns it
    InitModelProperties();
}

void LyModel::InitModelProperties() {
    velora::Object* host = __LyHostObject(this);
    Children.Init(host ? static_cast<IObject*>(host) : nullptr, "Children");
    PropertyAdd(&Children);
    Parent.Init(this, "Parent", &GetParent, &SetParent);
    PropertyAdd(&Parent);
}

LyColor LyModel::GetUniqueColorId() const {
    std::uint8_t rgba[4] = {0, 0, 0, 255};
    if (velora::Model* model = HostModel(this)) model->UniqueColor(rgba);
    return ColorOf(rgba);
}

int LyModel::GetAdditionalUniqueColorIDCount() const {
    velora::Model* model = HostModel(this);
    return model ? model->AdditionalColorCount() : 0;
}

void LyModel::SetAdditionalUniqueColorIDCount(int count) {
    if (velora::Model* model = HostModel(this)) model->SetAdditionalColorCount(count);
}

LyColor LyModel::GetAdditionalUniqueColorID(int index) const {
    std::uint8_t rgba[4] = {0, 0, 0, 255};
    velora::Model* model = HostModel(this);
    if (!model || !model->AdditionalColor(index, rgba)) return LyColor(0, 0, 0);
    return ColorOf(rgba);
}

LYSDK_END_NAMESPACE
