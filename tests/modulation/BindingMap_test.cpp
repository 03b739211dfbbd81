// Bindings: feeding and gliding, the binding types, learning, slot limits, names, the reverse
// path to the host and the bindings document.
#include "modulation/BindingMap.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "plugin/MessagePort.h"
#include "support/XmlDocument.h"

namespace {

// What the engine receives from the bindings.
struct Posted {
  MessageType type;
  int32_t parameter;
  int32_t column;
  float value;
  bool fromBinding;
};

class Recorder : public IMessageHandler {
 public:
  void HandleMessage(Message& message) override {
    posted.push_back({message.Type(), message.Value(0).AsInt(), message.Value(1).AsInt(),
                      message.Value(2).AsFloat(), message.FromBinding()});
    firstValues.push_back(message.Value(0));
  }
  std::vector<Posted> posted;
  std::vector<MessageValue> firstValues;
};

class HostRecorder : public IAutomationDelegate {
 public:
  void HandleMIDIEventImmediate(const MidiEvent&) override {}
  void SetParameterAutomated(int32_t index, float value) override {
    automated.push_back({index, value});
  }
  std::vector<std::pair<int32_t, float>> automated;
};

// A binding as the plug-in makes for parameter p: e_setFilterParameter with the parameter in slot
// 0, the column in slot 1 and the value stuffed into slot 2.
Binding ParameterBinding(int32_t parameter, const char* name, int32_t column = 0) {
  Binding binding;
  binding.SetPath("Synth");
  binding.SetName(name);
  binding.SetStuffer(&Binding::StuffToValue2);
  binding.SetPopper(&Binding::GetValueFromValue2);
  Message prototype;
  prototype.SetType(MessageType::e_setFilterParameter);
  prototype.SetValue(0, parameter);
  prototype.SetValue(1, column);
  binding.SetPrototype(prototype);
  return binding;
}

class BindingMapTest : public testing::Test {
 protected:
  BindingMapTest() {
    port_.RegisterSynthHandler(kMessageClass, &engine_);
    port_.RegisterEditorHandler(kMessageClass, &editor_);
    port_.SetEditorAttached(true);
  }

  // One control sub-block: the bindings step and the engine takes what they posted.
  void Step() {
    map_.ProcessBindings();
    port_.ProcessSynthMessages();
  }
  void StepUntilSettled(int limit = 1000) {
    for (int i = 0; i < limit && map_.ActiveBindingCount() > 0; ++i) Step();
    ASSERT_EQ(map_.ActiveBindingCount(), 0);
  }
  std::vector<float> PostedValues() const {
    std::vector<float> values;
    for (const Posted& posted : engine_.posted) values.push_back(posted.value);
    return values;
  }

