// Tempo divisions: names, rates at a tempo, the typed-text parser and the beat arithmetic.
#include "modulation/TempoSync.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

TEST(TempoSyncTest, NamesRunFromSlowestDottedToFastestTriplet) {
  EXPECT_STREQ(TempoDivisionName(0), "64 bars (dotted)");
  EXPECT_STREQ(TempoDivisionName(1), "64 bars");
  EXPECT_STREQ(TempoDivisionName(2), "64 bars (triplet)");
  EXPECT_STREQ(TempoDivisionName(18), "1 bar (dotted)");
  EXPECT_STREQ(TempoDivisionName(19), "1 bar");
  EXPECT_STREQ(TempoDivisionName(25), "1/4 bar");
  EXPECT_STREQ(TempoDivisionName(37), "1/64 bar");
  EXPECT_STREQ(TempoDivisionName(38), "1/64 bar (triplet)");
  EXPECT_STREQ(TempoDivisionName(-1), "ERROR!");
  EXPECT_STREQ(TempoDivisionName(39), "ERROR!");
}

TEST(TempoSyncTest, EveryLengthComesInDottedPlainTripletOrder) {
  const char* lengths[] = {"64 bars",  "32 bars",  "16 bars", "8 bars",  "4 bars",
                           "2 bars",   "1 bar",    "1/2 bar", "1/4 bar", "1/8 bar",
                           "1/16 bar", "1/32 bar", "1/64 bar"};
  for (int32_t group = 0; group < 13; ++group) {
    const std::string length = lengths[group];
    EXPECT_EQ(TempoDivisionName(3 * group), length + " (dotted)");
    EXPECT_EQ(TempoDivisionName(3 * group + 1), length);
    EXPECT_EQ(TempoDivisionName(3 * group + 2), length + " (triplet)");
  }
}

TEST(TempoSyncTest, ValueSelectsRoundedEntry) {
  EXPECT_EQ(TempoDivisionIndex(0.0f), 0);
  EXPECT_EQ(TempoDivisionIndex(0.5f), 19);
  EXPECT_EQ(TempoDivisionIndex(1.0f), 38);
  EXPECT_EQ(TempoDivisionIndex(0.5f / 38.0f - 0.001f), 0);
  EXPECT_EQ(TempoDivisionIndex(0.5f / 38.0f + 0.001f), 1);
  EXPECT_STREQ(TempoDivisionNameForValue(0.5f), "1 bar");
  EXPECT_STREQ(TempoDivisionNameForValue(1.0f), "1/64 bar (triplet)");
  EXPECT_STREQ(TempoDivisionNameForValue(2.0f), "ERROR!");
  EXPECT_STREQ(TempoDivisionNameForValue(std::nanf("")), "ERROR!");
}

TEST(TempoSyncTest, DivisionIndexToValueIsIndexOver38Clamped) {
  EXPECT_FLOAT_EQ(DivisionIndexToValue(0), 0.0f);
  EXPECT_NEAR(DivisionIndexToValue(19), 0.5f, 1e-6f);
  EXPECT_FLOAT_EQ(DivisionIndexToValue(38), 1.0f);
  EXPECT_FLOAT_EQ(DivisionIndexToValue(-3), 0.0f);
  EXPECT_FLOAT_EQ(DivisionIndexToValue(50), 1.0f);
  for (int32_t i = 0; i < kNumTempoDivisions; ++i) {
    EXPECT_EQ(TempoDivisionIndex(DivisionIndexToValue(i)), i);
  }
}

struct RateCase {
  int32_t index;
  float tempoBpm;
  float expectedHz;
};

