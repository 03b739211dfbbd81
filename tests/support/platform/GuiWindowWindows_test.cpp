// The Win32 child window in a host window of the test: the timer, posted mouse and key messages,
// the painted pixels read back, and the host's ways of ending a window.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <numeric>

#include "support/platform/GuiWindow.h"
#include "support/platform/TestWindowClient.h"
#include "support/platform/windows/GuiWindowInput.h"

namespace VGui::Platform::Testing {
namespace {

using namespace std::chrono_literals;

constexpr Size kEditorSize{962, 438};

// Runs the thread's messages for a while, as the host's GUI thread does.
void Pump(std::chrono::milliseconds duration) {
  const auto end = std::chrono::steady_clock::now() + duration;
  while (std::chrono::steady_clock::now() < end) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 3000ms) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done() && std::chrono::steady_clock::now() < end) Pump(5ms);
  return done();
}

class HostWindow {
 public:
  HostWindow() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TavoTestHost";
    RegisterClassExW(&windowClass);
    window_ = CreateWindowExW(0, L"TavoTestHost", L"host", WS_POPUP | WS_VISIBLE, 30, 20,
                              kEditorSize.width, kEditorSize.height, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  }
  ~HostWindow() {
    if (IsWindow(window_)) DestroyWindow(window_);
  }
  HWND Handle() const { return window_; }

 private:
  HWND window_ = nullptr;
};

std::unique_ptr<Window> Open(HostWindow& host, TestWindowClient& client, float scale = 1.0f) {
  std::string error;
  auto window =
      OpenWindow(reinterpret_cast<uintptr_t>(host.Handle()), kEditorSize, scale, client, error);
  EXPECT_TRUE(window) << error;
  return window;
}

HWND Child(const HostWindow& host) {
  return GetWindow(host.Handle(), GW_CHILD);
}

// The child's pixels through WM_PRINTCLIENT into a 32-bit DIB, as 0x00RRGGBB.
std::vector<uint32_t> Capture(HWND window, Size size) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.width;
  info.bmiHeader.biHeight = -size.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);
  GdiFlush();
  const auto* pixels = static_cast<const uint32_t*>(bits);
  std::vector<uint32_t> result(pixels, pixels + size_t(size.width) * size_t(size.height));
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  for (auto& pixel : result) pixel &= 0x00ffffffu;
  return result;
}

// The child's pixels as the screen shows them: BitBlt from its window DC.
std::vector<uint32_t> Screen(HWND window, Size size) {
  HDC source = GetDC(window);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.width;
  info.bmiHeader.biHeight = -size.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, size.width, size.height, source, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* pixels = static_cast<const uint32_t*>(bits);
  std::vector<uint32_t> result(pixels, pixels + size_t(size.width) * size_t(size.height));
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, source);
  for (auto& pixel : result) pixel &= 0x00ffffffu;
  return result;
}

size_t WrongPixels(TestWindowClient& client, const std::vector<uint32_t>& shown) {
  size_t wrong = 0;
  for (int y = 0; y < kEditorSize.height; ++y) {
    for (int x = 0; x < kEditorSize.width; ++x) {
      if (shown[size_t(y) * size_t(kEditorSize.width) + size_t(x)] !=
          (client.ExpectedPixel(x, y) & 0x00ffffffu)) {
        ++wrong;
      }
    }
  }
  return wrong;
}

LPARAM At(int x, int y) {
  return MAKELPARAM(x, y);
}

TEST(GuiWindowWindows, OpensAsTheParentsChildAndTicksOnTheHostThread) {
  HostWindow host;
  TestWindowClient client(kEditorSize);
  auto window = Open(host, client);
  ASSERT_TRUE(window);
  HWND child = Child(host);
  ASSERT_NE(child, nullptr);
  RECT area;
  GetClientRect(child, &area);
  EXPECT_EQ(area.right, kEditorSize.width);
  EXPECT_EQ(area.bottom, kEditorSize.height);
  EXPECT_TRUE(window->TicksOnHostThread());
  ASSERT_TRUE(PumpUntil([&] {
    std::lock_guard lock(client.Mutex());
    return client.ticks.size() >= 21;
  }));
  std::lock_guard lock(client.Mutex());
  const double meanMs =
      std::chrono::duration<double, std::milli>(client.ticks.back() - client.ticks.front())
          .count() /
      double(client.ticks.size() - 1);
  std::printf("tick period: mean %.2f ms over %zu ticks\n", meanMs, client.ticks.size() - 1);
  EXPECT_NEAR(meanMs, 40.0, 8.0);
  for (const auto& id : client.threads) EXPECT_EQ(id, std::this_thread::get_id());
}

