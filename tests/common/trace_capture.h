#ifndef LYSDK_TESTS_COMMON_TRACE_CAPTURE_H
#define LYSDK_TESTS_COMMON_TRACE_CAPTURE_H

// Records every line of the host's trace output, with its level, while
// alive; the trace stream is silenced meanwhile.

#include <string>
#include <vector>

#include <velora/trace.h>

namespace lysdk_test {

struct TraceLine {
    unsigned int level;
    std::string text;
};

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
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    const std::vector<TraceLine>& lines() const { return Lines(); }
    std::size_t size() const { return Lines().size(); }
    /// The text of line i.
    const std::string& text(std::size_t i) const { return Lines().at(i).text; }
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

}  // namespace lysdk_test

#endif  // LYSDK_TESTS_COMMON_TRACE_CAPTURE_H
