// Components: binding, ownership, deletion and names.

#include "core/host_fixture.h"

#include <velora/property.h>

using namespace VELSDK2025;
using lysdk_test::HostScene;
using lysdk_test::TraceCapture;

class Components : public HostScene {};

TEST_F(Components, WithoutAHostObjectAComponentCreatesAndOwnsOne) {
    auto* component = new LyComponent();
    velora::Object* host = velora::AsObject(component->GetHIObject());
    ASSERT_NE(host, nullptr);
    EXPECT_STREQ(velora::ClassRegistry::Instance().Name(host->ClassId()), "LySDKHostObject");
    EXPECT_TRUE(component->IsSDKComponent());
    EXPECT_EQ(host->Wrapper(), component->IQuery(0));
    EXPECT_EQ(GetLyComponent(host), component);

    velora::PlugHandle watch(host);
    delete component;  // the owner takes its host object with it
    EXPECT_FALSE(watch.Valid());
}

TEST_F(Components, WrappingAnExistingObjectDoesNotOwnIt) {
    // However the wrapper lived and went, the object it did not make stays:
    // a weak handle reads null if the object ended, without touching it.
    enum class How { kLocal, kHeapDelete, kHeapDetachedFirst, kRebound };
    for (How how : {How::kLocal, How::kHeapDelete, How::kHeapDetachedFirst, How::kRebound}) {
        SCOPED_TRACE(static_cast<int>(how));
        velora::Object* cube = Make("Cube");
        velora::PlugHandle watch(cube);
        switch (how) {
            case How::kLocal: {
                LyComponent local(cube);
                EXPECT_FALSE(local.IsSDKComponent());
                EXPECT_EQ(GetLyComponent(cube), &local);
                break;
            }
            case How::kHeapDelete:
                delete new LyComponent(cube);
                break;
            case How::kHeapDetachedFirst: {
                // Detached by the host's call, then deleted by its maker.
                auto* wrapper = new LyComponent(cube);
                wrapper->SetHIObject(nullptr, false);
                delete wrapper;
                break;
            }
            case How::kRebound: {
                // Moved to another object: the first is let go, not ended.
                velora::Object* other = Make("Other");
                LyComponent moving(cube);
                moving.SetHIObject(other, false);
                break;
            }
        }
        ASSERT_TRUE(watch.Valid());
        // The wrapper detached on the way out; the object lives on, slot empty.
        EXPECT_EQ(cube->Wrapper(), nullptr);
        EXPECT_STREQ(cube->Name(), "Cube");
    }
}

TEST_F(Components, LyDeleteEndsBothSidesUnlessTheObjectIsProtected) {
    velora::Object* a = velora::Object::Create("A");
    velora::Object* b = velora::Object::Create("B");
    new LyComponent(a);                          // heap: freed by Destroy
    new (1, __FILE__, __LINE__) LyComponent(b);  // the debug allocator form
    a->Destroy(0);
    b->Destroy(0);  // both wrappers go with their objects; LeakSanitizer checks it

    velora::Object* cube = velora::Object::Create("Cube");
    velora::PlugHandle watch(cube);
    LyComponent* component = LyGetLyComponent(cube, true);
    const int living = LyGetComponentArray().GetCount();
    component->LyDelete();
    EXPECT_FALSE(watch.Valid());
    EXPECT_EQ(LyGetComponentArray().GetCount(), living - 1);

    for (unsigned int flags : {0x80u, 0x2u | 0x20u}) {
        velora::Object* kept = Make("Cube");
        kept->SetObjectFlags(flags);
        LyComponent* wrapper = LyGetLyComponent(kept, true);
        TraceCapture trace;
        wrapper->LyDelete();
        ASSERT_EQ(trace.size(), 1u);
        EXPECT_EQ(trace.text(0), "Warning: [Object::Cube] is not deletable!\n");
        EXPECT_EQ(GetLyComponent(kept), wrapper);
        EXPECT_EQ(wrapper->GetHIObject(), static_cast<IObject*>(kept));
    }
    // An owned but protected host object survives its component.
    auto* owner = new LyComponent();
    velora::Object* host = velora::AsObject(owner->GetHIObject());
    host->SetObjectFlags(0x2 | 0x20);
    velora::PlugHandle hostWatch(host);
    delete owner;
    ASSERT_TRUE(hostWatch.Valid());
    EXPECT_EQ(host->Wrapper(), nullptr);
    host->SetObjectFlags(0x2);
    host->Destroy(0);
}

