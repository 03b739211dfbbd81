// Converters that show a share of a whole: percentages, wet/dry mixes, pan positions and angles.
#pragma once

#include "param_framework/VDSPPortConvert.h"

namespace VDSP {

class VConvertPercentage : public VDSPPortConvert {
 public:
  VConvertPercentage()
      : VDSPPortConvert({"VConvertPercentage", "Percentage", "(0=0% 0.5f=50% 1=100%)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// "dry:wet" in percent: 0 is all dry ("100:0").
class VConvertMix : public VDSPPortConvert {
 public:
  VConvertMix() : VDSPPortConvert({"VConvertMix", "WetMix", "(0=100/0 0.5f=50/50 1=0/100)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// "L", "C", "R" at the ends and the centre, the signed position from -99 to +99 between.
class VConvertPan : public VDSPPortConvert {
 public:
  VConvertPan() : VDSPPortConvert({"VConvertPan", "Pan", "(0=L 0.5f=C 1=R)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

class VConvertAngle : public VDSPPortConvert {
 public:
  VConvertAngle() : VDSPPortConvert({"VConvertAngle", "Angle", "(0=0 0.5f=180 1=360)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// An angle that switches off below -0.05; "off" typed back reads as -1.
class VConvertAngleSwitch : public VDSPPortConvert {
 public:
  VConvertAngleSwitch()
      : VDSPPortConvert({"VConvertAngleSwitch", "Angle", "(0=0 0.5f=180 1=360)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

}  // namespace VDSP
