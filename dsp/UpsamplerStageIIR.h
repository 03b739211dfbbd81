// 2x upsampling stage: a polyphase half-band IIR interpolator with N allpass coefficients.
#pragma once

#include "dsp/HalfBandStageIIR.h"

namespace VDSP {

// Each input sample runs through both allpass paths; path 0 gives the even output sample and path 1
// the odd one, so the image band above the lower rate's Nyquist frequency is rejected without
// computing the zeros a classic interpolator would insert.
template <int N>
class UpsamplerStageIIR final : public HalfBandStageIIR<N> {
 public:
  explicit UpsamplerStageIIR(double transitionBandwidth)
      : HalfBandStageIIR<N>(transitionBandwidth, false) {}

  // Reads `frames` samples, writes 2 * frames. // audio thread
  void Process(float* out, const float* in, int frames) override {
    for (int i = 0; i < frames; ++i) {
      float path0 = in[i];
      float path1 = in[i];
      this->RunPaths(path0, path1);
      out[2 * i] = path0;
      out[2 * i + 1] = path1;
    }
  }

  // Both channels at once, in the four vector lanes. // audio thread
  void Process(float* outLeft, float* outRight, const float* inLeft, const float* inRight,
               int frames) override {
    ProcessWith<Float4>(outLeft, outRight, inLeft, inRight, frames);
  }

  // The stereo loop on any vector type of the Float4 family. // audio thread
  template <class V>
  void ProcessWith(float* outLeft, float* outRight, const float* inLeft, const float* inRight,
                   int frames) {
    this->template RunLanes<V>(
        frames, [&](int i) { return V::Set(inLeft[i], inLeft[i], inRight[i], inRight[i]); },
        [&](int i, const float* lanes) {
          outLeft[2 * i] = lanes[0];
          outLeft[2 * i + 1] = lanes[1];
          outRight[2 * i] = lanes[2];
          outRight[2 * i + 1] = lanes[3];
        });
  }
};

}  // namespace VDSP
