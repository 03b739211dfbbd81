// Transmod routing: source table and routing sum.
#include "modulation/Transmod.h"

#include <cmath>
#include <cstring>

namespace Transmod {
namespace {

struct SourceInfo {
  const char* key;
  const char* name;
};

constexpr SourceInfo kSources[kNumColumns] = {
    {"Actual", "Source"},
    {"Env", "Envelope"},
    {"LFO1", "LFO1"},
    {"LFO2", "LFO2"},
    {"SandH", "Sample and Hold"},
    {"EnvFollow", "Envelope follower"},
    {"Velocity", "Velocity"},
    {"Pitch", "Pitch"},
    {"Noise", "Noise"},
    {"Random", "Note on random"},
    {"C1", "XY X"},
    {"C2", "XY Y"},
};

}  // namespace

const char* SourceKey(int32_t source) {
  return source >= 0 && source < kNumColumns ? kSources[source].key : nullptr;
}

const char* SourceName(int32_t source) {
  return source >= 0 && source < kNumColumns ? kSources[source].name : nullptr;
}

int32_t FindSource(const char* key) {
  if (!key) return -1;
  for (int32_t source = 0; source < kNumColumns; ++source) {
    if (std::strcmp(kSources[source].key, key) == 0) return source;
  }
  return -1;
}

float RoutingSum(const float* row, const float* sources, const Polarity& polarity) {
  float sum = row[0];
  for (int32_t k = 1; k < kNumColumns; ++k) {
    sum = sum + (sources[k] * polarity.scale[k] - polarity.offset[k]) * row[k];
  }
  return sum;
}

bool HasDepth(const float* row) {
  for (int32_t k = 1; k < kNumColumns; ++k) {
    if (std::fabs(row[k]) >= kDepthThreshold) return true;
  }
  return false;
}

}  // namespace Transmod
