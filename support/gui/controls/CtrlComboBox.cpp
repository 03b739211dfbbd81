// Drop-down lists on the root's pop-up menu.
#include "support/gui/controls/CtrlComboBox.h"

#include <algorithm>
#include <cmath>

#include "support/Log.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/controls/ControlAttributes.h"
#include "support/gui/controls/ControlTheme.h"

namespace VGui {
namespace {

// Room at the right for the drop-down arrow.
constexpr float kArrowWidth = 14.0f;
constexpr float kTextMargin = 5.0f;

}  // namespace

CtrlComboBox::~CtrlComboBox() {
  // Removal from the tree comes before destruction, so Root() is already gone here.
  if (menuRoot_ && menuRoot_->PopupMenuOpen()) menuRoot_->ClosePopupMenu();
}

void CtrlComboBox::SetItems(std::vector<std::string> items) {
  items_ = std::move(items);
  SetValue(Value());
  Invalidate();
}

std::string CtrlComboBox::SelectedText() const {
  if (items_.empty()) return {};
  return items_[size_t(std::clamp(SelectedIndex(), 0, ItemCount() - 1))];
}

float CtrlComboBox::MaxValue() const {
  return float(std::max(0, ItemCount() - 1));
}

void CtrlComboBox::SetValue(float value, bool notify) {
  if (std::isnan(value)) return;
  const float clamped = std::clamp(value, MinValue(), MaxValue());
  Ctrl::SetValue(std::round(clamped), notify);
}

void CtrlComboBox::OpenMenu() {
  CtrlRoot* root = Root();
  if (!root || items_.empty()) return;
  menu_.Clear();
  for (int i = 0; i < ItemCount(); ++i) {
    menu_.AddItem(items_[size_t(i)], kChooseItemCommand, i, true, i == SelectedIndex());
  }
  root->ShowPopupMenu(menu_, ToRoot({0, Bounds().height}), this, this);
  menuRoot_ = root;
}

bool CtrlComboBox::OnMouseDown(const MouseEvent& e) {
  if (e.button == MouseButton::kRight) {
    rightPressed_ = true;
    if (CtrlRoot* root = Root()) root->SetCapture(this);
    Notify(ControlEventKind::kRightButtonDown);
    return true;
  }
  if (e.button != MouseButton::kLeft) return false;
  Notify(ControlEventKind::kLeftButtonDown);
  OpenMenu();
  // The open menu takes the release, so the press ends here for the listener.
  Notify(ControlEventKind::kLeftButtonUp);
  return true;
}

bool CtrlComboBox::OnMouseUp(const MouseEvent& e) {
  if (CtrlRoot* root = Root()) root->ReleaseCapture(this);
  if (e.button != MouseButton::kRight || !rightPressed_) return false;
  rightPressed_ = false;
  Notify(ControlEventKind::kRightButtonUp);
  return true;
}

void CtrlComboBox::CommandEvent(const VGui::CommandEvent* event) {
  if (!event) {
    VFoundation::Log("%s, Failed because the event is NULL\n", "CtrlComboBox::CommandEvent");
    return;
  }
  menuRoot_ = nullptr;
  if (event->id != kChooseItemCommand) return;
  const int32_t index = event->IntArgument(-1);
  if (index < 0 || index >= ItemCount()) return;
  SetValue(float(index), true);
}

void CtrlComboBox::Draw(Canvas& canvas) {
  const Style& style = CurrentStyle();
  const float edge = Theme::EdgeWidth(style);
  const float w = float(Bounds().width);
  const float h = float(Bounds().height);
  if (!style.image.Empty()) {
    Ctrl::Draw(canvas);
  } else {
    const RectF box(edge * 0.5f, edge * 0.5f, w - edge, h - edge);
    canvas.FillRoundedRect(box, Theme::Radius(style), Theme::Face(style));
    canvas.StrokeRoundedRect(box, Theme::Radius(style), edge, Theme::Edge(style));
  }
  const Colour text = Theme::TextColour(style, Enabled());
  const RectF textBox(kTextMargin, 0.0f, w - kTextMargin - kArrowWidth, h);
  canvas.DrawText(SelectedText(), textBox, style.font, text, style.align, VAlign::kMiddle);
  const float cx = w - kArrowWidth * 0.5f - edge;
  const float cy = h * 0.5f;
  const PointF arrow[3] = {{cx - 3.5f, cy - 2.0f}, {cx + 3.5f, cy - 2.0f}, {cx, cy + 2.5f}};
  canvas.FillPolygon(arrow, text);
}

void CtrlComboBox::ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet& skins) {
  if (auto items = ReadText(element, "items")) items_ = SplitItems(*items);
  Ctrl::ReadSkinAttributes(element, skins);
}

}  // namespace VGui
