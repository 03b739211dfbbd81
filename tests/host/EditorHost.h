// The editor driven through the built plug-in library as hosts drive it: a host callback that
// records every call with its thread and time, one plug-in instance on that callback, where a
// control sits according to the shipped skins, how a mouse gesture reached the host, and the PNG
// screenshot the CI run keeps. Nothing here depends on the OS.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Common/VSTi/VstAbi.h"

namespace tavo::test::editor_host {

// The editor's size in pixels, as the host is told it.
inline constexpr int kEditorWidth = 962;
inline constexpr int kEditorHeight = 438;

struct RecordedCall {
  vst::VstInt32 opcode = 0;
  vst::VstInt32 index = 0;
  float opt = 0.0f;
  std::thread::id thread;
  double seconds = 0.0;      // on the steady clock, since the program started
  vst::VstIntPtr value = 0;  // the call's integer value (the height of a size request)
};

// Every call the plug-in made to the host. any thread
class CallLog {
 public:
  void Record(const RecordedCall& call);
  void Clear();
  std::vector<RecordedCall> Calls() const;
  // The calls whose opcode is one of the host's edit calls (begin, automate, end).
  std::vector<RecordedCall> EditCalls() const;

 private:
  mutable std::mutex mutex_;
  std::vector<RecordedCall> calls_;
};

CallLog& Calls();
double SecondsNow();

// What the host answers audioMasterSizeWindow: 1 agrees (the default), 0 refuses. any thread
std::atomic<vst::VstIntPtr>& SizeWindowAnswer();
// The audioMasterSizeWindow calls recorded so far.
std::vector<RecordedCall> SizeWindowCalls();
// The editor's zoom preference back at 100 %, so that a test's zoom change does not follow the
// next tests.
void ResetZoomPreference();

// The host callback of the instances below: records, then answers as the shared test host does
// (audioMasterSizeWindow as SizeWindowAnswer says).
vst::VstIntPtr RecordingCallback(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index,
                                 vst::VstIntPtr value, void* ptr, float opt);

// One plug-in instance on the recording callback, opened and closed as a host does.
class EditorPlugin {
 public:
  EditorPlugin();
  ~EditorPlugin();
  EditorPlugin(const EditorPlugin&) = delete;
  EditorPlugin& operator=(const EditorPlugin&) = delete;

  vst::AEffect* effect() const { return effect_; }
  bool HasEditor() const;
  vst::VstIntPtr Dispatch(vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f) const;
  // effEditGetRect's rectangle; empty when the plug-in answers 0 or no rectangle.
  std::optional<vst::ERect> EditorRect() const;
  float Parameter(vst::VstInt32 index) const;
  void SetParameter(vst::VstInt32 index, float value) const;

 private:
  vst::AEffect* effect_ = nullptr;
};

// A host's audio thread: processReplacing on 256-frame blocks of a quiet sine, paced at about
// real time (hosts keep processing while the transport is stopped, and the engine side of the
// plug-in runs there).
class HostAudioThread {
 public:
  explicit HostAudioThread(const EditorPlugin& plugin);
  ~HostAudioThread();
  HostAudioThread(const HostAudioThread&) = delete;
  HostAudioThread& operator=(const HostAudioThread&) = delete;
  std::thread::id Id() const { return thread_.get_id(); }
  int64_t Blocks() const { return blocks_.load(); }

 private:
  void Run();

  const EditorPlugin& plugin_;
  std::atomic<bool> stop_{false};
  std::atomic<int64_t> blocks_{0};
  std::thread thread_;
};

// Where the editor finds its skins and images: the build's resource folder, set as the
// installation folder in the (temporary) preferences before any editor opens.
void UseTheBuildsResources();
// A path below the build or the source folder; under Wine the Linux root is drive Z:.
std::filesystem::path BuildPath(const std::string& relative);
std::filesystem::path SourcePath(const std::string& relative);

struct ControlArea {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int CentreX() const { return x + width / 2; }
  int CentreY() const { return y + height / 2; }
};

// A control's rectangle in the editor window, from the shipped skins: the root skin places the
// synth panel and the utility strip, whose own skin files place their sections and controls
// (rectangles relative to the parent). Empty when no skin names the control.
std::optional<ControlArea> EditorControlArea(const std::string& name);

// What a run of edit calls says about one mouse gesture on the parameter: empty when it is
// exactly one begin edit, one or more automates and one end edit, all for that parameter;
// otherwise what is wrong.
std::string GestureFault(const std::vector<RecordedCall>& editCalls, vst::VstInt32 index);
// The automated values of the gesture, in order.
std::vector<float> AutomatedValues(const std::vector<RecordedCall>& editCalls);
std::string Describe(const std::vector<RecordedCall>& calls);

// The areas that change while the engine runs, whatever the host does: the nine plots, whose
// histories move every tick. Comparing pictures "steady" leaves them out.
std::vector<ControlArea> LiveAreas();
// The picture `width` pixels wide with the live areas painted black.
std::vector<uint32_t> WithoutLiveAreas(std::vector<uint32_t> pixels, int width);

// Pixels are 0x00RRGGBB, row by row.
size_t DistinctColours(const std::vector<uint32_t>& pixels);
size_t DifferingPixels(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b);
// The pixels inside area of a picture `width` pixels wide.
std::vector<uint32_t> Crop(const std::vector<uint32_t>& pixels, int width, const ControlArea& area);
// An RGB PNG (stored deflate blocks: nothing to link, any viewer reads it).
bool WritePng(const std::filesystem::path& file, int width, int height,
              const std::vector<uint32_t>& pixels);

}  // namespace tavo::test::editor_host
