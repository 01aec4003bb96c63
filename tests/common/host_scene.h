#ifndef LYSDK_TESTS_COMMON_HOST_SCENE_H
#define LYSDK_TESTS_COMMON_HOST_SCENE_H

// A fixture for tests that build small host scenes: every object made
// through it is ended when the test ends, unless the test ended it itself.

#include <gtest/gtest.h>

#include <vector>

#include <velora/object.h>

namespace lysdk_test {

class HostScene : public ::testing::Test {
protected:
    velora::Object* Make(const char* name, int classId = velora::kClassObject) {
        velora::Object* object = velora::Object::Create(name, classId);
        handles_.emplace_back(object);
        return object;
    }

    void TearDown() override {
        for (velora::PlugHandle& handle : handles_)
            if (velora::Plug* plug = handle.Get()) plug->Destroy(0);
        handles_.clear();
    }

private:
    std::vector<velora::PlugHandle> handles_;
};

}  // namespace lysdk_test

#endif  // LYSDK_TESTS_COMMON_HOST_SCENE_H
