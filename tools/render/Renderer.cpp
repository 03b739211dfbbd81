// tavo-render: renders a sound file through the plug-in library, as a host would in offline
// mode, and reports levels and speed.
#include "tools/render/Renderer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

#include "tools/render/AudioFile.h"
#include "tools/render/MidiSchedule.h"
#include "tools/render/PluginHost.h"
#include "tools/render/RenderOptions.h"

namespace tavo::render {
namespace {

struct Levels {
  double peak = 0.0;
  double rms = 0.0;
};

Levels MeasureLevels(const std::vector<float>& left, const std::vector<float>& right) {
  Levels levels;
  double sumSquares = 0.0;
  for (const std::vector<float>* channel : {&left, &right}) {
    for (float sample : *channel) {
      const double magnitude = std::fabs(static_cast<double>(sample));
      levels.peak = std::max(levels.peak, magnitude);
      sumSquares += magnitude * magnitude;
    }
  }
  const size_t count = left.size() + right.size();
  levels.rms = count > 0 ? std::sqrt(sumSquares / static_cast<double>(count)) : 0.0;
  return levels;
}

std::string Decibels(double level) {
  if (level <= 0.0) return "-inf dBFS";
  char text[32];
  std::snprintf(text, sizeof text, "%+.1f dBFS", 20.0 * std::log10(level));
  return text;
}

// True when both names lead to one file, through "..", symbolic links or hard links.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code code;
  if (std::filesystem::equivalent(a, b, code)) return true;
  const auto canonicalA = std::filesystem::weakly_canonical(a, code);
  if (code) return false;
  const auto canonicalB = std::filesystem::weakly_canonical(b, code);
  return !code && canonicalA == canonicalB;
}

bool ReadWholeFile(const std::filesystem::path& path, std::vector<char>& data, std::string& error) {
  std::error_code code;
  if (!std::filesystem::is_regular_file(path, code)) {
    error = "file not found: " + path.string();
    return false;
  }
  std::ifstream stream(path, std::ios::binary);
  data.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
  if (!stream.good() && !stream.eof()) {
    error = "cannot read " + path.string();
    return false;
  }
  if (data.empty()) {
    error = "preset file is empty: " + path.string();
    return false;
  }
  return true;
}

// Silence, NaN or infinity must not reach a PCM file as garbage; the count is reported.
size_t ReplaceNonFinite(std::vector<float>& samples) {
  size_t replaced = 0;
  for (float& sample : samples) {
    if (!std::isfinite(sample)) {
      sample = 0.0f;
      ++replaced;
    }
  }
  return replaced;
}

class ProgressBar {
 public:
  ProgressBar(std::ostream& err, bool enabled, int64_t total)
      : err_(err), enabled_(enabled), total_(std::max<int64_t>(total, 1)) {}

  void Update(int64_t done) {
    if (!enabled_) return;
    const int percent = static_cast<int>(100 * std::min(done, total_) / total_);
    if (percent == lastPercent_) return;
    lastPercent_ = percent;
    constexpr int kWidth = 40;
    const int filled = percent * kWidth / 100;
    err_ << "\r[" << std::string(static_cast<size_t>(filled), '#')
         << std::string(static_cast<size_t>(kWidth - filled), ' ') << "] " << percent << "%"
         << std::flush;
  }
  void Finish() {
    if (enabled_ && lastPercent_ >= 0) err_ << "\r" << std::string(48, ' ') << "\r" << std::flush;
  }

 private:
  std::ostream& err_;
  bool enabled_;
  int64_t total_;
  int lastPercent_ = -1;
};

struct RenderInputs {
  StereoAudio main;
  StereoAudio sidechain;
  std::vector<TimedMidiEvent> midi;
  std::vector<char> preset;
};

int LoadInputs(const RenderOptions& options, RenderInputs& inputs, std::string& error) {
  if (!ReadStereoAudio(options.input, inputs.main, error)) return kExitInputFile;
  for (const std::filesystem::path* file :
       {&options.input, &options.sidechain, &options.midi, &options.preset}) {
    if (!file->empty() && SameFile(options.output, *file)) {
      error = "refusing to overwrite " + file->string() + ": OUTPUT is one of the input files";
      return kExitInputFile;
    }
  }
  if (!options.sidechain.empty()) {
    if (!ReadStereoAudio(options.sidechain, inputs.sidechain, error)) return kExitInputFile;
    if (inputs.sidechain.sampleRate != inputs.main.sampleRate) {
      error = "sidechain " + options.sidechain.string() + " runs at " +
              std::to_string(inputs.sidechain.sampleRate) + " Hz, the input at " +
              std::to_string(inputs.main.sampleRate) + " Hz";
      return kExitInputFile;
    }
  }
  if (!options.midi.empty() &&
      !ReadMidiFile(options.midi, inputs.main.sampleRate, inputs.midi, error)) {
    return kExitInputFile;
  }
  if (!options.preset.empty() && !ReadWholeFile(options.preset, inputs.preset, error)) {
    return kExitInputFile;
  }
  return kExitOk;
}

void CopyBlock(const std::vector<float>& source, int64_t start, int32_t frames, float* target) {
  const int64_t available =
      std::clamp<int64_t>(static_cast<int64_t>(source.size()) - start, 0, frames);
  if (available > 0) std::copy_n(source.begin() + start, available, target);
  std::fill(target + available, target + frames, 0.0f);
}

// Runs the plug-in over the input and the tail; returns the output channels.
void RenderBlocks(PluginHost& host, const RenderOptions& options, const RenderInputs& inputs,
                  int64_t totalFrames, ProgressBar& progress, std::vector<float>& left,
                  std::vector<float>& right) {
  const int32_t block = options.blockSize;
  std::vector<float> inputBuffers(static_cast<size_t>(block) * 4);
  std::vector<float> outputBuffers(static_cast<size_t>(block) * 2);
  float* in[4];
  float* out[2];
  for (int c = 0; c < 4; ++c) in[c] = inputBuffers.data() + c * block;
  for (int c = 0; c < 2; ++c) out[c] = outputBuffers.data() + c * block;
  MidiSchedule schedule(inputs.midi);
  left.assign(static_cast<size_t>(totalFrames), 0.0f);
  right.assign(static_cast<size_t>(totalFrames), 0.0f);
  for (int64_t start = 0; start < totalFrames; start += block) {
    const int32_t frames = static_cast<int32_t>(std::min<int64_t>(block, totalFrames - start));
    CopyBlock(inputs.main.left, start, frames, in[0]);
    CopyBlock(inputs.main.right, start, frames, in[1]);
    CopyBlock(inputs.sidechain.left, start, frames, in[2]);
    CopyBlock(inputs.sidechain.right, start, frames, in[3]);
    std::fill(outputBuffers.begin(), outputBuffers.end(), 0.0f);
    host.Process(in, out, frames, schedule.EventsForBlock(start, frames));
    std::copy_n(out[0], frames, left.begin() + start);
    std::copy_n(out[1], frames, right.begin() + start);
    progress.Update(start + frames);
  }
  progress.Finish();
}

}  // namespace

