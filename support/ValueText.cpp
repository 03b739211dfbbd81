// Locale-independent text of stored numbers and switches.
#include "support/ValueText.h"

#include <array>
#include <atomic>
#include <charconv>
#include <cmath>
#include <system_error>

#include "support/TextHelpers.h"

namespace VFoundation {

namespace {

std::atomic<int> noteNumberingBase{1};

constexpr std::array<const char*, 12> kPitchClassNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                          "F#", "G",  "G#", "A",  "A#", "B"};

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  // from_chars takes no '+', printf-style writers never produce one, people typing values do.
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
  return text;
}

template <typename Number>
bool ParseWhole(std::string_view text, Number& out) {
  text = Trimmed(text);
  if (text.empty()) return false;
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  out = value;
  return true;
}

bool EqualsIgnoringCase(std::string_view text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (ToLowerAscii(text[i]) != word[i]) return false;
  }
  return true;
}

}  // namespace

std::string FormatInt(int64_t value) {
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return std::string(text, error == std::errc() ? end : text);
}

std::string FormatDouble(double value, int precision) {
  // to_chars with a precision prints exactly what printf's "%.<precision>g" prints in the C locale.
  char text[64];
  const auto [end, error] =
      std::to_chars(text, text + sizeof text, value, std::chars_format::general, precision);
  return std::string(text, error == std::errc() ? end : text);
}

bool ParseInt32(std::string_view text, int32_t& out) {
  return ParseWhole(text, out);
}

bool ParseInt64(std::string_view text, int64_t& out) {
  return ParseWhole(text, out);
}

bool ParseDouble(std::string_view text, double& out) {
  double value = 0.0;
  if (!ParseWhole(text, value) || !std::isfinite(value)) return false;
  out = value;
  return true;
}

bool ParseBool(std::string_view text, bool& out) {
  text = Trimmed(text);
  bool value = false;
  int64_t number = 0;
  if (EqualsIgnoringCase(text, "true") || EqualsIgnoringCase(text, "yes") ||
      EqualsIgnoringCase(text, "on")) {
    value = true;
  } else if (EqualsIgnoringCase(text, "false") || EqualsIgnoringCase(text, "no") ||
             EqualsIgnoringCase(text, "off")) {
    value = false;
  } else if (ParseInt64(text, number)) {
    value = number != 0;
  } else {
    return false;
  }
  out = value;
  return true;
}

void SetNoteNumberingBase(int base) {
  noteNumberingBase.store(base == 0 ? 0 : 1, std::memory_order_relaxed);
}

int NoteNumberingBase() {
  return noteNumberingBase.load(std::memory_order_relaxed);
}

std::string FormatNoteName(int note) {
  // Floor division, so that a note below 0 still names the octave beneath (in 64 bits, where no
  // int can overflow it).
  const int64_t wide = note;
  const int64_t octaveIndex = wide >= 0 ? wide / 12 : -((11 - wide) / 12);
  const int64_t pitchClass = wide - octaveIndex * 12;
  // Note 0 starts octave -1 in scientific pitch notation and octave -2 in the hosts' numbering.
  const int64_t octave = octaveIndex - 1 - NoteNumberingBase();
  return std::string(kPitchClassNames[static_cast<size_t>(pitchClass)]) + FormatInt(octave);
}

}  // namespace VFoundation
