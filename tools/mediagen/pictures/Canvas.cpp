#include "tools/mediagen/pictures/Canvas.h"

#include <algorithm>
#include <cmath>

namespace tools::pictures {

Color mix(Color a, Color b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

Canvas::Canvas(int width, int height, int supersample)
    : width_(width), height_(height), scale_(supersample),
      rgb_(static_cast<std::size_t>(width) * supersample * height * supersample * 3, 0.0f),
      alpha_(static_cast<std::size_t>(width) * supersample * height * supersample, 1.0f) {}

void Canvas::paint(const std::function<Color(double, double)>& shade) {
  for (int y = 0; y < height(); ++y) {
    for (int x = 0; x < width(); ++x) {
      const Color c = shade(x + 0.5, y + 0.5);
      float* p = &rgb_[(static_cast<std::size_t>(y) * width() + x) * 3];
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
    }
  }
}

void Canvas::blend(double left, double top, double right, double bottom,
                   const std::function<float(double, double)>& alpha,
                   const std::function<Color(double, double)>& color) {
  const int x0 = std::max(0, static_cast<int>(std::floor(left))),
            x1 = std::min(width(), static_cast<int>(std::ceil(right)));
  const int y0 = std::max(0, static_cast<int>(std::floor(top))),
            y1 = std::min(height(), static_cast<int>(std::ceil(bottom)));
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const float a = std::clamp(alpha(x + 0.5, y + 0.5), 0.0f, 1.0f);
      if (a <= 0.0f) continue;
      const Color c = color(x + 0.5, y + 0.5);
      float* p = &rgb_[(static_cast<std::size_t>(y) * width() + x) * 3];
      p[0] += (c.r - p[0]) * a;
      p[1] += (c.g - p[1]) * a;
      p[2] += (c.b - p[2]) * a;
    }
  }
}

void Canvas::fillCircle(Point centre, double radius, Color color, float opacity) {
  fillRing(centre, 0.0, radius, color, opacity);
}

void Canvas::fillRing(Point centre, double inner, double outer, Color color, float opacity) {
  blend(
      centre.x - outer - 1, centre.y - outer - 1, centre.x + outer + 1, centre.y + outer + 1,
      [&](double x, double y) {
        const double d = std::hypot(x - centre.x, y - centre.y);
        const double edge = std::min(outer - d, inner > 0 ? d - inner : 1.0);
        return static_cast<float>(opacity * std::clamp(edge + 0.5, 0.0, 1.0));
      },
      [&](double, double) { return color; });
}

void Canvas::fillPolygon(const std::vector<Point>& points, Color color, float opacity) {
  double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
  for (const Point& p : points) {
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  blend(
      left, top, right + 1, bottom + 1,
      [&](double x, double y) {
        bool inside = false; // even-odd rule
        for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
          const Point& a = points[i];
          const Point& b = points[j];
          if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) inside = !inside;
        }
        return inside ? opacity : 0.0f;
      },
      [&](double, double) { return color; });
}

void Canvas::glow(Point centre, double radius, Color color, float strength) {
  const int x0 = std::max(0, static_cast<int>(centre.x - radius)),
            x1 = std::min(width(), static_cast<int>(centre.x + radius) + 1);
  const int y0 = std::max(0, static_cast<int>(centre.y - radius)),
            y1 = std::min(height(), static_cast<int>(centre.y + radius) + 1);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      const double d = std::hypot(x + 0.5 - centre.x, y + 0.5 - centre.y) / radius;
      if (d >= 1.0) continue;
      const auto k = static_cast<float>(strength * std::pow(1.0 - d, 2.2));
      float* p = &rgb_[(static_cast<std::size_t>(y) * width() + x) * 3];
      p[0] += color.r * k;
      p[1] += color.g * k;
      p[2] += color.b * k;
    }
  }
}

