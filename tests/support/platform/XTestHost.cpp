// Linux window tests: the Xvfb server and the host's connection.
#include "support/platform/XTestHost.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xfixes.h>
#include <xcb/xtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

extern char** environ;

namespace VGui::Platform::Testing {

namespace {

struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeReply>;

std::string FindXvfb() {
  for (const char* folder : {"/usr/bin", "/usr/local/bin", "/bin"}) {
    const std::string path = std::string(folder) + "/Xvfb";
    if (access(path.c_str(), X_OK) == 0) return path;
  }
  return {};
}

// Reads the display number Xvfb writes once it accepts clients.
std::string ReadDisplayNumber(int fd) {
  std::string text;
  pollfd wait{fd, POLLIN, 0};
  while (text.find('\n') == std::string::npos && poll(&wait, 1, 10000) > 0) {
    char buffer[32];
    const ssize_t count = read(fd, buffer, sizeof buffer);
    if (count <= 0) break;
    text.append(buffer, size_t(count));
  }
  const size_t end = text.find('\n');
  return end == std::string::npos ? std::string() : text.substr(0, end);
}

int CountEntries(const char* folder) {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

}  // namespace

XvfbServer::XvfbServer() {
  const std::string program = FindXvfb();
  if (program.empty()) {
    failure_ = "Xvfb is not installed (apt package xvfb)";
    return;
  }
  installed_ = true;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    failure_ = "pipe failed";
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const char* argv[] = {program.c_str(), "-displayfd", "3",   "-screen", "0",
                        "1280x800x24",   "-nolisten",  "tcp", nullptr};
  if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, const_cast<char**>(argv), environ) !=
      0) {
    pid_ = -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  const std::string number = pid_ > 0 ? ReadDisplayNumber(fds[0]) : std::string();
  close(fds[0]);
  if (number.empty()) {
    failure_ = "Xvfb did not start";
    return;
  }
  setenv("DISPLAY", (":" + number).c_str(), 1);
}

XvfbServer::~XvfbServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

XHost::XHost() {
  connection_ = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(connection_)) {
    xcb_disconnect(connection_);
    connection_ = nullptr;
    return;
  }
  root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
  const xcb_setup_t* setup = xcb_get_setup(connection_);
  Reply<xcb_get_keyboard_mapping_reply_t> mapping(xcb_get_keyboard_mapping_reply(
      connection_,
      xcb_get_keyboard_mapping(connection_, setup->min_keycode,
                               uint8_t(setup->max_keycode - setup->min_keycode + 1)),
      nullptr));
  if (mapping) {
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    keyboard_.Assign(
        setup->min_keycode, mapping->keysyms_per_keycode,
        std::vector<uint32_t>(keysyms,
                              keysyms + xcb_get_keyboard_mapping_keysyms_length(mapping.get())));
  }
  Reply<xcb_xfixes_query_version_reply_t> ignored(xcb_xfixes_query_version_reply(
      connection_, xcb_xfixes_query_version(connection_, 4, 0), nullptr));
}

XHost::~XHost() {
  if (connection_) xcb_disconnect(connection_);
}

bool XHost::Check(xcb_void_cookie_t cookie) {
  Reply<xcb_generic_error_t> error(xcb_request_check(connection_, cookie));
  return error == nullptr;
}