TEST(TempoSyncTest, RatesFollowTempo) {
  const RateCase cases[] = {
      {25, 120.0f, 2.0f},         // "1/4 bar": one cycle per beat
      {19, 120.0f, 0.5f},         // "1 bar"
      {19, 240.0f, 1.0f},         // "1 bar" at double tempo
      {37, 120.0f, 32.0f},        // "1/64 bar"
      {1, 120.0f, 0.0078125f},    // "64 bars"
      {24, 120.0f, 4.0f / 3.0f},  // "1/4 bar (dotted)": 2/3 of the plain rate
      {26, 120.0f, 3.0f},         // "1/4 bar (triplet)": three in the time of two
      {38, 120.0f, 48.0f},        // "1/64 bar (triplet)"
      {0, 60.0f, 1.0f / 384.0f},  // "64 bars (dotted)"
  };
  for (const RateCase& c : cases) {
    SCOPED_TRACE(TempoDivisionName(c.index));
    EXPECT_NEAR(TempoDivisionRateHz(DivisionIndexToValue(c.index), c.tempoBpm), c.expectedHz,
                c.expectedHz * 1e-6f);
  }
}

TEST(TempoSyncTest, RateStaysFiniteForBadInput) {
  EXPECT_EQ(TempoDivisionRateHz(0.5f, 0.0f), 0.0f);
  EXPECT_EQ(TempoDivisionRateHz(0.5f, -120.0f), 0.0f);
  EXPECT_EQ(TempoDivisionRateHz(0.5f, std::nanf("")), 0.0f);
  // Out-of-range values use the nearest end of the list.
  EXPECT_NEAR(TempoDivisionRateHz(5.0f, 120.0f), 48.0f, 1e-4f);
  EXPECT_NEAR(TempoDivisionRateHz(-5.0f, 120.0f), 0.0078125f * 2.0f / 3.0f, 1e-8f);
  EXPECT_NEAR(TempoDivisionRateHz(std::nanf(""), 120.0f), 0.0078125f * 2.0f / 3.0f, 1e-8f);
}

struct ParseCase {
  const char* text;
  int32_t index;
};

TEST(TempoSyncTest, ParsesTypedDivisions) {
  const ParseCase cases[] = {
      {"1/4 bar", 25},
      {"1/4t", 26},
      {"1/4T", 26},
      {"1/4 bar (triplet)", 26},
      {"1/4 triplet", 26},
      {"1/4d", 24},
      {"1/4 dotted", 24},
      {"2", 16},
      {"16 bars (dotted)", 6},
      {" 1 / 16 ", 31},
      {"1/8t", 29},
      {"4t", 14},
      {"1", 19},
      {"", 0},
      {"no division here", 0},
  };
  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_FLOAT_EQ(ParseTempoDivision(c.text), DivisionIndexToValue(c.index));
  }
}

TEST(TempoSyncTest, EveryNameParsesBackToItsOwnEntry) {
  for (int32_t i = 0; i < kNumTempoDivisions; ++i) {
    SCOPED_TRACE(TempoDivisionName(i));
    EXPECT_EQ(TempoDivisionIndex(ParseTempoDivision(TempoDivisionName(i))), i);
  }
}

TEST(TempoSyncTest, BeatArithmetic) {
  EXPECT_DOUBLE_EQ(SecondsPerBeat(120.0), 0.5);
  EXPECT_DOUBLE_EQ(SecondsPerBeat(90.0), 60.0 / 90.0);
  EXPECT_DOUBLE_EQ(SecondsPerBeat(0.0), 0.5);
  EXPECT_DOUBLE_EQ(SecondsPerBeat(-10.0), 0.5);

  EXPECT_DOUBLE_EQ(SamplesPerBeat(120.0, 48000.0), 24000.0);
  EXPECT_DOUBLE_EQ(SamplesPerBeat(0.0, 48000.0), 24000.0);
  EXPECT_DOUBLE_EQ(SamplesPerBeat(120.0, 1.0), 22050.0);
  EXPECT_DOUBLE_EQ(SamplesPerBeat(120.0, std::nan("")), 22050.0);

  EXPECT_DOUBLE_EQ(BeatsPerSample(120.0, 48000.0), 1.0 / 24000.0);
  EXPECT_DOUBLE_EQ(BeatsPerSample(1e9, 2.0), 1.0 / 22050.0);
  EXPECT_DOUBLE_EQ(BeatsPerSample(1e9, 2.0), 4.5351473922902495e-5);
}

}  // namespace
