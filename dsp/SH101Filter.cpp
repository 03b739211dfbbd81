// "Japan" filter type: a saturating four-stage ladder with 22 mixes, both channels in four lanes.
#include "dsp/SH101Filter.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <complex>

#include "dsp/Exp2.h"
#include "dsp/Float4.h"
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
// -2 pi / ln 2: a = 1 - 2^(-9.06472 f) = 1 - e^(-2 pi f).
constexpr float kMinusTwoPiLog2e = -9.06472f;
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

// minss/maxss; NaN goes to lo.
inline float Clamp(float x, float lo, float hi) {
  const __m128 v = _mm_max_ss(_mm_set_ss(x), _mm_set_ss(lo));
  return _mm_cvtss_f32(_mm_min_ss(v, _mm_set_ss(hi)));
}

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

inline float OnePoleCoeff(float cutoffNorm) {
  return 1.0f - Exp2Poly(kMinusTwoPiLog2e * cutoffNorm);
}

}  // namespace

SH101Filter::SH101Filter() {
  std::copy(kModeWeights[0], kModeWeights[0] + 5, weights_);
  // Coefficients for 44100 Hz, keeping the quarter-rate ceiling until the first rate arrives.
  dcCoeff_ = std::min(1.0f - std::exp(-62.831856f / processingRateHz_), 1.0f);
}

void SH101Filter::SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) {
  SampleRateUser::SetSampleRate(processingRateHz, hostRateHz, factor);
  // 10 Hz input high-pass: the ladder passes no DC.
  dcCoeff_ = std::min(1.0f - std::exp(-62.831856f / processingRateHz), 1.0f);
  // Oversampled, the stage coefficient stops at a quarter of the processing rate, which is where
  // the host's band ends anyway.
  cutoffCeiling_ = factor == 1 ? 1.0f : 0.25f;
}

void SH101Filter::SetParameters(float cutoff, float resonance, float mode) {
  resonance_ = kMaxResonance * Clamp(resonance, 0.0f, 1.0f);
  cutoffOctaves_ = Octaves(cutoff);
  const uint32_t index = static_cast<uint32_t>(Clamp(21.0f * mode, 0.0f, 21.0f) + 0.5f);
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

  const float a0 = OnePoleCoeff(std::min(fStart, cutoffCeiling_));
  const float a1 = OnePoleCoeff(std::min(fEnd, cutoffCeiling_));
  const float blocks = static_cast<float>(n);
  BlockRamps r;
  r.gain = StageGain(a0);
  r.gainStep = (StageGain(a1) - r.gain) / blocks;
  r.feedback = FeedbackCorrection(a0) * kStart;
  r.feedbackStep = (FeedbackCorrection(a1) * kEnd - r.feedback) / blocks;
  return r;
}

void SH101Filter::Process(const float* inLeft, const float* inRight, float* outLeft,
                          float* outRight, int32_t n, float inverseN) {
  ProcessWith<Float4>(inLeft, inRight, outLeft, outRight, n, inverseN);
}

template <class V>
void SH101Filter::ProcessWith(const float* inLeft, const float* inRight, float* outLeft,
                              float* outRight, int32_t n, float inverseN) {
  if (n < 1) return;
  const BlockRamps ramps = BeginBlock(n, inverseN);
  const ShaperTable& table = ShaperTables::Get().AsymTanh33x32();
  const auto sat32 = [&table](V v) { return ShaperLookupUnscaled(table, v); };
  const V newWeight = V::Set1(kNewWeight), oldWeight = V::Set1(kOldWeight);
  const V c0 = V::Set1(weights_[0]), c1 = V::Set1(weights_[1]), c2 = V::Set1(weights_[2]),
          c3 = V::Set1(weights_[3]), c4 = V::Set1(weights_[4]);
  const V inputGain = V::Set1(kInputGain), outputScale = V::Set1(kOutputScale);
  const V dcCoeff = V::Set1(dcCoeff_);
  const V lo = V::Set1(-kInputLimit), hi = V::Set1(kInputLimit);
  const V gainStep = V::Set1(ramps.gainStep), feedbackStep = V::Set1(ramps.feedbackStep);
  V gain = V::Set1(ramps.gain), k = V::Set1(ramps.feedback);
  V y0Prev = V::Load(y0Prev_), y1 = V::Load(y1_), y2 = V::Load(y2_), y3 = V::Load(y3_),
    y4 = V::Load(y4_), s5 = V::Load(s5_);
  alignas(16) float out[4];
  for (int32_t i = 0; i < n; ++i) {
    V x = V::Set(inLeft[i], inRight[i], 0.0f, 0.0f);
    // NaN lanes become silence, then the clamp.
    x = V::Min(V::Max(V::And(V::CmpEq(x, x), x), lo), hi);
    const V fb = sat32(k * y4);
    const V h = inputGain * x - s5;
    s5 += dcCoeff * h;
    const V y0 = h - fb;
    const V y1New = y1 + gain * sat32(newWeight * y0 + oldWeight * y0Prev - y1);
    const V y2New = y2 + gain * sat32(newWeight * y1New + oldWeight * y1 - y2);
    const V y3New = y3 + gain * sat32(newWeight * y2New + oldWeight * y2 - y3);
    const V y4New = y4 + gain * sat32(newWeight * y3New + oldWeight * y3 - y4);
    y1 = y1New;
    y2 = y2New;
    y3 = y3New;
    y4 = y4New;
    gain += gainStep;
    k += feedbackStep;
    y0Prev = y0;
    ((c0 * y0 + c1 * y1 + c2 * y2 + c3 * y3 + c4 * y4) * outputScale).Store(out);
    outLeft[i] = out[0];
    outRight[i] = out[1];
  }
  y0Prev.Store(y0Prev_);
  y1.Store(y1_);
  y2.Store(y2_);
  y3.Store(y3_);
  y4.Store(y4_);
  s5.Store(s5_);
  // Cannot happen with the clamped input and table reads; if it ever does, restart from silence
  // instead of staying wedged. The mode survives.
  if (!AllFinite(y0Prev + y1 + y2 + y3 + y4 + s5)) {
    const uint32_t mode = mode_;
    ClearState();
    mode_ = mode;
  }
}

template void SH101Filter::ProcessWith<Float4>(const float*, const float*, float*, float*, int32_t,
                                               float);
template void SH101Filter::ProcessWith<Float4Scalar>(const float*, const float*, float*, float*,
                                                     int32_t, float);

float SH101Filter::MagnitudeDb(float cutoffNorm, float resonanceNorm, int mode, float frequencyHz,
                               float displayRateHz) {
  using Complex = std::complex<double>;
  const float* c = kModeWeights[std::clamp(mode, 0, static_cast<int>(kModeCount) - 1)];
  const float f = std::min(Exp2Poly(Octaves(cutoffNorm)) * 440.0f / displayRateHz, 1.0f);
  const float a = OnePoleCoeff(f);
  const double g = StageGain(a);
  const double k =
      FeedbackCorrection(a) * FeedbackTarget(kMaxResonance * Clamp(resonanceNorm, 0.0f, 1.0f));
  const double dcCoeff = std::min(1.0 - std::exp(-62.831856 / displayRateHz), 1.0);
  const double omega = 2.0 * 3.14159265358979 * frequencyHz / displayRateHz;
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
