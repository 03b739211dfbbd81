// The renderer's command line: options, their checks and the usage text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tavo::render {

// One --set: a host parameter index (0-61) and its normalised value.
struct ParameterSetting {
  int32_t index = 0;
  float value = 0.0f;
};

struct RenderOptions {
  std::filesystem::path input;
  std::filesystem::path output;
  std::filesystem::path plugin;  // empty: the default library
  std::filesystem::path sidechain;
  std::filesystem::path midi;
  std::filesystem::path preset;
  std::vector<ParameterSetting> settings;  // applied in command-line order, after the preset
  std::optional<double> tempoBpm;          // set: the transport plays at this tempo
  int32_t blockSize = 512;
  double tailSeconds = 0.0;
  // Silence run through the plug-in before the input, its output dropped, so that --set values
  // have glided to their targets when the music starts.
  double settleSeconds = 0.5;
  bool help = false;
};

inline constexpr int32_t kMaxBlockSize = 65536;
inline constexpr double kMinTempoBpm = 1.0;
inline constexpr double kMaxTempoBpm = 999.0;
inline constexpr double kMaxTailSeconds = 3600.0;
inline constexpr double kMaxSettleSeconds = 60.0;

// Parses the arguments after the program name. On failure returns false with a one-line message.
// // any thread
bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& options,
                        std::string& error);

// "KEY=VALUE" with KEY a parameter key ("F1Cutoff") or an index 0-61 and VALUE in 0..1.
// // any thread
bool ParseParameterSetting(const std::string& text, ParameterSetting& setting, std::string& error);

const char* UsageText();

}  // namespace tavo::render
