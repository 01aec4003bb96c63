// Plug notifications reaching a component: the values and flags of its
// properties, its own renames, and the veto of each; and the scene-wide
// connection events hearing renames.

#include "events/event_fixture.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <velora/property.h>

using namespace VELSDK2025;
using lysdk_test::HostScene;

namespace {

enum Kind { kData, kState, kConnection };

struct Told {
    Kind kind;
    LyConnectionAction action;
    LyPlug* plug;
    double now;     // data: the value pointed at; state: the flags word
    double before;  // the same for the old data (-1 when none)
};

// A plug-in's component that records what it is told and refuses one
// (kind, action) when asked to.
class Listening : public LyComponent {
public:
    Listening() : LyComponent("Listening", nullptr) {}

    bool PlugDataNotify(LyConnectionAction action, LyPlug* plug, void* data, void* old,
                        int size) override {
        return Hear(kData, action, plug, Read(data, size), Read(old, size));
    }
    bool PlugStateNotify(LyConnectionAction action, LyPlug* plug, void* data, void* old,
                         int) override {
        auto word = [](void* p) { return p ? double(*static_cast<std::uint32_t*>(p)) : -1.0; };
        return Hear(kState, action, plug, word(data), word(old));
    }
    bool PlugNotify(LyConnectionAction action, LyPlug* plug, int, LyPlug*, LyConnectionType,
                    LyPlug*) override {
        return Hear(kConnection, action, plug, 0, 0);
    }

    std::vector<Told> told;
    Kind refuseKind = kData;
    int refuseAction = -1;

private:
    static double Read(void* p, int size) {
        if (!p || size != sizeof(double)) return -1.0;
        double v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    bool Hear(Kind kind, LyConnectionAction action, LyPlug* plug, double now, double before) {
        told.push_back({kind, action, plug, now, before});
        return !(kind == refuseKind && action == refuseAction);
    }
};

std::vector<LyConnectionAction> Actions(const std::vector<Told>& told, Kind kind) {
    std::vector<LyConnectionAction> out;
    for (const Told& t : told)
        if (t.kind == kind) out.push_back(t.action);
    return out;
}

class Notifications : public HostScene {
protected:
    void SetUp() override {
        component = new Listening();
        speed = component->PropertyCreate("Speed", kLyPropertyTypeDouble, nullptr, false, true,
                                          nullptr);
        ASSERT_NE(speed, nullptr);
        double one = 1.0;
        speed->SetData(&one);
        component->told.clear();
    }
    void TearDown() override {
        component->LyDelete();
        HostScene::TearDown();
    }
    double Speed() {
        double v = 0;
        speed->GetData(&v, sizeof v);
        return v;
    }