TEST(GuiWindowWindows, PaintsTheFrameAndTheChangedAreas) {
  HostWindow host;
  TestWindowClient client(kEditorSize);
  auto window = Open(host, client);
  ASSERT_TRUE(window);
  HWND child = Child(host);
  EXPECT_TRUE(PumpUntil([&] { return WrongPixels(client, Capture(child, kEditorSize)) == 0; }));
  const Rect areas[] = {{100, 50, 30, 20}, {0, 437, 962, 1}, {961, 0, 1, 438}};
  uint32_t seed = 1;
  for (const Rect& area : areas) {
    const int renders = client.Change(area, seed++);
    window->RequestRedraw();
    ASSERT_TRUE(PumpUntil([&] {
      std::lock_guard lock(client.Mutex());
      return client.renders > renders;
    }));
    EXPECT_TRUE(PumpUntil([&] { return WrongPixels(client, Screen(child, kEditorSize)) == 0; }))
        << WrongPixels(client, Screen(child, kEditorSize)) << " pixels differ after changing "
        << area.x << "," << area.y;
  }
}

TEST(GuiWindowWindows, MouseMessagesArriveInLogicalPixelsWithCapture) {
  for (const float scale : {1.0f, 2.0f}) {
    HostWindow host;
    TestWindowClient client(kEditorSize);
    auto window = Open(host, client, scale);
    ASSERT_TRUE(window);
    HWND child = Child(host);
    PostMessageW(child, WM_LBUTTONDOWN, MK_LBUTTON, At(120, 60));
    Pump(50ms);
    EXPECT_EQ(GetCapture(), child);
    PostMessageW(child, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, At(150, 80));
    PostMessageW(child, WM_LBUTTONUP, 0, At(150, 80));
    PostMessageW(child, WM_LBUTTONDBLCLK, MK_LBUTTON, At(150, 80));
    PostMessageW(child, WM_LBUTTONUP, 0, At(150, 80));
    PostMessageW(child, WM_RBUTTONDOWN, MK_RBUTTON, At(10, 10));
    PostMessageW(child, WM_RBUTTONUP, 0, At(10, 10));
    ASSERT_TRUE(PumpUntil([&] {
      std::lock_guard lock(client.Mutex());
      return client.mice.size() >= 7;
    }));
    EXPECT_EQ(GetCapture(), nullptr);
    std::lock_guard lock(client.Mutex());
    const auto& m = client.mice;
    ASSERT_EQ(m.size(), 7u);
    auto logical = [&](int x, int y) { return Point{int(x / scale), int(y / scale)}; };
    EXPECT_EQ(m[0].action, MouseAction::kDown);
    EXPECT_EQ(m[0].event.button, MouseButton::kLeft);
    EXPECT_EQ(m[0].event.position, logical(120, 60));
    EXPECT_EQ(m[1].action, MouseAction::kMove);
    EXPECT_EQ(m[1].event.button, MouseButton::kLeft);
    EXPECT_EQ(m[1].event.modifiers, uint32_t(kModShift));
    EXPECT_EQ(m[1].event.position, logical(150, 80));
    EXPECT_EQ(m[2].action, MouseAction::kUp);
    EXPECT_EQ(m[3].action, MouseAction::kDown);
    EXPECT_EQ(m[3].event.clickCount, 2);
    EXPECT_EQ(m[5].event.button, MouseButton::kRight);
    EXPECT_EQ(m[5].event.clickCount, 1);
    EXPECT_EQ(m[6].action, MouseAction::kUp);
  }
}

