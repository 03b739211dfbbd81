// Linux: ARGB cursors through the RENDER extension, every request checked.
#include "support/platform/linux/GuiWindowCursor.h"

#include <xcb/render.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace VGui::Platform::X11 {

namespace {

struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeReply>;

bool Succeeded(xcb_connection_t* connection, xcb_void_cookie_t cookie) {
  Reply<xcb_generic_error_t> error(xcb_request_check(connection, cookie));
  return error == nullptr;
}

// FNV-1a over the size, the hot spot and the pixels: the toolkit hands the same image object for
// different cursors when it reuses storage, so the content is the identity. Never 0.
uint64_t CursorKey(const PixelImage& image, Point hotSpot) {
  uint64_t hash = 14695981039346656037ull;
  auto mix = [&hash](uint32_t value) {
    for (int byte = 0; byte < 4; ++byte) {
      hash ^= (value >> (8 * byte)) & 0xffu;
      hash *= 1099511628211ull;
    }
  };
  mix(uint32_t(image.Width()));
  mix(uint32_t(image.Height()));
  mix(uint32_t(hotSpot.x));
  mix(uint32_t(hotSpot.y));
  const size_t count = size_t(image.Width()) * size_t(image.Height());
  for (size_t i = 0; i < count; ++i) mix(image.Data()[i]);
  return hash == 0 ? 1 : hash;
}

bool IsArgb32(const xcb_render_pictforminfo_t& format) {
  const auto& d = format.direct;
  return format.type == XCB_RENDER_PICT_TYPE_DIRECT && format.depth == 32 && d.alpha_shift == 24 &&
         d.alpha_mask == 0xff && d.red_shift == 16 && d.red_mask == 0xff && d.green_shift == 8 &&
         d.green_mask == 0xff && d.blue_shift == 0 && d.blue_mask == 0xff;
}

}  // namespace

CursorCache::CursorCache(xcb_connection_t* connection, xcb_window_t window, bool swapBytes)
    : connection_(connection), window_(window), swapBytes_(swapBytes) {
  FindPictureFormat();
}

CursorCache::~CursorCache() {
  for (const auto& entry : cursors_) {
    Succeeded(connection_, xcb_free_cursor_checked(connection_, entry.cursor));
  }
}

void CursorCache::FindPictureFormat() {
  const xcb_query_extension_reply_t* extension =
      xcb_get_extension_data(connection_, &xcb_render_id);
  if (!extension || !extension->present) return;
  // CreateCursor came with RENDER 0.5.
  Reply<xcb_render_query_version_reply_t> version(xcb_render_query_version_reply(
      connection_, xcb_render_query_version(connection_, 0, 11), nullptr));
  if (!version || (version->major_version == 0 && version->minor_version < 5)) return;
  Reply<xcb_render_query_pict_formats_reply_t> formats(xcb_render_query_pict_formats_reply(
      connection_, xcb_render_query_pict_formats(connection_), nullptr));
  if (!formats) return;
  for (auto it = xcb_render_query_pict_formats_formats_iterator(formats.get()); it.rem;
       xcb_render_pictforminfo_next(&it)) {
    if (IsArgb32(*it.data)) {
      pictureFormat_ = it.data->id;
      return;
    }
  }
}

bool CursorCache::Show(const PixelImage* image, Point hotSpot) {
  const bool wanted = image && !image->Empty();
  const uint64_t key = wanted ? CursorKey(*image, hotSpot) : kParentCursor;
  if (key == shownKey_) return true;
  const xcb_cursor_t cursor = wanted ? Lookup(key, *image, hotSpot) : xcb_cursor_t(XCB_NONE);
  const uint32_t value = cursor;
  const bool changed = Succeeded(connection_, xcb_change_window_attributes_checked(
                                                  connection_, window_, XCB_CW_CURSOR, &value));
  shownKey_ = changed ? key : kParentCursor;
  return changed && (cursor != XCB_NONE || !wanted);
}

xcb_cursor_t CursorCache::Lookup(uint64_t key, const PixelImage& image, Point hotSpot) {
  for (const auto& entry : cursors_) {
    if (entry.key == key) return entry.cursor;
  }
  const xcb_cursor_t cursor = Make(image, hotSpot);
  if (cursor == XCB_NONE) return cursor;
  if (cursors_.size() == kMaximumCursors) {
    // The oldest is not shown (the shown one was found above or is being replaced).
    Succeeded(connection_, xcb_free_cursor_checked(connection_, cursors_.front().cursor));
    cursors_.erase(cursors_.begin());
  }
  cursors_.push_back({key, cursor});
  return cursor;
}

xcb_cursor_t CursorCache::Make(const PixelImage& image, Point hotSpot) {
  if (pictureFormat_ == 0 || image.Width() > 0xffff || image.Height() > 0xffff) return XCB_NONE;
  const uint16_t width = uint16_t(image.Width());
  const uint16_t height = uint16_t(image.Height());
  std::vector<uint32_t> pixels(image.Data(), image.Data() + size_t(width) * height);
  if (swapBytes_) {
    for (auto& pixel : pixels) pixel = __builtin_bswap32(pixel);
  }
  const xcb_pixmap_t pixmap = xcb_generate_id(connection_);
  if (!Succeeded(connection_,
                 xcb_create_pixmap_checked(connection_, 32, pixmap, window_, width, height))) {
    return XCB_NONE;
  }
  const xcb_gcontext_t gc = xcb_generate_id(connection_);
  const xcb_render_picture_t picture = xcb_generate_id(connection_);
  const xcb_cursor_t cursor = xcb_generate_id(connection_);
  const bool gcMade =
      Succeeded(connection_, xcb_create_gc_checked(connection_, gc, pixmap, 0, nullptr));
  // RENDER's pictures hold premultiplied ARGB, the toolkit's own format.
  const bool filled =
      gcMade && Succeeded(connection_, xcb_put_image_checked(
                                           connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc,
                                           width, height, 0, 0, 0, 32, uint32_t(pixels.size() * 4),
                                           reinterpret_cast<const uint8_t*>(pixels.data())));
  const bool pictureMade = filled && Succeeded(connection_, xcb_render_create_picture_checked(
                                                                connection_, picture, pixmap,
                                                                pictureFormat_, 0, nullptr));
  // The hot spot must lie inside the image.
  const uint16_t hotX = uint16_t(std::clamp(hotSpot.x, 0, width - 1));
  const uint16_t hotY = uint16_t(std::clamp(hotSpot.y, 0, height - 1));
  const bool made =
      pictureMade && Succeeded(connection_, xcb_render_create_cursor_checked(connection_, cursor,
                                                                             picture, hotX, hotY));
  if (pictureMade) Succeeded(connection_, xcb_render_free_picture_checked(connection_, picture));
  if (gcMade) Succeeded(connection_, xcb_free_gc_checked(connection_, gc));
  Succeeded(connection_, xcb_free_pixmap_checked(connection_, pixmap));
  return made ? cursor : xcb_cursor_t(XCB_NONE);
}

}  // namespace VGui::Platform::X11
