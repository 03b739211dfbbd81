// The control tree: ownership, geometry, painting with clips, hit testing and invalidation.
#include "support/gui/Control.h"

#include <algorithm>
#include <cmath>

#include "support/XmlDocument.h"
#include "support/gui/CtrlRoot.h"

namespace VGui {
namespace {

const Style& DefaultStyle() {
  static const Style style;
  return style;
}

void ForgetSubtree(CtrlRoot& root, Ctrl& control) {
  for (const auto& child : control.Children()) ForgetSubtree(root, *child);
  root.Forget(&control);
}

// The film-strip frame for a value: frames are stacked vertically, the first for the minimum.
int FrameForValue(float value, float minValue, float maxValue, int frames) {
  if (frames <= 1 || !(maxValue > minValue)) return 0;
  const float position = (value - minValue) / (maxValue - minValue);
  const int frame = int(std::lround(position * float(frames - 1)));
  return std::clamp(frame, 0, frames - 1);
}

}  // namespace

Ctrl::~Ctrl() {
  if (CtrlRoot* root = Root(); root && root != this) root->Forget(this);
  // Children go first, while this object still links them to the root.
  while (!children_.empty()) children_.pop_back();
}

// --- Tree ------------------------------------------------------------------------------------

Ctrl* Ctrl::AddChild(std::unique_ptr<Ctrl> child) {
  return InsertChild(children_.size(), std::move(child));
}

Ctrl* Ctrl::InsertChild(size_t index, std::unique_ptr<Ctrl> child) {
  if (!child) return nullptr;
  if (child->parent_) {
    auto moved = child->parent_->RemoveChild(child.get());
    (void)moved.release();  // the same object is still owned by `child`
  }
  child->parent_ = this;
  Ctrl* added = child.get();
  children_.insert(children_.begin() + std::ptrdiff_t(std::min(index, children_.size())),
                   std::move(child));
  added->Invalidate();
  return added;
}

size_t Ctrl::IndexOf(const Ctrl* child) const {
  for (size_t i = 0; i < children_.size(); ++i) {
    if (children_[i].get() == child) return i;
  }
  return children_.size();
}

std::unique_ptr<Ctrl> Ctrl::RemoveChild(Ctrl* child) {
  const size_t index = IndexOf(child);
  if (index == children_.size()) return nullptr;
  child->Invalidate();
  if (CtrlRoot* root = Root()) ForgetSubtree(*root, *child);
  std::unique_ptr<Ctrl> removed = std::move(children_[index]);
  children_.erase(children_.begin() + std::ptrdiff_t(index));
  removed->parent_ = nullptr;
  return removed;
}

void Ctrl::RemoveAllChildren() {
  while (!children_.empty()) RemoveChild(children_.back().get());
}

Ctrl* Ctrl::FindDescendant(std::string_view name) const {
  for (const auto& child : children_) {
    if (child->name_ == name) return child.get();
    if (Ctrl* found = child->FindDescendant(name)) return found;
  }
  return nullptr;
}

CtrlRoot* Ctrl::Root() const {
  const Ctrl* top = this;
  while (top->parent_) top = top->parent_;
  return top->isRoot_ ? static_cast<CtrlRoot*>(const_cast<Ctrl*>(top)) : nullptr;
}

// --- Geometry and visibility -------------------------------------------------------------------

void Ctrl::SetBounds(const Rect& r) {
  if (r == bounds_) return;
  Invalidate();
  bounds_ = r;
  Invalidate();
  OnBoundsChanged();
}

Rect Ctrl::RootBounds() const {
  const Point origin = ToRoot({0, 0});
  return {origin.x, origin.y, bounds_.width, bounds_.height};
}

Point Ctrl::ToRoot(Point local) const {
  for (const Ctrl* c = this; c && c->parent_; c = c->parent_) {
    local.x += c->bounds_.x;
    local.y += c->bounds_.y;
  }
  return local;
}

Point Ctrl::FromRoot(Point rootPoint) const {
  const Point origin = ToRoot({0, 0});
  return {rootPoint.x - origin.x, rootPoint.y - origin.y};
}

void Ctrl::SetVisible(bool visible) {
  if (visible == visible_) return;
  if (!visible) Invalidate();
  visible_ = visible;
  if (visible) Invalidate();
}

bool Ctrl::Showing() const {
  for (const Ctrl* c = this; c; c = c->parent_) {
    if (!c->visible_) return false;
  }
  return true;
}

void Ctrl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Invalidate();
}

