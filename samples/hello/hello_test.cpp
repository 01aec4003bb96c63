// The hello plug-in's own unit tests: the plug-in is loaded into the
// reference host inside this program, as velora would load it.

#include <lytesting/lytesting.h>

using namespace VELSDK2025;

namespace {

class HelloTest : public LyPluginTest {
protected:
    void SetUp() override {
        LyPluginTest::SetUp();
        ASSERT_TRUE(Host().LoadPlugin(LYSDK_TEST_PLUGIN)) << Host().LastError();
    }
};

TEST_F(HelloTest, CreatesAGreeterThatSaysHello) {
    LyComponent* hello = Host().Create("Browsing/Templates/Samples", "Hello", "Greeter");
    ASSERT_NE(hello, nullptr) << Host().LastError();
    EXPECT_STREQ(hello->ClassName(), "HelloComponent");
    EXPECT_STREQ(hello->GetFullName(), "Object::Greeter");
    LyProperty* greeting = hello->PropertyList.Find("Greeting");
    ASSERT_NE(greeting, nullptr);
    EXPECT_STREQ(greeting->AsString(), "Hello from a plug-in");
}

TEST_F(HelloTest, TheSceneEvaluatesAtTheTimeAsked) {
    ASSERT_NE(Host().Create("Browsing/Templates/Samples", "Hello"), nullptr) << Host().LastError();
    LyTime time;
    time.SetSecondDouble(1.5);
    ASSERT_TRUE(Host().Evaluate(time)) << Host().LastError();
    EXPECT_EQ(LyTime(LySystem::TheOne().LocalTime).Get(), time.Get());
}

TEST_F(HelloTest, AnEntryItDoesNotRegisterIsReported) {
    EXPECT_EQ(Host().Create("Browsing/Templates/Samples", "Goodbye"), nullptr);
    EXPECT_NE(std::string(Host().LastError()).find("no such registry entry"), std::string::npos)
        << Host().LastError();
}

}  // namespace
