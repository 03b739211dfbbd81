// Display text for a parameter value and the value for a typed text, for the host and the editor.
#include "plugin/ParameterConvertor.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "dsp/Clamp.h"
#include "dsp/Exp2.h"
#include "dsp/GainLaws.h"
#include "modulation/EnvelopeTimes.h"
#include "modulation/RateConversions.h"
#include "modulation/TempoSync.h"
#include "plugin/ParameterTable.h"
#include "support/TextHelpers.h"

using ParameterTable::Kind;
using ParameterTable::ParameterInfo;
using VDSP::CombMode;
using VDSP::FilterType;
using VFoundation::ReadLeadingNumber;
using VFoundation::ReplaceAll;
using VFoundation::TrimmedLowerCase;

namespace {

constexpr const char* kMinusInfinityDb =
    "-\xE2\x88\x9E"
    "dB";  // "-∞dB" in UTF-8

// Truncation for the integer displays, nudged by 1e-4 of a unit away from zero so that values
// stored from typed whole numbers show the number typed: "53" is stored as 0.529999971, which
// would show "052%", and "40 L" as 0.300000012, which would show " 39% L".
int32_t TruncateForDisplay(float x) {
  return static_cast<int32_t>(x + std::copysign(1e-4f, x));
}

template <typename... Args>
void AppendFormat(std::string& text, const char* format, Args... args) {
  std::array<char, 64> buffer{};
  const int written = std::snprintf(buffer.data(), buffer.size(), format, args...);
  if (written > 0) text.append(buffer.data(), std::min<size_t>(written, buffer.size() - 1));
}

bool Contains(std::string_view text, std::string_view word) {
  return text.find(word) != std::string_view::npos;
}

void RemoveAll(std::string& text, std::string_view word) {
  ReplaceAll(text, word, "");
}

// The editor shows silence as "-oo dB" or "-∞dB"; typing either back means silence.
bool NamesMinusInfinity(std::string_view text) {
  return Contains(text, "-oo") || Contains(text, "-\xE2\x88\x9E");
}

// --- Display ---------------------------------------------------------------------------------

void AppendStageGain(std::string& text, float v) {
  const float gain = VDSP::StageGain(v);
  if (gain <= 0.00001f) {
    text += "-oo dB";
    return;
  }
  const float db = std::fmin(20.0f * std::log10(gain), 24.0f);
  AppendFormat(text, "%0.02f dB", static_cast<double>(db));
}

void AppendDrive(std::string& text, float v) {
  const float gain = VDSP::DriveGain(v);
  if (gain <= 0.00001f) {
    text += "-oo dB";
    return;
  }
  AppendFormat(text, "%0.02f dB", static_cast<double>(20.0f * std::log10(gain)));
}

void AppendOutputGain(std::string& text, float v) {
  const float gain = VDSP::OutputGain(v);
  const float db = gain > 0.0f ? 20.0f * std::log10(gain) : -1000.0f;
  if (gain < 0.000001f || db < -100.0f) {
    text += kMinusInfinityDb;
    return;
  }
  AppendFormat(text, "%0.2fdB", static_cast<double>(std::fmin(db, 6.0f)));
}

void AppendCutoff(std::string& text, float v) {
  const float hz = 440.0f * VDSP::Exp2Poly(12.0f * v - 6.0f);
  if (hz >= 1000.0f) {
    AppendFormat(text, "%0.02f kHz", static_cast<double>(hz / 1000.0f));
  } else {
    AppendFormat(text, "%0.02f Hz", static_cast<double>(hz));
  }
}

void AppendPan(std::string& text, float v) {
  const int32_t pan = TruncateForDisplay(v * 200.0f - 100.0f);
  if (pan == 0) {
    text += "C";
  } else if (pan < 0) {
    AppendFormat(text, "%3d%% L", -pan);
  } else {
    AppendFormat(text, "%3d%% R", pan);
  }
}

// --- Typed text ------------------------------------------------------------------------------

std::optional<float> NumberOver(const std::string& text, double lo, double hi, double scale) {
  const std::optional<double> number = ReadLeadingNumber(text);
  if (!number) return std::nullopt;
  return static_cast<float>(std::clamp(*number, lo, hi) / scale);
}

std::optional<float> TypedRate(std::string text, bool synced) {
  const bool kilo = Contains(text, "khz");
  RemoveAll(text, "khz");
  RemoveAll(text, "hz");
  if (synced) return ConvertStringToRate(text, true);
  const std::optional<double> hz = ReadLeadingNumber(text);
  if (!hz) return std::nullopt;
  return FreeRateValueFromHz(*hz * (kilo ? 1000.0 : 1.0));
}

std::optional<float> TypedCutoff(std::string text, float hostSampleRateHz) {
  const bool kilo = Contains(text, "khz");
  RemoveAll(text, kilo ? "khz" : "hz");
  const std::optional<double> number = ReadLeadingNumber(text);
  if (!number) return std::nullopt;
  const double nyquist = (std::isfinite(hostSampleRateHz) && hostSampleRateHz > 40.0f)
                             ? 0.5 * hostSampleRateHz
                             : 22050.0;
  const double hz = std::max(20.0, std::min(*number * (kilo ? 1000.0 : 1.0), nyquist));
  // 55 Hz is three octaves below the 440 Hz centre of the 12-octave range.
  return static_cast<float>((std::log2(hz / 55.0) + 3.0) / 12.0);
}

// Shared front of the three dB rules: the level in dB, -inf for silence, empty for no number.
std::optional<double> TypedDb(std::string text) {
  RemoveAll(text, "db");
  if (NamesMinusInfinity(text)) return -std::numeric_limits<double>::infinity();
  return ReadLeadingNumber(text);
}

std::optional<float> TypedStageGain(const std::string& text) {
  const std::optional<double> db = TypedDb(text);
  if (!db) return std::nullopt;
  if (std::isinf(*db) && *db < 0.0) return 0.0f;
  const double d = std::clamp(*db, -1000.0, 24.0);
  return VDSP::StageControlForGain(std::pow(10.0, d / 20.0));
}

std::optional<float> TypedOutputGain(const std::string& text) {
  const std::optional<double> db = TypedDb(text);
  if (!db) return std::nullopt;
  if (std::isinf(*db) && *db < 0.0) return 0.0f;
  const double d = std::clamp(*db, -1000.0, 6.02);
  return VDSP::OutputControlForGain(std::pow(10.0, d / 20.0));
}

std::optional<float> TypedDrive(const std::string& text) {
  const std::optional<double> db = TypedDb(text);
  if (!db) return std::nullopt;
  const double d = std::max(*db, 0.0);
  return VDSP::DriveAmountForGain(std::pow(10.0, d / 20.0));
}

std::optional<float> TypedPan(std::string text) {
  ReplaceAll(text, "%", " ");
  if (Contains(text, "c")) return 0.5f;
  for (const auto& [side, sign] : {std::pair{"l", -1.0}, std::pair{"r", 1.0}}) {
    if (!Contains(text, side)) continue;
    RemoveAll(text, side);
    const double amount = std::clamp(ReadLeadingNumber(text).value_or(0.0), 0.0, 100.0);
    return static_cast<float>(0.5 + sign * amount / 200.0);
  }
  return 0.5f;
}

std::optional<float> TypedSeconds(std::string text, int32_t stage) {
  RemoveAll(text, "secs");
  const std::optional<double> seconds = ReadLeadingNumber(text);
  if (!seconds) return std::nullopt;
  return ConvertSecondsToNormalised(*seconds, static_cast<EnvelopeTimeStage>(stage));
}

// Plain on/off words and digits that the letter rules of the switches would misread ("on"
// contains the n of "no", "off" none of the off letters).
std::optional<float> PlainSwitchWord(const std::string& text) {
  if (text == "on" || text == "1") return 1.0f;
  if (text == "off" || text == "0") return 0.0f;
  return std::nullopt;
}

float TypedSyncSwitch(const std::string& text) {
  if (const std::optional<float> plain = PlainSwitchWord(text)) return *plain;
  if (Contains(text, "beats")) return 1.0f;
  // "frequency", the switch's own off word, contains the y of "yes".
  if (Contains(text, "freq")) return 0.0f;
  for (const char* word : {"true", "yes", "y", "b"}) {
    if (Contains(text, word)) return 1.0f;
  }
  return 0.0f;
}

float TypedActiveSwitch(const std::string& text) {
  if (const std::optional<float> plain = PlainSwitchWord(text)) return *plain;
  if (Contains(text, "bypass")) return 0.0f;
  for (const char* word : {"false", "no", "n"}) {
    if (Contains(text, word)) return 0.0f;
  }
  return 1.0f;
}

std::optional<float> TypedValue(const ParameterInfo& info, const std::string& text,
                                const ConvertorContext& context) {
  switch (info.kind) {
    case Kind::kPercent: {
      std::string work = text;
      RemoveAll(work, "%");
      return NumberOver(work, 0.0, 100.0, 100.0);
    }
    case Kind::kDegrees: {
      std::string work = text;
      RemoveAll(work, "degrees");
      return NumberOver(work, 0.0, 360.0, 360.0);
    }
    case Kind::kRate:
      return TypedRate(text, context.ValueOf(info.companion) >= 0.5f);
    case Kind::kCutoff:
      return TypedCutoff(text, context.hostSampleRateHz);
    case Kind::kStageGain:
      return TypedStageGain(text);
    case Kind::kDrive:
      return TypedDrive(text);
    case Kind::kOutputGain:
      return TypedOutputGain(text);
    case Kind::kPan:
      return TypedPan(text);
    case Kind::kSeconds:
      return TypedSeconds(text, info.companion);
    case Kind::kSyncSwitch:
      return TypedSyncSwitch(text);
    case Kind::kActiveSwitch:
      return TypedActiveSwitch(text);
    case Kind::kFilterType:
      return ParameterTable::ValueFromItem(ParameterConvertor::ConvertFilterType(text),
                                           ParameterTable::kNumFilterTypes);
    case Kind::kFilterMode: {
      const int32_t type = ParameterTable::FilterTypeItem(context.ValueOf(info.companion));
      return ParameterTable::ValueFromItem(ParameterConvertor::ConvertFilterMode(text, type),
                                           ParameterTable::FilterModeCount(type));
    }
    case Kind::kDriveMode:
      return ParameterTable::ValueFromItem(ParameterConvertor::ConvertDriveMode(text),
                                           ParameterTable::kNumDriveModes);
    case Kind::kSwitch:
    case Kind::kFMSource:
      break;
  }
  return std::nullopt;
}

// Type 0's keys longest-first, so that "2N+2L(8ve)" is not read as "2N+2L" nor "2L".
constexpr std::array<const char*, VDSP::SH101Filter::kModeCount> kJapanKeySearchOrder = {
    "1N+2P",
    "2N+2P+2N(8ve)",
    "2N+2P(8ve)",
    "2N+2L(8ve)",
    "2N+2L",
    "2N+1H+1L(8ve)",
    "2N+2N(+8ve)",
    "2N+2N(-8ve)",
    "2P+2N(8ve)",
    "2H+2N(8ve)",
    "2H+2N",
    "1H+1L+2N(8ve)",
    "1H+2N+1L(8ve)",
    "2L",
    "4L",
    "2H",
    "4H",
    "2B",
    "4B",
    "2N",
    "4N",
    "2P"};

int32_t ItemOfKey(const ParameterTable::FilterTypeInfo& type, std::string_view key) {
  for (int32_t item = 0; item < type.modes; ++item) {
    if (std::string_view(type.modeTable[item].key) == key) return item;
  }
  return 0;
}

}  // namespace

