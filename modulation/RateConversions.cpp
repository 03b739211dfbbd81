// Rate of the LFOs and the sample-and-hold: free rate curve, tempo-synced rate and typed text.
#include "modulation/RateConversions.h"

#include <charconv>
#include <cmath>

#include "dsp/Exp2.h"
#include "modulation/TempoSync.h"

float FreeRateHz(float value) {
  const float v = std::fmin(std::fmax(value, 0.0f), 1.0f);
  return VDSP::Exp2Poly(12.0f * v - 2.0f);
}

float ComputeRate(float value, bool synced, float tempoBpm) {
  return synced ? TempoDivisionRateHz(value, tempoBpm) : FreeRateHz(value);
}

float FreeRateValueFromHz(double hz) {
  const double ln2 = std::log(2.0);
  const double f = std::fmin(std::fmax(hz, 0.25), 1024.0);
  const double value = (std::log(f) + 2.0 * ln2) / (12.0 * ln2);
  return static_cast<float>(std::fmin(std::fmax(value, 0.0), 1.0));
}

float ConvertStringToRate(std::string_view text, bool synced) {
  if (synced) return ParseTempoDivision(text);
  return FreeRateValueFromHz(ReadLeadingNumber(text).value_or(0.0));
}

std::optional<double> ReadLeadingNumber(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' ||
                              text[at] == '\r' || text[at] == '\f' || text[at] == '\v')) {
    ++at;
  }
  if (at < text.size() && text[at] == '+') ++at;
  // from_chars rather than strtod: a host that sets a comma-decimal locale must not change what
  // "0.5" means.
  double number = 0.0;
  const char* first = text.data() + at;
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(first, last, number);
  if (error != std::errc() || end == first || std::isnan(number)) return std::nullopt;
  return number;
}

void ReplaceAll(std::string& text, std::string_view word, std::string_view with) {
  if (word.empty()) return;
  // Built afresh rather than with std::string::replace, which GCC 12 at -O2 flags with a false
  // -Wrestrict warning.
  std::string result;
  result.reserve(text.size());
  size_t from = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, from)) {
    result.append(text, from, at - from);
    result.append(with);
    from = at + word.size();
  }
  result.append(text, from, std::string::npos);
  text.swap(result);
}
