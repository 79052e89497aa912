#include "tools/mediagen/sound/Synths.h"

#include <cmath>

namespace tools::sound {

namespace {

// One resonance of the clock: a wooden case mode or a ring of the steel escapement.
struct Mode {
  double hz;
  double q;
  float gain;
};

// A strike: a very short, smoothly windowed noise burst exciting the case and metal modes.
// The burst starts from zero, so the loop may begin right on the strike without a click.
void strike(Track& out, std::size_t at, const Mode* modes, int count, float level, Random& random) {
  constexpr double kBurstSeconds = 0.0009;
  const std::size_t burst = secondsToFrames(kBurstSeconds);
  const std::size_t length = secondsToFrames(0.35);
  Track excitation(length, 0.0f);
  for (std::size_t n = 0; n < burst; ++n) {
    const double window = 0.5 - 0.5 * std::cos(2.0 * kPi * static_cast<double>(n) / burst);
    excitation[n] = static_cast<float>(window * (0.6 * random.noise() + 0.4));
  }
  for (int m = 0; m < count; ++m) {
    Biquad resonance = Biquad::bandPass(modes[m].hz, modes[m].q);
    for (std::size_t n = 0; n < length && at + n < out.size(); ++n) {
      out[at + n] += level * modes[m].gain * resonance.process(excitation[n]);
    }
  }
}

} // namespace

Sound makeTicks() {
  const std::size_t loop = 2 * kSampleRate;
  Sound sound;
  sound.left.assign(loop + secondsToFrames(0.8), 0.0f);
  Random random(0x71c4);

  // The tick: a bright, woody click with a short steel ring on top.
  static constexpr Mode kTick[] = {{310, 3.0, 1.6f},   {870, 9.0, 2.2f},    {1480, 14.0, 2.0f}, {2350, 20.0, 1.6f},
                                   {3720, 90.0, 2.4f}, {5150, 110.0, 1.5f}, {6900, 70.0, 0.7f}};
  // The tock: the same mechanism a little lower and duller.
  static constexpr Mode kTock[] = {{265, 3.0, 1.9f},   {735, 9.0, 2.4f},    {1260, 14.0, 1.9f}, {2010, 20.0, 1.3f},
                                   {3180, 90.0, 1.8f}, {4420, 110.0, 1.0f}, {5900, 70.0, 0.4f}};
  strike(sound.left, 0, kTick, 7, 1.0f, random);
  strike(sound.left, loop / 2, kTock, 7, 0.9f, random);

  // The hollow case gives the strikes a little body and space.
  Reverb caseRoom(0.45, 3800.0, 0.35);
  applyReverb(sound, caseRoom, 1.0f, 0.22f);
  foldIntoLoop(sound, loop);
  normalizePeak(sound, static_cast<float>(decibelsToGain(-6.0)));
  return sound;
}

} // namespace tools::sound
