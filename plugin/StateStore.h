// The store between the UI thread and the audio thread: carries a loaded state to the audio thread
// and a consistent reading of the engine back from it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include "plugin/PluginState.h"

// Hands loaded states to the audio thread and readings of the engine back to the UI thread.
//
// Loads: the UI thread fills one of two pre-allocated slots and publishes it through an atomic
// pointer; the audio thread takes it at the start of a block. A slot the audio thread may still be
// reading is never refilled, and a load not yet taken is merged into the newer one. Readings: the
// audio thread publishes the engine's values at the end of every block through a sequence lock
// whose every field is atomic, so the UI thread gets one block's values, never a mix. UI-side calls
// are serialised by UiMutex().
class StateStore {
 public:
  // A loaded state on its way to the audio thread.
  struct PendingLoad {
    PluginState state;
    uint64_t generation = 0;
  };

  StateStore() = default;
  StateStore(const StateStore&) = delete;
  StateStore& operator=(const StateStore&) = delete;

  // UI thread: serialises the chunk, preset and bindings calls of every UI-side caller.
  std::mutex& UiMutex() { return uiMutex_; }

  // UI thread, before a load changes anything the audio thread also writes (the host values): takes
  // back a load the audio thread has not taken and waits until it has finished applying one it has.
  void StopLoads();
  // UI thread, after StopLoads: queues `state` for the audio thread and answers its generation.
  uint64_t PostLoad(const PluginState& state);
  // UI thread, after StopLoads: no load is on its way (the UI thread applies one itself).
  void ClearLoads();
  // UI thread, after StopLoads: fills the parts `state` lacks from a load StopLoads took back
  // before the audio thread took it, so that a second load does not drop the first one's parts.
  void MergeUntakenLoad(PluginState& state) const;
  // audio thread: the load to apply now, or nullptr. Each call is followed by EndLoad(), after the
  // load is applied and published.
  PendingLoad* TakeLoad();
  void EndLoad(const PendingLoad* load);
  // UI thread: the last queued state while the audio thread has not applied and published it.
  bool UnappliedLoad(PluginState& state) const;

  // audio thread (or the UI thread while no audio runs): the engine's current values.
  void Publish(const EngineState& engine, const TempoState& tempo);
  // UI thread: the last published values; false before the first publication, or when the writer
  // kept it from getting a consistent reading.
  bool ReadPublished(EngineState& engine, TempoState& tempo) const;

  // UI thread: the last host chunk, valid until the next call.
  std::vector<char>& HostChunk() { return hostChunk_; }

 private:
  std::mutex uiMutex_;

  std::array<PendingLoad, 2> slots_;
  std::atomic<PendingLoad*> pending_{nullptr};
  PendingLoad* lastPosted_ = nullptr;
  // A load taken back by StopLoads, to be refilled by PostLoad.
  PendingLoad* reclaimed_ = nullptr;
  // The load the last StopLoads took back, if it had not been taken: its parts are still due.
  const PendingLoad* untaken_ = nullptr;
  // Set by the audio thread from before it looks for a load until it has applied it.
  std::atomic<bool> applying_{false};
  PluginState lastPostedState_;
  uint64_t postedGeneration_ = 0;
  std::atomic<uint64_t> appliedGeneration_{0};

  std::atomic<uint32_t> sequence_{0};
  std::array<std::array<std::atomic<float>, EngineState::kNumColumns>, EngineState::kNumParameters>
      rows_{};
  std::array<std::atomic<uint8_t>, EngineState::kNumColumns> unipolar_{};
  std::array<std::atomic<float>, 2> macroValues_{};
  std::atomic<float> linkOffset_{0.0f};
  std::atomic<double> tempo_{120.0};
  std::atomic<int32_t> numerator_{4};
  std::atomic<int32_t> denominator_{4};
  std::atomic<bool> metro_{false};
  std::atomic<bool> quantize_{false};
  std::atomic<bool> published_{false};

  std::vector<char> hostChunk_;
};
