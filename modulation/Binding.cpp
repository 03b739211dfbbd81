// A binding's value rules, smoothing steps and XML form.
#include "modulation/Binding.h"

#include <cmath>
#include <string>

namespace {

constexpr const char* kTypeNames[] = {"Continuous", "Momentary", "Latching", "Trigger"};

// A fall larger than this is taken at once: a fader pulled down fast must not crawl back.
constexpr float kFallJump = 0.2f;
// Each step covers 1/32 of the remaining distance, a time constant of 32 sub-blocks (about 12 ms
// at 44.1 kHz x 2 with 32-sample sub-blocks), and snaps once within 0.0001, below what any
// parameter resolves.
constexpr float kGlideFactor = 0.03125f;
constexpr float kSettleDistance = 0.0001f;
constexpr float kSameValue = 1e-6f;

constexpr std::string_view kNamePrefix = "Binding::";

struct StufferEntry {
  Binding::Stuffer function;
  const char* name;
  int slot;
};

struct PopperEntry {
  Binding::Popper function;
  const char* name;
};

const StufferEntry kStuffers[] = {
    {&Binding::StuffToValue0, "Binding::StuffToValue0", 0},
    {&Binding::StuffToValue1, "Binding::StuffToValue1", 1},
    {&Binding::StuffToValue2, "Binding::StuffToValue2", 2},
    {&Binding::StuffToValue0AsBool, "Binding::StuffToValue0AsBool", 0},
};

const PopperEntry kPoppers[] = {
    {&Binding::GetValueFromValue0, "Binding::GetValueFromValue0"},
    {&Binding::GetValueFromValue1, "Binding::GetValueFromValue1"},
    {&Binding::GetValueFromValue2, "Binding::GetValueFromValue2"},
    {&Binding::GetValueFromValue0AsBool, "Binding::GetValueFromValue0AsBool"},
};

bool NameMatches(std::string_view stored, const char* fullName) {
  const std::string_view full(fullName);
  return stored == full || stored == full.substr(kNamePrefix.size());
}

}  // namespace

const char* BindingTypeName(BindingType type) {
  const int32_t value = static_cast<int32_t>(type);
  return value >= 0 && value < 4 ? kTypeNames[value] : kTypeNames[0];
}

BindingType BindingTypeFromName(std::string_view name) {
  for (int32_t value = 0; value < 4; ++value) {
    if (name == kTypeNames[value]) return static_cast<BindingType>(value);
  }
  return BindingType::kContinuous;
}

// --- stuffers and poppers
// --------------------------------------------------------------------------

void Binding::StuffToValue0(Message& message, float value) {
  message.SetValue(0, value);
}
void Binding::StuffToValue1(Message& message, float value) {
  message.SetValue(1, value);
}
void Binding::StuffToValue2(Message& message, float value) {
  message.SetValue(2, value);
}
void Binding::StuffToValue0AsBool(Message& message, float value) {
  message.SetValue(0, value >= 0.5f);
}

float Binding::GetValueFromValue0(const Message& message) {
  return message.Value(0).AsFloat();
}
float Binding::GetValueFromValue1(const Message& message) {
  return message.Value(1).AsFloat();
}
float Binding::GetValueFromValue2(const Message& message) {
  return message.Value(2).AsFloat();
}
float Binding::GetValueFromValue0AsBool(const Message& message) {
  return message.Value(0).AsBool() ? 1.0f : 0.0f;
}

const char* Binding::StufferName(Stuffer stuffer) {
  for (const StufferEntry& entry : kStuffers) {
    if (entry.function == stuffer) return entry.name;
  }
  return nullptr;
}

const char* Binding::PopperName(Popper popper) {
  for (const PopperEntry& entry : kPoppers) {
    if (entry.function == popper) return entry.name;
  }
  return nullptr;
}

Binding::Stuffer Binding::StufferFromName(std::string_view name) {
  for (const StufferEntry& entry : kStuffers) {
    if (NameMatches(name, entry.name)) return entry.function;
  }
  return nullptr;
}

Binding::Popper Binding::PopperFromName(std::string_view name) {
  for (const PopperEntry& entry : kPoppers) {
    if (NameMatches(name, entry.name)) return entry.function;
  }
  return nullptr;
}

// --- Binding
// ---------------------------------------------------------------------------------------

Binding::Binding() : path_("None"), name_("Unbound") {}

void Binding::SetPrototype(const Message& message) {
  prototype_.Reset();
  prototype_.CopyFrom(message);
  hasPrototype_ = true;
}

void Binding::ClearPrototype() {
  prototype_.Reset();
  hasPrototype_ = false;
}

