// Coefficient design of the linear single-lane state-variable filter.
#include "dsp/VFilterSVFCommon.h"

#include <cmath>

#include "dsp/OnePole.h"
#include "dsp/StateVariableFilter.h"

namespace VDSP {
namespace {
// Lowest cutoff of the control law in Hz.
constexpr float kLowestHz = 30.0f;
}  // namespace

void VFilterSVFCommon::Reset() {
  f1_ = f1Increment_ = e1Quarter_ = 0.0f;
  f2_ = f2Increment_ = e2Quarter_ = 0.0f;
  stage1_ = Stage{1e-10f, 0.0f, 0.0f, 1.0f};
  stage2_ = Stage{1e-10f, 0.0f, 0.0f, 1.0f};
}

void VFilterSVFCommon::SetRate(float rateHz, int32_t factor) {
  rateHz_ = rateHz;
  inverseRate_ = 1.0f / (rateHz * static_cast<float>(factor));
}

void VFilterSVFCommon::SetOnePoleCoefficient(float v) {
  // The limit keeps Exp2Poly inside the float exponent range (and turns NaN into 0).
  const float limited = std::fmin(std::fmax(v, 0.0f), 10.0f);
  f1_ = FastOnePoleCoefficient(limited);
}

void VFilterSVFCommon::Design(float v, float r, float step) {
  const float hz = v * v * v * v * (rateHz_ / 2.0f - kLowestHz) + kLowestHz;
  const SvfCoefficients c = SvfDesign(SvfCutoffCoefficient(hz / rateHz_), r);
  stage1_.damping = c.d1;
  stage2_.damping = c.d2;
  e1Quarter_ = c.e1Quarter;
  e2Quarter_ = c.e2Quarter;
  f1Increment_ = (c.f1 - f1_) * step;
  f2Increment_ = (c.f2 - f2_) * step;
}

}  // namespace VDSP