  MessagePort port_;
  BindingMap map_{port_};
  Recorder engine_;
  Recorder editor_;
};

TEST_F(BindingMapTest, HostChangeGlidesByOneThirtySecondPerStepAndSettlesWithinATenThousandth) {
  ASSERT_TRUE(map_.AddHostBinding(5, ParameterBinding(5, "LFO 1 Swing")));
  map_.ProcessHostAutomation(5, 0.25f);
  EXPECT_FLOAT_EQ(map_.GetVSTParameter(5), 0.25f);
  EXPECT_EQ(map_.ActiveBindingCount(), 1);
  StepUntilSettled();

  const std::vector<float> values = PostedValues();
  ASSERT_GT(values.size(), 100u);
  EXPECT_FLOAT_EQ(values[0], 0.25f / 32.0f);
  for (size_t i = 0; i + 1 < values.size(); ++i) {
    const float before = 0.25f - (i == 0 ? 0.0f : values[i - 1]);
    const float after = 0.25f - values[i];
    // Single precision near 0.25 leaves the distance only a few digits when it is small.
    EXPECT_NEAR(after / before, 31.0f / 32.0f, 2e-3f) << i;
    EXPECT_GT(after, 0.0001f) << i;
  }
  // The step that comes within 0.0001 lands exactly on the target.
  EXPECT_EQ(values.back(), 0.25f);
  for (const Posted& posted : engine_.posted) {
    EXPECT_EQ(posted.type, MessageType::e_setFilterParameter);
    EXPECT_EQ(posted.parameter, 5);
    EXPECT_EQ(posted.column, 0);
    EXPECT_TRUE(posted.fromBinding);
  }
}

TEST_F(BindingMapTest, AFallOfMoreThanAFifthIsTakenAtOnceEverythingElseGlides) {
  const struct {
    float from;
    float to;
    bool jumps;
  } cases[] = {
      {0.9f, 0.1f, true},    {0.6f, 0.35f, true}, {0.3f, 0.15f, false},
      {0.55f, 0.37f, false}, {0.1f, 0.9f, false},
  };
  map_.AddHostBinding(5, ParameterBinding(5, "LFO 1 Swing"));
  for (const auto& c : cases) {
    map_.ProcessHostAutomation(5, c.from);
    StepUntilSettled();
    engine_.posted.clear();
    map_.ProcessHostAutomation(5, c.to);
    Step();
    ASSERT_EQ(engine_.posted.size(), 1u);
    const float expected = c.jumps ? c.to : c.from + (c.to - c.from) / 32.0f;
    EXPECT_FLOAT_EQ(engine_.posted[0].value, expected) << c.from << " -> " << c.to;
    EXPECT_EQ(map_.ActiveBindingCount(), c.jumps ? 0 : 1) << c.from << " -> " << c.to;
  }
}

TEST_F(BindingMapTest, HostChangeGlidesFromWhereTheParameterRests) {
  // LFO 1 Morph rests at its default 0.5; the host asks for 0.25.
  map_.AddHostBinding(5, ParameterBinding(5, "LFO 1 Morph"));
  map_.SyncHostParameter(5, 0.5f);
  EXPECT_FLOAT_EQ(map_.GetVSTParameter(5), 0.5f);
  map_.ProcessHostAutomation(5, 0.25f);
  Step();
  ASSERT_EQ(engine_.posted.size(), 1u);
  EXPECT_FLOAT_EQ(engine_.posted[0].value, 0.5f - 0.25f / 32.0f);

  // A binding added after the value was stored starts there as well.
  map_.SetVSTParameter(7, 0.8f);
  map_.AddHostBinding(7, ParameterBinding(7, "LFO 1 Gain"));
  EXPECT_FLOAT_EQ(map_.HostBinding(7, 0)->CurrentValue(), 0.8f);
}

// A host parameter or controller that sets a filter type, a mode or a switch posts its new value
// once, at the next step: a glide would run every item in between. Depths of those parameters are
// continuous and glide.
TEST_F(BindingMapTest, SteppedParametersTakeTheNewValueAtOnce) {
  const struct {
    int32_t parameter;
    int32_t column;
    bool controller;
    float from;
    float to;
    bool jumps;
  } cases[] = {
      {40, 0, false, 0.0f, 1.0f, true},               // filter 1 type "Japan" -> "Comb"
      {49, 0, false, 0.0f, 1.0f, true},               // filter 2 mode, first item -> last
      {29, 0, true, 1.0f / 6.0f, 5.0f / 6.0f, true},  // drive mode "OTA" -> "Clipper"
      {32, 0, true, 0.0f, 1.0f, true},                // layout "Serial" -> "Parallel"
      {52, 0, false, 0.0f, 2.0f / 3.0f, true},        // filter 2 FM source
      {40, 3, false, 0.0f, 1.0f, false},              // a depth on filter 1 type
      {41, 0, true, 0.0f, 1.0f, false},               // filter 1 FM depth
  };
  int32_t input = 0;  // a host parameter and a controller of its own for each case
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.parameter << " column " << c.column);
    const Binding binding = ParameterBinding(c.parameter, "target", c.column);
    ASSERT_TRUE(c.controller ? map_.AddMIDICCBinding(0, input, binding)
                             : map_.AddHostBinding(input, binding));
    const auto feed = [&](float value) {
      if (c.controller) {
        map_.ProcessMIDICC(0, input, value);
      } else {
        map_.ProcessHostAutomation(input, value);
      }
    };
    feed(c.from);
    StepUntilSettled();
    engine_.posted.clear();
    feed(c.to);
    StepUntilSettled();
    ASSERT_FALSE(engine_.posted.empty());
    EXPECT_EQ(engine_.posted.size() == 1u, c.jumps) << engine_.posted.size() << " posted";
    EXPECT_FLOAT_EQ(engine_.posted.back().value, c.to);
    ++input;
  }
}

TEST_F(BindingMapTest, AfterTheEditorMovesAControlHostAutomationContinuesFromThere) {
  map_.AddHostBinding(34, ParameterBinding(34, "Filter 1 Cutoff"));
  map_.SyncHostParameter(34, 0.5f);
  HostRecorder host;
  Message knob;
  knob.SetType(MessageType::e_setFilterParameter);
  knob.SetValue(0, 34);
  knob.SetValue(1, 0);
  knob.SetValue(2, 0.8f);
  ASSERT_EQ(map_.ReflectMessageToHost(knob, host), 34);
  map_.ProcessHostAutomation(34, 0.9f);
  Step();
  ASSERT_EQ(engine_.posted.size(), 1u);
  EXPECT_FLOAT_EQ(engine_.posted[0].value, 0.8f + 0.1f / 32.0f);
}

TEST_F(BindingMapTest, FeedingTheSameValueAgainPostsNothing) {
  map_.AddHostBinding(5, ParameterBinding(5, "LFO 1 Swing"));
  map_.ProcessHostAutomation(5, 0.5f);
  StepUntilSettled();
  engine_.posted.clear();
  map_.ProcessHostAutomation(5, 0.5f);
  EXPECT_EQ(map_.ActiveBindingCount(), 0);
  Step();
  EXPECT_TRUE(engine_.posted.empty());
}

TEST_F(BindingMapTest, InputsOutsideTheUnitRangeAreClamped) {
  map_.AddHostBinding(5, ParameterBinding(5, "LFO 1 Swing"));
  map_.ProcessHostAutomation(5, std::nanf(""));
  EXPECT_EQ(map_.GetVSTParameter(5), 0.0f);
  map_.ProcessHostAutomation(5, 7.0f);
  StepUntilSettled();
  EXPECT_EQ(engine_.posted.back().value, 1.0f);
}

