// Trace levels, the fixed formatting buffers and trace stubs.

#include <cstring>

#include "services/services_fixture.h"

using namespace VELSDK2025;
using services_test::ServiceScene;
using services_test::TraceLog;

class Tracing : public ServiceScene {};

TEST_F(Tracing, LevelIsReadAndSetOnTheHost) {
    LyTraceSetLevel(12);
    EXPECT_EQ(LyTraceGetLevel(), 12u);
    EXPECT_EQ(velora::Trace::Instance().Level(), 12u);
}

TEST_F(Tracing, AtLevelNineLyTracePrintsNothingButALevelNineLinePrints) {
    TraceLog log;
    LyTraceSetLevel(9);
    LyTrace("plain %d\n", 1);
    EXPECT_EQ(log.size(), 0u);
    LyTraceWithLevel(9, "levelled %d\n", 2);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log.lines()[0].level, 9u);
    EXPECT_EQ(log.lines()[0].text, "levelled 2\n");
}

TEST_F(Tracing, LyTracePrintsAtLevelTenFromLevelTenOn) {
    TraceLog log;
    LyTraceSetLevel(10);
    LyTrace("at %s\n", "ten");
    LyTraceSetLevel(30);
    LyTrace("at %s\n", "thirty");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log.lines()[0].level, 10u);
    EXPECT_EQ(log.lines()[0].text, "at ten\n");
    EXPECT_EQ(log.lines()[1].level, 10u);
}

TEST_F(Tracing, ALevelAboveTheCurrentOneIsNotPrinted) {
    TraceLog log;
    LyTraceSetLevel(5);
    LyTraceWithLevel(6, "finer\n");
    LyTraceWithLevel(5, "equal\n");
    LyTraceWithLevel(0, "coarser\n");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log.lines()[0].text, "equal\n");
    EXPECT_EQ(log.lines()[1].text, "coarser\n");
    EXPECT_EQ(log.lines()[1].level, 0u);
}

TEST_F(Tracing, LongTextIsCutAtTheBufferSize) {
    TraceLog log;
    LyTraceSetLevel(10);
    const std::string big(5000, 'x');
    LyTrace("%s", big.c_str());
    LyTraceWithLevel(10, "%s", big.c_str());
    ASSERT_EQ(log.size(), 2u);
    for (const auto& line : log.lines()) {
        EXPECT_EQ(line.text.size(), kLyTraceBufferSize - 1);
        EXPECT_EQ(line.text, big.substr(0, kLyTraceBufferSize - 1));
    }
}

TEST_F(Tracing, TextThatFitsIsWhole) {
    TraceLog log;
    LyTraceSetLevel(10);
    const std::string fits(kLyTraceBufferSize - 1, 'y');
    LyTrace("%s", fits.c_str());
    LyTrace("%sz", fits.c_str());  // one byte too many
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log.lines()[0].text, fits);
    EXPECT_EQ(log.lines()[1].text, fits);
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
