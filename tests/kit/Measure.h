// Measurements shared by the suites: RMS, peak, the level of one tone, decibels.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <span>

#include "kit/Signals.h"

namespace TestKit {

inline double Rms(std::span<const float> x, size_t from = 0) {
  double sum = 0.0;
  for (size_t i = from; i < x.size(); ++i) sum += static_cast<double>(x[i]) * x[i];
  return std::sqrt(sum / static_cast<double>(x.size() - from));
}

// Over both channels together.
inline double Rms(const Stereo& s) {
  double sum = 0.0;
  for (size_t i = 0; i < s.Size(); ++i) {
    sum +=
        static_cast<double>(s.left[i]) * s.left[i] + static_cast<double>(s.right[i]) * s.right[i];
  }
  return std::sqrt(sum / static_cast<double>(2 * s.Size()));
}

// Largest |x| over [from, to), to limited to the end.
inline double Peak(std::span<const float> x, size_t from = 0, size_t to = SIZE_MAX) {
  const size_t end = std::min(to, x.size());
  double peak = 0.0;
  for (size_t i = from; i < end; ++i) peak = std::fmax(peak, std::fabs(static_cast<double>(x[i])));
  return peak;
}

// Amplitude of the hz component in x[from..], Hann-windowed so that neighbouring tones and a
// non-whole number of periods do not leak.
inline double Amplitude(std::span<const float> x, size_t from, double hz, double rateHz) {
  const size_t length = x.size() - from;
  const std::complex<double> toneStep = std::polar(1.0, -2.0 * kPi * hz / rateHz);
  const std::complex<double> windowStep = std::polar(1.0, 2.0 * kPi / static_cast<double>(length));
  std::complex<double> tone = 1.0, window = 1.0, sum = 0.0;
  double weights = 0.0;
  for (size_t i = 0; i < length; ++i) {
    const double w = 0.5 - 0.5 * window.real();
    sum += w * static_cast<double>(x[from + i]) * tone;
    weights += w;
    tone *= toneStep;
    window *= windowStep;
  }
  return 2.0 * std::abs(sum) / weights;
}

inline double Db(double ratio) {
  return 20.0 * std::log10(ratio);
}

}  // namespace TestKit
