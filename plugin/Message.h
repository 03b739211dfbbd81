// The request or notification that travels between editor and engine through the message port.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "support/XmlDocument.h"

// The message types; the enumerator names are also the names stored in XML. The lookups below
// run on any thread.
enum class MessageType : int32_t {
  e_noMessage = 0,
  e_registryOptionsChanged = 1,
  e_registryMIDIOptionsChanged = 2,
  e_lockSynthThread = 3,
  e_unlockSynthThread = 4,
  e_resetNorv = 5,
  e_panic = 6,
  e_setOversampling = 7,
  e_setTargetLearnBinding = 8,
  e_clearTargetLearnBinding = 9,
  e_removeBinding = 10,
  e_removeAllBindings = 11,
  e_lockBindings = 12,
  e_setFilterMacroValue = 13,
  e_setFilterParameter = 14,
  e_setFilterParameterImmediate = 15,
  e_setModSourcePolarMode = 16,
  e_removeModFromParameter = 17,
  e_removeModDestinations = 18,
  e_updateAll = 19,
  e_updatePresetLoaded = 20,
  e_displayErrorMessage = 21,
  e_removeDialog = 22,
  e_updateMIDIMessageReceieved = 23,
  e_updateParameterNameChanged = 24,
  e_updateMIDILearnStateChanged = 25,
  e_updateBindingChanged = 26,
  e_updateAutomationReceieved = 27,
  e_updateFilterParameter = 28,
  e_updateFilterMacroValue = 29,
  e_updateMIDITrigger = 30,
  e_totalNumberOfMessageTypes = 31,
};

// True for the 31 types 0-30.
bool IsKnownMessageType(MessageType type);
// "e_noMessage" ... "e_updateMIDITrigger", "e_totalNumberOfMessageTypes"; nullptr outside 0-31.
const char* MessageTypeName(MessageType type);
// The type named `name` (0-30); false and `out` untouched for any other text.
bool MessageTypeFromName(std::string_view name, MessageType& out);

// One value slot of a message: empty, an integer, a float, a boolean or a short text. Conversions
// between the numeric kinds are what a reader expects (a float read as an integer truncates, a
// boolean reads as 0 or 1); text reads as 0 and numbers read as empty text. Any thread; never
// allocates.
class MessageValue {
 public:
  enum class Kind : uint8_t { kNone, kInteger, kFloat, kBoolean, kText };
  static constexpr size_t kTextSize = 64;

  MessageValue() { text_[0] = '\0'; }
  MessageValue(int32_t value) { SetInt(value); }  // NOLINT: values are written as literals
  MessageValue(float value) { SetFloat(value); }  // NOLINT
  MessageValue(double value) { SetFloat(static_cast<float>(value)); }  // NOLINT
  MessageValue(bool value) { SetBool(value); }                         // NOLINT
  MessageValue(const char* text) { SetText(text ? text : ""); }        // NOLINT

  void Clear();
  void SetInt(int32_t value);
  void SetFloat(float value);
  void SetBool(bool value);
  void SetText(std::string_view text);

  Kind GetKind() const { return kind_; }
  bool IsEmpty() const { return kind_ == Kind::kNone; }
  int32_t AsInt() const;
  float AsFloat() const;
  bool AsBool() const;
  // Empty text unless the value is text.
  const char* AsText() const { return kind_ == Kind::kText ? text_ : ""; }

  // Equal kinds compare their values; numbers of different kinds compare numerically; text never
  // equals a number and an empty value equals only an empty value.
  bool operator==(const MessageValue& other) const;

  // Writes or reads the value as the named object "VVariant" with the attributes "Type" ("None",
  // "Integer", "Float", "Boolean", "String") and "Value".
  void SerializeAsXML(VFoundation::XmlNode parent, const char* name, bool save);

 private:
  Kind kind_ = Kind::kNone;
  union {
    int32_t integer_;
    float float_;
    bool boolean_;
    char text_[kTextSize];
  };
};

// The six address fields of a message, each -1 when unused.
enum class MessageIndex : int32_t { kEngine, kPad, kLayer, kPattern, kTrack, kStep };

// The run-time class of a message, as registered with the message port (one pool per class).
using MessageClassId = int32_t;
inline constexpr MessageClassId kMessageClass = 0;

// A message: type, no-echo flag, six address fields and three values. Messages are owned by the
// port's pools and travel by pointer; a message belongs to exactly one pool, one queue or one
// holder at any moment, so pointer ownership suffices and no reference count is kept. Copying a
// message (the copy constructor, assignment, CopyFrom) never allocates. Any thread: only the
// message's current holder touches it.
class Message {
 public:
  static constexpr int kValueCount = 3;
  static constexpr int kIndexCount = 6;
  // The tag of a message object in XML.
  static constexpr const char* kClassName = "Message";

  explicit Message(MessageClassId messageClass = kMessageClass);
  virtual ~Message();
  // Copies type, flag, indices and values.
  Message(const Message& other);
  Message& operator=(const Message& other);

  // Type 0, indices -1, flag clear, values empty; a message class that carries more clears that
  // too, since the port resets every message it takes back. any thread.
  virtual void Reset();
  // Copies the type, the six indices and the three values (not the no-echo flag). any thread.
  void CopyFrom(const Message& other);

  MessageClassId Class() const { return class_; }

  MessageType Type() const { return type_; }
  void SetType(MessageType type) { type_ = type; }

  // Set on messages that a binding posted: the engine does not echo them to the host.
  bool NoEcho() const { return noEcho_; }
  void SetNoEcho(bool noEcho) { noEcho_ = noEcho; }
  bool FromBinding() const { return noEcho_; }
  void SetFromBinding(bool fromBinding) { noEcho_ = fromBinding; }
  // Set by an editor that has told the host of the parameter change itself, from the host's own
  // thread and inside the user's gesture: the engine then stores the host value without telling
  // the host again from the audio thread.
  bool HostToldBySender() const { return hostToldBySender_; }
  void SetHostToldBySender(bool told) { hostToldBySender_ = told; }

  int32_t Index(MessageIndex which) const { return indices_[static_cast<int>(which)]; }
  void SetIndex(MessageIndex which, int32_t value) { indices_[static_cast<int>(which)] = value; }

  // slot 0-2; other slots read as an empty value and ignore writes.
  const MessageValue& Value(int slot) const;
  void SetValue(int slot, const MessageValue& value);

  // Same type and the same six address fields.
  bool SameAddress(const Message& other) const;

  // save: writes the six indices as named integers ("EngineIndex" ... "StepIndex"), "Type" by its
  // name and the values as "MessageValue0" to "MessageValue2" into `node`, the message's own
  // element. load: reads them back; missing entries keep their reset state. Answers whether the
  // node was valid. UI thread.
  bool SerializeAsXML(VFoundation::XmlNode node, bool save);

 private:
  MessageClassId class_;
  MessageType type_ = MessageType::e_noMessage;
  bool noEcho_ = false;
  bool hostToldBySender_ = false;
  int32_t indices_[kIndexCount];
  MessageValue values_[kValueCount];
};
