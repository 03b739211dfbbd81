// Cubic-interpolating rate converter for the part of a rate ratio that is not a power of two.
#include "dsp/FractionalResampler.h"

#include "dsp/Resampler2Stage.h"

#include <algorithm>
#include <cmath>

namespace VDSP {

namespace {

// Third-order Lagrange interpolation between y0 and y1 at fraction t, with neighbours ym and y2.
float Cubic(const float* y, float t) {
  const float ym = y[-1];
  const float y0 = y[0];
  const float y1 = y[1];
  const float y2 = y[2];
  return ((((y2 - ym) / 6.0f + (y0 - y1) / 2.0f) * t + ((y1 + ym) / 2.0f - y0)) * t +
          (y1 - ym / 3.0f - y0 / 2.0f - y2 / 6.0f)) *
             t +
         y0;
}

}  // namespace

void FractionalResampler::Prepare(int maxInputFrames) {
  capacity_ = std::max(maxInputFrames, 1);
  left_.assign(static_cast<size_t>(kHistory + capacity_), 0.0f);
  right_.assign(static_cast<size_t>(kHistory + capacity_), 0.0f);
  positionWhole_ = 1;
  positionFraction_ = 0.0;
}

void FractionalResampler::SetStep(double step) {
  step_ = (std::isfinite(step) && step > 0.0) ? step : 1.0;
  const double whole = std::floor(step_);
  stepWhole_ = static_cast<int>(whole);
  stepFraction_ = step_ - whole;
}

void FractionalResampler::Clear() {
  std::fill(left_.begin(), left_.end(), 0.0f);
  std::fill(right_.begin(), right_.end(), 0.0f);
  positionWhole_ = 1;
  positionFraction_ = 0.0;
}

int FractionalResampler::MaxOutputFrames(int inputFrames) const {
  if (inputFrames <= 0) return 0;
  // The position stays within [1, 1 + step) between blocks, and a block of n frames serves
  // positions below n + 1.
  return static_cast<int>(std::floor(static_cast<double>(inputFrames) / step_)) + 1;
}

int FractionalResampler::Process(float* outLeft, float* outRight, const float* inLeft,
                                 const float* inRight, int frames) {
  if (capacity_ == 0) return 0;
  int produced = 0;
  while (frames > 0) {
    const int piece = std::min(frames, capacity_);
    produced += ProcessPiece(outLeft + produced, outRight + produced, inLeft, inRight, piece);
    inLeft += piece;
    inRight += piece;
    frames -= piece;
  }
  return produced;
}

int FractionalResampler::ProcessPiece(float* outLeft, float* outRight, const float* inLeft,
                                      const float* inRight, int frames) {
  float* left = left_.data();
  float* right = right_.data();
  std::copy(inLeft, inLeft + frames, left + kHistory);
  std::copy(inRight, inRight + frames, right + kHistory);

  // Index i needs samples i - 1 ... i + 2; the newest one is at frames + kHistory - 1.
  int whole = positionWhole_;
  double fraction = positionFraction_;
  int produced = 0;
  while (whole <= frames) {
    const float t = static_cast<float>(fraction);
    outLeft[produced] = Cubic(left + whole, t);
    outRight[produced] = Cubic(right + whole, t);
    ++produced;
    whole += stepWhole_;
    fraction += stepFraction_;
    if (fraction >= 1.0) {
      fraction -= 1.0;
      ++whole;
    }
  }
  positionWhole_ = whole - frames;
  positionFraction_ = fraction;

  std::copy(left + frames, left + frames + kHistory, left);
  std::copy(right + frames, right + frames + kHistory, right);
  return produced;
}

bool FractionalResampler::FlushState() {
  for (int i = 0; i < kHistory && i < static_cast<int>(left_.size()); ++i) {
    if (!IsSaneResamplerSample(left_[i]) || !IsSaneResamplerSample(right_[i])) {
      Clear();
      return true;
    }
  }
  return false;
}

}  // namespace VDSP
