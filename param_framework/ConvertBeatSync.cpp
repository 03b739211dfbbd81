// Beat-synchronised converters.
#include "param_framework/ConvertBeatSync.h"

#include <cmath>

#include "param_framework/ConvertFrequency.h"
#include "param_framework/ConvertNote.h"
#include "param_framework/ConvertTime.h"
#include "param_framework/TypedText.h"

namespace VDSP {

namespace {

// The delegates are made on first use and live until the library unloads (function-level
// statics, whose construction the language makes thread-safe).
template <typename Convert>
const Convert& Delegate() {
  static const Convert instance;
  return instance;
}

bool NamesNoteLength(std::string_view text) {
  const TypedText typed(text);
  return typed.Contains("NOTE") || typed.Contains("/");
}

bool BeatMode(const VConvertEnum& modes, double modeValue) {
  return ModeIndex(modes, modeValue) == 1;
}

}  // namespace

TimeBeatMode::TimeBeatMode()
    : VConvertEnum({"VConvertTimeBeat::ConvertMode", "Enum", "(enumerated list)"}) {
  SetItem(0, "Seconds");
  SetItem(1, "BPM");
}

FrequencyBeatMode::FrequencyBeatMode()
    : VConvertEnum({"VConvertFrequencyBeat::ConvertMode", "Enum", "(enumerated list)"}) {
  SetItem(0, "Freq");
  SetItem(1, "Beats");
}

int ModeIndex(const VConvertEnum& modes, double modeValue) {
  return modes.ItemOfValue(modeValue);
}

const VConvertTimeBeat::ConvertMode& VConvertTimeBeat::Modes() {
  return Delegate<ConvertMode>();
}

double VConvertTimeBeat::TextToValue(std::string_view text) const {
  if (NamesNoteLength(text)) return Delegate<VConvertBPM>().TextToValue(text);
  return Delegate<VConvertTimeLog>().TextToValueClamped(text);
}

void VConvertTimeBeat::FormatValue(WorkText& text, double value, double modeValue,
                                   int precision) const {
  if (BeatMode(Modes(), modeValue)) {
    Delegate<VConvertBPM>().FormatValue(text, value, modeValue, precision);
  } else {
    Delegate<VConvertTimeLog>().FormatValueClamped(text, value, precision);
  }
}

const VConvertTimeBeatCube::ConvertMode& VConvertTimeBeatCube::Modes() {
  return Delegate<ConvertMode>();
}

double VConvertTimeBeatCube::TextToValue(std::string_view text) const {
  if (NamesNoteLength(text)) return Delegate<VConvertBPMCube>().TextToValue(text);
  return Delegate<VConvertTimeCube>().TextToValue(text);
}

void VConvertTimeBeatCube::FormatValue(WorkText& text, double value, double modeValue,
                                       int precision) const {
  if (BeatMode(Modes(), modeValue)) {
    Delegate<VConvertBPMCube>().FormatValue(text, value, modeValue, precision);
  } else {
    Delegate<VConvertTimeCube>().FormatValue(text, value, modeValue, precision);
  }
}

const VConvertFrequencyBeat::ConvertMode& VConvertFrequencyBeat::Modes() {
  return Delegate<ConvertMode>();
}

double VConvertFrequencyBeat::TextToValue(std::string_view text) const {
  if (NamesNoteLength(text)) return -Delegate<VConvertBPM>().TextToValue(text);
  return Delegate<VConvertFrequencyLog>().TextToValue(text);
}

void VConvertFrequencyBeat::FormatValue(WorkText& text, double value, double modeValue,
                                        int precision) const {
  if (BeatMode(Modes(), modeValue)) {
    Delegate<VConvertBPM>().FormatValue(text, -value, modeValue, precision);
  } else {
    Delegate<VConvertFrequencyLog>().FormatValue(text, value, modeValue, precision);
  }
}

const VConvertFrequencyBeatCube::ConvertMode& VConvertFrequencyBeatCube::Modes() {
  return Delegate<ConvertMode>();
}

double VConvertFrequencyBeatCube::TextToValue(std::string_view text) const {
  if (NamesNoteLength(text)) return Delegate<VConvertBPMCube>().TextToValue(text);
  return Delegate<VConvertFrequencyCube>().TextToValue(text);
}

void VConvertFrequencyBeatCube::FormatValue(WorkText& text, double value, double modeValue,
                                            int precision) const {
  if (BeatMode(Modes(), modeValue)) {
    Delegate<VConvertBPMCube>().FormatValue(text, value, modeValue, precision);
  } else {
    Delegate<VConvertFrequencyCube>().FormatValue(text, value, modeValue, precision);
  }
}

const VConvertFrequencyBeatDetune::ConvertMode& VConvertFrequencyBeatDetune::Modes() {
  return Delegate<ConvertMode>();
}

double VConvertFrequencyBeatDetune::TextToValue(std::string_view text) const {
  if (NamesNoteLength(text)) return Delegate<VConvertBeatDetune>().TextToValue(text);
  return Delegate<VConvertFrequencyDetune>().TextToValue(text);
}

void VConvertFrequencyBeatDetune::FormatValue(WorkText& text, double value, double modeValue,
                                              int precision) const {
  if (BeatMode(Modes(), modeValue)) {
    Delegate<VConvertBeatDetune>().FormatValue(text, value, modeValue, precision);
  } else {
    Delegate<VConvertFrequencyDetune>().FormatValue(text, value, modeValue, precision);
  }
}

}  // namespace VDSP
