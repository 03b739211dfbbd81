// "Japan" filter type: a saturating four-stage ladder with 22 mixes, both channels in four lanes.
#include "dsp/SH101Filter.h"

#include <emmintrin.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <utility>

#include "dsp/Clamp.h"
#include "dsp/Exp2.h"
#include "dsp/Float4.h"
#include "dsp/MathConstants.h"
#include "dsp/OnePole.h"
#include "dsp/ShaperTables.h"

namespace VDSP {

namespace {

constexpr float kMaxResonance = 1.01f;
// Feedback per unit resonance: just past the ladder's self-oscillation point of 4.
constexpr float kFeedbackScale = 4.03f;
constexpr float kMaxFeedback = 32.0f;
// The ladder runs at 48 times the input (1.5 times the 32x table level).
constexpr float kInputGain = 48.0f;
constexpr float kOutputScale = 0.03125f;
// Each stage hears 74 % of its predecessor's new output and 26 % of its previous one, a half-sample
// lead that keeps the discrete loop's phase near the analogue ladder's.
constexpr float kNewWeight = 0.74f;
constexpr float kOldWeight = 0.26f;
// 10 Hz input high-pass.
constexpr float kDcBlockerRadiansPerSecond = kTwoPi * 10.0f;
// See MS20Filter: far beyond any real signal, and it bounds the recovery after garbage input.
constexpr float kInputLimit = 64.0f;

// Mix weights of the input y0 and the stage outputs y1..y4 per mode.
constexpr float kModeWeights[SH101Filter::kModeCount][5] = {
    {0, 0, 1, 0, 0},                  // "2 pole low pass (2L)"
    {0, 0, 0, 0, 1},                  // "4 pole low pass (4L)"
    {0, -1, 1, 0, 0},                 // "2 pole band pass (2B)"
    {0, 0, 2, -4, 2},                 // "4 pole band pass (4B)"
    {1, -2, 1, 0, 0},                 // "2 pole high pass (2H)"
    {1, -4, 6, -4, 1},                // "4 pole high pass (4H)"
    {1, 0, 0, 0, 0},                  // "2 pole peak (2P)"
    {1, -2, 3, -2, 1},                // "1N + 2P"
    {1, -2, 1.25f, 0, 0},             // "2N + 2P (8ve)"
    {0, 0, 4, -8, 5},                 // "2N + 2L (8ve)"
    {0, -2, 6, -6.5f, 2.5f},          // "2N + 1H + 1L (8ve)"
    {0.25f, -0.5f, 1.25f, 0, 0},      // "2P + 2N (8ve)"
    {1, -4, 10, -12, 5},              // "2H + 2N (8ve)"
    {0, -0.5f, 1.5f, -3.5f, 2.5f},    // "1H + 1L + 2N (8ve)"
    {1, -4, 10.25f, -12.5f, 6.25f},   // "2N + 2P + 2N (8ve)"
    {1, -2, 2, 0, 0},                 // "2N"
    {1, -4, 8, -8, 4},                // "4N"
    {0, 0, 1, -2, 2},                 // "2N + 2L"
    {1, -4, 7, -6, 2},                // "2H + 2N"
    {0, -2, 6, -8, 4},                // "1H + 2N + 1L (8ve)"
    {0.25f, -1, 2.75f, -3.5f, 2.5f},  // "2N + 2N (+8ve)"
    {1, -4, 7.25f, -6.5f, 2.5f},      // "2N + 2N (-8ve)"
};

inline float Octaves(float cutoff) {
  return Clamp(12.0f * cutoff - 6.0f, -12.0f, 12.0f);
}

inline float FeedbackTarget(float resonance) {
  return Clamp(kFeedbackScale * resonance, 0.0f, kMaxFeedback);
}

// Per-stage gain for a one-pole coefficient a, fitted so that the ladder with its half-sample input
// blend keeps the cutoff where a continuous ladder has it.
inline float StageGain(float a) {
  return (((0.393442f * a - 0.131474f) * a + 0.111105f) * a + 0.991549f) * a;
}

// Scales the feedback so the resonance onset stays at one setting across the cutoff range.
inline float FeedbackCorrection(float a) {
  return ((-0.0408209f - 0.22f * a) * a - 0.0635353f) * a + 1.00175f;
}

}  // namespace

SH101Filter::SH101Filter() {
  std::copy(kModeWeights[0], kModeWeights[0] + 5, weights_);
  // Coefficients for 44100 Hz, keeping the quarter-rate ceiling until the first rate arrives.
  dcCoeff_ = std::min(OnePoleCoefficient(kDcBlockerRadiansPerSecond, processingRateHz_), 1.0f);
}

void SH101Filter::SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) {
  SampleRateUser::SetSampleRate(processingRateHz, hostRateHz, factor);
  // The ladder passes no DC.
  dcCoeff_ = std::min(OnePoleCoefficient(kDcBlockerRadiansPerSecond, processingRateHz), 1.0f);
  // Oversampled, the stage coefficient stops at a quarter of the processing rate, which is where
  // the host's band ends anyway.
  cutoffCeiling_ = factor == 1 ? 1.0f : 0.25f;
}

