// The drive stage: seven distortion modes, four of them a band-limited clipping circuit and three
// memoryless curves normalised by the drive gain.
#pragma once

#include <array>
#include <cstdint>

#include "dsp/SampleRateUser.h"

namespace VDSP {

enum class DistortionMode : uint32_t {
  kDiode = 0,          // "Diode": circuit with the DiodeClip curve
  kOta = 1,            // "OTA": circuit with the AsymTanh curve
  kOpAmp = 2,          // "Op-amp": circuit with the symmetric soft clipper
  kHalfRectifier = 3,  // "Half rectifier": circuit with the asymmetric soft clipper
  kShredder = 4,       // "Shredder": normalised Tanh33, limited to +-1
  kClipper = 5,        // "Clipper": hard clip at +-0.75
  kTannin = 6,         // "Tannin": folded Tanh33
};
inline constexpr uint32_t kDistortionModeCount = 7;

// Display names and the keys typed text looks for, in mode order.
inline constexpr std::array<const char*, kDistortionModeCount> kDistortionModeNames = {
    "Diode", "OTA", "Op-amp", "Half rectifier", "Shredder", "Clipper", "Tannin"};
inline constexpr std::array<const char*, kDistortionModeCount> kDistortionModeKeys = {
    "diode", "ota", "op-amp", "halfrect", "shredder", "clipper", "tannin"};

// Display name ("Diode", ..., "Tannin") and state key ("diode", ..., "tannin") of a mode; nullptr
// above 6. // any thread
const char* DistortionModeName(uint32_t mode);
const char* DistortionModeKey(uint32_t mode);

class Distortion : public SampleRateUser {
 public:
  Distortion();

  // Recomputes the DC blocker and the three one-pole corners for the processing rate; keeps the
  // filter states. // UI thread
  void SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) override;

  // The mode index of a normalised mode control: round(6 m) with m limited to 0..1. // any thread
  static uint32_t ModeIndexOf(float mode);

  // Drive gain as a linear factor (DriveGain of the amount control, 1..316.23); the gain
  // glides there across the next processed block. Negative values read as 0; a non-finite value
  // keeps the previous target. // audio thread
  void SetTargetGain(float gain);
  // Mode index 0..6 (DistortionMode); a larger index makes Process leave the audio unchanged.
  // // audio thread
  void SetMode(uint32_t mode);

  // Both channels in place. n < 1 processes nothing. // audio thread
  void Process(float* left, float* right, int32_t n);

  // Clears the filter states, restores the anti-denormal offset and sets the current gain to 0 as
  // constructed, so the next block fades in to the target; keeps the target, the mode and the
  // rate. // audio thread
  void Reset();

  // The circuit modes' clippers: linear up to +-0.94527, then a smooth bend to +-0.99502 at
  // +-1.04478 and flat beyond; HalfClip is linear only down to -0.049751 and flattens at -0.099502
  // from -0.14925. Pure functions. // any thread
  static float SoftClip(float u);
  static float HalfClip(float u);

  float Gain() const { return gain_; }               // audio thread
  float TargetGain() const { return targetGain_; }   // audio thread
  uint32_t Mode() const { return mode_; }            // audio thread
  float DcBlockerCoeff() const { return dcCoeff_; }  // audio thread
  // Corner k (0 input low-pass, 1 high-pass, 2 output low-pass) in Hz and its one-pole
  // coefficient. // audio thread
  float CornerHz(int k) const { return cornerHz_[k]; }
  float CornerCoeff(int k) const { return coeff_[k]; }

 private:
  template <DistortionMode kMode>
  void ProcessCircuit(float* left, float* right, int32_t n, float step);
  template <DistortionMode kMode>
  void ProcessMemoryless(float* left, float* right, int32_t n, float step);
  bool StateIsFinite() const;
  void ClearFilterStates();

  float gain_ = 0.0f;
  float targetGain_ = 0.0f;
  uint32_t mode_ = 0;
  float dcCoeff_ = 0.0f;
  // Filter states in order: input low-pass, 20 Hz high-pass, DC blocker, output low-pass; each
  // left then right.
  float inputLowPass_[2] = {0.0f, 0.0f};
  float highPass_[2] = {0.0f, 0.0f};
  float dcBlocker_[2] = {0.0f, 0.0f};
  float outputLowPass_[2] = {0.0f, 0.0f};
  float antiDenormal_ = 1e-8f;
  float cornerHz_[3] = {0.0f, 0.0f, 0.0f};
  float coeff_[3] = {0.0f, 0.0f, 0.0f};
  float complement_[3] = {0.0f, 0.0f, 0.0f};
};

}  // namespace VDSP
