// Converters that show times.
#include "param_framework/ConvertTime.h"

#include <cmath>

#include "param_framework/TypedText.h"

namespace VDSP {

namespace {

constexpr double kShortestTypedTime = 1e-8;
// log2 of a typed time of 0 or below would be minus infinity.
constexpr double kShortestLogTime = 1e-10;
constexpr double kLongestClampedTime = 10000000000.0;
constexpr double kShortestClampedTime = 0.0000000001;
// The time floor of VConvertTimeCube.
constexpr double kShortestCubeTime = 1e-16;

double TypedSeconds(std::string_view text) {
  TypedText typed(text);
  const bool milli = typed.RemoveWord("MS");
  return typed.Number() * (milli ? 0.001 : 1.0);
}

}  // namespace

double VConvertTime::TextToValue(std::string_view text) const {
  return std::fmax(TypedSeconds(text), kShortestTypedTime);
}

void VConvertTime::FormatValue(WorkText& text, double value, double, int precision) const {
  FormatTimeText(text, value, IsLongForm(precision));
}

double VConvertTimeLog::TextToValue(std::string_view text) const {
  return std::log2(std::fmax(TypedSeconds(text), kShortestLogTime)) + 1.0;
}

void VConvertTimeLog::FormatValue(WorkText& text, double value, double, int precision) const {
  FormatTimeText(text, std::exp2(value - 1.0), IsLongForm(precision));
}

double VConvertTimeLog::TextToValueClamped(std::string_view text) const {
  return std::clamp(TextToValue(text), -kClampedRange, kClampedRange);
}

void VConvertTimeLog::FormatValueClamped(WorkText& text, double value, int precision) const {
  const bool longForm = IsLongForm(precision);
  if (value >= kClampedRange) {
    FormatTimeText(text, kLongestClampedTime, longForm);
  } else if (value <= -kClampedRange) {
    FormatTimeText(text, kShortestClampedTime, longForm);
  } else {
    FormatTimeText(text, std::exp2(value - 1.0), longForm);
  }
}

double VConvertTimeCube::TextToValue(std::string_view text) const {
  return std::cbrt(TypedSeconds(text) / 10.0);
}

void VConvertTimeCube::FormatValue(WorkText& text, double value, double, int precision) const {
  FormatTimeText(text, std::fmax(10.0 * value * value * value, kShortestCubeTime),
                 IsLongForm(precision));
}

}  // namespace VDSP
