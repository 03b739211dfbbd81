// The test host's callback and library handling.
#include "host/TestHost.h"

namespace tavo::test {

HostState& Host() {
  static HostState state;
  return state;
}

vst::VstIntPtr HostCallback(vst::AEffect*, vst::VstInt32 opcode, vst::VstInt32 index,
                            vst::VstIntPtr, void* ptr, float opt) {
  HostState& host = Host();
  {
    std::lock_guard<std::mutex> lock(host.mutex);
    host.calls.push_back({opcode, index, opt});
  }
  switch (opcode) {
    case vst::audioMasterVersion:
      return host.versionAnswer;
    case vst::audioMasterGetTime:
      return host.giveTime ? reinterpret_cast<vst::VstIntPtr>(&host.time) : 0;
    case vst::audioMasterGetCurrentProcessLevel:
      return host.processLevel;
    case vst::audioMasterGetVendorString:
      std::strcpy(static_cast<char*>(ptr), "Test Vendor");
      return 1;
    case vst::audioMasterGetProductString:
      std::strcpy(static_cast<char*>(ptr), "Test Host");
      return 1;
    case vst::audioMasterGetVendorVersion:
      return 1500;
    default:
      return 0;
  }
}

VFoundation::DynamicLibrary& PluginLibrary() {
  static VFoundation::DynamicLibrary library;
  if (!library.IsOpen()) {
    EXPECT_TRUE(library.Open(TAVO_PLUGIN_FILE)) << library.Error();
  }
  return library;
}

EntryPoint PluginEntry(const char* name) {
  return reinterpret_cast<EntryPoint>(PluginLibrary().Symbol(name));
}

PluginInstance::PluginInstance(const char* entryName) {
  EntryPoint entry = PluginEntry(entryName);
  if (entry) effect_ = entry(HostCallback);
  if (effect_) Dispatch(vst::effOpen);
}

PluginInstance::~PluginInstance() {
  if (effect_) {
    Dispatch(vst::effMainsChanged, 0, 0);
    Dispatch(vst::effClose);
  }
}

vst::VstIntPtr PluginInstance::Dispatch(vst::VstInt32 opcode, vst::VstInt32 index,
                                        vst::VstIntPtr value, void* ptr, float opt) const {
  return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
}

std::string PluginInstance::Text(vst::VstInt32 opcode, vst::VstInt32 index) const {
  char text[256];
  std::memset(text, 0x7f, sizeof text);
  text[255] = 0;
  Dispatch(opcode, index, 0, text);
  return std::string(text, strnlen(text, sizeof text - 1));
}

void PluginInstance::Start(float sampleRate, int blockSize) {
  Dispatch(vst::effSetSampleRate, 0, 0, nullptr, sampleRate);
  Dispatch(vst::effSetBlockSize, 0, blockSize);
  Dispatch(vst::effMainsChanged, 0, 1);
}

void PluginInstance::Process(std::vector<std::vector<float>>& inputs,
                             std::vector<std::vector<float>>& outputs, int frames) const {
  float* in[4];
  float* out[2];
  for (int c = 0; c < 4; ++c) in[c] = inputs[c].data();
  for (int c = 0; c < 2; ++c) out[c] = outputs[c].data();
  effect_->processReplacing(effect_, in, out, frames);
}

}  // namespace tavo::test
