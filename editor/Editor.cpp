// The plug-in's editor: first-open building, every open, the tick, modal panels and host calls.
#include "editor/Editor.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "editor/PresetPanel.h"
#include "editor/UtilityControlsPanel.h"
#include "editor/XYPad.h"
#include "plugin/Norv.h"
#include "support/Log.h"
#include "support/Options.h"
#include "support/Paths.h"
#include "support/gui/Binding.h"
#include "support/gui/Cursors.h"
#include "support/gui/SkinLoader.h"
#include "support/gui/SkinSet.h"
#include "support/gui/controls/CtrlLabel.h"
#include "support/gui/controls/CtrlPanel.h"

namespace {

constexpr VGui::Size kLogicalSize{SynthEditorBase::kWidth, SynthEditorBase::kHeight};
constexpr double kFrameRateSeconds = 1.0;
// A modal panel's frame: 5 pixels each side, a 30-pixel title strip and 5 below the panel.
constexpr int kFrameSide = 5;
constexpr int kFrameTop = 29;
constexpr int kFrameExtraWidth = 10;
constexpr int kFrameExtraHeight = 35;
constexpr int kTitleHeight = 30;

std::filesystem::path ResourcesOf(const EditorOptions& options) {
  return options.resources.empty() ? VApplication::Paths::GetResourcesPath() : options.resources;
}

std::string HostText(bool (vst::AudioEffectX::*query)(char*) const, const Norv& plugin) {
  char text[256] = {};
  if (!(plugin.*query)(text)) return {};
  return text;
}

// The VST 2.4 virtual key codes hosts send with effEditKeyDown/Up.
VGui::Key KeyOfVirtualKey(int32_t virtualKey) {
  switch (virtualKey) {
    case 1:
      return VGui::Key::kBackspace;
    case 2:
      return VGui::Key::kTab;
    case 4:
    case 19:
      return VGui::Key::kReturn;
    case 6:
      return VGui::Key::kEscape;
    case 9:
      return VGui::Key::kEnd;
    case 10:
      return VGui::Key::kHome;
    case 11:
      return VGui::Key::kLeft;
    case 12:
      return VGui::Key::kUp;
    case 13:
      return VGui::Key::kRight;
    case 14:
      return VGui::Key::kDown;
    case 15:
      return VGui::Key::kPageUp;
    case 16:
      return VGui::Key::kPageDown;
    case 22:
      return VGui::Key::kDelete;
    default:
      return VGui::Key::kNone;
  }
}

VGui::KeyEvent KeyEventOf(int32_t character, int32_t virtualKey, int32_t modifiers) {
  VGui::KeyEvent event;
  event.key = KeyOfVirtualKey(virtualKey);
  if (event.key == VGui::Key::kNone && character >= 32 && character < 127) {
    event.key = VGui::Key::kCharacter;
    event.text = std::string(1, static_cast<char>(character));
  }
  // Shift 1, Alt 2, the PC's Ctrl 4 (the "command" modifier), the Mac's Ctrl 8.
  if (modifiers & 1) event.modifiers |= VGui::kModShift;
  if (modifiers & 2) event.modifiers |= VGui::kModAlt;
  if (modifiers & (4 | 8)) event.modifiers |= VGui::kModControl;
  return event;
}

}  // namespace

Editor::Editor(Norv& plugin, EditorOptions options)
    : SynthEditorBase(plugin, ResourcesOf(options)),
      options_(std::move(options)),
      resources_(ResourcesOf(options_)),
      hostCalls_([this](const HostCall& call) { DeliverHostCall(call); }, options_.clock),
      zoomPercent_(PreferredZoom()),
      rectZoom_(zoomPercent_.load()) {
  if (options_.clock) SetClock(options_.clock);
  if (!options_.openWindow) {
    options_.openWindow = [](VGui::CtrlRoot& root, uintptr_t parent, VGui::Size logical,
                             float scale, std::string& error) {
      return VGui::RootWindow::Open(root, parent, logical, scale, error);
    };
  }
  Root().SetHostCallSink([this](const HostCall& call) { hostCalls_.Call(call); });
}

Editor::~Editor() {
  ShutdownEditor();
}

// --- Host editor operations ----------------------------------------------------------------------

