#ifndef LYSDK_LYEVALUATEINFO_H
#define LYSDK_LYEVALUATEINFO_H

// LyEvaluateInfo: the host's record of one evaluation, as the host hands it
// to evaluation callbacks (boxes, devices, constraints, pipeline functions).
// Extensions never make one; they pass on the pointer they were given (or
// null, which stands for the global display evaluation) and may read it.

#include "lysdk/lytime.h"

LYSDK_BEGIN_NAMESPACE

class LYSDK_API LyEvaluateInfo {
public:
    LyEvaluateInfo() = delete;
    LyEvaluateInfo(const LyEvaluateInfo&) = delete;
    LyEvaluateInfo& operator=(const LyEvaluateInfo&) = delete;

    /// The local time the evaluation reads.
    LyTime GetLocalTime() const;
    /// The evaluation's id: every evaluation has its own, so two calls
    /// with the same id belong to the same evaluation.
    unsigned int GetEvaluationId() const;
    /// Whether it is a background evaluation (not the displayed one).
    bool IsBackground() const;
};

LYSDK_END_NAMESPACE

#endif  // LYSDK_LYEVALUATEINFO_H
