// The toolkit-drawn file chooser.
#include "support/gui/FileListPanel.h"

#include <algorithm>
#include <system_error>

#include "support/gui/CtrlRoot.h"
#include "support/gui/ModalPanels.h"

namespace VGui {
namespace {

using namespace DialogDrawing;

constexpr int kFolderLine = kTitleHeight + 4;  // the current folder's path
constexpr int kListTop = kFolderLine + 20;
constexpr int kNameHeight = 24;
constexpr const char* kUp = "..";

bool HasExtension(const std::filesystem::path& path, const std::string& extension) {
  if (extension.empty()) return true;
  std::string wanted = "." + extension;
  std::string actual = path.extension().string();
  std::transform(wanted.begin(), wanted.end(), wanted.begin(), ::tolower);
  std::transform(actual.begin(), actual.end(), actual.begin(), ::tolower);
  return actual == wanted;
}

}  // namespace

FileListPanel::FileListPanel(const Platform::FileDialogRequest& request, Done done)
    : request_(request), done_(std::move(done)) {
  SetBounds({0, 0, kWidth, kHeight});
  SetName(request_.title);
  fileName_ = request_.save ? request_.fileName : std::string();
  std::error_code error;
  std::filesystem::path start = request_.folder;
  if (start.empty() || !std::filesystem::is_directory(start, error)) {
    start = std::filesystem::current_path(error);
  }
  EnterFolder(start);
}

void FileListPanel::EnterFolder(const std::filesystem::path& folder) {
  folder_ = folder.lexically_normal();
  entries_.clear();
  selected_ = -1;
  firstRow_ = 0;
  if (folder_.has_parent_path() && folder_.parent_path() != folder_)
    entries_.push_back({kUp, true});
  std::vector<Entry> folders, files;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end;
       it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    std::error_code kindError;
    if (it->is_directory(kindError)) {
      folders.push_back({name, true});
    } else if (HasExtension(it->path(), request_.extension)) {
      files.push_back({name, false});
    }
  }
  const auto byName = [](const Entry& a, const Entry& b) { return a.name < b.name; };
  std::sort(folders.begin(), folders.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  entries_.insert(entries_.end(), folders.begin(), folders.end());
  entries_.insert(entries_.end(), files.begin(), files.end());
  Invalidate();
}

void FileListPanel::Select(int index) {
  if (index < 0 || index >= int(entries_.size())) return;
  selected_ = index;
  if (!entries_[size_t(index)].folder) fileName_ = entries_[size_t(index)].name;
  ScrollTo(index);
  Invalidate();
}

void FileListPanel::Open(int index) {
  if (index < 0 || index >= int(entries_.size())) return;
  const Entry entry = entries_[size_t(index)];
  if (entry.name == kUp) return EnterFolder(folder_.parent_path());
  if (entry.folder) return EnterFolder(folder_ / entry.name);
  fileName_ = entry.name;
  Accept();
}

void FileListPanel::Accept() {
  if (fileName_.empty()) return;
  std::filesystem::path file = folder_ / fileName_;
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) return EnterFolder(file);
  if (request_.save) {
    if (!HasExtension(file, request_.extension)) file += "." + request_.extension;
    return Finish(true, file);
  }
  if (std::filesystem::is_regular_file(file, error)) Finish(true, file);
}

void FileListPanel::Cancel() {
  Finish(false, {});
}

void FileListPanel::Finish(bool chosen, const std::filesystem::path& file) {
  auto done = std::move(done_);
  done_ = nullptr;
  const std::filesystem::path answer = file;  // `file` may refer to this panel's state
  if (CtrlRoot* root = Root()) root->CloseModal(this);
  if (done) done(chosen, answer);
}

// --- Layout
// ----------------------------------------------------------------------------------------

Rect FileListPanel::ListRect() const {
  const int bottom = kHeight - kMargin - kButtonHeight - 8 - kNameHeight - 8;
  return {kMargin, kListTop, kWidth - 2 * kMargin, bottom - kListTop};
}

int FileListPanel::VisibleRows() const {
  return std::max(1, ListRect().height / kRowHeight);
}

Rect FileListPanel::RowRect(int index) const {
  const int row = index - firstRow_;
  if (row < 0 || row >= VisibleRows() || index >= int(entries_.size())) return {};
  const Rect list = ListRect();
  return {list.x, list.y + row * kRowHeight, list.width, kRowHeight};
}

Rect FileListPanel::OkRect() const {
  return {kWidth - kMargin - 2 * kButtonWidth - 8, kHeight - kMargin - kButtonHeight, kButtonWidth,
          kButtonHeight};
}

