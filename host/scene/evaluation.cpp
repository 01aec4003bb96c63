#include "velora/evaluation.h"

#include <new>

#include "velora/device.h"
#include "velora/object.h"
#include "velora/property.h"

namespace velora {

EvaluationRecord::~EvaluationRecord() = default;

EvaluationManager::EvaluationManager() : register_(this) {}

EvaluationManager& EvaluationManager::Instance() {
    // Never destroyed: an evaluation thread may still raise during exit.
    alignas(EvaluationManager) static unsigned char storage[sizeof(EvaluationManager)];
    static EvaluationManager* instance = new (storage) EvaluationManager();
    return *instance;
}

int EvaluationManager::Count(int timing) const {
    return timing >= 0 && timing < kTimingCount ? timings_[timing].Count() : 0;
}

int EvaluationManager::Raise(int timing, void* context) {
    if (timing < 0 || timing >= kTimingCount) return 0;
    EventSource& source = timings_[timing];
    if (source.Empty()) return 0;
    EvaluationRecord record;
    record.type = timing;
    record.timing = timing;
    record.context = context;
    return source.Raise(record);
}

DeviceManager& EvaluationManager::Devices() { return DeviceManager::Instance(); }

Object* EvaluationManager::HostObject() {
    if (!object_) {
        // Made on first use and kept for the process, like the manager.
        object_ = Object::Create("EvaluateManager", kClassManager);
        object_->SetObjectFlags(kObjectSystem);
        parallel_ = object_->CreateProperty("ParallelScheduleType", kDataInteger);
        interactive_ = object_->CreateProperty("InteractiveMode", kDataBool);
        const int parallel = kScheduleParallel;
        parallel_->SetRaw(&parallel);
    }
    return object_;
}

bool EvaluationManager::IsParallel() {
    HostObject();
    int value = 0;
    return parallel_->GetRaw(&value) && value == kScheduleParallel;
}

void EvaluationManager::SetParallel(bool on) {
    HostObject();
    const int value = on ? kScheduleParallel : kScheduleSerial;
    parallel_->SetRaw(&value);
}

bool EvaluationManager::IsInteractiveMode() {
    HostObject();
    bool on = false;
    return interactive_->GetRaw(&on) && on;
}

void EvaluationManager::SetInteractiveMode(bool on) {
    HostObject();
    interactive_->SetRaw(&on);
}

lyiface::IObject* EvaluationManager::Register::IQuery(std::uint32_t id, int) {
    return id == lyiface::kIdSelf ? this : nullptr;
}

void EvaluationManager::Register::AddHandler(lyiface::ICallback* target, lyiface::ICallback::Handler handler,
                                             int type, int) {
    if (type < 0 || type >= kTimingCount) return;
    // Each timing's list holds only its own timing; sub-types are not used.
    owner_->timings_[type].AddHandler(target, handler, type, 0);
}

bool EvaluationManager::Register::RemoveHandler(lyiface::ICallback* target,
                                                lyiface::ICallback::Handler handler, int type, int) {
    if (type < 0 || type >= kTimingCount) return false;
    return owner_->timings_[type].RemoveHandler(target, handler, type, 0);
}

}  // namespace velora