// --- Style and value -----------------------------------------------------------------------------

const Style& Ctrl::CurrentStyle() const {
  return style_ ? *style_ : DefaultStyle();
}

void Ctrl::SetStyle(std::shared_ptr<const Style> style) {
  style_ = std::move(style);
  Invalidate();
}

void Ctrl::SetValue(float value, bool notify) {
  // A NaN from a host or a text field must never reach the value.
  if (std::isnan(value)) return;
  const float clamped = std::clamp(value, MinValue(), MaxValue());
  if (clamped == value_) return;
  value_ = clamped;
  Invalidate();
  if (notify) Notify(ControlEventKind::kValueChanged);
}

// --- Drawing -------------------------------------------------------------------------------------

void Ctrl::Invalidate() {
  InvalidateRect(LocalBounds());
}

void Ctrl::InvalidateRect(const Rect& local) {
  if (!Showing()) return;
  CtrlRoot* root = Root();
  if (!root) return;
  // Parents clip their children, so only the part inside every ancestor can change on screen.
  Rect visible = local.Offset(ToRoot({0, 0}).x, ToRoot({0, 0}).y);
  for (const Ctrl* c = parent_; c; c = c->parent_) visible = Intersection(visible, c->RootBounds());
  if (!visible.Empty()) root->InvalidateRootRect(visible);
}

void Ctrl::Draw(Canvas& canvas) {
  const Style& style = CurrentStyle();
  const RectF box = LocalBounds();
  if (!style.background.Transparent()) {
    if (style.radius > 0.0f) {
      canvas.FillRoundedRect(box, style.radius, style.background);
    } else {
      canvas.FillRect(box, style.background);
    }
  }
  if (!style.image.Empty()) {
    const Size size = style.image.LogicalSize();
    const int frames = std::max(1, style.frames);
    const int frameHeight = size.height / frames;
    const int frame = FrameForValue(value_, MinValue(), MaxValue(), frames);
    const RectF source(0.0f, float(frame * frameHeight), float(size.width), float(frameHeight));
    canvas.DrawImage(style.image, source, box, enabled_ ? 1.0f : 0.5f);
  }
  if (style.borderWidth > 0.0f && !style.border.Transparent()) {
    const float half = style.borderWidth * 0.5f;
    const RectF inner(half, half, box.width - style.borderWidth, box.height - style.borderWidth);
    canvas.StrokeRoundedRect(inner, style.radius, style.borderWidth, style.border);
  }
}

void Ctrl::Paint(Canvas& canvas, const Rect& clip) {
  if (!visible_) return;
  const Rect rootBounds = RootBounds();
  const Rect area = Intersection(clip, rootBounds);
  if (area.Empty()) return;
  canvas.Save();
  canvas.ClipRect(area);
  canvas.Translate(float(rootBounds.x), float(rootBounds.y));
  Draw(canvas);
  canvas.Restore();
  for (const auto& child : children_) child->Paint(canvas, area);
}

// --- Input ---------------------------------------------------------------------------------------

Ctrl* Ctrl::ControlAt(Point local) {
  if (!visible_ || !enabled_ || !HitTest(local)) return nullptr;
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    Ctrl& child = **it;
    const Point inChild{local.x - child.bounds_.x, local.y - child.bounds_.y};
    if (!child.LocalBounds().Contains(inChild)) continue;
    if (Ctrl* hit = child.ControlAt(inChild)) return hit;
  }
  return this;
}

// --- Skin and notification -----------------------------------------------------------------------

void Ctrl::ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet&) {
  bool enabled = enabled_;
  if (element.ReadBool("enabled", enabled)) enabled_ = enabled;
  float number = 0.0f;
  if (element.ReadFloat("default", number) && std::isfinite(number)) defaultValue_ = number;
  if (element.ReadFloat("value", number)) SetValue(number);
}

void Ctrl::Notify(ControlEventKind kind) {
  if (listener_) listener_->ControlEvent(*this, kind);
}

}  // namespace VGui
