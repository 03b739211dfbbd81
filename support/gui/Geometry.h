// Logical-pixel geometry of the GUI toolkit. Controls lay out in integer logical pixels; drawing
// takes floats so that lines and arcs can sit between pixels. The window's scale factor (1 at
// 100 %, 2 on a high-density screen) is applied by the canvas, never by the controls.
#pragma once

#include <algorithm>
#include <cstdint>

namespace VGui {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// x, y is the top-left corner relative to the parent control; right and bottom are exclusive.
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
  bool Empty() const { return width <= 0 || height <= 0; }
  bool Contains(Point p) const { return p.x >= x && p.y >= y && p.x < Right() && p.y < Bottom(); }
  bool Contains(const Rect& r) const {
    return r.x >= x && r.y >= y && r.Right() <= Right() && r.Bottom() <= Bottom();
  }
  Rect Offset(int dx, int dy) const { return {x + dx, y + dy, width, height}; }
  Rect Inset(int d) const { return {x + d, y + d, width - 2 * d, height - 2 * d}; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

inline Rect Intersection(const Rect& a, const Rect& b) {
  const int left = std::max(a.x, b.x);
  const int top = std::max(a.y, b.y);
  const int right = std::min(a.Right(), b.Right());
  const int bottom = std::min(a.Bottom(), b.Bottom());
  if (right <= left || bottom <= top) return {};
  return {left, top, right - left, bottom - top};
}

inline Rect Union(const Rect& a, const Rect& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  const int left = std::min(a.x, b.x);
  const int top = std::min(a.y, b.y);
  return {left, top, std::max(a.Right(), b.Right()) - left, std::max(a.Bottom(), b.Bottom()) - top};
}

struct PointF {
  float x = 0.0f;
  float y = 0.0f;
};

struct RectF {
  float x = 0.0f;
  float y = 0.0f;
  float width = 0.0f;
  float height = 0.0f;

  RectF() = default;
  RectF(float x_, float y_, float w, float h) : x(x_), y(y_), width(w), height(h) {}
  // NOLINTNEXTLINE(google-explicit-constructor): every integer rectangle is a float one.
  RectF(const Rect& r)
      : x(float(r.x)), y(float(r.y)), width(float(r.width)), height(float(r.height)) {}
  float Right() const { return x + width; }
  float Bottom() const { return y + height; }
  PointF Centre() const { return {x + width * 0.5f, y + height * 0.5f}; }
};

}  // namespace VGui
