// Deletion by pattern inside the all-models transaction, unique ids, the
// living count, the life log and the caller-owned lists.

#include <velora/entity.h>

#include "common/event_log.h"
#include "services/services_fixture.h"

using namespace VELSDK2025;
using services_test::ServiceScene;
using services_test::TraceLog;

namespace {

// A host object that notes the transaction depth at its end.
class DepthProbe : public velora::Object {
public:
    static DepthProbe* Create(const char* name) { return new DepthProbe(name); }
    static int depthAtEnd;

protected:
    explicit DepthProbe(const char* name) : velora::Object(name, velora::kClassModel) {}
    void Teardown() override {
        depthAtEnd = velora::MainEntity::Instance().AllModelsTransactionDepth();
        velora::Object::Teardown();
    }
};
int DepthProbe::depthAtEnd = -1;

// Records the transaction events of the main entity and their arguments.
struct TransactionWatch : lysdk_test::EventLog {
    TransactionWatch()
        : EventLog(velora::MainEntity::Instance().Events(),
                   {velora::kEntityAllModelsBegin, velora::kEntityAllModelsEnd}) {
        then = [this](lyiface::EventRecord* r) { arguments.push_back(*static_cast<int*>(r->data)); };
    }
    std::vector<int> arguments;
};

}  // namespace

class Deletion : public ServiceScene {};

TEST_F(Deletion, EveryCallIsOneTransactionAndMatchesEndInsideIt) {
    velora::MainEntity& entity = velora::MainEntity::Instance();
    const int count = entity.AllModelsTransactionCount();
    {
        TransactionWatch watch;
        EXPECT_EQ(LyDeleteObjectsByName("SvcNothingIsCalledThis*"), 0);  // no match: still opened and closed
        EXPECT_EQ(entity.AllModelsTransactionCount(), count + 1);
        EXPECT_EQ(watch.types, (std::vector<int>{velora::kEntityAllModelsBegin, velora::kEntityAllModelsEnd}));
        EXPECT_EQ(watch.arguments, (std::vector<int>{0, 0}));
    }
    velora::PlugHandle probe(DepthProbe::Create("SvcProbe"));
    DepthProbe::depthAtEnd = -1;
    EXPECT_EQ(LyDeleteObjectsByName("SvcProbe"), 1);
    EXPECT_FALSE(probe.Valid());
    EXPECT_EQ(DepthProbe::depthAtEnd, 1);
    EXPECT_EQ(entity.AllModelsTransactionDepth(), 0);
    // Transactions nest and ignore an unmatched end.
    TransactionWatch watch;
    entity.BeginAllModelsTransaction(5);
    entity.BeginAllModelsTransaction(6);
    EXPECT_EQ(entity.AllModelsTransactionDepth(), 2);
    EXPECT_EQ(entity.AllModelsTransactionArgument(), 5);
    for (int i = 0; i < 3; ++i) entity.EndAllModelsTransaction();
    EXPECT_EQ(entity.AllModelsTransactionDepth(), 0);
    EXPECT_EQ(entity.AllModelsTransactionCount(), count + 3);
    EXPECT_EQ(watch.types.size(), 2u);
}

TEST_F(Deletion, UndeletableLockedAndSystemObjectsAreKeptAndOwnedObjectsCount) {
    velora::PlugHandle plain(Make("SvcKeepPlain"));
    velora::Object* undeletable = Make("SvcKeepFixed");
    undeletable->SetObjectFlags(velora::kObjectRenamable);
    velora::Object* locked = Make("SvcKeepLocked");
    locked->SetObjectFlags(velora::kObjectDefaultFlags | velora::kObjectLocked);
    velora::Object* system = Make("SvcKeepSystem");
    system->SetObjectFlags(velora::kObjectDefaultFlags | velora::kObjectSystem);
    EXPECT_EQ(LyDeleteObjectsByName(""), 0);  // an empty pattern deletes nothing
    EXPECT_EQ(LyDeleteObjectsByName(nullptr), 0);
    EXPECT_TRUE(plain.Valid());
    EXPECT_EQ(LyDeleteObjectsByName("SvcKeep*"), 1);
    EXPECT_FALSE(plain.Valid());
    LyArrayTemplate<LyComponent*> left;
    LyFindObjectsByName("SvcKeep*", left);
    EXPECT_EQ(left.GetCount(), 3);
    // Objects ending with their owner count.
    velora::Object* owner = Make("SvcOwnerA");
    velora::Object* owned = Make("SvcOwnerB");
    owned->SetOwner(owner);
    velora::PlugHandle watch(owned);
    EXPECT_EQ(LyDeleteObjectsByName("SvcOwner?"), 2);
    EXPECT_FALSE(watch.Valid());
}

