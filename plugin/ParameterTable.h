// The 60 fixed parameters: keys, names, defaults, display kinds and the enumerated item tables.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "dsp/Distortion.h"
#include "dsp/MultiTypeFilter.h"

namespace ParameterTable {

inline constexpr int32_t kNumFixedParameters = 60;
// The fixed parameters plus the two assignable ones the binding map names.
inline constexpr int32_t kNumAssignableParameters = 2;
inline constexpr int32_t kNumHostParameters = kNumFixedParameters + kNumAssignableParameters;

// Items of the enumerated parameters: the filter types and the drive modes are the DSP's own.
inline constexpr int32_t kNumFilterTypes = static_cast<int32_t>(VDSP::kFilterTypeCount);
inline constexpr int32_t kNumDriveModes = static_cast<int32_t>(VDSP::kDistortionModeCount);
inline constexpr int32_t kNumFMSources = 4;

// Indices of the fixed parameters; the names follow the stored keys. Plain enum on purpose: the
// values index parameter rows, host parameters and messages.
enum ParamId : int32_t {
  kLFO1Rate = 0,
  kLFO1Shape,
  kLFO1Phase,
  kLFO1Gain,
  kLFO1Sync,
  kLFO1Swing,
  kLFO2Rate,
  kLFO2Shape,
  kLFO2Phase,
  kLFO2Gain,
  kLFO2Sync,
  kLFO2Swing,
  kEnvAttack,
  kEnvHold,
  kEnvDecay,
  kEnvCurve,
  kEnvVelRespond,
  kEnvGain,
  kSandHRate,
  kSandHSlew,
  kSandHSync,
  kSandHSource,
  kSandHGain,
  kEnvFollowAttack,
  kEnvFollowDecay,
  kEnvFollowThresh,
  kEnvFollowSource,
  kEnvFollowGain,
  kDriveAmount,
  kDriveMode,
  kDriveActive,
  kDrivePre,
  kFilterLayout,
  kFilterLink,
  kF1Cutoff,
  kF1Res,
  kF1Active,
  kF1GainPre,
  kF1GainPost,
  kF1Mode,
  kF1Type,
  kF1FM,
  kF1FMSource,
  kF1Pan,
  kF2Cutoff,
  kF2Res,
  kF2Active,
  kF2GainPre,
  kF2GainPost,
  kF2Mode,
  kF2Type,
  kF2FM,
  kF2FMSource,
  kF2Pan,
  kMix,
  kGain,
  kComp,
  kHPSC,
  kBypass,
  kCompMode,
};
static_assert(kCompMode + 1 == kNumFixedParameters);

// How a value turns into display text and typed text back into a value.
enum class Kind : uint8_t {
  kPercent,       // "%03d%%"
  kDegrees,       // 0-360 degrees
  kRate,          // free Hz or tempo division, after the owner's sync switch
  kCutoff,        // 440 * 2^(12v - 6) Hz
  kStageGain,     // filter pre/post gain in dB
  kDrive,         // drive gain in dB
  kOutputGain,    // output gain in dB, 0 dB at 0.7937005
  kPan,           // L / C / R
  kSeconds,       // envelope stage time
  kSyncSwitch,    // "Frequency" / "Beats", typed "beats", "yes", ...
  kActiveSwitch,  // "Bypassed" / "Active", typed "bypass", "no", ...
  kSwitch,        // two words, no typed text
  kFilterType,    // 4 items
  kFilterMode,    // items of the slot's filter type
  kDriveMode,     // 7 items
  kFMSource,      // 4 items, no typed text
};

struct ParameterInfo {
  const char* key;        // stored identifier, never changes
  const char* shortName;  // at most 7 characters: what the host shows
  const char* longName;   // bindings and menus
  float defaultValue;
  Kind kind;
  // Items of an enumerated parameter (2 for switches); 0 for continuous ones and for the filter
  // mode, whose count follows the slot's type.
  int8_t items;
  // kRate: index of the owner's sync switch; kFilterMode: index of the slot's type;
  // kSeconds: the envelope stage (0 attack, 1 hold, 2 decay); otherwise -1.
  int8_t companion;
  const char* offWord;  // switches: the word for item 0
  const char* onWord;   // switches: the word for item 1
  // Items and switches: a new value is taken at once. Gliding would pass through every item in
  // between (a type change from "Japan" to "Comb" would run "S.V.F" and "Fatty" on the way).
  bool stepped;
};

namespace detail {
constexpr ParameterInfo Continuous(const char* key, const char* shortName, const char* longName,
                                   float defaultValue, Kind kind, int8_t companion = -1) {
  return {key, shortName, longName, defaultValue, kind, 0, companion, nullptr, nullptr, false};
}
constexpr ParameterInfo Items(const char* key, const char* shortName, const char* longName,
                              float defaultValue, Kind kind, int8_t items, int8_t companion = -1) {
  return {key, shortName, longName, defaultValue, kind, items, companion, nullptr, nullptr, true};
}
constexpr ParameterInfo Switch(const char* key, const char* shortName, const char* longName,
                               float defaultValue, Kind kind, const char* offWord,
                               const char* onWord) {
  return {key, shortName, longName, defaultValue, kind, 2, -1, offWord, onWord, true};
}
}  // namespace detail

inline constexpr std::array<ParameterInfo, kNumFixedParameters> kParameters = {{
    detail::Continuous("LFO1Rate", "L1 Rate", "LFO 1 Rate", 0.5f, Kind::kRate, kLFO1Sync),
    detail::Continuous("LFO1Shape", "L1 Shpe", "LFO 1 Shape", 0.5f, Kind::kPercent),
    detail::Continuous("LFO1Phase", "L1 Phs", "LFO 1 Phase", 0.5f, Kind::kDegrees),
    detail::Continuous("LFO1Gain", "L1 Gain", "LFO 1 Gain", 1.0f, Kind::kPercent),
    detail::Switch("LFO1Sync", "L1 Sync", "LFO 1 Sync", 1.0f, Kind::kSyncSwitch, "Frequency",
                   "Beats"),
    detail::Continuous("LFO1Swing", "L1 Mrph", "LFO 1 Morph", 0.5f, Kind::kPercent),
    detail::Continuous("LFO2Rate", "L2 Rate", "LFO 2 Rate", 0.5f, Kind::kRate, kLFO2Sync),
    detail::Continuous("LFO2Shape", "L2 Shpe", "LFO 2 Shape", 0.5f, Kind::kPercent),
    detail::Continuous("LFO2Phase", "L2 Phs", "LFO 2 Phase", 0.5f, Kind::kDegrees),
    detail::Continuous("LFO2Gain", "L2 Gain", "LFO 2 Gain", 1.0f, Kind::kPercent),
    detail::Switch("LFO2Sync", "L2 Sync", "LFO 2 Sync", 1.0f, Kind::kSyncSwitch, "Frequency",
                   "Beats"),
    detail::Continuous("LFO2Swing", "L2 Mrph", "LFO 2 Morph", 0.5f, Kind::kPercent),
    detail::Continuous("EnvAttack", "Env Atk", "Envelope Attack", 0.0f, Kind::kSeconds, 0),
    detail::Continuous("EnvHold", "Env Hld", "Envelope Hold", 0.0f, Kind::kSeconds, 1),
    detail::Continuous("EnvDecay", "Env Dcy", "Envelope Decay", 0.5f, Kind::kSeconds, 2),
    detail::Continuous("EnvCurve", "Env Crv", "Envelope Curve", 0.1f, Kind::kPercent),
    detail::Switch("EnvVelRespond", "Env Vel", "Envelope responds to velocity", 0.0f, Kind::kSwitch,
                   "Independent of velocity", "Scaled by velocity"),
    detail::Continuous("EnvGain", "Env Gai", "Envelope Gain", 1.0f, Kind::kPercent),
    detail::Continuous("SandHRate", "SH Rate", "Sample and Hold Rate", 0.5f, Kind::kRate,
                       kSandHSync),
    detail::Continuous("SandHSlew", "SH Slew", "Sample and Hold Slew", 0.5f, Kind::kPercent),
    detail::Switch("SandHSync", "SH Sync", "Sample and Hold Sync", 1.0f, Kind::kSyncSwitch,
                   "Frequency", "Beats"),
    detail::Switch("SandHSource", "SH Src", "Sample and Hold Source", 0.0f, Kind::kSwitch,
                   "Noise Generator", "In 3+4"),
    detail::Continuous("SandHGain", "SH Gain", "Sample and Hold Gain", 1.0f, Kind::kPercent),
    detail::Continuous("EnvFollowAttack", "EVF Atk", "Envelope Follower Attack", 0.5f,
                       Kind::kPercent),
    detail::Continuous("EnvFollowDecay", "EVF Dcy", "Envelope Follower Decay", 0.5f,
                       Kind::kPercent),
    detail::Continuous("EnvFollowThresh", "EVF Lev", "Envelope Follower Level", 0.5f,
                       Kind::kPercent),
    detail::Switch("EnvFollowSource", "EVF Src", "Envelope Follower Source", 0.0f, Kind::kSwitch,
                   "In 1+2", "In 3+4"),
    detail::Continuous("EnvFollowGain", "EVF Gai", "Envelope Follower Gain", 1.0f, Kind::kPercent),
    detail::Continuous("DriveAmount", "Dst Amt", "Distortion Amount", 0.0f, Kind::kDrive),
    detail::Items("DriveMode", "Dst Mde", "Distortion Mode", 0.0f, Kind::kDriveMode,
                  kNumDriveModes),
    detail::Switch("DriveActive", "Dst Act", "Distortion Active", 0.0f, Kind::kActiveSwitch,
                   "Bypassed", "Active"),
    detail::Switch("DrivePre", "Dst Pre", "Distortion Pre", 1.0f, Kind::kSwitch, "Post", "Pre"),
    detail::Switch("FilterLayout", "Paralle", "Filter Layout", 0.0f, Kind::kSwitch, "Serial",
                   "Parallel"),
    detail::Switch("FilterLink", "Link", "Filter Freq Link", 0.0f, Kind::kSwitch, "Unlinked",
                   "Linked"),
    detail::Continuous("F1Cutoff", "F1 Freq", "Filter 1 Freq", 1.0f, Kind::kCutoff),
    detail::Continuous("F1Res", "F1 Rez", "Filter 1 Resonance", 0.0f, Kind::kPercent),
    detail::Switch("F1Active", "F1 Act", "Filter 1 Active", 1.0f, Kind::kActiveSwitch, "Bypassed",
                   "Active"),
    detail::Continuous("F1GainPre", "F1 Pre", "Filter 1 Gain Pre", 0.5f, Kind::kStageGain),
    detail::Continuous("F1GainPost", "F1 Post", "Filter 1 Gain Post", 0.58f, Kind::kStageGain),
    detail::Items("F1Mode", "F1 Mode", "Filter 1 Mode", 0.0f, Kind::kFilterMode, 0, kF1Type),
    detail::Items("F1Type", "F1 Type", "Filter 1 Type", 0.0f, Kind::kFilterType, kNumFilterTypes),
    detail::Continuous("F1FM", "F1 FM D", "Filter 1 FM Depth", 0.0f, Kind::kPercent),
    detail::Items("F1FMSource", "F1 FM S", "Filter 1 FM Source", 0.0f, Kind::kFMSource,
                  kNumFMSources),
    detail::Continuous("F1Pan", "F1 Pan", "Filter 1 Pan", 0.5f, Kind::kPan),
    detail::Continuous("F2Cutoff", "F2 Freq", "Filter 2 Freq", 1.0f, Kind::kCutoff),
    detail::Continuous("F2Res", "F2 Rez", "Filter 2 Resonance", 0.0f, Kind::kPercent),
    detail::Switch("F2Active", "F2 Act", "Filter 2 Active", 1.0f, Kind::kActiveSwitch, "Bypassed",
                   "Active"),
    detail::Continuous("F2GainPre", "F2 Pre", "Filter 2 Gain Pre", 0.5f, Kind::kStageGain),
    detail::Continuous("F2GainPost", "F2 Post", "Filter 2 Gain Post", 0.58f, Kind::kStageGain),
    detail::Items("F2Mode", "F2 Mode", "Filter 2 Mode", 0.0f, Kind::kFilterMode, 0, kF2Type),
    detail::Items("F2Type", "F2 Type", "Filter 2 Type", 0.0f, Kind::kFilterType, kNumFilterTypes),
    detail::Continuous("F2FM", "F2 FM D", "Filter 2 FM Depth", 0.0f, Kind::kPercent),
    detail::Items("F2FMSource", "F2 FM S", "Filter 2 FM Source", 0.0f, Kind::kFMSource,
                  kNumFMSources),
    detail::Continuous("F2Pan", "F2 Pan", "Filter 2 Pan", 0.5f, Kind::kPan),
    detail::Continuous("Mix", "Mix", "Mix", 1.0f, Kind::kPercent),
    // 0.7937005 = 2^(-1/3): unity through the 2 v^3 output gain law.
    detail::Continuous("Gain", "Gain", "Gain", 0.7937005f, Kind::kOutputGain),
    detail::Continuous("Comp", "Comp", "Compression", 0.342499f, Kind::kPercent),
    detail::Switch("HPSC", "HPSC", "Hi-pass filter inputs 3+4", 0.0f, Kind::kSwitch, "Inactive",
                   "Active"),
    detail::Switch("Bypass", "Bypass", "Plugin Bypass", 1.0f, Kind::kSwitch, "Bypassed", "Active"),
    detail::Switch("CompMode", "Co Mode", "Compressor Mode", 0.0f, Kind::kSwitch, "Soft", "Hard"),
}};

// The layout switch's value box has room for three letters only.
inline constexpr std::array<const char*, 2> kFilterLayoutValueBoxWords = {"Ser", "Par"};

// --- Lookups ---------------------------------------------------------------------------------

// nullptr outside 0-59. // any thread
constexpr const ParameterInfo* Info(int32_t index) {
  return (index >= 0 && index < kNumFixedParameters) ? &kParameters[static_cast<size_t>(index)]
                                                     : nullptr;
}

// Whether the parameter is stepped (items or a switch); false outside 0-59. // any thread
constexpr bool IsStepped(int32_t index) {
  const ParameterInfo* info = Info(index);
  return info != nullptr && info->stepped;
}

// The stored key; "Unknown" outside 0-59. // any thread
const char* ParameterToString(int32_t index);
// The short (host) or long name; "Unknown" outside 0-59. // any thread
const char* ParameterToUserString(int32_t index, bool shortName);
// The default normalised value; 0 for an index not in the table. // any thread
float GetParameterDefaultValue(int32_t index);
// The index of a stored key (exact, case-sensitive), or -1. // any thread
int32_t FindParameter(std::string_view key);

// Item of an enumerated value: the integer part of v * (items - 1) + 0.5, kept within 0..items-1
// (NaN reads as item 0). // any thread
int32_t ItemFromValue(float value, int32_t items);
// The stored value of an item: item / (items - 1). // any thread
float ValueFromItem(int32_t item, int32_t items);

// --- Filter types and modes ------------------------------------------------------------------

struct FilterModeInfo {
  const char* display;
  const char* key;  // typed key, matched without regard to case
};

struct FilterTypeInfo {
  const char* display;
  int32_t modes;
  const FilterModeInfo* modeTable;
};

inline constexpr std::array<FilterModeInfo, VDSP::SH101Filter::kModeCount> kJapanModes = {{
    {"2 pole low pass (2L)", "2L"},
    {"4 pole low pass (4L)", "4L"},
    {"2 pole band pass (2B)", "2B"},
    {"4 pole band pass (4B)", "4B"},
    {"2 pole high pass (2H)", "2H"},
    {"4 pole high pass (4H)", "4H"},
    {"2 pole peak (2P)", "2P"},
    {"1N + 2P", "1N+2P"},
    {"2N + 2P (8ve)", "2N+2P(8ve)"},
    {"2N + 2L (8ve)", "2N+2L(8ve)"},
    {"2N + 1H + 1L (8ve)", "2N+1H+1L(8ve)"},
    {"2P + 2N (8ve)", "2P+2N(8ve)"},
    {"2H + 2N (8ve)", "2H+2N(8ve)"},
    {"1H + 1L + 2N (8ve)", "1H+1L+2N(8ve)"},
    {"2N + 2P + 2N (8ve)", "2N+2P+2N(8ve)"},
    {"2N", "2N"},
    {"4N", "4N"},
    {"2N + 2L", "2N+2L"},
    {"2H + 2N", "2H+2N"},
    {"1H + 2N + 1L (8ve)", "1H+2N+1L(8ve)"},
    {"2N + 2N (+8ve)", "2N+2N(+8ve)"},
    {"2N + 2N (-8ve)", "2N+2N(-8ve)"},
}};

inline constexpr std::array<FilterModeInfo, VDSP::StateVariableFilter::kModeCount> kSvfModes = {{
    {"2 pole low pass (2L)", "2L"},
    {"4 pole low pass (4L)", "4L"},
    {"2 pole high pass (2H)", "2H"},
    {"4 pole high pass (4H)", "4H"},
    {"2 pole band pass (2B)", "2B"},
    {"4 pole band pass (4B)", "4B"},
    {"2 pole notch (2N)", "2N"},
    {"4 pole notch (4N)", "4N"},
    {"2 pole peak (2P)", "2P"},
    {"4 pole peak (4P)", "4P"},
}};

inline constexpr std::array<FilterModeInfo, VDSP::MS20Filter::kModeCount> kFattyModes = {{
    {"Low pass", "L"},
    {"Band pass", "B"},
    {"High pass", "H"},
    {"Notch", "N"},
}};

// Comb also takes "negative" and "positive" typed in full.
inline constexpr std::array<FilterModeInfo, VDSP::CombFilter::kModeCount> kCombModes = {{
    {"Negative", "-"},
    {"Positive", "+"},
}};

// In VDSP::FilterType order.
inline constexpr std::array<FilterTypeInfo, kNumFilterTypes> kFilterTypes = {{
    {"Japan", static_cast<int32_t>(kJapanModes.size()), kJapanModes.data()},
    {"S.V.F", static_cast<int32_t>(kSvfModes.size()), kSvfModes.data()},
    {"Fatty", static_cast<int32_t>(kFattyModes.size()), kFattyModes.data()},
    {"Comb", static_cast<int32_t>(kCombModes.size()), kCombModes.data()},
}};

// Item of a filter-type value (0 Japan, 1 S.V.F, 2 Fatty, 3 Comb). // any thread
int32_t FilterTypeItem(float typeValue);
// Number of modes of a type item (kept within 0..3). // any thread
int32_t FilterModeCount(int32_t typeItem);
// Display text of a mode item of a type item; both are kept within their ranges. // any thread
const char* FilterModeName(int32_t typeItem, int32_t modeItem);

// --- Drive modes -----------------------------------------------------------------------------

inline constexpr const auto& kDriveModeNames = VDSP::kDistortionModeNames;
inline constexpr const auto& kDriveModeKeys = VDSP::kDistortionModeKeys;

// --- FM sources ------------------------------------------------------------------------------
// Display words after the caller's prefix: LFO 1, LFO 2, the mono sum of inputs 1+2 and of 3+4.
inline constexpr std::array<const char*, kNumFMSources> kFMSourceNames = {"LFO1", "LFO2", "IN1+2",
                                                                          "IN3+4"};

}  // namespace ParameterTable
