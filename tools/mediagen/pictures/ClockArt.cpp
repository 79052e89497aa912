#include "tools/mediagen/pictures/ClockArt.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tools::pictures {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Smooth lattice noise in 0 ... 1, seeded by integer hashing so it is the same everywhere.
double hashNoise(int x, int y, std::uint32_t seed) {
  std::uint32_t h =
      static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return ((h ^ (h >> 16)) & 0xFFFFFF) / 16777215.0;
}

double valueNoise(double x, double y, std::uint32_t seed) {
  const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
  double fx = x - ix, fy = y - iy;
  fx = fx * fx * (3 - 2 * fx);
  fy = fy * fy * (3 - 2 * fy);
  const double a = hashNoise(ix, iy, seed), b = hashNoise(ix + 1, iy, seed);
  const double c = hashNoise(ix, iy + 1, seed), d = hashNoise(ix + 1, iy + 1, seed);
  return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
}

double fractal(double x, double y, std::uint32_t seed, int octaves) {
  double sum = 0, amplitude = 0.5, total = 0;
  for (int i = 0; i < octaves; ++i) {
    sum += amplitude * valueNoise(x, y, seed + static_cast<std::uint32_t>(i));
    total += amplitude;
    x *= 2.03;
    y *= 2.03;
    amplitude *= 0.5;
  }
  return sum / total;
}

Point turn(Point local, double angle, Point centre) {
  // Local shapes point up (-y); `angle` turns them clockwise on screen.
  const double c = std::cos(angle), s = std::sin(angle);
  return {centre.x + local.x * c - local.y * s, centre.y + local.x * s + local.y * c};
}

std::vector<Point> turned(const std::vector<Point>& shape, double angle, Point centre, double scale,
                          Point offset = {0, 0}) {
  std::vector<Point> out;
  for (const Point& p : shape) {
    const Point q = turn({p.x * scale, p.y * scale}, angle, centre);
    out.push_back({q.x + offset.x, q.y + offset.y});
  }
  return out;
}

const char* const kNumerals[12] = {"XII", "I", "II", "III", "IIII", "V", "VI", "VII", "VIII", "IX", "X", "XI"};

void drawHands(Canvas& canvas, Point centre, double r, int hour, int minute) {
  // In units of the dial radius, pointing to twelve.
  const std::vector<Point> hourHand{{0.0, -0.50},  {0.045, -0.43},  {0.0, -0.36},    {-0.045, -0.43},
                                    {0.0, -0.50},  {-0.012, -0.36}, {-0.022, -0.30}, {-0.016, 0.10},
                                    {0.016, 0.10}, {0.022, -0.30},  {0.012, -0.36}};
  const std::vector<Point> minuteHand{{0.0, -0.75},   {0.010, -0.62}, {0.018, 0.0},   {0.012, 0.17},
                                      {-0.012, 0.17}, {-0.018, 0.0},  {-0.010, -0.62}};
  const double hourAngle = ((hour % 12) + minute / 60.0) * kPi / 6.0;
  const double minuteAngle = minute * kPi / 30.0;
  const Color iron = rgb(26, 24, 28);
  const Point shadow{0.012 * r, 0.018 * r};
  canvas.fillPolygon(turned(hourHand, hourAngle, centre, r, shadow), rgb(0, 0, 0), 0.25f);
  canvas.fillPolygon(turned(minuteHand, minuteAngle, centre, r, shadow), rgb(0, 0, 0), 0.25f);
  canvas.fillPolygon(turned(hourHand, hourAngle, centre, r), iron);
  canvas.fillPolygon(turned(minuteHand, minuteAngle, centre, r), iron);
  canvas.fillCircle(turn({0, 0.15 * r}, minuteAngle, centre), 0.035 * r, iron);
  canvas.fillCircle(centre, 0.05 * r, rgb(120, 88, 40));
  canvas.fillCircle(centre, 0.035 * r, rgb(206, 168, 90));
}

} // namespace

