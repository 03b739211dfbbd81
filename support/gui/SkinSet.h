// What the loaded skins share: named styles, colours, fonts and images, found by name, and the
// resource folder their paths are relative to. The root owns one; every skin loaded on a panel of
// that root adds to it, later definitions of a name replacing earlier ones. UI thread.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "support/gui/Canvas.h"
#include "support/gui/Colour.h"
#include "support/gui/Style.h"

namespace VGui {

class SkinSet {
 public:
  SkinSet();
  ~SkinSet();
  SkinSet(const SkinSet&) = delete;
  SkinSet& operator=(const SkinSet&) = delete;

  // The folder skin, image and include paths are relative to. UI thread
  void SetResourceFolder(std::filesystem::path folder);
  const std::filesystem::path& ResourceFolder() const { return resourceFolder_; }
  // A path relative to the resource folder; absolute paths are kept. UI thread
  std::filesystem::path Resolve(const std::filesystem::path& relative) const;

  // Null / nothing when the name is unknown. UI thread
  std::shared_ptr<const Style> FindStyle(std::string_view name) const;
  std::optional<Colour> FindColour(std::string_view name) const;
  std::optional<Font> FindFont(std::string_view name) const;
  ImageSet FindImage(std::string_view name) const;
  // The colour, or fallback when the skins do not name it. UI thread
  Colour ColourOr(std::string_view name, Colour fallback) const;

  // UI thread
  void AddStyle(Style style);
  void AddColour(std::string name, Colour colour);
  void AddFont(std::string name, Font font);
  void AddImage(std::string name, ImageSet image);

  // The image file (relative to the resource folder) and its "@2x" twin when present, decoded
  // once and kept (the twin when first drawn); an empty set (logged) when the standard file is
  // missing or unreadable. UI thread
  ImageSet LoadImage(const std::filesystem::path& relative);

  // Forgets every definition and cached image. UI thread
  void Clear();
  size_t StyleCount() const { return styles_.size(); }

 private:
  std::filesystem::path resourceFolder_;
  std::map<std::string, std::shared_ptr<const Style>, std::less<>> styles_;
  std::map<std::string, Colour, std::less<>> colours_;
  std::map<std::string, Font, std::less<>> fonts_;
  std::map<std::string, ImageSet, std::less<>> images_;
  std::map<std::string, ImageSet, std::less<>> imageFiles_;
};

}  // namespace VGui