int Binding::StuffedSlot() const {
  for (const StufferEntry& entry : kStuffers) {
    if (entry.function == stuffer_) return entry.slot;
  }
  return 0;
}

bool Binding::operator==(const Binding& other) const {
  return hasPrototype_ && other.hasPrototype_ && prototype_.SameAddress(other.prototype_) &&
         path_ == other.path_ && name_ == other.name_;
}

void Binding::Feed(float value) {
  if (type_ != BindingType::kContinuous) {
    // A press is an event, not a level: gliding towards 1 would post a stream of in-between values
    // (a momentary switch would drift back to off while still held).
    Jump(value);
    return;
  }
  if (lastValue_ - value > kFallJump) {
    currentValue_ = targetValue_ = value;
    settled_ = false;
  } else {
    targetValue_ = value;
    settled_ = std::fabs(currentValue_ - value) < kSameValue;
  }
}

void Binding::Jump(float value) {
  settled_ = std::fabs(currentValue_ - value) < kSameValue;
  currentValue_ = targetValue_ = value;
}

void Binding::Step() {
  if (std::fabs(currentValue_ - targetValue_) > kSettleDistance) {
    currentValue_ += (targetValue_ - currentValue_) * kGlideFactor;
    if (std::fabs(currentValue_ - targetValue_) <= kSettleDistance) {
      currentValue_ = targetValue_;
      settled_ = true;
    }
  } else {
    currentValue_ = targetValue_;
    settled_ = true;
  }
}

void Binding::RestAt(float value) {
  currentValue_ = targetValue_ = value;
  settled_ = true;
}

bool Binding::ComputeOutput(float x, float& out) {
  switch (type_) {
    case BindingType::kMomentary:
      out = 1.0f - lastValue_;
      lastValue_ = x;
      return true;
    case BindingType::kLatching:
      if (x < 1.0f) return false;
      lastValue_ = 1.0f - lastValue_;
      out = lastValue_;
      return true;
    case BindingType::kTrigger:
      if (x < 1.0f) return false;
      out = x;
      return true;
    case BindingType::kContinuous:
    default:
      out = min_ + (max_ - min_) * x;
      lastValue_ = x;
      return true;
  }
}

bool Binding::SerializeAsXML(VFoundation::XmlNode node, bool save) {
  if (!node) return false;
  if (save) {
    node.WriteDouble("Min", min_);
    node.WriteDouble("Max", max_);
    node.WriteBool("MIDI", midi_);
    node.WriteInt("MajorIndex", majorIndex_);
    node.WriteInt("MinorIndex", minorIndex_);
    node.WriteBool("TargetMode", targetMode_);
    node.WriteBool("EnterTargetMode", enterTargetMode_);
    node.WriteBool("EditorOnly", editorOnly_);
    node.WriteString("Path", path_.View());
    node.WriteString("Name", name_.View());
    const char* stufferName = StufferName(stuffer_);
    node.WriteString("MessageStuffer", stufferName ? stufferName : kStuffers[0].name);
    const char* popperName = PopperName(popper_);
    node.WriteString("MessagePopper", popperName ? popperName : kPoppers[0].name);
    if (hasPrototype_) {
      prototype_.SerializeAsXML(node.AddObject(Message::kClassName, "MessagePrototype"), true);
    }
    node.WriteString("Type", BindingTypeName(type_));
    return true;
  }

  float min = min_;
  float max = max_;
  // A damaged file must not put NaN or infinity into the range of a live control.
  if (node.ReadFloat("Min", min) && std::isfinite(min)) min_ = min;
  if (node.ReadFloat("Max", max) && std::isfinite(max)) max_ = max;
  node.ReadBool("MIDI", midi_);
  node.ReadInt("MajorIndex", majorIndex_);
  node.ReadInt("MinorIndex", minorIndex_);
  node.ReadBool("TargetMode", targetMode_);
  node.ReadBool("EnterTargetMode", enterTargetMode_);
  node.ReadBool("EditorOnly", editorOnly_);
  std::string text;
  if (node.ReadString("Path", text)) path_.Set(text);
  if (node.ReadString("Name", text)) name_.Set(text);
  if (node.ReadString("MessageStuffer", text)) {
    if (Stuffer stuffer = StufferFromName(text)) stuffer_ = stuffer;
  }
  if (node.ReadString("MessagePopper", text)) {
    if (Popper popper = PopperFromName(text)) popper_ = popper;
  }
  prototype_.Reset();
  hasPrototype_ = true;
  prototype_.SerializeAsXML(node.FindObject(Message::kClassName, "MessagePrototype"), false);
  if (node.ReadString("Type", text)) type_ = BindingTypeFromName(text);
  return true;
}
