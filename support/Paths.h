// The plug-in's folders and files. Created on demand where stated; any thread but the audio thread.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace VApplication {

struct Paths {
  // The "InstallPath" preference, else (Windows) Program Files\Quorvanta\Tavo or (Linux) the folder
  // that holds the plug-in library.
  static std::filesystem::path GetInstallPath();
  // The "LocalDocumentsPath" preference, else Documents/Quorvanta/Tavo.
  static std::filesystem::path GetLocalDocumentsPath();
  // Local documents path/Presets, created when missing.
  static std::filesystem::path GetUserPresetsPath();
  // Install path/System/Presets.
  static std::filesystem::path GetFactoryPresetsPath();
  // Application data/Quorvanta/Tavo (Linux: the configuration folder of the preferences).
  static std::filesystem::path GetApplicationDataPath();
  // Application data/System/DefaultPreset.tavo.
  static std::filesystem::path GetDefaultPresetFile();
  // Application data/Temp, created when missing.
  static std::filesystem::path GetTemporaryPath();
  // Install path/Resources.
  static std::filesystem::path GetResourcesPath();

  // The product's relative folder, taken from the preference key below "Software\"
  // ("Software\Quorvanta\Tavo" gives Quorvanta/Tavo).
  static std::filesystem::path GetProductFolder();

  // Paths and UTF-8 text (preferences, XML and log lines are UTF-8 on every OS).
  static std::filesystem::path FromUtf8(std::string_view text);
  static std::string ToUtf8(const std::filesystem::path& path);
};

}  // namespace VApplication
