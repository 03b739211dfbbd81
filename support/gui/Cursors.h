// Mouse cursors loaded from a folder: each PNG becomes a cursor named after the file (without
// ".png"), its hot spot taken from the folder's "Cursors.hotspots" file. UI thread.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "support/gui/Canvas.h"
#include "support/gui/Geometry.h"

namespace VGui {

struct Cursor {
  ImageSet image;
  Point hotSpot;  // logical pixels from the image's top-left corner
};

class CursorSet {
 public:
  // The name of the hot spots file in a cursor folder.
  static constexpr const char* kHotspotsFile = "Cursors.hotspots";

  // Loads every "*.png" of the folder ("name@2x.png" is the dense twin of "name.png"). Missing
  // hot spots file or entries are logged and give the hot spot 0,0. Answers the number of cursors
  // loaded; problems (also logged) are appended to problems when given. UI thread
  int LoadFolder(const std::filesystem::path& folder, std::vector<std::string>* problems = nullptr);
  // UI thread
  void Add(std::string name, Cursor cursor);
  // Null for an unknown name. UI thread
  const Cursor* Find(std::string_view name) const;
  size_t Count() const { return cursors_.size(); }
  void Clear() { cursors_.clear(); }

 private:
  std::map<std::string, Cursor, std::less<>> cursors_;
};

}  // namespace VGui
