// A visualisation panel in place of one of the synth skin's placeholders ("F1Viz", "L1Viz", ...):
// for now a framed, empty display area; the plots of the filters, the drive curve and the
// modulation sources draw into it later. UI thread.
#pragma once

#include "support/gui/controls/CtrlPanel.h"

class VizPanel : public VGui::CtrlPanel {
 public:
  static constexpr const char* kClassName = "VizPanel";
  static constexpr const char* kBaseClassName = "CtrlPanel";
  const char* ClassName() const override { return kClassName; }

  // UI thread
  void Draw(VGui::Canvas& canvas) override;
};
