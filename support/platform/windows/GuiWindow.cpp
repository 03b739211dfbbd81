// Windows: the editor's child HWND. Its window class is registered with the DLL's own instance
// under a name of its own and unregistered on close; a 40 ms WM_TIMER on the host's GUI thread
// ticks the toolkit, and WM_PAINT copies the toolkit's frame with SetDIBitsToDevice.
#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "support/platform/GuiWindow.h"
#include "support/platform/windows/GuiWindowInput.h"

// The image base of the module this code is linked into: the plug-in's DLL, not the host's exe.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace VGui::Platform {

namespace {

using namespace Win32;

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT kTickMs = 40;
// Asks for a present from any thread; a key the host forwarded from another thread.
constexpr UINT kRedrawMessage = WM_APP + 1;
constexpr UINT kForwardedKeyMessage = WM_APP + 2;

HINSTANCE ModuleInstance() {
  return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

std::string LastErrorText(const char* what) {
  char text[96];
  std::snprintf(text, sizeof text, "%s failed: error %lu", what, GetLastError());
  return text;
}

uint32_t KeyModifiers() {
  uint32_t modifiers = 0;
  if (GetKeyState(VK_SHIFT) < 0) modifiers |= kModShift;
  if (GetKeyState(VK_CONTROL) < 0) modifiers |= kModControl;
  if (GetKeyState(VK_MENU) < 0) modifiers |= kModAlt;
  return modifiers;
}

uint32_t MouseModifiers(WPARAM wParam) {
  uint32_t modifiers = 0;
  if (wParam & MK_SHIFT) modifiers |= kModShift;
  if (wParam & MK_CONTROL) modifiers |= kModControl;
  if (GetKeyState(VK_MENU) < 0) modifiers |= kModAlt;
  return modifiers;
}

MouseButton HeldButton(WPARAM wParam) {
  if (wParam & MK_LBUTTON) return MouseButton::kLeft;
  if (wParam & MK_RBUTTON) return MouseButton::kRight;
  if (wParam & MK_MBUTTON) return MouseButton::kMiddle;
  return MouseButton::kNone;
}

struct ForwardedKey {
  const KeyEvent* event;
  bool down;
};

// FNV-1a over the size, the hot spot and the pixels (see the X11 window: the content is the
// cursor's identity).
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
  return hash;
}

HCURSOR MakeCursor(const PixelImage& image, Point hotSpot) {
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = image.Width();
  header.bV5Height = -image.Height();  // top-down rows, as the image holds them
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00ff0000;
  header.bV5GreenMask = 0x0000ff00;
  header.bV5BlueMask = 0x000000ff;
  header.bV5AlphaMask = 0xff000000;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (!colour) return nullptr;
  const std::vector<uint32_t> pixels = StraightAlphaPixels(image);
  std::copy(pixels.begin(), pixels.end(), static_cast<uint32_t*>(bits));
  // With an alpha channel the mask only has to exist.
  HBITMAP mask = CreateBitmap(image.Width(), image.Height(), 1, 1, nullptr);
  ICONINFO info{};
  info.fIcon = FALSE;
  info.xHotspot = DWORD(std::clamp(hotSpot.x, 0, image.Width() - 1));
  info.yHotspot = DWORD(std::clamp(hotSpot.y, 0, image.Height() - 1));
  info.hbmMask = mask;
  info.hbmColor = colour;
  HCURSOR cursor = mask ? reinterpret_cast<HCURSOR>(CreateIconIndirect(&info)) : nullptr;
  if (mask) DeleteObject(mask);
  DeleteObject(colour);
  return cursor;
}

class Win32Window final : public Window {
 public:
  Win32Window(WindowClient& client, Size pixels, float scale)
      : client_(client), size_(pixels), scale_(scale > 0.0f ? scale : 1.0f) {}
  ~Win32Window() override;

  bool Open(HWND parent, std::string& error);

