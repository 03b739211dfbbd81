// The engine-side messages: what the editor (and the bindings) ask of the engine through the
// message port, on the audio thread, and the notifications posted back.
#include "plugin/Norv.h"

#include "modulation/BindingMap.h"
#include "modulation/BindingMessage.h"
#include "plugin/ParameterTable.h"

Binding Norv::MakeParameterBinding(int32_t index, int32_t column) {
  Binding binding;
  binding.SetPath("Synth");
  binding.SetName(ParameterTable::ParameterToUserString(index, false));
  binding.SetRange(0.0f, 1.0f);
  binding.SetType(BindingType::kContinuous);
  binding.SetEnterTargetMode(true);
  binding.SetStuffer(Binding::StuffToValue2);
  binding.SetPopper(Binding::GetValueFromValue2);
  Message prototype;
  prototype.SetType(MessageType::e_setFilterParameter);
  prototype.SetValue(0, index);
  prototype.SetValue(1, column);
  binding.SetPrototype(prototype);
  return binding;
}

void Norv::HandleMessage(Message& message) {
  HandleEngineMessage(message);
  if (!message.NoEcho()) HandleHostAutomationMessage(message);
}

void Norv::HandleEngineMessage(Message& message) {
  switch (message.Type()) {
    case MessageType::e_lockSynthThread:
      synthLocked_.store(true);
      break;
    case MessageType::e_unlockSynthThread:
      synthLocked_.store(false);
      break;
    case MessageType::e_registryOptionsChanged:
    case MessageType::e_registryMIDIOptionsChanged:
      ApplyPreferences();
      break;
    case MessageType::e_resetNorv:
      HandleReset();
      break;
    case MessageType::e_panic:
      HandlePanic();
      break;
    case MessageType::e_setOversampling:
      HandleSetOversampling(message.Value(0).AsInt());
      break;
    case MessageType::e_setTargetLearnBinding:
      HandleSetLearnTarget(message);
      break;
    case MessageType::e_clearTargetLearnBinding:
      bindingMap_->ClearLearnTarget();
      PostToEditor(MessageType::e_updateMIDILearnStateChanged);
      break;
    case MessageType::e_removeBinding:
      HandleRemoveBinding();
      break;
    case MessageType::e_removeAllBindings:
      bindingMap_->RemoveAllBindings();
      PostToEditor(MessageType::e_updateBindingChanged);
      break;
    case MessageType::e_lockBindings:
      bindingMap_->SetBindingsLocked(message.Value(0).AsBool());
      break;
    case MessageType::e_setFilterMacroValue:
      engine_.SetMacroValue(message.Value(1).AsInt(), message.Value(0).AsFloat());
      PostToEditor(MessageType::e_updateFilterMacroValue, message.Value(1).AsInt());
      break;
    case MessageType::e_setFilterParameter:
      HandleSetFilterParameter(message, false);
      break;
    case MessageType::e_setFilterParameterImmediate:
      HandleSetFilterParameter(message, true);
      break;
    case MessageType::e_setModSourcePolarMode:
      engine_.SetPolarMode(message.Value(0).AsInt(), message.Value(1).AsBool());
      break;
    case MessageType::e_removeModFromParameter:
      engine_.RemoveModulation(message.Value(0).AsInt(), message.Value(1).AsInt());
      PostToEditor(MessageType::e_updateFilterParameter, message.Value(0), message.Value(1));
      break;
    case MessageType::e_removeModDestinations:
      engine_.RemoveModDestinations(message.Value(0).AsInt());
      PostToEditor(MessageType::e_updateFilterParameter, -1, message.Value(0));
      break;
    default:
      // Preferences, panic and the editor-side types have no engine work in the shell; the
      // engine's own handlers take them when the signal chain runs here.
      break;
  }
}

void Norv::HandleSetFilterParameter(const Message& message, bool immediate) {
  const int32_t index = message.Value(0).AsInt();
  const int32_t source = message.Value(1).AsInt();
  const float value = message.Value(2).AsFloat();
  engine_.SetParameter(index, source, value, immediate);
  PostToEditor(MessageType::e_updateFilterParameter, index, source, value);
  const bool linked = engine_.Base(ParameterTable::kFilterLink) >= 0.5f;
  if (index == ParameterTable::kF1Cutoff && source == 0 && linked) {
    PostToEditor(MessageType::e_updateFilterParameter, ParameterTable::kF2Cutoff, source,
                 engine_.Target(ParameterTable::kF2Cutoff));
  }
}

void Norv::HandleReset() {
  bindingMap_->RemoveAllBindings();
  engine_.Reset();
  timeInfo_.Reset();
  timeInfo_.SetSampleRate(sampleRate_);
  for (int32_t index = 0; index < ParameterTable::kNumFixedParameters; ++index) {
    const float value = ParameterTable::GetParameterDefaultValue(index);
    bindingMap_->SyncHostParameter(index, value);
    NotifyHostOfParameter(index, value, false);
  }
  // The name itself is a string the UI thread reads: it is renamed there, on its next read.
  presetNameReset_.store(true);
  PostToEditor(MessageType::e_updatePresetLoaded);
  PostToEditor(MessageType::e_updateBindingChanged);
}

void Norv::HandleSetOversampling(int32_t factor) {
  // Factors beyond the resamplers' reach would be an unsafe request: keep the current one.
  if (factor < kMinOversampling || factor > kMaxOversampling) return;
  oversamplingFactor_.store(factor);
}

void Norv::HandlePanic() {
  timeInfo_.StopTransport();
}

// The message describes the control to learn: either a whole binding (a BindingMessage from the
// editor), or a parameter index (value 0) and column (value 1).
void Norv::HandleSetLearnTarget(const Message& message) {
  if (const Binding* described = BindingMessage::BindingOf(message)) {
    bindingMap_->SetLearnTarget(*described);
  } else {
    const int32_t index = message.Value(0).AsInt();
    if (index < 0 || index >= ParameterTable::kNumFixedParameters) return;
    bindingMap_->SetLearnTarget(MakeParameterBinding(index, message.Value(1).AsInt()));
  }
  hasLearnTarget_ = true;
  PostToEditor(MessageType::e_updateMIDILearnStateChanged);
}

void Norv::HandleRemoveBinding() {
  if (hasLearnTarget_) bindingMap_->RemoveBinding(bindingMap_->LearnTarget());
  PostToEditor(MessageType::e_updateBindingChanged);
  PostToEditor(MessageType::e_updateParameterNameChanged);
}

void Norv::HandleHostAutomationMessage(const Message& message) {
  bindingMap_->ReflectMessageToHost(message, *this);
}

void Norv::SetParameterAutomated(int32_t index, float value) {
  NotifyHostOfParameter(index, value, false);
}

void Norv::PostToEditor(MessageType type, const MessageValue& v0, const MessageValue& v1,
                        const MessageValue& v2) {
  messagePort_->PostMessageToEditor(type, {v0, v1, v2});
}
