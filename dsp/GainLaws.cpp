// Inverses of the control gain laws.
#include "dsp/GainLaws.h"

#include <cmath>

namespace VDSP {
namespace {

// 1 / 5.812921: undoes the a^2 factor of the drive law.
constexpr double kDriveInverseScale = 0.17203055;

}  // namespace

float StageControlForGain(double gain) {
  return static_cast<float>((std::log2(gain + kFastExp2Floor) + 6.0) / 10.0);
}

float DriveAmountForGain(double gain) {
  return static_cast<float>(std::sqrt((std::cbrt(gain) - 1.0) * kDriveInverseScale));
}

float OutputControlForGain(double gain) {
  return static_cast<float>(std::cbrt(gain) / std::cbrt(2.0));
}

}  // namespace VDSP