bool Editor::open(void* parent) {
  // Some hosts open again without closing: the stale window goes first.
  if (window_) close();
  if (!controlsCreated_) Initialize();
  const auto parentWindow = reinterpret_cast<uintptr_t>(parent);
  ApplyTooltipColours();
  ReadDeveloperPreferences();
  if (!openedOnce_) {
    // Done before the window exists, so its tick (on a thread of its own on Linux) never meets
    // this work on the host's thread.
    openedOnce_ = true;
    Plugin().Port().SetEditorAttached(true);
    PostMessagingInitialized();
    ReportParameterValuesToHost();
    PostPresetLoadedMessages();
    Plugin().Port().PostMessageToEditor(MessageType::e_updatePresetLoaded);
  }
  // Another instance may have changed the zoom since this one last opened.
  const int32_t zoom = PreferredZoom();
  zoomPercent_.store(zoom);
  rectZoom_.store(zoom);
  agreedZoom_.store(0);
  std::string error;
  window_ = options_.openWindow(Root(), parentWindow, kLogicalSize, float(zoom) / 100.0f, error);
  if (!window_) {
    VFoundation::Log("%s, Failed to open the editor window: %s\n", "Editor::open", error.c_str());
    return false;
  }
  systemWindow_ = parentWindow;
  const VGui::Platform::Window* native = window_->NativeWindow();
  hostCalls_.Start(native == nullptr || native->TicksOnHostThread());
  frameRateStart_ = NowSeconds();
  frameCount_ = 0;
  return true;
}

void Editor::close() {
  CloseWindow();
  CloseBase();
}

void Editor::CloseWindow() {
  window_.reset();
  // Whatever waits still belongs to the host: a begin edit without its end would leave the
  // host's gesture open. close() runs on the host's thread.
  hostCalls_.OnHostIdle();
}

void Editor::idle() {
  hostCalls_.OnHostIdle();
}

void Editor::update() {
  repaintAll_.store(true);
}

bool Editor::getRect(vst::ERect** rect) {
  if (!rect) return false;
  // A closed editor opens at the preferred zoom, which another instance may have changed.
  const int32_t zoom = window_ ? rectZoom_.load() : PreferredZoom();
  const VGui::Size size = ZoomedSize(zoom);
  zoomRect_ = vst::ERect{0, 0, int16_t(size.height), int16_t(size.width)};
  *rect = &zoomRect_;
  return true;
}

// --- Zoom ----------------------------------------------------------------------------------------

VGui::Size Editor::ZoomedSize(int32_t percent) {
  return VGui::DeviceSize(kLogicalSize, float(ValidZoom(percent)) / 100.0f);
}

int32_t Editor::ValidZoom(int32_t percent) {
  const auto& offered = kZoomPercents;
  return std::find(offered.begin(), offered.end(), percent) != offered.end() ? percent : 100;
}

int32_t Editor::PreferredZoom() const {
  if (options_.zoomPercent != 0) return ValidZoom(options_.zoomPercent);
  return ValidZoom(VApplication::Options::ReadInteger(kZoomPreference, 100));
}

void Editor::RequestZoom(int32_t percent) {
  percent = ValidZoom(percent);
  if (percent == zoomPercent_.load() && agreedZoom_.load() == 0) return;
  hostCalls_.Call({HostCallKind::kSizeWindow, percent, 0.0f});
  // A host that answers at once (Windows, or one without idle calls) is followed at once.
  ApplyAgreedZoom();
}

void Editor::AskHostForZoom(int32_t percent) {
  rectZoom_.store(percent);
  const VGui::Size size = ZoomedSize(percent);
  if (Plugin().sizeWindow(size.width, size.height)) {
    agreedZoom_.store(percent);
    return;
  }
  rectZoom_.store(zoomPercent_.load());
  VFoundation::Log("%s, The host refused the size %dx%d of zoom %d%%\n", "Editor::AskHostForZoom",
                   size.width, size.height, int(percent));
}

void Editor::ApplyAgreedZoom() {
  const int32_t percent = agreedZoom_.exchange(0);
  if (percent == 0 || !window_) return;
  if (!window_->Rescale(float(percent) / 100.0f)) {
    VFoundation::Log("%s, The window refused the size of zoom %d%%\n", "Editor::ApplyAgreedZoom",
                     int(percent));
    rectZoom_.store(zoomPercent_.load());
    return;
  }
  zoomPercent_.store(percent);
  VApplication::Options::WriteInteger(kZoomPreference, percent);
}

bool Editor::onKeyDown(int32_t character, int32_t virtualKey, int32_t modifiers) {
  VGui::Platform::Window* native = window_ ? window_->NativeWindow() : nullptr;
  return native && native->ForwardHostKey(KeyEventOf(character, virtualKey, modifiers), true);
}

bool Editor::onKeyUp(int32_t character, int32_t virtualKey, int32_t modifiers) {
  VGui::Platform::Window* native = window_ ? window_->NativeWindow() : nullptr;
  return native && native->ForwardHostKey(KeyEventOf(character, virtualKey, modifiers), false);
}

// --- Building ------------------------------------------------------------------------------------

