// Calls a host's user-interface thread makes while its audio thread keeps processing: the editor's
// idle timer, and set-up calls that hosts should not make then but sometimes do.
#include <chrono>
#include <thread>

#include "host/TestHost.h"

namespace tavo::test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr float kRate = 44100.0f;
constexpr auto kRunTime = std::chrono::milliseconds(1500);

class HostStress : public ::testing::Test {
 protected:
  void SetUp() override { Host().Clear(); }
};

void ExpectCleanBlocks(const AudioLoop& audio) {
  EXPECT_GT(audio.Blocks(), 0);
  EXPECT_EQ(audio.DamagedBlocks(), 0) << "blocks that wrote past their frames";
  EXPECT_EQ(audio.NonFiniteBlocks(), 0) << "blocks with non-finite or unwritten output";
}

// An offline bounce's long blocks leave time for many idle calls between two blocks, more than it
// takes for the plug-in to deliver the editor's queued changes itself.
TEST_F(HostStress, EditorIdleBurstsBetweenLongBlocks) {
  constexpr int kLongBlock = 8192;
  constexpr int kBurst = 50;
  PluginInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  plugin.Start(kRate, kLongBlock);
  AudioLoop audio(plugin, kLongBlock, kRate);
  ASSERT_TRUE(audio.WaitForBlocks(1));
  const Clock::time_point end = Clock::now() + kRunTime;
  while (Clock::now() < end) {
    for (int call = 0; call < kBurst; ++call) plugin.Dispatch(vst::effEditIdle);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  audio.Stop();
  ExpectCleanBlocks(audio);
}

TEST_F(HostStress, SetupCallsWhileAudioRuns) {
  constexpr int kHostBlock = 512;
  const float rates[] = {44100.0f, 48000.0f, 96000.0f, 22050.0f, 192000.0f};
  const int blockSizes[] = {64, 512, 4096, 8192, 100, 1};
  PluginInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  plugin.Start(kRate, kHostBlock);
  AudioLoop audio(plugin, kHostBlock, kRate);
  ASSERT_TRUE(audio.WaitForBlocks(1));
  size_t call = 0;
  const Clock::time_point end = Clock::now() + kRunTime;
  while (Clock::now() < end) {
    plugin.Dispatch(vst::effSetSampleRate, 0, 0, nullptr, rates[call % std::size(rates)]);
    plugin.Dispatch(vst::effSetBlockSize, 0, blockSizes[call % std::size(blockSizes)]);
    plugin.Dispatch(vst::effMainsChanged, 0, 0);
    plugin.Dispatch(vst::effMainsChanged, 0, 1);
    ++call;
  }
  audio.Stop();
  ExpectCleanBlocks(audio);
}

}  // namespace
}  // namespace tavo::test
