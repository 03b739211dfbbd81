// The toolkit's control class: a node of the control tree with a name, a command id, a rectangle
// relative to its parent, a style, a normalised value and a listener. Children are owned by their
// parent and drawn after it, in order; the last child is on top for the mouse. GUI thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/gui/Canvas.h"
#include "support/gui/Events.h"
#include "support/gui/Geometry.h"
#include "support/gui/Style.h"

namespace VFoundation {
class XmlNode;
}

namespace VGui {

class CtrlRoot;
class SkinSet;

// Mouse cursors by name; the root maps names to the cursors loaded from the skin's folder and
// falls back to the arrow.
inline constexpr std::string_view kCursorArrow = "Arrow";

class Ctrl {
 public:
  static constexpr const char* kClassName = "Ctrl";

  Ctrl() = default;
  virtual ~Ctrl();
  Ctrl(const Ctrl&) = delete;
  Ctrl& operator=(const Ctrl&) = delete;

  // The name under which the class registry creates this class (the most derived registered one).
  virtual const char* ClassName() const { return kClassName; }

  // --- Identity ----------------------------------------------------------------------------
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  int32_t Id() const { return id_; }
  void SetId(int32_t id) { id_ = id; }
  ICtrlListener* Listener() const { return listener_; }
  void SetListener(ICtrlListener* listener) { listener_ = listener; }
  const std::string& Tooltip() const { return tooltip_; }
  void SetTooltip(std::string text) { tooltip_ = std::move(text); }

  // --- Tree --------------------------------------------------------------------------------
  Ctrl* Parent() const { return parent_; }
  const std::vector<std::unique_ptr<Ctrl>>& Children() const { return children_; }
  Ctrl* AddChild(std::unique_ptr<Ctrl> child);
  // Inserts at index in the drawing order (clamped to the end).
  Ctrl* InsertChild(size_t index, std::unique_ptr<Ctrl> child);
  // The child's place in the drawing order; Children().size() when it is not a child.
  size_t IndexOf(const Ctrl* child) const;
  // Removes and answers the child; empty when it is not a child of this control.
  std::unique_ptr<Ctrl> RemoveChild(Ctrl* child);
  void RemoveAllChildren();
  // Depth-first search below this control (not the control itself); null when none.
  Ctrl* FindDescendant(std::string_view name) const;
  // The root of the tree, when this control is attached to one.
  CtrlRoot* Root() const;

  // --- Geometry and visibility ---------------------------------------------------------------
  const Rect& Bounds() const { return bounds_; }
  void SetBounds(const Rect& r);
  Rect LocalBounds() const { return {0, 0, bounds_.width, bounds_.height}; }
  // The rectangle in the root's coordinates.
  Rect RootBounds() const;
  Point ToRoot(Point local) const;
  Point FromRoot(Point rootPoint) const;
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // Visible and every ancestor visible.
  bool Showing() const;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  // --- Style -------------------------------------------------------------------------------
  const Style& CurrentStyle() const;
  void SetStyle(std::shared_ptr<const Style> style);
  const std::shared_ptr<const Style>& StylePointer() const { return style_; }

  // --- Value (0..1 for knobs and sliders, 0/1 for buttons, the index for groups) --------------
  float Value() const { return value_; }
  // Stores, clamps to the control's range and redraws; reports kValueChanged only when notify is
  // set and the value changed.
  virtual void SetValue(float value, bool notify = false);
  virtual float MinValue() const { return 0.0f; }
  virtual float MaxValue() const { return 1.0f; }
  float DefaultValue() const { return defaultValue_; }
  void SetDefaultValue(float v) { defaultValue_ = v; }

  // --- Drawing -----------------------------------------------------------------------------
  // Marks the whole control for repaint at the next frame.
  void Invalidate();
  void InvalidateRect(const Rect& local);
  // Draws this control in its own coordinates; children are drawn by Paint afterwards.
  virtual void Draw(Canvas& canvas);
  // Draws this control and its visible children that meet `clip` (root coordinates).
  void Paint(Canvas& canvas, const Rect& clip);

  // --- Input (positions local; answer true when handled) -------------------------------------
  virtual bool HitTest(Point local) const { return LocalBounds().Contains(local); }
  // The deepest visible, enabled control under the point (local coordinates), this one when no
  // child takes it, null when outside.
  Ctrl* ControlAt(Point local);
  virtual bool OnMouseDown(const MouseEvent&) { return false; }
  virtual bool OnMouseMove(const MouseEvent&) { return false; }
  virtual bool OnMouseUp(const MouseEvent&) { return false; }
  virtual bool OnDoubleClick(const MouseEvent&) { return false; }
  virtual bool OnMouseWheel(const MouseEvent&) { return false; }
  virtual void OnMouseEnter() {}
  virtual void OnMouseLeave() {}
  virtual bool OnKeyDown(const KeyEvent&) { return false; }
  virtual void OnFocusGained() {}
  virtual void OnFocusLost() {}
  virtual bool AcceptsFocus() const { return false; }
  // The cursor name at a local point.
  virtual std::string_view CursorAt(Point) const { return kCursorArrow; }
  // Tooltip text for the point; the control's tooltip unless a listener-side provider is set.
  virtual std::string TooltipText() const { return tooltip_; }

  // --- Skin --------------------------------------------------------------------------------
  // Reads class-specific attributes of the control's element (the loader has already set name,
  // id, rectangle, style, visibility and tooltip). Bad values are logged and left at defaults.
  virtual void ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet& skins);
  // Called by the skin loader once this control's element and all its children are loaded; a
  // panel that loads a skin file of its own does it here.
  virtual void SkinLoaded(SkinSet&) {}

 protected:
  // Tells the listener, when there is one.
  void Notify(ControlEventKind kind);
  virtual void OnBoundsChanged() {}
  // Set by CtrlRoot only, so that Root() needs no cast of a control that may be mid-destruction.
  bool isRoot_ = false;

 private:
  std::string name_;
  int32_t id_ = 0;
  Rect bounds_;
  bool visible_ = true;
  bool enabled_ = true;
  float value_ = 0.0f;
  float defaultValue_ = 0.0f;
  std::string tooltip_;
  ICtrlListener* listener_ = nullptr;
  Ctrl* parent_ = nullptr;
  std::vector<std::unique_ptr<Ctrl>> children_;
  std::shared_ptr<const Style> style_;
};

}  // namespace VGui
