// The binding map: slots, the active list with its glide, learning, the reverse path and XML.
#include "modulation/BindingMap.h"

#include <cmath>
#include <cstdio>
#include <new>
#include <thread>

#include "plugin/MessagePort.h"
#include "plugin/ParameterTable.h"
#include "support/FixedString.h"

namespace {

// 1/127: a MIDI controller value as 0...1.
constexpr float kMIDIValueScale = 0.007874016f;

float ClampInput(float value) {
  if (!(value >= 0.0f)) return 0.0f;  // NaN too
  return value > 1.0f ? 1.0f : value;
}

// A binding that sets the base of a stepped engine parameter (a filter type, a mode, a switch).
// Gliding there would pass through every item in between, each one heard and each one restarting
// the filter: such a binding takes a new value at once.
bool SetsSteppedParameter(const Binding& binding) {
  if (!binding.HasPrototype() || binding.StuffedSlot() != 2) return false;
  const Message& prototype = binding.Prototype();
  const MessageType type = prototype.Type();
  if (type != MessageType::e_setFilterParameter &&
      type != MessageType::e_setFilterParameterImmediate) {
    return false;
  }
  return prototype.Value(1).AsInt() == 0 && ParameterTable::IsStepped(prototype.Value(0).AsInt());
}

}  // namespace

void BindingMap::StorageDeleter::operator()(Binding* storage) const {
  std::allocator<Binding>().deallocate(storage, kMaxBindings);
}

BindingMap::BindingMap(MessagePort& port, bool bindingsLocked)
    // The slot storage is reserved, not constructed: a binding is built in place when it is added,
    // so the pages of unused slots are never touched.
    : port_(port),
      storage_(std::allocator<Binding>().allocate(kMaxBindings)),
      counts_(std::make_unique<uint8_t[]>(kSlotCount)),
      active_(std::make_unique<Binding*[]>(kMaxBindings)),
      hostValues_(std::make_unique<std::atomic<float>[]>(kHostParameters)),
      bindingsLocked_(bindingsLocked) {
  for (int32_t i = 0; i < kHostParameters; ++i) hostValues_[i].store(0.0f);
  for (int32_t i = kFirstAssignable; i < kHostParameters; ++i) PublishAssignableName(i);
  hostNamesChanged_.store(false);
}

BindingMap::~BindingMap() {
  for (int32_t slot = 0; slot < kSlotCount; ++slot) ClearSlot(slot);
}

int32_t BindingMap::ControllerSlot(int32_t channel, int32_t controller) {
  if (channel < 0 || channel >= kMIDIChannels || controller < 0 || controller >= kControllers) {
    return -1;
  }
  return channel * kControllers + controller;
}

int32_t BindingMap::HostSlot(int32_t index) {
  return index >= 0 && index < kHostParameters ? kControllerSlots + index : -1;
}

// --- adding and removing
// ---------------------------------------------------------------------------

bool BindingMap::AddHostBinding(int32_t index, const Binding& binding) {
  HuntDownAndKillPreviousBindings(binding);
  if (!AppendHostBinding(index, binding)) return false;
  if (IsAssignable(index)) PublishAssignableName(index);
  return true;
}

bool BindingMap::AppendHostBinding(int32_t index, const Binding& binding) {
  if (!AddToSlot(HostSlot(index), binding, false, index, -1)) return false;
  SlotBegin(HostSlot(index))[counts_[HostSlot(index)] - 1].RestAt(GetVSTParameter(index));
  return true;
}

bool BindingMap::AddMIDICCBinding(int32_t channel, int32_t controller, const Binding& binding) {
  HuntDownAndKillPreviousBindings(binding);
  return AddToSlot(ControllerSlot(channel, controller), binding, true, channel, controller);
}

bool BindingMap::AddToSlot(int32_t slot, const Binding& binding, bool midi, int32_t major,
                           int32_t minor) {
  if (slot < 0 || counts_[slot] >= kBindingsPerSlot) return false;
  Binding* added = new (SlotBegin(slot) + counts_[slot]) Binding(binding);
  added->SetInput(midi, major, minor);
  added->active_ = false;
  ++counts_[slot];
  return true;
}

