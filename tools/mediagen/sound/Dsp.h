// The small signal-processing kit the sound generators share: a seeded random source,
// one-pole and biquad filters, a stereo feedback-delay reverb, and the helpers that make
// loops seamless and set levels. Everything is deterministic: the same seed gives the same
// samples on every build.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tools::sound {

constexpr int kSampleRate = 44100;
constexpr double kPi = 3.14159265358979323846;

using Track = std::vector<float>;

// A stereo (or mono, when `right` stays empty) block of samples.
struct Sound {
  Track left;
  Track right;
  bool stereo() const { return !right.empty(); }
  std::size_t frames() const { return left.size(); }
};

inline std::size_t secondsToFrames(double seconds) { return static_cast<std::size_t>(seconds * kSampleRate + 0.5); }

// xorshift64*: fast, good enough for noise, and independent of the C++ library's
// distributions, whose output may change between library versions.
class Random {
public:
  explicit Random(std::uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {
    if (state_ == 0) state_ = 1;
  }
  std::uint64_t next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return state_ * 0x2545F4914F6CDD1Dull;
  }
  // Uniform in [0, 1).
  double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
  double range(double low, double high) { return low + (high - low) * uniform(); }
  // Uniform in [-1, 1).
  float noise() { return static_cast<float>(uniform() * 2.0 - 1.0); }

private:
  std::uint64_t state_;
};

// Six-decibel-per-octave low pass: cheap smoothing for envelopes and noise colour.
class OnePole {
public:
  OnePole() = default;
  explicit OnePole(double cutoffHz) { setCutoff(cutoffHz); }
  void setCutoff(double cutoffHz);
  float lowPass(float x) {
    z_ += a_ * (x - z_);
    return z_;
  }

private:
  float a_ = 1.0f;
  float z_ = 0.0f;
};

// Second-order section (the audio-cookbook designs), transposed direct form II.
class Biquad {
public:
  static Biquad lowPass(double hz, double q);
  static Biquad highPass(double hz, double q);
  // Band pass with 0 dB gain at the centre.
  static Biquad bandPass(double hz, double q);
  static Biquad peaking(double hz, double q, double gainDb);
  float process(float x) {
    const double y = b0_ * x + z1_;
    z1_ = b1_ * x - a1_ * y + z2_;
    z2_ = b2_ * x - a2_ * y;
    return static_cast<float>(y);
  }

private:
  Biquad(double b0, double b1, double b2, double a0, double a1, double a2);
  double b0_, b1_, b2_, a1_, a2_;
  double z1_ = 0.0, z2_ = 0.0;
};

// Eight-line feedback delay network with a Householder mix and damping in every loop:
// a smooth, dense tail without the metallic flutter of a few comb filters.
class Reverb {
public:
  // `decaySeconds` is the time to fall by 60 dB at low frequencies; `dampingHz` sets how
  // quickly the highs die; `size` scales the delay lengths (1 = a mid-sized room).
  Reverb(double decaySeconds, double dampingHz, double size);
  void process(float inLeft, float inRight, float& outLeft, float& outRight);

private:
  static constexpr int kLines = 8;
  std::vector<float> lines_[kLines];
  std::size_t positions_[kLines] = {};
  float gains_[kLines] = {};
  OnePole damping_[kLines];
};

// Runs `sound` through `reverb` and mixes the wet signal in at `wet` (dry kept at `dry`).
void applyReverb(Sound& sound, Reverb& reverb, float dry, float wet);

// Like applyReverb for a loop: the reverb runs over the loop twice and the second pass is
// kept, so its state at the loop start is what the loop's end leaves behind and the result
// repeats seamlessly.
void applyReverbLooped(Sound& sound, Reverb& reverb, float dry, float wet);

// A raised-cosine fade over the last `seconds` of a one-shot sound, so it ends at zero.
void fadeOutTail(Sound& sound, double seconds);

// Makes `track` one period of a loop of `loopFrames`: whatever was rendered past the loop
// end (decay tails, reverb) is added back at the start, exactly what an endless repetition
// would hear there, and the track is cut to the loop length.
void foldIntoLoop(Track& track, std::size_t loopFrames);
void foldIntoLoop(Sound& sound, std::size_t loopFrames);

// Turns the loop so that it starts, within its first `searchFrames` frames, where every
// channel is closest to zero and changes least. An encoder sees silence before a file's
// first sample; starting where the signal itself is near silent keeps that edge, and with
// it the encoder's error at the seam, small.
void rotateToSmoothSeam(Sound& sound, std::size_t searchFrames);

float peakOf(const Sound& sound);
double rmsOf(const Sound& sound);
void scale(Sound& sound, float gain);
// Scales so that the largest absolute sample equals `peak` (a linear value below 1).
void normalizePeak(Sound& sound, float peak);

// Adds `source` into `target` starting at `offset` frames, with gain and an equal-power pan
// (-1 left ... +1 right) for a mono source into a stereo target.
void mixMono(Sound& target, const Track& source, std::size_t offset, float gain, float pan);

inline double decibelsToGain(double db) { return std::pow(10.0, db / 20.0); }

} // namespace tools::sound
