// Skin colour texts.
#include "support/gui/Colour.h"

namespace VGui {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<uint8_t> HexByte(std::string_view two) {
  const int high = HexDigit(two[0]);
  const int low = HexDigit(two[1]);
  if (high < 0 || low < 0) return std::nullopt;
  return uint8_t(high * 16 + low);
}

}  // namespace

std::optional<Colour> ParseColour(std::string_view text) {
  if (text.size() != 7 && text.size() != 9) return std::nullopt;
  if (text[0] != '#') return std::nullopt;
  uint8_t bytes[4] = {0, 0, 0, 255};
  const size_t count = (text.size() - 1) / 2;
  for (size_t i = 0; i < count; ++i) {
    const auto byte = HexByte(text.substr(1 + 2 * i, 2));
    if (!byte) return std::nullopt;
    bytes[i] = *byte;
  }
  return Colour{bytes[0], bytes[1], bytes[2], bytes[3]};
}

}  // namespace VGui
