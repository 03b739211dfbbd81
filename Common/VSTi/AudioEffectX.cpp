// The VST 2.4 base: static trampolines from the AEffect record and the opcode table.
#include "Common/VSTi/AudioEffectX.h"

#include <array>
#include <cstring>
#include <mutex>

namespace vst {
namespace {

AudioEffectX* Self(AEffect* effect) {
  return effect ? static_cast<AudioEffectX*>(effect->object) : nullptr;
}

VstIntPtr DispatcherTrampoline(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                               void* ptr, float opt) {
  AudioEffectX* self = Self(effect);
  return self ? self->dispatcher(opcode, index, value, ptr, opt) : 0;
}

void ProcessReplacingTrampoline(AEffect* effect, float** inputs, float** outputs, VstInt32 n) {
  if (AudioEffectX* self = Self(effect)) self->processReplacing(inputs, outputs, n);
}

void ProcessDoubleTrampoline(AEffect* effect, double** inputs, double** outputs, VstInt32 n) {
  if (AudioEffectX* self = Self(effect)) self->processDoubleReplacing(inputs, outputs, n);
}

// The old accumulating call is never used by VST 2.4 hosts; answering it with silence keeps a
// misbehaving host from reading garbage.
void ProcessAccumulatingTrampoline(AEffect*, float**, float**, VstInt32) {}

void SetParameterTrampoline(AEffect* effect, VstInt32 index, float value) {
  if (AudioEffectX* self = Self(effect)) self->setParameter(index, value);
}

float GetParameterTrampoline(AEffect* effect, VstInt32 index) {
  AudioEffectX* self = Self(effect);
  return self ? self->getParameter(index) : 0.0f;
}

// --- One small handler per opcode
// ------------------------------------------------------------------
using Handler = VstIntPtr (*)(AudioEffectX&, VstInt32 index, VstIntPtr value, void* ptr, float opt);

char* Text(void* ptr) {
  return static_cast<char*>(ptr);
}

VstIntPtr OnOpen(AudioEffectX& e, VstInt32, VstIntPtr, void*, float) {
  e.open();
  return 0;
}
VstIntPtr OnSetProgram(AudioEffectX& e, VstInt32, VstIntPtr value, void*, float) {
  e.setProgram(static_cast<VstInt32>(value));
  return 0;
}
VstIntPtr OnGetProgram(AudioEffectX& e, VstInt32, VstIntPtr, void*, float) {
  return e.getProgram();
}
VstIntPtr OnSetProgramName(AudioEffectX& e, VstInt32, VstIntPtr, void* ptr, float) {
  if (ptr) e.setProgramName(Text(ptr));
  return 0;
}
VstIntPtr OnGetProgramName(AudioEffectX& e, VstInt32, VstIntPtr, void* ptr, float) {
  if (ptr) e.getProgramName(Text(ptr));
  return 0;
}
VstIntPtr OnGetParamLabel(AudioEffectX& e, VstInt32 index, VstIntPtr, void* ptr, float) {
  if (ptr) e.getParameterLabel(index, Text(ptr));
  return 0;
}
VstIntPtr OnGetParamDisplay(AudioEffectX& e, VstInt32 index, VstIntPtr, void* ptr, float) {
  if (ptr) e.getParameterDisplay(index, Text(ptr));
  return 0;
}
VstIntPtr OnGetParamName(AudioEffectX& e, VstInt32 index, VstIntPtr, void* ptr, float) {
  if (ptr) e.getParameterName(index, Text(ptr));
  return 0;
}
VstIntPtr OnSetSampleRate(AudioEffectX& e, VstInt32, VstIntPtr, void*, float opt) {
  e.setSampleRate(opt);
  return 0;
}
VstIntPtr OnSetBlockSize(AudioEffectX& e, VstInt32, VstIntPtr value, void*, float) {
  e.setBlockSize(static_cast<VstInt32>(value));
  return 0;
}
VstIntPtr OnMainsChanged(AudioEffectX& e, VstInt32, VstIntPtr value, void*, float) {
  if (value == 0) {
    e.suspend();
  } else {
    e.resume();
  }
  return 0;
}
VstIntPtr OnEditIdle(AudioEffectX& e, VstInt32, VstIntPtr, void*, float) {
  e.editIdle();
  std::lock_guard lock(e.EditorMutex());
  if (AEffEditor* editor = e.getEditor()) editor->idle();
  return 0;
}
VstIntPtr OnEditGetRect(AudioEffectX& e, VstInt32, VstIntPtr, void* ptr, float) {
  std::lock_guard lock(e.EditorMutex());
  AEffEditor* editor = e.getEditor();
  if (!editor || !ptr) return 0;
  return editor->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
}
VstIntPtr OnEditOpen(AudioEffectX& e, VstInt32, VstIntPtr, void* ptr, float) {
  std::lock_guard lock(e.EditorMutex());
  AEffEditor* editor = e.getEditor();
  if (!editor || !ptr) return 0;
  return editor->open(ptr) ? 1 : 0;
}
VstIntPtr OnEditClose(AudioEffectX& e, VstInt32, VstIntPtr, void*, float) {
  std::lock_guard lock(e.EditorMutex());
  if (AEffEditor* editor = e.getEditor()) editor->close();
  return 0;
}
VstIntPtr OnEditKeyDown(AudioEffectX& e, VstInt32 index, VstIntPtr value, void*, float opt) {
  std::lock_guard lock(e.EditorMutex());
  AEffEditor* editor = e.getEditor();
  return editor &&
                 editor->onKeyDown(index, static_cast<VstInt32>(value), static_cast<VstInt32>(opt))
             ? 1
             : 0;
}
VstIntPtr OnEditKeyUp(AudioEffectX& e, VstInt32 index, VstIntPtr value, void*, float opt) {
  std::lock_guard lock(e.EditorMutex());
  AEffEditor* editor = e.getEditor();
  return editor && editor->onKeyUp(index, static_cast<VstInt32>(value), static_cast<VstInt32>(opt))
             ? 1
             : 0;
}
VstIntPtr OnIdentify(AudioEffectX&, VstInt32, VstIntPtr, void*, float) {
  return kEffectIdentify;
}
VstIntPtr OnGetChunk(AudioEffectX& e, VstInt32 index, VstIntPtr, void* ptr, float) {
  return ptr ? e.getChunk(static_cast<void**>(ptr), index != 0) : 0;
}
VstIntPtr OnSetChunk(AudioEffectX& e, VstInt32 index, VstIntPtr value, void* ptr, float) {
  if (!ptr || value <= 0 || value > 0x7fffffff) return 0;
  return e.setChunk(ptr, static_cast<VstInt32>(value), index != 0);
}
VstIntPtr OnProcessEvents(AudioEffectX& e, VstInt32, VstIntPtr, void* ptr, float) {
  return ptr ? e.processEvents(static_cast<VstEvents*>(ptr)) : 0;
}
VstIntPtr OnCanBeAutomated(AudioEffectX& e, VstInt32 index, VstIntPtr, void*, float) {
  return e.canParameterBeAutomated(index) ? 1 : 0;
}
VstIntPtr OnString2Parameter(AudioEffectX& e, VstInt32 index, VstIntPtr, void* ptr, float) {
  return e.string2parameter(index, Text(ptr)) ? 1 : 0;
}
VstIntPtr OnGetProgramNameIndexed(AudioEffectX& e, VstInt32 index, VstIntPtr value, void* ptr,
                                  float) {
  return ptr && e.getProgramNameIndexed(static_cast<VstInt32>(value), index, Text(ptr)) ? 1 : 0;
}
VstIntPtr OnGetInputProperties(AudioEffectX& e, VstInt32 index, VstIntPtr, void* ptr, float) {
  return ptr && e.getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
}
VstIntPtr OnGetOutputProperties(AudioEffectX& e, VstInt32 index, VstIntPtr, void* ptr, float) {
  return ptr && e.getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
}
VstIntPtr OnGetPlugCategory(AudioEffectX& e, VstInt32, VstIntPtr, void*, float) {
  return e.getPlugCategory();
}
VstIntPtr OnSetBypass(AudioEffectX& e, VstInt32, VstIntPtr value, void*, float) {
  return e.setBypass(value != 0) ? 1 : 0;
}
VstIntPtr OnGetEffectName(AudioEffectX& e, VstInt32, VstIntPtr, void* ptr, float) {
  return ptr && e.getEffectName(Text(ptr)) ? 1 : 0;
}
VstIntPtr OnGetVendorString(AudioEffectX& e, VstInt32, VstIntPtr, void* ptr, float) {
  return ptr && e.getVendorString(Text(ptr)) ? 1 : 0;
}
VstIntPtr OnGetProductString(AudioEffectX& e, VstInt32, VstIntPtr, void* ptr, float) {
  return ptr && e.getProductString(Text(ptr)) ? 1 : 0;
}
VstIntPtr OnGetVendorVersion(AudioEffectX& e, VstInt32, VstIntPtr, void*, float) {
  return e.getVendorVersion();
}
VstIntPtr OnVendorSpecific(AudioEffectX& e, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
  return e.vendorSpecific(index, value, ptr, opt);
}
VstIntPtr OnCanDo(AudioEffectX& e, VstInt32, VstIntPtr, void* ptr, float) {
  return ptr ? e.canDo(Text(ptr)) : 0;
}
VstIntPtr OnGetTailSize(AudioEffectX& e, VstInt32, VstIntPtr, void*, float) {
  return e.getTailSize();
}
VstIntPtr OnGetParameterProperties(AudioEffectX& e, VstInt32 index, VstIntPtr, void* ptr, float) {
  return ptr && e.getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)) ? 1 : 0;
}
VstIntPtr OnGetVstVersion(AudioEffectX& e, VstInt32, VstIntPtr, void*, float) {
  return e.getVstVersion();
}
VstIntPtr OnGetMidiKeyName(AudioEffectX& e, VstInt32 index, VstIntPtr, void* ptr, float) {
  return ptr ? e.getMidiKeyName(index, static_cast<MidiKeyName*>(ptr)) : 0;
}
VstIntPtr OnStartProcess(AudioEffectX& e, VstInt32, VstIntPtr, void*, float) {
  return e.startProcess();
}
VstIntPtr OnStopProcess(AudioEffectX& e, VstInt32, VstIntPtr, void*, float) {
  return e.stopProcess();
}
VstIntPtr OnSetProcessPrecision(AudioEffectX& e, VstInt32, VstIntPtr value, void*, float) {
  return e.setProcessPrecision(static_cast<VstInt32>(value)) ? 1 : 0;
}
VstIntPtr OnGetNumMidiInputChannels(AudioEffectX& e, VstInt32, VstIntPtr, void*, float) {
  return e.getNumMidiInputChannels();
}
VstIntPtr OnGetNumMidiOutputChannels(AudioEffectX& e, VstInt32, VstIntPtr, void*, float) {
  return e.getNumMidiOutputChannels();
}