TEST(GuiWindowWindows, WheelPositionIsOnTheScreen) {
  HostWindow host;
  TestWindowClient client(kEditorSize);
  auto window = Open(host, client);
  ASSERT_TRUE(window);
  HWND child = Child(host);
  const Point origin = window->ScreenOrigin();
  POINT expected{0, 0};
  ClientToScreen(child, &expected);
  EXPECT_EQ(origin, (Point{int(expected.x), int(expected.y)}));
  PostMessageW(child, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-240)), At(origin.x + 40, origin.y + 30));
  ASSERT_TRUE(PumpUntil([&] {
    std::lock_guard lock(client.Mutex());
    return !client.mice.empty();
  }));
  std::lock_guard lock(client.Mutex());
  EXPECT_EQ(client.mice[0].action, MouseAction::kWheel);
  EXPECT_EQ(client.mice[0].event.wheelDelta, -2.0f);
  EXPECT_EQ(client.mice[0].event.position, (Point{40, 30}));
}

TEST(GuiWindowWindows, KeysCharactersAndForwardedKeys) {
  HostWindow host;
  TestWindowClient client(kEditorSize);
  auto window = Open(host, client);
  ASSERT_TRUE(window);
  HWND child = Child(host);
  PostMessageW(child, WM_KEYDOWN, VK_RETURN, 0);
  PostMessageW(child, WM_CHAR, 'a', 0);
  PostMessageW(child, WM_CHAR, 0xd83c, 0);  // a surrogate pair: U+1F3B9
  PostMessageW(child, WM_CHAR, 0xdfb9, 0);
  PostMessageW(child, WM_KEYUP, VK_RETURN, 0);
  ASSERT_TRUE(PumpUntil([&] {
    std::lock_guard lock(client.Mutex());
    return client.keys.size() >= 4;
  }));
  KeyEvent forwarded{Key::kCharacter, "z", 0};
  EXPECT_TRUE(window->ForwardHostKey(forwarded, true));
  KeyEvent escape{Key::kEscape, "", 0};
  EXPECT_FALSE(window->ForwardHostKey(escape, true));
  SendMessageW(child, WM_KILLFOCUS, 0, 0);
  std::lock_guard lock(client.Mutex());
  ASSERT_EQ(client.keys.size(), 6u);
  EXPECT_EQ(client.keys[0].event.key, Key::kReturn);
  EXPECT_TRUE(client.keys[0].down);
  EXPECT_EQ(client.keys[1].event.text, "a");
  EXPECT_EQ(client.keys[2].event.text, "\xf0\x9f\x8e\xb9");
  EXPECT_EQ(client.keys[3].event.key, Key::kReturn);
  EXPECT_FALSE(client.keys[3].down);
  EXPECT_EQ(client.keys[4].event.text, "z");
  EXPECT_EQ(client.focusLosses, 1);
}

// Hosts rarely focus a plug-in's child window: it takes the focus while a text field wants keys
// and gives it back to the host's window after.
TEST(GuiWindowWindows, TakesTheKeyboardFocusForTypingAndHandsItBack) {
  HostWindow host;
  TestWindowClient client(kEditorSize);
  auto window = Open(host, client);
  ASSERT_TRUE(window);
  HWND child = Child(host);
  SetFocus(host.Handle());
  ASSERT_TRUE(window->TakeKeyboardFocus());
  EXPECT_EQ(GetFocus(), child);
  window->ReturnKeyboardFocus();
  EXPECT_EQ(GetFocus(), host.Handle());
  window->ReturnKeyboardFocus();
  EXPECT_EQ(GetFocus(), host.Handle()) << "a window without the focus leaves it where it is";
}

TEST(GuiWindowWindows, ResizeChangesTheChild) {
  HostWindow host;
  TestWindowClient client(kEditorSize);
  auto window = Open(host, client);
  ASSERT_TRUE(window);
  EXPECT_TRUE(window->Resize({500, 200}));
  RECT area;
  GetClientRect(Child(host), &area);
  EXPECT_EQ(area.right, 500);
  EXPECT_EQ(area.bottom, 200);
  EXPECT_FALSE(window->Resize({0, 10}));
}