void BindingMap::RemoveFromSlot(int32_t slot, int32_t position) {
  Binding* begin = SlotBegin(slot);
  const int32_t count = counts_[slot];
  Binding* removed = begin + position;
  Binding* end = begin + count;
  // The active list points into the slot: drop the removed binding and follow the ones that move
  // down by one place.
  int32_t kept = 0;
  for (int32_t i = 0; i < activeCount_; ++i) {
    Binding* entry = active_[i];
    if (entry == removed) continue;
    if (entry > removed && entry < end) --entry;
    active_[kept++] = entry;
  }
  activeCount_ = kept;
  for (int32_t i = position; i + 1 < count; ++i) begin[i] = begin[i + 1];
  begin[count - 1].~Binding();
  --counts_[slot];
}

void BindingMap::ClearSlot(int32_t slot) {
  while (counts_[slot] > 0) RemoveFromSlot(slot, counts_[slot] - 1);
}

bool BindingMap::FindControllerBinding(const Binding& binding, int32_t& slot,
                                       int32_t& position) const {
  for (slot = 0; slot < kControllerSlots; ++slot) {
    const Binding* begin = SlotBegin(slot);
    for (position = 0; position < counts_[slot]; ++position) {
      if (begin[position] == binding) return true;
    }
  }
  return false;
}

bool BindingMap::HuntDownAndKillPreviousBindings(const Binding& binding) {
  int32_t slot = 0;
  int32_t position = 0;
  if (!FindControllerBinding(binding, slot, position)) return false;
  RemoveFromSlot(slot, position);
  return true;
}

bool BindingMap::RemoveBinding(const Binding& binding) {
  const bool controller = HuntDownAndKillPreviousBindings(binding);
  const bool host = RemoveFromAssignableSlots(binding);
  return controller || host;
}

bool BindingMap::RemoveFromAssignableSlots(const Binding& binding) {
  bool removed = false;
  for (int32_t index = kFirstAssignable; index < kHostParameters; ++index) {
    const int32_t slot = HostSlot(index);
    const Binding* begin = SlotBegin(slot);
    bool removedHere = false;
    for (int32_t position = counts_[slot] - 1; position >= 0; --position) {
      if (!(begin[position] == binding)) continue;
      RemoveFromSlot(slot, position);
      removedHere = true;
    }
    if (removedHere) PublishAssignableName(index);
    removed = removed || removedHere;
  }
  return removed;
}

void BindingMap::RemoveAllBindings() {
  // A host binding that is still gliding keeps its place in the active list, so that its engine
  // value does not stop half-way.
  for (int32_t slot = 0; slot < kControllerSlots; ++slot) ClearSlot(slot);
}

void BindingMap::CopyBindings(std::vector<Binding>& list) const {
  for (int32_t slot = 0; slot < kSlotCount; ++slot) {
    const Binding* begin = SlotBegin(slot);
    for (int32_t position = 0; position < counts_[slot]; ++position) {
      list.push_back(begin[position]);
    }
  }
}

// --- host parameters
// -------------------------------------------------------------------------------

void BindingMap::SetVSTParameter(int32_t index, float value) {
  if (index >= 0 && index < kHostParameters) hostValues_[index].store(value);
}

float BindingMap::GetVSTParameter(int32_t index) const {
  return index >= 0 && index < kHostParameters ? hostValues_[index].load() : 0.0f;
}

void BindingMap::SyncHostParameter(int32_t index, float value) {
  const int32_t slot = HostSlot(index);
  if (slot < 0) return;
  SetVSTParameter(index, value);
  Binding* begin = SlotBegin(slot);
  // A binding still in the active list leaves it at the next step, being settled now.
  for (int32_t position = 0; position < counts_[slot]; ++position) begin[position].RestAt(value);
}

std::string BindingMap::GetHostParameterName(int32_t index) const {
  if (IsAssignable(index)) return ReadPublishedName(assignableNames_[index - kFirstAssignable]);
  return std::string(SlotHostName(index).View());
}

