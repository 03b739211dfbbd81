// Tests of the feedback compressor: its diode pair, gain, timing, meter, recovery and reset.
#include "dsp/Compressor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "kit/Signals.h"

namespace VDSP {
namespace {

constexpr float kRate = 44100.0f;

// The engine's settings for the two modes and the Comp control.
void Configure(Compressor& comp, float compAmount, bool hard) {
  comp.SetSampleRate(kRate);
  comp.SetHighPass(2.34f);
  comp.SetWetFraction(1.0f);
  comp.SetLevel(compAmount * 0.5f + 0.3f);
  comp.SetChargingResistance(hard ? 820.0f : 27000.0f);
  comp.SetDischargeResistance(hard ? 1.2e6f : 270000.0f);
  comp.SetRatio(hard ? 10 : 4);
  comp.SetThreshold((1.0f - compAmount) * 0.88f + 0.12f);
}

// Runs a mono signal through in place, in blocks of `block`, and returns the output.
std::vector<float> Compress(Compressor& comp, std::vector<float> signal, int block = 32) {
  std::vector<float> right = signal;
  for (size_t at = 0; at < signal.size(); at += static_cast<size_t>(block)) {
    const int n =
        static_cast<int>(std::min<size_t>(static_cast<size_t>(block), signal.size() - at));
    comp.Process(signal.data() + at, right.data() + at, signal.data() + at, right.data() + at,
                 signal.data() + at, right.data() + at, n);
  }
  return signal;
}

std::vector<float> Sine(float amplitude, float hz, float seconds) {
  return TestKit::Sine(hz, amplitude, static_cast<size_t>(seconds * kRate), kRate);
}

// ---------------------------------------------------------------------------------------------
// Diode pair

float DiodeResidual(float amps, float totalAmps, float volts, float r1) {
  return 0.0475f * std::log1p(amps / 5.9e-9f) + r1 * totalAmps - volts;
}

TEST(CompressorDiodePair, SolvesBothDiodesIntoTheSharedResistor) {
  struct Case {
    float left;
    float right;
    float r1;
  };
  // Both conduct while the two drives differ by less than the spread of the diode drops.
  const Case cases[] = {{16.0f, 16.0f, 820.0f}, {16.0f, 16.0f, 27000.0f}, {5.0f, 5.0f, 820.0f},
                        {1.0f, 1.0f, 27000.0f}, {16.0f, 15.9f, 820.0f},   {3.0f, 2.9f, 27000.0f},
                        {0.3f, 0.3f, 820.0f},   {0.8f, 0.75f, 27000.0f}};
  for (const Case& c : cases) {
    const Compressor::Currents i = Compressor::SolveDiodePair(c.left, c.right, c.r1);
    const float total = i.left + i.right;
    ASSERT_GT(i.left, 0.0f);
    ASSERT_GT(i.right, 0.0f);
    // Newton stops once a step moves the currents by less than 0.1 %, which leaves each equation
    // met to within about 1e-4 of its drive.
    EXPECT_NEAR(DiodeResidual(i.left, total, c.left, c.r1), 0.0f, 2e-4f * c.left)
        << c.left << " " << c.r1;
    EXPECT_NEAR(DiodeResidual(i.right, total, c.right, c.r1), 0.0f, 2e-4f * c.right)
        << c.right << " " << c.r1;
  }
}

TEST(CompressorDiodePair, ReverseBiasedDiodeCarriesNothing) {
  struct Case {
    float left;
    float right;
    float r1;
  };
  // The stronger side's current through the shared resistor can cut off the weaker side.
  for (const Case& c :
       {Case{16.0f, -2.0f, 820.0f}, Case{-1.0f, 4.0f, 27000.0f}, Case{16.0f, 0.0f, 27000.0f},
        Case{-3.0f, -3.0f, 820.0f}, Case{16.0f, 10.0f, 820.0f}, Case{8.0f, 16.0f, 27000.0f}}) {
    const Compressor::Currents i = Compressor::SolveDiodePair(c.left, c.right, c.r1);
    const float total = i.left + i.right;
    for (auto [amps, volts] : {std::pair{i.left, c.left}, std::pair{i.right, c.right}}) {
      if (volts <= c.r1 * total) {
        EXPECT_EQ(amps, 0.0f) << volts;
      } else {
        EXPECT_NEAR(DiodeResidual(amps, total, volts, c.r1), 0.0f, 2e-4f * volts) << volts;
      }
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Compressor

TEST(Compressor, OutputGainAtRestIsTenToTheLevelOffset) {
  // A tone far below the threshold leaves the capacitor empty: gain = 10^(8.2 s) with
  // s = (40 lv - 10) / 164.
  struct Case {
    float comp;
    bool hard;
    float expectedGain;
  };
  const Case cases[] = {{0.0f, false, 1.2589f},
                        {0.0f, true, 1.2589f},
                        {0.5f, false, 3.9811f},
                        {1.0f, false, 12.589f},
                        {1.0f, true, 12.589f}};
  for (const Case& c : cases) {
    Compressor comp;
    Configure(comp, c.comp, c.hard);
    const std::vector<float> in = Sine(1e-4f, 440.0f, 0.5f);
    const std::vector<float> out = Compress(comp, in);
    for (size_t i = in.size() - 100; i < in.size(); ++i) {
      if (std::fabs(in[i]) < 2e-5f) continue;
      EXPECT_NEAR(out[i] / in[i], c.expectedGain, 2e-3f * c.expectedGain) << c.comp;
    }
    EXPECT_NEAR(comp.MeterOutput(), 1.0f, 1e-5f);
  }
}

TEST(Compressor, SilenceRelaxesTheCapacitorAndTheMeterReadsOne) {
  for (bool hard : {false, true}) {
    Compressor comp;
    Configure(comp, 0.8f, hard);
    Compress(comp, Sine(1.0f, 200.0f, 0.5f));
    EXPECT_LT(comp.CapacitorVolts(), -1.0f);
    EXPECT_LT(comp.MeterOutput(), 0.8f);
    Compress(comp, std::vector<float>(static_cast<size_t>(6.0f * kRate), 0.0f));
    EXPECT_NEAR(comp.CapacitorVolts(), 0.0f, 1e-3f);
    EXPECT_NEAR(comp.MeterOutput(), 1.0f, 1e-3f);
    // Output control back at rest: -s.
    EXPECT_NEAR(comp.OutputControl(), -(40.0f * 0.7f - 10.0f) / 164.0f, 1e-4f);
  }
}

// Time for the capacitor to cover 90 % of the way to its level at the end of a loud burst, and for
// it to fall back to 37 % of that level in silence.
struct Timing {
  float attackMs;
  float releaseMs;
};

Timing MeasureTiming(bool hard) {
  Compressor comp;
  Configure(comp, 0.5f, hard);
  const std::vector<float> burst = Sine(1.0f, 1000.0f, 0.3f);
  std::vector<float> volts;
  for (float x : burst) {
    float l = x;
    float r = x;
    comp.Process(&l, &r, &l, &r, &l, &r, 1);
    volts.push_back(comp.CapacitorVolts());
  }
  const float held = volts.back();
  size_t attack = 0;
  while (attack < volts.size() && volts[attack] > 0.9f * held) ++attack;
  size_t release = 0;
  while (release < static_cast<size_t>(3.0f * kRate)) {
    float l = 0.0f;
    float r = 0.0f;
    comp.Process(&l, &r, &l, &r, &l, &r, 1);
    ++release;
    if (comp.CapacitorVolts() > 0.368f * held) break;
  }
  return {1000.0f * static_cast<float>(attack) / kRate,
          1000.0f * static_cast<float>(release) / kRate};
}

TEST(Compressor, SoftAndHardAttackAndReleaseTimes) {
  const Timing soft = MeasureTiming(false);
  const Timing hard = MeasureTiming(true);
  RecordProperty("SoftAttackMs", std::to_string(soft.attackMs));
  RecordProperty("SoftReleaseMs", std::to_string(soft.releaseMs));
  RecordProperty("HardAttackMs", std::to_string(hard.attackMs));
  RecordProperty("HardReleaseMs", std::to_string(hard.releaseMs));
  // "Soft": about 13 ms attack (27 kohm * 0.47 uF), about 130 ms release.
  EXPECT_GT(soft.attackMs, 3.0f);
  EXPECT_LT(soft.attackMs, 40.0f);
  EXPECT_GT(soft.releaseMs, 60.0f);
  EXPECT_LT(soft.releaseMs, 260.0f);
  // "Hard": a fraction of a millisecond (820 ohm * 0.47 uF), about half a second release.
  EXPECT_LT(hard.attackMs, 1.0f);
  EXPECT_GT(hard.releaseMs, 250.0f);
  EXPECT_LT(hard.releaseMs, 1000.0f);
}

TEST(Compressor, LoudSignalIsReducedMoreInHardMode) {
  // Steady-state level of a loud tone relative to the rest gain.
  float reduction[2];
  for (int hard = 0; hard < 2; ++hard) {
    Compressor comp;
    Configure(comp, 0.5f, hard == 1);
    const std::vector<float> out = Compress(comp, Sine(1.0f, 500.0f, 1.5f));
    float peak = 0.0f;
    for (size_t i = out.size() - 4410; i < out.size(); ++i)
      peak = std::max(peak, std::fabs(out[i]));
    reduction[hard] = peak / 3.9811f;
    EXPECT_LT(reduction[hard], 0.5f) << hard;
    EXPECT_LT(comp.MeterOutput(), 0.9f);
  }
  EXPECT_LT(reduction[1], reduction[0]);
}

TEST(Compressor, WetFractionZeroLeavesTheGainAtUnity) {
  Compressor comp;
  Configure(comp, 1.0f, true);
  comp.SetWetFraction(0.0f);
  const std::vector<float> in = Sine(1.0f, 300.0f, 0.2f);
  const std::vector<float> out = Compress(comp, in);
  for (size_t i = 0; i < in.size(); ++i) ASSERT_EQ(out[i], in[i]) << i;
}

TEST(Compressor, EmptyBlockChangesNothing) {
  Compressor comp;
  Configure(comp, 0.5f, false);
  Compress(comp, Sine(1.0f, 300.0f, 0.05f));
  const float volts = comp.CapacitorVolts();
  const float meter = comp.MeterOutput();
  float sample = 0.25f;
  comp.Process(&sample, &sample, &sample, &sample, &sample, &sample, 0);
  EXPECT_EQ(sample, 0.25f);
  EXPECT_EQ(comp.CapacitorVolts(), volts);
  EXPECT_EQ(comp.MeterOutput(), meter);
}

TEST(Compressor, RateChangeRetunesTheDetectorHighPass) {
  Compressor comp;
  comp.SetHighPass(2.34f);
  comp.SetSampleRate(88200.0f);
  comp.SetHighPass(2.34f);  // same corner: the engine's call after a rate change
  EXPECT_NEAR(comp.HighPassCoeff(), 1.0f - std::exp(-2.0f * TestKit::kPiFloat * 2.34f / 88200.0f),
              1e-8f);
}

TEST(Compressor, RecoversFromNonFiniteAndHugeInput) {
  for (float bad : {NAN, INFINITY, -INFINITY, 1e30f}) {
    for (bool hard : {false, true}) {
      Compressor comp;
      Configure(comp, 0.5f, hard);
      Compress(comp, Sine(0.5f, 300.0f, 0.1f));
      Compress(comp, std::vector<float>(64, bad));
      EXPECT_TRUE(std::isfinite(comp.CapacitorVolts())) << bad;
      EXPECT_TRUE(std::isfinite(comp.MeterOutput())) << bad;
      // Clean input afterwards: finite output at once, and back to the rest gain after the
      // release.
      const std::vector<float> out = Compress(comp, Sine(1e-4f, 440.0f, 4.0f));
      for (float v : out) ASSERT_TRUE(std::isfinite(v)) << bad;
      EXPECT_NEAR(comp.CapacitorVolts(), 0.0f, 0.01f) << bad << " " << hard;
      EXPECT_GT(comp.MeterOutput(), 0.99f) << bad << " " << hard;
    }
  }
}

TEST(Compressor, ResetBehavesLikeFresh) {
  Compressor used;
  Configure(used, 0.7f, true);
  Compress(used, Sine(1.0f, 100.0f, 0.3f));
  used.Reset();
  Compressor fresh;
  Configure(fresh, 0.7f, true);
  const std::vector<float> in = Sine(0.8f, 150.0f, 0.2f);
  EXPECT_EQ(Compress(used, in), Compress(fresh, in));
  EXPECT_EQ(used.MeterOutput(), fresh.MeterOutput());
}

// The "CompMode" circuits and the "Comp" amount law, as the engine sets them every block.
TEST(Compressor, ModeCircuitsAndAmountLaw) {
  struct Case {
    CompressorMode mode;
    float amount;
    float chargeOhms;
    float dischargeOhms;
    int32_t ratio;
    float threshold;
    float level;
  };
  const Case cases[] = {
      {CompressorMode::kSoft, 0.0f, 27000.0f, 270000.0f, 4, 1.0f, 0.3f},
      {CompressorMode::kSoft, 0.342499f, 27000.0f, 270000.0f, 4, 0.698601f, 0.4712495f},
      {CompressorMode::kHard, 1.0f, 820.0f, 1.2e6f, 10, 0.12f, 0.8f},
      {CompressorMode::kHard, 0.5f, 820.0f, 1.2e6f, 10, 0.56f, 0.55f},
  };
  for (const Case& c : cases) {
    Compressor comp;
    comp.SetCircuit(c.mode);
    comp.SetAmount(c.amount);
    EXPECT_EQ(comp.ChargingResistance(), c.chargeOhms) << c.amount;
    EXPECT_EQ(comp.DischargeResistance(), c.dischargeOhms) << c.amount;
    EXPECT_EQ(comp.Ratio(), c.ratio) << c.amount;
    EXPECT_NEAR(comp.Threshold(), c.threshold, 1e-6f) << c.amount;
    EXPECT_NEAR(comp.Level(), c.level, 1e-6f) << c.amount;
    // The same sound as the settings made one by one.
    Compressor byHand;
    Configure(byHand, c.amount, c.mode == CompressorMode::kHard);
    comp.SetSampleRate(kRate);
    comp.SetHighPass(2.34f);
    comp.SetWetFraction(1.0f);
    const std::vector<float> in = Sine(0.9f, 200.0f, 0.2f);
    EXPECT_EQ(Compress(comp, in), Compress(byHand, in)) << c.amount;
  }
}

}  // namespace
}  // namespace VDSP
