// The time converters: plain, logarithmic, fine and cubed times.
#include "param_framework/ConvertTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "param_framework/ConvertRows.h"

namespace VDSP {
namespace {

TEST(ConvertTimeTest, Times) {
  const TextRow rows[] = {
      {"VConvertTime", 0.5, "500.00000000 ms", "500.00 ms", 0.5},
      {"VConvertTime", 2.0, "2.00000000 s", "2.00 s", 2.0},
      {"VConvertTimeLog", 0.0, "500.00000000 ms", "500.00 ms", 0.0},
      {"VConvertTimeLog", 2.0, "2.00000000 s", "2.00 s", 2.0},
      {"VConvertTimeLogFine", 1.0, "1.00000000 s", "1.00 s", 1.0},
      {"VConvertTimeCube", 0.5, "1.25000000 s", "1.25 s", 0.5},
  };
  ExpectRows(rows);
  const TypedRow typed[] = {
      {"VConvertTime", "0", 1e-8},
      {"VConvertTime", "250 MS", 0.25},
      {"VConvertTimeLog", "0", std::log2(1e-10) + 1.0},
      {"VConvertTimeLog", "1e30 s", std::log2(1e30) + 1.0},
      {"VConvertTimeLog", "1e99 s", std::log2(std::numeric_limits<float>::max()) + 1.0},
  };
  ExpectTyped(typed);
}

}  // namespace
}  // namespace VDSP
