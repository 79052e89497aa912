#include "tools/mediagen/textures/Image.h"

#include "tools/mediagen/common/ImageFiles.h"

#include "platform/d3dx9/Image.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace tools {

Image::Image(int width, int height, Rgba fill)
    : width_(width), height_(height), pixels_(size_t(width) * size_t(height), fill) {}

Rgba Image::sample(float u, float v) const {
  float x = u * float(width_) - 0.5f, y = v * float(height_) - 0.5f;
  float fx = std::floor(x), fy = std::floor(y);
  float tx = x - fx, ty = y - fy;
  auto wrap = [](int i, int n) { return ((i % n) + n) % n; };
  int x0 = wrap(int(fx), width_), x1 = wrap(int(fx) + 1, width_);
  int y0 = wrap(int(fy), height_), y1 = wrap(int(fy) + 1, height_);
  return mix(mix(at(x0, y0), at(x1, y0), tx), mix(at(x0, y1), at(x1, y1), tx), ty);
}

Image Image::resized(int w, int h) const {
  Image out(w, h);
  for (int y = 0; y < h; ++y) {
    int sy0 = y * height_ / h, sy1 = std::max(sy0 + 1, (y + 1) * height_ / h);
    for (int x = 0; x < w; ++x) {
      int sx0 = x * width_ / w, sx1 = std::max(sx0 + 1, (x + 1) * width_ / w);
      Rgba sum{0, 0, 0, 0};
      for (int sy = sy0; sy < sy1; ++sy)
        for (int sx = sx0; sx < sx1; ++sx)
          sum = sum + at(sx, sy);
      out.at(x, y) = sum * (1.0f / float((sy1 - sy0) * (sx1 - sx0)));
    }
  }
  return out;
}

void Image::blit(const Image& src, int x0, int y0) {
  for (int y = 0; y < src.height(); ++y)
    for (int x = 0; x < src.width(); ++x)
      if (x0 + x >= 0 && y0 + y >= 0 && x0 + x < width_ && y0 + y < height_) at(x0 + x, y0 + y) = src.at(x, y);
}

namespace {

uint8_t toByte(float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

void setError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

media::Image toBytes(const Image& image, bool alpha) {
  media::Image out(image.width(), image.height(), alpha ? 4 : 3);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const Rgba& p = image.at(x, y);
      uint8_t* o = out.at(x, y);
      o[0] = toByte(p.r);
      o[1] = toByte(p.g);
      o[2] = toByte(p.b);
      if (alpha) o[3] = toByte(p.a);
    }
  }
  return out;
}

} // namespace

bool writeJpeg(const Image& image, const std::string& path, int quality, std::string* error) {
  std::string why;
  bool ok = media::writeJpeg(path, toBytes(image, false), quality, why);
  if (!ok) setError(error, why);
  return ok;
}

bool writePng(const Image& image, const std::string& path, bool alpha, std::string* error) {
  std::string why;
  bool ok = media::writePng(path, toBytes(image, alpha), why);
  if (!ok) setError(error, why);
  return ok;
}

bool readImage(const std::string& path, Image& out, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    setError(error, "cannot open " + path);
    return false;
  }
  const std::vector<BYTE> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  d3dx9::Image decoded;
  std::string why;
  if (!d3dx9::decodeImage(bytes.data(), bytes.size(), decoded, why)) {
    setError(error, path + ": " + why);
    return false;
  }
  Image img(int(decoded.width), int(decoded.height));
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const uint32_t p = decoded.at(UINT(x), UINT(y));
      img.at(x, y) = {float((p >> 16) & 0xFF) / 255.0f, float((p >> 8) & 0xFF) / 255.0f, float(p & 0xFF) / 255.0f,
                      float(p >> 24) / 255.0f};
    }
  out = std::move(img);
  return true;
}

} // namespace tools
