#ifndef LYSDK_TESTS_SERVICES_FIXTURE_H
#define LYSDK_TESTS_SERVICES_FIXTURE_H

// Shared helpers of the object-service tests: a trace recorder that keeps
// each line with its level, and a scene fixture that puts the trace level
// and the message-box policy back after every test.

#include <string>
#include <vector>

#include "core/host_fixture.h"
#include <velora/message_box.h>

namespace services_test {

using TraceLine = lysdk_test::TraceLine;
using TraceLog = lysdk_test::TraceCapture;

class ServiceScene : public lysdk_test::HostScene {
protected:
    void SetUp() override { level_ = velora::Trace::Instance().Level(); }
    void TearDown() override {
        velora::Trace::Instance().SetLevel(level_);
        velora::MessageBoxes::Instance().Reset();
        velora::MessageBoxes::Instance().SetSuspended(false);
        velora::MessageBoxes::Instance().SetClientSuspended(false);
        lysdk_test::HostScene::TearDown();
    }

private:
    unsigned int level_ = 10;
};

}  // namespace services_test

#endif  // LYSDK_TESTS_SERVICES_FIXTURE_H
