// LyEvaluateManager, LyFileMonitoringManager and the transaction brackets.

#include "lysdk/lyevaluatemanager.h"

#include <memory>
#include <vector>

#include <velora/entity.h>
#include <velora/evaluation.h>
#include <velora/file_monitor.h>
#include <velora/object.h>
#include <velora/property.h>

#include "core/host_access.h"

LYSDK_BEGIN_NAMESPACE

LYSDK_CLASS_IMPLEMENT(LyEvaluateManager, velora::kClassManager)
LYSDK_CLASS_IMPLEMENT(LyFileMonitoringManager, velora::kClassManager)

namespace {

// The host calls objects with member handlers; a plain function gets one
// such object per registration.
class GlobalFunction final : public ICallback {
public:
    GlobalFunction(LyEvaluationGlobalFunction function, int timing) : function(function), timing(timing) {}
    IObject* IQuery(std::uint32_t id, int) override { return id == lyiface::kIdSelf ? this : nullptr; }
    void Destroy(int) override {}
    void Call(IRegister*, EventRecord* record) {
        auto* evaluation = dynamic_cast<velora::EvaluationRecord*>(record);
        function(reinterpret_cast<LyEvaluateInfo*>(evaluation ? evaluation->context : nullptr));
    }
    LyEvaluationGlobalFunction function;
    int timing;
};

ICallback::Handler CallHandler() { return static_cast<ICallback::Handler>(&GlobalFunction::Call); }

// Registrations are made on the main thread; the list is only read there.
std::vector<std::unique_ptr<GlobalFunction>>& Registrations() {
    static auto* list = new std::vector<std::unique_ptr<GlobalFunction>>;
    return *list;
}

velora::Property* Host(velora::Object* object, const char* name) {
    return object ? object->FindProperty(name) : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// LyEvaluateManager

LyEvaluateManager& LyEvaluateManager::TheOne() {
    static LyEvaluateManager manager;  // thread-safe first construction
    return manager;
}

LyEvaluateManager::LyEvaluateManager()
    : LyComponent(velora::EvaluationManager::Instance().HostObject()) {
    velora::Object* host = velora::EvaluationManager::Instance().HostObject();
    if (velora::Property* p = Host(host, "ParallelScheduleType")) ParallelScheduleType.SetInternal(p);
    ParallelScheduleType.Init(this, "ParallelScheduleType");
    PropertyAdd(&ParallelScheduleType);
    if (velora::Property* p = Host(host, "InteractiveMode")) InteractiveMode.SetInternal(p);
    InteractiveMode.Init(this, "InteractiveMode");
    PropertyAdd(&InteractiveMode);
}

bool LyEvaluateManager::RegisterEvaluationGlobalFunction(LyEvaluationGlobalFunction function,
                                                         LyGlobalEvalCallbackTiming timing) {
    if (!function || timing < 0 || timing >= velora::kTimingCount) return false;
    Registrations().push_back(std::make_unique<GlobalFunction>(function, timing));
    velora::EvaluationManager::Instance().GlobalFunctions().AddHandler(Registrations().back().get(), CallHandler(),
                                                                      timing, 0);
    return true;
}

bool LyEvaluateManager::UnregisterEvaluationGlobalFunction(LyEvaluationGlobalFunction function,
                                                           LyGlobalEvalCallbackTiming timing) {
    auto& list = Registrations();
    for (auto it = list.begin(); it != list.end(); ++it) {
        if ((*it)->function != function || (*it)->timing != timing) continue;
        velora::EvaluationManager::Instance().GlobalFunctions().RemoveHandler(it->get(), CallHandler(), timing, 0);
        list.erase(it);
        return true;
    }
    return false;
}

void LyEvaluateManager::InvalidateDAG() { velora::EvaluationManager::Instance().InvalidateDAG(); }

bool LyEvaluateManager::IsInteractiveMode() const {
    return velora::EvaluationManager::Instance().IsInteractiveMode();
}

// ---------------------------------------------------------------------------
// LyFileMonitoringManager

LyFileMonitoringManager& LyFileMonitoringManager::TheOne() {
    static LyFileMonitoringManager manager;
    return manager;
}

LyFileMonitoringManager::LyFileMonitoringManager()
    : LyComponent(velora::FileMonitor::Instance().HostObject()) {
    IRegister* source = &velora::FileMonitor::Instance().Events();
    OnFileChangeMainScene.Init(this, source, "OnFileChangeMainScene", velora::kEventFileChange, 1);
    OnFileChangeAnimationClip.Init(this, source, "OnFileChangeAnimationClip", velora::kEventFileChange, 2);
    OnFileChangeFileReference.Init(this, source, "OnFileChangeFileReference", velora::kEventFileChange, 3);
    OnFileChangePythonEditorScript.Init(this, source, "OnFileChangePythonEditorScript",
                                        velora::kEventFileChange, 4);
    for (LyPropertyEvent* event : {&OnFileChangeMainScene, &OnFileChangeAnimationClip, &OnFileChangeFileReference,
                                   &OnFileChangePythonEditorScript})
        PropertyAdd(event);
}

void LyFileMonitoringManager::AddFileToMonitor(const LyString& path, unsigned int type) {
    const char* text = path;
    if (text) velora::FileMonitor::Instance().AddFile(text, type);
}

void LyFileMonitoringManager::RemoveFileFromMonitor(const LyString& path) {
    const char* text = path;
    if (text) velora::FileMonitor::Instance().RemoveFile(text);
}

void LyFileMonitoringManager::PauseFileMonitoring(bool pause) { velora::FileMonitor::Instance().Pause(pause); }

void LyFileMonitoringManager::CleanFileMonitoring(bool removeAll) {
    velora::FileMonitor::Instance().Clean(removeAll);
}

// ---------------------------------------------------------------------------
// Transactions: straight to the host, which nests them.

void LyBeginChangeAllModels() { velora::MainEntity::Instance().BeginAllModelsTransaction(0); }
void LyEndChangeAllModels() { velora::MainEntity::Instance().EndAllModelsTransaction(); }
void LyModelTransactionBegin() { velora::MainEntity::Instance().BeginModelTransaction(); }
void LyModelTransactionEnd() { velora::MainEntity::Instance().EndModelTransaction(); }
void LyMergeTransactionBegin() { velora::MainEntity::Instance().BeginMerge(); }
void LyMergeTransactionEnd() { velora::MainEntity::Instance().EndMerge(); }
void LyPreventUIUpdateBegin() { velora::MainEntity::Instance().BeginPreventUIUpdate(); }
void LyPreventUIUpdateEnd() { velora::MainEntity::Instance().EndPreventUIUpdate(); }
bool LyPreventUIUpdateIsOn() { return velora::MainEntity::Instance().IsUIUpdatePrevented(); }

LYSDK_END_NAMESPACE
