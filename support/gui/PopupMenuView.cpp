// Layout, input and drawing of the toolkit's own pop-up menus.
#include "support/gui/PopupMenuView.h"

#include <algorithm>

namespace VGui {
namespace {

constexpr int kTextLeft = 22;   // room for the check mark
constexpr int kArrowRoom = 22;  // room for the submenu arrow
constexpr int kMinimumWidth = 120;

bool Choosable(const PopupMenu::Item& item) {
  return item.enabled && !item.separator;
}

int ClampInto(int position, int length, int start, int end) {
  return std::max(start, std::min(position, end - length));
}

}  // namespace

std::unique_ptr<PopupMenu> CopyPopupMenu(const PopupMenu& menu) {
  auto copy = std::make_unique<PopupMenu>();
  for (const auto& item : menu.Items()) {
    PopupMenu::Item& added = item.separator ? (copy->AddSeparator(), copy->Items().back())
                                            : copy->AddItem(item.text, item.command, item.argument,
                                                            item.enabled, item.checked);
    if (item.submenu) added.submenu = CopyPopupMenu(*item.submenu);
  }
  return copy;
}

int PopupMenuView::EstimateTextWidth(std::string_view text, float size) {
  int characters = 0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
  }
  // DejaVu Sans averages about 0.55 em per character; 0.62 leaves room for wide words.
  return int(float(characters) * size * 0.62f + 0.5f);
}

PopupMenuView::Level PopupMenuView::Layout(const PopupMenu& menu, Point at) const {
  Level level;
  level.menu = &menu;
  int width = kMinimumWidth;
  int height = 2 * kPadding;
  for (const auto& item : menu.Items()) {
    height += item.separator ? kSeparatorHeight : kItemHeight;
    width = std::max(width, kTextLeft + EstimateTextWidth(item.text, kFontSize) + kArrowRoom);
  }
  width = std::min(width, std::max(bounds_.width, 1));
  level.rect = {ClampInto(at.x, width, bounds_.x, bounds_.Right()),
                ClampInto(at.y, height, bounds_.y, bounds_.Bottom()), width, height};
  int y = level.rect.y + kPadding;
  for (const auto& item : menu.Items()) {
    const int h = item.separator ? kSeparatorHeight : kItemHeight;
    level.items.push_back({level.rect.x, y, width, h});
    y += h;
  }
  return level;
}

void PopupMenuView::Open(const PopupMenu& menu, Point at, const Rect& bounds) {
  bounds_ = bounds;
  menu_ = CopyPopupMenu(menu);
  levels_.clear();
  levels_.push_back(Layout(*menu_, at));
}

void PopupMenuView::Close() {
  levels_.clear();
  menu_.reset();
}

Rect PopupMenuView::LevelRect(int level) const {
  if (level < 0 || level >= Levels()) return {};
  return levels_[size_t(level)].rect;
}

Rect PopupMenuView::ItemRect(int level, int index) const {
  if (level < 0 || level >= Levels()) return {};
  const auto& items = levels_[size_t(level)].items;
  if (index < 0 || index >= int(items.size())) return {};
  return items[size_t(index)];
}

std::vector<Rect> PopupMenuView::Area() const {
  std::vector<Rect> area;
  for (const auto& level : levels_) area.push_back(level.rect);
  return area;
}

bool PopupMenuView::Contains(Point p) const {
  return std::any_of(levels_.begin(), levels_.end(),
                     [p](const Level& level) { return level.rect.Contains(p); });
}

int PopupMenuView::ItemAt(const Level& level, Point p) const {
  for (size_t i = 0; i < level.items.size(); ++i) {
    if (level.items[i].Contains(p)) return int(i);
  }
  return -1;
}

void PopupMenuView::OpenSubmenu(int level, int index) {
  levels_.resize(size_t(level) + 1);
  const auto& item = levels_[size_t(level)].menu->Items()[size_t(index)];
  if (!item.submenu || !item.enabled) return;
  const Rect parentItem = levels_[size_t(level)].items[size_t(index)];
  Level sub = Layout(*item.submenu, {parentItem.Right() - 2, parentItem.y - kPadding});
  // A submenu that would cover its parent item opens to the left instead.
  if (sub.rect.x < parentItem.Right() - 2) {
    const int left = std::max(bounds_.x, levels_[size_t(level)].rect.x - sub.rect.width + 2);
    const int dx = left - sub.rect.x;
    sub.rect = sub.rect.Offset(dx, 0);
    for (auto& r : sub.items) r = r.Offset(dx, 0);
  }
  levels_.push_back(std::move(sub));
}

