// Message records and the message port: pools, queues, delivery order, failure paths.
#include "plugin/MessagePort.h"

#include <gtest/gtest.h>

#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "support/VException.h"
#include "support/XmlDocument.h"

namespace {

struct Delivery {
  int handler;
  MessageType type;
  int32_t engineIndex;
  MessageValue values[3];
};

// Records what it sees; optionally throws or keeps the message pointer.
class RecordingHandler : public IMessageHandler {
 public:
  RecordingHandler(int id, std::vector<Delivery>& log) : id_(id), log_(log) {}
  void HandleMessage(Message& message) override {
    Delivery delivery{id_, message.Type(), message.Index(MessageIndex::kEngine), {}};
    for (int slot = 0; slot < 3; ++slot) delivery.values[slot] = message.Value(slot);
    log_.push_back(delivery);
    seen.push_back(&message);
    if (throwOn == message.Type()) throw VFoundation::VException("handler failed");
  }
  MessageType throwOn = MessageType::e_totalNumberOfMessageTypes;
  std::vector<Message*> seen;

 private:
  int id_;
  std::vector<Delivery>& log_;
};

constexpr int32_t kFullPool = 2 * MessagePort::kDefaultCapacity;

// --- Message
// ---------------------------------------------------------------------------------------

TEST(MessageTest, TypeNamesCoverTheWholeTableAndReadBack) {
  struct Case {
    MessageType type;
    const char* name;
  };
  const Case cases[] = {
      {MessageType::e_noMessage, "e_noMessage"},
      {MessageType::e_lockSynthThread, "e_lockSynthThread"},
      {MessageType::e_setFilterParameter, "e_setFilterParameter"},
      {MessageType::e_updateMIDIMessageReceieved, "e_updateMIDIMessageReceieved"},
      {MessageType::e_updateMIDITrigger, "e_updateMIDITrigger"},
      {MessageType::e_totalNumberOfMessageTypes, "e_totalNumberOfMessageTypes"},
  };
  for (const Case& c : cases) EXPECT_STREQ(MessageTypeName(c.type), c.name);
  EXPECT_EQ(static_cast<int>(MessageType::e_totalNumberOfMessageTypes), 31);
  for (int value = 0; value < 31; ++value) {
    const auto type = static_cast<MessageType>(value);
    ASSERT_NE(MessageTypeName(type), nullptr);
    MessageType back = MessageType::e_totalNumberOfMessageTypes;
    EXPECT_TRUE(MessageTypeFromName(MessageTypeName(type), back));
    EXPECT_EQ(back, type);
    EXPECT_TRUE(IsKnownMessageType(type));
  }
  EXPECT_FALSE(IsKnownMessageType(MessageType::e_totalNumberOfMessageTypes));
  EXPECT_FALSE(IsKnownMessageType(static_cast<MessageType>(-1)));
  EXPECT_EQ(MessageTypeName(static_cast<MessageType>(32)), nullptr);
  MessageType untouched = MessageType::e_panic;
  EXPECT_FALSE(MessageTypeFromName("e_totalNumberOfMessageTypes", untouched));
  EXPECT_FALSE(MessageTypeFromName("e_SetFilterParameter", untouched));
  EXPECT_EQ(untouched, MessageType::e_panic);
}

TEST(MessageTest, ResetClearsTypeIndicesFlagAndValues) {
  Message message;
  message.SetType(MessageType::e_setFilterParameter);
  message.SetNoEcho(true);
  message.SetIndex(MessageIndex::kEngine, 3);
  message.SetIndex(MessageIndex::kStep, 9);
  message.SetValue(0, 34);
  message.SetValue(2, 0.5f);
  message.Reset();
  EXPECT_EQ(message.Type(), MessageType::e_noMessage);
  EXPECT_FALSE(message.NoEcho());
  for (int i = 0; i < Message::kIndexCount; ++i) {
    EXPECT_EQ(message.Index(static_cast<MessageIndex>(i)), -1);
  }
  for (int slot = 0; slot < 3; ++slot) EXPECT_TRUE(message.Value(slot).IsEmpty());
}

TEST(MessageTest, CopyFromTakesTypeIndicesAndValuesButNotTheFlag) {
  Message source;
  source.SetType(MessageType::e_setFilterMacroValue);
  source.SetIndex(MessageIndex::kPad, 7);
  source.SetValue(0, 0.25f);
  source.SetValue(1, 1);
  source.SetValue(2, "XY X");
  source.SetNoEcho(true);
  Message copy;
  copy.CopyFrom(source);
  EXPECT_EQ(copy.Type(), MessageType::e_setFilterMacroValue);
  EXPECT_EQ(copy.Index(MessageIndex::kPad), 7);
  EXPECT_EQ(copy.Index(MessageIndex::kEngine), -1);
  EXPECT_FLOAT_EQ(copy.Value(0).AsFloat(), 0.25f);
  EXPECT_EQ(copy.Value(1).AsInt(), 1);
  EXPECT_STREQ(copy.Value(2).AsText(), "XY X");
  EXPECT_FALSE(copy.NoEcho());
  EXPECT_TRUE(copy.SameAddress(source));
  copy.SetIndex(MessageIndex::kStep, 0);
  EXPECT_FALSE(copy.SameAddress(source));
}

TEST(MessageTest, ValueConversionsAndEquality) {
  EXPECT_EQ(MessageValue(2.9f).AsInt(), 2);
  EXPECT_EQ(MessageValue(std::numeric_limits<float>::quiet_NaN()).AsInt(), 0);
  EXPECT_EQ(MessageValue(1e30f).AsInt(), INT32_MAX);
  EXPECT_FLOAT_EQ(MessageValue(true).AsFloat(), 1.0f);
  EXPECT_TRUE(MessageValue(1).AsBool());
  EXPECT_FALSE(MessageValue(0.0f).AsBool());
  EXPECT_EQ(MessageValue("12").AsInt(), 0);
  EXPECT_STREQ(MessageValue(12).AsText(), "");
  EXPECT_TRUE(MessageValue(34) == MessageValue(34.0f));
  EXPECT_FALSE(MessageValue(34) == MessageValue(35));
  EXPECT_FALSE(MessageValue(0) == MessageValue());
  EXPECT_TRUE(MessageValue() == MessageValue());
  EXPECT_FALSE(MessageValue("0") == MessageValue(0));
  EXPECT_TRUE(MessageValue("abc") == MessageValue("abc"));
}

TEST(MessageTest, LongTextIsCutWithinTheSlotAtACharacterBoundary) {
  const std::string ascii(100, 'a');
  EXPECT_EQ(std::string(MessageValue(ascii.c_str()).AsText()), std::string(63, 'a'));
  // 62 ASCII bytes and a two-byte character that would straddle the 63-byte limit.
  const std::string straddling = std::string(62, 'b') + "\xC3\xA9" + "tail";
  EXPECT_EQ(std::string(MessageValue(straddling.c_str()).AsText()), std::string(62, 'b'));
}

TEST(MessageTest, XmlRoundTripKeepsEveryField) {
  Message message;
  message.SetType(MessageType::e_setFilterParameter);
  message.SetIndex(MessageIndex::kEngine, 2);
  message.SetIndex(MessageIndex::kTrack, 5);
  message.SetValue(0, 34);
  message.SetValue(1, true);
  message.SetValue(2, 0.123456789f);
  VFoundation::XmlDocument document;
  document.CreateNew("root");
  ASSERT_TRUE(message.SerializeAsXML(document.Root().AddObject("Message", "Proto"), true));

  VFoundation::XmlDocument reread;
  ASSERT_TRUE(reread.Parse(document.Print(), "root"));
  VFoundation::XmlNode node = reread.Root().FindObject("Message", "Proto");
  ASSERT_TRUE(node.Valid());
  std::string typeName;
  ASSERT_TRUE(node.ReadString("Type", typeName));
  EXPECT_EQ(typeName, "e_setFilterParameter");
  int32_t engineIndex = 0;
  ASSERT_TRUE(node.ReadInt("EngineIndex", engineIndex));
  EXPECT_EQ(engineIndex, 2);

  Message loaded;
  loaded.SetValue(0, "stale");
  ASSERT_TRUE(loaded.SerializeAsXML(node, false));
  EXPECT_EQ(loaded.Type(), MessageType::e_setFilterParameter);
  EXPECT_TRUE(loaded.SameAddress(message));
  EXPECT_EQ(loaded.Value(0).GetKind(), MessageValue::Kind::kInteger);
  EXPECT_EQ(loaded.Value(0).AsInt(), 34);
  EXPECT_EQ(loaded.Value(1).GetKind(), MessageValue::Kind::kBoolean);
  EXPECT_TRUE(loaded.Value(1).AsBool());
  EXPECT_EQ(loaded.Value(2).AsFloat(), 0.123456789f);
}

// --- MessagePort
// -----------------------------------------------------------------------------------

class MessagePortTest : public testing::Test {
 protected:
  std::vector<Delivery> log_;
  RecordingHandler first_{1, log_};
  RecordingHandler second_{2, log_};
};

TEST_F(MessagePortTest, StartsWithTwoPoolsWorthOfMessagesAndGrownQueues) {
  MessagePort port;
  EXPECT_EQ(port.Capacity(), 1024);
  EXPECT_EQ(port.AvailableMessages(), kFullPool);
  EXPECT_EQ(port.CreatedMessages(), kFullPool);
  for (PortQueue queue : {PortQueue::kSynth, PortQueue::kEditor, PortQueue::kDisposal}) {
    EXPECT_EQ(port.QueueCapacity(queue), 2048);
    EXPECT_EQ(port.QueuedMessages(queue), 0);
  }
  EXPECT_FALSE(port.IsEditorAttached());
  // Registering the same class again changes nothing; a second class grows every queue.
  EXPECT_TRUE(port.RegisterMessageOfType(kMessageClass));
  EXPECT_EQ(port.QueueCapacity(PortQueue::kSynth), 2048);
  EXPECT_TRUE(port.RegisterMessageOfType(1));
  EXPECT_EQ(port.QueueCapacity(PortQueue::kSynth), 3072);
  EXPECT_EQ(port.AvailableMessages(1), kFullPool);
  EXPECT_FALSE(port.RegisterMessageOfType(MessagePort::kMaxMessageClasses));
}

TEST_F(MessagePortTest, AClassWithItsOwnCapacityGetsItsOwnPoolAndGrowth) {
  MessagePort port;
  ASSERT_TRUE(port.RegisterMessageOfType(2, nullptr, 4));
  EXPECT_EQ(port.CreatedMessages(2), 8);
  EXPECT_EQ(port.AvailableMessages(2), 8);
  EXPECT_EQ(port.AvailableMessages(), kFullPool);
  for (PortQueue queue : {PortQueue::kSynth, PortQueue::kEditor, PortQueue::kDisposal}) {
    EXPECT_EQ(port.QueueCapacity(queue), 2048 + 4);
  }
  // Its pool has room for 12: four messages made past the pool still find a place back.
  std::vector<Message*> held;
  for (int i = 0; i < 12; ++i) held.push_back(port.GetAllocatableMessage(2));
  EXPECT_EQ(port.CreatedMessages(2), 12);
  for (Message* message : held) port.DisposeOfMessage(message);
  EXPECT_EQ(port.AvailableMessages(2), 12);
  EXPECT_EQ(port.QueuedMessages(PortQueue::kDisposal), 0);
}

TEST_F(MessagePortTest, WithEveryMessageInFlightPostsDoNothing) {
  MessagePort port;
  port.SetEditorAttached(true);
  std::vector<Message*> held;
  while (Message* message = port.GetMessage()) held.push_back(message);
  EXPECT_EQ(static_cast<int32_t>(held.size()), kFullPool);
  EXPECT_EQ(port.GetMessage(), nullptr);
  EXPECT_FALSE(port.PostMessageToSynth(MessageType::e_panic));
  EXPECT_FALSE(port.PostMessageToEditor(MessageType::e_updateAll));
  EXPECT_FALSE(port.PostGlobalMessageToEditor(MessageType::e_updateAll));
  EXPECT_EQ(port.QueuedMessages(PortQueue::kSynth), 0);
  EXPECT_EQ(port.QueuedMessages(PortQueue::kEditor), 0);
  for (Message* message : held) port.DisposeOfMessage(message);
  EXPECT_EQ(port.AvailableMessages(), kFullPool);
}

TEST_F(MessagePortTest, FullQueueReturnsTheMessageToItsPool) {
  MessagePort port(4);  // pools of 8 with room for 12, queues of 8
  port.SetEditorAttached(true);
  for (int i = 0; i < 8; ++i) ASSERT_TRUE(port.PostMessageToSynth(MessageType::e_panic));
  EXPECT_EQ(port.AvailableMessages(), 0);
  Message* extra = port.GetAllocatableMessage();
  ASSERT_NE(extra, nullptr);
  extra->SetType(MessageType::e_panic);
  EXPECT_FALSE(port.PostMessageToSynth(extra));
  EXPECT_EQ(port.QueuedMessages(PortQueue::kSynth), 8);
  EXPECT_EQ(port.AvailableMessages(), 1);

  port.ClearAllMessages(PortQueue::kSynth);
  EXPECT_EQ(port.AvailableMessages(), 9);
  for (int i = 0; i < 8; ++i) ASSERT_TRUE(port.PostMessageToEditor(MessageType::e_updateAll));
  EXPECT_FALSE(port.PostMessageToEditor(MessageType::e_updateAll));
  EXPECT_EQ(port.QueuedMessages(PortQueue::kEditor), 8);
  EXPECT_EQ(port.AvailableMessages(), 1);
}

TEST_F(MessagePortTest, DeliversInQueueOrderToHandlersInRegistrationOrder) {
  MessagePort port;
  ASSERT_TRUE(port.RegisterSynthHandler(kMessageClass, &first_));
  ASSERT_TRUE(port.RegisterSynthHandler(kMessageClass, &second_));
  ASSERT_TRUE(port.PostMessageToSynth(MessageType::e_setFilterParameter, {34, 0, 0.75f}));
  ASSERT_TRUE(port.PostMessageToSynth(MessageType::e_setOversampling, 3, {4}));
  ASSERT_TRUE(port.PostMessageToSynth(MessageType::e_panic));
  EXPECT_EQ(port.ProcessSynthMessages(), 3);

  struct Expected {
    int handler;
    MessageType type;
    int32_t engineIndex;
  };
  const Expected expected[] = {
      {1, MessageType::e_setFilterParameter, -1},
      {2, MessageType::e_setFilterParameter, -1},
      {1, MessageType::e_setOversampling, 3},
      {2, MessageType::e_setOversampling, 3},
      {1, MessageType::e_panic, -1},
      {2, MessageType::e_panic, -1},
  };
  ASSERT_EQ(log_.size(), std::size(expected));
  for (size_t i = 0; i < log_.size(); ++i) {
    EXPECT_EQ(log_[i].handler, expected[i].handler) << i;
    EXPECT_EQ(log_[i].type, expected[i].type) << i;
    EXPECT_EQ(log_[i].engineIndex, expected[i].engineIndex) << i;
  }
  EXPECT_EQ(log_[0].values[0].AsInt(), 34);
  EXPECT_EQ(log_[0].values[1].AsInt(), 0);
  EXPECT_FLOAT_EQ(log_[0].values[2].AsFloat(), 0.75f);
  EXPECT_EQ(log_[2].values[0].AsInt(), 4);
  EXPECT_TRUE(log_[2].values[1].IsEmpty());
  EXPECT_TRUE(log_[4].values[0].IsEmpty());
  EXPECT_EQ(port.ProcessSynthMessages(), 0);
}

TEST_F(MessagePortTest, ConvenienceFormsCopyAtMostThreeValues) {
  MessagePort port;
  port.RegisterSynthHandler(kMessageClass, &first_);
  ASSERT_TRUE(port.PostMessageToSynth(MessageType::e_setFilterParameter, {1, 2, 3, 4}));
  port.ProcessSynthMessages();
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_EQ(log_[0].values[2].AsInt(), 3);
}

TEST_F(MessagePortTest, DeliveredMessagesAreResetAndBackInThePool) {
  MessagePort port;
  port.RegisterSynthHandler(kMessageClass, &first_);
  for (int i = 0; i < 5; ++i) {
    Message* message = port.GetMessage();
    ASSERT_NE(message, nullptr);
    message->SetType(MessageType::e_setFilterParameter);
    message->SetNoEcho(true);
    for (int index = 0; index < Message::kIndexCount; ++index) {
      message->SetIndex(static_cast<MessageIndex>(index), i + index);
    }
    message->SetValue(0, i);
    ASSERT_TRUE(port.PostMessageToSynth(message));
  }
  EXPECT_EQ(port.AvailableMessages(), kFullPool - 5);
  port.ProcessSynthMessages();
  EXPECT_EQ(port.AvailableMessages(), kFullPool);
  ASSERT_EQ(first_.seen.size(), 5u);
  for (const Message* message : first_.seen) {
    EXPECT_EQ(message->Type(), MessageType::e_noMessage);
    EXPECT_FALSE(message->NoEcho());
    for (int index = 0; index < Message::kIndexCount; ++index) {
      EXPECT_EQ(message->Index(static_cast<MessageIndex>(index)), -1);
    }
    EXPECT_TRUE(message->Value(0).IsEmpty());
  }
}

TEST_F(MessagePortTest, WithoutAnEditorNotificationsAreDroppedAndThePoolStaysFull) {
  MessagePort port;
  port.RegisterEditorHandler(kMessageClass, &first_);
  EXPECT_FALSE(port.PostMessageToEditor(MessageType::e_updateFilterParameter, {34, 0, 0.5f}));
  EXPECT_FALSE(port.PostGlobalMessageToEditor(MessageType::e_updateAll));
  EXPECT_FALSE(port.PostAllocatableMessageToEditor(MessageType::e_removeDialog));
  Message* message = port.GetMessage();
  ASSERT_NE(message, nullptr);
  EXPECT_FALSE(port.PostMessageToEditor(message));
  EXPECT_EQ(port.AvailableMessages(), kFullPool);
  EXPECT_EQ(port.CreatedMessages(), kFullPool);
  EXPECT_EQ(port.QueuedMessages(PortQueue::kEditor), 0);
  port.ProcessEditorMessages();
  EXPECT_TRUE(log_.empty());

  port.SetEditorAttached(true);
  EXPECT_TRUE(port.PostMessageToEditor(MessageType::e_updateAll));
  EXPECT_EQ(port.ProcessEditorMessages(), 1);
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_EQ(log_[0].type, MessageType::e_updateAll);
}

TEST_F(MessagePortTest, EachSideReachesOnlyItsOwnHandlers) {
  MessagePort port;
  port.SetEditorAttached(true);
  port.RegisterSynthHandler(kMessageClass, &first_);
  port.RegisterEditorHandler(kMessageClass, &second_);
  port.PostMessageToSynth(MessageType::e_panic);
  port.PostMessageToEditor(MessageType::e_updateAll);
  port.ProcessEditorMessages();
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_EQ(log_[0].handler, 2);
  port.ProcessSynthMessages();
  ASSERT_EQ(log_.size(), 2u);
  EXPECT_EQ(log_[1].handler, 1);
}

TEST_F(MessagePortTest, GetAllocatableMessageGrowsThePoolWhenEmpty) {
  MessagePort port;
  std::vector<Message*> held;
  while (Message* message = port.GetMessage()) held.push_back(message);
  Message* extra = port.GetAllocatableMessage();
  ASSERT_NE(extra, nullptr);
  EXPECT_EQ(extra->Type(), MessageType::e_noMessage);
  EXPECT_EQ(extra->Index(MessageIndex::kEngine), -1);
  EXPECT_EQ(port.CreatedMessages(), kFullPool + 1);
  held.push_back(extra);
  for (Message* message : held) port.DisposeOfMessage(message);
  EXPECT_EQ(port.AvailableMessages(), kFullPool + 1);
  // With messages in the pool it takes from there.
  Message* pooled = port.GetAllocatableMessage();
  EXPECT_EQ(port.CreatedMessages(), kFullPool + 1);
  port.DisposeOfMessage(pooled);
  EXPECT_EQ(port.GetAllocatableMessage(7), nullptr);  // a class never registered
}

TEST_F(MessagePortTest, OverflowingPoolUsesTheDisposalQueue) {
  MessagePort port(2);  // 4 messages, pool room 6, disposal room 4
  std::vector<Message*> held;
  for (int i = 0; i < 7; ++i) held.push_back(port.GetAllocatableMessage());
  EXPECT_EQ(port.CreatedMessages(), 7);
  for (Message* message : held) port.DisposeOfMessage(message);
  EXPECT_EQ(port.AvailableMessages(), 6);
  EXPECT_EQ(port.QueuedMessages(PortQueue::kDisposal), 1);
  port.DeallocateDisposableMessages();
  EXPECT_EQ(port.QueuedMessages(PortQueue::kDisposal), 0);
  EXPECT_EQ(port.CreatedMessages(), 6);

  // Room made in the pool takes the waiting message back instead of deleting it.
  held.clear();
  for (int i = 0; i < 7; ++i) held.push_back(port.GetAllocatableMessage());
  for (Message* message : held) port.DisposeOfMessage(message);
  Message* taken = port.GetMessage();
  port.DeallocateDisposableMessages();
  EXPECT_EQ(port.AvailableMessages(), 6);
  EXPECT_EQ(port.CreatedMessages(), 7);
  port.DisposeOfMessage(taken);
}

TEST_F(MessagePortTest, UnknownTypesGoBackUnhandled) {
  MessagePort port;
  port.RegisterSynthHandler(kMessageClass, &first_);
  for (int32_t type : {31, -1, 1000, 14}) {
    Message* message = port.GetMessage();
    message->SetType(static_cast<MessageType>(type));
    ASSERT_TRUE(port.PostMessageToSynth(message));
  }
  EXPECT_EQ(port.ProcessSynthMessages(), 4);
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_EQ(log_[0].type, MessageType::e_setFilterParameter);
  EXPECT_EQ(port.AvailableMessages(), kFullPool);
}

TEST_F(MessagePortTest, AThrowingHandlerDoesNotStopDelivery) {
  MessagePort port;
  first_.throwOn = MessageType::e_panic;
  port.RegisterSynthHandler(kMessageClass, &first_);
  port.RegisterSynthHandler(kMessageClass, &second_);
  port.PostMessageToSynth(MessageType::e_panic);
  port.PostMessageToSynth(MessageType::e_updateAll);
  EXPECT_EQ(port.ProcessSynthMessages(), 2);
  ASSERT_EQ(log_.size(), 4u);
  EXPECT_EQ(log_[1].handler, 2);
  EXPECT_EQ(log_[1].type, MessageType::e_panic);
  EXPECT_EQ(log_[3].type, MessageType::e_updateAll);
  EXPECT_EQ(port.AvailableMessages(), kFullPool);
}

TEST_F(MessagePortTest, ClearingAQueueReturnsMessagesWithoutDelivering) {
  MessagePort port;
  port.RegisterSynthHandler(kMessageClass, &first_);
  for (int i = 0; i < 10; ++i) port.PostMessageToSynth(MessageType::e_panic);
  port.ClearAllMessages(PortQueue::kSynth);
  EXPECT_EQ(port.QueuedMessages(PortQueue::kSynth), 0);
  EXPECT_EQ(port.AvailableMessages(), kFullPool);
  EXPECT_EQ(port.ProcessSynthMessages(), 0);
  EXPECT_TRUE(log_.empty());
}

TEST_F(MessagePortTest, RemovedHandlersNoLongerReceive) {
  MessagePort port;
  port.RegisterSynthHandler(kMessageClass, &first_);
  port.RegisterSynthHandler(kMessageClass, &second_);
  port.UnregisterSynthHandler(&first_);
  port.PostMessageToSynth(MessageType::e_panic);
  port.ProcessSynthMessages();
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_EQ(log_[0].handler, 2);

  port.ClearAllMessageHandlers();
  port.PostMessageToSynth(MessageType::e_panic);
  port.ProcessSynthMessages();
  EXPECT_EQ(log_.size(), 1u);
  EXPECT_EQ(port.AvailableMessages(), kFullPool);
}

TEST_F(MessagePortTest, HandlerListsAreBounded) {
  MessagePort port;
  std::vector<std::unique_ptr<RecordingHandler>> handlers;
  for (int i = 0; i < MessagePort::kMaxHandlersPerClass; ++i) {
    handlers.push_back(std::make_unique<RecordingHandler>(i, log_));
    EXPECT_TRUE(port.RegisterEditorHandler(kMessageClass, handlers.back().get()));
  }
  EXPECT_FALSE(port.RegisterEditorHandler(kMessageClass, &first_));
  // Removing the last one makes room again.
  port.UnregisterEditorHandler(handlers.back().get());
  EXPECT_TRUE(port.RegisterEditorHandler(kMessageClass, &first_));
  EXPECT_FALSE(port.RegisterEditorHandler(kMessageClass, nullptr));
}

// A handler that answers every message with a new one on its own queue must not trap the thread.
class EchoingHandler : public IMessageHandler {
 public:
  explicit EchoingHandler(MessagePort& port) : port_(port) {}
  void HandleMessage(Message&) override {
    ++calls;
    port_.PostMessageToSynth(MessageType::e_panic);
  }
  int calls = 0;

 private:
  MessagePort& port_;
};

TEST_F(MessagePortTest, OneDeliveryRoundIsBoundedByTheQueueCapacity) {
  MessagePort port(4);
  EchoingHandler echo(port);
  port.RegisterSynthHandler(kMessageClass, &echo);
  port.PostMessageToSynth(MessageType::e_panic);
  EXPECT_EQ(port.ProcessSynthMessages(), port.QueueCapacity(PortQueue::kSynth));
  EXPECT_EQ(echo.calls, port.QueueCapacity(PortQueue::kSynth));
  EXPECT_EQ(port.QueuedMessages(PortQueue::kSynth), 1);
}

}  // namespace
