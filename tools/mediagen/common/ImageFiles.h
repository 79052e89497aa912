// Writes generated pictures as PNG and uncompressed 24-bit BMP (through the platform's
// image encoders) and as JPEG (libjpeg). The writers add nothing that changes between runs
// (no time stamps), so the same pixels always give the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tools::media {

// 8-bit pixels, rows from the top, channels interleaved (RGB or RGBA).
struct Image {
  int width = 0;
  int height = 0;
  int channels = 3;
  std::vector<std::uint8_t> pixels;

  Image() = default;
  Image(int w, int h, int c) : width(w), height(h), channels(c), pixels(static_cast<std::size_t>(w) * h * c, 0) {}
  std::uint8_t* at(int x, int y) { return &pixels[(static_cast<std::size_t>(y) * width + x) * channels]; }
  const std::uint8_t* at(int x, int y) const { return &pixels[(static_cast<std::size_t>(y) * width + x) * channels]; }
};

// Each writer answers false and says why in `error` when the file cannot be written.
bool writePng(const std::string& path, const Image& image, std::string& error);
bool writeJpeg(const std::string& path, const Image& image, int quality, std::string& error);
// Windows bitmap: file header, 40-byte info header, bottom-up rows padded to 4 bytes.
bool writeBmp(const std::string& path, const Image& image, std::string& error);

} // namespace tools::media
