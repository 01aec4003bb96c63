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

}  // namespace velora
