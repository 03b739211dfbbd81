// What TinyXML would build from a text, and what its attribute checks would cost, counted by a
// linear scan before it parses the text.
#pragma once

#include <cstdint>
#include <string_view>

namespace VFoundation {

// The scan follows TinyXML's reading of the markup: no count falls below what TinyXML builds from
// the text; past a point where TinyXML stops reading (malformed text) a count may exceed it.
struct XmlParserLoad {
  // Elements, comments, declarations, CDATA sections and other markup. The text runs between them
  // number at most as many again, plus the end tags.
  int64_t nodes = 0;
  int64_t attributes = 0;
  // TinyXML compares each new attribute's name with every earlier one of its element; names of
  // equal length compare byte by byte, so a comparison with a name of 64 bytes or more counts once
  // more per 64 bytes.
  int64_t attributeComparisons = 0;
  int deepestNesting = 0;
  // A declaration holds a byte outside ASCII where TinyXML asks the C library whether it is white
  // space, so where it ends depends on the locale the host has set.
  bool localeDependentDeclaration = false;
};

// `text` as TinyXML will see it: only whole UTF-8 sequences, no NUL. // any thread
XmlParserLoad CountXmlParserLoad(std::string_view text);

}  // namespace VFoundation
