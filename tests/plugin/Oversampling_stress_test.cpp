// The editor's oversampling switch while the audio thread runs: the audio thread takes each change
// at the start of a block, with no editor idle call or set-up call to help it, and the sound never
// drops out or turns non-finite.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <iterator>
#include <memory>
#include <thread>
#include <vector>

#include "plugin/Norv.h"

namespace {

vst::VstIntPtr QuietHost(vst::AEffect*, int32_t opcode, int32_t, vst::VstIntPtr, void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

TEST(OversamplingStress, ChangesAreAppliedByTheAudioThreadWithoutSilence) {
  constexpr int kFrames = 64;
  constexpr float kRate = 48000.0f;
  // The input is a 480 Hz sine of RMS 0.35 that the default sound passes at about unity: a block
  // below this is a drop-out.
  constexpr double kAudible = 0.05;
  auto norv = std::make_unique<Norv>(QuietHost);
  norv->setSampleRate(kRate);
  norv->setBlockSize(kFrames);
  norv->resume();

  std::atomic<bool> stop{false};
  std::atomic<int> blocks{0};
  std::atomic<int> silentBlocks{0};
  std::atomic<int> nonFinite{0};
  std::thread audio([&] {
    std::vector<float> in(kFrames);
    std::vector<float> out[2] = {std::vector<float>(kFrames), std::vector<float>(kFrames)};
    float* inputs[4] = {in.data(), in.data(), in.data(), in.data()};
    float* outputs[2] = {out[0].data(), out[1].data()};
    int phase = 0;
    while (!stop.load()) {
      for (int i = 0; i < kFrames; ++i) {
        in[i] = 0.5f * std::sin(2.0f * 3.14159265f * static_cast<float>(phase + i) / 100.0f);
      }
      phase = (phase + kFrames) % 100;
      norv->processReplacing(inputs, outputs, kFrames);
      double energy = 0.0;
      for (float sample : out[0]) {
        if (!std::isfinite(sample)) nonFinite.fetch_add(1);
        energy += static_cast<double>(sample) * sample;
      }
      if (std::sqrt(energy / kFrames) < kAudible) silentBlocks.fetch_add(1);
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

  // The editor's side: ask for a factor and watch the engine take it, as its timer would.
  constexpr int kFactors[] = {4, 1, 2, 4, 8, 2, 16, 1, 4, 2, 1, 2};
  int completed = 0;
  for (int factor : kFactors) {
    ASSERT_TRUE(norv->Port().PostMessageToSynth(MessageType::e_setOversampling, {factor}));
    // Bounded by time, not by a count of sleeps: under Wine a sub-millisecond sleep returns at
    // once.
    const auto takenBy = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (norv->ActiveOversamplingFactor() != factor &&
           std::chrono::steady_clock::now() < takenBy) {
      std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    if (norv->ActiveOversamplingFactor() == factor) ++completed;
    // A few blocks at the new factor before the next change.
    const int seen = blocks.load();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (blocks.load() < seen + 3 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::yield();
    }
  }
  stop.store(true);
  audio.join();
  EXPECT_EQ(completed, static_cast<int>(std::size(kFactors)));
  EXPECT_FALSE(norv->IsReconfigurationPending());
  EXPECT_EQ(silentBlocks.load(), 0);
  EXPECT_EQ(nonFinite.load(), 0);
}

}  // namespace
