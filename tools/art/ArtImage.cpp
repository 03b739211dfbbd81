#include "tools/art/ArtImage.h"

#include <cmath>
#include <cstdio>
#include <numbers>
#include <system_error>

namespace TavoArt {

Picture FilmStrip(std::string name, int width, int frameHeight, int frames,
                  std::function<void(cairo_t*, double)> draw) {
  Picture picture{std::move(name), width, frameHeight * frames, {}};
  picture.draw = [=](cairo_t* cr) {
    for (int frame = 0; frame < frames; ++frame) {
      cairo_save(cr);
      cairo_rectangle(cr, 0, frame * frameHeight, width, frameHeight);
      cairo_clip(cr);
      cairo_translate(cr, 0, frame * frameHeight);
      draw(cr, frames > 1 ? 1.0 - double(frame) / double(frames - 1) : 1.0);
      cairo_restore(cr);
    }
  };
  return picture;
}

cairo_surface_t* Render(const Picture& picture, int scale) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, picture.width * scale,
                                                        picture.height * scale);
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, scale, scale);
  picture.draw(cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  return surface;
}

bool WritePicture(const Picture& picture, const std::filesystem::path& folder) {
  const std::filesystem::path base = folder / picture.name;
  std::error_code error;
  std::filesystem::create_directories(base.parent_path(), error);
  for (int scale : {1, 2}) {
    const std::filesystem::path file =
        base.parent_path() / (base.filename().string() + (scale == 1 ? ".png" : "@2x.png"));
    cairo_surface_t* surface = Render(picture, scale);
    // cairo writes no gAMA, cHRM or iCCP chunk, so every PNG loader shows the same colours.
    const cairo_status_t status = cairo_surface_write_to_png(surface, file.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
      std::fprintf(stderr, "tavo-art: could not write %s: %s\n", file.c_str(),
                   cairo_status_to_string(status));
      return false;
    }
  }
  return true;
}

double KnobAngle(double value) {
  constexpr double kDegree = std::numbers::pi / 180.0;
  return (value * 280.0 - 140.0 - 90.0) * kDegree;
}

}  // namespace TavoArt
