// The standard controls in the class registry.
#include "support/gui/controls/RegisterStandardControls.h"

#include "support/Log.h"
#include "support/gui/ClassRegistry.h"
#include "support/gui/controls/CtrlButton.h"
#include "support/gui/controls/CtrlButtonGroup.h"
#include "support/gui/controls/CtrlComboBox.h"
#include "support/gui/controls/CtrlKnob.h"
#include "support/gui/controls/CtrlLabel.h"
#include "support/gui/controls/CtrlLevelStrip.h"
#include "support/gui/controls/CtrlPanel.h"
#include "support/gui/controls/CtrlSlider.h"
#include "support/gui/controls/CtrlTextBox.h"
#include "support/gui/controls/FlashingButton.h"

namespace VGui {
namespace {

template <class T, class Base>
bool Register() {
  if (RegisterClass<T>(T::kClassName, Base::kClassName)) return true;
  VFoundation::Log("%s failed to startup\n", T::kClassName);
  return false;
}

}  // namespace

bool RegisterStandardControls() {
  // Bases before the classes derived from them: the registry checks that a base is known.
  const bool results[] = {
      Register<CtrlPanel, Ctrl>(),
      Register<CtrlLabel, Ctrl>(),
      Register<AutoShorteningLabel, CtrlLabel>(),
      Register<CtrlButton, Ctrl>(),
      Register<KickButton, CtrlButton>(),
      Register<FlashingButton, CtrlButton>(),
      Register<SingleFlashButton, FlashingButton>(),
      Register<AutoHideFlashingButton, FlashingButton>(),
      Register<CtrlButtonGroup, Ctrl>(),
      Register<CtrlComboBox, Ctrl>(),
      Register<CtrlSlider, Ctrl>(),
      Register<CtrlKnob, Ctrl>(),
      Register<CtrlTextBox, Ctrl>(),
      Register<CtrlLevelStrip, Ctrl>(),
      Register<VUMeter, CtrlLevelStrip>(),
  };
  for (bool ok : results) {
    if (!ok) return false;
  }
  return true;
}

}  // namespace VGui
