// Rate of the LFOs and the sample-and-hold: free rate curve, tempo-synced rate and typed text.
#include "modulation/RateConversions.h"

#include <cmath>

#include "dsp/Clamp.h"
#include "dsp/Exp2.h"
#include "modulation/TempoSync.h"
#include "support/TextHelpers.h"

float FreeRateHz(float value) {
  return VDSP::Exp2Poly(12.0f * VDSP::ClampUnit(value) - 2.0f);
}

float ComputeRate(float value, bool synced, float tempoBpm) {
  return synced ? TempoDivisionRateHz(value, tempoBpm) : FreeRateHz(value);
}

float FreeRateValueFromHz(double hz) {
  const double ln2 = std::log(2.0);
  const double f = std::fmin(std::fmax(hz, 0.25), 1024.0);
  const double value = (std::log(f) + 2.0 * ln2) / (12.0 * ln2);
  return static_cast<float>(std::fmin(std::fmax(value, 0.0), 1.0));
}

float ConvertStringToRate(std::string_view text, bool synced) {
  if (synced) return ParseTempoDivision(text);
  return FreeRateValueFromHz(VFoundation::ReadLeadingNumber(text).value_or(0.0));
}
