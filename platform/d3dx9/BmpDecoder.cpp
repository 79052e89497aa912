// Windows bitmaps: 1, 4, 8 (palette, optionally RLE), 16, 24 and 32 bits per pixel, with
// bit-field masks, bottom-up or top-down. Every read is bounds-checked against the file.
#include "platform/d3dx9/Image.h"

#include <algorithm>

namespace d3dx9 {
namespace {

constexpr DWORD kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;

class Reader {
public:
  Reader(const BYTE* data, std::size_t size) : data_(data), size_(size) {}
  bool has(std::size_t offset, std::size_t count) const { return offset <= size_ && count <= size_ - offset; }
  std::uint32_t u16(std::size_t at) const { return data_[at] | (data_[at + 1] << 8); }
  std::uint32_t u32(std::size_t at) const {
    return data_[at] | (data_[at + 1] << 8) | (data_[at + 2] << 16) | (std::uint32_t(data_[at + 3]) << 24);
  }
  const BYTE* at(std::size_t offset) const { return data_ + offset; }
  std::size_t size() const { return size_; }

private:
  const BYTE* data_;
  std::size_t size_;
};

// One colour channel described by a bit mask, scaled to 8 bits.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;
  explicit Channel(std::uint32_t m = 0) : mask(m) {
    if (!mask) return;
    while (!((mask >> shift) & 1))
      ++shift;
    max = mask >> shift;
  }
  std::uint32_t read(std::uint32_t value, std::uint32_t absent) const {
    if (!mask) return absent;
    return (((value & mask) >> shift) * 255 + max / 2) / max;
  }
};

struct Header {
  std::int64_t width = 0, height = 0;
  bool topDown = false;
  DWORD bits = 0, compression = 0;
  std::size_t paletteOffset = 0, paletteEntries = 0, paletteEntrySize = 4, pixelOffset = 0;
  std::uint32_t masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha
};

bool fail(std::string& error, const std::string& why) {
  error = "damaged BMP: " + why;
  return false;
}

bool readHeader(const Reader& r, Header& h, const DecodeOptions& options, std::string& error) {
  if (!r.has(0, 18)) return fail(error, "the file ends inside its header");
  h.pixelOffset = r.u32(10);
  const std::uint32_t infoSize = r.u32(14);
  if (infoSize == 12) { // OS/2 core header
    if (!r.has(14, 12)) return fail(error, "the file ends inside its header");
    h.width = r.u16(18);
    h.height = r.u16(20);
    h.bits = r.u16(24);
    h.paletteEntrySize = 3;
  } else if (infoSize >= 40 && infoSize <= 124) {
    if (!r.has(14, infoSize)) return fail(error, "the file ends inside its header");
    h.width = std::int32_t(r.u32(18));
    const std::int32_t height = std::int32_t(r.u32(22));
    h.topDown = height < 0;
    h.height = height < 0 ? -std::int64_t(height) : height;
    h.bits = r.u16(28);
    h.compression = r.u32(30);
    h.paletteEntries = r.u32(46);
    if (infoSize >= 52 || h.compression == kBitFields || h.compression == kAlphaBitFields) {
      // Masks follow a 40-byte header, or sit inside the longer ones.
      const std::size_t count = h.compression == kAlphaBitFields || infoSize >= 56 ? 4 : 3;
      if (!r.has(54, count * 4)) return fail(error, "the file ends inside its bit masks");
      for (std::size_t i = 0; i < count; ++i)
        h.masks[i] = r.u32(54 + 4 * i);
    }
  } else {
    return fail(error, "unknown header size " + std::to_string(infoSize));
  }
  if (h.width <= 0 || h.height <= 0) return fail(error, "no pixels");
  std::string sizeError;
  if (!acceptableSize(UINT(std::min<std::int64_t>(h.width, 1 << 30)), UINT(std::min<std::int64_t>(h.height, 1 << 30)),
                      options, sizeError)) {
    error = sizeError;
    return false;
  }
  const std::size_t masksAfterHeader =
      (infoSize == 40 && (h.compression == kBitFields || h.compression == kAlphaBitFields))
          ? (h.compression == kAlphaBitFields ? 16 : 12)
          : 0;
  h.paletteOffset = 14 + infoSize + masksAfterHeader;
  if (h.bits <= 8) {
    const std::size_t most = std::size_t(1) << h.bits;
    if (h.paletteEntries == 0 || h.paletteEntries > most) h.paletteEntries = most;
  }
  const bool known = (h.bits == 1 || h.bits == 4 || h.bits == 8 || h.bits == 16 || h.bits == 24 || h.bits == 32);
  if (!known) return fail(error, std::to_string(h.bits) + " bits per pixel");
  const bool compressionFits =
      h.compression == kRgb || (h.compression == kRle8 && h.bits == 8) || (h.compression == kRle4 && h.bits == 4) ||
      ((h.compression == kBitFields || h.compression == kAlphaBitFields) && (h.bits == 16 || h.bits == 32));
  if (!compressionFits) return fail(error, "unsupported compression " + std::to_string(h.compression));
  return true;
}

bool readPalette(const Reader& r, const Header& h, std::vector<std::uint32_t>& palette, std::string& error) {
  if (h.bits > 8) return true;
  if (!r.has(h.paletteOffset, h.paletteEntries * h.paletteEntrySize)) return fail(error, "the palette is cut off");
  palette.assign(std::size_t(1) << h.bits, 0xFF000000u);
  for (std::size_t i = 0; i < h.paletteEntries; ++i) {
    const BYTE* p = r.at(h.paletteOffset + i * h.paletteEntrySize);
    palette[i] = 0xFF000000u | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
  }
  return true;
}

// Runs of palette indices; `y` counts from the bottom as the file stores rows.
bool decodeRle(const Reader& r, const Header& h, const std::vector<std::uint32_t>& palette, Image& image,
               std::string& error) {
  const bool four = h.compression == kRle4;
  std::size_t at = h.pixelOffset;
  std::int64_t x = 0, y = 0;
  auto put = [&](std::uint32_t index) {
    if (x < h.width && y < h.height) {
      const std::int64_t row = h.topDown ? y : h.height - 1 - y;
      image.at(UINT(x), UINT(row)) = palette[index % palette.size()];
    }
    ++x;
  };
  while (true) {
    if (!r.has(at, 2)) return fail(error, "the compressed pixels end early");
    const BYTE count = *r.at(at), value = *r.at(at + 1);
    at += 2;
    if (count > 0) {
      for (int i = 0; i < count; ++i)
        put(four ? ((i & 1) ? value & 0xF : value >> 4) : value);
    } else if (value == 0) { // end of line
      x = 0;
      ++y;
    } else if (value == 1) { // end of bitmap
      return true;
    } else if (value == 2) { // delta
      if (!r.has(at, 2)) return fail(error, "the compressed pixels end early");
      x += *r.at(at);
      y += *r.at(at + 1);
      at += 2;
    } else { // a literal run, padded to 16 bits
      const std::size_t bytes = four ? (value + 1) / 2 : value;
      if (!r.has(at, bytes)) return fail(error, "the compressed pixels end early");
      for (int i = 0; i < value; ++i) {
        const BYTE b = *r.at(at + (four ? i / 2 : i));
        put(four ? ((i & 1) ? b & 0xF : b >> 4) : b);
      }
      at += (bytes + 1) & ~std::size_t(1);
    }
    if (y > h.height) return true; // everything further would be outside the image
  }
}

} // namespace

