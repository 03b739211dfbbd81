// The allpass chains both half-band IIR stages run: coefficients, memories and the four-lane loop.
#pragma once

#include <array>

#include "dsp/Float4.h"
#include "dsp/PolyphaseIir2Designer.h"
#include "dsp/Resampler2StageIIR.h"

namespace VDSP {

// Four chains as the four lanes of one vector: the two paths of the left channel, then of the
// right. The upsampler orders each channel's lanes (path 0, path 1), the decimator (path 1, path 0)
// so that an input pair loads in order. The one-channel form is the lanes' plain scalar reference
// and gives the same bits.
template <int N>
class HalfBandStageIIR : public Resampler2StageIIR {
  static_assert(N >= 1, "a stage needs at least one allpass coefficient");

 public:
  float Coefficient(int index) const { return coefficients_[index]; }  // any thread

  void Reset() override {  // audio thread
    input_ = {};
    output_ = {};
  }

  bool FlushState() override {  // audio thread
    if (!FlushMemory(input_[0].data(), 4 * kPairs) || !FlushMemory(output_[0].data(), 4 * kPairs)) {
      Reset();
      return true;
    }
    return false;
  }

 protected:
  static constexpr int kPairs = (N + 1) / 2;

  // Designs the coefficients; runs once at construction. // UI thread
  HalfBandStageIIR(double transitionBandwidth, bool pathOneFirst)
      : Resampler2StageIIR(N, transitionBandwidth),
        pathZeroLane_(pathOneFirst ? 1 : 0),
        pathOneLane_(pathOneFirst ? 0 : 1) {
    std::array<double, N> designed{};
    PolyphaseIir2Designer::ComputeCoefficients(designed.data(), N, transitionBandwidth);
    for (int i = 0; i < N; ++i) coefficients_[i] = static_cast<float>(designed[i]);
    for (int j = 0; j < kPairs; ++j) {
      Lanes& lanes = laneCoefficients_[j];
      lanes[pathZeroLane_] = lanes[pathZeroLane_ + 2] = coefficients_[2 * j];
      lanes[pathOneLane_] = lanes[pathOneLane_ + 2] =
          2 * j + 1 < N ? coefficients_[2 * j + 1] : 0.0f;
    }
  }

  // One channel: both paths on their inputs, through the left channel's lanes. // audio thread
  void RunPaths(float& path0, float& path1) {
    for (int j = 0; j < kPairs; ++j) {
      path0 =
          Allpass(path0, coefficients_[2 * j], input_[j][pathZeroLane_], output_[j][pathZeroLane_]);
      if (2 * j + 1 < N) {
        path1 = Allpass(path1, coefficients_[2 * j + 1], input_[j][pathOneLane_],
                        output_[j][pathOneLane_]);
      }
    }
  }

  // Both channels, `frames` times: load(i) gives the four lanes' inputs, store(i, lanes) takes
  // their outputs. // audio thread
  template <class V, class Load, class Store>
  void RunLanes(int frames, Load load, Store store) {
    V a[kPairs], x1[kPairs], y1[kPairs];
    for (int j = 0; j < kPairs; ++j) {
      a[j] = V::Load(laneCoefficients_[j].data());
      x1[j] = V::Load(input_[j].data());
      y1[j] = V::Load(output_[j].data());
    }
    // With an odd count path 1 has no section in the last pair: its lanes keep their input.
    const float one = pathOneLane_ == 0 ? 1.0f : 0.0f;
    const V pathOne = V::CmpGt(V::Set(one, 1.0f - one, one, 1.0f - one), V::Zero());
    alignas(16) float lanes[4];
    for (int i = 0; i < frames; ++i) {
      V v = load(i);
      V beforeLast = v;
      for (int j = 0; j < kPairs; ++j) {
        beforeLast = v;
        const V y = (v - y1[j]) * a[j] + x1[j];
        x1[j] = v;
        y1[j] = y;
        v = y;
      }
      if constexpr (N % 2 != 0) v = V::Select(pathOne, beforeLast, v);
      v.Store(lanes);
      store(i, lanes);
    }
    for (int j = 0; j < kPairs; ++j) {
      x1[j].Store(input_[j].data());
      y1[j].Store(output_[j].data());
    }
  }

 private:
  // Memories: previous input and output of each allpass section, lanes as above.
  using Lanes = std::array<float, 4>;

  int pathZeroLane_;
  int pathOneLane_;
  std::array<float, N> coefficients_{};
  alignas(16) std::array<Lanes, kPairs> laneCoefficients_{};
  alignas(16) std::array<Lanes, kPairs> input_{};
  alignas(16) std::array<Lanes, kPairs> output_{};
};

}  // namespace VDSP
