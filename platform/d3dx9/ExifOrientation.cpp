#include "platform/d3dx9/ExifOrientation.h"

#include <cstring>
#include <utility>

namespace d3dx9 {
namespace {

constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kShortType = 3;

class TiffReader {
public:
  TiffReader(const BYTE* data, std::size_t size, bool bigEndian) : data_(data), size_(size), bigEndian_(bigEndian) {}
  // Every read is checked against the block: offsets in the file are not to be trusted.
  bool u16(std::size_t at, std::uint16_t& out) const {
    if (at > size_ || size_ - at < 2) return false;
    out = bigEndian_ ? std::uint16_t(data_[at] << 8 | data_[at + 1]) : std::uint16_t(data_[at + 1] << 8 | data_[at]);
    return true;
  }
  bool u32(std::size_t at, std::uint32_t& out) const {
    std::uint16_t first = 0, second = 0;
    if (!u16(at, first) || !u16(at + 2, second)) return false;
    out = bigEndian_ ? (std::uint32_t(first) << 16 | second) : (std::uint32_t(second) << 16 | first);
    return true;
  }

private:
  const BYTE* data_;
  std::size_t size_;
  bool bigEndian_;
};

} // namespace

int exifOrientation(const BYTE* payload, std::size_t size) {
  static const BYTE kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
  if (!payload || size < 6 + 8 || std::memcmp(payload, kExif, 6) != 0) return 1;
  const BYTE* tiff = payload + 6;
  const std::size_t tiffSize = size - 6;
  bool bigEndian = false;
  if (tiff[0] == 'M' && tiff[1] == 'M')
    bigEndian = true;
  else if (!(tiff[0] == 'I' && tiff[1] == 'I'))
    return 1;
  const TiffReader reader(tiff, tiffSize, bigEndian);
  std::uint16_t magic = 0, count = 0;
  std::uint32_t directory = 0;
  if (!reader.u16(2, magic) || magic != 42 || !reader.u32(4, directory) || !reader.u16(directory, count)) return 1;
  // The first directory describes the main image; its entries are 12 bytes each.
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t entry = std::size_t(directory) + 2 + std::size_t(i) * 12;
    std::uint16_t tag = 0, type = 0, value = 0;
    std::uint32_t values = 0;
    if (!reader.u16(entry, tag) || !reader.u16(entry + 2, type) || !reader.u32(entry + 4, values)) return 1;
    if (tag != kOrientationTag) continue;
    if (type != kShortType || values != 1 || !reader.u16(entry + 8, value)) return 1;
    return value >= 1 && value <= 8 ? value : 1;
  }
  return 1;
}

void orientImage(Image& image, int orientation) {
  if (orientation < 2 || orientation > 8 || image.pixels.empty()) return;
  const UINT width = image.width, height = image.height;
  const bool swapped = swapsSides(orientation);
  Image out = image;
  out.width = swapped ? height : width;
  out.height = swapped ? width : height;
  // For each pixel of the upright picture, the stored pixel it shows.
  for (UINT y = 0; y < out.height; ++y) {
    for (UINT x = 0; x < out.width; ++x) {
      UINT sx = x, sy = y;
      switch (orientation) {
      case 2:
        sx = width - 1 - x;
        break;
      case 3:
        sx = width - 1 - x;
        sy = height - 1 - y;
        break;
      case 4:
        sy = height - 1 - y;
        break;
      case 5:
        sx = y;
        sy = x;
        break;
      case 6:
        sx = y;
        sy = height - 1 - x;
        break;
      case 7:
        sx = width - 1 - y;
        sy = height - 1 - x;
        break;
      case 8:
        sx = width - 1 - y;
        sy = x;
        break;
      default:
        break;
      }
      out.at(x, y) = image.at(sx, sy);
    }
  }
  image = std::move(out);
}

} // namespace d3dx9