bool decodeBmp(const BYTE* data, std::size_t size, Image& image, std::string& error, const DecodeOptions& options) {
  const Reader r(data, size);
  Header h;
  if (!readHeader(r, h, options, error)) return false;
  std::vector<std::uint32_t> palette;
  if (!readPalette(r, h, palette, error)) return false;

  image.width = image.fileWidth = UINT(h.width);
  image.height = image.fileHeight = UINT(h.height);
  image.fileType = D3DXIFF_BMP;
  const bool runLength = h.compression == kRle8 || h.compression == kRle4;
  bool alpha = false;
  Channel red, green, blue, alphaChannel;
  if (h.bits == 16 || h.bits == 32) {
    const bool masked = h.compression == kBitFields || h.compression == kAlphaBitFields;
    if (masked && (!h.masks[0] || !h.masks[1] || !h.masks[2])) return fail(error, "empty colour masks");
    red = Channel(masked ? h.masks[0] : h.bits == 16 ? 0x7C00 : 0xFF0000);
    green = Channel(masked ? h.masks[1] : h.bits == 16 ? 0x03E0 : 0x00FF00);
    blue = Channel(masked ? h.masks[2] : h.bits == 16 ? 0x001F : 0x0000FF);
    alpha = masked && h.masks[3] != 0;
    alphaChannel = Channel(alpha ? h.masks[3] : 0);
  }
  switch (h.bits) {
  case 16:
    image.fileFormat = red.mask == 0xF800 ? D3DFMT_R5G6B5 : alpha ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5;
    break;
  case 24:
    image.fileFormat = D3DFMT_R8G8B8;
    break;
  case 32:
    image.fileFormat = alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    break;
  default:
    image.fileFormat = D3DFMT_P8;
    break;
  }
  if (options.headerOnly) return true;
  if (runLength) {
    image.pixels.assign(std::size_t(image.width) * image.height, palette[0]);
    if (!decodeRle(r, h, palette, image, error)) {
      image = Image();
      return false;
    }
    return true;
  }

  const std::size_t stride = ((std::size_t(h.width) * h.bits + 31) / 32) * 4;
  if (!r.has(h.pixelOffset, stride * std::size_t(h.height))) return fail(error, "the pixels are cut off");
  image.pixels.assign(std::size_t(image.width) * image.height, 0);
  for (UINT y = 0; y < image.height; ++y) {
    const BYTE* row = r.at(h.pixelOffset + stride * (h.topDown ? y : image.height - 1 - y));
    for (UINT x = 0; x < image.width; ++x) {
      std::uint32_t value;
      switch (h.bits) {
      case 1:
        value = palette[(row[x / 8] >> (7 - x % 8)) & 1];
        break;
      case 4:
        value = palette[(row[x / 2] >> ((x & 1) ? 0 : 4)) & 0xF];
        break;
      case 8:
        value = palette[row[x]];
        break;
      case 24:
        value = 0xFF000000u | (std::uint32_t(row[x * 3 + 2]) << 16) | (row[x * 3 + 1] << 8) | row[x * 3];
        break;
      default: {
        const std::uint32_t raw =
            h.bits == 16 ? std::uint32_t(row[x * 2] | (row[x * 2 + 1] << 8)) : r.u32(std::size_t(row - data) + x * 4);
        value = (alphaChannel.read(raw, 255) << 24) | (red.read(raw, 0) << 16) | (green.read(raw, 0) << 8) |
                blue.read(raw, 0);
      }
      }
      image.at(x, y) = value;
    }
  }
  return true;
}

} // namespace d3dx9
