// Control inputs and their proxy.
#include "param_framework/VDSPPortControlIn.h"

#include <cmath>
#include <limits>
#include <string>

#include "param_framework/ConvertRegistry.h"
#include "support/Log.h"

namespace VDSP {

namespace {

constexpr double kFloatMax = std::numeric_limits<float>::max();

bool IsEnumeratedConvert(const VDSPPortConvert& convert) {
  return convert.GetItemCount() > 0;
}

}  // namespace

VDSPPortControlIn::VDSPPortControlIn() : convert_(&ConvertLibrary::DefaultControlConvert()) {}

void VDSPPortControlIn::Setup(double minimum, double maximum, const VDSPPortConvert* convert) {
  convert_ = convert ? convert : &ConvertLibrary::DefaultControlConvert();
  enumerated_ = IsEnumeratedConvert(*convert_);
  if (enumerated_) {
    minimum_ = 0.0;
    maximum_ = convert_->GetItemCount() - 1;
  } else {
    if (std::isfinite(minimum)) minimum_ = minimum;
    if (std::isfinite(maximum)) maximum_ = maximum;
  }
  normalised_ = Normalise(value_);
}

void VDSPPortControlIn::SetValue(float value) {
  if (std::isnan(value)) return;
  value_ = value;
  if (value < std::fmin(minimum_, maximum_)) {
    OnUnderRange(value);
  } else if (value > std::fmax(minimum_, maximum_)) {
    OnOverRange(value);
  }
  normalised_ = Normalise(value_);
}

double VDSPPortControlIn::Normalise(double value) const {
  const double span = maximum_ - minimum_;
  if (std::isnan(value) || span == 0.0) return 0.0;
  const double clamped =
      std::clamp(value, std::fmin(minimum_, maximum_), std::fmax(minimum_, maximum_));
  return std::clamp((clamped - minimum_) / span, 0.0, 1.0);
}

double VDSPPortControlIn::TextToValue(std::string_view text) const {
  return Normalise(convert_->TextToValue(text));
}

int VDSPPortControlIn::TextOfValue(char* buffer, int size, int precision) const {
  return convert_->ValueToText(value_, buffer, size, modeValue_, precision);
}

void VDSPPortControlIn::SetMode(const VDSPPortConvert* modeConvert, double modeValue) {
  modeConvert_ = modeConvert;
  modeValue_ = std::isfinite(modeValue) ? modeValue : 0.0;
}

const char* VDSPPortControlIn::GetShortText(int slot) const {
  return (slot >= 0 && slot < kShortTextCount) ? shortTexts_[static_cast<size_t>(slot)].CStr() : "";
}

void VDSPPortControlIn::SetShortText(int slot, std::string_view text) {
  if (slot >= 0 && slot < kShortTextCount) shortTexts_[static_cast<size_t>(slot)].Set(text);
}

bool VDSPPortControlIn::CopyFrom(const VDSPPort& other) {
  if (!VDSPPort::CopyFrom(other)) return false;
  const auto& control = static_cast<const VDSPPortControlIn&>(other);
  enumerated_ = control.enumerated_;
  convert_ = control.convert_;
  modeConvert_ = control.modeConvert_;
  modeValue_ = control.modeValue_;
  value_ = control.value_;
  normalised_ = control.normalised_;
  minimum_ = control.minimum_;
  maximum_ = control.maximum_;
  shortTexts_ = control.shortTexts_;
  return true;
}

void VDSPPortControlIn::WriteText(VFoundation::XmlNode node, const char* key, double value) const {
  WorkText text;
  convert_->FormatValue(text, value, modeValue_, kLongForm);
  node.WriteString(key, text.View());
}

void VDSPPortControlIn::Write(VFoundation::XmlNode node) const {
  VDSPPort::Write(node);
  node.WriteString("convert", convert_->GetClassName());
  WriteText(node, "umin", minimum_);
  WriteText(node, "umax", maximum_);
  WriteText(node, "uval", value_);
}

void VDSPPortControlIn::Read(const VFoundation::XmlNode& node) {
  VDSPPort::Read(node);
  RelinkConvert(node);
  RestoreRange(node);
  RestoreValue(node);
}

void VDSPPortControlIn::RelinkConvert(const VFoundation::XmlNode& node) {
  std::string className;
  if (!node.ReadString("convert", className) || className == convert_->GetClassName()) return;
  if (const VDSPPortConvert* shared = ConvertLibrary::Shared(className)) {
    convert_ = shared;
  } else {
    VFoundation::Log("VDSPPortControlIn::Read, no converter \"%s\" for \"%s\", keeping \"%s\"\n",
                     className.c_str(), GetName().c_str(), convert_->GetClassName());
  }
}

// A text the converter reads to a non-finite number restores nothing, as a malformed number
// does not.
bool VDSPPortControlIn::ReadConvertedText(const VFoundation::XmlNode& node, const char* key,
                                          double& out) const {
  std::string text;
  if (!node.ReadString(key, text)) return false;
  const double value = convert_->TextToValue(text);
  if (!std::isfinite(value)) return false;
  out = value;
  return true;
}

void VDSPPortControlIn::RestoreRange(const VFoundation::XmlNode& node) {
  enumerated_ = IsEnumeratedConvert(*convert_);
  if (enumerated_) {
    minimum_ = 0.0;
    maximum_ = convert_->GetItemCount() - 1;
    return;
  }
  if (!ReadConvertedText(node, "umin", minimum_)) node.ReadDouble("min", minimum_);
  if (!ReadConvertedText(node, "umax", maximum_)) node.ReadDouble("max", maximum_);
}

void VDSPPortControlIn::RestoreValue(const VFoundation::XmlNode& node) {
  double value = 0.0;
  if (ReadConvertedText(node, "uval", value) || ReadConvertedText(node, "enum_val", value) ||
      node.ReadDouble("val", value)) {
    SetValue(static_cast<float>(std::clamp(value, -kFloatMax, kFloatMax)));
  } else {
    normalised_ = Normalise(value_);
  }
}

bool VDSPPortControlInProxy::SetTarget(VDSPPortControlIn* target) {
  for (const VDSPPortControlIn* step = target; step;) {
    if (step == this) return false;
    const auto* proxy = dynamic_cast<const VDSPPortControlInProxy*>(step);
    step = proxy ? proxy->target_ : nullptr;
  }
  target_ = target;
  return true;
}

void VDSPPortControlInProxy::Setup(double minimum, double maximum, const VDSPPortConvert* convert) {
  if (target_) {
    target_->Setup(minimum, maximum, convert);
  } else {
    VDSPPortControlIn::Setup(minimum, maximum, convert);
  }
}

void VDSPPortControlInProxy::SetValue(float value) {
  if (target_) {
    target_->SetValue(value);
  } else {
    VDSPPortControlIn::SetValue(value);
  }
}

float VDSPPortControlInProxy::GetValue() const {
  return target_ ? target_->GetValue() : VDSPPortControlIn::GetValue();
}

double VDSPPortControlInProxy::GetNormalisedValue() const {
  return target_ ? target_->GetNormalisedValue() : VDSPPortControlIn::GetNormalisedValue();
}

double VDSPPortControlInProxy::GetMinimum() const {
  return target_ ? target_->GetMinimum() : VDSPPortControlIn::GetMinimum();
}

double VDSPPortControlInProxy::GetMaximum() const {
  return target_ ? target_->GetMaximum() : VDSPPortControlIn::GetMaximum();
}

const VDSPPortConvert& VDSPPortControlInProxy::GetConvert() const {
  return target_ ? target_->GetConvert() : VDSPPortControlIn::GetConvert();
}

bool VDSPPortControlInProxy::IsEnumerated() const {
  return target_ ? target_->IsEnumerated() : VDSPPortControlIn::IsEnumerated();
}

double VDSPPortControlInProxy::Normalise(double value) const {
  return target_ ? target_->Normalise(value) : VDSPPortControlIn::Normalise(value);
}

double VDSPPortControlInProxy::TextToValue(std::string_view text) const {
  return target_ ? target_->TextToValue(text) : VDSPPortControlIn::TextToValue(text);
}

int VDSPPortControlInProxy::TextOfValue(char* buffer, int size, int precision) const {
  return target_ ? target_->TextOfValue(buffer, size, precision)
                 : VDSPPortControlIn::TextOfValue(buffer, size, precision);
}

bool VDSPPortControlInProxy::CopyFrom(const VDSPPort& other) {
  if (!VDSPPort::CopyFrom(other)) return false;
  return SetTarget(static_cast<const VDSPPortControlInProxy&>(other).target_);
}

void VDSPPortControlInProxy::Write(VFoundation::XmlNode node) const {
  VDSPPort::Write(node);
}

void VDSPPortControlInProxy::Read(const VFoundation::XmlNode& node) {
  VDSPPort::Read(node);
}

}  // namespace VDSP