  void RequestRedraw() override;
  bool TicksOnHostThread() const override { return true; }
  bool ForwardHostKey(const KeyEvent& event, bool down) override;
  Point ScreenOrigin() override;
  bool Resize(Size pixels) override;
  bool Rescale(Size pixels, float scale) override;
  bool TakeKeyboardFocus() override;
  void ReturnKeyboardFocus() override;

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  bool HandleMouse(UINT message, WPARAM wParam, LPARAM lParam);
  bool HandleKey(UINT message, WPARAM wParam);
  void SendMouse(MouseAction action, const MouseEvent& event);
  void Paint(HDC dc, const RECT& area);
  void RenderIfDirty();
  bool UpdateCursor();
  Point Logical(int x, int y) const;

  WindowClient& client_;
  Size size_;
  float scale_;
  std::wstring className_;
  ATOM classAtom_ = 0;
  HWND window_ = nullptr;
  std::atomic<bool> dirty_{true};
  std::atomic<bool> redrawPosted_{false};
  const PixelImage* frame_ = nullptr;
  std::vector<Rect> changed_;
  bool trackingLeave_ = false;
  CharacterAssembler characters_;
  struct CachedCursor {
    uint64_t key;
    HCURSOR cursor;
  };
  std::vector<CachedCursor> cursors_;
};

Win32Window::~Win32Window() {
  if (window_) {
    KillTimer(window_, kTickTimer);
    // Ends in WM_NCDESTROY, which forgets the handle.
    DestroyWindow(window_);
  }
  for (const auto& entry : cursors_) DestroyCursor(entry.cursor);
  if (classAtom_) UnregisterClassW(className_.c_str(), ModuleInstance());
}

bool Win32Window::Open(HWND parent, std::string& error) {
  if (!parent || !IsWindow(parent)) {
    char text[64];
    std::snprintf(text, sizeof text, "parent window %p does not exist", static_cast<void*>(parent));
    error = text;
    return false;
  }
  if (size_.width <= 0 || size_.height <= 0) {
    error = "window size out of range";
    return false;
  }
  // Two copies of the plug-in (or two editors) in one host must not share a class.
  wchar_t name[64];
  static std::atomic<unsigned> serial{0};
  std::swprintf(name, 64, L"TavoEditor_%p_%u", static_cast<void*>(this), serial++);
  className_ = name;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = ModuleInstance();
  windowClass.lpszClassName = className_.c_str();
  classAtom_ = RegisterClassExW(&windowClass);
  if (!classAtom_) {
    error = LastErrorText("RegisterClassEx");
    return false;
  }
  window_ = CreateWindowExW(0, className_.c_str(), L"",
                            WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0,
                            size_.width, size_.height, parent, nullptr, ModuleInstance(), this);
  if (!window_) {
    error = LastErrorText("CreateWindowEx");
    return false;
  }
  if (!SetTimer(window_, kTickTimer, kTickMs, nullptr)) {
    error = LastErrorText("SetTimer");
    return false;
  }
  return true;
}

LRESULT CALLBACK Win32Window::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The host destroyed the parent first, or the destructor runs.
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return self->Handle(message, wParam, lParam);
}

LRESULT Win32Window::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam != kTickTimer) break;
      client_.OnTick();
      RenderIfDirty();
      return 0;
    case kRedrawMessage:
      redrawPosted_ = false;
      RenderIfDirty();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window_, &paint);
      if (dc) Paint(dc, paint.rcPaint);
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT all{0, 0, size_.width, size_.height};
      Paint(reinterpret_cast<HDC>(wParam), all);
      return 0;
    }
    case WM_ERASEBKGND:
      // The frame covers every pixel: erasing first would only flicker.
      return 1;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && UpdateCursor()) return TRUE;
      break;
    case WM_GETDLGCODE:
      // Hosts with dialog managers would take Tab, Return and the arrows otherwise.
      return DLGC_WANTALLKEYS | DLGC_WANTCHARS;
    case WM_KILLFOCUS:
      client_.OnFocusLost();
      return 0;
    case WM_CAPTURECHANGED:
      return 0;
    case kForwardedKeyMessage: {
      const auto* key = reinterpret_cast<const ForwardedKey*>(lParam);
      return client_.OnKey(*key->event, key->down) ? 1 : 0;
    }
    default:
      break;
  }
  if (HandleMouse(message, wParam, lParam)) return 0;
  if (HandleKey(message, wParam)) return 0;
  return DefWindowProcW(window_, message, wParam, lParam);
}

