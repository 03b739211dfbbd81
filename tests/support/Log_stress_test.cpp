// The run-time log under concurrent writers: every line arrives whole or is counted as dropped.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/Log.h"
#include "support/Paths.h"

namespace VFoundation {
namespace {

TEST(LogStress, ConcurrentWritersNeverInterleaveOrLoseCount) {
  RuntimeLog::Start();
  constexpr int kThreads = 4;
  constexpr int kLinesPerThread = 5000;
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([t] {
      for (int i = 0; i < kLinesPerThread; ++i) Log("stress %d %d %s\n", t, i, "payload-payload");
    });
  }
  for (std::thread& writer : writers) writer.join();
  RuntimeLog::Flush();

  std::ifstream file(VApplication::Paths::FromUtf8(RuntimeLog::FilePath()), std::ios::binary);
  const std::regex whole(R"(stress (\d) (\d+) payload-payload)");
  const std::regex dropped(R"(\[ (\d+) log lines dropped \])");
  std::map<int, int> lastIndex;
  long long seen = 0;
  long long droppedCount = 0;
  std::string line;
  while (std::getline(file, line)) {
    std::smatch match;
    if (std::regex_match(line, match, whole)) {
      const int thread = std::stoi(match[1]);
      const int index = std::stoi(match[2]);
      // Each writer's own lines keep their order.
      auto previous = lastIndex.find(thread);
      if (previous != lastIndex.end()) {
        EXPECT_GT(index, previous->second);
      }
      lastIndex[thread] = index;
      ++seen;
    } else if (std::regex_match(line, match, dropped)) {
      droppedCount += std::stoll(match[1]);
    } else if (line.find("payload") != std::string::npos || line.rfind("stress ", 0) == 0) {
      ADD_FAILURE() << "torn line: " << line;
    }
  }
  // Drops may also count other tests' lines, never fewer than ours.
  EXPECT_GT(seen, 0);
  EXPECT_LE(seen, static_cast<long long>(kThreads) * kLinesPerThread);
  EXPECT_GE(seen + droppedCount, static_cast<long long>(kThreads) * kLinesPerThread);
  RuntimeLog::Stop();
}

}  // namespace
}  // namespace VFoundation
