// A pop-up menu's content: items with a text and a command id, separators, checks, disabled items
// and submenus. The root shows it (drawn by the toolkit, inside the editor) and sends the chosen
// item's command to the menu's listener. GUI thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/gui/Events.h"

namespace VGui {

class PopupMenu {
 public:
  struct Item {
    std::string text;  // empty for a separator
    int32_t command = 0;
    int32_t argument = 0;  // sent as the command's integer argument
    bool enabled = true;
    bool checked = false;
    bool separator = false;
    std::unique_ptr<PopupMenu> submenu;
  };

  void Clear() { items_.clear(); }
  Item& AddItem(std::string text, int32_t command, int32_t argument = 0, bool enabled = true,
                bool checked = false);
  void AddSeparator();
  // The submenu is owned by this menu.
  PopupMenu& AddSubmenu(std::string text);
  const std::vector<Item>& Items() const { return items_; }
  std::vector<Item>& Items() { return items_; }
  bool Empty() const { return items_.empty(); }

 private:
  std::vector<Item> items_;
};

}  // namespace VGui
