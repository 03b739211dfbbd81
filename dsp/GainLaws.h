// The gain laws of the controls: a filter slot's pre and post gain, the drive and the output gain,
// each with its inverse for values typed as gains.
#pragma once

#include "dsp/Exp2.h"

namespace VDSP {

// --- Forward laws: normalised control to linear gain (audio thread, once per block) -------------

// Stage gain FastExp2(10 c - 6): 10 octaves of travel, 0 is true silence, 0.6 is 0.98363 (unity
// just above it), 1 is 15.98363 (+24 dB). // any thread
inline float StageGain(float control) {
  return FastExp2(control * 10.0f - 6.0f);
}

// 5.812921 = 10^(50 / 60) - 1: (1 + 5.812921 a^2)^3 reaches +50 dB at full amount.
inline constexpr float kDriveSquareScale = 5.812921f;

// Drive gain (1 + 5.812921 a^2)^3: 1 at 0, 316.23 (+50 dB) at 1. // any thread
inline float DriveGain(float amount) {
  const float root = 1.0f + kDriveSquareScale * amount * amount;
  return root * root * root;
}

// Output gain 2 c^3: unity at 0.7937005 (2^(-1/3)), 2 (+6.02 dB) at 1. // any thread
inline float OutputGain(float control) {
  return 2.0f * control * control * control;
}

// --- Inverses: linear gain to normalised control, in double precision (UI thread) ---------------

// The stage control whose gain is `gain` (> 0; up to 15.98 within the control's range).
// // any thread
float StageControlForGain(double gain);
// The drive amount whose gain is `gain` (at least 1). // any thread
float DriveAmountForGain(double gain);
// The output control whose gain is `gain` (at least 0). // any thread
float OutputControlForGain(double gain);

}  // namespace VDSP
