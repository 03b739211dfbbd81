// The engine proper: parameter targets and rows with smoothing and Transmod modulation, the
// modulation sources, and the signal chain (drive, two filter slots, compressor, wet/dry mixer)
// run in sub-blocks of at most 32 samples at the oversampled rate.
//
// Threads: everything runs on the audio thread (or on the UI thread during set-up and state loading
// while the engine is locked). The editor reads rows, flags and modulated values one float or byte
// at a time without a lock.
#pragma once

#include <array>
#include <cstdint>

#include "dsp/Compressor.h"
#include "dsp/Distortion.h"
#include "dsp/EqualPowerFade.h"
#include "dsp/SampleRateUser.h"
#include "dsp/VoiceFilter.h"
#include "dsp/WetDryMixer.h"
#include "modulation/AHDREnvelope.h"
#include "modulation/EnvelopeFollower.h"
#include "modulation/LFO.h"
#include "modulation/SampleAndHold.h"
#include "modulation/Transmod.h"
#include "plugin/ParameterTable.h"
#include "support/Random.h"

struct EngineState;

// Lets the plug-in run its control work between the engine's sub-blocks (binding glides, message
// delivery).
class IProcessInterpolator {
 public:
  virtual ~IProcessInterpolator() = default;
  // audio thread.
  virtual void InterpolateProcess() = 0;
};

class NorvProcess : public VDSP::SampleRateUser {
 public:
  static constexpr int32_t kNumParameters = ParameterTable::kNumFixedParameters;
  // Column 0 of a row is the base value, columns 1-11 the depths of the modulation sources.
  static constexpr int32_t kNumColumns = Transmod::kNumColumns;
  static constexpr int32_t kNumSources = kNumColumns - 1;
  // Control values are updated at least this often (samples at the processing rate).
  static constexpr int32_t kSubBlockSize = 32;
  // Parameters 0-27 belong to the modulation sources, 28-59 (from "DriveAmount" on) to the signal
  // chain.
  static constexpr int32_t kFirstAudioParameter = ParameterTable::kDriveAmount;
  // Samples (at the processing rate) for a glide to cover 63 % of its way, unless the
  // "ParamSlewTime" preference says otherwise.
  static constexpr double kDefaultSlewSamples = 512.0;
  // The parameter held with the mouse glides 20 times slower, so a drag sounds smooth.
  static constexpr float kFocusSlowdown = 0.05f;
  // Above this FM depth the filters are updated every sample.
  static constexpr float kFMDepthThreshold = 0.0001f;
  static constexpr int32_t kNoFocus = -1;

  // Roles of the plug-in's scratch buffers inside one block. The envelope, the follower and the
  // sample-and-hold are read once per sub-block and keep their value out of the buffers (6-8), and
  // the sample-and-hold reads input 3 in place (10).
  enum Scratch : int32_t {
    kWorkLeft = 0,
    kWorkRight = 1,
    kParallelLeft = 2,
    kParallelRight = 3,
    kLFO1Buffer = 4,
    kLFO2Buffer = 5,
    kFollowerInput = 9,
    kFM1Buffer = 11,
    kFM2Buffer = 12,
    kScratchBuffersUsed = 13,
  };

  NorvProcess();

