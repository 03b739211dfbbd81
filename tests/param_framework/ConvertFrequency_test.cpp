// The frequency converters: plain, tuned, logarithmic, cubed, pitched and detuned frequencies.
#include "param_framework/ConvertFrequency.h"

#include <gtest/gtest.h>

#include <cmath>

#include "param_framework/ConvertRows.h"

namespace VDSP {
namespace {

TEST(ConvertFrequencyTest, Frequencies) {
  const TextRow rows[] = {
      {"VConvertFrequency", 440.0, "440.00000000 Hz", "440.00 Hz", 440.0},
      {"VConvertFrequency", 1500.0, "1.50000000 kHz", "1.50 kHz", 1500.0},
      {"VConvertFrequencyTune", 12.5, "12.50000000", "12.50", 12.5},
      {"VConvertFrequencyLog", 9.0, "1.02400000 kHz", "1.02 kHz", 9.0},
      {"VConvertFrequencyCube", 0.1, "100.00000000 Hz", "100.00 Hz", 0.1},
      {"VConvertFrequencyCube", 0.0, "10000000000000.00000000 kHz", "10000000000000.00 kHz",
       std::cbrt(1e-17)},
      {"VConvertFrequencyPitch", 0.0, "800.00000000 Hz", "800.00 Hz", 0.0},
      {"VConvertFrequencyDetune", 0.0, "0.00000000 Hz", "0.00 Hz", 0.0},
      {"VConvertFrequencyDetune", 3.0, "1.75000000 Hz", "1.75 Hz", 3.0},
      {"VConvertFrequencyDetune", -3.0, "-1.75000000 Hz", "-1.75 Hz", -3.0},
  };
  ExpectRows(rows);
  const TypedRow typed[] = {
      {"VConvertFrequency", "2 kHz", 2000.0},
      {"VConvertFrequency", "2KHZ", 2000.0},
      {"VConvertFrequency", "440hz", 440.0},
      {"VConvertFrequencyLog", "-5 Hz", std::log2(1e-10) - 1.0},
  };
  ExpectTyped(typed);
}

}  // namespace
}  // namespace VDSP