void PopupMenuView::Hover(Point p) {
  for (int l = Levels() - 1; l >= 0; --l) {
    Level& level = levels_[size_t(l)];
    if (!level.rect.Contains(p)) continue;
    const int index = ItemAt(level, p);
    if (index == level.highlighted) return;
    level.highlighted = index;
    levels_.resize(size_t(l) + 1);
    if (index >= 0 && levels_[size_t(l)].menu->Items()[size_t(index)].submenu) {
      OpenSubmenu(l, index);
    }
    return;
  }
}

std::optional<PopupMenuView::Choice> PopupMenuView::Press(Point p) {
  for (int l = Levels() - 1; l >= 0; --l) {
    Level& level = levels_[size_t(l)];
    if (!level.rect.Contains(p)) continue;
    const int index = ItemAt(level, p);
    if (index < 0) return std::nullopt;
    const auto& item = level.menu->Items()[size_t(index)];
    if (!Choosable(item)) return std::nullopt;
    level.highlighted = index;
    if (item.submenu) {
      OpenSubmenu(l, index);
      return std::nullopt;
    }
    return Choice{item.command, item.argument};
  }
  return std::nullopt;
}

void PopupMenuView::MoveHighlight(Level& level, int step) {
  const int count = int(level.menu->Items().size());
  int index = level.highlighted;
  for (int tries = 0; tries < count; ++tries) {
    index = index < 0 ? (step > 0 ? 0 : count - 1) : (index + step + count) % count;
    if (Choosable(level.menu->Items()[size_t(index)])) {
      level.highlighted = index;
      return;
    }
  }
}

std::optional<PopupMenuView::Choice> PopupMenuView::Key(const KeyEvent& e, bool& close) {
  close = false;
  if (levels_.empty()) return std::nullopt;
  Level& level = levels_.back();
  switch (e.key) {
    case Key::kEscape:
      close = true;
      return std::nullopt;
    case Key::kDown:
    case Key::kUp:
      MoveHighlight(level, e.key == Key::kDown ? 1 : -1);
      return std::nullopt;
    case Key::kLeft:
      if (levels_.size() > 1) levels_.pop_back();
      return std::nullopt;
    case Key::kRight:
    case Key::kReturn: {
      if (level.highlighted < 0) return std::nullopt;
      const auto& item = level.menu->Items()[size_t(level.highlighted)];
      if (!Choosable(item)) return std::nullopt;
      if (item.submenu) {
        const int l = Levels() - 1;
        OpenSubmenu(l, level.highlighted);
        if (Levels() > l + 1) MoveHighlight(levels_.back(), 1);
        return std::nullopt;
      }
      if (e.key == Key::kReturn) return Choice{item.command, item.argument};
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

void PopupMenuView::Draw(Canvas& canvas, const Style& style) const {
  const Font font{kFontSize, false};
  for (const auto& level : levels_) {
    canvas.FillRoundedRect(level.rect, 3.0f, style.background);
    canvas.StrokeRoundedRect(RectF(float(level.rect.x) + 0.5f, float(level.rect.y) + 0.5f,
                                   float(level.rect.width) - 1.0f, float(level.rect.height) - 1.0f),
                             3.0f, 1.0f, style.border);
    const auto& items = level.menu->Items();
    for (size_t i = 0; i < items.size(); ++i) {
      const auto& item = items[i];
      const Rect r = level.items[i];
      if (item.separator) {
        const float y = float(r.y) + float(r.height) * 0.5f;
        canvas.StrokeLine({float(r.x + 6), y}, {float(r.Right() - 6), y}, 1.0f, style.disabled);
        continue;
      }
      if (int(i) == level.highlighted && item.enabled) {
        canvas.FillRect(RectF(float(r.x + 2), float(r.y), float(r.width - 4), float(r.height)),
                        style.accent.WithAlpha(96));
      }
      const Colour ink = item.enabled ? style.text : style.disabled;
      if (item.checked) {
        const PointF tick[] = {{float(r.x) + 7.0f, float(r.y) + 10.0f},
                               {float(r.x) + 10.0f, float(r.y) + 14.0f},
                               {float(r.x) + 16.0f, float(r.y) + 6.0f}};
        canvas.StrokePolyline(tick, 1.8f, ink);
      }
      canvas.DrawText(item.text,
                      RectF(float(r.x + kTextLeft), float(r.y),
                            float(r.width - kTextLeft - kArrowRoom / 2), float(r.height)),
                      font, ink);
      if (item.submenu) {
        const float x = float(r.Right()) - 12.0f;
        const float y = float(r.y) + float(r.height) * 0.5f;
        const PointF arrow[] = {{x, y - 4.0f}, {x + 4.0f, y}, {x, y + 4.0f}};
        canvas.FillPolygon(arrow, ink);
      }
    }
  }
}

}  // namespace VGui
