// The audio engine on its own: glides, switches, the dry rule, filter layouts, link, filter FM,
// Transmod routing, note-driven cutoffs and click-free switching.
#include "plugin/NorvProcess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <span>
#include <vector>

#include "kit/Measure.h"
#include "kit/Signals.h"
#include "plugin/ParameterTable.h"

namespace {

using namespace ParameterTable;

class EngineTest : public ::testing::Test {
 protected:
  static constexpr int kMaxFrames = 4096;

  void SetUp() override {
    engine_.SetSampleRate(88200.0f, 44100.0f, 2);
    for (auto& channel : inputs_) channel.assign(kMaxFrames, 0.0f);
    for (auto& channel : outputs_) channel.assign(kMaxFrames, 0.0f);
    for (auto& buffer : scratch_) buffer.assign(kMaxFrames, 0.0f);
  }

  // The next kMaxFrames of a sine on both main inputs, continuing the previous call's phase.
  void Sine(float hz, float amplitude) {
    inputs_[0] = TestKit::Sine(hz, amplitude, kMaxFrames, engine_.ProcessingRateHz(), phase_);
    inputs_[1] = inputs_[0];
    phase_ += kMaxFrames;
  }

  void Run(int frames, int focus = NorvProcess::kNoFocus) {
    const float* in[4] = {inputs_[0].data(), inputs_[1].data(), inputs_[2].data(),
                          inputs_[3].data()};
    float* out[2] = {outputs_[0].data(), outputs_[1].data()};
    float* scratch[NorvProcess::kScratchBuffersUsed];
    for (int i = 0; i < NorvProcess::kScratchBuffersUsed; ++i) {
      std::fill(scratch_[i].begin(), scratch_[i].end(), 0.0f);
      scratch[i] = scratch_[i].data();
    }
    engine_.Process(in, out, scratch, frames, 120.0, focus);
  }

  float OutputRms(int frames) const {
    return static_cast<float>(TestKit::Rms(std::span(outputs_[0]).first(frames)));
  }

  void Set(int index, float value) { engine_.SetParameter(index, 0, value, true); }

