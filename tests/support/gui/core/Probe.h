// A control that records what the root delivers to it, for routing tests.
#pragma once

#include <string>
#include <vector>

#include "support/gui/Control.h"

namespace VGuiTest {

class Probe : public VGui::Ctrl {
 public:
  static constexpr const char* kClassName = "Probe";
  const char* ClassName() const override { return kClassName; }

  Probe() = default;
  Probe(std::string name, VGui::Rect r, std::vector<std::string>* log = nullptr) : log_(log) {
    SetName(std::move(name));
    SetBounds(r);
  }

  bool takesPress = true;
  bool takesKeys = false;
  bool focusable = false;
  bool takesDoubleClick = false;
  std::vector<std::string> events;
  VGui::Point lastPosition;

  bool OnMouseDown(const VGui::MouseEvent& e) override { return Take("down", e, takesPress); }
  bool OnMouseMove(const VGui::MouseEvent& e) override { return Take("move", e, true); }
  bool OnMouseUp(const VGui::MouseEvent& e) override { return Take("up", e, true); }
  bool OnDoubleClick(const VGui::MouseEvent& e) override {
    return Take("double", e, takesDoubleClick);
  }
  bool OnMouseWheel(const VGui::MouseEvent& e) override { return Take("wheel", e, takesPress); }
  void OnMouseEnter() override { Note("enter"); }
  void OnMouseLeave() override { Note("leave"); }
  bool OnKeyDown(const VGui::KeyEvent&) override {
    Note("key");
    return takesKeys;
  }
  void OnFocusGained() override { Note("focus"); }
  void OnFocusLost() override { Note("blur"); }
  bool AcceptsFocus() const override { return focusable; }

 private:
  bool Take(const char* what, const VGui::MouseEvent& e, bool result) {
    lastPosition = e.position;
    Note(what);
    return result;
  }
  void Note(const char* what) {
    events.emplace_back(what);
    if (log_) log_->push_back(Name() + ":" + what);
  }
  std::vector<std::string>* log_ = nullptr;
};

}  // namespace VGuiTest
