// Object services: creation from registry entries, lookup and deletion by
// name, the caller-owned lists, and the host's object bookkeeping.

#include "lysdk/lyobjectservices.h"

#include <vector>

#include <velora/constraint.h>
#include <velora/entity.h>
#include <velora/model.h>
#include <velora/object_directory.h>
#include <velora/object_registry.h>
#include <velora/scene.h>

#include "core/host_access.h"
#include "core/model_hook.h"

LYSDK_BEGIN_NAMESPACE

int __LyModelTypeId = 0;

bool __LyIsModel(const LyComponent* component) {
    if (!component) return false;
    if (__LyModelTypeId) return component->Is(__LyModelTypeId);
    velora::Object* host = __LyHostObject(component);
    return host && host->IsA(velora::kClassModel);
}

LyComponent* LyCreateObject(const char* groupName, const char* entryName, const char* objectName,
                            void* data, int index) {
    IObject* created = nullptr;
    {
        // The registry's creators take no index; they read it from here.
        velora::ScopedCreationIndex scope(index);
        created = velora::ObjectRegistry::Instance().Create(groupName, entryName, nullptr,
                                                            objectName, data);
    }
    if (!created) return nullptr;
    LyComponent* wrapper = LyGetLyComponent(created, true);
    if (wrapper && __LyIsModel(wrapper)) __LyAddModelToScene(wrapper->GetHIObject());
    return wrapper;
}

// Hierarchy models also take their place below the scene root; other
// objects of a model class only join the entity's list.
const char* LyGetMultiLangText(const char* group, const char* text) {
    return velora::TranslatedText(group, text);
}

void __LyAddModelToScene(IObject* model) {
    velora::Object* object = velora::AsObject(model);
    if (velora::Model* hierarchy = velora::AsModel(object))
        velora::Scene::Main().AddModel(hierarchy);
    else
        velora::MainEntity::Instance().AddModelToScene(object);
}

void __LyRemoveModelFromScene(IObject* model) {
    velora::Object* object = velora::AsObject(model);
    if (velora::Model* hierarchy = velora::AsModel(object))
        velora::Scene::Main().RemoveModel(hierarchy);
    else
        velora::MainEntity::Instance().RemoveModelFromScene(object);
}

LyComponent* LyFindObjectByFullName(const char* fullName) {
    velora::Object* found = velora::MainEntity::Instance().Objects().FindByFullName(fullName);
    return found ? LyGetLyComponent(found, true) : nullptr;
}

void LyFindObjectsByName(const char* pattern, LyArrayTemplate<LyComponent*>& list,
                         bool includeNamespace, bool modelsOnly) {
    std::vector<velora::Object*> found;
    velora::MainEntity::Instance().Objects().FindByPattern(pattern, includeNamespace, modelsOnly,
                                                           &found);
    for (velora::Object* object : found)
        if (LyComponent* wrapper = LyGetLyComponent(object, true)) list.Add(wrapper);
}

int LyDeleteObjectsByName(const char* pattern, const char* nameSpace, const char* group) {
    velora::MainEntity& entity = velora::MainEntity::Instance();
    entity.BeginAllModelsTransaction(0);
    const int deleted = entity.Objects().DeleteByPattern(pattern, nameSpace, group);
    entity.EndAllModelsTransaction();
    return deleted;
}

namespace {

template <class T>
LyArrayTemplate<T>* CreateList() {
    return new LyArrayTemplate<T>(10);
}

template <class T>
void DestroyList(LyArrayTemplate<T>* list) {
    if (!list) return;
    list->Clear();  // element storage goes back through LyFree
    delete list;
}

}  // namespace

LyArrayTemplate<LyComponent*>* LyCreateComponentList() { return CreateList<LyComponent*>(); }
void LyDestroyComponentList(LyArrayTemplate<LyComponent*>* list) { DestroyList(list); }
LyArrayTemplate<LyModel*>* LyCreateModelList() { return CreateList<LyModel*>(); }
void LyDestroyModelList(LyArrayTemplate<LyModel*>* list) { DestroyList(list); }
LyArrayTemplate<LyPickInfos>* LyCreatePickInfosList() { return CreateList<LyPickInfos>(); }
void LyDestroyPickInfosList(LyArrayTemplate<LyPickInfos>* list) { DestroyList(list); }

std::uint32_t LyObjectGetGlobalUniqueId() {
    return velora::MainEntity::Instance().Objects().NextUniqueId();
}

std::uint32_t LyObjectGetLivingCount() {
    return velora::MainEntity::Instance().Objects().LivingCount();
}

void LyObjectLifeLogEnable(bool on) { velora::MainEntity::Instance().Objects().EnableLifeLog(on); }

void LyObjectPrintLivings(unsigned int maxLines) {
    velora::MainEntity::Instance().Objects().PrintLivings(maxLines);
}

LYSDK_END_NAMESPACE
