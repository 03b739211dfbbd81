// The engine's parameter state.
#include "plugin/NorvProcess.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "plugin/ParameterTable.h"

namespace {

constexpr std::array<int32_t, 19> kSwitchLike = {4,  10, 16, 20, 21, 26, 30, 31, 32, 33,
                                                 36, 40, 42, 46, 50, 52, 57, 58, 59};

bool IsValidSource(int32_t source) {
  return source >= 1 && source <= NorvProcess::kNumSources;
}

}  // namespace

NorvProcess::NorvProcess() {
  Reset();
}

bool NorvProcess::IsSwitchLike(int32_t index) {
  return std::find(kSwitchLike.begin(), kSwitchLike.end(), index) != kSwitchLike.end();
}

void NorvProcess::SetParameter(int32_t index, int32_t source, float value, bool immediate) {
  if (!IsValidIndex(index) || std::isnan(value)) return;
  if (source == 0) {
    targets_[index] = value;
    if (immediate || IsSwitchLike(index)) rows_[index][0] = value;
    if (index == ParameterTable::kF1Cutoff || index == ParameterTable::kF2Cutoff) {
      UpdateLinkOffset();
    }
    return;
  }
  if (!IsValidSource(source)) return;
  rows_[index][source] = value;
  UpdateModulatedFlag(index);
}

void NorvProcess::Snap() {
  for (int32_t index = 0; index < kNumParameters; ++index) rows_[index][0] = targets_[index];
  UpdateLinkOffset();
}

void NorvProcess::Reset() {
  for (int32_t index = 0; index < kNumParameters; ++index) {
    const float value = ParameterTable::GetParameterDefaultValue(index);
    targets_[index] = value;
    rows_[index].fill(0.0f);
    rows_[index][0] = value;
    modulated_[index] = 0;
    modulatedValues_[index] = value;
  }
  for (int32_t source = 0; source < kNumColumns; ++source) SetPolarMode(source, true);
  macroValues_.fill(0.0f);
  UpdateLinkOffset();
}

void NorvProcess::SetPolarMode(int32_t source, bool unipolar) {
  if (source < 0 || source >= kNumColumns) return;
  unipolar_[source] = unipolar ? 1 : 0;
  polarityScale_[source] = unipolar ? 1.0f : 2.0f;
  polarityOffset_[source] = unipolar ? 0.0f : 1.0f;
}

bool NorvProcess::IsUnipolar(int32_t source) const {
  return source >= 0 && source < kNumColumns && unipolar_[source] != 0;
}

void NorvProcess::RemoveModulation(int32_t index, int32_t source) {
  if (!IsValidIndex(index)) return;
  if (source == -1) {
    std::fill(rows_[index].begin() + 1, rows_[index].end(), 0.0f);
  } else if (IsValidSource(source)) {
    rows_[index][source] = 0.0f;
  }
  UpdateModulatedFlag(index);
}

void NorvProcess::RemoveModDestinations(int32_t source) {
  if (source != -1 && !IsValidSource(source)) return;
  for (int32_t index = 0; index < kNumParameters; ++index) RemoveModulation(index, source);
}

void NorvProcess::SetMacroValue(int32_t axis, float value) {
  if (axis < 0 || axis > 1 || std::isnan(value)) return;
  macroValues_[axis] = std::clamp(value, 0.0f, 1.0f);
}

float NorvProcess::MacroValue(int32_t axis) const {
  return (axis >= 0 && axis <= 1) ? macroValues_[axis] : 0.0f;
}

float NorvProcess::Target(int32_t index) const {
  return IsValidIndex(index) ? targets_[index] : 0.0f;
}

float NorvProcess::Base(int32_t index) const {
  return IsValidIndex(index) ? rows_[index][0] : 0.0f;
}

float NorvProcess::Depth(int32_t index, int32_t source) const {
  return IsValidIndex(index) && IsValidSource(source) ? rows_[index][source] : 0.0f;
}

bool NorvProcess::IsModulated(int32_t index) const {
  return IsValidIndex(index) && modulated_[index] != 0;
}

void NorvProcess::Process(const float* const* inputs, float* const* outputs, int32_t frames) {
  for (int32_t start = 0; start < frames; start += kSubBlockSize) {
    const int32_t count = std::min(kSubBlockSize, frames - start);
    const size_t bytes = static_cast<size_t>(count) * sizeof(float);
    for (int channel = 0; channel < 2; ++channel) {
      if (outputs[channel] != inputs[channel]) {
        std::memmove(outputs[channel] + start, inputs[channel] + start, bytes);
      }
    }
    if (interpolator_) interpolator_->InterpolateProcess();
  }
}

void NorvProcess::UpdateModulatedFlag(int32_t index) {
  uint8_t modulated = 0;
  for (int32_t source = 1; source < kNumColumns; ++source) {
    if (std::fabs(rows_[index][source]) >= 1e-6f) modulated = 1;
  }
  modulated_[index] = modulated;
}

void NorvProcess::UpdateLinkOffset() {
  linkOffset_ = rows_[ParameterTable::kF2Cutoff][0] - rows_[ParameterTable::kF1Cutoff][0];
}
