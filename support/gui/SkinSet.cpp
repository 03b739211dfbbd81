// Named styles, colours, fonts and images of the loaded skins.
#include "support/gui/SkinSet.h"

#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "support/Log.h"

namespace VGui {
namespace {

// Skin images are a few hundred kilobytes at most; anything far larger is not one.
constexpr std::uintmax_t kMaxImageBytes = std::uintmax_t{32} << 20;

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error || size > kMaxImageBytes) return {};
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file),
                              std::istreambuf_iterator<char>());
}

std::shared_ptr<const PixelImage> DecodeFile(const std::filesystem::path& path) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  if (bytes.empty()) return nullptr;
  PixelImage image = DecodePng(bytes, path.generic_string());
  if (image.Empty()) return nullptr;
  return std::make_shared<const PixelImage>(std::move(image));
}

std::filesystem::path DenseTwin(const std::filesystem::path& path) {
  std::filesystem::path twin = path;
  twin.replace_filename(path.stem().string() + "@2x" + path.extension().string());
  return twin;
}

}  // namespace

SkinSet::SkinSet() = default;
SkinSet::~SkinSet() = default;

void SkinSet::SetResourceFolder(std::filesystem::path folder) {
  resourceFolder_ = std::move(folder);
}

std::filesystem::path SkinSet::Resolve(const std::filesystem::path& relative) const {
  if (relative.is_absolute() || resourceFolder_.empty()) return relative;
  return resourceFolder_ / relative;
}

std::shared_ptr<const Style> SkinSet::FindStyle(std::string_view name) const {
  auto it = styles_.find(name);
  return it == styles_.end() ? nullptr : it->second;
}

std::optional<Colour> SkinSet::FindColour(std::string_view name) const {
  auto it = colours_.find(name);
  if (it == colours_.end()) return std::nullopt;
  return it->second;
}

std::optional<Font> SkinSet::FindFont(std::string_view name) const {
  auto it = fonts_.find(name);
  if (it == fonts_.end()) return std::nullopt;
  return it->second;
}

ImageSet SkinSet::FindImage(std::string_view name) const {
  auto it = images_.find(name);
  return it == images_.end() ? ImageSet{} : it->second;
}

Colour SkinSet::ColourOr(std::string_view name, Colour fallback) const {
  return FindColour(name).value_or(fallback);
}

void SkinSet::AddStyle(Style style) {
  std::string name = style.name;
  styles_[std::move(name)] = std::make_shared<const Style>(std::move(style));
}

void SkinSet::AddColour(std::string name, Colour colour) {
  colours_[std::move(name)] = colour;
}

void SkinSet::AddFont(std::string name, Font font) {
  fonts_[std::move(name)] = font;
}

void SkinSet::AddImage(std::string name, ImageSet image) {
  images_[std::move(name)] = image;
}

ImageSet SkinSet::LoadImage(const std::filesystem::path& relative) {
  const std::string key = relative.generic_string();
  if (auto it = imageFiles_.find(key); it != imageFiles_.end()) return it->second;
  const std::filesystem::path path = Resolve(relative);
  ImageSet image;
  image.standard = DecodeFile(path);
  if (!image.standard) {
    VFoundation::Log("Skin image %s could not be loaded\n", path.generic_string().c_str());
    return {};
  }
  // The 2x twin is decoded only when something draws above 100 %.
  std::error_code error;
  if (const std::filesystem::path twin = DenseTwin(path); std::filesystem::exists(twin, error)) {
    image.dense = ImagePtr::Deferred([twin] { return DecodeFile(twin); });
  }
  imageFiles_[key] = image;
  return image;
}

void SkinSet::Clear() {
  styles_.clear();
  colours_.clear();
  fonts_.clear();
  images_.clear();
  imageFiles_.clear();
}

}  // namespace VGui
