// Linux: the editor's X11 child window. A private XCB connection and an editor thread per window
// that polls the X socket, a 40 ms timerfd and an eventfd; every request is checked, so an X error
// (the host destroying the parent first) is an answer here, never a call to a process-wide handler.
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "support/Log.h"
#include "support/platform/GuiWindow.h"
#include "support/platform/linux/GuiWindowCursor.h"
#include "support/platform/linux/GuiWindowInput.h"

namespace VGui::Platform {

namespace {

using namespace X11;

constexpr long kTickNanoseconds = 40'000'000;
// PutImage's header with the BIG-REQUESTS length word, rounded up.
constexpr size_t kPutImageHeaderBytes = 32;
// How long a host thread waits for the editor thread's answer to a forwarded key.
constexpr auto kForwardedKeyWait = std::chrono::milliseconds(100);

constexpr uint32_t kEventMask = XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_BUTTON_PRESS |
                                XCB_EVENT_MASK_BUTTON_RELEASE | XCB_EVENT_MASK_POINTER_MOTION |
                                XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE |
                                XCB_EVENT_MASK_FOCUS_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY |
                                XCB_EVENT_MASK_ENTER_WINDOW | XCB_EVENT_MASK_LEAVE_WINDOW;

// X error codes named in messages.
constexpr uint8_t kBadWindow = 3;
constexpr uint8_t kBadDrawable = 9;

struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeReply>;

std::string ErrorText(const char* what, const xcb_generic_error_t& error) {
  static const char* const kNames[] = {
      "",          "BadRequest", "BadValue",    "BadWindow",   "BadPixmap", "BadAtom",
      "BadCursor", "BadFont",    "BadMatch",    "BadDrawable", "BadAccess", "BadAlloc",
      "BadColor",  "BadGC",      "BadIDChoice", "BadName",     "BadLength", "BadImplementation"};
  const char* name = error.error_code < std::size(kNames) ? kNames[error.error_code] : "";
  char text[160];
  std::snprintf(text, sizeof text, "%s failed: X error %u %s (request %u)", what,
                unsigned(error.error_code), name, unsigned(error.major_code));
  return text;
}

// The error of a checked request, or empty.
std::string CheckRequest(xcb_connection_t* connection, xcb_void_cookie_t cookie, const char* what) {
  Reply<xcb_generic_error_t> error(xcb_request_check(connection, cookie));
  return error ? ErrorText(what, *error) : std::string();
}

xcb_screen_t* ScreenOfRoot(xcb_connection_t* connection, xcb_window_t root) {
  for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem;
       xcb_screen_next(&it)) {
    if (it.data->root == root) return it.data;
  }
  return nullptr;
}

bool IsPlainTrueColour(const xcb_visualtype_t& visual) {
  return visual._class == XCB_VISUAL_CLASS_TRUE_COLOR && visual.red_mask == 0xff0000 &&
         visual.green_mask == 0xff00 && visual.blue_mask == 0xff;
}

// A 24-bit true-colour visual whose pixels are 0x00RRGGBB: the root visual when it is one.
xcb_visualid_t FindVisual(xcb_screen_t& screen) {
  xcb_visualid_t found = XCB_NONE;
  for (auto depth = xcb_screen_allowed_depths_iterator(&screen); depth.rem;
       xcb_depth_next(&depth)) {
    if (depth.data->depth != 24) continue;
    for (auto visual = xcb_depth_visuals_iterator(depth.data); visual.rem;
         xcb_visualtype_next(&visual)) {
      if (!IsPlainTrueColour(*visual.data)) continue;
      if (visual.data->visual_id == screen.root_visual) return screen.root_visual;
      if (found == XCB_NONE) found = visual.data->visual_id;
    }
  }
  return found;
}

bool Depth24HasFourBytePixels(xcb_connection_t* connection) {
  const xcb_setup_t* setup = xcb_get_setup(connection);
  for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it)) {
    if (it.data->depth == 24) return it.data->bits_per_pixel == 32;
  }
  return false;
}

bool ServerIsBigEndian(xcb_connection_t* connection) {
  return xcb_get_setup(connection)->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
}

constexpr bool HostIsBigEndian() {
  return std::endian::native == std::endian::big;
}