TEST_F(BindingMapTest, ContinuousMapsOntoItsRange) {
  Binding binding = ParameterBinding(34, "Filter 1 Cutoff (LFO 1)", 2);
  binding.SetRange(-1.0f, 1.0f);
  const struct {
    float x;
    float expected;
  } cases[] = {{0.0f, -1.0f}, {0.25f, -0.5f}, {0.5f, 0.0f}, {1.0f, 1.0f}};
  for (const auto& c : cases) {
    engine_.posted.clear();
    map_.ProcessABinding(binding, c.x);
    port_.ProcessSynthMessages();
    ASSERT_EQ(engine_.posted.size(), 1u);
    EXPECT_FLOAT_EQ(engine_.posted[0].value, c.expected) << c.x;
    EXPECT_EQ(engine_.posted[0].column, 2);
    EXPECT_FLOAT_EQ(binding.LastValue(), c.x);
  }
}

// Controller values in, posted values out (nothing posted is NAN).
struct TypeCase {
  BindingType type;
  std::vector<int32_t> controllerValues;
  std::vector<float> posted;
};

void PrintTo(const TypeCase& c, std::ostream* os) {
  *os << BindingTypeName(c.type);
}

class BindingTypeTest : public BindingMapTest, public testing::WithParamInterface<TypeCase> {};

