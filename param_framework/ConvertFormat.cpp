// The formatting helpers every value converter shares.
#include "param_framework/ConvertFormat.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

#include "support/TextHelpers.h"

namespace VDSP {

namespace {

constexpr int kMaxDecimals = 15;
// Exact in double precision up to 10^22, so scaling by them adds no error of its own.
constexpr double kPowersOfTen[kMaxDecimals + 1] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
// No whole number of 64 digits or more fits in the 63-character work buffer.
constexpr double kTooManyDigits = 1e63;
constexpr const char* kKeyNames[12] = {" C", "C#", " D", "D#", " E", " F",
                                       "F#", " G", "G#", " A", "A#", " B"};
// Keys far beyond any keyboard would overflow the integer arithmetic; they are all "big" anyway.
constexpr double kKeyLimit = 1e9;

int CopyCut(char* out, int maxChars, std::string_view text) {
  const int count = std::min(maxChars, static_cast<int>(text.size()));
  std::memcpy(out, text.data(), static_cast<size_t>(count));
  return count;
}

// The digits of a rounded magnitude below 1e63, padded with leading zeros to at least
// decimals + 1 digits so that a point can go before the last `decimals` of them.
int MagnitudeDigits(double magnitude, int decimals, char* digits, int room) {
  char raw[kWorkTextSize + 2];
  const auto [end, error] =
      std::to_chars(raw, raw + sizeof raw, magnitude, std::chars_format::fixed, 0);
  const int count = error == std::errc() ? static_cast<int>(end - raw) : 0;
  const int padding = std::max(0, decimals + 1 - count);
  if (count == 0 || count + padding > room) return -1;
  std::memset(digits, '0', static_cast<size_t>(padding));
  std::memcpy(digits + padding, raw, static_cast<size_t>(count));
  return count + padding;
}

// The text of FormatDecimal in out, at most maxChars characters; answers its length.
int DecimalText(char* out, int maxChars, double value, int decimals, bool forceSign) {
  if (std::isnan(value)) return CopyCut(out, maxChars, "nan");
  const int d = std::clamp(decimals, 0, kMaxDecimals);
  const double rounded = std::floor(value * kPowersOfTen[d] + 0.5);
  const bool negative = rounded < 0.0;
  const char* sign = negative ? "-" : (forceSign ? "+" : "");
  const int signLength = static_cast<int>(std::strlen(sign));
  const double magnitude = std::fabs(rounded);
  char digits[kWorkTextSize + 2];
  const int count = magnitude < kTooManyDigits
                        ? MagnitudeDigits(magnitude, d, digits, static_cast<int>(sizeof digits))
                        : -1;
  const int needed = signLength + count + (d > 0 ? 1 : 0);
  if (count < 0 || needed > maxChars) {
    const int length = CopyCut(out, maxChars, negative ? "-" : "+");
    return length + CopyCut(out + length, maxChars - length, "big");
  }
  int length = CopyCut(out, maxChars, sign);
  const int whole = count - d;
  std::memcpy(out + length, digits, static_cast<size_t>(whole));
  length += whole;
  if (d > 0) {
    out[length++] = '.';
    std::memcpy(out + length, digits + whole, static_cast<size_t>(d));
    length += d;
  }
  return length;
}

}  // namespace

int FormatDecimal(char* buffer, int size, double value, int decimals, bool forceSign) {
  const int room = buffer ? std::min(size, kWorkTextSize) : kWorkTextSize;
  if (room < 1) return 0;
  char text[kWorkTextSize];
  const int length = DecimalText(text, room - 1, value, decimals, forceSign);
  if (buffer) {
    std::memcpy(buffer, text, static_cast<size_t>(length));
    buffer[length] = '\0';
  }
  return length;
}

void AppendDecimal(WorkText& text, double value, int decimals, bool forceSign) {
  char number[kWorkTextSize];
  const int length =
      FormatDecimal(number, WorkText::kMaxLength - text.Length() + 1, value, decimals, forceSign);
  text.Append({number, static_cast<size_t>(length)});
}

void FormatGainAsDecibels(WorkText& text, double gain, bool longForm) {
  if (!(gain > 0.00001)) {
    text.Append("-oo dB");
    return;
  }
  AppendDecimal(text, 20.0 * std::log10(gain), longForm ? 7 : 1);
  text.Append(" dB");
}

void FormatFrequencyText(WorkText& text, double hz, bool longForm, bool withUnit) {
  const int decimals = longForm ? 8 : 2;
  if (!withUnit) {
    AppendDecimal(text, hz, decimals);
  } else if (hz >= 1000.0) {
    AppendDecimal(text, hz * 0.001, decimals);
    text.Append(" kHz");
  } else {
    AppendDecimal(text, hz, decimals);
    text.Append(" Hz");
  }
}

void FormatTimeText(WorkText& text, double seconds, bool longForm) {
  const int decimals = longForm ? 8 : 2;
  if (seconds >= 1.0) {
    AppendDecimal(text, seconds, decimals);
    text.Append(" s");
  } else {
    AppendDecimal(text, seconds * 1000.0, decimals);
    text.Append(" ms");
  }
}

void FormatKeyName(WorkText& text, double value) {
  const double clamped = std::isnan(value) ? 0.0 : std::clamp(value, -kKeyLimit, kKeyLimit);
  const auto key = static_cast<int64_t>(std::round(clamped));
  const int64_t octave = key >= 0 ? key / 12 : -((11 - key) / 12);
  text.Append(kKeyNames[key - 12 * octave]);
  AppendDecimal(text, static_cast<double>(octave), 0);
}

bool ReadKeyName(std::string_view text, double& key) {
  constexpr int kNaturalSemitones[7] = {9, 11, 0, 2, 4, 5, 7};  // A to G
  size_t at = 0;
  while (at < text.size() && VFoundation::IsBlank(text[at])) ++at;
  if (at >= text.size()) return false;
  const char letter = VFoundation::ToUpperAscii(text[at++]);
  if (letter < 'A' || letter > 'G') return false;
  int semitone = kNaturalSemitones[letter - 'A'];
  if (at < text.size() && text[at] == '#') {
    ++semitone;
    ++at;
  }
  while (at < text.size() && VFoundation::IsBlank(text[at])) ++at;
  int octave = 0;
  const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), octave);
  if (error != std::errc() || end == text.data() + at) return false;
  key = 12.0 * octave + semitone;
  return true;
}

Engineering EngineeringPrefix(double value) {
  if (!std::isfinite(value)) return {value, ""};
  const double e = std::floor(std::log10(std::fabs(value) + 1e-10));
  if (e >= 6.0) return {value * 0.000001, "M"};
  if (e >= 3.0) return {value * 0.001, "k"};
  if (e <= -3.0) return {value * 1000.0, "m"};
  return {value, ""};
}

double EngineeringFactor(std::string_view text) {
  if (text.empty()) return 1.0;
  switch (text.front()) {
    case 'k':
    case 'K':
      return 1e3;
    case 'M':
      return 1e6;
    case 'm':
      return 1e-3;
    default:
      return 1.0;
  }
}

}  // namespace VDSP
