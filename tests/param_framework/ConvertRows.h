// Case-table checks shared by the value converter tests: the text of a value in both forms, the
// value that text reads back as, and typed text.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <span>
#include <string>

#include "param_framework/ConvertRegistry.h"
#include "param_framework/VDSPPortConvert.h"

namespace VDSP {

// A value shown in the long and the short form, and the value the long-form text reads back as
// (the stored value itself unless the text loses something on purpose).
struct TextRow {
  const char* className;
  double value;
  const char* longText;
  const char* shortText;
  double readBack;
  double modeValue = 0.0;
};

struct TypedRow {
  const char* className;
  const char* text;
  double value;
};

inline std::string TextOf(const VDSPPortConvert& convert, double value, double mode,
                          int precision) {
  char buffer[kWorkTextSize];
  convert.ValueToText(value, buffer, sizeof buffer, mode, precision);
  return buffer;
}

// Long-form texts carry at least seven significant digits.
inline void ExpectNearValue(double actual, double expected, const std::string& what) {
  EXPECT_NEAR(actual, expected, 2e-7 * std::fmax(1.0, std::fabs(expected))) << what;
}

inline void ExpectRows(const VDSPPortConvert& convert, const TextRow& row) {
  const std::string what = std::string(row.className) + " at " + std::to_string(row.value);
  EXPECT_EQ(TextOf(convert, row.value, row.modeValue, kLongForm), row.longText) << what;
  EXPECT_EQ(TextOf(convert, row.value, row.modeValue, kShortForm), row.shortText) << what;
  ExpectNearValue(convert.TextToValue(row.longText), row.readBack, what + " read back");
}

inline void ExpectRows(std::span<const TextRow> rows) {
  for (const TextRow& row : rows) {
    const std::unique_ptr<VDSPPortConvert> convert = CreateConvert(row.className);
    ASSERT_NE(convert, nullptr) << row.className;
    ExpectRows(*convert, row);
  }
}

inline void ExpectTyped(std::span<const TypedRow> rows) {
  for (const TypedRow& row : rows) {
    const std::unique_ptr<VDSPPortConvert> convert = CreateConvert(row.className);
    ASSERT_NE(convert, nullptr) << row.className;
    ExpectNearValue(convert->TextToValue(row.text), row.value,
                    std::string(row.className) + " typed \"" + row.text + "\"");
  }
}

}  // namespace VDSP
