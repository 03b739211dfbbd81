// Every binding of MIDI controllers and host parameters, their smoothing, MIDI learn and the
// reverse path that keeps the host's parameters in step with the editor.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "modulation/AutomationManager.h"
#include "modulation/Binding.h"
#include "support/FixedString.h"
#include "support/XmlDocument.h"

class MessagePort;

// 2048 controller slots (16 MIDI channels x 128 controllers) and 62 host-parameter slots, each a
// list of at most 8 bindings (copies). Storage for all 16880 bindings and the active list is
// reserved at creation (untouched memory until used), so nothing allocates while running.
//
// Audio thread: everything that feeds, steps, learns or changes bindings. Any thread: the host
// parameter values (SetVSTParameter, GetVSTParameter) and the lock flag. The queries the editor and
// the host make from the UI thread (names, copies, serialisation) read the slots directly: run them
// while the engine does not change bindings (set-up, a locked engine), or accept that a reading
// taken during a learn may be one step old.
class BindingMap {
 public:
  static constexpr int32_t kMIDIChannels = 16;
  static constexpr int32_t kControllers = 128;
  static constexpr int32_t kHostParameters = 62;
  static constexpr int32_t kBindingsPerSlot = 8;
  static constexpr int32_t kControllerSlots = kMIDIChannels * kControllers;
  static constexpr int32_t kSlotCount = kControllerSlots + kHostParameters;
  static constexpr int32_t kMaxBindings = kSlotCount * kBindingsPerSlot;  // 16880
  // The last two host parameters are free: the user gives them a meaning by learning.
  static constexpr int32_t kFirstAssignable = 60;
  static constexpr int32_t kAssignableCount = kHostParameters - kFirstAssignable;
  static constexpr bool IsAssignable(int32_t index) {
    return index >= kFirstAssignable && index < kHostParameters;
  }
  // The preference that holds the initial lock state.
  static constexpr const char* kLockedPreference = "BindingsLocked";

  // set-up: posts through `port`. `bindingsLocked` is the initial lock flag (the preference
  // "BindingsLocked", default true).
  explicit BindingMap(MessagePort& port, bool bindingsLocked = true);
  ~BindingMap();
  BindingMap(const BindingMap&) = delete;
  BindingMap& operator=(const BindingMap&) = delete;

  // HuntDownAndKillPreviousBindings(binding), then, with fewer than 8 in the slot, appends a copy
  // addressed to host parameter `index` (MIDI flag false, major = index, minor = -1). Answers
  // whether it was added.
  bool AddHostBinding(int32_t index, const Binding& binding);
  // The same for controller `controller` (0-127) on MIDI channel `channel` (0-15).
  bool AddMIDICCBinding(int32_t channel, int32_t controller, const Binding& binding);
  // Removes the first controller binding equal to `binding` (channel 0-15, controller 0-127, list
  // order): a control has at most one learnt controller, so learning a new one moves it.
  bool HuntDownAndKillPreviousBindings(const Binding& binding);
  // Removes the first controller binding equal to `binding` and its binding to an assignable host
  // parameter: the user's "remove" takes away every input the control learnt.
  bool RemoveBinding(const Binding& binding);
  // Empties every controller slot; host-parameter slots stay.
  void RemoveAllBindings();
  // UI thread: appends copies of every controller binding, then every host binding.
  void CopyBindings(std::vector<Binding>& list) const;
  void AppendBindings(std::vector<Binding>& list) const { CopyBindings(list); }

  // any thread: the value the host reads back with getParameter (0-61; others ignored / 0).
  void SetVSTParameter(int32_t index, float value);
  float GetVSTParameter(int32_t index) const;
  // audio thread or set-up: stores the host value and lets the slot's bindings rest there, so the
  // next host change glides from the parameter's actual value (set-up defaults, a reset, a loaded
  // state). A host binding added later starts at the stored value too.
  void SyncHostParameter(int32_t index, float value);
  // UI thread: "None" for an empty host slot, the binding's name cut to 7 characters for one
  // binding, "Multi" for more. The assignable parameters' names change while audio runs (a learn)
  // and are read from a copy the audio thread publishes, never from the slots.
  std::string GetHostParameterName(int32_t index) const;
  // any thread: true once after the name of an assignable host parameter changed (the host is then
  // asked to read the names again).
  bool TakeHostNamesChanged() { return hostNamesChanged_.exchange(false); }
  // The first host slot (0-61, list order inside a slot) holding a binding whose prototype has the
  // message's type and address fields and whose value slots before the stuffed one equal the
  // message's; -1 if none.
  int32_t GetIndexOfHostBindingWithMatchingPrototype(const Message& message) const;

  // audio thread: feed a value (0...1; NaN and values outside are clamped) to every binding of the
  // slot. ProcessHostAutomation also stores the host value. A binding that sets a stepped
  // parameter (an item or a switch) takes the value whole at the next step instead of gliding.
  void ProcessMIDICC(int32_t channel, int32_t controller, float value);
  // A host change of an assignable parameter while a learn is pending binds that parameter to the
  // learn target first (as a controller change does; see ProcessMIDIControlChange), moving the
  // target's binding from the other assignable parameter.
  void ProcessHostAutomation(int32_t index, float value);
  // audio thread, after every control sub-block: one glide step for every active binding, each
  // applied with its new value; settled bindings leave the active list.
  void ProcessBindings();
  // audio thread: posts b's prototype with the value that x (0...1) gives by b's type.
  void ProcessABinding(Binding& binding, float x);

