// PNG through cairo's stream functions (libpng underneath). cairo hands out premultiplied ARGB32,
// the toolkit's pixel format, and takes it back for encoding; opaque files come back as RGB24,
// whose unused top byte is set to opaque here.
#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "support/Log.h"
#include "support/gui/cairo/CairoCanvas.h"
#include "support/gui/ImageRules.h"

namespace VGui {
namespace {

struct ReadCursor {
  std::span<const uint8_t> bytes;
  size_t at = 0;
};

cairo_status_t ReadBytes(void* closure, unsigned char* data, unsigned int length) {
  auto& cursor = *static_cast<ReadCursor*>(closure);
  if (cursor.bytes.size() - cursor.at < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(data, cursor.bytes.data() + cursor.at, length);
  cursor.at += length;
  return CAIRO_STATUS_SUCCESS;
}

cairo_status_t WriteBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::vector<uint8_t>*>(closure)->insert(
      static_cast<std::vector<uint8_t>*>(closure)->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

PixelImage Fail(std::string_view what, const char* why) {
  const std::string name(what);
  VFoundation::Log("Could not decode PNG image %s: %s\n", name.c_str(), why);
  return {};
}

}  // namespace

PixelImage CairoBackEnd::DecodePng(std::span<const uint8_t> bytes, std::string_view what) {
  if (!PngHeaderIsPlausible(bytes)) return Fail(what, "not a PNG file or too large");
  ReadCursor cursor{bytes};
  cairo_surface_t* surface = cairo_image_surface_create_from_png_stream(ReadBytes, &cursor);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    const char* why = cairo_status_to_string(cairo_surface_status(surface));
    cairo_surface_destroy(surface);
    return Fail(what, why);
  }
  const cairo_format_t format = cairo_image_surface_get_format(surface);
  if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) {
    cairo_surface_destroy(surface);
    return Fail(what, "unexpected pixel format");
  }
  cairo_surface_flush(surface);
  PixelImage image(cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface));
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const uint32_t opaque = format == CAIRO_FORMAT_RGB24 ? 0xFF000000u : 0u;
  for (int y = 0; y < image.Height(); ++y) {
    const auto* from = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
    std::transform(from, from + image.Width(), image.Row(y),
                   [opaque](uint32_t pixel) { return pixel | opaque; });
  }
  cairo_surface_destroy(surface);
  return image;
}

std::vector<uint8_t> CairoBackEnd::EncodePng(const PixelImage& image) {
  std::vector<uint8_t> bytes;
  if (image.Empty()) return bytes;
  // cairo only reads the pixels while writing; the surface is never drawn on.
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(image.Data())), CAIRO_FORMAT_ARGB32,
      image.Width(), image.Height(), image.Stride());
  if (cairo_surface_write_to_png_stream(surface, WriteBytes, &bytes) != CAIRO_STATUS_SUCCESS) {
    bytes.clear();
  }
  cairo_surface_destroy(surface);
  return bytes;
}

PixelImage DecodePng(std::span<const uint8_t> bytes, std::string_view what) {
  return CairoBackEnd::DecodePng(bytes, what);
}

std::vector<uint8_t> EncodePng(const PixelImage& image) {
  return CairoBackEnd::EncodePng(image);
}

}  // namespace VGui