// A key the host forwarded, answered by the editor thread unless the host stopped waiting.
struct ForwardedKey {
  enum State { kPending, kTaken, kAnswered, kAbandoned };
  KeyEvent event;
  bool down = false;
  bool used = false;
  State state = kPending;
};

class XcbWindow final : public Window {
 public:
  XcbWindow(WindowClient& client, Size pixels, float scale)
      : client_(client), size_(pixels), scale_(scale > 0.0f ? scale : 1.0f) {}
  ~XcbWindow() override;

  // Host's thread, before the editor thread runs.
  bool Open(uintptr_t parent, std::string& error);

  void RequestRedraw() override;
  bool TicksOnHostThread() const override { return false; }
  bool ForwardHostKey(const KeyEvent& event, bool down) override;
  Point ScreenOrigin() override;
  bool Resize(Size pixels) override;
  bool Rescale(Size pixels, float scale) override;
  bool TakeKeyboardFocus() override;
  void ReturnKeyboardFocus() override;

 private:
  bool Connect(std::string& error);
  bool CreateWindow(xcb_window_t parent, std::string& error);
  bool AnnounceEmbedding(std::string& error);
  void ReadKeyboardMap();
  bool StartEditorThread(std::string& error);
  void ReleaseX();

  void Run();
  void WaitForActivity();
  xcb_generic_event_t* NextEvent();
  void HandleEvents();
  void HandleEvent(const xcb_generic_event_t& event);
  void HandleButton(const xcb_button_press_event_t& event, bool press);
  void HandleMotion(const xcb_motion_notify_event_t& event);
  void HandleCrossing(const xcb_enter_notify_event_t& event, bool enter);
  void HandleKey(const xcb_key_press_event_t& event, bool press);
  void HandleFocusOut(const xcb_focus_out_event_t& event);
  void HandleExpose(const xcb_expose_event_t& event);
  void HandleForwardedKeys();
  void SendMouse(MouseAction action, MouseEvent event);
  void UpdateCursor();

  void Present();
  bool IsViewable();
  void PutRect(const PixelImage& frame, const Rect& area);
  void CheckPuts();
  void NoteError(const std::string& text);
  Point Logical(int x, int y) const;
  void Wake();

  WindowClient& client_;
  Size size_;
  float scale_;

  xcb_connection_t* connection_ = nullptr;
  xcb_screen_t* screen_ = nullptr;
  xcb_visualid_t visual_ = XCB_NONE;
  xcb_colormap_t colormap_ = XCB_NONE;
  xcb_window_t window_ = XCB_NONE;
  xcb_window_t parent_ = XCB_NONE;
  xcb_gcontext_t gc_ = XCB_NONE;
  bool swapBytes_ = false;
  size_t maxRequestBytes_ = 0;
  std::unique_ptr<CursorCache> cursors_;
  KeyboardMap keyboard_;

  int timerFd_ = -1;
  int wakeFd_ = -1;
  std::thread thread_;
  std::atomic<std::thread::id> editorThread_;
  std::atomic<bool> quit_{false};
  std::atomic<bool> dirty_{true};

  // Editor thread only.
  xcb_generic_event_t* queued_ = nullptr;
  xcb_motion_notify_event_t pendingMotion_{};
  bool motionPending_ = false;
  bool tickDue_ = false;
  bool windowGone_ = false;
  bool connectionLost_ = false;
  Rect exposed_;
  std::vector<Rect> changed_;
  std::vector<uint32_t> scratch_;
  std::vector<xcb_void_cookie_t> puts_;
  DoubleClickDetector doubleClick_;
  std::string lastError_;

  // Keys forwarded from the host's threads.
  std::mutex keysMutex_;
  std::condition_variable keysAnswered_;
  std::deque<std::shared_ptr<ForwardedKey>> keys_;
};

XcbWindow::~XcbWindow() {
  if (thread_.joinable()) {
    quit_ = true;
    Wake();
    thread_.join();
  }
  {
    // Hosts still waiting for a key's answer hear "not used".
    std::lock_guard lock(keysMutex_);
    for (auto& key : keys_) key->state = ForwardedKey::kAbandoned;
    keys_.clear();
  }
  keysAnswered_.notify_all();
  ReleaseX();
  if (timerFd_ >= 0) close(timerFd_);
  if (wakeFd_ >= 0) close(wakeFd_);
}

