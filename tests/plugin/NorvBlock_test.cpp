// The plug-in's block driver: the dry rule through the resamplers, every block size, rate and
// factor, host time and transport, missing inputs, rounding mode, meters and notes.
#include <gtest/gtest.h>

#include <array>
#include <cfenv>
#include <cmath>
#include <memory>
#include <vector>

#include "Common/VSTi/VstAbi.h"
#include "dsp/ResamplerChain.h"
#include "modulation/RateConversions.h"
#include "modulation/TimeInfo.h"
#include "plugin/MidiEventList.h"
#include "plugin/Norv.h"
#include "plugin/NorvProcess.h"
#include "plugin/ParameterTable.h"

namespace {

using namespace ParameterTable;

vst::VstTimeInfo* gHostTime = nullptr;

vst::VstIntPtr TimeHost(vst::AEffect*, int32_t opcode, int32_t, vst::VstIntPtr, void*, float) {
  if (opcode == vst::audioMasterVersion) return 2400;
  if (opcode == vst::audioMasterGetTime) return reinterpret_cast<vst::VstIntPtr>(gHostTime);
  return 0;
}

class DriverTest : public ::testing::Test {
 protected:
  void TearDown() override { gHostTime = nullptr; }

  void Start(float rate, int blockSize, int factor) {
    norv_ = std::make_unique<Norv>(TimeHost);
    norv_->setSampleRate(rate);
    norv_->setBlockSize(blockSize);
    norv_->resume();
    SetFactor(factor);
  }

  void SetFactor(int factor) {
    if (norv_->OversamplingFactor() == factor) return;
    Post(MessageType::e_setOversampling, {factor});
    // One silent frame takes the change and leaves the resamplers' memories empty.
    if (inputs_[0].empty()) Fill(1, 1);
    for (auto& channel : inputs_) std::fill(channel.begin(), channel.end(), 0.0f);
    Process(1);
    ASSERT_EQ(norv_->ActiveOversamplingFactor(), factor);
  }

  void Post(MessageType type, std::initializer_list<MessageValue> values) {
    ASSERT_TRUE(norv_->Port().PostMessageToSynth(type, values));
  }

  void Fill(int frames, unsigned seed) {
    Noise(inputs_, frames, seed);
    for (auto& channel : outputs_) channel.assign(frames, 7.0f);
  }

  // Four channels of uniform noise in -0.5..0.5, the same for the same seed.
  static void Noise(std::vector<float> (&channels)[4], int frames, unsigned seed) {
    unsigned x = seed;
    for (auto& channel : channels) {
      channel.resize(frames);
      for (float& sample : channel) {
        x = x * 1664525u + 1013904223u;
        sample = static_cast<float>(x >> 8) / 16777216.0f - 0.5f;
      }
    }
  }

  void Process(int frames) {
    if (static_cast<int>(inputs_[0].size()) < frames) Fill(frames, 1);
    float* in[4] = {inputs_[0].data(), inputs_[1].data(), inputs_[2].data(), inputs_[3].data()};
    float* out[2] = {outputs_[0].data(), outputs_[1].data()};
    norv_->processReplacing(in, out, frames);
  }

