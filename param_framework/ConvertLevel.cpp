// Converters that show levels in decibels.
#include "param_framework/ConvertLevel.h"

#include <cmath>
#include <optional>

#include "dsp/Exp2.h"
#include "param_framework/TypedText.h"

namespace VDSP {

namespace {

// The range FastExp2 clamps its argument to.
constexpr double kAmpLogLow = -10.0;
constexpr double kAmpLogHigh = 10.0;
// Halvings of the 20-wide range: the last step is far below what the long-form text resolves.
constexpr int kAmpLogSearchSteps = 40;

// Decibels typed, empty for silence.
std::optional<double> TypedDecibels(std::string_view text) {
  TypedText typed(text);
  typed.RemoveWord("DB");
  if (typed.StartsWith("-OO") || typed.Equals("-00")) return std::nullopt;
  return typed.Number();
}

double GainOfDecibels(double db) {
  return std::pow(10.0, db / 20.0);
}

// NaN is silence, as FastExp2 itself reads it; clamping first keeps the narrowing defined.
float AmpLogGain(double value) {
  const double clamped =
      std::isnan(value) ? kAmpLogLow : std::clamp(value, kAmpLogLow, kAmpLogHigh);
  return FastExp2(static_cast<float>(clamped));
}

// FastExp2 has small steps at each half octave, so it is inverted by bisection rather than by a
// logarithm: the answer is the lowest value whose gain reaches the one asked for.
double AmpLogValueOfGain(double gain) {
  double low = kAmpLogLow;
  double high = kAmpLogHigh;
  if (!(gain > AmpLogGain(low))) return low;
  if (gain >= AmpLogGain(high)) return high;
  for (int step = 0; step < kAmpLogSearchSteps; ++step) {
    const double middle = 0.5 * (low + high);
    (AmpLogGain(middle) >= gain ? high : low) = middle;
  }
  return high;
}

}  // namespace

double VConvertAmp::TextToValue(std::string_view text) const {
  const std::optional<double> db = TypedDecibels(text);
  return db ? std::cbrt(GainOfDecibels(*db)) : 0.0;
}

void VConvertAmp::FormatValue(WorkText& text, double value, double, int precision) const {
  FormatGainAsDecibels(text, value * value * value, IsLongForm(precision));
}

double VConvertAmpLog::TextToValue(std::string_view text) const {
  const std::optional<double> db = TypedDecibels(text);
  return db ? AmpLogValueOfGain(GainOfDecibels(*db)) : kAmpLogLow;
}

void VConvertAmpLog::FormatValue(WorkText& text, double value, double, int precision) const {
  FormatGainAsDecibels(text, AmpLogGain(value), IsLongForm(precision));
}

double VConvertDecibel::TextToValue(std::string_view text) const {
  return TypedDecibels(text).value_or(kSilenceDb);
}

void VConvertDecibel::FormatValue(WorkText& text, double value, double, int precision) const {
  if (!(value > kSilenceDb)) {
    text.Append("-oo dB");
    return;
  }
  AppendDecimal(text, value, DecimalsFor(precision, 7, 1));
  text.Append(" dB");
}

}  // namespace VDSP