uint32_t SH101Filter::ModeIndexOf(float mode) {
  return static_cast<uint32_t>(Clamp(21.0f * mode, 0.0f, 21.0f) + 0.5f);
}

void SH101Filter::SetParameters(float cutoff, float resonance, float mode) {
  resonance_ = kMaxResonance * Clamp(resonance, 0.0f, 1.0f);
  cutoffOctaves_ = Octaves(cutoff);
  const uint32_t index = ModeIndexOf(mode);
  if (index != mode_) {
    ClearState();
    mode_ = index;
  }
}

void SH101Filter::ClearState() {
  for (float* v : {y0Prev_, y1_, y2_, y3_, y4_, s5_}) std::fill(v, v + 4, 0.0f);
  feedback_ = 0.0f;
  cutoffNorm_ = 0.0f;
  mode_ = 0;
}

void SH101Filter::Reset() {
  ClearState();
  cutoffOctaves_ = 6.0f;
  resonance_ = 0.0f;
  std::copy(kModeWeights[0], kModeWeights[0] + 5, weights_);
  antiDenormal_ = 1e-8f;
}

SH101Filter::BlockRamps SH101Filter::BeginBlock(int32_t n, float inverseN) {
  const float cutoffTarget =
      std::min(Exp2Poly(cutoffOctaves_) * inverseProcessingRate_ * 440.0f, 1.0f);
  const float kStart = feedback_;
  const float fStart = cutoffNorm_;
  const float kEnd =
      kStart + static_cast<float>(n) * ((FeedbackTarget(resonance_) - kStart) * inverseN);
  const float fEnd = fStart + static_cast<float>(n) * ((cutoffTarget - fStart) * inverseN);
  feedback_ = kEnd;
  cutoffNorm_ = fEnd;
  std::copy(kModeWeights[mode_], kModeWeights[mode_] + 5, weights_);

  antiDenormal_ = -antiDenormal_;
  for (float* v : {y0Prev_, y1_, y2_, y3_, y4_}) {
    v[0] += antiDenormal_;
    v[1] += antiDenormal_;
  }

  const float a0 = FastOnePoleCoefficient(std::min(fStart, cutoffCeiling_));
  const float a1 = FastOnePoleCoefficient(std::min(fEnd, cutoffCeiling_));
  const float blocks = static_cast<float>(n);
  BlockRamps r;
  r.gain = StageGain(a0);
  r.gainStep = (StageGain(a1) - r.gain) / blocks;
  r.feedback = FeedbackCorrection(a0) * kStart;
  r.feedbackStep = (FeedbackCorrection(a1) * kEnd - r.feedback) / blocks;
  r.kStart = kStart;
  r.kStep = (FeedbackTarget(resonance_) - kStart) * inverseN;
  return r;
}

void SH101Filter::Process(const float* inLeft, const float* inRight, float* outLeft,
                          float* outRight, int32_t n, float inverseN) {
  ProcessWith<Float4>(inLeft, inRight, outLeft, outRight, n, inverseN);
}

namespace {

template <class V>
V Pair(float low, float high) {
  return V::Set(low, low, high, high);
}

template <class V>
V Pair(const float* low, const float* high) {
  return V::Set(low[0], low[1], high[0], high[1]);
}

// All bits set in the lanes that advance: lanes 0-1 when `low`, 2-3 when `high`.
template <class V>
V AdvancingLanes(bool low, bool high) {
  const float on = std::bit_cast<float>(0xFFFFFFFFu);
  return V::Set(low ? on : 0.0f, low ? on : 0.0f, high ? on : 0.0f, high ? on : 0.0f);
}

template <class Lanes, class V>
Lanes Keep(V mask, const Lanes& updated, const Lanes& old) {
  return {V::Select(mask, updated.y0Prev, old.y0Prev), V::Select(mask, updated.y1, old.y1),
          V::Select(mask, updated.y2, old.y2),         V::Select(mask, updated.y3, old.y3),
          V::Select(mask, updated.y4, old.y4),         V::Select(mask, updated.s5, old.s5),
          V::Select(mask, updated.gain, old.gain),     V::Select(mask, updated.k, old.k)};
}

}  // namespace

