// The formatting helpers every value converter shares: decimals with their "big" overflow, gains
// in decibels, frequencies, times, key names and engineering prefixes.
#pragma once

#include <string_view>

#include "param_framework/FixedString.h"

namespace VDSP {

// Converters build their text here (at most 63 characters) before copying it out.
inline constexpr int kWorkTextSize = 64;
using WorkText = FixedString<kWorkTextSize>;

// The precision argument of ValueToText: the long form carries more decimals; kNumberOnly asks
// the note-length converter for the number without its word.
inline constexpr int kShortForm = 0;
inline constexpr int kLongForm = 1;
inline constexpr int kNumberOnly = 2;

inline bool IsLongForm(int precision) {
  return precision == kLongForm;
}
inline int DecimalsFor(int precision, int longDecimals, int shortDecimals) {
  return IsLongForm(precision) ? longDecimals : shortDecimals;
}

// Writes value rounded to `decimals` places (0 to 15, by floor(value * 10^d + 0.5)) with exactly
// that many digits after the point; "-" for a negative result, "+" for any other only with
// forceSign. Digits that do not fit in size - 1 characters give the sign and "big" instead, cut to
// the buffer; NaN gives "nan". The size is clamped to 64; below 1 nothing is written. A null
// buffer answers the length a 64-byte buffer would receive. Answers the characters written,
// always terminated. // any thread
int FormatDecimal(char* buffer, int size, double value, int decimals, bool forceSign);

// FormatDecimal into the room left in text. // any thread
void AppendDecimal(WorkText& text, double value, int decimals, bool forceSign = false);

// 20 log10(gain) with 7 (long form) or 1 decimals and " dB"; "-oo dB" at or below 0.00001.
// any thread
void FormatGainAsDecibels(WorkText& text, double gain, bool longForm);

// The number (8 or 2 decimals); with the unit, " kHz" from 1000 Hz up, else " Hz". // any thread
void FormatFrequencyText(WorkText& text, double hz, bool longForm, bool withUnit = true);

// Seconds (8 or 2 decimals) and " s" from one second up, else milliseconds and " ms". // any thread
void FormatTimeText(WorkText& text, double seconds, bool longForm);

// Key k (value rounded half away from zero) as its two-character name and octave k / 12: 60 is
// " C5", 69 " A5", 70 "A#5". Below 0 the octave is counted down (-1 is " B-1") rather than
// indexing outside the name table; NaN reads as 0. // any thread
void FormatKeyName(WorkText& text, double value);

// The key a name written by FormatKeyName stands for ("A5", "c#3", "B-1", blanks and case free).
// Answers false for text that is not a key name. // any thread
bool ReadKeyName(std::string_view text, double& key);

struct Engineering {
  double value;        // the number to print
  const char* prefix;  // "", "k", "M" or "m"
};

// Thousands, millions and thousandths by e = floor(log10(|v| + 1e-10)): e from -2 to 2 keeps v,
// 3 to 5 gives "k", 6 and up "M", -3 and below "m". Non-finite values keep no prefix. // any thread
Engineering EngineeringPrefix(double value);

// The factor of an engineering prefix letter at the start of text: "k"/"K" 1e3, "M" 1e6, "m"
// 1e-3, else 1. Case matters here alone: milli and mega differ only by it. // any thread
double EngineeringFactor(std::string_view text);

}  // namespace VDSP
