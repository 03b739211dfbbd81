#include "support/gui/gdiplus/GdiplusSession.h"

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <mutex>

#include "support/Log.h"
#include "support/gui/gdiplus/GdiplusFonts.h"

namespace VGui {
namespace {

// Two plug-in instances may open editors on different threads in some hosts.
std::mutex& SessionMutex() {
  static std::mutex mutex;
  return mutex;
}
int users = 0;
ULONG_PTR token = 0;

}  // namespace

bool GdiplusSession::Acquire() {
  std::lock_guard<std::mutex> lock(SessionMutex());
  if (users == 0) {
    Gdiplus::GdiplusStartupInput input;
    const Gdiplus::Status status = Gdiplus::GdiplusStartup(&token, &input, nullptr);
    if (status != Gdiplus::Ok) {
      VFoundation::Log("GDI+ could not start (status %d)\n", int(status));
      return false;
    }
  }
  ++users;
  return true;
}

void GdiplusSession::Release() {
  std::lock_guard<std::mutex> lock(SessionMutex());
  if (users == 0) return;
  if (--users > 0) return;
  // GDI+ objects must all be gone before shutdown.
  GdiplusText::DropFonts();
  Gdiplus::GdiplusShutdown(token);
  token = 0;
}

bool GdiplusSession::Running() {
  std::lock_guard<std::mutex> lock(SessionMutex());
  return users > 0;
}

}  // namespace VGui
