// Builds the sine and arcsine wave tables, once per process.
#include "dsp/SineTable.h"

#include <cmath>

#include "dsp/MathConstants.h"

namespace VDSP {
namespace {

// Phase of entry j in cycles, wrapped to [0, 1) in single precision.
float WrappedPhaseOf(int32_t j) {
  const float x = static_cast<float>(j) * 0.00048828125f;  // 1 / 2048
  return x - std::floor(x);
}

}  // namespace

float WaveTable::Read(float position) const {
  const float lowest = static_cast<float>(kFirstIndex);
  const float highest = static_cast<float>(kLastIndex - 1);
  // Written so that NaN fails the first test and lands on the first entry.
  const float held = position >= lowest ? (position <= highest ? position : highest) : lowest;
  const float floored = std::floor(held);
  const int32_t k = static_cast<int32_t>(floored);
  const float lower = (*this)[k];
  return lower + ((*this)[k + 1] - lower) * (held - floored);
}

SineTable::SineTable() {
  for (int32_t j = kFirstIndex; j <= kLastIndex; ++j) {
    const float angle = WrappedPhaseOf(j) * kTwoPi;
    entries_[static_cast<std::size_t>(j - kFirstIndex)] =
        static_cast<float>(0.5 * std::sin(static_cast<double>(angle)));
  }
}

const SineTable& SineTable::Get() {
  static const SineTable table;
  return table;
}

ArcsineTable::ArcsineTable() {
  for (int32_t j = kFirstIndex; j <= kLastIndex; ++j) {
    float t = WrappedPhaseOf(j);
    if (t >= 0.75f) t -= 1.0f;
    if (t >= 0.25f) t = 0.5f - t;
    entries_[static_cast<std::size_t>(j - kFirstIndex)] =
        static_cast<float>(std::asin(static_cast<double>(4.0f * t))) * kInversePi;
  }
}

const ArcsineTable& ArcsineTable::Get() {
  static const ArcsineTable table;
  return table;
}

}  // namespace VDSP
