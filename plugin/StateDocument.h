// The state document (host chunk, preset file, default preset) as plain values, and the store that
// carries a loaded state to the audio thread and a consistent reading of the engine back from it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "support/XmlDocument.h"

namespace NorvState {

inline constexpr int32_t kNumParameters = 60;
inline constexpr int32_t kNumColumns = 12;
// Writers write this version; below kMinimumVersion a document is refused; from kNameVersion on it
// carries the preset name.
inline constexpr double kStateVersion = 2.2;
inline constexpr double kMinimumVersion = 2.0;
inline constexpr double kNameVersion = 2.2;
// Version of the engine element's own layout, written for older readers.
inline constexpr double kEngineLayoutVersion = 2.1;
// Values closer than this to their default (bases) or to 0 (depths) are not stored.
inline constexpr float kStoreThreshold = 1e-6f;
inline constexpr int32_t kMinOversample = 1;
inline constexpr int32_t kMaxOversample = 16;
inline constexpr int32_t kDefaultOversample = 2;
inline constexpr const char* kRootName = "root";
inline constexpr const char* kDefaultPresetName = "Default";

// The engine's parameters and modulation routing.
struct EngineState {
  std::array<std::array<float, kNumColumns>, kNumParameters> rows{};
  std::array<uint8_t, kNumColumns> unipolar{};
  std::array<float, 2> macroValues{};
  float linkOffset = 0.0f;
};

// The parts of the tempo record that travel with the state.
struct TempoState {
  double tempo = 120.0;
  int32_t numerator = 4;
  int32_t denominator = 4;
  bool metro = false;
  bool quantize = false;
};

// Everything a loaded document changes in the engine. A part that the document lacks keeps the
// engine's current value.
struct PluginState {
  EngineState engine;
  TempoState tempo;
  int32_t oversample = kDefaultOversample;
  bool hasEngine = false;
  bool hasTempo = false;
  bool hasOversample = false;
};

// Rows (default, 0, ..., 0), every source unipolar, XY values and link offset 0.
EngineState DefaultEngineState();

// The engine element ("Ver", "LinkOffset", "C%dValue", "Polar_%s", "<key>_<source>"). Reading
// starts from the defaults: entries the element lacks fall back to default bases, zero depths and
// unipolar sources; bases are kept within 0...1.
void WriteEngineState(VFoundation::XmlNode node, const EngineState& state);
void ReadEngineState(VFoundation::XmlNode node, EngineState& state);

// The whole document. Reading answers false, and leaves `state` and `name` untouched, for a
// document without the root "root" or with a "StateVersion" missing or below 2.0. `name` becomes
// the stored preset name (version 2.2 on), "Default" (older versions) or stays as it was (a 2.2
// document without one).
void WriteStateDocument(VFoundation::XmlDocument& document, const PluginState& state,
                        const std::string& name);
bool ReadStateDocument(const VFoundation::XmlDocument& document, PluginState& state,
                       std::string& name);

// A loaded state on its way to the audio thread.
struct PendingLoad {
  PluginState state;
  uint64_t generation = 0;
};

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
  std::array<std::array<std::atomic<float>, kNumColumns>, kNumParameters> rows_{};
  std::array<std::atomic<uint8_t>, kNumColumns> unipolar_{};
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

}  // namespace NorvState