xcb_window_t XHost::CreateParent(Rect area) {
  const xcb_window_t window = xcb_generate_id(connection_);
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
  const uint32_t values[] = {screen->black_pixel};
  if (!Check(xcb_create_window_checked(connection_, XCB_COPY_FROM_PARENT, window, root_,
                                       int16_t(area.x), int16_t(area.y), uint16_t(area.width),
                                       uint16_t(area.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                                       screen->root_visual, XCB_CW_BACK_PIXEL, values)) ||
      !Map(window, true)) {
    return 0;
  }
  return window;
}

bool XHost::Resize(xcb_window_t window, Size size) {
  const uint32_t values[] = {uint32_t(size.width), uint32_t(size.height)};
  return Check(xcb_configure_window_checked(
      connection_, window, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, values));
}

bool XHost::Map(xcb_window_t window, bool mapped) {
  return Check(mapped ? xcb_map_window_checked(connection_, window)
                      : xcb_unmap_window_checked(connection_, window));
}

bool XHost::Destroy(xcb_window_t window) {
  return Check(xcb_destroy_window_checked(connection_, window));
}

xcb_window_t XHost::UnusedId() {
  return xcb_generate_id(connection_);
}

std::vector<xcb_window_t> XHost::Children(xcb_window_t window) {
  Reply<xcb_query_tree_reply_t> tree(
      xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
  if (!tree) return {};
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  return {children, children + xcb_query_tree_children_length(tree.get())};
}

Rect XHost::Geometry(xcb_window_t window) {
  Reply<xcb_get_geometry_reply_t> geometry(
      xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
  if (!geometry) return {};
  return {geometry->x, geometry->y, geometry->width, geometry->height};
}

bool XHost::IsViewable(xcb_window_t window) {
  Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
      connection_, xcb_get_window_attributes(connection_, window), nullptr));
  return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::vector<uint32_t> XHost::Pixels(xcb_window_t window, Size size) {
  Reply<xcb_get_image_reply_t> image(
      xcb_get_image_reply(connection_,
                          xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0,
                                        uint16_t(size.width), uint16_t(size.height), ~0u),
                          nullptr));
  if (!image || image->depth != 24) return {};
  const size_t count = size_t(size.width) * size_t(size.height);
  if (size_t(xcb_get_image_data_length(image.get())) != count * 4) return {};
  const auto* data = reinterpret_cast<const uint32_t*>(xcb_get_image_data(image.get()));
  std::vector<uint32_t> pixels(data, data + count);
  for (auto& pixel : pixels) pixel &= 0x00ffffffu;
  return pixels;
}

bool XHost::MovePointer(Point rootPosition) {
  return Check(xcb_test_fake_input_checked(connection_, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME,
                                           root_, int16_t(rootPosition.x), int16_t(rootPosition.y),
                                           0));
}

bool XHost::Button(uint8_t button, bool press) {
  return Check(xcb_test_fake_input_checked(connection_,
                                           press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, button,
                                           XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0));
}

bool XHost::Key(uint32_t keysym, bool press) {
  const uint8_t keycode = keyboard_.KeycodeOf(keysym);
  return keycode != 0 &&
         Check(xcb_test_fake_input_checked(connection_, press ? XCB_KEY_PRESS : XCB_KEY_RELEASE,
                                           keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0));
}

bool XHost::Focus(xcb_window_t window) {
  return Check(xcb_set_input_focus_checked(connection_, XCB_INPUT_FOCUS_POINTER_ROOT, window,
                                           XCB_CURRENT_TIME));
}

xcb_window_t XHost::FocusedWindow() {
  Reply<xcb_get_input_focus_reply_t> reply(
      xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
  return reply ? reply->focus : xcb_window_t(XCB_NONE);
}

XHost::CursorImage XHost::CurrentCursor() {
  Reply<xcb_xfixes_get_cursor_image_reply_t> reply(xcb_xfixes_get_cursor_image_reply(
      connection_, xcb_xfixes_get_cursor_image(connection_), nullptr));
  if (!reply) return {};
  const uint32_t* pixels = xcb_xfixes_get_cursor_image_cursor_image(reply.get());
  const int count = xcb_xfixes_get_cursor_image_cursor_image_length(reply.get());
  return {{reply->width, reply->height}, {reply->xhot, reply->yhot}, {pixels, pixels + count}};
}

int XHost::PendingErrors() {
  int errors = 0;
  while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(connection_)}) {
    if (event->response_type == 0) ++errors;
  }
  return errors;
}

int OpenDescriptorCount() {
  return CountEntries("/proc/self/fd");
}
int ThreadCount() {
  return CountEntries("/proc/self/task");
}

}  // namespace VGui::Platform::Testing
