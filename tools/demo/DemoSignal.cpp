// tavo-demo-signal: writes the demo input, a sustained chord with drum-like noise bursts at 120 BPM
// (44.1 kHz stereo WAV), so that filter sweeps, drive and combs have something to chew on;
// optionally the drums alone (a sidechain key) and the chord's arpeggio as a MIDI file.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kSampleRate = 44100;
constexpr double kBeatSeconds = 0.5;  // 120 BPM
constexpr double kTwoPi = 2.0 * std::numbers::pi;

constexpr const char* kUsage =
    "usage: tavo-demo-signal OUTPUT.wav [SECONDS] [--drums DRUMS.wav] [--notes NOTES.mid]\n"
    "  OUTPUT.wav          the chord with drums (the main input), peaking at -1 dBFS\n"
    "  SECONDS             length, 0.5 to 600 (default 6)\n"
    "  --drums DRUMS.wav   the drums alone at the same level, for the sidechain inputs 3+4\n"
    "  --notes NOTES.mid   the chord as an eighth-note arpeggio on MIDI channel 3, which plays\n"
    "                      filter 1's cutoff\n";

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

// The same chord an octave up (A3 C4 E4 G4 B4) as a rising and falling arpeggio, one note per
// eighth; the octave keeps a comb tuned by the notes clear of the kick's range.
constexpr uint8_t kArpeggio[] = {57, 64, 60, 67, 64, 71, 67, 64};

struct StereoBuffer {
  std::vector<double> left;
  std::vector<double> right;
};

void AddChord(StereoBuffer& out, double seconds) {
  const size_t frames = out.left.size();
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
      out.left[i] += sample * leftGain;
      out.right[i] += sample * rightGain;
      phase += increment;
      phase -= std::floor(phase);
    }
  }
}

// Kick on every beat (sine falling from 150 Hz to 50 Hz), a noise snare on beats 2 and 4 and a
// short closed-hat tick on every off-beat eighth.
void AddDrums(StereoBuffer& out) {
  Noise noise;
  const size_t frames = out.left.size();
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
    out.left[i] += kick + snare + 0.8 * hat;
    out.right[i] += kick + snare * 0.9 + hat;
  }
}

double Peak(const StereoBuffer& buffer) {
  double peak = 0.0;
  for (size_t i = 0; i < buffer.left.size(); ++i) {
    peak = std::max({peak, std::fabs(buffer.left[i]), std::fabs(buffer.right[i])});
  }
  return peak;
}

bool WriteWav(const std::string& path, const StereoBuffer& buffer, double gain) {
  const size_t frames = buffer.left.size();
  std::vector<float> interleaved(frames * 2);
  for (size_t i = 0; i < frames; ++i) {
    interleaved[2 * i] = static_cast<float>(buffer.left[i] * gain);
    interleaved[2 * i + 1] = static_cast<float>(buffer.right[i] * gain);
  }
  SF_INFO info{};
  info.samplerate = kSampleRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_24;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) {
    std::fprintf(stderr, "tavo-demo-signal: error: cannot write %s: %s\n", path.c_str(),
                 sf_strerror(nullptr));
    return false;
  }
  const sf_count_t written =
      sf_writef_float(file, interleaved.data(), static_cast<sf_count_t>(frames));
  sf_close(file);
  if (written != static_cast<sf_count_t>(frames)) {
    std::fprintf(stderr, "tavo-demo-signal: error: short write to %s\n", path.c_str());
    return false;
  }
  return true;
}

// --- Standard MIDI File, format 0 ------------------------------------------------------------

constexpr uint16_t kTicksPerBeat = 480;
constexpr uint32_t kTicksPerEighth = kTicksPerBeat / 2;
// Shorter than the eighth, so that every note-off comes before the next note-on.
constexpr uint32_t kNoteTicks = kTicksPerEighth * 7 / 8;
constexpr uint8_t kNoteOnChannel3 = 0x92;
constexpr uint8_t kNoteOffChannel3 = 0x82;

void AppendVariableLength(std::vector<uint8_t>& out, uint32_t value) {
  uint8_t bytes[5];
  int count = 0;
  do {
    bytes[count++] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value != 0);
  while (count > 0) {
    const uint8_t byte = bytes[--count];
    out.push_back(count > 0 ? static_cast<uint8_t>(byte | 0x80) : byte);
  }
}

void AppendBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
    out.push_back(static_cast<uint8_t>(value >> shift));
  }
}

// The arpeggio until the chord starts fading out, with accents on the beats.
std::vector<uint8_t> ArpeggioFile(double seconds) {
  std::vector<uint8_t> track;
  // Tempo meta event: 500000 microseconds per beat is 120 BPM, the demo's tempo.
  const uint8_t tempo[] = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
  track.insert(track.end(), std::begin(tempo), std::end(tempo));
  const int notes = static_cast<int>((seconds - 0.3) / (kBeatSeconds / 2.0));
  uint32_t pendingTicks = 0;
  for (int n = 0; n < notes; ++n) {
    const uint8_t note = kArpeggio[n % std::size(kArpeggio)];
    const uint8_t velocity = n % 2 == 0 ? 110 : 80;
    AppendVariableLength(track, pendingTicks);
    track.insert(track.end(), {kNoteOnChannel3, note, velocity});
    AppendVariableLength(track, kNoteTicks);
    track.insert(track.end(), {kNoteOffChannel3, note, 0});
    pendingTicks = kTicksPerEighth - kNoteTicks;
  }
  AppendVariableLength(track, pendingTicks);
  track.insert(track.end(), {0xFF, 0x2F, 0x00});  // end of track

  std::vector<uint8_t> file = {'M', 'T', 'h', 'd'};
  AppendBigEndian(file, 6, 4);
  AppendBigEndian(file, 0, 2);  // format 0: one track
  AppendBigEndian(file, 1, 2);
  AppendBigEndian(file, kTicksPerBeat, 2);
  file.insert(file.end(), {'M', 'T', 'r', 'k'});
  AppendBigEndian(file, static_cast<uint32_t>(track.size()), 4);
  file.insert(file.end(), track.begin(), track.end());
  return file;
}

bool WriteMidi(const std::string& path, double seconds) {
  const std::vector<uint8_t> data = ArpeggioFile(seconds);
  std::ofstream stream(path, std::ios::binary | std::ios::trunc);
  stream.write(reinterpret_cast<const char*>(data.data()),
               static_cast<std::streamsize>(data.size()));
  stream.close();
  if (!stream) {
    std::fprintf(stderr, "tavo-demo-signal: error: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

struct Arguments {
  std::string output;
  std::string drums;
  std::string notes;
  double seconds = 6.0;
};

bool ParseArguments(int argc, char** argv, Arguments& arguments) {
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--drums" || arg == "--notes") {
      if (i + 1 >= argc) return false;
      (arg == "--drums" ? arguments.drums : arguments.notes) = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      return false;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.empty() || positional.size() > 2) return false;
  arguments.output = positional[0];
  if (positional.size() == 2) {
    char* end = nullptr;
    arguments.seconds = std::strtod(positional[1].c_str(), &end);
    if (end == positional[1].c_str() || *end != '\0') arguments.seconds = 0.0;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  if (!ParseArguments(argc, argv, arguments)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const double seconds = arguments.seconds;
  if (!(seconds > 0.5 && seconds <= 600.0)) {
    std::fprintf(stderr, "tavo-demo-signal: error: SECONDS must be between 0.5 and 600\n");
    return 2;
  }
  const size_t frames = static_cast<size_t>(seconds * kSampleRate);
  StereoBuffer drums{std::vector<double>(frames, 0.0), std::vector<double>(frames, 0.0)};
  AddDrums(drums);
  StereoBuffer mix = drums;
  AddChord(mix, seconds);

  const double peak = Peak(mix);
  // The mix peaks at -1 dBFS; the drums keep the level they have in the mix.
  const double gain = peak > 0.0 ? std::pow(10.0, -1.0 / 20.0) / peak : 1.0;
  if (!WriteWav(arguments.output, mix, gain)) return 1;
  if (!arguments.drums.empty() && !WriteWav(arguments.drums, drums, gain)) return 1;
  if (!arguments.notes.empty() && !WriteMidi(arguments.notes, seconds)) return 1;
  return 0;
}
