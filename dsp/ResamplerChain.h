// Stereo sample-rate converter: a chain of 2x half-band stages plus an optional cubic stage.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/FractionalResampler.h"
#include "dsp/Resampler2StageIIR.h"

namespace VDSP {

// Converts by a power of two with up to eight 2x stages. Going up, stage position 0 (the steepest,
// nine coefficients) runs first, between the input rate and twice that rate; going down it runs
// last, so it always works at the lowest rate of the chain. A ratio that is not a power of two
// rounds the stage count up and lets the cubic stage cover the rest: after the stages going up,
// before them going down, so it always sits where the signal is band-limited well below its Nyquist
// frequency.
//
// Set-up (SetRates, Prepare) happens on the UI thread while the audio thread is not processing;
// SetBlock, Process, Clear and Reset run on the audio thread and never allocate.
class ResamplerChain {
 public:
  enum class Direction : int32_t { kNone = 0, kUp = 1, kDown = 2 };

  static constexpr int kStagePositions = 8;
  // The engine's scratch buffers hold 16 samples per host frame; ratios are clamped to 1/16 ... 16
  // so that a damaged stored factor cannot make the chain outgrow them.
  static constexpr double kMaxRatio = 16.0;

  ResamplerChain();  // builds and designs all sixteen stages // UI thread

  // Chooses the stages for inputRateHz -> outputRateHz. Returns false when it could not honour the
  // request: rates that are not positive and finite give a plain copy, ratios beyond kMaxRatio
  // either way are clamped to it. Clears the cubic stage; the stage memories are kept unless the
  // choice of stages changes. // UI thread
  bool SetRates(double inputRateHz, double outputRateHz);
  // Allocates the scratch buffers so that no buffer holds more than maxFrames samples at the higher
  // of the two rates, and clears all state. Blocks that would need more are worked through in
  // pieces, with the same result. // UI thread
  void Prepare(int maxFrames);
  // Input frames of the next Process calls; negative counts mean 0. // audio thread
  void SetBlock(int frames);

  // Converts the block set by SetBlock and returns the number of frames written to each output, at
  // most MaxOutputFrames(block). A stage whose memory turns non-finite or runs away is cleared and
  // that block's output silenced. Before Prepare a converting chain writes silence. // audio thread
  int Process(float* outLeft, float* outRight, const float* inLeft, const float* inRight);

  // Zeroes the cubic stage's history. // audio thread
  void Clear();
  // Clears every memory, as after construction; the configuration stays. // audio thread
  void Reset();

  // Room the outputs need for a block of inputFrames. // any thread
  int MaxOutputFrames(int inputFrames) const;

  Direction GetDirection() const { return direction_; }                             // any thread
  int ActiveStageCount() const { return activeCount_; }                             // any thread
  int ActiveStagePosition(int i) const { return activePositions_[i]; }              // any thread
  const Resampler2StageIIR& ActiveStage(int i) const { return *activeStages_[i]; }  // any thread
  bool HasFractionalStage() const { return fractionalOn_; }                         // any thread
  double InputRateHz() const { return inputRateHz_; }                               // any thread
  double OutputRateHz() const { return outputRateHz_; }                             // any thread
  int BlockFrames() const { return blockFrames_; }                                  // any thread

 private:
  // A downsampling stage consumes pairs; an odd sample waits here for its partner.
  struct Carry {
    bool pending = false;
    float left = 0.0f;
    float right = 0.0f;
  };

  int PieceFrames() const;
  int ProcessPiece(float* outLeft, float* outRight, const float* inLeft, const float* inRight,
                   int frames);
  int ProcessUp(float* outLeft, float* outRight, const float* inLeft, const float* inRight,
                int frames);
  int ProcessDown(float* outLeft, float* outRight, const float* inLeft, const float* inRight,
                  int frames);
  int RunDownStage(int active, float* outLeft, float* outRight, const float* inLeft,
                   const float* inRight, int frames);
  bool FlushState();

  std::array<std::unique_ptr<Resampler2StageIIR>, kStagePositions> upStages_;
  std::array<std::unique_ptr<Resampler2StageIIR>, kStagePositions> downStages_;
  std::array<Resampler2StageIIR*, kStagePositions> activeStages_{};
  std::array<int, kStagePositions> activePositions_{};
  std::array<Carry, kStagePositions> carries_{};
  int activeCount_ = 0;
  Direction direction_ = Direction::kNone;
  double inputRateHz_ = 44100.0;
  double outputRateHz_ = 44100.0;
  bool fractionalOn_ = false;
  double fractionalRatio_ = 1.0;  // output/input rate of the cubic stage
  int blockFrames_ = 0;
  int capacity_ = 0;  // samples per scratch buffer, at the highest rate
  std::array<std::vector<float>, 2> scratchLeft_;
  std::array<std::vector<float>, 2> scratchRight_;
  FractionalResampler fractional_;
};

}  // namespace VDSP
