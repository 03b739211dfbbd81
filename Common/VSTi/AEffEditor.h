// The plug-in's editor as the VST 2.4 dispatcher sees it: the rectangle, open with the host's
// parent window, close, idle and the keys some hosts forward. The plug-in owns one editor for
// its whole life; the dispatcher serializes these calls (hosts make them from different threads).
#pragma once

#include <cstdint>

#include "Common/VSTi/VstAbi.h"

namespace vst {

class AEffEditor {
 public:
  virtual ~AEffEditor() = default;
  // Stores a pointer to a rectangle the editor owns; valid until the next call. any host thread
  virtual bool getRect(ERect** rect) = 0;
  // parent: the host's window (an HWND, or an X11 Window id). false when the window cannot be made.
  virtual bool open(void* parent) = 0;
  virtual void close() = 0;
  // The host's idle call (effEditIdle); hosts differ in rate and thread, some never call it.
  virtual void idle() {}
  // effEditKeyDown/Up: character in index, virtual key in value, modifiers in opt. true when used.
  virtual bool onKeyDown(int32_t /*character*/, int32_t /*virtualKey*/, int32_t /*modifiers*/) {
    return false;
  }
  virtual bool onKeyUp(int32_t /*character*/, int32_t /*virtualKey*/, int32_t /*modifiers*/) {
    return false;
  }
  virtual bool isOpen() const = 0;
};

}  // namespace vst
