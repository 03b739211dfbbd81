#include "tools/art/Cursors.h"

#include <cmath>
#include <functional>
#include <numbers>

#include "tools/art/Palette.h"

namespace TavoArt {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kMid = kCursorSize / 2.0;

using PathMaker = std::function<void(cairo_t*)>;

void Polygon(cairo_t* cr, std::initializer_list<std::pair<double, double>> points) {
  bool first = true;
  for (const auto& [x, y] : points) {
    if (first) {
      cairo_move_to(cr, x, y);
    } else {
      cairo_line_to(cr, x, y);
    }
    first = false;
  }
  cairo_close_path(cr);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  constexpr double kQuarter = kPi / 2;
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -kQuarter, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, kQuarter);
  cairo_arc(cr, x + r, y + h - r, r, kQuarter, 2 * kQuarter);
  cairo_arc(cr, x + r, y + r, r, 2 * kQuarter, 3 * kQuarter);
  cairo_close_path(cr);
}

// The shape in black grown by one pixel all round, then in the fill colour: overlapping parts
// of a shape show no inner outline.
void Outlined(cairo_t* cr, const PathMaker& path, Rgb fill) {
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_width(cr, 2.0);
  SetRgb(cr, Palette::kBlack);
  path(cr);
  cairo_fill_preserve(cr);
  cairo_stroke(cr);
  SetRgb(cr, fill);
  path(cr);
  cairo_fill(cr);
}

void ArrowPath(cairo_t* cr) {
  Polygon(cr, {{2, 2}, {2, 19}, {6.2, 15.2}, {9.2, 21.6}, {12.0, 20.4}, {9.0, 14.2}, {14.6, 14.2}});
}

void HandPath(cairo_t* cr) {
  RoundedRect(cr, 7.5, 1.5, 3.5, 12, 1.75);                         // index finger
  RoundedRect(cr, 11.0, 8.0, 3.0, 6, 1.5);                          // middle finger
  RoundedRect(cr, 14.0, 9.0, 3.0, 5.5, 1.5);                        // ring finger
  RoundedRect(cr, 17.0, 10.0, 2.8, 5, 1.4);                         // little finger
  RoundedRect(cr, 7.5, 11.0, 12.3, 10.5, 3.0);                      // palm
  Polygon(cr, {{7.6, 19}, {3.2, 13.8}, {4.8, 12.4}, {8.0, 14.5}});  // thumb
}

// A double arrow along the vertical axis through the centre.
void VerticalArrowPath(cairo_t* cr) {
  Polygon(cr, {{kMid, 2},
               {17, 7.5},
               {13.6, 7.5},
               {13.6, 16.5},
               {17, 16.5},
               {kMid, 22},
               {7, 16.5},
               {10.4, 16.5},
               {10.4, 7.5},
               {7, 7.5}});
}

void HorizontalArrowPath(cairo_t* cr) {
  cairo_save(cr);
  cairo_translate(cr, kMid, kMid);
  cairo_rotate(cr, kPi / 2);
  cairo_translate(cr, -kMid, -kMid);
  VerticalArrowPath(cr);
  cairo_restore(cr);
}

void CrosshairPath(cairo_t* cr) {
  for (double angle : {0.0, kPi / 2, kPi, 3 * kPi / 2}) {
    cairo_save(cr);
    cairo_translate(cr, kMid, kMid);
    cairo_rotate(cr, angle);
    cairo_rectangle(cr, 2.5, -0.75, 8.0, 1.5);
    cairo_restore(cr);
  }
  cairo_rectangle(cr, kMid - 0.75, kMid - 0.75, 1.5, 1.5);
}

void TextBeamPath(cairo_t* cr) {
  cairo_rectangle(cr, kMid - 0.75, 4.5, 1.5, 15);
  cairo_rectangle(cr, kMid - 3.5, 3.5, 7, 1.5);
  cairo_rectangle(cr, kMid - 3.5, 19.0, 7, 1.5);
}

