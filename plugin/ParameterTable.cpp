// The 60 fixed parameters: keys, names, defaults, display kinds and the enumerated item tables.
#include "plugin/ParameterTable.h"

#include <algorithm>

#include "dsp/Clamp.h"

namespace ParameterTable {

const char* ParameterToString(int32_t index) {
  const ParameterInfo* info = Info(index);
  return info != nullptr ? info->key : "Unknown";
}

const char* ParameterToUserString(int32_t index, bool shortName) {
  const ParameterInfo* info = Info(index);
  if (info == nullptr) return "Unknown";
  return shortName ? info->shortName : info->longName;
}

float GetParameterDefaultValue(int32_t index) {
  const ParameterInfo* info = Info(index);
  return info != nullptr ? info->defaultValue : 0.0f;
}

int32_t FindParameter(std::string_view key) {
  for (int32_t index = 0; index < kNumFixedParameters; ++index) {
    if (key == kParameters[static_cast<size_t>(index)].key) return index;
  }
  return -1;
}

int32_t ItemFromValue(float value, int32_t items) {
  if (items < 2) return 0;
  const float last = static_cast<float>(items - 1);
  return std::clamp(static_cast<int32_t>(VDSP::ClampUnit(value) * last + 0.5f), 0, items - 1);
}

float ValueFromItem(int32_t item, int32_t items) {
  if (items < 2) return 0.0f;
  const int32_t clamped = std::clamp(item, 0, items - 1);
  return static_cast<float>(clamped) / static_cast<float>(items - 1);
}

int32_t FilterTypeItem(float typeValue) {
  return ItemFromValue(typeValue, kNumFilterTypes);
}

int32_t FilterModeCount(int32_t typeItem) {
  return kFilterTypes[static_cast<size_t>(std::clamp(typeItem, 0, kNumFilterTypes - 1))].modes;
}

const char* FilterModeName(int32_t typeItem, int32_t modeItem) {
  const FilterTypeInfo& type =
      kFilterTypes[static_cast<size_t>(std::clamp(typeItem, 0, kNumFilterTypes - 1))];
  return type.modeTable[std::clamp(modeItem, 0, type.modes - 1)].display;
}

}  // namespace ParameterTable
