// The beat-synchronised converters: seconds or beats, hertz or beats, as their mode says.
#include "param_framework/ConvertBeatSync.h"

#include <gtest/gtest.h>

#include <cmath>

#include "param_framework/ConvertRows.h"

namespace VDSP {
namespace {

TEST(ConvertBeatSyncTest, BeatSynchronisedMembersFollowTheirMode) {
  const TextRow rows[] = {
      {"VConvertTimeBeat", 0.0, "500.00000000 ms", "500.00 ms", 0.0, 0.0},
      {"VConvertTimeBeat", 0.0, "1/4 note", "1/4 note", 0.0, 1.0},
      {"VConvertTimeBeat", 0.0, "1/4 note", "1/4 note", 0.0, 0.6},
      {"VConvertTimeBeat", 0.0, "1/4 note", "1/4 note", 0.0, 7.0},
      {"VConvertTimeBeat", 0.0, "500.00000000 ms", "500.00 ms", 0.0, -3.0},
      {"VConvertTimeBeat", 0.0, "500.00000000 ms", "500.00 ms", 0.0, std::nan("")},
      {"VConvertTimeBeat", 8.0, "10000000000.00000000 s", "10000000000.00 s", 8.0, 0.0},
      {"VConvertTimeBeat", -9.0, "0.00000010 ms", "0.00 ms", -8.0, 0.0},
      {"VConvertTimeBeatCube", 0.5, "1.25000000 s", "1.25 s", 0.5, 0.0},
      {"VConvertTimeBeatCube", 0.5, "5/8 note", "5/8 note", 0.5, 1.0},
      {"VConvertFrequencyBeat", 1.0, "4.00000000 Hz", "4.00 Hz", 1.0, 0.0},
      {"VConvertFrequencyBeat", 1.0, "1/8 note", "1/8 note", 1.0, 1.0},
      {"VConvertFrequencyBeatCube", 0.1, "100.00000000 Hz", "100.00 Hz", 0.1, 0.0},
      {"VConvertFrequencyBeatCube", 0.1, "0.00500000 note", "0.01 note", 0.1, 1.0},
      {"VConvertFrequencyBeatDetune", 3.0, "1.75000000 Hz", "1.75 Hz", 3.0, 0.0},
      {"VConvertFrequencyBeatDetune", 3.0, "0.84089642 note", "0.84 note", 3.0, 1.0},
  };
  ExpectRows(rows);
  EXPECT_EQ(TextOf(VConvertTimeBeat(), 0.0, 1.0, kNumberOnly), "1/4");
  EXPECT_EQ(VConvertTimeBeat::Modes().GetItemCount(), 2);
  EXPECT_STREQ(VConvertTimeBeatCube::Modes().GetShortName(1), "BPM");
  EXPECT_STREQ(VConvertFrequencyBeat::Modes().GetShortName(0), "Freq");
  EXPECT_STREQ(VConvertFrequencyBeatDetune::Modes().GetShortName(1), "Beats");
}

}  // namespace
}  // namespace VDSP
