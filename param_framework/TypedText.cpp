// Text typed into a converter, prepared for reading.
#include "param_framework/TypedText.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "param_framework/TextChars.h"

namespace VDSP {

namespace {

constexpr double kFloatMax = std::numeric_limits<float>::max();

// The sign of the exponent of a number that from_chars found out of range: a negative one means
// the number is too small for a double, a positive one (or none) that it is too large.
bool ExponentIsNegative(std::string_view number) {
  const size_t e = number.find_first_of("eE");
  return e != std::string_view::npos && e + 1 < number.size() && number[e + 1] == '-';
}

}  // namespace

// The foundation's whole-text reader (VFoundation::ParseDouble) refuses trailing unit words, and
// the leading-number reader the plug-in's typed text uses lives in modulation/, above this layer;
// this is the same rule kept here until that reader moves down to support/.
LeadingNumber ReadLeadingNumber(std::string_view text) {
  size_t at = 0;
  if (!text.empty() && text.front() == '+') at = 1;
  const char* first = text.data() + at;
  const char* last = text.data() + text.size();
  double value = 0.0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (end == first) return {};
  const std::string_view read(first, static_cast<size_t>(end - first));
  if (error == std::errc::result_out_of_range) {
    const bool negative = read.front() == '-';
    value = ExponentIsNegative(read) ? 0.0 : (negative ? -kFloatMax : kFloatMax);
  } else if (error != std::errc() || !std::isfinite(value)) {
    return {};
  }
  return {std::clamp(value, -kFloatMax, kFloatMax), at + read.size()};
}

TypedText::TypedText(std::string_view text) {
  const std::string_view kept = text.substr(0, WorkText::kMaxLength);
  for (const char c : kept) {
    if (IsBlank(c)) continue;
    const char single[2] = {c, '\0'};
    const char upper[2] = {ToUpper(c), '\0'};
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
