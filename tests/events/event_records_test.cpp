// The LyEvent classes: each reads its record's fields as read-only
// properties, and a record of another kind reads as zero or null.

#include <string>

#include <velora/event_records.h>

#include "events/event_fixture.h"

using namespace VELSDK2025;
using lysdk_test::HostScene;

namespace {

class EventRecords : public HostScene {};

}  // namespace

TEST_F(EventRecords, AnEventIsTheReadOnlyIntegerPropertyTypeOfItsRecordOnly) {
    lyiface::EventRecord record(42, 0, nullptr);
    LyEvent event(&record);
    EXPECT_STREQ(event.GetName(), "Type");
    EXPECT_EQ(event.GetPropertyType(), kLyPropertyTypeInt);
    EXPECT_TRUE(event.IsReadOnly());
    EXPECT_EQ(static_cast<int>(event), 42);
    EXPECT_EQ(event.AsInt(), 42);
    EXPECT_STREQ(event.AsString(), "42");
    int seven = 7;
    event.SetData(&seven);  // read-only: ignored
    EXPECT_EQ(static_cast<int>(event), 42);
    EXPECT_EQ(record.type, 42);
    EXPECT_EQ(event.GetRecord(), &record);
    EXPECT_TRUE(event.Is(LyEvent::TypeInfo));
    EXPECT_TRUE(event.Is(LyProperty::TypeInfo));
    // Events that carry nothing else read their type.
    lyiface::EventRecord five(5, 0, nullptr);
    EXPECT_EQ(static_cast<int>(LyEventClipChange(&five)), 5);
    EXPECT_EQ(static_cast<int>(LyEventPlayerControlChange(&five)), 5);
    EXPECT_EQ(static_cast<int>(LyEventExpose(&five)), 5);
    EXPECT_STREQ(LyEventExpose(&five).ClassName(), "LyEventExpose");
    // A record of another kind reads as nothing.
    velora::ResizeRecord resize;
    resize.width = 640;
    EXPECT_EQ(static_cast<LyComponent*>(LyEventSceneChange(&resize).Component), nullptr);
    LyEventMenu menu(&resize);
    EXPECT_EQ(static_cast<int>(menu.Id), 0);
    EXPECT_EQ(static_cast<const char*>(menu.Name), nullptr);
    EXPECT_EQ(static_cast<int>(LyEventResize(&resize).Width), 640);
}

TEST_F(EventRecords, SceneTakeAndTreeEventsGiveTheWrappersOfTheirObjects) {
    velora::Object* parent = Make("Parent");
    velora::Object* child = Make("Child");
    velora::SceneChangeRecord scene;
    scene.type = 3;
    scene.component = parent;
    scene.child = child;
    LyEventSceneChange e(&scene);
    EXPECT_EQ(static_cast<int>(e), 3);
    EXPECT_EQ(static_cast<LyComponent*>(e.Component), LyGetLyComponent(parent));
    EXPECT_EQ(static_cast<LyComponent*>(e.ChildComponent), LyGetLyComponent(child));
    EXPECT_STREQ(e.Component.GetName(), "Component");
    EXPECT_TRUE(e.ChildComponent.IsReadOnly());

    velora::TakeChangeRecord take;
    take.take = child;
    EXPECT_EQ(static_cast<LyComponent*>(LyEventTakeChange(&take).Take), LyGetLyComponent(child));

    velora::TreeRecord tree;
    tree.node = parent;
    tree.why = 4;
    LyEventTree t(&tree);
    EXPECT_EQ(static_cast<LyComponent*>(t.TreeNode), LyGetLyComponent(parent));
    EXPECT_EQ(static_cast<int>(t.Why), 4);
    velora::TreeSelectRecord select;
    select.node = child;
    EXPECT_EQ(static_cast<LyComponent*>(LyEventTreeSelect(&select).TreeNode), LyGetLyComponent(child));
}

TEST_F(EventRecords, TextFieldsReadTheRecordsTextAndFileOpenTakesAnAnswer) {
    velora::FileChangeRecord file;
    file.path = "/scenes/walk.dsx";
    EXPECT_STREQ(static_cast<const char*>(LyEventFileChange(&file).Path), "/scenes/walk.dsx");
    velora::MenuRecord menu;
    menu.id = 12;
    menu.name = "Open";
    LyEventMenu m(&menu);
    EXPECT_EQ(static_cast<int>(m.Id), 12);
    EXPECT_TRUE(m.Name == "Open");
    // An override of a file open lets the callback answer.
    velora::OverrideFileOpenRecord record;
    record.path = "a.fbx";
    LyEventOverrideFileOpen e(&record);
    EXPECT_STREQ(static_cast<const char*>(e.FilePath), "a.fbx");
    EXPECT_FALSE(static_cast<bool>(e.WillOverride));
    EXPECT_TRUE(e.FilePath.IsReadOnly());
    EXPECT_FALSE(e.WillOverride.IsReadOnly());
    e.WillOverride = true;
    EXPECT_TRUE(record.willOverride);
}

