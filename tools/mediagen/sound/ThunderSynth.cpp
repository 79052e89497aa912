#include "tools/mediagen/sound/Synths.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tools::sound {

namespace {

// What makes one clap differ from another: how near the strike is (how bright and sudden
// its crack), how the rumble rolls, and how loud it ends up.
struct Recipe {
  std::uint64_t seed;
  double seconds;
  double crackLevel;    // 0 = no crack (far away)
  double crackCutoffHz; // brightness of the crack
  int crackles;         // branches crackling right after the main crack
  double boomLevel;
  double attackSeconds; // how slowly the rumble swells in
  double decaySeconds;  // how long the rumble lasts
  double rumbleCutoffHz;
  int rolls;        // separate swells of the rumble
  double panTravel; // how far the rolls wander across the sky (0 = centred)
  double peakDb;
};

constexpr Recipe kClose{0xc105e, 7.5, 0.55, 8000.0, 14, 1.0, 0.02, 2.1, 300.0, 4, 0.35, -1.5};
constexpr Recipe kFar{0xfa4, 9.0, 0.0, 2000.0, 0, 0.25, 0.45, 2.6, 230.0, 5, 0.5, -5.0};
constexpr Recipe kRolling{0x4011, 11.5, 0.45, 4200.0, 5, 0.7, 0.08, 3.6, 210.0, 7, 1.4, -3.0};

// One swell of the rumble: a soft bump in time with a place in the stereo field.
struct Roll {
  double centre, width, height, pan;
};

std::vector<Roll> makeRolls(const Recipe& recipe, Random& random) {
  std::vector<Roll> rolls;
  double pan = random.range(-0.5, 0.5) * recipe.panTravel;
  const double direction = pan > 0 ? -1.0 : 1.0;
  for (int i = 0; i < recipe.rolls; ++i) {
    // Early rolls are close together and strong, later ones spread out and fade.
    const double position = std::pow((i + random.range(0.2, 0.8)) / recipe.rolls, 1.5);
    rolls.push_back({recipe.attackSeconds + position * recipe.decaySeconds * 1.6, random.range(0.25, 0.7),
                     random.range(0.6, 1.0) * std::exp(-1.2 * position), std::clamp(pan, -0.9, 0.9)});
    pan += direction * recipe.panTravel / recipe.rolls * random.range(0.5, 1.5);
  }
  return rolls;
}

// Short noise bursts: the crack of the discharge and the crackling of its branches.
void addCracks(Sound& sound, const Recipe& recipe, Random& random) {
  if (recipe.crackLevel <= 0.0) return;
  struct Burst {
    double at, level, decay;
  };
  std::vector<Burst> bursts{{0.012, 1.0, 0.030}, {0.045, 0.55, 0.045}};
  for (int i = 0; i < recipe.crackles; ++i) {
    const double at = 0.06 + std::pow(random.uniform(), 2.0) * 1.6;
    bursts.push_back({at, random.range(0.08, 0.4) * std::exp(-at * 1.5), random.range(0.004, 0.02)});
  }
  for (const Burst& burst : bursts) {
    Biquad highPass = Biquad::highPass(500, 0.7);
    Biquad lowPass = Biquad::lowPass(recipe.crackCutoffHz, 0.7);
    const double pan = random.range(-0.3, 0.3);
    const std::size_t start = secondsToFrames(burst.at);
    const std::size_t length = secondsToFrames(burst.decay * 8.0);
    for (std::size_t n = 0; n < length && start + n < sound.frames(); ++n) {
      const double t = static_cast<double>(n) / kSampleRate;
      const double envelope =
          burst.level * recipe.crackLevel * (1.0 - std::exp(-t / 0.0008)) * std::exp(-t / burst.decay);
      const float x = lowPass.process(highPass.process(random.noise())) * static_cast<float>(envelope);
      sound.left[start + n] += static_cast<float>(x * (1.0 - pan));
      sound.right[start + n] += static_cast<float>(x * (1.0 + pan));
    }
  }
}

// The boom and the long rolling rumble: low-passed noise under a slow, lumpy envelope.
void addRumble(Sound& sound, const Recipe& recipe, const std::vector<Roll>& rolls, Random& random) {
  Biquad rumbleA[2] = {Biquad::lowPass(recipe.rumbleCutoffHz, 0.7), Biquad::lowPass(recipe.rumbleCutoffHz, 0.7)};
  Biquad rumbleB[2] = {Biquad::lowPass(recipe.rumbleCutoffHz, 0.7), Biquad::lowPass(recipe.rumbleCutoffHz, 0.7)};
  Biquad texture[2] = {Biquad::bandPass(520, 1.2), Biquad::bandPass(520, 1.2)};
  Biquad boomA = Biquad::lowPass(75, 0.8);
  Biquad boomB = Biquad::lowPass(75, 0.8);
  OnePole flutter[2] = {OnePole(6.0), OnePole(6.0)};
  for (std::size_t n = 0; n < sound.frames(); ++n) {
    const double t = static_cast<double>(n) / kSampleRate;
    const double swell = (1.0 - std::exp(-t / recipe.attackSeconds)) * std::exp(-t / recipe.decaySeconds);
    double left = 0.25, right = 0.25;
    for (const Roll& roll : rolls) {
      const double d = (t - roll.centre) / roll.width;
      const double bump = roll.height * std::exp(-d * d);
      const double angle = (roll.pan + 1.0) * kPi / 4.0;
      left += bump * std::cos(angle) * 1.41;
      right += bump * std::sin(angle) * 1.41;
    }
    const float common = random.noise();
    const float boom = boomB.process(boomA.process(common));
    const double boomEnvelope = recipe.boomLevel * (1.0 - std::exp(-t / (recipe.attackSeconds + 0.03))) *
                                std::exp(-t / (0.35 * recipe.decaySeconds));
    for (int c = 0; c < 2; ++c) {
      const float white = 0.55f * common + 0.45f * random.noise();
      // A fast random flutter inside the envelope gives the rumble its grain.
      const double grain = 0.7 + 0.6 * std::fabs(flutter[c].lowPass(random.noise() * 6.0f));
      const float low = rumbleB[c].process(rumbleA[c].process(white));
      const float mid = texture[c].process(white) * 0.35f;
      const double value = swell * (c == 0 ? left : right) * grain * (3.2 * low + mid) + boomEnvelope * 5.0 * boom;
      (c == 0 ? sound.left : sound.right)[n] += static_cast<float>(value);
    }
  }
}

void removeRumbleBelowHearing(Sound& sound) {
  for (Track* track : {&sound.left, &sound.right}) {
    Biquad first = Biquad::highPass(32, 0.7);
    Biquad second = Biquad::highPass(32, 0.7);
    for (float& x : *track)
      x = second.process(first.process(x));
  }
}

} // namespace

Sound makeThunder(ThunderKind kind) {
  const Recipe& recipe = kind == ThunderKind::Close ? kClose : kind == ThunderKind::Far ? kFar : kRolling;
  Random random(recipe.seed);
  Sound sound;
  sound.left.assign(secondsToFrames(recipe.seconds), 0.0f);
  sound.right.assign(sound.left.size(), 0.0f);
  const std::vector<Roll> rolls = makeRolls(recipe, random);
  addRumble(sound, recipe, rolls, random);
  addCracks(sound, recipe, random);
  // The sky and the land around echo the clap back for a long time.
  Reverb outdoors(2.8, 1800.0, 2.4);
  applyReverb(sound, outdoors, 1.0f, 0.4f);
  removeRumbleBelowHearing(sound);
  fadeOutTail(sound, 1.5);
  normalizePeak(sound, static_cast<float>(decibelsToGain(recipe.peakDb)));
  return sound;
}

} // namespace tools::sound
