// The factory presets shipped in System/Presets, loaded through the host chunk as a host does.
#include <tinyxml.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "host/TestHost.h"
#include "support/Options.h"
#include "support/XmlDocument.h"

namespace tavo::test {
namespace {

namespace fs = std::filesystem;

constexpr float kSampleRate = 44100.0f;
constexpr int kBlock = 512;
constexpr double kSignalSeconds = 3.0;
// Silence first, so that every glide has ended and the chunk has been applied.
constexpr double kSettleSeconds = 0.5;
constexpr size_t kMinimumPresets = 8;

struct PresetFile {
  std::string name;  // the file name without folder and extension
  std::string text;
};

fs::path PresetFolder() {
  const std::string source = TAVO_SOURCE_DIR;
  fs::path folder = fs::path(source) / "System" / "Presets";
  std::error_code code;
  // A Windows build running under Wine sees the Linux root as drive Z:.
  if (!fs::is_directory(folder, code) && !source.empty() && source[0] == '/') {
    folder = fs::path("Z:" + source) / "System" / "Presets";
  }
  return folder;
}

std::vector<PresetFile> ReadFactoryPresets() {
  std::vector<PresetFile> presets;
  std::error_code code;
  for (const fs::directory_entry& entry : fs::directory_iterator(PresetFolder(), code)) {
    if (!entry.is_regular_file() || entry.path().extension() != ".tavo") continue;
    std::ifstream stream(entry.path(), std::ios::binary);
    PresetFile preset{entry.path().stem().string(),
                      std::string(std::istreambuf_iterator<char>(stream), {})};
    presets.push_back(std::move(preset));
  }
  std::sort(presets.begin(), presets.end(),
            [](const PresetFile& a, const PresetFile& b) { return a.name < b.name; });
  return presets;
}

using Buffers = std::vector<std::vector<float>>;

struct TestSignal {
  Buffers main;  // chord and kick on inputs 1+2, sidechain (the kick alone) on 3+4
  int frames = 0;
};

// A detuned saw chord with a kick on every beat at 120 BPM, peaking at -1 dBFS like the demo input;
// the kick alone goes to the sidechain, so that sidechain-keyed presets move.
TestSignal MakeTestSignal() {
  TestSignal signal;
  signal.frames = static_cast<int>(kSignalSeconds * kSampleRate);
  signal.main.assign(4, std::vector<float>(static_cast<size_t>(signal.frames)));
  const double chordHz[] = {110.0, 110.7, 130.81, 164.81, 196.0};
  std::vector<double> left(static_cast<size_t>(signal.frames));
  std::vector<double> right(left.size());
  std::vector<double> kick(left.size());
  const double beatFrames = 0.5 * kSampleRate;
  for (size_t i = 0; i < left.size(); ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    double chord = 0.0;
    for (double hz : chordHz) {
      const double phase = t * hz;
      chord += 0.1 * (2.0 * (phase - std::floor(phase)) - 1.0);
    }
    const double sinceBeat = std::fmod(static_cast<double>(i), beatFrames) / kSampleRate;
    const double sweep = 50.0 * sinceBeat + 100.0 * 0.03 * (1.0 - std::exp(-sinceBeat / 0.03));
    kick[i] = 0.6 * std::exp(-sinceBeat / 0.15) * std::sin(2.0 * std::numbers::pi * sweep);
    left[i] = chord + kick[i];
    right[i] = 0.9 * chord + kick[i];
  }
  double peak = 0.0;
  for (size_t i = 0; i < left.size(); ++i) {
    peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
  }
  const double gain = std::pow(10.0, -1.0 / 20.0) / peak;
  for (size_t i = 0; i < left.size(); ++i) {
    signal.main[0][i] = static_cast<float>(left[i] * gain);
    signal.main[1][i] = static_cast<float>(right[i] * gain);
    signal.main[2][i] = static_cast<float>(kick[i] * gain);
    signal.main[3][i] = static_cast<float>(kick[i] * gain);
  }
  return signal;
}

struct Render {
  std::vector<float> left;
  std::vector<float> right;
  double peak = 0.0;
  double rms = 0.0;
  bool finite = true;
};

void ProcessSilence(const PluginInstance& plugin, int frames) {
  Buffers inputs(4, std::vector<float>(kBlock));
  Buffers outputs(2, std::vector<float>(kBlock));
  for (int done = 0; done < frames; done += kBlock) {
    plugin.Process(inputs, outputs, std::min(kBlock, frames - done));
  }
}

Render RenderSignal(const PluginInstance& plugin, const TestSignal& signal) {
  ProcessSilence(plugin, static_cast<int>(kSettleSeconds * kSampleRate));
  Render render;
  Buffers inputs(4, std::vector<float>(kBlock));
  Buffers outputs(2, std::vector<float>(kBlock));
  double sumSquares = 0.0;
  for (int start = 0; start < signal.frames; start += kBlock) {
    const int frames = std::min(kBlock, signal.frames - start);
    for (int c = 0; c < 4; ++c) {
      std::copy_n(signal.main[c].begin() + start, frames, inputs[c].begin());
    }
    plugin.Process(inputs, outputs, frames);
    for (int i = 0; i < frames; ++i) {
      for (int c = 0; c < 2; ++c) {
        const float sample = outputs[c][i];
        render.finite = render.finite && std::isfinite(sample);
        render.peak = std::max(render.peak, static_cast<double>(std::fabs(sample)));
        sumSquares += static_cast<double>(sample) * sample;
      }
      render.left.push_back(outputs[0][i]);
      render.right.push_back(outputs[1][i]);
    }
  }
  render.rms = std::sqrt(sumSquares / (2.0 * signal.frames));
  return render;
}

vst::VstIntPtr LoadChunk(const PluginInstance& plugin, const std::string& text) {
  std::vector<char> data(text.begin(), text.end());
  return plugin.Dispatch(vst::effSetChunk, 0, static_cast<vst::VstIntPtr>(data.size()),
                         data.data());
}

std::string ReadChunk(const PluginInstance& plugin) {
  void* data = nullptr;
  const vst::VstIntPtr size = plugin.Dispatch(vst::effGetChunk, 0, 0, &data);
  if (size <= 0 || data == nullptr) return {};
  return std::string(static_cast<const char*>(data), static_cast<size_t>(size));
}

// Every attribute of an element except its object name.
std::map<std::string, std::string> Attributes(const VFoundation::XmlNode& node) {
  std::map<std::string, std::string> attributes;
  if (!node) return attributes;
  for (const TiXmlAttribute* a = node.Element()->FirstAttribute(); a != nullptr; a = a->Next()) {
    if (std::string(a->Name()) != "name") attributes[a->Name()] = a->Value();
  }
  return attributes;
}

// Values that the state keeps as floats compare as floats; the rest ("false") as text.
void ExpectSameValues(const std::map<std::string, std::string>& expected,
                      const std::map<std::string, std::string>& actual, const std::string& where) {
  for (const auto& [key, text] : expected) {
    const auto found = actual.find(key);
    if (found == actual.end()) {
      ADD_FAILURE() << where << ": " << key << " is missing from the chunk";
      continue;
    }
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() && *end == '\0') {
      EXPECT_NEAR(std::strtod(found->second.c_str(), nullptr), value, 1e-6) << where << ": " << key;
    } else {
      EXPECT_EQ(found->second, text) << where << ": " << key;
    }
  }
  for (const auto& entry : actual) {
    EXPECT_TRUE(expected.count(entry.first)) << where << ": the chunk adds " << entry.first;
  }
}

class FactoryPresets : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    presets_ = new std::vector<PresetFile>(ReadFactoryPresets());
    renders_ = new std::vector<Render>();
    const TestSignal signal = MakeTestSignal();
    for (const PresetFile& preset : *presets_) {
      PluginInstance plugin;
      plugin.Start(kSampleRate, kBlock);
      loadAnswers_.push_back(plugin.effect() ? LoadChunk(plugin, preset.text) : 0);
      renders_->push_back(RenderSignal(plugin, signal));
    }
    PluginInstance plugin;
    plugin.Start(kSampleRate, kBlock);
    defaultRender_ = new Render(RenderSignal(plugin, signal));
  }
  static void TearDownTestSuite() {
    delete presets_;
    delete renders_;
    delete defaultRender_;
    presets_ = nullptr;
    renders_ = nullptr;
    defaultRender_ = nullptr;
    loadAnswers_.clear();
  }

  static std::vector<PresetFile>* presets_;
  static std::vector<Render>* renders_;
  static Render* defaultRender_;
  static std::vector<vst::VstIntPtr> loadAnswers_;
};

