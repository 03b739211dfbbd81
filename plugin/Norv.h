// The plug-in the host sees: answers the VST 2.4 dispatcher, queues host parameter changes and
// MIDI events, and drives the engine once per host block.
//
// Threads: the host's UI thread makes the set-up and name calls; the audio thread calls
// processReplacing, processEvents and (during playback) setParameter. Shared between them: the
// pending-change table and the binding map's host values (atomics), the message port (lock-free),
// the state store (lock-free hand-over) and the flags below marked atomic. Set-up calls that touch
// the engine (rate, block size, resume, a load while no audio runs, the editor's idle delivery)
// hold the block gate: they wait for a running block to end, and a block that meets them is not
// run. Debug and sanitizer builds check the tags (support/AudioThread.h): a set-up call that
// allocates, waits or touches files aborts when made from inside a block, block code outside one.
//
// One file per part: NorvSetup.cpp (construction, preferences, buffers, resamplers, the set-up
// calls), NorvHostAnswers.cpp (the dispatcher's answers and the editor's calls), NorvBlock.cpp
// (the block driver), NorvMessages.cpp (engine-side messages), NorvMidi.cpp (events, notes,
// controllers, key names) and NorvState.cpp (chunk, presets and the state hand-over).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "modulation/AutomationManager.h"
#include "modulation/Binding.h"
#include "modulation/TimeInfo.h"
#include "plugin/Message.h"
#include "plugin/MessagePort.h"
#include "plugin/NorvProcess.h"
#include "plugin/PendingChanges.h"
#include "plugin/PluginState.h"
#include "plugin/SynthBase.h"
#include "dsp/OutputSafety.h"
#include "dsp/ResamplerChain.h"
#include "dsp/SidechainHighPass.h"
#include "support/AudioBlockGate.h"
#include "support/Random.h"
#include "support/StopWatch.h"

class BindingMap;

