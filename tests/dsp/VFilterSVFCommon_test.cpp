// Tests of the linear state-variable coefficient holder behind the sidechain high-pass.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "dsp/StateVariableFilter.h"
#include "dsp/VFilterSVFCommon.h"

namespace VDSP {
namespace {

TEST(VFilterSVFCommonTest, ResetNudgesLowPassesAndSetsUnitDamping) {
  VFilterSVFCommon svf;
  svf.SetOnePoleCoefficient(0.3f);
  svf.StageOne().bp = 5.0f;
  svf.Reset();
  EXPECT_EQ(svf.F1(), 0.0f);
  EXPECT_EQ(svf.F2(), 0.0f);
  EXPECT_EQ(svf.F1Increment(), 0.0f);
  EXPECT_EQ(svf.StageOne().lp, 1e-10f);
  EXPECT_EQ(svf.StageTwo().lp, 1e-10f);
  EXPECT_EQ(svf.StageOne().bp, 0.0f);
  EXPECT_EQ(svf.StageOne().damping, 1.0f);
  EXPECT_EQ(svf.StageTwo().damping, 1.0f);
  EXPECT_EQ(svf.RateHz(), 44100.0f);
}

TEST(VFilterSVFCommonTest, OnePoleCoefficientOfTheSidechainHighPass) {
  VFilterSVFCommon svf;
  svf.SetOnePoleCoefficient(0.01f);
  // 1 - e^(-2 pi 0.01) = 0.060898; the cubic 2^x sits 0.1 % below it there.
  EXPECT_NEAR(svf.F1(), 0.060898f, 1e-4f);
  EXPECT_NEAR(svf.F1(), 0.060828f, 2e-6f);
  svf.SetOnePoleCoefficient(0.1f);
  EXPECT_NEAR(svf.F1(), 1.0 - std::exp(-2.0 * std::numbers::pi * 0.1), 3e-3);
}

TEST(VFilterSVFCommonTest, RateStoresTheReciprocalOfTheOversampledRate) {
  VFilterSVFCommon svf;
  svf.SetRate(48000.0f, 2);
  EXPECT_EQ(svf.RateHz(), 48000.0f);
  EXPECT_FLOAT_EQ(svf.InverseRate(), 1.0f / 96000.0f);
}

TEST(VFilterSVFCommonTest, DesignGlidesTowardsTheSameCoefficientsAsTheFilter) {
  VFilterSVFCommon svf;
  svf.SetRate(44100.0f, 1);
  // v = 0 is the lowest cutoff, 30 Hz; r = 0.25 gives q = 1.
  svf.Design(0.0f, 0.25f, 0.125f);
  const SvfCoefficients c = SvfDesign(SvfCutoffCoefficient(30.0f / 44100.0f), 0.25f);
  EXPECT_FLOAT_EQ(svf.StageOne().damping, c.d1);
  EXPECT_FLOAT_EQ(svf.StageTwo().damping, c.d2);
  EXPECT_FLOAT_EQ(svf.E1Quarter(), c.e1Quarter);
  EXPECT_FLOAT_EQ(svf.E2Quarter(), c.e2Quarter);
  EXPECT_FLOAT_EQ(svf.F1Increment(), c.f1 * 0.125f);
  EXPECT_EQ(svf.F1(), 0.0f);  // only Advance moves F
  for (int i = 0; i < 8; ++i) svf.Advance();
  EXPECT_NEAR(svf.F1(), c.f1, 1e-7f);
  EXPECT_NEAR(svf.F2(), c.f2, 1e-7f);
  // v = 1 asks for half the rate and is held at a quarter of it.
  svf.Design(1.0f, 0.25f, 1.0f);
  svf.Advance();
  EXPECT_NEAR(svf.F1(), SvfDesign(1.4142f, 0.25f).f1, 2e-4f);
}

// The sidechain's loop as the engine runs it: lp += F bp; hp = x - lp - d bp; bp += F hp.
double HighPassGainDb(double hz) {
  VFilterSVFCommon svf;
  svf.SetRate(44100.0f, 1);
  svf.SetOnePoleCoefficient(0.01f);
  VFilterSVFCommon::Stage& s = svf.StageOne();
  const float d = 1.35f;
  double peak = 0.0;
  for (int i = 0; i < 44100; ++i) {
    const float x = static_cast<float>(std::sin(2.0 * std::numbers::pi * hz * i / 44100.0));
    s.lp += svf.F1() * s.bp;
    s.hp = x - s.lp - d * s.bp;
    s.bp += svf.F1() * s.hp;
    if (i > 22050) peak = std::fmax(peak, std::fabs(s.hp));
  }
  return 20.0 * std::log10(peak);
}

TEST(VFilterSVFCommonTest, SidechainHighPassCutsLowsAndPassesHighs) {
  EXPECT_LT(HighPassGainDb(50.0), -30.0);
  EXPECT_LT(HighPassGainDb(200.0), -6.0);
  EXPECT_NEAR(HighPassGainDb(5000.0), 0.0, 1.0);
}

}  // namespace
}  // namespace VDSP
