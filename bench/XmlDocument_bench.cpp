// Cost of reading XML documents on the host's UI thread: a full state document as a host chunk
// carries it, and the largest documents the size limits let through.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "modulation/Binding.h"
#include "modulation/BindingMap.h"
#include "plugin/MessagePort.h"
#include "plugin/StateDocument.h"
#include "support/XmlDocument.h"

namespace {

// Every base away from its default and every depth routed: the most a state document holds.
std::string FullStateDocument() {
  PluginState state;
  state.engine = StateDocument::DefaultEngineState();
  for (auto& row : state.engine.rows) {
    for (float& value : row) value = 0.123456f;
  }
  state.engine.unipolar.fill(0);
  VFoundation::XmlDocument document;
  StateDocument::Write(document, state, "A preset with a long name");
  return document.Print();
}

// One element with as many attributes as the name-comparison limit allows.
std::string WidestElement() {
  std::string text = "<root";
  for (int a = 0; a < 5793; ++a) text += " a" + std::to_string(a) + "=\"0.5\"";
  return text + "/>";
}

// As many empty sibling elements as the node limit allows.
std::string MostNodes() {
  std::string text = "<root>";
  for (int64_t n = 1; n < VFoundation::XmlDocument::kMaxNodes; ++n) text += "<a/>";
  return text + "</root>";
}

void ParseRepeatedly(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    VFoundation::XmlDocument document;
    benchmark::DoNotOptimize(document.Parse(text, "root"));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

// effSetChunk's reading of a full state: parse and read the values out.
void BM_ReadFullStateDocument(benchmark::State& state) {
  const std::string text = FullStateDocument();
  for (auto _ : state) {
    VFoundation::XmlDocument document;
    PluginState loaded;
    std::string name;
    benchmark::DoNotOptimize(document.Parse(text, StateDocument::kRootName) &&
                             StateDocument::Read(document, loaded, name));
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReadFullStateDocument)->Unit(benchmark::kMicrosecond);

void BM_ParseWidestElement(benchmark::State& state) {
  ParseRepeatedly(state, WidestElement());
}
BENCHMARK(BM_ParseWidestElement)->Unit(benchmark::kMillisecond);

void BM_ParseMostNodes(benchmark::State& state) {
  ParseRepeatedly(state, MostNodes());
}
BENCHMARK(BM_ParseMostNodes)->Unit(benchmark::kMillisecond);

// A hostile chunk far beyond the limits costs only the pre-scan that refuses it.
void BM_RefuseAttributeFlood(benchmark::State& state) {
  std::string text = "<root>";
  for (int element = 0; element < 4; ++element) {
    text += "<a";
    for (int a = 0; a < 16000; ++a) text += " a" + std::to_string(a) + "=\"\"";
    text += "/>";
  }
  ParseRepeatedly(state, text + "</root>");
}
BENCHMARK(BM_RefuseAttributeFlood)->Unit(benchmark::kMicrosecond);

// Reading a bindings document with every controller slot full back into the map: one pass over
// its objects, not one search per binding.
void BM_ReadFullBindingsDocument(benchmark::State& state) {
  MessagePort port(64);
  BindingMap map(port, false);
  Binding binding;
  binding.SetPath("Synth");
  binding.SetRange(0.0f, 1.0f);
  for (int32_t channel = 0; channel < BindingMap::kMIDIChannels; ++channel) {
    for (int32_t controller = 0; controller < BindingMap::kControllers; ++controller) {
      for (int32_t i = 0; i < BindingMap::kBindingsPerSlot; ++i) {
        // Each binding moves a target of its own: a second binding of the same target would
        // replace the first.
        binding.SetName("Target " + std::to_string(channel) + "." + std::to_string(controller) +
                        "." + std::to_string(i));
        map.AddMIDICCBinding(channel, controller, binding);
      }
    }
  }
  VFoundation::XmlDocument written;
  written.CreateNew("root");
  map.SerializeAsXML(written.Root(), true);
  const std::string text = written.Print();
  VFoundation::XmlDocument document;
  if (!document.Parse(text, "root")) {
    state.SkipWithError("the bindings document was refused");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(map.SerializeAsXML(document.Root(), false));
  state.counters["bindings"] =
      static_cast<double>(map.ControllerBindingCount(0, 0)) * BindingMap::kControllerSlots;
}
BENCHMARK(BM_ReadFullBindingsDocument)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
