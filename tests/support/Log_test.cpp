// The run-time log: line format, indentation by contexts, timing prefix, queueing and dropping.
#include "support/Log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/Paths.h"
#include "support/VException.h"

namespace VFoundation {
namespace {

std::vector<std::string> LogLines() {
  std::ifstream file(VApplication::Paths::FromUtf8(RuntimeLog::FilePath()), std::ios::binary);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(file, line)) lines.push_back(line);
  return lines;
}

// The lines from the one holding `marker` onwards (the log file is shared by every test).
std::vector<std::string> LinesFrom(const std::string& marker) {
  const std::vector<std::string> all = LogLines();
  for (size_t i = all.size(); i-- > 0;) {
    if (all[i].find(marker) != std::string::npos) {
      return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(i), all.end());
    }
  }
  return {};
}

class LogTest : public testing::Test {
 protected:
  void SetUp() override { RuntimeLog::Start(); }
  void TearDown() override {
    RuntimeLog::SetTiming(false);
    RuntimeLog::Stop();
  }
};

TEST_F(LogTest, FileLivesInTheApplicationDataFolder) {
  EXPECT_EQ(VApplication::Paths::FromUtf8(RuntimeLog::FilePath()),
            VApplication::Paths::GetApplicationDataPath() / "runtime.log");
}

TEST_F(LogTest, ContextsIndentTheLinesInsideThem) {
  Log("contexts-marker %d %s\n", 42, "x");
  {
    LogContext outer("Norv::PerformInitialSetup");
    Log("inside %.2f\n", 0.5);
    {
      LogContext inner("Inner");
      Log("deep\n");
    }
    Log("back\n");
  }
  Log("after\n");
  RuntimeLog::Flush();

  const std::vector<std::string> lines = LinesFrom("contexts-marker");
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "contexts-marker 42 x");
  EXPECT_EQ(lines[1], "[ Norv::PerformInitialSetup - START ]");
  EXPECT_EQ(lines[2], "  inside 0.50");
  EXPECT_EQ(lines[3], "  [ Inner - START ]");
  EXPECT_EQ(lines[4], "    deep");
  EXPECT_TRUE(std::regex_match(lines[5], std::regex(R"(  \[ Inner - END \] \d\.\d{4})")))
      << lines[5];
  EXPECT_EQ(lines[6], "  back");
  EXPECT_TRUE(
      std::regex_match(lines[7], std::regex(R"(\[ Norv::PerformInitialSetup - END \] \d\.\d{4})")))
      << lines[7];
  EXPECT_EQ(lines[8], "after");
}

TEST_F(LogTest, TimingPrefixesTheStopWatchReading) {
  RuntimeLog::SetTiming(true);
  Log("timing-on-marker\n");
  RuntimeLog::SetTiming(false);
  Log("timing-off-marker\n");
  RuntimeLog::Flush();
  const std::vector<std::string> lines = LinesFrom("timing-on-marker");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"( *\d+\.\d{4} timing-on-marker)")))
      << lines[0];
  EXPECT_EQ(lines[1], "timing-off-marker");
}

TEST_F(LogTest, ExceptionsAndAlertsUseTheHouseFormat) {
  Log("exceptions-marker\n");
  LogCaughtVException("Norv::canDo", VException("bad chunk"));
  LogUnknownException("MessagePort::PostMessageToSynth");
  EXPECT_EQ(Guarded("AutomationManager::ProcessEvent", -1, []() -> int { throw "C text"; }), -1);
  EXPECT_EQ(Guarded("Norv::getChunk", 0, []() -> int { throw 7; }), 0);
  EXPECT_EQ(Guarded("Norv::getVstVersion", 0, [] { return 2400; }), 2400);
  LogAlert("Failed to save file to disk.");
  RuntimeLog::Flush();
  const std::vector<std::string> expected = {
      "exceptions-marker",
      "Caught VException in Norv::canDo. Exception message",
      "bad chunk",
      "Unknown Exception in MessagePort::PostMessageToSynth",
      "Caught VException in AutomationManager::ProcessEvent. Exception message",
      "C text",
      "Unknown Exception in Norv::getChunk",
      "ALERT: Failed to save file to disk.",
  };
  EXPECT_EQ(LinesFrom("exceptions-marker"), expected);
}

TEST_F(LogTest, OverlongLinesAreCutButStayOneLine) {
  Log("cut-marker %s\n", std::string(5000, 'y').c_str());
  Log("next-line\n");
  RuntimeLog::Flush();
  const std::vector<std::string> lines = LinesFrom("cut-marker");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_GT(lines[0].size(), 400u);
  EXPECT_LT(lines[0].size(), 5000u);
  EXPECT_EQ(lines[1], "next-line");
}

TEST(LogLifecycle, StartAndStopAreCountedPerUser) {
  RuntimeLog::Start();
  RuntimeLog::Start();
  RuntimeLog::Stop();
  // Still running for the remaining user: Flush writes the line out.
  Log("still-running-marker\n");
  RuntimeLog::Flush();
  EXPECT_EQ(LinesFrom("still-running-marker").size(), 1u);
  RuntimeLog::Stop();
  RuntimeLog::Stop();   // one too many is harmless
  RuntimeLog::Flush();  // and so is a flush without a writer
}

TEST(LogLifecycle, UnloadStopsWhateverTheCount) {
  RuntimeLog::Start();
  RuntimeLog::Start();
  RuntimeLog::StopForUnload();
  Log("after-unload-marker\n");
  RuntimeLog::Flush();
  EXPECT_TRUE(LinesFrom("after-unload-marker").empty());
  // Nothing is left running, and the next start writes what was queued.
  RuntimeLog::Start();
  RuntimeLog::Flush();
  EXPECT_EQ(LinesFrom("after-unload-marker").size(), 1u);
  RuntimeLog::Stop();
}

TEST(LogLifecycle, LinesBeforeStartAreQueuedAndAFullRingDrops) {
  // Nothing writes while the log is stopped: the ring keeps its first 1024 lines and counts the
  // rest, without blocking the caller.
  RuntimeLog::Start();
  RuntimeLog::Stop();  // empties the ring of earlier tests' lines
  for (int i = 0; i < 3000; ++i) Log("queued-%04d\n", i);
  RuntimeLog::Start();
  RuntimeLog::Flush();
  const std::vector<std::string> lines = LinesFrom("queued-0000");
  ASSERT_EQ(lines.size(), 1025u);
  EXPECT_EQ(lines[1023], "queued-1023");
  EXPECT_EQ(lines[1024], "[ 1976 log lines dropped ]");
  RuntimeLog::Stop();
}

}  // namespace
}  // namespace VFoundation
