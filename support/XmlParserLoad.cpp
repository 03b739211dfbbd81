// A linear scan that follows TinyXML's reading of the markup and counts what it would build.
#include "support/XmlParserLoad.h"

#include <algorithm>
#include <cstddef>

namespace VFoundation {

namespace {

constexpr size_t npos = std::string_view::npos;
// Names of equal length compare byte by byte; a name this much longer costs one comparison more.
constexpr size_t kNameBytesPerComparison = 64;

bool StartsWith(std::string_view text, size_t at, std::string_view prefix) {
  return text.compare(at, prefix.size(), prefix) == 0;
}

size_t EndOf(std::string_view text, size_t from, std::string_view terminator) {
  const size_t found = text.find(terminator, from);
  return found == npos ? text.size() : found + terminator.size();
}

bool StartsWithIgnoringCase(std::string_view text, size_t at, std::string_view prefix) {
  if (text.size() - at < prefix.size()) return false;
  for (size_t k = 0; k < prefix.size(); ++k) {
    const char c = text[at + k];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != prefix[k]) return false;
  }
  return true;
}

bool IsAscii(char c) {
  return static_cast<unsigned char>(c) < 0x80;
}

// TinyXML's white space; outside ASCII it asks the C library, whose answer depends on the locale.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsQuote(char c) {
  return c == '"' || c == '\'';
}

bool IsNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-' || c == '.' || c == ':';
}

// TinyXML reads markup as an element when a letter, '_' or any byte from 127 up follows the '<'.
bool StartsElement(std::string_view text, size_t at) {
  if (at + 1 >= text.size()) return false;
  const unsigned char c = static_cast<unsigned char>(text[at + 1]);
  return c >= 127 || c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Tracks the open elements and adds up the load as the scan meets markup.
class LoadCounter {
 public:
  void AddNode() { ++load_.nodes; }
  void OpenElement() {
    ++load_.nodes;
    ++depth_;
    load_.deepestNesting = std::max(load_.deepestNesting, depth_);
    elementAttributes_ = 0;
  }
  void CloseElement() { depth_ = depth_ > 0 ? depth_ - 1 : 0; }
  bool InsideElement() const { return depth_ > 0; }
  void AddAttribute(size_t nameBytes) {
    ++load_.attributes;
    const int64_t comparisonCost = 1 + static_cast<int64_t>(nameBytes / kNameBytesPerComparison);
    load_.attributeComparisons += elementAttributes_++ * comparisonCost;
  }
  void MarkLocaleDependentDeclaration() { load_.localeDependentDeclaration = true; }
  const XmlParserLoad& Load() const { return load_; }

 private:
  XmlParserLoad load_;
  int depth_ = 0;
  int64_t elementAttributes_ = 0;
};

// TinyXML reads "&#x41;" by finding the next ';' and walking back from it over hex digits to an
// 'x' ("&#65;": decimal digits to a '#'). When the walk ends on one, whichever it is, it steps from
// the '&' to that ';' in one go, over any markup and quotes between: the scan has to follow.
class CharacterReferences {
 public:
  explicit CharacterReferences(std::string_view text) : text_(text) {}

  // The position after the reference at `at` (an '&') as TinyXML reads it.
  size_t After(size_t at) {
    if (at + 2 >= text_.size() || text_[at + 1] != '#') return at + 1;
    const bool hex = text_[at + 2] == 'x';
    const size_t semicolon = NextSemicolon(hex ? at + 3 : at + 2);
    if (semicolon == npos) return at + 1;
    return DigitsLeadBackToMarker(hex) ? semicolon + 1 : at + 1;
  }

 private:
  // The answers are kept for the last ';' found, so the scan stays linear however many references
  // share it.
  size_t NextSemicolon(size_t from) {
    if (!searched_ || from < searchedFrom_ || (semicolon_ != npos && semicolon_ < from)) {
      searched_ = true;
      searchedFrom_ = from;
      semicolon_ = text_.find(';', from);
      hexAnswer_ = decimalAnswer_ = kUnknown;
    }
    return semicolon_;
  }

  bool DigitsLeadBackToMarker(bool hex) {
    int& answer = hex ? hexAnswer_ : decimalAnswer_;
    if (answer == kUnknown) {
      const auto isDigit = [hex](char c) {
        return (c >= '0' && c <= '9') ||
               (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
      };
      size_t q = semicolon_ - 1;
      while (isDigit(text_[q])) --q;  // ends at the reference's own 'x' or '#' at the latest
      answer = text_[q] == (hex ? 'x' : '#') ? 1 : 0;
    }
    return answer == 1;
  }

  static constexpr int kUnknown = -1;
  std::string_view text_;
  bool searched_ = false;
  size_t searchedFrom_ = 0;
  size_t semicolon_ = npos;
  int hexAnswer_ = kUnknown;
  int decimalAnswer_ = kUnknown;
};

// An upper bound on the bytes of the attribute name before the '=' at `at`. The walk stops at the
// previous '=', so that an unquoted value full of them is walked once.
size_t NameBytesBefore(std::string_view text, size_t tagStart, size_t at) {
  size_t end = at;
  while (end > tagStart && IsBlank(text[end - 1])) --end;
  size_t begin = end;
  while (begin > tagStart && !IsBlank(text[begin - 1]) && !IsQuote(text[begin - 1]) &&
         text[begin - 1] != '=') {
    --begin;
  }
  return end - begin;
}

// Counts the attributes of the start tag at `at` and answers the position after it. An attribute
// holds exactly one '=' outside quotes (more only in an unquoted value), and TinyXML stops at any
// quote that does not delimit a value, so every quote it reads past opens or closes one.
size_t ScanStartTag(std::string_view text, size_t at, LoadCounter& counter,
                    CharacterReferences& references) {
  char quote = 0;
  size_t j = at + 1;
  for (; j < text.size(); ++j) {
    const char c = text[j];
    if (quote) {
      if (c == quote) quote = 0;
      if (c == '&') j = references.After(j) - 1;
    } else if (IsQuote(c)) {
      quote = c;
    } else if (c == '=') {
      counter.AddAttribute(NameBytesBefore(text, at, j));
    } else if (c == '>') {
      if (text[j - 1] == '/') counter.CloseElement();
      break;
    }
  }
  return j + 1;
}

// One "version", "encoding" or "standalone" value of a declaration, read as TinyXML reads an
// attribute: the position after it, where scanning goes on should TinyXML stop at it, or npos.
size_t EndOfDeclarationValue(std::string_view text, size_t at, CharacterReferences& references) {
  size_t i = at;
  while (i < text.size() && IsNameCharacter(text[i])) ++i;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i < text.size() && !IsAscii(text[i])) return npos;
  if (i >= text.size() || text[i] != '=') return i;
  ++i;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i < text.size() && IsQuote(text[i])) {
    const char quote = text[i];
    for (++i; i < text.size() && text[i] != quote;) {
      i = text[i] == '&' ? references.After(i) : i + 1;
    }
    return std::min(i + 1, text.size());
  }
  for (; i < text.size() && !IsBlank(text[i]) && text[i] != '/' && text[i] != '>'; ++i) {
    if (!IsAscii(text[i])) return npos;
    if (IsQuote(text[i])) return i;
  }
  return i;
}

