// The LFO and filter wave tables: half-amplitude sine and arcsine of a triangle, 2048 steps a
// cycle.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace VDSP {

// Entry j belongs to the phase j / 2048 and exists for j from -1024 to 4097, so a reader may run
// half a cycle below zero and two cycles (plus the interpolation neighbour) above it.
class WaveTable {
 public:
  static constexpr int32_t kStepsPerCycle = 2048;
  static constexpr int32_t kFirstIndex = -1024;
  static constexpr int32_t kLastIndex = 4097;
  static constexpr int32_t kSize = kLastIndex - kFirstIndex + 1;  // 5122

  // any thread. j in [kFirstIndex, kLastIndex].
  float operator[](int32_t j) const { return entries_[static_cast<std::size_t>(j - kFirstIndex)]; }

  // any thread. Linear interpolation at a position in table steps, k = floor(position):
  // T[k] + (T[k + 1] - T[k]) * (position - k). Positions outside [-1024, 4097] (and NaN, which
  // reads the first entry) are held at the table's ends.
  float Read(float position) const;

 protected:
  WaveTable() = default;

  std::array<float, kSize> entries_{};
};

// 0.5 * sin(2 pi j / 2048).
class SineTable : public WaveTable {
 public:
  // any thread. Built on first use; the library load hook makes the first call.
  static const SineTable& Get();

 private:
  SineTable();
};

// asin(4 t) / pi of the triangle t that starts at 0 rising, peaks at ±0.25:
// steep near the peaks.
class ArcsineTable : public WaveTable {
 public:
  // any thread. Built on first use; the library load hook makes the first call.
  static const ArcsineTable& Get();

 private:
  ArcsineTable();
};

}  // namespace VDSP
