// A control tree in a window of the OS, and the headless render.
#include "support/gui/RootWindow.h"

#include <algorithm>
#include <cmath>

#include "support/gui/Canvas.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/Cursors.h"
#include "support/gui/Dialogs.h"

namespace VGui {
namespace {

// Whole device pixels covering the logical rectangle, so no edge pixel is left stale.
Rect DeviceRect(const Rect& r, float scale, const PixelImage& frame) {
  const int left = std::max(0, int(std::floor(float(r.x) * scale)));
  const int top = std::max(0, int(std::floor(float(r.y) * scale)));
  const int right = std::min(frame.Width(), int(std::ceil(float(r.Right()) * scale)));
  const int bottom = std::min(frame.Height(), int(std::ceil(float(r.Bottom()) * scale)));
  if (right <= left || bottom <= top) return {};
  return {left, top, right - left, bottom - top};
}

// Opaque black under the repaint, so that translucent drawing never blends with the last frame.
void ClearArea(PixelImage& frame, const Rect& device) {
  for (int y = device.y; y < device.Bottom(); ++y) {
    std::fill_n(frame.Row(y) + device.x, device.width, 0xFF000000u);
  }
}

}  // namespace

Size DeviceSize(Size logical, float scale) {
  return {int(std::lround(float(logical.width) * scale)),
          int(std::lround(float(logical.height) * scale))};
}

std::unique_ptr<RootWindow> RootWindow::Open(CtrlRoot& root, uintptr_t parent, Size logical,
                                             float scale, std::string& error) {
  auto window = std::make_unique<RootWindow>(root, logical, scale);
  // The window may call the client from its own thread as soon as it exists: the client is
  // complete before it opens.
  std::unique_ptr<Platform::Window> native =
      Platform::OpenWindow(parent, DeviceSize(logical, scale), scale, *window, error);
  if (!native) return nullptr;
  window->window_ = std::move(native);
  window->published_.store(window->window_.get(), std::memory_order_release);
  return window;
}

RootWindow::RootWindow(CtrlRoot& root, Size logical, float scale)
    : root_(root), logical_(logical), scale_(scale > 0.0f ? scale : 1.0f) {
  if (root_.Bounds().Empty()) root_.SetBounds({0, 0, logical.width, logical.height});
  root_.SetScale(scale_);
  root_.SetWindow(this);
}

RootWindow::~RootWindow() {
  // The window (and on Linux its thread) goes first, so no call reaches a half-destroyed client.
  published_.store(nullptr, std::memory_order_release);
  window_.reset();
  if (root_.Window() == this) root_.SetWindow(nullptr);
}

bool RootWindow::TakeKeyboardFocus() {
  Platform::Window* window = published_.load(std::memory_order_acquire);
  return window && window->TakeKeyboardFocus();
}

void RootWindow::ReturnKeyboardFocus() {
  if (Platform::Window* window = published_.load(std::memory_order_acquire)) {
    window->ReturnKeyboardFocus();
  }
}

bool RootWindow::Rescale(float scale) {
  if (!(scale > 0.0f)) return false;
  if (window_ && !window_->Rescale(DeviceSize(logical_, scale), scale)) return false;
  scale_ = scale;
  root_.SetScale(scale_);
  // The next frame is made at the new size and painted whole.
  firstFrame_ = true;
  RequestRedraw();
  return true;
}

void RootWindow::RequestRedraw() {
  if (Platform::Window* window = published_.load(std::memory_order_acquire)) {
    window->RequestRedraw();
  }
}

void RootWindow::OnTick() {
  root_.Tick();
  Dialogs::PollNative(root_);
  if (root_.HasInvalidRegion()) RequestRedraw();
}

void RootWindow::OnMouse(Platform::MouseAction action, const MouseEvent& event) {
  switch (action) {
    case Platform::MouseAction::kDown:
      root_.MouseDown(event);
      break;
    case Platform::MouseAction::kUp:
      root_.MouseUp(event);
      break;
    case Platform::MouseAction::kMove:
      root_.MouseMove(event);
      break;
    case Platform::MouseAction::kWheel:
      root_.MouseWheel(event);
      break;
    case Platform::MouseAction::kLeave:
      root_.MouseLeave();
      break;
  }
  if (root_.HasInvalidRegion()) RequestRedraw();
}

bool RootWindow::OnKey(const KeyEvent& event, bool down) {
  const bool used = down && root_.KeyDown(event);
  if (root_.HasInvalidRegion()) RequestRedraw();
  return used;
}

void RootWindow::OnFocusLost() {
  root_.FocusLost();
  if (root_.HasInvalidRegion()) RequestRedraw();
}

const PixelImage& RootWindow::RenderFrame(std::vector<Rect>& changed) {
  changed.clear();
  const Size device = DeviceSize(logical_, scale_);
  if (frame_.Width() != device.width || frame_.Height() != device.height) {
    frame_ = PixelImage(device.width, device.height);
    firstFrame_ = true;
  }
  if (!firstFrame_ && !root_.HasInvalidRegion()) return frame_;
  for (const Rect& r :
       firstFrame_ ? std::vector<Rect>{root_.LocalBounds()} : root_.InvalidRegion()) {
    const Rect d = DeviceRect(r, scale_, frame_);
    if (!d.Empty()) ClearArea(frame_, d);
  }
  auto canvas = MakeCanvas(frame_, scale_);
  if (!canvas) return frame_;
  const std::vector<Rect> painted = root_.PaintInvalid(*canvas, firstFrame_);
  canvas.reset();  // back ends may flush into the image when the canvas goes
  firstFrame_ = false;
  for (const Rect& r : painted) {
    const Rect d = DeviceRect(r, scale_, frame_);
    if (!d.Empty()) changed.push_back(d);
  }
  return frame_;
}

const PixelImage* RootWindow::CurrentCursor(Point& hotSpot) {
  const Cursor* cursor = root_.Cursors().Find(root_.CurrentCursorName());
  if (!cursor || cursor->image.Empty()) return nullptr;
  if (scale_ > 1.0f && cursor->image.dense) {
    hotSpot = {cursor->hotSpot.x * 2, cursor->hotSpot.y * 2};
    return cursor->image.dense.get();
  }
  hotSpot = cursor->hotSpot;
  return cursor->image.standard ? cursor->image.standard.get() : cursor->image.dense.get();
}

PixelImage RenderAll(CtrlRoot& root, float scale) {
  if (!(scale > 0.0f)) scale = 1.0f;
  const Size device = DeviceSize({root.Bounds().width, root.Bounds().height}, scale);
  PixelImage image(device.width, device.height);
  ClearArea(image, {0, 0, image.Width(), image.Height()});
  auto canvas = MakeCanvas(image, scale);
  if (canvas) root.PaintInvalid(*canvas, true);
  return image;
}

}  // namespace VGui
