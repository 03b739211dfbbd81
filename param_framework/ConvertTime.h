// Converters that show times in seconds and milliseconds.
#pragma once

#include "param_framework/VDSPPortConvert.h"

namespace VDSP {

// Typed text for every member here: a number of seconds, or of milliseconds when "ms" follows
// (any case), so that the members' own texts read back.

// The value is in seconds; typed times below 1e-8 s read as 1e-8 s.
class VConvertTime : public VDSPPortConvert {
 public:
  VConvertTime() : VDSPPortConvert({"VConvertTime", "Time", "(0.001=1ms 1=1sec)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// 2^(value - 1) seconds. The clamped forms hold the value to [-8, 8] and show the ends as
// 10000000000 s and 0.0000000001 s.
class VConvertTimeLog : public VDSPPortConvert {
 public:
  VConvertTimeLog() : VConvertTimeLog({"VConvertTimeLog", "Time", "(0.001=1ms 1=1sec)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
  // any thread
  double TextToValueClamped(std::string_view text) const;
  void FormatValueClamped(WorkText& text, double value, int precision) const;

  static constexpr double kClampedRange = 8.0;

 protected:
  explicit VConvertTimeLog(const ConvertNames& names) : VDSPPortConvert(names) {}
};

class VConvertTimeLogFine : public VConvertTimeLog {
 public:
  VConvertTimeLogFine() : VConvertTimeLog({"VConvertTimeLogFine", "Time", "(0.001=1ms 1=1sec)"}) {}
};

// 10 value^3 seconds: fine steps for short times.
class VConvertTimeCube : public VDSPPortConvert {
 public:
  VConvertTimeCube() : VDSPPortConvert({"VConvertTimeCube", "Time", "(0.001=1ms 1=1sec)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

}  // namespace VDSP
