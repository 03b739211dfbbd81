// The crash guard: bodies run with their context; on Windows a machine fault inside the body is
// caught, dumped and logged, and the guard keeps working afterwards.
#include "support/CrashGuard.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

#include "support/Log.h"
#include "support/Paths.h"

namespace VFoundation {
namespace {

void AddOne(void* context) {
  ++*static_cast<int*>(context);
}

TEST(CrashGuard, RunsTheBodyWithItsContext) {
  int calls = 0;
  EXPECT_TRUE(RunWithCrashGuard(AddOne, &calls));
  EXPECT_TRUE(RunWithCrashGuard(AddOne, &calls));
  EXPECT_EQ(calls, 2);
}

TEST(CrashGuard, LetsCppExceptionsThrough) {
  int calls = 0;
  EXPECT_THROW(RunWithCrashGuard([](void*) { throw std::runtime_error("engine"); }, nullptr),
               std::runtime_error);
  EXPECT_TRUE(RunWithCrashGuard(AddOne, &calls));
  EXPECT_EQ(calls, 1);
}

#ifdef _WIN32

int* volatile nullTarget = nullptr;

void WriteThroughNull(void* context) {
  ++*static_cast<int*>(context);
  *nullTarget = 1;
  ++*static_cast<int*>(context);  // never reached
}

int CountDumps() {
  int dumps = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(VApplication::Paths::GetTemporaryPath())) {
    if (entry.path().extension() == ".dmp") ++dumps;
  }
  return dumps;
}

std::string LogText() {
  std::ifstream file(VApplication::Paths::FromUtf8(RuntimeLog::FilePath()), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Writing a dump takes seconds under Wine, so only the first test writes one.
class CrashGuardFault : public testing::Test {
 protected:
  void SetUp() override {
    SetCrashDumpBudget(0);
    RuntimeLog::Start();
  }
  void TearDown() override { RuntimeLog::Stop(); }
};

TEST_F(CrashGuardFault, NullWriteIsCaughtDumpedAndLogged) {
  SetCrashHandlerProduct("Tavo", "support@quorvanta.example");
  SetCrashDumpBudget(1);
  const int dumpsBefore = CountDumps();
  int reached = 0;
  EXPECT_FALSE(RunWithCrashGuard(WriteThroughNull, &reached));
  EXPECT_EQ(reached, 1);
  EXPECT_EQ(CountDumps(), dumpsBefore + 1);
  RuntimeLog::Flush();
  EXPECT_NE(LogText().find("Software Error: a dump file has been created.  Please email this to "
                           "Quorvanta\n"),
            std::string::npos);

  // The guard and the thread are fine afterwards; with the budget spent, no second dump.
  int calls = 0;
  EXPECT_TRUE(RunWithCrashGuard(AddOne, &calls));
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(RunWithCrashGuard(WriteThroughNull, &reached));
  EXPECT_EQ(reached, 2);
  EXPECT_EQ(CountDumps(), dumpsBefore + 1);
  RuntimeLog::Flush();
  EXPECT_NE(
      LogText().find("Software Error: a machine fault was caught; no dump file was written\n"),
      std::string::npos);
}

struct Nested {
  bool innerResult = true;
  int reached = 0;
};

TEST_F(CrashGuardFault, InnerGuardCatchesItsOwnFault) {
  Nested nested;
  EXPECT_TRUE(RunWithCrashGuard(
      [](void* context) {
        auto* n = static_cast<Nested*>(context);
        n->innerResult = RunWithCrashGuard(WriteThroughNull, &n->reached);
        ++n->reached;
      },
      &nested));
  EXPECT_FALSE(nested.innerResult);
  EXPECT_EQ(nested.reached, 2);
}

TEST_F(CrashGuardFault, FaultsOnAnotherThreadAreCaughtThere) {
  bool result = true;
  int reached = 0;
  std::thread worker([&] { result = RunWithCrashGuard(WriteThroughNull, &reached); });
  worker.join();
  EXPECT_FALSE(result);
  EXPECT_EQ(reached, 1);
}

TEST_F(CrashGuardFault, RoundingModeIsRestoredAfterAFault) {
  // The engine switches the rounding mode for a block; a fault must not leave it switched.
  const float third = 1.0f / 3.0f;
  int reached = 0;
  EXPECT_FALSE(RunWithCrashGuard(
      [](void* context) {
        unsigned int mxcsr;
        __asm__ __volatile__("stmxcsr %0" : "=m"(mxcsr));
        mxcsr = (mxcsr & ~0x6000u) | 0x2000u;  // round down
        __asm__ __volatile__("ldmxcsr %0" : : "m"(mxcsr));
        WriteThroughNull(context);
      },
      &reached));
  volatile float one = 1.0f, three = 3.0f;
  EXPECT_EQ(one / three, third);
}

#endif

}  // namespace
}  // namespace VFoundation
