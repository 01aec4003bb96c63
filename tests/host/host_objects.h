#ifndef LYSDK_TESTS_HOST_HOST_OBJECTS_H
#define LYSDK_TESTS_HOST_HOST_OBJECTS_H

// Host objects for property tests: ended at the end of the test unless the
// test ended them itself.

#include <gtest/gtest.h>

#include <vector>

#include <velora/object.h>
#include <velora/property.h>

namespace host_test {

class HostObjects : public ::testing::Test {
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

}  // namespace host_test

#endif  // LYSDK_TESTS_HOST_HOST_OBJECTS_H
