// The synth panel's control table and its small rules.
#include "editor/ParameterControls.h"

#include <algorithm>
#include <cmath>

#include "plugin/Norv.h"
#include "plugin/ParameterTable.h"

namespace ParameterControls {
namespace {

using PT = ParameterTable::ParamId;

constexpr const char* kKnob = "SmartKnob";
constexpr const char* kFader = "SmartFader";
constexpr const char* kButton = "CtrlButton";

constexpr ControlRow kRows[] = {
    {"Transmod", "TransmodPanel", 860, false},
    {"MasterVULeft", "CtrlLevelStrip", 860, false},
    {"MasterVURight", "CtrlLevelStrip", 860, false},
    {"DriveMode", kKnob, PT::kDriveMode, true},
    {"DriveAmount", kKnob, PT::kDriveAmount, true},
    {"Filter1Cutoff", kKnob, PT::kF1Cutoff, true},
    {"Filter1Resonance", kKnob, PT::kF1Res, true},
    {"Filter1DrivePre", kKnob, PT::kF1GainPre, true},
    {"Filter1DrivePost", kKnob, PT::kF1GainPost, true},
    {"Filter1Mode", kKnob, PT::kF1Mode, true},
    {"Filter1FM", kKnob, PT::kF1FM, true},
    {"Filter2Cutoff", kKnob, PT::kF2Cutoff, true},
    {"Filter2Resonance", kKnob, PT::kF2Res, true},
    {"Filter2DrivePre", kKnob, PT::kF2GainPre, true},
    {"Filter2DrivePost", kKnob, PT::kF2GainPost, true},
    {"Filter2Mode", kKnob, PT::kF2Mode, true},
    {"Filter2FM", kKnob, PT::kF2FM, true},
    {"Mix", kKnob, PT::kMix, true},
    {"OutputLevel", kKnob, PT::kGain, true},
    {"Compress", kKnob, PT::kComp, true},
    {"Filter1Pan", kKnob, PT::kF1Pan, true},
    {"Filter2Pan", kKnob, PT::kF2Pan, true},
    {"LFO1Rate", kFader, PT::kLFO1Rate, true},
    {"LFO1Shape", kFader, PT::kLFO1Shape, true},
    {"LFO1Gain", kFader, PT::kLFO1Gain, true},
    {"LFO1PWM", kFader, PT::kLFO1Swing, true},
    {"LFO2Rate", kFader, PT::kLFO2Rate, true},
    {"LFO2Shape", kFader, PT::kLFO2Shape, true},
    {"LFO2Gain", kFader, PT::kLFO2Gain, true},
    {"LFO2PWM", kFader, PT::kLFO2Swing, true},
    {"SandHRate", kFader, PT::kSandHRate, true},
    {"SandHSlew", kFader, PT::kSandHSlew, true},
    {"SandHGain", kFader, PT::kSandHGain, true},
    {"FollowAttack", kFader, PT::kEnvFollowAttack, true},
    {"FollowDecay", kFader, PT::kEnvFollowDecay, true},
    {"FollowThresh", kFader, PT::kEnvFollowThresh, true},
    {"FollowGain", kFader, PT::kEnvFollowGain, true},
    {"Attack", kFader, PT::kEnvAttack, true},
    {"Hold", kFader, PT::kEnvHold, true},
    {"Decay", kFader, PT::kEnvDecay, true},
    {"Curve", kFader, PT::kEnvCurve, true},
    {"EnvGain", kFader, PT::kEnvGain, true},
    {"LFO1Phase", "CtrlSlider", PT::kLFO1Phase, true},
    {"LFO2Phase", "CtrlSlider", PT::kLFO2Phase, true},
    {"Filter1TypeLabel", "CtrlLabel", 368, false},
    {"Filter2TypeLabel", "CtrlLabel", 369, false},
    {"FieldEditor", "CtrlTextBox", 560, true},
    {"LFO1Sync", kButton, PT::kLFO1Sync, true},
    {"LFO2Sync", kButton, PT::kLFO2Sync, true},
    {"SAndHSync", kButton, PT::kSandHSync, true},
    {"SandHSource", kButton, PT::kSandHSource, true},
    {"FollowSource", kButton, PT::kEnvFollowSource, true},
    {"Filter1Type", "CtrlButtonGroup", PT::kF1Type, true},
    {"Filter2Type", "CtrlButtonGroup", PT::kF2Type, true},
    {"Filter1Bypass", kButton, PT::kF1Active, true},
    {"Filter2Bypass", kButton, PT::kF2Active, true},
    {"DriveBypass", kButton, PT::kDriveActive, true},
    {"PrePostButton", kButton, PT::kDrivePre, true},
    {"FilterLayout", kButton, PT::kFilterLayout, true},
    {"FilterLink", kButton, PT::kFilterLink, true},
    {"GlobalSC", kButton, PT::kHPSC, true},
    {"MasterBypass", kButton, PT::kBypass, true},
    {"CompMode", kButton, PT::kCompMode, true},
    {"EnvVel", kButton, PT::kEnvVelRespond, true},
    {"MIDILearn", kButton, 1260, true},
    {"Oversample", kButton, 760, true},
    {"Filter1FMInputGroup", "CtrlComboBox", PT::kF1FMSource, true},
    {"Filter2FMInputGroup", "CtrlComboBox", PT::kF2FMSource, true},
    {"EnvFlasher", "SingleFlashButton", 660, true},
    {"LFO1Flasher", "SingleFlashButton", 660, true},
    {"LFO2Flasher", "SingleFlashButton", 660, true},
};

struct TwoStateWords {
  std::string_view skinName;
  std::string_view on;
  std::string_view off;
};

constexpr TwoStateWords kTwoStateWords[] = {
    {"PrePostButton", "Pre", "Post"},
    {"CompMode", "Hard", "Soft"},
    {"SandHSource", "In 3+4", "Noise Generator"},
    {"FollowSource", "In 3+4", "In 1+2"},
    {"FilterLayout", "Parallel", "Serial"},
    {"FilterLink", "Linked", "Unlinked"},
    {"EnvVel", "Scaled by velocity", "Independent of velocity"},
};

// About ln(1.25) / 6 per dB: 0 dB sits at 80 % of the strip and the top is about 6 dB above, so
// an overshoot stays visible.
constexpr double kMeterCurve = 0.03719083333333333;
constexpr double kMeterZeroDb = 0.8;

}  // namespace

std::span<const ControlRow> SynthControlRows() {
  return kRows;
}

const ControlRow* FindRow(std::string_view skinName) {
  for (const ControlRow& row : kRows) {
    if (skinName == row.skinName) return &row;
  }
  return nullptr;
}

bool IsUtilityRow(std::string_view skinName) {
  return skinName == "MIDILearn" || skinName == "Oversample";
}

std::optional<std::string_view> TwoStateWord(std::string_view skinName, bool on) {
  for (const TwoStateWords& words : kTwoStateWords) {
    if (words.skinName == skinName) return on ? words.on : words.off;
  }
  return std::nullopt;
}

VGui::Rect PlaceFieldEditor(const VGui::Rect& control, VGui::Size field, int panelWidth) {
  VGui::Rect placed{control.x + control.width / 2 - field.width / 2,
                    control.y + control.height / 2 - field.height / 2, field.width, field.height};
  // Moved pixel by pixel, the left edge stops at 0, or at the panel's last column.
  if (placed.x < 0) placed.x = 0;
  if (placed.x >= panelWidth) placed.x = std::max(0, panelWidth - 1);
  return placed;
}

float MeterPosition(float level) {
  if (!(double(level) > 1e-50)) return 0.0f;
  const double decibels = 20.0 * std::log10(double(level));
  if (!(decibels > -1000.0)) return 0.0f;
  return float(kMeterZeroDb * std::exp(decibels * kMeterCurve));
}

ConvertorContext ContextFor(Norv& plugin) {
  std::array<float, ParameterTable::kNumFixedParameters> values{};
  for (int32_t index = 0; index < ParameterTable::kNumFixedParameters; ++index) {
    values[size_t(index)] = plugin.Engine().Target(index);
  }
  return ConvertorContext::FromValues(values.data(), plugin.SampleRate());
}

}  // namespace ParameterControls
