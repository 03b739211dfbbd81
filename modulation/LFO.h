// Low-frequency oscillator: five morphing shapes, a skewable duty split, free or synced rate.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "dsp/SampleRateUser.h"

namespace VDSP {
class SineTable;
class ArcsineTable;
}  // namespace VDSP

// Unipolar wave in [0, 1] with 0.5 as the centre line. Shape runs through falling ramp (0), square
// (0.25), sine (0.5), triangle (0.75) and peaked triangle (1), crossfading neighbours. The engine
// owns two and drives them on the audio thread: Update once per sub-block, then Render the
// sub-block. Gain is not applied here: the engine scales the last sample (and a filter slot its FM
// samples) by the gain parameter squared.
class LFO : public VDSP::SampleRateUser {
 public:
  LFO();

  // Stores the rates and recomputes the phase increment; the caller then sets the phase to 0.
  // set-up call (audio thread or while processing is stopped)
  void SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) override;

  // Per sub-block, from modulated parameter values (all 0..1): the rate value (free 0.25 Hz to 1024
  // Hz, or a tempo division when synced, at tempoBpm), the shape and the morph (first half of each
  // cycle lasts (1.5 morph + 0.25) / 2 of the period). NaN and out-of-range values are held into
  // range. // audio thread
  void Update(float rateValue, bool synced, float tempoBpm, float shape, float morph);

  // Advances the phase once per sample and writes `count` values in [0, 1]. No allocation.
  // audio thread
  void Render(float* buffer, int32_t count);
  // Advances the phase exactly as Render does and returns only the last of the `count` values
  // (the engine's modulation reads one value per sub-block; the wave is a function of the phase
  // alone, so this equals Render's last sample). count >= 1. No allocation. // audio thread
  float RenderLast(int32_t count);

  // Phase in cycles; wrapped into [0, 1) (NaN gives 0). Trigger notes pass the base value of the
  // LFO's Phase parameter. // audio thread
  void SetPhase(double phaseCycles);
  double Phase() const { return phase_; }  // any thread (tests, the engine)

  // Lines the phase up with the host timeline at a transport start: the cycles elapsed at the song
  // position (quarter notes) at the current frequency, plus the modulated phase value.
  // audio thread
  void AlignToTransport(double ppqPosition, float tempoBpm, float phaseValue);
  // The phase that AlignToTransport sets, for a given frequency in Hz. A tempo of 0 or a non-finite
  // result gives the phase value alone. // any thread
  static float TransportPhase(double ppqPosition, float tempoBpm, float frequencyHz,
                              float phaseValue);

  double FrequencyHz() const { return frequencyHz_; }        // any thread
  double PhaseIncrement() const { return phaseIncrement_; }  // any thread

  // Frequency in Hz of a rate value: the tempo division at tempoBpm when synced, else 2^(12v - 2)
  // by the cubic approximation. // any thread
  static float ComputeRate(float value, bool synced, float tempoBpm);
  // Typed rate text to a normalised value: a division name when synced, else Hz clamped to
  // 0.25..1024 on the inverse free-rate curve. // UI thread
  static float ConvertStringToLFORate(std::string_view text, bool synced);

  // The editor's plot: exactly two cycles over `pointCount` points starting at `phase`, shape and
  // morph as in Render, each point (y * 0.8 + 0.1) clamped to [0, 1] times gain squared, appended
  // to `points`. Ignores rate and sync. // UI thread
  static void RenderPreview(float shape, float phase, float gain, float morph,
                            std::vector<float>& points, int32_t pointCount);

 private:
  double frequencyHz_ = 440.0;
  double phaseIncrement_ = 440.0 / 44100.0;
  double phase_ = 0.0;
  double shape_ = 0.0;
  double morphFactor_ = 1.0;  // equal halves until the first update

  const VDSP::SineTable& sine_;
  const VDSP::ArcsineTable& arcsine_;
};
