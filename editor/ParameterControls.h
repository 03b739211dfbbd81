// The synth panel's control table and the small rules its controls follow: which skin name is
// which parameter and class, the tooltip words of the two-state buttons, the value-entry field's
// placement, the meters' scale and the values the item controls send. Pure functions, any thread.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "plugin/ParameterConvertor.h"
#include "support/gui/Geometry.h"

class Norv;

namespace ParameterControls {

// One row of the control table: the control's skin name, the class it must be (or derive from),
// its command id (the parameter index for ids 0-59) and whether the synth panel listens to it.
struct ControlRow {
  const char* skinName;
  const char* className;
  int32_t id;
  bool listened;
};

// Every control of "Synth/SynthControls.skin" the synth panel binds. any thread
std::span<const ControlRow> SynthControlRows();
// The row of a skin name; null when the table has none. any thread
const ControlRow* FindRow(std::string_view skinName);
// Rows that live in the utility panel, which may load after the synth panel. any thread
bool IsUtilityRow(std::string_view skinName);

// The visualisation placeholders, in the order of the synth panel's VizPanels(). any thread
inline constexpr std::array<const char*, 9> kVizPlaceholders = {
    "F1Viz", "F2Viz", "DViz", "L1Viz", "L2Viz", "EViz", "FViz", "SViz", "CViz"};
// Items of the two FM input combo boxes, in order. any thread
inline constexpr std::array<const char*, 4> kFMInputItems = {"LFO1", "LFO2", "IN", "SC"};
inline constexpr std::array<const char*, 3> kFlashers = {"EnvFlasher", "LFO1Flasher",
                                                         "LFO2Flasher"};
// Button groups and combo boxes send their selected item times this (four items, 0..1).
inline constexpr float kItemStep = 0.33333334f;

// The word a two-state button's tooltip shows for its state; nothing for other controls.
// any thread
std::optional<std::string_view> TwoStateWord(std::string_view skinName, bool on);

// Where the value-entry field goes over a control (both in the panel's coordinates): centred on
// it, then moved right while its left edge is negative and left while its left edge is at or
// beyond the panel's width. The top is not adjusted. any thread
VGui::Rect PlaceFieldEditor(const VGui::Rect& control, VGui::Size field, int panelWidth);

// Meter position of an output level: 0.8 at 0 dB, 1.0 at about +6 dB, 0 for silence. any thread
float MeterPosition(float level);

// The engine's current values as the converters need them. UI thread
ConvertorContext ContextFor(Norv& plugin);

}  // namespace ParameterControls
