// The binding-carrying message class and its registration with the port.
#include "modulation/BindingMessage.h"

#include "plugin/MessagePort.h"

BindingMessage::BindingMessage() : Message(kBindingMessageClass) {}

bool BindingMessage::RegisterWith(MessagePort& port) {
  return port.RegisterMessageOfType(kBindingMessageClass, &BindingMessage::Create, kClassCapacity);
}

Message* BindingMessage::Create(MessageClassId /*messageClass*/) {
  return new BindingMessage();
}

const Binding* BindingMessage::BindingOf(const Message& message) {
  const auto* carrier = dynamic_cast<const BindingMessage*>(&message);
  return carrier != nullptr && carrier->hasBinding_ ? &carrier->binding_ : nullptr;
}

void BindingMessage::Reset() {
  Message::Reset();
  // The stale binding stays in place, unreachable: copying a default one back would cost half a
  // kilobyte per reset for nothing.
  hasBinding_ = false;
}

void BindingMessage::SetBinding(const Binding& binding) {
  binding_ = binding;
  hasBinding_ = true;
}
