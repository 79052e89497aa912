#include "tools/mediagen/sound/Synths.h"

#include <algorithm>
#include <cmath>

namespace tools::sound {

namespace {

constexpr double kLoopSeconds = 45.0;

// The wind's strength over the loop, 0 ... 1: a few slow waves with a whole number of
// cycles per loop, so the gusts line up at the seam.
class Gusts {
public:
  explicit Gusts(Random& random) {
    for (int k = 0; k < kWaves; ++k) {
      amplitudes_[k] = random.range(0.4, 1.0) / (1.0 + 0.35 * k);
      phases_[k] = random.range(0.0, 2.0 * kPi);
    }
    double low = 1e9, high = -1e9;
    for (int step = 0; step < 2000; ++step) {
      const double value = raw(step / 2000.0);
      low = std::min(low, value);
      high = std::max(high, value);
    }
    offset_ = low;
    range_ = high - low;
  }
  // Strength at `phase` (0 ... 1 over the loop).
  double at(double phase) const { return (raw(phase) - offset_) / range_; }

private:
  static constexpr int kWaves = 6;
  double raw(double phase) const {
    double sum = 0.0;
    for (int k = 0; k < kWaves; ++k)
      sum += amplitudes_[k] * std::sin(2.0 * kPi * (k + 2) * phase + phases_[k]);
    return sum;
  }
  double amplitudes_[kWaves] = {};
  double phases_[kWaves] = {};
  double offset_ = 0.0, range_ = 1.0;
};

// The steady wash: band-limited noise for the rain on the glass and the roofs, and a low
// roar that swells with the gusts. Rendered over two laps of the same noise so the filters
// reach the loop start in the state the loop end leaves them.
void addWash(Sound& sound, const Gusts& gusts) {
  const std::size_t loop = sound.frames();
  Biquad highPass[2] = {Biquad::highPass(320, 0.7), Biquad::highPass(320, 0.7)};
  Biquad lowPass[2] = {Biquad::lowPass(6000, 0.6), Biquad::lowPass(6000, 0.6)};
  Biquad presence[2] = {Biquad::peaking(1800, 0.7, 2.0), Biquad::peaking(1800, 0.7, 2.0)};
  Biquad roar[2] = {Biquad::bandPass(180, 0.6), Biquad::bandPass(180, 0.6)};
  OnePole soft[2] = {OnePole(900), OnePole(900)};
  for (int lap = 0; lap < 2; ++lap) {
    Random noise(0xa11); // the same noise on every lap
    for (std::size_t n = 0; n < loop; ++n) {
      const double gust = gusts.at(static_cast<double>(n) / loop);
      const float whiteLeft = noise.noise();
      const float whiteRight = noise.noise();
      for (int c = 0; c < 2; ++c) {
        // A little of the other side keeps the image wide but not hollow.
        const float white = c == 0 ? 0.85f * whiteLeft + 0.15f * whiteRight : 0.85f * whiteRight + 0.15f * whiteLeft;
        const float band = presence[c].process(lowPass[c].process(highPass[c].process(white)));
        const float body = soft[c].lowPass(white) * 2.2f;
        const float low = roar[c].process(white);
        const auto wash = static_cast<float>((0.78 + 0.22 * gust) * (0.55 * band + 0.45 * body) +
                                             (0.15 + 0.85 * gust * gust) * 0.9 * low);
        if (lap == 1) (c == 0 ? sound.left : sound.right)[n] += wash;
      }
    }
  }
}

// One drop: a short decaying ring, rising slightly in pitch as a small bubble does.
void addDrop(Track& track, std::size_t at, double hz, double decay, double chirp, float gain) {
  const std::size_t loop = track.size();
  const std::size_t length = secondsToFrames(decay * 7.0);
  double phase = 0.0;
  for (std::size_t n = 0; n < length; ++n) {
    const double t = static_cast<double>(n) / kSampleRate;
    const double frequency = hz * (1.0 + chirp * (1.0 - std::exp(-t / (decay * 1.5))));
    phase += 2.0 * kPi * frequency / kSampleRate;
    const double envelope = std::exp(-t / decay) * (1.0 - std::exp(-t / 0.00025));
    track[(at + n) % loop] += static_cast<float>(gain * envelope * std::sin(phase));
  }
}

// Scatters drops over the loop; their rate follows the gusts. Positions wrap around the
// loop end, so a drop that rings over the seam continues at the start.
void addDrops(Sound& sound, const Gusts& gusts, Random& random, double perSecond, double lowHz, double highHz,
              double decayLow, double decayHigh, double chirp, double level) {
  const std::size_t loop = sound.frames();
  const double maxRate = perSecond * 1.3;
  double t = 0.0;
  const double length = static_cast<double>(loop) / kSampleRate;
  while (true) {
    t += -std::log(1.0 - random.uniform()) / maxRate;
    if (t >= length) break;
    const double rate = perSecond * (0.55 + 0.75 * gusts.at(t / length));
    if (random.uniform() * maxRate > rate) continue;
    const double hz = lowHz * std::pow(highHz / lowHz, random.uniform());
    const double decay = random.range(decayLow, decayHigh);
    const auto gain = static_cast<float>(level * std::min(4.0, -std::log(1.0 - random.uniform() * 0.98)));
    const auto pan = static_cast<float>(random.range(-0.85, 0.85));
    const double angle = (pan + 1.0) * kPi / 4.0;
    const auto at = static_cast<std::size_t>(t * kSampleRate);
    const double thisChirp = chirp * random.uniform();
    addDrop(sound.left, at, hz, decay, thisChirp, static_cast<float>(gain * std::cos(angle)));
    addDrop(sound.right, at, hz, decay, thisChirp, static_cast<float>(gain * std::sin(angle)));
  }
}

} // namespace

Sound makeRain() {
  const std::size_t loop = secondsToFrames(kLoopSeconds);
  Sound sound;
  sound.left.assign(loop, 0.0f);
  sound.right.assign(loop, 0.0f);
  Random random(0x5a1d);
  const Gusts gusts(random);

  addWash(sound, gusts);
  // Fine patter everywhere, and fewer, fuller drops striking the window pane.
  addDrops(sound, gusts, random, 260.0, 2600.0, 7500.0, 0.0008, 0.0025, 0.15, 0.05);
  addDrops(sound, gusts, random, 9.0, 900.0, 2400.0, 0.003, 0.008, 0.35, 0.22);

  Reverb room(0.6, 5000.0, 0.6);
  applyReverbLooped(sound, room, 1.0f, 0.25f);
  rotateToSmoothSeam(sound, secondsToFrames(1.0));
  normalizePeak(sound, static_cast<float>(decibelsToGain(-14.0)));
  return sound;
}

} // namespace tools::sound