template <class V>
SH101Filter::Pass<V> SH101Filter::BeginPair(SH101Filter& first, SH101Filter& second, int32_t n,
                                            float inverseN) {
  const BlockRamps a = first.BeginBlock(n, inverseN);
  const BlockRamps b = second.BeginBlock(n, inverseN);
  const float* w = first.weights_;
  const float* v = second.weights_;
  return {{Pair<V>(first.y0Prev_, second.y0Prev_), Pair<V>(first.y1_, second.y1_),
           Pair<V>(first.y2_, second.y2_), Pair<V>(first.y3_, second.y3_),
           Pair<V>(first.y4_, second.y4_), Pair<V>(first.s5_, second.s5_), Pair<V>(a.gain, b.gain),
           Pair<V>(a.feedback, b.feedback)},
          {Pair<V>(w[0], v[0]), Pair<V>(w[1], v[1]), Pair<V>(w[2], v[2]), Pair<V>(w[3], v[3]),
           Pair<V>(w[4], v[4]), Pair<V>(first.dcCoeff_, second.dcCoeff_),
           Pair<V>(a.gainStep, b.gainStep), Pair<V>(a.feedbackStep, b.feedbackStep)}};
}

template <class V>
void SH101Filter::StoreLanes(const Lanes<V>& s, SH101Filter& low, SH101Filter& high) {
  const V* vectors[6] = {&s.y0Prev, &s.y1, &s.y2, &s.y3, &s.y4, &s.s5};
  float* lowStates[6] = {low.y0Prev_, low.y1_, low.y2_, low.y3_, low.y4_, low.s5_};
  float* highStates[6] = {high.y0Prev_, high.y1_, high.y2_, high.y3_, high.y4_, high.s5_};
  alignas(16) float lanes[4];
  for (int v = 0; v < 6; ++v) {
    vectors[v]->Store(lanes);
    lowStates[v][0] = lanes[0];
    lowStates[v][1] = lanes[1];
    highStates[v][0] = lanes[2];
    highStates[v][1] = lanes[3];
  }
}

template <class V>
SH101Filter::Lanes<V> SH101Filter::LoadOwnLanes(float gain, float feedback) const {
  // Lanes 2-3 of the stored vectors stay 0.
  return {V::Load(y0Prev_), V::Load(y1_), V::Load(y2_),  V::Load(y3_),
          V::Load(y4_),     V::Load(s5_), V::Set1(gain), V::Set1(feedback)};
}

template <class V>
void SH101Filter::StoreOwnLanes(const Lanes<V>& s) {
  s.y0Prev.Store(y0Prev_);
  s.y1.Store(y1_);
  s.y2.Store(y2_);
  s.y3.Store(y3_);
  s.y4.Store(y4_);
  s.s5.Store(s5_);
}

template <class V, bool kAllLanes>
inline V SH101Filter::Step(Lanes<V>& s, const Coefficients<V>& c, const ShaperTable& table, V x) {
  const auto sat32 = [&table](V v) {
    if constexpr (kAllLanes) {
      return ShaperRead(table, ShaperIndexOf(v));
    } else {
      return ShaperReadStereo(table, ShaperIndexOf(v));
    }
  };
  const V newWeight = V::Set1(kNewWeight), oldWeight = V::Set1(kOldWeight);
  // NaN lanes become silence, then the clamp.
  x = V::Min(V::Max(V::And(V::CmpEq(x, x), x), V::Set1(-kInputLimit)), V::Set1(kInputLimit));
  const V fb = sat32(s.k * s.y4);
  const V h = V::Set1(kInputGain) * x - s.s5;
  s.s5 += c.dcCoeff * h;
  const V y0 = h - fb;
  const V y1New = s.y1 + s.gain * sat32(newWeight * y0 + oldWeight * s.y0Prev - s.y1);
  const V y2New = s.y2 + s.gain * sat32(newWeight * y1New + oldWeight * s.y1 - s.y2);
  const V y3New = s.y3 + s.gain * sat32(newWeight * y2New + oldWeight * s.y2 - s.y3);
  const V y4New = s.y4 + s.gain * sat32(newWeight * y3New + oldWeight * s.y3 - s.y4);
  s.y1 = y1New;
  s.y2 = y2New;
  s.y3 = y3New;
  s.y4 = y4New;
  s.gain += c.gainStep;
  s.k += c.feedbackStep;
  s.y0Prev = y0;
  return (c.c0 * y0 + c.c1 * s.y1 + c.c2 * s.y2 + c.c3 * s.y3 + c.c4 * s.y4) *
         V::Set1(kOutputScale);
}
template <class V>
void SH101Filter::ProcessWith(const float* inLeft, const float* inRight, float* outLeft,
                              float* outRight, int32_t n, float inverseN) {
  if (n < 1) return;
  const BlockRamps r = BeginBlock(n, inverseN);
  Lanes<V> s = LoadOwnLanes<V>(r.gain, r.feedback);
  const Coefficients<V> c{V::Set1(weights_[0]), V::Set1(weights_[1]),   V::Set1(weights_[2]),
                          V::Set1(weights_[3]), V::Set1(weights_[4]),   V::Set1(dcCoeff_),
                          V::Set1(r.gainStep),  V::Set1(r.feedbackStep)};
  const ShaperTable& table = ShaperTables::Get().AsymTanh33x32();
  alignas(16) float out[4];
  for (int32_t i = 0; i < n; ++i) {
    Step<V, false>(s, c, table, V::Set(inLeft[i], inRight[i], 0.0f, 0.0f)).Store(out);
    outLeft[i] = out[0];
    outRight[i] = out[1];
  }
  StoreOwnLanes(s);
  RecoverIfNotFinite();
}

