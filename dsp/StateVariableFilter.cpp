// "S.V.F" filter type: coefficient design, the ten per-mode sample loops and the linear response.
#include "dsp/StateVariableFilter.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "dsp/Exp2.h"
#include "dsp/MathConstants.h"
#include "dsp/OnePole.h"

namespace VDSP {
namespace {

constexpr float kReferenceHz = 440.0f;
constexpr float kOctaveLimit = 12.0f;
// A quarter of the processing rate: beyond it the saturating loop is no longer stable.
constexpr float kMaxNormalisedCutoff = 0.25f;
// The sample loop's smoothing of each stage's tap: s' = s + 0.25 F (previous s
// - s).
constexpr float kTapWeight = 0.25f;
// Below this a state is inaudible (-400 dB); flushing it keeps decays out of denormal numbers,
// which the block's round-down mode would otherwise leave stuck at the smallest negative value.
constexpr float kFlushLevel = 1e-20f;
// 10 Hz DC blocker.
constexpr float kDcBlockerRadiansPerSecond = kTwoPi * 10.0f;

// In double: 1 - e^-x in single precision would lose a fifth of the digits to cancellation.
float DcBlockerCoefficientFor(float rateHz) {
  const double c = OnePoleCoefficient(static_cast<double>(kDcBlockerRadiansPerSecond),
                                      static_cast<double>(rateHz));
  return static_cast<float>(std::fmin(c, 1.0));
}

void Fill(float (&lanes)[4], float value) {
  for (float& lane : lanes) lane = value;
}

enum class Tap { kLow, kHigh, kBand, kNotch, kPeak };

constexpr Tap TapOf(uint32_t mode) {
  constexpr Tap kTaps[] = {Tap::kLow, Tap::kHigh, Tap::kBand, Tap::kNotch, Tap::kPeak};
  return kTaps[mode / 2];
}

template <Tap kTap, class V>
inline V TapValue(V lp, V bp, V hp) {
  if constexpr (kTap == Tap::kLow) return lp;
  if constexpr (kTap == Tap::kHigh) return hp;
  if constexpr (kTap == Tap::kBand) return bp;
  if constexpr (kTap == Tap::kNotch) return lp + hp;
  if constexpr (kTap == Tap::kPeak) return lp - hp;
}

// The per-block state of one stage, held in registers across the sample loop.
template <class V>
struct Stage {
  V lp, bp, hp, d, tap;
};

// One stage of the saturating Chamberlin loop for the already saturated input; returns the smoothed
// tap. The knee and the integrator saturation share the index taken from bp.
template <Tap kTap, class V>
inline V RunStage(Stage<V>& s, V shapedInput, V f, V scale, V tapWeight, const ShaperTables& t) {
  const ShaperIndex<V> atBp = ShaperIndexOf(s.bp * scale);
  s.lp += f * ShaperReadStereo(t.Tanh33(), atBp);
  const V knee = ShaperReadStereo(t.DiodeKnee(), atBp);
  s.hp = shapedInput - s.lp - s.d * s.bp - knee;
  s.bp += f * ShaperReadStereo(t.Tanh33(), ShaperIndexOf(s.hp * scale));
  const V tap = TapValue<kTap>(s.lp, s.bp, s.hp);
  const V smoothed = tap + tapWeight * f * (s.tap - tap);
  s.tap = tap;
  return smoothed;
}

}  // namespace

float SvfCutoffCoefficient(float normalisedFrequency) {
  const float limited = normalisedFrequency < kMaxNormalisedCutoff
                            ? (normalisedFrequency > 0.0f ? normalisedFrequency : 0.0f)
                            : kMaxNormalisedCutoff;
  const float w = 1024.0f * limited;  // 0..256 table steps: sin over the first eighth of a cycle
  const float floored = std::floor(w);
  const int32_t k = static_cast<int32_t>(floored);
  const SineTable& s = SineTable::Get();
  return 4.0f * (s[k] + (s[k + 1] - s[k]) * (w - floored));
}

SvfCoefficients SvfDesign(float cutoffCoefficient, float resonance) {
  const float f = cutoffCoefficient;
  const float q = 2.0f - 2.0f * std::sqrt(std::fmax(resonance, 0.0f));
  const float q2 = q * q / 4.0f + 1.0f;
  const float e = f * f / 8.0f;
  SvfCoefficients c;
  c.d1 = q - q * e;
  c.d2 = q2 - q2 * e;
  c.f1 = f - q * e;
  c.f2 = f - q2 * e;
  c.e1Quarter = q * e / 4.0f;
  c.e2Quarter = q2 * e / 4.0f;
  return c;
}

StateVariableFilter::StateVariableFilter()
    : shapers_(ShaperTables::Get()), sine_(SineTable::Get()) {
  ClearState();
  Fill(v_.dcCoefficient, DcBlockerCoefficientFor(processingRateHz_));
  Fill(v_.tableScale, kShaperStepsPerUnit);
  Fill(v_.tapWeight, kTapWeight);
}

void StateVariableFilter::SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) {
  SampleRateUser::SetSampleRate(processingRateHz, hostRateHz, factor);
  Fill(v_.dcCoefficient, DcBlockerCoefficientFor(processingRateHz));
  Fill(v_.tableScale, kShaperStepsPerUnit);
  Fill(v_.tapWeight, kTapWeight);
}

