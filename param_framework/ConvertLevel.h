// Converters that show levels in decibels: cubic and exponential gains and plain decibels.
#pragma once

#include "param_framework/VDSPPortConvert.h"

namespace VDSP {

// Typed text for all three: a number of decibels ("dB" optional, any case); text beginning "-oo"
// or equal to "-00" means silence.

// Gain value^3: 0 is silence, 1 unity, 2 +18 dB.
class VConvertAmp : public VDSPPortConvert {
 public:
  VConvertAmp() : VDSPPortConvert({"VConvertAmp", "dB", "(0=-oodB 1=0dB 2=+18dB)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// Gain FastExp2(value), the stage-gain law: -10 and below is silence, 0 unity.
class VConvertAmpLog : public VDSPPortConvert {
 public:
  VConvertAmpLog() : VDSPPortConvert({"VConvertAmpLog", "dB", "()"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// The value is in decibels; -144 and below is silence.
class VConvertDecibel : public VDSPPortConvert {
 public:
  VConvertDecibel() : VDSPPortConvert({"VConvertDecibel", "Decibels", "(0=0 dB 30=+30 dB)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;

  static constexpr double kSilenceDb = -144.0;
};

}  // namespace VDSP
