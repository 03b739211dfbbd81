// Converters that show plain numbers: decimals, integers, cubes and powers of two with engineering
// prefixes, scaled numbers and resistances.
#pragma once

#include "param_framework/VDSPPortConvert.h"

namespace VDSP {

// Every member here reads typed text as a number followed by an optional engineering prefix
// letter ("4.7k", "2M", "10m") and undoes its own curve, so that its text reads back.

class VConvertFloat : public VDSPPortConvert {
 public:
  VConvertFloat() : VDSPPortConvert({"VConvertFloat", "Decimal", "(decimal number)"}) {}
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

class VConvertInt : public VDSPPortConvert {
 public:
  VConvertInt() : VDSPPortConvert({"VConvertInt", "Integer", "(integer)"}) {}
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// The cube of the value, for controls that need fine steps near zero.
class VConvertCube : public VDSPPortConvert {
 public:
  VConvertCube() : VDSPPortConvert({"VConvertCube", "Decimal", "(decimal number)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// 2^value.
class VConvertDoubleLog : public VDSPPortConvert {
 public:
  VConvertDoubleLog() : VDSPPortConvert({"VConvertDoubleLog", "Decimal", "(decimal number)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// value * scale with a node-chosen number of extra decimals and a unit suffix written after the
// prefix letter ("2.50 kHz" with the suffix "Hz"). The offset and the second factor are carried
// for the nodes that set them; the text does not use them.
class VConvertDoubleScaled : public VDSPPortConvert {
 public:
  VConvertDoubleScaled()
      : VDSPPortConvert({"VConvertDoubleScaled", "Decimal", "(decimal number)"}) {}

  // Set while the owning node is built. // UI thread
  void SetScale(float scale) { scale_ = scale; }
  void SetOffset(float offset) { offset_ = offset; }
  void SetSecondFactor(float factor) { secondFactor_ = factor; }
  void SetExtraDecimals(int decimals) { extraDecimals_ = decimals; }
  void SetUnitSuffix(std::string_view suffix) { unitSuffix_.Set(suffix); }
  float GetScale() const { return scale_; }
  float GetOffset() const { return offset_; }
  float GetSecondFactor() const { return secondFactor_; }
  int GetExtraDecimals() const { return extraDecimals_; }
  const char* GetUnitSuffix() const { return unitSuffix_.CStr(); }

  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;

 protected:
  explicit VConvertDoubleScaled(const ConvertNames& names) : VDSPPortConvert(names) {}
  // The number shown for a stored value and the stored value for a number shown.
  virtual double Shown(double value) const { return value * scale_; }
  virtual double Stored(double shown) const;

 private:
  float scale_ = 1.0f;
  float offset_ = 0.0f;
  float secondFactor_ = 1.0f;
  int extraDecimals_ = 2;
  FixedString<16> unitSuffix_;
};

// 2^(value * scale), shown as VConvertDoubleScaled shows its number.
class VConvertDoubleScaledLog : public VConvertDoubleScaled {
 public:
  VConvertDoubleScaledLog()
      : VConvertDoubleScaled({"VConvertDoubleScaledLog", "Decimal", "(decimal number)"}) {}

 protected:
  double Shown(double value) const override;
  double Stored(double shown) const override;
};

class VConvertResistance : public VDSPPortConvert {
 public:
  VConvertResistance() : VDSPPortConvert({"VConvertResistance", "Resistance", ""}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// A resistance of 2^value.
class VConvertResistanceLog : public VDSPPortConvert {
 public:
  VConvertResistanceLog() : VDSPPortConvert({"VConvertResistanceLog", "Resistance Log", ""}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

}  // namespace VDSP
