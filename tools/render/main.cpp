// Entry point of tavo-render: gathers the program's surroundings and runs the renderer.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "tools/render/Renderer.h"

int main(int argc, char** argv) {
  tavo::render::RenderEnvironment environment;
  std::error_code code;
  std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", code);
  if (code) executable = std::filesystem::absolute(argv[0], code);
  environment.executableDir = executable.parent_path();
  if (const char* plugin = std::getenv("TAVO_PLUGIN")) environment.pluginFromEnvironment = plugin;
  environment.showProgress = isatty(STDERR_FILENO) != 0;
  const std::vector<std::string> args(argv + 1, argv + argc);
  return tavo::render::RunRender(args, environment, std::cout, std::cerr);
}
