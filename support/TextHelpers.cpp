// Reading typed text.
#include "support/TextHelpers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace VFoundation {

namespace {

// The sign of the exponent of a number that from_chars found out of range: a negative one means
// the number is too small for a double, a positive one (or none) that it is too large.
bool ExponentIsNegative(std::string_view number) {
  const size_t e = number.find_first_of("eE");
  return e != std::string_view::npos && e + 1 < number.size() && number[e + 1] == '-';
}

}  // namespace

std::string TrimmedLowerCase(std::string_view text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  std::string result(text.substr(first, last - first));
  for (char& c : result) c = ToLowerAscii(c);
  return result;
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

LeadingNumber ScanLeadingNumber(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && IsBlank(text[at])) ++at;
  if (at < text.size() && text[at] == '+') ++at;
  // from_chars rather than strtod: a host that sets a comma-decimal locale must not change what
  // "0.5" means.
  const char* first = text.data() + at;
  const char* last = text.data() + text.size();
  double value = 0.0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (end == first) return {};
  const std::string_view read(first, static_cast<size_t>(end - first));
  LeadingNumber number{value, at + read.size(), false};
  if (error == std::errc::result_out_of_range) {
    const bool negative = read.front() == '-';
    const double infinity = std::numeric_limits<double>::infinity();
    number.value = ExponentIsNegative(read) ? 0.0 : (negative ? -infinity : infinity);
    number.outOfRange = true;
  }
  return number;
}

std::optional<double> ReadLeadingNumber(std::string_view text) {
  const LeadingNumber number = ScanLeadingNumber(text);
  if (number.length == 0 || number.outOfRange || std::isnan(number.value)) return std::nullopt;
  return number.value;
}

}  // namespace VFoundation
