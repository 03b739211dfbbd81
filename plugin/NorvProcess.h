// The engine's parameter state: targets, parameter rows with their modulation depths, the sources'
// polarity, and the block call that runs the sound (a straight pass-through until the signal chain
// is in place).
#pragma once

#include <array>
#include <cstdint>

#include "dsp/SampleRateUser.h"

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
  static constexpr int32_t kNumParameters = 60;
  // Column 0 of a row is the base value, columns 1-11 the depths of the modulation sources.
  static constexpr int32_t kNumColumns = 12;
  static constexpr int32_t kNumSources = 11;
  // Control values are updated at least this often (samples at the processing rate).
  static constexpr int32_t kSubBlockSize = 32;

  NorvProcess();

  // Switch-like parameters, whose base follows the target without gliding.
  static bool IsSwitchLike(int32_t index);

  // audio thread. Source 0 sets the target (and, for switches or with immediate, the base);
  // sources 1-11 set that depth. Indices or sources out of range are ignored.
  void SetParameter(int32_t index, int32_t source, float value, bool immediate);
  // Every base becomes its target at once.
  void Snap();
  // Rows to (default, 0, ..., 0), targets to the defaults, every source unipolar.
  void Reset();

  // Source 1-11: unipolar (scale 1, offset 0) or bipolar (scale 2, offset 1).
  void SetPolarMode(int32_t source, bool unipolar);
  bool IsUnipolar(int32_t source) const;
  // Source -1 clears every depth of the parameter.
  void RemoveModulation(int32_t index, int32_t source);
  // Source -1 clears every depth of every parameter.
  void RemoveModDestinations(int32_t source);
  // XY pad axis 0 (X) or 1 (Y).
  void SetMacroValue(int32_t axis, float value);
  float MacroValue(int32_t axis) const;

  float Target(int32_t index) const;
  float Base(int32_t index) const;
  float Depth(int32_t index, int32_t source) const;
  bool IsModulated(int32_t index) const;
  float LinkOffset() const { return linkOffset_; }

  void SetInterpolator(IProcessInterpolator* interpolator) { interpolator_ = interpolator; }

  // audio thread: one oversampled block, in sub-blocks of at most 32 samples with the plug-in's
  // interpolation callback after each. Until the signal chain runs here, the main input passes
  // straight through.
  void Process(const float* const* inputs, float* const* outputs, int32_t frames);

 private:
  static bool IsValidIndex(int32_t index) { return index >= 0 && index < kNumParameters; }
  void UpdateModulatedFlag(int32_t index);
  void UpdateLinkOffset();

  std::array<float, kNumParameters> targets_{};
  std::array<std::array<float, kNumColumns>, kNumParameters> rows_{};
  std::array<uint8_t, kNumParameters> modulated_{};
  std::array<float, kNumParameters> modulatedValues_{};
  std::array<uint8_t, kNumColumns> unipolar_{};
  std::array<float, kNumColumns> polarityScale_{};
  std::array<float, kNumColumns> polarityOffset_{};
  std::array<float, 2> macroValues_{};
  float linkOffset_ = 0.0f;
  IProcessInterpolator* interpolator_ = nullptr;
};
