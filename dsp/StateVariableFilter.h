// "S.V.F" filter type: saturating two/four-pole Chamberlin state-variable filter in ten modes.
#pragma once

#include <cstdint>

#include "dsp/Float4.h"
#include "dsp/SampleRateUser.h"
#include "dsp/ShaperTables.h"
#include "dsp/SineTable.h"

namespace VDSP {

enum class SvfMode : uint32_t {
  kLowPass2 = 0,
  kLowPass4 = 1,
  kHighPass2 = 2,
  kHighPass4 = 3,
  kBandPass2 = 4,
  kBandPass4 = 5,
  kNotch2 = 6,
  kNotch4 = 7,
  kPeak2 = 8,
  kPeak4 = 9,
};
inline constexpr uint32_t kSvfModeCount = 10;

// Integrator coefficient of a Chamberlin stage for the cutoff fn (cycles per sample): 2 sin(pi fn)
// from the sine table, with fn limited to a quarter of the rate (F <= 1.4142) where the topology
// stays stable at every damping. NaN reads the limit.
float SvfCutoffCoefficient(float normalisedFrequency);

// Coefficients of one block: both stages' targets and dampings from F and the resonance.
struct SvfCoefficients {
  float f1;  // stage-1 integrator target, F - q e
  float f2;  // stage-2 integrator target, F - q2 e
  float d1;  // stage-1 damping, q - q e (slightly negative at the highest
             // resonance)
  float d2;  // stage-2 damping, q2 - q2 e (q2 >= 1: stage 2 never resonates)
  float e1Quarter;
  float e2Quarter;
};
// resonance 0.101..1.01 (below 0 counts as 0). q = 2 - 2 sqrt(resonance), q2 = q^2 / 4 + 1,
// e = F^2 / 8: the e terms pre-warp the damping and cutoff of the two-integrator loop.
SvfCoefficients SvfDesign(float cutoffCoefficient, float resonance);

// Both channels run in one four-lane vector (lane 0 left, lane 1 right, lanes 2 and 3 silent).
// Nonlinearities: Tanh33 on the input, the integrator inputs and the output; the DiodeKnee on the
// band-pass state adds damping as the resonance grows past about 1.
class StateVariableFilter : public SampleRateUser {
 public:
  StateVariableFilter();

  // Rates and the 10 Hz DC blocker; the filter state is kept. // UI thread
  void SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) override;

  // cutoff normalised (440 * 2^(12 cutoff - 6) Hz, may lie outside 0..1 under modulation);
  // resonance the slot's mapped 0..1 (clamping is the caller's); mode normalised, index round(9
  // mode) limited to 0..9. A new mode restarts the filter from silence. // audio thread
  void SetParameters(float cutoff, float resonance, float mode);

  // n samples of both channels; in and out may be the same buffers. inverseN is the ramp step
  // factor (1/n, or 1.0 with n = 1 under filter FM). n < 1 processes nothing. // audio thread
  void Process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
               int32_t n, float inverseN);

  // The same computation on any vector type of the Float4 family (tests run the scalar twin).
  // audio thread
  template <class V>
  void ProcessWith(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                   int32_t n, float inverseN);

  // Clears every state, both dampings and both coefficients; parameters and rates are kept.
  // audio thread
  void Reset();

  // Small-signal magnitude of the linear filter (no saturators) in dB, evaluated at displayRateHz;
  // resonance as SetParameters takes it, mode the index 0..9. // any thread
  static float MagnitudeDb(float cutoffNorm, float resonanceNorm, int mode, float frequencyHz,
                           float displayRateHz);

  static constexpr uint32_t kModeCount = kSvfModeCount;
  // round(9 mode), 0 below 0, 9 above 1, 0 for NaN. // any thread
  static uint32_t ModeIndexOf(float mode);

  uint32_t ModeIndex() const { return mode_; }
  float CutoffOctaves() const { return cutoffOctaves_; }
  float Resonance() const { return resonance_; }
  float DcBlockerCoefficient() const { return v_.dcCoefficient[0]; }
  float CurrentF1() const { return v_.f1[0]; }
  float CurrentF2() const { return v_.f2[0]; }
  float Damping1() const { return v_.d1[0]; }
  float Damping2() const { return v_.d2[0]; }

 private:
  // One block of four-lane vectors, in the order the loop state is kept.
  struct alignas(16) Vectors {
    float f1[4];
    float f2[4];
    float lp1[4];
    float bp1[4];
    float hp1[4];
    float d1[4];
    float lp2[4];
    float bp2[4];
    float hp2[4];
    float d2[4];
    float tap1[4];
    float tap2[4];
    float dc[4];
    float dcCoefficient[4];
    float tableScale[4];
    float tapWeight[4];
  };

  template <class V, uint32_t kMode>
  void RunBlock(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                int32_t n, V df1, V df2);
  template <class V>
  void Sanitise();
  void ClearState();

  // Parameters
  uint32_t mode_ = 0;
  float cutoffOctaves_ = 0.0f;
  float resonance_ = 0.0f;
  // Coefficients and state
  Vectors v_;
  // Tables
  const ShaperTables& shapers_;
  const SineTable& sine_;
};

}  // namespace VDSP
