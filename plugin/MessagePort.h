// The message port between editor and engine: message pools, delivery queues and handlers.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>

#include "plugin/Message.h"
#include "support/LockFreeRing.h"

// Receives the messages of the classes it is registered for, on the thread that processes the
// queue. The message is lent for the call only: the port resets it and returns it to its pool
// afterwards, and every handler of the class sees it in turn (so a handler should leave it as it
// found it).
class IMessageHandler {
 public:
  virtual ~IMessageHandler() = default;
  virtual void HandleMessage(Message& message) = 0;
};

// Creates one message of a registered class (the port resets it before use).
using MessageFactory = Message* (*)(MessageClassId messageClass);

enum class PortQueue { kSynth, kEditor, kDisposal };

// The editor (UI thread) and the engine (audio thread) never call each other:
// requests go to the engine through the synth queue, notifications come back through the editor
// queue. Messages come from pre-filled pools (two times the capacity per class, room for three
// times), so posting and delivering never allocate, lock or block. Every queue and pool is a
// LockFreeRing that any number of threads may use at once; a message belongs to exactly one pool,
// one queue or one holder at any moment. Handlers run outside any lock.
//
// Set-up only (not while other threads post or deliver): construction, RegisterMessageOfType,
// ClearAllMessagePools, destruction. Handler registration and removal happen on one thread (the UI
// thread or set-up) and may overlap with delivery on others.
class MessagePort {
 public:
  static constexpr int32_t kDefaultCapacity = 1024;
  static constexpr int32_t kMaxMessageClasses = 8;
  static constexpr int32_t kMaxHandlersPerClass = 16;

  // set-up: registers the Message class, so that 2 x capacity messages exist from the start.
  explicit MessagePort(int32_t capacity = kDefaultCapacity);
  // Empties the synth and editor queues into the pools, clears the handlers, destroys the pools
  // with their messages and drains the disposal queue. Messages still held outside are the holders'
  // to delete.
  ~MessagePort();
  MessagePort(const MessagePort&) = delete;
  MessagePort& operator=(const MessagePort&) = delete;

  // set-up: the first time a class (0 to kMaxMessageClasses - 1) is seen, creates its pool with
  // room for 3 x capacity messages holding 2 x capacity new ones, and grows each queue by the
  // capacity. The capacity is the port's unless `classCapacity` (above 0) gives the class its own:
  // a class of rare, large messages needs few. `factory` makes the class's messages (a plain
  // Message when null). False for a class outside the range; true when the class is (now)
  // registered.
  bool RegisterMessageOfType(MessageClassId messageClass, MessageFactory factory = nullptr,
                             int32_t classCapacity = 0);
  bool IsRegistered(MessageClassId messageClass) const;

  // UI thread or set-up: appends the handler to the side's list for the class (up to
  // kMaxHandlersPerClass). False when the class is out of range, the list is full or the handler is
  // null.
  bool RegisterSynthHandler(MessageClassId messageClass, IMessageHandler* handler);
  bool RegisterEditorHandler(MessageClassId messageClass, IMessageHandler* handler);
  // UI thread: removes the handler from every class of that side; when it returns, no other thread
  // is still delivering to it, so the handler may be destroyed.
  void UnregisterSynthHandler(IMessageHandler* handler);
  void UnregisterEditorHandler(IMessageHandler* handler);
  // UI thread or set-up.
  void ClearAllMessageHandlers();
  // set-up: destroys every pool with its messages; the classes must be registered again.
  void ClearAllMessagePools();

  // any thread: a reset message from the class's pool; nullptr when the pool is empty.
  Message* GetMessage(MessageClassId messageClass = kMessageClass);
  // UI thread (may allocate): as GetMessage, but creates a new message when the pool is empty.
  Message* GetAllocatableMessage(MessageClassId messageClass = kMessageClass);

  // any thread: queues the message for the engine. When the queue is full the message is reset and
  // returned to its pool and the answer is false.
  bool PostMessageToSynth(Message* message);
  // any thread: takes a message (nothing happens when the pool is empty), sets the type, the first
  // address field ("EngineIndex", -1 when not given) and up to three values, and posts it.
  bool PostMessageToSynth(MessageType type, int32_t firstIndex,
                          std::initializer_list<MessageValue> values);
  bool PostMessageToSynth(MessageType type, std::initializer_list<MessageValue> values = {});

