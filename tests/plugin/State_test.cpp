// The state document as host chunk, preset file, default preset and bindings document: its exact
// form, round trips through a second instance, version rules and damaged input.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "modulation/BindingMap.h"
#include "modulation/TempoSync.h"
#include "plugin/MidiEventList.h"
#include "plugin/Norv.h"
#include "plugin/ParameterTable.h"
#include "plugin/StateDocument.h"
#include "support/Paths.h"

namespace {

using ParameterTable::kF1Cutoff;
using ParameterTable::kF2Cutoff;
using ParameterTable::kLFO1Rate;
using ParameterTable::kMix;

vst::VstIntPtr QuietHost(vst::AEffect*, int32_t opcode, int32_t, vst::VstIntPtr, void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

constexpr int kFrames = 128;

std::string ChunkOf(Norv& norv) {
  void* data = nullptr;
  const int32_t size = norv.getChunk(&data, false);
  if (size <= 0 || !data) return std::string();
  return std::string(static_cast<const char*>(data), static_cast<size_t>(size));
}

int32_t LoadChunk(Norv& norv, const std::string& text) {
  std::vector<char> copy(text.begin(), text.end());
  return norv.setChunk(copy.empty() ? nullptr : copy.data(), static_cast<int32_t>(copy.size()),
                       false);
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::filesystem::path TemporaryFile(const char* name) {
  return VApplication::Paths::GetTemporaryPath() / name;
}

// Removes the default preset file when it goes out of scope, so no other test's instance loads it.
class DefaultPresetGuard {
 public:
  DefaultPresetGuard() { Remove(); }
  ~DefaultPresetGuard() { Remove(); }
  DefaultPresetGuard(const DefaultPresetGuard&) = delete;
  DefaultPresetGuard& operator=(const DefaultPresetGuard&) = delete;

 private:
  static void Remove() {
    std::error_code error;
    std::filesystem::remove(VApplication::Paths::GetDefaultPresetFile(), error);
  }
};

class StateTest : public ::testing::Test {
 protected:
  void SetUp() override { norv_ = MakeNorv(); }

  static std::unique_ptr<Norv> MakeNorv() {
    auto norv = std::make_unique<Norv>(QuietHost);
    norv->setSampleRate(44100.0f);
    norv->setBlockSize(kFrames);
    return norv;
  }

  static void Process(Norv& norv) {
    std::vector<float> in(kFrames, 0.1f);
    std::vector<float> out0(kFrames), out1(kFrames);
    float* inputs[4] = {in.data(), in.data(), in.data(), in.data()};
    float* outputs[2] = {out0.data(), out1.data()};
    norv.processReplacing(inputs, outputs, kFrames);
  }

  // Engine changes as the editor makes them, applied by one block.
  static void Edit(Norv& norv, MessageType type, std::initializer_list<MessageValue> values) {
    ASSERT_TRUE(norv.Port().PostMessageToSynth(type, values));
  }

  std::unique_ptr<Norv> norv_;
};

TEST_F(StateTest, FreshInstanceChunkIsTheDocumentWithDefaultsOnly) {
  const std::string expected =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
      "<root StateVersion=\"2.2\" Oversample=\"2\">\n"
      "    <TimeInfo name=\"TimeInfo\" Tempo=\"120\" TSN=\"4\" TSD=\"4\" "
      "Metro=\"false\" "
      "Quantize=\"false\" />\n"
      "    <NorvProcess name=\"Norv\" Ver=\"2.1\" LinkOffset=\"0\" "
      "C0Value=\"0\" C1Value=\"0\" />\n"
      "    <VString name=\"LastPresetName\" string=\"Default\" />\n"
      "</root>\n";
  EXPECT_EQ(ChunkOf(*norv_), expected);
  // The chunk travels through the staging file, which holds the same text.
  EXPECT_EQ(ReadFile(TemporaryFile("LastHostChunk.norv")), expected);
}

TEST_F(StateTest, ChunkBlockStaysValidUntilTheNextGetChunk) {
  void* first = nullptr;
  const int32_t size = norv_->getChunk(&first, false);
  ASSERT_GT(size, 0);
  const std::string copy(static_cast<const char*>(first), static_cast<size_t>(size));
  // Loading it back reads the very block the host holds.
  EXPECT_EQ(norv_->setChunk(first, size, false), 1);
  EXPECT_EQ(std::string(static_cast<const char*>(first), static_cast<size_t>(size)), copy);
  EXPECT_EQ(norv_->getChunk(nullptr, false), 0);
}

// Should the staging file be unusable (here a folder stands in its place), the host still gets
// the chunk rather than losing the project's state.
TEST_F(StateTest, ChunkSurvivesAnUnusableStagingFile) {
  const std::filesystem::path staging = TemporaryFile("LastHostChunk.norv");
  std::error_code error;
  std::filesystem::remove(staging, error);
  ASSERT_TRUE(std::filesystem::create_directory(staging));
  const std::string chunk = ChunkOf(*norv_);
  std::filesystem::remove(staging, error);
  EXPECT_NE(chunk.find("<NorvProcess name=\"Norv\""), std::string::npos);
  auto second = MakeNorv();
  EXPECT_EQ(LoadChunk(*second, chunk), 1);
}

// A load handed to the audio thread and not yet applied when the host suspends is still what a
// chunk shows, and the engine gets it with the next block.
TEST_F(StateTest, LoadPendingAcrossSuspendIsWhatTheChunkShows) {
  norv_->resume();
  Process(*norv_);
  ASSERT_EQ(LoadChunk(*norv_,
                      "<root StateVersion=\"2.2\"><NorvProcess name=\"Norv\" "
                      "Mix_Actual=\"0.5\"/></root>"),
            1);
  norv_->suspend();
  EXPECT_NE(ChunkOf(*norv_).find("Mix_Actual=\"0.5\""), std::string::npos);
  norv_->resume();
  Process(*norv_);
  EXPECT_FLOAT_EQ(norv_->Engine().Base(kMix), 0.5f);
  EXPECT_NE(ChunkOf(*norv_).find("Mix_Actual=\"0.5\""), std::string::npos);
}

struct RoutedValue {
  int32_t parameter;
  int32_t column;
  float value;
};

constexpr RoutedValue kRoutedValues[] = {
    {kLFO1Rate, 0, 0.125f},
    {kMix, 0, 0.3f},
    {kF1Cutoff, 0, 0.4f},
    {kF2Cutoff, 0, 0.9f},
    {kF1Cutoff, 2, -0.75f},
    {kMix, 11, 0.5f},
    {ParameterTable::kF1Res, 5, 1e-5f},
    {ParameterTable::kDriveMode, 0, 0.5f},
};

// Values, depths, polarities, XY values and the tempo record of an edited instance reach a second
// instance through the chunk, whether that one runs or not.
TEST_F(StateTest, RoundTripThroughASecondInstance) {
  norv_->resume();
  for (const RoutedValue& v : kRoutedValues) {
    Edit(*norv_, MessageType::e_setFilterParameterImmediate, {v.parameter, v.column, v.value});
  }
  Edit(*norv_, MessageType::e_setModSourcePolarMode, {2, false});
  Edit(*norv_, MessageType::e_setModSourcePolarMode, {9, false});
  Edit(*norv_, MessageType::e_setFilterMacroValue, {0.625f, 1});
  Process(*norv_);
  norv_->Time().SetMetro(true);
  norv_->Time().SetTempo(140.5);
  norv_->suspend();
  const std::string chunk = ChunkOf(*norv_);
  EXPECT_NE(chunk.find("Polar_LFO1=\"false\""), std::string::npos);
  EXPECT_NE(chunk.find("F1Cutoff_LFO1=\"-0.75\""), std::string::npos);

  for (const bool running : {false, true}) {
    SCOPED_TRACE(running ? "running" : "suspended");
    auto second = MakeNorv();
    if (running) {
      second->resume();
      Process(*second);
    }
    ASSERT_EQ(LoadChunk(*second, chunk), 1);
    // The host reads the parameters back before any block runs.
    EXPECT_FLOAT_EQ(second->getParameter(kMix), 0.3f);
    EXPECT_FLOAT_EQ(second->getParameter(kF1Cutoff), 0.4f);
    if (running) Process(*second);
    NorvProcess& engine = second->Engine();
    for (const RoutedValue& v : kRoutedValues) {
      const float stored =
          v.column == 0 ? engine.Base(v.parameter) : engine.Depth(v.parameter, v.column);
      EXPECT_FLOAT_EQ(stored, v.value) << v.parameter << "/" << v.column;
    }
    EXPECT_FLOAT_EQ(engine.Target(kMix), 0.3f);
    EXPECT_TRUE(engine.IsModulated(kF1Cutoff));
    EXPECT_FALSE(engine.IsUnipolar(2));
    EXPECT_FALSE(engine.IsUnipolar(9));
    EXPECT_TRUE(engine.IsUnipolar(3));
    EXPECT_FLOAT_EQ(engine.MacroValue(1), 0.625f);
    EXPECT_FLOAT_EQ(engine.LinkOffset(), norv_->Engine().LinkOffset());
    EXPECT_DOUBLE_EQ(second->Time().Tempo(), 140.5);
    EXPECT_TRUE(second->Time().Metro());
    // Nothing is lost or added on the way: the second instance writes the same document.
    EXPECT_EQ(ChunkOf(*second), chunk);
  }
}

TEST_F(StateTest, StoredLinkOffsetWinsOverTheCutoffDifference) {
  const char* document =
      "<root StateVersion=\"2.2\"><NorvProcess name=\"Norv\" "
      "LinkOffset=\"-0.375\" "
      "F1Cutoff_Actual=\"0.5\" F2Cutoff_Actual=\"0.5\" /></root>";
  ASSERT_EQ(LoadChunk(*norv_, document), 1);
  EXPECT_FLOAT_EQ(norv_->Engine().LinkOffset(), -0.375f);
  EXPECT_FLOAT_EQ(norv_->Engine().Base(kF2Cutoff), 0.5f);
}

struct VersionCase {
  const char* name;
  const char* document;
  int32_t answer;
  const char* presetName;
  float mix;  // the Mix base afterwards
};

// Mix starts at 0.9 (set before each case) and the preset name at "Before".
const VersionCase kVersionCases[] = {
    {"missing", "<root><NorvProcess name=\"Norv\" Mix_Actual=\"0.2\"/></root>", 0, "Before", 0.9f},
    {"1.9",
     "<root StateVersion=\"1.9\"><NorvProcess name=\"Norv\" "
     "Mix_Actual=\"0.2\"/>"
     "<VString name=\"LastPresetName\" string=\"Old\"/></root>",
     0, "Before", 0.9f},
    {"2.0 without name",
     "<root StateVersion=\"2.0\"><NorvProcess name=\"Norv\" "
     "Mix_Actual=\"0.2\"/></root>",
     1, "Default", 0.2f},
    {"2.1 with a name it may not read",
     "<root StateVersion=\"2.1\"><NorvProcess name=\"Norv\" "
     "Mix_Actual=\"0.2\"/>"
     "<VString name=\"LastPresetName\" string=\"Ignored\"/></root>",
     1, "Default", 0.2f},
    {"2.2 with name",
     "<root StateVersion=\"2.2\"><NorvProcess name=\"Norv\" "
     "Mix_Actual=\"0.2\"/>"
     "<VString name=\"LastPresetName\" string=\"Warm Pad\"/></root>",
     1, "Warm Pad", 0.2f},
    {"2.2 with a long name as text",
     "<root StateVersion=\"2.2\"><VString name=\"LastPresetName\">A much "
     "longer name</VString>"
     "</root>",
     1, "A much longer name", 0.9f},
    {"2.2 without name", "<root StateVersion=\"2.2\"/>", 1, "Before", 0.9f},
};

TEST_F(StateTest, VersionRules) {
  for (const VersionCase& c : kVersionCases) {
    SCOPED_TRACE(c.name);
    auto norv = MakeNorv();
    ASSERT_EQ(LoadChunk(*norv,
                        "<root StateVersion=\"2.2\"><NorvProcess name=\"Norv\" "
                        "Mix_Actual=\"0.9\"/>"
                        "<VString name=\"LastPresetName\" string=\"Before\"/></root>"),
              1);
    EXPECT_EQ(LoadChunk(*norv, c.document), c.answer);
    EXPECT_EQ(norv->LastPresetName(), c.presetName);
    EXPECT_FLOAT_EQ(norv->Engine().Base(kMix), c.mix);
    EXPECT_FLOAT_EQ(norv->getParameter(kMix), c.mix);
  }
}

// A part the document lacks keeps the current value; a present part replaces all of its values,
// with defaults for entries it does not name.
TEST_F(StateTest, MissingPartsKeepTheirValues) {
  ASSERT_EQ(LoadChunk(*norv_,
                      "<root StateVersion=\"2.2\" Oversample=\"4\">"
                      "<TimeInfo name=\"TimeInfo\" Tempo=\"90\" TSN=\"3\" TSD=\"4\"/>"
                      "<NorvProcess name=\"Norv\" Mix_Actual=\"0.25\" Mix_LFO1=\"0.5\" "
                      "Polar_LFO2=\"false\"/></root>"),
            1);
  EXPECT_EQ(norv_->OversamplingFactor(), 4);
  ASSERT_EQ(LoadChunk(*norv_, "<root StateVersion=\"2.2\"/>"), 1);
  EXPECT_EQ(norv_->OversamplingFactor(), 4);
  EXPECT_DOUBLE_EQ(norv_->Time().Tempo(), 90.0);
  EXPECT_EQ(norv_->Time().TimeSigNumerator(), 3);
  EXPECT_FLOAT_EQ(norv_->Engine().Base(kMix), 0.25f);
  EXPECT_FALSE(norv_->Engine().IsUnipolar(3));

  ASSERT_EQ(LoadChunk(*norv_,
                      "<root StateVersion=\"2.2\"><TimeInfo name=\"TimeInfo\"/>"
                      "<NorvProcess name=\"Norv\" F1Res_Actual=\"0.5\"/></root>"),
            1);
  EXPECT_DOUBLE_EQ(norv_->Time().Tempo(), 120.0);
  EXPECT_EQ(norv_->Time().TimeSigNumerator(), 4);
  EXPECT_FLOAT_EQ(norv_->Engine().Base(kMix), ParameterTable::GetParameterDefaultValue(kMix));
  EXPECT_FLOAT_EQ(norv_->Engine().Depth(kMix, 2), 0.0f);
  EXPECT_FALSE(norv_->Engine().IsModulated(kMix));
  EXPECT_TRUE(norv_->Engine().IsUnipolar(3));
}

TEST_F(StateTest, OversamplingOutsideOneToSixteenKeepsTheCurrentFactor) {
  for (const char* factor : {"0", "17", "-2", "1e9", "two", "2.5"}) {
    SCOPED_TRACE(factor);
    const std::string document =
        std::string("<root StateVersion=\"2.2\" Oversample=\"") + factor + "\"/>";
    EXPECT_EQ(LoadChunk(*norv_, document), 1);
    EXPECT_EQ(norv_->OversamplingFactor(), 2);
  }
  EXPECT_EQ(LoadChunk(*norv_, "<root StateVersion=\"2.2\" Oversample=\"16\"/>"), 1);
  EXPECT_EQ(norv_->OversamplingFactor(), 16);
  EXPECT_EQ(norv_->ActiveOversamplingFactor(), 16);
}

// While the audio thread runs, a load reaches the engine at the next block; the host values and a
// chunk taken in between already show it, and host changes made before the load do not override.
TEST_F(StateTest, LoadWhileRunningLandsAtTheNextBlockAndWinsOverEarlierHostChanges) {
  norv_->resume();
  Process(*norv_);
  norv_->setParameter(kMix, 0.1f);
  ASSERT_EQ(LoadChunk(*norv_,
                      "<root StateVersion=\"2.2\" "
                      "Oversample=\"4\"><NorvProcess name=\"Norv\" "
                      "Mix_Actual=\"0.8\"/></root>"),
            1);
  EXPECT_FLOAT_EQ(norv_->getParameter(kMix), 0.8f);
  EXPECT_NE(ChunkOf(*norv_).find("Mix_Actual=\"0.800000011920929\""), std::string::npos);
  EXPECT_NE(ChunkOf(*norv_).find("Oversample=\"4\""), std::string::npos);
  // Hosts resume once more after a chunk load; that finishes the factor change when the host runs
  // no audio meanwhile.
  norv_->resume();
  for (int i = 0; i < 4; ++i) Process(*norv_);
  EXPECT_FLOAT_EQ(norv_->Engine().Target(kMix), 0.8f);
  EXPECT_FLOAT_EQ(norv_->Engine().Base(kMix), 0.8f);
  EXPECT_FLOAT_EQ(norv_->getParameter(kMix), 0.8f);
  EXPECT_EQ(norv_->OversamplingFactor(), 4);
  // A host change after the load moves the value again.
  norv_->setParameter(kMix, 0.2f);
  for (int i = 0; i < 60; ++i) Process(*norv_);
  EXPECT_NEAR(norv_->Engine().Target(kMix), 0.2f, 1e-3f);
}

// RMS of the left output of one block with a 441 Hz sine of RMS 0.35 on every input.
float ProcessSine(Norv& norv) {
  std::vector<float> in(kFrames), out0(kFrames), out1(kFrames);
  for (int i = 0; i < kFrames; ++i)
    in[i] = 0.5f * std::sin(2.0f * 3.14159265f * 441.0f * i / 44100.0f);
  float* inputs[4] = {in.data(), in.data(), in.data(), in.data()};
  float* outputs[2] = {out0.data(), out1.data()};
  norv.processReplacing(inputs, outputs, kFrames);
  double energy = 0.0;
  for (float sample : out0) energy += static_cast<double>(sample) * sample;
  return static_cast<float>(std::sqrt(energy / kFrames));
}

// The oversampling factor travels with a state loaded while the host runs: a chunk read at once
// shows it, and the next block runs and sounds at it with no set-up call in between (a renderer
// loads and processes on one thread). A resume before that block (hosts resume again after a chunk
// load) also reserves the factor's full comb delay; without one, 8 and 16 run with the delay the
// last set-up reserved (4 x 44100 Hz) until the next set-up call.
TEST_F(StateTest, FactorLoadedWhileRunningSoundsFromTheNextBlock) {
  struct Case {
    int factor;
    bool resumeFirst;
    float combMaxDelay;
  };
  for (const Case& c :
       {Case{1, false, 16382.0f}, Case{4, false, 65534.0f}, Case{8, false, 65534.0f},
        Case{16, false, 65534.0f}, Case{8, true, 131070.0f}, Case{16, true, 262142.0f}}) {
    SCOPED_TRACE(testing::Message() << "x" << c.factor << (c.resumeFirst ? " resumed" : ""));
    auto norv = MakeNorv();
    norv->resume();
    ProcessSine(*norv);
    const std::string factor = std::to_string(c.factor);
    ASSERT_EQ(LoadChunk(*norv, "<root StateVersion=\"2.2\" Oversample=\"" + factor + "\"/>"), 1);
    EXPECT_NE(ChunkOf(*norv).find("Oversample=\"" + factor + "\""), std::string::npos);
    if (c.resumeFirst) norv->resume();
    EXPECT_GT(ProcessSine(*norv), 0.1f);
    EXPECT_EQ(norv->ActiveOversamplingFactor(), c.factor);
    EXPECT_EQ(norv->OversamplingFactor(), c.factor);
    EXPECT_EQ(norv->Engine().Slot(1).Filter().CombRight().MaxDelaySamples(), c.combMaxDelay);
    EXPECT_NE(ChunkOf(*norv).find("Oversample=\"" + factor + "\""), std::string::npos);
  }
}

// Without audio the load rebuilds at once, with the full delay range.
TEST_F(StateTest, FactorLoadedWhileSuspendedIsSetUpAtOnce) {
  ASSERT_EQ(LoadChunk(*norv_, "<root StateVersion=\"2.2\" Oversample=\"16\"/>"), 1);
  EXPECT_EQ(norv_->ActiveOversamplingFactor(), 16);
  EXPECT_FLOAT_EQ(norv_->Engine().ProcessingRateHz(), 16.0f * 44100.0f);
  EXPECT_EQ(norv_->Engine().Slot(0).Filter().CombLeft().MaxDelaySamples(), 262142.0f);
  norv_->resume();
  EXPECT_GT(ProcessSine(*norv_), 0.1f);
}

TEST_F(StateTest, PresetFileRoundTripCarriesTheFileName) {
  Edit(*norv_, MessageType::e_setFilterParameterImmediate, {kMix, 0, 0.45f});
  norv_->EditorIdle();
  for (int i = 0; i < Norv::kEditorIdleLimit + 1; ++i) norv_->EditorIdle();
  ASSERT_FLOAT_EQ(norv_->Engine().Base(kMix), 0.45f);
  const std::filesystem::path file = TemporaryFile("Bright Lead.tavo");
  ASSERT_TRUE(norv_->SerializeState(file, true));
  EXPECT_EQ(norv_->LastPresetName(), "Bright Lead");

  auto second = MakeNorv();
  ASSERT_TRUE(second->SerializeState(file, false));
  EXPECT_FLOAT_EQ(second->Engine().Base(kMix), 0.45f);
  EXPECT_EQ(second->LastPresetName(), "Bright Lead");
  EXPECT_FALSE(second->SerializeState(TemporaryFile("No such preset.tavo"), false));
  EXPECT_FLOAT_EQ(second->Engine().Base(kMix), 0.45f);
}

TEST_F(StateTest, NewInstanceLoadsTheDefaultPresetAndKeepsItsBindingLock) {
  DefaultPresetGuard guard;
  Edit(*norv_, MessageType::e_setFilterParameterImmediate, {kMix, 0, 0.35f});
  Edit(*norv_, MessageType::e_setFilterParameterImmediate, {kMix, 3, 0.5f});
  for (int i = 0; i < Norv::kEditorIdleLimit + 1; ++i) norv_->EditorIdle();
  const std::filesystem::path file = VApplication::Paths::GetDefaultPresetFile();
  ASSERT_TRUE(norv_->SerializeState(file, true));
  // Saving the default preset does not rename the sound.
  EXPECT_EQ(norv_->LastPresetName(), "Default");

  auto fresh = MakeNorv();
  EXPECT_FLOAT_EQ(fresh->Engine().Base(kMix), 0.35f);
  EXPECT_FLOAT_EQ(fresh->Engine().Depth(kMix, 3), 0.5f);
  EXPECT_FLOAT_EQ(fresh->getParameter(kMix), 0.35f);
  EXPECT_TRUE(fresh->Bindings().BindingsLocked());
}

TEST_F(StateTest, BindingsDocumentRoundTrip) {
  Binding binding;
  binding.SetPath("Synth");
  binding.SetName("Mix");
  Message prototype;
  prototype.SetType(MessageType::e_setFilterParameter);
  prototype.SetValue(0, kMix);
  binding.SetPrototype(prototype);
  ASSERT_TRUE(norv_->Bindings().AddMIDICCBinding(0, 7, binding));
  const std::filesystem::path file = TemporaryFile("Bindings.xml");
  ASSERT_TRUE(norv_->SerializeBindingMap(file, true));

  auto second = MakeNorv();
  EXPECT_FALSE(second->SerializeBindingMap(TemporaryFile("Missing bindings.xml"), false));
  ASSERT_TRUE(second->SerializeBindingMap(file, false));
  ASSERT_EQ(second->Bindings().ControllerBindingCount(0, 7), 1);
  EXPECT_STREQ(second->Bindings().ControllerBinding(0, 7, 0)->Name(), "Mix");
}

// Damaged chunks: garbage, cut documents, wrong roots, non-numbers and out-of-range numbers. A
// refused document changes nothing; an accepted one never leaves a value outside its range.
struct DamagedCase {
  const char* name;
  std::string document;
  bool accepted;
};

std::vector<DamagedCase> DamagedCorpus() {
  const std::string valid =
      "<root StateVersion=\"2.2\" Oversample=\"2\"><TimeInfo name=\"TimeInfo\" "
      "Tempo=\"133\"/>"
      "<NorvProcess name=\"Norv\" Mix_Actual=\"0.2\" F1Cutoff_LFO1=\"0.5\"/>"
      "<VString name=\"LastPresetName\" string=\"Cut\"/></root>";
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "<a>";
  std::vector<DamagedCase> corpus = {
      {"empty", "", false},
      {"garbage", "this is not a preset", false},
      {"binary", std::string("\x00\xff\xfe<root\x01", 7), false},
      {"cut in a tag", valid.substr(0, valid.size() / 2), false},
      {"cut before the end tag", valid.substr(0, valid.size() - 7), false},
      {"wrong root", "<state StateVersion=\"2.2\"/>", false},
      {"deep nesting", "<root StateVersion=\"2.2\">" + deep, false},
      {"version nan", "<root StateVersion=\"nan\"/>", false},
      {"version inf", "<root StateVersion=\"inf\"/>", false},
      {"version huge", "<root StateVersion=\"1e999\"/>", false},
      {"version text", "<root StateVersion=\"two\"/>", false},
      {"NUL inside", std::string("<root StateVersion=\"2.2\"\0/>", 28), false},
      {"non-numbers in values",
       "<root StateVersion=\"2.2\" Oversample=\"nan\"><TimeInfo "
       "name=\"TimeInfo\" Tempo=\"nan\" "
       "TSN=\"-4\" TSD=\"x\"/><NorvProcess name=\"Norv\" LinkOffset=\"inf\" "
       "C0Value=\"nan\" "
       "Mix_Actual=\"nan\" F1Cutoff_Actual=\"1e300\" F1Cutoff_LFO1=\"-1e39\" "
       "Gain_Actual=\"7\" "
       "Comp_Actual=\"-3\" Polar_LFO1=\"maybe\"/></root>",
       true},
      {"tempo out of range",
       "<root StateVersion=\"2.2\"><TimeInfo name=\"TimeInfo\" "
       "Tempo=\"100000\"/></root>",
       true},
      {"objects of the wrong class",
       "<root StateVersion=\"2.2\"><TimeInfo name=\"Norv\" Mix_Actual=\"0.3\"/>"
       "<Other name=\"TimeInfo\"/></root>",
       true},
      {"valid", valid, true},
  };
  return corpus;
}

void ExpectSaneEngine(Norv& norv) {
  NorvProcess& engine = norv.Engine();
  for (int32_t p = 0; p < NorvProcess::kNumParameters; ++p) {
    EXPECT_GE(engine.Base(p), 0.0f) << p;
    EXPECT_LE(engine.Base(p), 1.0f) << p;
    EXPECT_GE(norv.getParameter(p), 0.0f) << p;
    EXPECT_LE(norv.getParameter(p), 1.0f) << p;
    for (int32_t c = 1; c < NorvProcess::kNumColumns; ++c) {
      EXPECT_TRUE(std::isfinite(engine.Depth(p, c))) << p << "/" << c;
    }
  }
  EXPECT_TRUE(std::isfinite(engine.LinkOffset()));
  EXPECT_TRUE(std::isfinite(norv.Time().Tempo()));
  EXPECT_GE(norv.Time().Tempo(), TimeInfo::kMinTempo);
  EXPECT_LT(norv.Time().Tempo(), TimeInfo::kMaxTempo);
  EXPECT_GE(norv.OversamplingFactor(), 1);
  EXPECT_LE(norv.OversamplingFactor(), 16);
}

TEST_F(StateTest, DamagedChunksNeverCrashAndRefusedOnesChangeNothing) {
  norv_->resume();
  ASSERT_EQ(LoadChunk(*norv_,
                      "<root StateVersion=\"2.2\"><NorvProcess name=\"Norv\" "
                      "Mix_Actual=\"0.7\"/>"
                      "<VString name=\"LastPresetName\" string=\"Kept\"/></root>"),
            1);
  Process(*norv_);
  for (const DamagedCase& c : DamagedCorpus()) {
    SCOPED_TRACE(c.name);
    const std::string before = ChunkOf(*norv_);
    EXPECT_EQ(LoadChunk(*norv_, c.document), c.accepted ? 1 : 0);
    Process(*norv_);
    if (!c.accepted) {
      EXPECT_EQ(ChunkOf(*norv_), before);
    }
    ExpectSaneEngine(*norv_);
    // Whatever was loaded can be written and read back.
    auto second = MakeNorv();
    EXPECT_EQ(LoadChunk(*second, ChunkOf(*norv_)), 1);
    EXPECT_EQ(ChunkOf(*second), ChunkOf(*norv_));
  }
  // Rejected files behave the same way.
  const std::filesystem::path file = TemporaryFile("Damaged.tavo");
  std::ofstream(file, std::ios::binary) << "<root StateVersion=\"1.0\"/>";
  const std::string before = ChunkOf(*norv_);
  EXPECT_FALSE(norv_->SerializeState(file, false));
  EXPECT_EQ(ChunkOf(*norv_), before);
}

TEST_F(StateTest, NullOrEmptyChunkIsRefused) {
  const std::string before = ChunkOf(*norv_);
  EXPECT_EQ(norv_->setChunk(nullptr, 100, false), 0);
  char byte = '<';
  EXPECT_EQ(norv_->setChunk(&byte, 0, false), 0);
  EXPECT_EQ(norv_->setChunk(&byte, -5, false), 0);
  EXPECT_EQ(ChunkOf(*norv_), before);
}

// The engine element alone: only values away from their defaults are written, and reading fills the
// rest with defaults.
TEST(StateDocumentTest, EngineElementWritesOnlyWhatDiffersFromTheDefaults) {
  EngineState state = StateDocument::DefaultEngineState();
  state.rows[kMix][0] += 5e-7f;     // too close to the default to store
  state.rows[kMix][2] = 5e-7f;      // too small a depth to store
  state.rows[kLFO1Rate][0] = 0.0f;  // away from the default 0.5
  state.rows[kF1Cutoff][3] = -0.25f;
  state.unipolar[11] = 0;
  VFoundation::XmlDocument document;
  document.CreateNew("root");
  StateDocument::WriteEngineState(document.Root(), state);
  EXPECT_EQ(document.Print(),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
            "<root Ver=\"2.1\" LinkOffset=\"0\" C0Value=\"0\" C1Value=\"0\" "
            "Polar_C2=\"false\" "
            "LFO1Rate_Actual=\"0\" F1Cutoff_LFO2=\"-0.25\" />\n");
  EngineState read;
  StateDocument::ReadEngineState(document.Root(), read);
  EXPECT_EQ(read.unipolar[11], 0);
  EXPECT_EQ(read.unipolar[10], 1);
  EXPECT_FLOAT_EQ(read.rows[kLFO1Rate][0], 0.0f);
  EXPECT_FLOAT_EQ(read.rows[kF1Cutoff][3], -0.25f);
  EXPECT_FLOAT_EQ(read.rows[kMix][0], ParameterTable::GetParameterDefaultValue(kMix));
  EXPECT_FLOAT_EQ(read.rows[kMix][2], 0.0f);
}

// Two loads before the audio thread takes either: the second one's missing parts are the first
// one's values, whether the second reaches the engine through a block or at once after a suspend.
TEST_F(StateTest, LoadsBeforeTheNextBlockTakeEffectInOrder) {
  const std::string first =
      "<root StateVersion=\"2.2\" Oversample=\"4\">"
      "<TimeInfo name=\"TimeInfo\" Tempo=\"90\" TSN=\"3\" TSD=\"4\"/>"
      "<NorvProcess name=\"Norv\" Mix_Actual=\"0.25\"/></root>";
  const std::string second =
      "<root StateVersion=\"2.2\"><VString name=\"LastPresetName\" "
      "string=\"Second\"/></root>";
  for (const bool suspendBetween : {false, true}) {
    SCOPED_TRACE(suspendBetween ? "suspended before the second load" : "running throughout");
    auto norv = MakeNorv();
    norv->resume();
    Process(*norv);
    ASSERT_EQ(LoadChunk(*norv, first), 1);
    if (suspendBetween) norv->suspend();
    ASSERT_EQ(LoadChunk(*norv, second), 1);
    norv->resume();
    Process(*norv);
    EXPECT_EQ(norv->OversamplingFactor(), 4);
    EXPECT_DOUBLE_EQ(norv->Time().Tempo(), 90.0);
    EXPECT_EQ(norv->Time().TimeSigNumerator(), 3);
    EXPECT_FLOAT_EQ(norv->Engine().Base(kMix), 0.25f);
    const std::string chunk = ChunkOf(*norv);
    EXPECT_NE(chunk.find("Mix_Actual=\"0.25\""), std::string::npos);
    EXPECT_NE(chunk.find("string=\"Second\""), std::string::npos);
  }
}

// A chunk taken while audio runs holds what the last block did: here a note that picks LFO 1's
// tempo division, which the engine takes inside the block.
TEST_F(StateTest, ChunkWhileRunningShowsTheLastProcessedBlock) {
  norv_->resume();
  Process(*norv_);
  const std::string before = ChunkOf(*norv_);
  MidiEventList notes({{10, 0x90, 5 + 7, 100}});
  ASSERT_EQ(norv_->processEvents(notes.Events()), 1);
  Process(*norv_);
  ASSERT_FLOAT_EQ(norv_->Engine().Base(kLFO1Rate), DivisionIndexToValue(7));
  auto copy = MakeNorv();
  ASSERT_EQ(LoadChunk(*copy, ChunkOf(*norv_)), 1);
  EXPECT_FLOAT_EQ(copy->Engine().Base(kLFO1Rate), DivisionIndexToValue(7));
  EXPECT_FLOAT_EQ(copy->Engine().Base(ParameterTable::kLFO1Sync), 1.0f);
  EXPECT_NE(ChunkOf(*norv_), before);
}

// Hosts show the program name: the loaded or saved preset's, and one the host gives it.
TEST_F(StateTest, ProgramNameIsThePresetName) {
  char name[vst::kVstMaxProgNameLen] = {};
  norv_->getProgramName(name);
  EXPECT_STREQ(name, "Default");
  ASSERT_EQ(LoadChunk(*norv_,
                      "<root StateVersion=\"2.2\"><VString name=\"LastPresetName\" "
                      "string=\"Warm Pad\"/></root>"),
            1);
  norv_->getProgramName(name);
  EXPECT_STREQ(name, "Warm Pad");
  // A name longer than the host's field is cut, never written past it.
  norv_->setProgramName("A Very Long Program Name Indeed");
  std::memset(name, 'x', sizeof name);
  norv_->getProgramName(name);
  EXPECT_EQ(std::strlen(name), static_cast<size_t>(vst::kVstMaxProgNameLen - 1));
  EXPECT_NE(ChunkOf(*norv_).find(">A Very Long Program Nam<"), std::string::npos);
}

}  // namespace
