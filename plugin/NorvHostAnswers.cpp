// The plug-in's answers to the host's dispatcher calls (names, pins, capabilities, version,
// parameters, bypass, vendor-specific calls) and the editor's idle, meter and offset calls. The
// set-up calls are in NorvSetup.cpp, the chunk and program name in NorvState.cpp, the events and
// MIDI key names in NorvMidi.cpp.
#include "plugin/Norv.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "modulation/BindingMap.h"
#include "plugin/ParameterTable.h"
#include "plugin/SynthInfo.h"
#include "support/VException.h"

namespace {

constexpr int32_t kVendorQueryDoubleClick = 90000;
constexpr int32_t kVendorOffsetX = 0x4F666658;  // "OffX"
constexpr int32_t kVendorOffsetY = 0x4F666659;  // "OffY"
constexpr float kSameValueTolerance = 1e-6f;

float SanitisedHostValue(float value) {
  if (!std::isfinite(value)) return -1.0f;
  return std::clamp(value, 0.0f, 1.0f);
}

}  // namespace

void Norv::getParameterLabel(int32_t, char* label) {
  VFoundation::GuardedVoid("Norv::getParameterLabel", [&] { label[0] = 0; });
}

void Norv::getParameterDisplay(int32_t index, char* text) {
  VFoundation::GuardedVoid("Norv::getParameterDisplay", [&] {
    const float value = std::clamp(CurrentValueOf(index), 0.0f, 1.0f);
    std::snprintf(text, vst::kVstMaxParamStrLen, "%03d", static_cast<int>(value * 100.0f));
  });
}

void Norv::getParameterName(int32_t index, char* text) {
  VFoundation::GuardedVoid("Norv::getParameterName", [&] {
    if (index >= ParameterTable::kNumFixedParameters && index < kNumHostParameters) {
      CopyText(text, bindingMap_->GetHostParameterName(index).c_str(), vst::kVstMaxParamStrLen - 1);
      return;
    }
    CopyText(text, ParameterTable::ParameterToUserString(index, true), vst::kVstMaxParamStrLen - 1);
  });
}

bool Norv::canParameterBeAutomated(int32_t index) {
  return VFoundation::Guarded("Norv::canParameterBeAutomated", false,
                              [&] { return index >= 0 && index < kNumHostParameters; });
}

int32_t Norv::getPlugCategory() {
  return vst::kPlugCategEffect;
}

int32_t Norv::getVendorVersion() {
  return kVendorVersion;
}

bool Norv::getInputProperties(int32_t index, vst::VstPinProperties* properties) {
  return VFoundation::Guarded("Norv::getInputProperties", false, [&] {
    if (index < 0 || index >= effect_.numInputs) return false;
    std::memset(properties, 0, sizeof *properties);
    std::snprintf(properties->label, vst::kVstMaxLabelLen, "%s In", SynthInfo::kProductName);
    CopyText(properties->shortLabel, properties->label, vst::kVstMaxShortLabelLen - 1);
    properties->flags = vst::kVstPinIsActive | vst::kVstPinIsStereo;
    properties->arrangementType = vst::kSpeakerArrStereo;
    return true;
  });
}

bool Norv::getOutputProperties(int32_t index, vst::VstPinProperties* properties) {
  return VFoundation::Guarded("Norv::getOutputProperties", false, [&] {
    if (index < 0 || index >= effect_.numOutputs) return false;
    std::memset(properties, 0, sizeof *properties);
    CopyText(properties->label, "Master", vst::kVstMaxLabelLen - 1);
    CopyText(properties->shortLabel, "Mst", vst::kVstMaxShortLabelLen - 1);
    properties->flags = vst::kVstPinIsActive | vst::kVstPinIsStereo;
    properties->arrangementType = vst::kSpeakerArrStereo;
    return true;
  });
}

bool Norv::setBypass(bool onOff) {
  return VFoundation::Guarded("Norv::setBypass", false, [&] {
    hostBypass_.store(onOff);
    return true;
  });
}

bool Norv::getEffectName(char* name) {
  return VFoundation::Guarded("Norv::getEffectName", false, [&] {
    CopyText(name, SynthInfo::kProductName, vst::kVstMaxEffectNameLen - 1);
    return true;
  });
}

