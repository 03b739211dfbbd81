// Norv's state: the host chunk, preset files, the default preset, the bindings document and the
// program name, and the hand-over of a loaded state to the audio thread and of the engine's values
// back to the readers.
#include "plugin/Norv.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string_view>
#include <system_error>

#include "modulation/BindingMap.h"
#include "modulation/TimeInfo.h"
#include "plugin/ParameterTable.h"
#include "plugin/StateDocument.h"
#include "plugin/StateStore.h"
#include "support/AudioThread.h"
#include "support/Log.h"
#include "support/Paths.h"
#include "support/VException.h"

namespace {

constexpr const char* kHostChunkFile = "LastHostChunk.norv";

bool SamePath(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code error;
  if (std::filesystem::equivalent(a, b, error)) return true;
  return a.lexically_normal() == b.lexically_normal();
}

bool WriteWholeFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.close();
  return !file.fail();
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& text) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

}  // namespace

// Everything here but the audio-thread calls runs under the store's UI mutex.
struct Norv::StateHolder {
  StateStore store;
  // What the last publication held: an unchanged engine and tempo are not copied again.
  bool published = false;
  uint64_t publishedRevision = 0;
  TempoState publishedTempo;
  // The load the audio thread took at the start of the running block; marked applied once the
  // block's values are published.
  StateStore::PendingLoad* takenLoad = nullptr;

  // The engine's values as they are now. The thread that owns the engine.
  static PluginState Capture(Norv& norv);
  // Applies a loaded state. The thread that owns the engine. A new oversampling factor is only
  // asked for here: the audio thread runs at it from this block on (ApplyOversamplingChange), a
  // set-up call rebuilds for it while no audio runs.
  static void Apply(Norv& norv, const PluginState& state);
  static void Publish(Norv& norv);
  // UI thread: the state a reader should see now, whoever owns the engine.
  static PluginState Current(Norv& norv);
  // UI thread: the engine's values, read between two blocks.
  static PluginState CaptureBetweenBlocks(Norv& norv);
  // UI thread: loads a parsed document (see SerializeState); the default preset loads with the
  // bindings' lock flag cleared.
  static bool LoadEntireState(Norv& norv, const VFoundation::XmlDocument& document,
                              bool defaultPreset);
  // UI thread: opens the file and loads it.
  static bool LoadEntireStateFromFile(Norv& norv, const std::filesystem::path& path);
  // UI thread: the state document as text.
  static std::string Print(Norv& norv);
};

void Norv::StateHolderDeleter::operator()(StateHolder* holder) const {
  delete holder;
}

PluginState Norv::StateHolder::Capture(Norv& norv) {
  PluginState state;
  norv.engine_.CaptureState(state.engine);
  const TimeInfo& time = norv.timeInfo_;
  state.tempo = {time.Tempo(), time.TimeSigNumerator(), time.TimeSigDenominator(), time.Metro(),
                 time.Quantize()};
  state.oversample = norv.OversamplingFactor();
  state.hasEngine = state.hasTempo = state.hasOversample = true;
  return state;
}

void Norv::StateHolder::Apply(Norv& norv, const PluginState& state) {
  if (state.hasTempo) {
    TimeInfo& time = norv.timeInfo_;
    time.SetTempo(state.tempo.tempo);
    TimeInfo::HostTime signature;
    signature.timeSigNumerator = state.tempo.numerator;
    signature.timeSigDenominator = state.tempo.denominator;
    time.ReadHostTime(signature);
    time.SetMetro(state.tempo.metro);
    time.SetQuantize(state.tempo.quantize);
  }
  if (state.hasOversample) norv.HandleSetOversampling(state.oversample);
  if (state.hasEngine) {
    norv.engine_.ApplyState(state.engine);
    // Bindings rest at the loaded values, so the next host or controller change glides from there.
    for (int32_t index = 0; index < ParameterTable::kNumFixedParameters; ++index) {
      norv.bindingMap_->SyncHostParameter(index, norv.engine_.Target(index));
    }
  }
  norv.PostToEditor(MessageType::e_updatePresetLoaded);
}

void Norv::StateHolder::Publish(Norv& norv) {
  StateHolder& holder = *norv.state_;
  const TimeInfo& time = norv.timeInfo_;
  const TempoState tempo{time.Tempo(), time.TimeSigNumerator(), time.TimeSigDenominator(),
                         time.Metro(), time.Quantize()};
  const auto sameTempo = [](const TempoState& a, const TempoState& b) {
    return a.tempo == b.tempo && a.numerator == b.numerator && a.denominator == b.denominator &&
           a.metro == b.metro && a.quantize == b.quantize;
  };
  const uint64_t revision = norv.engine_.Revision();
  if (holder.published && revision == holder.publishedRevision &&
      sameTempo(tempo, holder.publishedTempo)) {
    return;
  }
  const PluginState state = Capture(norv);
  holder.store.Publish(state.engine, state.tempo);
  holder.published = true;
  holder.publishedRevision = revision;
  holder.publishedTempo = tempo;
}