BindingMap::HostName BindingMap::SlotHostName(int32_t index) const {
  const int32_t count = HostBindingCount(index);
  if (count == 0) return HostName("None");
  if (count > 1) return HostName("Multi");
  // Cut at a whole UTF-8 character, the host shows at most 7 bytes.
  return HostName(HostBinding(index, 0)->Name());
}

int32_t BindingMap::GetIndexOfHostBindingWithMatchingPrototype(const Message& message) const {
  int32_t index = -1;
  MatchHostBinding(message, index);
  return index;
}

Binding* BindingMap::MatchHostBinding(const Message& message, int32_t& index) const {
  for (index = 0; index < kHostParameters; ++index) {
    Binding* begin = SlotBegin(HostSlot(index));
    for (int32_t position = 0; position < counts_[HostSlot(index)]; ++position) {
      Binding& binding = begin[position];
      if (!binding.HasPrototype() || !binding.Prototype().SameAddress(message)) continue;
      bool same = true;
      for (int slot = 0; slot < binding.StuffedSlot() && same; ++slot) {
        same = binding.Prototype().Value(slot) == message.Value(slot);
      }
      if (same) return &binding;
    }
  }
  index = -1;
  return nullptr;
}

// --- feeding and stepping
// --------------------------------------------------------------------------

void BindingMap::FeedSlot(int32_t slot, float value) {
  if (slot < 0) return;
  Binding* begin = SlotBegin(slot);
  for (int32_t position = 0; position < counts_[slot]; ++position) {
    Binding& binding = begin[position];
    if (SetsSteppedParameter(binding)) {
      binding.Jump(value);
    } else {
      binding.Feed(value);
    }
    if (!binding.settled_ && !binding.active_ && activeCount_ < kMaxBindings) {
      binding.active_ = true;
      active_[activeCount_++] = &binding;
    }
  }
}

void BindingMap::ProcessMIDICC(int32_t channel, int32_t controller, float value) {
  FeedSlot(ControllerSlot(channel, controller), ClampInput(value));
}

void BindingMap::ProcessHostAutomation(int32_t index, float value) {
  if (learnPending_ && IsAssignable(index)) {
    LearnHostParameter(index);
    // A switch-like target would fire on the very move that taught it.
    if (learnTarget_.Type() != BindingType::kContinuous) {
      SyncHostParameter(index, ClampInput(value));
      return;
    }
  }
  const float clamped = ClampInput(value);
  SetVSTParameter(index, clamped);
  FeedSlot(HostSlot(index), clamped);
}

void BindingMap::ProcessBindings() {
  // Index loop: applying a binding posts a message and never changes the list.
  for (int32_t i = 0; i < activeCount_; ++i) {
    Binding& binding = *active_[i];
    if (binding.settled_) continue;
    binding.Step();
    ProcessABinding(binding, binding.currentValue_);
  }
  int32_t kept = 0;
  for (int32_t i = 0; i < activeCount_; ++i) {
    Binding* binding = active_[i];
    if (binding->settled_) {
      binding->active_ = false;
    } else {
      active_[kept++] = binding;
    }
  }
  activeCount_ = kept;
}

void BindingMap::ProcessABinding(Binding& binding, float x) {
  if (!binding.HasPrototype()) return;
  Message* message = port_.GetMessage(kMessageClass);
  if (message == nullptr) return;
  float value = 0.0f;
  if (!binding.ComputeOutput(x, value)) {
    port_.DisposeOfMessage(message);
    return;
  }
  message->CopyFrom(binding.Prototype());
  binding.GetStuffer()(*message, value);
  message->SetFromBinding(true);
  if (binding.EditorOnly()) {
    port_.PostMessageToEditor(message);
  } else {
    port_.PostMessageToSynth(message);
  }
}

// --- learning and the reverse path
// -----------------------------------------------------------------

void BindingMap::SetLearnTarget(const Binding& binding) {
  learnTarget_ = binding;
  learnTarget_.active_ = false;
  learnPending_ = true;
}

