// Ordered lists of item names: the items of enumerated converters and the converters' unit lists.
#pragma once

#include <string_view>
#include <vector>

#include "param_framework/FixedString.h"

namespace VDSP {

// Item names are set by index (the list grows to reach it) and cut to 63 characters. Built on the
// UI thread; reading is safe from any thread while nobody sets items.
class EnumList {
 public:
  using ItemName = FixedString<64>;
  // Larger indices are refused, so that a bad index cannot make the list claim all memory.
  static constexpr int kMaxItems = 4096;

  EnumList() = default;
  EnumList(std::initializer_list<std::string_view> names);

  // Answers false (and changes nothing) for an index below 0 or from kMaxItems on. // UI thread
  bool SetItem(int index, std::string_view name);
  // UI thread
  void Clear();
  // any thread
  int GetItemCount() const { return static_cast<int>(items_.size()); }
  // "" for an index outside the list. // any thread
  const char* GetItemName(int index) const;
  // The first item whose name equals text, without regard to case and blanks; -1 for none.
  // any thread
  int FindItem(std::string_view text) const;

 private:
  std::vector<ItemName> items_;
};

// A converter's unit list: item 0 is always "Off".
class EnumListUnit : public EnumList {
 public:
  EnumListUnit();
  // Empties the list down to its "Off" item. // UI thread
  void Reset();
};

// Compares two names as typed text is matched: blanks dropped, letters without regard to case.
// any thread
bool SameNameIgnoringCaseAndBlanks(std::string_view a, std::string_view b);

}  // namespace VDSP
