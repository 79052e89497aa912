#include "platform/d3dx9/PixelFormats.h"

#include "platform/d3d9/FormatInfo.h"

#include <algorithm>
#include <cstring>

namespace d3dx9 {
namespace {

std::uint32_t a8(std::uint32_t c) { return c >> 24; }
std::uint32_t r8(std::uint32_t c) { return (c >> 16) & 0xFF; }
std::uint32_t g8(std::uint32_t c) { return (c >> 8) & 0xFF; }
std::uint32_t b8(std::uint32_t c) { return c & 0xFF; }

// 8 bits to n bits and back, rounding to nearest.
std::uint32_t down(std::uint32_t v, int bits) { return (v * ((1u << bits) - 1) + 127) / 255; }
std::uint32_t up(std::uint32_t v, int bits) {
  const std::uint32_t max = (1u << bits) - 1;
  return (v * 255 + max / 2) / max;
}

std::uint32_t luminance(std::uint32_t c) {
  return std::uint32_t(0.2125 * r8(c) + 0.7154 * g8(c) + 0.0721 * b8(c) + 0.5);
}

// -------------------------------------------------------------------------------------
// DXT encoding: endpoints from the block's colour bounding box, each texel the nearest of
// the interpolated colours.

std::uint32_t to565(std::uint32_t c) { return (down(r8(c), 5) << 11) | (down(g8(c), 6) << 5) | down(b8(c), 5); }
std::uint32_t from565(std::uint32_t v) {
  return 0xFF000000u | (up((v >> 11) & 0x1F, 5) << 16) | (up((v >> 5) & 0x3F, 6) << 8) | up(v & 0x1F, 5);
}

int distance(std::uint32_t a, std::uint32_t b) {
  const int dr = int(r8(a)) - int(r8(b)), dg = int(g8(a)) - int(g8(b)), db = int(b8(a)) - int(b8(b));
  return dr * dr + dg * dg + db * db;
}

std::uint32_t mix(std::uint32_t a, std::uint32_t b, int wa, int wb) {
  const int total = wa + wb;
  return 0xFF000000u | (((r8(a) * wa + r8(b) * wb) / total) << 16) | (((g8(a) * wa + g8(b) * wb) / total) << 8) |
         ((b8(a) * wa + b8(b) * wb) / total);
}

void encodeColorBlock(const std::uint32_t block[16], bool punchThrough, BYTE out[8]) {
  std::uint32_t lo = 0xFFFFFFu, hi = 0;
  int minR = 255, minG = 255, minB = 255, maxR = 0, maxG = 0, maxB = 0;
  bool anyTransparent = false;
  for (int i = 0; i < 16; ++i) {
    if (punchThrough && a8(block[i]) < 128) {
      anyTransparent = true;
      continue;
    }
    minR = std::min<int>(minR, int(r8(block[i])));
    minG = std::min<int>(minG, int(g8(block[i])));
    minB = std::min<int>(minB, int(b8(block[i])));
    maxR = std::max<int>(maxR, int(r8(block[i])));
    maxG = std::max<int>(maxG, int(g8(block[i])));
    maxB = std::max<int>(maxB, int(b8(block[i])));
  }
  if (maxR < minR) minR = minG = minB = maxR = maxG = maxB = 0; // all transparent
  lo = (std::uint32_t(minR) << 16) | (std::uint32_t(minG) << 8) | std::uint32_t(minB);
  hi = (std::uint32_t(maxR) << 16) | (std::uint32_t(maxG) << 8) | std::uint32_t(maxB);
  std::uint32_t c0 = to565(hi), c1 = to565(lo);
  const bool threeColors = punchThrough && anyTransparent;
  // Four-colour blocks need c0 > c1, three-colour (transparent) ones c0 <= c1.
  if (threeColors ? c0 > c1 : c0 < c1) std::swap(c0, c1);
  std::uint32_t palette[4] = {from565(c0), from565(c1), 0, 0};
  if (threeColors) {
    palette[2] = mix(palette[0], palette[1], 1, 1);
  } else {
    palette[2] = mix(palette[0], palette[1], 2, 1);
    palette[3] = mix(palette[0], palette[1], 1, 2);
  }
  std::uint32_t indices = 0;
  for (int i = 0; i < 16; ++i) {
    std::uint32_t best = 0;
    if (threeColors && a8(block[i]) < 128) {
      best = 3;
    } else if (c0 != c1 || threeColors) {
      int bestDistance = 1 << 30;
      for (std::uint32_t k = 0; k < (threeColors ? 3u : 4u); ++k) {
        const int d = distance(block[i], palette[k]);
        if (d < bestDistance) {
          bestDistance = d;
          best = k;
        }
      }
    }
    indices |= best << (2 * i);
  }
  out[0] = BYTE(c0);
  out[1] = BYTE(c0 >> 8);
  out[2] = BYTE(c1);
  out[3] = BYTE(c1 >> 8);
  std::memcpy(out + 4, &indices, 4);
}

void encodeExplicitAlpha(const std::uint32_t block[16], BYTE out[8]) {
  std::memset(out, 0, 8);
  for (int i = 0; i < 16; ++i)
    out[i / 2] |= BYTE(down(a8(block[i]), 4) << ((i & 1) * 4));
}

void encodeInterpolatedAlpha(const std::uint32_t block[16], BYTE out[8]) {
  std::uint32_t lo = 255, hi = 0;
  for (int i = 0; i < 16; ++i) {
    lo = std::min(lo, a8(block[i]));
    hi = std::max(hi, a8(block[i]));
  }
  // a0 > a1: eight interpolated values.
  std::uint32_t values[8] = {hi, lo};
  for (int k = 1; k < 7; ++k)
    values[k + 1] = ((7 - k) * hi + k * lo + 3) / 7;
  std::uint64_t indices = 0;
  for (int i = 0; i < 16; ++i) {
    std::uint64_t best = 0;
    if (hi != lo) {
      int bestDistance = 1 << 30;
      for (std::uint64_t k = 0; k < 8; ++k) {
        const int d = std::abs(int(values[k]) - int(a8(block[i])));
        if (d < bestDistance) {
          bestDistance = d;
          best = k;
        }
      }
    }
    indices |= best << (3 * i);
  }
  out[0] = BYTE(hi);
  out[1] = BYTE(lo);
  for (int i = 0; i < 6; ++i)
    out[2 + i] = BYTE(indices >> (8 * i));
}

std::uint32_t premultiplied(std::uint32_t c) {
  const std::uint32_t a = a8(c);
  return (a << 24) | (((r8(c) * a + 127) / 255) << 16) | (((g8(c) * a + 127) / 255) << 8) | ((b8(c) * a + 127) / 255);
}

void writeBlocks(D3DFORMAT format, const std::uint32_t* pixels, UINT width, UINT height, UINT stride, BYTE* dest,
                 INT pitch) {
  const UINT blockBytes = format == D3DFMT_DXT1 ? 8 : 16;
  const bool premultiply = format == D3DFMT_DXT2 || format == D3DFMT_DXT4;
  for (UINT by = 0; by < (height + 3) / 4; ++by) {
    for (UINT bx = 0; bx < (width + 3) / 4; ++bx) {
      std::uint32_t block[16];
      for (UINT i = 0; i < 16; ++i) {
        const UINT x = std::min(width - 1, bx * 4 + i % 4), y = std::min(height - 1, by * 4 + i / 4);
        block[i] = pixels[std::size_t(y) * stride + x];
        if (premultiply) block[i] = premultiplied(block[i]);
      }
      BYTE* out = dest + std::ptrdiff_t(by) * pitch + std::ptrdiff_t(bx) * blockBytes;
      if (format == D3DFMT_DXT1) {
        encodeColorBlock(block, true, out);
      } else {
        if (format == D3DFMT_DXT2 || format == D3DFMT_DXT3)
          encodeExplicitAlpha(block, out);
        else
          encodeInterpolatedAlpha(block, out);
        encodeColorBlock(block, false, out + 8);
      }
    }
  }
}

} // namespace

bool canReadPixels(D3DFORMAT format) {
  switch (format) {
  case D3DFMT_A8R8G8B8:
  case D3DFMT_X8R8G8B8:
  case D3DFMT_R8G8B8:
  case D3DFMT_R5G6B5:
  case D3DFMT_X1R5G5B5:
  case D3DFMT_A1R5G5B5:
  case D3DFMT_A4R4G4B4:
  case D3DFMT_X4R4G4B4:
  case D3DFMT_L8:
  case D3DFMT_A8:
  case D3DFMT_A8L8:
    return true;
  default:
    return false;
  }
}

bool canWritePixels(D3DFORMAT format) {
  return canReadPixels(format) || format == D3DFMT_DXT1 || format == D3DFMT_DXT2 || format == D3DFMT_DXT3 ||
         format == D3DFMT_DXT4 || format == D3DFMT_DXT5;
}

std::uint32_t encodePixel(D3DFORMAT format, std::uint32_t c) {
  switch (format) {
  case D3DFMT_A8R8G8B8:
    return c;
  case D3DFMT_X8R8G8B8:
  case D3DFMT_R8G8B8:
    return c | 0xFF000000u;
  case D3DFMT_R5G6B5:
    return to565(c);
  case D3DFMT_X1R5G5B5:
    return 0x8000u | (down(r8(c), 5) << 10) | (down(g8(c), 5) << 5) | down(b8(c), 5);
  case D3DFMT_A1R5G5B5:
    return (a8(c) >= 128 ? 0x8000u : 0u) | (down(r8(c), 5) << 10) | (down(g8(c), 5) << 5) | down(b8(c), 5);
  case D3DFMT_A4R4G4B4:
    return (down(a8(c), 4) << 12) | (down(r8(c), 4) << 8) | (down(g8(c), 4) << 4) | down(b8(c), 4);
  case D3DFMT_X4R4G4B4:
    return 0xF000u | (down(r8(c), 4) << 8) | (down(g8(c), 4) << 4) | down(b8(c), 4);
  case D3DFMT_L8:
    return luminance(c);
  case D3DFMT_A8:
    return a8(c);
  case D3DFMT_A8L8:
    return (a8(c) << 8) | luminance(c);
  default:
    return 0;
  }
}

std::uint32_t decodePixel(D3DFORMAT format, std::uint32_t v) {
  switch (format) {
  case D3DFMT_A8R8G8B8:
    return v;
  case D3DFMT_X8R8G8B8:
  case D3DFMT_R8G8B8:
    return v | 0xFF000000u;
  case D3DFMT_R5G6B5:
    return from565(v);
  case D3DFMT_X1R5G5B5:
  case D3DFMT_A1R5G5B5: {
    const std::uint32_t a = format == D3DFMT_X1R5G5B5 || (v & 0x8000) ? 255 : 0;
    return (a << 24) | (up((v >> 10) & 0x1F, 5) << 16) | (up((v >> 5) & 0x1F, 5) << 8) | up(v & 0x1F, 5);
  }
  case D3DFMT_A4R4G4B4:
  case D3DFMT_X4R4G4B4: {
    const std::uint32_t a = format == D3DFMT_X4R4G4B4 ? 255 : up((v >> 12) & 0xF, 4);
    return (a << 24) | (up((v >> 8) & 0xF, 4) << 16) | (up((v >> 4) & 0xF, 4) << 8) | up(v & 0xF, 4);
  }
  case D3DFMT_L8:
    return 0xFF000000u | (v << 16) | (v << 8) | v;
  case D3DFMT_A8:
    return v << 24;
  case D3DFMT_A8L8: {
    const std::uint32_t l = v & 0xFF;
    return ((v >> 8) << 24) | (l << 16) | (l << 8) | l;
  }
  default:
    return 0;
  }
}

void writePixels(D3DFORMAT format, const std::uint32_t* pixels, UINT width, UINT height, UINT stride, BYTE* dest,
                 INT pitch) {
  if (d3d9::formatInfo(format).compressed()) {
    writeBlocks(format, pixels, width, height, stride, dest, pitch);
    return;
  }
  if (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) {
    // The pixels' own layout, without a per-pixel conversion (large textures spend their
    // time here).
    const std::uint32_t opaque = format == D3DFMT_X8R8G8B8 ? 0xFF000000u : 0u;
    for (UINT y = 0; y < height; ++y) {
      const std::uint32_t* in = pixels + std::size_t(y) * stride;
      BYTE* row = dest + std::ptrdiff_t(y) * pitch;
      for (UINT x = 0; x < width; ++x) {
        const std::uint32_t value = in[x] | opaque;
        BYTE* out = row + 4 * std::size_t(x);
        out[0] = BYTE(value); // little-endian, as every format is stored
        out[1] = BYTE(value >> 8);
        out[2] = BYTE(value >> 16);
        out[3] = BYTE(value >> 24);
      }
    }
    return;
  }
  const UINT bytes = d3d9::formatInfo(format).bitsPerPixel / 8;
  for (UINT y = 0; y < height; ++y) {
    BYTE* row = dest + std::ptrdiff_t(y) * pitch;
    for (UINT x = 0; x < width; ++x) {
      const std::uint32_t value = encodePixel(format, pixels[std::size_t(y) * stride + x]);
      for (UINT b = 0; b < bytes; ++b)
        row[x * bytes + b] = BYTE(value >> (8 * b)); // little-endian
    }
  }
}

void readPixels(D3DFORMAT format, const BYTE* source, INT pitch, UINT width, UINT height, std::uint32_t* out) {
  const UINT bytes = d3d9::formatInfo(format).bitsPerPixel / 8;
  for (UINT y = 0; y < height; ++y) {
    const BYTE* row = source + std::ptrdiff_t(y) * pitch;
    for (UINT x = 0; x < width; ++x) {
      std::uint32_t value = 0;
      for (UINT b = 0; b < bytes; ++b)
        value |= std::uint32_t(row[x * bytes + b]) << (8 * b);
      out[std::size_t(y) * width + x] = decodePixel(format, value);
    }
  }
}

} // namespace d3dx9
