// Host time as the engine sees it: tempo, song position, time signature and the transport state.
#pragma once

#include <cstdint>

#include "support/XmlDocument.h"

// Written by the audio thread once per block and by state loading on the UI thread while the
// engine is locked; nothing else shares it.
class TimeInfo {
 public:
  // Host time-info flag bits that matter here (VST 2.4 values).
  static constexpr int32_t kTransportPlaying = 2;
  static constexpr int32_t kPpqPosValid = 0x200;
  static constexpr int32_t kTempoValid = 0x400;
  // Tempos outside [kMinTempo, kMaxTempo) from the host are taken for glitches and ignored.
  static constexpr double kMinTempo = 20.0;
  static constexpr double kMaxTempo = 1000.0;

  // What the host reported for this block.
  struct HostTime {
    int32_t flags = 0;
    double tempo = 120.0;
    double ppqPos = 0.0;
    int32_t timeSigNumerator = 0;
    int32_t timeSigDenominator = 0;
  };

  enum class Transport : int32_t { kUnchanged, kStarted, kStopped };

  TimeInfo() { Reset(); }

  // Tempo 120, 4/4, positions 0, flags clear, sample rate 44100. // UI thread or audio thread
  void Reset();

  // Takes the host's tempo (when valid and in range), time signature (when not 0) and song
  // position (when playing with a valid position); the running position restarts there.
  // audio thread
  void ReadHostTime(const HostTime& host);
  // Start and stop detection from the host's playing bit; a start without a valid position starts
  // at position 0. // audio thread
  Transport UpdateTransport(const HostTime& host);
  // The editor's panic: the transport counts as stopped. // audio thread
  void StopTransport();
  // Moves the running position on by `frames` host samples at the current tempo. // audio thread
  void AdvanceSongPosition(int32_t frames);

  // Saves or loads "Tempo", "TSN", "TSD", "Metro" and "Quantize"; a missing value stays as it is.
  // Loaded tempos outside the host range are ignored too. // UI thread
  void SerializeAsXML(VFoundation::XmlNode node, bool save);

  void SetSampleRate(float rateHz) { sampleRateHz_ = rateHz; }
  void SetTempo(double tempo);

  double Tempo() const { return tempo_; }
  double InverseTempo() const { return inverseTempo_; }
  double TempoCopy() const { return tempoCopy_; }
  double SongPosition() const { return songPosition_; }
  double RunningSongPosition() const { return runningSongPosition_; }
  int32_t TimeSigNumerator() const { return timeSigNumerator_; }
  int32_t TimeSigDenominator() const { return timeSigDenominator_; }
  bool TimeSigChanged() const { return timeSigChanged_; }
  void ClearTimeSigChanged() { timeSigChanged_ = false; }
  float SampleRateHz() const { return sampleRateHz_; }
  bool IsRunning() const { return running_; }
  bool Metro() const { return metro_; }
  bool Quantize() const { return quantize_; }
  void SetMetro(bool on) { metro_ = on; }
  void SetQuantize(bool on) { quantize_ = on; }

 private:
  double tempo_ = 120.0;
  double inverseTempo_ = 1.0 / 120.0;
  double tempoCopy_ = 120.0;
  double songPosition_ = 0.0;
  double runningSongPosition_ = 0.0;
  int32_t timeSigNumerator_ = 4;
  int32_t timeSigDenominator_ = 4;
  bool timeSigChanged_ = false;
  float sampleRateHz_ = 44100.0f;
  bool quantize_ = false;
  bool metro_ = false;
  bool running_ = false;
  int32_t previousPlaying_ = 0;
};