std::vector<PresetFile>* FactoryPresets::presets_ = nullptr;
std::vector<Render>* FactoryPresets::renders_ = nullptr;
Render* FactoryPresets::defaultRender_ = nullptr;
std::vector<vst::VstIntPtr> FactoryPresets::loadAnswers_;

// The level of what sets two renders apart, in dB below the louder of the two.
double DifferenceDb(const Render& a, const Render& b) {
  double sumSquares = 0.0;
  for (size_t i = 0; i < a.left.size() && i < b.left.size(); ++i) {
    const double left = a.left[i] - b.left[i];
    const double right = a.right[i] - b.right[i];
    sumSquares += left * left + right * right;
  }
  const double difference = std::sqrt(sumSquares / (2.0 * std::max<size_t>(a.left.size(), 1)));
  return 20.0 * std::log10(std::max(difference, 1e-12) / std::max({a.rms, b.rms, 1e-12}));
}

TEST_F(FactoryPresets, AtLeastEightShipWithTheirOwnNames) {
  ASSERT_GE(presets_->size(), kMinimumPresets) << "in " << PresetFolder().string();
  for (const PresetFile& preset : *presets_) {
    VFoundation::XmlDocument document;
    ASSERT_TRUE(document.Parse(preset.text, "root")) << preset.name;
    std::string storedName;
    EXPECT_TRUE(VFoundation::ReadStringObject(document.Root(), "LastPresetName", storedName))
        << preset.name;
    EXPECT_EQ(storedName, preset.name);
    int32_t oversample = 0;
    EXPECT_TRUE(document.Root().ReadInt("Oversample", oversample)) << preset.name;
    EXPECT_EQ(oversample, 2) << preset.name;
  }
}

