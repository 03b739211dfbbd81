// Circuit model of a stereo feedback compressor: a diode detector charges a capacitor whose
// voltage sets both the detector's own gain and the output gain; also drives the gain-reduction
// meter.
#pragma once

#include <atomic>
#include <cstdint>

#include "dsp/CompressorRatioTables.h"

namespace VDSP {

// The detector circuit of the "CompMode" switch.
enum class CompressorMode : uint8_t {
  kSoft = 0,  // R1 27 kohm, R2 270 kohm, ratio 4
  kHard = 1,  // R1 820 ohm, R2 1.2 Mohm, ratio 10
};

class Compressor {
 public:
  Compressor();

  // Processing rate in Hz; keeps the state. // UI thread
  void SetSampleRate(float rateHz);
  // Corner of the detector's input high-pass in Hz; recomputed only when it changes. // UI thread
  void SetHighPass(float hz);
  // Share of the output gain that is applied: 1 full compression, 0 none. // UI thread
  void SetWetFraction(float wetFraction);
  // Level setting; raises the output gain at rest, 10^(8.2 * (40 * level - 10) / 164).
  // // audio thread
  void SetLevel(float level);

  // Per-block settings, as the engine makes them: the mode's R1, R2 and ratio (the setters below).
  // // audio thread
  void SetCircuit(CompressorMode mode);
  // The "Comp" amount a, 0..1, as threshold (1 - a) * 0.88 + 0.12 and level a * 0.5 + 0.3: more
  // compression lowers the threshold and raises the make-up level. // audio thread
  void SetAmount(float amount);

  // The charging resistance R1 sets the attack (R1 * 0.47 uF), the discharge resistance R2 the
  // release (R2 * 0.47 uF). Ohms, at least 1. // audio thread
  void SetChargingResistance(float r1Ohms);
  void SetDischargeResistance(float r2Ohms);
  // 4 ("Soft") or 10 ("Hard"); see RatioTableFor for other values. // audio thread
  void SetRatio(int32_t ratio);
  // Threshold setting th: the detector's gain at rest is 10^(0.39 * (30 - 50 * th) / 7.8).
  // // audio thread
  void SetThreshold(float threshold);

  // Detects on the detector pair and applies the gain to the audio pair, writing the outputs; any
  // of the six buffers may be the same (the engine runs it in place). n < 1 processes nothing.
  // // audio thread
  void Process(const float* detectorLeft, const float* detectorRight, const float* audioLeft,
               const float* audioRight, float* outLeft, float* outRight, int32_t n);

  // Clears the capacitor, the control states, the high-pass and the meter, keeping the settings.
  // // audio thread
  void Reset();

  // Smoothed gain reduction for the editor's meter: 1 no reduction, down to 0. // any thread
  float MeterOutput() const { return meterOutput_.load(std::memory_order_relaxed); }

  float CapacitorVolts() const { return capacitorVolts_; }  // audio thread
  float OutputControl() const { return outputControl_; }    // audio thread
  float ChargingResistance() const { return r1Ohms_; }      // audio thread
  float DischargeResistance() const { return r2Ohms_; }     // audio thread
  int32_t Ratio() const { return ratio_; }                  // audio thread
  float Threshold() const { return threshold_; }            // audio thread
  float Level() const { return level_; }                    // audio thread
  float WetFraction() const { return wetFraction_; }        // audio thread
  float HighPassCoeff() const { return highPassCoeff_; }    // audio thread

  struct Currents {
    float left;
    float right;
  };
  // Currents in amperes, each >= 0, through two detector diodes driven by voltsLeft and voltsRight
  // into one shared resistor: 0.0475 * ln(1 + i / 5.9 nA) + r1Ohms * (iLeft + iRight) = volts for
  // each conducting diode. At most 12 Newton steps. // any thread
  static Currents SolveDiodePair(float voltsLeft, float voltsRight, float r1Ohms);

 private:
  bool StateIsFinite() const;
  void UpdateMeter(float minimumVolts, int32_t n);

  float sampleRateHz_ = 44100.0f;
  float inverseSampleRate_ = 1.0f / 44100.0f;
  float antiDenormal_ = 1e-8f;
  float r1Ohms_ = 8200.0f;
  float r2Ohms_ = 560000.0f;
  float capacitorVolts_ = 0.0f;
  float outputControl_ = 0.0f;
  float outputSmoothingCoeff_ = 0.0f;
  float detectorControl_ = 0.0f;
  float threshold_ = 0.5f;
  int32_t ratio_ = 4;
  const CompressorRatioTable* ratioTable_ = nullptr;
  float meter1_ = 1.0f;
  float meter2_ = 1.0f;
  std::atomic<float> meterOutput_{1.0f};
  float highPassHz_ = 2.34f;
  float highPassCoeff_ = 0.0f;
  float highPassLeft_ = 0.0f;
  float highPassRight_ = 0.0f;
  float wetFraction_ = 1.0f;
  float level_ = 1.0f;
};

}  // namespace VDSP