template <class V>
void SH101Filter::ProcessWithCutoffs(const float* cutoffs, const float* inLeft,
                                     const float* inRight, float* outLeft, float* outRight,
                                     int32_t n, float inverseN) {
  if (n < 1) return;
  cutoffOctaves_ = Octaves(cutoffs[n - 1]);
  const BlockRamps r = BeginBlock(n, inverseN);
  Lanes<V> s = LoadOwnLanes<V>(0.0f, 0.0f);
  const Coefficients<V> c{V::Set1(weights_[0]), V::Set1(weights_[1]), V::Set1(weights_[2]),
                          V::Set1(weights_[3]), V::Set1(weights_[4]), V::Set1(dcCoeff_),
                          V::Set1(0.0f),        V::Set1(0.0f)};
  const ShaperTable& table = ShaperTables::Get().AsymTanh33x32();
  // The feedback amount glides as in a block; its correction follows each sample's cutoff.
  float cutoffNorm = 0.0f;
  alignas(16) float out[4];
  for (int32_t i = 0; i < n; ++i) {
    cutoffNorm = std::min(Exp2Poly(Octaves(cutoffs[i])) * inverseProcessingRate_ * 440.0f, 1.0f);
    const float a = FastOnePoleCoefficient(std::min(cutoffNorm, cutoffCeiling_));
    const float k = r.kStart + static_cast<float>(i) * r.kStep;
    s.gain = V::Set1(StageGain(a));
    s.k = V::Set1(FeedbackCorrection(a) * k);
    Step<V, false>(s, c, table, V::Set(inLeft[i], inRight[i], 0.0f, 0.0f)).Store(out);
    outLeft[i] = out[0];
    outRight[i] = out[1];
  }
  cutoffNorm_ = cutoffNorm;
  StoreOwnLanes(s);
  RecoverIfNotFinite();
}

template <class V>
void SH101Filter::ProcessParallel(SH101Filter& first, SH101Filter& second, float* left,
                                  float* right, float* otherLeft, float* otherRight, int32_t n,
                                  float inverseN) {
  if (n < 1) return;
  auto [s, c] = BeginPair<V>(first, second, n, inverseN);
  const ShaperTable& table = ShaperTables::Get().AsymTanh33x32();
  alignas(16) float out[4];
  for (int32_t i = 0; i < n; ++i) {
    Step<V, true>(s, c, table, V::Set(left[i], right[i], otherLeft[i], otherRight[i])).Store(out);
    left[i] = out[0];
    right[i] = out[1];
    otherLeft[i] = out[2];
    otherRight[i] = out[3];
  }
  StoreLanes(s, first, second);
  first.RecoverIfNotFinite();
  second.RecoverIfNotFinite();
}

