// Text typed into a converter, prepared for reading: cut to 63 characters, blanks removed, unit
// words found without regard to case, numbers read in the C locale whatever the host has set.
#pragma once

#include <string_view>

#include "param_framework/ConvertFormat.h"
#include "support/TextHelpers.h"

namespace VDSP {

// Every member runs on any thread: the text lives in two fixed buffers and nothing allocates.
class TypedText {
 public:
  // Keeps the first 63 characters of text, then removes every blank, tab, line feed, carriage
  // return, form feed and vertical tab.
  explicit TypedText(std::string_view text);

  // Removes every occurrence of an upper-case word, matched without regard to case; answers
  // whether there was one.
  bool RemoveWord(std::string_view upperWord);
  bool StartsWith(std::string_view upperWord) const;
  bool Equals(std::string_view upperWord) const;
  bool Contains(std::string_view upperWord) const;

  // The number at the start; 0 when there is none (as the C library's atof reads it), also for
  // "inf" and "nan". Magnitudes beyond a float's range read as its largest value.
  double Number() const;
  // The number and then an engineering prefix letter right after it ("4.7k" is 4700).
  double NumberWithPrefix() const;
  // A fraction "a/b" as a / b (b of 0 reads as a), else the number.
  double Fraction() const;

  // The prepared text in its own case and upper-cased.
  std::string_view View() const { return text_.View(); }
  std::string_view Upper() const { return upper_.View(); }

 private:
  WorkText text_;
  WorkText upper_;
};

// The number at the start of text as the converters read it (VFoundation::ScanLeadingNumber's),
// held to a float's range: beyond it the largest float, or 0 when the exponent is negative;
// "inf", "infinity" and "nan" count as no number (length 0, value 0). // any thread
VFoundation::LeadingNumber ReadLeadingNumber(std::string_view text);

}  // namespace VDSP
