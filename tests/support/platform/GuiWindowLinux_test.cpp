// The X11 child window on a private Xvfb server: a host's parent on its own connection, real
// input through XTest, the presented pixels read back, and the host's ways of ending a window.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <thread>

#include "support/platform/GuiWindow.h"
#include "support/platform/TestWindowClient.h"
#include "support/platform/XTestHost.h"

namespace VGui::Platform::Testing {
namespace {

using namespace std::chrono_literals;

constexpr Size kEditorSize{962, 438};
constexpr Point kParentOrigin{37, 21};

class GuiWindowLinux : public testing::Test {
 protected:
  void SetUp() override {
    if (!server_.Installed()) {
      GTEST_SKIP() << server_.Failure();
    }
    ASSERT_TRUE(server_.Failure().empty()) << server_.Failure();
    hostConnection_ = std::make_unique<XHost>();
    ASSERT_TRUE(hostConnection_->Connected());
  }
  void TearDown() override {
    if (hostConnection_ && hostConnection_->Connected()) {
      EXPECT_EQ(hostConnection_->PendingErrors(), 0);
    }
  }

  XHost& Host() { return *hostConnection_; }

  // Ardour's way: a 1x1 parent, grown to the editor's size once the window is open.
  std::unique_ptr<Window> OpenInTinyParent(TestWindowClient& client, float scale = 1.0f,
                                           Size size = kEditorSize) {
    parent_ = Host().CreateParent({kParentOrigin.x, kParentOrigin.y, 1, 1});
    EXPECT_NE(parent_, 0u);
    std::string error;
    auto window = OpenWindow(parent_, size, scale, client, error);
    EXPECT_TRUE(window) << error;
    EXPECT_TRUE(Host().Resize(parent_, size));
    const auto children = Host().Children(parent_);
    EXPECT_EQ(children.size(), 1u);
    child_ = children.empty() ? 0 : children.front();
    return window;
  }

