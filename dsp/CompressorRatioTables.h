// Transfer curves of the compressor's detector amplifier (one per ratio setting), built once and
// read per sample by the compressor.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

#include "dsp/Float4.h"

namespace VDSP {

// Output voltage of the detector amplifier for inputs -6 V..+6 V in steps of 0.01 V; entry 600
// belongs to 0 V. The curve is symmetric about entry 600. Beyond -6 V the output follows the
// straight line slope * input + offset, which stays on the negative rail.
struct CompressorRatioTable {
  static constexpr int32_t kSize = 1201;
  static constexpr int32_t kCentre = 600;
  static constexpr float kStepsPerVolt = 100.0f;
  static constexpr float kInputRange = 6.0f;

  std::array<float, kSize> entries{};
  float slope = 0.0f;
  float offset = 0.0f;
};

// The negative supply rail the amplifier saturates at, in volts.
inline constexpr double kRatioTableRailVolts = -16.017091;

// The table for ratio 4 ("Soft") or 10 ("Hard"); ratios above 10 get the table of 10, any other
// ratio (2 included) the table of 4, the gentlest curve stored. Built on the first call; call once
// from a set-up path (the Compressor's constructor does) so that the audio thread never builds
// it. // any thread
const CompressorRatioTable& RatioTableFor(int32_t ratio);

// Generator behind RatioTableFor, exposed for tests and tools. // any thread
CompressorRatioTable BuildRatioTable(int32_t ratio);

// The amplifier's output for input x, symmetric in x: y = -|x|; below -6 V the stored straight
// line, otherwise linear interpolation between the two neighbouring entries. Inputs are limited to
// +-10^4 V first (the line is still on the rail there), so infinities and NaN read a finite rail
// value and every index stays inside the table. // audio thread
inline float ReadRatioTable(const CompressorRatioTable& table, float x) {
  constexpr float kLimit = 1.0e4f;
  const float magnitude = std::fabs(x);
  // Written as comparisons so that NaN falls to the limit instead of reaching the index.
  const float y = magnitude < kLimit ? -magnitude : -kLimit;
  const float line = table.slope * y + table.offset;
  float t =
      CompressorRatioTable::kStepsPerVolt * y + static_cast<float>(CompressorRatioTable::kCentre);
  t = t > 0.0f ? t : 0.0f;
  const int32_t i = static_cast<int32_t>(t);  // t in [0, 600]: truncation is floor
  const float f = t - static_cast<float>(i);
  const float* e = table.entries.data() + i;
  const float inside = (1.0f - f) * e[0] + f * e[1];
  return y < -CompressorRatioTable::kInputRange ? line : inside;
}

// ReadRatioTable for lanes 0 and 1 at once (the detector's two channels), lane for lane the same
// arithmetic and bits; lanes 2 and 3 carry no meaning.
inline Float4 ReadRatioTableStereo(const CompressorRatioTable& table, Float4 x) {
  constexpr float kLimit = 1.0e4f;
  // minps gives its second operand for NaN: NaN reads the limit, as in the scalar form.
  const Float4 y = -Float4::Min(Float4::Abs(x), Float4::Set1(kLimit));
  const Float4 line = Float4::Set1(table.slope) * y + Float4::Set1(table.offset);
  const Float4 t = Float4::Max(Float4::Set1(CompressorRatioTable::kStepsPerVolt) * y +
                                   Float4::Set1(static_cast<float>(CompressorRatioTable::kCentre)),
                               Float4::Zero());
  const __m128i i = _mm_cvttps_epi32(t.Raw());  // t in [0, 600]: truncation is floor
  const Float4 f = t - Float4(_mm_cvtepi32_ps(i));
  const float* e0 = table.entries.data() + _mm_cvtsi128_si32(i);
  const float* e1 = table.entries.data() + _mm_cvtsi128_si32(_mm_shuffle_epi32(i, 1));
  const Float4 lower = Float4::Set(e0[0], e1[0], e0[0], e1[0]);
  const Float4 upper = Float4::Set(e0[1], e1[1], e0[1], e1[1]);
  const Float4 inside = (Float4::Set1(1.0f) - f) * lower + f * upper;
  return Float4::Select(Float4::CmpLt(y, Float4::Set1(-CompressorRatioTable::kInputRange)), line,
                        inside);
}

}  // namespace VDSP
