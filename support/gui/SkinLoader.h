// Reads skin files (support/gui/SKINS.md describes the format) into a control tree and a SkinSet:
// controls become children of the panel the skin is loaded on, styles, colours, fonts and images
// go into the set. A bad part of a file is logged and skipped; the rest loads. UI thread.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace VGui {

class Ctrl;
class SkinSet;

// What a load met on its way; problems are also written to the run-time log.
struct SkinLoadReport {
  int controls = 0;  // controls created
  int styles = 0;    // styles, colours, fonts and images defined
  std::vector<std::string> problems;
};

// Loads the skin file (relative to the set's resource folder, or absolute) onto panel. False, with
// nothing added, when the file is missing, unreadable or not a skin document. UI thread
bool LoadSkin(Ctrl& panel, const std::filesystem::path& file, SkinSet& skins,
              SkinLoadReport* report = nullptr);
// The same with the root's skin set; false when the panel is not attached to a root. UI thread
bool LoadSkin(Ctrl& panel, const std::filesystem::path& file, SkinLoadReport* report = nullptr);
// A skin given as text; includes and images are relative to the set's resource folder. UI thread
bool LoadSkinText(Ctrl& panel, std::string_view text, SkinSet& skins,
                  SkinLoadReport* report = nullptr);
// Only the styles, colours, fonts and images of a file (controls in it are ignored). UI thread
bool LoadStyles(const std::filesystem::path& file, SkinSet& skins,
                SkinLoadReport* report = nullptr);

}  // namespace VGui
