// Cost of every DSP module per stereo sample at 88.2 kHz, the default 2x oversampling of 44.1 kHz.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <numbers>
#include <vector>

#include "dsp/BasicDrive.h"
#include "dsp/CombFilter.h"
#include "dsp/Compressor.h"
#include "dsp/Distortion.h"
#include "dsp/MS20Filter.h"
#include "dsp/Pan.h"
#include "dsp/ResamplerChain.h"
#include "dsp/SH101Filter.h"
#include "dsp/StateVariableFilter.h"
#include "dsp/VoiceFilter.h"
#include "dsp/WetDryMixer.h"

namespace VDSP {
namespace {

constexpr float kHostRate = 44100.0f;
constexpr int32_t kFactor = 2;
constexpr float kProcessingRate = kHostRate * kFactor;
// One 256-frame host block at the processing rate, run in the engine's 32-sample sub-blocks
// (controls are set once per sub-block; filter FM sets the cutoff before every sample).
constexpr int32_t kHostBlock = 256;
constexpr int32_t kBlock = kHostBlock * kFactor;
constexpr int32_t kSubBlock = 32;

// Resonance near the top of the range, where the saturators and the feedback work hardest.
constexpr float kResonance = 0.9f;

struct Stereo {
  explicit Stereo(size_t frames) : left(frames), right(frames) {}
  std::vector<float> left;
  std::vector<float> right;
};

// A 110 Hz / 165 Hz sawtooth pair with a little noise, peaking near -6 dBFS: a busy, bright signal
// that drives the saturators and the compressor's detector the way music does.
const Stereo& Input() {
  static const Stereo input = [] {
    Stereo s(kBlock);
    uint32_t noise = 12345u;
    for (int32_t i = 0; i < kBlock; ++i) {
      noise = noise * 196314163u + 907633515u;
      const float white = static_cast<float>(noise >> 8) / 16777216.0f - 0.5f;
      const float t = static_cast<float>(i) / kProcessingRate;
      s.left[i] = 0.4f * (2.0f * std::fmod(110.0f * t, 1.0f) - 1.0f) + 0.1f * white;
      s.right[i] = 0.4f * (2.0f * std::fmod(165.0f * t, 1.0f) - 1.0f) - 0.1f * white;
    }
    return s;
  }();
  return input;
}

// Normalised cutoff per sample: around 1 kHz (0.6), swung +-3 octaves (FM depth 1) by a sine that
// runs once per block, so that every iteration sweeps the whole range.
const std::vector<float>& Cutoff() {
  static const std::vector<float> cutoff = [] {
    std::vector<float> c(kBlock);
    for (int32_t i = 0; i < kBlock; ++i) {
      const double phase = 2.0 * std::numbers::pi * i / kBlock;
      c[i] = static_cast<float>(0.6 + 0.25 * std::sin(phase));
    }
    return c;
  }();
  return cutoff;
}

// CPU time of the timed loop, read with the process clock so that the counters come out in plain
// units (the library's own inverted-rate counters print nanoseconds as seconds).
class CpuClock {
 public:
  double Seconds() const {
    return static_cast<double>(std::clock() - start_) / static_cast<double>(CLOCKS_PER_SEC);
  }

