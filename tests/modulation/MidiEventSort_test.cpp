// Classifying host MIDI events and sorting a block's events into playing order.
#include "modulation/MidiEventSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

namespace {

MidiEvent Event(int32_t deltaFrames, int status, int data1 = 0, int data2 = 0,
                int32_t type = kMidiEventType) {
  MidiEvent event{};
  event.type = type;
  event.byteSize = sizeof(MidiEvent);
  event.deltaFrames = deltaFrames;
  event.midiData[0] = static_cast<char>(status);
  event.midiData[1] = static_cast<char>(data1);
  event.midiData[2] = static_cast<char>(data2);
  return event;
}

TEST(MidiEventSortTest, ClassifiesByStatusWithTheTwoSpecialCases) {
  const struct {
    MidiEvent event;
    MidiEventClass expected;
    bool forwarded;
  } cases[] = {
      {Event(0, 0x80, 60, 0), MidiEventClass::kNoteOff, true},
      {Event(0, 0x93, 60, 100), MidiEventClass::kNoteOn, true},
      {Event(0, 0x90, 60, 0), MidiEventClass::kNoteOff, true},
      {Event(0, 0xA0, 60, 10), MidiEventClass::kPolyPressure, true},
      {Event(0, 0xB5, 7, 100), MidiEventClass::kControlChange, true},
      {Event(0, 0xB0, 123, 0), MidiEventClass::kAllNotesOff, true},
      {Event(0, 0xB0, 124, 0), MidiEventClass::kAllNotesOff, true},
      {Event(0, 0xB0, 125, 0), MidiEventClass::kControlChange, true},
      {Event(0, 0xC0, 5), MidiEventClass::kProgramChange, false},
      {Event(0, 0xD0, 90), MidiEventClass::kChannelPressure, true},
      {Event(0, 0xEF, 0, 64), MidiEventClass::kPitchBend, true},
      {Event(0, 0xF8), MidiEventClass::kOther, false},
      {Event(0, 0xB0, 7, 100, 6), MidiEventClass::kOther, false},  // a SysEx event record
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClassifyMidiEvent(c.event), c.expected)
        << std::hex << static_cast<int>(static_cast<uint8_t>(c.event.midiData[0]));
    EXPECT_EQ(IsAutomationEventClass(ClassifyMidiEvent(c.event)), c.forwarded);
  }
}

TEST(MidiEventSortTest, ControlChangesGoFirstAtEqualOffsetsOtherwiseHostOrderStays) {
  std::vector<MidiEvent> events = {
      Event(10, 0x90, 60, 100),  // note-on
      Event(10, 0xB0, 123, 0),   // all notes off: not a control change here
      Event(0, 0x90, 62, 0),     // note-on with velocity 0
      Event(10, 0xB0, 74, 20),   // control change
      Event(0, 0x80, 61, 0),     // note-off
      Event(0, 0xB0, 1, 5),      // control change
      Event(10, 0xB0, 75, 30),   // control change
  };
  std::vector<MidiEvent> scratch(events.size());
  SortMidiEvents(events.data(), static_cast<int32_t>(events.size()), scratch.data());
  const struct {
    int32_t deltaFrames;
    int status;
    int data1;
  } expected[] = {
      {0, 0xB0, 1},   {0, 0x90, 62},  {0, 0x80, 61},   {10, 0xB0, 74},
      {10, 0xB0, 75}, {10, 0x90, 60}, {10, 0xB0, 123},
  };
  ASSERT_EQ(events.size(), std::size(expected));
  for (size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].deltaFrames, expected[i].deltaFrames) << i;
    EXPECT_EQ(static_cast<uint8_t>(events[i].midiData[0]), expected[i].status) << i;
    EXPECT_EQ(events[i].midiData[1], expected[i].data1) << i;
  }
}

TEST(MidiEventSortTest, AgreesWithAStableSortOnLargeMixedBlocks) {
  // Every length up to a full event pool, with many ties; noteOffset carries the arrival index.
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  const int statuses[] = {0x80, 0x90, 0xB0, 0xE0, 0xD0};
  for (int32_t count : {0, 1, 2, 3, 7, 64, 255, 511}) {
    std::vector<MidiEvent> events;
    for (int32_t i = 0; i < count; ++i) {
      MidiEvent event = Event(static_cast<int32_t>(next() % 16), statuses[next() % 5],
                              static_cast<int>(next() % 128), static_cast<int>(next() % 128));
      event.noteOffset = i;
      events.push_back(event);
    }
    std::vector<MidiEvent> reference = events;
    std::stable_sort(reference.begin(), reference.end(),
                     [](const MidiEvent& a, const MidiEvent& b) {
                       if (a.deltaFrames != b.deltaFrames) return a.deltaFrames < b.deltaFrames;
                       const bool aControl = ClassifyMidiEvent(a) == MidiEventClass::kControlChange;
                       const bool bControl = ClassifyMidiEvent(b) == MidiEventClass::kControlChange;
                       return aControl && !bControl;
                     });
    std::vector<MidiEvent> scratch(static_cast<size_t>(count) + 1);
    SortMidiEvents(events.data(), count, scratch.data());
    for (int32_t i = 0; i < count; ++i) {
      EXPECT_EQ(events[i].noteOffset, reference[i].noteOffset) << "count " << count << " at " << i;
    }
  }
}

}  // namespace
