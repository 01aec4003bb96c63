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

struct TraceLine {
    unsigned int level;
    std::string text;
};

/// Records every trace line while alive; the stream is silenced meanwhile.
class TraceLog {
public:
    TraceLog() {
        Lines().clear();
        velora::Trace::Instance().AddStub(&Collect);
        velora::Trace::Instance().SetStream(nullptr);
    }
    ~TraceLog() {
        velora::Trace::Instance().RemoveStub(&Collect);
        velora::Trace::Instance().SetStream(stderr);
    }
    TraceLog(const TraceLog&) = delete;
    TraceLog& operator=(const TraceLog&) = delete;

    const std::vector<TraceLine>& lines() const { return Lines(); }
    std::size_t size() const { return Lines().size(); }
    void Clear() { Lines().clear(); }
    /// Every line, joined.
    std::string All() const {
        std::string all;
        for (const TraceLine& line : Lines()) all += line.text;
        return all;
    }
    bool Contains(const std::string& part) const { return All().find(part) != std::string::npos; }

private:
    static std::vector<TraceLine>& Lines() {
        static std::vector<TraceLine> lines;
        return lines;
    }
    static void Collect(unsigned int level, const char* text) {
        Lines().push_back(TraceLine{level, text});
    }
};

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