 private:
  std::clock_t start_ = std::clock();
};

// framesPerIteration stereo samples at rateHz per loop iteration.
void SetCounters(benchmark::State& state, const CpuClock& clock, double framesPerIteration,
                 double rateHz) {
  const double seconds = clock.Seconds();
  const double frames = framesPerIteration * static_cast<double>(state.iterations());
  if (seconds <= 0.0 || frames <= 0.0) return;
  state.counters["ns_per_sample"] = seconds * 1e9 / frames;
  // Seconds of audio per second of CPU time.
  state.counters["realtime_factor"] = frames / rateHz / seconds;
}

// Calls body(offset, frames, inverseFrames) for each engine sub-block of one block.
template <class Body>
void ForEachSubBlock(Body&& body) {
  for (int32_t offset = 0; offset < kBlock; offset += kSubBlock) {
    const int32_t n = std::min(kSubBlock, kBlock - offset);
    body(offset, n, 1.0f / static_cast<float>(n));
  }
}

// The engine copies its inputs into working buffers that the in-place modules then process.
void CopyIn(Stereo& work, int32_t offset, int32_t n) {
  const Stereo& in = Input();
  std::memcpy(work.left.data() + offset, in.left.data() + offset, sizeof(float) * n);
  std::memcpy(work.right.data() + offset, in.right.data() + offset, sizeof(float) * n);
}

void KeepResult(Stereo& out) {
  benchmark::DoNotOptimize(out.left.data());
  benchmark::DoNotOptimize(out.right.data());
  benchmark::ClobberMemory();
}

// --- Baseline ------------------------------------------------------------------------------------

// The sub-block copy that the in-place benchmarks below include.
void BM_CopyBaseline(benchmark::State& state) {
  Stereo work(kBlock);
  const CpuClock clock;
  for (auto _ : state) {
    ForEachSubBlock([&](int32_t offset, int32_t n, float) { CopyIn(work, offset, n); });
    KeepResult(work);
  }
  SetCounters(state, clock, kBlock, kProcessingRate);
}
BENCHMARK(BM_CopyBaseline);

// --- Filters -------------------------------------------------------------------------------------

// Runs a filter over one block: with fm, the cutoff is set before every single-sample call, as the
// engine does under filter FM; otherwise once per sub-block.
template <class SetCutoff, class Run>
void FilterBlock(bool fm, SetCutoff&& setCutoff, Run&& run) {
  const std::vector<float>& cutoff = Cutoff();
  if (fm) {
    for (int32_t i = 0; i < kBlock; ++i) {
      setCutoff(cutoff[i]);
      run(i, 1, 1.0f);
    }
  } else {
    ForEachSubBlock([&](int32_t offset, int32_t n, float inverseN) {
      setCutoff(cutoff[offset]);
      run(offset, n, inverseN);
    });
  }
}

// Four-pole modes run both saturating stages; the notch tap adds one more sum per stage. The
// four-pole modes measure alike within the noise.
void BM_StateVariableFilter(benchmark::State& state) {
  const bool fm = state.range(0) != 0;
  const float mode = static_cast<float>(SvfMode::kNotch4) / static_cast<float>(kSvfModeCount - 1);
  StateVariableFilter filter;
  filter.SetSampleRate(kProcessingRate, kHostRate, kFactor);
  const Stereo& in = Input();
  Stereo out(kBlock);
  const CpuClock clock;
  for (auto _ : state) {
    FilterBlock(
        fm, [&](float cutoff) { filter.SetParameters(cutoff, kResonance, mode); },
        [&](int32_t offset, int32_t n, float inverseN) {
          filter.Process(in.left.data() + offset, in.right.data() + offset,
                         out.left.data() + offset, out.right.data() + offset, n, inverseN);
        });
    KeepResult(out);
  }
  SetCounters(state, clock, kBlock, kProcessingRate);
}
BENCHMARK(BM_StateVariableFilter)->ArgName("fm")->Arg(0)->Arg(1);

// "Positive" tunes its damping to the pitch, one more 2^x per cutoff change than "Negative".
void BM_CombFilter(benchmark::State& state) {
  const bool fm = state.range(0) != 0;
  constexpr float kPositive = 1.0f;
  // The filter slot runs one comb per channel.
  CombFilter left;
  CombFilter right;
  left.SetSampleRate(kProcessingRate, kHostRate, kFactor);
  right.SetSampleRate(kProcessingRate, kHostRate, kFactor);
  const Stereo& in = Input();
  Stereo out(kBlock);
  const CpuClock clock;
  for (auto _ : state) {
    FilterBlock(
        fm,
        [&](float cutoff) {
          left.SetParameters(cutoff, kResonance, kPositive);
          right.SetParameters(cutoff, kResonance, kPositive);
        },
        [&](int32_t offset, int32_t n, float inverseN) {
          left.Process(in.left.data() + offset, out.left.data() + offset, n, inverseN);
          right.Process(in.right.data() + offset, out.right.data() + offset, n, inverseN);
        });
    KeepResult(out);
  }
  SetCounters(state, clock, kBlock, kProcessingRate);
}
BENCHMARK(BM_CombFilter)->ArgName("fm")->Arg(0)->Arg(1);

// Every mode runs the same four-stage ladder and five-tap mix, so mode 0 costs what all do.
void BM_SH101Filter(benchmark::State& state) {
  const bool fm = state.range(0) != 0;
  SH101Filter filter;
  filter.SetSampleRate(kProcessingRate, kHostRate, kFactor);
  const Stereo& in = Input();
  Stereo out(kBlock);
  const CpuClock clock;
  for (auto _ : state) {
    FilterBlock(
        fm, [&](float cutoff) { filter.SetParameters(cutoff, kResonance, 0.0f); },
        [&](int32_t offset, int32_t n, float inverseN) {
          filter.Process(in.left.data() + offset, in.right.data() + offset,
                         out.left.data() + offset, out.right.data() + offset, n, inverseN);
        });
    KeepResult(out);
  }
  SetCounters(state, clock, kBlock, kProcessingRate);
}
BENCHMARK(BM_SH101Filter)->ArgName("fm")->Arg(0)->Arg(1);

// "Notch" feeds the input into the first stage, the second stage and the output: the most work.
void BM_MS20Filter(benchmark::State& state) {
  const bool fm = state.range(0) != 0;
  constexpr float kNotch = 1.0f;
  // The filter slot runs one filter per channel.
  MS20Filter left;
  MS20Filter right;
  left.SetSampleRate(kProcessingRate, kHostRate, kFactor);
  right.SetSampleRate(kProcessingRate, kHostRate, kFactor);
  const Stereo& in = Input();
  Stereo out(kBlock);
  const CpuClock clock;
  for (auto _ : state) {
    FilterBlock(
        fm,
        [&](float cutoff) {
          left.SetParameters(cutoff, kResonance, kNotch);
          right.SetParameters(cutoff, kResonance, kNotch);
        },
        [&](int32_t offset, int32_t n, float inverseN) {
          left.Process(in.left.data() + offset, out.left.data() + offset, n, inverseN);
          right.Process(in.right.data() + offset, out.right.data() + offset, n, inverseN);
        });
    KeepResult(out);
  }
  SetCounters(state, clock, kBlock, kProcessingRate);
}
BENCHMARK(BM_MS20Filter)->ArgName("fm")->Arg(0)->Arg(1);

struct SlotCase {
  FilterType type;
  float mode;  // normalised: each type's costliest mode, as above
};

// A whole filter slot (pre gain, filter, post gain, pan; in place on the working buffers) for each
// filter type in its costliest mode.
void BM_VoiceFilter(benchmark::State& state) {
  constexpr SlotCase kCases[] = {
      {FilterType::kJapan, 0.0f},
      {FilterType::kSvf, static_cast<float>(SvfMode::kNotch4) / (kSvfModeCount - 1)},
      {FilterType::kFatty, 1.0f},  // "Notch"
      {FilterType::kComb, 1.0f},   // "Positive"
  };
  const SlotCase& slot = kCases[state.range(0)];
  const bool fm = state.range(1) != 0;
  const float type = static_cast<float>(slot.type) / (kFilterTypeCount - 1);
  state.SetLabel(slot.type == FilterType::kJapan   ? "Japan"
                 : slot.type == FilterType::kSvf   ? "S.V.F"
                 : slot.type == FilterType::kFatty ? "Fatty"
                                                   : "Comb");
  VoiceFilter voice;
  voice.SetSampleRate(kProcessingRate, kHostRate, kFactor);
  voice.Prepare(kSubBlock);
  Stereo work(kBlock);
  const CpuClock clock;
  for (auto _ : state) {
    CopyIn(work, 0, kBlock);
    FilterBlock(
        fm,
        [&](float cutoff) {
          // Gains near unity (0.6 is 0.98) and a pan that moves with the cutoff.
          voice.SetControls(cutoff, kResonance, slot.mode, type, 0.6f, 0.6f, cutoff);
        },
        [&](int32_t offset, int32_t n, float inverseN) {
          voice.ProcessStereo(work.left.data() + offset, work.right.data() + offset, n, inverseN);
        });
    KeepResult(work);
  }
  SetCounters(state, clock, kBlock, kProcessingRate);
}
BENCHMARK(BM_VoiceFilter)->ArgNames({"type", "fm"})->ArgsProduct({{0, 1, 2, 3}, {0, 1}});

// The same slot while it switches: every block starts a change of type (to the next type and back
// on the next block), so the 5 ms fade (441 of the block's 512 samples) is in flight for most of
// it. Includes restarting the incoming filter, which clears every filter state of the twin (the
// comb's delay lines most of all). Compare with BM_VoiceFilter, which never fades: a slot that is
// not switching runs the single-filter path alone.
void BM_VoiceFilterSwitchingType(benchmark::State& state) {
  constexpr const char* kSwitches[] = {"Japan <-> S.V.F", "S.V.F <-> Fatty", "Fatty <-> Comb",
                                       "Comb <-> Japan"};
  const auto from = static_cast<float>(state.range(0)) / (kFilterTypeCount - 1);
  const auto to = static_cast<float>((state.range(0) + 1) % 4) / (kFilterTypeCount - 1);
  state.SetLabel(kSwitches[state.range(0)]);
  VoiceFilter voice;
  voice.SetSampleRate(kProcessingRate, kHostRate, kFactor);
  voice.Prepare(kSubBlock);
  Stereo work(kBlock);
  // A first block, so that the slot is running and every later change fades.
  voice.SetControls(0.6f, kResonance, 0.0f, from, 0.6f, 0.6f, 0.5f);
  voice.ProcessStereo(work.left.data(), work.right.data(), kSubBlock, 1.0f / kSubBlock);
  bool flip = false;
  const CpuClock clock;
  for (auto _ : state) {
    flip = !flip;
    const float type = flip ? to : from;
    CopyIn(work, 0, kBlock);
    ForEachSubBlock([&](int32_t offset, int32_t n, float inverseN) {
      voice.SetControls(0.6f, kResonance, 0.0f, type, 0.6f, 0.6f, 0.5f);
      voice.ProcessStereo(work.left.data() + offset, work.right.data() + offset, n, inverseN);
    });
    if (voice.Fading()) state.SkipWithError("the fade outlasted the block");
    KeepResult(work);
  }
  SetCounters(state, clock, kBlock, kProcessingRate);
}
BENCHMARK(BM_VoiceFilterSwitchingType)->ArgName("type")->DenseRange(0, 3);

// A slot whose twin the engine has borrowed for a layout or drive-position fade: both filters run
// through one set of gain ramps.
void BM_VoiceFilterLentTwin(benchmark::State& state) {
  const auto type = static_cast<float>(state.range(0)) / (kFilterTypeCount - 1);
  VoiceFilter voice;
  voice.SetSampleRate(kProcessingRate, kHostRate, kFactor);
  voice.Prepare(kSubBlock);
  voice.LendTwin();
  Stereo work(kBlock);
  Stereo twin(kBlock);
  const CpuClock clock;
  for (auto _ : state) {
    CopyIn(work, 0, kBlock);
    CopyIn(twin, 0, kBlock);
    ForEachSubBlock([&](int32_t offset, int32_t n, float inverseN) {
      voice.SetControls(0.6f, kResonance, 0.0f, type, 0.6f, 0.6f, 0.5f);
      voice.ProcessStereoPair(work.left.data() + offset, work.right.data() + offset,
                              twin.left.data() + offset, twin.right.data() + offset, n, inverseN);
    });
    KeepResult(work);
    KeepResult(twin);
  }
  SetCounters(state, clock, kBlock, kProcessingRate);
}
BENCHMARK(BM_VoiceFilterLentTwin)->ArgName("type")->DenseRange(0, 3);

// --- Drive, dynamics, mixing ---------------------------------------------------------------------

void BM_Distortion(benchmark::State& state) {
  const uint32_t mode = static_cast<uint32_t>(state.range(0));
  Distortion drive;
  drive.SetSampleRate(kProcessingRate, kHostRate, kFactor);
  Stereo work(kBlock);
  // Drive amount 0.5: (1 + 5.812921 * 0.25)^3.
  const float gain = std::pow(1.0f + 5.812921f * 0.25f, 3.0f);
  const CpuClock clock;
  for (auto _ : state) {
    ForEachSubBlock([&](int32_t offset, int32_t n, float) {
      CopyIn(work, offset, n);
      drive.SetMode(mode);
      drive.SetTargetGain(gain);
      drive.Process(work.left.data() + offset, work.right.data() + offset, n);
    });
    KeepResult(work);
  }
  SetCounters(state, clock, kBlock, kProcessingRate);
}
BENCHMARK(BM_Distortion)->ArgName("mode")->DenseRange(0, kDistortionModeCount - 1);

void BM_Compressor(benchmark::State& state) {
  const bool hard = state.range(0) != 0;
  Compressor compressor;
  compressor.SetSampleRate(kProcessingRate);
  // Comp = 0.7: threshold (1 - 0.7) * 0.88 + 0.12, level 0.7 * 0.5 + 0.3.
  compressor.SetLevel(0.65f);
  const Stereo& in = Input();
  Stereo out(kBlock);
  const CpuClock clock;
  for (auto _ : state) {
    ForEachSubBlock([&](int32_t offset, int32_t n, float) {
      compressor.SetChargingResistance(hard ? 820.0f : 27000.0f);
      compressor.SetDischargeResistance(hard ? 1.2e6f : 270000.0f);
      compressor.SetRatio(hard ? 10 : 4);
      compressor.SetThreshold(0.384f);
      compressor.Process(in.left.data() + offset, in.right.data() + offset, in.left.data() + offset,
                         in.right.data() + offset, out.left.data() + offset,
                         out.right.data() + offset, n);
    });
    KeepResult(out);
  }
  SetCounters(state, clock, kBlock, kProcessingRate);
}
BENCHMARK(BM_Compressor)->ArgName("hard")->Arg(0)->Arg(1);

void BM_WetDryMixer(benchmark::State& state) {
  WetDryMixer mixer;
  const Stereo& in = Input();
  Stereo out(kBlock);
  const std::vector<float>& sweep = Cutoff();
  const CpuClock clock;
  for (auto _ : state) {
    ForEachSubBlock([&](int32_t offset, int32_t n, float inverseN) {
      // A moving mix keeps both glides busy.
      mixer.Set(sweep[offset], 0.8f);
      mixer.Process(in.left.data() + offset, in.right.data() + offset, in.right.data() + offset,
                    in.left.data() + offset, out.left.data() + offset, out.right.data() + offset, n,
                    inverseN);
    });
    KeepResult(out);
  }
  SetCounters(state, clock, kBlock, kProcessingRate);
}
BENCHMARK(BM_WetDryMixer);

void BM_Pan(benchmark::State& state) {
  Pan pan;
  Stereo work(kBlock);
  const std::vector<float>& sweep = Cutoff();
  const CpuClock clock;
  for (auto _ : state) {
    ForEachSubBlock([&](int32_t offset, int32_t n, float inverseN) {
      CopyIn(work, offset, n);
      pan.SetTarget(sweep[offset]);
      pan.Process(work.left.data() + offset, work.right.data() + offset, n, inverseN);
    });
    KeepResult(work);
  }
  SetCounters(state, clock, kBlock, kProcessingRate);
}
BENCHMARK(BM_Pan);

// The filter slot's smoothed pre/post gain.
void BM_SlotGain(benchmark::State& state) {
  BasicDrive gain;
  gain.Prepare(kSubBlock);
  Stereo work(kBlock);
  const std::vector<float>& sweep = Cutoff();
  const CpuClock clock;
  for (auto _ : state) {
    ForEachSubBlock([&](int32_t offset, int32_t n, float inverseN) {
      CopyIn(work, offset, n);
      gain.SetTarget(2.0f * sweep[offset]);
      gain.Apply(work.left.data() + offset, work.right.data() + offset, n, inverseN);
    });
    KeepResult(work);
  }
  SetCounters(state, clock, kBlock, kProcessingRate);
}
BENCHMARK(BM_SlotGain);

// --- Resampling ----------------------------------------------------------------------------------

// One host block up to the processing rate and back, as the engine does for inputs 1+2 and the
// output. Counted per stereo sample at the processing rate (host rate x factor).
void BM_ResamplerPair(benchmark::State& state) {
  const int32_t factor = static_cast<int32_t>(state.range(0));
  const double processingRate = static_cast<double>(kHostRate) * factor;
  ResamplerChain up;
  ResamplerChain down;
  up.SetRates(kHostRate, processingRate);
  down.SetRates(processingRate, kHostRate);
  up.Prepare(kHostBlock * 8);
  down.Prepare(kHostBlock * 8);
  const Stereo& in = Input();
  Stereo oversampled(static_cast<size_t>(up.MaxOutputFrames(kHostBlock)));
  Stereo out(static_cast<size_t>(down.MaxOutputFrames(kHostBlock * factor)));
  const CpuClock clock;
  for (auto _ : state) {
    up.SetBlock(kHostBlock);
    const int produced = up.Process(oversampled.left.data(), oversampled.right.data(),
                                    in.left.data(), in.right.data());
    down.SetBlock(produced);
    down.Process(out.left.data(), out.right.data(), oversampled.left.data(),
                 oversampled.right.data());
    KeepResult(out);
  }
  SetCounters(state, clock, static_cast<double>(kHostBlock) * factor, processingRate);
}
BENCHMARK(BM_ResamplerPair)->ArgName("factor")->Arg(2)->Arg(4);

// A rate ratio that is not a power of two (44.1 kHz <-> 48 kHz): one half-band stage plus the cubic
// stage each way. Counted per stereo sample at 48 kHz.
void BM_ResamplerPairFractional(benchmark::State& state) {
  constexpr double kOtherRate = 48000.0;
  ResamplerChain up;
  ResamplerChain down;
  up.SetRates(kHostRate, kOtherRate);
  down.SetRates(kOtherRate, kHostRate);
  up.Prepare(kHostBlock * 8);
  down.Prepare(kHostBlock * 8);
  const Stereo& in = Input();
  Stereo converted(static_cast<size_t>(up.MaxOutputFrames(kHostBlock)));
  Stereo out(static_cast<size_t>(down.MaxOutputFrames(up.MaxOutputFrames(kHostBlock))));
  int64_t frames = 0;
  const CpuClock clock;
  for (auto _ : state) {
    up.SetBlock(kHostBlock);
    const int produced =
        up.Process(converted.left.data(), converted.right.data(), in.left.data(), in.right.data());
    down.SetBlock(produced);
    down.Process(out.left.data(), out.right.data(), converted.left.data(), converted.right.data());
    frames += produced;
    KeepResult(out);
  }
  const double perIteration =
      state.iterations() > 0 ? static_cast<double>(frames) / state.iterations() : 0.0;
  SetCounters(state, clock, perIteration, kOtherRate);
}
BENCHMARK(BM_ResamplerPairFractional);

}  // namespace
}  // namespace VDSP
