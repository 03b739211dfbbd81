// The editor host tests' shared half: recording callback, instance, skins, gestures, pictures.
#include "host/EditorHost.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unordered_set>

#include "host/TestHost.h"
#include "support/Options.h"
#include "support/XmlDocument.h"

namespace tavo::test::editor_host {

namespace fs = std::filesystem;
using VFoundation::XmlDocument;
using VFoundation::XmlNode;

void CallLog::Record(const RecordedCall& call) {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.push_back(call);
}

void CallLog::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.clear();
}

std::vector<RecordedCall> CallLog::Calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

std::vector<RecordedCall> CallLog::EditCalls() const {
  std::vector<RecordedCall> edits;
  for (const RecordedCall& call : Calls()) {
    if (call.opcode == vst::audioMasterBeginEdit || call.opcode == vst::audioMasterAutomate ||
        call.opcode == vst::audioMasterEndEdit) {
      edits.push_back(call);
    }
  }
  return edits;
}

CallLog& Calls() {
  static CallLog log;
  return log;
}

double SecondsNow() {
  static const auto start = std::chrono::steady_clock::now();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::atomic<vst::VstIntPtr>& SizeWindowAnswer() {
  static std::atomic<vst::VstIntPtr> answer{1};
  return answer;
}

std::vector<RecordedCall> SizeWindowCalls() {
  std::vector<RecordedCall> asked;
  for (const RecordedCall& call : Calls().Calls()) {
    if (call.opcode == vst::audioMasterSizeWindow) asked.push_back(call);
  }
  return asked;
}

void ResetZoomPreference() {
  EXPECT_TRUE(VApplication::Options::WriteInteger("Zoom", 100));
}

vst::VstIntPtr RecordingCallback(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index,
                                 vst::VstIntPtr value, void* ptr, float opt) {
  // The audio thread's questions of every block are of no interest here.
  if (opcode != vst::audioMasterGetTime && opcode != vst::audioMasterGetCurrentProcessLevel) {
    Calls().Record({opcode, index, opt, std::this_thread::get_id(), SecondsNow(), value});
  }
  if (opcode == vst::audioMasterSizeWindow) return SizeWindowAnswer().load();
  return HostCallback(effect, opcode, index, value, ptr, opt);
}

EditorPlugin::EditorPlugin() {
  EntryPoint entry = PluginEntry("VSTPluginMain");
  if (entry) effect_ = entry(RecordingCallback);
  if (!effect_) return;
  Dispatch(vst::effOpen);
  Dispatch(vst::effSetSampleRate, 0, 0, nullptr, 48000.0f);
  Dispatch(vst::effSetBlockSize, 0, 256);
  Dispatch(vst::effMainsChanged, 0, 1);
}

EditorPlugin::~EditorPlugin() {
  if (!effect_) return;
  Dispatch(vst::effMainsChanged, 0, 0);
  Dispatch(vst::effClose);
}

bool EditorPlugin::HasEditor() const {
  return effect_ && (effect_->flags & vst::effFlagsHasEditor) != 0;
}

vst::VstIntPtr EditorPlugin::Dispatch(vst::VstInt32 opcode, vst::VstInt32 index,
                                      vst::VstIntPtr value, void* ptr, float opt) const {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::optional<vst::ERect> EditorPlugin::EditorRect() const {
  vst::ERect* rect = nullptr;
  if (Dispatch(vst::effEditGetRect, 0, 0, &rect) == 0 || !rect) return std::nullopt;
  return *rect;
}

float EditorPlugin::Parameter(vst::VstInt32 index) const {
  return effect_->getParameter(effect_, index);
}

void EditorPlugin::SetParameter(vst::VstInt32 index, float value) const {
  effect_->setParameter(effect_, index, value);
}

HostAudioThread::HostAudioThread(const EditorPlugin& plugin)
    : plugin_(plugin), thread_([this] { Run(); }) {}

HostAudioThread::~HostAudioThread() {
  stop_.store(true);
  thread_.join();
}

void HostAudioThread::Run() {
  constexpr int kFrames = 256;
  GuardedBuffers inputs(4, kFrames);
  GuardedBuffers outputs(2, kFrames);
  int64_t frame = 0;
  while (!stop_.load()) {
    inputs.FillSine(0.1f, 441.0, 48000.0, frame);
    plugin_.effect()->processReplacing(plugin_.effect(), inputs.Pointers(), outputs.Pointers(),
                                       kFrames);
    frame += kFrames;
    blocks_.fetch_add(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

namespace {

fs::path UnderFolder(const std::string& folder, const std::string& relative) {
  std::error_code error;
  if (!fs::is_directory(folder, error) && !folder.empty() && folder[0] == '/') {
    return fs::path("Z:" + folder) / relative;
  }
  return fs::path(folder) / relative;
}

std::optional<ControlArea> ReadRect(const XmlNode& node) {
  std::string text;
  if (!node.ReadString("rect", text)) return std::nullopt;
  std::istringstream numbers(text);
  ControlArea area;
  if (!(numbers >> area.x >> area.y >> area.width >> area.height)) return std::nullopt;
  return area;
}

// Depth first through panels and controls; rectangles are relative to the parent.
std::optional<ControlArea> FindInChildren(const XmlNode& parent, const std::string& name,
                                          int originX, int originY) {
  for (const XmlNode& child : parent.Children()) {
    const std::string tag = child.Tag();
    if (tag != "panel" && tag != "control") continue;
    const std::optional<ControlArea> rect = ReadRect(child);
    if (!rect) continue;
    ControlArea placed = *rect;
    placed.x += originX;
    placed.y += originY;
    std::string childName;
    if (child.ReadString("name", childName) && childName == name) return placed;
    if (auto found = FindInChildren(child, name, placed.x, placed.y)) return found;
  }
  return std::nullopt;
}

std::optional<ControlArea> FindInSkin(const std::string& file, const std::string& name, int originX,
                                      int originY) {
  XmlDocument document;
  if (!document.Load(BuildPath("Resources/" + file), "skin") &&
      !document.Load(SourcePath("Resources/" + file), "skin")) {
    return std::nullopt;
  }
  return FindInChildren(document.Root(), name, originX, originY);
}

const char* OpcodeName(vst::VstInt32 opcode) {
  switch (opcode) {
    case vst::audioMasterBeginEdit:
      return "begin";
    case vst::audioMasterAutomate:
      return "automate";
    case vst::audioMasterEndEdit:
      return "end";
    default:
      return "other";
  }
}

}  // namespace

fs::path BuildPath(const std::string& relative) {
  return UnderFolder(TAVO_BUILD_DIR, relative);
}

fs::path SourcePath(const std::string& relative) {
  return UnderFolder(TAVO_SOURCE_DIR, relative);
}

void UseTheBuildsResources() {
  const fs::path build = BuildPath("Resources").parent_path();
  EXPECT_TRUE(VApplication::Options::WriteString("InstallPath", build.generic_string()));
}

std::optional<ControlArea> EditorControlArea(const std::string& name) {
  if (auto inRoot = FindInSkin("RootSkin.skin", name, 0, 0)) return inRoot;
  // The utility strip loads its skin onto itself, wherever the root skin puts it.
  if (const std::optional<ControlArea> strip =
          FindInSkin("RootSkin.skin", "UtilityControls", 0, 0)) {
    if (auto inStrip = FindInSkin("Global/UtilityControls.skin", name, strip->x, strip->y)) {
      return inStrip;
    }
  }
  // The synth panel loads its skin onto itself.
  const std::optional<ControlArea> synthPanel = FindInSkin("RootSkin.skin", "SynthEditor", 0, 0);
  if (!synthPanel) return std::nullopt;
  return FindInSkin("Synth/SynthControls.skin", name, synthPanel->x, synthPanel->y);
}

std::string GestureFault(const std::vector<RecordedCall>& editCalls, vst::VstInt32 index) {
  std::ostringstream fault;
  if (editCalls.empty()) return "no edit call reached the host";
  for (const RecordedCall& call : editCalls) {
    if (call.index != index) {
      fault << "a " << OpcodeName(call.opcode) << " call for parameter " << call.index
            << " instead of " << index << "; ";
    }
  }
  if (editCalls.front().opcode != vst::audioMasterBeginEdit) fault << "does not start with begin; ";
  if (editCalls.back().opcode != vst::audioMasterEndEdit) fault << "does not end with end; ";
  size_t begins = 0;
  size_t ends = 0;
  size_t automates = 0;
  for (const RecordedCall& call : editCalls) {
    begins += call.opcode == vst::audioMasterBeginEdit ? 1 : 0;
    ends += call.opcode == vst::audioMasterEndEdit ? 1 : 0;
    automates += call.opcode == vst::audioMasterAutomate ? 1 : 0;
  }
  if (begins != 1 || ends != 1) fault << begins << " begin and " << ends << " end calls; ";
  if (automates == 0) fault << "no automate call; ";
  const std::string text = fault.str();
  return text.empty() ? text : text + "calls: " + Describe(editCalls);
}

std::vector<float> AutomatedValues(const std::vector<RecordedCall>& editCalls) {
  std::vector<float> values;
  for (const RecordedCall& call : editCalls) {
    if (call.opcode == vst::audioMasterAutomate) values.push_back(call.opt);
  }
  return values;
}

std::string Describe(const std::vector<RecordedCall>& calls) {
  std::ostringstream text;
  for (const RecordedCall& call : calls) {
    text << OpcodeName(call.opcode) << "(" << call.opcode << ") #" << call.index << " " << call.opt
         << " @" << call.seconds << "s; ";
  }
  return text.str();
}

std::vector<ControlArea> LiveAreas() {
  std::vector<ControlArea> areas;
  for (const char* plot :
       {"DViz", "F1Viz", "F2Viz", "CViz", "L1Viz", "L2Viz", "EViz", "FViz", "SViz"}) {
    if (const std::optional<ControlArea> area = EditorControlArea(plot)) areas.push_back(*area);
  }
  return areas;
}

std::vector<uint32_t> WithoutLiveAreas(std::vector<uint32_t> pixels, int width) {
  if (width <= 0) return pixels;
  const int height = int(pixels.size() / size_t(width));
  for (const ControlArea& area : LiveAreas()) {
    for (int y = std::max(0, area.y); y < std::min(height, area.y + area.height); ++y) {
      for (int x = std::max(0, area.x); x < std::min(width, area.x + area.width); ++x) {
        pixels[size_t(y) * size_t(width) + size_t(x)] = 0;
      }
    }
  }
  return pixels;
}

size_t DistinctColours(const std::vector<uint32_t>& pixels) {
  return std::unordered_set<uint32_t>(pixels.begin(), pixels.end()).size();
}

size_t DifferingPixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) return std::max(a.size(), b.size());
  size_t differing = 0;
  for (size_t i = 0; i < a.size(); ++i) differing += a[i] != b[i] ? 1 : 0;
  return differing;
}

std::vector<uint32_t> Crop(const std::vector<uint32_t>& pixels, int width,
                           const ControlArea& area) {
  std::vector<uint32_t> cropped;
  if (width <= 0) return cropped;
  const int height = static_cast<int>(pixels.size()) / width;
  for (int y = std::max(area.y, 0); y < std::min(area.y + area.height, height); ++y) {
    for (int x = std::max(area.x, 0); x < std::min(area.x + area.width, width); ++x) {
      cropped.push_back(pixels[size_t(y) * size_t(width) + size_t(x)]);
    }
  }
  return cropped;
}

namespace {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> entries{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      entries[n] = c;
    }
    return entries;
  }();
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  PutBigEndian(out, uint32_t(data.size()));
  std::vector<uint8_t> typed(type, type + 4);
  typed.insert(typed.end(), data.begin(), data.end());
  out.insert(out.end(), typed.begin(), typed.end());
  PutBigEndian(out, Crc32(typed.data(), typed.size()));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> out = {0x78, 0x01};
  constexpr size_t kBlock = 65535;
  size_t at = 0;
  do {
    const size_t length = std::min(kBlock, raw.size() - at);
    const bool last = at + length == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(uint8_t(length));
    out.push_back(uint8_t(length >> 8));
    out.push_back(uint8_t(~length));
    out.push_back(uint8_t(~length >> 8));
    out.insert(out.end(), raw.begin() + long(at), raw.begin() + long(at + length));
    at += length;
  } while (at < raw.size());
  uint32_t a = 1;
  uint32_t b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(out, (b << 16) | a);
  return out;
}

}  // namespace

bool WritePng(const fs::path& file, int width, int height, const std::vector<uint32_t>& pixels) {
  if (width <= 0 || height <= 0 || pixels.size() != size_t(width) * size_t(height)) return false;
  std::vector<uint8_t> raw;
  raw.reserve(size_t(height) * (1 + size_t(width) * 3));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < width; ++x) {
      const uint32_t pixel = pixels[size_t(y) * size_t(width) + size_t(x)];
      raw.push_back(uint8_t(pixel >> 16));
      raw.push_back(uint8_t(pixel >> 8));
      raw.push_back(uint8_t(pixel));
    }
  }
  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBigEndian(header, uint32_t(width));
  PutBigEndian(header, uint32_t(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", StoredZlib(raw));
  PutChunk(png, "IEND", {});
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
  return bool(out);
}

}  // namespace tavo::test::editor_host
