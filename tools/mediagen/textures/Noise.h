#pragma once
// Deterministic, tileable noise for the procedural textures: lattice value noise with a
// period, fractal sums of it, and a hash for per-cell random choices.

#include <cmath>
#include <cstdint>

namespace tools {

inline uint32_t hash3(int x, int y, uint32_t seed) {
  uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
  h ^= h >> 15;
  h *= 0x2c1b3c6du;
  h ^= h >> 12;
  h *= 0x297a2d39u;
  h ^= h >> 15;
  return h;
}

// Uniform in [0, 1).
inline float hashFloat(int x, int y, uint32_t seed) { return float(hash3(x, y, seed) >> 8) / float(1u << 24); }

inline float smooth(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

// Value noise in [0, 1) repeating every `period` lattice cells on both axes.
inline float valueNoise(float x, float y, int periodX, int periodY, uint32_t seed) {
  float fx = std::floor(x), fy = std::floor(y);
  int ix = int(fx), iy = int(fy);
  float tx = smooth(x - fx), ty = smooth(y - fy);
  auto w = [](int i, int p) { return ((i % p) + p) % p; };
  float a = hashFloat(w(ix, periodX), w(iy, periodY), seed);
  float b = hashFloat(w(ix + 1, periodX), w(iy, periodY), seed);
  float c = hashFloat(w(ix, periodX), w(iy + 1, periodY), seed);
  float d = hashFloat(w(ix + 1, periodX), w(iy + 1, periodY), seed);
  return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

// Fractal sum over (u, v) in texture space (0..1 is one tile), `cells` lattice cells per tile
// at the first octave; the result is in [0, 1) and tiles seamlessly.
inline float fbm(float u, float v, int cellsX, int cellsY, int octaves, uint32_t seed, float gain = 0.5f) {
  float sum = 0, amp = 1, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * valueNoise(u * float(cellsX), v * float(cellsY), cellsX, cellsY, seed + uint32_t(o) * 101u);
    norm += amp;
    amp *= gain;
    cellsX *= 2;
    cellsY *= 2;
  }
  return sum / norm;
}

inline float clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }
inline float smoothstep(float a, float b, float x) {
  float t = clamp01((x - a) / (b - a));
  return t * t * (3 - 2 * t);
}

} // namespace tools
