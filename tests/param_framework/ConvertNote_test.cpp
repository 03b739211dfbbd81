// The note-length converters: note values for tempo-synchronised rates.
#include "param_framework/ConvertNote.h"

#include <gtest/gtest.h>

#include <cmath>

#include "param_framework/ConvertRows.h"

namespace VDSP {
namespace {

TEST(ConvertNoteTest, NoteLengths) {
  const TextRow rows[] = {
      {"VConvertBPM", 0.0, "1/4 note", "1/4 note", 0.0},
      {"VConvertBPM", -1.0, "1/8 note", "1/8 note", -1.0},
      {"VConvertBPM", std::log2(1.5), "3/8 note", "3/8 note", std::log2(1.5)},
      {"VConvertBPM", std::log2(0.75), "3/16 note", "3/16 note", std::log2(0.75)},
      {"VConvertBPM", std::log2(1.0 / 3.0), "1/12 note", "1/12 note", std::log2(1.0 / 3.0)},
      {"VConvertBPM", 2.0, "1 note", "1 note", 2.0},
      {"VConvertBPM", 4.0, "4 note", "4 note", 4.0},
      {"VConvertBPM", -8.0, "1/1024 note", "1/1024 note", -8.0},
      {"VConvertBPM", 0.3, "0.30778610 note", "0.31 note", 0.3},
      {"VConvertBPMCube", 0.5, "5/8 note", "5/8 note", 0.5},
      {"VConvertBeatDetune", 0.0, "1/4 note", "1/4 note", 0.0},
      {"VConvertBeatDetune", 3.0, "0.84089642 note", "0.84 note", 3.0},
  };
  ExpectRows(rows);
  const TypedRow typed[] = {
      {"VConvertBPM", "1/16", -2.0}, {"VConvertBPM", "1/4 NOTE", 0.0},
      {"VConvertBPM", "0.5", 1.0},   {"VConvertBPM", "0", -8.0},
      {"VConvertBPM", "1000", 8.0},  {"VConvertBPMCube", "5/8", 0.5},
  };
  ExpectTyped(typed);
  EXPECT_EQ(TextOf(VConvertBPM(), 0.0, 0.0, kNumberOnly), "1/4");
}

}  // namespace
}  // namespace VDSP