PluginState Norv::StateHolder::CaptureBetweenBlocks(Norv& norv) {
  VFoundation::AudioBlockGateHold hold(norv.blockGate_);
  return Capture(norv);
}

PluginState Norv::StateHolder::Current(Norv& norv) {
  // A load the audio thread has not applied yet (it may have been suspended since) is what the
  // engine is about to hold. Asked first: once it reads as applied, the published values that are
  // read next already contain it.
  PluginState pending;
  const bool hasPending = norv.state_->store.UnappliedLoad(pending);
  PluginState current;
  if (!norv.IsAudioRunning() || !norv.state_->store.ReadPublished(current.engine, current.tempo)) {
    current = CaptureBetweenBlocks(norv);
  }
  current.oversample = norv.OversamplingFactor();
  current.hasEngine = current.hasTempo = current.hasOversample = true;
  if (hasPending) {
    if (pending.hasEngine) current.engine = pending.engine;
    if (pending.hasTempo) current.tempo = pending.tempo;
    if (pending.hasOversample) current.oversample = pending.oversample;
  }
  return current;
}

bool Norv::StateHolder::LoadEntireState(Norv& norv, const VFoundation::XmlDocument& document,
                                        bool defaultPreset) {
  TAVO_EXPECT_NOT_AUDIO_THREAD("Norv::LoadEntireState");
  PluginState state;
  std::string name = norv.LastPresetName();
  if (!StateDocument::Read(document, state, name)) return false;

  BindingMap& bindings = *norv.bindingMap_;
  const bool wasLocked = bindings.BindingsLocked();
  if (defaultPreset) bindings.SetBindingsLocked(false);

  norv.state_->store.StopLoads();
  // Loads take effect in order: what this document leaves out comes from a load still on its way.
  norv.state_->store.MergeUntakenLoad(state);
  // Host changes made before the load must not land on top of it at the next block; the assignable
  // parameters are not part of the state and keep theirs.
  norv.pendingChanges_.TakeAll([&](int32_t index, float value) {
    if (index >= ParameterTable::kNumFixedParameters) norv.pendingChanges_.Mark(index, value);
  });
  if (state.hasEngine) {
    // The host reads the parameters back right after a chunk load.
    for (int32_t index = 0; index < ParameterTable::kNumFixedParameters; ++index) {
      bindings.SetVSTParameter(index, state.engine.rows[index][0]);
    }
  }
  if (norv.IsAudioRunning()) {
    // The audio thread takes the state, oversampling factor included, at the start of its next
    // block (or the next resume takes it, should no block come first).
    norv.state_->store.PostLoad(state);
  } else {
    VFoundation::AudioBlockGateHold hold(norv.blockGate_);
    norv.state_->store.ClearLoads();
    Apply(norv, state);
    if (norv.NeedsReconfiguration()) norv.ConfigureResamplers();
    Publish(norv);
  }
  norv.presetNameReset_.store(false);
  norv.lastPresetName_ = name;

  if (defaultPreset && !bindings.BindingsLocked()) bindings.SetBindingsLocked(wasLocked);
  return true;
}

bool Norv::StateHolder::LoadEntireStateFromFile(Norv& norv, const std::filesystem::path& path) {
  VFoundation::XmlDocument document;
  if (!document.Load(path, StateDocument::kRootName)) return false;
  const bool defaultPreset = SamePath(path, VApplication::Paths::GetDefaultPresetFile());
  std::lock_guard<std::mutex> lock(norv.state_->store.UiMutex());
  return LoadEntireState(norv, document, defaultPreset);
}

std::string Norv::StateHolder::Print(Norv& norv) {
  VFoundation::XmlDocument document;
  StateDocument::Write(document, Current(norv), norv.LastPresetName());
  return document.Print();
}

// --- Entry points -----------------------------------------------------------------------------

int32_t Norv::getChunk(void** data, bool) {
  TAVO_EXPECT_NOT_AUDIO_THREAD("Norv::getChunk");
  return VFoundation::Guarded("Norv::getChunk", 0, [&]() -> int32_t {
    if (!data || !state_) return 0;
    std::lock_guard<std::mutex> lock(state_->store.UiMutex());
    const std::string text = StateHolder::Print(*this);
    // The chunk goes through the staging file; should another instance have rewritten it between
    // our write and read, or the folder be read-only, the host still gets this instance's state.
    const std::filesystem::path file = VApplication::Paths::GetTemporaryPath() / kHostChunkFile;
    std::string readBack;
    if (!WriteWholeFile(file, text) || !ReadWholeFile(file, readBack) || readBack != text) {
      VFoundation::Log(
          "Norv::getChunk, the chunk file could not be used; "
          "chunk taken from memory\n");
      readBack = text;
    }
    std::vector<char>& block = state_->store.HostChunk();
    block.assign(readBack.begin(), readBack.end());
    // Some hosts treat the chunk as a C string.
    block.push_back('\0');
    *data = block.data();
    return static_cast<int32_t>(readBack.size());
  });
}

