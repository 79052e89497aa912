#include "tools/mediagen/sound/Dsp.h"

#include <algorithm>
#include <cmath>

namespace tools::sound {

void OnePole::setCutoff(double cutoffHz) {
  a_ = static_cast<float>(1.0 - std::exp(-2.0 * kPi * cutoffHz / kSampleRate));
}

Biquad::Biquad(double b0, double b1, double b2, double a0, double a1, double a2)
    : b0_(b0 / a0), b1_(b1 / a0), b2_(b2 / a0), a1_(a1 / a0), a2_(a2 / a0) {}

namespace {
struct Angles {
  double cosine, alpha;
};
Angles anglesOf(double hz, double q) {
  const double w = 2.0 * kPi * std::min(hz, 0.49 * kSampleRate) / kSampleRate;
  return {std::cos(w), std::sin(w) / (2.0 * q)};
}
} // namespace

Biquad Biquad::lowPass(double hz, double q) {
  const auto [c, alpha] = anglesOf(hz, q);
  return Biquad((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

Biquad Biquad::highPass(double hz, double q) {
  const auto [c, alpha] = anglesOf(hz, q);
  return Biquad((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

Biquad Biquad::bandPass(double hz, double q) {
  const auto [c, alpha] = anglesOf(hz, q);
  return Biquad(alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
}

Biquad Biquad::peaking(double hz, double q, double gainDb) {
  const auto [c, alpha] = anglesOf(hz, q);
  const double a = std::pow(10.0, gainDb / 40.0);
  return Biquad(1 + alpha * a, -2 * c, 1 - alpha * a, 1 + alpha / a, -2 * c, 1 - alpha / a);
}

Reverb::Reverb(double decaySeconds, double dampingHz, double size) {
  // Mutually prime lengths between about 30 and 65 ms keep the echoes from lining up.
  static constexpr int kLengths[kLines] = {1327, 1499, 1693, 1867, 2053, 2243, 2521, 2879};
  for (int i = 0; i < kLines; ++i) {
    const auto length = static_cast<std::size_t>(kLengths[i] * size);
    lines_[i].assign(std::max<std::size_t>(length, 1), 0.0f);
    const double seconds = static_cast<double>(lines_[i].size()) / kSampleRate;
    gains_[i] = static_cast<float>(std::pow(10.0, -3.0 * seconds / decaySeconds));
    damping_[i].setCutoff(dampingHz);
  }
}

void Reverb::process(float inLeft, float inRight, float& outLeft, float& outRight) {
  float taps[kLines];
  float sum = 0.0f;
  for (int i = 0; i < kLines; ++i) {
    taps[i] = lines_[i][positions_[i]];
    sum += taps[i];
  }
  // Householder reflection: lossless, and every line feeds every other one.
  const float mix = sum * (2.0f / kLines);
  outLeft = 0.0f;
  outRight = 0.0f;
  for (int i = 0; i < kLines; ++i) {
    const float sign = (i & 2) ? -1.0f : 1.0f;
    if (i & 1)
      outRight += sign * taps[i];
    else
      outLeft += sign * taps[i];
    const float input = (i & 1) ? inRight : inLeft;
    const float fed = damping_[i].lowPass((taps[i] - mix) * gains_[i]) + input;
    lines_[i][positions_[i]] = fed;
    positions_[i] = (positions_[i] + 1) % lines_[i].size();
  }
  outLeft *= 0.5f;
  outRight *= 0.5f;
}

void applyReverb(Sound& sound, Reverb& reverb, float dry, float wet) {
  const bool stereo = sound.stereo();
  for (std::size_t n = 0; n < sound.frames(); ++n) {
    const float inLeft = sound.left[n];
    const float inRight = stereo ? sound.right[n] : inLeft;
    float outLeft = 0.0f;
    float outRight = 0.0f;
    reverb.process(inLeft, inRight, outLeft, outRight);
    sound.left[n] = dry * inLeft + wet * (stereo ? outLeft : 0.5f * (outLeft + outRight));
    if (stereo) sound.right[n] = dry * inRight + wet * outRight;
  }
}

void applyReverbLooped(Sound& sound, Reverb& reverb, float dry, float wet) {
  const bool stereo = sound.stereo();
  float outLeft = 0.0f;
  float outRight = 0.0f;
  for (std::size_t n = 0; n < sound.frames(); ++n) {
    reverb.process(sound.left[n], stereo ? sound.right[n] : sound.left[n], outLeft, outRight);
  }
  applyReverb(sound, reverb, dry, wet);
}

void fadeOutTail(Sound& sound, double seconds) {
  const std::size_t length = std::min(sound.frames(), secondsToFrames(seconds));
  const std::size_t start = sound.frames() - length;
  for (std::size_t n = 0; n < length; ++n) {
    const auto gain = static_cast<float>(0.5 + 0.5 * std::cos(kPi * static_cast<double>(n + 1) / length));
    sound.left[start + n] *= gain;
    if (sound.stereo()) sound.right[start + n] *= gain;
  }
}

void foldIntoLoop(Track& track, std::size_t loopFrames) {
  if (loopFrames == 0) return;
  for (std::size_t n = loopFrames; n < track.size(); ++n)
    track[n % loopFrames] += track[n];
  track.resize(loopFrames, 0.0f);
}

void foldIntoLoop(Sound& sound, std::size_t loopFrames) {
  foldIntoLoop(sound.left, loopFrames);
  if (sound.stereo()) foldIntoLoop(sound.right, loopFrames);
}

void rotateToSmoothSeam(Sound& sound, std::size_t searchFrames) {
  const std::size_t frames = sound.frames();
  if (frames < 2) return;
  auto edgeAt = [&](const Track& track, std::size_t n) {
    const std::size_t before = (n + frames - 1) % frames;
    return std::fabs(track[n]) + 2.0f * std::fabs(track[n] - track[before]);
  };
  auto stepAt = [&](std::size_t n) { return edgeAt(sound.left, n) + (sound.stereo() ? edgeAt(sound.right, n) : 0.0f); };
  std::size_t best = 0;
  for (std::size_t n = 1; n < std::min(searchFrames, frames); ++n) {
    if (stepAt(n) < stepAt(best)) best = n;
  }
  std::rotate(sound.left.begin(), sound.left.begin() + static_cast<std::ptrdiff_t>(best), sound.left.end());
  if (sound.stereo())
    std::rotate(sound.right.begin(), sound.right.begin() + static_cast<std::ptrdiff_t>(best), sound.right.end());
}

float peakOf(const Sound& sound) {
  float peak = 0.0f;
  for (float x : sound.left)
    peak = std::max(peak, std::fabs(x));
  for (float x : sound.right)
    peak = std::max(peak, std::fabs(x));
  return peak;
}

double rmsOf(const Sound& sound) {
  double sum = 0.0;
  for (float x : sound.left)
    sum += static_cast<double>(x) * x;
  for (float x : sound.right)
    sum += static_cast<double>(x) * x;
  const std::size_t count = sound.left.size() + sound.right.size();
  return count == 0 ? 0.0 : std::sqrt(sum / static_cast<double>(count));
}

void scale(Sound& sound, float gain) {
  for (float& x : sound.left)
    x *= gain;
  for (float& x : sound.right)
    x *= gain;
}

void normalizePeak(Sound& sound, float peak) {
  const float current = peakOf(sound);
  if (current > 0.0f) scale(sound, peak / current);
}

void mixMono(Sound& target, const Track& source, std::size_t offset, float gain, float pan) {
  const double angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0) * kPi / 4.0;
  const auto gainLeft = static_cast<float>(gain * (target.stereo() ? std::cos(angle) : 1.0));
  const auto gainRight = static_cast<float>(gain * std::sin(angle));
  const std::size_t end = std::min(target.frames(), offset + source.size());
  for (std::size_t n = offset; n < end; ++n) {
    target.left[n] += gainLeft * source[n - offset];
    if (target.stereo()) target.right[n] += gainRight * source[n - offset];
  }
}

} // namespace tools::sound