constexpr int kOpcodeCount = effGetNumMidiOutputChannels + 1;

constexpr std::array<Handler, kOpcodeCount> MakeHandlerTable() {
  std::array<Handler, kOpcodeCount> table{};
  table[effOpen] = OnOpen;
  table[effSetProgram] = OnSetProgram;
  table[effGetProgram] = OnGetProgram;
  table[effSetProgramName] = OnSetProgramName;
  table[effGetProgramName] = OnGetProgramName;
  table[effGetParamLabel] = OnGetParamLabel;
  table[effGetParamDisplay] = OnGetParamDisplay;
  table[effGetParamName] = OnGetParamName;
  table[effSetSampleRate] = OnSetSampleRate;
  table[effSetBlockSize] = OnSetBlockSize;
  table[effMainsChanged] = OnMainsChanged;
  table[effEditGetRect] = OnEditGetRect;
  table[effEditOpen] = OnEditOpen;
  table[effEditClose] = OnEditClose;
  table[effEditIdle] = OnEditIdle;
  table[effEditKeyDown] = OnEditKeyDown;
  table[effEditKeyUp] = OnEditKeyUp;
  table[effIdentify] = OnIdentify;
  table[effGetChunk] = OnGetChunk;
  table[effSetChunk] = OnSetChunk;
  table[effProcessEvents] = OnProcessEvents;
  table[effCanBeAutomated] = OnCanBeAutomated;
  table[effString2Parameter] = OnString2Parameter;
  table[effGetProgramNameIndexed] = OnGetProgramNameIndexed;
  table[effGetInputProperties] = OnGetInputProperties;
  table[effGetOutputProperties] = OnGetOutputProperties;
  table[effGetPlugCategory] = OnGetPlugCategory;
  table[effSetBypass] = OnSetBypass;
  table[effGetEffectName] = OnGetEffectName;
  table[effGetVendorString] = OnGetVendorString;
  table[effGetProductString] = OnGetProductString;
  table[effGetVendorVersion] = OnGetVendorVersion;
  table[effVendorSpecific] = OnVendorSpecific;
  table[effCanDo] = OnCanDo;
  table[effGetTailSize] = OnGetTailSize;
  table[effGetParameterProperties] = OnGetParameterProperties;
  table[effGetVstVersion] = OnGetVstVersion;
  table[effGetMidiKeyName] = OnGetMidiKeyName;
  table[effStartProcess] = OnStartProcess;
  table[effStopProcess] = OnStopProcess;
  table[effSetProcessPrecision] = OnSetProcessPrecision;
  table[effGetNumMidiInputChannels] = OnGetNumMidiInputChannels;
  table[effGetNumMidiOutputChannels] = OnGetNumMidiOutputChannels;
  return table;
}

