// Pictures of the editor without a host or a display: tavo-editor-shot RESOURCES OUT.png
// [--preset FILE.tavo] [--scale S] [--transmod SOURCE|busiest]. The plug-in is built in-process,
// the preset loaded as the editor's preset menu would, the Transmod source selected (0-11, or the
// one with the most destinations) and the editor painted headless with the OS's drawing back end.
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
               "usage: tavo-editor-shot RESOURCES OUT.png [--preset FILE.tavo] [--scale S]"
               " [--transmod SOURCE|busiest]\n");
  return 2;
}

constexpr const char* kBusiest = "busiest";

// 0-11, or -1 when the text is neither a source number nor "busiest" (-2).
int32_t ParseTransmod(const std::string& text) {
  if (text == kBusiest) return -2;
  char* end = nullptr;
  const long source = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || source < 0 || source > 11) return -1;
  return int32_t(source);
}

bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out);
}

// The displays and the knobs' live values show what the engine reports: let it run for half a
// second of silence first, so the picture shows the preset's curves and modulation, not defaults.
void RunSilence(Norv& plugin) {
  constexpr int kFrames = 512;
  constexpr int kBlocks = 44;
  plugin.setSampleRate(44100.0f);
  plugin.setBlockSize(kFrames);
  plugin.resume();
  std::vector<float> silence(kFrames, 0.0f);
  std::vector<float> left(kFrames), right(kFrames);
  float* inputs[4] = {silence.data(), silence.data(), silence.data(), silence.data()};
  float* outputs[2] = {left.data(), right.data()};
  for (int block = 0; block < kBlocks; ++block) plugin.processReplacing(inputs, outputs, kFrames);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::filesystem::path resources = argv[1];
  const std::filesystem::path out = argv[2];
  std::filesystem::path preset;
  float scale = 1.0f;
  std::string transmod;
  for (int i = 3; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--preset" && i + 1 < argc) {
      preset = argv[++i];
    } else if (option == "--scale" && i + 1 < argc) {
      scale = std::strtof(argv[++i], nullptr);
    } else if (option == "--transmod" && i + 1 < argc) {
      transmod = argv[++i];
    } else {
      return Usage();
    }
  }
  if (!(scale >= 1.0f && scale <= 4.0f)) {
    std::fprintf(stderr, "editor-shot: the scale must be between 1 and 4\n");
    return 2;
  }
  const int32_t transmodSource = transmod.empty() ? -2 : ParseTransmod(transmod);
  if (transmodSource == -1) {
    std::fprintf(stderr, "editor-shot: the Transmod source must be 0 to 11 or %s\n", kBusiest);
    return 2;
  }
  // The user's own default preset and preferences must not show in the pictures.
  VFoundation::UseTemporaryUserFolders();
  auto plugin = std::make_unique<Norv>(QuietHost);
  if (!preset.empty() && !plugin->SerializeState(preset, false)) {
    std::fprintf(stderr, "editor-shot: cannot load the preset %s\n", preset.string().c_str());
    return 1;
  }
  RunSilence(*plugin);
  HeadlessRenderOptions render;
  render.resources = resources;
  if (!transmod.empty()) {
    render.transmodSource = transmod == kBusiest ? BusiestTransmodSource(*plugin) : transmodSource;
  }
  const VGui::PixelImage image = RenderEditorHeadless(*plugin, scale, render);
  const std::vector<uint8_t> png = VGui::EncodePng(image);
  if (png.empty() || !WriteFile(out, png)) {
    std::fprintf(stderr, "editor-shot: cannot write %s\n", out.string().c_str());
    return 1;
  }
  std::printf("editor: %s (%dx%d, Transmod source %d)\n", out.string().c_str(), image.Width(),
              image.Height(), int(render.transmodSource));
  return 0;
}
