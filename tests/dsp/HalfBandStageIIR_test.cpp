// Tests of the half-band IIR stages' four-lane loop against its one-channel scalar reference.
#include "dsp/HalfBandStageIIR.h"

#include <gtest/gtest.h>

#include <vector>

#include "dsp/DownsamplerStageIIR.h"
#include "dsp/Float4.h"
#include "dsp/UpsamplerStageIIR.h"
#include "kit/Signals.h"

namespace VDSP {
namespace {

// A sine of cyclesPerSample cycles per sample, computed in double so the input adds no spurs.
std::vector<float> Sine(double cyclesPerSample, size_t length, double amplitude = 1.0) {
  return TestKit::Sine(cyclesPerSample, amplitude, length, 1.0);
}

// The stereo loop runs four allpass chains as vector lanes; the one-channel loop is its scalar
// reference. Both channels of the stereo loop, on SSE2 and on the scalar twin, must give the bits
// of two one-channel stages, for odd and even coefficient counts.
template <class Stage>
void ExpectStereoMatchesMono(double transition, bool upsampling) {
  constexpr int kLowRateFrames = 200;
  // An upsampling stage reads one and writes two samples per low-rate frame, a downsampling one the
  // other way round.
  const size_t inFrames = kLowRateFrames * (upsampling ? 1 : 2);
  const size_t outFrames = kLowRateFrames * (upsampling ? 2 : 1);
  const std::vector<float> left = Sine(0.1, inFrames);
  const std::vector<float> right = Sine(0.3, inFrames, 0.5);
  Stage monoLeft(transition), monoRight(transition), vector(transition), scalar(transition);
  std::vector<float> expectLeft(outFrames), expectRight(outFrames);
  monoLeft.Process(expectLeft.data(), left.data(), kLowRateFrames);
  monoRight.Process(expectRight.data(), right.data(), kLowRateFrames);
  std::vector<float> outLeft(outFrames), outRight(outFrames);
  vector.Process(outLeft.data(), outRight.data(), left.data(), right.data(), kLowRateFrames);
  EXPECT_EQ(outLeft, expectLeft);
  EXPECT_EQ(outRight, expectRight);
  scalar.template ProcessWith<Float4Scalar>(outLeft.data(), outRight.data(), left.data(),
                                            right.data(), kLowRateFrames);
  EXPECT_EQ(outLeft, expectLeft);
  EXPECT_EQ(outRight, expectRight);
}

TEST(ResamplerStage, StereoLanesMatchTheScalarReference) {
  ExpectStereoMatchesMono<UpsamplerStageIIR<9>>(0.05, true);
  ExpectStereoMatchesMono<UpsamplerStageIIR<2>>(0.4375, true);
  ExpectStereoMatchesMono<UpsamplerStageIIR<1>>(0.4921875, true);
  ExpectStereoMatchesMono<DownsamplerStageIIR<9>>(0.05, false);
  ExpectStereoMatchesMono<DownsamplerStageIIR<5>>(0.25, false);
  ExpectStereoMatchesMono<DownsamplerStageIIR<2>>(0.4375, false);
  ExpectStereoMatchesMono<DownsamplerStageIIR<1>>(0.4921875, false);
}

}  // namespace
}  // namespace VDSP