std::filesystem::path DefaultPluginPath(const RenderEnvironment& environment) {
  if (!environment.pluginFromEnvironment.empty()) return environment.pluginFromEnvironment;
  const std::filesystem::path beside = environment.executableDir / "Tavo.so";
  std::error_code code;
  if (std::filesystem::exists(beside, code)) return beside;
  const std::filesystem::path parent = environment.executableDir.parent_path() / "Tavo.so";
  if (std::filesystem::exists(parent, code)) return parent;
  return beside;
}

int RunRender(const std::vector<std::string>& args, const RenderEnvironment& environment,
              std::ostream& out, std::ostream& err) {
  RenderOptions options;
  std::string error;
  auto fail = [&err](int code, const std::string& message) {
    err << "tavo-render: error: " << message << "\n";
    return code;
  };
  if (!ParseRenderOptions(args, options, error)) return fail(kExitUsage, error);
  if (options.help) {
    out << UsageText();
    return kExitOk;
  }
  RenderInputs inputs;
  if (const int code = LoadInputs(options, inputs, error); code != kExitOk) {
    return fail(code, error);
  }

  PluginHost host;
  const std::filesystem::path plugin =
      options.plugin.empty() ? DefaultPluginPath(environment) : options.plugin;
  if (!host.Load(plugin, error)) return fail(kExitPlugin, error);
  const double sampleRate = inputs.main.sampleRate;
  host.Start(sampleRate, options.blockSize, options.tempoBpm);
  if (!inputs.preset.empty() && host.SetChunk(inputs.preset) == 0) {
    err << "tavo-render: warning: the plug-in did not confirm loading " << options.preset.string()
        << "\n";
  }
  for (const ParameterSetting& setting : options.settings) {
    host.SetParameter(setting.index, setting.value);
  }

  const int64_t totalFrames =
      inputs.main.Frames() + static_cast<int64_t>(std::llround(options.tailSeconds * sampleRate));
  ProgressBar progress(err, environment.showProgress, totalFrames);
  std::vector<float> left;
  std::vector<float> right;
  host.Settle(std::llround(options.settleSeconds * sampleRate));
  const auto started = std::chrono::steady_clock::now();
  RenderBlocks(host, options, inputs, totalFrames, progress, left, right);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
  host.Close();

  const size_t replaced = ReplaceNonFinite(left) + ReplaceNonFinite(right);
  if (replaced > 0) {
    err << "tavo-render: warning: " << replaced << " NaN or infinite output samples written as 0\n";
  }
  const int32_t format = OutputFormatFor(options.output, inputs.main.format);
  if (!WriteStereoAudio(options.output, format, inputs.main.sampleRate, left, right, error)) {
    return fail(kExitWriteFailed, error);
  }

  const Levels inputLevels = MeasureLevels(inputs.main.left, inputs.main.right);
  const Levels outputLevels = MeasureLevels(left, right);
  if (outputLevels.peak > 1.0 && !FormatHoldsOvers(format)) {
    err << "tavo-render: warning: the output peaks at " << Decibels(outputLevels.peak)
        << " and was clipped to full scale in " << options.output.string() << "\n";
  }
  const double audioSeconds = static_cast<double>(totalFrames) / sampleRate;
  char speed[32];
  std::snprintf(speed, sizeof speed, "%.1fx", audioSeconds / std::max(elapsed.count(), 1e-9));
  out << options.output.string() << ": input peak " << Decibels(inputLevels.peak) << ", RMS "
      << Decibels(inputLevels.rms) << "; output peak " << Decibels(outputLevels.peak) << ", RMS "
      << Decibels(outputLevels.rms) << "; " << speed << " real time\n";
  return kExitOk;
}

}  // namespace tavo::render