constexpr std::array<Handler, kOpcodeCount> kHandlers = MakeHandlerTable();

}  // namespace

AudioEffectX::AudioEffectX(HostCallback host, VstInt32 numPrograms, VstInt32 numParams)
    : host_(host) {
  effect_.magic = kEffectMagic;
  effect_.dispatcher = DispatcherTrampoline;
  effect_.process = ProcessAccumulatingTrampoline;
  effect_.setParameter = SetParameterTrampoline;
  effect_.getParameter = GetParameterTrampoline;
  effect_.numPrograms = numPrograms;
  effect_.numParams = numParams;
  effect_.numInputs = 1;
  effect_.numOutputs = 2;
  effect_.ioRatio = 1.0f;
  effect_.object = this;
  effect_.uniqueID = FourCC('N', 'o', 'E', 'f');
  effect_.version = 1;
  effect_.processReplacing = ProcessReplacingTrampoline;
  effect_.processDoubleReplacing = ProcessDoubleTrampoline;
}

void AudioEffectX::setEditor(std::unique_ptr<AEffEditor> editor) {
  std::lock_guard lock(editorMutex_);
  editor_ = std::move(editor);
  hasEditor(editor_ != nullptr);
}

void AudioEffectX::DestroyEditor() {
  std::lock_guard lock(editorMutex_);
  if (!editor_) return;
  if (editor_->isOpen()) editor_->close();
  editor_.reset();
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
  if (opcode == effClose) {
    // The host gives up the plug-in: it must not be touched after this call. The editor goes
    // first, while the plug-in it points at is whole.
    DestroyEditor();
    close();
    delete this;
    return 1;
  }
  if (opcode < 0 || opcode >= kOpcodeCount || kHandlers[opcode] == nullptr) return 0;
  return kHandlers[opcode](*this, index, value, ptr, opt);
}

