// A project reload while the host's audio thread keeps processing, as hosts do it: resume, program
// 0, the chunk, resume again with no suspend between, then a save reads the chunk back. Documents
// with different oversampling factors alternate, so that the engine is rebuilt under the running
// audio thread.
#include <algorithm>
#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "host/TestHost.h"

namespace tavo::test {
namespace {

using Clock = std::chrono::steady_clock;

constexpr float kRate = 44100.0f;
constexpr int kBlock = 512;
constexpr auto kRunTime = std::chrono::seconds(2);
constexpr int kMinimumReloads = 4;
// Reading the state is a copy of a few hundred values; a read that waits this long has stalled
// behind the audio thread.
constexpr auto kStalledRead = std::chrono::seconds(1);

// One document to load: its factor and two engine values no other document and no default share
// (binary fractions, so that they read back as the same text).
struct Document {
  int oversample;
  const char* gain;
  const char* cutoff;
  std::string text;
};

struct ReloadCase {
  const char* name;
  int firstFactor;
  int secondFactor;
};

void PrintTo(const ReloadCase& reload, std::ostream* out) {
  *out << "x" << reload.firstFactor << " and x" << reload.secondFactor;
}

class HostStressReload : public ::testing::TestWithParam<ReloadCase> {
 protected:
  void SetUp() override { Host().Clear(); }
};

std::vector<Document> MakeDocuments(const std::string& fresh, const ReloadCase& reload) {
  std::vector<Document> documents = {{reload.firstFactor, "0.3125", "0.6875", {}},
                                     {reload.secondFactor, "0.5625", "0.4375", {}}};
  for (Document& document : documents) {
    document.text = WithAttribute(fresh, "root", "Oversample", std::to_string(document.oversample));
    document.text = WithAttribute(document.text, "NorvProcess", "Gain_Actual", document.gain);
    document.text = WithAttribute(document.text, "NorvProcess", "F1Cutoff_Actual", document.cutoff);
  }
  return documents;
}

bool ShowsDocument(const std::string& chunk, const Document& document) {
  return AttributeValue(chunk, "root", "Oversample") == std::to_string(document.oversample) &&
         AttributeValue(chunk, "NorvProcess", "Gain_Actual") == document.gain &&
         AttributeValue(chunk, "NorvProcess", "F1Cutoff_Actual") == document.cutoff;
}

// true when the plug-in took the chunk
bool Reload(const PluginInstance& plugin, const Document& document) {
  plugin.Dispatch(vst::effMainsChanged, 0, 1);
  plugin.Dispatch(vst::effSetProgram, 0, 0);
  const bool taken = plugin.LoadChunk(document.text) == 1;
  plugin.Dispatch(vst::effMainsChanged, 0, 1);
  return taken;
}

TEST_P(HostStressReload, EveryChunkReadBackIsTheDocumentJustLoaded) {
  PluginInstance plugin;
  ASSERT_NE(plugin.effect(), nullptr);
  plugin.Start(kRate, kBlock);
  const std::vector<Document> documents = MakeDocuments(plugin.Chunk(), GetParam());

  AudioLoop audio(plugin, kBlock, kRate);
  ASSERT_TRUE(audio.WaitForBlocks(1));
  int reloads = 0;
  int refusedLoads = 0;
  int wrongReads = 0;
  std::string firstWrongRead;
  Clock::duration slowestRead{};
  const Clock::time_point end = Clock::now() + kRunTime;
  while (Clock::now() < end || reloads < kMinimumReloads) {
    const Document& document = documents[static_cast<size_t>(reloads % 2)];
    if (!Reload(plugin, document)) ++refusedLoads;
    const Clock::time_point readStart = Clock::now();
    const std::string chunk = plugin.Chunk();
    slowestRead = std::max(slowestRead, Clock::now() - readStart);
    if (!ShowsDocument(chunk, document)) {
      if (wrongReads++ == 0) firstWrongRead = chunk;
    }
    ++reloads;
  }
  const int64_t blocks = audio.Blocks();
  audio.Stop();

  EXPECT_GT(blocks, 0);
  EXPECT_EQ(audio.DamagedBlocks(), 0) << "blocks that wrote past their frames";
  EXPECT_EQ(audio.NonFiniteBlocks(), 0);
  EXPECT_EQ(refusedLoads, 0);
  EXPECT_EQ(wrongReads, 0) << "of " << reloads << " reads; the first:\n" << firstWrongRead;
  EXPECT_LT(slowestRead, kStalledRead);
}

const ReloadCase kReloadCases[] = {
    {"FactorsTwoAndSixteen", 2, 16},
    {"SameFactorTwice", 2, 2},
};

INSTANTIATE_TEST_SUITE_P(HostStress, HostStressReload, ::testing::ValuesIn(kReloadCases),
                         [](const ::testing::TestParamInfo<ReloadCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace tavo::test
