// Stereo sample-rate converter: a chain of 2x half-band stages plus an optional cubic stage.
#include "dsp/ResamplerChain.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dsp/DownsamplerStageIIR.h"
#include "dsp/UpsamplerStageIIR.h"

namespace VDSP {

namespace {

// Ratios this close to a power of two are treated as exact: a cubic stage for a rounding error
// would only add latency and high-frequency loss.
constexpr double kRatioTolerance = 1e-6;
// The chain never works on fewer frames per piece than one input frame at the highest ratio.
constexpr int kMinCapacity = 1 << ResamplerChain::kStagePositions;

template <template <int> class Stage>
void BuildStages(std::array<std::unique_ptr<Resampler2StageIIR>, 8>& stages) {
  // Each position works an octave above the previous one, where the signal fills a smaller part of
  // the band, so fewer coefficients and a wider transition band give the same rejection. Position 0
  // sits next to the base rate and carries the steep filter.
  stages[0] = std::make_unique<Stage<9>>(0.05);
  stages[1] = std::make_unique<Stage<5>>(0.25);
  stages[2] = std::make_unique<Stage<3>>(0.375);
  stages[3] = std::make_unique<Stage<2>>(0.4375);
  stages[4] = std::make_unique<Stage<2>>(0.46875);
  stages[5] = std::make_unique<Stage<2>>(0.484375);
  stages[6] = std::make_unique<Stage<1>>(0.4921875);
  stages[7] = std::make_unique<Stage<1>>(0.4921875);
}

bool ValidRate(double rateHz) {
  return std::isfinite(rateHz) && rateHz > 0.0;
}

void CopyFrames(float* out, const float* in, int frames) {
  if (out != in) std::memmove(out, in, sizeof(float) * static_cast<size_t>(frames));
}

}  // namespace

ResamplerChain::ResamplerChain() {
  static_assert(kStagePositions == 8, "BuildStages fills eight positions");
  BuildStages<UpsamplerStageIIR>(upStages_);
  BuildStages<DownsamplerStageIIR>(downStages_);
}

bool ResamplerChain::SetRates(double inputRateHz, double outputRateHz) {
  bool honoured = true;
  if (!ValidRate(inputRateHz) || !ValidRate(outputRateHz)) {
    honoured = false;
    const double rate = ValidRate(inputRateHz)    ? inputRateHz
                        : ValidRate(outputRateHz) ? outputRateHz
                                                  : 44100.0;
    inputRateHz = rate;
    outputRateHz = rate;
  }
  double ratio = outputRateHz / inputRateHz;
  if (ratio > kMaxRatio || ratio < 1.0 / kMaxRatio) {
    honoured = false;
    ratio = std::clamp(ratio, 1.0 / kMaxRatio, kMaxRatio);
    outputRateHz = inputRateHz * ratio;
  }
  inputRateHz_ = inputRateHz;
  outputRateHz_ = outputRateHz;

  // Signed stage count, rounded away from zero so that the cubic stage always works at the higher
  // rate of its step: a ratio of 3 becomes 4 x 0.75, a ratio of 1/3 becomes 4/3 x 1/4.
  const double octaves = std::log2(ratio);
  const double nearest = std::round(octaves);
  int count;
  if (std::fabs(ratio / std::exp2(nearest) - 1.0) <= kRatioTolerance) {
    count = static_cast<int>(nearest);
  } else {
    count = static_cast<int>(octaves > 0.0 ? std::ceil(octaves) : -std::ceil(-octaves));
  }
  count = std::clamp(count, -kStagePositions, kStagePositions);
  const double remaining = ratio / std::exp2(static_cast<double>(count));

  const Direction direction = count > 0   ? Direction::kUp
                              : count < 0 ? Direction::kDown
                                          : Direction::kNone;
  const int stageCount = std::abs(count);
  const bool changed = direction != direction_ || stageCount != activeCount_;
  direction_ = direction;
  activeCount_ = stageCount;
  for (int i = 0; i < stageCount; ++i) {
    // Going down the steepest stage runs last, at the lowest rate.
    const int position = direction == Direction::kUp ? i : stageCount - 1 - i;
    activePositions_[i] = position;
    activeStages_[i] =
        direction == Direction::kUp ? upStages_[position].get() : downStages_[position].get();
  }
  if (changed) {
    // Memories of stages that were idle hold a stale tail of an old signal.
    for (int i = 0; i < stageCount; ++i) activeStages_[i]->Reset();
  }

  fractionalOn_ = std::fabs(remaining - 1.0) > kRatioTolerance;
  fractionalRatio_ = fractionalOn_ ? remaining : 1.0;
  fractional_.SetStep(1.0 / fractionalRatio_);
  fractional_.Clear();
  // A sample waiting for its partner was counted against the cubic stage's old phase: kept, it
  // would hand out a frame more than the block took in.
  carries_ = {};
  return honoured;
}

void ResamplerChain::Prepare(int maxFrames) {
  capacity_ = std::max(maxFrames, kMinCapacity);
  for (int i = 0; i < 2; ++i) {
    scratchLeft_[i].assign(static_cast<size_t>(capacity_), 0.0f);
    scratchRight_[i].assign(static_cast<size_t>(capacity_), 0.0f);
  }
  fractional_.Prepare(capacity_);
  Reset();
}

void ResamplerChain::SetBlock(int frames) {
  blockFrames_ = std::max(frames, 0);
}

void ResamplerChain::Clear() {
  fractional_.Clear();
}

void ResamplerChain::Reset() {
  for (int i = 0; i < kStagePositions; ++i) {
    upStages_[i]->Reset();
    downStages_[i]->Reset();
  }
  carries_ = {};
  fractional_.Clear();
}

int ResamplerChain::MaxOutputFrames(int inputFrames) const {
  if (inputFrames <= 0) return 0;
  switch (direction_) {
    case Direction::kUp: {
      const int staged = inputFrames << activeCount_;
      return fractionalOn_ ? fractional_.MaxOutputFrames(staged) : staged;
    }
    case Direction::kDown: {
      const int interpolated =
          fractionalOn_ ? fractional_.MaxOutputFrames(inputFrames) : inputFrames;
      // One more frame when waiting odd samples complete a pair.
      return (interpolated >> activeCount_) + 1;
    }
    case Direction::kNone:
      break;
  }
  return inputFrames;
}

int ResamplerChain::PieceFrames() const {
  if (direction_ == Direction::kUp) return std::max(capacity_ >> activeCount_, 1);
  // The cubic stage before the down stages produces up to 2n + 1 frames from n.
  return fractionalOn_ ? (capacity_ - 2) / 2 : capacity_;
}

int ResamplerChain::Process(float* outLeft, float* outRight, const float* inLeft,
                            const float* inRight) {
  int frames = blockFrames_;
  if (frames == 0) return 0;
  if (direction_ == Direction::kNone && !fractionalOn_) {
    CopyFrames(outLeft, inLeft, frames);
    CopyFrames(outRight, inRight, frames);
    return frames;
  }
  if (capacity_ == 0) {
    const int silent = static_cast<int>(static_cast<double>(frames) * outputRateHz_ / inputRateHz_);
    std::fill(outLeft, outLeft + silent, 0.0f);
    std::fill(outRight, outRight + silent, 0.0f);
    return silent;
  }

  const int pieceFrames = PieceFrames();
  int produced = 0;
  while (frames > 0) {
    const int piece = std::min(frames, pieceFrames);
    produced += ProcessPiece(outLeft + produced, outRight + produced, inLeft, inRight, piece);
    inLeft += piece;
    inRight += piece;
    frames -= piece;
  }
  return produced;
}

int ResamplerChain::ProcessPiece(float* outLeft, float* outRight, const float* inLeft,
                                 const float* inRight, int frames) {
  const int produced = direction_ == Direction::kUp
                           ? ProcessUp(outLeft, outRight, inLeft, inRight, frames)
                           : ProcessDown(outLeft, outRight, inLeft, inRight, frames);
  if (FlushState()) {
    // The memories were cleared for the next block; this one carries the non-finite values.
    std::fill(outLeft, outLeft + produced, 0.0f);
    std::fill(outRight, outRight + produced, 0.0f);
  }
  return produced;
}

int ResamplerChain::ProcessUp(float* outLeft, float* outRight, const float* inLeft,
                              const float* inRight, int frames) {
  const float* sourceLeft = inLeft;
  const float* sourceRight = inRight;
  int count = frames;
  for (int s = 0; s < activeCount_; ++s) {
    const bool toOutput = s == activeCount_ - 1 && !fractionalOn_;
    float* targetLeft = toOutput ? outLeft : scratchLeft_[s & 1].data();
    float* targetRight = toOutput ? outRight : scratchRight_[s & 1].data();
    activeStages_[s]->Process(targetLeft, targetRight, sourceLeft, sourceRight, count);
    count *= 2;
    sourceLeft = targetLeft;
    sourceRight = targetRight;
  }
  if (fractionalOn_) {
    count = fractional_.Process(outLeft, outRight, sourceLeft, sourceRight, count);
  }
  return count;
}

int ResamplerChain::ProcessDown(float* outLeft, float* outRight, const float* inLeft,
                                const float* inRight, int frames) {
  const float* sourceLeft = inLeft;
  const float* sourceRight = inRight;
  int count = frames;
  int buffer = 0;
  if (fractionalOn_) {
    count = fractional_.Process(scratchLeft_[0].data(), scratchRight_[0].data(), inLeft, inRight,
                                frames);
    sourceLeft = scratchLeft_[0].data();
    sourceRight = scratchRight_[0].data();
    buffer = 1;
  }
  for (int s = 0; s < activeCount_; ++s) {
    const bool toOutput = s == activeCount_ - 1;
    float* targetLeft = toOutput ? outLeft : scratchLeft_[buffer].data();
    float* targetRight = toOutput ? outRight : scratchRight_[buffer].data();
    count = RunDownStage(s, targetLeft, targetRight, sourceLeft, sourceRight, count);
    sourceLeft = targetLeft;
    sourceRight = targetRight;
    buffer ^= 1;
  }
  return count;
}

int ResamplerChain::RunDownStage(int active, float* outLeft, float* outRight, const float* inLeft,
                                 const float* inRight, int frames) {
  Resampler2StageIIR& stage = *activeStages_[active];
  Carry& carry = carries_[active];
  int produced = 0;
  if (carry.pending && frames > 0) {
    const float pairLeft[2] = {carry.left, inLeft[0]};
    const float pairRight[2] = {carry.right, inRight[0]};
    stage.Process(outLeft, outRight, pairLeft, pairRight, 1);
    carry.pending = false;
    produced = 1;
    ++inLeft;
    ++inRight;
    --frames;
  }
  const int pairs = frames / 2;
  stage.Process(outLeft + produced, outRight + produced, inLeft, inRight, pairs);
  produced += pairs;
  if ((frames & 1) != 0) {
    carry = {true, inLeft[frames - 1], inRight[frames - 1]};
  }
  return produced;
}

bool ResamplerChain::FlushState() {
  bool nonFinite = false;
  for (int s = 0; s < activeCount_; ++s) {
    nonFinite = activeStages_[s]->FlushState() || nonFinite;
    Carry& carry = carries_[s];
    if (!IsSaneResamplerSample(carry.left) || !IsSaneResamplerSample(carry.right)) {
      carry = {};
      nonFinite = true;
    }
  }
  if (fractionalOn_) nonFinite = fractional_.FlushState() || nonFinite;
  return nonFinite;
}

}  // namespace VDSP
