#include "tests/mediagen/PngRead.h"

#include "platform/d3dx9/Image.h"
#include "tests/support/TempDir.h"

namespace mediatest {

bool readPng(const std::string& path, RgbaImage& image, std::string& error) {
  const std::string bytes = testsupport::TempDir::read(path);
  d3dx9::Image decoded;
  if (!d3dx9::decodePng(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), decoded, error)) {
    error = path + ": " + error;
    return false;
  }
  image.width = static_cast<int>(decoded.width);
  image.height = static_cast<int>(decoded.height);
  image.pixels.clear();
  image.pixels.reserve(decoded.pixels.size() * 4);
  for (const std::uint32_t argb : decoded.pixels) {
    for (const int shift : {16, 8, 0, 24})
      image.pixels.push_back(static_cast<std::uint8_t>(argb >> shift));
  }
  return true;
}

} // namespace mediatest