ConvertorContext ConvertorContext::FromValues(const float* values, float hostSampleRateHz) {
  ConvertorContext context;
  context.hostSampleRateHz = hostSampleRateHz;
  if (values == nullptr) return context;
  context.lfo1Sync = values[ParameterTable::kLFO1Sync];
  context.lfo2Sync = values[ParameterTable::kLFO2Sync];
  context.sandHSync = values[ParameterTable::kSandHSync];
  context.filter1Type = values[ParameterTable::kF1Type];
  context.filter2Type = values[ParameterTable::kF2Type];
  return context;
}

float ConvertorContext::ValueOf(int32_t parameterIndex) const {
  switch (parameterIndex) {
    case ParameterTable::kLFO1Sync:
      return lfo1Sync;
    case ParameterTable::kLFO2Sync:
      return lfo2Sync;
    case ParameterTable::kSandHSync:
      return sandHSync;
    case ParameterTable::kF1Type:
      return filter1Type;
    case ParameterTable::kF2Type:
      return filter2Type;
    default:
      return 0.0f;
  }
}

std::string ParameterConvertor::ValueText(int32_t index, float value, std::string_view prefix,
                                          const ConvertorContext& context) {
  using namespace ParameterTable;
  const float v = VDSP::ClampUnit(value);
  std::string text(prefix);
  const ParameterInfo* info = Info(index);
  if (info == nullptr) {
    AppendFormat(text, "%03d%%", TruncateForDisplay(v * 100.0f));
    return text;
  }
  switch (info->kind) {
    case Kind::kPercent:
      AppendFormat(text, "%03d%%", TruncateForDisplay(v * 100.0f));
      break;
    case Kind::kDegrees:
      AppendFormat(text, "%03d degrees", TruncateForDisplay(v * 360.0f));
      break;
    case Kind::kRate:
      if (context.ValueOf(info->companion) >= 0.5f) {
        text += TempoDivisionNameForValue(v);
      } else {
        AppendFormat(text, "%0.02f Hz", static_cast<double>(FreeRateHz(v)));
      }
      break;
    case Kind::kCutoff:
      AppendCutoff(text, v);
      break;
    case Kind::kStageGain:
      AppendStageGain(text, v);
      break;
    case Kind::kDrive:
      AppendDrive(text, v);
      break;
    case Kind::kOutputGain:
      AppendOutputGain(text, v);
      break;
    case Kind::kPan:
      AppendPan(text, v);
      break;
    case Kind::kSeconds:
      AppendFormat(text, "%0.3f secs",
                   static_cast<double>(
                       EnvelopeStageSeconds(v, static_cast<EnvelopeTimeStage>(info->companion))));
      break;
    case Kind::kSyncSwitch:
    case Kind::kActiveSwitch:
    case Kind::kSwitch:
      text += ItemFromValue(v, 2) == 1 ? info->onWord : info->offWord;
      break;
    case Kind::kFilterType:
      text += kFilterTypes[static_cast<size_t>(FilterTypeItem(v))].display;
      break;
    case Kind::kFilterMode: {
      const int32_t type = FilterTypeItem(context.ValueOf(info->companion));
      text += FilterModeName(type, ItemFromValue(v, FilterModeCount(type)));
      break;
    }
    case Kind::kDriveMode:
      text += kDriveModeNames[static_cast<size_t>(ItemFromValue(v, kNumDriveModes))];
      break;
    case Kind::kFMSource:
      text += kFMSourceNames[static_cast<size_t>(ItemFromValue(v, kNumFMSources))];
      break;
  }
  return text;
}

