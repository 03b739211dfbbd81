// LFO shapes, morph, measured periods for free and synced rates, transport alignment and preview.
#include "modulation/LFO.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "dsp/SineTable.h"
#include "kit/Blocks.h"
#include "kit/Signals.h"

namespace {

using TestKit::kPi;

constexpr float kRate = 44100.0f;

// Rate value whose free rate is exactly 16 Hz.
constexpr float kSixteenHz = 0.5f;

std::vector<float> RenderLfo(LFO& lfo, int32_t samples) {
  std::vector<float> out(static_cast<std::size_t>(samples));
  TestKit::ForEachBlock(out.size(), 32,
                        [&](size_t at, int32_t n, float) { lfo.Render(out.data() + at, n); });
  return out;
}

LFO MakeLfo(float rateValue, float shape, float morph) {
  LFO lfo;
  lfo.SetSampleRate(kRate, kRate, 1);
  lfo.SetPhase(0.0);
  lfo.Update(rateValue, false, 120.0f, shape, morph);
  return lfo;
}

// Indices of the low-to-high steps of a square wave.
std::vector<int32_t> RisingEdges(const std::vector<float>& wave) {
  std::vector<int32_t> edges;
  for (std::size_t i = 1; i < wave.size(); ++i) {
    if (wave[i - 1] < 0.5f && wave[i] >= 0.5f) edges.push_back(static_cast<int32_t>(i));
  }
  return edges;
}

double ShapeAt(int32_t shape, double p) {
  switch (shape) {
    case 0:
      return 1.0 - p;
    case 1:
      return p < 0.5 ? 1.0 : 0.0;
    case 2:
      return 0.5 + 0.5 * std::sin(2.0 * kPi * p);
    case 3:
      return 0.5 + (p < 0.25 ? 2.0 * p : (p < 0.75 ? 1.0 - 2.0 * p : 2.0 * p - 2.0));
    default:
      return 0.5 + VDSP::ArcsineTable::Get().Read(static_cast<float>(2048.0 * p));
  }
}

TEST(LFOTest, EachShapePositionRendersItsPureShape) {
  struct Case {
    float shape;
    int32_t pure;
  };
  const Case cases[] = {{0.0f, 0}, {0.25f, 1}, {0.5f, 2}, {0.75f, 3}, {1.0f, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shape);
    LFO lfo = MakeLfo(0.4f, c.shape, 0.5f);
    const double d = lfo.PhaseIncrement();
    const std::vector<float> wave = RenderLfo(lfo, 8000);
    double p = 0.0;
    float lowest = 1.0f;
    float highest = 0.0f;
    for (std::size_t i = 0; i < wave.size(); ++i) {
      p += d;
      if (p > 1.0) p -= 1.0;
      ASSERT_NEAR(wave[i], ShapeAt(c.pure, p), 2e-5) << i;
      lowest = std::min(lowest, wave[i]);
      highest = std::max(highest, wave[i]);
    }
    EXPECT_LT(lowest, 0.01f);
    EXPECT_GT(highest, 0.99f);
  }
}

TEST(LFOTest, SquareHasOnlyTwoLevels) {
  LFO lfo = MakeLfo(0.37f, 0.25f, 0.5f);
  for (const float v : RenderLfo(lfo, 10000)) ASSERT_TRUE(v == 0.0f || v == 1.0f) << v;
}

TEST(LFOTest, RampStartsJustBelowOneAndFallsLinearly) {
  LFO lfo = MakeLfo(kSixteenHz, 0.0f, 0.5f);
  const double d = lfo.PhaseIncrement();
  EXPECT_NEAR(d, 16.0 / 44100.0, 1e-9);
  const std::vector<float> wave = RenderLfo(lfo, 2756);  // one cycle is 2756.25 samples
  EXPECT_NEAR(wave[0], 1.0 - d, 1e-6);
  EXPECT_LT(wave[0], 1.0f);
  for (std::size_t i = 1; i < wave.size(); ++i) ASSERT_NEAR(wave[i - 1] - wave[i], d, 1e-5);
  EXPECT_GT(wave.back(), 0.0f);
  EXPECT_LT(wave.back(), 0.001f);
}

TEST(LFOTest, MorphSetsTheSquaresDutyWithoutChangingThePeriod) {
  struct Case {
    float rateValue;
    double hz;
    float morph;
    double highFraction;
  };
  const Case cases[] = {
      {kSixteenHz, 16.0, 0.0f, 0.125}, {kSixteenHz, 16.0, 0.5f, 0.5},
      {kSixteenHz, 16.0, 1.0f, 0.875}, {1.0f, 1024.0, 0.0f, 0.125},  // audio-rate FM
      {1.0f, 1024.0, 1.0f, 0.875},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.hz << " Hz, morph " << c.morph);
    LFO lfo = MakeLfo(c.rateValue, 0.25f, c.morph);
    const std::vector<float> wave = RenderLfo(lfo, 44100);
    const std::vector<int32_t> edges = RisingEdges(wave);
    ASSERT_GE(edges.size(), 10u);
    const double span = static_cast<double>(edges.back() - edges.front());
    // Edges fall on whole samples, so the measured period is good to one sample over the span.
    const double cycles = static_cast<double>(edges.size() - 1);
    EXPECT_NEAR(span / cycles, 44100.0 / c.hz, 1.0 / cycles + 0.01);
    int32_t high = 0;
    for (int32_t i = edges.front(); i < edges.back(); ++i) high += wave[i] > 0.5f ? 1 : 0;
    EXPECT_NEAR(high / span, c.highFraction, 0.005);
  }
}