bool BindingMap::ProcessMIDIControlChange(int32_t channel, int32_t controller, int32_t midiValue) {
  bool apply = true;
  if (learnPending_) {
    // A control has one learnt input: a controller or an assignable host parameter.
    RemoveFromAssignableSlots(learnTarget_);
    AddMIDICCBinding(channel, controller, learnTarget_);
    learnPending_ = false;
    port_.PostMessageToEditor(MessageType::e_updateBindingChanged);
    // A switch-like target would fire on the very press that taught it.
    apply = learnTarget_.Type() == BindingType::kContinuous;
  }
  if (apply) ProcessMIDICC(channel, controller, static_cast<float>(midiValue) * kMIDIValueScale);
  return apply;
}

void BindingMap::LearnHostParameter(int32_t index) {
  learnPending_ = false;
  RemoveFromAssignableSlots(learnTarget_);
  AddHostBinding(index, learnTarget_);
  port_.PostMessageToEditor(MessageType::e_updateBindingChanged);
  port_.PostMessageToEditor(MessageType::e_updateParameterNameChanged);
}

void BindingMap::PublishAssignableName(int32_t index) {
  PublishedName& published = assignableNames_[index - kFirstAssignable];
  const HostName name = SlotHostName(index);
  published.sequence.fetch_add(1, std::memory_order_acq_rel);
  for (int32_t i = 0; i < PublishedName::kCapacity; ++i) {
    published.text[i].store(name.c_str()[i], std::memory_order_release);
    if (name.c_str()[i] == '\0') break;
  }
  published.sequence.fetch_add(1, std::memory_order_release);
  hostNamesChanged_.store(true);
}

std::string BindingMap::ReadPublishedName(const PublishedName& published) {
  char text[PublishedName::kCapacity + 1] = {};
  // The writer is the audio thread copying eight characters: a reader that meets a change in
  // progress tries again and soon finds the name whole.
  for (int attempt = 1;; ++attempt) {
    const uint32_t before = published.sequence.load(std::memory_order_acquire);
    if (before % 2 == 0) {
      for (int32_t i = 0; i < PublishedName::kCapacity; ++i) {
        // Acquire: a character of a change in progress brings that change's odd sequence with
        // it, so the check below sees the change.
        text[i] = published.text[i].load(std::memory_order_acquire);
        if (text[i] == '\0') break;
      }
      if (published.sequence.load(std::memory_order_relaxed) == before) break;
    }
    if (attempt % 64 == 0) std::this_thread::yield();
  }
  return std::string(text);
}

int32_t BindingMap::ReflectMessageToHost(const Message& message, IAutomationDelegate& host) {
  if (message.FromBinding()) return -1;
  int32_t index = -1;
  Binding* binding = MatchHostBinding(message, index);
  if (binding == nullptr) return -1;
  const float value = binding->GetPopper()(message);
  SetVSTParameter(index, value);
  binding->RestAt(value);
  // The sender told the host of its own parameter; a host parameter bound to it elsewhere (the
  // assignable ones) still hears it from here.
  const bool told = message.HostToldBySender() && index == message.Value(0).AsInt();
  if (!told) host.SetParameterAutomated(index, value);
  return index;
}

// --- XML
// -------------------------------------------------------------------------------------------