bool Norv::getVendorString(char* text) {
  return VFoundation::Guarded("Norv::getVendorString", false, [&] {
    CopyText(text, "Quorvanta", vst::kVstMaxVendorStrLen - 1);
    return true;
  });
}

bool Norv::getProductString(char* text) {
  return VFoundation::Guarded("Norv::getProductString", false, [&] {
    CopyText(text, SynthInfo::kProductName, vst::kVstMaxProductStrLen - 1);
    return true;
  });
}

vst::VstIntPtr Norv::vendorSpecific(int32_t index, vst::VstIntPtr value, void*, float opt) {
  return VFoundation::Guarded("Norv::vendorSpecific", vst::VstIntPtr{0}, [&]() -> vst::VstIntPtr {
    if (index != kVendorSpecificCode) return 0;
    if (value == kVendorQueryDoubleClick) return opt > 1.0f ? 1 : 0;
    if (value == kVendorOffsetX || value == kVendorOffsetY) {
      const int32_t offset =
          std::isfinite(opt) ? static_cast<int32_t>(std::clamp(opt, -1e6f, 1e6f)) : 0;
      if (value == kVendorOffsetX) editorOffsetX_.store(offset);
      if (value == kVendorOffsetY) editorOffsetY_.store(offset);
    }
    return 0;
  });
}

int32_t Norv::canDo(const char* text) {
  return VFoundation::Guarded("Norv::canDo", -1, [&] {
    static constexpr const char* kYes[] = {
        "receiveVstEvents", "receiveVstMidiEvent", "receiveVstTimeInfo",   "midiProgramNames",
        "bypass",           "sizeWindow",          "conformsToWindowRules"};
    for (const char* word : kYes) {
      if (std::strcmp(text, word) == 0) return 1;
    }
    return -1;
  });
}

bool Norv::getParameterProperties(int32_t, vst::VstParameterProperties* properties) {
  return VFoundation::Guarded("Norv::getParameterProperties", false, [&] {
    std::memset(properties, 0, sizeof *properties);
    return false;
  });
}

int32_t Norv::getVstVersion() {
  return VFoundation::Guarded("Norv::getVstVersion", 2300, [&] {
    const SynthInfo* info = SynthInfo::Instance();
    return info ? info->Version() : 2300;
  });
}

void Norv::setParameter(int32_t index, float value) {
  VFoundation::GuardedVoid("Norv::setParameter", [&] {
    if (index < 0 || index >= kNumHostParameters) return;
    value = SanitisedHostValue(value);
    if (value < 0.0f) return;
    if (heldParameter_.load() == index) return;
    if (std::fabs(value - CurrentValueOf(index)) < kSameValueTolerance) return;
    bindingMap_->SetVSTParameter(index, value);
    pendingChanges_.Mark(index, value);
  });
}

float Norv::getParameter(int32_t index) {
  return VFoundation::Guarded("Norv::getParameter", 0.0f, [&] { return CurrentValueOf(index); });
}

float Norv::CurrentValueOf(int32_t index) const {
  if (!bindingMap_ || index < 0 || index >= kNumHostParameters) return 0.0f;
  return bindingMap_->GetVSTParameter(index);
}

void Norv::SetEditorOffset(int32_t x, int32_t y) {
  editorOffsetX_.store(x);
  editorOffsetY_.store(y);
}

void Norv::editIdle() {
  VFoundation::GuardedVoid("Norv::editIdle", [&] { EditorIdle(); });
}

// A factor change delivered here waits for the next block or set-up call: rebuilding the delay
// lines from this thread could meet a host that starts processing again. The engine is touched
// only between blocks; a block that starts meanwhile is skipped, so the idle never waits for one.
void Norv::EditorIdle() {
  // A learnt assignable parameter has a new name; hosts cache names until told.
  if (bindingMap_->TakeHostNamesChanged()) updateDisplay();
  if (editorIdleCount_.fetch_add(1) + 1 <= kEditorIdleLimit) return;
  editorIdleCount_.store(0);
  if (!blockGate_.TryAcquire()) return;
  messagePort_->ProcessSynthMessages();
  engine_.Snap();
  PublishBlockState();
  blockGate_.Release();
}

float Norv::TakeOutputMeter(int32_t channel) {
  return outputMeters_[channel & 1].exchange(0.0f);
}