uint32_t StateVariableFilter::ModeIndexOf(float mode) {
  if (!(mode == mode)) return 0;
  // Beyond these the formula below already gives 0 or 9; the limit keeps infinities out of it.
  const float m = 9.0f * std::fmin(std::fmax(mode, -1.0f), 2.0f);
  return static_cast<uint32_t>((std::fabs(m) + 9.0f - std::fabs(m - 9.0f)) / 2.0f + 0.5f);
}

void StateVariableFilter::SetParameters(float cutoff, float resonance, float mode) {
  cutoffOctaves_ = 12.0f * cutoff - 6.0f;
  resonance_ = resonance * 0.9f * 1.01f + 0.101f;
  const uint32_t index = ModeIndexOf(mode);
  if (index != mode_) {
    ClearState();
    mode_ = index;
  }
}

void StateVariableFilter::ClearState() {
  for (float* lanes : {v_.f1, v_.f2, v_.lp1, v_.bp1, v_.hp1, v_.d1, v_.lp2, v_.bp2, v_.hp2, v_.d2,
                       v_.tap1, v_.tap2, v_.dc}) {
    for (int i = 0; i < 4; ++i) lanes[i] = 0.0f;
  }
}

void StateVariableFilter::Reset() {
  ClearState();
}

void StateVariableFilter::Process(const float* inLeft, const float* inRight, float* outLeft,
                                  float* outRight, int32_t n, float inverseN) {
  ProcessWith<Float4>(inLeft, inRight, outLeft, outRight, n, inverseN);
}

template <class V>
void StateVariableFilter::ProcessWith(const float* inLeft, const float* inRight, float* outLeft,
                                      float* outRight, int32_t n, float inverseN) {
  if (n < 1) return;
  // NaN reads the lower limit.
  const float octaves = std::fmin(std::fmax(cutoffOctaves_, -kOctaveLimit), kOctaveLimit);
  const float fn = Exp2Poly(octaves) * kReferenceHz * inverseProcessingRate_;
  const SvfCoefficients c = SvfDesign(SvfCutoffCoefficient(fn), resonance_);
  Fill(v_.d1, c.d1);
  Fill(v_.d2, c.d2);
  const V df1 = V::Set1((c.f1 - v_.f1[0]) * inverseN);
  const V df2 = V::Set1((c.f2 - v_.f2[0]) * inverseN);
  switch (mode_) {
    case 0:
      RunBlock<V, 0>(inLeft, inRight, outLeft, outRight, n, df1, df2);
      break;
    case 1:
      RunBlock<V, 1>(inLeft, inRight, outLeft, outRight, n, df1, df2);
      break;
    case 2:
      RunBlock<V, 2>(inLeft, inRight, outLeft, outRight, n, df1, df2);
      break;
    case 3:
      RunBlock<V, 3>(inLeft, inRight, outLeft, outRight, n, df1, df2);
      break;
    case 4:
      RunBlock<V, 4>(inLeft, inRight, outLeft, outRight, n, df1, df2);
      break;
    case 5:
      RunBlock<V, 5>(inLeft, inRight, outLeft, outRight, n, df1, df2);
      break;
    case 6:
      RunBlock<V, 6>(inLeft, inRight, outLeft, outRight, n, df1, df2);
      break;
    case 7:
      RunBlock<V, 7>(inLeft, inRight, outLeft, outRight, n, df1, df2);
      break;
    case 8:
      RunBlock<V, 8>(inLeft, inRight, outLeft, outRight, n, df1, df2);
      break;
    default:
      RunBlock<V, 9>(inLeft, inRight, outLeft, outRight, n, df1, df2);
      break;
  }
  Sanitise<V>();
}

