// A row (or column) of segments of which one is selected: the items come from the "items"
// attribute ("A|B|C|D"), the value is the selected index (0 to count - 1). A left press on a
// segment selects it and reports kValueChanged when the selection changed; presses and releases
// of both buttons are reported as for a button. UI thread.
#pragma once

#include <string>
#include <vector>

#include "support/gui/Control.h"
#include "support/gui/controls/ControlAttributes.h"

namespace VGui {

class CtrlButtonGroup : public Ctrl {
 public:
  static constexpr const char* kClassName = "CtrlButtonGroup";
  const char* ClassName() const override { return kClassName; }

  const std::vector<std::string>& Items() const { return items_; }
  // The selection is kept when it is still an item, else moved to the last item.
  void SetItems(std::vector<std::string> items);
  int ItemCount() const { return int(items_.size()); }
  int SelectedIndex() const { return int(Value()); }

  Orientation GetOrientation() const { return orientation_; }
  void SetOrientation(Orientation orientation);
  bool Horizontal() const;

  // The segment under a local point; -1 outside every segment.
  int SegmentAt(Point local) const;
  // A segment's rectangle in local coordinates.
  RectF SegmentRect(int index) const;

  // Rounds to the nearest index.
  void SetValue(float value, bool notify = false) override;
  float MaxValue() const override;

  bool OnMouseDown(const MouseEvent& e) override;
  bool OnMouseUp(const MouseEvent& e) override;
  void Draw(Canvas& canvas) override;
  void ReadSkinAttributes(const VFoundation::XmlNode& element, const SkinSet& skins) override;

 protected:
  virtual void DrawSegment(Canvas& canvas, int index, bool selected);

 private:
  std::vector<std::string> items_;
  Orientation orientation_ = Orientation::kAutomatic;
  bool leftPressed_ = false;
  bool rightPressed_ = false;
};

}  // namespace VGui