VstInt32 AudioEffectX::getChunk(void**, bool) {
  return 0;
}
VstInt32 AudioEffectX::setChunk(void*, VstInt32, bool) {
  return 0;
}

VstInt32 AudioEffectX::getPlugCategory() {
  return (effect_.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

VstIntPtr AudioEffectX::CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt) const {
  return host_ ? host_(const_cast<AEffect*>(&effect_), opcode, index, value, ptr, opt) : 0;
}

VstInt32 AudioEffectX::getMasterVersion() const {
  return static_cast<VstInt32>(CallHost(audioMasterVersion));
}

bool AudioEffectX::sendAutomate(VstInt32 index, float value) const {
  if (!host_) return false;
  CallHost(audioMasterAutomate, index, 0, nullptr, value);
  return true;
}

bool AudioEffectX::beginEdit(VstInt32 index) const {
  return CallHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffectX::endEdit(VstInt32 index) const {
  return CallHost(audioMasterEndEdit, index) != 0;
}

bool AudioEffectX::updateDisplay() const {
  return CallHost(audioMasterUpdateDisplay) != 0;
}

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height) const {
  return CallHost(audioMasterSizeWindow, width, height) != 0;
}

VstTimeInfo* AudioEffectX::getTimeInfo(VstInt32 mask) const {
  return reinterpret_cast<VstTimeInfo*>(CallHost(audioMasterGetTime, 0, mask));
}

VstInt32 AudioEffectX::getCurrentProcessLevel() const {
  return static_cast<VstInt32>(CallHost(audioMasterGetCurrentProcessLevel));
}

bool AudioEffectX::getHostVendorString(char* text) const {
  return text && CallHost(audioMasterGetVendorString, 0, 0, text) != 0;
}

bool AudioEffectX::getHostProductString(char* text) const {
  return text && CallHost(audioMasterGetProductString, 0, 0, text) != 0;
}

VstInt32 AudioEffectX::getHostVendorVersion() const {
  return static_cast<VstInt32>(CallHost(audioMasterGetVendorVersion));
}

}  // namespace vst
