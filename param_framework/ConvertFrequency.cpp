// Converters that show frequencies.
#include "param_framework/ConvertFrequency.h"

#include <cmath>

#include "param_framework/TypedText.h"

namespace VDSP {

namespace {

constexpr double kDetuneOctaves = 2.0;  // c
constexpr double kDetuneOffset = 0.25;  // k = 2^-c
// A typed frequency of 0 or below would be minus infinite octaves; it reads as this instead.
constexpr double kLowestTypedHz = 1e-10;
// The period floor of VConvertFrequencyCube, which keeps its rate finite.
constexpr double kShortestPeriod = 1e-16;

double TypedHertz(std::string_view text) {
  TypedText typed(text);
  const bool kilo = typed.RemoveWord("KHZ");
  return typed.Number() * (kilo ? 1000.0 : 1.0);
}

double TypedLog2Hertz(std::string_view text) {
  return std::log2(std::fmax(TypedHertz(text), kLowestTypedHz));
}

}  // namespace

double DetuneCurve(double value) {
  if (value >= 0.0) return std::exp2(value - kDetuneOctaves) - kDetuneOffset;
  return kDetuneOffset - std::exp2(-value - kDetuneOctaves);
}

double DetuneCurveInverse(double detune) {
  if (detune >= 0.0) return std::log2(detune + kDetuneOffset) + kDetuneOctaves;
  return -(std::log2(kDetuneOffset - detune) + kDetuneOctaves);
}

double VConvertFrequency::TextToValue(std::string_view text) const {
  return TypedHertz(text);
}

void VConvertFrequency::FormatValue(WorkText& text, double value, double, int precision) const {
  FormatFrequencyText(text, value, IsLongForm(precision));
}

double VConvertFrequencyTune::TextToValue(std::string_view text) const {
  return TypedHertz(text);
}

void VConvertFrequencyTune::FormatValue(WorkText& text, double value, double, int precision) const {
  AppendDecimal(text, value, DecimalsFor(precision, 8, 2));
}

double VConvertFrequencyLog::TextToValue(std::string_view text) const {
  return TypedLog2Hertz(text) - 1.0;
}

void VConvertFrequencyLog::FormatValue(WorkText& text, double value, double, int precision) const {
  FormatFrequencyText(text, std::exp2(value + 1.0), IsLongForm(precision));
}

double VConvertFrequencyCube::TextToValue(std::string_view text) const {
  const double hz = std::fmax(TypedHertz(text), kLowestTypedHz);
  return std::cbrt(1.0 / (10.0 * hz));
}

void VConvertFrequencyCube::FormatValue(WorkText& text, double value, double, int precision) const {
  const double period = std::fmax(10.0 * value * value * value, kShortestPeriod);
  FormatFrequencyText(text, 1.0 / period, IsLongForm(precision));
}

double VConvertFrequencyPitch::TextToValue(std::string_view text) const {
  return TypedLog2Hertz(text) - std::log2(400.0) - 1.0;
}

void VConvertFrequencyPitch::FormatValue(WorkText& text, double value, double,
                                         int precision) const {
  FormatFrequencyText(text, 400.0 * std::exp2(value + 1.0), IsLongForm(precision));
}

double VConvertFrequencyDetune::TextToValue(std::string_view text) const {
  return DetuneCurveInverse(TypedHertz(text));
}

void VConvertFrequencyDetune::FormatValue(WorkText& text, double value, double,
                                          int precision) const {
  FormatFrequencyText(text, DetuneCurve(value), IsLongForm(precision));
}

}  // namespace VDSP
