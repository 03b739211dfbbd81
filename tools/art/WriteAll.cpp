#include "tools/art/WriteAll.h"

#include <cstdio>
#include <fstream>

#include "tools/art/Cursors.h"
#include "tools/art/Fader.h"
#include "tools/art/Knob.h"
#include "tools/art/Logo.h"

namespace TavoArt {

std::vector<Picture> ImagePictures(const std::filesystem::path& fontFile) {
  std::vector<Picture> pictures;
  for (const KnobStyle& style : KnobStyles()) {
    for (Picture& picture : KnobPictures(style)) pictures.push_back(std::move(picture));
  }
  for (Picture& picture : FaderPictures()) pictures.push_back(std::move(picture));
  pictures.push_back(LogoPicture(LoadFontFace(fontFile)));
  return pictures;
}

bool WriteAll(const std::filesystem::path& folder, const std::filesystem::path& fontFile) {
  bool written = true;
  for (const Picture& picture : ImagePictures(fontFile)) {
    written = WritePicture(picture, folder) && written;
  }
  const std::vector<CursorPicture> cursors = CursorPictures();
  for (const CursorPicture& cursor : cursors) {
    written = WritePicture(cursor.picture, folder) && written;
  }
  const std::filesystem::path hotSpots = folder / "Cursors" / "Cursors.hotspots";
  std::ofstream out(hotSpots, std::ios::binary);
  out << HotSpotsXml(cursors);
  if (!out.good()) {
    std::fprintf(stderr, "tavo-art: could not write %s\n", hotSpots.c_str());
    return false;
  }
  return written;
}

}  // namespace TavoArt
