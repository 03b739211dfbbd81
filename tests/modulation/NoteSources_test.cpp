// Note-on rules per channel, velocity/pitch/random sources, XY, noise and the note-driven cutoff.
#include "modulation/NoteSources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

struct NoteCase {
  int32_t channel;  // 0-based: 0 is MIDI channel 1
  int32_t note;
  bool triggerEnvelope;
  int32_t restartLfo;
  int32_t rateSelectLfo;
  float rateValue;
  int32_t cutoffSlot;
  int32_t midiTrigger;
};

TEST(NoteSourcesTest, NoteOnActionsPerChannel) {
  const NoteCase cases[] = {
      {0, 1, true, -1, -1, 0.0f, -1, 0},    // envelope trigger
      {0, 2, false, 0, -1, 0.0f, -1, 1},    // LFO1 restart
      {0, 3, false, 1, -1, 0.0f, -1, 2},    // LFO2 restart
      {0, 4, false, -1, -1, 0.0f, -1, -1},  // nothing but velocity and random
      {0, 5, false, 0, 0, 0.0f, -1, 1},     // "64 bars (dotted)"
      {0, 24, false, 0, 0, 0.5f, -1, 1},    // "1 bar"
      {0, 43, false, 0, 0, 1.0f, -1, 1},    // "1/64 bar (triplet)"
      {0, 44, false, 1, 1, 0.0f, -1, 2},
      {0, 82, false, 1, 1, 1.0f, -1, 2},
      {0, 83, false, -1, -1, 0.0f, -1, -1},
      {0, 129, true, -1, -1, 0.0f, -1, 0},  // note bits above 127 are dropped
      {1, 1, false, -1, -1, 0.0f, -1, -1},  // channel 2: pitch only
      {1, 2, false, -1, -1, 0.0f, -1, -1},
      {2, 60, true, -1, -1, 0.0f, 0, 0},  // channel 3: filter 1 cutoff
      {3, 72, true, -1, -1, 0.0f, 1, 0},  // channel 4: filter 2 cutoff
      {4, 1, false, -1, -1, 0.0f, -1, -1},
      {15, 2, false, -1, -1, 0.0f, -1, -1},
  };
  for (const NoteCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "channel index " << c.channel << " note " << c.note);
    NoteSources sources;
    const NoteOnAction action = sources.NoteOn(c.channel, c.note, 100);
    EXPECT_EQ(action.triggerEnvelope, c.triggerEnvelope);
    EXPECT_EQ(action.restartLfo, c.restartLfo);
    EXPECT_EQ(action.rateSelectLfo, c.rateSelectLfo);
    if (c.rateSelectLfo >= 0) {
      EXPECT_NEAR(action.rateValue, c.rateValue, 1e-6f);
    }
    EXPECT_EQ(action.cutoffSlot, c.cutoffSlot);
    if (c.cutoffSlot >= 0) {
      EXPECT_EQ(action.note, c.note);
    }
    EXPECT_EQ(action.midiTrigger, c.midiTrigger);
    EXPECT_FLOAT_EQ(sources.Velocity(), 100.0f / 128.0f);
    EXPECT_EQ(sources.Pitch(), c.channel == 1 ? static_cast<float>(c.note) / 128.0f : 0.0f);
  }
}

TEST(NoteSourcesTest, VelocityScale) {
  NoteSources sources;
  sources.NoteOn(5, 60, 64);
  EXPECT_EQ(sources.Velocity(), 0.5f);
  sources.NoteOn(5, 60, 127);
  EXPECT_EQ(sources.Velocity(), 127.0f / 128.0f);
  sources.NoteOn(5, 60, 300);
  EXPECT_EQ(sources.Velocity(), 1.0f);
}

TEST(NoteSourcesTest, VelocityZeroIsANoteOffAndChangesNothing) {
  NoteSources sources;
  sources.NoteOn(1, 64, 64);
  const float random = sources.NoteOnRandom();
  const NoteOnAction action = sources.NoteOn(0, 1, 0);
  EXPECT_FALSE(action.triggerEnvelope);
  EXPECT_EQ(action.midiTrigger, -1);
  EXPECT_EQ(sources.NoteOn(1, 100, 0).cutoffSlot, -1);
  EXPECT_EQ(sources.Velocity(), 0.5f);
  EXPECT_EQ(sources.Pitch(), 0.5f);
  EXPECT_EQ(sources.NoteOnRandom(), random);
}