void XcbWindow::ReleaseX() {
  if (!connection_) return;
  std::free(queued_);
  queued_ = nullptr;
  cursors_.reset();
  // The parent's destruction takes the window with it: the checks then answer BadWindow or
  // BadGC, which are dropped here on purpose.
  if (gc_ != XCB_NONE) CheckRequest(connection_, xcb_free_gc_checked(connection_, gc_), "");
  if (window_ != XCB_NONE) {
    CheckRequest(connection_, xcb_destroy_window_checked(connection_, window_), "");
  }
  if (colormap_ != XCB_NONE) {
    CheckRequest(connection_, xcb_free_colormap_checked(connection_, colormap_), "");
  }
  xcb_disconnect(connection_);
  connection_ = nullptr;
}

bool XcbWindow::Open(uintptr_t parent, std::string& error) {
  if (parent == 0 || parent > 0xffffffffu) {
    error = "no parent window";
    return false;
  }
  if (size_.width <= 0 || size_.height <= 0 || size_.width > 0x7fff || size_.height > 0x7fff) {
    error = "window size out of range";
    return false;
  }
  return Connect(error) && CreateWindow(xcb_window_t(parent), error) && AnnounceEmbedding(error) &&
         StartEditorThread(error);
}

bool XcbWindow::Connect(std::string& error) {
  // Never the host's connection: it belongs to another thread.
  connection_ = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection_)) {
    const char* display = std::getenv("DISPLAY");
    error = std::string("cannot connect to the X server \"") + (display ? display : "") + "\"";
    return false;
  }
  if (!Depth24HasFourBytePixels(connection_)) {
    error = "the X server has no 32-bit pixels for depth 24";
    return false;
  }
  swapBytes_ = ServerIsBigEndian(connection_) != HostIsBigEndian();
  maxRequestBytes_ = size_t(xcb_get_maximum_request_length(connection_)) * 4;
  return true;
}

bool XcbWindow::CreateWindow(xcb_window_t parent, std::string& error) {
  parent_ = parent;
  xcb_generic_error_t* failure = nullptr;
  Reply<xcb_get_geometry_reply_t> geometry(
      xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, parent), &failure));
  if (!geometry) {
    Reply<xcb_generic_error_t> owned(failure);
    char text[80];
    std::snprintf(text, sizeof text, "parent window 0x%lx does not exist",
                  static_cast<unsigned long>(parent));
    error = text;
    return false;
  }
  screen_ = ScreenOfRoot(connection_, geometry->root);
  visual_ = screen_ ? FindVisual(*screen_) : xcb_visualid_t(XCB_NONE);
  if (visual_ == XCB_NONE) {
    error = "the parent's screen has no 24-bit true-colour visual";
    return false;
  }
  // The parent may have another depth and visual: an explicit colormap and border pixel avoid
  // BadMatch.
  const xcb_colormap_t colormap = xcb_generate_id(connection_);
  error = CheckRequest(connection_,
                       xcb_create_colormap_checked(connection_, XCB_COLORMAP_ALLOC_NONE, colormap,
                                                   screen_->root, visual_),
                       "CreateColormap");
  if (!error.empty()) return false;
  colormap_ = colormap;

  const uint32_t values[] = {XCB_BACK_PIXMAP_NONE, 0, XCB_GRAVITY_NORTH_WEST, kEventMask,
                             colormap_};
  const xcb_window_t window = xcb_generate_id(connection_);
  error = CheckRequest(
      connection_,
      xcb_create_window_checked(connection_, 24, window, parent, 0, 0, uint16_t(size_.width),
                                uint16_t(size_.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, visual_,
                                XCB_CW_BACK_PIXMAP | XCB_CW_BORDER_PIXEL | XCB_CW_BIT_GRAVITY |
                                    XCB_CW_EVENT_MASK | XCB_CW_COLORMAP,
                                values),
      "CreateWindow");
  if (!error.empty()) return false;
  window_ = window;

  const uint32_t noExposures = 0;
  const xcb_gcontext_t gc = xcb_generate_id(connection_);
  error = CheckRequest(
      connection_,
      xcb_create_gc_checked(connection_, gc, window_, XCB_GC_GRAPHICS_EXPOSURES, &noExposures),
      "CreateGC");
  if (!error.empty()) return false;
  gc_ = gc;
  return true;
}

