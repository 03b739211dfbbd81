// Converters for enumerated controls: a list of named items, and the on/off switch.
#pragma once

#include "param_framework/EnumList.h"
#include "param_framework/VDSPPortConvert.h"

namespace VDSP {

// The value is an item index. Each item has a short name and an optional long one, which the long
// form shows when it is set. Typed text matches either name (case and blanks free) and gives its
// index; other text is read as a number.
class VConvertEnum : public VDSPPortConvert {
 public:
  VConvertEnum() : VConvertEnum({"VConvertEnum", "Enum", "(enumerated list)"}) {}

  // Sets item index (the list grows to reach it); false for an index below 0 or too large.
  // UI thread
  bool SetItem(int index, std::string_view shortName, std::string_view longName = {});
  // "" for an index outside the list. // any thread
  const char* GetShortName(int index) const { return shortNames_.GetItemName(index); }
  const char* GetLongName(int index) const { return longNames_.GetItemName(index); }
  // The item whose long or short name is text; -1 for none. // any thread
  int FindItem(std::string_view text) const;
  // The item index a value selects: clamped into the list, rounded half away from zero. // any
  // thread
  int ItemOfValue(double value) const;

  double TextToValue(std::string_view text) const override;
  // A list without items shows the value rounded to a whole number.
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
  double QuantiseValue(double value) const override;
  // a < 10 gives a * 0.1 * (b - 0.5) + 0.5, else b.
  double AdjustValue(double a, double b) const override;
  // Fewer than ten steps between the ends move five times as far per pixel, shared out over the
  // steps: a short list still takes a comfortable drag from end to end.
  double GetDragStep() const override;
  int GetItemCount() const override { return count_; }

 protected:
  explicit VConvertEnum(const ConvertNames& names) : VDSPPortConvert(names) {}

 private:
  EnumList shortNames_;
  EnumList longNames_;
  int count_ = 0;
};

// "off" (0) and "on" (1): on from 0.5 up. Typed text beginning "on" gives 1, "off" gives 0.
class VConvertSwitch : public VConvertEnum {
 public:
  VConvertSwitch();
  double TextToValue(std::string_view text) const override;
  void FormatValue(WorkText& text, double value, double modeValue, int precision) const override;
};

}  // namespace VDSP
