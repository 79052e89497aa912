// Pixel conversions: every uncompressed format survives a round trip within its precision,
// and the DXT encoder's blocks decode (by the standard rules, written out here) close to
// what went in.
#include "platform/d3dx9/PixelFormats.h"
#include "platform/d3d9/DeviceLoss.h"
#include "platform/d3d9/FormatInfo.h"
#include "platform/d3dx9/ImageFilters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace d3dx9;

namespace {

int channel(std::uint32_t c, int shift) { return int((c >> shift) & 0xFF); }

TEST(PixelFormats, UncompressedFormatsRoundTripWithinTheirPrecision) {
  struct Case {
    D3DFORMAT format;
    int colourStep, alphaStep; // largest rounding error per channel (-1: the channel is not kept)
  };
  const Case cases[] = {{D3DFMT_A8R8G8B8, 0, 0}, {D3DFMT_X8R8G8B8, 0, -1}, {D3DFMT_R8G8B8, 0, -1},
                        {D3DFMT_R5G6B5, 5, -1},  {D3DFMT_X1R5G5B5, 5, -1}, {D3DFMT_A1R5G5B5, 5, 127},
                        {D3DFMT_A4R4G4B4, 9, 9}, {D3DFMT_A8, -1, 0}};
  const std::uint32_t samples[] = {0x00000000, 0xFFFFFFFF, 0x80FF8000, 0x7F123456, 0xC0ABCDEF, 0x01020304};
  for (const Case& c : cases) {
    for (std::uint32_t pixel : samples) {
      const std::uint32_t back = decodePixel(c.format, encodePixel(c.format, pixel));
      for (int shift : {16, 8, 0}) {
        if (c.colourStep >= 0) {
          EXPECT_LE(std::abs(channel(back, shift) - channel(pixel, shift)), c.colourStep) << c.format;
        }
      }
      if (c.alphaStep >= 0) {
        EXPECT_LE(std::abs(channel(back, 24) - channel(pixel, 24)), c.alphaStep) << c.format;
      } else {
        EXPECT_EQ(channel(back, 24), 255) << c.format; // formats without alpha read opaque
      }
    }
  }
  // Grey formats keep luminance.
  EXPECT_EQ(decodePixel(D3DFMT_L8, encodePixel(D3DFMT_L8, 0xFF808080)), 0xFF808080u);
  EXPECT_EQ(decodePixel(D3DFMT_A8L8, encodePixel(D3DFMT_A8L8, 0x40FFFFFF)), 0x40FFFFFFu);
}

// Standard DXT decoding of one colour block.
std::uint32_t from565(std::uint32_t v) {
  const std::uint32_t r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
  return 0xFF000000u | (((r * 255 + 15) / 31) << 16) | (((g * 255 + 31) / 63) << 8) | ((b * 255 + 15) / 31);
}

void decodeColorBlock(const BYTE* block, bool dxt1, std::uint32_t out[16]) {
  const std::uint32_t c0 = block[0] | (block[1] << 8), c1 = block[2] | (block[3] << 8);
  std::uint32_t palette[4] = {from565(c0), from565(c1), 0, 0};
  auto mix = [&](int wa, int wb) {
    std::uint32_t m = 0xFF000000u;
    for (int shift : {16, 8, 0})
      m |= std::uint32_t((channel(palette[0], shift) * wa + channel(palette[1], shift) * wb) / (wa + wb)) << shift;
    return m;
  };
  if (!dxt1 || c0 > c1) {
    palette[2] = mix(2, 1);
    palette[3] = mix(1, 2);
  } else {
    palette[2] = mix(1, 1);
    palette[3] = 0; // transparent black
  }
  std::uint32_t indices;
  std::memcpy(&indices, block + 4, 4);
  for (int i = 0; i < 16; ++i)
    out[i] = palette[(indices >> (2 * i)) & 3];
}

// Sixteen colours along one line of colour space, as a block of a smooth picture has.
std::vector<std::uint32_t> gradient() {
  std::vector<std::uint32_t> pixels;
  for (std::uint32_t i = 0; i < 16; ++i)
    pixels.push_back(0xFF000040u | (i * 16 << 16) | (i * 8 << 8));
  return pixels;
}

TEST(PixelFormats, DxtBlocksDecodeCloseToTheirPixels) {
  const std::vector<std::uint32_t> pixels = gradient();
  BYTE block[16];
  writePixels(D3DFMT_DXT1, pixels.data(), 4, 4, 4, block, 8);
  std::uint32_t decoded[16];
  decodeColorBlock(block, true, decoded);
  // Four colours span the block's range of 240: no pixel is more than a sixth of it (plus
  // the 5-6-5 rounding) away from one of them.
  for (int i = 0; i < 16; ++i)
    for (int shift : {16, 8, 0})
      EXPECT_LE(std::abs(channel(decoded[i], shift) - channel(pixels[std::size_t(i)], shift)), 44) << i;
  // Transparent pixels use DXT1's three-colour mode and its transparent index.
  std::vector<std::uint32_t> keyed = pixels;
  keyed[5] = 0;
  writePixels(D3DFMT_DXT1, keyed.data(), 4, 4, 4, block, 8);
  decodeColorBlock(block, true, decoded);
  EXPECT_EQ(decoded[5], 0u);
  EXPECT_EQ(channel(decoded[0], 24), 255);
  // DXT5: two alpha endpoints and 3-bit indices; the extremes come back exactly.
  std::vector<std::uint32_t> alpha = pixels;
  for (int i = 0; i < 16; ++i)
    alpha[std::size_t(i)] = (alpha[std::size_t(i)] & 0xFFFFFF) | std::uint32_t(i * 17) << 24;
  writePixels(D3DFMT_DXT5, alpha.data(), 4, 4, 4, block, 16);
  EXPECT_EQ(block[0], 255); // the largest alpha
  EXPECT_EQ(block[1], 0);   // the smallest
  // DXT3 keeps four bits of alpha per pixel.
  writePixels(D3DFMT_DXT3, alpha.data(), 4, 4, 4, block, 16);
  EXPECT_EQ(block[7] >> 4, 15); // pixel 15: alpha 255
  EXPECT_EQ(block[0] & 0xF, 0); // pixel 0: alpha 0
  // A 2x2 image fills its block by repeating the edge pixels.
  const std::uint32_t small[4] = {0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000};
  writePixels(D3DFMT_DXT1, small, 2, 2, 2, block, 8);
  decodeColorBlock(block, true, decoded);
  for (std::uint32_t p : decoded)
    EXPECT_EQ(p, 0xFFFF0000u);
}

TEST(ImageFilters, LinearInterpolatesAndWrapsOrMirrorsAtTheEdges) {
  Image source;
  source.width = 2;
  source.height = 1;
  source.pixels = {0xFF000000, 0xFFFFFFFF};
  // Doubling: the outer target pixels reach past the edge: wrapping brings the other
  // side in, mirroring repeats the edge.
  const Image wrapped = resizeImage(source, 4, 1, D3DX_FILTER_LINEAR);
  const Image mirrored = resizeImage(source, 4, 1, D3DX_FILTER_LINEAR | D3DX_FILTER_MIRROR);
  EXPECT_EQ(channel(wrapped.at(1, 0), 16), 64); // 0.25 of the way to white
  EXPECT_EQ(channel(wrapped.at(0, 0), 16), 64); // 0.25 white from the wrapped right edge
  EXPECT_EQ(channel(mirrored.at(0, 0), 16), 0); // the edge pixel itself
  EXPECT_EQ(channel(mirrored.at(3, 0), 16), 255);
}

TEST(DeviceLossSchedule, ReadsPresentCounts) {
  EXPECT_EQ(d3d9::DeviceLoss::parseSchedule("3,10"), (std::vector<unsigned>{3, 10}));
  EXPECT_EQ(d3d9::DeviceLoss::parseSchedule("7"), (std::vector<unsigned>{7}));
  EXPECT_TRUE(d3d9::DeviceLoss::parseSchedule("0").empty());
  EXPECT_TRUE(d3d9::DeviceLoss::parseSchedule("3,x").empty());
  EXPECT_TRUE(d3d9::DeviceLoss::parseSchedule("-1").empty());
}

} // namespace
