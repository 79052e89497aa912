// The painted pieces: the clock dial with Roman numerals, the rainy night outside the
// window, the default painting, the rug and the book spines.

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "tools/mediagen/textures/Noise.h"
#include "tools/mediagen/textures/Textures.h"

namespace tools {

namespace {

constexpr float kTau = 6.28318531f;
constexpr float kPiF = 3.14159265f;

Rgba grade(Rgba c, float k) { return {c.r * k, c.g * k, c.b * k, c.a}; }

struct P2 {
  float x, y;
};

// Distance from p to the segment a-b.
float segmentDistance(P2 p, P2 a, P2 b) {
  float dx = b.x - a.x, dy = b.y - a.y;
  float t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / std::max(dx * dx + dy * dy, 1e-12f);
  t = clamp01(t);
  float ex = p.x - (a.x + t * dx), ey = p.y - (a.y + t * dy);
  return std::sqrt(ex * ex + ey * ey);
}

// ---------------------------------------------------------------------------------------
// Dial. Texture space spans 51 cm: x = -25.5 .. 25.5 across, z = 34 .. -17 down; the dial
// centre sits at (0.5, 2/3).

struct Stroke {
  P2 a, b;
  float halfWidth;
};

// Roman letters in a glyph box: x across (0 .. width), y up (0 .. 1), thick and thin
// strokes as a pen would draw them, with hairline serifs.
float letterWidth(char c) { return c == 'I' ? 0.42f : 0.95f; }

void letterStrokes(char c, float x0, std::vector<Stroke>& out) {
  const float thick = 0.085f, thin = 0.032f, serif = 0.022f;
  float w = letterWidth(c);
  auto serifs = [&](float xa, float xb, float y) { out.push_back({{x0 + xa, y}, {x0 + xb, y}, serif}); };
  if (c == 'I') {
    out.push_back({{x0 + w / 2, 0.02f}, {x0 + w / 2, 0.98f}, thick});
    serifs(0.02f, w - 0.02f, 0.01f);
    serifs(0.02f, w - 0.02f, 0.99f);
  } else if (c == 'V') {
    out.push_back({{x0 + 0.12f, 0.98f}, {x0 + w / 2, 0.02f}, thick});
    out.push_back({{x0 + w - 0.12f, 0.98f}, {x0 + w / 2, 0.02f}, thin});
    serifs(0.0f, 0.26f, 0.99f);
    serifs(w - 0.24f, w, 0.99f);
  } else if (c == 'X') {
    out.push_back({{x0 + 0.12f, 0.98f}, {x0 + w - 0.12f, 0.02f}, thick});
    out.push_back({{x0 + w - 0.12f, 0.98f}, {x0 + 0.12f, 0.02f}, thin});
    serifs(0.0f, 0.26f, 0.99f);
    serifs(w - 0.26f, w, 0.99f);
    serifs(0.0f, 0.26f, 0.01f);
    serifs(w - 0.26f, w, 0.01f);
  }
}

const char* const kNumerals[12] = {"XII", "I", "II", "III", "IIII", "V", "VI", "VII", "VIII", "IX", "X", "XI"};

// Strokes of one numeral in dial centimetres: letters stand on a baseline at radius
// `inner`, their tops pointing away from the centre, read clockwise.
std::vector<Stroke> numeralStrokes(int hour, float inner, float height) {
  std::vector<Stroke> glyph;
  const char* text = kNumerals[hour];
  float x = 0, gap = 0.12f;
  for (const char* c = text; *c; ++c) {
    letterStrokes(*c, x, glyph);
    x += letterWidth(*c) + gap;
  }
  float width = x - gap;
  float a = kTau * float(hour) / 12.0f;
  P2 up{std::sin(a), std::cos(a)}, right{std::cos(a), -std::sin(a)};
  std::vector<Stroke> out;
  for (const Stroke& s : glyph) {
    auto place = [&](P2 p) {
      float gx = (p.x - width / 2) * height, gy = inner + p.y * height;
      return P2{right.x * gx + up.x * gy, right.y * gx + up.y * gy};
    };
    out.push_back({place(s.a), place(s.b), s.halfWidth * height});
  }
  return out;
}

Rgba dialPixel(float x, float z, const std::array<std::vector<Stroke>, 12>& numerals, float px) {
  float r = std::sqrt(x * x + z * z);
  // Aged ivory paint, darker towards the plate edges.
  float mottle = fbm(x / 51.0f + 0.5f, z / 51.0f, 6, 6, 4, 501);
  float edge =
      z <= 17.0f ? std::min(17.0f - std::fabs(x), z + 17.0f) : 17.0f - std::sqrt(x * x + (z - 17.0f) * (z - 17.0f));
  Rgba c = grade(rgb(226, 214, 184), 0.9f + 0.12f * mottle - 0.08f * smoothstep(3.0f, 0.0f, edge));
  const Rgba ink = rgb(28, 22, 18), gold = rgb(186, 140, 60), rose = rgb(170, 86, 80), leaf = rgb(88, 110, 66);
  auto cover = [&](float d, float half) { return clamp01((half - d) / px + 0.5f); };

  if (z > 17.0f) {
    // The arch: a painted night sky with a moon and gilt stars inside a gold ring.
    float ax = x, az = z - 17.0f, ar = std::sqrt(ax * ax + az * az);
    if (ar < 13.0f) {
      float t = az / 13.0f;
      c = mix(rgb(40, 58, 96), rgb(14, 20, 44), t);
      float stars = hashFloat(int(std::floor(ax * 3)), int(std::floor(az * 3)), 502);
      float sx = ax * 3 - std::floor(ax * 3) - 0.5f, sz = az * 3 - std::floor(az * 3) - 0.5f;
      if (stars > 0.86f) c = mix(c, gold, cover(std::sqrt(sx * sx + sz * sz), 0.12f));
      float mx = ax + 4.5f, mz = az - 5.5f, mr = std::sqrt(mx * mx + mz * mz);
      Rgba moon = grade(rgb(236, 220, 160), 0.85f + 0.2f * fbm(mx / 8 + 0.5f, mz / 8 + 0.5f, 4, 4, 3, 503));
      c = mix(c, moon, cover(mr, 3.0f));
      // Hills below the sky.
      float hill = 1.2f + 1.4f * std::sin(ax * 0.5f) + 0.8f * std::sin(ax * 1.3f + 1);
      c = mix(c, rgb(52, 70, 44), cover(az - hill, 0.0f) * (az < hill ? 1.0f : 0.0f));
    }
    c = mix(c, gold, cover(std::fabs(ar - 13.3f), 0.22f));
    return c;
  }
  // Corner flowers outside the chapter ring.
  for (float sx : {-1.0f, 1.0f}) {
    for (float sz : {-1.0f, 1.0f}) {
      float fx = x - sx * 13.6f, fz = z - sz * 13.6f;
      float fr = std::sqrt(fx * fx + fz * fz), fa = std::atan2(fz, fx);
      float petals = 1.9f * (0.55f + 0.45f * std::fabs(std::cos(2.5f * fa)));
      float lx = fx + sx * 1.6f, lz = fz - sz * 1.6f;
      float leafD = std::sqrt(lx * lx * 2.5f + lz * lz * 0.6f);
      c = mix(c, leaf, cover(leafD, 1.4f) * 0.9f);
      c = mix(c, grade(rose, 0.85f + 0.3f * (1 - fr / 2)), cover(fr, petals));
      c = mix(c, gold, cover(fr, 0.55f));
    }
  }
  // Chapter ring: border lines, minute track, five-minute dots.
  c = mix(c, ink, cover(std::fabs(r - 15.0f), 0.05f));
  c = mix(c, ink, cover(std::fabs(r - 13.95f), 0.04f));
  c = mix(c, ink, cover(std::fabs(r - 10.45f), 0.04f));
  c = mix(c, ink, cover(std::fabs(r - 10.2f), 0.02f));
  float a = std::atan2(x, z); // clockwise from XII
  if (a < 0) a += kTau;
  float minute = a / kTau * 60.0f, nearest = std::round(minute);
  float tickAngle = nearest / 60.0f * kTau;
  P2 dir{std::sin(tickAngle), std::cos(tickAngle)};
  float along = x * dir.x + z * dir.y, across = std::fabs(x * dir.y - z * dir.x);
  if (along > 13.95f && along < 15.0f) c = mix(c, ink, cover(across, 0.035f));
  if (int(nearest) % 5 == 0) {
    float dx = x - dir.x * 14.48f, dz = z - dir.y * 14.48f;
    c = mix(c, ink, cover(std::sqrt(dx * dx + dz * dz), 0.2f));
  }
  // Numerals: only the nearest hour's strokes and its neighbours' can reach this pixel.
  int hour = int(std::round(a / kTau * 12.0f));
  float d = 1e9f;
  for (int k = hour + 11; k <= hour + 13; ++k)
    for (const Stroke& s : numerals[size_t(k % 12)])
      d = std::min(d, segmentDistance({x, z}, s.a, s.b) - s.halfWidth);
  c = mix(c, ink, cover(d, 0.0f));
  // A gilt rosette at the centre, under the hands' boss.
  float ang = std::atan2(z, x);
  float ros = 1.6f + 0.35f * std::cos(8 * ang);
  c = mix(c, grade(gold, 0.8f + 0.3f * (r / ros)), cover(r, ros) * 0.85f);
  c = mix(c, ink, cover(r, 0.35f));
  return c;
}

} // namespace

Image paintDial(int w, int h) {
  std::array<std::vector<Stroke>, 12> numerals;
  for (int i = 0; i < 12; ++i)
    numerals[size_t(i)] = numeralStrokes(i, 10.9f, 2.5f);
  float px = 51.0f / float(w);
  return paint(w, h, [&](float u, float v) { return dialPixel(-25.5f + 51.0f * u, 34.0f - 51.0f * v, numerals, px); });
}

// ---------------------------------------------------------------------------------------
// Night view. The plane spans y = -60 .. 400 (u) and z = 200 .. -260 (v), seen from the room
// looking along +X; values are twice the shown brightness (the program halves them).

Image paintNightView(int w, int h) {
  const float moonY = 226.0f, moonZ = 64.0f;
  Image img = paint(w, h, [&](float u, float v) {
    float y = -60.0f + 460.0f * u, z = 200.0f - 460.0f * v;
    // Sky: deep blue above, a faint grey glow of the town at the horizon.
    float t = clamp01((z + 40.0f) / 240.0f);
    Rgba c = mix(rgb(70, 76, 92), rgb(14, 20, 40), std::sqrt(t));
    // Clouds, lit from behind by the moon.
    float dm = std::sqrt((y - moonY) * (y - moonY) + (z - moonZ) * (z - moonZ));
    float warpX = fbm(u, v, 3, 3, 3, 601) * 0.15f;
    float cloud = fbm(u * 1.0f + warpX, v * 1.6f, 4, 4, 6, 602);
    float density = smoothstep(0.38f, 0.72f, cloud);
    float moonlit = std::exp(-dm / 70.0f);
    Rgba cloudColour = mix(rgb(36, 40, 52), rgb(170, 176, 188), 0.15f + 0.85f * moonlit);
    float glow = std::exp(-dm / 28.0f) * 0.9f + std::exp(-dm / 90.0f) * 0.25f;
    c = c + Rgba{0.55f, 0.60f, 0.72f, 0} * glow;
    // The moon itself, half veiled.
    float disc = clamp01((7.0f - dm) / 0.6f);
    c = mix(c, rgb(240, 236, 214), disc * (1.0f - 0.7f * density));
    c = mix(c, cloudColour, density * 0.92f);
    // Distant hills, a tree line and a few rooftops with lit windows.
    float hills = -58.0f + 10.0f * fbm(u, 0.0f, 5, 1, 4, 603) + 6.0f * std::sin(u * 9.0f);
    float trees = hills + 4.0f + 9.0f * smoothstep(0.35f, 0.75f, fbm(u, 0.3f, 48, 1, 3, 604));
    Rgba land = rgb(10, 12, 16);
    if (z < trees) c = mix(c, land, clamp01((trees - z) / 0.9f));
    for (int i = 0; i < 5; ++i) {
      float hx = 40.0f + 70.0f * float(i) + 25.0f * hashFloat(i, 0, 605);
      float hw = 14.0f + 10.0f * hashFloat(i, 1, 605), hh = 10.0f + 8.0f * hashFloat(i, 2, 605);
      float base = hills + 2.0f, roof = base + hh + (hw / 2 - std::fabs(y - hx)) * 0.6f;
      if (std::fabs(y - hx) < hw / 2 && z < roof && z > base - 20) {
        c = land;
        float wy = std::fmod(std::fabs(y - hx + 50.0f), 5.0f), wz = z - base - 3.0f;
        if (hashFloat(i, 3, 605) > 0.35f && wy > 1.8f && wy < 3.6f && wz > 0 && wz < 3.0f &&
            hashFloat(int(std::floor((y - hx + 50.0f) / 5.0f)), i, 606) > 0.6f)
          c = rgb(255, 196, 110);
      }
    }
    // Wet ground catching a little light.
    if (z < hills - 25.0f) c = mix(c, rgb(22, 26, 34), 0.5f * fbm(u, v, 16, 4, 3, 607));
    return c;
  });
  // Rain: slanted streaks, drops on the glass and a few runs.
  auto add = [&](int x, int y, Rgba c) {
    if (x < 0 || y < 0 || x >= w || y >= h) return;
    Rgba& p = img.at(x, y);
    p = {p.r + c.r, p.g + c.g, p.b + c.b, 1};
  };
  for (int i = 0; i < 5200; ++i) {
    float sx = hashFloat(i, 0, 611) * float(w), sy = hashFloat(i, 1, 611) * float(h);
    float len = 6.0f + 16.0f * hashFloat(i, 2, 611), bright = 0.03f + 0.07f * hashFloat(i, 3, 611);
    for (int k = 0; k < int(len); ++k) {
      float t = float(k) / len;
      float fade = std::sin(t * kPiF);
      add(int(sx + 0.18f * float(k)), int(sy + float(k)), Rgba{0.8f, 0.85f, 1.0f, 0} * (bright * fade));
    }
  }
  for (int i = 0; i < 900; ++i) {
    float cx = hashFloat(i, 0, 612) * float(w), cy = hashFloat(i, 1, 612) * float(h);
    float rad = 0.8f + 2.2f * hashFloat(i, 2, 612) * hashFloat(i, 3, 612);
    for (int dy = -4; dy <= 4; ++dy)
      for (int dx = -4; dx <= 4; ++dx) {
        float d = std::sqrt(float(dx * dx + dy * dy)) / rad;
        if (d > 1.3f) continue;
        float rim = smoothstep(0.6f, 1.0f, d) * smoothstep(1.3f, 1.0f, d);
        float core = smoothstep(0.6f, 0.0f, d) * (dy < 0 ? 1.0f : 0.4f);
        add(int(cx) + dx, int(cy) + dy, Rgba{0.6f, 0.65f, 0.75f, 0} * (0.10f * core + 0.06f * rim));
      }
  }
  for (int i = 0; i < 60; ++i) {
    float x = hashFloat(i, 0, 613) * float(w), y = hashFloat(i, 1, 613) * float(h);
    int len = 30 + int(120 * hashFloat(i, 2, 613));
    for (int k = 0; k < len; ++k) {
      x += 0.6f * (valueNoise(float(k) * 0.15f, float(i), 1 << 20, 1 << 20, 614) - 0.5f);
      add(int(x), int(y) + k, Rgba{0.5f, 0.55f, 0.65f, 0} * 0.08f);
    }
  }
  return img;
}

// ---------------------------------------------------------------------------------------
// The default painting: an evening landscape with a lake, in a 4:3 canvas.

Image paintPainting(int w, int h) {
  return paint(w, h, [](float u, float v) {
    // Brush strokes: short directional noise that every layer picks up.
    float stroke = fbm(u * 1.0f, v * 1.0f, 48, 12, 3, 701) - 0.5f;
    float horizon = 0.56f;
    Rgba c;
    if (v < horizon) {
      float t = v / horizon;
      c = mix(rgb(58, 74, 128), rgb(236, 170, 96), std::pow(t, 1.6f));
      float sun = std::exp(-((u - 0.68f) * (u - 0.68f) * 1.8f + (v - 0.47f) * (v - 0.47f)) / 0.004f);
      c = c + Rgba{0.5f, 0.35f, 0.12f, 0} * sun;
      float cloud = smoothstep(0.55f, 0.75f, fbm(u, v * 3.0f, 3, 2, 5, 702)) * (1.0f - t * 0.6f);
      c = mix(c, mix(rgb(120, 90, 110), rgb(250, 190, 140), t), cloud * 0.7f);
      // Distant hills.
      float hill = horizon - 0.07f - 0.06f * fbm(u, 0.1f, 4, 1, 4, 703);
      if (v > hill) c = mix(rgb(92, 96, 128), rgb(120, 110, 130), (v - hill) / 0.1f);
    } else if (v < 0.78f) {
      // The lake mirrors the sky with ripples.
      float mv = 2 * horizon - v + 0.01f * std::sin(v * 300.0f + u * 20.0f);
      float t = clamp01(mv / horizon);
      c = grade(mix(rgb(58, 74, 128), rgb(236, 170, 96), std::pow(t, 1.6f)), 0.75f);
      float glint = std::exp(-(u - 0.68f) * (u - 0.68f) / 0.002f) * (0.5f + 0.5f * std::sin(v * 400.0f));
      c = c + Rgba{0.4f, 0.3f, 0.1f, 0} * (glint * 0.6f);
    } else {
      float t = (v - 0.78f) / 0.22f;
      c = mix(rgb(70, 84, 40), rgb(34, 40, 20), t);
      c = grade(c, 0.85f + 0.3f * fbm(u, v, 16, 8, 3, 704));
    }
    // Trees on the left shore.
    float trunk = 0.04f + 0.15f * fbm(u, 0.5f, 12, 1, 2, 705);
    float crown = 0.78f - 0.30f * smoothstep(0.42f, 0.05f, u) * (0.7f + 0.6f * fbm(u, v, 12, 12, 4, 706));
    if (u < 0.42f && v > crown && v < 0.8f + trunk * 0.1f) c = mix(c, rgb(28, 36, 22), 0.9f);
    c = grade(c, 1.0f + 0.18f * stroke);
    // Old varnish and a darker edge under the frame.
    float edge = std::min({u, 1 - u, v, 1 - v});
    c = c * Rgba{1.0f, 0.95f, 0.82f, 1};
    return grade(c, 0.75f + 0.25f * smoothstep(0.0f, 0.08f, edge));
  });
}

// ---------------------------------------------------------------------------------------
// The rug: a red field with a central medallion, corner pieces and a blue border.

Image paintRug(int w, int h) {
  const Rgba red = rgb(130, 34, 30), blue = rgb(34, 44, 86), cream = rgb(214, 192, 150), gold = rgb(190, 140, 60);
  return paint(w, h, [&](float u, float v) {
    float x = u * 2 - 1, y = v * 2 - 1;
    float bx = 1 - std::fabs(x), by = 1 - std::fabs(y), border = std::min(bx, by);
    float wool = fbm(u, v, 64, 64, 3, 801);
    Rgba c = red;
    if (border < 0.16f) {
      c = blue;
      // Repeating rosettes along the border.
      float along = bx < by ? v : u;
      float cell = std::fmod(along * 14.0f, 1.0f) - 0.5f, across = (border - 0.08f) / 0.08f;
      float rr = std::sqrt(cell * cell * 4 + across * across);
      c = mix(c, gold, smoothstep(0.5f, 0.4f, rr));
      c = mix(c, red, smoothstep(0.25f, 0.15f, rr));
      if (border < 0.02f || std::fabs(border - 0.14f) < 0.012f) c = cream;
    } else {
      // Medallion: a lozenge with stepped edges, and quarter pieces in the corners.
      float d = std::fabs(x) * 1.5f + std::fabs(y);
      float corner = (1 - std::fabs(x)) * 1.5f + (1 - std::fabs(y));
      if (d < 0.75f) c = blue;
      if (d < 0.62f) c = cream;
      if (d < 0.46f) c = red;
      if (d < 0.22f) c = blue;
      if (corner < 0.55f) c = cream;
      if (corner < 0.42f) c = blue;
      // Small scattered motifs on the field.
      float gx = std::fmod(u * 12.0f, 1.0f) - 0.5f, gy = std::fmod(v * 12.0f, 1.0f) - 0.5f;
      if (d > 0.8f && corner > 0.6f && std::fabs(gx) + std::fabs(gy) < 0.18f) c = gold;
      float tracery = 0.5f + 0.5f * std::sin(d * 60.0f);
      c = grade(c, 0.92f + 0.08f * tracery);
    }
    float wear = 1.0f - 0.12f * smoothstep(0.5f, 0.0f, std::sqrt(x * x + y * y)) * fbm(u, v, 6, 6, 3, 802);
    return grade(c, (0.82f + 0.3f * wool) * wear);
  });
}

// ---------------------------------------------------------------------------------------
// Book spines: sixteen designs side by side; the lower quarter holds the cover colour and,
// at the very bottom, the page edges.

Image paintBooks(int w, int h) {
  const Rgba covers[8] = {rgb(110, 28, 26), rgb(30, 62, 44),   rgb(28, 38, 78), rgb(96, 60, 30),
                          rgb(40, 30, 26),  rgb(150, 120, 80), rgb(90, 20, 50), rgb(60, 72, 60)};
  const Rgba gold = rgb(200, 160, 80);
  return paint(w, h, [&](float u, float v) {
    int design = std::min(15, int(u * 16.0f));
    float lu = u * 16.0f - float(design);
    Rgba cover = covers[hash3(design, 0, 901) % 8];
    float leather = fbm(u, v, 64, 64, 3, 902 + unsigned(design));
    Rgba c = grade(cover, 0.8f + 0.35f * leather);
    if (v < 0.75f) {
      float sv = v / 0.75f;
      // Rounded spine: darker at the sides.
      c = grade(c, 0.65f + 0.45f * std::sin(lu * kPiF));
      int style = int(hash3(design, 1, 903) % 3);
      auto band = [&](float at, float width) { return std::fabs(sv - at) < width; };
      if (band(0.06f, 0.008f) || band(0.94f, 0.008f) || (style != 2 && (band(0.2f, 0.006f) || band(0.8f, 0.006f))))
        c = gold;
      // Title label and its "lettering".
      float top = 0.26f + 0.05f * float(style), bottom = top + 0.22f;
      if (sv > top && sv < bottom && lu > 0.18f && lu < 0.82f) {
        c = style == 1 ? grade(rgb(30, 24, 20), 1.0f) : grade(cover, 0.6f);
        float line = std::fmod((sv - top) * 40.0f, 1.0f);
        float letters = hashFloat(int(lu * 12), int((sv - top) * 40.0f), 904 + unsigned(design));
        if (line > 0.35f && line < 0.75f && letters > 0.3f && lu > 0.28f && lu < 0.72f) c = gold;
      }
    } else if (v > 0.96f) {
      c = grade(rgb(226, 214, 186), 0.9f + 0.1f * std::sin(v * 900.0f));
    }
    return c;
  });
}

} // namespace tools
