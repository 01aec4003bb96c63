#include "velora/entity.h"

#include <algorithm>

namespace velora {

MainEntity& MainEntity::Instance() {
    static MainEntity entity;
    return entity;
}

void MainEntity::Notify(int code, Object* subject) {
    lyiface::EventRecord record(code, 0, subject);
    events_.Raise(record);
}

bool MainEntity::AddToDisplaySet(Object* model) {
    if (!model || !model->IsA(kClassModel) || InDisplaySet(model)) return false;
    displaySet_.emplace_back(model);
    return true;
}

bool MainEntity::RemoveFromDisplaySet(Object* model) {
    auto it = std::find_if(displaySet_.begin(), displaySet_.end(),
                           [model](const PlugHandle& h) { return h.Get() == model; });
    if (!model || it == displaySet_.end()) return false;
    displaySet_.erase(it);
    return true;
}

bool MainEntity::InDisplaySet(const Object* model) const {
    return model && std::any_of(displaySet_.begin(), displaySet_.end(),
                                [model](const PlugHandle& h) { return h.Get() == model; });
}

int MainEntity::DisplaySetCount() const {
    return static_cast<int>(std::count_if(displaySet_.begin(), displaySet_.end(),
                                          [](const PlugHandle& h) { return h.Valid(); }));
}

bool MainEntity::AddModelToScene(Object* model) {
    if (!model || model->IsEnding() || !model->IsA(kClassModel) || InScene(model)) return false;
    sceneModels_.emplace_back(model);
    sceneIndex_[model] = PlugHandle(model);
    lyiface::EventRecord record(kEntitySceneModelAdded, 0, model);
    events_.Raise(record);
    return true;
}

bool MainEntity::RemoveModelFromScene(Object* model) {
    if (!model) return false;
    auto it = std::find_if(sceneModels_.begin(), sceneModels_.end(),
                           [model](const PlugHandle& h) { return h.Get() == model; });
    if (it == sceneModels_.end()) return false;
    sceneModels_.erase(it);
    sceneIndex_.erase(model);
    lyiface::EventRecord record(kEntitySceneModelRemoved, 0, model);
    events_.Raise(record);
    return true;
}

bool MainEntity::InScene(const Object* model) const {
    if (!model) return false;
    auto it = sceneIndex_.find(model);
    return it != sceneIndex_.end() && it->second.Get() == model;
}

void MainEntity::PruneScene() const {
    sceneModels_.erase(std::remove_if(sceneModels_.begin(), sceneModels_.end(),
                                      [](const PlugHandle& h) { return !h.Valid(); }),
                       sceneModels_.end());
    // Stale index entries are harmless but take room: drop them now and then.
    if (sceneIndex_.size() > 2 * sceneModels_.size() + 64) {
        for (auto it = sceneIndex_.begin(); it != sceneIndex_.end();)
            it = it->second.Valid() ? std::next(it) : sceneIndex_.erase(it);
    }
}

int MainEntity::SceneModelCount() const {
    PruneScene();
    return static_cast<int>(sceneModels_.size());
}

Object* MainEntity::SceneModel(int i) const {
    PruneScene();
    if (i < 0 || i >= static_cast<int>(sceneModels_.size())) return nullptr;
    return static_cast<Object*>(sceneModels_[static_cast<std::size_t>(i)].Get());
}

void MainEntity::BeginAllModelsTransaction(int argument) {
    if (allModelsDepth_++ > 0) return;
    ++allModelsCount_;
    allModelsArgument_ = argument;
    lyiface::EventRecord record(kEntityAllModelsBegin, 0, nullptr, &allModelsArgument_);
    events_.Raise(record);
}

void MainEntity::EndAllModelsTransaction() {
    if (allModelsDepth_ == 0) return;
    if (--allModelsDepth_ > 0) return;
    lyiface::EventRecord record(kEntityAllModelsEnd, 0, nullptr, &allModelsArgument_);
    events_.Raise(record);
}

void MainEntity::Open(Bracket& bracket, int code) {
    if (bracket.depth++ > 0) return;
    Notify(code, nullptr);
}

void MainEntity::Close(Bracket& bracket, int code) {
    if (bracket.depth == 0) return;
    if (--bracket.depth > 0) return;
    Notify(code, nullptr);
}

}  // namespace velora
