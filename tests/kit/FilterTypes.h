// The four filter types behind one stereo face, so that one suite can run over every type and mode.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dsp/CombFilter.h"
#include "dsp/MS20Filter.h"
#include "dsp/SH101Filter.h"
#include "dsp/StateVariableFilter.h"
#include "kit/Blocks.h"

namespace TestKit {

class FilterUnderTest {
 public:
  virtual ~FilterUnderTest() = default;
  virtual void SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) = 0;
  virtual void SetParameters(float cutoff, float resonance, float mode) = 0;
  virtual void Process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
                       int32_t n, float inverseN) = 0;
  virtual void Reset() = 0;
};

// A type that runs both channels in one object.
template <class Filter>
class StereoFilter : public FilterUnderTest {
 public:
  void SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) override {
    filter_.SetSampleRate(processingRateHz, hostRateHz, factor);
  }
  void SetParameters(float cutoff, float resonance, float mode) override {
    filter_.SetParameters(cutoff, resonance, mode);
  }
  void Process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
               int32_t n, float inverseN) override {
    filter_.Process(inLeft, inRight, outLeft, outRight, n, inverseN);
  }
  void Reset() override { filter_.Reset(); }

 private:
  Filter filter_;
};

// A one-channel type, one object per channel as the slot runs it.
template <class Filter>
class MonoFilterPair : public FilterUnderTest {
 public:
  void SetSampleRate(float processingRateHz, float hostRateHz, int32_t factor) override {
    left_.SetSampleRate(processingRateHz, hostRateHz, factor);
    right_.SetSampleRate(processingRateHz, hostRateHz, factor);
  }
  void SetParameters(float cutoff, float resonance, float mode) override {
    left_.SetParameters(cutoff, resonance, mode);
    right_.SetParameters(cutoff, resonance, mode);
  }
  void Process(const float* inLeft, const float* inRight, float* outLeft, float* outRight,
               int32_t n, float inverseN) override {
    left_.Process(inLeft, outLeft, n, inverseN);
    right_.Process(inRight, outRight, n, inverseN);
  }
  void Reset() override {
    left_.Reset();
    right_.Reset();
  }

 private:
  Filter left_;
  Filter right_;
};

// Runs a one-channel filter over the input in blocks of `block`, setting the controls before each
// block as the slot does; returns the output.
template <class Filter>
std::vector<float> RunMonoBlocks(Filter& filter, const std::vector<float>& input, float cutoff,
                                 float resonance, float mode, size_t block) {
  std::vector<float> out(input.size());
  ForEachBlock(input.size(), block, [&](size_t start, int32_t n, float inverseN) {
    filter.SetParameters(cutoff, resonance, mode);
    filter.Process(input.data() + start, out.data() + start, n, inverseN);
  });
  return out;
}

struct FilterKind {
  const char* name;
  uint32_t modeCount;
  std::unique_ptr<FilterUnderTest> (*make)();
};

template <class Wrapper>
std::unique_ptr<FilterUnderTest> Make() {
  return std::make_unique<Wrapper>();
}

inline const FilterKind kJapan{"Japan", VDSP::SH101Filter::kModeCount,
                               &Make<StereoFilter<VDSP::SH101Filter>>};
inline const FilterKind kSvf{"Svf", VDSP::StateVariableFilter::kModeCount,
                             &Make<StereoFilter<VDSP::StateVariableFilter>>};
inline const FilterKind kFatty{"Fatty", VDSP::MS20Filter::kModeCount,
                               &Make<MonoFilterPair<VDSP::MS20Filter>>};
inline const FilterKind kComb{"Comb", VDSP::CombFilter::kModeCount,
                              &Make<MonoFilterPair<VDSP::CombFilter>>};

// One mode of one type; the mode control is index / (count - 1), the value that selects it.
struct FilterMode {
  const FilterKind* kind;
  uint32_t index;

  float ModeValue() const {
    return static_cast<float>(index) / static_cast<float>(kind->modeCount - 1);
  }
  std::string Name() const { return std::string(kind->name) + "Mode" + std::to_string(index); }
};

inline std::vector<FilterMode> AllFilterModes() {
  std::vector<FilterMode> modes;
  for (const FilterKind* kind : {&kJapan, &kSvf, &kFatty, &kComb}) {
    for (uint32_t index = 0; index < kind->modeCount; ++index) modes.push_back({kind, index});
  }
  return modes;
}

}  // namespace TestKit
