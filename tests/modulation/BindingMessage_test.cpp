// The binding-carrying message class: its own pool in the port, delivery of the binding, and a
// reset that drops it when the port takes the message back.
#include "modulation/BindingMessage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/MessagePort.h"

namespace {

Binding NamedBinding(const char* name) {
  Binding binding;
  binding.SetPath("Synth");
  binding.SetName(name);
  return binding;
}

// Keeps the name of the binding each learn request carried ("" for none).
class LearnRecorder : public IMessageHandler {
 public:
  void HandleMessage(Message& message) override {
    const Binding* binding = BindingMessage::BindingOf(message);
    names.push_back(binding != nullptr ? binding->Name() : "");
  }
  std::vector<std::string> names;
};

TEST(BindingMessageTest, OnlyABindingMessageWithABindingCarriesOne) {
  Message plain(kBindingMessageClass);
  EXPECT_EQ(BindingMessage::BindingOf(plain), nullptr);
  BindingMessage message;
  EXPECT_EQ(message.Class(), kBindingMessageClass);
  EXPECT_EQ(BindingMessage::BindingOf(message), nullptr);
  message.SetBinding(NamedBinding("Filter 1 Cutoff"));
  ASSERT_NE(BindingMessage::BindingOf(message), nullptr);
  EXPECT_STREQ(BindingMessage::BindingOf(message)->Name(), "Filter 1 Cutoff");
  message.Reset();
  EXPECT_FALSE(message.HasBinding());
  EXPECT_EQ(BindingMessage::BindingOf(message), nullptr);
}

TEST(BindingMessageTest, RegistersAPoolOfItsOwnSizeBesideThePlainMessages) {
  MessagePort port;
  ASSERT_TRUE(BindingMessage::RegisterWith(port));
  EXPECT_EQ(port.CreatedMessages(kBindingMessageClass), 2 * BindingMessage::kClassCapacity);
  EXPECT_EQ(port.AvailableMessages(kMessageClass), 2 * MessagePort::kDefaultCapacity);
  Message* message = port.GetMessage(kBindingMessageClass);
  ASSERT_NE(message, nullptr);
  EXPECT_NE(dynamic_cast<BindingMessage*>(message), nullptr);
  port.DisposeOfMessage(message);
}

TEST(BindingMessageTest, TheEngineSeesTheBindingAndThePoolGetsItBackWithout) {
  MessagePort port;
  ASSERT_TRUE(BindingMessage::RegisterWith(port));
  LearnRecorder engine;
  ASSERT_TRUE(port.RegisterSynthHandler(kBindingMessageClass, &engine));
  auto* request = static_cast<BindingMessage*>(port.GetMessage(kBindingMessageClass));
  ASSERT_NE(request, nullptr);
  request->SetType(MessageType::e_setTargetLearnBinding);
  request->SetBinding(NamedBinding("Mix"));
  ASSERT_TRUE(port.PostMessageToSynth(request));
  EXPECT_EQ(port.ProcessSynthMessages(), 1);
  EXPECT_EQ(engine.names, std::vector<std::string>{"Mix"});

  // Every pooled message, the delivered one among them, comes out without a binding.
  std::vector<Message*> pooled;
  while (Message* message = port.GetMessage(kBindingMessageClass)) pooled.push_back(message);
  ASSERT_EQ(static_cast<int32_t>(pooled.size()), 2 * BindingMessage::kClassCapacity);
  for (Message* message : pooled) {
    EXPECT_EQ(BindingMessage::BindingOf(*message), nullptr);
    EXPECT_EQ(message->Type(), MessageType::e_noMessage);
    port.DisposeOfMessage(message);
  }
}

}  // namespace
