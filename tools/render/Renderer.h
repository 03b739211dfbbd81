// tavo-render: renders a sound file through the plug-in library, as a host would in offline
// mode, and reports levels and speed.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace tavo::render {

// Exit codes of tavo-render.
inline constexpr int kExitOk = 0;
inline constexpr int kExitWriteFailed = 1;  // rendering ran but the output could not be written
inline constexpr int kExitUsage = 2;        // bad option, unknown key, value out of range
inline constexpr int kExitInputFile = 3;    // missing or unreadable file, OUTPUT is an input
inline constexpr int kExitPlugin = 4;       // the plug-in will not load

// What the program takes from its surroundings, so that tests can run it in-process.
struct RenderEnvironment {
  std::filesystem::path executableDir;  // where tavo-render lives
  std::string pluginFromEnvironment;    // $TAVO_PLUGIN, empty when unset
  bool showProgress = false;            // stderr is a terminal
};

// The library to load when --plugin is not given: $TAVO_PLUGIN, else Tavo.so next to the program,
// else in its parent folder (a build's bin/ or an installed bundle). // any thread
std::filesystem::path DefaultPluginPath(const RenderEnvironment& environment);

// Runs the whole program on the arguments after its name; messages go to `err`, the summary to
// `out`. Returns the exit code. // UI thread
int RunRender(const std::vector<std::string>& args, const RenderEnvironment& environment,
              std::ostream& out, std::ostream& err);

}  // namespace tavo::render
