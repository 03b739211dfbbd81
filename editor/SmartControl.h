// What the synth panel's knobs and faders share beyond their value: the end of the selected
// source's modulation range, the live (modulated) value the engine reports, the selected source
// and which handle the last edit moved. This version edits the value only; the modulation handle
// and the live-value drawing build on these fields. UI thread.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

class SmartControl {
 public:
  // Which handle an event of the control moved.
  enum Handle : int32_t {
    kValueHandle = 666,       // the value; reported value clamped to 0..1
    kModulationHandle = 667,  // the modulation depth; reported value = target - value
    kBothHandles = 668,       // value and range together; reported value clamped to 0..1
  };
  // Smaller changes of the live value are not worth a repaint.
  static constexpr float kLiveValueResolution = 0.000001f;

  virtual ~SmartControl() = default;

  float ModulationTarget() const { return modulationTarget_; }
  // UI thread
  void SetModulationTarget(float target) { modulationTarget_ = Clamp01(target); }
  float LiveValue() const { return liveValue_; }
  // Takes a new live value (clamped to 0..1); answers whether it differs enough to repaint.
  // UI thread
  bool TakeLiveValue(float value) {
    const float clamped = Clamp01(value);
    if (std::fabs(clamped - liveValue_) < kLiveValueResolution) return false;
    liveValue_ = clamped;
    return true;
  }
  // The source whose depth the modulation handle edits (0: none) and whether the parameter can
  // be modulated by it. UI thread
  void SetModulationSource(int32_t source, bool enabled) {
    source_ = source;
    modulationEnabled_ = enabled && source > 0;
  }
  int32_t ModulationSource() const { return source_; }
  bool ModulationEnabled() const { return modulationEnabled_; }
  Handle ActiveHandle() const { return activeHandle_; }

 protected:
  void SetActiveHandle(Handle handle) { activeHandle_ = handle; }
  static float Clamp01(float v) { return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 0.0f; }

 private:
  float modulationTarget_ = 0.0f;
  float liveValue_ = 0.0f;
  int32_t source_ = 0;
  bool modulationEnabled_ = false;
  Handle activeHandle_ = kValueHandle;
};
