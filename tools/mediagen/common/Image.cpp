#include "tools/mediagen/common/Image.h"

#include "platform/d3dx9/Image.h"
#include "platform/d3dx9/ImageEncoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>

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

std::uint8_t toByte(float value) { return std::uint8_t(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f)); }

namespace {

void setError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

// The platform's codecs take 0xAARRGGBB pixels; without alpha they are opaque.
d3dx9::Image toArgb(const Image& image, bool alpha) {
  d3dx9::Image out = d3dx9::blankImage(UINT(image.width()), UINT(image.height()));
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const Rgba& p = image.at(x, y);
      const std::uint32_t a = alpha ? toByte(p.a) : 0xFF;
      out.at(UINT(x), UINT(y)) =
          a << 24 | std::uint32_t{toByte(p.r)} << 16 | std::uint32_t{toByte(p.g)} << 8 | toByte(p.b);
    }
  }
  return out;
}

bool writeFile(const std::string& path, const std::vector<BYTE>& bytes, std::string* error) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
  if (!file) {
    setError(error, "cannot create " + path);
    return false;
  }
  if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() || std::fclose(file.release()) != 0) {
    setError(error, "cannot write " + path);
    return false;
  }
  return true;
}

} // namespace

bool writeJpeg(const Image& image, const std::string& path, int quality, std::string* error) {
  std::vector<BYTE> bytes;
  if (!d3dx9::encodeJpeg(toArgb(image, false), quality, false, bytes)) {
    setError(error, "libjpeg failed encoding " + path);
    return false;
  }
  return writeFile(path, bytes, error);
}

bool writePng(const Image& image, const std::string& path, bool alpha, std::string* error) {
  std::vector<BYTE> bytes;
  if (!d3dx9::encodePng(toArgb(image, alpha), alpha, bytes)) {
    setError(error, "libpng failed encoding " + path);
    return false;
  }
  return writeFile(path, bytes, error);
}

bool writeBmp(const Image& image, const std::string& path, std::string* error) {
  return writeFile(path, d3dx9::encodeBmp(toArgb(image, false), 24), error);
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
      const std::uint32_t p = decoded.at(UINT(x), UINT(y));
      img.at(x, y) = {fromByte(int(p >> 16) & 0xFF), fromByte(int(p >> 8) & 0xFF), fromByte(int(p) & 0xFF),
                      fromByte(int(p >> 24))};
    }
  out = std::move(img);
  return true;
}

} // namespace tools
