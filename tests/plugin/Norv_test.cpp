// The shell's block driver and engine-side message handling, driven as the host and the editor do.
#include "plugin/Norv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <vector>
#if defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

#include "kit/Signals.h"
#include "modulation/BindingMap.h"
#include "modulation/BindingMessage.h"
#include "plugin/MidiEventList.h"
#include "plugin/ParameterTable.h"
#include "support/AudioThread.h"
#include "support/Options.h"
#include "support/Paths.h"

// Every plain allocation of this test program is counted per thread, so a test can tell whether a
// process call allocated. Aligned allocations keep the library's own operators.
namespace {
thread_local long tAllocations = 0;

void* CountedAllocation(std::size_t size) noexcept {
  ++tAllocations;
  return std::malloc(size > 0 ? size : 1);
}

// Kept out of line: inlined into a delete expression, free() would look mismatched to the
// compiler's new/delete check.
[[gnu::noinline]] void ReleaseAllocation(void* memory) noexcept {
  std::free(memory);
}
}  // namespace

void* operator new(std::size_t size) {
  if (void* memory = CountedAllocation(size)) return memory;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  if (void* memory = CountedAllocation(size)) return memory;
  throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return CountedAllocation(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return CountedAllocation(size);
}
void operator delete(void* memory) noexcept {
  ReleaseAllocation(memory);
}
void operator delete[](void* memory) noexcept {
  ReleaseAllocation(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  ReleaseAllocation(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
  ReleaseAllocation(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
  ReleaseAllocation(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
  ReleaseAllocation(memory);
}

namespace {

struct Recorded {
  int32_t opcode;
  int32_t index;
  float value;
};

std::vector<Recorded>& HostCalls() {
  static std::vector<Recorded> calls;
  return calls;
}

vst::VstIntPtr RecordingHost(vst::AEffect*, int32_t opcode, int32_t index, vst::VstIntPtr, void*,
                             float opt) {
  HostCalls().push_back({opcode, index, opt});
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

std::vector<Recorded> AutomationsOf(int32_t index) {
  std::vector<Recorded> found;
  for (const Recorded& call : HostCalls()) {
    if (call.opcode == vst::audioMasterAutomate && call.index == index) found.push_back(call);
  }
  return found;
}

// Counts the notifications the engine posts to the editor.
class EditorRecorder : public IMessageHandler {
 public:
  void HandleMessage(Message& message) override {
    types.push_back(message.Type());
    indices.push_back(message.Value(0).AsInt());
  }
  int Count(MessageType type) const {
    int count = 0;
    for (MessageType t : types) count += t == type ? 1 : 0;
    return count;
  }
  std::vector<MessageType> types;
  std::vector<int32_t> indices;
};

class NorvTest : public ::testing::Test {
 protected:
  static constexpr int kFrames = 256;

  void SetUp() override {
    HostCalls().clear();
    norv_ = std::make_unique<Norv>(RecordingHost);
    norv_->setSampleRate(44100.0f);
    norv_->setBlockSize(kFrames);
    norv_->resume();
    for (auto& channel : inputs_) channel.assign(kFrames, 0.25f);
    for (auto& channel : outputs_) channel.assign(kFrames, 9.0f);
    HostCalls().clear();
  }

  void Process(int frames = kFrames) {
    float* in[4] = {inputs_[0].data(), inputs_[1].data(), inputs_[2].data(), inputs_[3].data()};
    float* out[2] = {outputs_[0].data(), outputs_[1].data()};
    norv_->processReplacing(in, out, frames);
  }

  void AttachEditor() {
    norv_->Port().SetEditorAttached(true);
    norv_->Port().RegisterEditorHandler(kMessageClass, &editor_);
  }

  void PostToEngine(MessageType type, std::initializer_list<MessageValue> values) {
    ASSERT_TRUE(norv_->Port().PostMessageToSynth(type, values));
  }

  void SendMidi(std::initializer_list<std::array<int, 4>> events) {
    MidiEventList list(events);
    EXPECT_EQ(norv_->processEvents(list.Events()), 1);
  }

  std::unique_ptr<Norv> norv_;
  std::vector<float> inputs_[4];
  std::vector<float> outputs_[2];
  EditorRecorder editor_;
};

TEST_F(NorvTest, HostChangeGlidesTheEngineTargetAndAFallJumps) {
  norv_->setParameter(ParameterTable::kLFO1Swing, 0.25f);
  EXPECT_FLOAT_EQ(norv_->getParameter(ParameterTable::kLFO1Swing), 0.25f);
  // One 32-sample engine sub-block (16 host frames at the default factor 2) moves the binding
  // 1/32 of the way from 0.5 towards 0.25.
  Process(16);
  EXPECT_NEAR(norv_->Engine().Target(ParameterTable::kLFO1Swing), 0.5f - 0.25f / 32.0f, 1e-6f);
  Process(kFrames);
  const float after = norv_->Engine().Target(ParameterTable::kLFO1Swing);
  EXPECT_LT(after, 0.5f - 0.25f / 32.0f);
  EXPECT_GT(after, 0.25f);

  norv_->setParameter(ParameterTable::kF1Res, 0.9f);
  for (int i = 0; i < 40; ++i) Process();
  EXPECT_NEAR(norv_->Engine().Target(ParameterTable::kF1Res), 0.9f, 1e-3f);
  norv_->setParameter(ParameterTable::kF1Res, 0.1f);
  Process(32);
  EXPECT_FLOAT_EQ(norv_->Engine().Target(ParameterTable::kF1Res), 0.1f);
}

TEST_F(NorvTest, HostChangesAreNotEchoedBackToTheHost) {
  norv_->setParameter(ParameterTable::kMix, 0.3f);
  for (int i = 0; i < 10; ++i) Process();
  EXPECT_TRUE(AutomationsOf(ParameterTable::kMix).empty());
}

TEST_F(NorvTest, EditorChangeOfABaseValueIsEchoedToTheHost) {
  PostToEngine(MessageType::e_setFilterParameter, {ParameterTable::kMix, 0, 0.3f});
  PostToEngine(MessageType::e_setFilterParameter, {ParameterTable::kF1Res, 2, 0.7f});
  Process();
  const auto mix = AutomationsOf(ParameterTable::kMix);
  ASSERT_EQ(mix.size(), 1u);
  EXPECT_FLOAT_EQ(mix[0].value, 0.3f);
  EXPECT_FLOAT_EQ(norv_->getParameter(ParameterTable::kMix), 0.3f);
  // A modulation depth is not a host parameter.
  EXPECT_TRUE(AutomationsOf(ParameterTable::kF1Res).empty());
  EXPECT_FLOAT_EQ(norv_->Engine().Depth(ParameterTable::kF1Res, 2), 0.7f);
  EXPECT_TRUE(norv_->Engine().IsModulated(ParameterTable::kF1Res));
}

TEST_F(NorvTest, LinkedCutoffNotifiesBothSlots) {
  AttachEditor();
  PostToEngine(MessageType::e_setFilterParameter, {ParameterTable::kFilterLink, 0, 1.0f});
  PostToEngine(MessageType::e_setFilterParameter, {ParameterTable::kF1Cutoff, 0, 0.4f});
  Process();
  norv_->Port().ProcessEditorMessages();
  ASSERT_EQ(editor_.Count(MessageType::e_updateFilterParameter), 3);
  EXPECT_EQ(editor_.indices[1], ParameterTable::kF1Cutoff);
  EXPECT_EQ(editor_.indices[2], ParameterTable::kF2Cutoff);
}

TEST_F(NorvTest, NotificationsAreDroppedWithoutAnEditor) {
  const int32_t before = norv_->Port().AvailableMessages();
  PostToEngine(MessageType::e_setFilterParameter, {ParameterTable::kMix, 0, 0.3f});
  Process();
  EXPECT_EQ(norv_->Port().AvailableMessages(), before);
}

TEST_F(NorvTest, LockSilencesTheOutputButKeepsTakingChanges) {
  PostToEngine(MessageType::e_lockSynthThread, {});
  Process();
  ASSERT_TRUE(norv_->IsSynthLocked());
  norv_->setParameter(ParameterTable::kMix, 0.2f);
  Process();
  for (float sample : outputs_[0]) ASSERT_EQ(sample, 0.0f);
  // While locked the engine takes no messages; the editor's unlock delivers its own.
  PostToEngine(MessageType::e_unlockSynthThread, {});
  Process();
  EXPECT_TRUE(norv_->IsSynthLocked());
  norv_->Port().ProcessSynthMessages();
  EXPECT_FALSE(norv_->IsSynthLocked());
  for (int i = 0; i < 100; ++i) Process();
  EXPECT_GT(outputs_[0].back(), 0.1f);
  // The change taken during the lock reaches the engine once it runs again.
  EXPECT_NEAR(norv_->Engine().Target(ParameterTable::kMix), 0.2f, 1e-3f);
}

TEST_F(NorvTest, EventPoolKeepsTheFirst511InPlayingOrder) {
  std::vector<vst::VstMidiEvent> midi(600);
  std::vector<char> storage(sizeof(vst::VstEvents) + 600 * sizeof(void*));
  auto* list = reinterpret_cast<vst::VstEvents*>(storage.data());
  list->numEvents = 600;
  for (int i = 0; i < 600; ++i) {
    midi[i] = {};
    midi[i].type = vst::kVstMidiType;
    midi[i].deltaFrames = (i * 37) % kFrames;
    midi[i].midiData[0] = static_cast<char>(0x90);
    midi[i].midiData[1] = static_cast<char>(i % 128);
    list->events[i] = reinterpret_cast<vst::VstEvent*>(&midi[i]);
  }
  norv_->processEvents(list);
  ASSERT_EQ(norv_->QueuedEventCount(), 511);
  for (int i = 1; i < 511; ++i) {
    ASSERT_LE(norv_->QueuedEvent(i - 1).deltaFrames, norv_->QueuedEvent(i).deltaFrames);
  }
  Process();
  EXPECT_EQ(norv_->QueuedEventCount(), 0);
}

TEST_F(NorvTest, LearnBindsTheNextControllerAndMovesIt) {
  PostToEngine(MessageType::e_setTargetLearnBinding, {ParameterTable::kF1Res, 0});
  Process();
  ASSERT_TRUE(norv_->IsLearning());
  SendMidi({{10, 0xB1, 7, 127}});  // controller 7 on channel 2 ends learning
  Process();
  EXPECT_FALSE(norv_->IsLearning());
  EXPECT_EQ(norv_->LastController(), 7);
  EXPECT_EQ(norv_->Bindings().ControllerBindingCount(1, 7), 1);
  SendMidi({{0, 0xB1, 7, 0}});
  for (int i = 0; i < 4; ++i) Process();
  EXPECT_FLOAT_EQ(norv_->Engine().Target(ParameterTable::kF1Res), 0.0f);
  SendMidi({{0, 0xB1, 7, 64}});
  for (int i = 0; i < 100; ++i) Process();
  EXPECT_NEAR(norv_->Engine().Target(ParameterTable::kF1Res), 64.0f / 127.0f, 1e-3f);
}

// The editor names a control by a whole binding when an index and column cannot say it: the
// binding rides in a message of its own class, and the controller learnt carries that binding.
TEST_F(NorvTest, LearnRequestCarryingABindingLearnsThatBinding) {
  Binding described;
  described.SetPath("Synth");
  described.SetName("Resonance by the XY pad");
  described.SetStuffer(&Binding::StuffToValue2);
  Message prototype;
  prototype.SetType(MessageType::e_setFilterParameter);
  prototype.SetValue(0, ParameterTable::kF1Res);
  prototype.SetValue(1, 0);
  described.SetPrototype(prototype);
  auto* request = static_cast<BindingMessage*>(norv_->Port().GetMessage(kBindingMessageClass));
  ASSERT_NE(request, nullptr);
  request->SetType(MessageType::e_setTargetLearnBinding);
  request->SetBinding(described);
  ASSERT_TRUE(norv_->Port().PostMessageToSynth(request));
  Process();
  ASSERT_TRUE(norv_->IsLearning());
  SendMidi({{10, 0xB1, 7, 127}});
  Process();
  ASSERT_EQ(norv_->Bindings().ControllerBindingCount(1, 7), 1);
  EXPECT_STREQ(norv_->Bindings().ControllerBinding(1, 7, 0)->Name(), "Resonance by the XY pad");
  SendMidi({{0, 0xB1, 7, 64}});
  for (int i = 0; i < 100; ++i) Process();
  EXPECT_NEAR(norv_->Engine().Target(ParameterTable::kF1Res), 64.0f / 127.0f, 1e-3f);
}

TEST_F(NorvTest, ResetRestoresDefaultsAndClearsControllerBindings) {
  PostToEngine(MessageType::e_setTargetLearnBinding, {ParameterTable::kMix, 0});
  Process();
  SendMidi({{0, 0xB0, 1, 10}});
  PostToEngine(MessageType::e_setFilterParameterImmediate, {ParameterTable::kGain, 0, 0.1f});
  Process();
  ASSERT_EQ(norv_->Bindings().ControllerBindingCount(0, 1), 1);
  PostToEngine(MessageType::e_resetNorv, {});
  Process();
  EXPECT_EQ(norv_->Bindings().ControllerBindingCount(0, 1), 0);
  EXPECT_FLOAT_EQ(norv_->Engine().Base(ParameterTable::kGain), 0.7937005f);
  EXPECT_FLOAT_EQ(norv_->getParameter(ParameterTable::kGain), 0.7937005f);
  EXPECT_EQ(norv_->LastPresetName(), "Default");
}

TEST_F(NorvTest, OversamplingRequestsOutsideTheResamplersReachAreRefused) {
  struct Case {
    int requested;
    int expected;
  };
  for (const Case& c : {Case{4, 4}, Case{0, 4}, Case{17, 4}, Case{-3, 4}, Case{1, 1}}) {
    PostToEngine(MessageType::e_setOversampling, {c.requested});
    Process();
    EXPECT_EQ(norv_->OversamplingFactor(), c.expected) << c.requested;
    EXPECT_EQ(norv_->ActiveOversamplingFactor(), c.expected) << c.requested;
  }
}

// The editor's factor switch while audio runs: the block that takes the message already runs at
// the new factor and sounds, and the change allocates nothing on the audio thread, whatever the
// factor. Only set-up calls reserve delay lines.
TEST_F(NorvTest, FactorChangeIsAppliedByTheAudioThreadWithoutAllocatingOrSilence) {
  for (auto& channel : inputs_) channel = TestKit::Sine(441.0, 0.5, kFrames, 44100.0);
  for (int i = 0; i < 4; ++i) Process();
  for (int factor : {4, 1, 2, 4, 1, 8, 16, 2}) {
    SCOPED_TRACE(factor);
    PostToEngine(MessageType::e_setOversampling, {factor});
    const long before = tAllocations;
    Process();
    EXPECT_EQ(tAllocations - before, 0);
    EXPECT_EQ(norv_->ActiveOversamplingFactor(), factor);
    EXPECT_FALSE(norv_->IsReconfigurationPending());
    EXPECT_FLOAT_EQ(norv_->Engine().ProcessingRateHz(), 44100.0f * factor);
    double energy = 0.0;
    for (float sample : outputs_[0]) energy += static_cast<double>(sample) * sample;
    // The input's RMS is 0.35; the default sound passes it near unity.
    EXPECT_GT(std::sqrt(energy / kFrames), 0.1) << "silent block after the change";
  }
}

// Delay lines are reserved at set-up for max(factor, 4): a factor the audio thread takes beyond
// that runs the combs with a shorter longest delay (never reading outside the ring) until the next
// set-up call, which reserves the full 0.2 s.
TEST_F(NorvTest, FactorBeyondTheReservedOneGetsItsFullDelayAtTheNextSetUpCall) {
  const auto& comb = [this]() -> const VDSP::CombFilter& {
    return norv_->Engine().Slot(0).Filter().CombLeft();
  };
  // 0.2 s at 4 x 44100 Hz rounds up to 65536 samples; at 16 x it needs 262144.
  PostToEngine(MessageType::e_setOversampling, {4});
  Process();
  EXPECT_EQ(comb().MaxDelaySamples(), 65534.0f);
  PostToEngine(MessageType::e_setOversampling, {16});
  Process();
  ASSERT_EQ(norv_->ActiveOversamplingFactor(), 16);
  EXPECT_EQ(comb().MaxDelaySamples(), 65534.0f);
  norv_->suspend();
  norv_->resume();
  EXPECT_EQ(comb().MaxDelaySamples(), 262142.0f);
  // Back down and up again on the audio thread: the reservation stays.
  for (int factor : {2, 16}) {
    PostToEngine(MessageType::e_setOversampling, {factor});
    const long before = tAllocations;
    Process();
    EXPECT_EQ(tAllocations - before, 0) << factor;
  }
  EXPECT_EQ(comb().MaxDelaySamples(), 262142.0f);
}

TEST_F(NorvTest, MalformedMessagesChangeNothing) {
  PostToEngine(MessageType::e_setFilterParameter, {75, 0, 0.3f});
  PostToEngine(MessageType::e_setFilterParameter, {ParameterTable::kMix, 12, 0.3f});
  PostToEngine(MessageType::e_setFilterParameter, {ParameterTable::kMix, -4, 0.3f});
  PostToEngine(MessageType::e_setModSourcePolarMode, {40, false});
  PostToEngine(MessageType::e_removeModFromParameter, {-7, -1});
  PostToEngine(MessageType::e_removeModDestinations, {99});
  PostToEngine(MessageType::e_setFilterMacroValue, {0.5f, 9});
  Message* odd = norv_->Port().GetMessage();
  ASSERT_NE(odd, nullptr);
  odd->SetType(static_cast<MessageType>(99));
  norv_->Port().PostMessageToSynth(odd);
  Process();
  EXPECT_FLOAT_EQ(norv_->Engine().Target(ParameterTable::kMix), 1.0f);
  // The sound is that of an instance that never saw the messages.
  Norv untouched(RecordingHost);
  untouched.setSampleRate(44100.0f);
  untouched.setBlockSize(kFrames);
  untouched.resume();
  std::vector<float> reference[2] = {std::vector<float>(kFrames), std::vector<float>(kFrames)};
  float* in[4] = {inputs_[0].data(), inputs_[1].data(), inputs_[2].data(), inputs_[3].data()};
  float* out[2] = {reference[0].data(), reference[1].data()};
  untouched.processReplacing(in, out, kFrames);
  EXPECT_EQ(outputs_[1], reference[1]);
}

TEST_F(NorvTest, IdleEditorDeliversMessagesAndSnapsWhenNoAudioRuns) {
  PostToEngine(MessageType::e_setFilterParameter, {ParameterTable::kComp, 0, 0.9f});
  for (int i = 0; i < Norv::kEditorIdleLimit; ++i) norv_->EditorIdle();
  EXPECT_FLOAT_EQ(norv_->Engine().Target(ParameterTable::kComp), 0.342499f);
  norv_->EditorIdle();
  EXPECT_FLOAT_EQ(norv_->Engine().Target(ParameterTable::kComp), 0.9f);
  EXPECT_FLOAT_EQ(norv_->Engine().Base(ParameterTable::kComp), 0.9f);
}

TEST_F(NorvTest, HeldParameterIgnoresHostChanges) {
  norv_->SetHeldParameter(ParameterTable::kMix);
  norv_->setParameter(ParameterTable::kMix, 0.2f);
  EXPECT_FLOAT_EQ(norv_->getParameter(ParameterTable::kMix), 1.0f);
  norv_->SetHeldParameter(-1);
  norv_->setParameter(ParameterTable::kMix, 0.2f);
  EXPECT_FLOAT_EQ(norv_->getParameter(ParameterTable::kMix), 0.2f);
}

TEST_F(NorvTest, NonFiniteHostValuesAreIgnored) {
  norv_->setParameter(ParameterTable::kMix, std::nanf(""));
  norv_->setParameter(ParameterTable::kMix, INFINITY);
  EXPECT_FLOAT_EQ(norv_->getParameter(ParameterTable::kMix), 1.0f);
  norv_->setParameter(ParameterTable::kMix, 3.0f);
  EXPECT_FLOAT_EQ(norv_->getParameter(ParameterTable::kMix), 1.0f);
  norv_->setParameter(ParameterTable::kMix, -3.0f);
  EXPECT_FLOAT_EQ(norv_->getParameter(ParameterTable::kMix), 0.0f);
}

TEST_F(NorvTest, AssignableParameterNamesFollowTheirBindings) {
  char name[16];
  norv_->getParameterName(60, name);
  EXPECT_STREQ(name, "None");
  Binding first;
  first.SetName("Filter 1 Resonance");
  Message prototype;
  prototype.SetType(MessageType::e_setFilterParameter);
  prototype.SetValue(0, ParameterTable::kF1Res);
  prototype.SetValue(1, 0);
  first.SetPrototype(prototype);
  first.SetStuffer(Binding::StuffToValue2);
  ASSERT_TRUE(norv_->Bindings().AddHostBinding(60, first));
  norv_->getParameterName(60, name);
  EXPECT_STREQ(name, "Filter ");
  Binding second = first;
  second.SetName("Mix");
  prototype.SetValue(0, ParameterTable::kMix);
  second.SetPrototype(prototype);
  ASSERT_TRUE(norv_->Bindings().AddHostBinding(60, second));
  norv_->getParameterName(60, name);
  EXPECT_STREQ(name, "Multi");
  // The assignable parameter drives what it is bound to.
  norv_->setParameter(60, 0.6f);
  for (int i = 0; i < 100; ++i) Process();
  EXPECT_NEAR(norv_->Engine().Target(ParameterTable::kMix), 0.6f, 1e-3f);
}

}  // namespace

// All notes off (123) and omni off (124) are what hosts send on stop and loop: a pending learn
// must not bind itself to them, and they move nothing bound to their numbers.
TEST_F(NorvTest, ChannelModeMessagesAreNotControllers) {
  PostToEngine(MessageType::e_setTargetLearnBinding, {ParameterTable::kF1Res, 0});
  Process();
  SendMidi({{0, 0xB0, 123, 0}, {5, 0xB3, 124, 0}});
  Process();
  EXPECT_TRUE(norv_->IsLearning());
  EXPECT_EQ(norv_->LastController(), -1);
  SendMidi({{0, 0xB0, 74, 100}});
  Process();
  EXPECT_FALSE(norv_->IsLearning());
  EXPECT_EQ(norv_->LastController(), 74);
}

// A controller that switches the envelope follower to inputs 3+4 in the middle of a long block:
// the follower hears them from there on, not silence until the block ends.
TEST_F(NorvTest, SidechainReaderSwitchedOnMidBlockHearsInputsThreeAndFour) {
  constexpr int kLongBlock = 4096;
  norv_->setBlockSize(kLongBlock);
  norv_->resume();
  PostToEngine(MessageType::e_setTargetLearnBinding, {ParameterTable::kEnvFollowSource, 0});
  Process();
  SendMidi({{0, 0xB0, 20, 0}});
  Process();
  ASSERT_FALSE(norv_->IsLearning());
  // Silence on the main inputs, a steady level on the sidechain.
  inputs_[0].assign(kLongBlock, 0.0f);
  inputs_[1].assign(kLongBlock, 0.0f);
  inputs_[2].assign(kLongBlock, 0.5f);
  inputs_[3].assign(kLongBlock, 0.5f);
  for (auto& channel : outputs_) channel.assign(kLongBlock, 0.0f);
  for (int i = 0; i < 4; ++i) Process(kLongBlock);
  const int follower = static_cast<int>(TransmodSource::kEnvFollow);
  ASSERT_LT(norv_->Engine().SourceValue(follower), 1e-4f);
  SendMidi({{kLongBlock / 4, 0xB0, 20, 127}});
  Process(kLongBlock);
  ASSERT_GE(norv_->Engine().ModulatedValue(ParameterTable::kEnvFollowSource), 0.5f);
  EXPECT_GT(norv_->Engine().SourceValue(follower), 0.01f);
}

// A changed preference reaches a running instance through the options-changed message.
TEST_F(NorvTest, ChangedPreferencesTakeEffectWithoutANewInstance) {
  const auto glideAfterOneBlock = [this] {
    PostToEngine(MessageType::e_setFilterParameter, {ParameterTable::kMix, 0, 0.0f});
    Process();
    const float moved = 1.0f - norv_->Engine().Base(ParameterTable::kMix);
    PostToEngine(MessageType::e_setFilterParameterImmediate, {ParameterTable::kMix, 0, 1.0f});
    Process();
    return moved;
  };
  PostToEngine(MessageType::e_setFilterParameterImmediate, {ParameterTable::kMix, 0, 1.0f});
  Process();
  const float defaultGlide = glideAfterOneBlock();
  ASSERT_TRUE(VApplication::Options::WriteFloat("ParamSlewTime", 8.0));
  norv_->PreferencesChanged();
  Process();
  const float fastGlide = glideAfterOneBlock();
  VApplication::Options::WriteFloat("ParamSlewTime", NorvProcess::kDefaultSlewSamples);
  norv_->PreferencesChanged();
  Process();
  EXPECT_LT(defaultGlide, 0.9f);
  EXPECT_NEAR(fastGlide, 1.0f, 1e-4f);
  EXPECT_NEAR(glideAfterOneBlock(), defaultGlide, 1e-6f);
}

#if defined(__x86_64__) || defined(_M_X64)
// Denormals are flushed inside the block only: the host's floating-point mode comes back.
TEST_F(NorvTest, HostFloatingPointModeSurvivesTheBlock) {
  const unsigned int hostMode = _mm_getcsr();
  for (auto& channel : inputs_) channel.assign(kFrames, 1e-40f);
  Process();
  EXPECT_EQ(_mm_getcsr(), hostMode);
  for (float sample : outputs_[0]) EXPECT_TRUE(std::isfinite(sample));
}
#endif

TEST_F(NorvTest, EditorSeesTheMIDIActivityTheLastHostChangeAndItsOffset) {
  EXPECT_FALSE(norv_->TakeMIDIActivity());
  EXPECT_EQ(norv_->LastAutomationSource(), -1);
  SendMidi({{0, 0x91, 60, 100}});  // a note for the pitch source
  norv_->setParameter(ParameterTable::kMix, 0.25f);
  Process();
  EXPECT_TRUE(norv_->TakeMIDIActivity());
  EXPECT_FALSE(norv_->TakeMIDIActivity()) << "taken with the first call";
  EXPECT_EQ(norv_->LastAutomationSource(), ParameterTable::kMix);
  norv_->vendorSpecific(Norv::kVendorSpecificCode, 0x4F666658, nullptr, 12.7f);  // "OffX"
  norv_->vendorSpecific(Norv::kVendorSpecificCode, 0x4F666659, nullptr, -3.0f);  // "OffY"
  EXPECT_EQ(norv_->EditorOffsetX(), 12);
  EXPECT_EQ(norv_->EditorOffsetY(), -3);
}

// An offline bounce makes its set-up calls and loads on the thread that processes, between blocks,
// with or without a suspend: none of them is taken for a call from inside a block.
TEST_F(NorvTest, SetUpCallsBetweenBlocksOnTheProcessingThreadAreAllowed) {
  Process();
  void* data = nullptr;
  const int32_t size = norv_->getChunk(&data, false);
  ASSERT_GT(size, 0);
  std::vector<char> chunk(static_cast<char*>(data), static_cast<char*>(data) + size);
  norv_->suspend();
  norv_->setBlockSize(kFrames);
  norv_->setSampleRate(48000.0f);
  norv_->resume();
  Process();
  EXPECT_EQ(norv_->setChunk(chunk.data(), size, false), 1);
  norv_->setBlockSize(kFrames);
  norv_->setSampleRate(44100.0f);
  EXPECT_TRUE(norv_->SerializeState(VApplication::Paths::GetTemporaryPath() / "Bounce.tavo", true));
  Process();
  for (const auto& channel : outputs_) {
    for (float sample : channel) ASSERT_TRUE(std::isfinite(sample));
  }
}

namespace {

// Runs gDuringBlock when the plug-in asks for the host time, that is inside its block.
std::function<void(Norv&)> gDuringBlock;
Norv* gBlockOwner = nullptr;

vst::VstIntPtr HostCallingBackDuringTheBlock(vst::AEffect*, int32_t opcode, int32_t, vst::VstIntPtr,
                                             void*, float) {
  if (opcode == vst::audioMasterGetTime && gDuringBlock && gBlockOwner) gDuringBlock(*gBlockOwner);
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

struct CallInsideABlock {
  const char* function;
  std::function<void(Norv&)> call;
};

// Each would allocate, wait for the block gate or touch files on the audio thread.
const CallInsideABlock kCallsInsideABlock[] = {
    {"Norv::setSampleRate", [](Norv& norv) { norv.setSampleRate(48000.0f); }},
    {"Norv::setBlockSize", [](Norv& norv) { norv.setBlockSize(512); }},
    {"Norv::resume", [](Norv& norv) { norv.resume(); }},
    {"Norv::getChunk",
     [](Norv& norv) {
       void* data = nullptr;
       norv.getChunk(&data, false);
     }},
    {"Norv::setChunk",
     [](Norv& norv) {
       char text[] = "<root StateVersion=\"2.2\"/>";
       norv.setChunk(text, static_cast<int32_t>(sizeof text - 1), false);
     }},
    {"Norv::SerializeState",
     [](Norv& norv) {
       norv.SerializeState(VApplication::Paths::GetTemporaryPath() / "Inside.tavo", false);
     }},
};

// One block of a fresh instance whose host answers the time request with `call`.
void RunABlockThatCalls(const std::function<void(Norv&)>& call) {
  constexpr int kBlock = 64;
  Norv norv(HostCallingBackDuringTheBlock);
  norv.setSampleRate(44100.0f);
  norv.setBlockSize(kBlock);
  norv.resume();
  std::vector<float> in(kBlock, 0.25f);
  std::vector<float> left(kBlock);
  std::vector<float> right(kBlock);
  float* inputs[4] = {in.data(), in.data(), in.data(), in.data()};
  float* outputs[2] = {left.data(), right.data()};
  gBlockOwner = &norv;
  gDuringBlock = call;
  norv.processReplacing(inputs, outputs, kBlock);
  gDuringBlock = nullptr;
  gBlockOwner = nullptr;
}

}  // namespace

TEST(NorvThreadChecksDeathTest, SetUpCallsFromInsideABlockAbortWhereChecksAreOn) {
  if (!TAVO_THREAD_CHECKS_ON) GTEST_SKIP() << "thread checks are compiled out of this build";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  for (const CallInsideABlock& c : kCallsInsideABlock) {
    EXPECT_DEATH(RunABlockThatCalls(c.call), std::string("Thread check failed in ") + c.function +
                                                 ": called inside an audio block");
  }
}