  NorvProcess engine_;
  std::vector<float> inputs_[4];
  std::vector<float> outputs_[2];
  std::vector<float> scratch_[NorvProcess::kScratchBuffersUsed];
  int phase_ = 0;
};

TEST_F(EngineTest, ContinuousGlideReaches63PercentInAbout512SamplesAndTheFocusIs20TimesSlower) {
  struct Case {
    int focus;
    int slewSamples;
    int before;  // samples after which the glide is still short of 63 %
    int after;   // samples after which it has passed 63 %
  };
  const Case cases[] = {
      {NorvProcess::kNoFocus, 512, 448, 512},
      {kF1Res, 512, 9600, 10240},
      {NorvProcess::kNoFocus, 64, 32, 96},
  };
  for (const Case& c : cases) {
    NorvProcess engine;
    engine.SetSampleRate(88200.0f, 44100.0f, 2);
    engine.SetSlewTime(c.slewSamples);
    engine.SetParameter(kF1Res, 0, 1.0f, false);
    EXPECT_FLOAT_EQ(engine.Base(kF1Res), 0.0f);
    std::vector<float> zero(32, 0.0f);
    std::vector<std::vector<float>> scratch(NorvProcess::kScratchBuffersUsed,
                                            std::vector<float>(32, 0.0f));
    float* scratchPointers[NorvProcess::kScratchBuffersUsed];
    for (int i = 0; i < NorvProcess::kScratchBuffersUsed; ++i)
      scratchPointers[i] = scratch[i].data();
    std::vector<float> out[2] = {std::vector<float>(32), std::vector<float>(32)};
    const float* in[4] = {zero.data(), zero.data(), zero.data(), zero.data()};
    float* outputs[2] = {out[0].data(), out[1].data()};
    int done = 0;
    for (; done < c.before; done += 32)
      engine.Process(in, outputs, scratchPointers, 32, 120.0, c.focus);
    EXPECT_LT(engine.Base(kF1Res), 0.632f) << c.focus << " " << c.slewSamples;
    for (; done < c.after; done += 32)
      engine.Process(in, outputs, scratchPointers, 32, 120.0, c.focus);
    EXPECT_GT(engine.Base(kF1Res), 0.632f) << c.focus << " " << c.slewSamples;
    EXPECT_LE(engine.Base(kF1Res), 1.0f);
  }
}

TEST_F(EngineTest, ShortSlewTimeLandsOnTheTargetWithoutRinging) {
  engine_.SetSlewTime(4.0);
  engine_.SetParameter(kF1Res, 0, 0.8f, false);
  Run(32);
  EXPECT_FLOAT_EQ(engine_.Base(kF1Res), 0.8f);
}

TEST_F(EngineTest, SwitchLikeParametersChangeAtOnce) {
  for (int index : {kLFO1Sync, kF1Type, kF2Type, kFilterLayout, kBypass, kCompMode, kDriveActive,
                    kF1Mode, kF2Mode, kDriveMode, kF1FMSource, kSandHSource}) {
    const float value = engine_.Base(index) >= 0.5f ? 0.0f : 1.0f;
    engine_.SetParameter(index, 0, value, false);
    EXPECT_FLOAT_EQ(engine_.Base(index), value) << index;
  }
  engine_.SetParameter(kF1Res, 0, 1.0f, false);
  EXPECT_FLOAT_EQ(engine_.Base(kF1Res), 0.0f);
  engine_.SetParameter(kF1Res, 0, 1.0f, true);
  EXPECT_FLOAT_EQ(engine_.Base(kF1Res), 1.0f);
}

// A type or mode set through source 0 is the filter's from the next sub-block on; no item in
// between ever runs.
TEST_F(EngineTest, AFilterTypeOrModeChangeArrivesWholeInTheNextSubBlock) {
  struct Case {
    int index;
    float from;
    float to;
    uint32_t (*observe)(const NorvProcess&);
    uint32_t fromItem;
    uint32_t toItem;
  };
  const auto type = [](const NorvProcess& e) { return e.Slot(0).Filter().Type(); };
  const auto japanMode = [](const NorvProcess& e) { return e.Slot(0).Filter().Japan().Mode(); };
  const Case cases[] = {
      {kF1Type, 0.0f, 1.0f, type, 0, 3},
      {kF1Type, 1.0f, 0.0f, type, 3, 0},
      {kF1Mode, 0.0f, 1.0f, japanMode, 0, 21},
  };
  for (const Case& c : cases) {
    engine_.Reset();
    Set(c.index, c.from);
    Sine(220.0f, 0.5f);
    Run(256);
    ASSERT_EQ(c.observe(engine_), c.fromItem);
    engine_.SetParameter(c.index, 0, c.to, false);
    for (int subBlock = 0; subBlock < 64; ++subBlock) {
      Run(NorvProcess::kSubBlockSize);
      ASSERT_EQ(c.observe(engine_), c.toItem) << c.index << " sub-block " << subBlock;
    }
  }
}

// Stepped parameters skip the glide of their base only; their modulated value follows the sources.
TEST_F(EngineTest, AModulatedFilterTypeFollowsItsSource) {
  const int source = static_cast<int>(TransmodSource::kC1);
  engine_.SetParameter(kF1Type, source, 1.0f, false);
  for (const float x : {0.0f, 1.0f / 3.0f, 1.0f, 2.0f / 3.0f}) {
    engine_.SetMacroValue(0, x);
    Run(NorvProcess::kSubBlockSize);
    EXPECT_FLOAT_EQ(engine_.ModulatedValue(kF1Type), x);
    EXPECT_EQ(engine_.Slot(0).Filter().Type(), static_cast<uint32_t>(3.0f * x + 0.5f)) << x;
    // A fade in flight holds the next item back until it has ended.
    Run(1024);
  }
}

// The plug-in calls SetSampleRate on every set-up call and oversampling change: the filters and
// sources restart, but the bypass, the mixer and the compressor's gain reduction carry on.
TEST_F(EngineTest, ARateChangeKeepsTheBypassExact) {
  Set(kBypass, 0.0f);
  Set(kDriveActive, 1.0f);
  Sine(300.0f, 0.5f);
  Run(1024);
  for (const float rate : {96000.0f, 88200.0f, 176400.0f}) {
    engine_.SetSampleRate(rate, rate / 2.0f, 2);
    Sine(300.0f, 0.5f);
    Run(1024);
    for (int i = 0; i < 1024; ++i) {
      ASSERT_EQ(outputs_[0][i], inputs_[0][i]) << rate << " " << i;
      ASSERT_EQ(outputs_[1][i], inputs_[1][i]) << rate << " " << i;
    }
  }
}

TEST_F(EngineTest, ARateChangeKeepsTheGainReduction) {
  Set(kF1Active, 0.0f);
  Set(kF2Active, 0.0f);
  Set(kComp, 1.0f);
  const auto peak = [this](int from, int count) {
    float p = 0.0f;
    for (int i = from; i < from + count; ++i) p = std::max(p, std::fabs(outputs_[0][i]));
    return p;
  };
  for (int block = 0; block < 16; ++block) {
    Sine(1000.0f, 0.9f);
    Run(kMaxFrames);
  }
  const float compressed = peak(kMaxFrames - 1024, 1024);
  const float capacitor = engine_.Dynamics().CapacitorVolts();
  ASSERT_LT(capacitor, -1.0f);  // well into gain reduction
  engine_.SetSampleRate(96000.0f, 48000.0f, 2);
  EXPECT_EQ(engine_.Dynamics().CapacitorVolts(), capacitor);
  Sine(1000.0f, 0.9f);
  Run(kMaxFrames);
  // One period of 1 kHz at a time: the level carries on from where it was.
  for (int from = 0; from < 960; from += 96) {
    EXPECT_NEAR(peak(from, 96), compressed, 0.03f * compressed) << from;
  }
}

TEST_F(EngineTest, BypassOrZeroMixGivesTheDryInputExactlyWhileSourcesRun) {
  struct Case {
    int index;
    float value;
  };
  for (const Case& c : {Case{kBypass, 0.0f}, Case{kMix, 0.0f}}) {
    engine_.Reset();
    Set(kGain, 1.0f);  // output gain 2: must not touch the dry path
    Set(kDriveActive, 1.0f);
    Set(kDriveAmount, 1.0f);
    Set(c.index, c.value);
    Sine(300.0f, 0.5f);
    Run(32);  // the mixer's glide to dry
    Sine(300.0f, 0.5f);
    Run(1024);
    for (int i = 0; i < 1024; ++i) {
      ASSERT_EQ(outputs_[0][i], inputs_[0][i]) << c.index << " " << i;
      ASSERT_EQ(outputs_[1][i], inputs_[1][i]) << c.index << " " << i;
    }
    // The envelope (retriggered by the reset) keeps running under the dry output.
    EXPECT_GT(engine_.SourceValue(static_cast<int>(TransmodSource::kEnv)), 0.0f) << c.index;
  }
}

// Filter 1 and 2 as 2-pole low-passes near 83 Hz, a 5 kHz input: a filter in the path removes it.
TEST_F(EngineTest, SerialAndParallelLayouts) {
  struct Case {
    bool parallel;
    bool active1;
    bool active2;
    float minRatio;  // output level relative to the unfiltered chain
    float maxRatio;
  };
  const Case cases[] = {
      {false, true, false, 0.0f, 0.1f}, {false, false, true, 0.0f, 0.1f},
      {true, false, true, 0.7f, 1.3f},  {true, true, false, 0.0f, 0.1f},
      {true, true, true, 0.0f, 0.1f},   {false, false, false, 0.99f, 1.01f},
  };
  const auto measure = [this](bool parallel, bool active1, bool active2) {
    engine_.Reset();
    engine_.SetSampleRate(88200.0f, 44100.0f, 2);
    phase_ = 0;
    Set(kFilterLayout, parallel ? 1.0f : 0.0f);
    Set(kF1Active, active1 ? 1.0f : 0.0f);
    Set(kF2Active, active2 ? 1.0f : 0.0f);
    Set(kF1Type, 1.0f / 3.0f);  // "S.V.F"
    Set(kF2Type, 1.0f / 3.0f);
    Set(kF1Cutoff, 0.3f);
    Set(kF2Cutoff, 0.3f);
    for (int block = 0; block < 4; ++block) {
      Sine(5000.0f, 0.3f);
      Run(kMaxFrames);
    }
    return OutputRms(kMaxFrames);
  };
  const float unfiltered = measure(false, false, false);
  ASSERT_GT(unfiltered, 0.01f);
  for (const Case& c : cases) {
    const float ratio = measure(c.parallel, c.active1, c.active2) / unfiltered;
    EXPECT_GE(ratio, c.minRatio) << c.parallel << c.active1 << c.active2;
    EXPECT_LE(ratio, c.maxRatio) << c.parallel << c.active1 << c.active2;
  }
}

TEST_F(EngineTest, BothFiltersOffPassTheSameSignalInEitherLayout) {
  std::vector<float> serial;
  for (float layout : {0.0f, 1.0f}) {
    engine_.Reset();
    engine_.SetSampleRate(88200.0f, 44100.0f, 2);
    phase_ = 0;
    Set(kFilterLayout, layout);
    Set(kF1Active, 0.0f);
    Set(kF2Active, 0.0f);
    Sine(700.0f, 0.4f);
    Run(2048);
    if (layout == 0.0f) {
      serial.assign(outputs_[0].begin(), outputs_[0].begin() + 2048);
    } else {
      EXPECT_EQ(serial, std::vector<float>(outputs_[0].begin(), outputs_[0].begin() + 2048));
    }
  }
}

TEST_F(EngineTest, LinkKeepsTheCutoffOffset) {
  Set(kF1Cutoff, 0.5f);
  Set(kF2Cutoff, 0.6f);
  Set(kFilterLink, 1.0f);
  EXPECT_NEAR(engine_.LinkOffset(), 0.1f, 1e-6f);
  engine_.SetParameter(kF1Cutoff, 0, 0.3f, false);
  EXPECT_NEAR(engine_.Target(kF2Cutoff), 0.4f, 1e-6f);
  engine_.SetParameter(kF1Cutoff, 0, 0.95f, false);
  EXPECT_FLOAT_EQ(engine_.Target(kF2Cutoff), 1.0f);
  // Moving filter 2 on its own sets a new offset.
  engine_.SetParameter(kF2Cutoff, 0, 0.75f, false);
  EXPECT_NEAR(engine_.LinkOffset(), -0.2f, 1e-6f);
  Set(kFilterLink, 0.0f);
  engine_.SetParameter(kF1Cutoff, 0, 0.1f, false);
  EXPECT_FLOAT_EQ(engine_.Target(kF2Cutoff), 0.75f);
}

TEST_F(EngineTest, FilterFMSwitchesToPerSampleUpdatesAboveDepth0_0001) {
  struct Case {
    float depth;
    bool perSample;
  };
  for (const Case& c :
       {Case{0.0f, false}, Case{0.0001f, false}, Case{0.0002f, true}, Case{1.0f, true}}) {
    engine_.Reset();
    Set(kF1FMSource, 2.0f / 3.0f);  // inputs 1+2
    Set(kF1FM, c.depth);
    Run(64);
    // The per-sample path fills the FM buffer with (in1 + in2) / 2 + 0.5 (0.5 for silence).
    EXPECT_EQ(scratch_[NorvProcess::kFM1Buffer][5], c.perSample ? 0.5f : 0.0f) << c.depth;
  }
}

TEST_F(EngineTest, FilterFMFromTheInputMovesTheSound) {
  const auto render = [this](float depth) {
    engine_.Reset();
    phase_ = 0;
    Set(kF1Type, 1.0f / 3.0f);
    Set(kF1Cutoff, 0.5f);
    Set(kF1Res, 0.6f);
    Set(kF1FMSource, 2.0f / 3.0f);
    Set(kF1FM, depth);
    Sine(220.0f, 0.8f);
    Run(2048);
    return std::vector<float>(outputs_[0].begin(), outputs_[0].begin() + 2048);
  };
  const std::vector<float> still = render(0.0f);
  const std::vector<float> swept = render(1.0f);
  double difference = 0.0;
  for (size_t i = 0; i < still.size(); ++i) difference += std::fabs(still[i] - swept[i]);
  EXPECT_GT(difference / still.size(), 1e-3);
  for (float sample : swept) ASSERT_TRUE(std::isfinite(sample));
}

TEST_F(EngineTest, XYSourceDrivesAParameterUnipolarAndBipolar) {
  struct Case {
    float base;
    float depth;
    float source;
    bool unipolar;
    float expected;
  };
  const Case cases[] = {
      {0.5f, 0.3f, 1.0f, true, 0.8f},  {0.5f, 0.3f, 1.0f, false, 0.8f},
      {0.5f, 0.3f, 0.0f, true, 0.5f},  {0.5f, 0.3f, 0.0f, false, 0.2f},
      {0.9f, 0.5f, 1.0f, true, 1.0f},  {0.5f, -0.5f, 1.0f, true, 0.0f},
      {0.5f, 5e-7f, 1.0f, true, 0.5f}, {0.5f, -0.3f, 0.25f, false, 0.65f},
  };
  const int source = static_cast<int>(TransmodSource::kC1);
  for (const Case& c : cases) {
    engine_.Reset();
    Set(kF1Res, c.base);
    engine_.SetParameter(kF1Res, source, c.depth, false);
    engine_.SetPolarMode(source, c.unipolar);
    engine_.SetMacroValue(0, c.source);
    Run(32);
    EXPECT_NEAR(engine_.ModulatedValue(kF1Res), c.expected, 1e-6f)
        << c.base << " " << c.depth << " " << c.source << " " << c.unipolar;
    EXPECT_EQ(engine_.IsModulated(kF1Res), std::fabs(c.depth) >= 1e-6f);
  }
}

TEST_F(EngineTest, LFOSourceModulatesWithItsOwnValueAndSign) {
  const int source = static_cast<int>(TransmodSource::kLFO1);
  Set(kLFO1Sync, 0.0f);
  Set(kLFO1Rate, 0.5f);  // 16 Hz
  Set(kF1Res, 0.5f);
  engine_.SetParameter(kF1Res, source, 0.4f, false);
  engine_.SetPolarMode(source, false);
  bool sawAbove = false;
  bool sawBelow = false;
  for (int block = 0; block < 100; ++block) {
    Run(32);
    const float s = engine_.SourceValue(source);
    const float expected = std::clamp(0.5f + (2.0f * s - 1.0f) * 0.4f, 0.0f, 1.0f);
    ASSERT_NEAR(engine_.ModulatedValue(kF1Res), expected, 1e-6f) << block;
    sawAbove |= expected > 0.6f;
    sawBelow |= expected < 0.4f;
  }
  EXPECT_TRUE(sawAbove);
  EXPECT_TRUE(sawBelow);
}

TEST_F(EngineTest, RemovingASourceEverywhereClearsTheModulatedFlagsItLeaves) {
  Set(kMix, 0.8f);
  engine_.SetParameter(kMix, 2, 0.3f, false);
  engine_.SetParameter(kGain, 2, 0.1f, false);
  engine_.SetParameter(kGain, 3, -0.2f, false);
  engine_.SetParameter(kF1Res, 4, 0.5f, false);
  engine_.SetMacroValue(0, 1.0f);
  engine_.RemoveModDestinations(2);
  EXPECT_FALSE(engine_.IsModulated(kMix));
  EXPECT_TRUE(engine_.IsModulated(kGain));
  EXPECT_TRUE(engine_.IsModulated(kF1Res));
  Run(32);
  EXPECT_FLOAT_EQ(engine_.ModulatedValue(kMix), 0.8f);
  engine_.RemoveModDestinations(-1);
  for (int index = 0; index < NorvProcess::kNumParameters; ++index) {
    EXPECT_FALSE(engine_.IsModulated(index)) << index;
  }
}

TEST_F(EngineTest, RemovingModulationKeepsTheBaseAndOtherSources) {
  engine_.SetParameter(kMix, 2, 0.3f, false);
  engine_.SetParameter(kMix, 3, -0.2f, false);
  engine_.SetParameter(kGain, 2, 0.1f, false);
  engine_.RemoveModDestinations(2);
  EXPECT_EQ(engine_.Depth(kMix, 2), 0.0f);
  EXPECT_EQ(engine_.Depth(kGain, 2), 0.0f);
  EXPECT_FLOAT_EQ(engine_.Depth(kMix, 3), -0.2f);
  EXPECT_TRUE(engine_.IsSourceUsed(3));
  EXPECT_FALSE(engine_.IsSourceUsed(2));
  engine_.RemoveModulation(kMix, -1);
  EXPECT_FALSE(engine_.IsModulated(kMix));
  EXPECT_FLOAT_EQ(engine_.Base(kMix), 1.0f);
}

TEST_F(EngineTest, NoteDrivenCutoffFollowsTheKeyAndTheLink) {
  Set(kFilterLink, 1.0f);
  Set(kF2Cutoff, 0.9f);
  Set(kFilterLink, 1.0f);  // offset 0.9 - 1.0
  engine_.SetCutoffFromNote(0, 69);
  const float w = (69.0f / 128.0f) * (69.0f / 128.0f) * 0.005f;
  EXPECT_NEAR(engine_.Target(kF1Cutoff), 0.5f + w, 1e-6f);
  EXPECT_NEAR(engine_.Target(kF2Cutoff), 0.4f + w, 1e-6f);
  Set(kF2Type, 1.0f);  // "Comb": no key tracking lift
  engine_.SetCutoffFromNote(1, 81);
  EXPECT_NEAR(engine_.Target(kF2Cutoff), 0.5f + 1.0f / 12.0f, 1e-6f);
}

TEST_F(EngineTest, NoteDrivenCutoffPerFilterType) {
  struct Case {
    int32_t note;
    float type;
    float expected;
  };
  const float q69 = 69.0f / 128.0f;
  const float q127 = 127.0f / 128.0f;
  const Case cases[] = {
      {69, 1.0f, 0.5f},                 // "Comb": no lift, 440 Hz in the middle
      {81, 1.0f, 0.5f + 1.0f / 12.0f},  // an octave up
      {57, 1.0f, 0.5f - 1.0f / 12.0f},
      {69, 0.0f, 0.5f + q69 * q69 * 0.005f},          // "Japan"
      {69, 1.0f / 3.0f, 0.5f + q69 * q69 * 0.008f},   // "S.V.F"
      {69, 2.0f / 3.0f, 0.5f + q69 * q69 * 0.0025f},  // "Fatty"
      {0, 1.0f, 0.5f - 69.0f / 144.0f},
      {127, 1.0f / 3.0f, 0.5f + 58.0f / 144.0f + q127 * q127 * 0.008f},
  };
  for (const Case& c : cases) {
    Set(kF2Type, c.type);
    engine_.SetCutoffFromNote(1, c.note);
    EXPECT_NEAR(engine_.Target(kF2Cutoff), c.expected, 1e-6f) << c.note << " type " << c.type;
  }
  // A linked filter 2 stays inside the range.
  Set(kF1Cutoff, 0.5f);
  Set(kF2Cutoff, 1.0f);
  Set(kFilterLink, 1.0f);  // offset +0.5
  Set(kF1Type, 1.0f);
  engine_.SetCutoffFromNote(0, 93);
  EXPECT_NEAR(engine_.Target(kF1Cutoff), 0.5f + 2.0f / 12.0f, 1e-6f);
  EXPECT_EQ(engine_.Target(kF2Cutoff), 1.0f);
}

// --- Click-free switching ---------------------------------------------------------------------

// Largest sample-to-sample steps of output 1 around a switch made at a block boundary: in the
// steady sound before it, in the 10 ms from the switch on, and in the steady sound long after.
struct SwitchSteps {
  float before;
  float atSwitch;
  float after;
  float Ratio() const { return atSwitch / std::max(before, after); }
};

struct Setting {
  int index;
  float value;
};

class SwitchTest : public EngineTest {
 protected:
  static constexpr int kSettleBlocks = 3;  // 139 ms at 88.2 kHz before the switch
  static constexpr int kAfterBlocks = 4;

