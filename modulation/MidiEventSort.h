// Classifying the host's MIDI events and putting a block's events in playing order.
#pragma once

#include <cstdint>

#include "modulation/AutomationManager.h"

// What an event does. A note-on with velocity 0 is a note-off; controllers 123 (all notes off) and
// 124 (omni off) form a class of their own rather than being ordinary control changes.
enum class MidiEventClass {
  kNoteOff,
  kNoteOn,
  kPolyPressure,
  kControlChange,
  kAllNotesOff,
  kProgramChange,
  kChannelPressure,
  kPitchBend,
  kOther,  // system messages and events that are not MIDI (type other than 1)
};

// any thread.
MidiEventClass ClassifyMidiEvent(const MidiEvent& event);

// Whether the plug-in hands events of this class to the automation manager:
// note-off, note-on, poly pressure, control change, all notes off, channel pressure and pitch bend.
// any thread.
bool IsAutomationEventClass(MidiEventClass eventClass);

// Stable merge sort by deltaFrames; at equal deltaFrames control changes come before every other
// kind, so that a controller sent together with a note is in place when the note plays. Otherwise
// the host's order is kept. `scratch` holds at least `count` events; nothing is allocated. audio
// thread.
void SortMidiEvents(MidiEvent* events, int32_t count, MidiEvent* scratch);
