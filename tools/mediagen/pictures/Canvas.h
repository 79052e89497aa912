// A floating-point RGBA drawing surface for the generated pictures. Pictures are drawn at
// a multiple of their final size with plain coverage tests and box-filtered down, which
// gives every edge smooth anti-aliasing without per-shape edge code.
#pragma once

#include "tools/mediagen/common/Image.h"
#include "tools/mediagen/fonts/GlyphRasterizer.h"

#include <functional>
#include <string>
#include <vector>

namespace tools::pictures {

struct Color {
  float r = 0, g = 0, b = 0;
};
Color mix(Color a, Color b, float t);
inline Color rgb(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f}; }

struct Point {
  double x, y;
};

class Canvas {
public:
  // `width` x `height` final pixels, drawn at `supersample` times that resolution.
  Canvas(int width, int height, int supersample);

  int width() const { return width_ * scale_; } // drawing resolution
  int height() const { return height_ * scale_; }

  // Paints every pixel with `shade(x, y)` (drawing coordinates) at full opacity.
  void paint(const std::function<Color(double x, double y)>& shade);
  // Blends `color` at opacity `alpha(x, y)` (0 ... 1) over the pixels of a bounding box.
  void blend(double left, double top, double right, double bottom,
             const std::function<float(double x, double y)>& alpha,
             const std::function<Color(double x, double y)>& color);
  void fillCircle(Point centre, double radius, Color color, float opacity = 1.0f);
  void fillRing(Point centre, double inner, double outer, Color color, float opacity = 1.0f);
  void fillPolygon(const std::vector<Point>& points, Color color, float opacity = 1.0f);
  // Adds light: `color` × falloff, strongest at the centre, gone at `radius`.
  void glow(Point centre, double radius, Color color, float strength);
  // Text in `font` at `pixels` height (drawing pixels), its baseline starting at `origin`,
  // turned by `angle` radians clockwise about `pivot`.
  void text(fonts::GlyphRasterizer& font, const std::string& text, int pixels, Point origin, Color color,
            double angle = 0.0, Point pivot = {0, 0}, float opacity = 1.0f);
  // Width of `text` at `pixels` (drawing pixels).
  static int textWidth(fonts::GlyphRasterizer& font, const std::string& text, int pixels);

  // Makes pixels outside `inside(x, y)` transparent (for the icon).
  void cutOut(const std::function<float(double x, double y)>& inside);

  // The picture at its final size, each pixel the average of its samples (opaque without
  // alpha).
  tools::Image toImage(bool withAlpha) const;

private:
  int width_, height_, scale_;
  std::vector<float> rgb_;
  std::vector<float> alpha_;
};

} // namespace tools::pictures
