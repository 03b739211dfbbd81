// Linux window tests: a private Xvfb server and a host's side of it on a connection of its own
// (parent windows, the tree, pixels, XTest input). Plain XCB, every request checked, and no error
// handler anywhere, so an X error the window causes cannot be hidden.
#pragma once

#include <sys/types.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/gui/Geometry.h"
#include "support/platform/linux/GuiWindowInput.h"

namespace VGui::Platform::Testing {

// Starts `Xvfb -displayfd` on a free display and points DISPLAY at it; stops it when destroyed.
class XvfbServer {
 public:
  XvfbServer();
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // Empty when running; else why not (no Xvfb installed, it did not start).
  const std::string& Failure() const { return failure_; }
  bool Installed() const { return installed_; }

 private:
  pid_t pid_ = -1;
  bool installed_ = false;
  std::string failure_;
};

class XHost {
 public:
  XHost();
  ~XHost();
  XHost(const XHost&) = delete;
  XHost& operator=(const XHost&) = delete;

  bool Connected() const { return connection_ != nullptr; }
  xcb_connection_t* Connection() { return connection_; }
  xcb_window_t Root() const { return root_; }

  // A mapped top-level window, as hosts make for the plug-in; 0 on failure.
  xcb_window_t CreateParent(Rect area);
  bool Resize(xcb_window_t window, Size size);
  bool Map(xcb_window_t window, bool mapped);
  bool Destroy(xcb_window_t window);
  // An id no window has.
  xcb_window_t UnusedId();

  std::vector<xcb_window_t> Children(xcb_window_t window);
  Rect Geometry(xcb_window_t window);
  bool IsViewable(xcb_window_t window);
  // The window's pixels as 0x00RRGGBB (empty when the server refuses).
  std::vector<uint32_t> Pixels(xcb_window_t window, Size size);

  // XTest input at root coordinates.
  bool MovePointer(Point rootPosition);
  bool Button(uint8_t button, bool press);
  bool Key(uint32_t keysym, bool press);
  bool Focus(xcb_window_t window);
  // The window that has the keyboard focus (XCB_NONE when the server does not answer).
  xcb_window_t FocusedWindow();

  // The cursor the server shows now (XFIXES): its size, hot spot and premultiplied pixels.
  struct CursorImage {
    Size size;
    Point hotSpot;
    std::vector<uint32_t> pixels;
  };
  CursorImage CurrentCursor();

  // An error that reached this connection as an event (none should ever arrive).
  int PendingErrors();

 private:
  bool Check(xcb_void_cookie_t cookie);

  xcb_connection_t* connection_ = nullptr;
  xcb_window_t root_ = 0;
  X11::KeyboardMap keyboard_;
};

// The process's open file descriptors and threads (/proc/self).
int OpenDescriptorCount();
int ThreadCount();

}  // namespace VGui::Platform::Testing