bool XcbWindow::AnnounceEmbedding(std::string& error) {
  static const char kName[] = "_XEMBED_INFO";
  Reply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
      connection_, xcb_intern_atom(connection_, 0, sizeof kName - 1, kName), nullptr));
  if (!atom) {
    error = "InternAtom _XEMBED_INFO failed";
    return false;
  }
  // Protocol version 0, XEMBED_MAPPED.
  const uint32_t info[] = {0, 1};
  error = CheckRequest(connection_,
                       xcb_change_property_checked(connection_, XCB_PROP_MODE_REPLACE, window_,
                                                   atom->atom, atom->atom, 32, 2, info),
                       "ChangeProperty _XEMBED_INFO");
  if (!error.empty()) return false;
  // Some hosts never map the plug-in's window themselves.
  error = CheckRequest(connection_, xcb_map_window_checked(connection_, window_), "MapWindow");
  if (!error.empty()) return false;
  ReadKeyboardMap();
  cursors_ = std::make_unique<CursorCache>(connection_, window_, swapBytes_);
  return true;
}

void XcbWindow::ReadKeyboardMap() {
  const xcb_setup_t* setup = xcb_get_setup(connection_);
  const uint8_t first = setup->min_keycode;
  const uint8_t count = uint8_t(setup->max_keycode - first + 1);
  Reply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
      connection_, xcb_get_keyboard_mapping(connection_, first, count), nullptr));
  if (!mapping) return;
  const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
  const int length = xcb_get_keyboard_mapping_keysyms_length(mapping.get());
  keyboard_.Assign(first, mapping->keysyms_per_keycode,
                   std::vector<uint32_t>(keysyms, keysyms + length));
}

bool XcbWindow::StartEditorThread(std::string& error) {
  timerFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
  wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (timerFd_ < 0 || wakeFd_ < 0) {
    error = std::string("timerfd/eventfd: ") + std::strerror(errno);
    return false;
  }
  const itimerspec period{{0, kTickNanoseconds}, {0, kTickNanoseconds}};
  if (timerfd_settime(timerFd_, 0, &period, nullptr) != 0) {
    error = std::string("timerfd_settime: ") + std::strerror(errno);
    return false;
  }
  xcb_flush(connection_);
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error& failure) {
    error = std::string("cannot start the editor thread: ") + failure.what();
    return false;
  }
  return true;
}

// --- Editor thread ----------------------------------------------------------------------------

void XcbWindow::Run() {
  editorThread_ = std::this_thread::get_id();
  while (!quit_) {
    HandleEvents();
    HandleForwardedKeys();
    if (tickDue_) {
      tickDue_ = false;
      client_.OnTick();
    }
    Present();
    if (!connectionLost_) xcb_flush(connection_);
    if (!quit_) WaitForActivity();
  }
}

void XcbWindow::WaitForActivity() {
  // Replies read while checking requests may have brought events along: those never show on
  // the socket.
  if (!connectionLost_ && !queued_) queued_ = xcb_poll_for_queued_event(connection_);
  pollfd fds[3] = {{timerFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}, {-1, POLLIN, 0}};
  if (!connectionLost_) fds[2].fd = xcb_get_file_descriptor(connection_);
  if (poll(fds, 3, queued_ ? 0 : -1) < 0) return;
  uint64_t count = 0;
  if ((fds[0].revents & POLLIN) && read(timerFd_, &count, sizeof count) == sizeof count) {
    // Late expirations collapse into one tick.
    tickDue_ = true;
  }
  if (fds[1].revents & POLLIN) {
    [[maybe_unused]] const ssize_t ignored = read(wakeFd_, &count, sizeof count);
  }
}

xcb_generic_event_t* XcbWindow::NextEvent() {
  if (queued_) return std::exchange(queued_, nullptr);
  if (connectionLost_) return nullptr;
  xcb_generic_event_t* event = xcb_poll_for_event(connection_);
  if (!event && xcb_connection_has_error(connection_)) {
    connectionLost_ = true;
    windowGone_ = true;
    NoteError("the X connection broke");
  }
  return event;
}