template <class V>
void SH101Filter::ProcessSeries(SH101Filter& first, SH101Filter& second, float* left, float* right,
                                const SeriesGains& between, int32_t n, float inverseN) {
  if (n < 1) return;
  auto [s, c] = BeginPair<V>(first, second, n, inverseN);
  const ShaperTable& table = ShaperTables::Get().AsymTanh33x32();
  alignas(16) float out[4];
  // Step i runs the first ladder's sample i and the second's sample i - 1, which heard the
  // first's output of the step before. The first step has nothing for the second ladder and the
  // last nothing for the first: there the idle lanes keep their state.
  float nextLeft = 0.0f;
  float nextRight = 0.0f;
  for (int32_t i = 0; i <= n; ++i) {
    const bool firstRuns = i < n;
    const V x =
        V::Set(firstRuns ? left[i] : 0.0f, firstRuns ? right[i] : 0.0f, nextLeft, nextRight);
    if (i == 0 || i == n) {
      const Lanes<V> before = s;
      const V y = Step<V, true>(s, c, table, x);
      s = Keep(AdvancingLanes<V>(firstRuns, i > 0), s, before);
      y.Store(out);
    } else {
      Step<V, true>(s, c, table, x).Store(out);
    }
    if (i > 0) {
      left[i - 1] = out[2];
      right[i - 1] = out[3];
    }
    if (firstRuns) {
      nextLeft = out[0] * between.post[i] * between.panLeft[i] * between.pre[i];
      nextRight = out[1] * between.post[i] * between.panRight[i] * between.pre[i];
    }
  }
  StoreLanes(s, first, second);
  first.RecoverIfNotFinite();
  second.RecoverIfNotFinite();
}

// Cannot happen with the clamped input and table reads; if it ever does, restart from silence
// instead of staying wedged. The mode survives.
void SH101Filter::RecoverIfNotFinite() {
  const Float4 sum = Float4::Load(y0Prev_) + Float4::Load(y1_) + Float4::Load(y2_) +
                     Float4::Load(y3_) + Float4::Load(y4_) + Float4::Load(s5_);
  if (AllFinite(sum)) return;
  const uint32_t mode = mode_;
  ClearState();
  mode_ = mode;
}

template void SH101Filter::ProcessWith<Float4>(const float*, const float*, float*, float*, int32_t,
                                               float);
template void SH101Filter::ProcessWith<Float4Scalar>(const float*, const float*, float*, float*,
                                                     int32_t, float);
template void SH101Filter::ProcessWithCutoffs<Float4>(const float*, const float*, const float*,
                                                      float*, float*, int32_t, float);
template void SH101Filter::ProcessParallel<Float4>(SH101Filter&, SH101Filter&, float*, float*,
                                                   float*, float*, int32_t, float);
template void SH101Filter::ProcessParallel<Float4Scalar>(SH101Filter&, SH101Filter&, float*, float*,
                                                         float*, float*, int32_t, float);
template void SH101Filter::ProcessSeries<Float4>(SH101Filter&, SH101Filter&, float*, float*,
                                                 const SeriesGains&, int32_t, float);
template void SH101Filter::ProcessSeries<Float4Scalar>(SH101Filter&, SH101Filter&, float*, float*,
                                                       const SeriesGains&, int32_t, float);

float SH101Filter::MagnitudeDb(float cutoffNorm, float resonanceNorm, int mode, float frequencyHz,
                               float displayRateHz) {
  using Complex = std::complex<double>;
  const float* c = kModeWeights[std::clamp(mode, 0, static_cast<int>(kModeCount) - 1)];
  const float f = std::min(Exp2Poly(Octaves(cutoffNorm)) * 440.0f / displayRateHz, 1.0f);
  const float a = FastOnePoleCoefficient(f);
  const double g = StageGain(a);
  const double k =
      FeedbackCorrection(a) * FeedbackTarget(kMaxResonance * Clamp(resonanceNorm, 0.0f, 1.0f));
  const double dcCoeff =
      std::min(OnePoleCoefficient(static_cast<double>(kDcBlockerRadiansPerSecond),
                                  static_cast<double>(displayRateHz)),
               1.0);
  const double omega = kTwoPiDouble * frequencyHz / displayRateHz;
  const Complex z1 = std::polar(1.0, -omega);
  // sat32 has unity slope at 0: small signals see four blended one-pole stages in a loop whose
  // feedback takes y4 one sample late, behind the 10 Hz input high-pass.
  const Complex stage = g *
                        (static_cast<double>(kNewWeight) + static_cast<double>(kOldWeight) * z1) /
                        (1.0 - (1.0 - g) * z1);
  const Complex input = static_cast<double>(kInputGain) * (1.0 - z1) / (1.0 - (1.0 - dcCoeff) * z1);
  const Complex y0 = input / (1.0 + k * z1 * stage * stage * stage * stage);
  Complex mix = c[4];
  for (int i = 3; i >= 0; --i) mix = mix * stage + static_cast<double>(c[i]);
  const double db = 20.0 * std::log10(std::max(std::abs(mix * y0) * kOutputScale, 1e-6));
  return db < 120.0 ? static_cast<float>(db) : 120.0f;
}

}  // namespace VDSP