  bool WaitForPixels(TestWindowClient& client, Size size) {
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (std::chrono::steady_clock::now() < deadline) {
      if (CountWrongPixels(client, size) == 0) return true;
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }

  size_t CountWrongPixels(TestWindowClient& client, Size size) {
    const std::vector<uint32_t> shown = Host().Pixels(child_, size);
    if (shown.empty()) return size_t(size.width) * size_t(size.height);
    size_t wrong = 0;
    for (int y = 0; y < size.height; ++y) {
      for (int x = 0; x < size.width; ++x) {
        if (shown[size_t(y) * size_t(size.width) + size_t(x)] !=
            (client.ExpectedPixel(x, y) & 0x00ffffffu)) {
          ++wrong;
        }
      }
    }
    return wrong;
  }

  // A click on the child at device coordinates.
  void Click(Point device, uint8_t button) {
    ASSERT_TRUE(Host().MovePointer({kParentOrigin.x + device.x, kParentOrigin.y + device.y}));
    ASSERT_TRUE(Host().Button(button, true));
    ASSERT_TRUE(Host().Button(button, false));
  }

  XvfbServer server_;
  // Made once the server runs, never on the desktop's display.
  std::unique_ptr<XHost> hostConnection_;
  xcb_window_t parent_ = 0;
  xcb_window_t child_ = 0;
};

size_t CountMice(TestWindowClient& client, MouseAction action) {
  size_t count = 0;
  for (const auto& m : client.mice) count += m.action == action ? 1 : 0;
  return count;
}

TEST_F(GuiWindowLinux, OpensAsTheParentsOnlyChildAndShowsTheFrame) {
  TestWindowClient client(kEditorSize);
  auto window = OpenInTinyParent(client);
  ASSERT_TRUE(window);
  EXPECT_EQ(Host().Geometry(child_), (Rect{0, 0, kEditorSize.width, kEditorSize.height}));
  EXPECT_FALSE(window->TicksOnHostThread());
  EXPECT_TRUE(WaitForPixels(client, kEditorSize))
      << CountWrongPixels(client, kEditorSize) << " pixels differ";
}

TEST_F(GuiWindowLinux, PresentsOnlyTheChangedAreaAfterARedrawRequest) {
  TestWindowClient client(kEditorSize);
  auto window = OpenInTinyParent(client);
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitForPixels(client, kEditorSize));
  const Rect areas[] = {{100, 50, 30, 20}, {0, 437, 962, 1}, {961, 0, 1, 438}, {-5, -5, 10, 10}};
  uint32_t seed = 1;
  for (const Rect& area : areas) {
    const int renders = client.Change(area, seed++);
    window->RequestRedraw();
    ASSERT_TRUE(client.WaitForRenderAfter(renders));
    EXPECT_TRUE(WaitForPixels(client, kEditorSize))
        << CountWrongPixels(client, kEditorSize) << " pixels differ after changing " << area.x
        << "," << area.y << " " << area.width << "x" << area.height;
  }
}

TEST_F(GuiWindowLinux, TicksEvery40MillisecondsOnTheEditorThread) {
  TestWindowClient client(kEditorSize);
  auto window = OpenInTinyParent(client);
  ASSERT_TRUE(window);
  ASSERT_TRUE(client.WaitFor([&] { return client.ticks.size() >= 26; }, 3s));
  std::lock_guard lock(client.Mutex());
  std::vector<double> periodsMs;
  for (size_t i = 1; i < client.ticks.size(); ++i) {
    periodsMs.push_back(
        std::chrono::duration<double, std::milli>(client.ticks[i] - client.ticks[i - 1]).count());
  }
  const double mean = std::accumulate(periodsMs.begin(), periodsMs.end(), 0.0) / periodsMs.size();
  std::printf("tick period: mean %.2f ms over %zu ticks\n", mean, periodsMs.size());
  EXPECT_NEAR(mean, 40.0, 4.0);
  for (const auto& id : client.threads) EXPECT_NE(id, std::this_thread::get_id());
}

TEST_F(GuiWindowLinux, MousePressMoveReleaseArriveInLogicalPixels) {
  struct Case {
    float scale;
    Size size;
  };
  for (const Case& c : {Case{1.0f, kEditorSize}, Case{2.0f, Size{400, 300}}}) {
    TestWindowClient client(c.size);
    auto window = OpenInTinyParent(client, c.scale, c.size);
    ASSERT_TRUE(window);
    ASSERT_TRUE(WaitForPixels(client, c.size));
    ASSERT_TRUE(Host().MovePointer({kParentOrigin.x + 120, kParentOrigin.y + 60}));
    ASSERT_TRUE(Host().Button(1, true));
    ASSERT_TRUE(Host().MovePointer({kParentOrigin.x + 150, kParentOrigin.y + 80}));
    ASSERT_TRUE(Host().Button(1, false));
    ASSERT_TRUE(client.WaitFor([&] { return CountMice(client, MouseAction::kUp) == 1; }));
    std::lock_guard lock(client.Mutex());
    std::vector<RecordedMouse> mice;
    for (const auto& m : client.mice) {
      if (m.action != MouseAction::kMove || !mice.empty()) mice.push_back(m);
    }
    ASSERT_EQ(mice.size(), 3u) << "scale " << c.scale;
    EXPECT_EQ(mice[0].action, MouseAction::kDown);
    EXPECT_EQ(mice[0].event.button, MouseButton::kLeft);
    EXPECT_EQ(mice[0].event.position, (Point{int(120 / c.scale), int(60 / c.scale)}));
    EXPECT_EQ(mice[0].event.clickCount, 1);
    EXPECT_EQ(mice[1].action, MouseAction::kMove);
    EXPECT_EQ(mice[1].event.button, MouseButton::kLeft);  // dragging
    EXPECT_EQ(mice[1].event.position, (Point{int(150 / c.scale), int(80 / c.scale)}));
    EXPECT_EQ(mice[2].action, MouseAction::kUp);
    EXPECT_EQ(mice[2].event.position, (Point{int(150 / c.scale), int(80 / c.scale)}));
    window.reset();
    ASSERT_TRUE(Host().Destroy(parent_));
  }
}

TEST_F(GuiWindowLinux, RightMiddleWheelAndDoubleClick) {
  TestWindowClient client(kEditorSize);
  auto window = OpenInTinyParent(client);
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitForPixels(client, kEditorSize));
  Click({200, 100}, 3);
  Click({200, 100}, 2);
  Click({200, 100}, 4);
  Click({200, 100}, 5);
  // Wait past the double-click time, then a quick pair.
  std::this_thread::sleep_for(450ms);
  Click({300, 100}, 1);
  Click({301, 101}, 1);
  ASSERT_TRUE(client.WaitFor([&] { return CountMice(client, MouseAction::kUp) == 4; }));
  std::lock_guard lock(client.Mutex());
  std::vector<RecordedMouse> downs;
  std::vector<float> wheel;
  for (const auto& m : client.mice) {
    if (m.action == MouseAction::kDown) downs.push_back(m);
    if (m.action == MouseAction::kWheel) wheel.push_back(m.event.wheelDelta);
  }
  ASSERT_EQ(downs.size(), 4u);
  EXPECT_EQ(downs[0].event.button, MouseButton::kRight);
  EXPECT_EQ(downs[1].event.button, MouseButton::kMiddle);
  EXPECT_EQ(downs[1].event.clickCount, 1);  // not the right button's double click
  EXPECT_EQ(downs[2].event.button, MouseButton::kLeft);
  EXPECT_EQ(downs[2].event.clickCount, 1);
  EXPECT_EQ(downs[3].event.clickCount, 2);
  EXPECT_EQ(wheel, (std::vector<float>{1.0f, -1.0f}));
}

TEST_F(GuiWindowLinux, PointerLeavingIsReported) {
  TestWindowClient client(kEditorSize);
  auto window = OpenInTinyParent(client);
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitForPixels(client, kEditorSize));
  ASSERT_TRUE(Host().MovePointer({kParentOrigin.x + 10, kParentOrigin.y + 10}));
  ASSERT_TRUE(Host().MovePointer({1200, 780}));
  EXPECT_TRUE(client.WaitFor([&] { return CountMice(client, MouseAction::kLeave) == 1; }));
}

