// Finding and creating wrappers of host objects.

#include "core/host_fixture.h"

using namespace VELSDK2025;
using lysdk_test::HostScene;

namespace {

IObject* Slot(velora::Object* object) { return object->Wrapper(); }

}  // namespace

class WrapperRegistry : public HostScene {};

TEST_F(WrapperRegistry, NullBareAndUnwrappedObjectsYieldNoWrapper) {
    EXPECT_EQ(LyGetLyObject(nullptr, true), nullptr);
    EXPECT_EQ(LyGetLyPlug(nullptr, true), nullptr);
    EXPECT_EQ(LyGetLyComponent(nullptr, true), nullptr);
    EXPECT_EQ(GetLyComponent(nullptr), nullptr);
    EXPECT_EQ(__LyObjectCreatorSub(nullptr), nullptr);
    velora::Plug* bare = velora::Plug::Create();
    EXPECT_EQ(LyGetLyObject(bare, true), nullptr);
    EXPECT_EQ(__LyObjectCreatorSub(bare), nullptr);
    bare->Destroy(0);
    // Without create an empty slot stays empty.
    velora::Object* cube = Make("Cube");
    EXPECT_EQ(LyGetLyObject(cube, false), nullptr);
    EXPECT_EQ(Slot(cube), nullptr);
    EXPECT_EQ(GetLyComponent(cube), nullptr);
    // The component of a component is itself.
    LyComponent local;
    EXPECT_EQ(GetLyComponent(local.IQuery(0)), &local);
}

TEST_F(WrapperRegistry, AWrapperIsCreatedOnceReturnedAgainAndEndedWithItsObject) {
    velora::Object* cube = velora::Object::Create("Cube");
    IObject* first = LyGetLyObject(cube, true);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Slot(cube), first);
    EXPECT_EQ(LyGetLyObject(cube, true), first);
    EXPECT_EQ(LyGetLyObject(cube, false), first);

    LyPlug* plug = LyGetLyPlug(cube, false);
    LyComponent* component = LyGetLyComponent(cube, false);
    // The same object seen as IObject, LyPlug and LyComponent: one address.
    EXPECT_EQ(static_cast<void*>(plug), static_cast<void*>(first));
    EXPECT_EQ(static_cast<void*>(component), static_cast<void*>(first));
    EXPECT_EQ(GetLyComponent(cube), component);
    EXPECT_EQ(component->GetHIObject(), static_cast<IObject*>(cube));
    EXPECT_STREQ(component->GetName(), "Cube");

    const int living = LyGetComponentArray().GetCount();
    EXPECT_GE(LyGetComponentArray().Find(component), 0);
    cube->Destroy(0);
    // The wrapper was deleted (ASan would report a leak otherwise) and left
    // the living array.
    EXPECT_EQ(LyGetComponentArray().GetCount(), living - 1);
}