    Listening* component = nullptr;
    LyProperty* speed = nullptr;
};

}  // namespace

TEST_F(Notifications, ValuesFlagsAndRenamesAreProposedToTheOwnerAndThenReported) {
    double value = 2.5;
    speed->SetData(&value);
    ASSERT_EQ(component->told.size(), 2u);
    for (const Told& t : component->told) {
        EXPECT_EQ(t.kind, kData);
        EXPECT_EQ(t.plug, speed);
        EXPECT_EQ(t.now, 2.5);
        EXPECT_EQ(t.before, 1.0);
    }
    EXPECT_EQ(component->told[0].action, kLyCandidate);
    EXPECT_EQ(component->told[1].action, kLyCandidated);
    EXPECT_EQ(Speed(), 2.5);

    component->told.clear();
    speed->SetEnable(false);
    EXPECT_EQ(Actions(component->told, kState), (std::vector<LyConnectionAction>{kLyCandidate, kLyCandidated}));
    ASSERT_EQ(component->told.size(), 2u);
    EXPECT_EQ(component->told[0].plug, speed);
    EXPECT_EQ(component->told[0].now, double(kLyPropertyFlagDisabled));
    EXPECT_EQ(component->told[0].before, 0.0);
    EXPECT_EQ(component->told[1].now, double(kLyPropertyFlagDisabled));
    EXPECT_TRUE(speed->GetPropertyFlag(kLyPropertyFlagDisabled));

    component->told.clear();
    component->SetName("Renamed");
    EXPECT_EQ(Actions(component->told, kConnection),
              (std::vector<LyConnectionAction>{kLyRquestRename, kLyRename, kLyRenamed}));
    for (const Told& t : component->told) EXPECT_EQ(t.plug, component);
    EXPECT_STREQ(component->GetName(), "Renamed");
}

TEST_F(Notifications, TheOwnerMayRefuseEachChangeBeforeItIsMade) {
    const struct {
        Kind kind;
        LyConnectionAction action;
    } refusals[] = {
        {kData, kLyCandidate},
        {kState, kLyCandidate},
        {kConnection, kLyRquestRename},
        {kConnection, kLyRename},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.action);
        component->refuseKind = r.kind;
        component->refuseAction = r.action;
        component->told.clear();
        double value = 7.0;
        speed->SetData(&value);
        speed->SetEnable(false);
        component->SetName("Refused");
        // What was refused did not happen, and no report of it followed.
        const bool data = r.kind != kData, state = r.kind != kState, name = r.kind != kConnection;
        EXPECT_EQ(Speed(), data ? 7.0 : 1.0);
        EXPECT_EQ(speed->GetPropertyFlag(kLyPropertyFlagDisabled), state);
        EXPECT_EQ(std::string(velora::AsObject(component->GetHIObject())->Name()),
                  name ? "Refused" : "Listening");
        const Kind kinds[] = {kData, kState, kConnection};
        for (Kind k : kinds) {
            const auto heard = Actions(component->told, k);
            const bool reported = std::find(heard.begin(), heard.end(),
                                            k == kConnection ? kLyRenamed : kLyCandidated) !=
                                  heard.end();
            EXPECT_EQ(reported, k != r.kind) << k;
        }
        // Put things back for the next row.
        component->refuseAction = -1;
        double one = 1.0;
        speed->SetData(&one);
        speed->SetEnable(true);
        component->SetName("Listening");
    }
}

TEST_F(Notifications, TheSceneHearsAValueOnceAndRenamesOfObjectsAndProperties) {
    LyPropertyEventConnectionDataNotify data;
    data.Init(nullptr, nullptr, "OnConnectionDataNotify", 0, kLyEventSubTypeAll);
    LyPropertyEventConnectionNotify connection;
    connection.Init(nullptr, nullptr, "OnConnectionNotify", 0, kLyEventSubTypeAll);
    lysdk_test::Receiver onData("data"), onConnection("connection");
    std::vector<std::pair<LyConnectionAction, LyPlug*>> renames;
    onConnection.then = [&](IRegister*, EventRecord* record) {
        LyEventConnectionNotify e(record);
        renames.emplace_back(e.Action, e.SrcPlug);
    };
    data.Add(&onData, lysdk_test::HeardFn());
    connection.Add(&onConnection, lysdk_test::HeardFn());
    double value = 3.0;
    speed->SetData(&value);
    component->SetName("Heard");
    speed->SetName("Velocity");
    data.Remove(&onData, lysdk_test::HeardFn());
    connection.Remove(&onConnection, lysdk_test::HeardFn());

    // One write, heard once: not again through the owner.
    EXPECT_EQ(onData.Count(), 1);
    const std::vector<std::pair<LyConnectionAction, LyPlug*>> expected = {
        {kLyRquestRename, component}, {kLyRename, component}, {kLyRenamed, component},
        {kLyRquestRename, speed},     {kLyRename, speed},     {kLyRenamed, speed}};
    EXPECT_EQ(renames, expected);
    EXPECT_STREQ(speed->GetName(), "Velocity");
}

TEST_F(Notifications, APlainHostObjectOwnerTakesEveryChange) {
    // No wrapper to ask: the host's own handling accepts, values and flags
    // change as asked.
    velora::Object* cube = Make("Cube");
    velora::Property* size = cube->CreateProperty("Size", velora::kDataNumber);
    double two = 2.0;
    EXPECT_TRUE(size->SetRaw(&two));
    EXPECT_TRUE(size->ModifyFlag(velora::kPropertyDisabled, true));
    EXPECT_TRUE(cube->SetName("Box"));
    EXPECT_STREQ(cube->Name(), "Box");
    EXPECT_TRUE(size->HasFlag(velora::kPropertyDisabled));
}