TEST_F(GuiWindowLinux, KeysOfTheFocusedWindowAndFocusLoss) {
  TestWindowClient client(kEditorSize);
  auto window = OpenInTinyParent(client);
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitForPixels(client, kEditorSize));
  // Carla gives the plug-in's window the focus itself.
  ASSERT_TRUE(Host().Focus(child_));
  const uint32_t kShift = 0xffe1;
  const uint32_t kReturn = 0xff0d;
  for (const auto& [keysym, press] : std::vector<std::pair<uint32_t, bool>>{{'a', true},
                                                                            {'a', false},
                                                                            {kShift, true},
                                                                            {'a', true},
                                                                            {'a', false},
                                                                            {kShift, false},
                                                                            {kReturn, true},
                                                                            {kReturn, false}}) {
    ASSERT_TRUE(Host().Key(keysym, press)) << keysym;
  }
  ASSERT_TRUE(client.WaitFor([&] { return client.keys.size() >= 6; }));
  ASSERT_TRUE(Host().Focus(Host().Root()));
  EXPECT_TRUE(client.WaitFor([&] { return client.focusLosses >= 1; }));
  std::lock_guard lock(client.Mutex());
  ASSERT_EQ(client.keys.size(), 6u);  // Shift alone is no key of the toolkit
  EXPECT_EQ(client.keys[0].event.text, "a");
  EXPECT_TRUE(client.keys[0].down);
  EXPECT_FALSE(client.keys[1].down);
  EXPECT_EQ(client.keys[2].event.text, "A");
  EXPECT_EQ(client.keys[2].event.modifiers, uint32_t(kModShift));
  EXPECT_EQ(client.keys[4].event.key, Key::kReturn);
  EXPECT_EQ(client.keys[4].event.modifiers, 0u);
}

// A host that neither focuses the plug-in's window nor forwards keys: the window takes the focus
// while a text field wants keys, and hands it back to the parent after.
TEST_F(GuiWindowLinux, TakesTheKeyboardFocusForTypingAndHandsItBack) {
  TestWindowClient client(kEditorSize);
  auto window = OpenInTinyParent(client);
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitForPixels(client, kEditorSize));
  ASSERT_TRUE(Host().Focus(parent_));
  ASSERT_TRUE(window->TakeKeyboardFocus());
  EXPECT_EQ(Host().FocusedWindow(), child_);
  ASSERT_TRUE(Host().Key('q', true));
  ASSERT_TRUE(Host().Key('q', false));
  ASSERT_TRUE(client.WaitFor([&] { return client.keys.size() >= 2; }));
  {
    std::lock_guard lock(client.Mutex());
    EXPECT_EQ(client.keys[0].event.text, "q");
  }
  window->ReturnKeyboardFocus();
  EXPECT_EQ(Host().FocusedWindow(), parent_);
}

