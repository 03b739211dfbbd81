// The message class that carries a whole binding: the editor's MIDI-learn request names its
// control this way when a parameter index and column cannot.
#pragma once

#include <cstdint>

#include "modulation/Binding.h"
#include "plugin/Message.h"

class MessagePort;

// Registered with the port beside the plain messages (class 0), with a pool of its own.
inline constexpr MessageClassId kBindingMessageClass = 1;

// A message with a binding inside it, held by value, so that taking, posting and resetting one
// never allocates. Any thread: only the message's current holder touches it.
class BindingMessage : public Message {
 public:
  // A learn request is one click and is handled at the next block: eight pooled messages (twice
  // this) cover any burst a user can make, and each one is half a kilobyte.
  static constexpr int32_t kClassCapacity = 4;

  BindingMessage();

  // set-up: creates the class's pool in the port; true when the class is (now) registered.
  static bool RegisterWith(MessagePort& port);
  // The binding `message` carries; nullptr for a message of another class or one that carries
  // none. any thread.
  static const Binding* BindingOf(const Message& message);

  // Clears the binding with the rest of the message. any thread.
  void Reset() override;

  // any thread.
  void SetBinding(const Binding& binding);
  bool HasBinding() const { return hasBinding_; }

 private:
  static Message* Create(MessageClassId messageClass);

  Binding binding_;
  bool hasBinding_ = false;
};
