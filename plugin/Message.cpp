// The message record, its value slots and their XML form.
#include "plugin/Message.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

namespace {

constexpr const char* kTypeNames[] = {
    "e_noMessage",
    "e_registryOptionsChanged",
    "e_registryMIDIOptionsChanged",
    "e_lockSynthThread",
    "e_unlockSynthThread",
    "e_resetNorv",
    "e_panic",
    "e_setOversampling",
    "e_setTargetLearnBinding",
    "e_clearTargetLearnBinding",
    "e_removeBinding",
    "e_removeAllBindings",
    "e_lockBindings",
    "e_setFilterMacroValue",
    "e_setFilterParameter",
    "e_setFilterParameterImmediate",
    "e_setModSourcePolarMode",
    "e_removeModFromParameter",
    "e_removeModDestinations",
    "e_updateAll",
    "e_updatePresetLoaded",
    "e_displayErrorMessage",
    "e_removeDialog",
    "e_updateMIDIMessageReceieved",
    "e_updateParameterNameChanged",
    "e_updateMIDILearnStateChanged",
    "e_updateBindingChanged",
    "e_updateAutomationReceieved",
    "e_updateFilterParameter",
    "e_updateFilterMacroValue",
    "e_updateMIDITrigger",
    "e_totalNumberOfMessageTypes",
};
static_assert(std::size(kTypeNames) ==
              static_cast<size_t>(MessageType::e_totalNumberOfMessageTypes) + 1);

constexpr const char* kIndexNames[Message::kIndexCount] = {
    "EngineIndex", "PadIndex", "LayerIndex", "PatternIndex", "TrackIndex", "StepIndex",
};

constexpr const char* kKindNames[] = {"None", "Integer", "Float", "Boolean", "String"};

constexpr const char* kVariantClassName = "VVariant";

}  // namespace

bool IsKnownMessageType(MessageType type) {
  const int32_t value = static_cast<int32_t>(type);
  return value >= 0 && value < static_cast<int32_t>(MessageType::e_totalNumberOfMessageTypes);
}

const char* MessageTypeName(MessageType type) {
  const int32_t value = static_cast<int32_t>(type);
  if (value < 0 || value > static_cast<int32_t>(MessageType::e_totalNumberOfMessageTypes)) {
    return nullptr;
  }
  return kTypeNames[value];
}

bool MessageTypeFromName(std::string_view name, MessageType& out) {
  for (int32_t value = 0; value < static_cast<int32_t>(MessageType::e_totalNumberOfMessageTypes);
       ++value) {
    if (name == kTypeNames[value]) {
      out = static_cast<MessageType>(value);
      return true;
    }
  }
  return false;
}

// --- MessageValue
// ----------------------------------------------------------------------------------

void MessageValue::Clear() {
  kind_ = Kind::kNone;
  text_[0] = '\0';
}

void MessageValue::SetInt(int32_t value) {
  kind_ = Kind::kInteger;
  integer_ = value;
}

void MessageValue::SetFloat(float value) {
  kind_ = Kind::kFloat;
  float_ = value;
}

void MessageValue::SetBool(bool value) {
  kind_ = Kind::kBoolean;
  boolean_ = value;
}

void MessageValue::SetText(std::string_view text) {
  kind_ = Kind::kText;
  size_t length = text.size() < kTextSize - 1 ? text.size() : kTextSize - 1;
  if (length < text.size()) {
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  }
  if (length > 0) std::memcpy(text_, text.data(), length);
  text_[length] = '\0';
}

int32_t MessageValue::AsInt() const {
  switch (kind_) {
    case Kind::kInteger:
      return integer_;
    case Kind::kFloat:
      // Saturate: a NaN or huge float must not become an arbitrary index.
      if (!(float_ > -2147483520.0f)) return float_ != float_ ? 0 : INT32_MIN;
      if (float_ > 2147483520.0f) return INT32_MAX;
      return static_cast<int32_t>(float_);
    case Kind::kBoolean:
      return boolean_ ? 1 : 0;
    default:
      return 0;
  }
}

float MessageValue::AsFloat() const {
  switch (kind_) {
    case Kind::kInteger:
      return static_cast<float>(integer_);
    case Kind::kFloat:
      return float_;
    case Kind::kBoolean:
      return boolean_ ? 1.0f : 0.0f;
    default:
      return 0.0f;
  }
}

bool MessageValue::AsBool() const {
  switch (kind_) {
    case Kind::kInteger:
      return integer_ != 0;
    case Kind::kFloat:
      return float_ != 0.0f;
    case Kind::kBoolean:
      return boolean_;
    default:
      return false;
  }
}

