#ifndef LYSDK_SCENE_KEY_FLAGS_H
#define LYSDK_SCENE_KEY_FLAGS_H

// Internal: the SDK's interpolation, tangent and weight enumerations against
// the host key's flags word (velora/key_flags.h). The numbers of the
// interface's tables are pinned here, so that neither side can drift.

#include <cstdint>

#include <velora/key_flags.h>

#include "lysdk/lyfcurve.h"

LYSDK_BEGIN_NAMESPACE

static_assert(velora::kKeyConstant == 0x02 && velora::kKeyLinear == 0x04 && velora::kKeyCubic == 0x08 &&
                  velora::kKeyCustom == 0x01,
              "interpolation bits");
static_assert(velora::kTangentAuto == 0x0100 && velora::kTangentTCB == 0x0200 && velora::kTangentUser == 0x0400 &&
                  velora::kTangentBreak == 0x0800 && velora::kTangentClamp == 0x1000 &&
                  velora::kTangentTimeIndependent == 0x2000 && velora::kTangentClampProgressive == 0x6000,
              "tangent bits");
static_assert(velora::kWeightRight == 0x1000000 && velora::kWeightNextLeft == 0x2000000 &&
                  velora::kWeightMask == 0x3000000,
              "weight bits");
static_assert(velora::kConstantNext == 0x100 && velora::kCustomTangent0 == 0x100 &&
                  velora::kCustomTangent1 == 0x200 && velora::kCustomTangent2 == 0x400,
              "constant and custom bits");
static_assert(LyFCurveKey::Record{}.flags == (velora::kKeyCubic | velora::kTangentAuto),
              "a free-standing key starts cubic and auto");

/// Interpolation to host bits (a value outside the enumeration: cubic).
std::uint32_t __LyInterpolationToHost(int interpolation);
LyInterpolation __LyInterpolationFromHost(std::uint32_t flags);
/// Tangent flags of a cubic key; `insert` gives KeyInsert's flags (no auto
/// bit for time-independent and clamp-progressive).
std::uint32_t __LyTangentToHost(int mode, bool insert = false);
LyTangentMode __LyTangentFromHost(std::uint32_t flags);
std::uint32_t __LyWeightModeToHost(int mode);

LYSDK_END_NAMESPACE

#endif  // LYSDK_SCENE_KEY_FLAGS_H
