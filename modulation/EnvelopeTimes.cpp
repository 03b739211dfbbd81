// Envelope stage lengths for a normalised value, and the inverse for typed seconds.
#include "modulation/EnvelopeTimes.h"

#include <cmath>

namespace {

struct StageRange {
  float shortestMs;
  float spanMs;
};

StageRange RangeOf(EnvelopeTimeStage stage) {
  // Attack and decay never go below 4 ms so that a trigger cannot click.
  return stage == EnvelopeTimeStage::kHold ? StageRange{0.0f, 5000.0f} : StageRange{4.0f, 9996.0f};
}

}  // namespace

float EnvelopeStageMilliseconds(float value, EnvelopeTimeStage stage) {
  const float v = std::fmin(std::fmax(value, 0.0f), 1.0f);
  const StageRange range = RangeOf(stage);
  return std::pow(v, 2.5f) * range.spanMs + range.shortestMs;
}

float EnvelopeStageSeconds(float value, EnvelopeTimeStage stage) {
  return EnvelopeStageMilliseconds(value, stage) * 0.001f;
}

float ConvertSecondsToNormalised(double seconds, EnvelopeTimeStage stage) {
  if (std::isnan(seconds)) return 0.0f;
  const double ms = seconds * 1000.0;
  const StageRange range = RangeOf(stage);
  const double lo = range.shortestMs;
  const double hi = static_cast<double>(range.shortestMs) + range.spanMs;
  if (ms <= lo) return 0.0f;
  if (ms >= hi) return 1.0f;
  return static_cast<float>(std::pow((ms - lo) / (hi - lo), 0.4));
}
