#ifndef VELORA_EVALUATION_H
#define VELORA_EVALUATION_H

// The evaluation manager: global functions called at fixed points
// ("timings") of every evaluation of the scene and of every redraw.
//
// Timings, in the order one frame passes them:
//   0 kTimingEvaluationBegin   a scene evaluation starts
//   1 kTimingDevicesEvaluated  devices have written their animation nodes
//   2 kTimingSceneEvaluated    models and constraints are evaluated
//   3 kTimingSynchronisation   evaluation and rendering meet (the one point
//                              where both sides' data may be exchanged)
//   4 kTimingRenderBegin       a redraw starts
//   5 kTimingRenderEnd         a redraw is done
//   6 kTimingDeformationDone   deformations of the evaluated frame are done
//   7 kTimingEvaluationEnd     the evaluation of the frame is done
//
// GlobalFunctions() is the registration side: AddHandler with the timing as
// the event type (the sub-type is not used; pass 0). Raise(timing) calls the
// functions registered for that timing in registration order, on the
// calling thread, with an EvaluationRecord (type = timing). Evaluation
// timings are raised by the host's evaluation threads, so handlers must be
// safe on any thread; registrations are made on the main thread while no
// evaluation runs: the manager takes no lock.

#include <lyiface/object.h>

#include "velora/event_source.h"
#include "velora/export.h"

namespace velora {

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
};

}  // namespace velora

#endif  // VELORA_EVALUATION_H
