// The state document, read and written through the XML document layer.
#include "plugin/StateDocument.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "modulation/TimeInfo.h"
#include "modulation/Transmod.h"
#include "plugin/ParameterTable.h"

namespace StateDocument {

namespace {

constexpr const char* kEngineClass = "NorvProcess";
constexpr const char* kEngineName = "Norv";
constexpr const char* kTimeInfoClass = "TimeInfo";
constexpr const char* kTimeInfoName = "TimeInfo";
constexpr const char* kPresetNameObject = "LastPresetName";

void ValueKey(char* out, size_t size, int32_t parameter, int32_t column) {
  std::snprintf(out, size, "%s_%s", ParameterTable::ParameterToString(parameter),
                Transmod::SourceKey(column));
}

void WriteTempo(VFoundation::XmlNode node, const TempoState& tempo) {
  TimeInfo record;
  record.SetTempo(tempo.tempo);
  TimeInfo::HostTime signature;
  signature.timeSigNumerator = tempo.numerator;
  signature.timeSigDenominator = tempo.denominator;
  record.ReadHostTime(signature);
  record.SetMetro(tempo.metro);
  record.SetQuantize(tempo.quantize);
  record.SerializeAsXML(node, true);
}

// A reset record with the element read into it: entries the element lacks read as the reset values.
TempoState ReadTempo(VFoundation::XmlNode node) {
  TimeInfo record;
  record.SerializeAsXML(node, false);
  TempoState tempo;
  tempo.tempo = record.Tempo();
  tempo.numerator = record.TimeSigNumerator();
  tempo.denominator = record.TimeSigDenominator();
  tempo.metro = record.Metro();
  tempo.quantize = record.Quantize();
  return tempo;
}

}  // namespace

EngineState DefaultEngineState() {
  EngineState state;
  for (int32_t p = 0; p < EngineState::kNumParameters; ++p) {
    state.rows[p].fill(0.0f);
    state.rows[p][0] = ParameterTable::GetParameterDefaultValue(p);
  }
  state.unipolar.fill(1);
  return state;
}

void WriteEngineState(VFoundation::XmlNode node, const EngineState& state) {
  if (!node) return;
  node.WriteDouble("Ver", kEngineLayoutVersion);
  node.WriteDouble("LinkOffset", state.linkOffset);
  char key[64];
  for (int32_t axis = 0; axis < 2; ++axis) {
    std::snprintf(key, sizeof key, "C%dValue", axis);
    node.WriteDouble(key, state.macroValues[axis]);
  }
  for (int32_t source = 0; source < EngineState::kNumColumns; ++source) {
    if (state.unipolar[source] != 0) continue;
    std::snprintf(key, sizeof key, "Polar_%s", Transmod::SourceKey(source));
    node.WriteBool(key, false);
  }
  for (int32_t p = 0; p < EngineState::kNumParameters; ++p) {
    const float defaultValue = ParameterTable::GetParameterDefaultValue(p);
    for (int32_t column = 0; column < EngineState::kNumColumns; ++column) {
      const float value = state.rows[p][column];
      const float reference = column == 0 ? defaultValue : 0.0f;
      if (!(std::fabs(value - reference) >= kStoreThreshold)) continue;
      ValueKey(key, sizeof key, p, column);
      node.WriteDouble(key, value);
    }
  }
}

void ReadEngineState(VFoundation::XmlNode node, EngineState& state) {
  state = DefaultEngineState();
  if (!node) return;
  node.ReadFloat("LinkOffset", state.linkOffset);
  char key[64];
  for (int32_t axis = 0; axis < 2; ++axis) {
    std::snprintf(key, sizeof key, "C%dValue", axis);
    node.ReadFloat(key, state.macroValues[axis]);
  }
  for (int32_t source = 0; source < EngineState::kNumColumns; ++source) {
    std::snprintf(key, sizeof key, "Polar_%s", Transmod::SourceKey(source));
    bool unipolar = true;
    node.ReadBool(key, unipolar);
    state.unipolar[source] = unipolar ? 1 : 0;
  }
  for (int32_t p = 0; p < EngineState::kNumParameters; ++p) {
    for (int32_t column = 0; column < EngineState::kNumColumns; ++column) {
      ValueKey(key, sizeof key, p, column);
      float value = state.rows[p][column];
      if (!node.ReadFloat(key, value)) continue;
      // A base is a normalised control value; a damaged one outside 0...1 would drive the controls
      // and the glides off their scale. Depths may be any size: the routing sum is clamped.
      state.rows[p][column] = column == 0 ? std::clamp(value, 0.0f, 1.0f) : value;
    }
  }
}

void Write(VFoundation::XmlDocument& document, const PluginState& state, const std::string& name) {
  document.CreateNew(kRootName);
  VFoundation::XmlNode root = document.Root();
  root.WriteDouble("StateVersion", kStateVersion);
  root.WriteInt("Oversample", state.oversample);
  WriteTempo(root.AddObject(kTimeInfoClass, kTimeInfoName), state.tempo);
  WriteEngineState(root.AddObject(kEngineClass, kEngineName), state.engine);
  VFoundation::WriteStringObject(root, kPresetNameObject, name);
}

bool Read(const VFoundation::XmlDocument& document, PluginState& state, std::string& name) {
  const VFoundation::XmlNode root = document.Root();
  if (!root || root.Tag() != kRootName) return false;
  double version = 0.0;
  if (!root.ReadDouble("StateVersion", version) || version < kMinimumVersion) return false;

  PluginState loaded;
  if (const VFoundation::XmlNode tempo = root.FindObject(kTimeInfoClass, kTimeInfoName)) {
    loaded.tempo = ReadTempo(tempo);
    loaded.hasTempo = true;
  }
  int32_t oversample = 0;
  // A factor the resamplers cannot run keeps the current one.
  if (root.ReadInt("Oversample", oversample) && oversample >= kMinOversampling &&
      oversample <= kMaxOversampling) {
    loaded.oversample = oversample;
    loaded.hasOversample = true;
  }
  if (const VFoundation::XmlNode engine = root.FindObject(kEngineClass, kEngineName)) {
    ReadEngineState(engine, loaded.engine);
    loaded.hasEngine = true;
  }
  std::string loadedName = name;
  // A writer that stored the version in single precision wrote 2.2 as 2.2000000476837158.
  if (version >= kNameVersion - 1e-6) {
    VFoundation::ReadStringObject(root, kPresetNameObject, loadedName);
  } else {
    loadedName = kDefaultPresetName;
  }
  state = loaded;
  name = std::move(loadedName);
  return true;
}

}  // namespace StateDocument