  // MIDI learn. audio thread.
  void SetLearnTarget(const Binding& binding);
  void ClearLearnTarget() { learnPending_ = false; }
  bool IsLearnPending() const { return learnPending_; }
  const Binding& LearnTarget() const { return learnTarget_; }
  // A control change (MIDI value 0-127): with a learn pending, binds the controller to the target
  // (taking the target from an assignable host parameter: a control has one learnt input), ends
  // learning and posts "e_updateBindingChanged" to the editor; a non-Continuous target skips
  // the value this once. Otherwise (and for a Continuous target) feeds value / 127 to the slot.
  // Answers whether the value was fed.
  bool ProcessMIDIControlChange(int32_t channel, int32_t controller, int32_t midiValue);

  // The reverse path for one message the engine handled: unless it came from a binding, finds the
  // host binding with a matching prototype, reads the value with its popper, stores it and tells
  // the host (unless the sender told it already, for the parameter's own host index). Answers the
  // host index or -1. audio thread.
  int32_t ReflectMessageToHost(const Message& message, IAutomationDelegate& host);

  // save: "HostParameters" (62 floats), per non-empty controller slot "MIDI%dCC%dBindingCount"
  // and the bindings "MIDI%dCC%dBinding%d", and per bound assignable host parameter
  // "Host%dBindingCount" and "Host%dBinding%d". load: empties every controller slot and the
  // assignable slots, reads the host values (missing ones 0) and adds each binding (so at most 8
  // per slot). The fixed parameters' host bindings are rebuilt at set-up, never stored. UI thread,
  // while the engine is locked.
  bool SerializeAsXML(VFoundation::XmlNode node, bool save);

  // any thread. The map itself never reads the flag: it tells the plug-in whether the user's
  // controller bindings are protected from being replaced (a bindings document other than the
  // default one, a reset).
  bool BindingsLocked() const { return bindingsLocked_.load(); }
  void SetBindingsLocked(bool locked) { bindingsLocked_.store(locked); }

  // Inspection (tests, the editor's binding texts).
  int32_t HostBindingCount(int32_t index) const;
  const Binding* HostBinding(int32_t index, int32_t position) const;
  int32_t ControllerBindingCount(int32_t channel, int32_t controller) const;
  const Binding* ControllerBinding(int32_t channel, int32_t controller, int32_t position) const;
  int32_t ActiveBindingCount() const { return activeCount_; }

 private:
  struct StorageDeleter {
    void operator()(Binding* storage) const;
  };

  static int32_t ControllerSlot(int32_t channel, int32_t controller);
  static int32_t HostSlot(int32_t index);
  Binding* SlotBegin(int32_t slot) const { return storage_.get() + slot * kBindingsPerSlot; }
  bool AddToSlot(int32_t slot, const Binding& binding, bool midi, int32_t major, int32_t minor);
  void RemoveFromSlot(int32_t slot, int32_t position);
  void ClearSlot(int32_t slot);
  // Finds the first controller binding equal to `binding`; false when there is none.
  bool FindControllerBinding(const Binding& binding, int32_t& slot, int32_t& position) const;
  void FeedSlot(int32_t slot, float value);
  void LearnHostParameter(int32_t index);
  // Adds to the host slot, resting at the host's value, without moving any other binding.
  bool AppendHostBinding(int32_t index, const Binding& binding);
  bool RemoveFromAssignableSlots(const Binding& binding);
  // What the host lists for a host parameter, from its slot: "None", "Multi" or the one binding's
  // name cut to the 7 bytes hosts show.
  static constexpr size_t kHostNameLength = 7;
  using HostName = VFoundation::FixedString<kHostNameLength + 1>;
  HostName SlotHostName(int32_t index) const;
  // Copies the assignable parameter's name where the UI thread reads it.
  void PublishAssignableName(int32_t index);
  void SaveAssignableBindings(VFoundation::XmlNode node) const;
  void LoadAssignableBindings(VFoundation::XmlNode node);

  // One assignable parameter's host name, written by one thread at a time and read by any: the
  // sequence is odd while the characters change.
  struct PublishedName {
    static constexpr int32_t kCapacity = int32_t(kHostNameLength + 1);
    std::atomic<uint32_t> sequence{0};
    std::atomic<char> text[kCapacity] = {};
  };
  static std::string ReadPublishedName(const PublishedName& published);
  // The binding GetIndexOfHostBindingWithMatchingPrototype finds, with its host index (-1).
  Binding* MatchHostBinding(const Message& message, int32_t& index) const;

  MessagePort& port_;
  std::unique_ptr<Binding, StorageDeleter> storage_;
  std::unique_ptr<uint8_t[]> counts_;
  std::unique_ptr<Binding*[]> active_;
  int32_t activeCount_ = 0;
  std::unique_ptr<std::atomic<float>[]> hostValues_;
  Binding learnTarget_;
  bool learnPending_ = false;
  PublishedName assignableNames_[kAssignableCount];
  std::atomic<bool> hostNamesChanged_{false};
  std::atomic<bool> bindingsLocked_;
};
