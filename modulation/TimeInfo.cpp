// Host time: tempo, position, time signature, transport and their stored form.
#include "modulation/TimeInfo.h"

#include <cmath>

#include "modulation/TempoSync.h"

namespace {

bool TempoInRange(double tempo) {
  return tempo >= TimeInfo::kMinTempo && tempo < TimeInfo::kMaxTempo;
}

}  // namespace

void TimeInfo::Reset() {
  SetTempo(120.0);
  songPosition_ = 0.0;
  runningSongPosition_ = 0.0;
  timeSigNumerator_ = 4;
  timeSigDenominator_ = 4;
  timeSigChanged_ = false;
  sampleRateHz_ = 44100.0f;
  quantize_ = false;
  metro_ = false;
  running_ = false;
  previousPlaying_ = 0;
}

void TimeInfo::SetTempo(double tempo) {
  tempo_ = tempo;
  inverseTempo_ = 1.0 / tempo;
  tempoCopy_ = tempo;
}

void TimeInfo::ReadHostTime(const HostTime& host) {
  if (host.timeSigNumerator != 0 && host.timeSigNumerator != timeSigNumerator_) {
    timeSigNumerator_ = host.timeSigNumerator;
    timeSigChanged_ = true;
  }
  if (host.timeSigDenominator != 0 && host.timeSigDenominator != timeSigDenominator_) {
    timeSigDenominator_ = host.timeSigDenominator;
    timeSigChanged_ = true;
  }
  if ((host.flags & kTempoValid) != 0 && TempoInRange(host.tempo)) SetTempo(host.tempo);
  const int32_t positionFlags = kTransportPlaying | kPpqPosValid;
  if ((host.flags & positionFlags) == positionFlags && std::isfinite(host.ppqPos)) {
    songPosition_ = host.ppqPos;
  }
  runningSongPosition_ = songPosition_;
}

TimeInfo::Transport TimeInfo::UpdateTransport(const HostTime& host) {
  const int32_t playing = host.flags & kTransportPlaying;
  if (playing == 0 && !running_) {
    // Forgetting the playing bit here lets a host that stops after a panic start cleanly again.
    previousPlaying_ = 0;
    return Transport::kUnchanged;
  }
  Transport change = Transport::kUnchanged;
  if (previousPlaying_ == kTransportPlaying && playing == 0) {
    running_ = false;
    change = Transport::kStopped;
  } else if (previousPlaying_ == 0 && playing == kTransportPlaying) {
    running_ = true;
    if ((host.flags & kPpqPosValid) == 0) {
      songPosition_ = 0.0;
      runningSongPosition_ = 0.0;
    }
    change = Transport::kStarted;
  }
  previousPlaying_ = playing;
  return change;
}

void TimeInfo::StopTransport() {
  running_ = false;
}

void TimeInfo::AdvanceSongPosition(int32_t frames) {
  runningSongPosition_ += frames * BeatsPerSample(tempo_, sampleRateHz_);
}

void TimeInfo::SerializeAsXML(VFoundation::XmlNode node, bool save) {
  if (!node) return;
  if (save) {
    node.WriteDouble("Tempo", tempo_);
    node.WriteInt("TSN", timeSigNumerator_);
    node.WriteInt("TSD", timeSigDenominator_);
    node.WriteBool("Metro", metro_);
    node.WriteBool("Quantize", quantize_);
    return;
  }
  double tempo = tempo_;
  if (node.ReadDouble("Tempo", tempo) && TempoInRange(tempo)) SetTempo(tempo);
  int32_t value = 0;
  if (node.ReadInt("TSN", value) && value > 0) timeSigNumerator_ = value;
  if (node.ReadInt("TSD", value) && value > 0) timeSigDenominator_ = value;
  bool flag = false;
  if (node.ReadBool("Metro", flag)) metro_ = flag;
  if (node.ReadBool("Quantize", flag)) quantize_ = flag;
}
