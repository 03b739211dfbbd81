// The 39 tempo divisions: names, rates at a tempo, the typed-text parser and beat arithmetic.
#include "modulation/TempoSync.h"

#include <array>
#include <cmath>
#include <string>

#include "support/TextHelpers.h"

namespace {

constexpr std::array<const char*, kNumTempoDivisions> kDivisionNames = {
    "64 bars (dotted)",  "64 bars",  "64 bars (triplet)",
    "32 bars (dotted)",  "32 bars",  "32 bars (triplet)",
    "16 bars (dotted)",  "16 bars",  "16 bars (triplet)",
    "8 bars (dotted)",   "8 bars",   "8 bars (triplet)",
    "4 bars (dotted)",   "4 bars",   "4 bars (triplet)",
    "2 bars (dotted)",   "2 bars",   "2 bars (triplet)",
    "1 bar (dotted)",    "1 bar",    "1 bar (triplet)",
    "1/2 bar (dotted)",  "1/2 bar",  "1/2 bar (triplet)",
    "1/4 bar (dotted)",  "1/4 bar",  "1/4 bar (triplet)",
    "1/8 bar (dotted)",  "1/8 bar",  "1/8 bar (triplet)",
    "1/16 bar (dotted)", "1/16 bar", "1/16 bar (triplet)",
    "1/32 bar (dotted)", "1/32 bar", "1/32 bar (triplet)",
    "1/64 bar (dotted)", "1/64 bar", "1/64 bar (triplet)"};

struct DivisionPattern {
  const char* text;  // lower case; the search lower-cases the text too
  int32_t index;
};

// Fractions first, so that "1/16" is not taken for "16 bars"; within a length the variant letters
// before the plain number, so that "4d" is not taken for "4 bars".
constexpr std::array<DivisionPattern, 39> kPatterns = {{
    {"1/2d", 21},  {"1/2t", 23},  {"1/2", 22},  {"1/4d", 24},  {"1/4t", 26},  {"1/4", 25},
    {"1/8t", 29},  {"1/8d", 27},  {"1/8", 28},  {"1/16d", 30}, {"1/16t", 32}, {"1/16", 31},
    {"1/32d", 33}, {"1/32t", 35}, {"1/32", 34}, {"1/64d", 36}, {"1/64t", 38}, {"1/64", 37},
    {"64d", 0},    {"64t", 2},    {"64", 1},    {"32d", 3},    {"32t", 5},    {"32", 4},
    {"16d", 6},    {"16t", 8},    {"16", 7},    {"8d", 9},     {"8t", 11},    {"8", 10},
    {"4d", 12},    {"4t", 14},    {"4", 13},    {"2d", 15},    {"2t", 17},    {"2", 16},
    {"1d", 18},    {"1t", 20},    {"1", 19},
}};

}  // namespace

int32_t TempoDivisionIndex(float value) {
  if (std::isnan(value)) return -1;
  // Keeps the float-to-int conversion defined; anything beyond still names no entry.
  const float clamped = std::fmin(std::fmax(value, -2.0f), 3.0f);
  return static_cast<int32_t>(clamped * 38.0f + 0.5f);
}

const char* TempoDivisionName(int32_t index) {
  if (index < 0 || index >= kNumTempoDivisions) return "ERROR!";
  return kDivisionNames[static_cast<size_t>(index)];
}

const char* TempoDivisionNameForValue(float value) {
  return TempoDivisionName(TempoDivisionIndex(value));
}

float TempoDivisionRateHz(float value, float tempoBpm) {
  if (!(tempoBpm > 0.0f)) return 0.0f;
  int32_t index = TempoDivisionIndex(value);
  if (index < 0) index = 0;
  if (index >= kNumTempoDivisions) index = kNumTempoDivisions - 1;
  const int32_t group = index / 3;
  // Cycles per beat: 1/256 for "64 bars" up to 16 for "1/64 bar" (2^(group - 8)).
  const float cyclesPerBeat = static_cast<float>(1u << group) * (1.0f / 256.0f);
  // A dotted length lasts 3/2 of the plain one, so it cycles at 2/3 of the rate; a triplet fits
  // three in the time of two, so it cycles at 3/2.
  constexpr float kMultipliers[3] = {2.0f / 3.0f, 1.0f, 3.0f / 2.0f};
  const float multiplier = kMultipliers[index % 3];
  return cyclesPerBeat / (60000.0f / tempoBpm) * 1000.0f * multiplier;
}

float DivisionIndexToValue(int32_t index) {
  const float value = static_cast<float>(index) * 0.02631579f;
  return std::fmin(std::fmax(value, 0.0f), 1.0f);
}

float ParseTempoDivision(std::string_view text) {
  std::string work(text);
  VFoundation::ReplaceAll(work, "(triplet)", "t");
  VFoundation::ReplaceAll(work, "triplet", "t");
  VFoundation::ReplaceAll(work, "(dotted)", "d");
  VFoundation::ReplaceAll(work, "dotted", "d");
  VFoundation::ReplaceAll(work, "bars", " ");
  VFoundation::ReplaceAll(work, "bar", " ");
  std::string compact;
  compact.reserve(work.size());
  for (const char c : work) {
    if (!VFoundation::IsBlank(c)) compact.push_back(VFoundation::ToLowerAscii(c));
  }
  for (const DivisionPattern& pattern : kPatterns) {
    if (compact.find(pattern.text) != std::string::npos) return DivisionIndexToValue(pattern.index);
  }
  return DivisionIndexToValue(0);
}

double SecondsPerBeat(double tempoBpm) {
  return 60.0 / (tempoBpm > 0.0 ? tempoBpm : 120.0);
}

double SamplesPerBeat(double tempoBpm, double sampleRateHz) {
  const double rate = sampleRateHz > 1.0 ? sampleRateHz : 44100.0;
  const double tempo = tempoBpm > 0.0 ? tempoBpm : 120.0;
  return rate / tempo * 60.0;
}

double BeatsPerSample(double tempoBpm, double sampleRateHz) {
  const double samplesPerBeat = SamplesPerBeat(tempoBpm, sampleRateHz);
  return samplesPerBeat > 0.00001 ? 1.0 / samplesPerBeat : 1.0 / 22050.0;
}
