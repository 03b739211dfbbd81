// Converters that show note lengths.
#include "param_framework/ConvertNote.h"

#include <cmath>

#include "param_framework/ConvertFrequency.h"
#include "param_framework/NoteLength.h"

namespace VDSP {

namespace {

constexpr double kShortestTypedLength = 1e-10;
// The length floor of VConvertBPMCube, which keeps its logarithm finite.
constexpr double kShortestCubeLength = 1e-16;

// log2 of a typed length in beats.
double TypedBeatsLog2(std::string_view text) {
  return std::log2(4.0 * std::fmax(ReadNoteLength(text), kShortestTypedLength));
}

}  // namespace

double VConvertBPM::TextToValue(std::string_view text) const {
  return std::clamp(TypedBeatsLog2(text), -kRange, kRange);
}

void VConvertBPM::FormatValue(WorkText& text, double value, double, int precision) const {
  FormatNoteLength(text, value, IsLongForm(precision));
  if (precision != kNumberOnly) text.Append(" note");
}

double VConvertBPMCube::TextToValue(std::string_view text) const {
  // Beats 2 * 10 x^3 = 4 * whole notes, so x^3 = whole notes / 5.
  return std::cbrt(std::fmax(ReadNoteLength(text), kShortestTypedLength) / 5.0);
}

void VConvertBPMCube::FormatValue(WorkText& text, double value, double, int precision) const {
  const double beats = 2.0 * std::fmax(10.0 * value * value * value, kShortestCubeLength);
  FormatNoteLength(text, std::log2(beats), IsLongForm(precision));
  text.Append(" note");
}

double VConvertBeatDetune::TextToValue(std::string_view text) const {
  return DetuneCurveInverse(TypedBeatsLog2(text));
}

void VConvertBeatDetune::FormatValue(WorkText& text, double value, double, int precision) const {
  FormatNoteLength(text, DetuneCurve(value), IsLongForm(precision));
  text.Append(" note");
}

}  // namespace VDSP
