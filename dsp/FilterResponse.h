// Magnitude-response plots of the filter types for the editor: frequency grid and value scale.
#pragma once

#include <cstdint>

namespace VDSP {

// Every filter type offers its small-signal response as
//   static float MagnitudeDb(float cutoffNorm, float resonanceNorm, int mode, float frequencyHz,
//                            float displayRateHz);
// cutoffNorm: the slot's normalised cutoff (440 * 2^(12 c - 6) Hz); resonanceNorm: the slot's
// mapped resonance r in 0..1 as MultiTypeFilter::Initialize computes it, before any scaling of the
// type's own (such as 1.01 r); mode: the type's own mode index (the one its setter derives from
// the normalised mode); the result is the magnitude in dB, finite, not yet limited. All plots use
// the same display rate, whatever the engine's rate, so that a curve does not move when the host
// rate changes.
using MagnitudeDbFunction = float (*)(float cutoffNorm, float resonanceNorm, int mode,
                                      float frequencyHz, float displayRateHz);

inline constexpr float kResponseDisplayRateHz = 44100.0f;
inline constexpr float kResponseLowestHz = 20.0f;
inline constexpr float kResponseMinDb = -100.0f;
inline constexpr float kResponseMaxDb = 60.0f;

// Frequency of plot point i of n: 20 * 10^(3 x) Hz with x = i / n limited to [0, 1], so the axis
// runs logarithmically from 20 Hz to 20 kHz. // any thread
float ResponseFrequencyHz(int32_t point, int32_t pointCount);

// dB limited to [-100, 60] and stored as (dB + 80) / 120: -80 dB at the bottom of the plot, +40 dB
// at the top; NaN counts as -100 dB. // any thread
float ResponsePlotValue(float db);

// Fills points[0 .. count - 1] with the plot values of one type's response. // UI thread
void FillResponse(MagnitudeDbFunction magnitudeDb, float cutoffNorm, float resonanceNorm, int mode,
                  float* points, int32_t count);

}  // namespace VDSP
