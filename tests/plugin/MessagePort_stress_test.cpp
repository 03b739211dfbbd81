// Many threads on the lock-free ring and the message port: nothing lost, nothing taken twice.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "plugin/MessagePort.h"
#include "support/LockFreeRing.h"

namespace {

using VFoundation::LockFreeRing;

// Counts every (producer, sequence) pair it is handed; any pair seen twice is a fault.
class Tally {
 public:
  Tally(int producers, int perProducer)
      : perProducer_(perProducer),
        seen_(
            std::make_unique<std::atomic<int32_t>[]>(static_cast<size_t>(producers) * perProducer)),
        size_(producers * perProducer) {
    for (int i = 0; i < size_; ++i) seen_[i].store(0);
  }
  void Count(int producer, int sequence) {
    seen_[producer * perProducer_ + sequence].fetch_add(1, std::memory_order_relaxed);
  }
  // Items seen exactly once / seen more than once.
  int Once() const {
    return Matching([](int32_t n) { return n == 1; });
  }
  int Duplicated() const {
    return Matching([](int32_t n) { return n > 1; });
  }

 private:
  template <typename Predicate>
  int Matching(Predicate predicate) const {
    int total = 0;
    for (int i = 0; i < size_; ++i) total += predicate(seen_[i].load()) ? 1 : 0;
    return total;
  }
  int perProducer_;
  std::unique_ptr<std::atomic<int32_t>[]> seen_;
  int size_;
};

struct Item {
  int producer;
  int sequence;
};

TEST(LockFreeRingStressTest, ManyProducersAndConsumersAccountForEveryItem) {
  constexpr int kProducers = 4;
  constexpr int kConsumers = 4;
  constexpr int kPerProducer = 20000;
  // A small ring keeps it full and empty in turn, so both failure paths are exercised.
  LockFreeRing<Item> ring(64);
  std::vector<Item> items(kProducers * kPerProducer);
  Tally tally(kProducers, kPerProducer);
  std::atomic<int> taken{0};

  std::vector<std::thread> threads;
  for (int p = 0; p < kProducers; ++p) {
    threads.emplace_back([&, p] {
      for (int s = 0; s < kPerProducer; ++s) {
        Item& item = items[p * kPerProducer + s];
        item = Item{p, s};
        while (!ring.Add(&item)) std::this_thread::yield();
      }
    });
  }
  for (int c = 0; c < kConsumers; ++c) {
    threads.emplace_back([&] {
      while (taken.load() < kProducers * kPerProducer) {
        if (Item* item = ring.Take()) {
          tally.Count(item->producer, item->sequence);
          taken.fetch_add(1);
        } else {
          std::this_thread::yield();
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(tally.Once(), kProducers * kPerProducer);
  EXPECT_EQ(tally.Duplicated(), 0);
  EXPECT_EQ(ring.Count(), 0);
  EXPECT_EQ(ring.Take(), nullptr);
}

TEST(LockFreeRingStressTest, OneProducerAndOneConsumerKeepFirstInFirstOut) {
  constexpr int kItems = 100000;
  LockFreeRing<Item> ring(16);
  std::vector<Item> items(kItems);
  std::atomic<int> outOfOrder{0};
  std::thread producer([&] {
    for (int s = 0; s < kItems; ++s) {
      items[s] = Item{0, s};
      while (!ring.Add(&items[s])) std::this_thread::yield();
    }
  });
  std::thread consumer([&] {
    int expected = 0;
    while (expected < kItems) {
      Item* item = ring.Take();
      if (item == nullptr) {
        std::this_thread::yield();
        continue;
      }
      if (item->sequence != expected) outOfOrder.fetch_add(1);
      ++expected;
    }
  });
  producer.join();
  consumer.join();
  EXPECT_EQ(outOfOrder.load(), 0);
}

// The engine side: counts the editor's requests and answers each with a notification, as the
// plug-in does for parameter changes.
class EngineHandler : public IMessageHandler {
 public:
  EngineHandler(MessagePort& port, Tally& tally) : port_(port), tally_(tally) {}
  void HandleMessage(Message& message) override {
    const int producer = message.Index(MessageIndex::kEngine);
    const int sequence = message.Value(0).AsInt();
    tally_.Count(producer, sequence);
    if (port_.PostMessageToEditor(MessageType::e_updateFilterParameter, {producer, sequence})) {
      notified.fetch_add(1);
    }
    handled.fetch_add(1);
  }
  std::atomic<int> handled{0};
  std::atomic<int> notified{0};

 private:
  MessagePort& port_;
  Tally& tally_;
};

class EditorHandler : public IMessageHandler {
 public:
  void HandleMessage(Message&) override { received.fetch_add(1); }
  std::atomic<int> received{0};
};

TEST(MessagePortStressTest, EditorsAndEnginesShareThePortWithoutLosingMessages) {
  constexpr int kEditors = 3;
  constexpr int kPerEditor = 6000;
  constexpr int kTotal = kEditors * kPerEditor;
  MessagePort port;
  port.SetEditorAttached(true);
  Tally tally(kEditors, kPerEditor);
  EngineHandler engine(port, tally);
  EditorHandler editor;
  port.RegisterSynthHandler(kMessageClass, &engine);
  port.RegisterEditorHandler(kMessageClass, &editor);

  std::atomic<int> posted{0};
  std::vector<std::thread> threads;
  for (int e = 0; e < kEditors; ++e) {
    threads.emplace_back([&, e] {
      for (int s = 0; s < kPerEditor; ++s) {
        // A post fails while the pool is drained or the queue is full; retry like a user would.
        while (!port.PostMessageToSynth(MessageType::e_setFilterParameter, e, {s})) {
          std::this_thread::yield();
        }
        posted.fetch_add(1);
      }
    });
  }
  // Two threads run the engine side (the audio thread and the idle path), two the editor side.
  for (int i = 0; i < 2; ++i) {
    threads.emplace_back([&] {
      while (engine.handled.load() < kTotal) {
        if (port.ProcessSynthMessages() == 0) std::this_thread::yield();
      }
    });
  }
  std::atomic<bool> engineDone{false};
  for (int i = 0; i < 2; ++i) {
    threads.emplace_back([&] {
      while (!engineDone.load()) {
        if (port.ProcessEditorMessages() == 0) std::this_thread::yield();
      }
      port.ProcessEditorMessages();
    });
  }
  for (int i = 0; i < kEditors + 2; ++i) threads[i].join();
  engineDone.store(true);
  for (size_t i = kEditors + 2; i < threads.size(); ++i) threads[i].join();
  port.ProcessEditorMessages();

  EXPECT_EQ(posted.load(), kTotal);
  EXPECT_EQ(tally.Once(), kTotal);
  EXPECT_EQ(tally.Duplicated(), 0);
  // A notification is dropped only when the pool or the editor queue was exhausted; every one that
  // was posted arrives exactly once.
  EXPECT_EQ(editor.received.load(), engine.notified.load());
  EXPECT_GT(editor.received.load(), 0);
  EXPECT_EQ(port.AvailableMessages(), 2 * MessagePort::kDefaultCapacity);
  EXPECT_EQ(port.QueuedMessages(PortQueue::kSynth), 0);
  EXPECT_EQ(port.QueuedMessages(PortQueue::kEditor), 0);
}

// The editor closes and reopens while the rendering thread delivers editor messages: once removal
// returns, the handler may be destroyed.
TEST(MessagePortStressTest, HandlersCanBeRemovedWhileAnotherThreadDelivers) {
  MessagePort port;
  port.SetEditorAttached(true);
  std::atomic<bool> done{false};
  std::thread renderer([&] {
    while (!done.load()) {
      port.PostMessageToEditor(MessageType::e_updateAll);
      port.ProcessEditorMessages();
    }
  });
  int delivered = 0;
  for (int round = 0; round < 300; ++round) {
    auto handler = std::make_unique<EditorHandler>();
    port.RegisterEditorHandler(kMessageClass, handler.get());
    while (handler->received.load() == 0 && round % 10 == 0) std::this_thread::yield();
    port.UnregisterEditorHandler(handler.get());
    delivered += handler->received.load();
    handler.reset();  // a delivery still running would now touch freed memory
  }
  done.store(true);
  renderer.join();
  port.ProcessEditorMessages();
  EXPECT_GT(delivered, 0);
  EXPECT_EQ(port.AvailableMessages(), 2 * MessagePort::kDefaultCapacity);
}

}  // namespace
