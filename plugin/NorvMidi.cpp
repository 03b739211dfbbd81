// MIDI: the host's events queued for the block and handed to the automation manager at their
// positions, the notes that trigger the sources and pick tempo divisions, the controllers that
// learn and move bindings, and the names the host shows for the notes.
#include "plugin/Norv.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>

#include "modulation/BindingMap.h"
#include "modulation/MidiEventSort.h"
#include "modulation/TempoSync.h"
#include "plugin/ParameterTable.h"
#include "support/VException.h"

namespace {

// Channel-1 notes that act as triggers and tempo-division selectors: one note per division, LFO
// 1's divisions first, then LFO 2's.
constexpr int32_t kNoteTriggerEnvelope = 1;
constexpr int32_t kNoteTriggerLFO1 = 2;
constexpr int32_t kNoteTriggerLFO2 = 3;
constexpr int32_t kNoteFirstLFO1Division = 5;
constexpr int32_t kNoteFirstLFO2Division = kNoteFirstLFO1Division + kNumTempoDivisions;

struct NoteDivision {
  int32_t lfo;
  int32_t division;
};

// The LFO (0 or 1) and tempo division a channel-1 note selects, if it selects one.
std::optional<NoteDivision> DivisionOfNote(int32_t note) {
  if (note < kNoteFirstLFO1Division || note >= kNoteFirstLFO2Division + kNumTempoDivisions) {
    return std::nullopt;
  }
  if (note < kNoteFirstLFO2Division) return NoteDivision{0, note - kNoteFirstLFO1Division};
  return NoteDivision{1, note - kNoteFirstLFO2Division};
}

int32_t StatusClass(const MidiEvent& event) {
  return static_cast<uint8_t>(event.midiData[0]) & 0xF0;
}
int32_t Channel(const MidiEvent& event) {
  return static_cast<uint8_t>(event.midiData[0]) & 0x0F;
}
int32_t Data1(const MidiEvent& event) {
  return static_cast<uint8_t>(event.midiData[1]) & 0x7F;
}
int32_t Data2(const MidiEvent& event) {
  return static_cast<uint8_t>(event.midiData[2]) & 0x7F;
}

}  // namespace

int32_t Norv::processEvents(vst::VstEvents* events) {
  return VFoundation::Guarded("Norv::processEvents", 1, [&] {
    const int32_t count = std::max<int32_t>(events->numEvents, 0);
    for (int32_t i = 0; i < count && queuedEventCount_ < kMaxQueuedEvents; ++i) {
      const vst::VstEvent* event = events->events[i];
      if (!event) continue;
      std::memcpy(&eventPool_[queuedEventCount_], event, sizeof(MidiEvent));
      ++queuedEventCount_;
    }
    SortMidiEvents(eventPool_.data(), queuedEventCount_, sortScratch_.data());
    return 1;
  });
}

int32_t Norv::getMidiKeyName(int32_t channel, vst::MidiKeyName* key) {
  return VFoundation::Guarded("Norv::getMidiKeyName", 0, [&] {
    char* name = key->keyName;
    const int32_t k = key->thisKeyNumber;
    name[0] = 0;
    if (channel == 0) {
      if (k == kNoteTriggerEnvelope) CopyText(name, "Trigger Envelope", vst::kVstMaxNameLen - 1);
      if (k == kNoteTriggerLFO1) CopyText(name, "Trigger LFO 1", vst::kVstMaxNameLen - 1);
      if (k == kNoteTriggerLFO2) CopyText(name, "Trigger LFO 2", vst::kVstMaxNameLen - 1);
      if (const std::optional<NoteDivision> selected = DivisionOfNote(k)) {
        std::snprintf(name, vst::kVstMaxNameLen, "LFO %d %s", selected->lfo + 1,
                      TempoDivisionName(selected->division));
      }
    } else if (channel == 1 && k >= 0) {
      const double fraction = std::min(static_cast<double>(k) / 128.0, 1.0);
      std::snprintf(name, vst::kVstMaxNameLen, "%03d %%", static_cast<int>(fraction * 100.0));
    }
    return 1;
  });
}

