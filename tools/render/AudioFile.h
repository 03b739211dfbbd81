// Sound files for the renderer: whole-file reading to stereo float and writing, via libsndfile.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tavo::render {

// A sound file in memory as two channels; a mono file is played on both sides.
struct StereoAudio {
  int32_t sampleRate = 44100;
  int32_t format = 0;    // libsndfile's major format | subtype
  int32_t channels = 0;  // in the file
  std::vector<float> left;
  std::vector<float> right;

  int64_t Frames() const { return static_cast<int64_t>(left.size()); }
};

// Reads the whole file. Files with more than two channels keep their first two. // any thread
bool ReadStereoAudio(const std::filesystem::path& path, StereoAudio& audio, std::string& error);

// The format to write OUTPUT in: the input's, unless OUTPUT's extension names another container
// (".wav", ".aif"/".aiff", ".flac"), which then holds the input's sample type where it can.
// // any thread
int32_t OutputFormatFor(const std::filesystem::path& output, int32_t inputFormat);

// Float files keep samples above full scale; integer ones clip them. // any thread
bool FormatHoldsOvers(int32_t format);

// Writes a stereo file; PCM formats clip overs instead of wrapping. // any thread
bool WriteStereoAudio(const std::filesystem::path& path, int32_t format, int32_t sampleRate,
                      const std::vector<float>& left, const std::vector<float>& right,
                      std::string& error);

}  // namespace tavo::render
