// The root of a control tree: invalid region, frames, input routing, overlays and the timer.
#include "support/gui/CtrlRoot.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "support/gui/Cursors.h"
#include "support/gui/Dialogs.h"
#include "support/gui/PopupMenuView.h"
#include "support/gui/RootWindow.h"
#include "support/gui/SkinSet.h"
#include "support/gui/Tooltip.h"

namespace VGui {
namespace {

// 13 ticks of 40 ms: about half a second of rest before a tooltip shows.
constexpr int kTooltipRestTicks = 13;
// A release this far from the press that opened a menu chooses the item under it (press, drag,
// release); a release closer is the end of the opening click.
constexpr int kMenuDragChoose = 3;

int64_t Area(const Rect& r) {
  return r.Empty() ? 0 : int64_t(r.width) * int64_t(r.height);
}

// How many pixels a merge would repaint that neither rectangle needed.
int64_t MergeWaste(const Rect& a, const Rect& b) {
  return Area(Union(a, b)) - Area(a) - Area(b) + Area(Intersection(a, b));
}

Colour RainbowColour(int step) {
  const float hue = float(step % 12) / 12.0f * 6.0f;
  const auto channel = [hue](float offset) {
    const float k = std::fmod(offset + hue, 6.0f);
    const float v = 1.0f - std::max(0.0f, std::min({k, 4.0f - k, 1.0f}));
    return uint8_t(255.0f * v);
  };
  return {channel(5.0f), channel(3.0f), channel(1.0f), 72};
}

Style DefaultMenuStyle() {
  Style style;
  style.background = {32, 34, 38, 248};
  style.border = {90, 94, 102, 255};
  style.text = {230, 230, 230, 255};
  style.accent = {90, 170, 255, 255};
  style.disabled = {120, 122, 128, 255};
  return style;
}

bool IsInside(const Ctrl* control, const Ctrl* ancestor) {
  for (const Ctrl* c = control; c; c = c->Parent()) {
    if (c == ancestor) return true;
  }
  return false;
}

}  // namespace

struct CtrlRoot::Impl {
  SkinSet skins;
  CursorSet cursors;

  std::vector<Rect> invalid;
  bool rainbow = false;
  bool noConsolidate = false;
  int rainbowStep = 0;

  Point mouse;
  bool mouseInside = false;
  bool pressing = false;
  Point pressPoint;
  Ctrl* hover = nullptr;

  PopupMenuView menu;
  ICmdListener* menuListener = nullptr;
  Ctrl* menuConcerning = nullptr;
  bool menuOpenedDuringPress = false;
  // The release of a press the menu took (a choice, or a click outside that closed it).
  bool swallowRelease = false;

  VGui::Tooltip tooltip;
  bool tooltipsEnabled = true;
  Ctrl* tooltipControl = nullptr;
  int restTicks = 0;

  std::vector<Ctrl*> modals;
  // Modal panels closed from their own handlers live until the event is over.
  std::vector<std::unique_ptr<Ctrl>> closedModals;

