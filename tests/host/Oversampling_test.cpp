// Oversampling changes through the VST interface: a chunk with another factor, loaded while the
// plug-in runs, sounds from the very next block at every factor, whatever the host does around it.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "host/TestHost.h"

namespace tavo::test {
namespace {

using Buffers = std::vector<std::vector<float>>;

constexpr float kRate = 44100.0f;
constexpr int kBlock = 256;
// A 441 Hz sine of amplitude 0.5 (RMS 0.35) on all four inputs; the default sound passes it at
// about unity, so a block below this RMS is as good as silent.
constexpr float kAudible = 0.1f;

class SineSource {
 public:
  Buffers Next(int frames) {
    Buffers inputs(4, std::vector<float>(frames));
    for (int i = 0; i < frames; ++i) {
      const float sample = 0.5f * std::sin(2.0f * 3.14159265f * 441.0f * (frame_ + i) / kRate);
      for (auto& channel : inputs) channel[i] = sample;
    }
    frame_ = (frame_ + frames) % 100;  // 441 Hz repeats every 100 frames
    return inputs;
  }

 private:
  int frame_ = 0;
};

float Rms(const std::vector<float>& samples) {
  double energy = 0.0;
  for (float sample : samples) energy += static_cast<double>(sample) * sample;
  return static_cast<float>(std::sqrt(energy / static_cast<double>(samples.size())));
}

std::string FactorDocument(int factor) {
  return "<root StateVersion=\"2.2\" Oversample=\"" + std::to_string(factor) + "\"/>";
}

vst::VstIntPtr SetChunk(PluginInstance& plugin, const std::string& text) {
  std::vector<char> data(text.begin(), text.end());
  return plugin.Dispatch(vst::effSetChunk, 0, static_cast<vst::VstIntPtr>(data.size()),
                         data.data());
}

std::string GetChunk(PluginInstance& plugin) {
  void* data = nullptr;
  const vst::VstIntPtr size = plugin.Dispatch(vst::effGetChunk, 0, 0, &data);
  if (size <= 0 || !data) return std::string();
  return std::string(static_cast<const char*>(data), static_cast<size_t>(size));
}

// The quieter output channel's RMS over one block.
float ProcessBlock(PluginInstance& plugin, SineSource& source) {
  Buffers inputs = source.Next(kBlock);
  Buffers outputs(2, std::vector<float>(kBlock, 0.0f));
  plugin.Process(inputs, outputs, kBlock);
  return std::min(Rms(outputs[0]), Rms(outputs[1]));
}

class OversamplingHost : public ::testing::Test {
 protected:
  void SetUp() override { Host().Clear(); }
};

// A plug-in that is already playing takes chunks with one factor after another; every block after
// each load sounds, and the chunk reads back the factor at once.
TEST_F(OversamplingHost, ChunkWithAnotherFactorSoundsFromTheNextBlock) {
  PluginInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  plugin.Start(kRate, kBlock);
  SineSource source;
  for (int i = 0; i < 4; ++i) ProcessBlock(plugin, source);
  for (int factor : {1, 2, 4, 8, 16, 4, 1, 16, 2}) {
    SCOPED_TRACE(factor);
    ASSERT_EQ(SetChunk(plugin, FactorDocument(factor)), 1);
    EXPECT_NE(GetChunk(plugin).find("Oversample=\"" + std::to_string(factor) + "\""),
              std::string::npos);
    for (int block = 0; block < 4; ++block) {
      EXPECT_GT(ProcessBlock(plugin, source), kAudible) << "block " << block << " after the load";
    }
  }
}

// The host sequences that used to leave the plug-in silent: an offline renderer (set-up, resume,
// chunk, then process on the same thread, no editor, no further set-up call) and a project reload
// that resumes once more after the chunk. Each one starts sounding with its first block.
TEST_F(OversamplingHost, FreshInstanceLoadedWhileResumedSoundsFromItsFirstBlock) {
  for (bool resumeAgain : {false, true}) {
    for (int factor : {1, 2, 4, 8, 16}) {
      SCOPED_TRACE(testing::Message() << "x" << factor << (resumeAgain ? " resumed again" : ""));
      PluginInstance plugin;
      ASSERT_NE(plugin.effect(), nullptr);
      plugin.Start(kRate, kBlock);
      ASSERT_EQ(SetChunk(plugin, FactorDocument(factor)), 1);
      if (resumeAgain) plugin.Dispatch(vst::effMainsChanged, 0, 1);
      SineSource source;
      float quietest = 1e9f;
      for (int block = 0; block < 8; ++block) {
        quietest = std::min(quietest, ProcessBlock(plugin, source));
      }
      EXPECT_GT(quietest, kAudible);
      EXPECT_NE(GetChunk(plugin).find("Oversample=\"" + std::to_string(factor) + "\""),
                std::string::npos);
    }
  }
}

}  // namespace
}  // namespace tavo::test
