# The synth panel, its controls (knobs, faders, XY pad, Transmod selector, visualisation panels)
# and the control table; the skins under Resources/ are copied by the build.
set(TAVO_EDITOR_PANELS_FILES
  editor/EditorDelegateUser.h
  editor/ParameterControls.cpp
  editor/ParameterControls.h
  editor/SmartControl.h
  editor/SmartFader.cpp
  editor/SmartFader.h
  editor/SmartKnob.cpp
  editor/SmartKnob.h
  editor/SynthEditor.cpp
  editor/SynthEditor.h
  editor/TransmodPanel.cpp
  editor/TransmodPanel.h
  editor/VizPanel.cpp
  editor/VizPanel.h
  editor/XYPad.cpp
  editor/XYPad.h)
set(TAVO_EDITOR_PANELS_TESTS
  tests/editor/panels/PanelTestKit.h
  tests/editor/panels/ParameterControls_test.cpp
  tests/editor/panels/SkinLayout_test.cpp
  tests/editor/panels/SynthEditor_test.cpp
  tests/editor/panels/TransmodPanel_test.cpp
  tests/editor/panels/XYPad_test.cpp)
