// tavo-render: the rendered file equals driving the plug-in directly, formats
// and MIDI timing come through, and every bad invocation ends with a message
// and its exit code.
#include <gtest/gtest.h>
#include <smf.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "Common/VSTi/VstAbi.h"
#include "kit/Measure.h"
#include "support/DynamicLibrary.h"
#include "tools/render/AudioFile.h"
#include "tools/render/MidiSchedule.h"
#include "tools/render/PluginHost.h"
#include "tools/render/Renderer.h"

namespace tavo::render {
namespace {

namespace fs = std::filesystem;

// Below the per-process temporary root that test_main sets up and removes.
fs::path WorkDir() {
  const char* root = std::getenv("TAVO_USER_ROOT");
  fs::path dir = fs::path(root != nullptr ? root : fs::temp_directory_path().c_str()) / "render";
  fs::create_directories(dir);
  return dir;
}

RenderEnvironment TestEnvironment() {
  // Held for the whole program, as a host keeps a plug-in loaded: each render then opens and
  // closes instances without mapping the library anew.
  static VFoundation::DynamicLibrary pinned;
  if (!pinned.IsOpen()) {
    EXPECT_TRUE(pinned.Open(TAVO_PLUGIN_FILE)) << pinned.Error();
  }
  RenderEnvironment environment;
  environment.executableDir = fs::path(TAVO_PLUGIN_FILE).parent_path();
  return environment;
}

struct RunResult {
  int code = 0;
  std::string out;
  std::string err;
};

RunResult RunTool(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  RunResult result;
  result.code = RunRender(args, TestEnvironment(), out, err);
  result.out = out.str();
  result.err = err.str();
  return result;
}

// A stereo test signal: a different sine on each side plus a little
// deterministic noise.
void WriteTestInput(const fs::path& path, int frames, int channels, int format, int rate) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  std::vector<float> samples(static_cast<size_t>(frames * channels));
  uint32_t noise = 12345;
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      noise = noise * 1664525u + 1013904223u;
      const double dither = (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.05;
      samples[static_cast<size_t>(i * channels + c)] =
          static_cast<float>(0.5 * std::sin(0.03 * (c + 1) * i) + dither);
    }
  }
  sf_writef_float(file, samples.data(), frames);
  sf_close(file);
}

// The plug-in driven as a minimal host would, without any of the renderer's
// code.
vst::VstTimeInfo gDirectTime{};

vst::VstIntPtr DirectCallback(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32, vst::VstIntPtr,
                              void*, float) {
  switch (opcode) {
    case vst::audioMasterVersion:
      return 2400;
    case vst::audioMasterGetTime:
      return reinterpret_cast<vst::VstIntPtr>(&gDirectTime);
    case vst::audioMasterGetCurrentProcessLevel:
      return vst::kVstProcessLevelOffline;
    default:
      return 0;
  }
}

