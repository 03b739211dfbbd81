// Converters that show pitch: key names, and relative intervals in semitones or in a scale.
#pragma once

#include "param_framework/EnumList.h"
#include "param_framework/PitchScale.h"
#include "param_framework/VDSPPortConvert.h"

namespace VDSP {

// The value is a key number, named by FormatKeyName (69 is " A5"). Typed key names ("A5", "c#4")
// and plain key numbers read back.
class VConvertMidiKey : public VDSPPortConvert {
 public:
  VConvertMidiKey() : VDSPPortConvert({"VConvertMidiKey", "MidiKey", "(69=A4 57=A3 70=A#4)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

// The value is in octaves from the A of key 69, so 0 and key 69 carry the same name; typed key
// names and plain octave numbers read back.
class VConvertPitch : public VDSPPortConvert {
 public:
  VConvertPitch() : VDSPPortConvert({"VConvertPitch", "Pitch", "(0=A4 -1=A3 +1/12=A#4)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;

  static constexpr double kReferenceKey = 69.0;
};

// An interval in octaves, shown and snapped in one of the scales "Just", "Harmonic" and "Equal"
// (equal temperament unless the owning node picks another; a node that wants another scale
// builds its own instance rather than changing a shared one).
class VConvertPitchRelative : public VDSPPortConvert {
 public:
  VConvertPitchRelative()
      : VConvertPitchRelative({"VConvertPitchRelative", "Relative Pitch", "1=+12 st -1/12=-1st)"}) {
  }

  // Out-of-range indices are ignored. // UI thread
  void SetScale(int index);
  // any thread
  PitchScale GetScale() const { return scale_; }
  const EnumList& GetScaleList() const { return scales_; }

  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
  double QuantiseValue(double value) const override;
  double GetDragStep() const override { return 0.002; }

 protected:
  explicit VConvertPitchRelative(const ConvertNames& names);

 private:
  EnumList scales_;
  PitchScale scale_ = PitchScale::kEqual;
};

// Shown as VConvertPitchRelative, but free of the grid for fine tuning.
class VConvertPitchRelativeFine : public VConvertPitchRelative {
 public:
  VConvertPitchRelativeFine()
      : VConvertPitchRelative(
            {"VConvertPitchRelativeFine", "Relative Pitch Fine", "1=+12 st -1/12=-1st)"}) {}
  double QuantiseValue(double value) const override { return value; }
  double GetDragStep() const override { return 0.001; }
};

// A scale interval under the frequency heading, for nodes that tune by ratio.
class VConvertScaleLog : public VConvertPitchRelative {
 public:
  VConvertScaleLog()
      : VConvertPitchRelative({"VConvertScaleLog", "Frequency", "(0=0 Hz 100=100 Hz)"}) {}
};

// Whole semitones (12 x value).
class VConvertPitchRelativeInteger : public VDSPPortConvert {
 public:
  VConvertPitchRelativeInteger()
      : VDSPPortConvert(
            {"VConvertPitchRelativeInteger", "Relative Pitch Integer", "1=+12 st -1/12=-1st)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
  double QuantiseValue(double value) const override;
};

// 12 x value^3 semitones: fine steps near unison.
class VConvertPitchCube : public VDSPPortConvert {
 public:
  VConvertPitchCube()
      : VDSPPortConvert({"VConvertPitchCube", "Relative Pitch", "1=+12 st -1/12=-1st)"}) {}
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

}  // namespace VDSP
