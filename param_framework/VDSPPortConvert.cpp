// The base of every value converter.
#include "param_framework/VDSPPortConvert.h"

#include <cmath>
#include <limits>

#include "param_framework/TypedText.h"

namespace VDSP {

int VConvertFloatToText::FloatToText(double value, char* buffer, int size, int decimals) const {
  const int d = (decimals >= 6 || decimals < 0) ? defaultDecimals_ : decimals;
  return FormatDecimal(buffer, size, value, d, false);
}

float VConvertTextToFloat::TextToFloat(std::string_view text) const {
  constexpr double kFloatMax = std::numeric_limits<float>::max();
  const double value = TextToValue(text);
  if (std::isnan(value)) return 0.0f;
  return static_cast<float>(std::clamp(value, -kFloatMax, kFloatMax));
}

double VDSPPortConvert::TextToValue(std::string_view text) const {
  return TypedText(text).Number();
}

int VDSPPortConvert::ValueToText(double value, char* buffer, int size, double modeValue,
                                 int precision) const {
  WorkText text;
  FormatValue(text, value, modeValue, precision);
  if (!buffer) return text.Length();
  if (size < 1) return 0;
  const int count = std::min(text.Length(), size - 1);
  std::memcpy(buffer, text.CStr(), static_cast<size_t>(count));
  buffer[count] = '\0';
  return count;
}

int VDSPPortConvert::AddUnit(std::string_view name) {
  const int index = units_.GetItemCount();
  return units_.SetItem(index, name) ? index : -1;
}

double VDSPPortConvert::AdjustValue(double /*a*/, double b) const {
  return b;
}

}  // namespace VDSP
