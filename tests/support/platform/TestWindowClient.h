// A WindowClient for the window tests: draws a pattern that differs in every pixel and records
// what the window calls, with the calling thread, for the test thread to wait on.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "support/platform/GuiWindow.h"

namespace VGui::Platform::Testing {

// Opaque, and different for neighbouring pixels in both directions and for every seed, so that a
// shifted, transposed or byte-swapped blit cannot pass.
inline uint32_t PatternPixel(int x, int y, uint32_t seed) {
  const uint32_t red = (uint32_t(x) * 7u + seed * 31u) & 0xffu;
  const uint32_t green = (uint32_t(y) * 5u + seed * 17u) & 0xffu;
  const uint32_t blue = (uint32_t(x + 3 * y) + seed * 101u) & 0xffu;
  return 0xff000000u | red << 16 | green << 8 | blue;
}

struct RecordedMouse {
  MouseAction action;
  MouseEvent event;
};

struct RecordedKey {
  KeyEvent event;
  bool down;
};

class TestWindowClient : public WindowClient {
 public:
  using Clock = std::chrono::steady_clock;

  explicit TestWindowClient(Size pixels) : frame_(pixels.width, pixels.height) {
    Paint({0, 0, pixels.width, pixels.height}, 0);
  }

  // Repaints the area with another seed for the next RenderFrame to report; answers the count of
  // renders so far (see WaitForRenderAfter). any thread
  int Change(const Rect& area, uint32_t seed) {
    std::lock_guard lock(mutex_);
    pending_.push_back({area, seed});
    return renders;
  }
  // Waits until a render after the one counted has run: the frame holds the changes then.
  bool WaitForRenderAfter(int count) {
    return WaitFor([&] { return renders > count; });
  }
  // Asks for a redraw from every tick (an animating editor). any thread
  void SetRedrawEveryTick(Window* window) {
    std::lock_guard lock(mutex_);
    animate_ = window;
  }
  // Runs the work in the next tick, on the window's GUI thread. any thread
  void RunOnNextTick(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    onTick_ = std::move(work);
  }
  void SetCursor(const PixelImage* image, Point hotSpot) {
    std::lock_guard lock(mutex_);
    cursor_ = image;
    hotSpot_ = hotSpot;
  }
  // Characters are used, named keys are not.
  bool KeyIsUsed(const KeyEvent& event) const { return event.key == Key::kCharacter; }

  // The pixel of the latest frame. any thread
  uint32_t ExpectedPixel(int x, int y) {
    std::lock_guard lock(mutex_);
    return frame_.At(x, y);
  }

  // Waits until the predicate over the client holds; false after the timeout. test thread
  bool WaitFor(const std::function<bool()>& predicate,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(3000)) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, predicate);
  }

  size_t TickCount() {
    std::lock_guard lock(mutex_);
    return ticks.size();
  }

  std::mutex& Mutex() { return mutex_; }
  // Read under Mutex() or inside WaitFor's predicate.
  std::vector<Clock::time_point> ticks;
  std::vector<RecordedMouse> mice;
  std::vector<RecordedKey> keys;
  std::vector<std::thread::id> threads;  // of every call
  int renders = 0;
  int focusLosses = 0;

  void OnTick() override {
    Window* animate = nullptr;
    std::function<void()> work;
    {
      std::lock_guard lock(mutex_);
      ticks.push_back(Clock::now());
      Note();
      animate = animate_;
      work = std::move(onTick_);
      onTick_ = nullptr;
    }
    if (animate) animate->RequestRedraw();
    if (work) work();
    changed_.notify_all();
  }
  void OnMouse(MouseAction action, const MouseEvent& event) override {
    Record([&] { mice.push_back({action, event}); });
  }
  bool OnKey(const KeyEvent& event, bool down) override {
    Record([&] { keys.push_back({event, down}); });
    return KeyIsUsed(event);
  }
  void OnFocusLost() override {
    Record([&] { ++focusLosses; });
  }
  const PixelImage& RenderFrame(std::vector<Rect>& changed) override {
    {
      std::lock_guard lock(mutex_);
      if (renders == 0) changed.push_back({0, 0, frame_.Width(), frame_.Height()});
      for (const auto& [area, seed] : pending_) {
        Paint(area, seed);
        changed.push_back(area);
      }
      pending_.clear();
      ++renders;
      Note();
    }
    changed_.notify_all();
    return frame_;
  }
  const PixelImage* CurrentCursor(Point& hotSpot) override {
    std::lock_guard lock(mutex_);
    hotSpot = hotSpot_;
    return cursor_;
  }

 private:
  struct Pending {
    Rect area;
    uint32_t seed;
  };

  template <class F>
  void Record(F&& record) {
    {
      std::lock_guard lock(mutex_);
      record();
      Note();
    }
    changed_.notify_all();
  }
  void Note() { threads.push_back(std::this_thread::get_id()); }
  void Paint(const Rect& area, uint32_t seed) {
    const Rect clipped = Intersection(area, {0, 0, frame_.Width(), frame_.Height()});
    for (int y = clipped.y; y < clipped.Bottom(); ++y) {
      for (int x = clipped.x; x < clipped.Right(); ++x) frame_.Row(y)[x] = PatternPixel(x, y, seed);
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  PixelImage frame_;
  std::vector<Pending> pending_;
  Window* animate_ = nullptr;
  std::function<void()> onTick_;
  const PixelImage* cursor_ = nullptr;
  Point hotSpot_;
};

}  // namespace VGui::Platform::Testing
