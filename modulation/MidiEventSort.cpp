// Classification and the stable, allocation-free merge sort of a block's MIDI events.
#include "modulation/MidiEventSort.h"

#include <cstring>
#include <utility>

namespace {

// Control changes first at equal offsets; every other kind keeps its arrival order.
int Rank(const MidiEvent& event) {
  return ClassifyMidiEvent(event) == MidiEventClass::kControlChange ? 0 : 1;
}

bool Before(const MidiEvent& a, const MidiEvent& b) {
  if (a.deltaFrames != b.deltaFrames) return a.deltaFrames < b.deltaFrames;
  return Rank(a) < Rank(b);
}

// Merges the sorted runs [begin, middle) and [middle, end) of `from` into `to`; ties take the left
// run first, which keeps the sort stable.
void Merge(const MidiEvent* from, MidiEvent* to, int32_t begin, int32_t middle, int32_t end) {
  int32_t left = begin;
  int32_t right = middle;
  for (int32_t out = begin; out < end; ++out) {
    if (left < middle && (right >= end || !Before(from[right], from[left]))) {
      to[out] = from[left++];
    } else {
      to[out] = from[right++];
    }
  }
}

}  // namespace

MidiEventClass ClassifyMidiEvent(const MidiEvent& event) {
  if (event.type != kMidiEventType) return MidiEventClass::kOther;
  const auto status = static_cast<uint8_t>(event.midiData[0]);
  const auto data1 = static_cast<uint8_t>(event.midiData[1]);
  const auto data2 = static_cast<uint8_t>(event.midiData[2]);
  switch (status & 0xF0) {
    case 0x80:
      return MidiEventClass::kNoteOff;
    case 0x90:
      return data2 == 0 ? MidiEventClass::kNoteOff : MidiEventClass::kNoteOn;
    case 0xA0:
      return MidiEventClass::kPolyPressure;
    case 0xB0:
      return data1 == 123 || data1 == 124 ? MidiEventClass::kAllNotesOff
                                          : MidiEventClass::kControlChange;
    case 0xC0:
      return MidiEventClass::kProgramChange;
    case 0xD0:
      return MidiEventClass::kChannelPressure;
    case 0xE0:
      return MidiEventClass::kPitchBend;
    default:
      return MidiEventClass::kOther;
  }
}

bool IsAutomationEventClass(MidiEventClass eventClass) {
  switch (eventClass) {
    case MidiEventClass::kNoteOff:
    case MidiEventClass::kNoteOn:
    case MidiEventClass::kPolyPressure:
    case MidiEventClass::kControlChange:
    case MidiEventClass::kAllNotesOff:
    case MidiEventClass::kChannelPressure:
    case MidiEventClass::kPitchBend:
      return true;
    default:
      return false;
  }
}

void SortMidiEvents(MidiEvent* events, int32_t count, MidiEvent* scratch) {
  if (events == nullptr || scratch == nullptr || count < 2) return;
  MidiEvent* from = events;
  MidiEvent* to = scratch;
  for (int32_t width = 1; width < count; width *= 2) {
    for (int32_t begin = 0; begin < count; begin += 2 * width) {
      const int32_t middle = begin + width < count ? begin + width : count;
      const int32_t end = begin + 2 * width < count ? begin + 2 * width : count;
      Merge(from, to, begin, middle, end);
    }
    std::swap(from, to);
  }
  if (from != events) std::memcpy(events, from, sizeof(MidiEvent) * static_cast<size_t>(count));
}
