// Magnitude-response plots of the filter types: frequency grid and value scale.
#include "dsp/FilterResponse.h"

#include <cmath>

namespace VDSP {

float ResponseFrequencyHz(int32_t point, int32_t pointCount) {
  if (pointCount < 1) return kResponseLowestHz;
  const double x = std::fmin(std::fmax(static_cast<double>(point) / pointCount, 0.0), 1.0);
  // Three decades above 20 Hz.
  return static_cast<float>(kResponseLowestHz * std::pow(10.0, 3.0 * x));
}

float ResponsePlotValue(float db) {
  const float limited =
      db == db ? std::fmin(std::fmax(db, kResponseMinDb), kResponseMaxDb) : kResponseMinDb;
  return (limited + 80.0f) / 120.0f;
}

void FillResponse(MagnitudeDbFunction magnitudeDb, float cutoffNorm, float resonanceNorm, int mode,
                  float* points, int32_t count) {
  for (int32_t i = 0; i < count; ++i) {
    const float hz = ResponseFrequencyHz(i, count);
    points[i] =
        ResponsePlotValue(magnitudeDb(cutoffNorm, resonanceNorm, mode, hz, kResponseDisplayRateHz));
  }
}

}  // namespace VDSP
