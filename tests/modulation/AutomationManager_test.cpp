// The automation manager: time order, split points, delivery at segment starts, failure paths.
#include "modulation/AutomationManager.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/Log.h"

namespace {

MidiEvent ControlChange(int32_t deltaFrames, int controller, int value = 64) {
  MidiEvent event{};
  event.type = kMidiEventType;
  event.byteSize = sizeof(MidiEvent);
  event.deltaFrames = deltaFrames;
  event.midiData[0] = static_cast<char>(0xB0);
  event.midiData[1] = static_cast<char>(controller);
  event.midiData[2] = static_cast<char>(value);
  return event;
}

// Records each event with the segment start it was handed over at.
class Delegate : public IAutomationDelegate {
 public:
  void HandleMIDIEventImmediate(const MidiEvent& event) override {
    handed.push_back({segmentStart, event.deltaFrames, event.midiData[1]});
  }
  void SetParameterAutomated(int32_t, float) override {}

  struct Handed {
    int32_t segmentStart;
    int32_t deltaFrames;
    int controller;
  };
  int32_t segmentStart = -1;
  std::vector<Handed> handed;
};

std::string ReadLog() {
  VFoundation::RuntimeLog::Flush();
  std::ifstream file(VFoundation::RuntimeLog::FilePath());
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

class AutomationManagerTest : public testing::Test {
 protected:
  // The plug-in's event-split loop over a block of n frames: answers the segments.
  std::vector<std::pair<int32_t, int32_t>> RunBlock(int32_t frames) {
    std::vector<std::pair<int32_t, int32_t>> segments;
    int32_t start = 0;
    while (start < frames) {
      const int32_t end = manager_.ComputeBlockEnd(start, frames);
      delegate_.segmentStart = start;
      manager_.Process(start, end);
      segments.push_back({start, end});
      start = end;
    }
    manager_.ClearAllEvents();
    return segments;
  }

  Delegate delegate_;
  AutomationManager manager_{&delegate_};
};

TEST_F(AutomationManagerTest, EventsAreKeptInTimeOrderAndEqualOffsetsKeepArrivalOrder) {
  const int32_t offsets[] = {20, 5, 10, 5, 0};
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(manager_.ProcessEvent(ControlChange(offsets[i], i)));
  ASSERT_EQ(manager_.EventCount(), 5);
  const struct {
    int32_t deltaFrames;
    int controller;
  } expected[] = {{0, 4}, {5, 1}, {5, 3}, {10, 2}, {20, 0}};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(manager_.Event(i).deltaFrames, expected[i].deltaFrames) << i;
    EXPECT_EQ(manager_.Event(i).midiData[1], expected[i].controller) << i;
  }
}

TEST_F(AutomationManagerTest, BlockIsSplitAtEveryEventPosition) {
  const struct {
    std::vector<int32_t> offsets;
    std::vector<std::pair<int32_t, int32_t>> segments;
  } cases[] = {
      {{}, {{0, 32}}},
      {{0}, {{0, 32}}},
      {{0, 10, 10, 20}, {{0, 10}, {10, 20}, {20, 32}}},
      {{31}, {{0, 31}, {31, 32}}},
      {{7, 7, 7}, {{0, 7}, {7, 32}}},
  };
  for (const auto& c : cases) {
    delegate_.handed.clear();
    for (int32_t offset : c.offsets) manager_.ProcessEvent(ControlChange(offset, 1));
    EXPECT_EQ(RunBlock(32), c.segments);
    ASSERT_EQ(delegate_.handed.size(), c.offsets.size());
    for (size_t i = 0; i < c.offsets.size(); ++i) {
      EXPECT_EQ(delegate_.handed[i].deltaFrames, c.offsets[i]);
      EXPECT_EQ(delegate_.handed[i].segmentStart, c.offsets[i]) << "handed over at its start";
    }
  }
}

TEST_F(AutomationManagerTest, ComputeBlockEndLooksOnlyStrictlyInsideTheRange) {
  manager_.ProcessEvent(ControlChange(8, 1));
  manager_.ProcessEvent(ControlChange(40, 1));
  EXPECT_EQ(manager_.ComputeBlockEnd(0, 32), 8);
  EXPECT_EQ(manager_.ComputeBlockEnd(8, 32), 32);
  EXPECT_EQ(manager_.ComputeBlockEnd(8, 64), 40);
  EXPECT_EQ(manager_.ComputeBlockEnd(0, 8), 8);
  manager_.ClearAllEvents();
  EXPECT_EQ(manager_.ComputeBlockEnd(0, 32), 32);
}

TEST_F(AutomationManagerTest, EventOutOfOrderClearsTheQueueWithAnError) {
  VFoundation::RuntimeLog::Start();
  manager_.ProcessEvent(ControlChange(5, 1));
  manager_.ProcessEvent(ControlChange(12, 2));
  manager_.Process(10, 32);
  EXPECT_TRUE(delegate_.handed.empty());
  EXPECT_EQ(manager_.EventCount(), 0);
  EXPECT_NE(ReadLog().find("AutomationManager::Process, Error: Scene change bad delta 5 for "
                           "block 10-32\n"),
            std::string::npos);

  // Events beyond the segment stay queued without complaint.
  manager_.ProcessEvent(ControlChange(20, 3));
  manager_.Process(10, 20);
  EXPECT_EQ(manager_.EventCount(), 1);
}

TEST_F(AutomationManagerTest, QueueHoldsAtMost1023Events) {
  VFoundation::RuntimeLog::Start();
  for (int i = 0; i < 1023; ++i) ASSERT_TRUE(manager_.ProcessEvent(ControlChange(i % 32, 1)));
  EXPECT_FALSE(manager_.ProcessEvent(ControlChange(0, 2)));
  EXPECT_EQ(manager_.EventCount(), 1023);
  EXPECT_NE(ReadLog().find("AutomationManager::ProcessEvent, Warning out of MIDI event spacing\n"),
            std::string::npos);
  RunBlock(32);
  EXPECT_EQ(delegate_.handed.size(), 1023u);
  for (const Delegate::Handed& handed : delegate_.handed) EXPECT_EQ(handed.controller, 1);
  EXPECT_EQ(manager_.EventCount(), 0);
}

TEST(AutomationManagerEventTest, MidiEventHasTheVstLayout) {
  EXPECT_EQ(sizeof(MidiEvent), 32u);
  EXPECT_EQ(offsetof(MidiEvent, deltaFrames), 8u);
  EXPECT_EQ(offsetof(MidiEvent, midiData), 24u);
  EXPECT_EQ(offsetof(MidiEvent, noteOffVelocity), 29u);
}

}  // namespace
