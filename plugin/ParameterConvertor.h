// Display text for a parameter value and the value for a typed text, for the host and the editor.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What some rules need beyond the value itself, taken from the engine's current base values.
// The defaults are the parameters' defaults and a 44100 Hz host.
struct ConvertorContext {
  float lfo1Sync = 1.0f;     // "LFO1Sync": LFO 1's rate shows a tempo division at 0.5 or more
  float lfo2Sync = 1.0f;     // "LFO2Sync"
  float sandHSync = 1.0f;    // "SandHSync"
  float filter1Type = 0.0f;  // "F1Type": decides what "F1Mode" means
  float filter2Type = 0.0f;  // "F2Type"
  float hostSampleRateHz = 44100.0f;  // typed cutoffs stop at half of it

  // Fills every field from a row of the 60 base values. // any thread
  static ConvertorContext FromValues(const float* values, float hostSampleRateHz);
  // The value of a sync switch or filter-type parameter that a rule refers to; 0 for any other
  // index. // any thread
  float ValueOf(int32_t parameterIndex) const;
};

class ParameterConvertor {
 public:
  // Display text of a fixed parameter, beginning with prefix (empty for a value box, the control's
  // name and ": " for a tooltip). The value is clamped to 0..1 first (NaN reads as 0). An index
  // outside 0-59 shows the plain percent text. // UI thread (allocates)
  static std::string ValueText(int32_t index, float value, std::string_view prefix,
                               const ConvertorContext& context);

  // Value for a typed text, clamped to 0..1. Empty when the parameter takes no typed text (the
  // word-only switches, the FM sources, an index outside 0-59) or when a numeric rule finds no
  // number: the caller then keeps the current value. Never throws. // UI thread
  static std::optional<float> TextValue(int32_t index, std::string_view text,
                                        const ConvertorContext& context) noexcept;

  // Mode item for a typed text against a filter type item: a full display text of the type
  // first, then the first of the type's keys found in the text; no match gives 0. // UI thread
  static int32_t ConvertFilterMode(std::string_view text, int32_t typeItem);
  // Drive mode item: a display text, else the first key found in the order "diode", "halfrect",
  // "op-amp", "ota", "shredder", "clipper", "tannin"; no match gives 0. // UI thread
  static int32_t ConvertDriveMode(std::string_view text);
  // Filter type item: a display text, else the first found of "comb"/"c" 3, "svf" 1, "fatty"/"f"
  // 2, "s" 1; no match gives 0. // UI thread
  static int32_t ConvertFilterType(std::string_view text);
};
