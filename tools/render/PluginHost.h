// The renderer's VST 2.4 host: loads the plug-in library, answers its callbacks (offline
// process level, transport time) and drives one instance.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "Common/VSTi/VstAbi.h"
#include "support/DynamicLibrary.h"

namespace tavo::render {

// The transport the host reports at samplePos: stopped at 120 BPM without a tempo, playing at
// the tempo with one. Always 4/4. // any thread
vst::VstTimeInfo MakeTimeInfo(double samplePos, double sampleRate, std::optional<double> tempoBpm);

class PluginHost {
 public:
  PluginHost() = default;
  ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Loads the library, creates and opens an instance. False with a message when the file is not
  // a loadable VST 2.4 effect with 4 inputs and 2 outputs. // UI thread
  bool Load(const std::filesystem::path& library, std::string& error);
  // Sample rate, block size and resume, as a host does before playback. // UI thread
  void Start(double sampleRate, int32_t blockSize, std::optional<double> tempoBpm);
  // The whole state through effSetChunk; returns the plug-in's answer. // UI thread
  vst::VstIntPtr SetChunk(std::vector<char>& data);
  void SetParameter(int32_t index, float value);  // audio thread
  // One block: events first, then processReplacing; advances the transport. // audio thread
  void Process(float** inputs, float** outputs, int32_t frames, vst::VstEvents* events);
  // Runs silence with the transport stopped at the start and drops the output; the transport
  // then starts from sample 0. // audio thread
  void Settle(int64_t frames);
  // Suspends and closes the instance; the library stays loaded until destruction. // UI thread
  void Close();

  // Host callback answers; public for the plug-in's static callback. // any thread
  vst::VstIntPtr Answer(vst::VstInt32 opcode, vst::VstInt32 index, vst::VstIntPtr value, void* ptr);

 private:
  VFoundation::DynamicLibrary library_;
  vst::AEffect* effect_ = nullptr;
  bool running_ = false;
  double sampleRate_ = 44100.0;
  int32_t blockSize_ = 512;
  std::optional<double> tempoBpm_;
  double samplePos_ = 0.0;
  vst::VstTimeInfo timeInfo_{};
};

}  // namespace tavo::render
