// Linux: the toolkit's cursor images as X cursors of the editor's window (RENDER's ARGB cursors).
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

#include "support/gui/Geometry.h"
#include "support/gui/PixelImage.h"

namespace VGui::Platform::X11 {

// Made cursors stay cached for the window's life; an image the server cannot take (no RENDER,
// no 32-bit pictures) shows the parent's cursor instead. Editor thread only.
class CursorCache {
 public:
  CursorCache(xcb_connection_t* connection, xcb_window_t window, bool swapBytes);
  ~CursorCache();
  CursorCache(const CursorCache&) = delete;
  CursorCache& operator=(const CursorCache&) = delete;

  // Makes the image the window's cursor; null shows the parent's. Answers false when the server
  // refused the cursor. editor thread
  bool Show(const PixelImage* image, Point hotSpot);
  bool ArgbCursorsAvailable() const { return pictureFormat_ != 0; }

 private:
  struct Entry {
    uint64_t key;
    xcb_cursor_t cursor;
  };
  void FindPictureFormat();
  xcb_cursor_t Make(const PixelImage& image, Point hotSpot);
  xcb_cursor_t Lookup(uint64_t key, const PixelImage& image, Point hotSpot);

  static constexpr size_t kMaximumCursors = 32;
  static constexpr uint64_t kParentCursor = 0;

  xcb_connection_t* connection_;
  xcb_window_t window_;
  bool swapBytes_;
  uint32_t pictureFormat_ = 0;
  std::vector<Entry> cursors_;
  uint64_t shownKey_ = kParentCursor;
};

}  // namespace VGui::Platform::X11
