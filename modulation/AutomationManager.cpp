// The automation manager's sorted event queue and its delivery at segment starts.
#include "modulation/AutomationManager.h"

#include <cstring>

#include "support/Log.h"
#include "support/VException.h"

AutomationManager::AutomationManager(IAutomationDelegate* delegate)
    : delegate_(delegate), events_(std::make_unique<MidiEvent[]>(kEventStorage)) {}

bool AutomationManager::ProcessEvent(const MidiEvent& event) {
  if (count_ >= kMaxQueuedEvents) {
    VFoundation::Log("%s, Warning out of MIDI event spacing\n", "AutomationManager::ProcessEvent");
    return false;
  }
  // Insert after every event at the same offset: the plug-in has already put control changes first,
  // and a stable order keeps that.
  int32_t position = count_;
  while (position > 0 && events_[position - 1].deltaFrames > event.deltaFrames) --position;
  std::memmove(&events_[position + 1], &events_[position],
               sizeof(MidiEvent) * static_cast<size_t>(count_ - position));
  events_[position] = event;
  ++count_;
  return true;
}

int32_t AutomationManager::ComputeBlockEnd(int32_t start, int32_t end) const {
  for (int32_t i = 0; i < count_; ++i) {
    const int32_t offset = events_[i].deltaFrames;
    if (offset > start) return offset < end ? offset : end;
  }
  return end;
}

void AutomationManager::Process(int32_t start, int32_t end) {
  if (count_ == 0) return;
  int32_t delivered = 0;
  while (delivered < count_ && events_[delivered].deltaFrames == start) {
    const MidiEvent event = events_[delivered];
    if (delegate_ != nullptr) {
      VFoundation::GuardedVoid("AutomationManager::Process",
                               [&] { delegate_->HandleMIDIEventImmediate(event); });
    }
    ++delivered;
  }
  if (delivered > 0) {
    count_ -= delivered;
    std::memmove(&events_[0], &events_[delivered], sizeof(MidiEvent) * static_cast<size_t>(count_));
  }
  if (count_ > 0 && events_[0].deltaFrames < end) {
    VFoundation::Log("%s, Error: Scene change bad delta %d for block %d-%d\n",
                     "AutomationManager::Process", events_[0].deltaFrames, start, end);
    count_ = 0;
  }
}
