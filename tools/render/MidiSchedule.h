// MIDI for the renderer: a Standard MIDI File read into sample positions, and per-block VST
// event lists with sample-accurate delta frames.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "Common/VSTi/VstAbi.h"

namespace tavo::render {

// One channel message at an absolute sample position.
struct TimedMidiEvent {
  int64_t frame = 0;
  uint8_t bytes[3] = {0, 0, 0};
};

// Reads the channel messages of every track in time order (tempo changes applied); meta events
// and system-exclusive messages are skipped. // any thread
bool ReadMidiFile(const std::filesystem::path& path, int32_t sampleRate,
                  std::vector<TimedMidiEvent>& events, std::string& error);

// Hands out the events of consecutive blocks as a VstEvents list.
class MidiSchedule {
 public:
  // Events must be sorted by frame. // any thread
  explicit MidiSchedule(std::vector<TimedMidiEvent> events);

  // The events in [blockStart, blockStart + frames), with deltaFrames relative to blockStart;
  // blocks must be asked in order. The list stays valid until the next call. // audio thread
  vst::VstEvents* EventsForBlock(int64_t blockStart, int32_t frames);

 private:
  std::vector<TimedMidiEvent> events_;
  size_t next_ = 0;
  std::vector<vst::VstMidiEvent> blockEvents_;
  // VstEvents ends in a pointer array of variable length; this is its backing store.
  std::vector<unsigned char> listStorage_;
};

}  // namespace tavo::render