template <class V, uint32_t kMode>
void StateVariableFilter::RunBlock(const float* inLeft, const float* inRight, float* outLeft,
                                   float* outRight, int32_t n, V df1, V df2) {
  constexpr Tap kTap = TapOf(kMode);
  constexpr bool kFourPole = (kMode & 1u) != 0;
  V f1 = V::Load(v_.f1);
  V f2 = V::Load(v_.f2);
  Stage<V> one{V::Load(v_.lp1), V::Load(v_.bp1), V::Load(v_.hp1), V::Load(v_.d1), V::Load(v_.tap1)};
  Stage<V> two{V::Load(v_.lp2), V::Load(v_.bp2), V::Load(v_.hp2), V::Load(v_.d2), V::Load(v_.tap2)};
  V dc = V::Load(v_.dc);
  const V dcCoefficient = V::Load(v_.dcCoefficient);
  const V scale = V::Load(v_.tableScale);
  const V tapWeight = V::Load(v_.tapWeight);
  const ShaperTable& sat = shapers_.Tanh33();
  for (int32_t i = 0; i < n; ++i) {
    f1 += df1;
    f2 += df2;
    const V x = V::Set(inLeft[i], inRight[i], 0.0f, 0.0f);
    V u = RunStage<kTap>(one, ShaperReadStereo(sat, ShaperIndexOf(x * scale)), f1, scale, tapWeight,
                         shapers_);
    if constexpr (kFourPole) {
      u = RunStage<kTap>(two, ShaperReadStereo(sat, ShaperIndexOf(u * scale)), f2, scale, tapWeight,
                         shapers_);
    }
    const V y = ShaperReadStereo(sat, ShaperIndexOf(u * scale)) - dc;
    dc += dcCoefficient * y;
    alignas(16) float lanes[4];
    y.Store(lanes);
    outLeft[i] = lanes[0];
    outRight[i] = lanes[1];
  }
  f1.Store(v_.f1);
  f2.Store(v_.f2);
  one.lp.Store(v_.lp1);
  one.bp.Store(v_.bp1);
  one.hp.Store(v_.hp1);
  one.tap.Store(v_.tap1);
  two.lp.Store(v_.lp2);
  two.bp.Store(v_.bp2);
  two.hp.Store(v_.hp2);
  two.tap.Store(v_.tap2);
  dc.Store(v_.dc);
}

// Every table read is NaN-safe, so only a non-finite coefficient (a NaN step factor from the
// caller) can poison the loop; a poisoned filter restarts from silence at the next block instead of
// staying mute for good.
template <class V>
void StateVariableFilter::Sanitise() {
  float* states[] = {v_.lp1, v_.bp1, v_.hp1, v_.lp2, v_.bp2, v_.hp2, v_.tap1, v_.tap2, v_.dc};
  bool finite = AllFinite(V::Load(v_.f1)) && AllFinite(V::Load(v_.f2));
  for (float* lanes : states) finite = finite && AllFinite(V::Load(lanes));
  if (!finite) {
    ClearState();
    return;
  }
  const V flushLevel = V::Set1(kFlushLevel);
  for (float* lanes : states) {
    const V value = V::Load(lanes);
    V::AndNot(V::CmpLt(V::Abs(value), flushLevel), value).Store(lanes);
  }
}

template void StateVariableFilter::ProcessWith<Float4>(const float*, const float*, float*, float*,
                                                       int32_t, float);
template void StateVariableFilter::ProcessWith<Float4Scalar>(const float*, const float*, float*,
                                                             float*, int32_t, float);

float StateVariableFilter::MagnitudeDb(float cutoffNorm, float resonanceNorm, int mode,
                                       float frequencyHz, float displayRateHz) {
  const double octaves =
      std::fmin(std::fmax(12.0 * static_cast<double>(cutoffNorm) - 6.0, -12.0), 12.0);
  // Limited to the display's Nyquist frequency: above it 2 sin(pi fc / rate) falls again and the
  // plot would move its cutoff down while the knob goes up.
  const double cutoffHz = std::fmin(440.0 * std::exp2(octaves), 0.5 * displayRateHz);
  const double f = 2.0 * std::sin(kPiDouble * cutoffHz / displayRateHz);
  const double resonance = static_cast<double>(resonanceNorm) * 0.9 * 1.01 + 0.101;
  const double q = 2.0 - 2.0 * std::sqrt(std::fmax(resonance, 0.0));
  const double e = f * f / 8.0;
  const auto index = static_cast<uint32_t>(std::clamp(mode, 0, static_cast<int>(kModeCount) - 1));
  const Tap tap = TapOf(index);
  const std::complex<double> z1 = std::polar(1.0, -kTwoPiDouble * frequencyHz / displayRateHz);
  const std::complex<double> diff = 1.0 - z1;
  // One linear stage: lp += F bp; hp = x - lp - d bp; bp += F hp, then the tap smoothing.
  auto stage = [&](double qStage) {
    const double fs = f - qStage * e;
    const double d = qStage - qStage * e;
    const std::complex<double> den = diff * diff + fs * fs * z1 + d * fs * z1 * diff;
    const std::complex<double> lp = fs * fs * z1 / den;
    const std::complex<double> bp = fs * diff / den;
    const std::complex<double> hp = diff * diff / den;
    std::complex<double> out;
    switch (tap) {
      case Tap::kLow:
        out = lp;
        break;
      case Tap::kHigh:
        out = hp;
        break;
      case Tap::kBand:
        out = bp;
        break;
      case Tap::kNotch:
        out = lp + hp;
        break;
      case Tap::kPeak:
        out = lp - hp;
        break;
    }
    return out * ((1.0 - kTapWeight * fs) + kTapWeight * fs * z1);
  };
  std::complex<double> h = stage(q);
  if ((index & 1u) != 0) h *= stage(q * q / 4.0 + 1.0);
  const double dcCoefficient = DcBlockerCoefficientFor(displayRateHz);
  h *= diff / (1.0 - (1.0 - dcCoefficient) * z1);
  return static_cast<float>(20.0 * std::log10(std::fmax(std::abs(h), 1e-10)));
}

}  // namespace VDSP
