// Skin attribute reading shared by the standard controls.
#include "support/gui/controls/ControlAttributes.h"

#include "support/Log.h"
#include "support/TextHelpers.h"
#include "support/XmlDocument.h"
#include "support/gui/Control.h"

namespace VGui {

std::vector<std::string> SplitItems(std::string_view text) {
  std::vector<std::string> items;
  if (text.empty()) return items;
  size_t start = 0;
  while (true) {
    const size_t bar = text.find('|', start);
    if (bar == std::string_view::npos) {
      items.emplace_back(text.substr(start));
      return items;
    }
    items.emplace_back(text.substr(start, bar - start));
    start = bar + 1;
  }
}

std::optional<Orientation> ParseOrientation(std::string_view text) {
  const std::string word = VFoundation::TrimmedLowerCase(text);
  if (word == "horizontal") return Orientation::kHorizontal;
  if (word == "vertical") return Orientation::kVertical;
  if (word == "auto") return Orientation::kAutomatic;
  return std::nullopt;
}

std::optional<HAlign> ParseAlign(std::string_view text) {
  const std::string word = VFoundation::TrimmedLowerCase(text);
  if (word == "left") return HAlign::kLeft;
  if (word == "centre" || word == "center") return HAlign::kCentre;
  if (word == "right") return HAlign::kRight;
  return std::nullopt;
}

bool IsHorizontal(Orientation orientation, int width, int height) {
  if (orientation == Orientation::kAutomatic) return width > height;
  return orientation == Orientation::kHorizontal;
}

void LogBadAttribute(const Ctrl& control, const char* attribute, std::string_view value) {
  VFoundation::Log("%s \"%s\": cannot use %s=\"%.*s\", default kept\n", control.ClassName(),
                   control.Name().c_str(), attribute, int(value.size()), value.data());
}

std::optional<std::string> ReadText(const VFoundation::XmlNode& element, const char* attribute) {
  std::string text;
  if (!element.ReadString(attribute, text)) return std::nullopt;
  return text;
}

void ReadOrientation(const VFoundation::XmlNode& element, const Ctrl& control, Orientation& out) {
  const auto text = ReadText(element, "orientation");
  if (!text) return;
  if (const auto parsed = ParseOrientation(*text)) {
    out = *parsed;
  } else {
    LogBadAttribute(control, "orientation", *text);
  }
}

}  // namespace VGui