Point Win32Window::Logical(int x, int y) const {
  return {int(std::floor(float(x) / scale_)), int(std::floor(float(y) / scale_))};
}

void Win32Window::SendMouse(MouseAction action, const MouseEvent& event) {
  client_.OnMouse(action, event);
  // WM_SETCURSOR came before the move; the cursor for the new position is known only now.
  UpdateCursor();
  RenderIfDirty();
}

bool Win32Window::HandleMouse(UINT message, WPARAM wParam, LPARAM lParam) {
  MouseEvent event;
  event.position = Logical(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
  event.modifiers = MouseModifiers(wParam);
  auto press = [&](MouseButton button, int clicks) {
    event.button = button;
    event.clickCount = clicks;
    // Drags that leave the window keep coming here.
    SetCapture(window_);
    SendMouse(MouseAction::kDown, event);
  };
  auto release = [&](MouseButton button) {
    event.button = button;
    if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && GetCapture() == window_) {
      ReleaseCapture();
    }
    SendMouse(MouseAction::kUp, event);
  };
  switch (message) {
    case WM_LBUTTONDOWN:
      press(MouseButton::kLeft, 1);
      return true;
    case WM_RBUTTONDOWN:
      press(MouseButton::kRight, 1);
      return true;
    case WM_MBUTTONDOWN:
      press(MouseButton::kMiddle, 1);
      return true;
    case WM_LBUTTONDBLCLK:
      press(MouseButton::kLeft, 2);
      return true;
    case WM_RBUTTONDBLCLK:
      press(MouseButton::kRight, 2);
      return true;
    case WM_MBUTTONDBLCLK:
      press(MouseButton::kMiddle, 2);
      return true;
    case WM_LBUTTONUP:
      release(MouseButton::kLeft);
      return true;
    case WM_RBUTTONUP:
      release(MouseButton::kRight);
      return true;
    case WM_MBUTTONUP:
      release(MouseButton::kMiddle);
      return true;
    case WM_MOUSEMOVE:
      if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
        trackingLeave_ = TrackMouseEvent(&track) != FALSE;
      }
      event.button = HeldButton(wParam);
      SendMouse(MouseAction::kMove, event);
      return true;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      client_.OnMouse(MouseAction::kLeave, MouseEvent{});
      RenderIfDirty();
      return true;
    case WM_MOUSEWHEEL: {
      // The wheel's position is on the screen.
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ScreenToClient(window_, &at);
      event.position = Logical(at.x, at.y);
      event.modifiers = MouseModifiers(GET_KEYSTATE_WPARAM(wParam));
      event.wheelDelta = WheelNotches(int16_t(GET_WHEEL_DELTA_WPARAM(wParam)));
      SendMouse(MouseAction::kWheel, event);
      return true;
    }
    default:
      return false;
  }
}

bool Win32Window::HandleKey(UINT message, WPARAM wParam) {
  const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  const bool up = message == WM_KEYUP || message == WM_SYSKEYUP;
  if (message == WM_CHAR) {
    KeyEvent event{Key::kCharacter, characters_.Add(uint16_t(wParam)), KeyModifiers()};
    if (event.text.empty()) return true;
    const bool used = client_.OnKey(event, true);
    RenderIfDirty();
    return used;
  }
  if (!down && !up) return false;
  KeyEvent event{NamedKeyFromVirtualKey(uint32_t(wParam)), {}, KeyModifiers()};
  if (event.key == Key::kNone && (event.modifiers & kModControl)) {
    // Control+letter brings no WM_CHAR text.
    if (const char letter = ShortcutLetterFromVirtualKey(uint32_t(wParam))) {
      event.key = Key::kCharacter;
      event.text = std::string(1, letter);
    }
  }
  if (event.key == Key::kNone) return false;
  const bool used = client_.OnKey(event, down);
  RenderIfDirty();
  return used;
}

