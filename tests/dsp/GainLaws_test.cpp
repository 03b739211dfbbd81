// Tests of the control gain laws: the gains a musician reads off the controls, and the inverses
// that typed dB values go through.
#include "dsp/GainLaws.h"

#include <gtest/gtest.h>

#include <cmath>

namespace VDSP {
namespace {

struct LawCase {
  const char* name;
  float (*law)(float);
  float (*inverse)(double);
  float control;
  float gain;
};

const LawCase kLawCases[] = {
    {"stage silence", StageGain, StageControlForGain, 0.0f, 0.0f},
    {"stage default", StageGain, StageControlForGain, 0.6f, 0.98363f},
    {"stage half", StageGain, StageControlForGain, 0.5f, 0.5f - 0.016368f},
    {"stage top, +24 dB", StageGain, StageControlForGain, 1.0f, 15.98363f},
    {"drive off", DriveGain, DriveAmountForGain, 0.0f, 1.0f},
    {"drive half", DriveGain, DriveAmountForGain, 0.5f, 14.7644f},
    {"drive top, +50 dB", DriveGain, DriveAmountForGain, 1.0f, 316.22775f},
    {"output silence", OutputGain, OutputControlForGain, 0.0f, 0.0f},
    {"output unity", OutputGain, OutputControlForGain, 0.7937005f, 1.0f},
    {"output top, +6 dB", OutputGain, OutputControlForGain, 1.0f, 2.0f},
};

TEST(GainLaws, ControlsGiveTheirGains) {
  for (const LawCase& c : kLawCases) {
    EXPECT_NEAR(c.law(c.control), c.gain, 2e-5f + 1e-5f * c.gain) << c.name;
  }
  EXPECT_NEAR(20.0f * std::log10(DriveGain(1.0f)), 50.0f, 1e-3f);
}

// The stage law's cubic 2^x runs up to 0.4 % low, a 5.8e-4 of the control's travel.
TEST(GainLaws, InversesFindTheControlOfAGain) {
  for (const LawCase& c : kLawCases) {
    if (c.gain <= 0.0f) continue;
    EXPECT_NEAR(c.inverse(c.gain), c.control, 6e-4f) << c.name;
  }
  for (int step = 1; step <= 100; ++step) {
    const float control = static_cast<float>(step) / 100.0f;
    EXPECT_NEAR(OutputControlForGain(OutputGain(control)), control, 1e-6f) << control;
    EXPECT_NEAR(DriveAmountForGain(DriveGain(control)), control, 2e-5f) << control;
    if (StageGain(control) > 0.0f) {
      EXPECT_NEAR(StageControlForGain(StageGain(control)), control, 6e-4f) << control;
    }
  }
}

TEST(GainLaws, InversesAtTheEndsOfTheirRanges) {
  EXPECT_EQ(OutputControlForGain(0.0), 0.0f);
  EXPECT_EQ(DriveAmountForGain(1.0), 0.0f);
  // The stage law's floor: a gain of 0 is not reached above control 0, so its inverse sits just
  // above it.
  EXPECT_NEAR(StageControlForGain(0.0), 0.0f, 0.01f);
  EXPECT_GT(StageControlForGain(0.0), 0.0f);
}

}  // namespace
}  // namespace VDSP
