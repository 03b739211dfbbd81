// The audio-block mark and the thread checks built on it: the mark belongs to its own thread, a
// registration cleared elsewhere leaves it, and a broken thread tag aborts where checks are on.
#include "support/AudioThread.h"

#include <gtest/gtest.h>

#include <thread>

namespace VFoundation {
namespace {

TEST(AudioBlockScope, MarksOnlyItsOwnThreadForItsLife) {
  EXPECT_FALSE(IsInAudioBlock());
  bool seenFromOtherThread = true;
  {
    AudioBlockScope block;
    EXPECT_TRUE(IsInAudioBlock());
    std::thread other([&] { seenFromOtherThread = IsInAudioBlock(); });
    other.join();
    {
      AudioBlockScope nested;
      EXPECT_TRUE(IsInAudioBlock());
    }
    EXPECT_TRUE(IsInAudioBlock()) << "the outer block is still running";
  }
  EXPECT_FALSE(seenFromOtherThread);
  EXPECT_FALSE(IsInAudioBlock());
}

// A set-up call on another thread (or another instance's block) clears or moves the process-wide
// registration; the block that runs meanwhile keeps its mark.
TEST(AudioBlockScope, SurvivesARegistrationClearedOrTakenElsewhere) {
  AudioBlockScope block;
  RegisterAudioThread();
  std::thread setUp([] { ClearAudioThreadRegistration(); });
  setUp.join();
  EXPECT_FALSE(IsAudioThread());
  EXPECT_TRUE(IsInAudioBlock());
  std::thread otherBlock([] { RegisterAudioThread(); });
  otherBlock.join();
  EXPECT_TRUE(IsInAudioBlock());
  ClearAudioThreadRegistration();
}

TEST(ThreadChecks, PassWhereTheTagsHold) {
  TAVO_EXPECT_NOT_AUDIO_THREAD("SetUp");
  AudioBlockScope block;
  TAVO_EXPECT_AUDIO_THREAD("Block");
  SUCCEED();
}

TEST(ThreadChecksDeathTest, ABrokenTagLogsItsFunctionAndAborts) {
  if (!TAVO_THREAD_CHECKS_ON) GTEST_SKIP() << "thread checks are compiled out of this build";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        AudioBlockScope block;
        TAVO_EXPECT_NOT_AUDIO_THREAD("Plugin::SetUp");
      },
      "Thread check failed in Plugin::SetUp: called inside an audio block");
  EXPECT_DEATH(TAVO_EXPECT_AUDIO_THREAD("Plugin::Block"),
               "Thread check failed in Plugin::Block: called outside an audio block");
}

TEST(AudioThread, OnlyTheRegisteredThreadIsTheAudioThread) {
  ClearAudioThreadRegistration();
  EXPECT_FALSE(IsAudioThread());
  bool inWorker = false, mainSeenFromWorker = true;
  std::thread worker([&] {
    RegisterAudioThread();
    inWorker = IsAudioThread();
  });
  worker.join();
  EXPECT_TRUE(inWorker);
  EXPECT_FALSE(IsAudioThread());
  RegisterAudioThread();
  EXPECT_TRUE(IsAudioThread());
  std::thread other([&] { mainSeenFromWorker = IsAudioThread(); });
  other.join();
  EXPECT_FALSE(mainSeenFromWorker);
  ClearAudioThreadRegistration();
  EXPECT_FALSE(IsAudioThread());
}

}  // namespace
}  // namespace VFoundation
