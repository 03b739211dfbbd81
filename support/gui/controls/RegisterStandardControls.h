// Makes the standard controls known to the class registry, each under its class name with its
// base: CtrlPanel, CtrlLabel, AutoShorteningLabel (CtrlLabel), CtrlButton, KickButton,
// FlashingButton (CtrlButton), SingleFlashButton, AutoHideFlashingButton (FlashingButton),
// CtrlButtonGroup, CtrlComboBox, CtrlSlider, CtrlKnob, CtrlTextBox, CtrlLevelStrip and VUMeter
// (CtrlLevelStrip); the others derive from Ctrl. UI thread.
#pragma once

namespace VGui {

// Registers every standard control; a second call does no harm. Answers false, with a log line
// "<class> failed to startup", when any registration failed; the rest are registered. UI thread
bool RegisterStandardControls();

}  // namespace VGui
