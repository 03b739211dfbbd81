// The run-time class registry of the value converters and their shared instances.
#include "param_framework/ConvertRegistry.h"

#include <array>
#include <mutex>
#include <vector>

#include "param_framework/ConvertBeatSync.h"
#include "param_framework/ConvertDecimal.h"
#include "param_framework/ConvertEnum.h"
#include "param_framework/ConvertFrequency.h"
#include "param_framework/ConvertLevel.h"
#include "param_framework/ConvertNote.h"
#include "param_framework/ConvertPitch.h"
#include "param_framework/ConvertProportion.h"
#include "param_framework/ConvertTime.h"

namespace VDSP {

namespace {

using Factory = std::unique_ptr<VDSPPortConvert> (*)();

struct Registration {
  const char* className;
  Factory create;
  bool standing;  // one instance made at start-up
};

template <typename Convert>
std::unique_ptr<VDSPPortConvert> Make() {
  return std::make_unique<Convert>();
}

constexpr std::array kRegistrations = {
    Registration{"VConvertFloat", Make<VConvertFloat>, true},
    Registration{"VConvertInt", Make<VConvertInt>, true},
    Registration{"VConvertCube", Make<VConvertCube>, true},
    Registration{"VConvertDoubleLog", Make<VConvertDoubleLog>, true},
    Registration{"VConvertDoubleScaled", Make<VConvertDoubleScaled>, false},
    Registration{"VConvertDoubleScaledLog", Make<VConvertDoubleScaledLog>, false},
    Registration{"VConvertAmp", Make<VConvertAmp>, true},
    Registration{"VConvertAmpLog", Make<VConvertAmpLog>, true},
    Registration{"VConvertDecibel", Make<VConvertDecibel>, true},
    Registration{"VConvertMidiKey", Make<VConvertMidiKey>, true},
    Registration{"VConvertPitch", Make<VConvertPitch>, true},
    Registration{"VConvertPitchRelative", Make<VConvertPitchRelative>, true},
    Registration{"VConvertPitchRelativeInteger", Make<VConvertPitchRelativeInteger>, true},
    Registration{"VConvertPitchRelativeFine", Make<VConvertPitchRelativeFine>, false},
    Registration{"VConvertPitchCube", Make<VConvertPitchCube>, true},
    Registration{"VConvertScaleLog", Make<VConvertScaleLog>, false},
    Registration{"VConvertResistance", Make<VConvertResistance>, true},
    Registration{"VConvertResistanceLog", Make<VConvertResistanceLog>, true},
    Registration{"VConvertFrequency", Make<VConvertFrequency>, true},
    Registration{"VConvertFrequencyTune", Make<VConvertFrequencyTune>, true},
    Registration{"VConvertFrequencyLog", Make<VConvertFrequencyLog>, true},
    Registration{"VConvertFrequencyCube", Make<VConvertFrequencyCube>, false},
    Registration{"VConvertFrequencyPitch", Make<VConvertFrequencyPitch>, true},
    Registration{"VConvertFrequencyDetune", Make<VConvertFrequencyDetune>, false},
    Registration{"VConvertBeatDetune", Make<VConvertBeatDetune>, false},
    Registration{"VConvertTime", Make<VConvertTime>, true},
    Registration{"VConvertTimeLog", Make<VConvertTimeLog>, true},
    Registration{"VConvertTimeLogFine", Make<VConvertTimeLogFine>, true},
    Registration{"VConvertTimeCube", Make<VConvertTimeCube>, true},
    Registration{"VConvertBPM", Make<VConvertBPM>, true},
    Registration{"VConvertBPMCube", Make<VConvertBPMCube>, true},
    Registration{"VConvertPercentage", Make<VConvertPercentage>, true},
    Registration{"VConvertMix", Make<VConvertMix>, true},
    Registration{"VConvertPan", Make<VConvertPan>, true},
    Registration{"VConvertAngle", Make<VConvertAngle>, true},
    Registration{"VConvertAngleSwitch", Make<VConvertAngleSwitch>, false},
    Registration{"VConvertSwitch", Make<VConvertSwitch>, true},
    Registration{"VConvertEnum", Make<VConvertEnum>, false},
    Registration{"VConvertTimeBeat", Make<VConvertTimeBeat>, true},
    Registration{"VConvertTimeBeatCube", Make<VConvertTimeBeatCube>, true},
    Registration{"VConvertFrequencyBeat", Make<VConvertFrequencyBeat>, true},
    Registration{"VConvertFrequencyBeatCube", Make<VConvertFrequencyBeatCube>, true},
    Registration{"VConvertFrequencyBeatDetune", Make<VConvertFrequencyBeatDetune>, false},
};

constexpr std::array<const char*, kRegistrations.size()> ClassNamesOf() {
  std::array<const char*, kRegistrations.size()> names{};
  for (size_t i = 0; i < kRegistrations.size(); ++i) names[i] = kRegistrations[i].className;
  return names;
}

constexpr std::array kClassNames = ClassNamesOf();

const Registration* Find(std::string_view className) {
  for (const Registration& registration : kRegistrations) {
    if (className == registration.className) return &registration;
  }
  return nullptr;
}

// The shared instances and the count of Start calls not yet stopped. Ports hold plain pointers
// to the instances, so they are only ever added to or all deleted at once.
struct Library {
  std::mutex mutex;
  int users = 0;
  std::vector<std::unique_ptr<VDSPPortConvert>> instances;
};

Library& TheLibrary() {
  static Library library;
  return library;
}

const VDSPPortConvert* InstanceOf(const Library& library, std::string_view className) {
  for (const auto& instance : library.instances) {
    if (className == instance->GetClassName()) return instance.get();
  }
  return nullptr;
}

}  // namespace

std::unique_ptr<VDSPPortConvert> CreateConvert(std::string_view className) {
  const Registration* registration = Find(className);
  return registration ? registration->create() : nullptr;
}

std::span<const char* const> ConvertClassNames() {
  return kClassNames;
}

void ConvertLibrary::Start() {
  Library& library = TheLibrary();
  std::lock_guard lock(library.mutex);
  if (library.users++ > 0) return;
  for (const Registration& registration : kRegistrations) {
    if (registration.standing) library.instances.push_back(registration.create());
  }
}

void ConvertLibrary::Stop() {
  Library& library = TheLibrary();
  std::lock_guard lock(library.mutex);
  if (library.users == 0 || --library.users > 0) return;
  library.instances.clear();
}

bool ConvertLibrary::IsStarted() {
  Library& library = TheLibrary();
  std::lock_guard lock(library.mutex);
  return library.users > 0;
}

const VDSPPortConvert* ConvertLibrary::Shared(std::string_view className) {
  Library& library = TheLibrary();
  std::lock_guard lock(library.mutex);
  if (library.users == 0) return nullptr;
  if (const VDSPPortConvert* instance = InstanceOf(library, className)) return instance;
  std::unique_ptr<VDSPPortConvert> made = CreateConvert(className);
  if (!made) return nullptr;
  library.instances.push_back(std::move(made));
  return library.instances.back().get();
}

const VDSPPortConvert& ConvertLibrary::DefaultControlConvert() {
  static const VConvertFloat instance;
  return instance;
}

}  // namespace VDSP