TEST_F(FactoryPresets, LoadThroughTheHostChunk) {
  ASSERT_EQ(loadAnswers_.size(), presets_->size());
  for (size_t i = 0; i < presets_->size(); ++i) {
    EXPECT_EQ(loadAnswers_[i], 1) << (*presets_)[i].name;
  }
}

TEST_F(FactoryPresets, SoundBelowFullScale) {
  for (size_t i = 0; i < presets_->size(); ++i) {
    const Render& render = (*renders_)[i];
    const std::string& name = (*presets_)[i].name;
    EXPECT_TRUE(render.finite) << name;
    EXPECT_GT(render.rms, 0.01) << name << " is nearly silent";  // -40 dBFS
    EXPECT_LT(render.peak, 1.0) << name << " reaches full scale";
  }
}

TEST_F(FactoryPresets, EachSoundsDifferentFromTheOthersAndTheDefault) {
  // Two settings that a listener tells apart leave a difference within 20 dB of the signal.
  constexpr double kAudibleDb = -20.0;
  for (size_t i = 0; i < presets_->size(); ++i) {
    const std::string& name = (*presets_)[i].name;
    EXPECT_GT(DifferenceDb((*renders_)[i], *defaultRender_), kAudibleDb) << name << " vs default";
    for (size_t j = i + 1; j < presets_->size(); ++j) {
      EXPECT_GT(DifferenceDb((*renders_)[i], (*renders_)[j]), kAudibleDb)
          << name << " vs " << (*presets_)[j].name;
    }
  }
}

TEST_F(FactoryPresets, ChunkReadBackKeepsThePresetsValues) {
  for (const PresetFile& preset : *presets_) {
    VFoundation::XmlDocument file;
    ASSERT_TRUE(file.Parse(preset.text, "root")) << preset.name;
    ASSERT_GT(Attributes(file.Root().FindObject("NorvProcess", "Norv")).size(), 4u)
        << preset.name << " sets no parameter";
    // Read back at once (a host saving its project straight after the load) and after a block.
    for (int blocks : {0, 1}) {
      PluginInstance plugin;
      plugin.Start(kSampleRate, kBlock);
      ASSERT_EQ(LoadChunk(plugin, preset.text), 1) << preset.name;
      ProcessSilence(plugin, blocks * kBlock);
      VFoundation::XmlDocument chunk;
      ASSERT_TRUE(chunk.Parse(ReadChunk(plugin), "root")) << preset.name;
      const std::string where = preset.name + (blocks ? " after a block" : " at once");
      ExpectSameValues(Attributes(file.Root()), Attributes(chunk.Root()), where);
      const struct {
        const char* className;
        const char* name;
      } objects[] = {{"TimeInfo", "TimeInfo"}, {"NorvProcess", "Norv"}};
      for (const auto& object : objects) {
        ExpectSameValues(Attributes(file.Root().FindObject(object.className, object.name)),
                         Attributes(chunk.Root().FindObject(object.className, object.name)), where);
      }
      std::string storedName;
      EXPECT_TRUE(VFoundation::ReadStringObject(chunk.Root(), "LastPresetName", storedName));
      EXPECT_EQ(storedName, preset.name) << where;
    }
  }
}

