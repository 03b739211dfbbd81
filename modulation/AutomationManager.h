// The block's MIDI events in time order, handed to the plug-in at their sample positions.
#pragma once

#include <cstdint>
#include <memory>

// One MIDI event in the VST 2.4 VstMidiEvent layout (32 bytes), so that host events copy in as they
// are.
struct MidiEvent {
  int32_t type;         // 1 for MIDI
  int32_t byteSize;     // 32
  int32_t deltaFrames;  // sample offset in the block
  int32_t flags;
  int32_t noteLength;
  int32_t noteOffset;
  char midiData[4];  // status, data 1, data 2, unused
  char detune;
  char noteOffVelocity;
  char reserved1;
  char reserved2;
};
static_assert(sizeof(MidiEvent) == 32, "MidiEvent must match the VST 2.4 VstMidiEvent layout");

inline constexpr int32_t kMidiEventType = 1;

// What the automation manager and the binding map need from the plug-in.
class IAutomationDelegate {
 public:
  virtual ~IAutomationDelegate() = default;
  // audio thread: one queued event, at its position in the block.
  virtual void HandleMIDIEventImmediate(const MidiEvent& event) = 0;
  // audio thread: tell the host that host parameter `index` (0-61) now has `value` (0...1), as
  // automation without a gesture.
  virtual void SetParameterAutomated(int32_t index, float value) = 0;
};

// Holds at most 1023 events sorted by deltaFrames and hands them to the delegate at the start of
// the segment they begin, so that the engine can split its block there. Audio thread only.
class AutomationManager {
 public:
  static constexpr int32_t kEventStorage = 1024;
  static constexpr int32_t kMaxQueuedEvents = kEventStorage - 1;

  // set-up: reserves the event storage. The delegate may be null (events are then only dropped).
  explicit AutomationManager(IAutomationDelegate* delegate);

  // audio thread: queues a copy in time order (after queued events with the same offset); with 1023
  // queued the event is dropped with a warning in the log. Answers whether it was queued.
  bool ProcessEvent(const MidiEvent& event);
  // audio thread: the offset of the first queued event above start and below end; end if none.
  int32_t ComputeBlockEnd(int32_t start, int32_t end) const;
  // audio thread: hands the front events whose offset equals start to the delegate, in queue order,
  // and removes them. A remaining event before end is out of order: the error is logged and the
  // whole queue cleared. The delegate must not queue events while it is handed one.
  void Process(int32_t start, int32_t end);
  // audio thread: at the end of every host block.
  void ClearAllEvents() { count_ = 0; }

  int32_t EventCount() const { return count_; }
  // 0 <= index < EventCount().
  const MidiEvent& Event(int32_t index) const { return events_[index]; }

 private:
  IAutomationDelegate* delegate_;
  std::unique_ptr<MidiEvent[]> events_;
  int32_t count_ = 0;
};
