// What the knob and fader tests share: a scratch resource folder with images of chosen sizes and
// colours, a mouse event builder, and a listener that records which handle each event reported
// before handing it on to the synth panel.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "editor/SmartControl.h"
#include "support/gui/Canvas.h"
#include "support/gui/Control.h"
#include "support/gui/PixelImage.h"

namespace SmartControlTestKit {

// A folder below the temp folder, removed with the object.
class ScratchResources {
 public:
  explicit ScratchResources(const std::string& tag)
      : path_(std::filesystem::temp_directory_path() /
              ("tavo-smart-" + tag + "-" +
               std::to_string(::testing::UnitTest::GetInstance()->random_seed()))) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchResources() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& Path() const { return path_; }

  // Writes a PNG of one premultiplied colour at the relative path.
  void WriteImage(const std::string& relative, int width, int height, uint32_t colour) const {
    VGui::PixelImage image(width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) image.Row(y)[x] = colour;
    }
    Write(relative, image);
  }
  void Write(const std::string& relative, const VGui::PixelImage& image) const {
    const std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    const std::vector<uint8_t> bytes = VGui::EncodePng(image);
    ASSERT_FALSE(bytes.empty()) << relative;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }

 private:
  std::filesystem::path path_;
};

inline VGui::MouseEvent Mouse(VGui::Point at, uint32_t modifiers = 0,
                              VGui::MouseButton button = VGui::MouseButton::kLeft) {
  VGui::MouseEvent e;
  e.position = at;
  e.button = button;
  e.modifiers = modifiers;
  return e;
}

// Records the handle a smart control reports with each event, then hands the event on.
class HandleSpy : public VGui::ICtrlListener {
 public:
  explicit HandleSpy(VGui::ICtrlListener* next) : next_(next) {}
  void ControlEvent(VGui::Ctrl& control, VGui::ControlEventKind kind) override {
    using Kind = VGui::ControlEventKind;
    if (kind == Kind::kBeginGesture || kind == Kind::kValueChanged || kind == Kind::kEndGesture) {
      handles.push_back(dynamic_cast<SmartControl&>(control).ActiveHandle());
    }
    if (next_) next_->ControlEvent(control, kind);
  }
  std::vector<int32_t> handles;

 private:
  VGui::ICtrlListener* next_;
};

}  // namespace SmartControlTestKit
