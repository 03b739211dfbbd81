// The peak of one block of samples, for the output meters.
#pragma once

#include <cstdint>

namespace VDSP {

// The larger magnitude of the block's lowest and highest sample, 0 for an empty block. NaN samples
// are passed over; an infinite one is the peak. // audio thread
float BlockPeak(const float* samples, int32_t frames);

}  // namespace VDSP