void Editor::Initialize() {
  if (controlsCreated_) return;
  std::vector<std::string> problems;
  Root().Cursors().LoadFolder(resources_ / kCursorFolder, &problems);
  CreateControls();
  if (!handlerRegistered_) {
    handlerRegistered_ = Plugin().Port().RegisterEditorHandler(kMessageClass, this);
  }
  Root().AddTimerCallback(this);
  controlsCreated_ = true;
}

void Editor::CreateControls() {
  Norv& plugin = Plugin();
  RootControl& root = Root();
  root.SetEditorDelegate(&plugin);
  root.SetStandaloneHostFlags(HostText(&vst::AudioEffectX::getHostProductString, plugin),
                              HostText(&vst::AudioEffectX::getHostVendorString, plugin));
  auto panel = std::make_unique<VGui::CtrlPanel>();
  panel->SetName("MainPanel");
  panel->SetBounds({0, 0, kLogicalSize.width, kLogicalSize.height});
  mainPanel_ = root.InsertChild(0, std::move(panel));
  if (!VGui::LoadSkin(*mainPanel_, kRootSkinFile, root.Skins())) {
    VFoundation::Log("%s, Failed to load skin on path %s\n", "Editor::CreateControls",
                     (resources_ / kRootSkinFile).string().c_str());
  }
  VGui::BindControl(synthEditor_, *mainPanel_, "SynthEditor", kSynthEditorId, this);
  if (synthEditor_) {
    if (VGui::Ctrl* xyPanel = synthEditor_->FindDescendant("XYControllerPanel")) {
      VGui::ReplaceControl(xyPad_, *xyPanel, "XYPad", kXYPadId, synthEditor_);
    }
    if (xyPad_) xyPad_->SetEditorDelegate(&plugin);
    synthEditor_->SetEditorHost(this);
    synthEditor_->SetEditorDelegate(&plugin);
  }
  VGui::ReplaceControl(presetPanel_, *mainPanel_, "PresetPanel", kPresetPanelId, this);
  if (presetPanel_) presetPanel_->SetEditorDelegate(&plugin);
  VGui::BindControl(utilityControls_, *mainPanel_, "UtilityControls", kUtilityControlsId, this);
  if (utilityControls_) {
    utilityControls_->SetDialogHost(this);
    utilityControls_->SetZoomHost(this);
    utilityControls_->SetEditorDelegate(&plugin);
  }
  VGui::Ctrl* frameRate = mainPanel_->FindDescendant(kFrameRateLabel);
  frameRateLabel_ = frameRate ? dynamic_cast<VGui::CtrlLabel*>(frameRate) : nullptr;
}

void Editor::PostMessagingInitialized() {
  if (synthEditor_) synthEditor_->PostMessagingInitialized();
}

void Editor::PostPresetLoadedMessages() {
  MessagePort& port = Plugin().Port();
  port.PostMessageToEditor(MessageType::e_updateBindingChanged);
  port.PostMessageToEditor(MessageType::e_updateParameterNameChanged);
}

void Editor::ReportParameterValuesToHost() {
  for (int32_t index = 0; index < Norv::kNumHostParameters; ++index) {
    const float value = Plugin().getParameter(index);
    DeliverHostCall({HostCallKind::kBeginEdit, index, 0.0f});
    DeliverHostCall({HostCallKind::kAutomate, index, value});
    DeliverHostCall({HostCallKind::kEndEdit, index, 0.0f});
  }
}

void Editor::ReadDeveloperPreferences() {
  const bool rainbow = VApplication::Options::ReadInteger("DeveloperRainbowMode", 0) != 0;
  const bool noConsolidate = VApplication::Options::ReadBoolean("DeveloperNoConsolidate", false);
  Root().SetDebugModes(rainbow, noConsolidate);
}

// --- The tick ------------------------------------------------------------------------------------

void Editor::ATC_Tick() {
  const double tickStart = NowSeconds();
  ++frameCount_;
  UpdateFrameRate();
  ATC_Tick_Before_Messages();
  const double messagesStart = NowSeconds();
  Plugin().Port().ProcessEditorMessages();
  messageSeconds_ = NowSeconds() - messagesStart;
  ATC_Tick_After_Messages();
  hostCalls_.OnTick();
  ApplyAgreedZoom();
  tickSeconds_ = NowSeconds() - tickStart;
}

void Editor::UpdateFrameRate() {
  const double elapsed = NowSeconds() - frameRateStart_;
  if (elapsed <= kFrameRateSeconds) return;
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", double(frameCount_) / elapsed);
  frameRateText_ = text;
  if (frameRateLabel_) frameRateLabel_->SetText(frameRateText_);
  frameCount_ = 0;
  frameRateStart_ = NowSeconds();
  ReadDeveloperPreferences();
}

