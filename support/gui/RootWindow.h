// Joins a control tree to a window of the OS: the window's ticks, mouse and keys go to the root,
// and each frame paints what became invalid into one image kept at the window's pixel size. Also
// the headless render used for screenshots and tests. UI thread (the window's GUI thread).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/gui/Geometry.h"
#include "support/gui/PixelImage.h"
#include "support/platform/GuiWindow.h"

namespace VGui {

class CtrlRoot;

class RootWindow : public Platform::WindowClient {
 public:
  // Opens a child window of the native parent showing root at logical size times scale. Null,
  // with the reason in error, when the window system refuses. Host's editor thread
  static std::unique_ptr<RootWindow> Open(CtrlRoot& root, uintptr_t parent, Size logical,
                                          float scale, std::string& error);
  // Without an OS window: the same client, driven by a test or a headless renderer. UI thread
  RootWindow(CtrlRoot& root, Size logical, float scale);
  // Closes the window and detaches from the root. Host's editor thread
  ~RootWindow() override;
  RootWindow(const RootWindow&) = delete;
  RootWindow& operator=(const RootWindow&) = delete;

  // Asks the window for a frame soon (nothing headless). UI thread
  void RequestRedraw();
  // The OS keyboard focus for a text field, and back to the host after it (nothing headless).
  // UI thread
  bool TakeKeyboardFocus();
  void ReturnKeyboardFocus();
  // The OS window; null headless. UI thread
  Platform::Window* NativeWindow() const { return window_.get(); }
  CtrlRoot& Root() const { return root_; }
  float Scale() const { return scale_; }
  // A zoom change: the window's size and the drawing scale change together and everything is
  // painted again. false, with nothing changed, when the scale is not positive or the window
  // system refuses the size. The window's GUI thread
  bool Rescale(float scale);
  Size LogicalSize() const { return logical_; }

  // --- Platform::WindowClient (the window's GUI thread) ----------------------------------------
  void OnTick() override;
  void OnMouse(Platform::MouseAction action, const MouseEvent& event) override;
  bool OnKey(const KeyEvent& event, bool down) override;
  void OnFocusLost() override;
  const PixelImage& RenderFrame(std::vector<Rect>& changed) override;
  const PixelImage* CurrentCursor(Point& hotSpot) override;

 private:
  CtrlRoot& root_;
  Size logical_;
  float scale_;
  PixelImage frame_;
  bool firstFrame_ = true;
  std::unique_ptr<Platform::Window> window_;
  // The window as the client's own calls see it: set once the window exists and cleared before it
  // closes, since on Linux those calls come from the window's thread while Open still runs.
  std::atomic<Platform::Window*> published_{nullptr};
};

// The device-pixel size of a logical size at a scale (rounded to whole pixels). any thread
Size DeviceSize(Size logical, float scale);

// The whole tree painted at the scale into a new image of logical size times scale (the root's
// bounds give the logical size). UI thread
PixelImage RenderAll(CtrlRoot& root, float scale);

}  // namespace VGui
