// Tests of the response plots' frequency grid and value scale.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "dsp/FilterResponse.h"
#include "dsp/StateVariableFilter.h"

namespace VDSP {
namespace {

TEST(FilterResponseTest, GridRunsLogarithmicallyFromTwentyHertzToTwentyKilohertz) {
  EXPECT_FLOAT_EQ(ResponseFrequencyHz(0, 300), 20.0f);
  EXPECT_FLOAT_EQ(ResponseFrequencyHz(100, 300), 200.0f);
  EXPECT_FLOAT_EQ(ResponseFrequencyHz(200, 300), 2000.0f);
  EXPECT_FLOAT_EQ(ResponseFrequencyHz(300, 300), 20000.0f);
  EXPECT_FLOAT_EQ(ResponseFrequencyHz(450, 300), 20000.0f);
  EXPECT_FLOAT_EQ(ResponseFrequencyHz(-3, 300), 20.0f);
  EXPECT_FLOAT_EQ(ResponseFrequencyHz(0, 0), 20.0f);
}

struct ScaleCase {
  float db;
  float value;
};

TEST(FilterResponseTest, DecibelsAreLimitedAndScaled) {
  const float kNaN = std::numeric_limits<float>::quiet_NaN();
  const ScaleCase cases[] = {{-80.0f, 0.0f},          {40.0f, 1.0f},
                             {0.0f, 80.0f / 120.0f},  {-100.0f, -20.0f / 120},
                             {-300.0f, -20.0f / 120}, {60.0f, 140.0f / 120},
                             {1e9f, 140.0f / 120},    {kNaN, -20.0f / 120}};
  for (const ScaleCase& c : cases) EXPECT_FLOAT_EQ(ResponsePlotValue(c.db), c.value) << c.db;
}

TEST(FilterResponseTest, FillUsesTheGridAndTheTypesMagnitude) {
  std::vector<float> points(64);
  FillResponse(&StateVariableFilter::MagnitudeDb, 0.5f, 0.0f, 0, points.data(), 64);
  for (int32_t i = 0; i < 64; ++i) {
    const float db = StateVariableFilter::MagnitudeDb(0.5f, 0.0f, 0, ResponseFrequencyHz(i, 64),
                                                      kResponseDisplayRateHz);
    EXPECT_FLOAT_EQ(points[i], ResponsePlotValue(db)) << i;
  }
  // A 440 Hz low pass: flat at the left of the plot, low at the right.
  EXPECT_NEAR(points[10], 80.0f / 120.0f, 0.01f);
  EXPECT_LT(points[63], 0.2f);
}

}  // namespace
}  // namespace VDSP