// Where the declaration at `at` ends. TinyXML reads its three known values as quoted attributes,
// so one of them may hold a '>', and steps over anything else up to a blank or '>'. Its blanks
// outside ASCII depend on the C library's locale: such a declaration is answered with npos.
size_t EndOfDeclaration(std::string_view text, size_t at, CharacterReferences& references) {
  size_t i = at + 5;  // "<?xml"
  while (i < text.size()) {
    if (text[i] == '>') return i + 1;
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i >= text.size()) break;
    if (!IsAscii(text[i])) return npos;
    if (StartsWithIgnoringCase(text, i, "version") || StartsWithIgnoringCase(text, i, "encoding") ||
        StartsWithIgnoringCase(text, i, "standalone")) {
      i = EndOfDeclarationValue(text, i, references);
      if (i == npos) return npos;
      continue;
    }
    for (; i < text.size() && text[i] != '>' && !IsBlank(text[i]); ++i) {
      if (!IsAscii(text[i])) return npos;
    }
  }
  return text.size();
}

// Where the markup at `at` that is neither an element nor an end tag ends, or npos.
size_t EndOfOtherNode(std::string_view text, size_t at, CharacterReferences& references) {
  if (StartsWithIgnoringCase(text, at, "<?xml")) return EndOfDeclaration(text, at, references);
  if (StartsWith(text, at, "<!--")) return EndOf(text, at + 4, "-->");
  if (StartsWith(text, at, "<![CDATA[")) return EndOf(text, at + 9, "]]>");
  // Doctypes, processing instructions and anything else TinyXML keeps as an unknown node.
  return EndOf(text, at + 1, ">");
}

}  // namespace

XmlParserLoad CountXmlParserLoad(std::string_view text) {
  LoadCounter counter;
  CharacterReferences references(text);
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != '<') {
      i = text[i] == '&' ? references.After(i) : i + 1;
    } else if (StartsWith(text, i, "</") && counter.InsideElement()) {
      counter.CloseElement();
      i = EndOf(text, i + 2, ">");
    } else if (StartsElement(text, i)) {
      counter.OpenElement();
      i = ScanStartTag(text, i, counter, references);
    } else {
      counter.AddNode();
      i = EndOfOtherNode(text, i, references);
      if (i == npos) {
        // Where TinyXML goes on is unknown: the caller refuses the text.
        counter.MarkLocaleDependentDeclaration();
        break;
      }
    }
  }
  return counter.Load();
}

}  // namespace VFoundation