TEST_F(GuiWindowLinux, ForwardedHostKeysRunOnTheEditorThreadAndAnswer) {
  TestWindowClient client(kEditorSize);
  auto window = OpenInTinyParent(client);
  ASSERT_TRUE(window);
  ASSERT_TRUE(client.WaitFor([&] { return !client.ticks.empty(); }));
  KeyEvent character{Key::kCharacter, "x", 0};
  KeyEvent escape{Key::kEscape, "", 0};
  EXPECT_TRUE(window->ForwardHostKey(character, true));
  EXPECT_FALSE(window->ForwardHostKey(escape, true));
  std::lock_guard lock(client.Mutex());
  ASSERT_EQ(client.keys.size(), 2u);
  EXPECT_EQ(client.keys[0].event.text, "x");
  EXPECT_EQ(client.keys[1].event.key, Key::kEscape);
  for (const auto& id : client.threads) EXPECT_NE(id, std::this_thread::get_id());
}

TEST_F(GuiWindowLinux, NoRenderingWhileTheParentIsUnmapped) {
  TestWindowClient client(kEditorSize);
  auto window = OpenInTinyParent(client);
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitForPixels(client, kEditorSize));
  ASSERT_TRUE(Host().Map(parent_, false));
  const int rendersBefore = client.Change({10, 10, 100, 100}, 7);
  window->RequestRedraw();
  const size_t ticksNow = client.TickCount();
  ASSERT_TRUE(client.WaitFor([&] { return client.ticks.size() >= ticksNow + 5; }));
  {
    std::lock_guard lock(client.Mutex());
    EXPECT_EQ(client.renders, rendersBefore);
  }
  ASSERT_TRUE(Host().Map(parent_, true));
  ASSERT_TRUE(client.WaitForRenderAfter(rendersBefore));
  EXPECT_TRUE(WaitForPixels(client, kEditorSize));
}

TEST_F(GuiWindowLinux, ScreenOriginAndResize) {
  TestWindowClient client(kEditorSize);
  auto window = OpenInTinyParent(client);
  ASSERT_TRUE(window);
  ASSERT_TRUE(client.WaitFor([&] { return client.renders > 0; }));
  // ScreenOrigin and Resize belong to the GUI thread: the editor thread's tick.
  Point origin;
  bool resized = false;
  bool refused = false;
  std::atomic<bool> done{false};
  client.RunOnNextTick([&] {
    origin = window->ScreenOrigin();
    resized = window->Resize({500, 200});
    refused = !window->Resize({0, 10});
    done = true;
  });
  ASSERT_TRUE(client.WaitFor([&] { return done.load(); }));
  EXPECT_EQ(origin, kParentOrigin);
  EXPECT_TRUE(resized);
  EXPECT_EQ(Host().Geometry(child_), (Rect{0, 0, 500, 200}));
  EXPECT_TRUE(refused);
}

TEST_F(GuiWindowLinux, ShowsTheClientsCursorAndTheParentsAgain) {
  TestWindowClient client(kEditorSize);
  PixelImage cursor(16, 12);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 16; ++x) cursor.Row(y)[x] = PatternPixel(x, y, 3);
  }
  client.SetCursor(&cursor, {5, 4});
  // The server's own cursor, away from any window of the test.
  ASSERT_TRUE(Host().MovePointer({1270, 790}));
  const auto before = Host().CurrentCursor();
  auto window = OpenInTinyParent(client);
  ASSERT_TRUE(window);
  ASSERT_TRUE(WaitForPixels(client, kEditorSize));
  ASSERT_TRUE(Host().MovePointer({kParentOrigin.x + 50, kParentOrigin.y + 50}));
  auto shownIsOurs = [&] {
    const auto shown = Host().CurrentCursor();
    return shown.size == Size{16, 12} && shown.hotSpot == Point{5, 4} &&
           shown.pixels == std::vector<uint32_t>(cursor.Data(), cursor.Data() + 16 * 12);
  };
  auto waitUntil = [](auto predicate) {
    for (int i = 0; i < 300 && !predicate(); ++i) std::this_thread::sleep_for(10ms);
    return predicate();
  };
  EXPECT_TRUE(waitUntil(shownIsOurs));
  client.SetCursor(nullptr, {});
  ASSERT_TRUE(Host().MovePointer({kParentOrigin.x + 60, kParentOrigin.y + 50}));
  EXPECT_TRUE(waitUntil([&] {
    const auto shown = Host().CurrentCursor();
    return shown.size == before.size && shown.pixels == before.pixels;
  }));
}

