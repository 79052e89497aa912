// GIF, the first frame: many people's pictures are GIFs. The LZW data is decoded here (it is
// small and its failure modes are easy to bound): every code is checked against the table,
// every string against its length, and the output against the frame, so damaged or hostile
// files fail cleanly. Later frames of an animation are not read.
#include <array>
#include <cstring>
#include <vector>

#include "platform/d3dx9/Image.h"

namespace d3dx9 {
namespace {

constexpr int kMaxCodes = 4096;

class Reader {
public:
  Reader(const BYTE* data, std::size_t size) : data_(data), size_(size) {}
  bool byte(BYTE& out) {
    if (at_ >= size_) return false;
    out = data_[at_++];
    return true;
  }
  bool u16(UINT& out) {
    BYTE low = 0, high = 0;
    if (!byte(low) || !byte(high)) return false;
    out = UINT(low) | UINT(high) << 8;
    return true;
  }
  bool bytes(std::size_t count, const BYTE*& out) {
    if (size_ - at_ < count) return false;
    out = data_ + at_;
    at_ += count;
    return true;
  }
  // The data sub-blocks that follow an extension or an image: appended to `out` (or skipped
  // when it is null), up to the empty block that ends them.
  bool subBlocks(std::vector<BYTE>* out) {
    for (;;) {
      BYTE length = 0;
      const BYTE* block = nullptr;
      if (!byte(length)) return false;
      if (length == 0) return true;
      if (!bytes(length, block)) return false;
      if (out) out->insert(out->end(), block, block + length);
    }
  }

private:
  const BYTE* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

struct Palette {
  std::array<std::uint32_t, 256> colours{};
  UINT count = 0;
};

bool readPalette(Reader& reader, BYTE flags, Palette& palette) {
  if (!(flags & 0x80)) return true;
  palette.count = 2u << (flags & 7);
  const BYTE* rgb = nullptr;
  if (!reader.bytes(std::size_t(palette.count) * 3, rgb)) return false;
  for (UINT i = 0; i < palette.count; ++i)
    palette.colours[i] = 0xFF000000u | UINT(rgb[3 * i]) << 16 | UINT(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
  return true;
}

// LZW codes of growing width (up to 12 bits), least significant bit first, to `count`
// colour indices. False for a code the table does not hold or data that ends early.
bool decodeLzw(const std::vector<BYTE>& data, int minimumCodeSize, std::size_t count, std::vector<BYTE>& out) {
  const int clear = 1 << minimumCodeSize, end = clear + 1;
  std::array<std::uint16_t, kMaxCodes> prefix{};
  std::array<BYTE, kMaxCodes> suffix{};
  std::array<std::uint16_t, kMaxCodes> length{};
  for (int code = 0; code < clear; ++code) {
    suffix[std::size_t(code)] = BYTE(code);
    length[std::size_t(code)] = 1;
  }
  std::array<BYTE, kMaxCodes> string{};
  int codeSize = minimumCodeSize + 1, next = end + 1, previous = -1;
  std::size_t bit = 0;
  const std::size_t bits = data.size() * 8;
  // No reservation for the whole frame: a file may declare a large frame and hold a few bytes.
  out.clear();
  while (out.size() < count) {
    if (bits - bit < std::size_t(codeSize)) return false;
    int code = 0;
    for (int i = 0; i < codeSize; ++i, ++bit)
      code |= ((data[bit / 8] >> (bit % 8)) & 1) << i;
    if (code == clear) {
      codeSize = minimumCodeSize + 1;
      next = end + 1;
      previous = -1;
      continue;
    }
    if (code == end) return false; // the frame is not full
    if (previous < 0) {
      if (code >= clear) return false;
      out.push_back(BYTE(code));
      previous = code;
      continue;
    }
    if (code > next || (code == next && next >= kMaxCodes)) return false;
    // The string of `code` (for the code about to be made: the previous string and its own
    // first byte), written back to front.
    const int known = code == next ? previous : code;
    std::size_t size = length[std::size_t(known)];
    int walk = known;
    for (std::size_t i = size; i-- > 0;) {
      string[i] = suffix[std::size_t(walk)];
      walk = prefix[std::size_t(walk)];
    }
    if (code == next) string[size++] = string[0];
    if (next < kMaxCodes) {
      prefix[std::size_t(next)] = std::uint16_t(previous);
      suffix[std::size_t(next)] = string[0];
      length[std::size_t(next)] = std::uint16_t(length[std::size_t(previous)] + 1);
      ++next;
      if (next == (1 << codeSize) && codeSize < 12) ++codeSize;
    }
    out.insert(out.end(), string.begin(), string.begin() + std::ptrdiff_t(std::min(size, count - out.size())));
    previous = code;
  }
  return true;
}

// The row of the frame that the n-th decoded row is, for interlaced frames (every 8th row
// from 0, every 8th from 4, every 4th from 2, every 2nd from 1).
UINT interlacedRow(UINT n, UINT height) {
  const UINT starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass) {
    const UINT rows = height > starts[pass] ? (height - starts[pass] + steps[pass] - 1) / steps[pass] : 0;
    if (n < rows) return starts[pass] + n * steps[pass];
    n -= rows;
  }
  return 0;
}

struct Frame {
  UINT left = 0, top = 0, width = 0, height = 0;
  bool interlaced = false;
  int transparent = -1;
  Palette palette;
};

bool fail(std::string& error, const char* why) {
  error = std::string("damaged GIF: ") + why;
  return false;
}

} // namespace

bool decodeGif(const BYTE* data, std::size_t size, Image& image, std::string& error, const DecodeOptions& options) {
  image = Image();
  if (!data || size < 13 || (std::memcmp(data, "GIF87a", 6) != 0 && std::memcmp(data, "GIF89a", 6) != 0)) {
    error = "not a GIF image";
    return false;
  }
  Reader reader(data + 6, size - 6);
  UINT width = 0, height = 0;
  BYTE flags = 0, background = 0, aspect = 0;
  reader.u16(width);
  reader.u16(height);
  reader.byte(flags);
  reader.byte(background);
  reader.byte(aspect);
  Palette global;
  if (!readPalette(reader, flags, global)) return fail(error, "the colour table ends early");

  Frame frame;
  frame.palette = global;
  for (;;) {
    BYTE kind = 0;
    if (!reader.byte(kind)) return fail(error, "the file ends before its first image");
    if (kind == 0x3B) return fail(error, "the file holds no image");
    if (kind == 0x21) {
      BYTE label = 0;
      std::vector<BYTE> extension;
      if (!reader.byte(label) || !reader.subBlocks(&extension)) return fail(error, "an extension ends early");
      // The graphic control extension says which colour index of the frame is transparent.
      if (label == 0xF9 && extension.size() >= 4) frame.transparent = (extension[0] & 1) ? extension[3] : -1;
      continue;
    }
    if (kind != 0x2C) return fail(error, "an unknown block");
    BYTE frameFlags = 0;
    if (!reader.u16(frame.left) || !reader.u16(frame.top) || !reader.u16(frame.width) || !reader.u16(frame.height) ||
        !reader.byte(frameFlags))
      return fail(error, "the image descriptor ends early");
    frame.interlaced = (frameFlags & 0x40) != 0;
    if (frameFlags & 0x80) {
      frame.palette = Palette();
      if (!readPalette(reader, frameFlags, frame.palette)) return fail(error, "the colour table ends early");
    }
    break;
  }
  // A file whose screen is smaller than its first frame (or none at all) shows the frame.
  width = std::max(width, frame.left + frame.width);
  height = std::max(height, frame.top + frame.height);
  image.fileWidth = width;
  image.fileHeight = height;
  image.fileFormat = D3DFMT_P8;
  image.fileType = D3DXIFF_GIF;
  if (!acceptableSize(width, height, options, error)) return false;
  if (options.headerOnly) {
    image.width = width;
    image.height = height;
    return true;
  }
  if (frame.palette.count == 0) return fail(error, "no colour table");

  BYTE minimumCodeSize = 0;
  std::vector<BYTE> compressed, indices;
  if (!reader.byte(minimumCodeSize) || minimumCodeSize < 1 || minimumCodeSize > 8)
    return fail(error, "a bad code size");
  if (!reader.subBlocks(&compressed)) return fail(error, "the image data ends early");
  const std::size_t count = std::size_t(frame.width) * frame.height;
  if (count > 0 && !decodeLzw(compressed, minimumCodeSize, count, indices))
    return fail(error, "the image data is broken or ends early");

  // What the first frame does not cover is transparent, as a viewer shows it.
  image.width = width;
  image.height = height;
  image.pixels.assign(std::size_t(width) * height, 0);
  for (UINT n = 0; n < frame.height; ++n) {
    const UINT y = frame.top + (frame.interlaced ? interlacedRow(n, frame.height) : n);
    for (UINT x = 0; x < frame.width; ++x) {
      const BYTE index = indices[std::size_t(n) * frame.width + x];
      if (index == frame.transparent) continue;
      image.at(frame.left + x, y) = index < frame.palette.count ? frame.palette.colours[index] : 0xFF000000u;
    }
  }
  return true;
}

} // namespace d3dx9
