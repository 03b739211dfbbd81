// "Japan" filter type: a saturating four-stage ladder with 22 mixes, both channels in four lanes.
#pragma once

#include <cstdint>

#include "dsp/SampleRateUser.h"

namespace VDSP {

struct ShaperTable;

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

  // The mix index of a normalised mode: round(21 m) limited to 0..21, NaN 0. // any thread
  static uint32_t ModeIndexOf(float mode);

  // Both channels; in and out may be the same buffers. n < 1 processes nothing. // audio thread
  void Process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
               int32_t n, float inverseN);

  // The block kernel on a chosen four-lane type: Float4 (what Process runs) or Float4Scalar, its
  // plain-float twin that gives the same bits. // audio thread
  template <class V>
  void ProcessWith(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                   int32_t n, float inverseN);

  // Filter FM: the cutoff of every sample given (normalised, as SetParameters takes it) and the
  // stage coefficients taken from it per sample; resonance glides over the block as in Process.
  // audio thread
  template <class V>
  void ProcessWithCutoffs(const float* cutoffs, const float* inLeft, const float* inRight,
                          float* outLeft, float* outRight, int32_t n, float inverseN);

  // Per-sample gains between two ladders in series: the first slot's post gain and pan (left and
  // right) and the second slot's pre gain, applied in that order.
  struct SeriesGains {
    const float* post;
    const float* panLeft;
    const float* panRight;
    const float* pre;
  };

  // Two ladders in one pass, the first in lanes 0-1 and the second in lanes 2-3: the same samples,
  // at the cost of one. Parallel: each runs on its own buffers. Series: the second hears the
  // first's output through `between`, one sample behind inside the loop; left/right hold the
  // input and receive the second's output. Results equal two separate Process calls bit for bit.
  // audio thread
  template <class V>
  static void ProcessParallel(SH101Filter& first, SH101Filter& second, float* left, float* right,
                              float* otherLeft, float* otherRight, int32_t n, float inverseN);
  template <class V>
  static void ProcessSeries(SH101Filter& first, SH101Filter& second, float* left, float* right,
                            const SeriesGains& between, int32_t n, float inverseN);

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
    // The feedback amount k itself at the block's start and its step per sample.
    float kStart, kStep;
  };
  BlockRamps BeginBlock(int32_t n, float inverseN);
  void ClearState();
  void RecoverIfNotFinite();

  // The ladder's registers and per-block constants for one pass, lanes as the caller fills them.
  template <class V>
  struct Lanes {
    V y0Prev, y1, y2, y3, y4, s5, gain, k;
  };
  template <class V>
  struct Coefficients {
    V c0, c1, c2, c3, c4, dcCoeff, gainStep, feedbackStep;
  };
  // One sample on every lane; returns the mixed output. A single ladder reads the tables only for
  // lanes 0-1.
  template <class V, bool kAllLanes>
  [[gnu::always_inline]] static inline V Step(Lanes<V>& s, const Coefficients<V>& c,
                                              const ShaperTable& table, V x);
  template <class V>
  struct Pass {
    Lanes<V> lanes;
    Coefficients<V> coefficients;
  };
  // Starts a block on both ladders: `first` in lanes 0-1, `second` in lanes 2-3.
  template <class V>
  static Pass<V> BeginPair(SH101Filter& first, SH101Filter& second, int32_t n, float inverseN);
  template <class V>
  Lanes<V> LoadOwnLanes(float gain, float feedback) const;
  template <class V>
  void StoreOwnLanes(const Lanes<V>& s);
  // Lanes 0-1 back into `low`, 2-3 into `high`.
  template <class V>
  static void StoreLanes(const Lanes<V>& s, SH101Filter& low, SH101Filter& high);

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
