// The message port's pools, queues, handler lists and delivery loop.
#include "plugin/MessagePort.h"

#include <thread>

#include "support/VException.h"

namespace {

// The handler maps this thread is delivering from right now, innermost last. Removing a handler
// waits for deliveries on other threads only: a handler may remove itself (or a sibling) while it
// is being called.
struct DeliveryStack {
  static constexpr int kDepth = 32;
  const void* maps[kDepth];
  int depth = 0;
};
thread_local DeliveryStack tDeliveries;

int DeliveriesOnThisThread(const void* map) {
  int own = 0;
  const int depth =
      tDeliveries.depth < DeliveryStack::kDepth ? tDeliveries.depth : DeliveryStack::kDepth;
  for (int i = 0; i < depth; ++i) {
    if (tDeliveries.maps[i] == map) ++own;
  }
  return own;
}

class DeliveryScope {
 public:
  DeliveryScope(const void* map, std::atomic<int32_t>& counter) : counter_(counter) {
    counter_.fetch_add(1);
    if (tDeliveries.depth < DeliveryStack::kDepth) tDeliveries.maps[tDeliveries.depth] = map;
    ++tDeliveries.depth;
  }
  ~DeliveryScope() {
    --tDeliveries.depth;
    counter_.fetch_sub(1);
  }
  DeliveryScope(const DeliveryScope&) = delete;
  DeliveryScope& operator=(const DeliveryScope&) = delete;

 private:
  std::atomic<int32_t>& counter_;
};

}  // namespace

MessagePort::MessagePort(int32_t capacity)
    : capacity_(capacity < 1 ? 1 : capacity),
      synthQueue_(std::make_unique<Ring>(capacity_)),
      editorQueue_(std::make_unique<Ring>(capacity_)),
      disposalQueue_(std::make_unique<Ring>(capacity_)) {
  RegisterMessageOfType(kMessageClass);
}

MessagePort::~MessagePort() {
  ClearAllMessages(PortQueue::kSynth);
  ClearAllMessages(PortQueue::kEditor);
  ClearAllMessageHandlers();
  DeallocateDisposableMessages();
  ClearAllMessagePools();
}

// --- classes and pools
// -----------------------------------------------------------------------------

bool MessagePort::RegisterMessageOfType(MessageClassId messageClass, MessageFactory factory,
                                        int32_t classCapacity) {
  if (messageClass < 0 || messageClass >= kMaxMessageClasses) return false;
  ClassEntry& entry = classes_[messageClass];
  if (entry.pool.load() != nullptr) return true;
  const int32_t capacity = classCapacity > 0 ? classCapacity : capacity_;
  entry.factory = factory;
  auto pool = std::make_unique<Ring>(3 * capacity);
  for (int32_t i = 0; i < 2 * capacity; ++i) {
    Message* message = NewMessage(messageClass);
    if (message == nullptr) break;
    pool->Add(message);
  }
  entry.pool.store(pool.release());
  Grow(synthQueue_, capacity);
  Grow(editorQueue_, capacity);
  Grow(disposalQueue_, capacity);
  return true;
}

bool MessagePort::IsRegistered(MessageClassId messageClass) const {
  return PoolOf(messageClass) != nullptr;
}

void MessagePort::ClearAllMessagePools() {
  for (ClassEntry& entry : classes_) {
    Ring* pool = entry.pool.exchange(nullptr);
    if (pool == nullptr) continue;
    while (Message* message = pool->Take()) delete message;
    delete pool;
    entry.created.store(0);
    entry.factory = nullptr;
  }
}

MessagePort::Ring* MessagePort::PoolOf(MessageClassId messageClass) const {
  if (messageClass < 0 || messageClass >= kMaxMessageClasses) return nullptr;
  return classes_[messageClass].pool.load(std::memory_order_acquire);
}

MessagePort::Ring* MessagePort::QueueOf(PortQueue queue) const {
  switch (queue) {
    case PortQueue::kSynth:
      return synthQueue_.get();
    case PortQueue::kEditor:
      return editorQueue_.get();
    case PortQueue::kDisposal:
    default:
      return disposalQueue_.get();
  }
}

Message* MessagePort::NewMessage(MessageClassId messageClass) {
  ClassEntry& entry = classes_[messageClass];
  Message* message = entry.factory ? entry.factory(messageClass) : new Message(messageClass);
  if (message != nullptr) {
    message->Reset();
    entry.created.fetch_add(1);
  }
  return message;
}

