// Converters for enumerated controls.
#include "param_framework/ConvertEnum.h"

#include <cmath>

#include "param_framework/TypedText.h"

namespace VDSP {

bool VConvertEnum::SetItem(int index, std::string_view shortName, std::string_view longName) {
  if (!shortNames_.SetItem(index, shortName) || !longNames_.SetItem(index, longName)) return false;
  count_ = shortNames_.GetItemCount();
  return true;
}

int VConvertEnum::FindItem(std::string_view text) const {
  const int index = longNames_.FindItem(text);
  return index >= 0 ? index : shortNames_.FindItem(text);
}

int VConvertEnum::ItemOfValue(double value) const {
  if (count_ < 1 || std::isnan(value)) return 0;
  return static_cast<int>(std::round(std::clamp(value, 0.0, static_cast<double>(count_ - 1))));
}

double VConvertEnum::TextToValue(std::string_view text) const {
  const int index = FindItem(text);
  return index >= 0 ? index : TypedText(text).Number();
}

void VConvertEnum::FormatValue(WorkText& text, double value, double, int precision) const {
  if (count_ < 1) {
    AppendDecimal(text, std::round(value), 0);
    return;
  }
  const int index = ItemOfValue(value);
  const char* longName = GetLongName(index);
  text.Append(IsLongForm(precision) && *longName ? longName : GetShortName(index));
}

double VConvertEnum::QuantiseValue(double value) const {
  return std::round(value);
}

double VConvertEnum::AdjustValue(double a, double b) const {
  return a < 10.0 ? a * 0.1 * (b - 0.5) + 0.5 : b;
}

double VConvertEnum::GetDragStep() const {
  const int steps = count_ - 1;
  if (steps < 1 || steps >= 10) return kDefaultDragStep;
  return kDefaultDragStep / steps * 5.0;
}

VConvertSwitch::VConvertSwitch()
    : VConvertEnum({"VConvertSwitch", "Switch", "(<=0.5f off,  >0.5f on)"}) {
  SetItem(0, "off");
  SetItem(1, "on");
}

double VConvertSwitch::TextToValue(std::string_view text) const {
  const TypedText typed(text);
  if (typed.StartsWith("ON")) return 1.0;
  if (typed.Equals("OFF")) return 0.0;
  return typed.Number();
}

void VConvertSwitch::FormatValue(WorkText& text, double value, double, int) const {
  text.Append(value >= 0.5 ? "on" : "off");
}

}  // namespace VDSP
