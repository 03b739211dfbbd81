// One filter slot's filter: owns one object of every filter type and runs the selected one.
#pragma once

#include <cstdint>

#include "dsp/CombFilter.h"
#include "dsp/MS20Filter.h"
#include "dsp/SH101Filter.h"
#include "dsp/SampleRateUser.h"
#include "dsp/StateVariableFilter.h"

namespace VDSP {

enum class FilterType : uint32_t {
  kJapan = 0,  // SH101Filter
  kSvf = 1,    // StateVariableFilter
  kFatty = 2,  // MS20Filter, one per channel
  kComb = 3,   // CombFilter, one per channel
};
inline constexpr uint32_t kFilterTypeCount = 4;

// A type that is not selected is neither run nor updated, so returning to it continues from where
// it stopped; a type change touches no state.
class MultiTypeFilter : public SampleRateUser {
 public:
  MultiTypeFilter() = default;

  // Stores the rates and forwards them to all six filter objects (their states are kept).
  // UI thread
  void SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) override;

  // All four normalised. type = round(3 * type); only the selected type receives the cutoff, the
  // mapped resonance and the mode. // audio thread
  void Initialize(float cutoff, float resonance, float mode, float type);

  // Runs the selected type over n samples; in and out may be the same buffers. A stored type
  // outside 0..3 passes the input unchanged. n < 1 processes nothing. // audio thread
  void Process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
               int32_t n, float inverseN);

  // Clears every filter's state and gives every type its defaults (cutoff 1, resonance 0,
  // mode 0); the selected type is kept. // audio thread
  void Reset();

  // The resonance S-curve: ((res - 0.5) * 4)^5 / 70 + 0.1 res + 0.45, limited to 0..1 (0.5 at the
  // centre, 0 from about 0.0014 down, 1 from about 0.9986 up); NaN gives 0. // any thread
  static float MapResonance(float resonance);
  // round(3 * type), half away from zero; values that round outside 0..3 (and NaN) give
  // kNoType, which processes nothing. // any thread
  static uint32_t TypeIndexOf(float type);
  static constexpr uint32_t kNoType = 0xFFFFFFFFu;
  // The mode index a type reads from a normalised mode, as that filter rounds it (each type's
  // ModeIndexOf); 0 for kNoType. // any thread
  static uint32_t ModeIndexOf(uint32_t typeIndex, float mode);

  // The editor's response plot for the same controls as Initialize: points[i] for the frequency
  // 20 * 10^(3 i / count) Hz, the magnitude in dB stored as (dB + 80) / 120 (see
  // FilterResponse.h). Computed from the controls alone, never from a running filter. // UI thread
  static void ComputeResponse(float cutoff, float resonance, float mode, float type, float* points,
                              int32_t count);

  uint32_t Type() const { return type_; }
  const StateVariableFilter& Svf() const { return svf_; }
  const SH101Filter& Japan() const { return sh101_; }
  SH101Filter& Japan() { return sh101_; }
  bool IsJapan() const { return type_ == static_cast<uint32_t>(FilterType::kJapan); }
  const CombFilter& CombLeft() const { return combLeft_; }
  const CombFilter& CombRight() const { return combRight_; }
  const MS20Filter& FattyLeft() const { return ms20Left_; }
  const MS20Filter& FattyRight() const { return ms20Right_; }

 private:
  StateVariableFilter svf_;
  SH101Filter sh101_;
  CombFilter combLeft_;
  CombFilter combRight_;
  MS20Filter ms20Left_;
  MS20Filter ms20Right_;
  uint32_t type_ = 0;
};

}  // namespace VDSP
