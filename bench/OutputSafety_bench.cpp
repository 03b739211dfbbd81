// Cost of the output safety limiter per stereo sample at 44.1 kHz, in the host's 256-frame blocks:
// the peak scan alone, steady limiting, and the hold and release after a single loud sample.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <ctime>
#include <vector>

#include "dsp/OutputSafety.h"

namespace VDSP {
namespace {

constexpr float kHostRate = 44100.0f;
constexpr int32_t kHostBlock = 256;
// 8192 frames (186 ms): long enough for the 25 ms hold and the whole release from -42 dB (133 ms).
constexpr int32_t kBlocks = 32;
constexpr int32_t kFrames = kHostBlock * kBlocks;

enum class Load { kBelowCeiling, kLimiting, kRecovering };

struct Stereo {
  explicit Stereo(size_t frames) : left(frames), right(frames) {}
  std::vector<float> left;
  std::vector<float> right;
};

// A 110 Hz / 165 Hz sawtooth pair with a little noise, peaking at 0.6 (-4.4 dBFS) at unit scale.
Stereo BusySignal(float scale) {
  Stereo s(kFrames);
  uint32_t noise = 12345u;
  for (int32_t i = 0; i < kFrames; ++i) {
    noise = noise * 196314163u + 907633515u;
    const float white = static_cast<float>(noise >> 8) / 16777216.0f - 0.5f;
    const float t = static_cast<float>(i) / kHostRate;
    s.left[i] = scale * (0.5f * (2.0f * std::fmod(110.0f * t, 1.0f) - 1.0f) + 0.2f * white);
    s.right[i] = scale * (0.5f * (2.0f * std::fmod(165.0f * t, 1.0f) - 1.0f) - 0.2f * white);
  }
  return s;
}

Stereo Input(Load load) {
  switch (load) {
    case Load::kBelowCeiling:
      return BusySignal(1.0f);
    case Load::kLimiting:
      return BusySignal(1000.0f);  // +56 dBFS
    case Load::kRecovering: {
      Stereo s = BusySignal(1.0f);
      s.left[0] = 1000.0f;
      return s;
    }
  }
  return BusySignal(1.0f);
}

// CPU time of the timed loop, read with the process clock so that the counter comes out in plain
// nanoseconds.
class CpuClock {
 public:
  double Seconds() const {
    return static_cast<double>(std::clock() - start_) / static_cast<double>(CLOCKS_PER_SEC);
  }

 private:
  std::clock_t start_ = std::clock();
};

// Each iteration starts from unity gain on a fresh copy of the input, so every iteration does the
// same work. A block below the ceiling is left as it is, so that case needs no copy and measures
// the scan alone; the others include the copy, measured on its own by BM_OutputSafetyCopyBaseline.
void BM_OutputSafety(benchmark::State& state) {
  const auto load = static_cast<Load>(state.range(0));
  state.SetLabel(load == Load::kBelowCeiling ? "below ceiling"
                 : load == Load::kLimiting   ? "limiting +56 dBFS"
                                             : "hold and release");
  const Stereo input = Input(load);
  Stereo work = input;
  OutputSafety safety;
  safety.SetSampleRate(kHostRate);
  const CpuClock clock;
  for (auto _ : state) {
    if (load != Load::kBelowCeiling) work = input;
    safety.Reset();
    for (int32_t offset = 0; offset < kFrames; offset += kHostBlock) {
      safety.Process(work.left.data() + offset, work.right.data() + offset, kHostBlock);
    }
    benchmark::DoNotOptimize(work.left.data());
    benchmark::DoNotOptimize(work.right.data());
    benchmark::ClobberMemory();
  }
  const double frames = static_cast<double>(kFrames) * static_cast<double>(state.iterations());
  if (frames > 0.0) state.counters["ns_per_sample"] = clock.Seconds() * 1e9 / frames;
}
BENCHMARK(BM_OutputSafety)->ArgName("load")->DenseRange(0, 2);

void BM_OutputSafetyCopyBaseline(benchmark::State& state) {
  const Stereo input = Input(Load::kLimiting);
  Stereo work = input;
  const CpuClock clock;
  for (auto _ : state) {
    work = input;
    benchmark::DoNotOptimize(work.left.data());
    benchmark::DoNotOptimize(work.right.data());
    benchmark::ClobberMemory();
  }
  const double frames = static_cast<double>(kFrames) * static_cast<double>(state.iterations());
  if (frames > 0.0) state.counters["ns_per_sample"] = clock.Seconds() * 1e9 / frames;
}
BENCHMARK(BM_OutputSafetyCopyBaseline);

}  // namespace
}  // namespace VDSP
