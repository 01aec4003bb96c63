// Weak plug handles and script wrappers.

#include "core/host_fixture.h"

using namespace VELSDK2025;
using lysdk_test::HostScene;

class Handles : public HostScene {};

TEST_F(Handles, AHandleFollowsItsPlugUntilTheHostEndsItOrItIsRepointed) {
    velora::Object* cube = velora::Object::Create("Cube");
    LyPlug* wrapper = LyGetLyPlug(cube, true);
    HdlLyPlug handle(wrapper);
    EXPECT_TRUE(handle.Ok());
    EXPECT_EQ(handle.GetPlug(), wrapper);
    EXPECT_EQ(static_cast<LyPlug*>(handle), wrapper);
    EXPECT_EQ(handle(), wrapper);
    EXPECT_TRUE(handle.Is(LyComponent::TypeInfo));

    HdlLyPlug copy(handle);
    HdlLyPlug assigned;
    EXPECT_FALSE(assigned.Ok());
    EXPECT_EQ(assigned.GetPlug(), nullptr);
    assigned = handle;
    EXPECT_TRUE(copy == handle);
    EXPECT_TRUE(assigned == handle);

    cube->Destroy(0);
    EXPECT_FALSE(handle.Ok());
    EXPECT_FALSE(copy.Ok());
    EXPECT_EQ(handle.GetPlug(), nullptr);
    EXPECT_FALSE(handle.Is(LyComponent::TypeInfo));
    EXPECT_TRUE(handle == assigned);  // both read null now

    // SetPlug points the handle elsewhere.
    LyPlug* a = LyGetLyPlug(Make("A"), true);
    LyPlug* b = LyGetLyPlug(Make("B"), true);
    handle.SetPlug(a);
    EXPECT_EQ(handle.GetPlug(), a);
    handle.SetPlug(b);
    EXPECT_EQ(handle.GetPlug(), b);
    EXPECT_TRUE(handle != HdlLyPlug(a));
    handle = nullptr;
    EXPECT_FALSE(handle.Ok());
}

namespace {

class CountingScriptWrapper : public LyScriptWrapper {
public:
    void WrappedObjectDestroyed() override { ++told; }
    int told = 0;
};

}  // namespace

TEST(ScriptWrappers, AreToldOncePerAttachmentWhenTheObjectGoes) {
    CountingScriptWrapper twice;
    CountingScriptWrapper once;
    CountingScriptWrapper removed;
    {
        LyComponent component;
        EXPECT_EQ(component.GetWrapper(), nullptr);
        component.AddWrapper(&twice);
        component.AddWrapper(&once);
        component.AddWrapper(&twice);
        component.AddWrapper(&removed);
        component.RemoveWrapper(&removed);
        component.RemoveWrapper(&removed);  // absent: nothing happens
        EXPECT_EQ(component.GetWrapper(), &twice);
    }
    EXPECT_EQ(twice.told, 2);
    EXPECT_EQ(once.told, 1);
    EXPECT_EQ(removed.told, 0);
}
