// An oversampling change handed between the audio thread and the editor's idle call while blocks
// keep coming: every change completes, and the sound stays finite throughout.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#include "plugin/Norv.h"

namespace {

vst::VstIntPtr QuietHost(vst::AEffect*, int32_t opcode, int32_t, vst::VstIntPtr, void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

TEST(OversamplingStress, ChangesCompleteWhileTheAudioThreadRuns) {
  constexpr int kFrames = 32;
  auto norv = std::make_unique<Norv>(QuietHost);
  norv->setSampleRate(48000.0f);
  norv->setBlockSize(kFrames);
  norv->resume();

  std::atomic<bool> stop{false};
  std::atomic<int> blocks{0};
  std::atomic<int> nonFinite{0};
  std::thread audio([&] {
    std::vector<float> in[4];
    for (int c = 0; c < 4; ++c) {
      in[c].resize(kFrames);
      for (int i = 0; i < kFrames; ++i) in[c][i] = 0.3f * std::sin(0.05f * (i + 7 * c));
    }
    std::vector<float> out[2] = {std::vector<float>(kFrames), std::vector<float>(kFrames)};
    float* inputs[4] = {in[0].data(), in[1].data(), in[2].data(), in[3].data()};
    float* outputs[2] = {out[0].data(), out[1].data()};
    while (!stop.load()) {
      norv->processReplacing(inputs, outputs, kFrames);
      for (float sample : out[0]) {
        if (!std::isfinite(sample)) nonFinite.fetch_add(1);
      }
      blocks.fetch_add(1);
      std::this_thread::yield();
    }
  });

  // The changes must overlap running audio: wait for the audio thread to get going (a scheduler may
  // start it late).
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (blocks.load() < 4 && std::chrono::steady_clock::now() < giveUp) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_GE(blocks.load(), 4);

  // The editor's side: ask for a factor, then idle until the engine runs at it.
  int completed = 0;
  for (int change = 0; change < 12; ++change) {
    const int factor = change % 3 == 0 ? 4 : (change % 3 == 1 ? 1 : 2);
    ASSERT_TRUE(norv->Port().PostMessageToSynth(MessageType::e_setOversampling, {factor}));
    for (int attempt = 0; attempt < 2000; ++attempt) {
      std::this_thread::sleep_for(std::chrono::microseconds(500));
      norv->EditorIdle();
      if (norv->OversamplingFactor() == factor && !norv->IsReconfigurationPending() &&
          norv->ActiveOversamplingFactor() == factor) {
        ++completed;
        break;
      }
    }
  }
  stop.store(true);
  audio.join();
  EXPECT_EQ(completed, 12);
  EXPECT_EQ(nonFinite.load(), 0);
}

}  // namespace
