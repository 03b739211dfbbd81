// What the synth panel's tests share: the editor's classes registered, a plug-in whose host calls
// are recorded, and the root skin loaded headless onto a plain toolkit root (no window, no
// editor shell), with the synth panel connected to the plug-in.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "editor/EditorControlClasses.h"
#include "editor/SynthEditor.h"
#include "plugin/Message.h"
#include "plugin/MessagePort.h"
#include "plugin/Norv.h"
#include "support/gui/CtrlRoot.h"
#include "support/gui/SkinLoader.h"
#include "support/gui/SkinSet.h"
#include "support/gui/controls/CtrlPanel.h"

namespace PanelTestKit {

inline std::filesystem::path SourceResources() {
  return std::filesystem::path(TAVO_SOURCE_DIR) / "Resources";
}

struct HostCall {
  int32_t opcode;
  int32_t index;
  float value;
};

inline std::vector<HostCall>& HostCalls() {
  static std::vector<HostCall> calls;
  return calls;
}

// Runs inside every host callback, before the call is recorded (a test may flush queues there).
inline std::function<void(int32_t opcode)>& BeforeHostCall() {
  static std::function<void(int32_t)> hook;
  return hook;
}

inline vst::VstIntPtr RecordingHost(vst::AEffect*, int32_t opcode, int32_t index, vst::VstIntPtr,
                                    void*, float opt) {
  if (BeforeHostCall()) BeforeHostCall()(opcode);
  HostCalls().push_back({opcode, index, opt});
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

// Records what reaches the engine, in order, as the engine itself sees it.
class SynthRecorder : public IMessageHandler {
 public:
  struct Seen {
    MessageType type;
    MessageValue values[3];
  };
  void HandleMessage(Message& message) override {
    seen.push_back({message.Type(), {message.Value(0), message.Value(1), message.Value(2)}});
  }
  std::vector<Seen> OfType(MessageType type) const {
    std::vector<Seen> found;
    for (const Seen& s : seen) {
      if (s.type == type) found.push_back(s);
    }
    return found;
  }
  std::vector<Seen> seen;
};

// The root skin on a headless root, the synth panel connected to a plug-in.
class EditorTree {
 public:
  explicit EditorTree(const std::filesystem::path& resources = SourceResources()) {
    HostCalls().clear();
    BeforeHostCall() = nullptr;
    RegisterEditorControlClasses();
    plugin = std::make_unique<Norv>(RecordingHost);
    plugin->setSampleRate(44100.0f);
    plugin->Port().RegisterSynthHandler(kMessageClass, &recorder);
    root.SetBounds({0, 0, 962, 438});
    root.Skins().SetResourceFolder(resources);
    VGui::LoadStyles("GlobalStyles.skin", root.Skins(), &stylesReport);
    auto main = std::make_unique<VGui::CtrlPanel>();
    main->SetBounds({0, 0, 962, 438});
    mainPanel = root.AddChild(std::move(main));
    rootLoaded = VGui::LoadSkin(*mainPanel, "RootSkin.skin", root.Skins(), &rootReport);
    synth = dynamic_cast<SynthEditor*>(mainPanel->FindDescendant("SynthEditor"));
    if (synth) {
      synth->SetSleeper([this](std::chrono::milliseconds) {
        ++sleeps;
        if (acknowledgeLock) plugin->Port().ProcessSynthMessages();
      });
      synth->SetEditorDelegate(plugin.get());
    }
    HostCalls().clear();
  }
  ~EditorTree() {
    BeforeHostCall() = nullptr;
    if (synth) synth->SetEditorDelegate(nullptr);
    root.RemoveAllChildren();
    if (plugin) plugin->Port().UnregisterSynthHandler(&recorder);
  }

  // Delivers what the editor posted to the engine (recorded, then handled by the plug-in).
  void RunEngine() { plugin->Port().ProcessSynthMessages(); }

  VGui::Ctrl& Control(const char* name) {
    VGui::Ctrl* control = synth ? synth->BoundControl(name) : nullptr;
    EXPECT_NE(control, nullptr) << name;
    return *control;
  }

  std::unique_ptr<Norv> plugin;
  SynthRecorder recorder;
  VGui::CtrlRoot root;
  VGui::Ctrl* mainPanel = nullptr;
  SynthEditor* synth = nullptr;
  VGui::SkinLoadReport stylesReport;
  VGui::SkinLoadReport rootReport;
  bool rootLoaded = false;
  bool acknowledgeLock = false;
  int sleeps = 0;
};

}  // namespace PanelTestKit