bool BindingMap::SerializeAsXML(VFoundation::XmlNode node, bool save) {
  if (!node) return false;
  char name[48];
  if (save) {
    float values[kHostParameters];
    for (int32_t i = 0; i < kHostParameters; ++i) values[i] = GetVSTParameter(i);
    node.WriteFloatArray("HostParameters", values, kHostParameters);
    for (int32_t channel = 0; channel < kMIDIChannels; ++channel) {
      for (int32_t controller = 0; controller < kControllers; ++controller) {
        const int32_t count = ControllerBindingCount(channel, controller);
        if (count == 0) continue;
        std::snprintf(name, sizeof name, "MIDI%dCC%dBindingCount", channel, controller);
        node.WriteInt(name, count);
        for (int32_t j = 0; j < count; ++j) {
          std::snprintf(name, sizeof name, "MIDI%dCC%dBinding%d", channel, controller, j);
          Binding copy = *ControllerBinding(channel, controller, j);
          copy.SerializeAsXML(node.AddObject(Binding::kClassName, name), true);
        }
      }
    }
    SaveAssignableBindings(node);
    return true;
  }

  for (int32_t slot = 0; slot < kControllerSlots; ++slot) ClearSlot(slot);
  float values[kHostParameters] = {};
  node.ReadFloatArray("HostParameters", values, kHostParameters);
  for (int32_t i = 0; i < kHostParameters; ++i) SetVSTParameter(i, ClampInput(values[i]));
  // Looked up by name in one pass: a full document holds tens of thousands of bindings.
  const auto objects = node.ObjectsByName(Binding::kClassName);
  for (int32_t channel = 0; channel < kMIDIChannels; ++channel) {
    for (int32_t controller = 0; controller < kControllers; ++controller) {
      std::snprintf(name, sizeof name, "MIDI%dCC%dBindingCount", channel, controller);
      int32_t count = 0;
      node.ReadInt(name, count);
      for (int32_t j = 0; j < count; ++j) {
        std::snprintf(name, sizeof name, "MIDI%dCC%dBinding%d", channel, controller, j);
        const auto object = objects.find(name);
        // Bindings are numbered without gaps; a missing one ends the slot (and a damaged count
        // cannot keep the loop going).
        if (object == objects.end()) break;
        Binding binding;
        binding.SerializeAsXML(object->second, false);
        AddMIDICCBinding(channel, controller, binding);
      }
    }
  }
  LoadAssignableBindings(node);
  return true;
}

void BindingMap::SaveAssignableBindings(VFoundation::XmlNode node) const {
  char name[48];
  for (int32_t index = kFirstAssignable; index < kHostParameters; ++index) {
    const int32_t count = HostBindingCount(index);
    if (count == 0) continue;
    std::snprintf(name, sizeof name, "Host%dBindingCount", index);
    node.WriteInt(name, count);
    for (int32_t j = 0; j < count; ++j) {
      std::snprintf(name, sizeof name, "Host%dBinding%d", index, j);
      Binding copy = *HostBinding(index, j);
      copy.SerializeAsXML(node.AddObject(Binding::kClassName, name), true);
    }
  }
}

void BindingMap::LoadAssignableBindings(VFoundation::XmlNode node) {
  char name[48];
  for (int32_t index = kFirstAssignable; index < kHostParameters; ++index) {
    ClearSlot(HostSlot(index));
    std::snprintf(name, sizeof name, "Host%dBindingCount", index);
    int32_t count = 0;
    node.ReadInt(name, count);
    for (int32_t j = 0; j < count && j < kBindingsPerSlot; ++j) {
      std::snprintf(name, sizeof name, "Host%dBinding%d", index, j);
      const VFoundation::XmlNode object = node.FindObject(Binding::kClassName, name);
      if (!object) break;
      Binding binding;
      binding.SerializeAsXML(object, false);
      AppendHostBinding(index, binding);
    }
    PublishAssignableName(index);
  }
}

// --- inspection
// ------------------------------------------------------------------------------------

int32_t BindingMap::HostBindingCount(int32_t index) const {
  const int32_t slot = HostSlot(index);
  return slot < 0 ? 0 : counts_[slot];
}

const Binding* BindingMap::HostBinding(int32_t index, int32_t position) const {
  const int32_t slot = HostSlot(index);
  if (slot < 0 || position < 0 || position >= counts_[slot]) return nullptr;
  return SlotBegin(slot) + position;
}

int32_t BindingMap::ControllerBindingCount(int32_t channel, int32_t controller) const {
  const int32_t slot = ControllerSlot(channel, controller);
  return slot < 0 ? 0 : counts_[slot];
}

const Binding* BindingMap::ControllerBinding(int32_t channel, int32_t controller,
                                             int32_t position) const {
  const int32_t slot = ControllerSlot(channel, controller);
  if (slot < 0 || position < 0 || position >= counts_[slot]) return nullptr;
  return SlotBegin(slot) + position;
}
