// Small foundation services: clocks, the audio-thread registration, dynamic libraries and the
// module's own file.
#include <gtest/gtest.h>

#include <thread>

#include "support/AudioThread.h"
#include "support/DynamicLibrary.h"
#include "support/LibraryHooks.h"
#include "support/StopWatch.h"

namespace VFoundation {
namespace {

TEST(StopWatch, ClockNeverRunsBackwardsAndMeasuresPauses) {
  double previous = NowSeconds();
  for (int i = 0; i < 1000; ++i) {
    const double now = NowSeconds();
    ASSERT_GE(now, previous);
    previous = now;
  }
  StopWatch watch;
  SleepMilliseconds(20);
  EXPECT_GE(watch.ElapsedSeconds(), 0.019);
  watch.Restart();
  EXPECT_LT(watch.ElapsedSeconds(), 0.019);
  EXPECT_NE(HighResolutionCounter(), 0u);
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

TEST(DynamicLibrary, OpensASystemLibraryAndFindsASymbol) {
#ifdef _WIN32
  const char* name = "kernel32.dll";
  const char* symbol = "GetTickCount";
#else
  const char* name = "libm.so.6";
  const char* symbol = "cos";
#endif
  DynamicLibrary library;
  ASSERT_TRUE(library.Open(name)) << library.Error();
  EXPECT_TRUE(library.IsOpen());
  EXPECT_NE(library.Symbol(symbol), nullptr);
  EXPECT_EQ(library.Symbol("NoSuchSymbolAnywhere"), nullptr);
  library.Close();
  EXPECT_FALSE(library.IsOpen());
  EXPECT_EQ(library.Symbol(symbol), nullptr);
}

TEST(DynamicLibrary, MissingFileFailsWithAReason) {
  DynamicLibrary library;
  EXPECT_FALSE(library.Open("no-such-library-anywhere.so"));
  EXPECT_FALSE(library.IsOpen());
  EXPECT_FALSE(library.Error().empty());
}

TEST(Module, FileIsThisTestProgram) {
  const std::filesystem::path module = ModuleFilePath();
  ASSERT_FALSE(module.empty());
  EXPECT_TRUE(std::filesystem::exists(module));
  EXPECT_EQ(module.stem(), "tavo_support_tests");
  EXPECT_TRUE(std::filesystem::equivalent(module, ProcessExecutablePath()));
}

}  // namespace
}  // namespace VFoundation