TEST_P(BindingTypeTest, ControllerPressesPostByType) {
  const TypeCase& c = GetParam();
  Binding binding = ParameterBinding(20, "F1 Active");
  binding.SetType(c.type);
  ASSERT_TRUE(map_.AddMIDICCBinding(0, 64, binding));
  std::vector<float> posted;
  for (int32_t value : c.controllerValues) {
    engine_.posted.clear();
    map_.ProcessMIDIControlChange(0, 64, value);
    StepUntilSettled();
    ASSERT_LE(engine_.posted.size(), 1u) << "a switch-like binding posts once per press";
    posted.push_back(engine_.posted.empty() ? NAN : engine_.posted[0].value);
  }
  ASSERT_EQ(posted.size(), c.posted.size());
  for (size_t i = 0; i < posted.size(); ++i) {
    if (std::isnan(c.posted[i])) {
      EXPECT_TRUE(std::isnan(posted[i])) << "press " << i << " posted " << posted[i];
    } else {
      EXPECT_FLOAT_EQ(posted[i], c.posted[i]) << "press " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Types, BindingTypeTest,
    testing::Values(TypeCase{BindingType::kMomentary, {127, 0, 127, 0}, {1.0f, 0.0f, 1.0f, 0.0f}},
                    TypeCase{BindingType::kLatching, {127, 0, 127, 0, 127}, {1, NAN, 0, NAN, 1}},
                    TypeCase{BindingType::kTrigger, {127, 0, 126, 64, 127}, {1, NAN, NAN, NAN, 1}},
                    // A held momentary press posts once, not a glide back to 0.
                    TypeCase{BindingType::kMomentary, {127, 127, 0}, {1.0f, NAN, 0.0f}}));

TEST_F(BindingMapTest, BoolStufferWritesSlotZeroAsABoolean) {
  Binding binding;
  Message prototype;
  prototype.SetType(MessageType::e_lockBindings);
  binding.SetPrototype(prototype);
  binding.SetStuffer(&Binding::StuffToValue0AsBool);
  binding.SetPopper(&Binding::GetValueFromValue0AsBool);
  for (float x : {0.49f, 0.5f}) {
    map_.ProcessABinding(binding, x);
    port_.ProcessSynthMessages();
  }
  ASSERT_EQ(engine_.firstValues.size(), 2u);
  EXPECT_EQ(engine_.firstValues[0].GetKind(), MessageValue::Kind::kBoolean);
  EXPECT_FALSE(engine_.firstValues[0].AsBool());
  EXPECT_TRUE(engine_.firstValues[1].AsBool());
}

TEST_F(BindingMapTest, EditorOnlyBindingsPostToTheEditor) {
  Binding binding = ParameterBinding(3, "LFO 1 Rate");
  binding.SetEditorOnly(true);
  map_.ProcessABinding(binding, 0.5f);
  port_.ProcessSynthMessages();
  port_.ProcessEditorMessages();
  EXPECT_TRUE(engine_.posted.empty());
  ASSERT_EQ(editor_.posted.size(), 1u);
  EXPECT_FLOAT_EQ(editor_.posted[0].value, 0.5f);
}

TEST_F(BindingMapTest, NothingIsPostedWithoutAPrototypeOrAFreeMessage) {
  Binding noPrototype;
  map_.ProcessABinding(noPrototype, 0.5f);
  EXPECT_EQ(port_.QueuedMessages(PortQueue::kSynth), 0);

  std::vector<Message*> held;
  while (Message* message = port_.GetMessage()) held.push_back(message);
  Binding binding = ParameterBinding(3, "LFO 1 Rate");
  binding.SetType(BindingType::kLatching);
  map_.ProcessABinding(binding, 1.0f);
  EXPECT_EQ(port_.QueuedMessages(PortQueue::kSynth), 0);
  EXPECT_EQ(binding.LastValue(), 0.0f) << "the latch must not toggle when nothing was posted";
  for (Message* message : held) port_.DisposeOfMessage(message);
}

TEST_F(BindingMapTest, LearningAnotherControllerMovesTheBinding) {
  const Binding target = ParameterBinding(34, "Filter 1 Cutoff");
  map_.SetLearnTarget(target);
  EXPECT_TRUE(map_.IsLearnPending());
  EXPECT_TRUE(map_.ProcessMIDIControlChange(0, 1, 127));
  EXPECT_FALSE(map_.IsLearnPending());
  EXPECT_EQ(map_.ControllerBindingCount(0, 1), 1);
  ASSERT_EQ(editor_.posted.size(), 0u);
  port_.ProcessEditorMessages();
  ASSERT_EQ(editor_.posted.size(), 1u);
  EXPECT_EQ(editor_.posted[0].type, MessageType::e_updateBindingChanged);

  map_.SetLearnTarget(target);
  map_.ProcessMIDIControlChange(0, 7, 64);
  EXPECT_EQ(map_.ControllerBindingCount(0, 1), 0);
  ASSERT_EQ(map_.ControllerBindingCount(0, 7), 1);
  const Binding* learnt = map_.ControllerBinding(0, 7, 0);
  EXPECT_TRUE(learnt->IsMIDI());
  EXPECT_EQ(learnt->MajorIndex(), 0);
  EXPECT_EQ(learnt->MinorIndex(), 7);
  // The teaching value was applied: 64 / 127 glides in.
  StepUntilSettled();
  EXPECT_FLOAT_EQ(engine_.posted.back().value, 64.0f / 127.0f);
}

TEST_F(BindingMapTest, ASwitchLikeTargetIgnoresTheValueThatTaughtIt) {
  Binding target = ParameterBinding(20, "F1 Active");
  target.SetType(BindingType::kTrigger);
  map_.SetLearnTarget(target);
  EXPECT_FALSE(map_.ProcessMIDIControlChange(2, 10, 127));
  Step();
  EXPECT_TRUE(engine_.posted.empty());
  EXPECT_EQ(map_.ControllerBindingCount(2, 10), 1);
  map_.ProcessMIDIControlChange(2, 10, 127);
  Step();
  EXPECT_EQ(engine_.posted.size(), 1u);
}

TEST_F(BindingMapTest, ASlotHoldsEightBindingsAndRefusesTheNinth) {
  for (int i = 0; i < 8; ++i) {
    const std::string name = "Control " + std::to_string(i);
    EXPECT_TRUE(map_.AddMIDICCBinding(15, 127, ParameterBinding(i, name.c_str())));
    // Another name: a host binding equal to a controller binding would hunt it down.
    EXPECT_TRUE(map_.AddHostBinding(61, ParameterBinding(i, (name + " host").c_str())));
  }
  EXPECT_FALSE(map_.AddMIDICCBinding(15, 127, ParameterBinding(9, "Control 9")));
  EXPECT_FALSE(map_.AddHostBinding(61, ParameterBinding(9, "Control 9")));
  EXPECT_EQ(map_.ControllerBindingCount(15, 127), 8);
  EXPECT_EQ(map_.HostBindingCount(61), 8);
  EXPECT_FALSE(map_.AddMIDICCBinding(16, 0, ParameterBinding(1, "x")));
  EXPECT_FALSE(map_.AddMIDICCBinding(0, 128, ParameterBinding(1, "x")));
  EXPECT_FALSE(map_.AddHostBinding(62, ParameterBinding(1, "x")));
}

TEST_F(BindingMapTest, HostParameterNames) {
  EXPECT_EQ(map_.GetHostParameterName(60), "None");
  map_.AddHostBinding(60, ParameterBinding(34, "Filter 1 Cutoff"));
  EXPECT_EQ(map_.GetHostParameterName(60), "Filter ");
  map_.AddHostBinding(60, ParameterBinding(44, "Filter 2 Cutoff"));
  EXPECT_EQ(map_.GetHostParameterName(60), "Multi");
  map_.AddHostBinding(61, ParameterBinding(1, "Gain"));
  EXPECT_EQ(map_.GetHostParameterName(61), "Gain");
  // Six ASCII bytes and a two-byte character: the cut keeps whole characters.
  map_.AddHostBinding(59, ParameterBinding(2, "Niveau\xC3\xA9l"));
  EXPECT_EQ(map_.GetHostParameterName(59), "Niveau");
  EXPECT_EQ(map_.GetHostParameterName(62), "None");
}

TEST_F(BindingMapTest, EqualBindingsAreFoundAndRemoved) {
  const Binding a = ParameterBinding(34, "Filter 1 Cutoff");
  EXPECT_TRUE(a == ParameterBinding(34, "Filter 1 Cutoff"));
  EXPECT_FALSE(a == ParameterBinding(34, "Filter 2 Cutoff"));
  Binding other = a;
  other.SetPath("Editor");
  EXPECT_FALSE(a == other);
  EXPECT_FALSE(Binding() == Binding()) << "bindings without prototype never match";

  map_.AddMIDICCBinding(3, 20, a);
  map_.AddHostBinding(34, a);  // hunts the controller binding down first
  EXPECT_EQ(map_.ControllerBindingCount(3, 20), 0);
  EXPECT_EQ(map_.HostBindingCount(34), 1);
  map_.AddMIDICCBinding(3, 21, a);
  EXPECT_TRUE(map_.RemoveBinding(a));
  EXPECT_FALSE(map_.RemoveBinding(a));
  EXPECT_EQ(map_.HostBindingCount(34), 1) << "host slots are never searched";
}

TEST_F(BindingMapTest, RemovingABindingWhileOthersGlideKeepsTheGlideOnTheRightBinding) {
  const Binding first = ParameterBinding(9, "First");
  const Binding second = ParameterBinding(11, "Second");
  map_.AddMIDICCBinding(0, 5, first);
  map_.AddMIDICCBinding(0, 5, second);
  map_.ProcessMIDICC(0, 5, 1.0f);
  Step();
  EXPECT_EQ(map_.ActiveBindingCount(), 2);
  map_.RemoveBinding(first);
  EXPECT_EQ(map_.ActiveBindingCount(), 1);
  engine_.posted.clear();
  StepUntilSettled();
  for (const Posted& posted : engine_.posted) EXPECT_EQ(posted.parameter, 11);
  EXPECT_FLOAT_EQ(engine_.posted.back().value, 1.0f);
  // The glide ran on the binding where it now lives, not on the vacated place.
  const Binding* moved = map_.ControllerBinding(0, 5, 0);
  EXPECT_TRUE(moved->Settled());
  EXPECT_FLOAT_EQ(moved->CurrentValue(), 1.0f);
}

TEST_F(BindingMapTest, RemoveAllBindingsKeepsHostSlotsAndTheirGlide) {
  map_.AddHostBinding(5, ParameterBinding(5, "LFO 1 Swing"));
  map_.AddMIDICCBinding(0, 1, ParameterBinding(6, "LFO 1 Phase"));
  map_.ProcessHostAutomation(5, 0.5f);
  map_.ProcessMIDICC(0, 1, 0.5f);
  Step();
  map_.RemoveAllBindings();
  EXPECT_EQ(map_.ControllerBindingCount(0, 1), 0);
  EXPECT_EQ(map_.HostBindingCount(5), 1);
  engine_.posted.clear();
  StepUntilSettled();
  ASSERT_FALSE(engine_.posted.empty());
  EXPECT_EQ(engine_.posted.back().parameter, 5);
  EXPECT_FLOAT_EQ(engine_.posted.back().value, 0.5f);
}

TEST_F(BindingMapTest, CopyBindingsListsControllersThenHosts) {
  map_.AddHostBinding(0, ParameterBinding(0, "Host"));
  map_.AddMIDICCBinding(15, 3, ParameterBinding(2, "Late controller"));
  map_.AddMIDICCBinding(0, 3, ParameterBinding(1, "Early controller"));
  std::vector<Binding> list;
  map_.CopyBindings(list);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_STREQ(list[0].Name(), "Early controller");
  EXPECT_STREQ(list[1].Name(), "Late controller");
  EXPECT_STREQ(list[2].Name(), "Host");
  EXPECT_FALSE(list[2].IsMIDI());
  map_.AppendBindings(list);
  EXPECT_EQ(list.size(), 6u);
}

class ReversePathTest : public BindingMapTest {
 protected:
  ReversePathTest() {
    for (int32_t p = 0; p < 60; ++p) {
      map_.AddHostBinding(p, ParameterBinding(p, ("Parameter " + std::to_string(p)).c_str()));
    }
  }
  static Message EditorMessage(MessageType type, int32_t parameter, int32_t column, float value) {
    Message message;
    message.SetType(type);
    message.SetValue(0, parameter);
    message.SetValue(1, column);
    message.SetValue(2, value);
    return message;
  }
  HostRecorder host_;
};

TEST_F(ReversePathTest, FindsTheHostParameterOfAControlsMainHandleOnly) {
  const struct {
    Message message;
    int32_t expected;
  } cases[] = {
      {EditorMessage(MessageType::e_setFilterParameter, 34, 0, 0.7f), 34},
      {EditorMessage(MessageType::e_setFilterParameter, 0, 0, 0.1f), 0},
      {EditorMessage(MessageType::e_setFilterParameter, 34, 3, 0.7f), -1},  // a depth column
      {EditorMessage(MessageType::e_setFilterParameter, 60, 0, 0.7f), -1},
      {EditorMessage(MessageType::e_setFilterParameterImmediate, 34, 0, 0.7f), -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(map_.GetIndexOfHostBindingWithMatchingPrototype(c.message), c.expected)
        << c.message.Value(0).AsInt() << "/" << c.message.Value(1).AsInt();
  }
  Message addressed = EditorMessage(MessageType::e_setFilterParameter, 34, 0, 0.7f);
  addressed.SetIndex(MessageIndex::kEngine, 0);
  EXPECT_EQ(map_.GetIndexOfHostBindingWithMatchingPrototype(addressed), -1);
}

TEST_F(ReversePathTest, TellsTheHostUnlessTheMessageCameFromABinding) {
  Message knob = EditorMessage(MessageType::e_setFilterParameter, 34, 0, 0.7f);
  EXPECT_EQ(map_.ReflectMessageToHost(knob, host_), 34);
  ASSERT_EQ(host_.automated.size(), 1u);
  EXPECT_EQ(host_.automated[0].first, 34);
  EXPECT_FLOAT_EQ(host_.automated[0].second, 0.7f);
  EXPECT_FLOAT_EQ(map_.GetVSTParameter(34), 0.7f);

  Message depth = EditorMessage(MessageType::e_setFilterParameter, 34, 5, 0.2f);
  EXPECT_EQ(map_.ReflectMessageToHost(depth, host_), -1);
  knob.SetFromBinding(true);
  EXPECT_EQ(map_.ReflectMessageToHost(knob, host_), -1);
  EXPECT_EQ(host_.automated.size(), 1u);
}

// An editor that told the host of its user's edit itself (from the host's thread, inside the
// gesture) keeps the engine from telling it a second time from the audio thread; the host value
// is stored all the same, so the host reads back what it was told.
TEST_F(ReversePathTest, AnEditTheSenderToldTheHostIsStoredButNotToldAgain) {
  Message knob = EditorMessage(MessageType::e_setFilterParameter, 34, 0, 0.7f);
  knob.SetHostToldBySender(true);
  EXPECT_EQ(map_.ReflectMessageToHost(knob, host_), 34);
  EXPECT_TRUE(host_.automated.empty());
  EXPECT_FLOAT_EQ(map_.GetVSTParameter(34), 0.7f);

  Message copy = knob;
  EXPECT_TRUE(copy.HostToldBySender()) << "a copy keeps the flag";
  knob.Reset();
  EXPECT_FALSE(knob.HostToldBySender()) << "a message back in its pool forgets it";
}

TEST_F(BindingMapTest, BindingsDocumentRoundTripsIntoAFreshMap) {
  for (int32_t i = 0; i < BindingMap::kHostParameters; ++i) {
    map_.SetVSTParameter(i, static_cast<float>(i) / 64.0f);
  }
  Binding momentary = ParameterBinding(20, "F1 Active");
  momentary.SetType(BindingType::kMomentary);
  momentary.SetRange(0.25f, 0.75f);
  momentary.SetEditorOnly(true);
  momentary.SetTargetMode(true);
  momentary.SetEnterTargetMode(false);
  map_.AddMIDICCBinding(0, 7, ParameterBinding(34, "Filter 1 Cutoff"));
  map_.AddMIDICCBinding(0, 7, momentary);
  map_.AddMIDICCBinding(15, 127, ParameterBinding(44, "Filter 2 Cutoff", 4));
  map_.AddHostBinding(3, ParameterBinding(3, "Host only"));

  VFoundation::XmlDocument document;
  document.CreateNew("root");
  ASSERT_TRUE(map_.SerializeAsXML(document.Root(), true));
  const std::string text = document.Print();
  EXPECT_NE(text.find("MIDI0CC7BindingCount=\"2\""), std::string::npos);
  EXPECT_NE(text.find("MIDI15CC127BindingCount=\"1\""), std::string::npos);
  EXPECT_EQ(text.find("Host only"), std::string::npos) << "host bindings are rebuilt, not saved";

  MessagePort freshPort;
  BindingMap fresh(freshPort);
  fresh.AddMIDICCBinding(1, 1, ParameterBinding(1, "Replaced"));
  VFoundation::XmlDocument reread;
  ASSERT_TRUE(reread.Parse(text, "root"));
  ASSERT_TRUE(fresh.SerializeAsXML(reread.Root(), false));

  EXPECT_EQ(fresh.ControllerBindingCount(1, 1), 0);
  for (int32_t i = 0; i < BindingMap::kHostParameters; ++i) {
    EXPECT_FLOAT_EQ(fresh.GetVSTParameter(i), static_cast<float>(i) / 64.0f) << i;
  }
  ASSERT_EQ(fresh.ControllerBindingCount(0, 7), 2);
  ASSERT_EQ(fresh.ControllerBindingCount(15, 127), 1);
  const Binding& loaded = *fresh.ControllerBinding(0, 7, 1);
  EXPECT_TRUE(loaded == momentary);
  EXPECT_EQ(loaded.Type(), BindingType::kMomentary);
  EXPECT_FLOAT_EQ(loaded.Min(), 0.25f);
  EXPECT_FLOAT_EQ(loaded.Max(), 0.75f);
  EXPECT_TRUE(loaded.EditorOnly());
  EXPECT_TRUE(loaded.TargetMode());
  EXPECT_FALSE(loaded.EnterTargetMode());
  EXPECT_TRUE(loaded.IsMIDI());
  EXPECT_EQ(loaded.MajorIndex(), 0);
  EXPECT_EQ(loaded.MinorIndex(), 7);
  EXPECT_EQ(loaded.GetStuffer(), &Binding::StuffToValue2);
  EXPECT_EQ(loaded.GetPopper(), &Binding::GetValueFromValue2);
  EXPECT_EQ(loaded.Prototype().Value(0).AsInt(), 20);
  const Binding& depth = *fresh.ControllerBinding(15, 127, 0);
  EXPECT_EQ(depth.Prototype().Value(1).AsInt(), 4);
  EXPECT_EQ(fresh.HostBindingCount(3), 0);
}

TEST_F(BindingMapTest, LoadingKeepsAtMostEightPerSlotAndFillsGaps) {
  // Ten distinct bindings claimed for one slot, and a document without host values.
  VFoundation::XmlDocument document;
  document.CreateNew("root");
  VFoundation::XmlNode root = document.Root();
  root.WriteInt("MIDI2CC9BindingCount", 10);
  for (int j = 0; j < 10; ++j) {
    Binding binding = ParameterBinding(j, ("Control " + std::to_string(j)).c_str());
    binding.SerializeAsXML(root.AddObject("Binding", "MIDI2CC9Binding" + std::to_string(j)), true);
  }
  // A binding object without a prototype still loads, with an empty one.
  root.WriteInt("MIDI3CC0BindingCount", 1);
  root.AddObject("Binding", "MIDI3CC0Binding0").WriteString("Name", "Bare");
  // A count larger than the objects present stops at the first missing one.
  root.WriteInt("MIDI4CC0BindingCount", 1000000);

  map_.SetVSTParameter(10, 0.5f);
  ASSERT_TRUE(map_.SerializeAsXML(root, false));
  EXPECT_EQ(map_.ControllerBindingCount(2, 9), 8);
  EXPECT_STREQ(map_.ControllerBinding(2, 9, 7)->Name(), "Control 7");
  ASSERT_EQ(map_.ControllerBindingCount(3, 0), 1);
  const Binding& bare = *map_.ControllerBinding(3, 0, 0);
  EXPECT_TRUE(bare.HasPrototype());
  EXPECT_EQ(bare.Prototype().Type(), MessageType::e_noMessage);
  EXPECT_STREQ(bare.Path(), "None");
  EXPECT_EQ(map_.ControllerBindingCount(4, 0), 0);
  EXPECT_EQ(map_.GetVSTParameter(10), 0.0f);
}

// The user teaches an assignable host parameter the way a controller is taught: learn mode, click
// the control, then move the host parameter.
class AssignableLearnTest : public BindingMapTest {
 protected:
  std::vector<MessageType> EditorTypes() {
    port_.ProcessEditorMessages();
    std::vector<MessageType> types;
    for (const Posted& posted : editor_.posted) types.push_back(posted.type);
    editor_.posted.clear();
    return types;
  }
  const Binding cutoff_ = ParameterBinding(34, "Filter 1 Cutoff");
};

TEST_F(AssignableLearnTest, MovingAnAssignableParameterBindsItToTheLearnTargetAndAppliesTheMove) {
  map_.SetLearnTarget(cutoff_);
  map_.ProcessHostAutomation(5, 0.3f);
  EXPECT_TRUE(map_.IsLearnPending()) << "a fixed parameter teaches nothing";
  EXPECT_EQ(map_.HostBindingCount(60), 0);

  map_.ProcessHostAutomation(60, 0.7f);
  EXPECT_FALSE(map_.IsLearnPending());
  ASSERT_EQ(map_.HostBindingCount(60), 1);
  EXPECT_FALSE(map_.HostBinding(60, 0)->IsMIDI());
  EXPECT_EQ(map_.HostBinding(60, 0)->MajorIndex(), 60);
  EXPECT_EQ(map_.GetHostParameterName(60), "Filter ");
  EXPECT_TRUE(map_.TakeHostNamesChanged());
  EXPECT_FALSE(map_.TakeHostNamesChanged()) << "told once";
  EXPECT_EQ(EditorTypes(), (std::vector<MessageType>{MessageType::e_updateBindingChanged,
                                                     MessageType::e_updateParameterNameChanged}));
  StepUntilSettled();
  ASSERT_FALSE(engine_.posted.empty());
  EXPECT_EQ(engine_.posted.back().parameter, 34);
  EXPECT_FLOAT_EQ(engine_.posted.back().value, 0.7f);

  // Later moves drive the control like any host parameter.
  map_.ProcessHostAutomation(60, 0.1f);
  StepUntilSettled();
  EXPECT_FLOAT_EQ(engine_.posted.back().value, 0.1f);
}

// A control has one learnt input, a controller or an assignable parameter: learning another moves
// it.
TEST_F(AssignableLearnTest, LearningAnotherInputMovesTheBindingAndRemoveTakesIt) {
  map_.SetLearnTarget(cutoff_);
  map_.ProcessHostAutomation(60, 0.5f);
  map_.SetLearnTarget(cutoff_);
  map_.ProcessHostAutomation(61, 0.5f);
  EXPECT_EQ(map_.HostBindingCount(60), 0);
  EXPECT_EQ(map_.GetHostParameterName(60), "None");
  EXPECT_EQ(map_.HostBindingCount(61), 1);

  map_.SetLearnTarget(cutoff_);
  map_.ProcessMIDIControlChange(0, 1, 64);
  EXPECT_EQ(map_.HostBindingCount(61), 0) << "a controller takes over";
  EXPECT_EQ(map_.ControllerBindingCount(0, 1), 1);
  map_.SetLearnTarget(cutoff_);
  map_.ProcessHostAutomation(60, 0.5f);
  EXPECT_EQ(map_.ControllerBindingCount(0, 1), 0) << "and gives way to a host parameter";
  EXPECT_EQ(map_.HostBindingCount(60), 1);

  EXPECT_TRUE(map_.RemoveBinding(cutoff_));
  EXPECT_EQ(map_.HostBindingCount(60), 0);
  EXPECT_EQ(map_.GetHostParameterName(60), "None");
  EXPECT_EQ(map_.HostBindingCount(34), 0) << "the fixed slots are not searched";
}

TEST_F(AssignableLearnTest, ASwitchLikeTargetIsBoundWithoutFiring) {
  Binding toggle = ParameterBinding(20, "F1 Active");
  toggle.SetType(BindingType::kLatching);
  map_.SetLearnTarget(toggle);
  map_.ProcessHostAutomation(61, 1.0f);
  Step();
  EXPECT_TRUE(engine_.posted.empty());
  EXPECT_EQ(map_.HostBindingCount(61), 1);
  EXPECT_FLOAT_EQ(map_.GetVSTParameter(61), 1.0f);
}

TEST_F(AssignableLearnTest, LearntAssignableBindingsTravelInTheBindingsDocument) {
  map_.SetLearnTarget(cutoff_);
  map_.ProcessHostAutomation(61, 0.25f);
  VFoundation::XmlDocument document;
  document.CreateNew("root");
  ASSERT_TRUE(map_.SerializeAsXML(document.Root(), true));
  const std::string text = document.Print();
  EXPECT_NE(text.find("Host61BindingCount=\"1\""), std::string::npos);

  MessagePort freshPort;
  BindingMap fresh(freshPort);
  fresh.AddHostBinding(60, ParameterBinding(1, "Stale"));
  VFoundation::XmlDocument reread;
  ASSERT_TRUE(reread.Parse(text, "root"));
  ASSERT_TRUE(fresh.SerializeAsXML(reread.Root(), false));
  EXPECT_EQ(fresh.HostBindingCount(60), 0) << "loading replaces the assignable bindings";
  ASSERT_EQ(fresh.HostBindingCount(61), 1);
  EXPECT_TRUE(*fresh.HostBinding(61, 0) == cutoff_);
  EXPECT_EQ(fresh.HostBinding(61, 0)->MajorIndex(), 61);
  EXPECT_EQ(fresh.GetHostParameterName(61), "Filter ");
}

// The host reads names on its own thread while the audio thread learns: every name read is whole.
// (Run under ThreadSanitizer with the other stress tests.)
class AssignableNameStress : public AssignableLearnTest {};

TEST_F(AssignableNameStress, NamesReadWhileLearningAreNeverTorn) {
  std::atomic<bool> done{false};
  std::vector<std::string> bad;
  std::thread host([&] {
    while (!done.load()) {
      const std::string name = map_.GetHostParameterName(60);
      if (name != "None" && name != "Filter " && name != "Resonan") bad.push_back(name);
    }
  });
  const Binding resonance = ParameterBinding(35, "Resonance");
  for (int i = 0; i < 2000; ++i) {
    map_.SetLearnTarget(i % 2 == 0 ? cutoff_ : resonance);
    map_.ProcessHostAutomation(60, 0.5f);
    map_.RemoveBinding(i % 2 == 0 ? cutoff_ : resonance);
  }
  done.store(true);
  host.join();
  EXPECT_TRUE(bad.empty()) << "first bad name: '" << bad.front() << "'";
}

TEST(BindingTest, TypeAndFunctionNamesReadBack) {
  EXPECT_STREQ(BindingTypeName(BindingType::kLatching), "Latching");
  EXPECT_STREQ(BindingTypeName(static_cast<BindingType>(9)), "Continuous");
  EXPECT_EQ(BindingTypeFromName("Trigger"), BindingType::kTrigger);
  EXPECT_EQ(BindingTypeFromName("Toggle"), BindingType::kContinuous);
  EXPECT_STREQ(Binding::StufferName(&Binding::StuffToValue0AsBool), "Binding::StuffToValue0AsBool");
  EXPECT_EQ(Binding::StufferFromName("StuffToValue1"), &Binding::StuffToValue1);
  EXPECT_EQ(Binding::PopperFromName("Binding::GetValueFromValue2"), &Binding::GetValueFromValue2);
  EXPECT_EQ(Binding::PopperFromName("Binding::Nothing"), nullptr);
  const Binding fresh;
  EXPECT_STREQ(fresh.Path(), "None");
  EXPECT_STREQ(fresh.Name(), "Unbound");
  EXPECT_TRUE(fresh.IsMIDI());
  EXPECT_EQ(fresh.MajorIndex(), -1);
  EXPECT_TRUE(fresh.EnterTargetMode());
  EXPECT_FLOAT_EQ(fresh.Max(), 1.0f);
}

}  // namespace
