// A Canvas that draws nothing and records every call with its rectangle in root coordinates and
// the clip in force, so tests can see what was painted where.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "support/gui/Canvas.h"

namespace VGuiTest {

struct DrawCall {
  std::string op;
  VGui::RectF rect;  // root coordinates (after translation)
  VGui::RectF clip;  // the clip in force, root coordinates
  VGui::Colour colour;
  std::string text;
  float startAngle = 0.0f;  // arcs and pies
  float endAngle = 0.0f;
};

class RecordingCanvas : public VGui::Canvas {
 public:
  explicit RecordingCanvas(float scale = 1.0f) : scale_(scale) {}

  std::vector<DrawCall> calls;

  float Scale() const override { return scale_; }
  void Save() override { stack_.push_back(state_); }
  void Restore() override {
    if (stack_.empty()) {
      ++unbalancedRestores;
      return;
    }
    state_ = stack_.back();
    stack_.pop_back();
  }
  void Translate(float dx, float dy) override {
    state_.dx += dx;
    state_.dy += dy;
  }
  void ClipRect(const VGui::RectF& r) override {
    const VGui::RectF a = Absolute(r);
    const float left = std::max(a.x, state_.clip.x);
    const float top = std::max(a.y, state_.clip.y);
    const float right = std::min(a.Right(), state_.clip.Right());
    const float bottom = std::min(a.Bottom(), state_.clip.Bottom());
    state_.clip = {left, top, std::max(0.0f, right - left), std::max(0.0f, bottom - top)};
  }
  // Recorded with the pie's bounding square, which also narrows the recorded clip.
  void ClipPie(VGui::PointF centre, float radius, float, float) override {
    const VGui::RectF square{centre.x - radius, centre.y - radius, 2.0f * radius, 2.0f * radius};
    Record("ClipPie", square, {});
    ClipRect(square);
  }
  void FillRect(const VGui::RectF& r, VGui::Colour c) override { Record("FillRect", r, c); }
  void FillRoundedRect(const VGui::RectF& r, float, VGui::Colour c) override {
    Record("FillRoundedRect", r, c);
  }
  void StrokeRoundedRect(const VGui::RectF& r, float, float, VGui::Colour c) override {
    Record("StrokeRoundedRect", r, c);
  }
  void StrokeLine(VGui::PointF a, VGui::PointF b, float, VGui::Colour c) override {
    Record("StrokeLine", {a.x, a.y, b.x - a.x, b.y - a.y}, c);
  }
  void StrokePolyline(std::span<const VGui::PointF>, float, VGui::Colour c) override {
    Record("StrokePolyline", {}, c);
  }
  void FillPolygon(std::span<const VGui::PointF>, VGui::Colour c) override {
    Record("FillPolygon", {}, c);
  }
  void FillEllipse(const VGui::RectF& r, VGui::Colour c) override { Record("FillEllipse", r, c); }
  void StrokeEllipse(const VGui::RectF& r, float, VGui::Colour c) override {
    Record("StrokeEllipse", r, c);
  }
  // Arcs and pies are recorded with their bounding square and their angles.
  void StrokeArc(VGui::PointF centre, float radius, float start, float end, float,
                 VGui::Colour c) override {
    RecordArc("StrokeArc", centre, radius, start, end, c);
  }
  void FillPie(VGui::PointF centre, float radius, float start, float end, VGui::Colour c) override {
    RecordArc("FillPie", centre, radius, start, end, c);
  }
  void DrawText(std::string_view text, const VGui::RectF& box, const VGui::Font&, VGui::Colour c,
                VGui::HAlign, VGui::VAlign) override {
    Record("DrawText", box, c, std::string(text));
  }
  float TextWidth(std::string_view text, const VGui::Font& font) override {
    return float(text.size()) * font.size * 0.55f;
  }
  void DrawImage(const VGui::ImageSet&, const VGui::RectF&, const VGui::RectF& dest,
                 float) override {
    Record("DrawImage", dest, {});
  }

  int unbalancedRestores = 0;
  bool Balanced() const { return stack_.empty() && unbalancedRestores == 0; }
  int Count(const std::string& op) const {
    int n = 0;
    for (const auto& call : calls) n += call.op == op;
    return n;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& call : calls) {
      if (call.op == "DrawText") texts.push_back(call.text);
    }
    return texts;
  }
  std::vector<DrawCall> Of(std::string_view op) const {
    std::vector<DrawCall> found;
    for (const auto& call : calls) {
      if (call.op == op) found.push_back(call);
    }
    return found;
  }
  // The shapes (not the texts) drawn in the colour.
  std::vector<DrawCall> InColour(VGui::Colour colour) const {
    std::vector<DrawCall> found;
    for (const auto& call : calls) {
      if (call.colour == colour && call.op != "DrawText") found.push_back(call);
    }
    return found;
  }

 private:
  struct State {
    float dx = 0.0f;
    float dy = 0.0f;
    VGui::RectF clip{-1e6f, -1e6f, 2e6f, 2e6f};
  };
  VGui::RectF Absolute(const VGui::RectF& r) const {
    return {r.x + state_.dx, r.y + state_.dy, r.width, r.height};
  }
  void Record(const char* op, const VGui::RectF& r, VGui::Colour c, std::string text = {}) {
    calls.push_back({op, Absolute(r), state_.clip, c, std::move(text)});
  }
  void RecordArc(const char* op, VGui::PointF centre, float radius, float start, float end,
                 VGui::Colour c) {
    Record(op, {centre.x - radius, centre.y - radius, 2.0f * radius, 2.0f * radius}, c);
    calls.back().startAngle = start;
    calls.back().endAngle = end;
  }

  float scale_;
  State state_;
  std::vector<State> stack_;
};

}  // namespace VGuiTest
