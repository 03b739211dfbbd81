// Segmented selectors.
#include "support/gui/controls/CtrlButtonGroup.h"

#include <algorithm>
#include <cmath>

#include "support/gui/CtrlRoot.h"
#include "support/gui/controls/ControlTheme.h"

namespace VGui {

void CtrlButtonGroup::SetItems(std::vector<std::string> items) {
  items_ = std::move(items);
  // Re-clamps the selection to the new range.
  SetValue(Value());
  Invalidate();
}

void CtrlButtonGroup::SetOrientation(Orientation orientation) {
  orientation_ = orientation;
  Invalidate();
}

bool CtrlButtonGroup::Horizontal() const {
  return IsHorizontal(orientation_, Bounds().width, Bounds().height);
}

float CtrlButtonGroup::MaxValue() const {
  return float(std::max(0, ItemCount() - 1));
}

void CtrlButtonGroup::SetValue(float value, bool notify) {
  if (std::isnan(value)) return;
  const float clamped = std::clamp(value, MinValue(), MaxValue());
  Ctrl::SetValue(std::round(clamped), notify);
}

RectF CtrlButtonGroup::SegmentRect(int index) const {
  const int count = std::max(1, ItemCount());
  if (Horizontal()) {
    const float width = float(Bounds().width) / float(count);
    return {width * float(index), 0.0f, width, float(Bounds().height)};
  }
  const float height = float(Bounds().height) / float(count);
  return {0.0f, height * float(index), float(Bounds().width), height};
}

int CtrlButtonGroup::SegmentAt(Point local) const {
  if (items_.empty() || !LocalBounds().Contains(local)) return -1;
  const int count = ItemCount();
  const int index = Horizontal() ? local.x * count / std::max(1, Bounds().width)
                                 : local.y * count / std::max(1, Bounds().height);
  return std::clamp(index, 0, count - 1);
}

bool CtrlButtonGroup::OnMouseDown(const MouseEvent& e) {
  CtrlRoot* root = Root();
  if (e.button == MouseButton::kRight) {
    rightPressed_ = true;
    if (root) root->SetCapture(this);
    Notify(ControlEventKind::kRightButtonDown);
    return true;
  }
  if (e.button != MouseButton::kLeft) return false;
  leftPressed_ = true;
  if (root) root->SetCapture(this);
  Notify(ControlEventKind::kLeftButtonDown);
  const int segment = SegmentAt(e.position);
  if (segment >= 0) SetValue(float(segment), true);
  return true;
}

bool CtrlButtonGroup::OnMouseUp(const MouseEvent& e) {
  if (CtrlRoot* root = Root()) root->ReleaseCapture(this);
  if (e.button == MouseButton::kRight && rightPressed_) {
    rightPressed_ = false;
    Notify(ControlEventKind::kRightButtonUp);
    return true;
  }
  if (e.button == MouseButton::kLeft && leftPressed_) {
    leftPressed_ = false;
    Notify(ControlEventKind::kLeftButtonUp);
    return true;
  }
  return false;
}

void CtrlButtonGroup::Draw(Canvas& canvas) {
  const Style& style = CurrentStyle();
  if (!style.image.Empty()) {
    Ctrl::Draw(canvas);
    return;
  }
  const float edge = Theme::EdgeWidth(style);
  const RectF box(edge * 0.5f, edge * 0.5f, float(Bounds().width) - edge,
                  float(Bounds().height) - edge);
  canvas.FillRoundedRect(box, Theme::Radius(style), Theme::Face(style));
  for (int i = 0; i < ItemCount(); ++i) DrawSegment(canvas, i, i == SelectedIndex());
  canvas.StrokeRoundedRect(box, Theme::Radius(style), edge, Theme::Edge(style));
}

void CtrlButtonGroup::DrawSegment(Canvas& canvas, int index, bool selected) {
  const Style& style = CurrentStyle();
  const RectF segment = SegmentRect(index);
  if (selected) {
    const RectF lit(segment.x + 1.0f, segment.y + 1.0f, segment.width - 2.0f,
                    segment.height - 2.0f);
    canvas.FillRoundedRect(lit, Theme::Radius(style), Theme::AccentColour(style, Enabled()));
  }
  if (index > 0) {
    const PointF a =
        Horizontal() ? PointF{segment.x, segment.y + 2.0f} : PointF{segment.x + 2.0f, segment.y};
    const PointF b = Horizontal() ? PointF{segment.x, segment.Bottom() - 2.0f}
                                  : PointF{segment.Right() - 2.0f, segment.y};
    canvas.StrokeLine(a, b, Theme::kOutlineWidth, Theme::Edge(style));
  }
  canvas.DrawText(items_[size_t(index)], segment, style.font, Theme::TextColour(style, Enabled()),
                  HAlign::kCentre, VAlign::kMiddle);
}

void CtrlButtonGroup::ReadSkinAttributes(const VFoundation::XmlNode& element,
                                         const SkinSet& skins) {
  if (auto items = ReadText(element, "items")) items_ = SplitItems(*items);
  ReadOrientation(element, *this, orientation_);
  // After the items, so that a "value" attribute is clamped to their range.
  Ctrl::ReadSkinAttributes(element, skins);
}

}  // namespace VGui
