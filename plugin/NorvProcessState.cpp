// The engine's part of the plug-in state: its parameter rows, source polarities, XY values and the
// filter link offset, to and from the state document or a plain EngineState record.
#include "plugin/NorvProcess.h"
#include "plugin/StateDocument.h"

#include <type_traits>

// Node = VFoundation::XmlNode: the engine element of the state document.
// Node = NorvState::EngineState*: a plain record (save copies the engine into it, load applies it),
// which is how a state parsed on the UI thread reaches the audio thread without touching XML there.
// Loading sets every value with the immediate flag, so bases and targets land at once, and leaves
// the modulated flags recomputed. Save: any thread that owns the engine; load: that thread.
template <typename Node>
bool NorvProcess::SerializeAsXML(Node node, bool save) {
  if constexpr (std::is_pointer_v<Node>) {
    if (!node) return false;
    NorvState::EngineState& state = *node;
    if (save) {
      for (int32_t p = 0; p < kNumParameters; ++p) {
        for (int32_t column = 0; column < kNumColumns; ++column) {
          state.rows[p][column] = RowValue(p, column);
        }
      }
      for (int32_t source = 0; source < kNumColumns; ++source) {
        state.unipolar[source] = IsUnipolar(source) ? 1 : 0;
      }
      state.macroValues = {MacroValue(0), MacroValue(1)};
      state.linkOffset = LinkOffset();
      return true;
    }
    // The filters, drive and sources start afresh with the new sound, as after a reset.
    Reset();
    for (int32_t p = 0; p < kNumParameters; ++p) {
      for (int32_t column = 0; column < kNumColumns; ++column) {
        SetParameter(p, column, state.rows[p][column], true);
      }
    }
    for (int32_t source = 0; source < kNumColumns; ++source) {
      SetPolarMode(source, state.unipolar[source] != 0);
    }
    SetMacroValue(0, state.macroValues[0]);
    SetMacroValue(1, state.macroValues[1]);
    RecomputeModulatedFlags();
    // Setting the cutoffs and the link switch recomputed the offset; the stored one wins, as it may
    // hold an offset that the clamped cutoffs no longer show.
    SetLinkOffset(state.linkOffset);
    return true;
  } else {
    if (!node) return false;
    NorvState::EngineState state;
    if (save) {
      SerializeAsXML(&state, true);
      NorvState::WriteEngineState(node, state);
      return true;
    }
    NorvState::ReadEngineState(node, state);
    return SerializeAsXML(&state, false);
  }
}

template bool NorvProcess::SerializeAsXML<NorvState::EngineState*>(NorvState::EngineState*, bool);
template bool NorvProcess::SerializeAsXML<VFoundation::XmlNode>(VFoundation::XmlNode, bool);
