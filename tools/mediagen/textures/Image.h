#pragma once
// Images of the media generators: linear float RGBA in memory, written as JPEG or PNG.

#include <cstdint>
#include <string>
#include <vector>

namespace tools {

struct Rgba {
  float r = 0, g = 0, b = 0, a = 1;
  friend Rgba operator+(Rgba x, Rgba y) { return {x.r + y.r, x.g + y.g, x.b + y.b, x.a + y.a}; }
  friend Rgba operator*(Rgba x, float s) { return {x.r * s, x.g * s, x.b * s, x.a * s}; }
  friend Rgba operator*(Rgba x, Rgba y) { return {x.r * y.r, x.g * y.g, x.b * y.b, x.a * y.a}; }
};

inline Rgba mix(Rgba x, Rgba y, float t) { return x * (1.0f - t) + y * t; }
inline Rgba rgb(int r, int g, int b) { return {float(r) / 255.0f, float(g) / 255.0f, float(b) / 255.0f, 1.0f}; }

class Image {
public:
  Image() = default;
  Image(int width, int height, Rgba fill = {});

  int width() const { return width_; }
  int height() const { return height_; }
  Rgba& at(int x, int y) { return pixels_[size_t(y) * size_t(width_) + size_t(x)]; }
  const Rgba& at(int x, int y) const { return pixels_[size_t(y) * size_t(width_) + size_t(x)]; }
  // Bilinear sample with wrapping (u, v in texture space, 0..1 spans the image once).
  Rgba sample(float u, float v) const;
  Image resized(int width, int height) const; // box filter when shrinking
  void blit(const Image& src, int x, int y);

private:
  int width_ = 0, height_ = 0;
  std::vector<Rgba> pixels_;
};

// 8-bit encodings through the shared media writers; values are clamped to 0..1 and rounded.
bool writeJpeg(const Image& image, const std::string& path, int quality, std::string* error = nullptr);
bool writePng(const Image& image, const std::string& path, bool alpha, std::string* error = nullptr);
// Reads what the platform's decoders read (JPEG, PNG, BMP, TGA): for the previews and the tests.
bool readImage(const std::string& path, Image& out, std::string* error = nullptr);

} // namespace tools
