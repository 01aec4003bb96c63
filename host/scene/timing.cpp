#include "velora/timing.h"

#include <chrono>

#include "velora/animation.h"

namespace velora {

namespace {

constexpr long long kTicksPerSecond = 141120000;

long long SteadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

TimingManager& TimingManager::Instance() {
    // Never destroyed: device threads may read the clocks while the process
    // exits.
    static auto* manager = new TimingManager;
    return *manager;
}

TimingManager::TimingManager() : start_(SteadyNanoseconds()) {}

long long TimingManager::SystemTime() const {
    const long long ns = SteadyNanoseconds() - start_;
    // Whole seconds and the rest apart, so the product cannot overflow.
    return ns / 1000000000 * kTicksPerSecond + ns % 1000000000 * kTicksPerSecond / 1000000000;
}

long long TimingManager::LocalTime() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return local_;
}

void TimingManager::SetLocalTime(long long ticks) {
    std::lock_guard<std::mutex> lock(mutex_);
    local_ = ticks;
    // Evaluation for display reads the same time: one "now" for keying,
    // evaluation and the transport.
    EvaluationContext& display = GlobalDisplayContext();
    display.time = ticks;
    display.evaluationId = NextEvaluationId();
}

int TimingManager::AddReference(const char* name) {
    std::lock_guard<std::mutex> lock(mutex_);
    references_.push_back(std::make_unique<Reference>(Reference{nextId_, name ? name : "", 0}));
    return nextId_++;
}

bool TimingManager::RemoveReference(int id) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = references_.begin(); it != references_.end(); ++it) {
        if ((*it)->id != id) continue;
        references_.erase(it);
        if (current_ == id) current_ = 0;
        return true;
    }
    return false;
}

int TimingManager::ReferenceCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(references_.size());
}

int TimingManager::ReferenceIdAt(int i) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return i >= 0 && i < static_cast<int>(references_.size()) ? references_[i]->id : 0;
}

const char* TimingManager::ReferenceNameAt(int i) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return i >= 0 && i < static_cast<int>(references_.size()) ? references_[i]->name.c_str()
                                                               : nullptr;
}

const TimingManager::Reference* TimingManager::Find(int id) const {
    for (const auto& r : references_)
        if (r->id == id) return r.get();
    return nullptr;
}

long long TimingManager::ReferenceTime(int id, long long systemTime) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const Reference* r = Find(id);
    return r ? systemTime + r->offset : systemTime;
}

bool TimingManager::SetReferenceTime(int id, long long referenceTime, long long systemTime) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto* r = const_cast<Reference*>(Find(id));
    if (!r) return false;
    r->offset = referenceTime - systemTime;
    return true;
}

int TimingManager::CurrentReference() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return current_;
}

bool TimingManager::SetCurrentReference(int id) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (id != 0 && !Find(id)) return false;
    current_ = id;
    return true;
}

bool TimingManager::RelativeLocalTime() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return relative_;
}

void TimingManager::SetRelativeLocalTime(bool relative) {
    std::lock_guard<std::mutex> lock(mutex_);
    relative_ = relative;
}

}  // namespace velora
