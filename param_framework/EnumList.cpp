// Ordered lists of item names.
#include "param_framework/EnumList.h"

#include "support/TextHelpers.h"

namespace VDSP {

namespace {

size_t SkipBlanks(std::string_view text, size_t at) {
  while (at < text.size() && VFoundation::IsBlank(text[at])) ++at;
  return at;
}

}  // namespace

EnumList::EnumList(std::initializer_list<std::string_view> names) {
  int index = 0;
  for (const std::string_view name : names) SetItem(index++, name);
}

bool EnumList::SetItem(int index, std::string_view name) {
  if (index < 0 || index >= kMaxItems) return false;
  if (index >= GetItemCount()) items_.resize(static_cast<size_t>(index) + 1);
  items_[static_cast<size_t>(index)].Set(name);
  return true;
}

void EnumList::Clear() {
  items_.clear();
}

const char* EnumList::GetItemName(int index) const {
  if (index < 0 || index >= GetItemCount()) return "";
  return items_[static_cast<size_t>(index)].CStr();
}

int EnumList::FindItem(std::string_view text) const {
  for (int index = 0; index < GetItemCount(); ++index) {
    const std::string_view name = items_[static_cast<size_t>(index)].View();
    // An unnamed item would match every blank text.
    if (!name.empty() && SameNameIgnoringCaseAndBlanks(name, text)) return index;
  }
  return -1;
}

EnumListUnit::EnumListUnit() {
  Reset();
}

void EnumListUnit::Reset() {
  Clear();
  SetItem(0, "Off");
}

bool SameNameIgnoringCaseAndBlanks(std::string_view a, std::string_view b) {
  size_t i = SkipBlanks(a, 0);
  size_t j = SkipBlanks(b, 0);
  while (i < a.size() && j < b.size()) {
    if (VFoundation::ToUpperAscii(a[i]) != VFoundation::ToUpperAscii(b[j])) return false;
    i = SkipBlanks(a, i + 1);
    j = SkipBlanks(b, j + 1);
  }
  return i == a.size() && j == b.size();
}

}  // namespace VDSP