void Editor::ATC_Tick_After_Messages() {
  const double repaintStart = NowSeconds();
  Plugin().Port().DeallocateDisposableMessages();
  if (repaintAll_.exchange(false)) Root().Invalidate();
  if (window_ && Root().HasInvalidRegion()) window_->RequestRedraw();
  repaintSeconds_ = NowSeconds() - repaintStart;
}

// --- Messages
// --------------------------------------------------------------------------------------

void Editor::HandleMessage(Message& message) {
  switch (message.Type()) {
    case MessageType::e_resetNorv:
    case MessageType::e_updatePresetLoaded:
      PostPresetLoadedMessages();
      break;
    case MessageType::e_removeDialog:
      RemoveDialogControl();
      break;
    default:
      break;
  }
}

// --- Modal panels
// ----------------------------------------------------------------------------------

VGui::Ctrl* Editor::AddDialogControl(std::unique_ptr<VGui::Ctrl> panel, const std::string& title) {
  if (!panel) return nullptr;
  RemoveDialogControl();
  RootControl& root = Root();
  const VGui::Rect inner = panel->Bounds();
  auto frame = std::make_unique<VGui::CtrlPanel>();
  frame->SetName("ModalPanel");
  frame->SetStyle(root.Skins().FindStyle("ModalPanelBackgroundStyle"));
  frame->SetBounds({(kLogicalSize.width - inner.width - kFrameExtraWidth) / 2,
                    (kLogicalSize.height - inner.height - kFrameExtraHeight) / 2,
                    inner.width + kFrameExtraWidth, inner.height + kFrameExtraHeight});
  auto label = std::make_unique<VGui::CtrlLabel>();
  label->SetName("ModalTitle");
  label->SetStyle(root.Skins().FindStyle("ModalTitleLabelStyle"));
  label->SetBounds({kFrameSide, 0, inner.width, kTitleHeight});
  label->SetText(title);
  frame->AddChild(std::move(label));
  panel->SetBounds({kFrameSide, kFrameTop, inner.width, inner.height});
  frame->AddChild(std::move(panel));

  auto dimmer = std::make_unique<VGui::Ctrl>();
  dimmer->SetName("DialogPanel");
  dimmer->SetStyle(DialogPanelStyle());
  dimmer->SetBounds({0, 0, kLogicalSize.width, kLogicalSize.height});
  dialogFrame_ = dimmer->AddChild(std::move(frame));
  dialogPanel_ = root.PushModal(std::move(dimmer));
  return dialogFrame_;
}

void Editor::RemoveDialogControl() {
  if (!dialogPanel_) return;
  Root().CloseModal(dialogPanel_);
  dialogPanel_ = nullptr;
  dialogFrame_ = nullptr;
}

// --- Host calls ----------------------------------------------------------------------------------

void Editor::ParameterValueChanged(int32_t index, float) {
  DisplayParameterText(index);
}

bool Editor::TellHostOfEdit(int32_t index, float value) {
  return Root().SendHostAutomate(index, value);
}

void Editor::DeliverHostCall(const HostCall& call) {
  const Norv& plugin = Plugin();
  switch (call.kind) {
    case HostCallKind::kBeginEdit:
      plugin.beginEdit(call.index);
      break;
    case HostCallKind::kAutomate:
      plugin.sendAutomate(call.index, call.value);
      break;
    case HostCallKind::kEndEdit:
      plugin.endEdit(call.index);
      break;
    case HostCallKind::kSizeWindow:
      AskHostForZoom(call.index);
      break;
  }
}

// --- Destruction ---------------------------------------------------------------------------------

void Editor::ShutdownEditor() {
  if (window_) close();
  MessagePort& port = Plugin().Port();
  port.UnregisterEditorHandler(this);
  if (synthEditor_) synthEditor_->SetEditorDelegate(nullptr);
  if (xyPad_) xyPad_->SetEditorDelegate(nullptr);
  if (presetPanel_) presetPanel_->SetEditorDelegate(nullptr);
  if (utilityControls_) {
    utilityControls_->SetEditorDelegate(nullptr);
    utilityControls_->SetZoomHost(nullptr);
  }
  Root().RemoveTimerCallback(this);
  VFoundation::Log("Releasing children from root\n");
  RemoveDialogControl();
  synthEditor_ = nullptr;
  xyPad_ = nullptr;
  presetPanel_ = nullptr;
  utilityControls_ = nullptr;
  frameRateLabel_ = nullptr;
  Root().ReleaseChildren();
  mainPanel_ = nullptr;
  VFoundation::Log("Removing main panel\n");
}
