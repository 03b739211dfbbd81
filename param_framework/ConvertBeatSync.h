// Beat-synchronised converters: one stored value shown either as a time or frequency or as a note
// length, as the control's mode value chooses.
#pragma once

#include "param_framework/ConvertEnum.h"
#include "param_framework/VDSPPortConvert.h"

namespace VDSP {

// The two modes of the time pair: "Seconds" (0) and "BPM" (1).
class TimeBeatMode : public VConvertEnum {
 public:
  TimeBeatMode();
};

// The two modes of the frequency converters: "Freq" (0) and "Beats" (1).
class FrequencyBeatMode : public VConvertEnum {
 public:
  FrequencyBeatMode();
};

// Mode index: the mode value clamped to the items and rounded; NaN is the first. // any thread
int ModeIndex(const VConvertEnum& modes, double modeValue);

// Every member below shows its value through the delegate its mode selects, with the same
// precision. Typed text that names a note length ("note", or a fraction "a/b") goes to the beat
// delegate, anything else to the time or frequency one.

// "Seconds": VConvertTimeLog's clamped text; "BPM": VConvertBPM's.
class VConvertTimeBeat : public VDSPPortConvert {
 public:
  using ConvertMode = TimeBeatMode;
  VConvertTimeBeat() : VDSPPortConvert({"VConvertTimeBeat", "Time/Beat", "(seconds or beats)"}) {}
  // The lazily created mode list. // any thread
  static const ConvertMode& Modes();
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// "Seconds": VConvertTimeCube; "BPM": VConvertBPMCube.
class VConvertTimeBeatCube : public VDSPPortConvert {
 public:
  using ConvertMode = TimeBeatMode;
  VConvertTimeBeatCube()
      : VDSPPortConvert({"VConvertTimeBeatCube", "Time/Beat Cube", "(seconds or beats)"}) {}
  static const ConvertMode& Modes();
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// "Freq": VConvertFrequencyLog; "Beats": VConvertBPM of -value (a faster rate is a shorter note).
class VConvertFrequencyBeat : public VDSPPortConvert {
 public:
  using ConvertMode = FrequencyBeatMode;
  VConvertFrequencyBeat()
      : VDSPPortConvert({"VConvertFrequencyBeat", "Time/Beat", "(seconds or beats)"}) {}
  static const ConvertMode& Modes();
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// "Freq": VConvertFrequencyCube; "Beats": VConvertBPMCube.
class VConvertFrequencyBeatCube : public VDSPPortConvert {
 public:
  using ConvertMode = FrequencyBeatMode;
  VConvertFrequencyBeatCube()
      : VDSPPortConvert({"VConvertFrequencyBeatCube", "Time/Beat", "(seconds or beats)"}) {}
  static const ConvertMode& Modes();
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// "Freq": VConvertFrequencyDetune; "Beats": VConvertBeatDetune.
class VConvertFrequencyBeatDetune : public VDSPPortConvert {
 public:
  using ConvertMode = FrequencyBeatMode;
  VConvertFrequencyBeatDetune()
      : VDSPPortConvert({"VConvertFrequencyBeatDetune", "Freq/Beat", "(freq or beats)"}) {}
  static const ConvertMode& Modes();
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

}  // namespace VDSP