  // Stores the rates, hands the processing rate to every part and resets the filters and sources.
  // The drive, the compressor's detector and the mixer (with the bypass) carry on as they were, so
  // a rate or oversampling change neither lets processed sound through a bypass nor drops the
  // gain reduction. May allocate (the comb filters' delay lines): UI thread, or the audio thread
  // parked by the plug-in.
  void SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) override;
  // Glide time in samples at the processing rate (the "ParamSlewTime" preference); values below 1
  // or not finite keep the default. UI thread (set-up).
  void SetSlewTime(double samples);

  // audio thread. Source 0 sets the target (and, for stepped parameters or with immediate, the
  // base); sources 1-11 set that depth. Indices or sources out of range and NaN values are
  // ignored.
  void SetParameter(int32_t index, int32_t source, float value, bool immediate);
  // audio thread: every base becomes its target at once.
  void Snap();
  // audio thread: rows to (default, 0, ..., 0), targets and modulated values to the defaults,
  // every source unipolar, XY values and link offset 0, every part reset.
  void Reset();

  // --- Transmod routing (audio thread unless noted; the state document reads and writes these on
  // the UI thread while the engine is locked) ----------------------------------------------------
  // Source 0-11: unipolar (scale 1, offset 0) or bipolar (scale 2, offset 1).
  void SetPolarMode(int32_t source, bool unipolar);
  bool IsUnipolar(int32_t source) const;  // any thread
  // Source -1 clears every depth of the parameter.
  void RemoveModulation(int32_t index, int32_t source);
  // Source -1 clears every depth of every parameter; the modulated flags follow.
  void RemoveModDestinations(int32_t source);
  // XY pad axis 0 (X, source "C1") or 1 (Y, source "C2"). Stored as given: the routing clamps.
  void SetMacroValue(int32_t axis, float value);
  float MacroValue(int32_t axis) const;  // any thread
  // Filter 2's cutoff base minus filter 1's; what a linked filter 1 cutoff change keeps.
  void SetLinkOffset(float offset);
  float LinkOffset() const { return linkOffset_; }  // any thread
  // Counts every change of the values the state document holds (bases, depths, polarities, XY,
  // link offset), so a reader can tell whether a copy is still current. // engine's thread
  uint64_t Revision() const { return revision_; }
  // The engine's part of the plug-in state (rows, polarities, XY values, link offset), defined in
  // NorvProcessState.cpp; the state document turns the record into XML and back. Applying resets
  // the engine, sets every value with the immediate flag, so bases and targets land at once, and
  // recomputes the modulated flags. // audio thread, or a set-up call holding the block gate
  void CaptureState(EngineState& state) const;
  void ApplyState(const EngineState& state);
  // Recomputes all 60 modulated flags from the depths (after a state load).
  void RecomputeModulatedFlags();
  // Column 0-11 of a row (0 the base); 0 outside the table. // any thread
  float RowValue(int32_t index, int32_t column) const;
  // Whether any parameter has a depth from this source. // any thread
  bool IsSourceUsed(int32_t source) const;
  // Current value (0..1 before polarity) of source 1-11. // any thread
  float SourceValue(int32_t source) const;

  float Target(int32_t index) const;                 // any thread
  float Base(int32_t index) const;                   // any thread
  float Depth(int32_t index, int32_t source) const;  // any thread
  bool IsModulated(int32_t index) const;             // any thread
  float ModulatedValue(int32_t index) const;         // any thread
  // The glide step per sample that the next sub-block uses. // audio thread
  float Slope(int32_t index) const;

  // --- Notes and tempo (audio thread) ----------------------------------------------------------
  // A note-on's velocity becomes the velocity source (vel / 128, at most 1) and the note-on random
  // source draws a new value.
  void NoteOnSources(int32_t velocity);
  // Channel 2 notes: the pitch source becomes note / 128, at most 1.
  void SetPitchNote(int32_t note);
  // Note-driven cutoff of slot 0 or 1: target from the note number with the slot type's key
  // tracking (linked filter 2 follows slot 0).
  void SetCutoffFromNote(int32_t slot, int32_t note);
  // Sets the parameter's target and base at once (rate-selection notes).
  void SetImmediate(int32_t index, float value);
  // Restart hooks for the modulation sources.
  void RestartEnvelope();
  void RestartLFO(int32_t lfo);
  // Lines both LFOs up with the song position (quarter notes) at the tempo: phase =
  // frac(frequency * 60 / tempo * position + Phase).
  void AlignLFOs(double songPosition, double tempo);
  double LFOPhase(int32_t lfo) const { return lfos_[lfo & 1].Phase(); }
  const LFO& Oscillator(int32_t lfo) const { return lfos_[lfo & 1]; }
  const AHDREnvelope& Envelope() const { return envelope_; }

  void SetInterpolator(IProcessInterpolator* interpolator) { interpolator_ = interpolator; }

  // audio thread: one oversampled block of `frames` samples. inputs: 4 channels (1+2 main,
  // 3+4 sidechain), outputs: 2; scratch: at least kScratchBuffersUsed buffers of `frames` samples
  // (zeroed by the caller). tempo in beats per minute; focusParameter the index held in the
  // editor or kNoFocus.
  void Process(const float* const* inputs, float* const* outputs, float* const* scratch,
               int32_t frames, double tempo, int32_t focusParameter);

  const VDSP::VoiceFilter& Slot(int32_t slot) const { return slots_[slot & 1]; }
  const VDSP::Compressor& Dynamics() const { return compressor_; }
  const VDSP::WetDryMixer& Mixer() const { return mixer_; }

 private:
  struct Block {
    const float* const* inputs;
    float* const* outputs;
    float* const* scratch;
    int32_t offset;
    int32_t count;
  };

  static bool IsValidIndex(int32_t index) { return index >= 0 && index < kNumParameters; }
  void UpdateModulatedFlag(int32_t index);
  void UpdateLinkOffset();
  void ResetParts();
  void ResetRateDependentParts();

  void ComputeSlopes(int32_t focusParameter);
  void GlideBases(int32_t count);
  void StoreModulationValues();
  void ModulateParameters(int32_t from, int32_t to);
  float RoutingSum(int32_t index) const;

  bool FilterFMPossible() const;

 public:
  // Whether this block may read inputs 3+4 at the processing rate: the follower or the
  // sample-and-hold set to "In 3+4", or filter FM from "In 3+4". Decided by the switches' bases and
  // targets (and any modulation), so a block never starts without a sidechain it needs.
  // audio thread
  bool ReadsSidechain() const;

 private:
  void RunSources(const Block& block);
  void RunChain(const Block& block);
  void RunFilters(const Block& block);
  void RunFiltersPerSample(const Block& block);
  void FillFMSource(const Block& block, int32_t slot, float* destination);
  void FillSlotCutoffs(const Block& block, float (&cutoffs)[2][kSubBlockSize]);
  void RunSlotWithCutoffs(int32_t slot, float* left, float* right, const float* cutoffs,
                          int32_t count, bool active);
  void SetSlotControls(int32_t slot, float cutoff);
  void RunDynamics(const Block& block);

  // Path switches: the layout and the drive's place fade from the old path to the new one, which
  // runs on the slots' twins (and a copy of the drive) for the fade's length.
  enum class PathSwitch : uint8_t { kNone, kLayout, kDrivePosition };
  struct PairBuffers {
    float* left;
    float* right;
    float* twinLeft;
    float* twinRight;
  };
  void UpdatePath(bool driveOn);
  void StartPathSwitch(PathSwitch kind);
  void FinishPathSwitch();
  void RunPathSwitch(const Block& block, bool driveOn);
  void RunDrivePositionSwitch(const Block& block, bool driveOn, float* newLeft, float* newRight);
  void RunLayoutSwitch(const Block& block, float* newLeft, float* newRight);
  // Both slots' controls for the sub-block, or under filter FM (answered true) their cutoffs for
  // every sample.
  bool PrepareSlots(const Block& block, float (&cutoffs)[2][kSubBlockSize]);
  // One slot on both paths: controls once per sub-block, or per sample from `cutoffs` under FM.
  void RunSlotPair(int32_t slot, const PairBuffers& io, const float* cutoffs, int32_t count);
  void RunFiltersOnBothPaths(const Block& block, const PairBuffers& io);
  float Mod(int32_t index) const { return modulatedValues_[index]; }

  // Parameters.
  std::array<float, kNumParameters> targets_{};
  std::array<std::array<float, kNumColumns>, kNumParameters> rows_{};
  std::array<uint8_t, kNumParameters> modulated_{};
  std::array<float, kNumParameters> modulatedValues_{};
  std::array<float, kNumParameters> slopes_{};
  float slewCoefficient_ = static_cast<float>(1.0 / kDefaultSlewSamples);
  // Set with every target change; cleared once no base has anywhere left to glide.
  bool glidesPending_ = true;
  uint64_t revision_ = 0;
  // Set with every change of a base or a modulated flag; the unmodulated values are recomputed
  // while it is set.
  bool basesChanged_ = true;
  void MarkChanged() {
    ++revision_;
    basesChanged_ = true;
  }
  // Routing.
  std::array<uint8_t, kNumColumns> unipolar_{};
  Transmod::Polarity polarity_{};
  std::array<float, kNumColumns> sourceValues_{};
  std::array<float, 2> macroValues_{};
  float linkOffset_ = 0.0f;
  // Source state kept here.
  float velocity_ = 0.0f;
  float pitch_ = 0.0f;
  float noteRandom_ = 0.0f;
  float noise_ = 0.0f;
  std::array<LFO, 2> lfos_;
  AHDREnvelope envelope_;
  EnvelopeFollower follower_;
  SampleAndHold sampleAndHold_;
  std::array<float, kNumColumns> rawSourceValues_{};
  VFoundation::RandomGenerator noiseGenerator_;
  VFoundation::RandomGenerator noteRandomGenerator_;
  double tempo_ = 120.0;
  // Parts.
  std::array<VDSP::VoiceFilter, 2> slots_;
  VDSP::Distortion drive_;
  VDSP::Compressor compressor_;
  VDSP::WetDryMixer mixer_;
  // The signal path the chain runs: layout and drive place as last taken, which trail the
  // switches while a fade is in flight. Unprimed after a reset: the first block takes the
  // switches at once.
  bool parallel_ = false;
  bool drivePre_ = true;
  bool pathPrimed_ = false;
  PathSwitch pathSwitch_ = PathSwitch::kNone;
  VDSP::EqualPowerFade pathFade_;
  // The drive of the new path during a drive-position fade, copied from the drive when it starts.
  VDSP::Distortion newPathDrive_;
  IProcessInterpolator* interpolator_ = nullptr;
};