class Norv : public SynthBase,
             public IAutomationDelegate,
             public IMessageHandler,
             public IProcessInterpolator {
 public:
  static constexpr int32_t kNumHostParameters = 62;
  static constexpr int32_t kEventPoolSize = 512;
  // One slot stays free, as the pool has always done.
  static constexpr int32_t kMaxQueuedEvents = kEventPoolSize - 1;
  static constexpr int32_t kNumScratchBuffers = 19;
  // Samples per host frame in the scratch and oversampled buffers: one frame at the highest factor.
  static constexpr int32_t kScratchOversize = kMaxOversampling;
  // Host blocks are worked in pieces of at most this many frames, so the buffers stay a few
  // megabytes whatever block size a host announces.
  static constexpr int32_t kMaxPieceFrames = 8192;
  // Announced block sizes above this are refused (about 22 s at 48 kHz).
  static constexpr int32_t kMaxBlockSize = 1 << 20;
  // Host rates the filters, resamplers and sources are designed for; others are refused.
  static constexpr float kMinSampleRate = 8000.0f;
  static constexpr float kMaxSampleRate = 384000.0f;
  static constexpr int32_t kVendorSpecificCode = vst::FourCC('Q', 'R', 'V', 'N');
  static constexpr int32_t kEditorIdleLimit = 20;
  // Host time request: nanoseconds, musical position, tempo, bar start and time signature.
  static constexpr int32_t kTimeInfoRequest = 0x2F00;

  explicit Norv(vst::HostCallback host);
  ~Norv() override;

  // Builds the process-wide read-only tables (shapers, sine); called once at library load.
  static void PrepareSharedTables();

  // --- VST 2.4 answers ---------------------------------------------------------------------------
  void setProgram(int32_t) override {}
  void setProgramName(const char* name) override;
  void getProgramName(char* name) override;
  void getParameterLabel(int32_t index, char* label) override;
  void getParameterDisplay(int32_t index, char* text) override;
  void getParameterName(int32_t index, char* text) override;
  void setSampleRate(float sampleRate) override;
  void setBlockSize(int32_t blockSize) override;
  void suspend() override;
  void resume() override;
  int32_t getChunk(void** data, bool isPreset) override;
  int32_t setChunk(void* data, int32_t byteSize, bool isPreset) override;
  int32_t processEvents(vst::VstEvents* events) override;
  bool canParameterBeAutomated(int32_t index) override;
  bool getInputProperties(int32_t index, vst::VstPinProperties* properties) override;
  bool getOutputProperties(int32_t index, vst::VstPinProperties* properties) override;
  int32_t getPlugCategory() override;
  bool setBypass(bool onOff) override;
  bool getEffectName(char* name) override;
  bool getVendorString(char* text) override;
  bool getProductString(char* text) override;
  int32_t getVendorVersion() override;
  vst::VstIntPtr vendorSpecific(int32_t index, vst::VstIntPtr value, void* ptr, float opt) override;
  int32_t canDo(const char* text) override;
  bool getParameterProperties(int32_t index, vst::VstParameterProperties* properties) override;
  int32_t getVstVersion() override;
  int32_t getMidiKeyName(int32_t channel, vst::MidiKeyName* key) override;

  void setParameter(int32_t index, float value) override;
  float getParameter(int32_t index) override;
  void processReplacing(float** inputs, float** outputs, int32_t frames) override;
  void editIdle() override;

  // --- Engine side ------------------------------------------------------------------------------
  // audio thread: the message port's engine-side delivery.
  void HandleMessage(Message& message) override;
  // audio thread: MIDI events at their sample positions, from the automation manager.
  void HandleMIDIEventImmediate(const MidiEvent& event) override;
  // audio thread: a binding moved a host parameter; tell the host.
  void SetParameterAutomated(int32_t index, float value) override;
  // audio thread: between the engine's sub-blocks.
  void InterpolateProcess() override;

  // --- Editor side ------------------------------------------------------------------------------
  // UI thread: the editor's idle call; after 21 calls without an audio block, the engine's pending
  // messages are delivered and every parameter jumps to its target.
  void EditorIdle();
  // UI thread: the parameter whose control the user holds with the mouse (-1 for none); host
  // changes of that parameter are ignored while it is held.
  void SetHeldParameter(int32_t index) { heldParameter_.store(index); }
  // UI thread: a user gesture on a parameter's control starts and ends with these.
  void BeginUserGesture(int32_t index) const { beginEdit(index); }
  void EndUserGesture(int32_t index) const { endEdit(index); }
  void SetEditorOffset(int32_t x, int32_t y);
  // UI thread: the highest output peak since the last call, per channel (0 left, 1 right), and
  // zeroes it.
  float TakeOutputMeter(int32_t channel);
  // UI thread: re-reads the preferences ("ParamSlewTime", "MIDINumbering", "OutputSafety") and has
  // the engine take them at its next block, through the options-changed message. The editor calls
  // it after it writes a preference.
  void PreferencesChanged();

  // --- Observers (editor, tests) ----------------------------------------------------------------
  MessagePort& Port() { return *messagePort_; }
  BindingMap& Bindings() { return *bindingMap_; }
  NorvProcess& Engine() { return engine_; }
  int32_t QueuedEventCount() const { return queuedEventCount_; }
  const MidiEvent& QueuedEvent(int32_t index) const { return eventPool_[index]; }
  bool IsSynthLocked() const { return synthLocked_.load(); }
  bool IsAudioRunning() const { return audioRunning_.load(); }
  // The factor asked for last (editor, loaded state, set-up). // any thread
  int32_t OversamplingFactor() const { return oversamplingFactor_.load(); }
  bool IsLearning() const;
  int32_t LastController() const { return lastController_.load(); }
  int32_t LastControllerChannel() const { return lastControllerChannel_.load(); }
  // The host parameter (0-61) of the last host change a block took, -1 before any. // any thread
  int32_t LastAutomationSource() const { return lastAutomationSource_.load(); }
  // UI thread: whether a block has had host MIDI events since the last call; clears the flag.
  bool TakeMIDIActivity() { return midiActivity_.exchange(false); }
  // The editor's offset in the host's window, from the host's "OffX"/"OffY" vendor-specific calls
  // or SetEditorOffset. // any thread
  int32_t EditorOffsetX() const { return editorOffsetX_.load(); }
  int32_t EditorOffsetY() const { return editorOffsetY_.load(); }
  double ProcessingLoad() const { return processingLoad_.load(); }
  float OutputMeter(int32_t channel) const { return outputMeters_[channel & 1].load(); }
  const TimeInfo& Time() const { return timeInfo_; }
  TimeInfo& Time() { return timeInfo_; }
  // The factor the resamplers and the engine run at. It lags OversamplingFactor() from a request
  // until the start of the next block (or the next set-up call while no audio runs). // any thread
  int32_t ActiveOversamplingFactor() const { return activeFactor_.load(); }
  bool IsReconfigurationPending() const {
    return OversamplingFactor() != ActiveOversamplingFactor();
  }
  // UI thread: the name of the preset last loaded or saved ("Default" after a reset).
  const std::string& LastPresetName();

  // --- State and presets ---------------------------------------------------------------------
  // The state document is at once the host chunk, a preset file and the default preset. Loads are
  // parsed on the calling thread and reach the engine at the start of the next block (at once
  // while no audio runs); the host values answer the loaded state as soon as a load returns.
  // UI thread: save (true) or load (false) the state document at path; false (and, for a load,
  // nothing changed) when it cannot.
  bool SerializeState(const std::filesystem::path& path, bool save);
  // UI thread, with the engine locked: save or load the bindings document at path.
  bool SerializeBindingMap(const std::filesystem::path& path, bool save);
  // UI thread, the end of construction: loads the default preset file when there is one.
  void LoadDefaultPresetIfPresent();
  // audio thread at the start of every host block (or a set-up call holding the block gate):
  // applies a state loaded on the UI thread, oversampling factor included. PublishBlockState()
  // follows at the end of the same block.
  void ApplyPendingState();
  // audio thread at the end of every host block (or the set-up call that applied a state):
  // publishes the engine's values for the state readers, then marks the load taken at the block's
  // start as applied, so a reader never sees a load as applied before its values are published.
  void PublishBlockState();

 private:
  // Defined with the state code: the loads on their way to the audio thread, the engine's
  // published values and the last host chunk.
  struct StateHolder;
  struct StateHolderDeleter {
    void operator()(StateHolder* holder) const;
  };
  std::unique_ptr<StateHolder, StateHolderDeleter> state_;
  // --- end of state ---------------------------------------------------------------------------

 private:
  struct ProcessCall {
    Norv* self;
    float** inputs;
    float** outputs;
    int32_t frames;
  };
  static void GuardedProcess(void* call);

  void PerformInitialSetup();
  void SetupVSTAttributes();
  void SetupManagers();
  void CreateDefaultHostBindings();
  // A binding that moves column `column` of parameter `index` through "e_setFilterParameter", as
  // the host bindings and learned controllers do.
  static Binding MakeParameterBinding(int32_t index, int32_t column);
  void PerformShutdown();
  // Allocates every block buffer for pieces of `frames`; on failure nothing changes. UI thread.
  bool InitializeTemporaryBuffers(int32_t frames);
  // The preferences the engine and the shell follow, read on the UI thread and taken by the audio
  // thread from these atomics.
  void ReadPreferences();
  void ApplyPreferences();
  // Resume and suspend; the callers hold the block gate or no audio runs.
  void Resume();
  void Suspend();
  // Rates and buffers of the three resamplers, the engine and the sidechain filter for the current
  // sample rate and OversamplingFactor(); allocates (the resamplers' buffers, the comb filters'
  // delay lines for max(factor, 4)). UI thread, set-up only: no block may run meanwhile.
  void ConfigureResamplers();
  // Resampler stages and engine rates for `factor` at the current sample rate. Allocates nothing
  // inside a VBufferPow2::FixedCapacityScope. // UI thread (set-up) or audio thread
  void SetOversampledRates(int32_t factor);
  // audio thread, at the start of a block: runs at OversamplingFactor() if it changed, within the
  // buffers and delay lines that set-up reserved (no allocation, no lock, no silence).
  void ApplyOversamplingChange();
  // UI thread (set-up): a set-up call must rebuild because the factor changed while no block ran,
  // or the audio thread went beyond the delay lines the last set-up reserved.
  bool NeedsReconfiguration() const;

  // Block driver.
  void ProcessHostCall(float** inputs, float** outputs, int32_t frames);
  void ProcessBlock(float** inputs, float** outputs, int32_t frames);
  bool ProcessLocked(float** outputs, int32_t frames);
  // Both outputs silent and the block's queued events dropped.
  void SilenceBlock(float** outputs, int32_t frames);
  void ProcessPiece(float** inputs, float** outputs, int32_t offset, int32_t frames,
                    int32_t hostFrames);
  void PreProcess(bool registerThread);
  void ProcessTimeInfo();
  void ProcessTransport();
  void ProcessVSTMIDIEvents(int32_t offset, int32_t frames, int32_t hostFrames);
  const float* const* ProcessSidechain(const float* in3, const float* in4, int32_t frames);
  void ProcessFilters(float** inputs, float** outputs, int32_t offset, int32_t frames);
  void ProcessSegment(const float* const* in, float* const* out, int32_t frames);
  // The engine reads inputs 3+4 at the processing rate from this segment's sub-block on.
  void UpsampleSidechainForSegment();
  // Debug and sanitizer builds: fills the scratch buffers with a signalling NaN, so that any sample
  // read before it was written in the block makes the output non-finite.
  void PoisonScratchBuffers(int32_t frames);
  void PostProcess(float** outputs, int32_t hostFrames);
  void ProcessMIDINoteOnImmediate(int32_t channel, int32_t note, int32_t velocity);
  void SelectLFODivision(int32_t lfo, int32_t division);

  // Message handlers, one per engine-side type.
  void HandleEngineMessage(Message& message);
  void HandleHostAutomationMessage(const Message& message);
  void HandleSetFilterParameter(const Message& message, bool immediate);
  void HandleReset();
  // audio thread (any thread while no audio runs): asks for a new oversampling factor (1-16,
  // others refused). The next block start applies it (ApplyOversamplingChange); while no audio
  // runs, the next set-up call does.
  void HandleSetOversampling(int32_t factor);
  void HandlePanic();
  void HandleSetLearnTarget(const Message& message);
  void HandleRemoveBinding();
  void PostToEditor(MessageType type, const MessageValue& v0 = MessageValue(),
                    const MessageValue& v1 = MessageValue(),
                    const MessageValue& v2 = MessageValue());
  void HandleControlChange(int32_t channel, int32_t controller, int32_t value);

  float CurrentValueOf(int32_t index) const;

  // Shell state.
  std::atomic<bool> audioRunning_{false};
  std::atomic<double> processingLoad_{0.0};
  std::atomic<bool> hostBypass_{false};
  PendingChanges pendingChanges_;
  std::vector<MidiEvent> eventPool_;
  std::vector<MidiEvent> sortScratch_;
  int32_t queuedEventCount_ = 0;
  vst::VstTimeInfo fallbackTimeInfo_{};
  float inverseSampleRate_ = 1.0f / 44100.0f;
  std::atomic<int32_t> oversamplingFactor_{kDefaultOversampling};
  std::array<std::vector<float>, kNumScratchBuffers> scratch_;
  int32_t scratchFrames_ = 0;
  VFoundation::AudioBlockGate blockGate_;
  std::string lastPresetName_ = "Default";
  // Set by the audio thread's reset; the UI thread renames the preset when it next reads the name.
  std::atomic<bool> presetNameReset_{false};

  // Managers.
  VFoundation::StopWatch loadWatch_;
  std::unique_ptr<MessagePort> messagePort_;
  std::unique_ptr<BindingMap> bindingMap_;
  std::unique_ptr<AutomationManager> automationManager_;
  NorvProcess engine_;
  TimeInfo timeInfo_;
  TimeInfo::HostTime hostTime_;

  // Block driver: resamplers for inputs 1+2, inputs 3+4 and the output, the oversampled buffers
  // (four inputs, two outputs), the high-passed sidechain and the factor everything is set for.
  VDSP::ResamplerChain upsamplerMain_;
  VDSP::ResamplerChain upsamplerSidechain_;
  // Whether the sidechain upsampler runs in the current segment (or ran in the last one, between
  // segments); it is skipped while nothing listens to inputs 3+4.
  bool sidechainUpsampling_ = false;
  // The segment the engine is working on: its oversampled inputs (3+4 may stand for silence until
  // a reader switches on mid-segment) and its host-rate sidechain.
  std::array<float*, 4> segmentInputs_{};
  std::array<const float*, 2> segmentSidechain_{};
  int32_t segmentFrames_ = 0;
  // The downsampler writes here first: the host's outputs get exactly the frames asked for.
  std::array<std::vector<float>, 2> downsampled_;
  // Stands in for the upsampled inputs 3+4 while nothing listens to them; never written.
  std::vector<float> silence_;
  VDSP::ResamplerChain downsampler_;
  std::array<std::vector<float>, 6> oversampled_;
  std::array<std::vector<float>, 2> sidechain_;
  std::array<const float*, 2> sidechainPointers_{};
  VDSP::SidechainHighPass sidechainHighPass_;
  // The high-pass's nudge, seeded at set-up.
  VFoundation::RandomGenerator sidechainDither_;
  std::atomic<int32_t> activeFactor_{kDefaultOversampling};
  // The factor whose delay lines the last set-up call reserved (UI thread only).
  int32_t reservedFactor_ = 0;
  std::array<std::atomic<float>, 2> outputMeters_{};
  // Last in the chain, after the meters: a valid but wild state must not reach ears and speakers
  // at +60 dBFS when the host does not clip.
  VDSP::OutputSafety outputSafety_;

  // Engine-side flags.
  std::atomic<bool> synthLocked_{false};
  bool hasLearnTarget_ = false;
  std::atomic<int32_t> lastController_{-1};
  std::atomic<int32_t> lastControllerChannel_{-1};
  std::atomic<bool> midiActivity_{false};
  std::atomic<int32_t> lastAutomationSource_{-1};

  // Preferences, read on the UI thread.
  std::atomic<double> slewTimePreference_{NorvProcess::kDefaultSlewSamples};
  std::atomic<bool> outputSafetyPreference_{true};

  // Editor-side state.
  std::atomic<int32_t> heldParameter_{-1};
  std::atomic<int32_t> editorIdleCount_{0};
  std::atomic<int32_t> editorOffsetX_{0};
  std::atomic<int32_t> editorOffsetY_{0};
};
