// The level converters: linear and logarithmic amplitudes and decibels.
#include "param_framework/ConvertLevel.h"

#include <gtest/gtest.h>

#include "param_framework/ConvertRows.h"

namespace VDSP {
namespace {

TEST(ConvertLevelTest, Levels) {
  const TextRow rows[] = {
      {"VConvertAmp", 0.0, "-oo dB", "-oo dB", 0.0},
      {"VConvertAmp", 1.0, "0.0000000 dB", "0.0 dB", 1.0},
      {"VConvertAmp", 2.0, "18.0617997 dB", "18.1 dB", 2.0},
      {"VConvertAmpLog", 0.0, "-0.1433436 dB", "-0.1 dB", 0.0},
      {"VConvertAmpLog", 3.0, "18.0440113 dB", "18.0 dB", 3.0},
      {"VConvertAmpLog", -10.0, "-oo dB", "-oo dB", -10.0},
      {"VConvertDecibel", -6.0, "-6.0000000 dB", "-6.0 dB", -6.0},
      {"VConvertDecibel", 30.0, "30.0000000 dB", "30.0 dB", 30.0},
      {"VConvertDecibel", -144.0, "-oo dB", "-oo dB", -144.0},
      {"VConvertDecibel", -200.0, "-oo dB", "-oo dB", -144.0},
  };
  ExpectRows(rows);
  const TypedRow typed[] = {
      {"VConvertDecibel", "-00", -144.0},  {"VConvertDecibel", "-OO DB", -144.0},
      {"VConvertDecibel", "3db", 3.0},     {"VConvertDecibel", "", 0.0},
      {"VConvertAmp", "-oo", 0.0},         {"VConvertAmp", "0 dB", 1.0},
      {"VConvertAmpLog", "-oo dB", -10.0}, {"VConvertAmpLog", "+300 dB", 10.0},
  };
  ExpectTyped(typed);
}

}  // namespace
}  // namespace VDSP
