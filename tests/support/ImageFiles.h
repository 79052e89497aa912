// Image files made from code for tests that load pictures through the texture store.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3dx9/ImageEncoder.h"

namespace testsupport {

// A 24-bit BMP of one colour (0xRRGGBB).
inline std::string solidBmp(UINT width, UINT height, std::uint32_t rgb) {
  d3dx9::Image image;
  image.width = width;
  image.height = height;
  image.pixels.assign(std::size_t(width) * height, 0xFF000000u | rgb);
  const std::vector<BYTE> bytes = d3dx9::encodeBmp(image, 24);
  return std::string(bytes.begin(), bytes.end());
}

// A PNG with alpha, every pixel transparent black.
inline std::string blankPng(UINT width, UINT height) {
  std::vector<BYTE> bytes;
  d3dx9::encodePng(d3dx9::blankImage(width, height), true, bytes);
  return std::string(bytes.begin(), bytes.end());
}

} // namespace testsupport