namespace {

struct Coverage {
  int width = 0, height = 0, baselineY = 0;
  std::vector<float> values;
  float at(double x, double y) const { // bilinear
    const int ix = static_cast<int>(std::floor(x - 0.5)), iy = static_cast<int>(std::floor(y - 0.5));
    const double fx = x - 0.5 - ix, fy = y - 0.5 - iy;
    auto get = [&](int px, int py) {
      return px < 0 || py < 0 || px >= width || py >= height ? 0.0f : values[static_cast<std::size_t>(py) * width + px];
    };
    return static_cast<float>((get(ix, iy) * (1 - fx) + get(ix + 1, iy) * fx) * (1 - fy) +
                              (get(ix, iy + 1) * (1 - fx) + get(ix + 1, iy + 1) * fx) * fy);
  }
};

Coverage layOut(fonts::GlyphRasterizer& font, const std::string& text, int pixels) {
  Coverage out;
  font.setPixelSize(pixels);
  std::vector<fonts::Glyph> glyphs;
  int pen = 0, top = 0, bottom = 0;
  for (unsigned char c : text) {
    fonts::Glyph g;
    if (!font.render(c, g)) continue;
    top = std::max(top, g.top);
    bottom = std::max(bottom, g.rows - g.top);
    glyphs.push_back(g);
    pen += g.advance;
  }
  out.width = pen + pixels;
  out.height = top + bottom + 2;
  out.baselineY = top + 1;
  out.values.assign(static_cast<std::size_t>(out.width) * out.height, 0.0f);
  pen = 0;
  for (const fonts::Glyph& g : glyphs) {
    for (int y = 0; y < g.rows; ++y) {
      for (int x = 0; x < g.width; ++x) {
        const int px = pen + g.left + x, py = out.baselineY - g.top + y;
        if (px < 0 || px >= out.width || py < 0 || py >= out.height) continue;
        float& v = out.values[static_cast<std::size_t>(py) * out.width + px];
        v = std::max(v, g.at(x, y) / 255.0f);
      }
    }
    pen += g.advance;
  }
  return out;
}

} // namespace

int Canvas::textWidth(fonts::GlyphRasterizer& font, const std::string& text, int pixels) {
  font.setPixelSize(pixels);
  int pen = 0;
  for (unsigned char c : text) {
    fonts::Glyph g;
    if (font.render(c, g)) pen += g.advance;
  }
  return pen;
}

void Canvas::text(fonts::GlyphRasterizer& font, const std::string& text, int pixels, Point origin, Color color,
                  double angle, Point pivot, float opacity) {
  const Coverage coverage = layOut(font, text, pixels);
  const double c = std::cos(angle), s = std::sin(angle);
  // Corners of the laid-out text, turned, give the box to visit.
  double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
  for (const Point corner : {Point{0, 0}, Point{double(coverage.width), 0}, Point{0, double(coverage.height)},
                             Point{double(coverage.width), double(coverage.height)}}) {
    const double x = origin.x + corner.x - pivot.x, y = origin.y - coverage.baselineY + corner.y - pivot.y;
    const double tx = pivot.x + x * c - y * s, ty = pivot.y + x * s + y * c;
    left = std::min(left, tx);
    right = std::max(right, tx);
    top = std::min(top, ty);
    bottom = std::max(bottom, ty);
  }
  blend(
      left, top, right + 1, bottom + 1,
      [&](double x, double y) {
        // Turn back into the text's own frame.
        const double dx = x - pivot.x, dy = y - pivot.y;
        const double ux = pivot.x + dx * c + dy * s, uy = pivot.y - dx * s + dy * c;
        return opacity * coverage.at(ux - origin.x, uy - origin.y + coverage.baselineY);
      },
      [&](double, double) { return color; });
}

void Canvas::cutOut(const std::function<float(double, double)>& inside) {
  for (int y = 0; y < height(); ++y)
    for (int x = 0; x < width(); ++x)
      alpha_[static_cast<std::size_t>(y) * width() + x] = std::clamp(inside(x + 0.5, y + 0.5), 0.0f, 1.0f);
}

tools::Image Canvas::toImage(bool withAlpha) const {
  tools::Image image(width_, height_);
  const float area = static_cast<float>(scale_ * scale_);
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      float sum[3] = {}, opacity = 0.0f;
      for (int sy = 0; sy < scale_; ++sy) {
        for (int sx = 0; sx < scale_; ++sx) {
          const std::size_t i = static_cast<std::size_t>(y * scale_ + sy) * width() + (x * scale_ + sx);
          const float a = withAlpha ? alpha_[i] : 1.0f;
          for (int k = 0; k < 3; ++k)
            sum[k] += rgb_[i * 3 + k] * a;
          opacity += a;
        }
      }
      auto colour = [&](int k) { return opacity > 0 ? std::clamp(sum[k] / opacity, 0.0f, 1.0f) : 0.0f; };
      image.at(x, y) = {colour(0), colour(1), colour(2), withAlpha ? opacity / area : 1.0f};
    }
  }
  return image;
}

} // namespace tools::pictures
