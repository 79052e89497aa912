#pragma once
// The one image type of the media generators: linear float RGBA in memory, read and written
// through the platform's image codecs (JPEG, PNG and BMP out; whatever they decode in). The
// files carry nothing that changes between runs, so the same pixels give the same bytes.

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
// An 8-bit channel value as the files store it, and back.
inline float fromByte(int value) { return float(value) / 255.0f; }
std::uint8_t toByte(float value);

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

// 8-bit encodings; values are clamped to 0..1 and rounded. Each answers false and says why
// in `error` (when given) if the file cannot be written.
bool writeJpeg(const Image& image, const std::string& path, int quality, std::string* error = nullptr);
bool writePng(const Image& image, const std::string& path, bool alpha, std::string* error = nullptr);
// Windows bitmap: uncompressed 24 bits, bottom-up rows padded to 4 bytes.
bool writeBmp(const Image& image, const std::string& path, std::string* error = nullptr);
// Reads what the platform's decoders read (JPEG, PNG, BMP, TGA): for the previews and the tests.
bool readImage(const std::string& path, Image& out, std::string* error = nullptr);

} // namespace tools
