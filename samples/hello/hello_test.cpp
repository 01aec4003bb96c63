// The hello plug-in's own unit tests: the plug-in is loaded into the
// reference host inside this program, as velora would load it.

#include <cstdio>
#include <string>

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

TEST_F(HelloTest, CreatesAGreeterOfItsOwnClass) {
    LyComponent* hello = Host().Create("Browsing/Templates/Samples", "Hello", "Greeter");
    ASSERT_NE(hello, nullptr) << Host().LastError();
    EXPECT_STREQ(hello->ClassName(), "HelloComponent");
    EXPECT_STREQ(hello->GetFullName(), "Object::Greeter");
    EXPECT_EQ(LyFindObjectByFullName("Object::Greeter"), hello);
}

// The class is storable: a Greeter saved with the scene is a Greeter again
// when the scene is opened by another run.
TEST_F(HelloTest, AGreeterSavedWithTheSceneComesBack) {
    const std::string path = ::testing::TempDir() + "hello-test-scene.dsx";
    ASSERT_NE(Host().Create("Browsing/Templates/Samples", "Hello", "Greeter"), nullptr)
        << Host().LastError();
    ASSERT_TRUE(Host().SaveScene(path.c_str())) << Host().LastError();
    Host().Shutdown();
    EXPECT_EQ(LyFindObjectByFullName("Object::Greeter"), nullptr);

    LyTestHost again;
    ASSERT_TRUE(again.LoadPlugin(LYSDK_TEST_PLUGIN)) << again.LastError();
    ASSERT_TRUE(again.OpenScene(path.c_str())) << again.LastError();
    LyComponent* back = LyFindObjectByFullName("Object::Greeter");
    ASSERT_NE(back, nullptr);
    EXPECT_STREQ(back->ClassName(), "HelloComponent");
    std::remove(path.c_str());
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
