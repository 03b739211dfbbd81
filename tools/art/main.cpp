// tavo-art OUTPUT_FOLDER FONT_FILE: draws the editor's images (knobs, faders, logo, cursors) at 1x
// and 2x into OUTPUT_FOLDER/Images and OUTPUT_FOLDER/Cursors. Run by the build.
#include <cstdio>

#include "tools/art/WriteAll.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tavo-art OUTPUT_FOLDER FONT_FILE\n");
    return 2;
  }
  return TavoArt::WriteAll(argv[1], argv[2]) ? 0 : 1;
}
