// Pictures of the editor without a host or a display: tavo-editor-shot RESOURCES OUT.png
// [--preset FILE.tavo] [--scale S]. The plug-in is built in-process, the preset loaded as the
// editor's preset menu would, and the editor painted headless with the OS's drawing back end.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "editor/HeadlessRender.h"
#include "plugin/Norv.h"
#include "support/TestEnvironment.h"
#include "support/gui/Canvas.h"

namespace {

vst::VstIntPtr QuietHost(vst::AEffect*, int32_t opcode, int32_t, vst::VstIntPtr, void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

int Usage() {
  std::fprintf(stderr,
               "usage: tavo-editor-shot RESOURCES OUT.png [--preset FILE.tavo] [--scale S]\n");
  return 2;
}

bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::filesystem::path resources = argv[1];
  const std::filesystem::path out = argv[2];
  std::filesystem::path preset;
  float scale = 1.0f;
  for (int i = 3; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--preset" && i + 1 < argc) {
      preset = argv[++i];
    } else if (option == "--scale" && i + 1 < argc) {
      scale = std::strtof(argv[++i], nullptr);
    } else {
      return Usage();
    }
  }
  if (!(scale >= 1.0f && scale <= 4.0f)) {
    std::fprintf(stderr, "editor-shot: the scale must be between 1 and 4\n");
    return 2;
  }
  // The user's own default preset and preferences must not show in the pictures.
  VFoundation::UseTemporaryUserFolders();
  auto plugin = std::make_unique<Norv>(QuietHost);
  if (!preset.empty() && !plugin->SerializeState(preset, false)) {
    std::fprintf(stderr, "editor-shot: cannot load the preset %s\n", preset.string().c_str());
    return 1;
  }
  const VGui::PixelImage image = RenderEditorHeadless(*plugin, scale, resources);
  const std::vector<uint8_t> png = VGui::EncodePng(image);
  if (png.empty() || !WriteFile(out, png)) {
    std::fprintf(stderr, "editor-shot: cannot write %s\n", out.string().c_str());
    return 1;
  }
  std::printf("editor: %s (%dx%d)\n", out.string().c_str(), image.Width(), image.Height());
  return 0;
}
