// Pictures for tests and from them: image files made from code with the platform's
// encoders, and image files read back through its decoders.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/d3dx9/Image.h"

namespace testsupport {

// An image of one colour (0xAARRGGBB).
d3dx9::Image solidImage(UINT width, UINT height, std::uint32_t argb);
// The bytes of an image file: an uncompressed 24-bit BMP (alpha dropped), a 32-bit TGA.
std::string bmpBytes(const d3dx9::Image& image);
std::string tgaBytes(const d3dx9::Image& image);
// A 24-bit BMP of one colour (0xRRGGBB).
std::string solidBmp(UINT width, UINT height, std::uint32_t rgb);
// A PNG with alpha, every pixel transparent black.
std::string blankPng(UINT width, UINT height);

// Reads and decodes an image file (JPEG, PNG, BMP or TGA); false with `error` set.
bool readPicture(const std::filesystem::path& file, d3dx9::Image& image, std::string& error);

// The red, green, blue or alpha byte of a 0xAARRGGBB pixel.
inline int red(std::uint32_t argb) { return int((argb >> 16) & 0xFF); }
inline int green(std::uint32_t argb) { return int((argb >> 8) & 0xFF); }
inline int blue(std::uint32_t argb) { return int(argb & 0xFF); }
inline int alpha(std::uint32_t argb) { return int(argb >> 24); }

} // namespace testsupport
