#ifndef VELORA_APP_WORKFLOW_H
#define VELORA_APP_WORKFLOW_H

// What velora does with a scene once it is open: the steps a user of an
// animation host runs (choose a take, play a range, record the live
// devices, plot the constrained models), each driven through the host's
// transport, with the counts the closing summary reports.

#include <string>

namespace velora_app {

struct Workflow {
    /// Every frame as fast as the host evaluates it (batch), or at the
    /// transport's clock (real time).
    bool realTime = false;
    /// Progress lines on standard error (only worth it on a terminal).
    bool progress = false;

    long long framesEvaluated = 0;
    double evaluationSeconds = 0;  ///< wall time spent evaluating frames (waits left out)
    long long sceneTicks = 0;      ///< scene time those frames covered
    long long keysWritten = 0;

    /// Sets the global time mode from "30", "29.97", "29.97df", "24" or any
    /// positive rate (custom); false with a message for anything else.
    bool SetFps(const std::string& mode, std::string* error);
    /// Makes the take named `name` current, creating it when missing.
    void UseTake(const std::string& name);
    /// Plays [start, end] (seconds) of the current take.
    void Play(double start, double end);
    /// Brings every device of the scene online, records `seconds` into a
    /// new take (the current one when it is still empty), and takes the
    /// devices offline. False when the scene has no device.
    bool Record(double seconds);
    /// Plots the models the scene's constraints move onto the current take.
    /// False when there is nothing to plot.
    bool Plot();
    void PrintSummary() const;

private:
    void Evaluated(long long frames, long long ticks, double seconds);
    void Progress(const char* what, long long done, long long total) const;
    bool recorded_ = false;
};

/// Keys on every curve of every take of the scene.
long long SceneKeyCount();

}  // namespace velora_app

#endif  // VELORA_APP_WORKFLOW_H
