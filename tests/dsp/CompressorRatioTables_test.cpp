// Tests of the compressor's detector-amplifier tables: the measured points, the shape and the
// reads.
#include "dsp/CompressorRatioTables.h"

#include <gtest/gtest.h>

#include <cmath>

namespace VDSP {
namespace {

struct TableRow {
  int ratio;
  int entry;
  float value;
};

// The measured amplifier points, to four decimals.
const TableRow kRows[] = {
    {4, 500, -15.1465f}, {4, 550, -6.6764f},   {4, 560, -4.9790f},   {4, 570, -3.2790f},
    {4, 580, -1.5750f},  {4, 590, 0.1189f},    {4, 600, 0.3365f},    {4, 0, -16.0171f},
    {4, 300, -16.0138f}, {10, 500, -15.9783f}, {10, 550, -15.5606f}, {10, 560, -10.5536f},
    {10, 570, -5.5386f}, {10, 580, -0.5001f},  {10, 590, 0.3337f},   {10, 600, 0.3727f},
    {10, 0, -16.0171f},  {10, 300, -16.0171f},
};

TEST(CompressorRatioTables, PassesThroughEveryMeasuredPoint) {
  for (const TableRow& row : kRows) {
    const CompressorRatioTable& table = RatioTableFor(row.ratio);
    // Rounded to four decimals, plus single-precision storage.
    EXPECT_NEAR(table.entries[static_cast<size_t>(row.entry)], row.value, 5.2e-5f)
        << "ratio " << row.ratio << " entry " << row.entry;
  }
}

TEST(CompressorRatioTables, RailSectionStaysWithinItsMeasuredRange) {
  const CompressorRatioTable& soft = RatioTableFor(4);
  const CompressorRatioTable& hard = RatioTableFor(10);
  for (size_t i = 0; i <= 300; ++i) {
    EXPECT_GE(soft.entries[i], -16.01715f) << i;
    EXPECT_LE(soft.entries[i], -16.01375f) << i;
    EXPECT_NEAR(hard.entries[i], -16.0171f, 5.2e-5f) << i;
  }
}

TEST(CompressorRatioTables, ShapeIsSymmetricMonotoneWithTheStatedGain) {
  struct Case {
    int ratio;
    float gainPerEntry;
  };
  for (const Case& c : {Case{4, 0.17f}, Case{10, 0.5f}}) {
    const CompressorRatioTable& table = RatioTableFor(c.ratio);
    for (size_t k = 0; k <= 600; ++k) {
      EXPECT_EQ(table.entries[600 + k], table.entries[600 - k]) << c.ratio << " " << k;
    }
    for (size_t i = 1; i <= 600; ++i) {
      EXPECT_GE(table.entries[i], table.entries[i - 1]) << c.ratio << " " << i;
    }
    // Linear section between -0.4 V and -0.2 V.
    for (size_t i = 561; i <= 580; ++i) {
      const float slope = table.entries[i] - table.entries[i - 1];
      EXPECT_NEAR(slope, c.gainPerEntry, 0.02f * c.gainPerEntry) << c.ratio << " " << i;
    }
  }
}

TEST(CompressorRatioTables, LargeInputLineIsTheStoredPair) {
  EXPECT_EQ(RatioTableFor(4).slope, 2.2986058e-10f);
  EXPECT_EQ(RatioTableFor(4).offset, -16.017092f);
  EXPECT_EQ(RatioTableFor(10).slope, 1.9007018e-10f);
  EXPECT_EQ(RatioTableFor(10).offset, -16.017092f);
  // Ratio 2 is not stored: the gentlest stored table stands in.
  EXPECT_EQ(&RatioTableFor(2), &RatioTableFor(4));
}

TEST(CompressorRatioTables, RebuildGivesTheSameTable) {
  for (int ratio : {4, 10}) {
    const CompressorRatioTable built = BuildRatioTable(ratio);
    EXPECT_EQ(built.entries, RatioTableFor(ratio).entries);
  }
}

TEST(CompressorRatioTables, ReadInterpolatesMirrorsAndExtends) {
  const CompressorRatioTable& t = RatioTableFor(4);
  struct Case {
    float x;
    float expected;
  };
  const float mid = 0.5f * (t.entries[549] + t.entries[550]);
  const Case cases[] = {
      {0.0f, t.entries[600]},
      {-0.5f, t.entries[550]},
      {0.5f, t.entries[550]},
      {0.505f, mid},
      {-6.0f, t.entries[0]},
      {7.0f, t.slope * -7.0f + t.offset},
      {-100.0f, t.slope * -100.0f + t.offset},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(ReadRatioTable(t, c.x), c.expected, 2e-5f) << c.x;
  }
}

TEST(CompressorRatioTables, NonFiniteInputsReadTheRail) {
  const CompressorRatioTable& t = RatioTableFor(10);
  for (float x : {NAN, INFINITY, -INFINITY, 1e30f, -3e38f}) {
    const float v = ReadRatioTable(t, x);
    EXPECT_TRUE(std::isfinite(v)) << x;
    EXPECT_NEAR(v, -16.0171f, 1e-4f) << x;
  }
}

}  // namespace
}  // namespace VDSP
