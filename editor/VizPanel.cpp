// The visualisation panel's empty display: a dark screen with a faint graticule.
#include "editor/VizPanel.h"

namespace {

constexpr VGui::Colour kScreen{12, 14, 17, 255};
constexpr VGui::Colour kGraticule{255, 255, 255, 14};
constexpr VGui::Colour kBezel{255, 255, 255, 20};

}  // namespace

void VizPanel::Draw(VGui::Canvas& canvas) {
  const VGui::Style& style = CurrentStyle();
  const VGui::RectF area = LocalBounds();
  const float radius = style.radius > 0.0f ? style.radius : 3.0f;
  canvas.FillRoundedRect(area, radius, style.background.Transparent() ? kScreen : style.background);
  for (int i = 1; i < 4; ++i) {
    const float y = area.height * float(i) / 4.0f;
    canvas.StrokeLine({2.0f, y}, {area.width - 2.0f, y}, 1.0f, kGraticule);
  }
  for (int i = 1; i < 6; ++i) {
    const float x = area.width * float(i) / 6.0f;
    canvas.StrokeLine({x, 2.0f}, {x, area.height - 2.0f}, 1.0f, kGraticule);
  }
  canvas.StrokeRoundedRect({0.5f, 0.5f, area.width - 1.0f, area.height - 1.0f}, radius, 1.0f,
                           style.border.Transparent() ? kBezel : style.border);
}