// An open ring with arrow heads at both ends, turning either way round the centre.
void RotaryPath(cairo_t* cr) {
  const double radius = 7.0;
  const double halfWidth = 1.3;
  const double start = kPi * 0.75;  // lower left
  const double end = kPi * 2.25;    // lower right, through the top
  cairo_new_sub_path(cr);
  cairo_arc(cr, kMid, kMid, radius + halfWidth, start, end);
  cairo_arc_negative(cr, kMid, kMid, radius - halfWidth, end, start);
  cairo_close_path(cr);
  for (const auto& [angle, direction] : {std::pair{start, -1.0}, std::pair{end, 1.0}}) {
    const double cx = kMid + radius * std::cos(angle), cy = kMid + radius * std::sin(angle);
    const double rx = std::cos(angle), ry = std::sin(angle);  // outwards
    const double tx = -ry * direction, ty = rx * direction;   // along the turn
    Polygon(cr, {{cx + 3.4 * rx, cy + 3.4 * ry},
                 {cx + 3.6 * tx, cy + 3.6 * ty},
                 {cx - 3.4 * rx, cy - 3.4 * ry}});
  }
}

void CentreDot(cairo_t* cr, Rgb colour) {
  SetRgb(cr, Palette::kBlack);
  cairo_arc(cr, kMid, kMid, 2.6, 0, 2 * kPi);
  cairo_fill(cr);
  SetRgb(cr, colour);
  cairo_arc(cr, kMid, kMid, 1.7, 0, 2 * kPi);
  cairo_fill(cr);
}

CursorPicture Make(std::string name, int x, int y, std::function<void(cairo_t*)> draw) {
  return {{"Cursors/" + std::move(name), kCursorSize, kCursorSize, std::move(draw)}, x, y};
}

CursorPicture Plain(std::string name, int x, int y, void (*path)(cairo_t*)) {
  return Make(std::move(name), x, y, [path](cairo_t* cr) { Outlined(cr, path, Palette::kWhite); });
}

}  // namespace

std::vector<CursorPicture> CursorPictures() {
  const int mid = kCursorSize / 2;
  return {
      Plain("Arrow", 2, 2, ArrowPath),
      Plain("Hand", 9, 2, HandPath),
      Plain("SizeVertical", mid, mid, VerticalArrowPath),
      Plain("SizeHorizontal", mid, mid, HorizontalArrowPath),
      Plain("Crosshair", mid, mid, CrosshairPath),
      Plain("Text", mid, mid, TextBeamPath),
      // Dragging a value (white) or a modulation depth (teal), round a knob or along a fader.
      Make("CursorAndModulateRotary", mid, mid,
           [](cairo_t* cr) {
             Outlined(cr, RotaryPath, Palette::kWhite);
             CentreDot(cr, Palette::kModulation);
           }),
      Make("CursorModulateRotary", mid, mid,
           [](cairo_t* cr) { Outlined(cr, RotaryPath, Palette::kModulation); }),
      Make("CursorAndModulateUpDown", mid, mid,
           [](cairo_t* cr) {
             Outlined(cr, VerticalArrowPath, Palette::kWhite);
             CentreDot(cr, Palette::kModulation);
           }),
      Make("CursorModulateUpDown", mid, mid,
           [](cairo_t* cr) { Outlined(cr, VerticalArrowPath, Palette::kModulation); }),
  };
}

std::string HotSpotsXml(const std::vector<CursorPicture>& cursors) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n  <Hotspots>\n";
  for (const CursorPicture& cursor : cursors) {
    const std::string name = cursor.picture.name.substr(cursor.picture.name.rfind('/') + 1);
    xml += "    <Cursor CursorName=\"" + name + "\" Hotspot=\"" + std::to_string(cursor.hotSpotX) +
           " " + std::to_string(cursor.hotSpotY) + "\"/>\n";
  }
  xml += "  </Hotspots>\n</root>\n";
  return xml;
}

}  // namespace TavoArt