TEST_F(Components, NamesGoToTheHostAndFallBackToTheLocalName) {
    velora::Object* cube = Make("ns:Cube", velora::kClassModel);
    LyComponent* component = LyGetLyComponent(cube, true);
    EXPECT_STREQ(component->GetName(), "Cube");
    EXPECT_STREQ(component->GetFullName(), "Model::ns:Cube");
    component->SetName("other:Sphere");  // only the plain-name part renames
    EXPECT_STREQ(cube->Name(), "Sphere");
    EXPECT_STREQ(cube->LabelName(), "ns:Sphere");

    cube->SetObjectFlags(0x2);  // not renamable
    component->SetName("Cone");
    EXPECT_STREQ(cube->Name(), "Sphere");

    LyComponent local;
    local.SetName("Loose");
    EXPECT_STREQ(local.GetName(), "Loose");
    // When the host ends the component's own host object, the name falls
    // back to the local one.
    velora::AsObject(local.GetHIObject())->Destroy(0);
    EXPECT_EQ(local.GetHIObject(), nullptr);
    EXPECT_STREQ(local.GetName(), "Loose");
    EXPECT_STREQ(local.GetFullName(), "Loose");
    local.SetName(nullptr);
    EXPECT_STREQ(local.GetName(), "");
    // Name wraps only a text host property.
    velora::Object* box = Make("Box");
    box->CreateProperty("Name", velora::kDataVector);
    LyComponent wrapper(box);
    EXPECT_FALSE(wrapper.Name.IsInternal());
    EXPECT_STREQ(static_cast<const char*>(wrapper.Name), "Box");
}

TEST_F(Components, FlagsAndStatusWithAndWithoutAHostObject) {
    velora::Object* cube = Make("Cube");
    LyComponent* component = LyGetLyComponent(cube, true);
    component->SetObjectFlags(0x8 | 0x2);
    EXPECT_EQ(cube->ObjectFlags(), 0xau);
    EXPECT_TRUE(component->HasObjectFlags(0x8));
    EXPECT_FALSE(component->HasObjectFlags(0x20));
    component->SetObjectStatus(0x40, true);
    EXPECT_TRUE(component->GetObjectStatus(0x40 | 0x1));
    component->SetObjectStatus(0x40, false);
    EXPECT_FALSE(component->GetObjectStatus(0x40));

    LyComponent detached;
    velora::AsObject(detached.GetHIObject())->Destroy(0);
    EXPECT_EQ(detached.GetObjectFlags(), 0u);
    EXPECT_FALSE(detached.HasObjectFlags(0xffffffff));
    detached.SetObjectFlags(0x2);
    EXPECT_FALSE(detached.GetObjectStatus(0xffffffff));
}

TEST_F(Components, AnObjectKeepsOneWrapperWhichForwardsQueries) {
    velora::Object* cube = Make("Cube");
    LyComponent local(cube);
    // A second wrapper bound over the same object takes the slot, and the
    // first lets go of the object rather than keep it unseen.
    LyComponent second(cube);
    EXPECT_EQ(GetLyComponent(cube), &second);
    EXPECT_EQ(local.GetHIObject(), nullptr);
    // A detach finds the slot no longer holding it and says so.
    static_cast<lyiface::IWrapperHolder*>(cube->IQuery(lyiface::kIdWrapperHolder))
        ->SetWrapper(nullptr);
    EXPECT_FALSE(second.SetHIObject(nullptr, false));
    EXPECT_EQ(second.GetHIObject(), nullptr);
    // IQuery forwards to the host object.
    LyComponent* component = LyGetLyComponent(cube, true);
    EXPECT_EQ(component->IQuery(lyiface::kIdFullObject), static_cast<IObject*>(cube));
    EXPECT_EQ(component->IQuery(lyiface::kIdPlug), static_cast<IObject*>(cube));
    EXPECT_EQ(component->IQuery(lyiface::kIdSelf), component->IQuery(lyiface::kIdCallback));
    EXPECT_EQ(component->IQuery(12345), nullptr);
}

TEST_F(Components, MembersDetachAndLetGoOfEverythingWhenTheHostEndsTheirObject) {
    velora::Object* group = velora::Object::Create("Group");
    velora::Object* child = Make("Child");
    group->CreateProperty("Weight", velora::kDataNumber);
    ASSERT_TRUE(velora::Connect(child, group));
    LyComponent member(group);
    LyPropertyDouble weight;
    weight.SetInternal(group->FindProperty("Weight"));
    member.PropertyAdd(&weight);
    EXPECT_EQ(member.Components.GetCount(), 1);
    group->Destroy(0);
    // Lists and declared properties no longer reach the ended object.
    EXPECT_EQ(member.Components.GetCount(), 0);
    EXPECT_EQ(member.Parents.GetCount(), 0);
    EXPECT_FALSE(weight.IsInternal());
    EXPECT_EQ(static_cast<double>(weight), 0.0);
    // A member is told by Destroy to detach, never freed.
    struct Holder {
        explicit Holder(IObject* object) : member(object) {}
        int before = 1;
        LyComponent member;
        int after = 2;
    };
    velora::Object* cube = Make("Cube");
    Holder holder(cube);
    ASSERT_EQ(GetLyComponent(cube), &holder.member);
    cube->Destroy(0);  // the host calls Destroy on the member: detach only
    EXPECT_EQ(holder.member.GetHIObject(), nullptr);
    EXPECT_EQ(holder.before, 1);
    EXPECT_EQ(holder.after, 2);
    EXPECT_STREQ(holder.member.ClassName(), "LyComponent");  // still a whole object
}
