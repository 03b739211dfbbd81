// Cursor images and hot spots from a skin's cursor folder.
#include "support/gui/Cursors.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "support/Log.h"
#include "support/XmlDocument.h"
#include "support/gui/SkinSet.h"

namespace VGui {
namespace {

void Problem(std::vector<std::string>* problems, std::string text) {
  VFoundation::Log("%s\n", text.c_str());
  if (problems) problems->push_back(std::move(text));
}

bool ParseHotSpot(const std::string& text, Point& out) {
  int x = 0, y = 0;
  char extra = 0;
  if (std::sscanf(text.c_str(), "%d %d %c", &x, &y, &extra) != 2) return false;
  out = {x, y};
  return true;
}

// The hot spots by cursor name; every entry of "Hotspots" with both attributes counts.
std::map<std::string, Point, std::less<>> ReadHotSpots(const std::filesystem::path& file,
                                                       std::vector<std::string>* problems) {
  std::map<std::string, Point, std::less<>> hotSpots;
  VFoundation::XmlDocument document;
  if (!document.Load(file, "root")) {
    Problem(problems, "Cursor hot spots file " + file.generic_string() + " could not be read");
    return hotSpots;
  }
  const VFoundation::XmlNode list = [&] {
    for (const auto& child : document.Root().Children()) {
      if (child.Tag() == "Hotspots") return child;
    }
    return VFoundation::XmlNode();
  }();
  if (!list) {
    Problem(problems, "Cursor hot spots file has no Hotspots element");
    return hotSpots;
  }
  for (const auto& entry : list.Children()) {
    std::string name, spot;
    Point point;
    if (!entry.ReadString("CursorName", name) || !entry.ReadString("Hotspot", spot) ||
        !ParseHotSpot(spot, point)) {
      Problem(problems, "Cursor hot spot entry without a CursorName or a Hotspot \"x y\"");
      continue;
    }
    hotSpots[name] = point;
  }
  return hotSpots;
}

}  // namespace

int CursorSet::LoadFolder(const std::filesystem::path& folder, std::vector<std::string>* problems) {
  std::error_code error;
  std::vector<std::filesystem::path> pictures;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    const std::filesystem::path& path = it->path();
    if (path.extension() != ".png") continue;
    if (path.stem().string().ends_with("@2x")) continue;
    pictures.push_back(path);
  }
  if (error) {
    Problem(problems, "Cursor folder " + folder.generic_string() + " could not be read");
    return 0;
  }
  std::sort(pictures.begin(), pictures.end());
  const auto hotSpots = ReadHotSpots(folder / kHotspotsFile, problems);
  SkinSet images;
  images.SetResourceFolder(folder);
  int loaded = 0;
  for (const auto& picture : pictures) {
    Cursor cursor;
    cursor.image = images.LoadImage(picture.filename());
    const std::string name = picture.stem().string();
    if (cursor.image.Empty()) {
      Problem(problems, "Cursor image " + picture.generic_string() + " could not be loaded");
      continue;
    }
    if (auto it = hotSpots.find(name); it != hotSpots.end()) {
      cursor.hotSpot = it->second;
    } else {
      Problem(problems, "Cursor " + name + " has no hot spot; using 0,0");
    }
    Add(name, std::move(cursor));
    ++loaded;
  }
  return loaded;
}

void CursorSet::Add(std::string name, Cursor cursor) {
  cursors_[std::move(name)] = std::move(cursor);
}

const Cursor* CursorSet::Find(std::string_view name) const {
  auto it = cursors_.find(name);
  return it == cursors_.end() ? nullptr : &it->second;
}

}  // namespace VGui
