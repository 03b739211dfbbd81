// The 39 tempo divisions: names, rates at a tempo, the typed-text parser and beat arithmetic.
#pragma once

#include <cstdint>
#include <string_view>

// Entries run from "64 bars (dotted)" (0) to "1/64 bar (triplet)" (38), three per length in the
// order dotted, plain, triplet. A bar is four beats whatever the time signature.
inline constexpr int32_t kNumTempoDivisions = 39;

// Entry chosen by a normalised rate value: (v * 38 + 0.5) truncated. Values far outside 0..1 (and
// NaN) give an index outside 0..38 (NaN gives -1) rather than undefined arithmetic. // any thread
int32_t TempoDivisionIndex(float value);

// "ERROR!" for an index outside 0..38. // any thread
const char* TempoDivisionName(int32_t index);
// The name of the entry a normalised rate value selects. // any thread
const char* TempoDivisionNameForValue(float value);

// Cycles per second of the division that v selects at tempoBpm, in single precision. Dotted
// entries run at 2/3 of the plain rate of their length, triplets at 3/2. The index is clamped into
// the list; a tempo of 0 or less (or NaN) gives 0 Hz. // audio thread
float TempoDivisionRateHz(float value, float tempoBpm);

// clamp01(index * 0.02631579), that is index / 38. // any thread
float DivisionIndexToValue(int32_t index);

// Typed text to a normalised rate value: whole numbers are bars, fractions are fractions of a bar,
// "d"/"(dotted)" and "t"/"(triplet)" pick the variant ("1/4t", "16 bars (dotted)", "2"). Text
// without any division pattern gives entry 0. // UI thread
float ParseTempoDivision(std::string_view text);

// 60 / tempo; a tempo of 0 or less counts as 120. // any thread
double SecondsPerBeat(double tempoBpm);
// rate / tempo * 60; a rate of 1 or less counts as 44100, a tempo of 0 or less as 120. // any
// thread
double SamplesPerBeat(double tempoBpm, double sampleRateHz);
// 1 / SamplesPerBeat, or 1/22050 when that is not above 0.00001. // any thread
double BeatsPerSample(double tempoBpm, double sampleRateHz);
