// Trace levels, the fixed formatting buffers and trace stubs.

#include <cstring>

#include "services/services_fixture.h"

using namespace VELSDK2025;
using services_test::ServiceScene;
using services_test::TraceLog;

class Tracing : public ServiceScene {};

TEST_F(Tracing, LinesPrintUpToTheLevelAndLyTracePrintsAtTenFromTenOn) {
    struct Case {
        unsigned int current;
        int level;  // -1: LyTrace
        bool printed;
        unsigned int recordedLevel;
    };
    const Case cases[] = {
        {9, -1, false, 0}, {9, 9, true, 9},   {10, -1, true, 10}, {30, -1, true, 10},
        {5, 6, false, 0},  {5, 5, true, 5},   {5, 0, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.current << ", line " << c.level);
        TraceLog log;
        LyTraceSetLevel(c.current);
        EXPECT_EQ(LyTraceGetLevel(), c.current);
        EXPECT_EQ(velora::Trace::Instance().Level(), c.current);
        if (c.level < 0)
            LyTrace("plain %d\n", 1);
        else
            LyTraceWithLevel(static_cast<unsigned int>(c.level), "levelled %d\n", 2);
        ASSERT_EQ(log.size(), c.printed ? 1u : 0u);
        if (!c.printed) continue;
        EXPECT_EQ(log.lines()[0].level, c.recordedLevel);
        EXPECT_EQ(log.lines()[0].text, c.level < 0 ? "plain 1\n" : "levelled 2\n");
    }
}

TEST_F(Tracing, TextIsCutAtTheBufferSizeAndWholeWhenItFits) {
    TraceLog log;
    LyTraceSetLevel(10);
    const std::string big(5000, 'x');
    const std::string fits(kLyTraceBufferSize - 1, 'y');
    LyTrace("%s", big.c_str());
    LyTraceWithLevel(10, "%s", big.c_str());
    LyTrace("%s", fits.c_str());
    LyTrace("%sz", fits.c_str());  // one byte too many
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log.lines()[0].text, big.substr(0, kLyTraceBufferSize - 1));
    EXPECT_EQ(log.lines()[1].text, big.substr(0, kLyTraceBufferSize - 1));
    EXPECT_EQ(log.lines()[2].text, fits);
    EXPECT_EQ(log.lines()[3].text, fits);
}

namespace {
const char* gLastText = nullptr;
void KeepPointer(unsigned int, const char* text) { gLastText = text; }
}  // namespace

TEST_F(Tracing, EachFunctionHasItsOwnBuffer) {
    TraceLog log;
    LyTraceSetLevel(10);
    ASSERT_TRUE(LyRegisterTraceStubFct(&KeepPointer));
    LyTrace("first\n");
    const char* first = gLastText;
    LyTraceWithLevel(10, "second\n");
    const char* second = gLastText;
    LyUnRegisterTraceStubFct(&KeepPointer);
    EXPECT_NE(first, second);
    // The plain buffer still holds its text after a levelled line.
    EXPECT_STREQ(first, "first\n");
    EXPECT_STREQ(second, "second\n");
}

namespace {
std::vector<std::string> gStubLines;
void Stub(unsigned int, const char* text) { gStubLines.emplace_back(text); }
}  // namespace

TEST_F(Tracing, StubsReceiveEveryLineUntilRemoved) {
    TraceLog log;
    gStubLines.clear();
    LyTraceSetLevel(10);
    EXPECT_TRUE(LyRegisterTraceStubFct(&Stub));
    EXPECT_FALSE(LyRegisterTraceStubFct(&Stub));  // already there
    EXPECT_FALSE(LyRegisterTraceStubFct(nullptr));
    LyTrace("one\n");
    LyTraceWithLevel(3, "two\n");
    EXPECT_TRUE(LyUnRegisterTraceStubFct(&Stub));
    EXPECT_FALSE(LyUnRegisterTraceStubFct(&Stub));
    LyTrace("three\n");
    EXPECT_EQ(gStubLines, (std::vector<std::string>{"one\n", "two\n"}));
    EXPECT_EQ(log.size(), 3u);  // the host's other receivers still get all
}

TEST_F(Tracing, LibraryWarningsFollowThePlainLevelRule) {
    TraceLog log;
    velora::Object* locked = Make("SvcUndeletable");
    locked->SetObjectFlags(locked->ObjectFlags() & ~velora::kObjectDeletable);
    LyComponent* wrapper = LyGetLyComponent(locked, true);
    ASSERT_NE(wrapper, nullptr);
    LyTraceSetLevel(9);
    wrapper->LyDelete();
    EXPECT_EQ(log.size(), 0u);
    LyTraceSetLevel(10);
    wrapper->LyDelete();
    EXPECT_TRUE(log.Contains("Warning: [Object::SvcUndeletable] is not deletable!"));
}
