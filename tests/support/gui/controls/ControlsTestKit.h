// Test doubles for the standard controls: a canvas that records what was drawn (arcs with their
// angles, texts, fills with their colours; the core tests' recording canvas), a listener that
// records the events a control reports, and a root to drive controls through the same entry points
// the window uses.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/gui/Canvas.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/Events.h"
#include "tests/support/gui/core/RecordingCanvas.h"

namespace VGuiControlsTest {

using Drawn = VGuiTest::DrawCall;

// The recording canvas with text 6 logical pixels per UTF-8 character, whatever the font.
class DrawRecorder : public VGuiTest::RecordingCanvas {
 public:
  static constexpr float kCharacterWidth = 6.0f;

  float TextWidth(std::string_view text, const VGui::Font&) override {
    return kCharacterWidth * float(Characters(text));
  }
  static int Characters(std::string_view text) {
    int count = 0;
    for (char c : text) count += (static_cast<unsigned char>(c) & 0xC0u) != 0x80u;
    return count;
  }
};

// Records every event with the control's value at that moment.
class EventLog : public VGui::ICtrlListener {
 public:
  struct Entry {
    VGui::ControlEventKind kind;
    float value;
  };
  std::vector<Entry> entries;

  void ControlEvent(VGui::Ctrl& control, VGui::ControlEventKind kind) override {
    entries.push_back({kind, control.Value()});
  }
  int Count(VGui::ControlEventKind kind) const {
    int n = 0;
    for (const auto& e : entries) n += e.kind == kind;
    return n;
  }
  std::vector<VGui::ControlEventKind> Kinds() const {
    std::vector<VGui::ControlEventKind> kinds;
    for (const auto& e : entries) kinds.push_back(e.kind);
    return kinds;
  }
  void Clear() { entries.clear(); }
};

// A 600 x 400 root to put controls on, with mouse and key helpers in root coordinates.
class RootHarness {
 public:
  RootHarness() { root.SetBounds({0, 0, 600, 400}); }

  template <class T>
  T* Add(const VGui::Rect& bounds) {
    auto control = std::make_unique<T>();
    control->SetBounds(bounds);
    control->SetListener(&events);
    return static_cast<T*>(root.AddChild(std::move(control)));
  }

  void Press(VGui::Point p, VGui::MouseButton button = VGui::MouseButton::kLeft,
             uint32_t modifiers = 0, int clicks = 1) {
    VGui::MouseEvent e;
    e.position = p;
    e.button = button;
    e.modifiers = modifiers;
    e.clickCount = clicks;
    root.MouseDown(e);
  }
  void Move(VGui::Point p, uint32_t modifiers = 0) {
    VGui::MouseEvent e;
    e.position = p;
    e.button = VGui::MouseButton::kLeft;
    e.modifiers = modifiers;
    root.MouseMove(e);
  }
  void Release(VGui::Point p, VGui::MouseButton button = VGui::MouseButton::kLeft,
               uint32_t modifiers = 0) {
    VGui::MouseEvent e;
    e.position = p;
    e.button = button;
    e.modifiers = modifiers;
    root.MouseUp(e);
  }
  void Click(VGui::Point p, VGui::MouseButton button = VGui::MouseButton::kLeft) {
    Press(p, button);
    Release(p, button);
  }
  void Wheel(VGui::Point p, float notches, uint32_t modifiers = 0) {
    VGui::MouseEvent e;
    e.position = p;
    e.wheelDelta = notches;
    e.modifiers = modifiers;
    root.MouseWheel(e);
  }
  bool Key(VGui::Key key, std::string text = {}) {
    VGui::KeyEvent e;
    e.key = key;
    e.text = std::move(text);
    return root.KeyDown(e);
  }
  bool Type(std::string_view text) {
    bool handled = true;
    for (char c : text) handled = Key(VGui::Key::kCharacter, std::string(1, c)) && handled;
    return handled;
  }

  EventLog events;
  VGui::CtrlRoot root;
};

}  // namespace VGuiControlsTest
