// Ports: control inputs with their range and converter, the proxy, port identifiers and the
// archive of a port array.
#include "param_framework/VDSPPortArray.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "param_framework/ConvertBeatSync.h"
#include "param_framework/ConvertEnum.h"
#include "param_framework/ConvertRegistry.h"

namespace VDSP {
namespace {

using VFoundation::XmlDocument;
using VFoundation::XmlNode;

class PortTest : public testing::Test {
 protected:
  void SetUp() override { ConvertLibrary::Start(); }
  void TearDown() override { ConvertLibrary::Stop(); }

  static const VDSPPortConvert* Shared(const char* className) {
    return ConvertLibrary::Shared(className);
  }

  static std::string TextOf(const VDSPPortControlIn& port, int precision = kShortForm) {
    char buffer[kWorkTextSize];
    port.TextOfValue(buffer, sizeof buffer, precision);
    return buffer;
  }
};

// Records the range hooks.
class WatchedControl : public VDSPPortControlIn {
 public:
  int under = 0;
  int over = 0;

 protected:
  void OnUnderRange(float) override { ++under; }
  void OnOverRange(float) override { ++over; }
};

struct RangeCase {
  double minimum;
  double maximum;
  float value;
  int under;
  int over;
  double normalised;
};

TEST_F(PortTest, ValuesOutsideTheRangeCallTheHooksAndNormaliseIntoIt) {
  const RangeCase cases[] = {
      {0.0, 10.0, 2.5f, 0, 0, 0.25},
      {0.0, 10.0, -1.0f, 1, 0, 0.0},
      {0.0, 10.0, 11.0f, 0, 1, 1.0},
      // A minimum above the maximum still clamps between the two.
      {10.0, 0.0, 2.5f, 0, 0, 0.75},
      {10.0, 0.0, 12.0f, 0, 1, 0.0},
      {10.0, 0.0, -5.0f, 1, 0, 1.0},
      {5.0, 5.0, 5.0f, 0, 0, 0.0},
  };
  for (const RangeCase& c : cases) {
    WatchedControl port;
    port.Setup(c.minimum, c.maximum, nullptr);
    port.SetValue(c.value);
    EXPECT_EQ(port.GetValue(), c.value);
    EXPECT_EQ(port.under, c.under) << c.minimum << ".." << c.maximum << " " << c.value;
    EXPECT_EQ(port.over, c.over) << c.minimum << ".." << c.maximum << " " << c.value;
    EXPECT_DOUBLE_EQ(port.GetNormalisedValue(), c.normalised) << c.value;
  }
  VDSPPortControlIn inverted;
  inverted.Setup(10.0, 0.0, nullptr);
  EXPECT_EQ(inverted.Normalise(-100.0), 1.0);
  EXPECT_EQ(inverted.Normalise(100.0), 0.0);
  EXPECT_EQ(inverted.Normalise(std::nan("")), 0.0);
  inverted.SetValue(4.0f);
  inverted.SetValue(std::nanf(""));
  EXPECT_EQ(inverted.GetValue(), 4.0f);
}

TEST_F(PortTest, AnEnumeratedConverterSetsTheRangeToItsItems) {
  VConvertEnum modes;
  for (int i = 0; i < 4; ++i) modes.SetItem(i, std::to_string(i));
  VDSPPortControlIn port;
  EXPECT_STREQ(port.GetConvert().GetClassName(), "VConvertFloat");
  port.Setup(-7.0, 99.0, &modes);
  EXPECT_TRUE(port.IsEnumerated());
  EXPECT_EQ(port.GetMinimum(), 0.0);
  EXPECT_EQ(port.GetMaximum(), 3.0);
  port.Setup(-7.0, std::nan(""), nullptr);
  EXPECT_FALSE(port.IsEnumerated());
  EXPECT_EQ(port.GetMinimum(), -7.0);
  EXPECT_EQ(port.GetMaximum(), 3.0);
}

TEST_F(PortTest, APortPrintsAndParsesThroughItsConverter) {
  VDSPPortControlIn port;
  port.Setup(0.0, 2.0, Shared("VConvertTime"));
  port.SetValue(0.5f);
  EXPECT_EQ(TextOf(port), "500.00 ms");
  EXPECT_EQ(TextOf(port, kLongForm), "500.00000000 ms");
  EXPECT_DOUBLE_EQ(port.TextToValue("1 s"), 0.5);
  EXPECT_DOUBLE_EQ(port.TextToValue("9 s"), 1.0);
  EXPECT_EQ(port.TextToFloat("250 ms"), 0.125f);
  port.Setup(-8.0, 8.0, Shared("VConvertTimeBeat"));
  port.SetValue(0.0f);
  EXPECT_EQ(TextOf(port), "500.00 ms");
  port.SetMode(&VConvertTimeBeat::Modes(), 1.0);
  EXPECT_EQ(TextOf(port), "1/4 note");
}

TEST_F(PortTest, AProxyForwardsEveryValueOperationToItsTarget) {
  VDSPPortControlIn target;
  target.Setup(0.0, 4.0, Shared("VConvertPercentage"));
  VDSPPortControlInProxy proxy;
  proxy.SetValue(0.5f);  // without a target the proxy is a control of its own
  EXPECT_EQ(proxy.GetValue(), 0.5f);
  ASSERT_TRUE(proxy.SetTarget(&target));
  proxy.SetValue(2.0f);
  EXPECT_EQ(target.GetValue(), 2.0f);
  EXPECT_EQ(proxy.GetValue(), 2.0f);
  EXPECT_DOUBLE_EQ(proxy.GetNormalisedValue(), 0.5);
  EXPECT_EQ(proxy.GetMaximum(), 4.0);
  EXPECT_EQ(TextOf(proxy), "200 %");
  EXPECT_DOUBLE_EQ(proxy.TextToValue("100%"), 0.25);
  proxy.Setup(0.0, 8.0, Shared("VConvertSwitch"));
  EXPECT_TRUE(target.IsEnumerated());
  EXPECT_TRUE(proxy.IsEnumerated());
  EXPECT_EQ(&proxy.GetConvert(), Shared("VConvertSwitch"));

  VDSPPortControlInProxy outer;
  ASSERT_TRUE(outer.SetTarget(&proxy));
  EXPECT_FALSE(proxy.SetTarget(&outer));
  EXPECT_FALSE(outer.SetTarget(&outer));
  EXPECT_EQ(proxy.GetTarget(), &target);
}

TEST_F(PortTest, PortsCopyOnlyFromTheirOwnKind) {
  VDSPPortControlIn source;
  source.SetName("Cutoff");
  source.Setup(20.0, 20000.0, Shared("VConvertFrequency"));
  source.SetValue(440.0f);
  source.SetShortText(1, "Hz");
  VDSPPortControlIn copy;
  ASSERT_TRUE(copy.CopyFrom(source));
  EXPECT_EQ(copy.GetName(), "Cutoff");
  EXPECT_EQ(copy.GetValue(), 440.0f);
  EXPECT_EQ(copy.GetMinimum(), 20.0);
  EXPECT_EQ(&copy.GetConvert(), Shared("VConvertFrequency"));
  EXPECT_STREQ(copy.GetShortText(1), "Hz");
  EXPECT_STREQ(copy.GetShortText(3), "");

  VDSPPortAudioIn audio;
  audio.SetName("In");
  EXPECT_FALSE(copy.CopyFrom(audio));
  EXPECT_EQ(copy.GetName(), "Cutoff");
  VDSPPortAudioIn otherAudio;
  EXPECT_TRUE(otherAudio.CopyFrom(audio));
  EXPECT_EQ(otherAudio.GetName(), "In");
  EXPECT_FALSE(VDSPPortAudioOut().CopyFrom(audio));
}

TEST_F(PortTest, PortIdentifiersRoundTripAndReadTheOldIdKey) {
  XmlDocument document;
  document.CreateNew("Node");
  const VDSPNodePortID written{7, {static_cast<int32_t>(VDSPPortType::kEventOut), 3}};
  written.Write(document.Root());
  XmlDocument reread;
  ASSERT_TRUE(reread.Parse(document.Print(), "Node"));
  VDSPNodePortID read;
  read.Read(reread.Root());
  EXPECT_EQ(read, written);

  ASSERT_TRUE(reread.Parse(R"(<Port type="2" id="5"/>)", "Port"));
  VDSPPortID old;
  old.Read(reread.Root());
  EXPECT_EQ(old, (VDSPPortID{2, 5}));
  ASSERT_TRUE(reread.Parse(R"(<Port type="x" index="4" id="5"/>)", "Port"));
  VDSPPortID partial{1, 1};
  partial.Read(reread.Root());
  EXPECT_EQ(partial, (VDSPPortID{1, 4}));
}

// A node with every port kind.
void BuildNode(VDSPPortArray& ports) {
  ports.SetPoly(true);
  auto add = [&](std::unique_ptr<VDSPPort> port, const char* name) {
    port->SetName(name);
    return ports.Add(std::move(port));
  };
  auto* cutoff =
      static_cast<VDSPPortControlIn*>(add(std::make_unique<VDSPPortControlIn>(), "Cutoff"));
  cutoff->Setup(20.0, 20000.0, ConvertLibrary::Shared("VConvertFrequency"));
  cutoff->SetValue(1234.5f);
  auto* mode =
      static_cast<VDSPPortControlIn*>(add(std::make_unique<VDSPPortControlIn>(), "Active"));
  mode->Setup(0.0, 1.0, ConvertLibrary::Shared("VConvertSwitch"));
  mode->SetValue(1.0f);
  auto* pan = static_cast<VDSPPortControlIn*>(add(std::make_unique<VDSPPortControlIn>(), "Pan"));
  pan->Setup(0.0, 1.0, ConvertLibrary::Shared("VConvertPan"));
  pan->SetValue(0.25f);
  auto* beat = static_cast<VDSPPortControlIn*>(add(std::make_unique<VDSPPortControlIn>(), "Delay"));
  beat->Setup(-8.0, 8.0, ConvertLibrary::Shared("VConvertTimeBeat"));
  beat->SetMode(&VConvertTimeBeat::Modes(), 1.0);
  beat->SetValue(std::log2(1.5f));
  add(std::make_unique<VDSPPortControlInProxy>(), "Shared cutoff");
  add(std::make_unique<VDSPPortAudioIn>(), "Left in");
  add(std::make_unique<VDSPPortAudioIn>(), "Right in");
  add(std::make_unique<VDSPPortEventIn>(), "Notes");
  add(std::make_unique<VDSPPortControlOut>(), "Level");
  add(std::make_unique<VDSPPortAudioOut>(), "Out");
  add(std::make_unique<VDSPPortEventOut>(), "Triggers");
}

void ExpectSamePorts(const VDSPPortArray& read, const VDSPPortArray& written) {
  EXPECT_EQ(read.IsPoly(), written.IsPoly());
  for (int type = 0; type < kPortTypeCount; ++type) {
    const auto kind = static_cast<VDSPPortType>(type);
    ASSERT_EQ(read.Count(kind), written.Count(kind)) << type;
    for (int i = 0; i < written.Count(kind); ++i) {
      const VDSPPort& a = *read.Port(kind, i);
      const VDSPPort& b = *written.Port(kind, i);
      EXPECT_STREQ(a.GetClassName(), b.GetClassName());
      EXPECT_EQ(a.GetName(), b.GetName());
      EXPECT_EQ(a.GetID(), (VDSPPortID{type, i}));
    }
  }
  for (int i = 0; i < 4; ++i) {
    const VDSPPortControlIn& a = *read.ControlIn(i);
    const VDSPPortControlIn& b = *written.ControlIn(i);
    EXPECT_EQ(&a.GetConvert(), &b.GetConvert()) << b.GetName();
    EXPECT_NEAR(a.GetValue(), b.GetValue(), 1e-6f * std::fabs(b.GetValue())) << b.GetName();
    EXPECT_DOUBLE_EQ(a.GetMinimum(), b.GetMinimum()) << b.GetName();
    EXPECT_DOUBLE_EQ(a.GetMaximum(), b.GetMaximum()) << b.GetName();
    EXPECT_EQ(a.IsEnumerated(), b.IsEnumerated()) << b.GetName();
  }
}

TEST_F(PortTest, APortArrayWithEveryKindRoundTripsThroughItsArchive) {
  VDSPPortArray written;
  BuildNode(written);
  XmlDocument document;
  document.CreateNew("Node");
  written.Write(document.Root());
  const std::string text = document.Print();
  EXPECT_NE(text.find(R"(uval="on")"), std::string::npos) << text;
  EXPECT_NE(text.find(R"(uval="3/8 note")"), std::string::npos) << text;

  XmlDocument reread;
  ASSERT_TRUE(reread.Parse(text, "Node"));
  VDSPPortArray fresh;
  fresh.Read(reread.Root());
  ExpectSamePorts(fresh, written);

  // Reading into a node that built its ports already restores them in place.
  VDSPPortArray rebuilt;
  BuildNode(rebuilt);
  VDSPPort* cutoff = rebuilt.ControlIn(0);
  rebuilt.ControlIn(0)->SetValue(50.0f);
  rebuilt.SetPoly(false);
  rebuilt.Read(reread.Root());
  EXPECT_EQ(rebuilt.ControlIn(0), cutoff);
  ExpectSamePorts(rebuilt, written);
}

TEST_F(PortTest, ReadingKeepsPortsOfAnotherClassAndSkipsUnknownOnes) {
  XmlDocument document;
  ASSERT_TRUE(document.Parse(R"(<Node poly="true">
      <VDSPPortList name="audio_in"><VDSPPortEventIn name="Wrong"/></VDSPPortList>
      <VDSPPortList name="event_in"><VDSPPortBogus name="Bogus"/><VDSPPortEventIn name="Late"/>
      </VDSPPortList>
      <VDSPPortList name="control_out"><VDSPPortControlOut name="Level"/></VDSPPortList>
    </Node>)",
                             "Node"));
  VDSPPortArray ports;
  ports.Add(std::make_unique<VDSPPortAudioIn>())->SetName("In");
  ports.Read(document.Root());
  EXPECT_TRUE(ports.IsPoly());
  EXPECT_EQ(ports.Port(VDSPPortType::kAudioIn, 0)->GetName(), "In");
  EXPECT_EQ(ports.Count(VDSPPortType::kAudioIn), 1);
  EXPECT_EQ(ports.Count(VDSPPortType::kEventIn), 0);
  ASSERT_EQ(ports.Count(VDSPPortType::kControlOut), 1);
  EXPECT_EQ(ports.Port(VDSPPortType::kControlOut, 0)->GetName(), "Level");
  EXPECT_EQ(ports.Find({static_cast<int32_t>(VDSPPortType::kControlOut), 0}),
            ports.Port(VDSPPortType::kControlOut, 0));
  EXPECT_EQ(ports.Find({9, 0}), nullptr);
  EXPECT_EQ(ports.Find({0, -1}), nullptr);
}

struct DescriptionCase {
  const char* attributes;
  const char* convert;
  double minimum;
  double maximum;
  float value;
};

TEST_F(PortTest, ADescriptionRestoresWhatItCanAndKeepsDefaultsForTheRest) {
  const DescriptionCase cases[] = {
      // "min" and "max" stand in for missing "umin" and "umax".
      {R"(convert="VConvertFloat" min="-3" umax="7" val="2")", "VConvertFloat", -3.0, 7.0, 2.0f},
      {R"(convert="VConvertTime" umin="10 ms" umax="2 s" uval="500 ms")", "VConvertTime", 0.01, 2.0,
       0.5f},
      // Enumerated converters take their item range; "uval" and "enum_val" name items.
      {R"(convert="VConvertSwitch" umin="-5" umax="9" uval="on")", "VConvertSwitch", 0.0, 1.0,
       1.0f},
      {R"(convert="VConvertSwitch" enum_val="On")", "VConvertSwitch", 0.0, 1.0, 1.0f},
      {R"(convert="VConvertSwitch" val="1")", "VConvertSwitch", 0.0, 1.0, 1.0f},
      // Unknown classes, missing and malformed keys keep what the port had.
      {R"(convert="VConvertBogus" umin="2" max="abc" uval="3")", "VConvertFloat", 2.0, 1.0, 3.0f},
      {R"(min="nan" max="1e999" val="inf")", "VConvertFloat", 0.0, 1.0, 0.0f},
      {R"(convert="VConvertAmp" umin="-oo" umax="1e999 dB" uval="1e999 dB")", "VConvertAmp", 0.0,
       1.0, 0.0f},
      {"", "VConvertFloat", 0.0, 1.0, 0.0f},
  };
  for (const DescriptionCase& c : cases) {
    XmlDocument document;
    const std::string text = std::string("<VDSPPortControlIn name=\"Knob\" ") + c.attributes + "/>";
    ASSERT_TRUE(document.Parse(text, "VDSPPortControlIn")) << text;
    VDSPPortControlIn port;
    port.Read(document.Root());
    EXPECT_EQ(port.GetName(), "Knob");
    EXPECT_STREQ(port.GetConvert().GetClassName(), c.convert) << c.attributes;
    EXPECT_DOUBLE_EQ(port.GetMinimum(), c.minimum) << c.attributes;
    EXPECT_DOUBLE_EQ(port.GetMaximum(), c.maximum) << c.attributes;
    EXPECT_FLOAT_EQ(port.GetValue(), c.value) << c.attributes;
  }
}

}  // namespace
}  // namespace VDSP