TEST(GuiWindowWindows, ParentDestroyedBeforeClose) {
  HostWindow host;
  TestWindowClient client(kEditorSize);
  auto window = Open(host, client);
  ASSERT_TRUE(window);
  client.SetRedrawEveryTick(window.get());
  Pump(100ms);
  DestroyWindow(host.Handle());
  window->RequestRedraw();
  Pump(100ms);
  client.SetRedrawEveryTick(nullptr);
  window.reset();
}

TEST(GuiWindowWindows, TwoHundredOpenCloseCyclesLeaveNothingBehind) {
  HostWindow host;
  TestWindowClient client(kEditorSize);
  Open(host, client);  // the first open loads what stays loaded
  wchar_t className[128] = L"";
  {
    auto window = Open(host, client);
    ASSERT_TRUE(window);
    GetClassNameW(Child(host), className, 128);
  }
  // Each window's class is gone with the window: an editor opened again, or a second copy of
  // the plug-in, registers its own.
  auto classIsGone = [](const wchar_t* name) {
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    return !GetClassInfoExW(GetModuleHandleW(nullptr), name, &info);
  };
  EXPECT_TRUE(classIsGone(className));
  int classesLeft = 0;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 200; ++i) {
    auto window = Open(host, client);
    ASSERT_TRUE(window);
    Pump(0ms);
    GetClassNameW(Child(host), className, 128);
    window.reset();
    classesLeft += classIsGone(className) ? 0 : 1;
  }
  const double msPerCycle =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() /
      200.0;
  std::printf("open+close: %.2f ms per cycle\n", msPerCycle);
  EXPECT_EQ(classesLeft, 0);
  EXPECT_EQ(Child(host), nullptr);
}

TEST(GuiWindowWindows, RefusesAParentThatDoesNotExist) {
  TestWindowClient client(kEditorSize);
  std::string error;
  EXPECT_FALSE(OpenWindow(0, kEditorSize, 1.0f, client, error));
  EXPECT_FALSE(error.empty());
  HWND gone = nullptr;
  {
    HostWindow host;
    gone = host.Handle();
  }
  error.clear();
  EXPECT_FALSE(OpenWindow(reinterpret_cast<uintptr_t>(gone), kEditorSize, 1.0f, client, error));
  EXPECT_FALSE(error.empty());
}

TEST(GuiWindowWindowsInput, VirtualKeysCharactersAndWheel) {
  EXPECT_EQ(Win32::NamedKeyFromVirtualKey(VK_BACK), Key::kBackspace);
  EXPECT_EQ(Win32::NamedKeyFromVirtualKey(VK_DELETE), Key::kDelete);
  EXPECT_EQ(Win32::NamedKeyFromVirtualKey(VK_NEXT), Key::kPageDown);
  EXPECT_EQ(Win32::NamedKeyFromVirtualKey(VK_LEFT), Key::kLeft);
  EXPECT_EQ(Win32::NamedKeyFromVirtualKey('A'), Key::kNone);
  EXPECT_EQ(Win32::ShortcutLetterFromVirtualKey('C'), 'c');
  EXPECT_EQ(Win32::ShortcutLetterFromVirtualKey(VK_F1), '\0');
  Win32::CharacterAssembler characters;
  EXPECT_EQ(characters.Add(0xe9), "\xc3\xa9");
  EXPECT_EQ(characters.Add(0x08), "");
  EXPECT_EQ(characters.Add(0xdfb9), "");  // a low surrogate alone
  EXPECT_EQ(characters.Add(0xd83c), "");
  EXPECT_EQ(characters.Add(0xdfb9), "\xf0\x9f\x8e\xb9");
  EXPECT_EQ(Win32::WheelNotches(120), 1.0f);
  EXPECT_EQ(Win32::WheelNotches(-60), -0.5f);
  PixelImage image(3, 1);
  image.Row(0)[0] = 0x80400000u;  // half-transparent red at half strength
  image.Row(0)[1] = 0xff123456u;
  image.Row(0)[2] = 0x00000000u;
  EXPECT_EQ(Win32::StraightAlphaPixels(image),
            (std::vector<uint32_t>{0x80800000u, 0xff123456u, 0}));
}

}  // namespace
}  // namespace VGui::Platform::Testing