bool MessageValue::operator==(const MessageValue& other) const {
  if (kind_ == Kind::kNone || other.kind_ == Kind::kNone) return kind_ == other.kind_;
  if (kind_ == Kind::kText || other.kind_ == Kind::kText) {
    return kind_ == other.kind_ && std::strcmp(text_, other.text_) == 0;
  }
  if (kind_ == Kind::kInteger && other.kind_ == Kind::kInteger) return integer_ == other.integer_;
  return AsFloat() == other.AsFloat();
}

void MessageValue::SerializeAsXML(VFoundation::XmlNode parent, const char* name, bool save) {
  if (save) {
    VFoundation::XmlNode node = parent.AddObject(kVariantClassName, name);
    node.WriteString("Type", kKindNames[static_cast<int>(kind_)]);
    switch (kind_) {
      case Kind::kInteger:
        node.WriteInt("Value", integer_);
        break;
      case Kind::kFloat:
        node.WriteDouble("Value", float_);
        break;
      case Kind::kBoolean:
        node.WriteBool("Value", boolean_);
        break;
      case Kind::kText:
        node.WriteString("Value", text_);
        break;
      case Kind::kNone:
        break;
    }
    return;
  }
  Clear();
  VFoundation::XmlNode node = parent.FindObject(kVariantClassName, name);
  std::string kind;
  if (!node || !node.ReadString("Type", kind)) return;
  if (kind == "Integer") {
    int32_t value = 0;
    if (node.ReadInt("Value", value)) SetInt(value);
  } else if (kind == "Float") {
    float value = 0.0f;
    if (node.ReadFloat("Value", value)) SetFloat(value);
  } else if (kind == "Boolean") {
    bool value = false;
    if (node.ReadBool("Value", value)) SetBool(value);
  } else if (kind == "String") {
    std::string value;
    node.ReadString("Value", value);
    SetText(value);
  }
}

// --- Message
// ---------------------------------------------------------------------------------------

Message::Message(MessageClassId messageClass) : class_(messageClass) {
  Reset();
}

Message::~Message() = default;

Message::Message(const Message& other) : class_(other.class_) {
  CopyFrom(other);
  noEcho_ = other.noEcho_;
  hostToldBySender_ = other.hostToldBySender_;
}

Message& Message::operator=(const Message& other) {
  if (this != &other) {
    CopyFrom(other);
    noEcho_ = other.noEcho_;
    hostToldBySender_ = other.hostToldBySender_;
  }
  return *this;
}

void Message::Reset() {
  type_ = MessageType::e_noMessage;
  noEcho_ = false;
  hostToldBySender_ = false;
  for (int32_t& index : indices_) index = -1;
  for (MessageValue& value : values_) value.Clear();
}

void Message::CopyFrom(const Message& other) {
  if (this == &other) return;
  type_ = other.type_;
  std::memcpy(indices_, other.indices_, sizeof indices_);
  for (int slot = 0; slot < kValueCount; ++slot) values_[slot] = other.values_[slot];
}

const MessageValue& Message::Value(int slot) const {
  static const MessageValue kEmpty;
  return slot >= 0 && slot < kValueCount ? values_[slot] : kEmpty;
}

void Message::SetValue(int slot, const MessageValue& value) {
  if (slot >= 0 && slot < kValueCount) values_[slot] = value;
}

bool Message::SameAddress(const Message& other) const {
  return type_ == other.type_ && std::memcmp(indices_, other.indices_, sizeof indices_) == 0;
}

bool Message::SerializeAsXML(VFoundation::XmlNode node, bool save) {
  if (!node) return false;
  if (save) {
    for (int i = 0; i < kIndexCount; ++i) node.WriteInt(kIndexNames[i], indices_[i]);
    const char* typeName = IsKnownMessageType(type_) ? MessageTypeName(type_) : kTypeNames[0];
    node.WriteString("Type", typeName);
  } else {
    Reset();
    for (int i = 0; i < kIndexCount; ++i) node.ReadInt(kIndexNames[i], indices_[i]);
    std::string typeName;
    if (node.ReadString("Type", typeName)) MessageTypeFromName(typeName, type_);
  }
  char name[32];
  for (int slot = 0; slot < kValueCount; ++slot) {
    std::snprintf(name, sizeof name, "MessageValue%d", slot);
    values_[slot].SerializeAsXML(node, name, save);
  }
  return true;
}
