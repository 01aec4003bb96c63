// The evaluation and file-monitoring managers and the transaction brackets.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <lysdk/lysdk.h>
#include <velora/entity.h>
#include <velora/evaluation.h>
#include <velora/file_monitor.h>
#include <velora/scene.h>

#include "common/event_log.h"

using namespace VELSDK2025;

namespace {

std::vector<int>* gHeard = nullptr;
void AtSix(LyEvaluateInfo* info) { gHeard->push_back(info ? 6 : -6); }
void AtFour(LyEvaluateInfo*) { gHeard->push_back(4); }

// The paths and kinds of the file changes it hears.
struct FileListener : lysdk_test::EventLog {
    FileListener() {
        then = [this](EventRecord* record) {
            paths.push_back(static_cast<const char*>(LyEventFileChange(record).Path));
            kinds.push_back(record->subType);
        };
    }
    std::vector<std::string> paths;
    std::vector<int> kinds;
};

std::string TempDir() {
    char pattern[] = "/tmp/lysdk-monitor-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? made : "";
}

void Write(const std::string& path, const char* text) {
    std::ofstream out(path, std::ios::trunc);
    out << text;
}

}  // namespace

TEST(EvaluateManager, ARegisteredFunctionRunsAtItsTimingInEveryFrame) {
    LyEvaluateManager& manager = LyEvaluateManager::TheOne();
    EXPECT_EQ(&manager, &LyEvaluateManager::TheOne());
    std::vector<int> heard;
    gHeard = &heard;
    ASSERT_TRUE(manager.RegisterEvaluationGlobalFunction(&AtSix, kLyGlobalEvalCallbackAfterDeformation));
    ASSERT_TRUE(manager.RegisterEvaluationGlobalFunction(&AtFour, kLyGlobalEvalCallbackBeforeRender));
    velora::Scene::Main().Evaluator().EvaluateFrame(0);
    velora::Scene::Main().Evaluator().EvaluateFrame(0);
    EXPECT_EQ(heard, (std::vector<int>{6, 4, 6, 4}));  // with the frame's evaluation info

    EXPECT_TRUE(manager.UnregisterEvaluationGlobalFunction(&AtSix, kLyGlobalEvalCallbackAfterDeformation));
    EXPECT_FALSE(manager.UnregisterEvaluationGlobalFunction(&AtSix, kLyGlobalEvalCallbackAfterDeformation));
    EXPECT_TRUE(manager.UnregisterEvaluationGlobalFunction(&AtFour, kLyGlobalEvalCallbackBeforeRender));
    heard.clear();
    velora::Scene::Main().Evaluator().EvaluateFrame(0);
    EXPECT_TRUE(heard.empty());

    // The switches are the host manager's.
    velora::EvaluationManager& host = velora::EvaluationManager::Instance();
    EXPECT_EQ(static_cast<int>(manager.ParallelScheduleType), 1);
    manager.ParallelScheduleType = 0;
    EXPECT_FALSE(host.IsParallel());
    manager.ParallelScheduleType = 1;
    EXPECT_TRUE(host.IsParallel());
    host.SetInteractiveMode(true);
    EXPECT_TRUE(manager.IsInteractiveMode());
    host.SetInteractiveMode(false);
    manager.InvalidateDAG();
    EXPECT_TRUE(host.IsDAGInvalid());
    velora::Scene::Main().Evaluator().EvaluateFrame(0);
    EXPECT_FALSE(host.IsDAGInvalid());
}

