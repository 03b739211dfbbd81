// MIDI for the renderer: a Standard MIDI File read into sample positions, and per-block VST
// event lists with sample-accurate delta frames.
#include "tools/render/MidiSchedule.h"

#include <smf.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>

namespace tavo::render {
namespace {

struct SmfDeleter {
  void operator()(smf_t* smf) const { smf_delete(smf); }
};

// libsmf reports why a file is unreadable through GLib's log; the renderer shows it in its own
// error message instead of a separate GLib line.
void KeepSmfMessage(const gchar*, GLogLevelFlags, const gchar* message, gpointer target) {
  *static_cast<std::string*>(target) = message != nullptr ? message : "";
}

// Data bytes after the status byte of a channel message.
int DataBytes(uint8_t status) {
  const uint8_t kind = status & 0xF0;
  return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

}  // namespace

bool ReadMidiFile(const std::filesystem::path& path, int32_t sampleRate,
                  std::vector<TimedMidiEvent>& events, std::string& error) {
  std::error_code code;
  if (!std::filesystem::exists(path, code)) {
    error = "file not found: " + path.string();
    return false;
  }
  // Only files that start like a Standard MIDI File reach libsmf, which leaks what it allocated
  // when it gives up on a file.
  char magic[4] = {0, 0, 0, 0};
  std::ifstream(path, std::ios::binary).read(magic, sizeof magic);
  if (std::memcmp(magic, "MThd", sizeof magic) != 0) {
    error = "cannot read " + path.string() + ": not a Standard MIDI File";
    return false;
  }
  std::string smfMessage;
  const guint handler = g_log_set_handler(
      "libsmf", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK & ~G_LOG_LEVEL_ERROR), KeepSmfMessage,
      &smfMessage);
  std::unique_ptr<smf_t, SmfDeleter> smf(smf_load(path.c_str()));
  g_log_remove_handler("libsmf", handler);
  if (!smf) {
    error = "cannot read " + path.string() + ": not a Standard MIDI File";
    if (!smfMessage.empty()) error += " (" + smfMessage + ")";
    return false;
  }
  events.clear();
  while (smf_event_t* event = smf_get_next_event(smf.get())) {
    if (smf_event_is_metadata(event) || smf_event_is_sysex(event)) continue;
    if (event->midi_buffer_length < 1) continue;
    const uint8_t status = event->midi_buffer[0];
    if (status < 0x80 || status >= 0xF0) continue;
    const int length = 1 + DataBytes(status);
    if (event->midi_buffer_length < length) continue;
    TimedMidiEvent timed;
    timed.frame = std::llround(std::max(0.0, event->time_seconds) * sampleRate);
    for (int i = 0; i < length; ++i) timed.bytes[i] = event->midi_buffer[i] & (i ? 0x7F : 0xFF);
    events.push_back(timed);
  }
  // Tracks are merged in time order already; a stable sort keeps same-time order as written.
  std::stable_sort(
      events.begin(), events.end(),
      [](const TimedMidiEvent& a, const TimedMidiEvent& b) { return a.frame < b.frame; });
  return true;
}

MidiSchedule::MidiSchedule(std::vector<TimedMidiEvent> events) : events_(std::move(events)) {}

vst::VstEvents* MidiSchedule::EventsForBlock(int64_t blockStart, int32_t frames) {
  while (next_ < events_.size() && events_[next_].frame < blockStart) ++next_;
  blockEvents_.clear();
  while (next_ < events_.size() && events_[next_].frame < blockStart + frames) {
    const TimedMidiEvent& timed = events_[next_++];
    vst::VstMidiEvent event{};
    event.type = vst::kVstMidiType;
    event.byteSize = sizeof(vst::VstMidiEvent);
    event.deltaFrames = static_cast<vst::VstInt32>(timed.frame - blockStart);
    event.flags = 1;  // kVstMidiEventIsRealtime: a file's events are played, not recorded
    for (int i = 0; i < 3; ++i) event.midiData[i] = static_cast<char>(timed.bytes[i]);
    blockEvents_.push_back(event);
  }
  if (blockEvents_.empty()) return nullptr;
  const size_t count = blockEvents_.size();
  const size_t bytes = offsetof(vst::VstEvents, events) + count * sizeof(vst::VstEvent*);
  if (listStorage_.size() < bytes) listStorage_.resize(bytes * 2);
  auto* list = reinterpret_cast<vst::VstEvents*>(listStorage_.data());
  list->numEvents = static_cast<vst::VstInt32>(count);
  list->reserved = 0;
  auto** slots =
      reinterpret_cast<vst::VstEvent**>(listStorage_.data() + offsetof(vst::VstEvents, events));
  for (size_t i = 0; i < count; ++i) {
    slots[i] = reinterpret_cast<vst::VstEvent*>(&blockEvents_[i]);
  }
  return list;
}

}  // namespace tavo::render