void Norv::ProcessVSTMIDIEvents(int32_t offset, int32_t frames, int32_t hostFrames) {
  const int32_t end = offset + frames;
  for (int32_t i = 0; i < queuedEventCount_; ++i) {
    MidiEvent event = eventPool_[i];
    if (event.type != kMidiEventType || event.deltaFrames > hostFrames) continue;
    event.deltaFrames = std::clamp(event.deltaFrames, 0, hostFrames - 1);
    const bool inPiece = event.deltaFrames >= offset && event.deltaFrames < end;
    if (!inPiece || !IsAutomationEventClass(ClassifyMidiEvent(event))) continue;
    event.deltaFrames -= offset;
    automationManager_->ProcessEvent(event);
  }
}

void Norv::HandleMIDIEventImmediate(const MidiEvent& event) {
  switch (StatusClass(event)) {
    case 0x90:
      if (Data2(event) > 0) ProcessMIDINoteOnImmediate(Channel(event), Data1(event), Data2(event));
      break;
    case 0xB0:
      // All notes off and omni off are channel-mode messages that hosts send on stop and loop: no
      // controller to learn or follow.
      if (ClassifyMidiEvent(event) == MidiEventClass::kControlChange) {
        HandleControlChange(Channel(event), Data1(event), Data2(event));
      }
      break;
    default:
      // Note-offs, pressure and pitch bend: the sources react to note-ons only.
      break;
  }
}

// Channel 1 triggers sources and picks LFO divisions, channel 2 plays the pitch source, channels
// 3 and 4 play the two filter cutoffs. Every note-on sets velocity and the note-on random value.
void Norv::ProcessMIDINoteOnImmediate(int32_t channel, int32_t note, int32_t velocity) {
  using namespace ParameterTable;
  if (channel == 0) {
    if (note == kNoteTriggerEnvelope) {
      engine_.RestartEnvelope();
      PostToEditor(MessageType::e_updateMIDITrigger, 0);
    } else if (note == kNoteTriggerLFO1 || note == kNoteTriggerLFO2) {
      engine_.RestartLFO(note - kNoteTriggerLFO1);
      PostToEditor(MessageType::e_updateMIDITrigger, note - kNoteTriggerLFO1 + 1);
    } else if (const std::optional<NoteDivision> selected = DivisionOfNote(note)) {
      SelectLFODivision(selected->lfo, selected->division);
    }
  } else if (channel == 1) {
    engine_.SetPitchNote(note);
  } else if (channel == 2 || channel == 3) {
    const int32_t slot = channel - 2;
    const int32_t cutoff = slot == 0 ? kF1Cutoff : kF2Cutoff;
    engine_.SetCutoffFromNote(slot, note);
    engine_.RestartEnvelope();
    PostToEditor(MessageType::e_updateFilterParameter, cutoff, 0, engine_.Target(cutoff));
    PostToEditor(MessageType::e_updateMIDITrigger, 0);
  }
  engine_.NoteOnSources(velocity);
}

void Norv::SelectLFODivision(int32_t lfo, int32_t division) {
  using namespace ParameterTable;
  const int32_t rate = lfo == 0 ? kLFO1Rate : kLFO2Rate;
  const int32_t sync = lfo == 0 ? kLFO1Sync : kLFO2Sync;
  const float value = DivisionIndexToValue(division);
  engine_.SetImmediate(rate, value);
  engine_.SetImmediate(sync, 1.0f);
  engine_.RestartLFO(lfo);
  PostToEditor(MessageType::e_updateFilterParameter, rate, 0, value);
  PostToEditor(MessageType::e_updateFilterParameter, sync, 0, 1.0f);
  PostToEditor(MessageType::e_updateMIDITrigger, lfo + 1);
}

void Norv::HandleControlChange(int32_t channel, int32_t controller, int32_t value) {
  lastController_.store(controller);
  lastControllerChannel_.store(channel);
  bindingMap_->ProcessMIDIControlChange(channel, controller, value);
}

bool Norv::IsLearning() const {
  return bindingMap_->IsLearnPending();
}
