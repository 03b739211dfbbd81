// The base of every value converter: turns a control's stored value into text and back, names its
// scale, snaps a value to the scale's grid and tells a control how far one pixel of drag moves.
#pragma once

#include <string_view>

#include "param_framework/ConvertFormat.h"
#include "param_framework/EnumList.h"
#include "param_framework/VObject.h"

namespace VDSP {

// Prints a number as plain decimals.
class VConvertFloatToText {
 public:
  virtual ~VConvertFloatToText() = default;
  // FormatDecimal of value without forced sign; decimals of 6 or more (and below 0) use the
  // default of 6. // any thread
  virtual int FloatToText(double value, char* buffer, int size, int decimals) const;

 protected:
  int defaultDecimals_ = 6;
};

// Reads a number from text.
class VConvertTextToFloat {
 public:
  virtual ~VConvertTextToFloat() = default;
  // Typed text to a value. Any text gives a finite value or an infinity, never NaN. // any thread
  virtual double TextToValue(std::string_view text) const = 0;
  // TextToValue narrowed to float: beyond a float's range reads as its largest value, NaN as 0.
  // any thread
  float TextToFloat(std::string_view text) const;
};

// What a member shows the user: class name (as archives store it), the scale's name and its
// one-line description.
struct ConvertNames {
  const char* className;
  const char* name;
  const char* description;
};

// Converters hold no per-value state: one instance serves every control that shows its kind of
// value, from any thread. Members only set their lists while they are being built.
class VDSPPortConvert : public VConvertFloatToText, public VConvertTextToFloat, public VObject {
 public:
  explicit VDSPPortConvert(const ConvertNames& names) : names_(names) {}

  const char* GetClassName() const override { return names_.className; }
  // any thread
  virtual const char* GetConvertName() const { return names_.name; }
  // any thread
  virtual const char* GetConvertDescription() const { return names_.description; }

  // A plain number, read after the blanks are removed. // any thread
  double TextToValue(std::string_view text) const override;

  // Stored value to text: kLongForm asks for more decimals; modeValue matters to the
  // beat-synchronised members only. The text (at most 63 characters) is copied into buffer cut to
  // size - 1 characters and always terminated; answers the characters copied, or the full length
  // when buffer is null. // any thread
  int ValueToText(double value, char* buffer, int size, double modeValue, int precision) const;
  // Appends the text of value to a work text; what ValueToText copies out. // any thread
  virtual void FormatValue(WorkText& text, double value, double modeValue, int precision) const = 0;

  // The unit list; no member changes its "Off" item 0. Reads // any thread, writes // UI thread
  int GetUnitCount() const { return units_.GetItemCount(); }
  const char* GetUnitName(int index) const { return units_.GetItemName(index); }
  bool SetUnitName(int index, std::string_view name) { return units_.SetItem(index, name); }
  int AddUnit(std::string_view name);
  int FindUnit(std::string_view name) const { return units_.FindItem(name); }
  void ResetUnits() { units_.Reset(); }

  // The nearest value on the scale's grid; unchanged by default. // any thread
  virtual double QuantiseValue(double value) const { return value; }
  // The value a control takes when it is adjusted from b with the modifier amount a; b by
  // default. // any thread
  virtual double AdjustValue(double a, double b) const;
  // Value change per pixel of mouse drag. // any thread
  virtual double GetDragStep() const { return kDefaultDragStep; }
  // The number of items of an enumerated member, 0 for a continuous one. // any thread
  virtual int GetItemCount() const { return 0; }

  static constexpr double kDefaultDragStep = 1.0 / 300.0;

 private:
  ConvertNames names_;
  EnumListUnit units_;
};

}  // namespace VDSP
