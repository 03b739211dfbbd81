// The product-neutral plug-in base: version text, host information, the program name and the
// host notifications that set-up, the editor and the bindings share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Common/VSTi/AudioEffectX.h"

class SynthBase : public vst::AudioEffectX {
 public:
  // Version 1.0.1, build 1: major, minor, revision and build in the four bytes.
  static constexpr int32_t kVendorVersion = 0x01000101;

  SynthBase(vst::HostCallback host, int32_t numPrograms, int32_t numParams);

  // "Tavo v1.0.1 build 1" or "Tavo v1.0.1".
  static std::string VersionText(const char* productName, bool withBuild);
  // The base's own form without the product: "v1.0.1 build 1 (64-bit)".
  static std::string BaseVersionText(bool withBuild);

  void getProgramName(char* name) override;
  bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override;
  const std::string& ProgramName() const { return programName_; }
  void SetProgramName(const std::string& name) { programName_ = name; }

  // Tells the host about a parameter value: BeginEdit/Automate/EndEdit around a user gesture,
  // Automate alone otherwise. False without a host callback. any thread.
  bool NotifyHostOfParameter(int32_t index, float value, bool gesture) const;

 protected:
  // Copies at most maxCharacters of text into destination and ends it with a 0: the host's text
  // fields, sized by the VST limits. // any thread
  static void CopyText(char* destination, std::string_view text, size_t maxCharacters);
  // Logs the host's vendor, product, executable and version (set-up only).
  void LogHostInformation() const;
  void TraceVersionNumber() const;

 private:
  std::string programName_ = "Default";
};
