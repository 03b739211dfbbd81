// A view of the editor that works on the plug-in object: it is handed the plug-in once, after the
// skin created it, and reaches the engine only through the plug-in's message port. UI thread.
#pragma once

class Norv;

class EditorDelegateUser {
 public:
  virtual ~EditorDelegateUser() = default;

  // Connects the view to the plug-in (null disconnects); views override it to register their
  // message handlers and timers. UI thread
  virtual void SetEditorDelegate(Norv* plugin) { plugin_ = plugin; }
  Norv* EditorDelegate() const { return plugin_; }

 protected:
  Norv* plugin_ = nullptr;
};
