// The product-neutral plug-in base.
#include "plugin/SynthBase.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "support/LibraryHooks.h"
#include "support/Log.h"
#include "support/VException.h"

namespace {

struct VersionParts {
  long major, minor, revision, build;
};

VersionParts SplitVersion(int32_t version) {
  const auto bits = static_cast<uint32_t>(version);
  return {static_cast<long>((bits >> 24) & 0xff), static_cast<long>((bits >> 16) & 0xff),
          static_cast<long>((bits >> 8) & 0xff), static_cast<long>(bits & 0xff)};
}

}  // namespace

SynthBase::SynthBase(vst::HostCallback host, int32_t numPrograms, int32_t numParams)
    : vst::AudioEffectX(host, numPrograms, numParams) {}

void SynthBase::CopyText(char* destination, std::string_view text, size_t maxCharacters) {
  const size_t length = std::min(text.size(), maxCharacters);
  std::memcpy(destination, text.data(), length);
  destination[length] = 0;
}

std::string SynthBase::VersionText(const char* productName, bool withBuild) {
  const VersionParts v = SplitVersion(kVendorVersion);
  char text[128];
  if (withBuild) {
    std::snprintf(text, sizeof text, "%s v%d.%d.%d build %d", productName,
                  static_cast<int>(v.major), static_cast<int>(v.minor),
                  static_cast<int>(v.revision), static_cast<int>(v.build));
  } else {
    std::snprintf(text, sizeof text, "%s v%d.%d.%d", productName, static_cast<int>(v.major),
                  static_cast<int>(v.minor), static_cast<int>(v.revision));
  }
  return text;
}

std::string SynthBase::BaseVersionText(bool withBuild) {
  const VersionParts v = SplitVersion(kVendorVersion);
  const int bits = static_cast<int>(sizeof(void*) * 8);
  char text[128];
  if (withBuild) {
    std::snprintf(text, sizeof text, "v%li.%li.%li build %li (%d-bit)", v.major, v.minor,
                  v.revision, v.build, bits);
  } else {
    std::snprintf(text, sizeof text, "v%li.%li.%li (%d-bit)", v.major, v.minor, v.revision, bits);
  }
  return text;
}

void SynthBase::getProgramName(char* name) {
  CopyText(name, programName_, vst::kVstMaxProgNameLen - 1);
}

bool SynthBase::getProgramNameIndexed(int32_t, int32_t, char* text) {
  CopyText(text, programName_, vst::kVstMaxProgNameLen - 1);
  return true;
}

bool SynthBase::NotifyHostOfParameter(int32_t index, float value, bool gesture) const {
  if (!Host()) return false;
  if (gesture) beginEdit(index);
  sendAutomate(index, value);
  if (gesture) endEdit(index);
  return true;
}

void SynthBase::TraceVersionNumber() const {
  VFoundation::Log(" Version: %s\n", VersionText("Tavo", true).c_str());
}

void SynthBase::LogHostInformation() const {
  try {
    // Hosts write up to 64 characters here; the extra room guards against the careless ones.
    char vendor[256] = {};
    char product[256] = {};
    getHostVendorString(vendor);
    getHostProductString(product);
    const double version = getHostVendorVersion() * 0.001;
    const std::string process = VFoundation::ProcessExecutablePath().filename().string();
    VFoundation::Log("Host Vendor :   \"%s\"\n", vendor);
    VFoundation::Log("Host Product:   \"%s\"\n", product);
    VFoundation::Log("Host Process:   \"%s\"\n", process.c_str());
    VFoundation::Log("Host Version:   \"%0.1f\"\n", version);
  } catch (const VFoundation::VException& e) {
    VFoundation::LogCaughtVException("SynthBase::LogHostInformation", e);
    throw;
  }
}
