// The state document: the XML that is at once the host chunk, a preset file and the default
// preset, written from and read into the plain records of plugin/PluginState.h.
#pragma once

#include <cstdint>
#include <string>

#include "plugin/PluginState.h"
#include "support/XmlDocument.h"

namespace StateDocument {

// Writers write this version; below kMinimumVersion a document is refused; from kNameVersion on it
// carries the preset name.
inline constexpr double kStateVersion = 2.2;
inline constexpr double kMinimumVersion = 2.0;
inline constexpr double kNameVersion = 2.2;
// Version of the engine element's own layout, written for older readers.
inline constexpr double kEngineLayoutVersion = 2.1;
// Values closer than this to their default (bases) or to 0 (depths) are not stored.
inline constexpr float kStoreThreshold = 1e-6f;
inline constexpr const char* kRootName = "root";
inline constexpr const char* kDefaultPresetName = "Default";

// Rows (default, 0, ..., 0), every source unipolar, XY values and link offset 0.
EngineState DefaultEngineState();

// The engine element ("Ver", "LinkOffset", "C%dValue", "Polar_%s", "<key>_<source>"). Reading
// starts from the defaults: entries the element lacks fall back to default bases, zero depths and
// unipolar sources; bases are kept within 0...1.
void WriteEngineState(VFoundation::XmlNode node, const EngineState& state);
void ReadEngineState(VFoundation::XmlNode node, EngineState& state);

// The whole document. Reading answers false, and leaves `state` and `name` untouched, for a
// document without the root "root" or with a "StateVersion" missing or below 2.0. `name` becomes
// the stored preset name (version 2.2 on), "Default" (older versions) or stays as it was (a 2.2
// document without one).
void Write(VFoundation::XmlDocument& document, const PluginState& state, const std::string& name);
bool Read(const VFoundation::XmlDocument& document, PluginState& state, std::string& name);

}  // namespace StateDocument