std::optional<float> ParameterConvertor::TextValue(int32_t index, std::string_view text,
                                                   const ConvertorContext& context) noexcept {
  try {
    const ParameterInfo* info = ParameterTable::Info(index);
    if (info == nullptr) return std::nullopt;
    const std::optional<float> value = TypedValue(*info, TrimmedLowerCase(text), context);
    if (!value || std::isnan(*value)) return std::nullopt;
    return std::clamp(*value, 0.0f, 1.0f);
  } catch (...) {
    return std::nullopt;
  }
}

int32_t ParameterConvertor::ConvertFilterMode(std::string_view text, int32_t typeItem) {
  const int32_t typeIndex = std::clamp(typeItem, 0, ParameterTable::kNumFilterTypes - 1);
  const ParameterTable::FilterTypeInfo& type =
      ParameterTable::kFilterTypes[static_cast<size_t>(typeIndex)];
  const std::string typed = TrimmedLowerCase(text);
  // A display text names its own item: several would read as another item's key ("1N + 2P" holds
  // the "2P" of item 6 but not the key "1N+2P", "Notch" holds the "H" of "High pass").
  for (int32_t item = 0; item < type.modes; ++item) {
    if (typed == TrimmedLowerCase(type.modeTable[item].display)) return item;
  }
  constexpr auto kNegative = static_cast<int32_t>(CombMode::kNegative);
  constexpr auto kPositive = static_cast<int32_t>(CombMode::kPositive);
  switch (static_cast<FilterType>(typeIndex)) {
    case FilterType::kJapan:
      for (const char* key : kJapanKeySearchOrder) {
        if (Contains(typed, TrimmedLowerCase(key))) return ItemOfKey(type, key);
      }
      return 0;
    case FilterType::kComb:
      if (Contains(typed, "-") || Contains(typed, "negative")) return kNegative;
      if (Contains(typed, "+") || Contains(typed, "positive")) return kPositive;
      return kNegative;
    default:
      for (int32_t item = 0; item < type.modes; ++item) {
        if (Contains(typed, TrimmedLowerCase(type.modeTable[item].key))) return item;
      }
      return 0;
  }
}

