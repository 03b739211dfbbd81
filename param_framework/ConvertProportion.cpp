// Converters that show a share of a whole.
#include "param_framework/ConvertProportion.h"

#include <cmath>

#include "param_framework/TypedText.h"

namespace VDSP {

namespace {

constexpr double kAngleSwitchOff = -0.05;
constexpr double kAngleSwitchOffValue = -1.0;

}  // namespace

double VConvertPercentage::TextToValue(std::string_view text) const {
  TypedText typed(text);
  typed.RemoveWord("%");
  return typed.Number() * 0.01;
}

void VConvertPercentage::FormatValue(WorkText& text, double value, double, int precision) const {
  AppendDecimal(text, 100.0 * value, DecimalsFor(precision, 6, 0));
  text.Append(" %");
}

double VConvertMix::TextToValue(std::string_view text) const {
  return (100.0 - TypedText(text).Number()) * 0.01;
}

void VConvertMix::FormatValue(WorkText& text, double value, double, int precision) const {
  const int decimals = DecimalsFor(precision, 6, 0);
  AppendDecimal(text, 100.0 - 100.0 * value, decimals);
  text.Append(":");
  AppendDecimal(text, 100.0 * value, decimals);
}

double VConvertPan::TextToValue(std::string_view text) const {
  const TypedText typed(text);
  if (typed.Equals("L")) return 0.0;
  if (typed.Equals("R")) return 1.0;
  if (typed.Equals("C")) return 0.5;
  return typed.Number() * 0.005 + 0.5;
}

void VConvertPan::FormatValue(WorkText& text, double value, double, int) const {
  // NaN shows the centre rather than a side.
  const double p = std::isnan(value) ? 0.5 : std::clamp(value, 0.0, 1.0);
  const double q = std::round((p - 0.5) * 200.0);
  if (q >= 100.0) {
    text.Append("R");
  } else if (q <= -100.0) {
    text.Append("L");
  } else if (q == 0.0) {
    text.Append("C");
  } else {
    AppendDecimal(text, q, 0, true);
  }
}

double VConvertAngle::TextToValue(std::string_view text) const {
  TypedText typed(text);
  typed.RemoveWord("DEG");
  return typed.Number() / 360.0;
}

void VConvertAngle::FormatValue(WorkText& text, double value, double, int precision) const {
  AppendDecimal(text, 360.0 * value, DecimalsFor(precision, 6, 0));
  text.Append(" deg");
}

double VConvertAngleSwitch::TextToValue(std::string_view text) const {
  TypedText typed(text);
  if (typed.StartsWith("OFF")) return kAngleSwitchOffValue;
  typed.RemoveWord("DEG");
  return typed.Number() / 360.0;
}

void VConvertAngleSwitch::FormatValue(WorkText& text, double value, double, int precision) const {
  if (!(value > kAngleSwitchOff)) {
    text.Append("off");
    return;
  }
  AppendDecimal(text, 360.0 * std::clamp(value, 0.0, 1.0), DecimalsFor(precision, 6, 0));
  text.Append(" deg");
}

}  // namespace VDSP
