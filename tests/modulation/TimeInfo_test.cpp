// Host time: the tempo range, the transport, the song position and the saved values.
#include "modulation/TimeInfo.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/XmlDocument.h"

namespace {

TEST(TimeInfoTest, HostTempoOutsideTheRangeIsIgnored) {
  struct Case {
    double tempo;
    int32_t flags;
    double expected;
  };
  const Case cases[] = {
      {140.0, TimeInfo::kTempoValid, 140.0},
      {10.0, TimeInfo::kTempoValid, 120.0},
      {1000.0, TimeInfo::kTempoValid, 120.0},
      {19.999, TimeInfo::kTempoValid, 120.0},
      {20.0, TimeInfo::kTempoValid, 20.0},
      {999.5, TimeInfo::kTempoValid, 999.5},
      {140.0, 0, 120.0},
      {NAN, TimeInfo::kTempoValid, 120.0},
  };
  for (const Case& c : cases) {
    TimeInfo time;
    TimeInfo::HostTime host;
    host.tempo = c.tempo;
    host.flags = c.flags;
    time.ReadHostTime(host);
    EXPECT_DOUBLE_EQ(time.Tempo(), c.expected) << c.tempo;
    EXPECT_DOUBLE_EQ(time.InverseTempo(), 1.0 / c.expected) << c.tempo;
  }
}

TEST(TimeInfoTest, TransportStartsStopsAndStartsAtZeroWithoutAPosition) {
  TimeInfo time;
  TimeInfo::HostTime host;
  host.flags = TimeInfo::kPpqPosValid;
  host.ppqPos = 8.0;
  time.ReadHostTime(host);
  EXPECT_EQ(time.UpdateTransport(host), TimeInfo::Transport::kUnchanged);
  EXPECT_DOUBLE_EQ(time.SongPosition(), 0.0);  // not playing: the position is not taken
  host.flags |= TimeInfo::kTransportPlaying;
  time.ReadHostTime(host);
  EXPECT_EQ(time.UpdateTransport(host), TimeInfo::Transport::kStarted);
  EXPECT_DOUBLE_EQ(time.SongPosition(), 8.0);
  EXPECT_EQ(time.UpdateTransport(host), TimeInfo::Transport::kUnchanged);
  host.flags = 0;
  EXPECT_EQ(time.UpdateTransport(host), TimeInfo::Transport::kStopped);
  EXPECT_FALSE(time.IsRunning());
  host.flags = TimeInfo::kTransportPlaying;
  time.ReadHostTime(host);
  EXPECT_EQ(time.UpdateTransport(host), TimeInfo::Transport::kStarted);
  EXPECT_DOUBLE_EQ(time.SongPosition(), 0.0);
  time.StopTransport();
  EXPECT_FALSE(time.IsRunning());
}

TEST(TimeInfoTest, SongPositionAdvancesByBeatsPerSample) {
  TimeInfo time;
  time.SetSampleRate(48000.0f);
  time.AdvanceSongPosition(24000);
  EXPECT_NEAR(time.RunningSongPosition(), 1.0, 1e-12);  // half a second at 120
}

TEST(TimeInfoTest, SavesAndLoadsItsValues) {
  VFoundation::XmlDocument document;
  document.CreateNew("TimeInfo");
  TimeInfo saved;
  TimeInfo::HostTime host;
  host.flags = TimeInfo::kTempoValid;
  host.tempo = 97.5;
  host.timeSigNumerator = 7;
  host.timeSigDenominator = 8;
  saved.ReadHostTime(host);
  saved.SetMetro(true);
  saved.SerializeAsXML(document.Root(), true);
  TimeInfo loaded;
  loaded.SerializeAsXML(document.Root(), false);
  EXPECT_DOUBLE_EQ(loaded.Tempo(), 97.5);
  EXPECT_DOUBLE_EQ(loaded.TempoCopy(), 97.5);
  EXPECT_DOUBLE_EQ(loaded.InverseTempo(), 1.0 / 97.5);
  EXPECT_EQ(loaded.TimeSigNumerator(), 7);
  EXPECT_EQ(loaded.TimeSigDenominator(), 8);
  EXPECT_TRUE(loaded.Metro());
  EXPECT_FALSE(loaded.Quantize());
}

}  // namespace