Rect FileListPanel::CancelRect() const {
  return {kWidth - kMargin - kButtonWidth, kHeight - kMargin - kButtonHeight, kButtonWidth,
          kButtonHeight};
}

int FileListPanel::RowAt(Point p) const {
  for (int i = firstRow_; i < int(entries_.size()) && i < firstRow_ + VisibleRows(); ++i) {
    if (RowRect(i).Contains(p)) return i;
  }
  return -1;
}

void FileListPanel::ScrollTo(int index) {
  if (index < firstRow_) firstRow_ = index;
  if (index >= firstRow_ + VisibleRows()) firstRow_ = index - VisibleRows() + 1;
  firstRow_ = std::max(0, firstRow_);
}

// --- Drawing and input
// -------------------------------------------------------------------------------

void FileListPanel::Draw(Canvas& canvas) {
  const Style style = DialogStyle(*this);
  Frame(canvas, LocalBounds(), style, request_.title);
  const Font font{kTextSize, false};
  canvas.DrawText(folder_.generic_string(),
                  RectF(float(kMargin), float(kFolderLine), float(kWidth - 2 * kMargin), 18.0f),
                  font, style.disabled);
  const Rect list = ListRect();
  canvas.FillRect(list, style.hover.WithAlpha(120));
  for (int i = firstRow_; i < int(entries_.size()) && i < firstRow_ + VisibleRows(); ++i) {
    const Rect r = RowRect(i);
    if (i == selected_) canvas.FillRect(r, style.accent.WithAlpha(110));
    const Entry& entry = entries_[size_t(i)];
    const std::string text = entry.folder && entry.name != kUp ? entry.name + "/" : entry.name;
    canvas.DrawText(text, RectF(float(r.x + 6), float(r.y), float(r.width - 12), float(r.height)),
                    font, entry.folder ? style.accent : style.text);
  }
  const Rect name{kMargin, list.Bottom() + 8, kWidth - 2 * kMargin, kNameHeight};
  canvas.FillRect(name, style.hover);
  canvas.StrokeRoundedRect(name, 2.0f, 1.0f, style.border);
  canvas.DrawText(
      fileName_ + (request_.save ? "|" : ""),
      RectF(float(name.x + 6), float(name.y), float(name.width - 12), float(name.height)), font,
      style.text);
  Button(canvas, OkRect(), request_.save ? "Save" : "Open", style, pressedButton_ == 0, true);
  Button(canvas, CancelRect(), "Cancel", style, pressedButton_ == 1, false);
}

bool FileListPanel::OnMouseDown(const MouseEvent& e) {
  pressedButton_ = OkRect().Contains(e.position) ? 0 : CancelRect().Contains(e.position) ? 1 : -1;
  if (const int row = RowAt(e.position); row >= 0) Select(row);
  Invalidate();
  return true;
}

bool FileListPanel::OnMouseUp(const MouseEvent& e) {
  const int pressed = pressedButton_;
  pressedButton_ = -1;
  Invalidate();
  if (pressed == 0 && OkRect().Contains(e.position))
    Accept();
  else if (pressed == 1 && CancelRect().Contains(e.position))
    Cancel();
  return true;
}

bool FileListPanel::OnDoubleClick(const MouseEvent& e) {
  const int row = RowAt(e.position);
  if (row < 0) return false;
  Open(row);
  return true;
}

bool FileListPanel::OnMouseWheel(const MouseEvent& e) {
  const int maxFirst = std::max(0, int(entries_.size()) - VisibleRows());
  firstRow_ = std::clamp(firstRow_ - int(e.wheelDelta * 3.0f), 0, maxFirst);
  Invalidate();
  return true;
}

bool FileListPanel::OnKeyDown(const KeyEvent& e) {
  switch (e.key) {
    case Key::kEscape:
      Cancel();
      return true;
    case Key::kReturn:
      if (selected_ >= 0 && entries_[size_t(selected_)].folder)
        Open(selected_);
      else
        Accept();
      return true;
    case Key::kDown:
      Select(std::min(selected_ + 1, int(entries_.size()) - 1));
      return true;
    case Key::kUp:
      Select(std::max(selected_ - 1, 0));
      return true;
    case Key::kBackspace:
      if (!fileName_.empty()) {
        // Whole UTF-8 characters go, never half of one.
        size_t cut = fileName_.size() - 1;
        while (cut > 0 && (static_cast<unsigned char>(fileName_[cut]) & 0xC0) == 0x80) --cut;
        fileName_.erase(cut);
        Invalidate();
      }
      return true;
    case Key::kCharacter:
      if (e.text.find_first_of("/\\") == std::string::npos) fileName_ += e.text;
      Invalidate();
      return true;
    default:
      return false;
  }
}

}  // namespace VGui
