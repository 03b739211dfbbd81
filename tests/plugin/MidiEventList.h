// The event list a host hands to effProcessEvents, built from rows of
// {deltaFrames, status, data 1, data 2}.
#pragma once

#include <array>
#include <initializer_list>
#include <vector>

#include "Common/VSTi/VstAbi.h"

class MidiEventList {
 public:
  MidiEventList(std::initializer_list<std::array<int, 4>> rows)
      : MidiEventList(std::vector<std::array<int, 4>>(rows)) {}

  explicit MidiEventList(const std::vector<std::array<int, 4>>& rows) {
    for (const auto& row : rows) {
      vst::VstMidiEvent event{};
      event.type = vst::kVstMidiType;
      event.byteSize = sizeof event;
      event.deltaFrames = row[0];
      for (int i = 0; i < 3; ++i) event.midiData[i] = static_cast<char>(row[i + 1]);
      midi_.push_back(event);
    }
    storage_.resize(sizeof(vst::VstEvents) + midi_.size() * sizeof(void*));
    auto* list = Events();
    list->numEvents = static_cast<int32_t>(midi_.size());
    for (size_t i = 0; i < midi_.size(); ++i) {
      list->events[i] = reinterpret_cast<vst::VstEvent*>(&midi_[i]);
    }
  }

  vst::VstEvents* Events() { return reinterpret_cast<vst::VstEvents*>(storage_.data()); }

 private:
  std::vector<vst::VstMidiEvent> midi_;
  std::vector<char> storage_;
};