// Sets a boolean preference for the instances made in its scope.
class PreferenceScope {
 public:
  PreferenceScope(const char* name, bool value) : name_(name) {
    EXPECT_TRUE(VApplication::Options::WriteBoolean(name, value));
  }
  ~PreferenceScope() { VApplication::Options::WriteBoolean(name_, true); }
  PreferenceScope(const PreferenceScope&) = delete;
  PreferenceScope& operator=(const PreferenceScope&) = delete;

 private:
  const char* name_;
};

// The output safety stage (on by default) never touches a factory preset or the default sound:
// with it switched off the renders are the same to the bit. A preset whose random source takes a
// new seed with every instance sounds a little different each time anyway; its renders must then
// stay below the stage's ceiling, under which the stage passes every sample as it is.
TEST_F(FactoryPresets, OutputSafetyLeavesThemBitIdentical) {
  const TestSignal signal = MakeTestSignal();
  const auto render = [&](size_t i, bool safety) {
    PreferenceScope scope("OutputSafety", safety);
    PluginInstance plugin;
    plugin.Start(kSampleRate, kBlock);
    if (i < presets_->size()) {
      EXPECT_EQ(LoadChunk(plugin, (*presets_)[i].text), 1);
    }
    return RenderSignal(plugin, signal);
  };
  const auto same = [](const Render& a, const Render& b) {
    return a.left == b.left && a.right == b.right;
  };
  constexpr double kCeiling = 3.98107171;  // +12 dBFS
  for (size_t i = 0; i <= presets_->size(); ++i) {
    const std::string name = i < presets_->size() ? (*presets_)[i].name : "the default";
    const Render& protectedRender = i < presets_->size() ? (*renders_)[i] : *defaultRender_;
    const Render unprotected = render(i, false);
    if (same(unprotected, protectedRender)) continue;
    EXPECT_FALSE(same(render(i, true), protectedRender)) << name << " differs only by the stage";
    EXPECT_LT(std::max(unprotected.peak, protectedRender.peak), kCeiling) << name;
  }
}

// Full drive into both filter stages' gains and the output gain: a valid state that takes a
// -4 dBFS input far above full scale.
constexpr const char* kLoudState =
    "<root StateVersion=\"2.2\" Oversample=\"2\"><NorvProcess name=\"Norv\" "
    "DriveActive_Actual=\"1\" DriveAmount_Actual=\"1\" F1GainPre_Actual=\"1\" "
    "F1GainPost_Actual=\"1\" F1Res_Actual=\"0.9\" Comp_Actual=\"0\" Gain_Actual=\"1\"/></root>";

// What the stage is for: that state leaves below +18 dBFS with it on, and far above with it off
// (the user's choice).
TEST(OutputSafety, HoldsLoudOutputBelowEighteenDecibelsUnlessSwitchedOff) {
  for (const bool on : {true, false}) {
    SCOPED_TRACE(on ? "on" : "off");
    PreferenceScope safety("OutputSafety", on);
    PluginInstance plugin;
    plugin.Start(kSampleRate, kBlock);
    ASSERT_EQ(LoadChunk(plugin, kLoudState), 1);
    Buffers inputs(4, std::vector<float>(kBlock));
    Buffers outputs(2, std::vector<float>(kBlock));
    double peak = 0.0;
    for (int block = 0; block < 40; ++block) {
      for (int i = 0; i < kBlock; ++i) {
        const double t = static_cast<double>(block * kBlock + i) / kSampleRate;
        const float x = static_cast<float>(0.63 * std::sin(2.0 * std::numbers::pi * 220.0 * t));
        for (auto& channel : inputs) channel[i] = x;
      }
      plugin.Process(inputs, outputs, kBlock);
      if (block < 20) continue;  // past the glides of a fresh instance
      for (const auto& channel : outputs) {
        for (float sample : channel) {
          ASSERT_TRUE(std::isfinite(sample));
          peak = std::max(peak, static_cast<double>(std::fabs(sample)));
        }
      }
    }
    if (on) {
      EXPECT_LT(peak, 7.95);  // +18 dBFS
      EXPECT_GT(peak, 3.9);   // limited, not muted
    } else {
      EXPECT_GT(peak, 10.0) << "the state is not loud enough to show the stage";
    }
  }
}

}  // namespace
}  // namespace tavo::test
