// Tests of the block peak the output meters take: the larger magnitude of the lowest and highest
// sample, wherever in the block it sits, with NaN passed over.
#include "dsp/BlockPeak.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace VDSP {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

struct PeakCase {
  const char* name;
  std::vector<float> samples;
  float peak;
};

// Blocks of 1 to 9 samples put the peak into the four-lane part and into the tail.
const PeakCase kCases[] = {
    {"empty block", {}, 0.0f},
    {"silence", {0.0f, 0.0f, 0.0f, 0.0f, 0.0f}, 0.0f},
    {"positive peak in the lanes", {0.1f, 0.7f, -0.2f, 0.3f, 0.05f}, 0.7f},
    {"negative peak in the lanes", {0.1f, -0.9f, 0.2f, 0.3f}, 0.9f},
    {"positive peak in the tail", {0.1f, 0.2f, 0.3f, 0.4f, 0.1f, 0.8f}, 0.8f},
    {"negative peak in the tail", {0.1f, 0.2f, 0.3f, 0.4f, 0.1f, 0.2f, -0.6f}, 0.6f},
    {"one sample", {-0.25f}, 0.25f},
    {"negative larger than positive",
     {0.5f, -0.5001f, 0.5f, 0.4f, 0.3f, 0.2f, 0.1f, 0.0f, 0.5f},
     0.5001f},
    {"positive larger than negative",
     {-0.5f, 0.5001f, -0.5f, -0.4f, 0.3f, 0.2f, 0.1f, 0.0f, -0.5f},
     0.5001f},
    {"only negative samples", {-0.1f, -0.2f, -0.3f, -0.05f, -0.15f}, 0.3f},
    {"NaN in the lanes", {0.1f, kNaN, -0.3f, 0.2f, 0.1f}, 0.3f},
    {"NaN in the tail", {0.1f, 0.2f, -0.3f, 0.2f, kNaN}, 0.3f},
    {"every sample NaN", {kNaN, kNaN, kNaN, kNaN, kNaN, kNaN}, 0.0f},
    {"infinite sample", {0.1f, -kInfinity, 0.2f, 0.3f}, kInfinity},
    {"largest float in the tail",
     {0.1f, 0.2f, 0.3f, 0.4f, std::numeric_limits<float>::max()},
     std::numeric_limits<float>::max()},
};

TEST(BlockPeakTest, IsTheLargerMagnitudeOfTheLowestAndHighestSample) {
  for (const PeakCase& c : kCases) {
    EXPECT_EQ(BlockPeak(c.samples.data(), static_cast<int32_t>(c.samples.size())), c.peak)
        << c.name;
  }
}

TEST(BlockPeakTest, FindsThePeakAtEveryPositionOfEveryBlockLength) {
  for (int32_t frames = 1; frames <= 13; ++frames) {
    for (int32_t at = 0; at < frames; ++at) {
      std::vector<float> samples(static_cast<size_t>(frames), 0.125f);
      samples[static_cast<size_t>(at)] = -0.75f;
      EXPECT_EQ(BlockPeak(samples.data(), frames), 0.75f) << frames << " frames, peak at " << at;
    }
  }
}

}  // namespace
}  // namespace VDSP
