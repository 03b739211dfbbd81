// GDI+ started on first use and shut down after its last user, never from DllMain (GdiplusStartup
// may create a thread and wait for it, which deadlocks under the loader lock). The editor window
// holds a session while it is open; every canvas holds one while it lives, so drawing without a
// window (tests, headless renders) works too. UI thread.
#pragma once

namespace VGui {

class GdiplusSession {
 public:
  // Starts GDI+ when no session is held; false (logged) when it cannot start, and then the
  // session is not held. UI thread
  static bool Acquire();
  // Ends a session taken by a successful Acquire; the last one shuts GDI+ down after dropping
  // the embedded fonts. UI thread
  static void Release();
  // Whether a session is held. UI thread
  static bool Running();

  // Holds a session for a scope.
  class Scope {
   public:
    Scope() : held_(Acquire()) {}
    ~Scope() {
      if (held_) Release();
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    bool Held() const { return held_; }

   private:
    bool held_;
  };
};

}  // namespace VGui
