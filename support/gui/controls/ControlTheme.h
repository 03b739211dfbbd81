// The standard controls' default look: one dark theme whose colours stand in wherever a control's
// style leaves a colour transparent, so a control without a skin style still reads clearly on the
// editor's dark background. UI thread.
#pragma once

#include <algorithm>
#include <cmath>

#include "support/gui/Colour.h"
#include "support/gui/Style.h"

namespace VGui::Theme {

inline constexpr Colour kBody{46, 50, 57, 255};         // button and field faces
inline constexpr Colour kBodyPressed{36, 39, 45, 255};  // a face held down
inline constexpr Colour kTrack{25, 27, 31, 255};        // slider and knob travel, meter wells
inline constexpr Colour kOutline{74, 80, 90, 255};      // edges of faces and tracks
inline constexpr Colour kPointer{236, 238, 242, 255};   // knob pointers and slider thumbs
inline constexpr Colour kCaret{236, 238, 242, 255};
inline constexpr Colour kHot{232, 78, 64, 255};  // a meter above full scale
inline constexpr Colour kPeak{250, 214, 90, 255};

inline constexpr float kFaceRadius = 3.0f;
inline constexpr float kOutlineWidth = 1.0f;

// The style's colour, or the theme's when the style leaves it transparent.
inline Colour Or(Colour styled, Colour fallback) {
  return styled.Transparent() ? fallback : styled;
}

inline Colour Face(const Style& style) {
  return Or(style.background, kBody);
}
inline Colour Edge(const Style& style) {
  return Or(style.border, kOutline);
}
inline float EdgeWidth(const Style& style) {
  return style.borderWidth > 0.0f ? style.borderWidth : kOutlineWidth;
}
inline float Radius(const Style& style) {
  return style.radius > 0.0f ? style.radius : kFaceRadius;
}

// Text and accent in the style's disabled colour when the control is disabled.
inline Colour TextColour(const Style& style, bool enabled) {
  return enabled ? style.text : style.disabled;
}
inline Colour AccentColour(const Style& style, bool enabled) {
  return enabled ? style.accent : style.disabled;
}

// a faded towards b by amount 0..1 (straight alpha, channel by channel).
inline Colour Mix(Colour a, Colour b, float amount) {
  const float t = std::clamp(amount, 0.0f, 1.0f);
  auto channel = [t](uint8_t x, uint8_t y) {
    return uint8_t(std::lround(float(x) + (float(y) - float(x)) * t));
  };
  return {channel(a.red, b.red), channel(a.green, b.green), channel(a.blue, b.blue),
          channel(a.alpha, b.alpha)};
}

// Draws frame `frame` (0 at the top, clamped to the strip) of the style's film strip into dest.
inline void DrawFrame(Canvas& canvas, const Style& style, int frame, const RectF& dest,
                      float opacity = 1.0f) {
  if (style.image.Empty()) return;
  const Size size = style.image.LogicalSize();
  const int frames = std::max(1, style.frames);
  const int frameHeight = size.height / frames;
  const int chosen = std::clamp(frame, 0, frames - 1);
  const RectF source(0.0f, float(chosen * frameHeight), float(size.width), float(frameHeight));
  canvas.DrawImage(style.image, source, dest, opacity);
}

}  // namespace VGui::Theme
