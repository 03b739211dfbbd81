// The library's entry points: the VST 2.4 entry under both names hosts look up, the standalone
// exports, and the load and unload hooks that start and stop the process-wide factory.
#include "Common/VSTi/VstAbi.h"
#include "editor/EditorFactory.h"
#include "plugin/Norv.h"
#include "plugin/StandaloneWrapper.h"
#include "plugin/SynthInfo.h"
#include "support/LibraryHooks.h"
#include "support/Log.h"
#include "support/VException.h"

#if defined(_WIN32)
#define TAVO_EXPORT extern "C" __declspec(dllexport)
#else
#define TAVO_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

// Without an editor the plug-in still works; the host then shows its own generic controls.
void AttachEditor(Norv& plugin) {
  try {
    plugin.setEditor(CreateEditor(plugin));
  } catch (...) {
    VFoundation::LogUnknownException("AttachEditor");
  }
}

vst::AEffect* CreatePlugin(vst::HostCallback host) {
  VFoundation::LinkLibraryHooks();
  if (!host) return nullptr;
  try {
    // A host that does not answer its version is not a VST 2 host.
    if (host(nullptr, vst::audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    SynthInfo* info = SynthInfo::Instance();
    if (!info) return nullptr;
    Norv* plugin = info->NewSynth(host);
    if (!plugin) return nullptr;
    AttachEditor(*plugin);
    return plugin->GetAeffect();
  } catch (const char* text) {
    VFoundation::Log("Caught exception in main: %s\n", text ? text : "");
  } catch (...) {
    VFoundation::LogUnknownException("main");
  }
  return nullptr;
}

}  // namespace

// Linux hosts look this name up first.
TAVO_EXPORT vst::AEffect* VSTPluginMain(vst::HostCallback host) {
  return CreatePlugin(host);
}

#if !defined(_WIN32)
// The classic entry name; on Windows the module definition file aliases it to VSTPluginMain.
TAVO_EXPORT vst::AEffect* VstMainEntry(vst::HostCallback host) __asm__("main");
TAVO_EXPORT vst::AEffect* VstMainEntry(vst::HostCallback host) {
  return CreatePlugin(host);
}
#endif

TAVO_EXPORT int StandAloneMain(void* argument) {
  return Standalone::Main(argument);
}
TAVO_EXPORT int PostLoadInitialize() {
  return Standalone::PostLoadInitialize();
}
TAVO_EXPORT int PreUnloadUninitialize(void* a, void* b, void* c, void* d) {
  return Standalone::PreUnloadUninitialize(a, b, c, d);
}

namespace VFoundation {

void OnLibraryLoad() {
  SynthInfo* info = SynthInfo::CreateInstance();
  if (info) info->Initialise(SynthInfo::kHostInterfaceVersion);
}

void OnLibraryUnload() {
  SynthInfo* info = SynthInfo::Instance();
  if (!info) return;
  info->Shutdown();
  SynthInfo::DestroyInstance();
  // Lets threads that the host may still be winding down leave our code before it is unmapped.
  SleepMilliseconds(500);
}

}  // namespace VFoundation
