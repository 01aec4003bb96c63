#ifndef VELORA_EVALUATION_H
#define VELORA_EVALUATION_H

// The evaluation manager: global functions called at fixed points
// ("timings") of every frame, and the switches of the evaluation.
//
// The cycle of one frame (SceneEvaluator::EvaluateFrame), in this order:
//   0 kTimingEvaluationBegin   a scene evaluation starts (a new evaluation id)
//      devices write their animation nodes
//   1 kTimingDevicesEvaluated  devices have written their animation nodes
//      models' animated properties are read from their curves, relations
//      evaluate their boxes, transforms are brought up to date
//   2 kTimingSceneEvaluated    models and constraints are evaluated
//      deformable models follow their links
//   6 kTimingDeformationDone   deformations of the evaluated frame are done
//   7 kTimingEvaluationEnd     the evaluation of the frame is done
//   3 kTimingSynchronisation   evaluation and rendering meet: the one point
//                              where both sides' data may be exchanged
//   4 kTimingRenderBegin       a redraw starts
//   5 kTimingRenderEnd         a redraw is done
// An evaluation without a redraw (a background evaluation) passes 0, 1, 2,
// 6 and 7 only. The host has no display: it still runs the render stages,
// with nothing drawn, once per frame, so that every timing is heard.
//
// GlobalFunctions() is the registration side: AddHandler with the timing as
// the event type (the sub-type is not used; pass 0). Raise(timing) calls the
// functions registered for that timing in registration order, on the
// calling thread, with an EvaluationRecord (type = timing). Timings are
// raised on the thread that runs the frame, between the parallel stages, so
// a handler never runs beside evaluation threads; registrations are made on
// the main thread while no evaluation runs: the manager takes no lock.
//
// Switches, kept as properties of the manager's host object (HostObject(),
// class "Manager", named "EvaluateManager") so that extensions read and
// write them like any property:
//   "ParallelScheduleType"  0: evaluate on the calling thread alone;
//                           1 (the default): independent parts of the
//                           graph (model hierarchies, groups of connected
//                           boxes) on the host's evaluation threads
//   "InteractiveMode"       true while the user drives the scene by hand
// InvalidateDAG marks the evaluation graph invalid: the next evaluation
// rebuilds its schedules from scratch.

#include <lyiface/object.h>

#include "velora/event_source.h"
#include "velora/export.h"

namespace velora {

class Object;
class Property;
class DeviceManager;

/// Values of "ParallelScheduleType".
enum ParallelSchedule : int {
    kScheduleSerial = 0,
    kScheduleParallel = 1,
};

enum EvaluationTiming : int {
    kTimingEvaluationBegin = 0,
    kTimingDevicesEvaluated = 1,
    kTimingSceneEvaluated = 2,
    kTimingSynchronisation = 3,
    kTimingRenderBegin = 4,
    kTimingRenderEnd = 5,
    kTimingDeformationDone = 6,
    kTimingEvaluationEnd = 7,
};
constexpr int kTimingCount = 8;

/// The record of a timing: which one, and the evaluation context it belongs
/// to (opaque here; null means the global display evaluation).
struct VELORA_API EvaluationRecord : lyiface::EventRecord {
    int timing = 0;
    void* context = nullptr;
    ~EvaluationRecord() override;
};

class VELORA_API EvaluationManager {
public:
    static EvaluationManager& Instance();
    EvaluationManager(const EvaluationManager&) = delete;
    EvaluationManager& operator=(const EvaluationManager&) = delete;

    /// Registration of global functions; the event type is the timing.
    /// Timings outside 0..7 are ignored.
    lyiface::IRegister& GlobalFunctions() { return register_; }
    /// Live registrations at `timing` (0 outside 0..7).
    int Count(int timing) const;
    /// Calls the functions of `timing`; returns how many ran (0 for a timing
    /// outside 0..7).
    int Raise(int timing, void* context = nullptr);

    /// The manager's host object, with the switch properties.
    Object* HostObject();
    /// Every device, its commands, cycle and recording (velora/device.h).
    DeviceManager& Devices();
    /// "ParallelScheduleType" is kScheduleParallel.
    bool IsParallel();
    void SetParallel(bool on);
    bool IsInteractiveMode();
    void SetInteractiveMode(bool on);
    /// Device evaluation pauses while connectors are set up or removed
    /// (pairs of calls may nest); devices are not evaluated while paused.
    void PauseDeviceEvaluation() { ++devicePauses_; }
    void ReleaseDeviceEvaluation() {
        if (devicePauses_ > 0) --devicePauses_;
    }
    bool IsDeviceEvaluationPaused() const { return devicePauses_ > 0; }
    /// Marks the evaluation graph invalid (see the top of this file).
    void InvalidateDAG() { dagInvalid_ = true; }
    bool IsDAGInvalid() const { return dagInvalid_; }
    /// Takes the invalid mark (the evaluation that rebuilds calls it).
    bool TakeDAGInvalid() {
        const bool was = dagInvalid_;
        dagInvalid_ = false;
        return was;
    }

private:
    EvaluationManager();
    ~EvaluationManager() = default;

    // Routes each registration to the list of its timing, so that a raise
    // walks only its own timing's functions.
    class Register final : public lyiface::IRegister {
    public:
        explicit Register(EvaluationManager* owner) : owner_(owner) {}
        lyiface::IObject* IQuery(std::uint32_t id, int arg = 0) override;
        void Destroy(int) override {}
        void AddHandler(lyiface::ICallback* target, lyiface::ICallback::Handler handler, int type,
                        int subType = 0) override;
        bool RemoveHandler(lyiface::ICallback* target, lyiface::ICallback::Handler handler, int type,
                           int subType = 0) override;

    private:
        EvaluationManager* owner_;
    };

    Register register_;
    EventSource timings_[kTimingCount];
    Object* object_ = nullptr;
    Property* parallel_ = nullptr;
    Property* interactive_ = nullptr;
    bool dagInvalid_ = false;
    int devicePauses_ = 0;
};

}  // namespace velora

#endif  // VELORA_EVALUATION_H
