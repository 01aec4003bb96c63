#ifndef LYSDK_TESTS_CORE_HOST_FIXTURE_H
#define LYSDK_TESTS_CORE_HOST_FIXTURE_H

// Helpers for tests that build small host scenes: every object made through
// the fixture is ended when the test ends, unless a test ended it itself.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/file_reference.h>
#include <velora/object.h>
#include <velora/trace.h>

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

/// Collects trace lines while alive.
class TraceCapture {
public:
    TraceCapture() {
        Lines().clear();
        velora::Trace::Instance().AddStub(&Collect);
        velora::Trace::Instance().SetStream(nullptr);
    }
    ~TraceCapture() {
        velora::Trace::Instance().RemoveStub(&Collect);
        velora::Trace::Instance().SetStream(stderr);
    }
    const std::vector<std::string>& lines() const { return Lines(); }

private:
    static std::vector<std::string>& Lines() {
        static std::vector<std::string> lines;
        return lines;
    }
    static void Collect(unsigned int, const char* text) { Lines().emplace_back(text); }
};

}  // namespace lysdk_test

#endif  // LYSDK_TESTS_CORE_HOST_FIXTURE_H
