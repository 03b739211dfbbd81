// Test signals shared by the suites: sines, tone sums, seeded noise and constants.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

namespace TestKit {

inline constexpr double kPi = std::numbers::pi;
// For expected values that must round as the single-precision code under test does.
inline constexpr float kPiFloat = std::numbers::pi_v<float>;

struct Stereo {
  Stereo() = default;
  explicit Stereo(size_t frames) : left(frames), right(frames) {}
  Stereo(std::vector<float> leftChannel, std::vector<float> rightChannel)
      : left(std::move(leftChannel)), right(std::move(rightChannel)) {}

  size_t Size() const { return left.size(); }

  std::vector<float> left;
  std::vector<float> right;
};

// amplitude * sin(2 pi hz t) from sample `start` on, computed in double so that the signal itself
// adds no error.
inline std::vector<float> Sine(double hz, double amplitude, size_t length, double rateHz,
                               size_t start = 0) {
  std::vector<float> s(length);
  for (size_t i = 0; i < length; ++i) {
    const auto sample = static_cast<double>(i + start);
    s[i] = static_cast<float>(amplitude * std::sin(2.0 * kPi * hz * sample / rateHz));
  }
  return s;
}

// A sum of sines of equal amplitude, each rounded to float before it is added.
inline std::vector<float> Tones(const std::vector<double>& hz, float amplitude, size_t length,
                                double rateHz) {
  std::vector<float> s(length, 0.0f);
  for (size_t i = 0; i < length; ++i) {
    for (double f : hz) {
      s[i] +=
          amplitude * static_cast<float>(std::sin(2.0 * kPi * f * static_cast<double>(i) / rateHz));
    }
  }
  return s;
}

inline Stereo Both(const std::vector<float>& x) {
  return Stereo{x, x};
}

inline Stereo Constant(float value, size_t length) {
  return Both(std::vector<float>(length, value));
}

// Gaussian noise of deviation sigma, left and right drawn in turn from one generator.
inline Stereo GaussianNoise(size_t length, unsigned seed, float sigma) {
  std::mt19937 random(seed);
  std::normal_distribution<float> signal(0.0f, sigma);
  Stereo s(length);
  for (size_t i = 0; i < length; ++i) {
    s.left[i] = signal(random);
    s.right[i] = signal(random);
  }
  return s;
}

// Uniform noise in [-1, 1) from a 32-bit xorshift: integer arithmetic and one exact scaling, so
// the same seed gives the same samples with every compiler and library.
class UniformNoise {
 public:
  explicit UniformNoise(uint32_t seed) : state_(seed == 0 ? 0x9E3779B9u : seed) {}

  float Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<float>(static_cast<int32_t>(state_)) * 0x1p-31f;
  }

 private:
  uint32_t state_;
};

}  // namespace TestKit
