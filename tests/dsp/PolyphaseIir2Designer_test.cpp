// Tests of the half-band allpass designer: reference coefficients, their order and the design
// range.
#include "dsp/PolyphaseIir2Designer.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

namespace VDSP {
namespace {

struct CoefficientCase {
  int count;
  double transition;
  int index;
  double expected;
};

TEST(PolyphaseIir2Designer, MatchesReferenceCoefficients) {
  const CoefficientCase cases[] = {
      {9, 0.05, 0, 0.02881721},
      {9, 0.05, 8, 0.94755807},
      {1, 0.4921875, 0, 0.33338354},
  };
  for (const CoefficientCase& c : cases) {
    std::vector<double> coefficients(static_cast<size_t>(c.count));
    ASSERT_TRUE(
        PolyphaseIir2Designer::ComputeCoefficients(coefficients.data(), c.count, c.transition));
    EXPECT_NEAR(coefficients[static_cast<size_t>(c.index)], c.expected, 5e-9)
        << "N = " << c.count << ", t = " << c.transition << ", index " << c.index;
  }
}

TEST(PolyphaseIir2Designer, CoefficientsRiseInsideTheUnitInterval) {
  const std::pair<int, double> designs[] = {{9, 0.05},    {5, 0.25},     {3, 0.375},    {2, 0.4375},
                                            {2, 0.46875}, {2, 0.484375}, {1, 0.4921875}};
  for (const auto& [count, transition] : designs) {
    std::vector<double> a(static_cast<size_t>(count));
    ASSERT_TRUE(PolyphaseIir2Designer::ComputeCoefficients(a.data(), count, transition));
    for (int i = 0; i < count; ++i) {
      EXPECT_GT(a[i], 0.0);
      EXPECT_LT(a[i], 1.0);
      if (i > 0) {
        EXPECT_GT(a[i], a[i - 1]) << "N = " << count << ", index " << i;
      }
    }
  }
}

TEST(PolyphaseIir2Designer, RejectsArgumentsOutsideTheDesignRange) {
  double a[4] = {1.0, 1.0, 1.0, 1.0};
  EXPECT_FALSE(PolyphaseIir2Designer::ComputeCoefficients(a, 0, 0.1));
  EXPECT_FALSE(PolyphaseIir2Designer::ComputeCoefficients(a, 4, 0.0));
  EXPECT_FALSE(PolyphaseIir2Designer::ComputeCoefficients(a, 4, 0.5));
  EXPECT_FALSE(
      PolyphaseIir2Designer::ComputeCoefficients(a, 4, std::numeric_limits<double>::quiet_NaN()));
  for (double value : a) EXPECT_EQ(value, 0.0);
}

}  // namespace
}  // namespace VDSP
