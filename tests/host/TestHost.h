// A minimal VST 2.4 host for tests: loads the built plug-in library through its exported entry
// point and records what the plug-in tells the host.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Common/VSTi/VstAbi.h"
#include "support/DynamicLibrary.h"

namespace tavo::test {

struct HostCall {
  vst::VstInt32 opcode;
  vst::VstInt32 index;
  float opt;
};

// What the test host answers and what it saw. One host per process; calls may come from the
// plug-in on any thread.
struct HostState {
  std::mutex mutex;
  std::vector<HostCall> calls;
  vst::VstIntPtr versionAnswer = 2400;
  vst::VstInt32 processLevel = vst::kVstProcessLevelRealtime;
  bool giveTime = true;
  vst::VstTimeInfo time{};

  void Clear() {
    std::lock_guard<std::mutex> lock(mutex);
    calls.clear();
  }
  std::vector<HostCall> CallsWith(vst::VstInt32 opcode) {
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<HostCall> found;
    for (const HostCall& call : calls) {
      if (call.opcode == opcode) found.push_back(call);
    }
    return found;
  }
};

HostState& Host();
vst::VstIntPtr HostCallback(vst::AEffect* effect, vst::VstInt32 opcode, vst::VstInt32 index,
                            vst::VstIntPtr value, void* ptr, float opt);

using EntryPoint = vst::AEffect* (*)(vst::HostCallback);

// The plug-in library, loaded once for the whole test program (as a host keeps it loaded).
VFoundation::DynamicLibrary& PluginLibrary();
EntryPoint PluginEntry(const char* name);

// Audio channels with a guard zone after each channel's frames, filled with a NaN pattern: a
// plug-in that writes past the frames it was asked for changes a guard, one that reads past them
// reads a NaN.
class GuardedBuffers {
 public:
  static constexpr int kGuardFrames = 64;

  GuardedBuffers(int channels, int frames);
  float** Pointers() { return pointers_.data(); }
  float* Channel(int channel) { return channels_[channel].data(); }
  const float* Channel(int channel) const { return channels_[channel].data(); }
  int Frames() const { return frames_; }
  // channel `channel`, frames [0, frames) as a copy
  std::vector<float> Copy(int channel, int frames) const;
  // Every frame too holds the guard pattern, so that frames a plug-in leaves unwritten are not
  // finite.
  void FillWithGuard();
  bool GuardsIntact() const;
  bool AllFinite(int frames) const;
  float Peak(int frames) const;
  // A sine of `amplitude` on every channel, continuing from frame `startFrame`.
  void FillSine(float amplitude, double hz, double sampleRate, int64_t startFrame);

 private:
  int frames_;
  std::vector<std::vector<float>> channels_;
  std::vector<float*> pointers_;
};

// The value of attribute `name` in the first element named `element`, if it is there.
std::optional<std::string> AttributeValue(const std::string& document, const std::string& element,
                                          const std::string& name);
// `document` with attribute `name` of the first element named `element` set to `value` (added when
// missing).
std::string WithAttribute(const std::string& document, const std::string& element,
                          const std::string& name, const std::string& value);

// One plug-in instance, opened and closed as a host does.
class PluginInstance {
 public:
  explicit PluginInstance(const char* entryName = "VSTPluginMain");
  ~PluginInstance();
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  vst::AEffect* effect() const { return effect_; }
  vst::VstIntPtr Dispatch(vst::VstInt32 opcode, vst::VstInt32 index = 0, vst::VstIntPtr value = 0,
                          void* ptr = nullptr, float opt = 0.0f) const;
  std::string Text(vst::VstInt32 opcode, vst::VstInt32 index = 0) const;
  // Sample rate, block size and resume, as a host does before processing.
  void Start(float sampleRate, int blockSize);
  void Process(std::vector<std::vector<float>>& inputs, std::vector<std::vector<float>>& outputs,
               int frames) const;
  // four inputs, two outputs
  void Process(GuardedBuffers& inputs, GuardedBuffers& outputs, int frames) const;
  // effGetChunk's text, copied at once (the plug-in owns the memory).
  std::string Chunk() const;
  vst::VstIntPtr LoadChunk(const std::string& text) const;

 private:
  vst::AEffect* effect_ = nullptr;
};

// A host's audio thread: calls processReplacing with `frames`-frame blocks of a sine on all four
// inputs, without pause, until stopped, and counts blocks that wrote past their frames (or into
// their inputs' guards) and blocks whose output is not finite or not wholly written.
class AudioLoop {
 public:
  AudioLoop(const PluginInstance& plugin, int frames, double sampleRate);
  ~AudioLoop();
  AudioLoop(const AudioLoop&) = delete;
  AudioLoop& operator=(const AudioLoop&) = delete;

  // false when the audio thread has not got there within a minute
  bool WaitForBlocks(int64_t count) const;
  void Stop();
  int64_t Blocks() const { return blocks_.load(); }
  int64_t DamagedBlocks() const { return damagedBlocks_.load(); }
  int64_t NonFiniteBlocks() const { return nonFiniteBlocks_.load(); }

 private:
  void Run();

  const PluginInstance& plugin_;
  const int frames_;
  const double sampleRate_;
  std::atomic<bool> stop_{false};
  std::atomic<int64_t> blocks_{0};
  std::atomic<int64_t> damagedBlocks_{0};
  std::atomic<int64_t> nonFiniteBlocks_{0};
  std::thread thread_;
};

}  // namespace tavo::test
