// The clocks: a monotonic reading, the stop watch and the high-resolution counter.
#include "support/StopWatch.h"

#include <gtest/gtest.h>

#include "support/LibraryHooks.h"

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

}  // namespace
}  // namespace VFoundation