  // any thread: queues the message for the editor. Without an attached editor, or with a full
  // queue, the message is reset and returned to its pool and the answer is false.
  bool PostMessageToEditor(Message* message);
  bool PostMessageToEditor(MessageType type, std::initializer_list<MessageValue> values = {});
  // The same for notifications meant for every view of the editor (no address).
  bool PostGlobalMessageToEditor(MessageType type, std::initializer_list<MessageValue> values = {});
  // UI thread (may allocate): as PostMessageToEditor, but with GetAllocatableMessage.
  bool PostAllocatableMessageToEditor(MessageType type,
                                      std::initializer_list<MessageValue> values = {});

  // Delivers the queued messages of one side to its handlers in registration order, then resets
  // each message and returns it to its pool. One call delivers at most the queue's capacity, so a
  // handler that posts to its own queue cannot hold the thread forever. Answers how many messages
  // were taken. Synth side: audio thread (or whoever runs the engine); editor side: UI thread (or
  // the rendering thread when the host renders offline).
  int32_t ProcessSynthMessages();
  int32_t ProcessEditorMessages();

  // any thread: resets the message and returns it to its class's pool; when the pool is full it
  // waits in the disposal queue.
  void DisposeOfMessage(Message* message);
  // UI thread: moves the disposal queue back into the pools; what still does not fit is deleted.
  void DeallocateDisposableMessages();
  // any thread: returns every message of the queue to its pool without delivering it (the disposal
  // queue is drained as by DeallocateDisposableMessages).
  void ClearAllMessages(PortQueue queue);

  // UI thread: set while the editor window is open; notifications are dropped while clear.
  void SetEditorAttached(bool attached) { editorAttached_.store(attached); }
  bool IsEditorAttached() const { return editorAttached_.load(); }

  // any thread: figures for tests and diagnostics.
  int32_t Capacity() const { return capacity_; }
  int32_t AvailableMessages(MessageClassId messageClass = kMessageClass) const;
  int32_t CreatedMessages(MessageClassId messageClass = kMessageClass) const;
  int32_t QueuedMessages(PortQueue queue) const;
  int32_t QueueCapacity(PortQueue queue) const;

 private:
  using Ring = VFoundation::LockFreeRing<Message>;

  // One side's handlers of one class. Slots are written by the registering thread and read by the
  // delivering thread; a removed handler leaves a null slot until the trailing ones are trimmed.
  struct HandlerList {
    std::array<std::atomic<IMessageHandler*>, kMaxHandlersPerClass> handlers{};
    std::atomic<int32_t> count{0};
  };
  struct HandlerMap {
    std::array<HandlerList, kMaxMessageClasses> lists;
    // Deliveries of this side running right now, on any thread.
    std::atomic<int32_t> deliveries{0};
  };
  struct ClassEntry {
    std::atomic<Ring*> pool{nullptr};
    MessageFactory factory = nullptr;
    std::atomic<int32_t> created{0};
  };

  Ring* PoolOf(MessageClassId messageClass) const;
  Ring* QueueOf(PortQueue queue) const;
  Message* NewMessage(MessageClassId messageClass);
  bool Fill(Message* message, MessageType type, int32_t firstIndex,
            std::initializer_list<MessageValue> values);
  // The common delivery loop of the two Process operations.
  int32_t ProcessMessages(Ring& queue, HandlerMap& map, const char* where);
  void Deliver(Message& message, HandlerMap& map, const char* where);
  // The common registration of the two Register operations.
  bool RegisterHandler(HandlerMap& map, MessageClassId messageClass, IMessageHandler* handler);
  void UnregisterHandler(HandlerMap& map, IMessageHandler* handler);
  void ClearHandlers(HandlerMap& map);
  // Replaces a queue with one that is `extra` entries larger, keeping its contents (set-up).
  static void Grow(std::unique_ptr<Ring>& queue, int32_t extra);

  const int32_t capacity_;
  std::unique_ptr<Ring> synthQueue_;
  std::unique_ptr<Ring> editorQueue_;
  std::unique_ptr<Ring> disposalQueue_;
  std::array<ClassEntry, kMaxMessageClasses> classes_;
  HandlerMap synthHandlers_;
  HandlerMap editorHandlers_;
  std::atomic<bool> editorAttached_{false};
};
