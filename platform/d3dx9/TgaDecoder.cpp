// Truevision TGA: colour-mapped, true-colour and grey images, raw or run-length encoded,
// 8, 15, 16, 24 or 32 bits per pixel, either origin. The format has no signature, so the
// header is checked strictly before anything is trusted.
#include "platform/d3dx9/Image.h"

namespace d3dx9 {
namespace {

enum : BYTE { kColorMapped = 1, kTrueColor = 2, kGrey = 3, kRle = 8 };

bool fail(std::string& error, const std::string& why) {
  error = "damaged TGA: " + why;
  return false;
}

std::uint32_t fromBytes(const BYTE* p, UINT bits, bool alphaBit) {
  switch (bits) {
  case 8:
    return 0xFF000000u | (std::uint32_t(p[0]) << 16) | (p[0] << 8) | p[0];
  case 15:
  case 16: {
    const std::uint32_t v = p[0] | (p[1] << 8);
    const std::uint32_t r = (v >> 10) & 0x1F, g = (v >> 5) & 0x1F, b = v & 0x1F;
    const std::uint32_t a = (bits == 16 && alphaBit) ? ((v & 0x8000) ? 255 : 0) : 255;
    return (a << 24) | (((r * 255 + 15) / 31) << 16) | (((g * 255 + 15) / 31) << 8) | ((b * 255 + 15) / 31);
  }
  case 24:
    return 0xFF000000u | (std::uint32_t(p[2]) << 16) | (p[1] << 8) | p[0];
  default:
    return (std::uint32_t(p[3]) << 24) | (std::uint32_t(p[2]) << 16) | (p[1] << 8) | p[0];
  }
}

} // namespace

bool decodeTga(const BYTE* data, std::size_t size, Image& image, std::string& error, const DecodeOptions& options) {
  if (size < 18) return fail(error, "too short for a header");
  const BYTE idLength = data[0], mapType = data[1], type = data[2];
  const UINT mapStart = data[3] | (data[4] << 8), mapLength = data[5] | (data[6] << 8), mapBits = data[7];
  const UINT width = data[12] | (data[13] << 8), height = data[14] | (data[15] << 8);
  const UINT bits = data[16];
  const BYTE descriptor = data[17];
  const BYTE base = type & ~kRle;
  if (mapType > 1 || (base != kColorMapped && base != kTrueColor && base != kGrey) || (type & ~(kRle | 3)))
    return fail(error, "not a TGA image type");
  if (base == kColorMapped && (mapType != 1 || bits != 8 || mapLength == 0 || mapLength > 256 ||
                               (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32)))
    return fail(error, "bad colour map");
  if (base == kTrueColor && bits != 15 && bits != 16 && bits != 24 && bits != 32)
    return fail(error, std::to_string(bits) + " bits per pixel");
  if (base == kGrey && bits != 8) return fail(error, "grey images have 8 bits per pixel");
  if (!acceptableSize(width, height, options, error)) return false;

  std::size_t at = 18 + std::size_t(idLength);
  std::vector<std::uint32_t> map;
  const bool alphaBit = (descriptor & 0x0F) != 0;
  if (mapType == 1) {
    // Only colour-mapped images use the map (its entry size was checked for them); others skip it.
    const UINT entryBytes = (mapBits + 7) / 8;
    if (size < at || size - at < std::size_t(mapLength) * entryBytes) return fail(error, "the colour map is cut off");
    if (base == kColorMapped)
      for (UINT i = 0; i < mapLength; ++i)
        map.push_back(fromBytes(data + at + i * entryBytes, mapBits, alphaBit));
    at += std::size_t(mapLength) * entryBytes;
  }
  const UINT pixelBytes = (bits + 7) / 8;
  image.width = image.fileWidth = width;
  image.height = image.fileHeight = height;
  image.fileType = D3DXIFF_TGA;
  switch (base) {
  case kColorMapped:
    image.fileFormat = D3DFMT_P8;
    break;
  case kGrey:
    image.fileFormat = D3DFMT_L8;
    break;
  default:
    image.fileFormat = bits == 32                 ? D3DFMT_A8R8G8B8
                       : bits == 24               ? D3DFMT_R8G8B8
                       : (bits == 16 && alphaBit) ? D3DFMT_A1R5G5B5
                                                  : D3DFMT_X1R5G5B5;
  }
  if (options.headerOnly) return true;
  // Before allocating: the pixels must fit in what is left of the file (a run-length packet
  // of 1 + pixelBytes bytes covers at most 128 pixels).
  const std::size_t total = std::size_t(width) * height;
  const std::size_t left = size < at ? 0 : size - at;
  const std::size_t least = (type & kRle) ? (total + 127) / 128 * (1 + pixelBytes) : total * pixelBytes;
  if (left < least) {
    image = Image();
    return fail(error, "the pixels are cut off");
  }
  image.pixels.assign(total, 0);

  auto pixelAt = [&](const BYTE* p) -> std::uint32_t {
    if (base != kColorMapped) return fromBytes(p, bits, alphaBit);
    const UINT index = p[0];
    return (index >= mapStart && index - mapStart < map.size()) ? map[index - mapStart] : 0xFF000000u;
  };
  const bool topDown = (descriptor & 0x20) != 0, rightToLeft = (descriptor & 0x10) != 0;
  auto store = [&](std::size_t n, std::uint32_t value) {
    const UINT x = UINT(n % width), y = UINT(n / width);
    image.at(rightToLeft ? width - 1 - x : x, topDown ? y : height - 1 - y) = value;
  };
  if (!(type & kRle)) {
    for (std::size_t n = 0; n < total; ++n)
      store(n, pixelAt(data + at + n * pixelBytes));
    return true;
  }
  // Packets may run across rows.
  std::size_t n = 0;
  while (n < total) {
    if (at >= size) {
      image = Image();
      return fail(error, "the compressed pixels end early");
    }
    const BYTE packet = data[at++];
    const std::size_t count = std::min<std::size_t>((packet & 0x7F) + 1, total - n);
    const std::size_t needed = (packet & 0x80) ? pixelBytes : count * pixelBytes;
    if (size - at < needed) {
      image = Image();
      return fail(error, "the compressed pixels end early");
    }
    for (std::size_t i = 0; i < count; ++i)
      store(n + i, pixelAt(data + at + ((packet & 0x80) ? 0 : i * pixelBytes)));
    at += needed;
    n += count;
  }
  return true;
}

} // namespace d3dx9