void XcbWindow::HandleEvents() {
  while (Reply<xcb_generic_event_t> event{NextEvent()}) {
    const uint8_t type = event->response_type & 0x7f;
    if (type == XCB_MOTION_NOTIFY) {
      // Only the latest position of a burst of motion matters.
      std::memcpy(&pendingMotion_, event.get(), sizeof pendingMotion_);
      motionPending_ = true;
      continue;
    }
    if (motionPending_) {
      motionPending_ = false;
      HandleMotion(pendingMotion_);
    }
    HandleEvent(*event);
    if (quit_) return;
  }
  if (motionPending_) {
    motionPending_ = false;
    HandleMotion(pendingMotion_);
  }
}

void XcbWindow::HandleEvent(const xcb_generic_event_t& event) {
  switch (event.response_type & 0x7f) {
    case 0:
      // Every request is checked: an error here is a library's unchecked request.
      NoteError(ErrorText("a request", reinterpret_cast<const xcb_generic_error_t&>(event)));
      break;
    case XCB_BUTTON_PRESS:
      HandleButton(reinterpret_cast<const xcb_button_press_event_t&>(event), true);
      break;
    case XCB_BUTTON_RELEASE:
      HandleButton(reinterpret_cast<const xcb_button_press_event_t&>(event), false);
      break;
    case XCB_ENTER_NOTIFY:
      HandleCrossing(reinterpret_cast<const xcb_enter_notify_event_t&>(event), true);
      break;
    case XCB_LEAVE_NOTIFY:
      HandleCrossing(reinterpret_cast<const xcb_enter_notify_event_t&>(event), false);
      break;
    case XCB_KEY_PRESS:
      HandleKey(reinterpret_cast<const xcb_key_press_event_t&>(event), true);
      break;
    case XCB_KEY_RELEASE:
      HandleKey(reinterpret_cast<const xcb_key_press_event_t&>(event), false);
      break;
    case XCB_FOCUS_OUT:
      HandleFocusOut(reinterpret_cast<const xcb_focus_out_event_t&>(event));
      break;
    case XCB_EXPOSE:
      HandleExpose(reinterpret_cast<const xcb_expose_event_t&>(event));
      break;
    case XCB_CONFIGURE_NOTIFY: {
      const auto& configure = reinterpret_cast<const xcb_configure_notify_event_t&>(event);
      if (configure.window == window_) size_ = {configure.width, configure.height};
      break;
    }
    case XCB_DESTROY_NOTIFY:
      if (reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window == window_) {
        windowGone_ = true;
      }
      break;
    case XCB_MAPPING_NOTIFY:
      if (reinterpret_cast<const xcb_mapping_notify_event_t&>(event).request ==
          XCB_MAPPING_KEYBOARD) {
        ReadKeyboardMap();
      }
      break;
    default:
      break;
  }
}

Point XcbWindow::Logical(int x, int y) const {
  return {int(std::floor(float(x) / scale_)), int(std::floor(float(y) / scale_))};
}

void XcbWindow::SendMouse(MouseAction action, MouseEvent event) {
  client_.OnMouse(action, event);
  UpdateCursor();
}

void XcbWindow::HandleButton(const xcb_button_press_event_t& event, bool press) {
  MouseEvent mouse;
  mouse.position = Logical(event.event_x, event.event_y);
  mouse.modifiers = ModifiersFromState(event.state);
  const float notches = WheelNotchesFromDetail(event.detail);
  if (notches != 0.0f) {
    if (!press) return;
    mouse.wheelDelta = notches;
    SendMouse(MouseAction::kWheel, mouse);
    return;
  }
  mouse.button = ButtonFromDetail(event.detail);
  if (mouse.button == MouseButton::kNone) return;
  if (press)
    mouse.clickCount = doubleClick_.Press(mouse.button, {event.event_x, event.event_y}, event.time);
  SendMouse(press ? MouseAction::kDown : MouseAction::kUp, mouse);
}

void XcbWindow::HandleMotion(const xcb_motion_notify_event_t& event) {
  MouseEvent mouse;
  mouse.position = Logical(event.event_x, event.event_y);
  mouse.modifiers = ModifiersFromState(event.state);
  mouse.button = HeldButtonFromState(event.state);
  SendMouse(MouseAction::kMove, mouse);
}

void XcbWindow::HandleCrossing(const xcb_enter_notify_event_t& event, bool enter) {
  // Grabs and moves into our own children are not the pointer arriving or going.
  if (event.mode != XCB_NOTIFY_MODE_NORMAL || event.detail == XCB_NOTIFY_DETAIL_INFERIOR) return;
  MouseEvent mouse;
  mouse.position = Logical(event.event_x, event.event_y);
  mouse.modifiers = ModifiersFromState(event.state);
  if (enter) {
    SendMouse(MouseAction::kMove, mouse);
  } else {
    client_.OnMouse(MouseAction::kLeave, mouse);
  }
}

