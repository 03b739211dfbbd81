// Rate of the LFOs and the sample-and-hold: free rate curve, tempo-synced rate and typed text.
#pragma once

#include <string_view>

// Free rate 2^(12v - 2) Hz by the cubic approximation: 0.25 Hz at 0, 16 Hz at 0.5, 1024 Hz at 1,
// one octave per twelfth of the range. v is clamped to 0..1 (NaN reads as 0). // audio thread
float FreeRateHz(float value);

// Frequency in Hz for a rate value: the tempo division at tempoBpm when synced, else the free
// rate. // audio thread
float ComputeRate(float value, bool synced, float tempoBpm);

// Inverse of the free rate curve: (ln f + 2 ln 2) / (12 ln 2) with f clamped to 0.25..1024 Hz and
// the result to 0..1. NaN reads as the lowest rate. // any thread
float FreeRateValueFromHz(double hz);

// Typed rate text to a normalised value: when synced the tempo-division parser, otherwise the
// leading number (VFoundation::ReadLeadingNumber) in Hz through FreeRateValueFromHz (text without
// a number reads as 0 Hz, the lowest rate). // UI thread
float ConvertStringToRate(std::string_view text, bool synced);