int32_t Norv::setChunk(void* data, int32_t byteSize, bool) {
  TAVO_EXPECT_NOT_AUDIO_THREAD("Norv::setChunk");
  return VFoundation::Guarded("Norv::setChunk", 0, [&]() -> int32_t {
    if (!data || byteSize <= 0 || !state_) return 0;
    VFoundation::XmlDocument document;
    const std::string_view text(static_cast<const char*>(data), static_cast<size_t>(byteSize));
    if (!document.Parse(text, StateDocument::kRootName)) return 0;
    std::lock_guard<std::mutex> lock(state_->store.UiMutex());
    return StateHolder::LoadEntireState(*this, document, false) ? 1 : 0;
  });
}

bool Norv::SerializeState(const std::filesystem::path& path, bool save) {
  TAVO_EXPECT_NOT_AUDIO_THREAD("Norv::SerializeState");
  return VFoundation::Guarded("Norv::SerializeState", false, [&] {
    if (!state_) return false;
    if (!save) return StateHolder::LoadEntireStateFromFile(*this, path);
    std::lock_guard<std::mutex> lock(state_->store.UiMutex());
    // A preset saved under a name carries that name; the default preset keeps the current one.
    std::string name = LastPresetName();
    if (!SamePath(path, VApplication::Paths::GetDefaultPresetFile()) && !path.stem().empty()) {
      name = VApplication::Paths::ToUtf8(path.stem());
    }
    VFoundation::XmlDocument document;
    StateDocument::Write(document, StateHolder::Current(*this), name);
    if (!document.Save(path)) return false;
    presetNameReset_.store(false);
    lastPresetName_ = name;
    return true;
  });
}

bool Norv::SerializeBindingMap(const std::filesystem::path& path, bool save) {
  TAVO_EXPECT_NOT_AUDIO_THREAD("Norv::SerializeBindingMap");
  return VFoundation::Guarded("Norv::SerializeBindingMap", false, [&] {
    if (!state_) return false;
    VFoundation::XmlDocument document;
    if (save) {
      document.CreateNew(StateDocument::kRootName);
      std::lock_guard<std::mutex> lock(state_->store.UiMutex());
      return bindingMap_->SerializeAsXML(document.Root(), true) && document.Save(path);
    }
    if (!document.Load(path, StateDocument::kRootName)) return false;
    std::lock_guard<std::mutex> lock(state_->store.UiMutex());
    return bindingMap_->SerializeAsXML(document.Root(), false);
  });
}

void Norv::LoadDefaultPresetIfPresent() {
  VFoundation::GuardedVoid("Norv::LoadDefaultPresetIfPresent", [&] {
    if (!state_) state_.reset(new StateHolder);
    StateHolder::Publish(*this);
    const std::filesystem::path file = VApplication::Paths::GetDefaultPresetFile();
    std::error_code error;
    if (std::filesystem::is_regular_file(file, error)) SerializeState(file, false);
  });
}

void Norv::ApplyPendingState() {
  if (!state_ || state_->takenLoad) return;
  StateStore::PendingLoad* load = state_->store.TakeLoad();
  if (!load) return;
  state_->takenLoad = load;
  StateHolder::Apply(*this, load->state);
}

void Norv::PublishBlockState() {
  if (!state_) return;
  StateHolder::Publish(*this);
  state_->store.EndLoad(state_->takenLoad);
  state_->takenLoad = nullptr;
}

// The host's program name is the loaded or saved preset's.
void Norv::getProgramName(char* name) {
  VFoundation::GuardedVoid("Norv::getProgramName", [&] {
    name[0] = 0;
    if (!state_) return;
    std::lock_guard<std::mutex> lock(state_->store.UiMutex());
    CopyText(name, LastPresetName(), vst::kVstMaxProgNameLen - 1);
  });
}

void Norv::setProgramName(const char* name) {
  VFoundation::GuardedVoid("Norv::setProgramName", [&] {
    if (!state_ || name[0] == 0) return;
    std::lock_guard<std::mutex> lock(state_->store.UiMutex());
    presetNameReset_.store(false);
    lastPresetName_.assign(name, strnlen(name, vst::kVstMaxProgNameLen - 1));
  });
}

const std::string& Norv::LastPresetName() {
  if (presetNameReset_.exchange(false)) lastPresetName_ = "Default";
  return lastPresetName_;
}
