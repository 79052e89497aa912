// Surface textures: woods, floor boards, wallpaper, plaster, paint, metal, cloth and glass.
// Every repeating texture tiles seamlessly: all noise has the tile as its period.

#include "tools/mediagen/textures/Textures.h"

#include <cmath>

#include "tools/mediagen/textures/Noise.h"

namespace tools {

namespace {

constexpr float kTau = 6.28318531f;

Rgba grade(Rgba c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }

Image wood(int w, int h, Rgba early, Rgba late, int rings, unsigned seed) {
  return paint(w, h, [&](float u, float v) { return woodGrain(u, v, rings, early, late, seed); });
}

Image floorBoards(int w, int h) {
  const int boards = 16, lengths = 2; // across and along one tile
  return paint(w, h, [&](float u, float v) {
    int col = int(u * boards);
    float bu = u * boards - float(col);
    float shift = hashFloat(col, 0, 71);
    float along = v * lengths + shift;
    int row = int(std::floor(along));
    float bv = along - float(row);
    int piece = ((row % lengths) + lengths) % lengths;
    float tone = 0.80f + 0.38f * hashFloat(col, piece, 72);
    // Each piece is cut from another part of the log: shift its grain.
    float gu = (float(col) + bu) / float(boards);
    Rgba c = woodGrain(gu + 0.37f * hashFloat(col, piece, 73), v, 48, rgb(120, 76, 44), rgb(70, 40, 22),
                       74 + unsigned(piece));
    c = grade(c, tone);
    // Gaps between boards and at the butt joints, and a worn sheen down the middle.
    float edge = std::min(bu, 1.0f - bu) * 16.0f;   // cm from the board's side
    float joint = std::min(bv, 1.0f - bv) * 128.0f; // cm from the joint
    float gap = smoothstep(0.0f, 0.35f, std::min(edge, joint));
    c = mix(rgb(18, 10, 6), c, 0.15f + 0.85f * gap);
    float wear = 0.94f + 0.08f * fbm(u, v, 8, 8, 3, 75);
    return grade(c, wear);
  });
}

Image wallpaper(int w, int h) {
  // Deep green paper with a muted damask of medallions on a half-drop repeat and fine
  // vertical stripes between them.
  const Rgba ground = rgb(54, 74, 56), motif = rgb(80, 94, 64), stripe = rgb(46, 63, 48);
  return paint(w, h, [&](float u, float v) {
    float fibre = fbm(u, v, 16, 16, 4, 11) - 0.5f;
    float cx = u * 2.0f, cy = v * 2.0f;
    int ix = int(std::floor(cx));
    if (ix % 2 != 0) cy += 0.5f; // half-drop
    float lx = cx - std::floor(cx) - 0.5f, ly = cy - std::floor(cy) - 0.5f;
    float r = std::sqrt(lx * lx + ly * ly * 0.8f), a = std::atan2(ly, lx);
    float petal = 0.26f + 0.07f * std::cos(4 * a) + 0.03f * std::cos(12 * a);
    float body = smoothstep(0.012f, -0.012f, r - petal) * smoothstep(0.07f, 0.09f, r);
    float heart = smoothstep(0.07f, 0.05f, r);
    float ring = smoothstep(0.010f, 0.0f, std::fabs(r - petal - 0.045f));
    float stripes = 0.5f + 0.5f * std::cos(u * kTau * 16.0f);
    Rgba c = mix(ground, stripe, 0.35f * stripes * stripes);
    c = mix(c, motif, std::max({body * 0.85f, heart, ring * 0.7f}));
    float age = 0.93f + 0.1f * fbm(u, v, 3, 3, 3, 12);
    return grade(c, age + 0.1f * fibre);
  });
}

Image plaster(int w, int h) {
  return paint(w, h, [](float u, float v) {
    float n = fbm(u, v, 8, 8, 5, 21) * 0.6f + fbm(u, v, 64, 64, 2, 22) * 0.4f;
    return grade(rgb(214, 208, 194), 0.95f + 0.07f * n);
  });
}

Image paintedWood(int w, int h) {
  return paint(w, h, [](float u, float v) {
    float brush = fbm(u, v, 64, 2, 3, 31);
    float blot = fbm(u, v, 4, 4, 3, 32);
    return grade(rgb(212, 200, 170), 0.90f + 0.10f * brush + 0.06f * blot);
  });
}

Image brass(int w, int h, unsigned seed, Rgba base) {
  return paint(w, h, [&](float u, float v) {
    float brushed = fbm(u, v, 2, 96, 3, seed);
    float tarnish = smoothstep(0.55f, 0.8f, fbm(u, v, 4, 4, 4, seed + 1));
    float sheen = 0.5f + 0.5f * std::sin(kTau * (u + 0.15f * fbm(u, v, 2, 2, 2, seed + 2)));
    Rgba c = grade(base, 0.82f + 0.22f * brushed + 0.18f * sheen);
    return mix(c, rgb(120, 92, 46), 0.3f * tarnish);
  });
}

Image upholstery(int w, int h) {
  // Woven wine-red cloth with a faint lozenge figure.
  return paint(w, h, [](float u, float v) {
    float weave =
        0.5f + 0.25f * std::sin(u * kTau * 96) * std::sin(v * kTau * 96) + 0.25f * std::sin((u + v) * kTau * 48);
    float lozenge =
        std::fabs(std::fmod(u * 4 + 100.0f, 1.0f) - 0.5f) + std::fabs(std::fmod(v * 4 + 100.0f, 1.0f) - 0.5f);
    float figure = smoothstep(0.30f, 0.27f, lozenge) - smoothstep(0.22f, 0.19f, lozenge);
    float pile = fbm(u, v, 32, 32, 3, 41);
    Rgba c = grade(rgb(118, 30, 34), 0.78f + 0.18f * weave + 0.14f * pile);
    return mix(c, rgb(150, 96, 60), 0.35f * figure);
  });
}

Image curtain(int w, int h) {
  // Sheer linen: open weave, faint vertical stripes, denser hem and heading.
  return paint(w, h, [](float u, float v) {
    float warp = 0.5f + 0.5f * std::sin(u * kTau * 128);
    float weft = 0.5f + 0.5f * std::sin(v * kTau * 256);
    float slub = fbm(u, v, 8, 64, 3, 51);
    float stripe = smoothstep(0.85f, 0.95f, 0.5f + 0.5f * std::cos(u * kTau * 8));
    float hem = smoothstep(0.93f, 0.95f, v) + smoothstep(0.05f, 0.03f, v);
    Rgba c = grade(rgb(226, 212, 184), 0.88f + 0.12f * slub);
    c = mix(c, rgb(196, 170, 128), 0.35f * stripe);
    c.a = std::min(1.0f, 0.48f + 0.14f * warp * weft + 0.12f * slub + 0.15f * stripe + 0.3f * hem);
    return c;
  });
}

Image lampshade(int w, int h) {
  // Glowing parchment seen lit from inside: warm, brighter between the ribs.
  return paint(w, h, [](float u, float v) {
    float rib = std::fabs(std::fmod(u * 8.0f, 1.0f) - 0.5f) * 2.0f;
    float glow = 0.82f + 0.18f * smoothstep(0.0f, 0.6f, rib);
    float fibre = fbm(u, v, 16, 16, 4, 61);
    Rgba c = grade(rgb(255, 206, 140), glow * (0.9f + 0.15f * fibre));
    float trim = smoothstep(0.06f, 0.04f, v) + smoothstep(0.78f, 0.80f, v);
    return mix(c, rgb(150, 90, 40), 0.6f * std::min(trim, 1.0f));
  });
}

Image glass(int w, int h) {
  return paint(w, h, [](float u, float v) {
    float n = fbm(u, v, 4, 4, 3, 81);
    return Rgba{0.5f, 0.5f, 0.5f, 0.10f + 0.05f * n};
  });
}

Image chrome(int w, int h) {
  // A sphere map of the room as a glass door would mirror it: dark surroundings, the warm
  // lamp and the cool window as soft shapes.
  return paint(w, h, [](float u, float v) {
    float x = u * 2 - 1, y = v * 2 - 1, r = std::sqrt(x * x + y * y);
    Rgba c = grade(rgb(40, 34, 30), 1.0f - 0.4f * r);
    float lamp = std::exp(-((x + 0.45f) * (x + 0.45f) + (y + 0.2f) * (y + 0.2f)) / 0.02f);
    c = c + Rgba{1.0f, 0.78f, 0.50f, 0} * (0.9f * lamp);
    float wx = smoothstep(0.25f, 0.2f, std::fabs(x - 0.45f)) * smoothstep(0.35f, 0.3f, std::fabs(y + 0.1f));
    c = c + Rgba{0.25f, 0.32f, 0.45f, 0} * (0.5f * wx);
    c.a = 1;
    return c;
  });
}

} // namespace

Rgba woodGrain(float u, float v, int rings, Rgba early, Rgba late, unsigned seed) {
  float warp = fbm(u, v, 3, 2, 4, seed) - 0.5f;
  float t = u * float(rings) + 1.2f * warp + 0.12f * float(rings) / 10.0f * std::sin(v * kTau + u * kTau);
  float ring = t - std::floor(t);
  float late_ = std::pow(ring, 3.0f);
  float fibres = fbm(u, v, 128, 4, 3, seed + 7);
  float pores = smoothstep(0.75f, 0.9f, fbm(u, v, 256, 16, 1, seed + 9));
  Rgba c = mix(early, late, 0.75f * late_ + 0.25f * fibres);
  return grade(c, 0.95f - 0.12f * pores + 0.08f * (fbm(u, v, 2, 2, 3, seed + 11) - 0.5f));
}

const std::vector<TextureRecipe>& materialTextures() {
  static const std::vector<TextureRecipe> recipes = {
      {"wallpaper.jpg", 512, 512, wallpaper},
      {"floor.jpg", 1024, 1024, floorBoards},
      {"plaster.jpg", 256, 256, plaster},
      {"paint.jpg", 256, 256, paintedWood},
      {"oak.jpg", 512, 512, [](int w, int h) { return wood(w, h, rgb(150, 104, 62), rgb(98, 62, 34), 22, 301); }},
      {"mahogany.jpg", 512, 512, [](int w, int h) { return wood(w, h, rgb(126, 56, 34), rgb(72, 28, 16), 26, 302); }},
      {"brass.jpg", 256, 256, [](int w, int h) { return brass(w, h, 401, rgb(210, 164, 82)); }},
      {"gilt.jpg", 256, 256, [](int w, int h) { return brass(w, h, 402, rgb(196, 150, 70)); }},
      {"fabric.jpg", 256, 256, upholstery},
      {"rug.jpg", 512, 512, paintRug},
      {"curtain.png", 256, 512, curtain},
      {"lampshade.jpg", 256, 256, lampshade},
      {"books.jpg", 512, 512, paintBooks},
      {"dial.jpg", 1024, 1024, paintDial},
      {"night.jpg", 1024, 1024, paintNightView},
      {"painting.jpg", 512, 512, paintPainting},
      {"glass.png", 64, 64, glass},
      {"chrome.jpg", 256, 256, chrome},
  };
  return recipes;
}

} // namespace tools
