// A minimal VST 2.4 host for tests: loads the built plug-in library through its exported entry
// point and records what the plug-in tells the host.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <string>
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

 private:
  vst::AEffect* effect_ = nullptr;
};

}  // namespace tavo::test