TEST_F(EventRecords, DragAndDropReadsItsFieldsAndEditsTheItemList) {
    velora::Object* model = Make("Model");
    velora::DragAndDropRecord record;
    record.state = 2;
    record.x = 10;
    record.y = 20;
    record.data[0] = 5;
    record.data[1] = 6;
    LyEventDragAndDrop e(&record);
    EXPECT_EQ(static_cast<int>(e.State), 2);
    EXPECT_EQ(static_cast<int>(e.PosX), 10);
    EXPECT_EQ(static_cast<int>(e.PosY), 20);
    EXPECT_STREQ(e.Data[0].GetName(), "Data[0]");
    EXPECT_STREQ(e.Data[1].GetName(), "Data[1]");
    EXPECT_EQ(static_cast<int>(e.Data[0]), 5);
    EXPECT_EQ(static_cast<int>(e.Data[1]), 6);

    e.Accept();
    EXPECT_TRUE(record.accepted);
    LyComponent* wrapper = LyGetLyComponent(model);
    e.Add(wrapper, 9);
    e.Add(nullptr);  // nothing to drag: ignored
    EXPECT_EQ(e.GetCount(), 1);
    EXPECT_EQ(e.Get(0), wrapper);
    EXPECT_EQ(e.Get(1), nullptr);
    EXPECT_EQ(e.Get(-1), nullptr);
    EXPECT_EQ(record.itemIds, std::vector<int>{9});
    model->Destroy(0);  // an item that ended reads null
    EXPECT_EQ(e.Get(0), nullptr);
    e.Clear();
    EXPECT_EQ(e.GetCount(), 0);
}

TEST_F(EventRecords, InterfaceEventsReadEachField) {
    velora::InputRecord input;
    input.inputType = 1;
    input.mouseButton = 2;
    input.key = 3;
    input.keyState = 4;
    input.pressure = 5;
    input.wheelDelta = -120;
    LyEventInput in(&input);
    EXPECT_EQ(static_cast<int>(in.InputType), 1);
    EXPECT_EQ(static_cast<int>(in.MouseButton), 2);
    EXPECT_EQ(static_cast<int>(in.Key), 3);
    EXPECT_EQ(static_cast<int>(in.KeyState), 4);
    EXPECT_EQ(static_cast<int>(in.Pressure), 5);
    EXPECT_EQ(static_cast<int>(in.MouseWheelDelta), -120);

    velora::ResizeRecord resize;
    resize.width = 800;
    resize.height = 600;
    LyEventResize r(&resize);
    EXPECT_EQ(static_cast<int>(r.Width), 800);
    EXPECT_EQ(static_cast<int>(r.Height), 600);

    velora::ShowRecord show;
    show.shown = true;
    EXPECT_TRUE(static_cast<bool>(LyEventShow(&show).Shown));

    velora::SpreadRecord spread;
    spread.row = 3;
    spread.column = 4;
    spread.action = 5;
    LyEventSpread s(&spread);
    EXPECT_EQ(static_cast<int>(s.Row), 3);
    EXPECT_EQ(static_cast<int>(s.Column), 4);
    EXPECT_EQ(static_cast<int>(s.Action), 5);

    velora::ActivateRecord activate;
    activate.data = 11;
    EXPECT_EQ(static_cast<int>(LyEventActivate(&activate).Data), 11);
    velora::DblClickRecord click;
    click.selection = 6;
    EXPECT_EQ(static_cast<int>(LyEventDblClick(&click).Selection), 6);
    velora::TransactionRecord transaction;
    transaction.begin = true;
    EXPECT_TRUE(static_cast<bool>(LyEventTransaction(&transaction).IsBeginTransaction));
}

TEST_F(EventRecords, VideoAndHistoryEventsReadTheirFields) {
    velora::Object* switcher = Make("Switcher");
    velora::VideoSwitcherRecord video;
    video.switcher = switcher;
    video.endType = 2;
    video.reference = 141120000;
    LyEventVideoSwitcher v(&video);
    EXPECT_EQ(static_cast<LyComponent*>(v.VideoSwitcher), LyGetLyComponent(switcher));
    EXPECT_EQ(static_cast<int>(v.EndType), 2);
    EXPECT_EQ(static_cast<LyTime>(v.Reference).Get(), 141120000);

    velora::VideoFrameRenderingRecord frames;
    frames.state = 1;
    frames.frameCount = 100;
    frames.frameNumber = 42;
    LyEventVideoFrameRendering f(&frames);
    EXPECT_EQ(f.GetState(), 1);
    EXPECT_EQ(f.GetFrameCount(), 100);
    EXPECT_EQ(f.GetFrameNumber(), 42);

    velora::ConstructionHistoryRecord history;
    history.commandId = 77;
    EXPECT_EQ(LyEventConstructionHistoryChange(&history).GetCommandId(), 77);
}
