// The toolkit's own file chooser for systems without a dialog program: the current folder's
// sub-folders and the files with the wanted extension in a scrolling list, a name field (typed for
// saving, filled by a click for opening), OK and Cancel. Double click enters a folder or chooses a
// file; ".." goes up. UI thread.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/gui/Control.h"
#include "support/platform/GuiWindow.h"

namespace VGui {

class FileListPanel : public Ctrl {
 public:
  static constexpr const char* kClassName = "FileListPanel";
  const char* ClassName() const override { return kClassName; }
  static constexpr int kWidth = 440;
  static constexpr int kHeight = 330;
  static constexpr int kRowHeight = 18;

  struct Entry {
    std::string name;
    bool folder = false;
  };
  using Done = std::function<void(bool chosen, const std::filesystem::path& file)>;

  FileListPanel(const Platform::FileDialogRequest& request, Done done);

  // --- State, for the panel's drawing and for tests ------------------------------------------
  const std::filesystem::path& Folder() const { return folder_; }
  const std::vector<Entry>& Entries() const { return entries_; }
  const std::string& FileName() const { return fileName_; }
  int Selected() const { return selected_; }

  // --- What the mouse and keys do -----------------------------------------------------------
  void EnterFolder(const std::filesystem::path& folder);
  // Selects an entry; a file's name goes into the name field.
  void Select(int index);
  // Enters the folder or chooses the file of an entry.
  void Open(int index);
  // OK: chooses the named file (the extension added when saving); a folder name enters it.
  void Accept();
  void Cancel();

  Rect ListRect() const;
  Rect RowRect(int index) const;  // local; empty when scrolled out of view
  Rect OkRect() const;
  Rect CancelRect() const;

  void Draw(Canvas& canvas) override;
  bool OnMouseDown(const MouseEvent& e) override;
  bool OnMouseUp(const MouseEvent& e) override;
  bool OnDoubleClick(const MouseEvent& e) override;
  bool OnMouseWheel(const MouseEvent& e) override;
  bool OnKeyDown(const KeyEvent& e) override;
  bool AcceptsFocus() const override { return true; }

 private:
  void Finish(bool chosen, const std::filesystem::path& file);
  int RowAt(Point p) const;
  int VisibleRows() const;
  void ScrollTo(int index);

  Platform::FileDialogRequest request_;
  Done done_;
  std::filesystem::path folder_;
  std::vector<Entry> entries_;
  std::string fileName_;
  int selected_ = -1;
  int firstRow_ = 0;
  int pressedButton_ = -1;  // 0 OK, 1 Cancel
};

}  // namespace VGui
