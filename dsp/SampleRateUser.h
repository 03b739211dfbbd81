// Base of every DSP module and of the engine: the oversampling factor and the three rates.
#pragma once

#include <cstdint>

namespace VDSP {

class SampleRateUser {
 public:
  virtual ~SampleRateUser() = default;

  // processingRateHz = hostRateHz * factor. Derived classes extend this and recompute their
  // coefficients; it is called from set-up calls, never from the process call.
  virtual void SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) {
    oversamplingFactor_ = factor;
    processingRateHz_ = processingRateHz;
    hostRateHz_ = hostRateHz;
    inverseProcessingRate_ = 1.0f / processingRateHz;
  }

  int32_t OversamplingFactor() const { return oversamplingFactor_; }
  float ProcessingRateHz() const { return processingRateHz_; }
  float HostRateHz() const { return hostRateHz_; }
  float InverseProcessingRate() const { return inverseProcessingRate_; }

 protected:
  int32_t oversamplingFactor_ = 1;
  float processingRateHz_ = 44100.0f;
  float hostRateHz_ = 44100.0f;
  float inverseProcessingRate_ = 1.0f / 44100.0f;
};

}  // namespace VDSP
