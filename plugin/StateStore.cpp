// The store between the UI thread and the audio thread: two load slots and a sequence lock.
#include "plugin/StateStore.h"

#include <thread>

namespace {

// The UI thread waits on the audio thread at most this many yields: for a reading that is not torn
// (the writer holds the sequence odd for about a microsecond per block) or for an apply to end.
// Only a stalled audio thread makes it give up, and then it takes what it has.
constexpr int kMaxWaitSteps = 100000;

}  // namespace

void StateStore::StopLoads() {
  PendingLoad* reclaimed = pending_.exchange(nullptr);
  if (reclaimed) reclaimed_ = reclaimed;
  untaken_ = reclaimed;
  // The audio thread raises the flag before it takes a load, so once the load is out of its reach
  // the flag tells whether it is still applying one it took: until the end of the block that took
  // it, when its values are published. The bound only guards against a stalled audio thread.
  for (int attempt = 0; attempt < kMaxWaitSteps && applying_.load(); ++attempt) {
    std::this_thread::yield();
  }
}

uint64_t StateStore::PostLoad(const PluginState& state) {
  // A reclaimed slot was never taken. Otherwise the audio thread may still read the last posted
  // slot (a stalled apply), but it finished with the other one before it took that.
  PendingLoad* slot = reclaimed_;
  if (!slot) slot = lastPosted_ == &slots_[0] ? &slots_[1] : &slots_[0];
  reclaimed_ = nullptr;
  slot->state = state;
  slot->generation = ++postedGeneration_;
  lastPosted_ = slot;
  lastPostedState_ = state;
  pending_.store(slot);
  return slot->generation;
}

void StateStore::MergeUntakenLoad(PluginState& state) const {
  if (!untaken_) return;
  const PluginState& earlier = untaken_->state;
  if (!state.hasEngine && earlier.hasEngine) {
    state.engine = earlier.engine;
    state.hasEngine = true;
  }
  if (!state.hasTempo && earlier.hasTempo) {
    state.tempo = earlier.tempo;
    state.hasTempo = true;
  }
  if (!state.hasOversample && earlier.hasOversample) {
    state.oversample = earlier.oversample;
    state.hasOversample = true;
  }
}

void StateStore::ClearLoads() {
  untaken_ = nullptr;
  // A reclaimed load will never be applied: readers go back to the engine's values.
  appliedGeneration_.store(postedGeneration_);
}

StateStore::PendingLoad* StateStore::TakeLoad() {
  if (pending_.load(std::memory_order_relaxed) == nullptr) return nullptr;
  applying_.store(true);
  PendingLoad* load = pending_.exchange(nullptr);
  if (!load) applying_.store(false);
  return load;
}

void StateStore::EndLoad(const PendingLoad* load) {
  if (!load) return;
  appliedGeneration_.store(load->generation);
  applying_.store(false);
}

bool StateStore::UnappliedLoad(PluginState& state) const {
  if (appliedGeneration_.load() >= postedGeneration_) return false;
  state = lastPostedState_;
  return true;
}

void StateStore::Publish(const EngineState& engine, const TempoState& tempo) {
  // Sequence lock without fences (which the thread sanitizer cannot follow): each field is a
  // release store, so a reader that sees any new field also sees the odd sequence before it.
  constexpr auto kRelease = std::memory_order_release;
  const uint32_t start = sequence_.load(std::memory_order_relaxed);
  sequence_.store(start + 1, std::memory_order_relaxed);
  for (int32_t p = 0; p < EngineState::kNumParameters; ++p) {
    for (int32_t column = 0; column < EngineState::kNumColumns; ++column) {
      rows_[p][column].store(engine.rows[p][column], kRelease);
    }
  }
  for (int32_t source = 0; source < EngineState::kNumColumns; ++source) {
    unipolar_[source].store(engine.unipolar[source], kRelease);
  }
  macroValues_[0].store(engine.macroValues[0], kRelease);
  macroValues_[1].store(engine.macroValues[1], kRelease);
  linkOffset_.store(engine.linkOffset, kRelease);
  tempo_.store(tempo.tempo, kRelease);
  numerator_.store(tempo.numerator, kRelease);
  denominator_.store(tempo.denominator, kRelease);
  metro_.store(tempo.metro, kRelease);
  quantize_.store(tempo.quantize, kRelease);
  sequence_.store(start + 2, std::memory_order_release);
  published_.store(true, std::memory_order_release);
}

bool StateStore::ReadPublished(EngineState& engine, TempoState& tempo) const {
  // Acquire loads keep the closing sequence check after every field.
  constexpr auto kAcquire = std::memory_order_acquire;
  if (!published_.load(std::memory_order_acquire)) return false;
  for (int attempt = 0; attempt < kMaxWaitSteps; ++attempt) {
    const uint32_t start = sequence_.load(std::memory_order_acquire);
    if ((start & 1u) != 0) {
      std::this_thread::yield();
      continue;
    }
    for (int32_t p = 0; p < EngineState::kNumParameters; ++p) {
      for (int32_t column = 0; column < EngineState::kNumColumns; ++column) {
        engine.rows[p][column] = rows_[p][column].load(kAcquire);
      }
    }
    for (int32_t source = 0; source < EngineState::kNumColumns; ++source) {
      engine.unipolar[source] = unipolar_[source].load(kAcquire);
    }
    engine.macroValues[0] = macroValues_[0].load(kAcquire);
    engine.macroValues[1] = macroValues_[1].load(kAcquire);
    engine.linkOffset = linkOffset_.load(kAcquire);
    tempo.tempo = tempo_.load(kAcquire);
    tempo.numerator = numerator_.load(kAcquire);
    tempo.denominator = denominator_.load(kAcquire);
    tempo.metro = metro_.load(kAcquire);
    tempo.quantize = quantize_.load(kAcquire);
    if (sequence_.load(std::memory_order_relaxed) == start) return true;
  }
  // Never a torn reading: the caller reads the engine between two blocks instead.
  return false;
}
