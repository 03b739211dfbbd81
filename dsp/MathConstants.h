// The circle constants of the DSP code and the layers above it, all from the standard library's pi.
#pragma once

#include <numbers>

namespace VDSP {

// Single precision, for the per-sample and per-block code.
inline constexpr float kPi = std::numbers::pi_v<float>;
inline constexpr float kTwoPi = 2.0f * kPi;  // 6.2831855
inline constexpr float kInversePi = std::numbers::inv_pi_v<float>;

// Double precision, for designs, tables and the editor's response plots.
inline constexpr double kPiDouble = std::numbers::pi;
inline constexpr double kTwoPiDouble = 2.0 * kPiDouble;
inline constexpr double kHalfPiDouble = 0.5 * kPiDouble;

}  // namespace VDSP