void XcbWindow::HandleKey(const xcb_key_press_event_t& event, bool press) {
  const KeyEvent key = KeyEventFromKeysym(keyboard_.Keysym(event.detail, event.state),
                                          ModifiersFromState(event.state));
  if (key.key != Key::kNone) client_.OnKey(key, press);
}

void XcbWindow::HandleFocusOut(const xcb_focus_out_event_t& event) {
  if (event.mode == XCB_NOTIFY_MODE_GRAB || event.mode == XCB_NOTIFY_MODE_UNGRAB) return;
  if (event.detail == XCB_NOTIFY_DETAIL_INFERIOR || event.detail == XCB_NOTIFY_DETAIL_POINTER) {
    return;
  }
  client_.OnFocusLost();
}

void XcbWindow::HandleExpose(const xcb_expose_event_t& event) {
  exposed_ = Union(exposed_, Rect{event.x, event.y, event.width, event.height});
}

void XcbWindow::UpdateCursor() {
  if (windowGone_ || !cursors_) return;
  Point hotSpot;
  const PixelImage* image = client_.CurrentCursor(hotSpot);
  cursors_->Show(image, hotSpot);
}

void XcbWindow::HandleForwardedKeys() {
  while (true) {
    std::shared_ptr<ForwardedKey> key;
    {
      std::lock_guard lock(keysMutex_);
      if (keys_.empty()) return;
      key = std::move(keys_.front());
      keys_.pop_front();
      if (key->state != ForwardedKey::kPending) continue;
      key->state = ForwardedKey::kTaken;
    }
    const bool used = client_.OnKey(key->event, key->down);
    {
      std::lock_guard lock(keysMutex_);
      key->used = used;
      key->state = ForwardedKey::kAnswered;
    }
    keysAnswered_.notify_all();
  }
}

// --- Presenting -------------------------------------------------------------------------------

void XcbWindow::Present() {
  if (windowGone_ || (!dirty_ && exposed_.Empty())) return;
  // An unmapped parent: the frame waits, and the Expose of the next map brings it.
  if (!IsViewable()) return;
  dirty_ = false;
  changed_.clear();
  const PixelImage& frame = client_.RenderFrame(changed_);
  if (!exposed_.Empty()) changed_.push_back(exposed_);
  exposed_ = {};
  const Rect bounds{0, 0, std::min(frame.Width(), size_.width),
                    std::min(frame.Height(), size_.height)};
  for (const Rect& rect : changed_) PutRect(frame, Intersection(rect, bounds));
  CheckPuts();
}

bool XcbWindow::IsViewable() {
  xcb_generic_error_t* failure = nullptr;
  Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
      connection_, xcb_get_window_attributes(connection_, window_), &failure));
  if (!attributes) {
    Reply<xcb_generic_error_t> owned(failure);
    if (!owned || owned->error_code == kBadWindow) windowGone_ = true;
    return false;
  }
  return attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

void XcbWindow::PutRect(const PixelImage& frame, const Rect& area) {
  // The server does not split requests: each strip fits in the longest request it takes.
  for (const Rect& strip : SplitIntoStrips(area, maxRequestBytes_, kPutImageHeaderBytes)) {
    scratch_.resize(size_t(strip.width) * size_t(strip.height));
    uint32_t* out = scratch_.data();
    for (int y = strip.y; y < strip.Bottom(); ++y) {
      const uint32_t* row = frame.Row(y) + strip.x;
      if (swapBytes_) {
        for (int x = 0; x < strip.width; ++x) *out++ = __builtin_bswap32(row[x]);
      } else {
        out = std::copy(row, row + strip.width, out);
      }
    }
    puts_.push_back(xcb_put_image_checked(
        connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, uint16_t(strip.width),
        uint16_t(strip.height), int16_t(strip.x), int16_t(strip.y), 0, 24,
        uint32_t(scratch_.size() * 4), reinterpret_cast<const uint8_t*>(scratch_.data())));
  }
}

