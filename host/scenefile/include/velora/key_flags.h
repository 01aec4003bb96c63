#ifndef VELORA_KEY_FLAGS_H
#define VELORA_KEY_FLAGS_H

// The flags word of a curve key: one representation for the host's function
// curves (velora/fcurve.h), the scene-file library's curve keys
// (velora/scene_file.h) and, mirrored and pinned at compile time, the SDK's
// key tables.
//
//   bits 0-3    interpolation, one of: 0x1 custom, 0x2 constant, 0x4 linear,
//               0x8 cubic
//   bits 8-15   the mode byte; what it means depends on the interpolation:
//                 cubic     tangent: 0x0100 auto, 0x0200 TCB, 0x0400 user,
//                           0x0800 break (with user), 0x1000 clamped,
//                           0x2000 time-independent, 0x4000 progressive
//                           (0x6000 together: clamp-progressive)
//                 constant  0x0100: hold the next key's value ("next")
//                 custom    the custom tangent type: 0x0100, 0x0200, 0x0400
//   bits 24-25  weights: 0x1000000 the key's right tangent is weighted,
//               0x2000000 the next key's left tangent is
//   bits 28-29  velocities: 0x10000000 right, 0x20000000 next left
//
// No other bit is ever stored in a key. A file writes the word as four
// numbers: the interpolation, the mode byte (0..255), the weight bits
// (0..3) and the velocity bits (0..3).

#include <cstdint>

namespace velora {

// Interpolation.
constexpr std::uint32_t kKeyCustom = 0x01;
constexpr std::uint32_t kKeyConstant = 0x02;
constexpr std::uint32_t kKeyLinear = 0x04;
constexpr std::uint32_t kKeyCubic = 0x08;
constexpr std::uint32_t kKeyInterpolationMask = 0x0F;

// The mode byte of cubic keys: tangents.
constexpr std::uint32_t kTangentAuto = 0x0100;
constexpr std::uint32_t kTangentTCB = 0x0200;
constexpr std::uint32_t kTangentUser = 0x0400;
constexpr std::uint32_t kTangentBreak = 0x0800;
constexpr std::uint32_t kTangentClamp = 0x1000;
constexpr std::uint32_t kTangentTimeIndependent = 0x2000;
constexpr std::uint32_t kTangentProgressive = 0x4000;
constexpr std::uint32_t kTangentClampProgressive = 0x6000;
constexpr std::uint32_t kTangentMask = 0x7F00;

// The mode byte of constant keys.
constexpr std::uint32_t kConstantNext = 0x0100;

// The mode byte of custom keys: the custom tangent type.
constexpr std::uint32_t kCustomTangent0 = 0x0100;
constexpr std::uint32_t kCustomTangent1 = 0x0200;
constexpr std::uint32_t kCustomTangent2 = 0x0400;

constexpr std::uint32_t kKeyModeMask = 0xFF00;
constexpr int kKeyModeShift = 8;

// Weights and velocities.
constexpr std::uint32_t kWeightRight = 0x1000000;
constexpr std::uint32_t kWeightNextLeft = 0x2000000;
constexpr std::uint32_t kWeightMask = 0x3000000;
constexpr int kWeightShift = 24;
constexpr std::uint32_t kVelocityRight = 0x10000000;
constexpr std::uint32_t kVelocityNextLeft = 0x20000000;
constexpr std::uint32_t kVelocityMask = 0x30000000;
constexpr int kVelocityShift = 28;

/// Every bit a key may hold.
constexpr std::uint32_t kKeyFlagsMask =
    kKeyInterpolationMask | kKeyModeMask | kWeightMask | kVelocityMask;

/// The four numbers a file stores, and back.
constexpr std::uint32_t KeyInterpolationOf(std::uint32_t flags) { return flags & kKeyInterpolationMask; }
constexpr int KeyModeByte(std::uint32_t flags) { return static_cast<int>((flags & kKeyModeMask) >> kKeyModeShift); }
constexpr int KeyWeightBits(std::uint32_t flags) { return static_cast<int>((flags & kWeightMask) >> kWeightShift); }
constexpr int KeyVelocityBits(std::uint32_t flags) {
    return static_cast<int>((flags & kVelocityMask) >> kVelocityShift);
}
constexpr std::uint32_t KeyFlagsFrom(std::uint32_t interpolation, int mode, int weights, int velocities) {
    return (interpolation & kKeyInterpolationMask) |
           ((static_cast<std::uint32_t>(mode) << kKeyModeShift) & kKeyModeMask) |
           ((static_cast<std::uint32_t>(weights) << kWeightShift) & kWeightMask) |
           ((static_cast<std::uint32_t>(velocities) << kVelocityShift) & kVelocityMask);
}

}  // namespace velora

#endif  // VELORA_KEY_FLAGS_H