  std::vector<CAutoTimerCallback*> timers;
};

CtrlRoot::CtrlRoot() : impl_(std::make_unique<Impl>()) {
  isRoot_ = true;
}

CtrlRoot::~CtrlRoot() {
  // A dialog program still open would answer views that are gone.
  Dialogs::ForgetNative(*this);
  RemoveAllChildren();
  impl_->closedModals.clear();
  isRoot_ = false;
}

SkinSet& CtrlRoot::Skins() {
  return impl_->skins;
}
const SkinSet& CtrlRoot::Skins() const {
  return impl_->skins;
}
CursorSet& CtrlRoot::Cursors() {
  return impl_->cursors;
}

// --- Invalidation and painting -------------------------------------------------------------------

void CtrlRoot::InvalidateRootRect(const Rect& r) {
  const Rect clipped = Intersection(r, LocalBounds());
  if (clipped.Empty()) return;
  auto& rects = impl_->invalid;
  if (impl_->noConsolidate) {
    if (std::find(rects.begin(), rects.end(), clipped) == rects.end()) rects.push_back(clipped);
    return;
  }
  for (const Rect& existing : rects) {
    if (existing.Contains(clipped)) return;
  }
  std::erase_if(rects, [&](const Rect& existing) { return clipped.Contains(existing); });
  rects.push_back(clipped);
  // Merge pairs that cost nothing extra, then the cheapest pairs until few enough remain.
  for (;;) {
    size_t bestI = 0, bestJ = 0;
    int64_t bestWaste = -1;
    for (size_t i = 0; i < rects.size(); ++i) {
      for (size_t j = i + 1; j < rects.size(); ++j) {
        const int64_t waste = MergeWaste(rects[i], rects[j]);
        if (bestWaste < 0 || waste < bestWaste) {
          bestWaste = waste;
          bestI = i;
          bestJ = j;
        }
      }
    }
    if (bestWaste < 0 || (bestWaste > 0 && rects.size() <= CtrlRoot::kMaxInvalidRects)) break;
    rects[bestI] = Union(rects[bestI], rects[bestJ]);
    rects.erase(rects.begin() + std::ptrdiff_t(bestJ));
  }
}

bool CtrlRoot::HasInvalidRegion() const {
  return !impl_->invalid.empty();
}

std::vector<Rect> CtrlRoot::InvalidRegion() const {
  return impl_->invalid;
}

void CtrlRoot::SetDebugModes(bool rainbow, bool noConsolidate) {
  impl_->rainbow = rainbow;
  impl_->noConsolidate = noConsolidate;
}

std::vector<Rect> CtrlRoot::PaintInvalid(Canvas& canvas, bool all) {
  std::vector<Rect> rects;
  if (all) {
    if (!LocalBounds().Empty()) rects.push_back(LocalBounds());
  } else {
    rects = impl_->invalid;
  }
  impl_->invalid.clear();
  if (rects.empty()) return rects;
  const Style menuStyle = [this] {
    auto style = impl_->skins.FindStyle("PopupMenuStyle");
    return style ? *style : DefaultMenuStyle();
  }();
  ++impl_->rainbowStep;
  for (const Rect& r : rects) {
    canvas.Save();
    canvas.ClipRect(r);
    Draw(canvas);
    canvas.Restore();
    for (const auto& child : Children()) {
      if (std::find(impl_->modals.begin(), impl_->modals.end(), child.get()) ==
          impl_->modals.end()) {
        child->Paint(canvas, r);
      }
    }
    for (Ctrl* modal : impl_->modals) modal->Paint(canvas, r);
    canvas.Save();
    canvas.ClipRect(r);
    DrawAbove(canvas);
    impl_->menu.Draw(canvas, menuStyle);
    impl_->tooltip.Draw(canvas);
    if (impl_->rainbow) canvas.FillRect(r, RainbowColour(impl_->rainbowStep));
    canvas.Restore();
  }
  return rects;
}

// --- Mouse ---------------------------------------------------------------------------------------

namespace {

MouseEvent LocalEvent(const MouseEvent& e, const Ctrl& control) {
  MouseEvent local = e;
  local.position = control.FromRoot(e.position);
  return local;
}

}  // namespace

Ctrl* CtrlRoot::TopModal() const {
  return impl_->modals.empty() ? nullptr : impl_->modals.back();
}

// The control under a root point among those that may take input now: the top modal panel's,
// or the whole tree's when none is open.
static Ctrl* InputTarget(CtrlRoot& root, Point p) {
  Ctrl* scope = root.TopModal();
  if (!scope) return root.ControlAt(p);
  const Point local = scope->FromRoot(p);
  if (!scope->LocalBounds().Contains(local)) return nullptr;
  return scope->ControlAt(local);
}

static Ctrl* InputScope(CtrlRoot& root) {
  Ctrl* modal = root.TopModal();
  return modal ? modal : &root;
}

void CtrlRoot::MouseDown(const MouseEvent& e) {
  impl_->closedModals.clear();
  impl_->mouse = e.position;
  impl_->mouseInside = true;
  impl_->pressing = true;
  impl_->pressPoint = e.position;
  SetTooltipsEnabled(impl_->tooltipsEnabled);  // hides a shown tooltip
  // No tooltip again until the mouse moves: the user is working the control, not reading.
  impl_->tooltipControl = nullptr;
  impl_->restTicks = 0;
  if (impl_->menu.IsOpen()) {
    impl_->swallowRelease = true;
    if (impl_->menu.Contains(e.position)) {
      for (const Rect& r : impl_->menu.Area()) InvalidateRootRect(r);
      if (auto choice = impl_->menu.Press(e.position)) {
        ICmdListener* listener = impl_->menuListener;
        Ctrl* concerning = impl_->menuConcerning;
        ClosePopupMenu();
        VGui::CommandEvent event{choice->command, choice->argument, concerning};
        if (listener) listener->CommandEvent(&event);
      }
      for (const Rect& r : impl_->menu.Area()) InvalidateRootRect(r);
    } else {
      ClosePopupMenu();
    }
    return;
  }
  Ctrl* target = InputTarget(*this, e.position);
  if (!target) return;
  Ctrl* scope = InputScope(*this);
  Ctrl* focusable = target;
  while (focusable && !focusable->AcceptsFocus() && focusable != scope) {
    focusable = focusable->Parent();
  }
  SetFocus(focusable && focusable->AcceptsFocus() ? focusable : nullptr);
  for (Ctrl* c = target; c; c = (c == scope ? nullptr : c->Parent())) {
    const MouseEvent local = LocalEvent(e, *c);
    const bool handled = (e.clickCount >= 2 && c->OnDoubleClick(local)) || c->OnMouseDown(local);
    if (!handled) continue;
    // The control that took the press gets the moves and the release, wherever they happen;
    // opening a menu ends that.
    if (!capture_ && !impl_->menu.IsOpen() && IsInside(c, this)) capture_ = c;
    break;
  }
}

void CtrlRoot::MouseMove(const MouseEvent& e) {
  impl_->closedModals.clear();
  impl_->mouse = e.position;
  impl_->mouseInside = true;
  if (impl_->menu.IsOpen()) {
    for (const Rect& r : impl_->menu.Area()) InvalidateRootRect(r);
    impl_->menu.Hover(e.position);
    for (const Rect& r : impl_->menu.Area()) InvalidateRootRect(r);
    return;
  }
  if (capture_) {
    capture_->OnMouseMove(LocalEvent(e, *capture_));
    return;
  }
  Ctrl* target = InputTarget(*this, e.position);
  if (target != impl_->hover) {
    Ctrl* old = impl_->hover;
    impl_->hover = target;
    if (old) old->OnMouseLeave();
    if (impl_->hover) impl_->hover->OnMouseEnter();
  }
  if (impl_->tooltip.Shown() && impl_->tooltipControl != impl_->hover) {
    InvalidateRootRect(impl_->tooltip.Area());
    impl_->tooltip.Hide();
  }
  if (!impl_->tooltip.Shown()) {
    impl_->tooltipControl = impl_->hover;
    impl_->restTicks = 0;
  }
  if (impl_->hover) impl_->hover->OnMouseMove(LocalEvent(e, *impl_->hover));
}

void CtrlRoot::MouseUp(const MouseEvent& e) {
  impl_->closedModals.clear();
  impl_->mouse = e.position;
  impl_->pressing = false;
  if (std::exchange(impl_->swallowRelease, false) && !impl_->menu.IsOpen()) return;
  if (impl_->menu.IsOpen()) {
    const bool dragged = std::abs(e.position.x - impl_->pressPoint.x) > kMenuDragChoose ||
                         std::abs(e.position.y - impl_->pressPoint.y) > kMenuDragChoose;
    if (impl_->menuOpenedDuringPress && dragged && impl_->menu.Contains(e.position)) {
      impl_->menuOpenedDuringPress = false;
      MouseDown(e);
      impl_->pressing = false;
    }
    impl_->menuOpenedDuringPress = false;
    return;
  }
  if (Ctrl* captured = capture_) {
    capture_ = nullptr;
    captured->OnMouseUp(LocalEvent(e, *captured));
    return;
  }
  if (Ctrl* target = InputTarget(*this, e.position)) target->OnMouseUp(LocalEvent(e, *target));
}

void CtrlRoot::MouseWheel(const MouseEvent& e) {
  impl_->closedModals.clear();
  if (impl_->menu.IsOpen()) return;
  Ctrl* scope = InputScope(*this);
  for (Ctrl* c = InputTarget(*this, e.position); c; c = (c == scope ? nullptr : c->Parent())) {
    if (c->OnMouseWheel(LocalEvent(e, *c))) break;
  }
}

void CtrlRoot::MouseLeave() {
  impl_->mouseInside = false;
  if (impl_->tooltip.Shown()) InvalidateRootRect(impl_->tooltip.Area());
  impl_->tooltip.Hide();
  impl_->tooltipControl = nullptr;
  if (capture_) return;
  if (Ctrl* old = impl_->hover) {
    impl_->hover = nullptr;
    old->OnMouseLeave();
  }
}

std::string_view CtrlRoot::CurrentCursorName() const {
  const Ctrl* control = capture_ ? capture_ : impl_->hover;
  if (!control || impl_->menu.IsOpen()) return kCursorArrow;
  return control->CursorAt(control->FromRoot(impl_->mouse));
}

// --- Keys, capture and focus ---------------------------------------------------------------------

bool CtrlRoot::KeyDown(const KeyEvent& e) {
  impl_->closedModals.clear();
  if (impl_->menu.IsOpen()) {
    for (const Rect& r : impl_->menu.Area()) InvalidateRootRect(r);
    bool close = false;
    const auto choice = impl_->menu.Key(e, close);
    for (const Rect& r : impl_->menu.Area()) InvalidateRootRect(r);
    if (close) ClosePopupMenu();
    if (choice) {
      ICmdListener* listener = impl_->menuListener;
      Ctrl* concerning = impl_->menuConcerning;
      ClosePopupMenu();
      VGui::CommandEvent event{choice->command, choice->argument, concerning};
      if (listener) listener->CommandEvent(&event);
    }
    return true;
  }
  Ctrl* scope = InputScope(*this);
  Ctrl* start = focus_ && IsInside(focus_, scope) ? focus_ : (scope != this ? scope : nullptr);
  for (Ctrl* c = start; c; c = (c == scope ? nullptr : c->Parent())) {
    if (c->OnKeyDown(e)) return true;
  }
  return false;
}

void CtrlRoot::FocusLost() {
  SetFocus(nullptr);
  ClosePopupMenu();
}

void CtrlRoot::SetCapture(Ctrl* control) {
  capture_ = control;
}

void CtrlRoot::ReleaseCapture(Ctrl* control) {
  if (capture_ == control) capture_ = nullptr;
}

void CtrlRoot::SetFocus(Ctrl* control) {
  if (control == focus_) return;
  Ctrl* old = focus_;
  focus_ = control;
  if (old) old->OnFocusLost();
  if (focus_ == control && control) control->OnFocusGained();
  // Typing must reach a text field whatever the host does with the keyboard focus; once no
  // control wants keys, the host's own key commands get them back.
  if (!window_) return;
  if (focus_ && focus_->AcceptsFocus()) {
    window_->TakeKeyboardFocus();
  } else if (!focus_) {
    window_->ReturnKeyboardFocus();
  }
}

void CtrlRoot::Forget(Ctrl* control) {
  if (!control) return;
  if (capture_ == control) capture_ = nullptr;
  if (focus_ == control) focus_ = nullptr;
  if (!impl_) return;
  if (impl_->hover == control) impl_->hover = nullptr;
  if (impl_->tooltipControl == control) {
    impl_->tooltipControl = nullptr;
    if (impl_->tooltip.Shown()) InvalidateRootRect(impl_->tooltip.Area());
    impl_->tooltip.Hide();
  }
  if (impl_->menuConcerning == control) impl_->menuConcerning = nullptr;
  std::erase(impl_->modals, control);
}

// --- Menus ---------------------------------------------------------------------------------------

void CtrlRoot::ShowPopupMenu(const PopupMenu& menu, Point at, ICmdListener* listener,
                             Ctrl* concerning) {
  ClosePopupMenu();
  if (impl_->tooltip.Shown()) InvalidateRootRect(impl_->tooltip.Area());
  impl_->tooltip.Hide();
  impl_->menu.Open(menu, at, LocalBounds());
  impl_->menuListener = listener;
  impl_->menuConcerning = concerning;
  impl_->menuOpenedDuringPress = impl_->pressing;
  capture_ = nullptr;
  for (const Rect& r : impl_->menu.Area()) InvalidateRootRect(r);
}

bool CtrlRoot::PopupMenuOpen() const {
  return impl_->menu.IsOpen();
}

void CtrlRoot::ClosePopupMenu() {
  for (const Rect& r : impl_->menu.Area()) InvalidateRootRect(r);
  impl_->menu.Close();
  impl_->menuListener = nullptr;
  impl_->menuConcerning = nullptr;
}

int CtrlRoot::PopupMenuLevels() const {
  return impl_->menu.Levels();
}
Rect CtrlRoot::PopupMenuItemRect(int level, int index) const {
  return impl_->menu.ItemRect(level, index);
}
Rect CtrlRoot::PopupMenuRect(int level) const {
  return impl_->menu.LevelRect(level);
}

// --- Tooltips ------------------------------------------------------------------------------------

void CtrlRoot::SetTooltipsEnabled(bool enabled) {
  impl_->tooltipsEnabled = enabled;
  if (impl_->tooltip.Shown()) InvalidateRootRect(impl_->tooltip.Area());
  impl_->tooltip.Hide();
}

void CtrlRoot::SetTooltipColours(Colour background, Colour text) {
  impl_->tooltip.SetColours(background, text);
}

std::string CtrlRoot::TooltipShowing() const {
  return impl_->tooltip.Text();
}

// --- Modal panels --------------------------------------------------------------------------------

Ctrl* CtrlRoot::PushModal(std::unique_ptr<Ctrl> panel) {
  if (!panel) return nullptr;
  ClosePopupMenu();
  SetTooltipsEnabled(impl_->tooltipsEnabled);
  const Rect r = panel->Bounds();
  panel->SetBounds(
      {(Bounds().width - r.width) / 2, (Bounds().height - r.height) / 2, r.width, r.height});
  Ctrl* added = AddChild(std::move(panel));
  impl_->modals.push_back(added);
  capture_ = nullptr;
  if (focus_ && !IsInside(focus_, added)) SetFocus(nullptr);
  return added;
}

void CtrlRoot::CloseModal(Ctrl* panel) {
  if (std::find(impl_->modals.begin(), impl_->modals.end(), panel) == impl_->modals.end()) return;
  if (auto removed = RemoveChild(panel)) impl_->closedModals.push_back(std::move(removed));
}

bool CtrlRoot::HasModal() const {
  return !impl_->modals.empty();
}

// --- Timer and window ----------------------------------------------------------------------------

void CtrlRoot::AddTimerCallback(CAutoTimerCallback* callback) {
  if (!callback) return;
  auto& timers = impl_->timers;
  if (std::find(timers.begin(), timers.end(), callback) == timers.end()) timers.push_back(callback);
}

void CtrlRoot::RemoveTimerCallback(CAutoTimerCallback* callback) {
  std::erase(impl_->timers, callback);
}

void CtrlRoot::Tick() {
  impl_->closedModals.clear();
  if (impl_->tooltipsEnabled && impl_->mouseInside && !impl_->tooltip.Shown() &&
      !impl_->menu.IsOpen() && !capture_ && impl_->tooltipControl &&
      ++impl_->restTicks >= kTooltipRestTicks) {
    std::string text = impl_->tooltipControl->TooltipText();
    if (!text.empty()) {
      impl_->tooltip.Show(std::move(text), impl_->mouse, LocalBounds());
      InvalidateRootRect(impl_->tooltip.Area());
    }
  }
  // A callback may add or remove callbacks (itself included): work on a copy, and skip those
  // removed before their turn. Those added wait for the next tick.
  const std::vector<CAutoTimerCallback*> snapshot = impl_->timers;
  for (CAutoTimerCallback* callback : snapshot) {
    const auto& now = impl_->timers;
    if (std::find(now.begin(), now.end(), callback) != now.end()) callback->ATC_Tick();
  }
}

void CtrlRoot::SetScale(float scale) {
  if (!(scale > 0.0f) || scale == scale_) return;
  scale_ = scale;
  Invalidate();
}

}  // namespace VGui