TEST(LFOTest, MeasuredPeriodMatchesFreeAndSyncedRates) {
  struct Case {
    float value;
    bool synced;
    float tempo;
    double hz;
  };
  const Case cases[] = {
      {0.0f, false, 120.0f, 0.25},         {kSixteenHz, false, 120.0f, 16.0},
      {1.0f / 3.0f, false, 120.0f, 4.0},   {19.0f / 38.0f, true, 120.0f, 0.5},  // 1 bar
      {19.0f / 38.0f, true, 90.0f, 0.375}, {31.0f / 38.0f, true, 120.0f, 8.0},  // 1/16 bar
      {31.0f / 38.0f, true, 150.0f, 10.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.value << " synced " << c.synced << " at " << c.tempo);
    LFO lfo;
    lfo.SetSampleRate(kRate, kRate, 1);
    lfo.SetPhase(0.0);
    lfo.Update(c.value, c.synced, c.tempo, 0.25f, 0.5f);
    EXPECT_NEAR(lfo.FrequencyHz(), c.hz, c.hz * 0.004);
    const std::vector<float> wave = RenderLfo(lfo, static_cast<int32_t>(kRate * 3.0 / c.hz) + 64);
    const std::vector<int32_t> edges = RisingEdges(wave);
    ASSERT_EQ(edges.size(), 3u);
    EXPECT_NEAR((edges.back() - edges.front()) / 2.0, kRate / c.hz, kRate / c.hz * 0.004 + 1.0);
  }
}

TEST(LFOTest, OversampledRateKeepsTheFrequency) {
  LFO lfo;
  lfo.SetSampleRate(2.0f * kRate, kRate, 2);
  lfo.Update(kSixteenHz, false, 120.0f, 0.0f, 0.5f);
  EXPECT_NEAR(lfo.PhaseIncrement(), 16.0 / 88200.0, 1e-9);
}

TEST(LFOTest, RateTable) {
  EXPECT_NEAR(LFO::ComputeRate(0.0f, false, 120.0f), 0.25f, 1e-6f);
  EXPECT_NEAR(LFO::ComputeRate(0.5f, false, 120.0f), 16.0f, 16.0f * 2e-7f);
  EXPECT_NEAR(LFO::ComputeRate(1.0f, false, 120.0f), 1024.0f, 1024.0f * 2e-7f);
  EXPECT_EQ(LFO::ConvertStringToLFORate("2000", false), 1.0f);
  EXPECT_EQ(LFO::ConvertStringToLFORate("0.1", false), 0.0f);
  EXPECT_NEAR(LFO::ConvertStringToLFORate("4", false), 1.0f / 3.0f, 1e-6f);
  EXPECT_NEAR(LFO::ConvertStringToLFORate("1/16", true), 31.0f / 38.0f, 1e-6f);
}

TEST(LFOTest, TransportStartLinesThePhaseUp) {
  struct Case {
    double ppq;
    float tempo;
    float hz;
    float phaseValue;
    float expected;
  };
  const Case cases[] = {
      {1.5, 120.0f, 1.0f, 0.25f, 0.0f},  // 0.75 cycles elapsed + 0.25
      {1.0, 120.0f, 1.0f, 0.0f, 0.5f},   // half a second at 1 Hz
      {10.0, 60.0f, 0.25f, 0.1f, 0.6f},  // 2.5 cycles
      {-1.0, 120.0f, 1.0f, 0.0f, 0.5f},  // pre-roll before bar 1
      {4.0, 0.0f, 1.0f, 0.3f, 0.3f},     // no tempo: the phase value alone
      {4.0, 120.0f, NAN, 0.3f, 0.3f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ppq << " " << c.tempo << " " << c.hz);
    const float phase = LFO::TransportPhase(c.ppq, c.tempo, c.hz, c.phaseValue);
    EXPECT_NEAR(phase, c.expected, 1e-5f);
    EXPECT_GE(phase, 0.0f);
    EXPECT_LE(phase, 1.0f);
  }
  LFO lfo = MakeLfo(1.0f / 6.0f, 0.0f, 0.5f);  // 1 Hz
  lfo.AlignToTransport(1.5, 120.0f, 0.25f);
  EXPECT_NEAR(lfo.Phase(), 0.0, 1e-3);
}

