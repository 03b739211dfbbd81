// Free and synced rates of the LFOs and the sample-and-hold, and their typed text.
#include "modulation/RateConversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "modulation/TempoSync.h"

namespace {

TEST(RateConversionsTest, FreeRateEndsAndCentre) {
  EXPECT_NEAR(FreeRateHz(0.0f), 0.25f, 0.25f * 2e-7f);
  EXPECT_NEAR(FreeRateHz(0.5f), 16.0f, 16.0f * 2e-7f);
  EXPECT_NEAR(FreeRateHz(1.0f), 1024.0f, 1024.0f * 2e-7f);
  EXPECT_NEAR(FreeRateHz(1.0f / 3.0f), 4.0f, 4.0f * 1e-6f);
}

TEST(RateConversionsTest, FreeRateTracksTwoToTheXWithinApproximation) {
  for (int32_t step = 0; step <= 1200; ++step) {
    const float v = static_cast<float>(step) / 1200.0f;
    const double exact = std::exp2(static_cast<double>(12.0f * v - 2.0f));
    const double ratio = FreeRateHz(v) / exact;
    ASSERT_LE(ratio, 1.0001) << v;
    ASSERT_GE(ratio, 0.996) << v;
  }
}

TEST(RateConversionsTest, FreeRateClampsOutOfRangeAndNaN) {
  EXPECT_FLOAT_EQ(FreeRateHz(-3.0f), FreeRateHz(0.0f));
  EXPECT_FLOAT_EQ(FreeRateHz(40.0f), FreeRateHz(1.0f));
  EXPECT_FLOAT_EQ(FreeRateHz(std::nanf("")), FreeRateHz(0.0f));
}

TEST(RateConversionsTest, ComputeRateChoosesBySync) {
  EXPECT_NEAR(ComputeRate(0.5f, false, 120.0f), 16.0f, 1e-5f);
  EXPECT_NEAR(ComputeRate(0.5f, true, 120.0f), 0.5f, 1e-6f);  // "1 bar"
  EXPECT_NEAR(ComputeRate(0.5f, true, 240.0f), 1.0f, 1e-6f);
}

struct TextCase {
  const char* text;
  bool synced;
  float expected;
};

TEST(RateConversionsTest, TypedText) {
  const TextCase cases[] = {
      {"2000", false, 1.0f},
      {"0.1", false, 0.0f},
      {"4", false, 1.0f / 3.0f},
      {"16", false, 0.5f},
      {"0.25", false, 0.0f},
      {"1024", false, 1.0f},
      {"not a number", false, 0.0f},
      {"1/4 bar", true, 25.0f / 38.0f},
      {"1/4t", true, 26.0f / 38.0f},
      {"2", true, 16.0f / 38.0f},
      {"16 bars (dotted)", true, 6.0f / 38.0f},
      {"not a division", true, 0.0f},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_NEAR(ConvertStringToRate(c.text, c.synced), c.expected, 1e-6f);
  }
}

TEST(RateConversionsTest, TypedFrequencyInvertsTheFreeCurve) {
  for (int32_t step = 0; step <= 100; ++step) {
    const float v = static_cast<float>(step) / 100.0f;
    // The cubic runs up to 0.4 % low, a 1/2000 of the range at most.
    EXPECT_NEAR(FreeRateValueFromHz(FreeRateHz(v)), v, 5e-4f) << v;
  }
  EXPECT_FLOAT_EQ(FreeRateValueFromHz(std::numeric_limits<double>::quiet_NaN()), 0.0f);
  EXPECT_FLOAT_EQ(FreeRateValueFromHz(std::numeric_limits<double>::infinity()), 1.0f);
}

}  // namespace
