// A decoded image as D3DX works on it: 32-bit 0xAARRGGBB pixels, rows top-down, plus what
// the file said about itself. The decoders, the filters and the format conversions of the
// texture functions all meet here.
#pragma once

#include "platform/d3dx9/d3dx9tex.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace d3dx9 {

constexpr UINT kMaxImageSide = 16384;

struct Image {
  UINT width = 0;
  UINT height = 0;
  // The size the file declares: width and height are smaller when the image was decoded
  // shrunk, and the pixels are empty when only the header was read.
  UINT fileWidth = 0;
  UINT fileHeight = 0;
  std::vector<std::uint32_t> pixels;     // width * height, 0xAARRGGBB
  D3DFORMAT fileFormat = D3DFMT_UNKNOWN; // the pixel format the file stores
  D3DXIMAGE_FILEFORMAT fileType = D3DXIFF_BMP;

  std::uint32_t& at(UINT x, UINT y) { return pixels[std::size_t(y) * width + x]; }
  std::uint32_t at(UINT x, UINT y) const { return pixels[std::size_t(y) * width + x]; }
};

// An image of `width` x `height` pixels, all 0 (transparent black).
inline Image blankImage(UINT width, UINT height) {
  Image image;
  image.width = width;
  image.height = height;
  image.pixels.assign(std::size_t(width) * height, 0);
  return image;
}

// How much a decode may produce, and of what.
struct DecodeOptions {
  // Images larger than this, on a side or in 32-bit pixels, are refused as soon as the
  // header has told their size, before anything is allocated for them.
  UINT maxWidth = kMaxImageSide;
  UINT maxHeight = kMaxImageSide;
  std::uint64_t maxBytes = std::uint64_t(kMaxImageSide) * kMaxImageSide * 4;
  // Only the header: the sizes and formats, no pixels.
  bool headerOnly = false;
  // The least size the caller needs (0: the full size). A decoder that can shrink while it
  // decodes (JPEG, by 1/2, 1/4 or 1/8) delivers no less than this and saves the rest.
  UINT neededWidth = 0;
  UINT neededHeight = 0;
};

// Decodes JPEG, PNG, BMP or TGA bytes (told apart by their signatures; TGA has none and is
// tried last). False with `error` set for anything damaged, truncated, unsupported or
// beyond the options' limits (by default kMaxImageSide on a side).
bool decodeImage(const BYTE* data, std::size_t size, Image& image, std::string& error,
                 const DecodeOptions& options = {});

bool decodeJpeg(const BYTE* data, std::size_t size, Image& image, std::string& error,
                const DecodeOptions& options = {});
bool decodePng(const BYTE* data, std::size_t size, Image& image, std::string& error, const DecodeOptions& options = {});
bool decodeBmp(const BYTE* data, std::size_t size, Image& image, std::string& error, const DecodeOptions& options = {});
bool decodeTga(const BYTE* data, std::size_t size, Image& image, std::string& error, const DecodeOptions& options = {});

// Whether a decoder may allocate an image of this size.
bool acceptableSize(UINT width, UINT height, const DecodeOptions& options, std::string& error);

} // namespace d3dx9
