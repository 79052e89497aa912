#include "tests/support/Pictures.h"

#include <vector>

#include "platform/d3dx9/ImageEncoder.h"
#include "tests/support/TempDir.h"

namespace testsupport {
namespace {

std::string asString(const std::vector<BYTE>& bytes) { return std::string(bytes.begin(), bytes.end()); }

} // namespace

d3dx9::Image solidImage(UINT width, UINT height, std::uint32_t argb) {
  d3dx9::Image image = d3dx9::blankImage(width, height);
  image.pixels.assign(image.pixels.size(), argb);
  return image;
}

std::string bmpBytes(const d3dx9::Image& image) { return asString(d3dx9::encodeBmp(image, 24)); }

std::string tgaBytes(const d3dx9::Image& image) { return asString(d3dx9::encodeTga(image, 32, false, false)); }

std::string solidBmp(UINT width, UINT height, std::uint32_t rgb) {
  return bmpBytes(solidImage(width, height, 0xFF000000u | rgb));
}

std::string blankPng(UINT width, UINT height) {
  std::vector<BYTE> bytes;
  d3dx9::encodePng(d3dx9::blankImage(width, height), true, bytes);
  return asString(bytes);
}

bool readPicture(const std::filesystem::path& file, d3dx9::Image& image, std::string& error) {
  std::error_code missing;
  if (!std::filesystem::is_regular_file(file, missing)) {
    error = file.string() + ": no such file";
    return false;
  }
  const std::string bytes = TempDir::read(file);
  if (!d3dx9::decodeImage(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), image, error)) {
    error = file.string() + ": " + error;
    return false;
  }
  return true;
}

} // namespace testsupport
