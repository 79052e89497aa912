// Every image decoder must take arbitrary bytes without reading outside them, without
// exiting and without leaking: a decoded image has exactly its pixels, a refused one none.
// The first byte picks the decoder (the rest is the file), so each one sees every input
// shape, not only those with its own signature, and how it is asked: whole, the header
// only, or shrunk to a small size within tight limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/d3dx9/Image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  using Decoder = bool (*)(const BYTE*, std::size_t, d3dx9::Image&, std::string&, const d3dx9::DecodeOptions&);
  const Decoder decoders[5] = {d3dx9::decodeImage, d3dx9::decodeJpeg, d3dx9::decodePng, d3dx9::decodeBmp,
                               d3dx9::decodeTga};
  d3dx9::DecodeOptions options;
  const int how = (data[0] / 5) % 3;
  if (how == 1) options.headerOnly = true;
  if (how == 2) {
    options.maxWidth = options.maxHeight = 512;
    options.maxBytes = 256 * 1024;
    options.neededWidth = options.neededHeight = 16;
  }
  d3dx9::Image image;
  std::string error;
  const bool ok = decoders[data[0] % 5](data + 1, size - 1, image, error, options);
  if (ok) {
    const std::size_t pixels = options.headerOnly ? 0 : std::size_t(image.width) * image.height;
    if (image.pixels.size() != pixels || image.width == 0 || image.width > options.maxWidth ||
        image.height > options.maxHeight || std::uint64_t(image.width) * image.height * 4 > options.maxBytes ||
        image.fileWidth < image.width || image.fileHeight < image.height)
      std::abort();
  }
  if (!ok && error.empty()) std::abort();
  return 0;
}