  SwitchSteps Measure(std::initializer_list<Setting> setup, std::initializer_list<Setting> change) {
    engine_.Reset();
    engine_.SetSampleRate(88200.0f, 44100.0f, 2);
    phase_ = 0;
    Set(kF2Active, 0.0f);
    Set(kComp, 0.0f);       // the least compression: its attack would let a louder new sound swell
    Set(kF1GainPre, 0.6f);  // unity
    Set(kF1GainPost, 0.6f);
    Set(kF2GainPre, 0.6f);
    Set(kF2GainPost, 0.6f);
    Set(kF1Cutoff, 0.75f);  // 3.52 kHz, well above the sine
    Set(kF2Cutoff, 0.75f);
    for (const Setting& s : setup) Set(s.index, s.value);
    std::vector<float> out;
    for (int block = 0; block < kSettleBlocks + kAfterBlocks; ++block) {
      if (block == kSettleBlocks) {
        for (const Setting& s : change) engine_.SetParameter(s.index, 0, s.value, false);
      }
      Sine(220.0f, 0.5f);
      Run(kMaxFrames);
      out.insert(out.end(), outputs_[0].begin(), outputs_[0].begin() + kMaxFrames);
    }
    const auto largestStep = [&out](int from, int to) {
      float largest = 0.0f;
      for (int i = from; i < to; ++i) largest = std::max(largest, std::fabs(out[i] - out[i - 1]));
      return largest;
    };
    const int switchAt = kSettleBlocks * kMaxFrames;
    const int tenMs = 882;
    const int end = static_cast<int>(out.size());
    return {largestStep(switchAt - 2048, switchAt), largestStep(switchAt, switchAt + tenMs),
            largestStep(end - 2048, end)};
  }
};

// An equal-power fade of two in-phase copies swells to 1.41 times either at its middle; an abrupt
// switch steps by a good part of the amplitude (30 to 65 times the sine's own largest step).
constexpr float kClickFreeRatio = 1.5f;
constexpr float kTypeValues[4] = {0.0f, 1.0f / 3.0f, 2.0f / 3.0f, 1.0f};
constexpr const char* kTypeNames[4] = {"Japan", "S.V.F", "Fatty", "Comb"};

// A sine through filter 1, its type switched to every other type: the largest step at the switch
// stays near the largest step of the filtered sine itself, before or after.
TEST_F(SwitchTest, TypeChangesFadeWithoutAClick) {
  for (int from = 0; from < 4; ++from) {
    for (int to = 0; to < 4; ++to) {
      if (from == to) continue;
      const SwitchSteps steps =
          Measure({{kF1Type, kTypeValues[from]}, {kF1Mode, 0.0f}}, {{kF1Type, kTypeValues[to]}});
      EXPECT_LT(steps.Ratio(), kClickFreeRatio)
          << kTypeNames[from] << " -> " << kTypeNames[to] << ": " << steps.before << " "
          << steps.atSwitch << " " << steps.after;
    }
  }
}

TEST_F(SwitchTest, ModeLayoutAndDrivePositionChangesFadeWithoutAClick) {
  struct Case {
    const char* name;
    std::initializer_list<Setting> setup;
    std::initializer_list<Setting> change;
  };
  const Case cases[] = {
      {"Japan 2L -> 4H",
       {{kF1Type, 0.0f}, {kF1Mode, 0.0f}, {kF1Cutoff, 0.5f}},
       {{kF1Mode, 5.0f / 21.0f}}},
      {"S.V.F 2L -> 2B",
       {{kF1Type, 1.0f / 3.0f}, {kF1Mode, 0.0f}, {kF1Cutoff, 0.5f}},
       {{kF1Mode, 4.0f / 9.0f}}},
      {"Fatty LP -> HP",
       {{kF1Type, 2.0f / 3.0f}, {kF1Mode, 0.0f}, {kF1Cutoff, 0.5f}},
       {{kF1Mode, 2.0f / 3.0f}}},
      {"Comb - -> +",
       {{kF1Type, 1.0f}, {kF1Mode, 0.0f}, {kF1Cutoff, 0.5f}, {kF1Res, 0.5f}},
       {{kF1Mode, 1.0f}}},
      {"serial -> parallel",
       {{kF2Active, 1.0f}, {kF1Type, 1.0f / 3.0f}, {kF2Type, 2.0f / 3.0f}, {kF2Cutoff, 0.5f}},
       {{kFilterLayout, 1.0f}}},
      {"parallel -> serial",
       {{kF2Active, 1.0f},
        {kFilterLayout, 1.0f},
        {kF1Type, 1.0f / 3.0f},
        {kF2Type, 2.0f / 3.0f},
        {kF2Cutoff, 0.5f}},
       {{kFilterLayout, 0.0f}}},
      {"drive pre -> post",
       {{kDriveActive, 1.0f},
        {kDriveAmount, 0.4f},
        {kDriveMode, 2.0f / 6.0f},
        {kF1Cutoff, 0.45f},
        {kF1Res, 0.6f}},
       {{kDrivePre, 0.0f}}},
      {"serial -> parallel under filter FM",
       {{kF2Active, 1.0f},
        {kF1Type, 1.0f / 3.0f},
        {kF2Type, 2.0f / 3.0f},
        {kF2Cutoff, 0.5f},
        {kF1FM, 0.3f},
        {kF2FM, 0.3f}},
       {{kFilterLayout, 1.0f}}},
      {"drive pre -> post under filter FM",
       {{kDriveActive, 1.0f},
        {kDriveAmount, 0.4f},
        {kDriveMode, 2.0f / 6.0f},
        {kF1Cutoff, 0.45f},
        {kF1Res, 0.6f},
        {kF1FM, 0.3f}},
       {{kDrivePre, 0.0f}}},
      {"drive post -> pre",
       {{kDriveActive, 1.0f},
        {kDrivePre, 0.0f},
        {kDriveAmount, 0.4f},
        {kDriveMode, 2.0f / 6.0f},
        {kF1Cutoff, 0.45f},
        {kF1Res, 0.6f}},
       {{kDrivePre, 1.0f}}},
  };
  for (const Case& c : cases) {
    const SwitchSteps steps = Measure(c.setup, c.change);
    EXPECT_LT(steps.Ratio(), kClickFreeRatio)
        << c.name << ": " << steps.before << " " << steps.atSwitch << " " << steps.after;
  }
}

}  // namespace