void XcbWindow::CheckPuts() {
  // One round trip answers them all.
  for (const xcb_void_cookie_t cookie : puts_) {
    Reply<xcb_generic_error_t> error(xcb_request_check(connection_, cookie));
    if (!error) continue;
    if (error->error_code == kBadWindow || error->error_code == kBadDrawable) windowGone_ = true;
    NoteError(ErrorText("PutImage", *error));
  }
  puts_.clear();
}

void XcbWindow::NoteError(const std::string& text) {
  if (text == lastError_) return;
  lastError_ = text;
  VFoundation::Log("Editor window: %s\n", text.c_str());
}

// --- Any thread / GUI thread ------------------------------------------------------------------

void XcbWindow::Wake() {
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t ignored = write(wakeFd_, &one, sizeof one);
}

void XcbWindow::RequestRedraw() {
  dirty_ = true;
  if (std::this_thread::get_id() != editorThread_) Wake();
}

bool XcbWindow::ForwardHostKey(const KeyEvent& event, bool down) {
  if (std::this_thread::get_id() == editorThread_) return client_.OnKey(event, down);
  auto key = std::make_shared<ForwardedKey>();
  key->event = event;
  key->down = down;
  std::unique_lock lock(keysMutex_);
  keys_.push_back(key);
  Wake();
  const bool answered = keysAnswered_.wait_for(lock, kForwardedKeyWait, [&] {
    return key->state == ForwardedKey::kAnswered || key->state == ForwardedKey::kAbandoned;
  });
  if (answered) return key->used;
  if (key->state == ForwardedKey::kPending) {
    // A busy editor thread: the host keeps the key rather than wait longer.
    key->state = ForwardedKey::kAbandoned;
    return false;
  }
  // Taken: OnKey is running now and is short.
  keysAnswered_.wait(lock, [&] { return key->state != ForwardedKey::kTaken; });
  return key->used;
}

Point XcbWindow::ScreenOrigin() {
  if (windowGone_ || !screen_) return {};
  Reply<xcb_translate_coordinates_reply_t> reply(xcb_translate_coordinates_reply(
      connection_, xcb_translate_coordinates(connection_, window_, screen_->root, 0, 0), nullptr));
  return reply ? Point{reply->dst_x, reply->dst_y} : Point{};
}

bool XcbWindow::Resize(Size pixels) {
  if (windowGone_ || pixels.width <= 0 || pixels.height <= 0 || pixels.width > 0x7fff ||
      pixels.height > 0x7fff) {
    return false;
  }
  const uint32_t values[] = {uint32_t(pixels.width), uint32_t(pixels.height)};
  const std::string error = CheckRequest(
      connection_,
      xcb_configure_window_checked(connection_, window_,
                                   XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values),
      "ConfigureWindow");
  if (!error.empty()) {
    NoteError(error);
    return false;
  }
  // The grown part arrives as Expose events.
  size_ = pixels;
  RequestRedraw();
  return true;
}

bool XcbWindow::Rescale(Size pixels, float scale) {
  if (!(scale > 0.0f) || !Resize(pixels)) return false;
  scale_ = scale;
  return true;
}

bool XcbWindow::TakeKeyboardFocus() {
  if (windowGone_) return false;
  // A window that is not viewable cannot take the focus; the checked request reports it.
  const std::string error = CheckRequest(
      connection_,
      xcb_set_input_focus_checked(connection_, XCB_INPUT_FOCUS_PARENT, window_, XCB_CURRENT_TIME),
      "SetInputFocus");
  return error.empty();
}

void XcbWindow::ReturnKeyboardFocus() {
  if (windowGone_) return;
  Reply<xcb_get_input_focus_reply_t> focus(
      xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  if (!focus || focus->focus != window_) return;
  // The parent may be gone or unmapped by now: the checked request only reports it.
  CheckRequest(
      connection_,
      xcb_set_input_focus_checked(connection_, XCB_INPUT_FOCUS_PARENT, parent_, XCB_CURRENT_TIME),
      "SetInputFocus");
}

}  // namespace

std::unique_ptr<Window> OpenWindow(uintptr_t parent, Size pixels, float scale, WindowClient& client,
                                   std::string& error) {
  auto window = std::make_unique<XcbWindow>(client, pixels, scale);
  if (!window->Open(parent, error)) return nullptr;
  error.clear();
  return window;
}

}  // namespace VGui::Platform
