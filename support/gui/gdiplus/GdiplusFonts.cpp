#include "support/gui/gdiplus/GdiplusFonts.h"

#include <algorithm>

#include "support/Log.h"
#include "support/gui/fonts/EmbeddedFont.h"

namespace VGui::GdiplusText {
namespace {

struct Collection {
  Gdiplus::PrivateFontCollection fonts;
  std::unique_ptr<Gdiplus::FontFamily> family;
};

std::unique_ptr<Collection>& Loaded() {
  static std::unique_ptr<Collection> loaded;
  return loaded;
}

std::unique_ptr<Collection> Load() {
  auto collection = std::make_unique<Collection>();
  for (bool bold : {false, true}) {
    const auto bytes = EmbeddedFont(bold);
    // The bytes are static, as AddMemoryFont needs them to stay for the collection's lifetime.
    if (collection->fonts.AddMemoryFont(bytes.data(), INT(bytes.size())) != Gdiplus::Ok) {
      VFoundation::Log("Could not load the embedded %s font into GDI+\n",
                       bold ? "bold" : "regular");
    }
  }
  INT found = 0;
  auto family = std::make_unique<Gdiplus::FontFamily>();
  if (collection->fonts.GetFamilyCount() < 1 ||
      collection->fonts.GetFamilies(1, family.get(), &found) != Gdiplus::Ok || found < 1) {
    VFoundation::Log("The embedded font has no family in GDI+\n");
    return collection;
  }
  collection->family = std::move(family);
  return collection;
}

const Gdiplus::FontFamily* Family() {
  std::unique_ptr<Collection>& loaded = Loaded();
  if (!loaded) loaded = Load();
  return loaded->family.get();
}

INT StyleOf(bool bold) {
  return bold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular;
}

}  // namespace

std::unique_ptr<Gdiplus::Font> MakeFont(bool bold, float size) {
  const Gdiplus::FontFamily* family = Family();
  if (!family) return nullptr;
  auto font = std::make_unique<Gdiplus::Font>(family, size, StyleOf(bold), Gdiplus::UnitPixel);
  if (font->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return font;
}

float LineSpacing(bool bold, float size) {
  const Gdiplus::FontFamily* family = Family();
  if (!family) return 0.0f;
  const UINT16 em = family->GetEmHeight(StyleOf(bold));
  return em == 0 ? 0.0f : size * float(family->GetLineSpacing(StyleOf(bold))) / float(em);
}

void DropFonts() {
  Loaded().reset();
}

std::wstring Wide(std::string_view text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring wide(size_t(std::max(length, 0)), L'\0');
  if (length > 0) {
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
  }
  wide.erase(std::remove(wide.begin(), wide.end(), L'\0'), wide.end());
  return wide;
}

}  // namespace VGui::GdiplusText
