// Our VST 2.4 effect base: owns the AEffect record, routes the host's calls to virtual operations
// and gives the VST 2.4 default answer for every opcode a plug-in does not override.
#pragma once

#include <memory>
#include <mutex>

#include "Common/VSTi/AEffEditor.h"
#include "Common/VSTi/VstAbi.h"

namespace vst {

class AudioEffectX {
 public:
  // The VST 2.4 version a plug-in answers unless it says otherwise.
  static constexpr VstInt32 kDefaultVstVersion = 2400;

  AudioEffectX(HostCallback host, VstInt32 numPrograms, VstInt32 numParams);
  virtual ~AudioEffectX() = default;
  AudioEffectX(const AudioEffectX&) = delete;
  AudioEffectX& operator=(const AudioEffectX&) = delete;

  AEffect* GetAeffect() { return &effect_; }
  HostCallback Host() const { return host_; }

  // --- Calls from the host, with the VST 2.4 default answers ------------------------------------
  // UI thread unless stated.
  virtual void open() {}
  virtual void close() {}
  virtual void suspend() {}
  virtual void resume() {}
  virtual void setProgram(VstInt32 program) { currentProgram_ = program; }
  virtual VstInt32 getProgram() { return currentProgram_; }
  virtual void setProgramName(const char*) {}
  virtual void getProgramName(char* name) { name[0] = 0; }
  virtual void getParameterLabel(VstInt32, char* label) { label[0] = 0; }
  virtual void getParameterDisplay(VstInt32, char* text) { text[0] = 0; }
  virtual void getParameterName(VstInt32, char* text) { text[0] = 0; }
  virtual void setSampleRate(float sampleRate) { sampleRate_ = sampleRate; }
  virtual void setBlockSize(VstInt32 blockSize) { blockSize_ = blockSize; }
  virtual VstInt32 getChunk(void** data, bool isPreset);
  virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset);
  // any thread (audio thread during playback).
  virtual void setParameter(VstInt32, float) {}
  virtual float getParameter(VstInt32) { return 0.0f; }
  // audio thread.
  virtual void processReplacing(float** inputs, float** outputs, VstInt32 frames) = 0;
  virtual void processDoubleReplacing(double**, double**, VstInt32) {}
  virtual VstInt32 processEvents(VstEvents*) { return 0; }

  virtual bool canParameterBeAutomated(VstInt32) { return true; }
  virtual bool string2parameter(VstInt32, char*) { return false; }
  virtual bool getProgramNameIndexed(VstInt32, VstInt32, char*) { return false; }
  virtual bool getInputProperties(VstInt32, VstPinProperties*) { return false; }
  virtual bool getOutputProperties(VstInt32, VstPinProperties*) { return false; }
  virtual VstInt32 getPlugCategory();
  virtual bool setBypass(bool) { return false; }
  virtual bool getEffectName(char*) { return false; }
  virtual bool getVendorString(char*) { return false; }
  virtual bool getProductString(char*) { return false; }
  virtual VstInt32 getVendorVersion() { return 0; }
  virtual VstIntPtr vendorSpecific(VstInt32, VstIntPtr, void*, float) { return 0; }
  virtual VstInt32 canDo(const char*) { return 0; }
  virtual VstInt32 getTailSize() { return 0; }
  virtual bool getParameterProperties(VstInt32, VstParameterProperties*) { return false; }
  virtual VstInt32 getVstVersion() { return kDefaultVstVersion; }
  virtual VstInt32 getMidiKeyName(VstInt32, MidiKeyName*) { return 0; }
  virtual VstInt32 startProcess() { return 0; }
  virtual VstInt32 stopProcess() { return 0; }
  virtual bool setProcessPrecision(VstInt32) { return false; }
  virtual VstInt32 getNumMidiInputChannels() { return 0; }
  virtual VstInt32 getNumMidiOutputChannels() { return 0; }
  virtual void editIdle() {}

  // --- The editor -------------------------------------------------------------------------------
  // The plug-in owns its editor from creation to effClose; attaching one sets the editor flag.
  // Set-up thread, before the host sees the AEffect.
  void setEditor(std::unique_ptr<AEffEditor> editor);
  AEffEditor* getEditor() const { return editor_.get(); }
  // Hosts call the editor opcodes from different threads (Ardour: open and idle from one thread,
  // keys from another); this lock serializes them and is never taken by the audio thread.
  std::recursive_mutex& EditorMutex() { return editorMutex_; }

  // The dispatcher: each opcode goes to its own small handler. Null pointers where the opcode needs
  // a text or record answer 0 and write nothing.
  virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                               float opt);

  // --- Calls to the host ------------------------------------------------------------------------
  VstIntPtr CallHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f) const;
  VstInt32 getMasterVersion() const;
  // audioMasterAutomate alone; false without a host.
  bool sendAutomate(VstInt32 index, float value) const;
  bool beginEdit(VstInt32 index) const;
  bool endEdit(VstInt32 index) const;
  // audioMasterUpdateDisplay: the host reads names and display texts again. UI thread
  bool updateDisplay() const;
  // audioMasterSizeWindow: asks the host to resize the editor's parent to width x height device
  // pixels; true when the host agreed. Host's GUI thread
  bool sizeWindow(VstInt32 width, VstInt32 height) const;
  // The host's time record for the mask, or null. audio thread.
  VstTimeInfo* getTimeInfo(VstInt32 mask) const;
  VstInt32 getCurrentProcessLevel() const;
  bool getHostVendorString(char* text) const;
  bool getHostProductString(char* text) const;
  VstInt32 getHostVendorVersion() const;

  // --- Attributes --------------------------------------------------------------------------------
  void setNumInputs(VstInt32 inputs) { effect_.numInputs = inputs; }
  void setNumOutputs(VstInt32 outputs) { effect_.numOutputs = outputs; }
  void setUniqueID(VstInt32 id) { effect_.uniqueID = id; }
  void setVersion(VstInt32 version) { effect_.version = version; }
  void setInitialDelay(VstInt32 delay) { effect_.initialDelay = delay; }
  void canProcessReplacing(bool state) { SetFlag(effFlagsCanReplacing, state); }
  void canDoubleReplacing(bool state) { SetFlag(effFlagsCanDoubleReplacing, state); }
  void programsAreChunks(bool state) { SetFlag(effFlagsProgramChunks, state); }
  void isSynth(bool state) { SetFlag(effFlagsIsSynth, state); }
  void hasEditor(bool state) { SetFlag(effFlagsHasEditor, state); }

  float SampleRate() const { return sampleRate_; }
  VstInt32 BlockSize() const { return blockSize_; }

 protected:
  void SetFlag(VstInt32 flag, bool state) {
    effect_.flags = state ? (effect_.flags | flag) : (effect_.flags & ~flag);
  }

  // Closes and destroys the editor before the plug-in it points at goes. UI thread
  void DestroyEditor();

  AEffect effect_{};
  HostCallback host_ = nullptr;
  float sampleRate_ = 44100.0f;
  VstInt32 blockSize_ = 1024;
  VstInt32 currentProgram_ = 0;

 private:
  std::recursive_mutex editorMutex_;
  std::unique_ptr<AEffEditor> editor_;
};

}  // namespace vst
