// The run-time class registry of the value converters, and the shared instances that controls
// point at: created at framework start-up, deleted at shut-down.
#pragma once

#include <memory>
#include <span>
#include <string_view>

#include "param_framework/VDSPPortConvert.h"

namespace VDSP {

// A new converter of the class a port description names ("VConvertFrequency"); null for a name
// no converter has. // any thread
std::unique_ptr<VDSPPortConvert> CreateConvert(std::string_view className);

// Every class CreateConvert knows, in the order of the member table. // any thread
std::span<const char* const> ConvertClassNames();

// The shared converters. Start and Stop are counted: the first Start creates one instance of each
// standing class (VConvertFloat, VConvertDoubleLog, VConvertInt, ... VConvertFrequencyBeatCube),
// the last Stop deletes them and every instance made on demand. No port may outlive the last Stop.
class ConvertLibrary {
 public:
  // UI thread
  static void Start();
  static void Stop();
  static bool IsStarted();

  // The shared instance of a class. A registered class without a standing instance (a scaled
  // number, a fine pitch, an enumeration, ...) gets one on first request, kept until the last
  // Stop. Null before Start and for a name no converter has. // UI thread (may allocate)
  static const VDSPPortConvert* Shared(std::string_view className);

  // The default converter of control ports, a VConvertFloat made on first use that lives until
  // the library unloads; it needs no Start. // any thread
  static const VDSPPortConvert& DefaultControlConvert();
};

}  // namespace VDSP
