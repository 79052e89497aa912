#include "tools/mediagen/sound/MusicScore.h"
#include "tools/mediagen/sound/Synths.h"

#include <algorithm>
#include <cmath>

namespace tools::sound {

namespace {

constexpr double kSecondsPerBeat = 60.0 / kBeatsPerMinute;

// One sine component of a tone: frequency ratio to the fundamental, level, and the time to
// fall by 1/e (0 = held until the release).
struct Partial {
  double ratio, level, decaySeconds;
};

// Raised-cosine attack, a hold until the note is let go, then a raised-cosine release.
struct Envelope {
  double attack, hold, release;
  double at(double t) const {
    if (t < attack) {
      const double s = std::sin(0.5 * kPi * t / attack);
      return s * s;
    }
    if (t < hold) return 1.0;
    const double c = std::cos(0.5 * kPi * std::min(1.0, (t - hold) / release));
    return c * c;
  }
  double length() const { return hold + release; }
};

// The two mixes every note goes to: straight to the output and to the reverb.
struct Buses {
  Sound dry, send;
};

struct Placement {
  double startSeconds;
  float gain, pan, dry, send;
};

// Adds one note built from decaying sine partials. Each partial runs as a rotating phasor,
// which keeps the thousands of notes of the piece cheap to render.
void playNote(Buses& buses, const Placement& place, double hz, const std::vector<Partial>& partials,
              const Envelope& envelope, Random& random) {
  const std::size_t length = secondsToFrames(envelope.length());
  Track note(length, 0.0f);
  for (const Partial& partial : partials) {
    const double frequency = hz * partial.ratio;
    if (frequency > 15000.0) continue;
    const double step = 2.0 * kPi * frequency / kSampleRate;
    const double c = std::cos(step), s = std::sin(step);
    const double phase = random.range(0.0, 2.0 * kPi);
    double re = std::cos(phase), im = std::sin(phase);
    double level = partial.level;
    const double fall = partial.decaySeconds > 0 ? std::exp(-1.0 / (partial.decaySeconds * kSampleRate)) : 1.0;
    for (std::size_t n = 0; n < length; ++n) {
      note[n] += static_cast<float>(level * im);
      const double nextRe = re * c - im * s;
      im = re * s + im * c;
      re = nextRe;
      level *= fall;
    }
  }
  for (std::size_t n = 0; n < length; ++n) {
    note[n] *= static_cast<float>(envelope.at(static_cast<double>(n) / kSampleRate));
  }
  const std::size_t at = secondsToFrames(std::max(0.0, place.startSeconds));
  mixMono(buses.dry, note, at, place.gain * place.dry, place.pan);
  mixMono(buses.send, note, at, place.gain * place.send, place.pan);
}

// A small steel comb: a pure fundamental with a few quickly fading, slightly stretched
// overtones; high notes ring shorter.
void musicBox(Buses& buses, Placement place, double hz, Random& random) {
  const double ring = 2.6 * std::pow(660.0 / hz, 0.35);
  const std::vector<Partial> partials{{1.0, 1.0, ring},  {2.0, 0.16, ring * 0.45}, {3.0, 0.05, ring * 0.25},
                                      {4.16, 0.09, 0.3}, {6.27, 0.05, 0.12},       {9.7, 0.02, 0.05}};
  playNote(buses, place, hz, partials, {0.002, ring * 3.0, 0.4}, random);
}

// A plucked string: harmonics shaped by the pluck position, the high ones dying first.
void harp(Buses& buses, Placement place, double hz, Random& random) {
  const double sustain = 3.2 * std::pow(220.0 / hz, 0.4);
  std::vector<Partial> partials;
  for (int n = 1; n <= 9; ++n) {
    const double stretch = std::sqrt(1.0 + 0.00012 * n * n);
    const double level = std::fabs(std::sin(n * kPi * 0.18)) / std::pow(n, 1.3);
    partials.push_back({n * stretch, level, sustain / (1.0 + 0.5 * std::pow(n - 1, 1.2))});
  }
  playNote(buses, place, hz, partials, {0.003, sustain * 2.0, 0.3}, random);
}

// A soft string-like pad: two slightly detuned voices of gently falling harmonics that
// swell in and out slowly.
void pad(Buses& buses, Placement place, double hz, double seconds, Random& random) {
  std::vector<Partial> partials;
  for (int n = 1; n <= 6; ++n)
    partials.push_back({static_cast<double>(n), 1.0 / std::pow(n, 1.5), 0.0});
  const Envelope envelope{1.8, seconds, 2.4};
  for (const double cents : {-4.0, 4.0}) {
    playNote(buses, place, hz * std::exp2(cents / 1200.0), partials, envelope, random);
  }
}

void bass(Buses& buses, Placement place, double hz, double seconds, Random& random) {
  const std::vector<Partial> partials{{1.0, 1.0, 3.0}, {2.0, 0.3, 1.4}, {3.0, 0.08, 0.7}};
  playNote(buses, place, hz, partials, {0.05, seconds, 0.9}, random);
}

double beatToSeconds(double beat) { return beat * kSecondsPerBeat; }

void arrangeSection(Buses& buses, const Section& section, int index, Random& random) {
  const double sectionBeat = static_cast<double>(index) * kBarsPerSection * kBeatsPerBar;
  const double barSeconds = kBeatsPerBar * kSecondsPerBeat;
  const auto& chords = progression();
  for (int bar = 0; bar < kBarsPerSection; ++bar) {
    const Chord& chord = chords[static_cast<std::size_t>(bar)];
    const double start = beatToSeconds(sectionBeat + bar * kBeatsPerBar);
    if (section.pad > 0) {
      for (std::size_t v = 0; v < chord.pad.size(); ++v) {
        const auto pan = static_cast<float>(-0.45 + 0.3 * static_cast<double>(v));
        pad(buses, {start, 0.022f * section.pad, pan, 0.7f, 0.6f}, midiToHz(chord.pad[v]), barSeconds - 0.6, random);
      }
    }
    if (section.bass > 0) {
      bass(buses, {start, 0.16f * section.bass, 0.0f, 1.0f, 0.15f}, midiToHz(chord.bass), barSeconds * 0.8, random);
      bass(buses, {start + 3 * kSecondsPerBeat, 0.05f * section.bass, 0.0f, 1.0f, 0.15f}, midiToHz(chord.bass + 12),
           kSecondsPerBeat * 0.6, random);
    }
    if (section.harp > 0) {
      static constexpr int kPattern[8] = {0, 1, 2, 3, 4, 3, 2, 1};
      for (int eighth = 0; eighth < 8; ++eighth) {
        const int tone = kPattern[eighth];
        const float accent = eighth % 2 == 0 ? 1.0f : 0.7f;
        const auto jitter = static_cast<float>(random.range(0.9, 1.1));
        const auto pan = static_cast<float>(-0.4 + 0.2 * tone);
        harp(buses,
             {start + eighth * 0.5 * kSecondsPerBeat + random.range(-0.006, 0.006),
              0.085f * section.harp * accent * jitter, pan, 0.8f, 0.45f},
             midiToHz(chord.harp[static_cast<std::size_t>(tone)]), random);
      }
    }
  }
  if (section.melody > 0) {
    for (const Note& note : melodyPhrase(section.melodyPhrase)) {
      if (section.sparseMelody && std::fmod(note.beat, kBeatsPerBar) != 0.0) continue;
      const double at = beatToSeconds(sectionBeat + note.beat) + random.range(-0.012, 0.012);
      const auto gain = static_cast<float>(0.16 * section.melody * note.velocity * random.range(0.9, 1.1));
      musicBox(buses, {at, gain, 0.15f, 0.75f, 0.6f}, midiToHz(note.midi + section.melodyTranspose), random);
    }
  }
}

} // namespace

Sound makeMusic() {
  const auto& list = sections();
  const double totalBeats = static_cast<double>(list.size()) * kBarsPerSection * kBeatsPerBar;
  const std::size_t loop = secondsToFrames(beatToSeconds(totalBeats));
  const std::size_t tail = secondsToFrames(12.0);
  Buses buses;
  for (Sound* bus : {&buses.dry, &buses.send}) {
    bus->left.assign(loop + tail, 0.0f);
    bus->right.assign(loop + tail, 0.0f);
  }
  Random random(0x6a22);
  for (std::size_t s = 0; s < list.size(); ++s)
    arrangeSection(buses, list[s], static_cast<int>(s), random);

  Reverb hall(3.4, 4200.0, 1.5);
  applyReverb(buses.send, hall, 0.0f, 1.0f);
  Sound music = std::move(buses.dry);
  for (std::size_t n = 0; n < music.frames(); ++n) {
    music.left[n] += buses.send.left[n];
    music.right[n] += buses.send.right[n];
  }
  // Notes and echoes that ring past the last bar are heard again over the first one.
  foldIntoLoop(music, loop);
  rotateToSmoothSeam(music, secondsToFrames(0.05));
  normalizePeak(music, static_cast<float>(decibelsToGain(-10.0)));
  return music;
}

} // namespace tools::sound
