// Cost of the message port per message: a post and its delivery, the lock-free ring alone, and a
// binding's glide step that posts a parameter change.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "modulation/BindingMap.h"
#include "plugin/MessagePort.h"
#include "support/LockFreeRing.h"

namespace {

class CountingHandler : public IMessageHandler {
 public:
  void HandleMessage(Message& message) override { sum += message.Value(2).AsFloat(); }
  float sum = 0.0f;
};

// One knob turn as the editor sends it and the engine takes it: get, fill, post, deliver, return.
void BM_PostAndDeliverToSynth(benchmark::State& state) {
  const int64_t batch = state.range(0);
  MessagePort port;
  CountingHandler handler;
  port.RegisterSynthHandler(kMessageClass, &handler);
  for (auto _ : state) {
    for (int64_t i = 0; i < batch; ++i) {
      port.PostMessageToSynth(MessageType::e_setFilterParameter, {34, 0, 0.5f});
    }
    port.ProcessSynthMessages();
  }
  benchmark::DoNotOptimize(handler.sum);
  state.SetItemsProcessed(state.iterations() * batch);
}
BENCHMARK(BM_PostAndDeliverToSynth)->Arg(1)->Arg(32)->Arg(1024);

// An engine notification to an open editor, delivered on the editor's timer.
void BM_PostAndDeliverToEditor(benchmark::State& state) {
  MessagePort port;
  port.SetEditorAttached(true);
  CountingHandler handler;
  port.RegisterEditorHandler(kMessageClass, &handler);
  for (auto _ : state) {
    port.PostMessageToEditor(MessageType::e_updateFilterParameter, {34, 0, 0.5f});
    port.ProcessEditorMessages();
  }
  benchmark::DoNotOptimize(handler.sum);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PostAndDeliverToEditor);

// The ring underneath every queue and pool: one add and one take.
void BM_RingAddTake(benchmark::State& state) {
  VFoundation::LockFreeRing<int> ring(2048);
  int item = 0;
  for (auto _ : state) {
    ring.Add(&item);
    benchmark::DoNotOptimize(ring.Take());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RingAddTake);

// A host parameter gliding: one ProcessBindings step (posting one message) and its delivery,
// the work added to every 32-sample sub-block while automation moves.
void BM_BindingGlideStep(benchmark::State& state) {
  MessagePort port;
  CountingHandler handler;
  port.RegisterSynthHandler(kMessageClass, &handler);
  BindingMap map(port);
  Binding binding;
  binding.SetStuffer(&Binding::StuffToValue2);
  Message prototype;
  prototype.SetType(MessageType::e_setFilterParameter);
  prototype.SetValue(0, 5);
  prototype.SetValue(1, 0);
  binding.SetPrototype(prototype);
  map.AddHostBinding(5, binding);
  float target = 0.0f;
  for (auto _ : state) {
    if (map.ActiveBindingCount() == 0) {
      target = target > 0.5f ? 0.1f : 0.9f;
      map.ProcessHostAutomation(5, target);
    }
    map.ProcessBindings();
    port.ProcessSynthMessages();
  }
  benchmark::DoNotOptimize(handler.sum);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BindingGlideStep);

}  // namespace
