// Reading the standard controls' own skin attributes: item lists, orientation and alignment
// keywords, and the one log line every control writes for a value it cannot use. UI thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/gui/Canvas.h"

namespace VFoundation {
class XmlNode;
}

namespace VGui {

class Ctrl;

enum class Orientation { kAutomatic, kHorizontal, kVertical };

// "A|B|C" -> {"A", "B", "C"}; an empty text gives no items, "A||B" keeps the empty middle item.
// any thread
std::vector<std::string> SplitItems(std::string_view text);

// "horizontal", "vertical" or "auto" (case-insensitive); nothing for any other text. any thread
std::optional<Orientation> ParseOrientation(std::string_view text);
// "left", "centre" (or "center"), "right" (case-insensitive); nothing otherwise. any thread
std::optional<HAlign> ParseAlign(std::string_view text);

// Automatic orientation follows the aspect: wider than high is horizontal. any thread
bool IsHorizontal(Orientation orientation, int width, int height);

// Logs that the control's attribute holds a value it cannot use and keeps its default. UI thread
void LogBadAttribute(const Ctrl& control, const char* attribute, std::string_view value);

// The attribute's text when the element has it. UI thread
std::optional<std::string> ReadText(const VFoundation::XmlNode& element, const char* attribute);

// Reads an orientation attribute into out; a bad value is logged and out kept. UI thread
void ReadOrientation(const VFoundation::XmlNode& element, const Ctrl& control, Orientation& out);

}  // namespace VGui
