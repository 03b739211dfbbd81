// Sound files for the renderer: whole-file reading to stereo float and writing, via libsndfile.
#include "tools/render/AudioFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace tavo::render {
namespace {

struct SndFileCloser {
  void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndFilePtr = std::unique_ptr<SNDFILE, SndFileCloser>;

constexpr sf_count_t kChunkFrames = 8192;

int32_t ContainerForExtension(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == ".wav") return SF_FORMAT_WAV;
  if (extension == ".aif" || extension == ".aiff") return SF_FORMAT_AIFF;
  if (extension == ".flac") return SF_FORMAT_FLAC;
  return 0;
}

bool IsValidStereoFormat(int32_t format) {
  SF_INFO info{};
  info.samplerate = 44100;
  info.channels = 2;
  info.format = format;
  return sf_format_check(&info) != 0;
}

}  // namespace

bool ReadStereoAudio(const std::filesystem::path& path, StereoAudio& audio, std::string& error) {
  std::error_code code;
  if (!std::filesystem::exists(path, code)) {
    error = "file not found: " + path.string();
    return false;
  }
  SF_INFO info{};
  SndFilePtr file(sf_open(path.c_str(), SFM_READ, &info));
  if (!file) {
    error = "cannot read " + path.string() + ": " + sf_strerror(nullptr);
    return false;
  }
  if (info.channels < 1 || info.samplerate < 1) {
    error = "cannot read " + path.string() + ": no audio channels";
    return false;
  }
  audio.sampleRate = info.samplerate;
  audio.format = info.format;
  audio.channels = info.channels;
  audio.left.clear();
  audio.right.clear();
  audio.left.reserve(static_cast<size_t>(std::max<sf_count_t>(info.frames, 0)));
  audio.right.reserve(static_cast<size_t>(std::max<sf_count_t>(info.frames, 0)));
  std::vector<float> chunk(static_cast<size_t>(kChunkFrames * info.channels));
  for (;;) {
    const sf_count_t got = sf_readf_float(file.get(), chunk.data(), kChunkFrames);
    if (got <= 0) break;
    for (sf_count_t frame = 0; frame < got; ++frame) {
      const float* sample = &chunk[static_cast<size_t>(frame * info.channels)];
      audio.left.push_back(sample[0]);
      audio.right.push_back(info.channels > 1 ? sample[1] : sample[0]);
    }
  }
  if (sf_error(file.get()) != SF_ERR_NO_ERROR) {
    error = "cannot read " + path.string() + ": " + sf_strerror(file.get());
    return false;
  }
  return true;
}

int32_t OutputFormatFor(const std::filesystem::path& output, int32_t inputFormat) {
  const int32_t container = ContainerForExtension(output);
  if (container == 0 || container == (inputFormat & SF_FORMAT_TYPEMASK)) return inputFormat;
  const int32_t sameSamples = container | (inputFormat & SF_FORMAT_SUBMASK);
  if (IsValidStereoFormat(sameSamples)) return sameSamples;
  // FLAC holds no float samples; 24-bit keeps what a float source can carry best.
  return container | (container == SF_FORMAT_FLAC ? SF_FORMAT_PCM_24 : SF_FORMAT_FLOAT);
}

bool FormatHoldsOvers(int32_t format) {
  const int32_t subtype = format & SF_FORMAT_SUBMASK;
  return subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
}

bool WriteStereoAudio(const std::filesystem::path& path, int32_t format, int32_t sampleRate,
                      const std::vector<float>& left, const std::vector<float>& right,
                      std::string& error) {
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = 2;
  info.format = format;
  if (!sf_format_check(&info)) {
    error = "cannot write " + path.string() + ": the format does not hold stereo audio";
    return false;
  }
  SndFilePtr file(sf_open(path.c_str(), SFM_WRITE, &info));
  if (!file) {
    error = "cannot write " + path.string() + ": " + sf_strerror(nullptr);
    return false;
  }
  sf_command(file.get(), SFC_SET_CLIPPING, nullptr, SF_TRUE);
  std::vector<float> chunk(static_cast<size_t>(kChunkFrames * 2));
  const sf_count_t frames = static_cast<sf_count_t>(std::min(left.size(), right.size()));
  for (sf_count_t start = 0; start < frames; start += kChunkFrames) {
    const sf_count_t count = std::min(kChunkFrames, frames - start);
    for (sf_count_t frame = 0; frame < count; ++frame) {
      chunk[static_cast<size_t>(2 * frame)] = left[static_cast<size_t>(start + frame)];
      chunk[static_cast<size_t>(2 * frame + 1)] = right[static_cast<size_t>(start + frame)];
    }
    if (sf_writef_float(file.get(), chunk.data(), count) != count) {
      error = "cannot write " + path.string() + ": " + sf_strerror(file.get());
      return false;
    }
  }
  return true;
}

}  // namespace tavo::render
