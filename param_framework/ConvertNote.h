// Converters that show note lengths for tempo-synchronised times and rates.
#pragma once

#include "param_framework/VDSPPortConvert.h"

namespace VDSP {

// Typed text for every member here: a note length in whole notes ("1/4", "3/16 note", "0.5").

// The value is log2 of the length in beats: 0 is "1/4 note", -1 "1/8 note". kNumberOnly leaves
// out the word. Typed lengths are held to values -8 to 8.
class VConvertBPM : public VDSPPortConvert {
 public:
  VConvertBPM() : VDSPPortConvert({"VConvertBPM", "Note", "(0=1 Note -1=1/2 Note)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;

  static constexpr double kRange = 8.0;
};

// A length of 2 * 10 value^3 beats, the beat counterpart of VConvertTimeCube.
class VConvertBPMCube : public VDSPPortConvert {
 public:
  VConvertBPMCube() : VDSPPortConvert({"VConvertBPMCube", "Note", "(0=1 Note -1=1/2 Note)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// A length of 2^D(value) beats, D the detune curve: 0 is "1/4 note".
class VConvertBeatDetune : public VDSPPortConvert {
 public:
  VConvertBeatDetune()
      : VDSPPortConvert({"VConvertBeatDetune", "Frequency", "(0=0 Hz 100=100 Hz)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

}  // namespace VDSP
