// What the editor shell's tests share: a plug-in with a recording host, a small resource folder
// of skins written for the test, the run-time log read back, and the toolkit's own dialog panels
// answered like a user would.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "editor/EditorControlClasses.h"
#include "plugin/Norv.h"
#include "support/Log.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/Dialogs.h"
#include "support/gui/ModalPanels.h"

namespace shelltest {

struct HostCallRecord {
  int32_t opcode;
  int32_t index;
  float value;
  vst::VstIntPtr integer = 0;  // the call's integer value (the height of a size request)
};

inline std::vector<HostCallRecord>& HostCalls() {
  static std::vector<HostCallRecord> calls;
  return calls;
}

// What the recording host answers audioMasterSizeWindow (0: it refuses, as by default).
inline vst::VstIntPtr& SizeWindowAnswer() {
  static vst::VstIntPtr answer = 0;
  return answer;
}

inline vst::VstIntPtr RecordingHost(vst::AEffect*, int32_t opcode, int32_t index,
                                    vst::VstIntPtr value, void*, float opt) {
  HostCalls().push_back({opcode, index, opt, value});
  if (opcode == vst::audioMasterSizeWindow) return SizeWindowAnswer();
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

inline int CountCalls(int32_t opcode) {
  int count = 0;
  for (const HostCallRecord& call : HostCalls()) count += call.opcode == opcode ? 1 : 0;
  return count;
}

inline void WriteFile(const std::filesystem::path& file, const std::string& text) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out << text;
}

inline std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A fresh folder below the system's temporary folder, removed with the object.
class TempFolder {
 public:
  TempFolder() {
    static const unsigned run = std::random_device{}();
    static int serial = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("tavo-shell-" + std::to_string(run) + "-" + std::to_string(++serial));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The skins the shell needs, small enough to read at a glance: the root layout with the synth
// panel (holding only the XY controller panel), the preset placeholder and the utility strip.
inline void WriteTestSkins(const std::filesystem::path& resources) {
  WriteFile(resources / "GlobalStyles.skin", R"(<skin>
  <colour name="LearnOverlayColour" value="#FF800040"/>
  <colour name="LearnTargetColour" value="#FF000080"/>
  <style name="ModalPanelBackgroundStyle" background="#202428"/>
  <style name="ModalTitleLabelStyle" text="#FFFFFF"/>
</skin>)");
  WriteFile(resources / "RootSkin.skin", R"(<skin>
  <control class="SynthEditor" name="SynthEditor" rect="0 0 962 400"/>
  <panel name="PresetPanel" rect="300 405 300 28"/>
  <control class="UtilityControlsPanel" name="UtilityControls" rect="620 405 330 28"/>
  <control class="CtrlLabel" name="FrameRateLabel" rect="5 405 60 28"/>
</skin>)");
  WriteFile(resources / "Synth" / "SynthControls.skin", R"(<skin>
  <panel name="XYControllerPanel" rect="700 200 150 150">
    <panel name="XYPad" rect="10 10 130 130"/>
  </panel>
</skin>)");
  WriteFile(resources / "Global" / "UtilityControls.skin", R"(<skin>
  <control class="CtrlButton" name="NorvButton" rect="0 0 80 28" text="Tavo"/>
  <control class="CtrlButton" name="SaveDefaultButton" rect="90 0 60 28" text="Save"/>
  <control class="CtrlButton" name="ClearDefaultButton" rect="160 0 60 28" text="Clear"/>
  <control class="CtrlButton" name="MIDIClearButton" rect="230 0 60 28" text="Learn"/>
</skin>)");
  WriteFile(resources / "About" / "AboutPanel.skin", R"(<skin>
  <control class="CtrlLabel" name="VersionLabel" rect="10 10 260 20"/>
  <control class="CtrlLabel" name="DateLabel" rect="10 40 260 20"/>
</skin>)");
}

// Lines logged between construction and Text(); starts and stops the run-time log.
class LogCapture {
 public:
  LogCapture() {
    VFoundation::RuntimeLog::Start();
    VFoundation::RuntimeLog::Flush();
    start_ = ReadFile(VFoundation::RuntimeLog::FilePath()).size();
  }
  ~LogCapture() { VFoundation::RuntimeLog::Stop(); }
  std::string Text() const {
    VFoundation::RuntimeLog::Flush();
    const std::string all = ReadFile(VFoundation::RuntimeLog::FilePath());
    return all.size() > start_ ? all.substr(start_) : std::string();
  }

 private:
  size_t start_ = 0;
};

// The toolkit's question panel the root shows (the newest one), or null.
inline VGui::MessagePanel* OpenQuestion(VGui::CtrlRoot& root) {
  VGui::MessagePanel* found = nullptr;
  for (const auto& child : root.Children()) {
    if (auto* panel = dynamic_cast<VGui::MessagePanel*>(child.get())) found = panel;
  }
  return found;
}

inline std::string JoinedLines(const VGui::MessagePanel& panel) {
  std::string text;
  for (const std::string& line : panel.Lines()) text += (text.empty() ? "" : " ") + line;
  return text;
}

// Every test runs with the toolkit's own dialogs (no OS dialog programs) unless it records them,
// and with the editor's classes registered.
class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterEditorControlClasses();
    previousDialogs_ = VGui::Dialogs::SetNativeDialogs({});
    HostCalls().clear();
    SizeWindowAnswer() = 0;
    plugin_ = std::make_unique<Norv>(RecordingHost);
    plugin_->setSampleRate(44100.0f);
    plugin_->setBlockSize(256);
    HostCalls().clear();
  }
  void TearDown() override {
    plugin_.reset();
    VGui::Dialogs::SetNativeDialogs(std::move(previousDialogs_));
  }
  Norv& Plugin() { return *plugin_; }

  std::unique_ptr<Norv> plugin_;
  VGui::Dialogs::NativeDialogs previousDialogs_;
};

}  // namespace shelltest
