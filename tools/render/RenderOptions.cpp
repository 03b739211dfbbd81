// The renderer's command line: options, their checks and the usage text.
#include "tools/render/RenderOptions.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "plugin/ParameterTable.h"

namespace tavo::render {
namespace {

constexpr std::array<std::string_view, 9> kOptions = {"--plugin", "--sidechain", "--midi",
                                                      "--preset", "--set",       "--tempo",
                                                      "--block",  "--tail",      "--settle"};

// Whole-string numbers only: "0.5x" or "" must not pass as 0.5 or 0.
bool ParseDouble(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtod(text.c_str(), &end);
  return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
}

bool ParseInteger(const std::string& text, long& value) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  char* end = nullptr;
  errno = 0;
  value = std::strtol(text.c_str(), &end, 10);
  return errno == 0 && end == text.c_str() + text.size();
}

bool ParseOptionValue(const std::string& option, const std::string& text, RenderOptions& options,
                      std::string& error) {
  if (option == "--plugin") {
    options.plugin = text;
  } else if (option == "--sidechain") {
    options.sidechain = text;
  } else if (option == "--midi") {
    options.midi = text;
  } else if (option == "--preset") {
    options.preset = text;
  } else if (option == "--set") {
    ParameterSetting setting;
    if (!ParseParameterSetting(text, setting, error)) return false;
    options.settings.push_back(setting);
  } else if (option == "--tempo") {
    double bpm = 0.0;
    if (!ParseDouble(text, bpm) || bpm < kMinTempoBpm || bpm > kMaxTempoBpm) {
      error = "--tempo wants beats per minute between 1 and 999, not \"" + text + "\"";
      return false;
    }
    options.tempoBpm = bpm;
  } else if (option == "--block") {
    long frames = 0;
    if (!ParseInteger(text, frames) || frames < 1 || frames > kMaxBlockSize) {
      error = "--block wants a block size between 1 and 65536 samples, not \"" + text + "\"";
      return false;
    }
    options.blockSize = static_cast<int32_t>(frames);
  } else if (option == "--tail") {
    double seconds = 0.0;
    if (!ParseDouble(text, seconds) || seconds < 0.0 || seconds > kMaxTailSeconds) {
      error = "--tail wants seconds between 0 and 3600, not \"" + text + "\"";
      return false;
    }
    options.tailSeconds = seconds;
  } else if (option == "--settle") {
    double seconds = 0.0;
    if (!ParseDouble(text, seconds) || seconds < 0.0 || seconds > kMaxSettleSeconds) {
      error = "--settle wants seconds between 0 and 60, not \"" + text + "\"";
      return false;
    }
    options.settleSeconds = seconds;
  } else {
    error = "unknown option " + option + " (see --help)";
    return false;
  }
  return true;
}

}  // namespace

bool ParseParameterSetting(const std::string& text, ParameterSetting& setting, std::string& error) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos) {
    error = "--set wants KEY=VALUE, not \"" + text + "\"";
    return false;
  }
  const std::string key = text.substr(0, equals);
  const std::string valueText = text.substr(equals + 1);
  long index = 0;
  if (ParseInteger(key, index)) {
    if (index >= ParameterTable::kNumHostParameters) {
      error = "parameter index " + key + " is out of range (0-61)";
      return false;
    }
  } else {
    index = ParameterTable::FindParameter(key);
    if (index < 0) {
      error = "unknown parameter key \"" + key + "\"";
      return false;
    }
  }
  double value = 0.0;
  if (!ParseDouble(valueText, value)) {
    error = "value of " + key + " is not a number: \"" + valueText + "\"";
    return false;
  }
  if (value < 0.0 || value > 1.0) {
    error = "value of " + key + " is out of range: " + valueText + " (normalised 0..1)";
    return false;
  }
  setting.index = static_cast<int32_t>(index);
  setting.value = static_cast<float>(value);
  return true;
}

bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& options,
                        std::string& error) {
  std::vector<std::string> files;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h" || arg == "--help") {
      options.help = true;
      return true;
    }
    if (arg == "--") {
      files.insert(files.end(), args.begin() + static_cast<long>(i) + 1, args.end());
      break;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      std::string option = arg;
      std::string value;
      const size_t equals = arg.find('=');
      const bool inlineValue = arg.rfind("--", 0) == 0 && equals != std::string::npos;
      // "--set=F1Cutoff=0.3" as well as "--set F1Cutoff=0.3".
      if (inlineValue) option = arg.substr(0, equals);
      if (std::find(kOptions.begin(), kOptions.end(), option) == kOptions.end()) {
        error = "unknown option " + option + " (see --help)";
        return false;
      }
      if (inlineValue) {
        value = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        error = "option " + arg + " needs a value";
        return false;
      }
      if (!ParseOptionValue(option, value, options, error)) return false;
      continue;
    }
    files.push_back(arg);
  }
  if (files.size() != 2) {
    error = files.size() < 2 ? "need an INPUT and an OUTPUT file (see --help)"
                             : "too many file arguments: only INPUT and OUTPUT (see --help)";
    return false;
  }
  options.input = files[0];
  options.output = files[1];
  return true;
}

const char* UsageText() {
  return "usage: tavo-render [options] INPUT OUTPUT\n"
         "Renders a sound file (WAV, AIFF, FLAC; mono is played on both sides) through Tavo.\n"
         "  --plugin PATH      the plug-in library (default: $TAVO_PLUGIN, else Tavo.so next to\n"
         "                     this program or in its parent folder)\n"
         "  --sidechain FILE   sound file for the sidechain inputs 3+4\n"
         "  --midi FILE.mid    MIDI events, delivered sample-accurately on their channels\n"
         "  --preset FILE.tavo preset loaded before rendering\n"
         "  --set KEY=VALUE    parameter by key (F1Cutoff) or index (0-61), value 0..1; "
         "repeatable\n"
         "  --tempo BPM        a playing 4/4 transport at this tempo (default: stopped, 120)\n"
         "  --block N          block size in samples (default 512)\n"
         "  --tail SECONDS     silence processed after the input (default 0)\n"
         "  --settle SECONDS   silence run first, output dropped, so that parameters have glided\n"
         "                     to their values when the input starts (default 0.5)\n"
         "The output has the input's format and sample rate, in stereo.\n";
}

}  // namespace tavo::render
