#include "platform/d3dx9/Image.h"

#include <cstring>

namespace d3dx9 {

bool acceptableSize(UINT width, UINT height, const DecodeOptions& options, std::string& error) {
  if (width == 0 || height == 0) {
    error = "the image has no pixels";
    return false;
  }
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  if (width > options.maxWidth || height > options.maxHeight) {
    error = "the image is larger than " + std::to_string(options.maxWidth) + " x " + std::to_string(options.maxHeight) +
            " (" + size + ")";
    return false;
  }
  const std::uint64_t bytes = std::uint64_t(width) * height * 4;
  if (bytes > options.maxBytes) {
    const auto megabytes = [](std::uint64_t n) { return std::to_string((n + (1 << 20) - 1) >> 20) + " MB"; };
    error = "the image (" + size + ") needs " + megabytes(bytes) + ", more than the " + megabytes(options.maxBytes) +
            " of texture memory";
    return false;
  }
  return true;
}

bool decodeImage(const BYTE* data, std::size_t size, Image& image, std::string& error, const DecodeOptions& options) {
  image = Image();
  if (!data || size == 0) {
    error = "no image bytes";
    return false;
  }
  static const BYTE kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size >= 8 && std::memcmp(data, kPng, 8) == 0) return decodePng(data, size, image, error, options);
  if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF)
    return decodeJpeg(data, size, image, error, options);
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return decodeBmp(data, size, image, error, options);
  if (size >= 4 && std::memcmp(data, "DDS ", 4) == 0) {
    error = "DDS files are not supported";
    return false;
  }
  if (decodeTga(data, size, image, error, options)) return true;
  if (error.empty()) error = "not a JPEG, PNG, BMP or TGA image";
  return false;
}

} // namespace d3dx9
