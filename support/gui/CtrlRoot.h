// The root of a control tree: the one object that knows the window. It gathers invalid regions
// into the next frame, routes the mouse (with capture) and the keyboard (with focus), shows
// tooltips, pop-up menus and modal panels above everything, owns the skins' styles and cursors,
// and runs the one 40 ms timer that all periodic work shares. It runs headless: a test drives it
// through the same entry points the window uses. GUI thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/gui/Control.h"
#include "support/gui/PopupMenu.h"

namespace VGui {

class SkinSet;
class CursorSet;
class RootWindow;

class CtrlRoot : public Ctrl {
 public:
  static constexpr const char* kClassName = "CtrlRoot";
  const char* ClassName() const override { return kClassName; }

  CtrlRoot();
  ~CtrlRoot() override;

  // --- Skins and cursors ---------------------------------------------------------------------
  SkinSet& Skins();
  const SkinSet& Skins() const;
  CursorSet& Cursors();

  // --- Invalidation and painting ---------------------------------------------------------------
  // Root coordinates. Regions are merged into at most kMaxInvalidRects rectangles per frame unless
  // consolidation is switched off (a developer mode).
  // A busy tick invalidates dozens of small controls spread over the editor (every knob's live
  // value, nine displays); squeezed into 4 rectangles they repainted most of the editor. Past about
  // 12 the clip set-ups cost more than the pixels they save.
  static constexpr size_t kMaxInvalidRects = 12;
  void InvalidateRootRect(const Rect& r);
  bool HasInvalidRegion() const;
  // Paints the invalid region (or everything when `all`) into the canvas and clears it; answers
  // the logical rectangles painted.
  std::vector<Rect> PaintInvalid(Canvas& canvas, bool all = false);
  // Developer modes: colour each repainted region with a changing hue; never merge regions.
  void SetDebugModes(bool rainbow, bool noConsolidate);
  // The rectangles waiting for the next frame (root coordinates).
  std::vector<Rect> InvalidRegion() const;
  // Drawn over all children and modal panels, under menus and tooltips (the editor's learn and
  // drop overlays). Root coordinates.
  virtual void DrawAbove(Canvas&) {}

  // --- Input entry points (root coordinates) -------------------------------------------------
  void MouseDown(const MouseEvent& e);
  void MouseMove(const MouseEvent& e);
  void MouseUp(const MouseEvent& e);
  void MouseWheel(const MouseEvent& e);
  void MouseLeave();
  bool KeyDown(const KeyEvent& e);
  void FocusLost();
  // The cursor name for the mouse's last position.
  std::string_view CurrentCursorName() const;

  // --- Capture and focus ---------------------------------------------------------------------
  void SetCapture(Ctrl* control);
  void ReleaseCapture(Ctrl* control);
  Ctrl* Capture() const { return capture_; }
  void SetFocus(Ctrl* control);
  Ctrl* Focus() const { return focus_; }
  // Called by a control's destructor or removal so no pointer to it survives.
  void Forget(Ctrl* control);

  // --- Overlays ------------------------------------------------------------------------------
  // Shows the menu with its top-left corner at the root point (moved to stay inside the root);
  // the chosen item's command goes to listener. A new menu replaces an open one.
  void ShowPopupMenu(const PopupMenu& menu, Point at, ICmdListener* listener, Ctrl* concerning);
  bool PopupMenuOpen() const;
  void ClosePopupMenu();
  // Open menu levels (1 for the menu, one more per open submenu) and where an item of a level
  // lies (root coordinates; empty when there is no such item).
  int PopupMenuLevels() const;
  Rect PopupMenuItemRect(int level, int index) const;
  Rect PopupMenuRect(int level) const;
  // Tooltips appear after the mouse rests on a control with text; empty text hides them.
  void SetTooltipsEnabled(bool enabled);
  void SetTooltipColours(Colour background, Colour text);
  // The tooltip's text while one is shown; empty otherwise.
  std::string TooltipShowing() const;
  // Modal panels sit above all other controls, centred in the root, and take all input until
  // closed. A panel may close itself from its own event handler: it is destroyed after the event.
  Ctrl* PushModal(std::unique_ptr<Ctrl> panel);
  void CloseModal(Ctrl* panel);
  bool HasModal() const;
  Ctrl* TopModal() const;

  // --- Timer ---------------------------------------------------------------------------------
  void AddTimerCallback(CAutoTimerCallback* callback);
  void RemoveTimerCallback(CAutoTimerCallback* callback);
  // One tick: tooltips and menus first, then every callback in order of joining.
  void Tick();

  // --- Window --------------------------------------------------------------------------------
  // The window showing this root, when open; null headless.
  RootWindow* Window() const { return window_; }
  void SetWindow(RootWindow* window) { window_ = window; }
  float Scale() const { return scale_; }
  void SetScale(float scale);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  Ctrl* capture_ = nullptr;
  Ctrl* focus_ = nullptr;
  RootWindow* window_ = nullptr;
  float scale_ = 1.0f;
};

}  // namespace VGui
