// Test doubles for the standard controls: a canvas that records what was drawn (arcs with their
// angles, texts, fills with their colours), a listener that records the events a control reports,
// and a root to drive controls through the same entry points the window uses.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/gui/Canvas.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/Events.h"

namespace VGuiControlsTest {

struct Drawn {
  std::string op;
  VGui::RectF rect;  // canvas coordinates after translation
  VGui::Colour colour;
  std::string text;
  float startAngle = 0.0f;
  float endAngle = 0.0f;
};

// Text is 6 logical pixels per UTF-8 character, whatever the font.
class DrawRecorder : public VGui::Canvas {
 public:
  static constexpr float kCharacterWidth = 6.0f;

  std::vector<Drawn> drawn;

  float Scale() const override { return 1.0f; }
  void Save() override { stack_.push_back(offset_); }
  void Restore() override {
    if (stack_.empty()) {
      ++unbalanced;
      return;
    }
    offset_ = stack_.back();
    stack_.pop_back();
  }
  void Translate(float dx, float dy) override {
    offset_.x += dx;
    offset_.y += dy;
  }
  void ClipRect(const VGui::RectF&) override {}
  void FillRect(const VGui::RectF& r, VGui::Colour c) override { Add("FillRect", r, c); }
  void FillRoundedRect(const VGui::RectF& r, float, VGui::Colour c) override {
    Add("FillRoundedRect", r, c);
  }
  void StrokeRoundedRect(const VGui::RectF& r, float, float, VGui::Colour c) override {
    Add("StrokeRoundedRect", r, c);
  }
  void StrokeLine(VGui::PointF a, VGui::PointF b, float, VGui::Colour c) override {
    Add("StrokeLine", {a.x, a.y, b.x - a.x, b.y - a.y}, c);
  }
  void StrokePolyline(std::span<const VGui::PointF>, float, VGui::Colour c) override {
    Add("StrokePolyline", {}, c);
  }
  void FillPolygon(std::span<const VGui::PointF>, VGui::Colour c) override {
    Add("FillPolygon", {}, c);
  }
  void FillEllipse(const VGui::RectF& r, VGui::Colour c) override { Add("FillEllipse", r, c); }
  void StrokeEllipse(const VGui::RectF& r, float, VGui::Colour c) override {
    Add("StrokeEllipse", r, c);
  }
  void StrokeArc(VGui::PointF centre, float radius, float start, float end, float,
                 VGui::Colour c) override {
    Add("StrokeArc", {centre.x - radius, centre.y - radius, 2 * radius, 2 * radius}, c);
    drawn.back().startAngle = start;
    drawn.back().endAngle = end;
  }
  void FillPie(VGui::PointF centre, float radius, float start, float end, VGui::Colour c) override {
    Add("FillPie", {centre.x - radius, centre.y - radius, 2 * radius, 2 * radius}, c);
    drawn.back().startAngle = start;
    drawn.back().endAngle = end;
  }
  void DrawText(std::string_view text, const VGui::RectF& box, const VGui::Font&, VGui::Colour c,
                VGui::HAlign, VGui::VAlign) override {
    Add("DrawText", box, c);
    drawn.back().text = std::string(text);
  }
  float TextWidth(std::string_view text, const VGui::Font&) override {
    return kCharacterWidth * float(Characters(text));
  }
  void DrawImage(const VGui::ImageSet&, const VGui::RectF&, const VGui::RectF& dest,
                 float) override {
    Add("DrawImage", dest, {});
  }

  static int Characters(std::string_view text) {
    int count = 0;
    for (char c : text) count += (static_cast<unsigned char>(c) & 0xC0u) != 0x80u;
    return count;
  }
  std::vector<Drawn> Of(std::string_view op) const {
    std::vector<Drawn> found;
    for (const auto& d : drawn) {
      if (d.op == op) found.push_back(d);
    }
    return found;
  }
  std::vector<Drawn> InColour(VGui::Colour colour) const {
    std::vector<Drawn> found;
    for (const auto& d : drawn) {
      if (d.colour == colour && d.op != "DrawText") found.push_back(d);
    }
    return found;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& d : Of("DrawText")) texts.push_back(d.text);
    return texts;
  }

  int unbalanced = 0;

 private:
  void Add(const char* op, const VGui::RectF& r, VGui::Colour c) {
    drawn.push_back({op, {r.x + offset_.x, r.y + offset_.y, r.width, r.height}, c, {}, 0, 0});
  }
  VGui::PointF offset_;
  std::vector<VGui::PointF> stack_;
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