void drawDial(Canvas& canvas, Fonts& fonts, Point centre, double radius, int hour, int minute) {
  const double r = radius;
  // Brass bezel, lit from the upper left.
  canvas.blend(
      centre.x - r - 1, centre.y - r - 1, centre.x + r + 1, centre.y + r + 1,
      [&](double x, double y) {
        const double d = std::hypot(x - centre.x, y - centre.y);
        return static_cast<float>(std::clamp(r - d + 0.5, 0.0, 1.0));
      },
      [&](double x, double y) {
        const double angle = std::atan2(y - centre.y, x - centre.x);
        const double light = 0.5 + 0.5 * std::cos(angle + 0.75 * kPi);
        const double d = std::hypot(x - centre.x, y - centre.y) / r;
        const double bevel = 0.5 + 0.5 * std::sin((d - 0.86) / 0.14 * kPi);
        return mix(rgb(96, 66, 24), rgb(246, 214, 138), static_cast<float>(0.25 + 0.6 * light * bevel));
      });
  canvas.fillRing(centre, 0.855 * r, 0.87 * r, rgb(70, 48, 18));
  // The painted dial: warm ivory, a little darker and aged towards its rim.
  canvas.blend(
      centre.x - r, centre.y - r, centre.x + r, centre.y + r,
      [&](double x, double y) {
        return static_cast<float>(std::clamp(0.855 * r - std::hypot(x - centre.x, y - centre.y) + 0.5, 0.0, 1.0));
      },
      [&](double x, double y) {
        const double d = std::hypot(x - centre.x, y - centre.y) / r;
        const double grain = fractal(x / r * 9.0, y / r * 9.0, 7, 4);
        return mix(rgb(246, 238, 216), rgb(206, 188, 150), static_cast<float>(0.9 * d * d + 0.15 * grain));
      });
  const Color ink = rgb(40, 34, 30);
  canvas.fillRing(centre, 0.775 * r, 0.785 * r, ink);
  canvas.fillRing(centre, 0.715 * r, 0.72 * r, ink);
  canvas.fillRing(centre, 0.525 * r, 0.533 * r, ink);
  for (int tick = 0; tick < 60; ++tick) {
    const double angle = tick * kPi / 30.0;
    const bool five = tick % 5 == 0;
    const double w = (five ? 0.012 : 0.005) * r;
    canvas.fillPolygon(turned({{-w, -0.78 * r}, {w, -0.78 * r}, {w, -0.72 * r}, {-w, -0.72 * r}}, angle, centre, 1.0),
                       ink);
  }
  // Roman numerals standing on the chapter ring, their feet towards the centre.
  const int size = static_cast<int>(0.15 * r);
  for (int i = 0; i < 12; ++i) {
    const double angle = i * kPi / 6.0;
    const Point at = turn({0, -0.625 * r}, angle, centre);
    const int width = Canvas::textWidth(fonts.regular, kNumerals[i], size);
    canvas.text(fonts.regular, kNumerals[i], size, {at.x - width / 2.0, at.y + 0.36 * size}, ink, angle, at);
  }
  drawHands(canvas, centre, r, hour, minute);
}

