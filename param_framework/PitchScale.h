// The three scales of the relative-pitch converters: just intonation, the harmonic series and
// equal temperament. Intervals are stored in octaves (12 x semitones).
#pragma once

#include <string_view>

#include "param_framework/ConvertFormat.h"
#include "param_framework/EnumList.h"

namespace VDSP {

// In the order of the scale list "Just", "Harmonic", "Equal".
enum class PitchScale : int { kJust = 0, kHarmonic = 1, kEqual = 2 };
inline constexpr int kPitchScaleCount = 3;

// UI thread (allocates)
EnumList PitchScaleList();

// The scale member nearest to an interval, measured in pitch:
// - Equal: whole semitones.
// - Just: the 5-limit ratios 1/1, 16/15, 9/8, 6/5, 5/4, 4/3, 45/32, 3/2, 8/5, 5/3, 9/5, 15/8
//   within each octave.
// - Harmonic: whole harmonics n (n times the frequency) upward and subharmonics 1/n downward.
// Non-finite intervals come back unchanged. // any thread
double SnapToScale(PitchScale scale, double octaves);

// The interval as a musician reads it in the scale, without snapping (a fine control between two
// members shows where it is): semitones with forced sign and " st" in the equal and just scales
// ("+7.02 st" is a just fifth); harmonic numbers " hm" upward and "1/" subharmonics downward in
// the harmonic scale ("3 hm", "1/2 hm"), whole ones without decimals. // any thread
void FormatInterval(WorkText& text, PitchScale scale, double octaves, bool longForm);

// Text written by FormatInterval in any scale back to octaves: " hm" marks harmonics (with "1/" a
// subharmonic), anything else is read as semitones, " st" optional. // any thread
double ReadInterval(std::string_view text);

}  // namespace VDSP
