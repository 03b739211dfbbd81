#include "tools/art/Fader.h"

#include <cmath>
#include <numbers>

#include "tools/art/Palette.h"

namespace TavoArt {
namespace {

constexpr double kSlotWidth = 4.0;
// The slot spans the centres of the cap's travel: from 4 + 5.5 to height - 15 + 5.5.
constexpr double kSlotTop = 9.5;
constexpr double kSlotBottom = kFaderHeight - 9.5;

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  constexpr double kQuarter = std::numbers::pi / 2;
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -kQuarter, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, kQuarter);
  cairo_arc(cr, x + r, y + h - r, r, kQuarter, 2 * kQuarter);
  cairo_arc(cr, x + r, y + r, r, 2 * kQuarter, 3 * kQuarter);
  cairo_close_path(cr);
}

void DrawTrack(cairo_t* cr) {
  const double x = (kFaderWidth - kSlotWidth) / 2;
  // Scale marks every tenth of the travel, longer at the ends and the middle.
  cairo_set_line_width(cr, 1.0);
  for (int mark = 0; mark <= 10; ++mark) {
    const double y = std::round(kSlotTop + (kSlotBottom - kSlotTop) * mark / 10.0) + 0.5;
    const double length = (mark % 5 == 0) ? 4.0 : 2.5;
    SetRgb(cr, Palette::kEdge, mark % 5 == 0 ? 1.0 : 0.8);
    cairo_move_to(cr, x - 1.5 - length, y);
    cairo_line_to(cr, x - 1.5, y);
    cairo_move_to(cr, x + kSlotWidth + 1.5, y);
    cairo_line_to(cr, x + kSlotWidth + 1.5 + length, y);
    cairo_stroke(cr);
  }
  RoundedRect(cr, x, kSlotTop - 2, kSlotWidth, kSlotBottom - kSlotTop + 4, kSlotWidth / 2);
  SetRgb(cr, Palette::kWell);
  cairo_fill_preserve(cr);
  SetRgb(cr, Palette::kBlack, 0.6);
  cairo_set_line_width(cr, 0.8);
  cairo_stroke(cr);
}

void DrawModFill(cairo_t* cr) {
  const double x = (kFaderWidth - kSlotWidth) / 2;
  SetRgb(cr, Palette::kModulation, 0.9);
  cairo_rectangle(cr, x, 0, kSlotWidth, kModFillHeight);
  cairo_fill(cr);
}

// The whole cap; the halves are windows onto it, so that up and down halves join seamlessly.
void DrawCap(cairo_t* cr, Rgb line) {
  cairo_pattern_t* face = cairo_pattern_create_linear(0, 0, 0, kCapHeight);
  AddStop(face, 0.0, Palette::kBodyLight);
  AddStop(face, 0.5, Palette::kBody);
  AddStop(face, 1.0, Palette::kBodyDark);
  RoundedRect(cr, 0.5, 0.5, kCapWidth - 1, kCapHeight - 1, 2.0);
  cairo_set_source(cr, face);
  cairo_fill_preserve(cr);
  cairo_pattern_destroy(face);
  SetRgb(cr, Palette::kBlack, 0.7);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  // The indicator line sits on the cap's centre row, where the value is read.
  SetRgb(cr, line);
  cairo_rectangle(cr, 2.5, kCapHeight / 2.0 - 0.75, kCapWidth - 5, 1.5);
  cairo_fill(cr);
}

Picture CapPart(std::string name, Rgb line, int firstRow, int rows) {
  return {"Images/Smart/Fader/Common/" + std::move(name), kCapWidth, rows, [=](cairo_t* cr) {
            cairo_translate(cr, 0, -firstRow);
            DrawCap(cr, line);
          }};
}

void DrawModPoint(cairo_t* cr) {
  // Two small wedges either side of the slot, pointing at it: the cap may cover the middle.
  const double mid = kModPointHeight / 2.0;
  const double slotLeft = (kFaderWidth - kSlotWidth) / 2;
  const double slotRight = slotLeft + kSlotWidth;
  SetRgb(cr, Palette::kModulation);
  cairo_move_to(cr, 0.5, 0.0);
  cairo_line_to(cr, slotLeft - 0.5, mid);
  cairo_line_to(cr, 0.5, kModPointHeight);
  cairo_close_path(cr);
  cairo_move_to(cr, kFaderWidth - 0.5, 0.0);
  cairo_line_to(cr, slotRight + 0.5, mid);
  cairo_line_to(cr, kFaderWidth - 0.5, kModPointHeight);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_arc(cr, kFaderWidth / 2.0, mid, 1.6, 0, 2 * std::numbers::pi);
  cairo_fill(cr);
}

}  // namespace

std::vector<Picture> FaderPictures() {
  const int lowerRows = kCapHeight - kCapUpperRows;
  return {
      {"Images/Smart/Fader/FaderTrack", kFaderWidth, kFaderHeight, DrawTrack},
      {"Images/Smart/Fader/FaderTrackModFill", kFaderWidth, kModFillHeight, DrawModFill},
      CapPart("FaderCap", Palette::kValue, 0, kCapHeight),
      CapPart("FaderCapUp", Palette::kValue, 0, kCapUpperRows),
      CapPart("FaderCapDown", Palette::kValue, kCapUpperRows, lowerRows),
      CapPart("FaderModCapUp", Palette::kModulation, 0, kCapUpperRows),
      CapPart("FaderModCapDown", Palette::kModulation, kCapUpperRows, lowerRows),
      {"Images/Smart/Fader/Common/FaderModPoint", kFaderWidth, kModPointHeight, DrawModPoint},
  };
}

}  // namespace TavoArt
