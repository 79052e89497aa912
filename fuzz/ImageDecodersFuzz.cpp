// Every image decoder must take arbitrary bytes without reading outside them, without
// exiting and without leaking: a decoded image has exactly its pixels, a refused one none.
// The first byte picks the decoder (the rest is the file), so each one sees every input
// shape, not only those with its own signature.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/d3dx9/Image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  using Decoder = bool (*)(const BYTE*, std::size_t, d3dx9::Image&, std::string&);
  const Decoder decoders[5] = {d3dx9::decodeImage, d3dx9::decodeJpeg, d3dx9::decodePng, d3dx9::decodeBmp,
                               d3dx9::decodeTga};
  d3dx9::Image image;
  std::string error;
  const bool ok = decoders[data[0] % 5](data + 1, size - 1, image, error);
  if (ok && (image.pixels.size() != std::size_t(image.width) * image.height || image.width == 0 ||
             image.width > d3dx9::kMaxImageSide || image.height > d3dx9::kMaxImageSide))
    std::abort();
  if (!ok && error.empty()) std::abort();
  return 0;
}
