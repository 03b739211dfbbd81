// A binding: turns one input (a host parameter or a MIDI controller) into a posted message.
#pragma once

#include <cstdint>
#include <string_view>

#include "plugin/Message.h"
#include "support/FixedString.h"
#include "support/XmlDocument.h"

enum class BindingType : int32_t { kContinuous = 0, kMomentary = 1, kLatching = 2, kTrigger = 3 };

// "Continuous", "Momentary", "Latching", "Trigger"; any other number names "Continuous".
const char* BindingTypeName(BindingType type);
// Unknown names read as Continuous.
BindingType BindingTypeFromName(std::string_view name);

// A binding says: when its input moves to a value in 0...1, turn the value into a number (by the
// binding type and the range), write it into a copy of the prototype message (by the stuffer) and
// post that copy to the engine, or to the editor for editor-only bindings. It also keeps the
// smoothing state that lets a controller glide to its new value over a few sub-blocks. Fixed-size
// texts and a by-value prototype keep copies allocation-free. Audio thread (inside the binding
// map), except serialisation and the editor's own copies on the UI thread.
class Binding {
 public:
  // Write a value into a message / read it back (the inverse of the stuffer).
  using Stuffer = void (*)(Message& message, float value);
  using Popper = float (*)(const Message& message);

  static void StuffToValue0(Message& message, float value);
  static void StuffToValue1(Message& message, float value);
  static void StuffToValue2(Message& message, float value);
  // Slot 0 as a boolean: true from 0.5 up.
  static void StuffToValue0AsBool(Message& message, float value);
  static float GetValueFromValue0(const Message& message);
  static float GetValueFromValue1(const Message& message);
  static float GetValueFromValue2(const Message& message);
  // 1 or 0.
  static float GetValueFromValue0AsBool(const Message& message);

  // The serialised names ("Binding::StuffToValue0", ...); nullptr for an unknown function.
  static const char* StufferName(Stuffer stuffer);
  static const char* PopperName(Popper popper);
  // Accept the names with or without the "Binding::" prefix; nullptr when unknown.
  static Stuffer StufferFromName(std::string_view name);
  static Popper PopperFromName(std::string_view name);

  static constexpr size_t kTextSize = 64;
  using Text = VFoundation::FixedString<kTextSize>;
  // The object's tag in XML.
  static constexpr const char* kClassName = "Binding";

  Binding();

  bool TargetMode() const { return targetMode_; }
  void SetTargetMode(bool on) { targetMode_ = on; }
  bool EnterTargetMode() const { return enterTargetMode_; }
  void SetEnterTargetMode(bool on) { enterTargetMode_ = on; }
  bool EditorOnly() const { return editorOnly_; }
  void SetEditorOnly(bool on) { editorOnly_ = on; }

  float Min() const { return min_; }
  float Max() const { return max_; }
  void SetRange(float min, float max) {
    min_ = min;
    max_ = max;
  }

  BindingType Type() const { return type_; }
  void SetType(BindingType type) { type_ = type; }

  const char* Path() const { return path_.c_str(); }
  void SetPath(std::string_view path) { path_.Set(path); }
  const char* Name() const { return name_.c_str(); }
  void SetName(std::string_view name) { name_.Set(name); }

  bool HasPrototype() const { return hasPrototype_; }
  const Message& Prototype() const { return prototype_; }
  // Copies type, address fields and values of `message` into the prototype.
  void SetPrototype(const Message& message);
  void ClearPrototype();

  Stuffer GetStuffer() const { return stuffer_; }
  Popper GetPopper() const { return popper_; }
  void SetStuffer(Stuffer stuffer) { stuffer_ = stuffer; }
  void SetPopper(Popper popper) { popper_ = popper; }
  // The prototype value slot the stuffer writes (0-2).
  int StuffedSlot() const;

  // For a controller binding the MIDI channel (0-15) and controller (0-127); for a host binding the
  // host parameter index (0-61) and -1.
  bool IsMIDI() const { return midi_; }
  int32_t MajorIndex() const { return majorIndex_; }
  int32_t MinorIndex() const { return minorIndex_; }
  void SetInput(bool midi, int32_t majorIndex, int32_t minorIndex) {
    midi_ = midi;
    majorIndex_ = majorIndex;
    minorIndex_ = minorIndex;
  }

  // The last input applied; for Latching the latch state.
  float LastValue() const { return lastValue_; }
  float CurrentValue() const { return currentValue_; }
  float TargetValue() const { return targetValue_; }
  bool Settled() const { return settled_; }

  // Both have a prototype with the same type and address fields, and path and name are equal.
  bool operator==(const Binding& other) const;

  // Takes a new input value in 0...1. Continuous: a fall of more than 0.2 below the last applied
  // value jumps at once, anything else glides. The switch-like types act on the value as sent.
  void Feed(float value);
  // Takes a new input value in 0...1 to be applied as it is at the next step, whatever the type.
  void Jump(float value);
  // One glide step of 1/32 of the remaining distance; settles within 0.0001.
  void Step();
  // Rest at `value` without applying it (the parameter got there another way); the last applied
  // value is kept.
  void RestAt(float value);
  // The number to post for the input x, by the binding type; false when x posts nothing (Latching
  // and Trigger below 1). Updates the last value.
  bool ComputeOutput(float x, float& out);

  // The binding object's contents ("Min", "Max", "MIDI", ... "MessagePrototype", "Type") in the
  // element `node`. Loading a binding without a prototype gives it an empty one. UI thread.
  bool SerializeAsXML(VFoundation::XmlNode node, bool save);

 private:
  friend class BindingMap;

  bool targetMode_ = false;
  bool enterTargetMode_ = true;
  bool editorOnly_ = false;
  float min_ = 0.0f;
  float max_ = 1.0f;
  BindingType type_ = BindingType::kContinuous;
  Text path_;
  Text name_;
  bool hasPrototype_ = false;
  Message prototype_;
  Stuffer stuffer_ = &StuffToValue0;
  Popper popper_ = &GetValueFromValue0;
  float lastValue_ = 0.0f;
  bool midi_ = true;
  int32_t majorIndex_ = -1;
  int32_t minorIndex_ = -1;
  float currentValue_ = 0.0f;
  float targetValue_ = 0.0f;
  bool settled_ = true;
  // Whether the map's active list points at this binding (kept by BindingMap).
  bool active_ = false;
};
