// The on-screen state of an open pop-up menu: a copy of the menu, one level per open submenu with
// its rectangle and highlighted item, and the drawing. The root owns one and routes the mouse and
// keys to it while it is open. UI thread.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "support/gui/Canvas.h"
#include "support/gui/Events.h"
#include "support/gui/Geometry.h"
#include "support/gui/PopupMenu.h"
#include "support/gui/Style.h"

namespace VGui {

class PopupMenuView {
 public:
  static constexpr int kItemHeight = 20;
  static constexpr int kSeparatorHeight = 7;
  static constexpr int kPadding = 4;
  static constexpr float kFontSize = 12.0f;

  struct Choice {
    int32_t command = 0;
    int32_t argument = 0;
  };

  // Opens a copy of menu with its corner at `at`, moved to lie inside bounds. UI thread
  void Open(const PopupMenu& menu, Point at, const Rect& bounds);
  void Close();
  bool IsOpen() const { return !levels_.empty(); }
  int Levels() const { return int(levels_.size()); }
  Rect LevelRect(int level) const;
  Rect ItemRect(int level, int index) const;
  // Every level's rectangle: what to repaint when the menu changes.
  std::vector<Rect> Area() const;
  bool Contains(Point p) const;

  // The mouse over the menu highlights an item and opens its submenu.
  void Hover(Point p);
  // A press on an enabled item answers its choice; on a submenu item it opens the submenu.
  std::optional<Choice> Press(Point p);
  // Arrow keys move and open, Return chooses; Escape sets close.
  std::optional<Choice> Key(const KeyEvent& e, bool& close);

  void Draw(Canvas& canvas, const Style& style) const;

  // The width text of this many UTF-8 characters takes at the menu's font size: a generous
  // estimate for the toolkit's typeface, so that layout needs no canvas.
  static int EstimateTextWidth(std::string_view text, float size);

 private:
  struct Level {
    const PopupMenu* menu = nullptr;
    Rect rect;
    std::vector<Rect> items;  // root coordinates
    int highlighted = -1;
  };

  Level Layout(const PopupMenu& menu, Point at) const;
  void OpenSubmenu(int level, int index);
  int ItemAt(const Level& level, Point p) const;
  void MoveHighlight(Level& level, int step);

  std::unique_ptr<PopupMenu> menu_;
  std::vector<Level> levels_;
  Rect bounds_;
};

// A deep copy (submenus included). UI thread
std::unique_ptr<PopupMenu> CopyPopupMenu(const PopupMenu& menu);

}  // namespace VGui
