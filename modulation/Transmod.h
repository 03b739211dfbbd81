// Transmod routing: the modulation source identifiers and the per-parameter routing sum.
#pragma once

#include <cstdint>

// Column 0 of a parameter row is the base value; columns 1-11 hold one signed depth per source.
enum class TransmodSource : int32_t {
  kActual = 0,
  kEnv = 1,
  kLFO1 = 2,
  kLFO2 = 3,
  kSandH = 4,
  kEnvFollow = 5,
  kVelocity = 6,
  kPitch = 7,
  kNoise = 8,
  kRandom = 9,
  kC1 = 10,  // XY pad X
  kC2 = 11,  // XY pad Y
};

namespace Transmod {

inline constexpr int32_t kNumColumns = 12;
// A depth smaller than this counts as no routing: the parameter keeps its fast path.
inline constexpr float kDepthThreshold = 1e-6f;

// Stored key ("Actual", "Env", ..., "C2") and display name ("Source", "Envelope", ..., "XY Y");
// nullptr outside 0..11. // any thread
const char* SourceKey(int32_t source);
const char* SourceName(int32_t source);
// The source whose key matches exactly, or -1. // any thread
int32_t FindSource(const char* key);

// Per-source polarity: a source value s in 0..1 contributes s * scale - offset, that is s when
// unipolar and 2s - 1 when bipolar.
struct Polarity {
  float scale[kNumColumns];
  float offset[kNumColumns];
};

// base + sum over columns 1..11 in column order of (s[k] * scale[k] - offset[k]) * row[k], single
// precision, not clamped. row[0] is the base; sources[0] is ignored. // audio thread
float RoutingSum(const float* row, const float* sources, const Polarity& polarity);

// True when any of row[1..11] has a magnitude of at least kDepthThreshold. // any thread
bool HasDepth(const float* row);

}  // namespace Transmod
