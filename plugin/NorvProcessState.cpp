// The engine's part of the plug-in state: its parameter rows, source polarities, XY values and the
// filter link offset, copied into and applied from the plain record the state document and the
// state store carry.
#include "plugin/NorvProcess.h"
#include "plugin/PluginState.h"

void NorvProcess::CaptureState(EngineState& state) const {
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
}

void NorvProcess::ApplyState(const EngineState& state) {
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
}
