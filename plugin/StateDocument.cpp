// The state document as plain values, and the store between the UI and the audio thread.
#include "plugin/StateDocument.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>

#include "modulation/TimeInfo.h"
#include "modulation/Transmod.h"
#include "plugin/ParameterTable.h"

namespace NorvState {

namespace {

constexpr const char* kEngineClass = "NorvProcess";
constexpr const char* kEngineName = "Norv";
constexpr const char* kTimeInfoClass = "TimeInfo";
constexpr const char* kTimeInfoName = "TimeInfo";
constexpr const char* kPresetNameObject = "LastPresetName";
// The UI thread waits on the audio thread at most this many yields: for a reading that is not torn
// (the writer holds the sequence odd for about a microsecond per block) or for an apply to end.
// Only a stalled audio thread makes it give up, and then it takes what it has.
constexpr int kMaxWaitSteps = 100000;

void ValueKey(char* out, size_t size, int32_t parameter, int32_t column) {
  std::snprintf(out, size, "%s_%s", ParameterTable::ParameterToString(parameter),
                Transmod::SourceKey(column));
}

void WriteTempo(VFoundation::XmlNode node, const TempoState& tempo) {
  TimeInfo record;
  record.SetTempo(tempo.tempo);
  TimeInfo::HostTime signature;
  signature.timeSigNumerator = tempo.numerator;
  signature.timeSigDenominator = tempo.denominator;
  record.ReadHostTime(signature);
  record.SetMetro(tempo.metro);
  record.SetQuantize(tempo.quantize);
  record.SerializeAsXML(node, true);
}

// A reset record with the element read into it: entries the element lacks read as the reset values.
TempoState ReadTempo(VFoundation::XmlNode node) {
  TimeInfo record;
  record.SerializeAsXML(node, false);
  TempoState tempo;
  tempo.tempo = record.Tempo();
  tempo.numerator = record.TimeSigNumerator();
  tempo.denominator = record.TimeSigDenominator();
  tempo.metro = record.Metro();
  tempo.quantize = record.Quantize();
  return tempo;
}

}  // namespace

EngineState DefaultEngineState() {
  EngineState state;
  for (int32_t p = 0; p < kNumParameters; ++p) {
    state.rows[p].fill(0.0f);
    state.rows[p][0] = ParameterTable::GetParameterDefaultValue(p);
  }
  state.unipolar.fill(1);
  return state;
}

void WriteEngineState(VFoundation::XmlNode node, const EngineState& state) {
  if (!node) return;
  node.WriteDouble("Ver", kEngineLayoutVersion);
  node.WriteDouble("LinkOffset", state.linkOffset);
  char key[64];
  for (int32_t axis = 0; axis < 2; ++axis) {
    std::snprintf(key, sizeof key, "C%dValue", axis);
    node.WriteDouble(key, state.macroValues[axis]);
  }
  for (int32_t source = 0; source < kNumColumns; ++source) {
    if (state.unipolar[source] != 0) continue;
    std::snprintf(key, sizeof key, "Polar_%s", Transmod::SourceKey(source));
    node.WriteBool(key, false);
  }
  for (int32_t p = 0; p < kNumParameters; ++p) {
    const float defaultValue = ParameterTable::GetParameterDefaultValue(p);
    for (int32_t column = 0; column < kNumColumns; ++column) {
      const float value = state.rows[p][column];
      const float reference = column == 0 ? defaultValue : 0.0f;
      if (!(std::fabs(value - reference) >= kStoreThreshold)) continue;
      ValueKey(key, sizeof key, p, column);
      node.WriteDouble(key, value);
    }
  }
}

void ReadEngineState(VFoundation::XmlNode node, EngineState& state) {
  state = DefaultEngineState();
  if (!node) return;
  node.ReadFloat("LinkOffset", state.linkOffset);
  char key[64];
  for (int32_t axis = 0; axis < 2; ++axis) {
    std::snprintf(key, sizeof key, "C%dValue", axis);
    node.ReadFloat(key, state.macroValues[axis]);
  }
  for (int32_t source = 0; source < kNumColumns; ++source) {
    std::snprintf(key, sizeof key, "Polar_%s", Transmod::SourceKey(source));
    bool unipolar = true;
    node.ReadBool(key, unipolar);
    state.unipolar[source] = unipolar ? 1 : 0;
  }
  for (int32_t p = 0; p < kNumParameters; ++p) {
    for (int32_t column = 0; column < kNumColumns; ++column) {
      ValueKey(key, sizeof key, p, column);
      float value = state.rows[p][column];
      if (!node.ReadFloat(key, value)) continue;
      // A base is a normalised control value; a damaged one outside 0...1 would drive the controls
      // and the glides off their scale. Depths may be any size: the routing sum is clamped.
      state.rows[p][column] = column == 0 ? std::clamp(value, 0.0f, 1.0f) : value;
    }
  }
}

void WriteStateDocument(VFoundation::XmlDocument& document, const PluginState& state,
                        const std::string& name) {
  document.CreateNew(kRootName);
  VFoundation::XmlNode root = document.Root();
  root.WriteDouble("StateVersion", kStateVersion);
  root.WriteInt("Oversample", state.oversample);
  WriteTempo(root.AddObject(kTimeInfoClass, kTimeInfoName), state.tempo);
  WriteEngineState(root.AddObject(kEngineClass, kEngineName), state.engine);
  VFoundation::WriteStringObject(root, kPresetNameObject, name);
}

bool ReadStateDocument(const VFoundation::XmlDocument& document, PluginState& state,
                       std::string& name) {
  const VFoundation::XmlNode root = document.Root();
  if (!root || root.Tag() != kRootName) return false;
  double version = 0.0;
  if (!root.ReadDouble("StateVersion", version) || version < kMinimumVersion) return false;

  PluginState loaded;
  if (const VFoundation::XmlNode tempo = root.FindObject(kTimeInfoClass, kTimeInfoName)) {
    loaded.tempo = ReadTempo(tempo);
    loaded.hasTempo = true;
  }
  int32_t oversample = 0;
  // A factor the resamplers cannot run keeps the current one.
  if (root.ReadInt("Oversample", oversample) && oversample >= kMinOversample &&
      oversample <= kMaxOversample) {
    loaded.oversample = oversample;
    loaded.hasOversample = true;
  }
  if (const VFoundation::XmlNode engine = root.FindObject(kEngineClass, kEngineName)) {
    ReadEngineState(engine, loaded.engine);
    loaded.hasEngine = true;
  }
  std::string loadedName = name;
  // A writer that stored the version in single precision wrote 2.2 as 2.2000000476837158.
  if (version >= kNameVersion - 1e-6) {
    VFoundation::ReadStringObject(root, kPresetNameObject, loadedName);
  } else {
    loadedName = kDefaultPresetName;
  }
  state = loaded;
  name = std::move(loadedName);
  return true;
}

// --- StateStore -------------------------------------------------------------------------------

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

PendingLoad* StateStore::TakeLoad() {
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
  for (int32_t p = 0; p < kNumParameters; ++p) {
    for (int32_t column = 0; column < kNumColumns; ++column) {
      rows_[p][column].store(engine.rows[p][column], kRelease);
    }
  }
  for (int32_t source = 0; source < kNumColumns; ++source) {
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
    for (int32_t p = 0; p < kNumParameters; ++p) {
      for (int32_t column = 0; column < kNumColumns; ++column) {
        engine.rows[p][column] = rows_[p][column].load(kAcquire);
      }
    }
    for (int32_t source = 0; source < kNumColumns; ++source) {
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

}  // namespace NorvState