TEST(LFOTest, SetPhaseRestartsTheWave) {
  LFO lfo = MakeLfo(kSixteenHz, 0.0f, 0.5f);
  RenderLfo(lfo, 1000);
  lfo.SetPhase(0.25);
  float first = 0.0f;
  lfo.Render(&first, 1);
  EXPECT_NEAR(first, 0.75 - lfo.PhaseIncrement(), 1e-6);
  lfo.SetPhase(1.75);
  EXPECT_NEAR(lfo.Phase(), 0.75, 1e-12);
}

TEST(LFOTest, PreviewDrawsTwoCyclesWithGainSquared) {
  struct Case {
    float gain;
    float high;
    float low;
  };
  const Case cases[] = {{1.0f, 0.9f, 0.1f}, {0.5f, 0.225f, 0.025f}, {0.0f, 0.0f, 0.0f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.gain);
    std::vector<float> points = {42.0f};
    LFO::RenderPreview(0.25f, 0.0f, c.gain, 0.5f, points, 64);
    ASSERT_EQ(points.size(), 65u);
    EXPECT_EQ(points[0], 42.0f);
    int32_t highCount = 0;
    for (std::size_t i = 1; i < points.size(); ++i) {
      ASSERT_TRUE(std::fabs(points[i] - c.high) < 1e-6f || std::fabs(points[i] - c.low) < 1e-6f);
      highCount += points[i] == points[1] ? 1 : 0;
    }
    if (c.gain > 0.0f) {
      // Two cycles of a half-duty square; the first point of each cycle lands on phase 1 (the wrap
      // comes one point later) and reads low, so 15 of 16 points per half are high.
      EXPECT_EQ(highCount, 30);
      EXPECT_NEAR(points[1], c.high, 1e-6f);
      EXPECT_NEAR(points[17], c.low, 1e-6f);
      EXPECT_NEAR(points[33], c.high, 1e-6f);
    }
  }
}

TEST(LFOTest, PreviewFollowsItsOwnMorph) {
  std::vector<float> narrow;
  std::vector<float> wide;
  LFO::RenderPreview(0.25f, 0.0f, 1.0f, 0.0f, narrow, 128);
  LFO::RenderPreview(0.25f, 0.0f, 1.0f, 1.0f, wide, 128);
  int32_t narrowHigh = 0;
  int32_t wideHigh = 0;
  for (std::size_t i = 0; i < narrow.size(); ++i) {
    narrowHigh += narrow[i] > 0.5f ? 1 : 0;
    wideHigh += wide[i] > 0.5f ? 1 : 0;
  }
  // 1/8 and 7/8 of 128 points, less up to one point per cycle where a step lands on the edge.
  EXPECT_NEAR(narrowHigh, 16, 2);
  EXPECT_NEAR(wideHigh, 112, 2);
}

TEST(LFOTest, NonFiniteParametersNeverProduceNaNAndRecover) {
  const float bad[] = {NAN, INFINITY, -INFINITY, 1e30f, -1e30f};
  for (const float b : bad) {
    SCOPED_TRACE(b);
    LFO lfo = MakeLfo(0.5f, 0.5f, 0.5f);
    lfo.Update(b, false, b, b, b);
    for (const float v : RenderLfo(lfo, 256)) ASSERT_TRUE(v >= 0.0f && v <= 1.0f);
    lfo.Update(b, true, b, 0.3f, 0.5f);
    lfo.SetPhase(b);
    for (const float v : RenderLfo(lfo, 256)) ASSERT_TRUE(v >= 0.0f && v <= 1.0f);
    EXPECT_TRUE(lfo.Phase() >= 0.0 && lfo.Phase() <= 1.0);
    lfo.Update(kSixteenHz, false, 120.0f, 0.0f, 0.5f);
    lfo.SetPhase(0.0);
    float first = 0.0f;
    lfo.Render(&first, 1);
    EXPECT_NEAR(first, 1.0 - 16.0 / 44100.0, 1e-6);
  }
}

}  // namespace

// The engine asks only for the last value of each sub-block unless filter FM reads the wave.
TEST(LFOTest, RenderLastEqualsTheLastSampleOfRender) {
  LFO full, last;
  for (LFO* lfo : {&full, &last}) {
    lfo->SetSampleRate(88200.0f, 44100.0f, 2);
    lfo->SetPhase(0.3);
  }
  std::vector<float> buffer(32);
  for (int32_t block = 0; block < 400; ++block) {
    const float t = static_cast<float>(block);
    const float rate = 0.5f + 0.45f * std::sin(0.05f * t);
    const float shape = 0.5f + 0.5f * std::sin(0.031f * t);
    const float morph = 0.5f + 0.5f * std::cos(0.017f * t);
    const int32_t count = 1 + block % 32;
    full.Update(rate, false, 120.0f, shape, morph);
    last.Update(rate, false, 120.0f, shape, morph);
    full.Render(buffer.data(), count);
    ASSERT_EQ(last.RenderLast(count), buffer[count - 1]) << "block " << block;
    ASSERT_EQ(last.Phase(), full.Phase()) << "block " << block;
  }
}
