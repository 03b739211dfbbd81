// Envelope stage times for the seconds display and the typed-seconds inverse.
#include "modulation/EnvelopeTimes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct TimeCase {
  EnvelopeTimeStage stage;
  float value;
  float expectedMs;
};

TEST(EnvelopeTimesTest, StageLengths) {
  const TimeCase cases[] = {
      {EnvelopeTimeStage::kAttack, 0.0f, 4.0f},
      {EnvelopeTimeStage::kAttack, 1.0f, 10000.0f},
      {EnvelopeTimeStage::kDecay, 0.0f, 4.0f},
      {EnvelopeTimeStage::kDecay, 1.0f, 10000.0f},
      {EnvelopeTimeStage::kDecay, 0.5f, 1771.0609f},  // 0.5^2.5 * 9996 + 4
      {EnvelopeTimeStage::kHold, 0.0f, 0.0f},
      {EnvelopeTimeStage::kHold, 1.0f, 5000.0f},
      {EnvelopeTimeStage::kHold, 0.5f, 883.88348f},  // 0.5^2.5 * 5000
      {EnvelopeTimeStage::kAttack, -1.0f, 4.0f},
      {EnvelopeTimeStage::kHold, 2.0f, 5000.0f},
      {EnvelopeTimeStage::kAttack, std::nanf(""), 4.0f},
  };
  for (const TimeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.stage) << " " << c.value);
    EXPECT_NEAR(EnvelopeStageMilliseconds(c.value, c.stage), c.expectedMs,
                c.expectedMs * 1e-6f + 1e-6f);
    EXPECT_NEAR(EnvelopeStageSeconds(c.value, c.stage), c.expectedMs * 0.001f,
                c.expectedMs * 1e-9f + 1e-9f);
  }
}

TEST(EnvelopeTimesTest, TypedSecondsClampAtTheStageLimits) {
  EXPECT_EQ(ConvertSecondsToNormalised(0.004, EnvelopeTimeStage::kAttack), 0.0f);
  EXPECT_EQ(ConvertSecondsToNormalised(0.001, EnvelopeTimeStage::kDecay), 0.0f);
  EXPECT_EQ(ConvertSecondsToNormalised(10.0, EnvelopeTimeStage::kDecay), 1.0f);
  EXPECT_EQ(ConvertSecondsToNormalised(60.0, EnvelopeTimeStage::kAttack), 1.0f);
  EXPECT_EQ(ConvertSecondsToNormalised(0.0, EnvelopeTimeStage::kHold), 0.0f);
  EXPECT_EQ(ConvertSecondsToNormalised(-2.0, EnvelopeTimeStage::kHold), 0.0f);
  EXPECT_EQ(ConvertSecondsToNormalised(5.0, EnvelopeTimeStage::kHold), 1.0f);
  EXPECT_EQ(ConvertSecondsToNormalised(std::nan(""), EnvelopeTimeStage::kHold), 0.0f);
  EXPECT_NEAR(ConvertSecondsToNormalised(2.5, EnvelopeTimeStage::kHold), std::pow(0.5, 0.4), 1e-6);
}

TEST(EnvelopeTimesTest, TypedSecondsInvertTheStageLength) {
  for (const EnvelopeTimeStage stage :
       {EnvelopeTimeStage::kAttack, EnvelopeTimeStage::kHold, EnvelopeTimeStage::kDecay}) {
    for (int32_t step = 0; step <= 100; ++step) {
      const float v = static_cast<float>(step) / 100.0f;
      EXPECT_NEAR(ConvertSecondsToNormalised(EnvelopeStageSeconds(v, stage), stage), v, 1e-4f)
          << static_cast<int>(stage) << " " << v;
    }
  }
}

}  // namespace