void MessagePort::Grow(std::unique_ptr<Ring>& queue, int32_t extra) {
  auto grown = std::make_unique<Ring>(queue->Capacity() + extra);
  while (Message* message = queue->Take()) grown->Add(message);
  queue = std::move(grown);
}

// --- handlers
// --------------------------------------------------------------------------------------

bool MessagePort::RegisterSynthHandler(MessageClassId messageClass, IMessageHandler* handler) {
  return RegisterHandler(synthHandlers_, messageClass, handler);
}

bool MessagePort::RegisterEditorHandler(MessageClassId messageClass, IMessageHandler* handler) {
  return RegisterHandler(editorHandlers_, messageClass, handler);
}

void MessagePort::UnregisterSynthHandler(IMessageHandler* handler) {
  UnregisterHandler(synthHandlers_, handler);
}

void MessagePort::UnregisterEditorHandler(IMessageHandler* handler) {
  UnregisterHandler(editorHandlers_, handler);
}

void MessagePort::ClearAllMessageHandlers() {
  ClearHandlers(synthHandlers_);
  ClearHandlers(editorHandlers_);
}

bool MessagePort::RegisterHandler(HandlerMap& map, MessageClassId messageClass,
                                  IMessageHandler* handler) {
  if (handler == nullptr || messageClass < 0 || messageClass >= kMaxMessageClasses) return false;
  HandlerList& list = map.lists[messageClass];
  const int32_t count = list.count.load();
  if (count >= kMaxHandlersPerClass) return false;
  list.handlers[count].store(handler);
  list.count.store(count + 1);
  return true;
}

void MessagePort::UnregisterHandler(HandlerMap& map, IMessageHandler* handler) {
  if (handler == nullptr) return;
  for (HandlerList& list : map.lists) {
    int32_t count = list.count.load();
    for (int32_t i = 0; i < count; ++i) {
      if (list.handlers[i].load() == handler) list.handlers[i].store(nullptr);
    }
    while (count > 0 && list.handlers[count - 1].load() == nullptr) --count;
    list.count.store(count);
  }
  // A delivery on another thread may have read the handler just before its slot was cleared.
  const int own = DeliveriesOnThisThread(&map);
  while (map.deliveries.load() > own) std::this_thread::yield();
}

void MessagePort::ClearHandlers(HandlerMap& map) {
  for (HandlerList& list : map.lists) {
    const int32_t count = list.count.load();
    list.count.store(0);
    for (int32_t i = 0; i < count; ++i) list.handlers[i].store(nullptr);
  }
  const int own = DeliveriesOnThisThread(&map);
  while (map.deliveries.load() > own) std::this_thread::yield();
}

// --- taking and returning messages
// -----------------------------------------------------------------

Message* MessagePort::GetMessage(MessageClassId messageClass) {
  Ring* pool = PoolOf(messageClass);
  if (pool == nullptr) return nullptr;
  Message* message = pool->Take();
  if (message != nullptr) message->Reset();
  return message;
}

Message* MessagePort::GetAllocatableMessage(MessageClassId messageClass) {
  Message* message = GetMessage(messageClass);
  if (message == nullptr && PoolOf(messageClass) != nullptr) message = NewMessage(messageClass);
  return message;
}

void MessagePort::DisposeOfMessage(Message* message) {
  if (message == nullptr) return;
  message->Reset();
  Ring* pool = PoolOf(message->Class());
  if (pool != nullptr && pool->Add(message)) return;
  if (disposalQueue_->Add(message)) return;
  // Only reachable with more than five times the capacity of allocatable messages in flight.
  if (pool != nullptr) classes_[message->Class()].created.fetch_sub(1);
  delete message;
}

void MessagePort::DeallocateDisposableMessages() {
  const int32_t pending = disposalQueue_->Count();
  for (int32_t i = 0; i < pending; ++i) {
    Message* message = disposalQueue_->Take();
    if (message == nullptr) break;
    Ring* pool = PoolOf(message->Class());
    if (pool != nullptr && pool->Add(message)) continue;
    if (pool != nullptr) classes_[message->Class()].created.fetch_sub(1);
    delete message;
  }
}

void MessagePort::ClearAllMessages(PortQueue queue) {
  if (queue == PortQueue::kDisposal) {
    DeallocateDisposableMessages();
    return;
  }
  Ring* ring = QueueOf(queue);
  const int32_t limit = ring->Capacity();
  for (int32_t i = 0; i < limit; ++i) {
    Message* message = ring->Take();
    if (message == nullptr) break;
    DisposeOfMessage(message);
  }
}