TEST_F(GuiWindowLinux, TwoHundredOpenCloseCyclesLeaveNothingBehind) {
  const auto cycle = [&](TestWindowClient& client, xcb_window_t parent) {
    std::string error;
    auto window = OpenWindow(parent, kEditorSize, 1.0f, client, error);
    ASSERT_TRUE(window) << error;
  };
  const xcb_window_t parent = Host().CreateParent({0, 0, kEditorSize.width, kEditorSize.height});
  ASSERT_NE(parent, 0u);
  TestWindowClient client(kEditorSize);
  cycle(client, parent);  // the first open loads what stays loaded (libraries, locale)
  const int descriptors = OpenDescriptorCount();
  const int threads = ThreadCount();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 200; ++i) cycle(client, parent);
  const double msPerCycle =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() /
      200.0;
  std::printf("open+close: %.2f ms per cycle; fds %d -> %d, threads %d -> %d\n", msPerCycle,
              descriptors, OpenDescriptorCount(), threads, ThreadCount());
  EXPECT_EQ(OpenDescriptorCount(), descriptors);
  EXPECT_EQ(ThreadCount(), threads);
  EXPECT_TRUE(Host().Children(parent).empty());
}

TEST_F(GuiWindowLinux, ParentDestroyedBeforeCloseWhileAnimating) {
  for (int run = 0; run < 20; ++run) {
    TestWindowClient client(kEditorSize);
    auto window = OpenInTinyParent(client);
    ASSERT_TRUE(window);
    client.SetRedrawEveryTick(window.get());
    client.Change({0, 0, kEditorSize.width, kEditorSize.height}, uint32_t(run));
    window->RequestRedraw();
    if (run % 2) std::this_thread::sleep_for(std::chrono::milliseconds(run * 5));
    // Ardour's close: the parent goes, then the editor is closed.
    ASSERT_TRUE(Host().Destroy(parent_));
    window->RequestRedraw();
    const size_t ticksNow = client.TickCount();
    ASSERT_TRUE(client.WaitFor([&] { return client.ticks.size() >= ticksNow + 2; }));
    client.SetRedrawEveryTick(nullptr);
    window.reset();
  }
}

TEST_F(GuiWindowLinux, RefusesWithAReasonAndLeavesNothingBehind) {
  TestWindowClient client(kEditorSize);
  const xcb_window_t parent = Host().CreateParent({0, 0, 10, 10});
  std::string display = std::getenv("DISPLAY");
  struct Case {
    const char* name;
    uintptr_t parent;
    const char* display;
    Size size;
  };
  const Case cases[] = {
      {"a window that does not exist", Host().UnusedId(), display.c_str(), kEditorSize},
      {"no parent", 0, display.c_str(), kEditorSize},
      {"an empty size", parent, display.c_str(), {0, 438}},
      {"no X server", parent, ":4093", kEditorSize},
  };
  for (const Case& c : cases) {
    setenv("DISPLAY", c.display, 1);
    const int descriptors = OpenDescriptorCount();
    const int threads = ThreadCount();
    std::string error;
    auto window = OpenWindow(c.parent, c.size, 1.0f, client, error);
    EXPECT_FALSE(window) << c.name;
    EXPECT_FALSE(error.empty()) << c.name;
    EXPECT_EQ(OpenDescriptorCount(), descriptors) << c.name;
    EXPECT_EQ(ThreadCount(), threads) << c.name;
  }
  setenv("DISPLAY", display.c_str(), 1);
  EXPECT_TRUE(Host().Children(parent).empty());
}

}  // namespace
}  // namespace VGui::Platform::Testing
