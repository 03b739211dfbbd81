// Golden outputs of every filter type and mode: the RMS of a fixed noise through fixed settings,
// and a digest of every output bit, so that a change that moves one sample shows. The level tells
// how far a change moved the sound; the digest tells that it moved at all. TAVO_PRINT_GOLDEN=1
// prints the table from the code as it is, for a deliberate change of sound, instead of checking.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "kit/Blocks.h"
#include "kit/FilterTypes.h"
#include "kit/Measure.h"
#include "kit/Signals.h"

namespace TestKit {
namespace {

constexpr size_t kLength = 6144;

// Three thirds of uniform noise at -26, -6 and +10 dBFS: the small-signal response, the knee of
// the saturators and hard saturation. Left and right are independent.
Stereo GoldenInput() {
  const float levels[] = {0.05f, 0.5f, 3.0f};
  UniformNoise noise(20240611u);
  Stereo s(kLength);
  for (size_t i = 0; i < kLength; ++i) {
    const float level = levels[3 * i / kLength];
    s.left[i] = level * noise.Next();
    s.right[i] = level * noise.Next();
  }
  return s;
}

// One way to run a filter: rates, block length, controls. The cutoff moves linearly from
// cutoffStart to cutoffEnd across the blocks (equal ends hold it still).
struct Setting {
  float hostRateHz;
  int32_t factor;
  size_t block;
  float cutoffStart;
  float cutoffEnd;
  float resonance;
};

constexpr Setting kSettings[] = {
    {44100.0f, 1, 32, 0.55f, 0.55f, 0.3f},   // moderate resonance, held
    {44100.0f, 1, 32, 0.72f, 0.72f, 0.95f},  // near self-oscillation, held
    {44100.0f, 2, 64, 0.3f, 0.9f, 0.6f},     // twice oversampled, cutoff sweeping up
};
constexpr size_t kSettingCount = std::size(kSettings);

// FNV-1a over the bit patterns of both channels.
uint32_t Digest(const Stereo& s) {
  uint32_t hash = 2166136261u;
  for (const std::vector<float>* channel : {&s.left, &s.right}) {
    for (float x : *channel) {
      uint32_t bits = 0;
      std::memcpy(&bits, &x, sizeof bits);
      for (int byte = 0; byte < 4; ++byte) {
        hash = (hash ^ ((bits >> (8 * byte)) & 0xFFu)) * 16777619u;
      }
    }
  }
  return hash;
}

struct GoldenOutput {
  double rms;
  uint32_t digest;
};

GoldenOutput RunGolden(const FilterMode& mode, const Setting& setting) {
  const std::unique_ptr<FilterUnderTest> filter = mode.kind->make();
  const float rateHz = setting.hostRateHz * static_cast<float>(setting.factor);
  filter->SetSampleRate(rateHz, setting.hostRateHz, setting.factor);
  Stereo s = GoldenInput();
  const float sweep = (setting.cutoffEnd - setting.cutoffStart) / static_cast<float>(kLength);
  ForEachBlock(kLength, setting.block, [&](size_t start, int32_t n, float inverseN) {
    const float cutoff = setting.cutoffStart + sweep * static_cast<float>(start);
    filter->SetParameters(cutoff, setting.resonance, mode.ModeValue());
    filter->Process(&s.left[start], &s.right[start], &s.left[start], &s.right[start], n, inverseN);
  });
  return {Rms(s), Digest(s)};
}

struct GoldenRow {
  const char* type;
  uint32_t mode;
  double rms[kSettingCount];
  uint32_t digest[kSettingCount];
};

// Generated with TAVO_PRINT_GOLDEN=1. The Linux and the Windows build (run under Wine), optimised
// or Debug, give the same bits.
constexpr GoldenRow kGolden[] = {
    {"Japan", 0, {0.207776814, 0.610197681, 0.471025381}, {0xEFAE4E6D, 0xF3549FF1, 0x0457A26D}},
    {"Japan", 1, {0.143100769, 0.369563793, 0.309636842}, {0xA4B85463, 0x30C0070D, 0x642B044E}},
    {"Japan", 2, {0.208126529, 0.532265475, 0.39942509}, {0x5FACFCAB, 0xBC7755E4, 0x5C24F18F}},
    {"Japan", 3, {0.159714323, 0.428732622, 0.302663222}, {0xCEBA9712, 0xD10EC54D, 0x1FF6BE9E}},
    {"Japan", 4, {1.4291082, 1.34132213, 1.2571849}, {0x59A821CF, 0x2CFE5C7B, 0x0D0B63AA}},
    {"Japan", 5, {1.34138017, 1.01694867, 1.01617681}, {0x01ABB47E, 0x7442D407, 0x3D0C284A}},
    {"Japan", 6, {1.5303843, 1.87532311, 1.65314406}, {0xE2E4B9BD, 0xC82120F2, 0xCEC58CEB}},
    {"Japan", 7, {1.39812976, 1.24777245, 1.2087306}, {0xF0FCD970, 0x83BE5D66, 0x4E011C48}},
    {"Japan", 8, {1.42005327, 1.27833496, 1.22196438}, {0x45DA3D77, 0x20DB6CAB, 0x539C8156}},
    {"Japan", 9, {0.251880783, 0.567623881, 0.422659616}, {0xE8A6B31C, 0x56AB2D98, 0xB549CA6F}},
    {"Japan", 10, {0.26273967, 0.391695625, 0.341953678}, {0x6459B5EC, 0x99D07686, 0xF5291F30}},
    {"Japan", 11, {0.377254471, 0.544528845, 0.468469373}, {0x376198E5, 0xB02459CE, 0x80EB79E7}},
    {"Japan", 12, {1.32412152, 1.30512605, 1.15337953}, {0x943E2855, 0x41F5F804, 0x038BB050}},
    {"Japan", 13, {0.147809457, 0.447885639, 0.33138155}, {0x6EF065DA, 0x63B90B76, 0xD6DC0D35}},
    {"Japan", 14, {1.30904477, 1.12718848, 1.05363362}, {0x856252D2, 0x1A76EEED, 0xF1B413D4}},
    {"Japan", 15, {1.40411282, 1.19095836, 1.18222032}, {0x5A61B231, 0x65968DB9, 0x27348C81}},
    {"Japan", 16, {1.31924847, 0.985228271, 0.993137814}, {0x7D3B106A, 0xD0382D70, 0xA510A70B}},
    {"Japan", 17, {0.109944787, 0.212422972, 0.218775568}, {0xEBA576EA, 0x616F1EA3, 0xB7993DBC}},
    {"Japan", 18, {1.32991298, 1.03131868, 1.0189842}, {0xF9A03557, 0x4FDADF80, 0x8DF89D12}},
    {"Japan", 19, {0.242348983, 0.383557441, 0.35188434}, {0x3D9B4E67, 0xADC7184B, 0xBE0C7A49}},
    {"Japan", 20, {0.335476791, 0.277638096, 0.296295616}, {0x55B5B4A3, 0xF90791E7, 0xE4CD1BA3}},
    {"Japan", 21, {1.32640079, 1.01583546, 1.00814335}, {0x40467030, 0x1595B883, 0x2ECEC376}},
    {"Svf", 0, {0.216534157, 0.741665252, 0.50567922}, {0xACCA344D, 0x3B4AAE0E, 0xD05C9BA0}},
    {"Svf", 1, {0.199474874, 0.646559522, 0.448624026}, {0x5E89EAEC, 0xCF8334D1, 0xF9ED09C0}},
    {"Svf", 2, {0.811137237, 0.966676216, 0.859679647}, {0x5C55AC98, 0x2962BCB2, 0x115D07C2}},
    {"Svf", 3, {0.76251432, 0.909456321, 0.842907772}, {0xCC092241, 0xB160CEDD, 0xCFC9F8D1}},
    {"Svf", 4, {0.207254776, 0.710522588, 0.482043382}, {0x6B93E10F, 0xA034D801, 0xE917FFDE}},
    {"Svf", 5, {0.140476175, 0.582890356, 0.375612815}, {0xB5C5D3A3, 0x69EF07F0, 0xBE93EB17}},
    {"Svf", 6, {0.794101565, 0.748378758, 0.7583549}, {0xAD345C2C, 0x389BE6FF, 0x261F9F0E}},
    {"Svf", 7, {0.737813352, 0.685606558, 0.703535332}, {0xCC104A5D, 0xBC8B5F5D, 0x05E7651F}},
    {"Svf", 8, {0.853624961, 1.30508626, 1.04482479}, {0xF7C7A459, 0x1594AAAB, 0x497D9AB8}},
    {"Svf", 9, {0.85817107, 1.51198809, 1.14264693}, {0xF38BF10B, 0x00BB3AD6, 0x7F370712}},
    {"Fatty", 0, {0.204861397, 0.376969528, 0.304288205}, {0x8C46D36A, 0x09EE27A9, 0xA6CF1C1C}},
    {"Fatty", 1, {0.184553289, 0.32874911, 0.26583374}, {0x95D6200D, 0xDD6C39E2, 0x36FCF52A}},
    {"Fatty", 2, {0.901130393, 0.933653509, 0.912682561}, {0x062BF35F, 0xC49D3327, 0x7F31847A}},
    {"Fatty", 3, {0.894599705, 0.914866059, 0.900978914}, {0xD5688691, 0xB9705ACF, 0x043DCA65}},
    {"Comb", 0, {0.276579312, 0.144013523, 0.18766085}, {0xE0EB120E, 0xCEBEBCCC, 0x1B36A388}},
    {"Comb", 1, {0.278261733, 0.141420716, 0.1852481}, {0x238CCC06, 0x24909638, 0xCA6DAF4C}},
};

// 1e-6 relative: far below anything audible, far above the last bit of a double sum.
constexpr double kTolerance = 1e-6;

const GoldenRow* FindRow(const FilterMode& mode) {
  for (const GoldenRow& row : kGolden) {
    if (std::strcmp(row.type, mode.kind->name) == 0 && row.mode == mode.index) return &row;
  }
  return nullptr;
}

bool PrintRequested() {
  const char* print = std::getenv("TAVO_PRINT_GOLDEN");
  return print != nullptr && std::strcmp(print, "1") == 0;
}

void PrintTable() {
  std::printf("constexpr GoldenRow kGolden[] = {\n");
  for (const FilterMode& mode : AllFilterModes()) {
    GoldenOutput outputs[kSettingCount];
    for (size_t i = 0; i < kSettingCount; ++i) outputs[i] = RunGolden(mode, kSettings[i]);
    std::printf("    {\"%s\", %u, {", mode.kind->name, mode.index);
    for (size_t i = 0; i < kSettingCount; ++i) {
      std::printf("%s%.9g", i == 0 ? "" : ", ", outputs[i].rms);
    }
    std::printf("}, {");
    for (size_t i = 0; i < kSettingCount; ++i) {
      std::printf("%s0x%08X", i == 0 ? "" : ", ", static_cast<unsigned>(outputs[i].digest));
    }
    std::printf("}},\n");
  }
  std::printf("};\n");
}

TEST(FilterGoldenTest, EveryTypeAndModeGivesItsRecordedOutput) {
  if (PrintRequested()) {
    PrintTable();
    GTEST_SKIP() << "printed the golden table instead of checking it";
  }
  for (const FilterMode& mode : AllFilterModes()) {
    const GoldenRow* row = FindRow(mode);
    ASSERT_NE(row, nullptr) << mode.Name() << " has no golden row";
    for (size_t i = 0; i < kSettingCount; ++i) {
      const GoldenOutput output = RunGolden(mode, kSettings[i]);
      EXPECT_NEAR(output.rms, row->rms[i], kTolerance * row->rms[i])
          << mode.Name() << " setting " << i;
      EXPECT_EQ(output.digest, row->digest[i]) << mode.Name() << " setting " << i;
    }
  }
}

TEST(FilterGoldenTest, TheTableHasOneRowPerTypeAndMode) {
  EXPECT_EQ(std::size(kGolden), AllFilterModes().size());
}

}  // namespace
}  // namespace TestKit
