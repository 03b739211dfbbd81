// Text typed into a converter, prepared for reading.
#include "param_framework/TypedText.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace VDSP {

using VFoundation::LeadingNumber;

namespace {

constexpr double kFloatMax = std::numeric_limits<float>::max();

}  // namespace

// The plug-in's typed text keeps infinities (they name silence in a dB text); the converters
// have no use for them and read a magnitude beyond a float as the largest one.
LeadingNumber ReadLeadingNumber(std::string_view text) {
  const LeadingNumber number = VFoundation::ScanLeadingNumber(text);
  if (number.length == 0 || (!number.outOfRange && !std::isfinite(number.value))) return {};
  return {std::clamp(number.value, -kFloatMax, kFloatMax), number.length, number.outOfRange};
}

TypedText::TypedText(std::string_view text) {
  const std::string_view kept = text.substr(0, WorkText::kMaxLength);
  for (const char c : kept) {
    if (VFoundation::IsBlank(c)) continue;
    const char single[2] = {c, '\0'};
    const char upper[2] = {VFoundation::ToUpperAscii(c), '\0'};
    text_.Append({single, 1});
    upper_.Append({upper, 1});
  }
}

bool TypedText::RemoveWord(std::string_view upperWord) {
  if (upperWord.empty()) return false;
  bool found = false;
  for (size_t at = Upper().find(upperWord); at != std::string_view::npos;
       at = Upper().find(upperWord, at)) {
    text_.Erase(static_cast<int>(at), static_cast<int>(upperWord.size()));
    upper_.Erase(static_cast<int>(at), static_cast<int>(upperWord.size()));
    found = true;
  }
  return found;
}

bool TypedText::StartsWith(std::string_view upperWord) const {
  return Upper().substr(0, upperWord.size()) == upperWord;
}

bool TypedText::Equals(std::string_view upperWord) const {
  return Upper() == upperWord;
}

bool TypedText::Contains(std::string_view upperWord) const {
  return Upper().find(upperWord) != std::string_view::npos;
}

double TypedText::Number() const {
  return ReadLeadingNumber(View()).value;
}

double TypedText::NumberWithPrefix() const {
  const LeadingNumber number = ReadLeadingNumber(View());
  if (number.length == 0) return 0.0;
  return number.value * EngineeringFactor(View().substr(number.length));
}

double TypedText::Fraction() const {
  const LeadingNumber numerator = ReadLeadingNumber(View());
  const std::string_view rest = View().substr(numerator.length);
  if (numerator.length == 0 || rest.empty() || rest.front() != '/') return numerator.value;
  const LeadingNumber denominator = ReadLeadingNumber(rest.substr(1));
  if (denominator.length == 0 || denominator.value == 0.0) return numerator.value;
  return numerator.value / denominator.value;
}

}  // namespace VDSP
