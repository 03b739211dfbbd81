// Control inputs: a port that holds one value with its range and the converter that prints and
// parses it, and the proxy that stands in for another control input.
#pragma once

#include <array>
#include <string_view>

#include "param_framework/FixedString.h"
#include "param_framework/VDSPPort.h"
#include "param_framework/VDSPPortConvert.h"

namespace VDSP {

// Built, set and archived on the UI thread; a node may read the value on its processing thread
// only while nothing sets it.
class VDSPPortControlIn : public VDSPPort, public VConvertFloatToText, public VConvertTextToFloat {
 public:
  static constexpr int kShortTextCount = 3;

  // The shared VConvertFloat (no Start needed), range 0 to 1, value 0.
  VDSPPortControlIn();

  const char* GetClassName() const override { return "VDSPPortControlIn"; }
  VDSPPortType GetPortType() const override { return VDSPPortType::kControlIn; }

  // The converter (null means the default VConvertFloat) and the range: an enumerated converter
  // sets the range 0 to item count - 1, any other takes minimum and maximum as given (a
  // non-finite bound keeps the one before). // UI thread
  virtual void Setup(double minimum, double maximum, const VDSPPortConvert* convert);
  // Stores the value (NaN is ignored), calls OnUnderRange or OnOverRange for a value outside the
  // range, then recomputes the normalised value from what is stored. // UI thread
  virtual void SetValue(float value);
  // any thread
  virtual float GetValue() const { return value_; }
  virtual double GetNormalisedValue() const { return normalised_; }
  virtual double GetMinimum() const { return minimum_; }
  virtual double GetMaximum() const { return maximum_; }
  virtual const VDSPPortConvert& GetConvert() const { return *convert_; }
  virtual bool IsEnumerated() const { return enumerated_; }
  // (value - minimum) / (maximum - minimum) after clamping value into the range, whichever bound
  // is larger; within 0 to 1, and 0 for NaN or an empty range. // any thread
  virtual double Normalise(double value) const;
  // The converter's value of text, normalised. // any thread
  double TextToValue(std::string_view text) const override;
  // The converter's text of the value, with the port's mode value. // any thread
  virtual int TextOfValue(char* buffer, int size, int precision) const;

  // The mode converter and mode value that beat-synchronised converters read; carried and
  // copied with the port. // UI thread
  void SetMode(const VDSPPortConvert* modeConvert, double modeValue);
  const VDSPPortConvert* GetModeConvert() const { return modeConvert_; }
  double GetModeValue() const { return modeValue_; }

  // Three short texts a node may attach (label, unit, hint); empty by default. Slots outside
  // 0 to 2 read "" and ignore writes. // UI thread
  const char* GetShortText(int slot) const;
  void SetShortText(int slot, std::string_view text);

  bool CopyFrom(const VDSPPort& other) override;
  // Keys "name", "convert" (the converter's class name) and "umin", "umax", "uval" (the long-form
  // texts of minimum, maximum and value). // UI thread
  void Write(VFoundation::XmlNode node) const override;
  // Restores what the keys allow and keeps the rest: the name; the converter named by "convert"
  // (re-linked to the shared instance of that class; an unknown class keeps the current one); the
  // range ("umin" as text or else "min" as a number, likewise "umax"/"max"; 0 to item count - 1
  // for an enumerated converter); then the value ("uval" as text, else "enum_val" as an item name,
  // else "val" as a number). // UI thread
  void Read(const VFoundation::XmlNode& node) override;

 protected:
  // Called by SetValue after storing a value below or above the range; nothing by default.
  virtual void OnUnderRange(float /*value*/) {}
  virtual void OnOverRange(float /*value*/) {}

 private:
  void RelinkConvert(const VFoundation::XmlNode& node);
  void RestoreRange(const VFoundation::XmlNode& node);
  void RestoreValue(const VFoundation::XmlNode& node);
  bool ReadConvertedText(const VFoundation::XmlNode& node, const char* key, double& out) const;
  void WriteText(VFoundation::XmlNode node, const char* key, double value) const;

  bool enumerated_ = false;
  const VDSPPortConvert* convert_;
  const VDSPPortConvert* modeConvert_ = nullptr;
  double modeValue_ = 0.0;
  float value_ = 0.0f;
  double normalised_ = 0.0;
  double minimum_ = 0.0;
  double maximum_ = 1.0;
  std::array<FixedString<32>, kShortTextCount> shortTexts_;
};

// Forwards every value operation to its target control input (its own when it has none), so that
// a node can show another node's control as one of its own. Archives its name only.
class VDSPPortControlInProxy : public VDSPPortControlIn {
 public:
  const char* GetClassName() const override { return "VDSPPortControlInProxy"; }

  // Refuses (answers false) a target that would lead back to this proxy. // UI thread
  bool SetTarget(VDSPPortControlIn* target);
  VDSPPortControlIn* GetTarget() const { return target_; }

  void Setup(double minimum, double maximum, const VDSPPortConvert* convert) override;
  void SetValue(float value) override;
  float GetValue() const override;
  double GetNormalisedValue() const override;
  double GetMinimum() const override;
  double GetMaximum() const override;
  const VDSPPortConvert& GetConvert() const override;
  bool IsEnumerated() const override;
  double Normalise(double value) const override;
  double TextToValue(std::string_view text) const override;
  int TextOfValue(char* buffer, int size, int precision) const override;

  // The name and the target. // UI thread
  bool CopyFrom(const VDSPPort& other) override;
  void Write(VFoundation::XmlNode node) const override;
  void Read(const VFoundation::XmlNode& node) override;

 private:
  VDSPPortControlIn* target_ = nullptr;
};

}  // namespace VDSP
