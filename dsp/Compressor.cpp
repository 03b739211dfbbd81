// Feedback compressor modelled on its circuit: detector high-pass, detector amplifier with rails,
// two diodes charging a 0.47 uF capacitor through R1, discharge through R2 and a 3.3 Mohm leak.
#include "dsp/Compressor.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "dsp/Exp2.h"
#include "dsp/Float4.h"
#include "dsp/MathConstants.h"
#include "dsp/OnePole.h"

namespace VDSP {
namespace {

constexpr float kLog2Of10 = 3.321928095f;
constexpr float kInverseCapacitance = 2127659.5f;  // 1 / 0.47 uF
constexpr float kLeakConductance = 3.030303e-7f;   // 1 / 3.3 Mohm beside R2
// The detector's gain element: 7.8 * 0.05 decades per volt of control (as octaves, for 2^x).
constexpr float kDetectorGainOctaves = -7.8f * 0.05f * kLog2Of10;
constexpr float kDetectorInputScale = 0.8640001f;
// The output gain element: 8.2 decades per volt of its control state.
constexpr float kOutputGainOctaves = -8.2f * kLog2Of10;
constexpr float kOutputControlPerVolt = -0.0455166f;
constexpr float kOutputSmoothingRadians = kTwoPi * 3300.0f;
constexpr float kMeterSmoothingRadians = kTwoPi * 5.0f;
constexpr float kMeterPerVolt = 0.3815f;
// Detector inputs are limited to +-1000 (60 dB above full scale): no real signal gets there, and a
// runaway value then leaves the 2.34 Hz high-pass within about half a second instead of seconds.
constexpr float kDetectorLimit = 1000.0f;

// Diode law of the detector: 0.0475 V per e-fold (twice the thermal voltage, ideality 0.95) and a
// saturation current of 5.9 nA.
constexpr float kDiodeVolts = 0.0475f;
constexpr float kDiodeSaturation = 5.9e-9f;
constexpr float kLogDiodeSaturation = -18.948314f;  // ln(5.9e-9)

// The two detector circuits the mode switch chooses between: the charging resistance R1 sets the
// attack (R1 * 0.47 uF), the discharge resistance R2 the release (R2 * 0.47 uF), and the ratio
// the transfer curve.
struct Circuit {
  float chargeOhms;
  float dischargeOhms;
  int32_t ratio;
};
constexpr Circuit kSoftCircuit = {27000.0f, 270000.0f, 4};
constexpr Circuit kHardCircuit = {820.0f, 1.2e6f, 10};

}  // namespace

Compressor::Compressor() {
  // Builds both ratio tables here, on the set-up thread, before any audio block can need them.
  RatioTableFor(4);
  RatioTableFor(10);
  ratioTable_ = &RatioTableFor(ratio_);
  SetSampleRate(sampleRateHz_);
}

void Compressor::SetSampleRate(float rateHz) {
  if (!(rateHz >= 1.0f) || !std::isfinite(rateHz)) return;
  sampleRateHz_ = rateHz;
  inverseSampleRate_ = 1.0f / rateHz;
  outputSmoothingCoeff_ = OnePoleCoefficient(kOutputSmoothingRadians, rateHz);
  // The high-pass coefficient depends on the rate too; waiting for a changed corner frequency
  // would leave it tuned for the old rate.
  highPassCoeff_ = OnePoleCoefficient(kTwoPi * highPassHz_, rateHz);
}

void Compressor::SetHighPass(float hz) {
  if (!std::isfinite(hz) || hz < 0.0f || hz == highPassHz_) return;
  highPassHz_ = hz;
  highPassCoeff_ = OnePoleCoefficient(kTwoPi * hz, sampleRateHz_);
}

void Compressor::SetWetFraction(float wetFraction) {
  if (std::isfinite(wetFraction)) wetFraction_ = wetFraction;
}

void Compressor::SetLevel(float level) {
  if (std::isfinite(level)) level_ = level;
}

void Compressor::SetChargingResistance(float r1Ohms) {
  if (std::isfinite(r1Ohms)) r1Ohms_ = std::max(r1Ohms, 1.0f);
}

void Compressor::SetDischargeResistance(float r2Ohms) {
  if (std::isfinite(r2Ohms)) r2Ohms_ = std::max(r2Ohms, 1.0f);
}

void Compressor::SetRatio(int32_t ratio) {
  ratio_ = ratio;
  ratioTable_ = &RatioTableFor(ratio);
}

void Compressor::SetThreshold(float threshold) {
  if (std::isfinite(threshold)) threshold_ = threshold;
}

void Compressor::SetCircuit(CompressorMode mode) {
  const Circuit& circuit = mode == CompressorMode::kHard ? kHardCircuit : kSoftCircuit;
  SetChargingResistance(circuit.chargeOhms);
  SetDischargeResistance(circuit.dischargeOhms);
  SetRatio(circuit.ratio);
}

void Compressor::SetAmount(float amount) {
  SetThreshold((1.0f - amount) * 0.88f + 0.12f);
  SetLevel(amount * 0.5f + 0.3f);
}

Compressor::Currents Compressor::SolveDiodePair(float voltsLeft, float voltsRight, float r1Ohms) {
  // Newton's method on both diodes at once with the full Jacobian: both currents flow through the
  // one resistor, and leaving out that coupling makes the iteration swing between two wrong values
  // whenever both diodes conduct (the usual case for a centred signal).
  float left = 1e-12f;
  float right = 1e-12f;
  for (int step = 0; step < 12; ++step) {
    const float shared = r1Ohms * (left + right);
    const float errorLeft =
        kDiodeVolts * (std::log(left + kDiodeSaturation) - kLogDiodeSaturation) + shared -
        voltsLeft;
    const float errorRight =
        kDiodeVolts * (std::log(right + kDiodeSaturation) - kLogDiodeSaturation) + shared -
        voltsRight;
    const float slopeLeft = kDiodeVolts / (left + kDiodeSaturation);
    const float slopeRight = kDiodeVolts / (right + kDiodeSaturation);
    const float determinant = slopeLeft * slopeRight + r1Ohms * (slopeLeft + slopeRight);
    float nextLeft = left - ((slopeRight + r1Ohms) * errorLeft - r1Ohms * errorRight) / determinant;
    float nextRight =
        right - ((slopeLeft + r1Ohms) * errorRight - r1Ohms * errorLeft) / determinant;
    // A reverse-biased diode carries no current; the other one then sees the resistor alone.
    if (nextLeft < 0.0f) {
      nextLeft = 0.0f;
      nextRight = std::max(right - errorRight / (slopeRight + r1Ohms), 0.0f);
    } else if (nextRight < 0.0f) {
      nextRight = 0.0f;
      nextLeft = std::max(left - errorLeft / (slopeLeft + r1Ohms), 0.0f);
    }
    const bool settled = std::fabs(nextLeft - left) <= 0.001f * nextLeft &&
                         std::fabs(nextRight - right) <= 0.001f * nextRight;
    left = nextLeft;
    right = nextRight;
    if (settled) break;
  }
  return {left, right};
}

void Compressor::Process(const float* detectorLeft, const float* detectorRight,
                         const float* audioLeft, const float* audioRight, float* outLeft,
                         float* outRight, int32_t n) {
  if (n < 1) return;
  // The alternating offset keeps the recursive states away from denormals.
  antiDenormal_ = -antiDenormal_;
  float volts = capacitorVolts_ + antiDenormal_;
  float control = outputControl_ + antiDenormal_;
  float detectorControl = detectorControl_ + antiDenormal_;
  float highPassLeft = highPassLeft_ + antiDenormal_;
  float highPassRight = highPassRight_ + antiDenormal_;
  meter1_ += antiDenormal_;
  meter2_ += antiDenormal_;

  const CompressorRatioTable& table = *ratioTable_;
  const float r1 = r1Ohms_;
  const float leak = 1.0f / r2Ohms_ + kLeakConductance;
  const float voltsPerAmpSample = inverseSampleRate_ * kInverseCapacitance;
  const float highPassCoeff = highPassCoeff_;
  const float smoothing = outputSmoothingCoeff_;
  const float restOffset = (40.0f * level_ - 10.0f) * 0.0060975607f;      // s: 1/164
  const float detectorBias = (30.0f - 50.0f * threshold_) * 0.12820512f;  // b: 1/7.8
  const float wet = wetFraction_;
  const float dry = 1.0f - wetFraction_;
  float minimumVolts = FLT_MAX;

  // Both detector channels share one vector (lanes 0 and 1); the two gain elements' exponentials
  // of a sample are taken together at its end (the detector's for the next sample).
  const Float4 highPassCoeffs = Float4::Set1(highPassCoeff);
  const Float4 inputScale = Float4::Set1(kDetectorInputScale);
  const Float4 limit = Float4::Set1(kDetectorLimit);
  Float4 highPass = Float4::Set(highPassLeft, highPassRight, 0.0f, 0.0f);
  float detectorGain = Exp2Precise(kDetectorGainOctaves * detectorControl);
  alignas(16) float lanes[4];
  for (int32_t i = 0; i < n; ++i) {
    // maxps/minps with the input second: NaN passes (the state check after the block resets).
    const Float4 in = Float4::Min(
        limit, Float4::Max(-limit, Float4::Set(detectorLeft[i], detectorRight[i], 0.0f, 0.0f)));
    const Float4 h = in - highPass;
    highPass += highPassCoeffs * h;
    ReadRatioTableStereo(table, -(h * Float4::Set1(detectorGain) * inputScale)).Store(lanes);
    const float ampLeft = lanes[0];
    const float ampRight = lanes[1];
    float current = 0.0f;
    if (!(ampLeft - volts >= 0.0f && ampRight - volts >= 0.0f)) {
      const Currents c = SolveDiodePair(volts - ampLeft, volts - ampRight, r1);
      current = c.left + c.right;
    }
    volts += (-current - volts * leak) * voltsPerAmpSample;
    detectorControl = -volts - detectorBias;
    control += (kOutputControlPerVolt * volts - restOffset - control) * smoothing;
    Exp2Precise(Float4::Set(kDetectorGainOctaves * detectorControl, kOutputGainOctaves * control,
                            0.0f, 0.0f))
        .Store(lanes);
    detectorGain = lanes[0];
    const float gain = lanes[1] * wet + dry;
    outLeft[i] = audioLeft[i] * gain;
    outRight[i] = audioRight[i] * gain;
    minimumVolts = std::min(minimumVolts, volts);
  }
  highPass.Store(lanes);
  highPassLeft = lanes[0];
  highPassRight = lanes[1];

  capacitorVolts_ = volts;
  outputControl_ = control;
  detectorControl_ = detectorControl;
  highPassLeft_ = highPassLeft;
  highPassRight_ = highPassRight;
  UpdateMeter(minimumVolts, n);
  // A non-finite value (NaN reaching the detector) would otherwise stick in the recursions.
  if (!StateIsFinite()) Reset();
}

void Compressor::UpdateMeter(float minimumVolts, int32_t n) {
  const float k =
      OnePoleCoefficientPerBlock(kMeterSmoothingRadians, static_cast<float>(n), inverseSampleRate_);
  const float reading = 1.0f - kMeterPerVolt * -minimumVolts;
  meter1_ += (reading - meter1_) * k;
  meter2_ += (meter1_ - meter2_) * k;
  meterOutput_.store(std::min(std::fabs(meter2_), 1.0f), std::memory_order_relaxed);
}

bool Compressor::StateIsFinite() const {
  return std::isfinite(capacitorVolts_) && std::isfinite(outputControl_) &&
         std::isfinite(detectorControl_) && std::isfinite(highPassLeft_) &&
         std::isfinite(highPassRight_) && std::isfinite(meter1_) && std::isfinite(meter2_);
}

void Compressor::Reset() {
  antiDenormal_ = 1e-8f;
  capacitorVolts_ = 0.0f;
  outputControl_ = 0.0f;
  detectorControl_ = 0.0f;
  highPassLeft_ = 0.0f;
  highPassRight_ = 0.0f;
  meter1_ = 1.0f;
  meter2_ = 1.0f;
  meterOutput_.store(1.0f, std::memory_order_relaxed);
}

}  // namespace VDSP
