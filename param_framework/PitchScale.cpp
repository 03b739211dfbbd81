// The three scales of the relative-pitch converters.
#include "param_framework/PitchScale.h"

#include <array>
#include <cmath>

#include "param_framework/TypedText.h"

namespace VDSP {

namespace {

struct Ratio {
  int numerator;
  int denominator;
};

// 5-limit just intonation on every semitone (the tritone 45/32, the minor seventh 9/5), and the
// octave so that a value near the top of an octave can snap up.
constexpr std::array<Ratio, 13> kJustRatios = {{{1, 1},
                                                {16, 15},
                                                {9, 8},
                                                {6, 5},
                                                {5, 4},
                                                {4, 3},
                                                {45, 32},
                                                {3, 2},
                                                {8, 5},
                                                {5, 3},
                                                {9, 5},
                                                {15, 8},
                                                {2, 1}}};

// A harmonic number within this share of a whole one prints as that whole number.
constexpr double kWholeHarmonicTolerance = 1e-6;
// The smallest harmonic number a text can ask for: a typed 0 would be minus infinite octaves.
constexpr double kSmallestHarmonic = 1e-10;

double Octaves(const Ratio& ratio) {
  return std::log2(static_cast<double>(ratio.numerator) / ratio.denominator);
}

double SnapToJust(double octaves) {
  const double octave = std::floor(octaves);
  const double within = octaves - octave;
  double best = 0.0;
  for (const Ratio& ratio : kJustRatios) {
    if (std::fabs(Octaves(ratio) - within) < std::fabs(best - within)) best = Octaves(ratio);
  }
  return octave + best;
}

// Harmonics upward, subharmonics downward: the two halves mirror each other in pitch.
double SnapToHarmonic(double octaves) {
  const double ratio = std::exp2(std::fabs(octaves));
  if (!std::isfinite(ratio)) return octaves;
  const double lower = std::log2(std::floor(ratio));
  const double upper = std::log2(std::floor(ratio) + 1.0);
  const double distance = std::fabs(octaves);
  const double nearest = (distance - lower <= upper - distance) ? lower : upper;
  return std::copysign(nearest, octaves);
}

void AppendHarmonicNumber(WorkText& text, double number, bool longForm) {
  const double whole = std::round(number);
  if (std::fabs(number - whole) <= kWholeHarmonicTolerance * number) {
    AppendDecimal(text, whole, 0);
  } else {
    AppendDecimal(text, number, longForm ? 8 : 2);
  }
}

}  // namespace

EnumList PitchScaleList() {
  return EnumList{"Just", "Harmonic", "Equal"};
}

double SnapToScale(PitchScale scale, double octaves) {
  if (!std::isfinite(octaves)) return octaves;
  switch (scale) {
    case PitchScale::kJust:
      return SnapToJust(octaves);
    case PitchScale::kHarmonic:
      return SnapToHarmonic(octaves);
    case PitchScale::kEqual:
      break;
  }
  return std::round(12.0 * octaves) / 12.0;
}

void FormatInterval(WorkText& text, PitchScale scale, double octaves, bool longForm) {
  if (scale != PitchScale::kHarmonic || !std::isfinite(octaves)) {
    AppendDecimal(text, 12.0 * octaves, longForm ? 8 : 2, true);
    text.Append(" st");
    return;
  }
  if (octaves < 0.0) text.Append("1/");
  AppendHarmonicNumber(text, std::exp2(std::fabs(octaves)), longForm);
  text.Append(" hm");
}

double ReadInterval(std::string_view text) {
  TypedText typed(text);
  if (!typed.RemoveWord("HM")) {
    typed.RemoveWord("ST");
    return typed.Number() / 12.0;
  }
  const bool subharmonic = typed.StartsWith("1/");
  const double number = ReadLeadingNumber(typed.View().substr(subharmonic ? 2 : 0)).value;
  const double octaves = std::log2(std::fmax(number, kSmallestHarmonic));
  return subharmonic ? -octaves : octaves;
}

}  // namespace VDSP