  std::unique_ptr<Norv> norv_;
  std::vector<float> inputs_[4];
  std::vector<float> outputs_[2];
};

TEST_F(DriverTest, DryRuleThroughTheResamplers) {
  for (int factor : {1, 2, 4}) {
    Start(44100.0f, 256, factor);
    Post(MessageType::e_setFilterParameterImmediate, {kBypass, 0, 0.0f});
    Fill(256, 3);
    Process(256);  // the mixer's glide to dry
    Fill(256, 4);
    Process(256);
    // Reference: the same input through a fresh pair of resamplers, in the same blocks.
    VDSP::ResamplerChain up;
    VDSP::ResamplerChain down;
    up.SetRates(44100.0, 44100.0 * factor);
    down.SetRates(44100.0 * factor, 44100.0);
    up.Prepare(256 * 16);
    down.Prepare(256 * 16);
    std::vector<float> upL(256 * 16), upR(256 * 16), refL(256), refR(256);
    for (unsigned seed : {3u, 4u}) {
      std::vector<float> in[4];
      Noise(in, 256, seed);
      up.SetBlock(256);
      const int n = up.Process(upL.data(), upR.data(), in[0].data(), in[1].data());
      down.SetBlock(n);
      down.Process(refL.data(), refR.data(), upL.data(), upR.data());
    }
    for (int i = 0; i < 256; ++i) {
      if (factor == 1) {
        ASSERT_EQ(outputs_[0][i], inputs_[0][i]) << i;
        ASSERT_EQ(outputs_[1][i], inputs_[1][i]) << i;
      } else {
        ASSERT_NEAR(outputs_[0][i], refL[i], 1e-6f) << factor << " " << i;
        ASSERT_NEAR(outputs_[1][i], refR[i], 1e-6f) << factor << " " << i;
      }
    }
  }
}

TEST_F(DriverTest, FiniteOutputForEveryBlockSizeRateAndFactor) {
  for (float rate : {44100.0f, 48000.0f, 96000.0f}) {
    for (int factor : {1, 2, 4}) {
      Start(rate, 512, factor);
      norv_->setParameter(kDriveActive, 1.0f);
      norv_->setParameter(kHPSC, 1.0f);
      for (int frames : {1, 7, 32, 511, 4096}) {
        Fill(frames, static_cast<unsigned>(frames));
        Process(frames);
        for (int i = 0; i < frames; ++i) {
          ASSERT_TRUE(std::isfinite(outputs_[0][i]) && std::isfinite(outputs_[1][i]))
              << rate << " " << factor << " " << frames << " " << i;
          ASSERT_LT(std::fabs(outputs_[0][i]), 100.0f);
        }
      }
      EXPECT_EQ(norv_->Engine().ProcessingRateHz(), rate * factor);
    }
  }
}

TEST_F(DriverTest, NaNInputRecovers) {
  Start(44100.0f, 128, 2);
  Fill(128, 9);
  inputs_[0][17] = NAN;
  inputs_[1][40] = INFINITY;
  inputs_[2][3] = NAN;
  norv_->setParameter(kHPSC, 1.0f);
  Process(128);
  for (int block = 0; block < 200; ++block) {
    Fill(128, 10 + block);
    Process(128);
  }
  for (int i = 0; i < 128; ++i) {
    ASSERT_TRUE(std::isfinite(outputs_[0][i]) && std::isfinite(outputs_[1][i])) << i;
  }
  EXPECT_GT(std::fabs(outputs_[0][100]) + std::fabs(outputs_[0][101]), 0.0f);
}

TEST_F(DriverTest, SidechainFilterLeavesTheHostInputsAlone) {
  Start(44100.0f, 128, 2);
  norv_->setParameter(kHPSC, 1.0f);
  Fill(128, 5);
  const std::vector<float> in3 = inputs_[2];
  const std::vector<float> in4 = inputs_[3];
  Process(128);
  Process(128);
  EXPECT_EQ(inputs_[2], in3);
  EXPECT_EQ(inputs_[3], in4);
}

TEST_F(DriverTest, TransportStartLinesTheLFOsUpWithTheSongPosition) {
  vst::VstTimeInfo time{};
  time.tempo = 120.0;
  time.ppqPos = 1.5;
  time.sampleRate = 44100.0;
  time.flags = TimeInfo::kTempoValid | TimeInfo::kPpqPosValid;
  gHostTime = &time;
  Start(44100.0f, 64, 2);
  Post(MessageType::e_setFilterParameterImmediate, {kLFO1Sync, 0, 0.0f});
  Post(MessageType::e_setFilterParameterImmediate, {kLFO1Rate, 0, FreeRateValueFromHz(1.0)});
  Post(MessageType::e_setFilterParameterImmediate, {kLFO1Phase, 0, 0.25f});
  Process(64);
  EXPECT_FALSE(norv_->Time().IsRunning());
  time.flags |= TimeInfo::kTransportPlaying;
  Process(64);
  EXPECT_TRUE(norv_->Time().IsRunning());
  // frac(1 Hz * 0.5 s/beat * 1.5 beats + 0.25) = 0, then the block's 64 samples at 1 Hz.
  const double expected = 64.0 / 44100.0;
  EXPECT_NEAR(norv_->Engine().LFOPhase(0), expected, 1e-4);
  EXPECT_NEAR(norv_->Time().RunningSongPosition(), 1.5 + 64.0 / 22050.0, 1e-9);
  // Playing on does not realign; panic stops the transport.
  Post(MessageType::e_panic, {});
  Process(64);
  EXPECT_FALSE(norv_->Time().IsRunning());
}

TEST_F(DriverTest, ImplausibleHostTempoKeepsThePreviousOne) {
  vst::VstTimeInfo time{};
  time.flags = TimeInfo::kTempoValid;
  time.tempo = 150.0;
  gHostTime = &time;
  Start(44100.0f, 64, 2);
  Process(64);
  EXPECT_DOUBLE_EQ(norv_->Time().Tempo(), 150.0);
  for (double tempo : {10.0, 1000.0, 0.0, -5.0}) {
    time.tempo = tempo;
    Process(64);
    EXPECT_DOUBLE_EQ(norv_->Time().Tempo(), 150.0) << tempo;
  }
}

TEST_F(DriverTest, MissingInputPointersAreCoveredOrEndTheBlock) {
  Start(44100.0f, 64, 2);
  Fill(64, 6);
  float* out[2] = {outputs_[0].data(), outputs_[1].data()};
  float* partial[4] = {inputs_[0].data(), nullptr, inputs_[2].data(), nullptr};
  for (int block = 0; block < 4; ++block) norv_->processReplacing(partial, out, 64);
  for (int i = 0; i < 64; ++i) ASSERT_TRUE(std::isfinite(outputs_[1][i])) << i;
  EXPECT_NE(outputs_[1][63], 0.0f);
  // Without the main input nothing is written.
  std::fill(outputs_[0].begin(), outputs_[0].end(), 7.0f);
  float* none[4] = {nullptr, nullptr, nullptr, nullptr};
  norv_->processReplacing(none, out, 64);
  EXPECT_EQ(outputs_[0][0], 7.0f);
}

TEST_F(DriverTest, RoundingModeIsRestoredAfterTheBlock) {
  Start(44100.0f, 64, 2);
  ASSERT_EQ(std::fegetround(), FE_TONEAREST);
  Process(64);
  EXPECT_EQ(std::fegetround(), FE_TONEAREST);
}

// The editor's factor switch is taken by the audio thread at the start of the block that delivers
// it: no idle call is needed and the block already sounds at the new rate.
TEST_F(DriverTest, OversamplingChangeTakesEffectInTheBlockThatDeliversIt) {
  Start(44100.0f, 64, 2);
  Fill(64, 2);
  Post(MessageType::e_setOversampling, {4});
  Process(64);
  EXPECT_EQ(norv_->OversamplingFactor(), 4);
  EXPECT_EQ(norv_->ActiveOversamplingFactor(), 4);
  EXPECT_FALSE(norv_->IsReconfigurationPending());
  EXPECT_EQ(norv_->Engine().ProcessingRateHz(), 4.0f * 44100.0f);
  EXPECT_NE(outputs_[0][63], 0.0f);
}

// Host automation of a filter type or mode: the value arrives whole through the binding, in the
// sub-block after the one that applied the host's change, and no item in between ever runs.
TEST_F(DriverTest, HostAutomationOfASteppedParameterJumps) {
  struct Case {
    int index;
    float to;
    uint32_t (*observe)(const NorvProcess&);
    uint32_t toItem;
  };
  const auto type = [](const NorvProcess& e) { return e.Slot(0).Filter().Type(); };
  const auto japanMode = [](const NorvProcess& e) { return e.Slot(0).Filter().Japan().Mode(); };
  const Case cases[] = {
      {kF1Type, 1.0f, type, 3},        // "Japan" -> "Comb"
      {kF1Mode, 1.0f, japanMode, 21},  // 2L -> 2N + 2N (-8ve)
  };
  for (const Case& c : cases) {
    // 16 frames at factor 2: one engine sub-block per host block.
    Start(44100.0f, 16, 2);
    Fill(16, 1);
    Process(16);
    ASSERT_EQ(c.observe(norv_->Engine()), 0u);
    norv_->setParameter(c.index, c.to);
    Process(16);
    EXPECT_EQ(norv_->Engine().Base(c.index), c.to) << c.index;
    for (int block = 0; block < 64; ++block) {
      Fill(16, 2 + block);
      Process(16);
      ASSERT_EQ(c.observe(norv_->Engine()), c.toItem) << c.index << " block " << block;
    }
  }
}

TEST_F(DriverTest, OutputMetersHoldThePeakUntilRead) {
  Start(44100.0f, 64, 1);
  Post(MessageType::e_setFilterParameterImmediate, {kBypass, 0, 0.0f});
  Fill(64, 1);
  Process(64);
  norv_->TakeOutputMeter(0);
  Fill(64, 1);
  inputs_[0][10] = -0.9f;
  Process(64);
  EXPECT_FLOAT_EQ(norv_->OutputMeter(0), 0.9f);
  EXPECT_FLOAT_EQ(norv_->TakeOutputMeter(0), 0.9f);
  EXPECT_EQ(norv_->OutputMeter(0), 0.0f);
}

// Note-ons as the host sends them: {channel (0-based), key, velocity} each.
void SendNotes(Norv& norv, std::initializer_list<std::array<int, 3>> notes) {
  std::vector<std::array<int, 4>> rows;
  for (const auto& [channel, key, velocity] : notes)
    rows.push_back({0, 0x90 | channel, key, velocity});
  MidiEventList list(rows);
  norv.processEvents(list.Events());
}

TEST_F(DriverTest, NotesDriveSourcesRatesAndCutoffs) {
  Start(44100.0f, 64, 2);
  SendNotes(*norv_, {{0, 24, 64},     // LFO1: division 19, "1 bar"
                     {1, 96, 100},    // pitch 0.75
                     {2, 57, 127}});  // filter 1 cutoff an octave below 440 Hz
  Process(64);
  const NorvProcess& engine = norv_->Engine();
  EXPECT_FLOAT_EQ(engine.Base(kLFO1Rate), 19.0f / 38.0f);
  EXPECT_FLOAT_EQ(engine.Base(kLFO1Sync), 1.0f);
  EXPECT_FLOAT_EQ(engine.SourceValue(static_cast<int>(TransmodSource::kPitch)), 0.75f);
  EXPECT_FLOAT_EQ(engine.SourceValue(static_cast<int>(TransmodSource::kVelocity)), 127.0f / 128.0f);
  const float w = (57.0f / 128.0f) * (57.0f / 128.0f) * 0.005f;
  EXPECT_NEAR(engine.Target(kF1Cutoff), 0.5f - 1.0f / 12.0f + w, 1e-6f);
}

TEST_F(DriverTest, ZeroVelocityIsANoteOffAndEveryNoteOnDrawsANewRandomValue) {
  Start(44100.0f, 64, 2);
  const NorvProcess& engine = norv_->Engine();
  const auto source = [&engine](TransmodSource s) {
    return engine.SourceValue(static_cast<int>(s));
  };
  SendNotes(*norv_, {{4, 60, 100}});  // channel 5: velocity and random only
  Process(64);
  const float firstRandom = source(TransmodSource::kRandom);
  EXPECT_FLOAT_EQ(source(TransmodSource::kVelocity), 100.0f / 128.0f);
  const float cutoff = engine.Target(kF1Cutoff);

  SendNotes(*norv_, {{4, 60, 0}, {2, 40, 0}});  // note-offs in note-on form
  Process(64);
  EXPECT_EQ(source(TransmodSource::kRandom), firstRandom);
  EXPECT_FLOAT_EQ(source(TransmodSource::kVelocity), 100.0f / 128.0f);
  EXPECT_EQ(engine.Target(kF1Cutoff), cutoff);

  SendNotes(*norv_, {{4, 60, 50}});
  Process(64);
  EXPECT_NE(source(TransmodSource::kRandom), firstRandom);
  EXPECT_FLOAT_EQ(source(TransmodSource::kVelocity), 50.0f / 128.0f);
}

}  // namespace