int32_t ParameterConvertor::ConvertDriveMode(std::string_view text) {
  const std::string typed = TrimmedLowerCase(text);
  // "Half rectifier" holds none of the keys.
  for (int32_t item = 0; item < ParameterTable::kNumDriveModes; ++item) {
    if (typed == TrimmedLowerCase(ParameterTable::kDriveModeNames[static_cast<size_t>(item)])) {
      return item;
    }
  }
  using VDSP::DistortionMode;
  static constexpr std::array<DistortionMode, ParameterTable::kNumDriveModes> kSearchOrder = {
      DistortionMode::kDiode, DistortionMode::kHalfRectifier, DistortionMode::kOpAmp,
      DistortionMode::kOta,   DistortionMode::kShredder,      DistortionMode::kClipper,
      DistortionMode::kTannin};
  for (const DistortionMode mode : kSearchOrder) {
    const auto item = static_cast<int32_t>(mode);
    if (Contains(typed, ParameterTable::kDriveModeKeys[static_cast<size_t>(item)])) return item;
  }
  return 0;
}

int32_t ParameterConvertor::ConvertFilterType(std::string_view text) {
  const std::string typed = TrimmedLowerCase(text);
  // "S.V.F" holds the f of "fatty".
  for (int32_t item = 0; item < ParameterTable::kNumFilterTypes; ++item) {
    if (typed ==
        TrimmedLowerCase(ParameterTable::kFilterTypes[static_cast<size_t>(item)].display)) {
      return item;
    }
  }
  const auto item = [](FilterType type) { return static_cast<int32_t>(type); };
  if (Contains(typed, "comb") || Contains(typed, "c")) return item(FilterType::kComb);
  // The type's own key "svf" holds the f of "fatty" too, so it is looked for first.
  if (Contains(typed, "svf")) return item(FilterType::kSvf);
  if (Contains(typed, "fatty") || Contains(typed, "f")) return item(FilterType::kFatty);
  if (Contains(typed, "s")) return item(FilterType::kSvf);
  return item(FilterType::kJapan);
}