void drawNightScene(Canvas& canvas, Fonts& fonts, const NightScene& scene) {
  const double w = canvas.width(), h = canvas.height();
  // Wallpaper: deep blue-grey with faint vertical stripes, darker towards the floor.
  canvas.paint([&](double x, double y) {
    const double stripe = 0.5 + 0.5 * std::sin(x / h * 2.0 * kPi * 18.0);
    const double texture = fractal(x / h * 40.0, y / h * 6.0, 3, 3);
    const Color wall = mix(rgb(34, 38, 58), rgb(14, 14, 22), static_cast<float>(y / h));
    return mix(wall, rgb(8, 8, 14), static_cast<float>(0.12 * stripe + 0.15 * texture));
  });
  if (scene.window) {
    const double left = 0.05 * w, right = 0.27 * w, top = 0.1 * h, bottom = 0.74 * h;
    const double frame = 0.012 * h;
    canvas.fillPolygon({{left - frame, top - frame},
                        {right + frame, top - frame},
                        {right + frame, bottom + frame},
                        {left - frame, bottom + frame}},
                       rgb(34, 22, 14));
    // The night sky: clouds lit from behind by the moon, a glow above the town.
    const Point moon{left + 0.65 * (right - left), top + 0.22 * (bottom - top)};
    canvas.blend(
        left, top, right, bottom, [](double, double) { return 1.0f; },
        [&](double x, double y) {
          const double clouds = fractal(x / h * 5.0, y / h * 9.0, 11, 5);
          const double moonLight = std::exp(-std::hypot(x - moon.x, y - moon.y) / (0.12 * h));
          const Color sky = mix(rgb(14, 20, 40), rgb(44, 52, 78), static_cast<float>((y - top) / (bottom - top)));
          return mix(sky, rgb(150, 160, 185),
                     static_cast<float>(std::clamp(0.25 * clouds + 0.55 * moonLight * clouds, 0.0, 1.0)));
        });
    canvas.glow(moon, 0.05 * h, rgb(220, 226, 240), 0.8f);
    // Roofs and a church tower far away.
    std::vector<Point> skyline{{left, bottom}};
    for (int i = 0; i <= 12; ++i) {
      const double x = left + (right - left) * i / 12.0;
      const double roof = bottom - (0.06 + 0.05 * hashNoise(i, 3, 5)) * h;
      skyline.push_back({x, roof});
      skyline.push_back({x + (right - left) / 24.0, roof - 0.02 * h});
    }
    skyline.push_back({right, bottom});
    canvas.fillPolygon(skyline, rgb(10, 12, 20));
    // Rain running down the glass.
    std::uint32_t state = 99;
    auto next = [&]() {
      state = state * 1664525u + 1013904223u;
      return (state >> 8) / 16777216.0;
    };
    for (int i = 0; i < 140; ++i) {
      const double x = left + next() * (right - left), y = top + next() * (bottom - top);
      const double length = std::min((0.02 + 0.06 * next()) * h, bottom - y), width = (0.0015 + 0.002 * next()) * h;
      canvas.fillPolygon(
          {{x, y}, {x + width, y}, {x + width + 0.1 * length, y + length}, {x + 0.1 * length, y + length}},
          rgb(170, 185, 210), static_cast<float>(0.12 + 0.18 * next()));
    }
    // Mullions and transom.
    const double bar = 0.008 * h;
    const double mid = (left + right) / 2, cross = top + 0.45 * (bottom - top);
    canvas.fillPolygon({{mid - bar, top}, {mid + bar, top}, {mid + bar, bottom}, {mid - bar, bottom}}, rgb(34, 22, 14));
    canvas.fillPolygon({{left, cross - bar}, {right, cross - bar}, {right, cross + bar}, {left, cross + bar}},
                       rgb(34, 22, 14));
    // Moonlight falling into the room.
    canvas.glow({right + 0.05 * w, bottom}, 0.5 * h, rgb(60, 70, 110), 0.18f);
  }
  // The clock's hood: dark polished wood around the dial, lamp light from the right.
  const Point centre{scene.dialX * w, scene.dialY * h};
  const double r = scene.dialRadius * h;
  const double half = 1.22 * r;
  const double shoulder = centre.y - half * 1.1, arch = 0.45 * half;
  // The hood: a square case under a break arch, in the shape test below.
  auto inHood = [&](double x, double y, double inset) {
    if (std::fabs(x - centre.x) > half - inset || y > centre.y + half * 1.08 - inset) return false;
    if (y >= shoulder + inset) return true;
    const double dx = (x - centre.x) / (half - inset), dy = (y - shoulder) / (arch - inset);
    return dx * dx + dy * dy <= 1.0;
  };
  canvas.blend(
      centre.x - half, shoulder - arch, centre.x + half, centre.y + half * 1.08,
      [&](double x, double y) { return inHood(x, y, 0) ? 1.0f : 0.0f; },
      [&](double x, double y) {
        const double grain = fractal(x / h * 3.0, y / h * 60.0, 21, 4);
        const double light = std::clamp(0.45 + 0.55 * (x - centre.x + half) / (2 * half), 0.0, 1.0);
        return mix(rgb(30, 14, 8), rgb(112, 58, 30), static_cast<float>(light * (0.55 + 0.45 * grain)));
      });
  // Brass moulding following the hood's outline, and the glazed door's frame.
  const double moulding = 0.06 * half, line = std::max(1.0, 0.012 * half);
  canvas.blend(
      centre.x - half, shoulder - arch, centre.x + half, centre.y + half * 1.08,
      [&](double x, double y) { return inHood(x, y, moulding) && !inHood(x, y, moulding + line) ? 0.7f : 0.0f; },
      [](double, double) { return rgb(176, 132, 62); });
  const double door = 1.03 * r;
  canvas.fillPolygon({{centre.x - door, centre.y - door},
                      {centre.x + door, centre.y - door},
                      {centre.x + door, centre.y + door},
                      {centre.x - door, centre.y + door}},
                     rgb(24, 10, 6), 0.55f);
  drawDial(canvas, fonts, centre, r, 10, 9);
  // The door's glass catches the lamp in a soft diagonal sheen.
  canvas.blend(
      centre.x - door, centre.y - door, centre.x + door, centre.y + door,
      [&](double x, double y) {
        const double t = ((x - centre.x) - (y - centre.y)) / door;
        return static_cast<float>(0.10 * std::exp(-std::pow((t - 0.55) / 0.25, 2.0)));
      },
      [](double, double) { return rgb(255, 240, 220); });
  // Lamp light: warm, from the lower right; the only warm source in the room.
  canvas.glow({0.92 * w, 0.88 * h}, 0.75 * h, rgb(255, 170, 90), 0.35f);
  if (scene.title) {
    const int size = static_cast<int>(0.085 * h);
    const double baseline = centre.y + half * 1.08 + 0.13 * h;
    const int width = Canvas::textWidth(fonts.bold, "Tickwood", size);
    canvas.text(fonts.bold, "Tickwood", size, {centre.x - width / 2.0, baseline}, rgb(238, 222, 188));
    if (scene.caption) {
      const int small = static_cast<int>(0.035 * h);
      const int captionWidth = Canvas::textWidth(fonts.regular, scene.caption, small);
      canvas.text(fonts.regular, scene.caption, small, {centre.x - captionWidth / 2.0, baseline + 0.06 * h},
                  rgb(170, 160, 140));
    }
  }
  // Darker corners draw the eye to the clock.
  canvas.blend(
      0, 0, w, h,
      [&](double x, double y) {
        const double d = std::hypot((x - w / 2) / (w / 2), (y - h / 2) / (h / 2));
        return static_cast<float>(std::clamp((d - 0.75) * 0.9, 0.0, 0.7));
      },
      [](double, double) {
        return Color{0, 0, 0};
      });
}

} // namespace tools::pictures