TEST_F(Deletion, NamespaceAndGroupNarrowTheMatch) {
    velora::PlugHandle inRig(Make("svcrig:SvcLimb", velora::kClassModel));
    velora::PlugHandle inArm(Make("svcrig:arm:SvcLimb", velora::kClassModel));
    velora::PlugHandle outside(Make("svcrigger:SvcLimb", velora::kClassModel));
    velora::PlugHandle plainObject(Make("svcrig:SvcLimb", velora::kClassObject));
    EXPECT_EQ(LyDeleteObjectsByName("SvcLimb", "svcrig", "Model"), 2);
    EXPECT_FALSE(inRig.Valid());
    EXPECT_FALSE(inArm.Valid());
    EXPECT_TRUE(outside.Valid());
    EXPECT_TRUE(plainObject.Valid());
    // A pattern with ':' is read against the label.
    EXPECT_EQ(LyDeleteObjectsByName("svcrigger:*"), 1);
    EXPECT_FALSE(outside.Valid());
    EXPECT_EQ(LyDeleteObjectsByName("SvcLimb", nullptr, "Object"), 1);
    EXPECT_FALSE(plainObject.Valid());
}

class Bookkeeping : public ServiceScene {};

TEST_F(Bookkeeping, UniqueIdsIncreaseAndObjectsTakeTheirsFromTheSameCounter) {
    const std::uint32_t a = LyObjectGetGlobalUniqueId();
    const std::uint32_t b = LyObjectGetGlobalUniqueId();
    velora::Object* object = Make("SvcWithId");
    const std::uint32_t c = LyObjectGetGlobalUniqueId();
    EXPECT_LT(a, b);
    const std::uint32_t mine = velora::MainEntity::Instance().Objects().UniqueIdOf(object);
    EXPECT_LT(b, mine);
    EXPECT_LT(mine, c);
}

TEST_F(Bookkeeping, TheLivingCountFollowsCreationAndEnd) {
    const std::uint32_t start = LyObjectGetLivingCount();
    velora::Object* one = Make("SvcLive1");
    Make("SvcLive2");
    EXPECT_EQ(LyObjectGetLivingCount(), start + 2);
    auto* component = new LyComponent();  // makes and owns a host object
    EXPECT_EQ(LyObjectGetLivingCount(), start + 3);
    delete component;
    one->Destroy(0);
    EXPECT_EQ(LyObjectGetLivingCount(), start + 1);
    // Plain plugs and properties are not objects.
    velora::Plug* bare = velora::Plug::Create();
    EXPECT_EQ(LyObjectGetLivingCount(), start + 1);
    bare->Destroy(0);
}

TEST_F(Bookkeeping, TheLifeLogWritesCreationsAndEndsWhileOn) {
    TraceLog log;
    LyObjectLifeLogEnable(true);
    velora::Object* object = Make("SvcLogged", velora::kClassModel);
    const std::uint32_t id = velora::MainEntity::Instance().Objects().UniqueIdOf(object);
    object->Destroy(0);
    LyObjectLifeLogEnable(false);
    Make("SvcNotLogged")->Destroy(0);
    const std::string expected = " Model::SvcLogged (id " + std::to_string(id) + ", Model)\n";
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log.lines()[0].text, "Object created:" + expected);
    EXPECT_EQ(log.lines()[1].text, "Object ended:" + expected);
}

TEST_F(Bookkeeping, PrintLivingsListsTheLivingObjects) {
    Make("SvcPrinted");
    TraceLog log;
    LyObjectPrintLivings();
    const std::uint32_t living = LyObjectGetLivingCount();
    ASSERT_EQ(log.size(), living + 1);
    EXPECT_EQ(log.lines()[0].text, "Living objects: " + std::to_string(living) + "\n");
    EXPECT_TRUE(log.Contains("  Object::SvcPrinted (id "));

    log.Clear();
    LyObjectPrintLivings(1);
    ASSERT_EQ(log.size(), living > 1 ? 3u : 2u);
    if (living > 1) {
        EXPECT_EQ(log.lines()[2].text, "  ... and " + std::to_string(living - 1) + " more\n");
    }
}

TEST(Lists, ListsStartEmptyAndGoBackWithTheirElements) {
    auto* components = LyCreateComponentList();
    auto* models = LyCreateModelList();
    auto* picks = LyCreatePickInfosList();
    ASSERT_NE(components, nullptr);
    ASSERT_NE(models, nullptr);
    ASSERT_NE(picks, nullptr);
    EXPECT_EQ(components->GetCount(), 0);
    EXPECT_EQ(models->GetCount(), 0);
    EXPECT_EQ(picks->GetCount(), 0);
    for (int i = 0; i < 25; ++i) {
        components->Add(nullptr);
        models->Add(nullptr);
        picks->Add(LyPickInfos{nullptr, {1.0 * i, 0, 0}});
    }
    EXPECT_EQ(picks->GetAt(24).Point[0], 24.0);
    // Storage and list go back; the leak checker watches both.
    LyDestroyComponentList(components);
    LyDestroyModelList(models);
    LyDestroyPickInfosList(picks);
    LyDestroyComponentList(nullptr);
    LyDestroyModelList(nullptr);
    LyDestroyPickInfosList(nullptr);
    auto* plugs = LyCreatePlugList();
    ASSERT_NE(plugs, nullptr);
    EXPECT_EQ(plugs->GetCount(), 0);
    plugs->Add(nullptr);
    LyDestroyPlugList(plugs);
    LyDestroyPlugList(nullptr);
}
