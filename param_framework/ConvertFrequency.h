// Converters that show frequencies in Hz and kHz, and the detune curve they share with the
// beat-length converters.
#pragma once

#include "param_framework/VDSPPortConvert.h"

namespace VDSP {

// Typed text for every member here: a number of hertz, or of kilohertz when "kHz" follows (any
// case), so that the members' own texts read back.

// Detune D(x) with c = 2 and k = 2^-c: 2^(x - c) - k from 0 up, k - 2^(-x - c) below, so that
// D(0) = 0 and D(-x) = -D(x). // any thread
double DetuneCurve(double value);
// The value whose detune is d. // any thread
double DetuneCurveInverse(double detune);

class VConvertFrequency : public VDSPPortConvert {
 public:
  VConvertFrequency()
      : VDSPPortConvert({"VConvertFrequency", "Frequency", "(0=0 Hz 100=100 Hz)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// The number of hertz without a unit.
class VConvertFrequencyTune : public VDSPPortConvert {
 public:
  VConvertFrequencyTune()
      : VDSPPortConvert({"VConvertFrequencyTune", "Frequency Tune", "(0=0 Hz 100=100 Hz)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// 2^(value + 1) Hz.
class VConvertFrequencyLog : public VDSPPortConvert {
 public:
  VConvertFrequencyLog()
      : VDSPPortConvert({"VConvertFrequencyLog", "Frequency", "(0=0 Hz 100=100 Hz)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// The rate of a period of 10 value^3 seconds.
class VConvertFrequencyCube : public VDSPPortConvert {
 public:
  VConvertFrequencyCube()
      : VDSPPortConvert({"VConvertFrequencyCube", "Frequency", "(0=0 Hz 100=100 Hz)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// 400 * 2^(value + 1) Hz.
class VConvertFrequencyPitch : public VDSPPortConvert {
 public:
  VConvertFrequencyPitch()
      : VDSPPortConvert({"VConvertFrequencyPitch", "Frequency", "(0=0 Hz 100=100 Hz)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// A detune of D(value) Hz.
class VConvertFrequencyDetune : public VDSPPortConvert {
 public:
  VConvertFrequencyDetune()
      : VDSPPortConvert({"VConvertFrequencyDetune", "Frequency", "(0=0 Hz 100=100 Hz)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

}  // namespace VDSP