TEST(FileMonitoring, AChangeOnDiskIsHeardByTheEventOfItsType) {
    LyFileMonitoringManager& manager = LyFileMonitoringManager::TheOne();
    EXPECT_EQ(&manager, &LyFileMonitoringManager::TheOne());
    const std::string dir = TempDir();
    ASSERT_FALSE(dir.empty());
    const std::string scene = dir + "/scene.dsx", clip = dir + "/walk.clip", other = dir + "/other.txt";
    Write(scene, "1");
    Write(clip, "1");
    manager.AddFileToMonitor(LyString(scene.c_str()), LyFileMonitoringManager::kLyFileMainScene);
    manager.AddFileToMonitor(LyString(clip.c_str()), LyFileMonitoringManager::kLyFileAnimationClip);

    FileListener sceneListener, clipListener;
    auto handler = FileListener::Fn();
    manager.OnFileChangeMainScene.Add(&sceneListener, handler);
    manager.OnFileChangeAnimationClip.Add(&clipListener, handler);

    velora::FileMonitor& host = velora::FileMonitor::Instance();
    Write(scene, "changed");
    Write(scene, "changed twice");  // one report per poll
    Write(other, "not watched");
    EXPECT_EQ(host.Poll(), 1);
    EXPECT_EQ(sceneListener.paths, std::vector<std::string>{scene});
    EXPECT_EQ(sceneListener.kinds, std::vector<int>{1});
    EXPECT_TRUE(clipListener.paths.empty());

    // A file replaced by a rename, as editors save, is heard; the frame
    // polls by itself.
    Write(dir + "/walk.tmp", "new");
    ASSERT_EQ(std::rename((dir + "/walk.tmp").c_str(), clip.c_str()), 0);
    velora::Scene::Main().Evaluator().EvaluateFrame(0);
    EXPECT_EQ(clipListener.paths, std::vector<std::string>{clip});

    // Paused, or removed: not heard.
    manager.PauseFileMonitoring(true);
    Write(scene, "while paused");
    EXPECT_EQ(host.Poll(), 0);
    manager.PauseFileMonitoring(false);
    manager.RemoveFileFromMonitor(LyString(scene.c_str()));
    Write(scene, "removed");
    EXPECT_EQ(host.Poll(), 0);
    EXPECT_EQ(sceneListener.paths.size(), 1u);
    Write(clip, "dropped");
    manager.CleanFileMonitoring(true);
    EXPECT_EQ(host.Poll(), 0);
    EXPECT_EQ(host.WatchedCount(), 0);

    manager.OnFileChangeMainScene.Remove(&sceneListener, handler);
    manager.OnFileChangeAnimationClip.Remove(&clipListener, handler);
    for (const std::string& f : {scene, clip, other}) std::remove(f.c_str());
    rmdir(dir.c_str());
}

TEST(Transactions, BeginsAndEndsNestAtTheHost) {
    velora::MainEntity& entity = velora::MainEntity::Instance();
    const int opened = entity.AllModelsTransactionCount();
    LyBeginChangeAllModels();
    LyBeginChangeAllModels();
    EXPECT_EQ(entity.AllModelsTransactionDepth(), 2);
    // Deleting by name uses the same transaction: it nests inside.
    LyDeleteObjectsByName("NoSuchObject*", nullptr, nullptr);
    EXPECT_EQ(entity.AllModelsTransactionCount(), opened + 1);
    LyEndChangeAllModels();
    LyEndChangeAllModels();
    EXPECT_EQ(entity.AllModelsTransactionDepth(), 0);

    struct Case {
        void (*begin)();
        void (*end)();
        int (*depth)();
    } cases[] = {
        {&LyModelTransactionBegin, &LyModelTransactionEnd,
         [] { return velora::MainEntity::Instance().ModelTransactionDepth(); }},
        {&LyMergeTransactionBegin, &LyMergeTransactionEnd, [] { return velora::MainEntity::Instance().MergeDepth(); }},
        {&LyPreventUIUpdateBegin, &LyPreventUIUpdateEnd, [] { return LyPreventUIUpdateIsOn() ? 1 : 0; }},
    };
    for (const Case& c : cases) {
        c.begin();
        c.begin();
        EXPECT_EQ(c.depth() > 0, true);
        c.end();
        EXPECT_EQ(c.depth() > 0, true);  // still inside the outer one
        c.end();
        EXPECT_EQ(c.depth(), 0);
        c.end();  // unmatched: ignored
        EXPECT_EQ(c.depth(), 0);
    }
}
