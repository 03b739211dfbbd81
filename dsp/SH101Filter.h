// "Japan" filter type: a saturating four-stage ladder with 22 mixes, both channels in four lanes.
#pragma once

#include <cstdint>

#include "dsp/SampleRateUser.h"

namespace VDSP {

class SH101Filter : public SampleRateUser {
 public:
  static constexpr uint32_t kModeCount = 22;

  SH101Filter();

  // Updates the 10 Hz input high-pass and the cutoff ceiling (the full rate without oversampling, a
  // quarter of it with); filter state is kept. // UI thread
  void SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) override;

  // cutoff: normalised, 440 * 2^(12c - 6) Hz; resonance: the slot's mapped 0..1; mode: normalised,
  // index round(21 m). A mode change clears the ladder; cutoff and resonance glide over the next
  // block. // audio thread
  void SetParameters(float cutoff, float resonance, float mode);

  // Both channels; in and out may be the same buffers. n < 1 processes nothing. // audio thread
  void Process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
               int32_t n, float inverseN);

  // The block kernel on a chosen four-lane type: Float4 (what Process runs) or Float4Scalar, its
  // plain-float twin that gives the same bits. // audio thread
  template <class V>
  void ProcessWith(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                   int32_t n, float inverseN);

  // Clears the ladder; restores mode 0, +6 octaves and resonance 0. // audio thread
  void Reset();

  // Small-signal magnitude in dB at frequencyHz for the editor's response plot, evaluated at
  // displayRateHz with the coefficients a block would reach; mode is the index 0..21. // UI thread
  static float MagnitudeDb(float cutoffNorm, float resonanceNorm, int mode, float frequencyHz,
                           float displayRateHz);

  uint32_t Mode() const { return mode_; }

 private:
  struct BlockRamps {
    float gain, gainStep, feedback, feedbackStep;
  };
  BlockRamps BeginBlock(int32_t n, float inverseN);
  void ClearState();

  // Lane 0 left, lane 1 right; lanes 2 and 3 stay 0.
  alignas(16) float y0Prev_[4] = {};
  alignas(16) float y1_[4] = {};
  alignas(16) float y2_[4] = {};
  alignas(16) float y3_[4] = {};
  alignas(16) float y4_[4] = {};
  alignas(16) float s5_[4] = {};
  float feedback_ = 0.0f;    // k
  float cutoffNorm_ = 0.0f;  // f, cutoff / processing rate
  float dcCoeff_ = 0.0f;
  float cutoffCeiling_ = 0.25f;
  uint32_t mode_ = 0;
  float cutoffOctaves_ = 6.0f;
  float resonance_ = 0.0f;
  float weights_[5] = {};
  float antiDenormal_ = 1e-8f;
};

}  // namespace VDSP
