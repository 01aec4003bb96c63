#ifndef LYSDK_TESTS_SCENE_SCENE_FIXTURE_H
#define LYSDK_TESTS_SCENE_SCENE_FIXTURE_H

// Helpers for tests of the main scene: models and objects made through the
// fixture join the scene and are ended when the test ends.

#include <gtest/gtest.h>

#include <vector>

#include <lysdk/lysdk.h>
#include <velora/undo.h>
#include <velora/model.h>
#include <velora/scene.h>

namespace lysdk_test {

class SceneTest : public ::testing::Test {
protected:
    velora::Scene& Scene() { return velora::Scene::Main(); }

    /// A model in the scene, under `parent` (the scene root when null).
    velora::Model* AddModel(const char* name, velora::Model* parent = nullptr,
                            int classId = velora::kClassModel) {
        velora::Model* model = velora::Model::Create(name, classId);
        if (parent) model->SetParent(parent);
        Scene().AddModel(model);
        handles_.emplace_back(model);
        return model;
    }

    /// An object of a scene kind, listed by the scene unless `join` is false.
    velora::Object* AddObject(const char* name, int kind, bool join = true) {
        velora::Object* object = velora::Object::Create(name, velora::SceneKindClass(kind));
        if (join) Scene().AddObject(object);
        handles_.emplace_back(object);
        return object;
    }

    /// Ends `object` with the test.
    template <class T>
    T* Keep(T* object) {
        handles_.emplace_back(object);
        return object;
    }

    static VELSDK2025::LyModel* Wrap(velora::Object* model) {
        VELSDK2025::LyComponent* component = VELSDK2025::LyGetLyComponent(model, true);
        return component && component->Is(VELSDK2025::LyModel::TypeInfo)
                   ? static_cast<VELSDK2025::LyModel*>(component)
                   : nullptr;
    }

    void TearDown() override {
        // The undo stack is the process's: no test sees another's history.
        velora::UndoStack::Instance().Clear(true);
        // Children first, so no model outlives the walk of its parent.
        for (auto it = handles_.rbegin(); it != handles_.rend(); ++it)
            if (velora::Plug* plug = it->Get()) plug->Destroy(0);
        handles_.clear();
    }

private:
    std::vector<velora::PlugHandle> handles_;
};

}  // namespace lysdk_test

#endif  // LYSDK_TESTS_SCENE_SCENE_FIXTURE_H
