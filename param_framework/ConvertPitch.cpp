// Converters that show pitch.
#include "param_framework/ConvertPitch.h"

#include <cmath>

#include "param_framework/TypedText.h"

namespace VDSP {

namespace {

double TypedSemitones(std::string_view text) {
  TypedText typed(text);
  typed.RemoveWord("ST");
  return typed.Number();
}

}  // namespace

double VConvertMidiKey::TextToValue(std::string_view text) const {
  double key = 0.0;
  return ReadKeyName(text, key) ? key : TypedText(text).Number();
}

void VConvertMidiKey::FormatValue(WorkText& text, double value, double, int) const {
  FormatKeyName(text, value);
}

double VConvertPitch::TextToValue(std::string_view text) const {
  double key = 0.0;
  return ReadKeyName(text, key) ? (key - kReferenceKey) / 12.0 : TypedText(text).Number();
}

void VConvertPitch::FormatValue(WorkText& text, double value, double, int) const {
  FormatKeyName(text, kReferenceKey + 12.0 * value);
}

VConvertPitchRelative::VConvertPitchRelative(const ConvertNames& names)
    : VDSPPortConvert(names), scales_(PitchScaleList()) {}

void VConvertPitchRelative::SetScale(int index) {
  if (index >= 0 && index < kPitchScaleCount) scale_ = static_cast<PitchScale>(index);
}

double VConvertPitchRelative::TextToValue(std::string_view text) const {
  return ReadInterval(text);
}

void VConvertPitchRelative::FormatValue(WorkText& text, double value, double, int precision) const {
  FormatInterval(text, scale_, value, IsLongForm(precision));
}

double VConvertPitchRelative::QuantiseValue(double value) const {
  return SnapToScale(scale_, value);
}

double VConvertPitchRelativeInteger::TextToValue(std::string_view text) const {
  return TypedSemitones(text) / 12.0;
}

void VConvertPitchRelativeInteger::FormatValue(WorkText& text, double value, double,
                                               int precision) const {
  AppendDecimal(text, 12.0 * value, DecimalsFor(precision, 6, 0), true);
  text.Append(" st");
}

double VConvertPitchRelativeInteger::QuantiseValue(double value) const {
  return std::round(12.0 * value) / 12.0;
}

double VConvertPitchCube::TextToValue(std::string_view text) const {
  return std::cbrt(TypedSemitones(text) / 12.0);
}

void VConvertPitchCube::FormatValue(WorkText& text, double value, double, int precision) const {
  AppendDecimal(text, 12.0 * value * value * value, DecimalsFor(precision, 8, 2), true);
  text.Append(" st");
}

}  // namespace VDSP
