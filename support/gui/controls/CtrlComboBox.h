// A drop-down list: shows the selected item; a left press opens the root's pop-up menu with every
// item, the selected one checked; choosing an item selects it and reports kValueChanged. The value
// is the selected index (0 to count - 1); the items come from the "items" attribute ("A|B|C").
// A right press and release are reported and open nothing. UI thread.
#pragma once

#include <string>
#include <vector>

#include "support/gui/Control.h"
#include "support/gui/PopupMenu.h"

namespace VGui {

class CtrlRoot;

class CtrlComboBox : public Ctrl, public ICmdListener {
 public:
  static constexpr const char* kClassName = "CtrlComboBox";
  const char* ClassName() const override { return kClassName; }

  CtrlComboBox() = default;
  ~CtrlComboBox() override;

  // The command of the menu's items; the argument is the item's index.
  static constexpr int32_t kChooseItemCommand = 1;

  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(std::vector<std::string> items);
  int ItemCount() const { return int(items_.size()); }
  int SelectedIndex() const { return int(Value()); }
  // The selected item's text; empty without items.
  std::string SelectedText() const;

  // Opens the menu below the control; nothing without a root or without items.
  void OpenMenu();

  void SetValue(float value, bool notify = false) override;
  float MaxValue() const override;

  bool OnMouseDown(const MouseEvent& e) override;
  bool OnMouseUp(const MouseEvent& e) override;
  void CommandEvent(const VGui::CommandEvent* event) override;

  void Draw(Canvas& canvas) override;
  void ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet& skins) override;

 private:
  std::vector<std::string> items_;
  PopupMenu menu_;
  // The root our menu may still be open on: it would send the choice to this object.
  CtrlRoot* menuRoot_ = nullptr;
  bool rightPressed_ = false;
};

}  // namespace VGui
