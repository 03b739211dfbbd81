// Pop-up menu content.
#include "support/gui/PopupMenu.h"

namespace VGui {

PopupMenu::Item& PopupMenu::AddItem(std::string text, int32_t command, int32_t argument,
                                    bool enabled, bool checked) {
  Item item;
  item.text = std::move(text);
  item.command = command;
  item.argument = argument;
  item.enabled = enabled;
  item.checked = checked;
  items_.push_back(std::move(item));
  return items_.back();
}

void PopupMenu::AddSeparator() {
  Item item;
  item.separator = true;
  item.enabled = false;
  items_.push_back(std::move(item));
}

PopupMenu& PopupMenu::AddSubmenu(std::string text) {
  Item item;
  item.text = std::move(text);
  item.submenu = std::make_unique<PopupMenu>();
  items_.push_back(std::move(item));
  return *items_.back().submenu;
}

}  // namespace VGui