std::vector<std::vector<float>> RenderDirectly(const StereoAudio& input, int block,
                                               int settleFrames, int tailFrames,
                                               const std::vector<std::pair<int, float>>& settings,
                                               double tempo) {
  VFoundation::DynamicLibrary library;
  EXPECT_TRUE(library.Open(TAVO_PLUGIN_FILE)) << library.Error();
  using Entry = vst::AEffect* (*)(vst::HostCallback);
  auto entry = reinterpret_cast<Entry>(library.Symbol("VSTPluginMain"));
  EXPECT_NE(entry, nullptr);
  if (entry == nullptr) return {};
  vst::AEffect* effect = entry(DirectCallback);
  const double rate = input.sampleRate;
  effect->dispatcher(effect, vst::effOpen, 0, 0, nullptr, 0.0f);
  effect->dispatcher(effect, vst::effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
  effect->dispatcher(effect, vst::effSetBlockSize, 0, block, nullptr, 0.0f);
  effect->dispatcher(effect, vst::effMainsChanged, 0, 1, nullptr, 0.0f);
  effect->dispatcher(effect, vst::effStartProcess, 0, 0, nullptr, 0.0f);
  for (const auto& [index, value] : settings) effect->setParameter(effect, index, value);

  // The renderer's settling: silence with the transport stopped at the start, output dropped.
  {
    std::vector<float> silence(static_cast<size_t>(block), 0.0f);
    std::vector<float> dropped(static_cast<size_t>(block));
    float* in[4] = {silence.data(), silence.data(), silence.data(), silence.data()};
    float* out[2] = {dropped.data(), dropped.data()};
    gDirectTime = vst::VstTimeInfo{};
    gDirectTime.sampleRate = rate;
    gDirectTime.tempo = 120.0;
    gDirectTime.timeSigNumerator = 4;
    gDirectTime.timeSigDenominator = 4;
    gDirectTime.flags =
        vst::kVstPpqPosValid | vst::kVstTempoValid | vst::kVstTimeSigValid | vst::kVstBarsValid;
    for (int done = 0; done < settleFrames; done += block) {
      effect->processReplacing(effect, in, out, std::min(block, settleFrames - done));
    }
  }
  const int total = static_cast<int>(input.Frames()) + tailFrames;
  std::vector<std::vector<float>> result(2, std::vector<float>(static_cast<size_t>(total)));
  std::vector<std::vector<float>> in(4, std::vector<float>(static_cast<size_t>(block)));
  std::vector<std::vector<float>> out(2, std::vector<float>(static_cast<size_t>(block)));
  for (int start = 0; start < total; start += block) {
    const int frames = std::min(block, total - start);
    for (int i = 0; i < frames; ++i) {
      const bool inside = start + i < input.Frames();
      in[0][static_cast<size_t>(i)] = inside ? input.left[static_cast<size_t>(start + i)] : 0.0f;
      in[1][static_cast<size_t>(i)] = inside ? input.right[static_cast<size_t>(start + i)] : 0.0f;
    }
    gDirectTime = vst::VstTimeInfo{};
    gDirectTime.samplePos = start;
    gDirectTime.sampleRate = rate;
    gDirectTime.tempo = tempo;
    gDirectTime.ppqPos = start / rate * tempo / 60.0;
    gDirectTime.barStartPos = std::floor(gDirectTime.ppqPos / 4.0) * 4.0;
    gDirectTime.timeSigNumerator = 4;
    gDirectTime.timeSigDenominator = 4;
    gDirectTime.flags = vst::kVstTransportPlaying | vst::kVstPpqPosValid | vst::kVstTempoValid |
                        vst::kVstTimeSigValid | vst::kVstBarsValid;
    float* inPointers[4] = {in[0].data(), in[1].data(), in[2].data(), in[3].data()};
    float* outPointers[2] = {out[0].data(), out[1].data()};
    effect->processReplacing(effect, inPointers, outPointers, frames);
    for (int c = 0; c < 2; ++c) {
      std::copy_n(out[static_cast<size_t>(c)].begin(), frames,
                  result[static_cast<size_t>(c)].begin() + start);
    }
  }
  effect->dispatcher(effect, vst::effStopProcess, 0, 0, nullptr, 0.0f);
  effect->dispatcher(effect, vst::effMainsChanged, 0, 0, nullptr, 0.0f);
  effect->dispatcher(effect, vst::effClose, 0, 0, nullptr, 0.0f);
  return result;
}

TEST(Render, OutputEqualsDrivingThePluginDirectly) {
  const fs::path input = WorkDir() / "direct-in.wav";
  const fs::path output = WorkDir() / "direct-out.wav";
  // 1300 frames at block 256 end in a partial block; the tail adds 441 frames
  // of silence.
  WriteTestInput(input, 1300, 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100);
  const RunResult run =
      RunTool({"--block", "256", "--tail", "0.01", "--tempo", "128", "--set", "F1Cutoff=0.3",
               "--set", "28=0.7", "--plugin", TAVO_PLUGIN_FILE, input.string(), output.string()});
  ASSERT_EQ(run.code, kExitOk) << run.err;
  EXPECT_NE(run.out.find("input peak"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("real time"), std::string::npos) << run.out;

  StereoAudio source;
  StereoAudio rendered;
  std::string error;
  ASSERT_TRUE(ReadStereoAudio(input, source, error)) << error;
  ASSERT_TRUE(ReadStereoAudio(output, rendered, error)) << error;
  const auto expected = RenderDirectly(source, 256, 22050, 441, {{34, 0.3f}, {28, 0.7f}}, 128.0);
  ASSERT_EQ(expected.size(), 2u);
  ASSERT_EQ(rendered.Frames(), 1300 + 441);
  EXPECT_EQ(rendered.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  EXPECT_EQ(rendered.channels, 2);
  int mismatches = 0;
  for (size_t i = 0; i < rendered.left.size(); ++i) {
    mismatches += rendered.left[i] != expected[0][i] || rendered.right[i] != expected[1][i];
  }
  EXPECT_EQ(mismatches, 0);
}

double RmsOfFirst(const StereoAudio& audio, size_t frames) {
  return TestKit::Rms(std::span(audio.left).first(frames));
}

// A 5 kHz tone through a low pass set near 100 Hz: without settling the filter starts fully
// open and glides down audibly; settled, the tone is gone from the first sample on.
TEST(Render, SettlingLetsSetValuesArriveBeforeTheInput) {
  const fs::path input = WorkDir() / "settle-in.wav";
  {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(input.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    std::vector<float> tone(4096);
    for (size_t i = 0; i < tone.size(); ++i) {
      tone[i] = static_cast<float>(0.5 * std::sin(2.0 * 3.14159265358979 * 5000.0 * i / 44100.0));
    }
    sf_writef_float(file, tone.data(), static_cast<sf_count_t>(tone.size()));
    sf_close(file);
  }
  double rms[2] = {0.0, 0.0};
  const char* settle[2] = {"0", "0.5"};
  for (int run = 0; run < 2; ++run) {
    const fs::path output = WorkDir() / ("settle-out" + std::to_string(run) + ".wav");
    const RunResult result = RunTool({"--settle", settle[run], "--set", "F1Cutoff=0.25", "--set",
                                      "F2Active=0", input.string(), output.string()});
    ASSERT_EQ(result.code, kExitOk) << result.err;
    StereoAudio rendered;
    std::string error;
    ASSERT_TRUE(ReadStereoAudio(output, rendered, error)) << error;
    rms[run] = RmsOfFirst(rendered, 2048);
  }
  EXPECT_GT(rms[0], 0.01);
  EXPECT_LT(rms[1], rms[0] * 0.1);
}

TEST(Render, MonoFlacBecomesStereoFlacAtTheInputsRate) {
  const fs::path input = WorkDir() / "mono.flac";
  const fs::path output = WorkDir() / "mono-out.flac";
  WriteTestInput(input, 4800, 1, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000);
  const RunResult run = RunTool({"--tail", "0.5", input.string(), output.string()});
  ASSERT_EQ(run.code, kExitOk) << run.err;
  StereoAudio rendered;
  std::string error;
  ASSERT_TRUE(ReadStereoAudio(output, rendered, error)) << error;
  EXPECT_EQ(rendered.sampleRate, 48000);
  EXPECT_EQ(rendered.channels, 2);
  EXPECT_EQ(rendered.format, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
  EXPECT_EQ(rendered.Frames(), 4800 + 24000);
}

TEST(Render, OutputExtensionChoosesTheContainer) {
  const int wavFloat = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  EXPECT_EQ(OutputFormatFor("out.wav", wavFloat), wavFloat);
  EXPECT_EQ(OutputFormatFor("out.raw", wavFloat), wavFloat);
  EXPECT_EQ(OutputFormatFor("out.AIFF", SF_FORMAT_WAV | SF_FORMAT_PCM_24),
            SF_FORMAT_AIFF | SF_FORMAT_PCM_24);
  // FLAC holds no float samples.
  EXPECT_EQ(OutputFormatFor("out.flac", wavFloat), SF_FORMAT_FLAC | SF_FORMAT_PCM_24);
}

struct ErrorCase {
  const char* name;
  std::vector<std::string> args;  // "IN", "OUT", "TEXT" and "PLUGIN" are replaced by real paths
  int code;
  const char* message;
};

class RenderErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(RenderErrors, EndWithAMessageAndTheExitCode) {
  const fs::path dir = WorkDir() / GetParam().name;
  fs::create_directories(dir / "sub");
  const fs::path input = dir / "in.wav";
  const fs::path output = dir / "out.wav";
  WriteTestInput(input, 512, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100);
  std::ofstream(dir / "text.wav") << "not a sound file\n";
  std::vector<std::string> args;
  for (const std::string& arg : GetParam().args) {
    if (arg == "IN") {
      args.push_back(input.string());
    } else if (arg == "OUT") {
      args.push_back(output.string());
    } else if (arg == "TEXT") {
      args.push_back((dir / "text.wav").string());
    } else if (arg == "IN_VIA_SUB") {
      args.push_back((dir / "sub" / ".." / "in.wav").string());
    } else {
      args.push_back(arg);
    }
  }
  const auto inputBytes = fs::file_size(input);
  const auto inputTime = fs::last_write_time(input);
  const RunResult run = RunTool(args);
  EXPECT_EQ(run.code, GetParam().code) << run.err;
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(output));
  EXPECT_EQ(fs::file_size(input), inputBytes);
  EXPECT_EQ(fs::last_write_time(input), inputTime);
}

INSTANTIATE_TEST_SUITE_P(
    Render, RenderErrors,
    testing::Values(
        ErrorCase{"MissingInput", {"nothere.wav", "OUT"}, kExitInputFile, "file not found"},
        ErrorCase{"UnreadableInput", {"TEXT", "OUT"}, kExitInputFile, "cannot read"},
        ErrorCase{"MissingMidi",
                  {"--midi", "nothere.mid", "IN", "OUT"},
                  kExitInputFile,
                  "file not found"},
        ErrorCase{"MidiNotMidi", {"--midi", "TEXT", "IN", "OUT"}, kExitInputFile, "cannot read"},
        ErrorCase{"MissingPreset",
                  {"--preset", "nothere.tavo", "IN", "OUT"},
                  kExitInputFile,
                  "file not found"},
        ErrorCase{"MissingSidechain",
                  {"--sidechain", "nothere.wav", "IN", "OUT"},
                  kExitInputFile,
                  "file not found"},
        ErrorCase{"UnknownKey",
                  {"--set", "F9Cutoff=0.5", "IN", "OUT"},
                  kExitUsage,
                  "unknown parameter key \"F9Cutoff\""},
        ErrorCase{
            "ValueAboveRange", {"--set", "F1Cutoff=1.5", "IN", "OUT"}, kExitUsage, "out of range"},
        ErrorCase{
            "ValueBelowRange", {"--set=F1Cutoff=-0.1", "IN", "OUT"}, kExitUsage, "out of range"},
        ErrorCase{"IndexOutOfRange", {"--set", "62=0.5", "IN", "OUT"}, kExitUsage, "out of range"},
        ErrorCase{
            "ValueNotANumber", {"--set", "F1Cutoff=half", "IN", "OUT"}, kExitUsage, "not a number"},
        ErrorCase{"NoEquals", {"--set", "F1Cutoff", "IN", "OUT"}, kExitUsage, "KEY=VALUE"},
        ErrorCase{"UnknownOption",
                  {"--oversample", "2", "IN", "OUT"},
                  kExitUsage,
                  "unknown option --oversample"},
        ErrorCase{"BadBlock", {"--block", "0", "IN", "OUT"}, kExitUsage, "--block"},
        ErrorCase{"BadTempo", {"--tempo", "fast", "IN", "OUT"}, kExitUsage, "--tempo"},
        ErrorCase{"NegativeTail", {"--tail", "-1", "IN", "OUT"}, kExitUsage, "--tail"},
        ErrorCase{"LongSettle", {"--settle", "61", "IN", "OUT"}, kExitUsage, "--settle"},
        ErrorCase{"MissingValue", {"IN", "OUT", "--set"}, kExitUsage, "needs a value"},
        ErrorCase{"NoOutput", {"IN"}, kExitUsage, "OUTPUT"},
        ErrorCase{"PluginMissing",
                  {"--plugin", "nothere.so", "IN", "OUT"},
                  kExitPlugin,
                  "plug-in not found"},
        ErrorCase{"PluginNotALibrary",
                  {"--plugin", "TEXT", "IN", "OUT"},
                  kExitPlugin,
                  "cannot load plug-in"},
        ErrorCase{"OutputIsInput", {"IN", "IN"}, kExitInputFile, "refusing to overwrite"},
        ErrorCase{"OutputIsInputByAnotherName",
                  {"IN", "IN_VIA_SUB"},
                  kExitInputFile,
                  "refusing to overwrite"},
        ErrorCase{"OutputIsSidechain",
                  {"--sidechain", "OUT", "IN", "OUT"},
                  kExitInputFile,
                  "refusing to overwrite"}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return std::string(info.param.name); });

TEST(Render, SidechainAtAnotherRateIsRefused) {
  const fs::path input = WorkDir() / "rate-in.wav";
  const fs::path sidechain = WorkDir() / "rate-sc.wav";
  WriteTestInput(input, 512, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100);
  WriteTestInput(sidechain, 512, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 48000);
  const RunResult run = RunTool(
      {"--sidechain", sidechain.string(), input.string(), (WorkDir() / "rate-out.wav").string()});
  EXPECT_EQ(run.code, kExitInputFile);
  EXPECT_NE(run.err.find("48000 Hz"), std::string::npos) << run.err;
}

TEST(Render, MidiFileEventsLandOnTheirSamples) {
  const fs::path path = WorkDir() / "notes.mid";
  smf_t* smf = smf_new();
  smf_track_t* track = smf_track_new();
  smf_add_track(smf, track);
  smf_track_add_event_seconds(track, smf_event_new_from_bytes(0x90, 60, 100), 0.0);
  smf_track_add_event_seconds(track, smf_event_new_from_bytes(0x92, 64, 90), 0.25);
  smf_track_add_event_seconds(track, smf_event_new_from_bytes(0xBF, 74, 33), 0.5);
  smf_track_add_event_seconds(track, smf_event_new_from_bytes(0xC1, 5, -1), 0.75);
  ASSERT_EQ(smf_save(smf, path.c_str()), 0);
  smf_delete(smf);

  std::vector<TimedMidiEvent> events;
  std::string error;
  ASSERT_TRUE(ReadMidiFile(path, 44100, events, error)) << error;
  ASSERT_EQ(events.size(), 4u);
  const int64_t frames[] = {0, 11025, 22050, 33075};
  const uint8_t bytes[4][3] = {{0x90, 60, 100}, {0x92, 64, 90}, {0xBF, 74, 33}, {0xC1, 5, 0}};
  for (size_t i = 0; i < 4; ++i) {
    // The file stores ticks: a tick at 120 BPM and 96 ppqn is 230 samples.
    EXPECT_NEAR(static_cast<double>(events[i].frame), static_cast<double>(frames[i]), 230.0);
    for (int b = 0; b < 3; ++b) EXPECT_EQ(events[i].bytes[b], bytes[i][b]) << i;
  }

  // The whole program takes the file together with a sidechain.
  const fs::path input = WorkDir() / "midi-in.wav";
  const fs::path output = WorkDir() / "midi-out.wav";
  WriteTestInput(input, 44100, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100);
  const RunResult run = RunTool(
      {"--midi", path.string(), "--sidechain", input.string(), input.string(), output.string()});
  EXPECT_EQ(run.code, kExitOk) << run.err;
  EXPECT_TRUE(fs::exists(output));
}

TEST(Render, ScheduleGivesEachBlockItsEventsWithDeltaFrames) {
  std::vector<TimedMidiEvent> events(4);
  const int64_t frames[] = {0, 255, 256, 700};
  for (size_t i = 0; i < 4; ++i) {
    events[i].frame = frames[i];
    events[i].bytes[0] = static_cast<uint8_t>(0x90 + i);
  }
  MidiSchedule schedule(events);
  struct Expected {
    int64_t start;
    std::vector<int> deltas;
    std::vector<int> status;
  };
  const Expected blocks[] = {
      {0, {0, 255}, {0x90, 0x91}}, {256, {0}, {0x92}}, {512, {188}, {0x93}}, {768, {}, {}}};
  for (const Expected& block : blocks) {
    vst::VstEvents* list = schedule.EventsForBlock(block.start, 256);
    const int count = list != nullptr ? list->numEvents : 0;
    ASSERT_EQ(count, static_cast<int>(block.deltas.size())) << block.start;
    for (int i = 0; i < count; ++i) {
      const auto* event = reinterpret_cast<const vst::VstMidiEvent*>(list->events[i]);
      EXPECT_EQ(event->type, vst::kVstMidiType);
      EXPECT_EQ(event->byteSize, static_cast<int>(sizeof(vst::VstMidiEvent)));
      EXPECT_EQ(event->deltaFrames, block.deltas[static_cast<size_t>(i)]);
      EXPECT_EQ(static_cast<uint8_t>(event->midiData[0]), block.status[static_cast<size_t>(i)]);
    }
  }
}

TEST(Render, TransportPlaysOnlyWithATempo) {
  const vst::VstTimeInfo playing = MakeTimeInfo(44100.0 * 2.5, 44100.0, 120.0);
  EXPECT_DOUBLE_EQ(playing.ppqPos, 5.0);
  EXPECT_DOUBLE_EQ(playing.barStartPos, 4.0);
  EXPECT_DOUBLE_EQ(playing.tempo, 120.0);
  EXPECT_EQ(playing.timeSigNumerator, 4);
  EXPECT_EQ(playing.timeSigDenominator, 4);
  const vst::VstInt32 valid = vst::kVstPpqPosValid | vst::kVstTempoValid | vst::kVstTimeSigValid;
  EXPECT_EQ(playing.flags & valid, valid);
  EXPECT_NE(playing.flags & vst::kVstTransportPlaying, 0);

  const vst::VstTimeInfo fast = MakeTimeInfo(48000.0, 48000.0, 90.0);
  EXPECT_DOUBLE_EQ(fast.ppqPos, 1.5);
  EXPECT_DOUBLE_EQ(fast.sampleRate, 48000.0);

  const vst::VstTimeInfo stopped = MakeTimeInfo(0.0, 44100.0, std::nullopt);
  EXPECT_EQ(stopped.flags & vst::kVstTransportPlaying, 0);
  EXPECT_DOUBLE_EQ(stopped.tempo, 120.0);
}

TEST(Render, DefaultPluginIsBesideTheProgramOrInItsParent) {
  RenderEnvironment environment;
  environment.executableDir = fs::path(TAVO_PLUGIN_FILE).parent_path();
  EXPECT_EQ(DefaultPluginPath(environment), fs::path(TAVO_PLUGIN_FILE));
  environment.executableDir = fs::path(TAVO_PLUGIN_FILE).parent_path() / "tools";
  EXPECT_EQ(DefaultPluginPath(environment), fs::path(TAVO_PLUGIN_FILE));
  environment.pluginFromEnvironment = "/elsewhere/Tavo.so";
  EXPECT_EQ(DefaultPluginPath(environment), fs::path("/elsewhere/Tavo.so"));
}

}  // namespace
}  // namespace tavo::render
