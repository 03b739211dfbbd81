// Converters that show plain numbers.
#include "param_framework/ConvertDecimal.h"

#include <cmath>

#include "param_framework/TypedText.h"
#include "support/TextHelpers.h"

namespace VDSP {

namespace {

// Below these the text is a plain "0": nothing a control could set is that small on purpose.
constexpr double kZeroValue = 1e-8;
constexpr double kZeroPower = 1e-24;

// The number with its engineering prefix. The blank before the letter is left out when there is
// neither a prefix nor a suffix, so that plain numbers carry no trailing blank.
void AppendWithPrefix(WorkText& text, double value, int decimals, std::string_view suffix = {}) {
  const Engineering shown = EngineeringPrefix(value);
  AppendDecimal(text, shown.value, decimals);
  if (*shown.prefix == '\0' && suffix.empty()) return;
  text.Append(" ");
  text.Append(shown.prefix);
  text.Append(suffix);
}

// Powers of two are never 0 or below: such a typed number reads as the "0" threshold.
double Log2OfTyped(double number) {
  return std::log2(std::fmax(number, kZeroPower));
}

}  // namespace

void VConvertFloat::FormatValue(WorkText& text, double value, double, int precision) const {
  if (std::fabs(value) < kZeroValue) {
    text.Append("0");
    return;
  }
  AppendDecimal(text, value, DecimalsFor(precision, 8, 2));
}

void VConvertInt::FormatValue(WorkText& text, double value, double, int) const {
  if (std::fabs(value) < kZeroValue) {
    text.Append("0");
    return;
  }
  AppendDecimal(text, std::round(value), 0);
}

double VConvertCube::TextToValue(std::string_view text) const {
  return std::cbrt(TypedText(text).NumberWithPrefix());
}

void VConvertCube::FormatValue(WorkText& text, double value, double, int precision) const {
  const double cube = value * value * value;
  if (std::fabs(cube) < kZeroPower) {
    text.Append("0");
    return;
  }
  AppendWithPrefix(text, cube, DecimalsFor(precision, 8, 2));
}

double VConvertDoubleLog::TextToValue(std::string_view text) const {
  return Log2OfTyped(TypedText(text).NumberWithPrefix());
}

void VConvertDoubleLog::FormatValue(WorkText& text, double value, double, int precision) const {
  const double power = std::exp2(value);
  if (std::fabs(power) < kZeroPower) {
    text.Append("0");
    return;
  }
  AppendWithPrefix(text, power, DecimalsFor(precision, 8, 2));
}

double VConvertDoubleScaled::Stored(double shown) const {
  return scale_ != 0.0f ? shown / scale_ : 0.0;
}

double VConvertDoubleScaled::TextToValue(std::string_view text) const {
  TypedText typed(text);
  WorkText upperSuffix;
  for (const char c : unitSuffix_.View()) {
    const char upper[1] = {VFoundation::ToUpperAscii(c)};
    upperSuffix.Append({upper, 1});
  }
  typed.RemoveWord(upperSuffix.View());
  return Stored(typed.NumberWithPrefix());
}

void VConvertDoubleScaled::FormatValue(WorkText& text, double value, double, int precision) const {
  const double shown = Shown(value);
  if (std::fabs(shown) < kZeroPower) {
    text.Append("0");
    return;
  }
  AppendWithPrefix(text, shown, DecimalsFor(precision, 6, 0) + extraDecimals_, unitSuffix_.View());
}

double VConvertDoubleScaledLog::Shown(double value) const {
  return std::exp2(value * GetScale());
}

double VConvertDoubleScaledLog::Stored(double shown) const {
  return GetScale() != 0.0f ? Log2OfTyped(shown) / GetScale() : 0.0;
}

double VConvertResistance::TextToValue(std::string_view text) const {
  return TypedText(text).NumberWithPrefix();
}

void VConvertResistance::FormatValue(WorkText& text, double value, double, int precision) const {
  AppendWithPrefix(text, value, DecimalsFor(precision, 6, 0));
}

double VConvertResistanceLog::TextToValue(std::string_view text) const {
  return Log2OfTyped(TypedText(text).NumberWithPrefix());
}

void VConvertResistanceLog::FormatValue(WorkText& text, double value, double, int precision) const {
  AppendWithPrefix(text, std::exp2(value), DecimalsFor(precision, 6, 0));
}

}  // namespace VDSP
