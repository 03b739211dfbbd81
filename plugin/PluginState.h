// The plug-in's state as plain values: what the state document stores, what a load hands to the
// audio thread and what the engine publishes back. No XML here: the state document reads and
// writes these records.
#pragma once

#include <array>
#include <cstdint>

// The oversampling factors the plug-in runs. The largest is what the scratch buffers and the
// resamplers are made for (16 samples per host frame); a request or a stored factor outside the
// range keeps the current one.
inline constexpr int32_t kMinOversampling = 1;
inline constexpr int32_t kMaxOversampling = 16;
inline constexpr int32_t kDefaultOversampling = 2;

// The engine's parameters and modulation routing.
struct EngineState {
  static constexpr int32_t kNumParameters = 60;
  // Column 0 the base, columns 1-11 the depths of the modulation sources.
  static constexpr int32_t kNumColumns = 12;

  std::array<std::array<float, kNumColumns>, kNumParameters> rows{};
  std::array<uint8_t, kNumColumns> unipolar{};
  std::array<float, 2> macroValues{};
  float linkOffset = 0.0f;
};

// The parts of the tempo record that travel with the state.
struct TempoState {
  double tempo = 120.0;
  int32_t numerator = 4;
  int32_t denominator = 4;
  bool metro = false;
  bool quantize = false;
};

// Everything a loaded document changes in the engine. A part that the document lacks keeps the
// engine's current value.
struct PluginState {
  EngineState engine;
  TempoState tempo;
  int32_t oversample = kDefaultOversampling;
  bool hasEngine = false;
  bool hasTempo = false;
  bool hasOversample = false;
};
