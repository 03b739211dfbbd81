// Note lengths as a musician reads them.
#include "param_framework/NoteLength.h"

#include <array>
#include <cmath>

#include "param_framework/TypedText.h"

namespace VDSP {

namespace {

// Plain denominators down to 1/1024 and triplet ones (3 * 2^n), smallest first, so that the first
// match is already reduced.
constexpr std::array<double, 20> kDenominators = {1,  2,  3,  4,   6,   8,   12,  16,  24,  32,
                                                  48, 64, 96, 128, 192, 256, 384, 512, 768, 1024};
// Beyond this many notes a fraction is no easier to read than a decimal.
constexpr double kLargestNumerator = 4096.0;
// A float-stored length lands within this share of the fraction it was set to.
constexpr double kFractionTolerance = 1e-6;

bool AppendFraction(WorkText& text, double wholeNotes) {
  for (const double denominator : kDenominators) {
    const double numerator = std::round(wholeNotes * denominator);
    if (numerator < 1.0 || numerator > kLargestNumerator) continue;
    if (std::fabs(numerator / denominator - wholeNotes) > kFractionTolerance * wholeNotes) continue;
    AppendDecimal(text, numerator, 0);
    if (denominator > 1.0) {
      text.Append("/");
      AppendDecimal(text, denominator, 0);
    }
    return true;
  }
  return false;
}

}  // namespace

void FormatNoteLength(WorkText& text, double beatsLog2, bool longForm) {
  const double wholeNotes = std::exp2(beatsLog2) / 4.0;
  if (std::isfinite(wholeNotes) && wholeNotes > 0.0 && AppendFraction(text, wholeNotes)) return;
  AppendDecimal(text, wholeNotes, longForm ? 8 : 2);
}

double ReadNoteLength(std::string_view text) {
  TypedText typed(text);
  typed.RemoveWord("NOTE");
  return typed.Fraction();
}

}  // namespace VDSP
