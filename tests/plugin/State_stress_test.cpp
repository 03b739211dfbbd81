// Chunk loads and saves on the UI thread while the audio thread processes, as hosts do on project
// load and save: every chunk read is one whole state, and a read right after a load shows it.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "plugin/Norv.h"
#include "plugin/StateDocument.h"
#include "support/Log.h"
#include "support/Paths.h"

namespace {

constexpr int kFrames = 64;

vst::VstIntPtr QuietHost(vst::AEffect*, int32_t opcode, int32_t, vst::VstIntPtr, void*, float) {
  return opcode == vst::audioMasterVersion ? 2400 : 0;
}

// Every base set to `base` and every LFO1 depth to `depth`: a torn reading mixes the two states.
std::string UniformDocument(float base, float depth, int oversample) {
  PluginState state;
  state.engine = StateDocument::DefaultEngineState();
  for (auto& row : state.engine.rows) {
    row[0] = base;
    row[2] = depth;
  }
  state.engine.unipolar[3] = depth < 0.0f ? 0 : 1;
  state.oversample = oversample;
  VFoundation::XmlDocument document;
  StateDocument::Write(document, state, "Stress");
  return document.Print();
}

// The (base, depth) pair every row holds; false when rows disagree.
bool UniformValues(const std::string& chunk, float& base, float& depth, int& oversample) {
  VFoundation::XmlDocument document;
  if (!document.Parse(chunk, "root")) return false;
  PluginState state;
  std::string name;
  if (!StateDocument::Read(document, state, name) || !state.hasEngine) return false;
  base = state.engine.rows[0][0];
  depth = state.engine.rows[0][2];
  oversample = state.oversample;
  for (const auto& row : state.engine.rows) {
    if (row[0] != base || row[2] != depth) return false;
  }
  return (state.engine.unipolar[3] == 0) == (depth < 0.0f);
}

// The instance's set-up lines wait in the process-wide run-time log; at the end they are written
// out and the file removed, so that the log's own stress test in this executable reads only its
// lines.
class RuntimeLogCleanup {
 public:
  RuntimeLogCleanup() = default;
  RuntimeLogCleanup(const RuntimeLogCleanup&) = delete;
  RuntimeLogCleanup& operator=(const RuntimeLogCleanup&) = delete;
  ~RuntimeLogCleanup() {
    VFoundation::RuntimeLog::Start();
    VFoundation::RuntimeLog::Flush();
    const std::filesystem::path file =
        VApplication::Paths::FromUtf8(VFoundation::RuntimeLog::FilePath());
    VFoundation::RuntimeLog::Stop();
    std::error_code error;
    std::filesystem::remove(file, error);
  }
};

TEST(StateStressTest, ChunksWhileTheAudioThreadRunsAreWholeStates) {
  RuntimeLogCleanup logCleanup;
  Norv norv(QuietHost);
  norv.setSampleRate(44100.0f);
  norv.setBlockSize(kFrames);
  norv.resume();

  std::atomic<bool> stop{false};
  std::atomic<int> blocks{0};
  std::thread audio([&] {
    std::vector<float> in(kFrames, 0.1f), out0(kFrames), out1(kFrames);
    float* inputs[4] = {in.data(), in.data(), in.data(), in.data()};
    float* outputs[2] = {out0.data(), out1.data()};
    while (!stop.load()) {
      norv.processReplacing(inputs, outputs, kFrames);
      blocks.fetch_add(1);
    }
  });
  while (blocks.load() == 0) std::this_thread::yield();

  struct Variant {
    float base;
    float depth;
    int oversample;
  };
  // The third variant changes the oversampling factor, which the audio thread takes with the load.
  const Variant variants[] = {{0.25f, 0.5f, 2}, {0.75f, -0.5f, 2}, {0.125f, 0.25f, 4}};
  std::vector<std::string> documents;
  for (const Variant& v : variants) {
    documents.push_back(UniformDocument(v.base, v.depth, v.oversample));
  }

  int torn = 0;
  int stale = 0;
  constexpr int kRounds = 100;
  for (int round = 0; round < kRounds; ++round) {
    const size_t which = (round % 10 == 9) ? 2 : static_cast<size_t>(round % 2);
    std::vector<char> data(documents[which].begin(), documents[which].end());
    ASSERT_EQ(norv.setChunk(data.data(), static_cast<int32_t>(data.size()), false), 1);
    // The host reads back at once.
    EXPECT_FLOAT_EQ(norv.getParameter(0), variants[which].base);
    for (int read = 0; read < 3; ++read) {
      void* chunk = nullptr;
      const int32_t size = norv.getChunk(&chunk, false);
      ASSERT_GT(size, 0);
      float base = 0.0f;
      float depth = 0.0f;
      int oversample = 0;
      if (!UniformValues(std::string(static_cast<const char*>(chunk), size), base, depth,
                         oversample)) {
        ++torn;
      } else if (base != variants[which].base || depth != variants[which].depth ||
                 oversample != variants[which].oversample) {
        ++stale;
      }
    }
  }
  // A few more blocks let the engine take the last load.
  const int seen = blocks.load();
  while (blocks.load() < seen + 3) std::this_thread::yield();
  stop.store(true);
  audio.join();
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(stale, 0);
  // The engine itself ends on the last state.
  const Variant& last = variants[(kRounds - 1) % 10 == 9 ? 2 : (kRounds - 1) % 2];
  EXPECT_FLOAT_EQ(norv.Engine().Base(5), last.base);
  EXPECT_FLOAT_EQ(norv.Engine().Depth(5, 2), last.depth);
}

}  // namespace
