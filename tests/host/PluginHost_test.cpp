// Drives the built plug-in library through the VST 2.4 interface exactly as a host does.
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "host/TestHost.h"

namespace tavo::test {
namespace {

using Buffers = std::vector<std::vector<float>>;

Buffers NoiseBuffers(int channels, int frames, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
  Buffers buffers(channels, std::vector<float>(frames));
  for (auto& channel : buffers) {
    for (float& sample : channel) sample = uniform(random);
  }
  return buffers;
}

Buffers Silence(int channels, int frames) {
  return Buffers(channels, std::vector<float>(frames));
}

TEST(PluginEntry, BothEntryNamesCreateTheSamePlugin) {
  for (const char* name : {"VSTPluginMain", "main"}) {
    PluginInstance plugin(name);
    ASSERT_NE(plugin.effect(), nullptr) << name;
    EXPECT_EQ(plugin.effect()->magic, vst::kEffectMagic);
    EXPECT_EQ(plugin.effect()->uniqueID, vst::FourCC('Q', 'm', 'V', 'o'));
  }
}

TEST(PluginEntry, HostWithoutVersionGetsNoPlugin) {
  Host().versionAnswer = 0;
  vst::AEffect* effect = PluginEntry("VSTPluginMain")(HostCallback);
  Host().versionAnswer = 2400;
  EXPECT_EQ(effect, nullptr);
}

class PluginHost : public ::testing::Test {
 protected:
  void SetUp() override {
    Host().Clear();
    plugin_ = std::make_unique<PluginInstance>();
    ASSERT_NE(plugin_->effect(), nullptr);
  }
  PluginInstance& plugin() { return *plugin_; }

