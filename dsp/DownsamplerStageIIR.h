// 2x downsampling stage: a polyphase half-band IIR decimator with N allpass coefficients.
#pragma once

#include <array>

#include "dsp/Float4.h"
#include "dsp/PolyphaseIir2Designer.h"
#include "dsp/Resampler2StageIIR.h"

namespace VDSP {

// Each pair of input samples (u0, u1) yields one output: path 0 filters u1, path 1 filters u0, and
// their mean is the half-band low-passed signal at the lower rate. Everything runs at the lower
// rate, so the steepest filter costs least when placed last in a chain.
//
// The stereo path runs the four chains (left path 1 on u0, left path 0 on u1, the same for the
// right) as the four lanes of one vector, so an input pair loads in order; the one-channel path is
// its plain scalar reference and gives the same bits.
template <int N>
class DownsamplerStageIIR final : public Resampler2StageIIR {
  static_assert(N >= 1, "a stage needs at least one allpass coefficient");

 public:
  // Designs the coefficients; runs once at construction. // UI thread
  explicit DownsamplerStageIIR(double transitionBandwidth)
      : Resampler2StageIIR(N, transitionBandwidth) {
    std::array<double, N> designed{};
    PolyphaseIir2Designer::ComputeCoefficients(designed.data(), N, transitionBandwidth);
    for (int i = 0; i < N; ++i) coefficients_[i] = static_cast<float>(designed[i]);
    for (int j = 0; j < kPairs; ++j) {
      const float path0 = coefficients_[2 * j];
      const float path1 = 2 * j + 1 < N ? coefficients_[2 * j + 1] : 0.0f;
      laneCoefficients_[j] = {path1, path0, path1, path0};
    }
  }

  float Coefficient(int index) const { return coefficients_[index]; }  // any thread

  // Reads 2 * frames samples, writes `frames`; out may equal in. // audio thread
  void Process(float* out, const float* in, int frames) override {
    for (int i = 0; i < frames; ++i) {
      float path1 = in[2 * i];
      float path0 = in[2 * i + 1];
      for (int j = 0; j < kPairs; ++j) {
        path0 = Allpass(path0, coefficients_[2 * j], input_[j][1], output_[j][1]);
        if (2 * j + 1 < N) {
          path1 = Allpass(path1, coefficients_[2 * j + 1], input_[j][0], output_[j][0]);
        }
      }
      out[i] = 0.5f * (path0 + path1);
    }
  }

  // Both channels at once, in the four vector lanes. // audio thread
  void Process(float* outLeft, float* outRight, const float* inLeft, const float* inRight,
               int frames) override {
    ProcessWith<Float4>(outLeft, outRight, inLeft, inRight, frames);
  }

  // The stereo loop on any vector type of the Float4 family; out may equal in. // audio thread
  template <class V>
  void ProcessWith(float* outLeft, float* outRight, const float* inLeft, const float* inRight,
                   int frames) {
    V a[kPairs], x1[kPairs], y1[kPairs];
    for (int j = 0; j < kPairs; ++j) {
      a[j] = V::Load(laneCoefficients_[j].data());
      x1[j] = V::Load(input_[j].data());
      y1[j] = V::Load(output_[j].data());
    }
    // With an odd count path 1 has no section in the last pair: its lanes keep their input.
    const V pathOne = V::CmpGt(V::Set(1.0f, 0.0f, 1.0f, 0.0f), V::Zero());
    for (int i = 0; i < frames; ++i) {
      V v = V::Set(inLeft[2 * i], inLeft[2 * i + 1], inRight[2 * i], inRight[2 * i + 1]);
      V beforeLast = v;
      for (int j = 0; j < kPairs; ++j) {
        beforeLast = v;
        const V y = (v - y1[j]) * a[j] + x1[j];
        x1[j] = v;
        y1[j] = y;
        v = y;
      }
      if constexpr (N % 2 != 0) v = V::Select(pathOne, beforeLast, v);
      alignas(16) float lanes[4];
      v.Store(lanes);
      outLeft[i] = 0.5f * (lanes[1] + lanes[0]);
      outRight[i] = 0.5f * (lanes[3] + lanes[2]);
    }
    for (int j = 0; j < kPairs; ++j) {
      x1[j].Store(input_[j].data());
      y1[j].Store(output_[j].data());
    }
  }

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

 private:
  static constexpr int kPairs = (N + 1) / 2;
  // One entry per pair of coefficients, lanes: left path 1, left path 0, right path 1, right path
  // 0. Memories: previous input and output of each allpass section.
  using Lanes = std::array<float, 4>;

  std::array<float, N> coefficients_{};
  alignas(16) std::array<Lanes, kPairs> laneCoefficients_{};
  alignas(16) std::array<Lanes, kPairs> input_{};
  alignas(16) std::array<Lanes, kPairs> output_{};
};

}  // namespace VDSP
