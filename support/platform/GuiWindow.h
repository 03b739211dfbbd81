// Seam between the GUI toolkit (support/gui) and the window system, one implementation per OS:
// support/platform/linux/GuiWindow.cpp (an X11 child window through XCB, on an editor thread of
// its own with a 40 ms timerfd) and support/platform/windows/GuiWindow.cpp (a child HWND with a
// 40 ms WM_TIMER on the host's GUI thread). Nothing outside support/gui includes it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "support/gui/Events.h"
#include "support/gui/Geometry.h"
#include "support/gui/PixelImage.h"

namespace VGui::Platform {

enum class MouseAction { kDown, kUp, kMove, kWheel, kLeave };

// What the window asks of the toolkit. Every call comes on the window's GUI thread: the editor
// thread on Linux, the host's GUI thread on Windows.
class WindowClient {
 public:
  virtual ~WindowClient() = default;
  // Every 40 ms while the window is open.
  virtual void OnTick() = 0;
  // Positions in logical pixels (the window divides device pixels by its scale).
  virtual void OnMouse(MouseAction action, const MouseEvent& event) = 0;
  // Answers whether the key was used.
  virtual bool OnKey(const KeyEvent& event, bool down) = 0;
  virtual void OnFocusLost() = 0;
  // Brings the frame up to date and answers it with the device-pixel rectangles that changed
  // since the last call (empty: nothing to present). The frame stays valid until the next call.
  virtual const PixelImage& RenderFrame(std::vector<Rect>& changed) = 0;
  // The cursor for the mouse's position: an image with its hot spot, or null for the arrow.
  virtual const PixelImage* CurrentCursor(Point& hotSpot) = 0;
};

class Window {
 public:
  // Closing: stops the timer (and the editor thread on Linux), destroys the child window with
  // checked requests, and releases the connection. The host's parent may already be gone.
  virtual ~Window() = default;
  // Asks for RenderFrame and a present soon. GUI thread
  virtual void RequestRedraw() = 0;
  // True when the window's GUI thread is the host's (Windows): calls to the host may be made
  // from the tick directly; otherwise they wait for the host's idle call. any thread
  virtual bool TicksOnHostThread() const = 0;
  // A key the host forwarded (effEditKeyDown/Up) from its own thread; delivered to OnKey on the
  // GUI thread. Answers whether the window took it. any thread
  virtual bool ForwardHostKey(const KeyEvent& event, bool down) = 0;
  // The window's top-left corner on the screen in device pixels (pop-ups of the OS). GUI thread
  virtual Point ScreenOrigin() = 0;
  // New device-pixel size (zoom). GUI thread
  virtual bool Resize(Size pixels) = 0;
  // New device-pixel size and scale together (a zoom change): mouse positions are divided by the
  // new scale from then on. false, with size and scale unchanged, when the window system
  // refuses. GUI thread
  virtual bool Rescale(Size pixels, float scale) = 0;
  // Asks the window system for the keyboard focus, so that typing reaches a text field even in a
  // host that neither gives the window focus nor forwards its keys; false when refused. GUI thread
  virtual bool TakeKeyboardFocus() = 0;
  // Hands the keyboard focus back to the host's parent window when this window holds it, so
  // that the host's own key commands work again once the typing is done. GUI thread
  virtual void ReturnKeyboardFocus() = 0;
};

// Creates the child window of the host's parent window (an X11 Window id, or an HWND) with the
// device-pixel size. Null, with the reason in error, when the parent does not exist or the window
// system refuses; nothing is left behind then. Host's editor thread (effEditOpen)
std::unique_ptr<Window> OpenWindow(uintptr_t parent, Size pixels, float scale, WindowClient& client,
                                   std::string& error);

// --- Dialogs and the shell -----------------------------------------------------------------------
enum class QuestionAnswer { kYes, kNo, kUnavailable };
// A system-modal Yes/No box ("Confirm:" title) where the OS has one (Windows); kUnavailable on
// Linux, where the toolkit draws its own. GUI thread (blocks until answered)
QuestionAnswer AskNative(std::string_view title, std::string_view text);
// false when the OS has no native alert (the toolkit draws one). GUI thread (blocks)
bool AlertNative(std::string_view title, std::string_view text);

struct FileDialogRequest {
  bool save = false;
  std::string title;
  std::string filterName;  // "Tavo preset files"
  std::string extension;   // "tavo"
  std::filesystem::path folder;
  std::string fileName;  // suggested name for a save
  // Who asked (the editor's root): its answer goes only to that owner's ticks, whichever thread
  // runs them after the editor closed and opened again.
  const void* owner = nullptr;
};
enum class FileDialogOutcome { kChosen, kCancelled, kUnavailable };
// A file dialog of the OS (comdlg32; zenity or kdialog on Linux when installed). The answer comes
// through done on the GUI thread, possibly from a later tick: kUnavailable when there is no
// dialog program, so the toolkit shows its own file list. GUI thread
void ChooseFileNative(const FileDialogRequest& request,
                      std::function<void(FileDialogOutcome, const std::filesystem::path&)> done);
// Called every tick on Linux to deliver the owner's answers of dialogs that run in a child process.
// GUI thread
void PollNativeDialogs(const void* owner);
// The owner goes away: its dialogs still open are closed and will never answer. GUI thread
void ForgetNativeDialogs(const void* owner);

// Opens a file or a web address with the user's default program. false on failure. GUI thread
bool OpenWithShell(std::string_view fileOrUrl);

}  // namespace VGui::Platform