TEST(NoteSourcesTest, EveryNoteOnDrawsANewRandomValue) {
  NoteSources sources;
  float previous = -1.0f;
  int32_t changes = 0;
  for (int32_t i = 0; i < 100; ++i) {
    sources.NoteOn(i % 16, 60, 90);
    const float r = sources.NoteOnRandom();
    ASSERT_TRUE(r >= 0.0f && r < 1.0f);
    changes += r != previous ? 1 : 0;
    previous = r;
  }
  EXPECT_GE(changes, 99);
}

TEST(NoteSourcesTest, NoiseStaysBelowItsScale) {
  NoteSources sources;
  float highest = 0.0f;
  for (int32_t i = 0; i < 20000; ++i) {
    const float n = sources.DrawNoise();
    ASSERT_TRUE(n >= 0.0f && n < 0.04f) << n;
    EXPECT_EQ(sources.Noise(), n);
    highest = std::max(highest, n);
  }
  EXPECT_GT(highest, 0.039f);
}

TEST(NoteSourcesTest, XYAndReset) {
  NoteSources sources;
  EXPECT_TRUE(sources.SetXY(0, 0.25f));
  EXPECT_TRUE(sources.SetXY(1, 2.0f));
  EXPECT_FALSE(sources.SetXY(2, 0.5f));
  EXPECT_EQ(sources.XyX(), 0.25f);
  EXPECT_EQ(sources.XyY(), 1.0f);
  sources.SetXY(0, NAN);
  EXPECT_EQ(sources.XyX(), 0.0f);
  sources.SetXY(0, 0.7f);
  sources.NoteOn(1, 40, 40);
  sources.DrawNoise();
  sources.Reset();
  EXPECT_EQ(sources.XyX(), 0.0f);
  EXPECT_EQ(sources.XyY(), 0.0f);
  EXPECT_EQ(sources.Velocity(), 0.0f);
  EXPECT_EQ(sources.Pitch(), 0.0f);
  EXPECT_EQ(sources.NoteOnRandom(), 0.0f);
  EXPECT_EQ(sources.Noise(), 0.0f);
}

TEST(NoteSourcesTest, NoteToCutoffPerFilterType) {
  struct Case {
    int32_t note;
    float typeBase;
    float expected;
  };
  const float q69 = 69.0f / 128.0f;
  const Case cases[] = {
      {69, 1.0f, 0.5f},                 // "Comb": no lift
      {81, 1.0f, 0.5f + 1.0f / 12.0f},  // an octave up
      {57, 1.0f, 0.5f - 1.0f / 12.0f},
      {69, 0.0f, 0.5f + q69 * q69 * 0.005f},          // "Japan"
      {69, 1.0f / 3.0f, 0.5f + q69 * q69 * 0.008f},   // "S.V.F"
      {69, 2.0f / 3.0f, 0.5f + q69 * q69 * 0.0025f},  // "Fatty"
      {0, 1.0f, 0.5f - 69.0f / 144.0f},
      {127, 1.0f / 3.0f, 0.5f + 58.0f / 144.0f + (127.0f / 128.0f) * (127.0f / 128.0f) * 0.008f},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(NoteToCutoff(c.note, c.typeBase), c.expected, 1e-6f)
        << c.note << " type " << c.typeBase;
  }
}

TEST(NoteSourcesTest, FilterTypeItemRoundsHalfAwayFromZero) {
  EXPECT_EQ(FilterTypeItem(0.0f), 0);
  EXPECT_EQ(FilterTypeItem(0.16f), 0);
  EXPECT_EQ(FilterTypeItem(0.5f), 2);  // 1.5 rounds up
  EXPECT_EQ(FilterTypeItem(1.0f / 3.0f), 1);
  EXPECT_EQ(FilterTypeItem(1.0f), 3);
  EXPECT_EQ(FilterTypeItem(5.0f), 3);
  EXPECT_EQ(FilterTypeItem(NAN), 0);
}

TEST(NoteSourcesTest, LinkedCutoffClamps) {
  EXPECT_NEAR(LinkedCutoff(0.1f, 0.5f), 0.6f, 1e-6f);
  EXPECT_EQ(LinkedCutoff(0.6f, 0.5f), 1.0f);
  EXPECT_EQ(LinkedCutoff(-0.6f, 0.5f), 0.0f);
}

}  // namespace