// --- posting
// ---------------------------------------------------------------------------------------

bool MessagePort::Fill(Message* message, MessageType type, int32_t firstIndex,
                       std::initializer_list<MessageValue> values) {
  if (message == nullptr) return false;
  message->SetType(type);
  message->SetIndex(MessageIndex::kEngine, firstIndex);
  int slot = 0;
  for (const MessageValue& value : values) {
    if (slot == Message::kValueCount) break;
    message->SetValue(slot++, value);
  }
  return true;
}

bool MessagePort::PostMessageToSynth(Message* message) {
  if (message == nullptr) return false;
  if (synthQueue_->Add(message)) return true;
  DisposeOfMessage(message);
  return false;
}

bool MessagePort::PostMessageToSynth(MessageType type, int32_t firstIndex,
                                     std::initializer_list<MessageValue> values) {
  Message* message = GetMessage(kMessageClass);
  return Fill(message, type, firstIndex, values) && PostMessageToSynth(message);
}

bool MessagePort::PostMessageToSynth(MessageType type, std::initializer_list<MessageValue> values) {
  return PostMessageToSynth(type, -1, values);
}

bool MessagePort::PostMessageToEditor(Message* message) {
  if (message == nullptr) return false;
  if (IsEditorAttached() && editorQueue_->Add(message)) return true;
  DisposeOfMessage(message);
  return false;
}

bool MessagePort::PostMessageToEditor(MessageType type,
                                      std::initializer_list<MessageValue> values) {
  // Without an editor the pool is not even touched.
  if (!IsEditorAttached()) return false;
  Message* message = GetMessage(kMessageClass);
  return Fill(message, type, -1, values) && PostMessageToEditor(message);
}

bool MessagePort::PostGlobalMessageToEditor(MessageType type,
                                            std::initializer_list<MessageValue> values) {
  return PostMessageToEditor(type, values);
}

bool MessagePort::PostAllocatableMessageToEditor(MessageType type,
                                                 std::initializer_list<MessageValue> values) {
  if (!IsEditorAttached()) return false;
  Message* message = GetAllocatableMessage(kMessageClass);
  return Fill(message, type, -1, values) && PostMessageToEditor(message);
}

// --- delivery
// --------------------------------------------------------------------------------------

int32_t MessagePort::ProcessSynthMessages() {
  return ProcessMessages(*synthQueue_, synthHandlers_, "MessagePort::ProcessSynthMessages");
}

int32_t MessagePort::ProcessEditorMessages() {
  return ProcessMessages(*editorQueue_, editorHandlers_, "MessagePort::ProcessEditorMessages");
}

int32_t MessagePort::ProcessMessages(Ring& queue, HandlerMap& map, const char* where) {
  const int32_t limit = queue.Capacity();
  int32_t taken = 0;
  while (taken < limit) {
    Message* message = queue.Take();
    if (message == nullptr) break;
    ++taken;
    Deliver(*message, map, where);
    DisposeOfMessage(message);
  }
  return taken;
}

void MessagePort::Deliver(Message& message, HandlerMap& map, const char* where) {
  // A type outside the table is nobody's: it goes back unhandled.
  if (!IsKnownMessageType(message.Type())) return;
  const MessageClassId messageClass = message.Class();
  if (messageClass < 0 || messageClass >= kMaxMessageClasses) return;
  HandlerList& list = map.lists[messageClass];
  DeliveryScope scope(&map, map.deliveries);
  const int32_t count = list.count.load();
  for (int32_t i = 0; i < count; ++i) {
    IMessageHandler* handler = list.handlers[i].load();
    if (handler == nullptr) continue;
    VFoundation::GuardedVoid(where, [&] { handler->HandleMessage(message); });
  }
}

// --- figures
// ---------------------------------------------------------------------------------------

int32_t MessagePort::AvailableMessages(MessageClassId messageClass) const {
  const Ring* pool = PoolOf(messageClass);
  return pool ? pool->Count() : 0;
}

int32_t MessagePort::CreatedMessages(MessageClassId messageClass) const {
  if (messageClass < 0 || messageClass >= kMaxMessageClasses) return 0;
  return classes_[messageClass].created.load();
}

int32_t MessagePort::QueuedMessages(PortQueue queue) const {
  return QueueOf(queue)->Count();
}

int32_t MessagePort::QueueCapacity(PortQueue queue) const {
  return QueueOf(queue)->Capacity();
}
