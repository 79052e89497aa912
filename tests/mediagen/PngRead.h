// Reads a PNG file into 8-bit RGBA bytes through the platform's decoder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mediatest {

struct RgbaImage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> pixels;
  const std::uint8_t* at(int x, int y) const { return &pixels[(static_cast<std::size_t>(y) * width + x) * 4]; }
};

bool readPng(const std::string& path, RgbaImage& image, std::string& error);

} // namespace mediatest