void Win32Window::RenderIfDirty() {
  if (!window_ || !dirty_.exchange(false)) return;
  changed_.clear();
  frame_ = &client_.RenderFrame(changed_);
  for (const Rect& rect : changed_) {
    RECT area{rect.x, rect.y, rect.Right(), rect.Bottom()};
    InvalidateRect(window_, &area, FALSE);
  }
}

void Win32Window::Paint(HDC dc, const RECT& area) {
  if (!frame_) {
    dirty_ = true;
    RenderIfDirty();
  }
  if (!frame_ || frame_->Empty()) return;
  const Rect clipped = Intersection(
      Rect{int(area.left), int(area.top), int(area.right - area.left), int(area.bottom - area.top)},
      Rect{0, 0, frame_->Width(), frame_->Height()});
  if (clipped.Empty()) return;
  // The DIB handed over starts at the clip's first row and is exactly as tall as the clip: a
  // source rectangle that spans the whole height means the same whether the system counts a
  // top-down image's rows from the top or from the bottom (implementations disagree).
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = frame_->Width();
  info.bmiHeader.biHeight = -clipped.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  StretchDIBits(dc, clipped.x, clipped.y, clipped.width, clipped.height, clipped.x, 0,
                clipped.width, clipped.height, frame_->Row(clipped.y), &info, DIB_RGB_COLORS,
                SRCCOPY);
}

bool Win32Window::UpdateCursor() {
  POINT at;
  if (!GetCursorPos(&at) || WindowFromPoint(at) != window_) return false;
  Point hotSpot;
  const PixelImage* image = client_.CurrentCursor(hotSpot);
  HCURSOR cursor = nullptr;
  if (image && !image->Empty()) {
    const uint64_t key = CursorKey(*image, hotSpot);
    for (const auto& entry : cursors_) {
      if (entry.key == key) cursor = entry.cursor;
    }
    if (!cursor && (cursor = MakeCursor(*image, hotSpot)) != nullptr) {
      cursors_.push_back({key, cursor});
    }
  }
  SetCursor(cursor ? cursor : LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
  return true;
}

void Win32Window::RequestRedraw() {
  dirty_ = true;
  // One pending message is enough; the timer would also bring it within 40 ms.
  if (window_ && !redrawPosted_.exchange(true)) {
    if (!PostMessageW(window_, kRedrawMessage, 0, 0)) redrawPosted_ = false;
  }
}

bool Win32Window::ForwardHostKey(const KeyEvent& event, bool down) {
  if (!window_) return false;
  ForwardedKey key{&event, down};
  // On the window's own thread this is a plain call; from another thread it waits for it.
  return SendMessageW(window_, kForwardedKeyMessage, 0, reinterpret_cast<LPARAM>(&key)) != 0;
}

Point Win32Window::ScreenOrigin() {
  POINT origin{0, 0};
  if (window_) ClientToScreen(window_, &origin);
  return {int(origin.x), int(origin.y)};
}

bool Win32Window::TakeKeyboardFocus() {
  if (!window_) return false;
  SetFocus(window_);
  return GetFocus() == window_;
}

void Win32Window::ReturnKeyboardFocus() {
  if (!window_ || GetFocus() != window_) return;
  if (HWND parent = GetParent(window_)) SetFocus(parent);
}

bool Win32Window::Resize(Size pixels) {
  if (!window_ || pixels.width <= 0 || pixels.height <= 0) return false;
  if (!SetWindowPos(window_, nullptr, 0, 0, pixels.width, pixels.height,
                    SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)) {
    return false;
  }
  size_ = pixels;
  RequestRedraw();
  return true;
}

bool Win32Window::Rescale(Size pixels, float scale) {
  if (!(scale > 0.0f) || !Resize(pixels)) return false;
  scale_ = scale;
  return true;
}

}  // namespace

std::unique_ptr<Window> OpenWindow(uintptr_t parent, Size pixels, float scale, WindowClient& client,
                                   std::string& error) {
  auto window = std::make_unique<Win32Window>(client, pixels, scale);
  if (!window->Open(reinterpret_cast<HWND>(parent), error)) return nullptr;
  error.clear();
  return window;
}

}  // namespace VGui::Platform