  std::unique_ptr<PluginInstance> plugin_;
};

TEST_F(PluginHost, AnswersItsIdentity) {
  const vst::AEffect* effect = plugin().effect();
  EXPECT_EQ(effect->numInputs, 4);
  EXPECT_EQ(effect->numOutputs, 2);
  EXPECT_EQ(effect->numParams, 62);
  EXPECT_EQ(effect->numPrograms, 0);
  EXPECT_TRUE(effect->flags & vst::effFlagsCanReplacing);
  EXPECT_TRUE(effect->flags & vst::effFlagsProgramChunks);
  EXPECT_FALSE(effect->flags & vst::effFlagsIsSynth);
  EXPECT_FALSE(effect->flags & vst::effFlagsCanDoubleReplacing);

  EXPECT_EQ(plugin().Text(vst::effGetEffectName), "Tavo");
  EXPECT_EQ(plugin().Text(vst::effGetProductString), "Tavo");
  EXPECT_EQ(plugin().Text(vst::effGetVendorString), "Quorvanta");
  EXPECT_EQ(plugin().Dispatch(vst::effGetVendorVersion), 0x01000101);
  EXPECT_EQ(plugin().Dispatch(vst::effGetVstVersion), 2400);
  EXPECT_EQ(plugin().Dispatch(vst::effGetPlugCategory), vst::kPlugCategEffect);
  EXPECT_EQ(plugin().Dispatch(vst::effIdentify), vst::FourCC('N', 'v', 'E', 'f'));
  EXPECT_EQ(plugin().Dispatch(vst::effStartProcess), 0);
  EXPECT_EQ(plugin().Dispatch(vst::effStopProcess), 0);
}

TEST_F(PluginHost, NullTextPointersAnswerFalse) {
  for (vst::VstInt32 opcode :
       {vst::effGetEffectName, vst::effGetVendorString, vst::effGetProductString,
        vst::effGetInputProperties, vst::effGetOutputProperties, vst::effGetMidiKeyName,
        vst::effCanDo, vst::effGetParameterProperties, vst::effGetProgramNameIndexed}) {
    EXPECT_EQ(plugin().Dispatch(opcode, 0, 0, nullptr), 0) << "opcode " << opcode;
  }
}

TEST_F(PluginHost, CanDoAnswersExactStringsOnly) {
  struct Case {
    const char* text;
    vst::VstIntPtr answer;
  };
  const Case cases[] = {
      {"receiveVstEvents", 1},
      {"receiveVstMidiEvent", 1},
      {"receiveVstTimeInfo", 1},
      {"midiProgramNames", 1},
      {"bypass", 1},
      {"sizeWindow", 1},
      {"conformsToWindowRules", 1},
      {"Bypass", -1},
      {"sendVstEvents", -1},
      {"receiveVstMidiEvents", -1},
      {"", -1},
      {"bypass ", -1},
  };
  for (const Case& c : cases) {
    char text[64];
    std::strcpy(text, c.text);
    EXPECT_EQ(plugin().Dispatch(vst::effCanDo, 0, 0, text), c.answer) << '"' << c.text << '"';
  }
}

TEST_F(PluginHost, PinsFollowThePinTable) {
  for (int pin = 0; pin < 4; ++pin) {
    vst::VstPinProperties properties{};
    ASSERT_EQ(plugin().Dispatch(vst::effGetInputProperties, pin, 0, &properties), 1);
    EXPECT_STREQ(properties.label, "Tavo In");
    EXPECT_STREQ(properties.shortLabel, "Tavo In");
    EXPECT_EQ(properties.flags, vst::kVstPinIsActive | vst::kVstPinIsStereo);
    EXPECT_EQ(properties.arrangementType, vst::kSpeakerArrStereo);
  }
  for (int pin = 0; pin < 2; ++pin) {
    vst::VstPinProperties properties{};
    ASSERT_EQ(plugin().Dispatch(vst::effGetOutputProperties, pin, 0, &properties), 1);
    EXPECT_STREQ(properties.label, "Master");
    EXPECT_STREQ(properties.shortLabel, "Mst");
    EXPECT_EQ(properties.flags, 3);
    EXPECT_EQ(properties.arrangementType, 1);
  }
  vst::VstPinProperties untouched;
  std::memset(&untouched, 0x55, sizeof untouched);
  for (int pin : {4, -1, 1000}) {
    EXPECT_EQ(plugin().Dispatch(vst::effGetInputProperties, pin, 0, &untouched), 0);
  }
  for (int pin : {2, -1}) {
    EXPECT_EQ(plugin().Dispatch(vst::effGetOutputProperties, pin, 0, &untouched), 0);
  }
  EXPECT_EQ(static_cast<unsigned char>(untouched.label[0]), 0x55);
}

TEST_F(PluginHost, ParameterNamesAndDisplay) {
  struct Case {
    int index;
    const char* name;
  };
  const Case cases[] = {{0, "L1 Rate"},  {5, "L1 Mrph"}, {32, "Paralle"},
                        {34, "F1 Freq"}, {57, "HPSC"},   {58, "Bypass"},
                        {59, "Co Mode"}, {60, "None"},   {61, "None"}};
  for (const Case& c : cases) {
    EXPECT_EQ(plugin().Text(vst::effGetParamName, c.index), c.name) << c.index;
  }
  for (int index = 0; index < 62; ++index) {
    const std::string name = plugin().Text(vst::effGetParamName, index);
    EXPECT_FALSE(name.empty()) << index;
    EXPECT_LE(name.size(), 7u) << index;
    EXPECT_EQ(plugin().Text(vst::effGetParamLabel, index), "");
  }
  plugin().effect()->setParameter(plugin().effect(), 54, 0.5f);
  EXPECT_EQ(plugin().Text(vst::effGetParamDisplay, 54), "050");
  plugin().effect()->setParameter(plugin().effect(), 54, 0.0f);
  EXPECT_EQ(plugin().Text(vst::effGetParamDisplay, 54), "000");
  plugin().effect()->setParameter(plugin().effect(), 54, 1.0f);
  EXPECT_EQ(plugin().Text(vst::effGetParamDisplay, 54), "100");
}

TEST_F(PluginHost, ParametersStartAtTheirDefaultsAndTellTheHost) {
  const struct {
    int index;
    float value;
  } defaults[] = {{0, 0.5f},       {3, 1.0f},  {12, 0.0f}, {38, 0.58f}, {55, 0.7937005f},
                  {56, 0.342499f}, {58, 1.0f}, {60, 0.0f}, {61, 0.0f}};
  for (const auto& d : defaults) {
    EXPECT_FLOAT_EQ(plugin().effect()->getParameter(plugin().effect(), d.index), d.value);
  }
  // The 60 default bindings report their values to the host at construction.
  Host().Clear();
  PluginInstance second;
  const auto automations = Host().CallsWith(vst::audioMasterAutomate);
  ASSERT_EQ(automations.size(), 60u);
  EXPECT_EQ(automations[38].index, 38);
  EXPECT_FLOAT_EQ(automations[38].opt, 0.58f);
  EXPECT_TRUE(Host().CallsWith(vst::audioMasterBeginEdit).empty());
}

TEST_F(PluginHost, SetParameterIgnoresChangesBelowTheResolution) {
  vst::AEffect* effect = plugin().effect();
  effect->setParameter(effect, 5, 0.25f);
  EXPECT_FLOAT_EQ(effect->getParameter(effect, 5), 0.25f);
  effect->setParameter(effect, 5, 0.25f + 5e-7f);
  EXPECT_FLOAT_EQ(effect->getParameter(effect, 5), 0.25f);
  effect->setParameter(effect, 5, 0.9f);
  EXPECT_FLOAT_EQ(effect->getParameter(effect, 5), 0.9f);
  // Out-of-range indices are ignored and read as 0.
  effect->setParameter(effect, 62, 0.5f);
  effect->setParameter(effect, -1, 0.5f);
  EXPECT_EQ(effect->getParameter(effect, 62), 0.0f);
  EXPECT_EQ(effect->getParameter(effect, -1), 0.0f);
}

TEST_F(PluginHost, CanBeAutomatedCoversTheHostParameters) {
  EXPECT_EQ(plugin().Dispatch(vst::effCanBeAutomated, 0), 1);
  EXPECT_EQ(plugin().Dispatch(vst::effCanBeAutomated, 61), 1);
  EXPECT_EQ(plugin().Dispatch(vst::effCanBeAutomated, 62), 0);
  EXPECT_EQ(plugin().Dispatch(vst::effCanBeAutomated, -1), 0);
  char text[32] = "0.5";
  EXPECT_EQ(plugin().Dispatch(vst::effString2Parameter, 0, 0, text), 0);
  vst::VstParameterProperties properties;
  std::memset(&properties, 0x55, sizeof properties);
  EXPECT_EQ(plugin().Dispatch(vst::effGetParameterProperties, 3, 0, &properties), 0);
  const auto* bytes = reinterpret_cast<const unsigned char*>(&properties);
  for (size_t i = 0; i < sizeof properties; ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;
}

TEST_F(PluginHost, ProgramNameIsKeptAndIndexedNameAnswersTrue) {
  EXPECT_EQ(plugin().Text(vst::effGetProgramName), "Default");
  char text[64] = {};
  EXPECT_EQ(plugin().Dispatch(vst::effGetProgramNameIndexed, 0, 0, text), 1);
  EXPECT_STREQ(text, "Default");
  plugin().Dispatch(vst::effSetProgram, 0, 3);
  EXPECT_EQ(plugin().Dispatch(vst::effGetProgram), 0);
}

TEST_F(PluginHost, MidiKeyNames) {
  struct Case {
    int channel;
    int key;
    const char* name;
  };
  const Case cases[] = {
      {0, 1, "Trigger Envelope"},
      {0, 2, "Trigger LFO 1"},
      {0, 3, "Trigger LFO 2"},
      {0, 5, "LFO 1 64 bars (dotted)"},
      {0, 24, "LFO 1 1 bar"},
      {0, 43, "LFO 1 1/64 bar (triplet)"},
      {0, 44, "LFO 2 64 bars (dotted)"},
      {0, 82, "LFO 2 1/64 bar (triplet)"},
      {0, 0, ""},
      {0, 4, ""},
      {0, 83, ""},
      {0, 127, ""},
      {1, 64, "050 %"},
      {1, 0, "000 %"},
      {1, 127, "099 %"},
      {2, 64, ""},
      {15, 1, ""},
  };
  for (const Case& c : cases) {
    vst::MidiKeyName key{};
    key.thisKeyNumber = c.key;
    std::strcpy(key.keyName, "untouched?");
    EXPECT_EQ(plugin().Dispatch(vst::effGetMidiKeyName, c.channel, 0, &key), 1);
    EXPECT_STREQ(key.keyName, c.name) << "channel " << c.channel << " key " << c.key;
  }
}

TEST_F(PluginHost, VendorSpecificCalls) {
  const vst::VstInt32 qrvn = vst::FourCC('Q', 'R', 'V', 'N');
  EXPECT_EQ(plugin().Dispatch(vst::effVendorSpecific, qrvn, 90000, nullptr, 2.0f), 1);
  EXPECT_EQ(plugin().Dispatch(vst::effVendorSpecific, qrvn, 90000, nullptr, 1.0f), 0);
  EXPECT_EQ(plugin().Dispatch(vst::effVendorSpecific, qrvn, 0x4F666658, nullptr, 12.0f), 0);
  EXPECT_EQ(plugin().Dispatch(vst::effVendorSpecific, qrvn, 1234, nullptr, 2.0f), 0);
  EXPECT_EQ(plugin().Dispatch(vst::effVendorSpecific, 0, 90000, nullptr, 2.0f), 0);
}

TEST_F(PluginHost, BypassCopiesTheMainInputExactly) {
  plugin().Start(44100.0f, 256);
  EXPECT_EQ(plugin().Dispatch(vst::effSetBypass, 0, 1), 1);
  Buffers inputs = NoiseBuffers(4, 256, 1);
  Buffers outputs = Silence(2, 256);
  plugin().Process(inputs, outputs, 256);
  EXPECT_EQ(outputs[0], inputs[0]);
  EXPECT_EQ(outputs[1], inputs[1]);
}

TEST_F(PluginHost, BurstOfMidiEventsIsSurvived) {
  plugin().Start(44100.0f, 512);
  std::vector<vst::VstMidiEvent> midi(600);
  std::vector<vst::VstEvent*> pointers;
  for (int i = 0; i < 600; ++i) {
    vst::VstMidiEvent& event = midi[i];
    event = {};
    event.type = vst::kVstMidiType;
    event.byteSize = sizeof event;
    event.deltaFrames = (599 - i) % 700;  // out of order, some beyond the block
    event.midiData[0] = static_cast<char>(i % 2 ? 0x90 : 0xB0);
    event.midiData[1] = static_cast<char>(i % 128);
    event.midiData[2] = 100;
    pointers.push_back(reinterpret_cast<vst::VstEvent*>(&event));
  }
  std::vector<char> storage(sizeof(vst::VstEvents) + 600 * sizeof(void*));
  auto* events = reinterpret_cast<vst::VstEvents*>(storage.data());
  events->numEvents = 600;
  std::memcpy(events->events, pointers.data(), 600 * sizeof(void*));
  EXPECT_EQ(plugin().Dispatch(vst::effProcessEvents, 0, 0, events), 1);
  Buffers inputs = NoiseBuffers(4, 512, 2);
  Buffers outputs = Silence(2, 512);
  plugin().Process(inputs, outputs, 512);
  for (const auto& channel : outputs) {
    for (float sample : channel) ASSERT_TRUE(std::isfinite(sample));
  }
}

// Hosts may send a block longer than announced; the plug-in must work in pieces that fit.
TEST_F(PluginHost, BlocksOfEverySizeGiveFiniteOutput) {
  plugin().Start(48000.0f, 64);
  for (int frames : {0, 1, 7, 32, 64, 511, 4096}) {
    Buffers inputs = NoiseBuffers(4, std::max(frames, 1), frames);
    Buffers outputs = Silence(2, std::max(frames, 1));
    plugin().Process(inputs, outputs, frames);
    for (const auto& channel : outputs) {
      for (int i = 0; i < frames; ++i) ASSERT_TRUE(std::isfinite(channel[i])) << frames;
    }
  }
}

TEST_F(PluginHost, SurvivesNullAndOutOfRangeArgumentsOnEveryOpcode) {
  plugin().Start(44100.0f, 128);
  std::vector<char> zeroed(8192, 0);
  for (vst::VstInt32 opcode = -2; opcode < 90; ++opcode) {
    if (opcode == vst::effClose) continue;
    for (vst::VstInt32 index : {-1, 0, 61, 62, 1000}) {
      plugin().Dispatch(opcode, index, 0, nullptr, 0.0f);
      if (opcode == vst::effSetChunk || opcode == vst::effEditOpen ||
          opcode == vst::effSetBlockSize || opcode == vst::effSetSampleRate) {
        continue;
      }
      std::fill(zeroed.begin(), zeroed.end(), 0);
      plugin().Dispatch(opcode, index, 0, zeroed.data(), 0.0f);
    }
  }
  // Still alive and processing.
  Buffers inputs = NoiseBuffers(4, 128, 3);
  Buffers outputs = Silence(2, 128);
  plugin().Process(inputs, outputs, 128);
  EXPECT_TRUE(std::isfinite(outputs[0][5]));
}

TEST_F(PluginHost, MalformedChunkIsRefused) {
  char garbage[] = "<root StateVersion=\"nonsense\"><TimeInfo";
  EXPECT_EQ(plugin().Dispatch(vst::effSetChunk, 0, sizeof garbage, garbage), 0);
}

TEST_F(PluginHost, SampleRatesAndBlockSizesChangeMidStream) {
  plugin().Start(44100.0f, 512);
  for (float rate : {44100.0f, 48000.0f, 96000.0f}) {
    for (int block : {32, 512}) {
      plugin().Dispatch(vst::effMainsChanged, 0, 0);
      plugin().Dispatch(vst::effSetSampleRate, 0, 0, nullptr, rate);
      plugin().Dispatch(vst::effSetBlockSize, 0, block);
      plugin().Dispatch(vst::effMainsChanged, 0, 1);
      Buffers inputs = NoiseBuffers(4, block, block);
      Buffers outputs = Silence(2, block);
      plugin().Process(inputs, outputs, block);
      for (const auto& channel : outputs) {
        for (float sample : channel) ASSERT_TRUE(std::isfinite(sample)) << rate << " " << block;
      }
    }
  }
}

}  // namespace
}  // namespace tavo::test
