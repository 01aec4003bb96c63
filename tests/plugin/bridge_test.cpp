// The bridge that an extension's component creates: its end under the
// host's flags, its name from creation, and its property lookup.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/object.h>
#include <velora/object_directory.h>
#include <velora/object_registry.h>
#include <velora/property.h>

#include "common/event_log.h"

using namespace VELSDK2025;

namespace {

// A plug-in's component that records the host object's flags as it is told
// of the end.
class Ending : public LyComponent {
public:
    explicit Ending(const char* name = nullptr) : LyComponent(name, nullptr) {}
    void LyDestroy() override {
        ++destroyed;
        flagsAtEnd = GetObjectFlags();
    }
    static int destroyed;
    static unsigned flagsAtEnd;
};
int Ending::destroyed = 0;
unsigned Ending::flagsAtEnd = 0;

IObject* CreateEnding(IObject*, const char* name, void*) {
    auto* made = new Ending(name);
    return made->LyCreate() ? made->GetHIObject() : nullptr;
}

}  // namespace

TEST(Bridge, EndsOnceThroughTheHostOrByItselfWhenLocked) {
    // Unlocked: the host's destruct step. Locked (0x20): the bridge deletes
    // itself and its destructor runs the end, since the host's has not
    // (0x40 clear). Either way every step runs once.
    for (unsigned extra : {0u, 0x20u, 0x20u | 0x40u}) {
        SCOPED_TRACE(extra);
        Ending::destroyed = 0;
        auto* component = new Ending("Bridged");
        velora::Object* host = velora::AsObject(component->GetHIObject());
        ASSERT_NE(host, nullptr);
        velora::Object* other = velora::Object::Create("Other");
        ASSERT_TRUE(other->ConnectSrc(host));
        host->SetObjectFlags(host->ObjectFlags() | extra);
        // 0x40 is the host's own record of the end: it cannot be set.
        EXPECT_FALSE(host->HasObjectFlags(velora::kObjectDestructed));
        const std::string fullName = host->FullName();
        velora::PlugHandle watch(host);

        host->Destroy(0);
        EXPECT_FALSE(watch.Valid());
        EXPECT_EQ(Ending::destroyed, 1);
        // While the SDK object was told, the end was on record.
        EXPECT_TRUE(Ending::flagsAtEnd & velora::kObjectDestructed);
        EXPECT_EQ(other->SrcCount(), 0);
        EXPECT_EQ(velora::ObjectDirectory::Instance().FindByFullName(fullName.c_str()), nullptr);
        other->Destroy(0);
    }
}

TEST(Bridge, IsNamedByTheCreatorFromTheStart) {
    ASSERT_TRUE(LyObject_Register("Tests/Bridges", "Ending", "", &CreateEnding, true, nullptr));
    LyPropertyEventConnectionNotify connection;
    connection.Init(nullptr, nullptr, "OnConnectionNotify", 0, kLyEventSubTypeAll);
    int renames = 0;
    lysdk_test::EventLog log;
    log.then = [&](EventRecord* record) {
        const LyConnectionAction action = LyEventConnectionNotify(record).Action;
        renames += action >= kLyRquestRename && action <= kLyRenamed;
    };
    connection.Add(&log, log.Fn());
    IObject* made = velora::ObjectRegistry::Instance().Create("Tests/Bridges", "Ending", nullptr,
                                                              "Alpha", nullptr);
    connection.Remove(&log, log.Fn());
    ASSERT_NE(made, nullptr);
    velora::Object* host = velora::AsObject(made);
    EXPECT_STREQ(host->Name(), "Alpha");
    EXPECT_EQ(renames, 0);  // named when made, not renamed afterwards
    EXPECT_STREQ(GetLyComponent(host)->GetName(), "Alpha");
    host->Destroy(0);
    auto* unnamed = new Ending();
    EXPECT_STREQ(velora::AsObject(unnamed->GetHIObject())->Name(), "");
    unnamed->LyDelete();
    LyObject_Unregister("Tests/Bridges", "Ending", 0);
}

TEST(Bridge, LooksPropertiesUpThroughItsClassMap) {
    // Instances that made their properties in different orders, renamed and
    // removed ones: the class's map answers as the object's own table does.
    auto* first = new Ending("First");
    auto* second = new Ending("Second");
    for (const char* name : {"A", "B", "C"})
        first->PropertyCreate(name, kLyPropertyTypeInt, nullptr, false, true, nullptr);
    for (const char* name : {"C", "A"})
        second->PropertyCreate(name, kLyPropertyTypeInt, nullptr, false, true, nullptr);
    velora::Object* a = velora::AsObject(first->GetHIObject());
    velora::Object* b = velora::AsObject(second->GetHIObject());
    for (int round = 0; round < 2; ++round) {
        for (velora::Object* o : {a, b})
            for (const char* name : {"A", "B", "C", "D"}) {
                SCOPED_TRACE(std::string(o->Name()) + "." + name);
                EXPECT_EQ(o->LookupProperty(name), o->FindProperty(name));
            }
        if (round > 0) break;
        ASSERT_TRUE(a->FindProperty("A")->SetName("D"));
        ASSERT_TRUE(b->RemoveProperty(b->FindProperty("C")));
    }
    EXPECT_EQ(first->PropertyList.Find("D"), first->PropertyList.Find("d"));
    EXPECT_NE(first->PropertyList.Find("D"), nullptr);
    EXPECT_EQ(second->PropertyList.Find("C", false), nullptr);
    first->LyDelete();
    second->LyDelete();
}
