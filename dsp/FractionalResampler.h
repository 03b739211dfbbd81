// Cubic-interpolating rate converter for the part of a rate ratio that is not a power of two.
#pragma once

#include <vector>

namespace VDSP {

// Reads a stereo stream at a position that advances by `step` input samples per output sample, with
// four-point third-order Lagrange interpolation. It has no anti-alias filter of its own: the
// resampler chain only uses it next to its half-band stages, at a rate where the signal occupies
// well under half the band, and with step between 0.5 and 2. Latency: two samples at its input rate
// (the interpolator looks two samples ahead).
class FractionalResampler {
 public:
  // Allocates the input history for blocks of up to maxInputFrames; longer blocks are worked
  // through in pieces. Clears the state. // UI thread
  void Prepare(int maxInputFrames);
  // Input samples per output sample; values that are not positive and finite mean 1. Keeps the
  // history. // UI thread
  void SetStep(double step);
  double Step() const { return step_; }  // any thread
  // Zeroes the history and restarts the read position. // audio thread
  void Clear();

  // Upper bound of the frames Process writes for `inputFrames` input frames. // any thread
  int MaxOutputFrames(int inputFrames) const;

  // Consumes `frames` input frames and returns the number of output frames written (at most
  // MaxOutputFrames(frames)). Writes nothing before Prepare. // audio thread
  int Process(float* outLeft, float* outRight, const float* inLeft, const float* inRight,
              int frames);

  // Clears the history and returns true when a NaN, an infinity or a runaway value got into it.
  // // audio thread
  bool FlushState();

 private:
  // Samples kept from the previous block: the interpolator reads one behind and two ahead.
  static constexpr int kHistory = 3;

  int ProcessPiece(float* outLeft, float* outRight, const float* inLeft, const float* inRight,
                   int frames);

  // The read position, in samples from the start of the history, is split into a whole and a
  // fractional part. Stepping only the fraction keeps the result independent of how the stream is
  // cut into blocks, and its rounding error from growing with time.
  double step_ = 1.0;
  int stepWhole_ = 1;
  double stepFraction_ = 0.0;
  int positionWhole_ = 1;
  double positionFraction_ = 0.0;
  int capacity_ = 0;  // input frames per piece
  std::vector<float> left_;
  std::vector<float> right_;
};

}  // namespace VDSP
