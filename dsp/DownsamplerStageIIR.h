// 2x downsampling stage: a polyphase half-band IIR decimator with N allpass coefficients.
#pragma once

#include "dsp/HalfBandStageIIR.h"

namespace VDSP {

// Each pair of input samples (u0, u1) yields one output: path 0 filters u1, path 1 filters u0, and
// their mean is the half-band low-passed signal at the lower rate. Everything runs at the lower
// rate, so the steepest filter costs least when placed last in a chain.
template <int N>
class DownsamplerStageIIR final : public HalfBandStageIIR<N> {
 public:
  explicit DownsamplerStageIIR(double transitionBandwidth)
      : HalfBandStageIIR<N>(transitionBandwidth, true) {}

  // Reads 2 * frames samples, writes `frames`; out may equal in. // audio thread
  void Process(float* out, const float* in, int frames) override {
    for (int i = 0; i < frames; ++i) {
      float path1 = in[2 * i];
      float path0 = in[2 * i + 1];
      this->RunPaths(path0, path1);
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
    this->template RunLanes<V>(
        frames,
        [&](int i) {
          return V::Set(inLeft[2 * i], inLeft[2 * i + 1], inRight[2 * i], inRight[2 * i + 1]);
        },
        [&](int i, const float* lanes) {
          outLeft[i] = 0.5f * (lanes[1] + lanes[0]);
          outRight[i] = 0.5f * (lanes[3] + lanes[2]);
        });
  }
};

}  // namespace VDSP
