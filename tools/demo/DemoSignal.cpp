// tavo-demo-signal: writes the demo input, a sustained chord with drum-like noise bursts at
// 120 BPM (44.1 kHz stereo WAV), so that filter sweeps, drive and combs have something to chew on.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kSampleRate = 44100;
constexpr double kBeatSeconds = 0.5;  // 120 BPM
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// A fixed-seed generator: the demo file is the same on every machine and every run.
class Noise {
 public:
  double Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
  }

 private:
  uint32_t state_ = 0x5eed1234u;
};

// A band-limited-enough saw from its first 12 harmonics: bright like an analogue pad, but with
// nothing near Nyquist that would alias into the filters' sweeps.
double SoftSaw(double phase) {
  double sum = 0.0;
  for (int harmonic = 1; harmonic <= 12; ++harmonic) {
    sum += std::sin(kTwoPi * harmonic * phase) / harmonic;
  }
  return sum * 0.55;
}

struct Voice {
  double frequencyHz;
  double pan;  // 0 left .. 1 right
};

// A minor ninth around A2, spread across the stereo field; slightly detuned pairs for motion.
constexpr Voice kChord[] = {
    {110.0, 0.5}, {130.81, 0.3}, {164.81, 0.7}, {196.0, 0.35}, {246.94, 0.65}, {110.6, 0.5},
};

void AddChord(std::vector<double>& left, std::vector<double>& right, double seconds) {
  const size_t frames = left.size();
  for (const Voice& voice : kChord) {
    double phase = 0.0;
    const double increment = voice.frequencyHz / kSampleRate;
    const double leftGain = std::cos(voice.pan * std::numbers::pi / 2.0);
    const double rightGain = std::sin(voice.pan * std::numbers::pi / 2.0);
    for (size_t i = 0; i < frames; ++i) {
      const double t = static_cast<double>(i) / kSampleRate;
      // 50 ms fade-in and 300 ms fade-out: no clicks at the file's edges.
      const double envelope = std::min({1.0, t / 0.05, (seconds - t) / 0.3});
      const double sample = 0.12 * std::max(envelope, 0.0) * SoftSaw(phase);
      left[i] += sample * leftGain;
      right[i] += sample * rightGain;
      phase += increment;
      phase -= std::floor(phase);
    }
  }
}

// Kick on every beat (sine falling from 150 Hz to 50 Hz), a noise snare on beats 2 and 4 and a
// short closed-hat tick on every off-beat eighth.
void AddDrums(std::vector<double>& left, std::vector<double>& right) {
  Noise noise;
  const size_t frames = left.size();
  const size_t beatFrames = static_cast<size_t>(kBeatSeconds * kSampleRate);
  double kickPhase = 0.0;
  double hatState = 0.0;
  for (size_t i = 0; i < frames; ++i) {
    const size_t beat = i / beatFrames;
    const double sinceBeat = static_cast<double>(i % beatFrames) / kSampleRate;
    if (i % beatFrames == 0) kickPhase = 0.0;  // each kick starts at a zero crossing
    const double kickFrequency = 50.0 + 100.0 * std::exp(-sinceBeat / 0.03);
    kickPhase += kickFrequency / kSampleRate;
    const double kick = 0.6 * std::exp(-sinceBeat / 0.15) * std::sin(kTwoPi * kickPhase);
    const double white = noise.Next();
    const double snare = (beat % 2 == 1) ? 0.35 * std::exp(-sinceBeat / 0.06) * white : 0.0;
    // One-pole high-pass on the noise makes the hat thin and bright.
    const double highPassed = white - hatState;
    hatState += 0.4 * highPassed;
    const double sinceEighth = sinceBeat - kBeatSeconds / 2.0;
    const double hat = sinceEighth >= 0.0 ? 0.2 * std::exp(-sinceEighth / 0.015) * highPassed : 0.0;
    left[i] += kick + snare + 0.8 * hat;
    right[i] += kick + snare * 0.9 + hat;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: tavo-demo-signal OUTPUT.wav [SECONDS]\n");
    return 2;
  }
  const double seconds = argc == 3 ? std::atof(argv[2]) : 6.0;
  if (!(seconds > 0.5 && seconds <= 600.0)) {
    std::fprintf(stderr, "tavo-demo-signal: error: SECONDS must be between 0.5 and 600\n");
    return 2;
  }
  const size_t frames = static_cast<size_t>(seconds * kSampleRate);
  std::vector<double> left(frames, 0.0);
  std::vector<double> right(frames, 0.0);
  AddChord(left, right, seconds);
  AddDrums(left, right);

  double peak = 0.0;
  for (size_t i = 0; i < frames; ++i)
    peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
  const double gain = peak > 0.0 ? std::pow(10.0, -1.0 / 20.0) / peak : 1.0;  // peak at -1 dBFS
  std::vector<float> interleaved(frames * 2);
  for (size_t i = 0; i < frames; ++i) {
    interleaved[2 * i] = static_cast<float>(left[i] * gain);
    interleaved[2 * i + 1] = static_cast<float>(right[i] * gain);
  }

  SF_INFO info{};
  info.samplerate = kSampleRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
  SNDFILE* file = sf_open(argv[1], SFM_WRITE, &info);
  if (file == nullptr) {
    std::fprintf(stderr, "tavo-demo-signal: error: cannot write %s: %s\n", argv[1],
                 sf_strerror(nullptr));
    return 1;
  }
  const sf_count_t written =
      sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(frames));
  sf_close(file);
  if (written != static_cast<sf_count_t>(frames)) {
    std::fprintf(stderr, "tavo-demo-signal: error: short write to %s\n", argv[1]);
    return 1;
  }
  return 0;
}
