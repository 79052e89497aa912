// The averaging filters (BOX, TRIANGLE and D3DX_DEFAULT) resize in two passes, one per
// axis, a few rows at a time; they must give what averaging each target pixel's source
// area directly gives, for every ratio up and down and for the thinnest images.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "platform/d3dx9/ImageFilters.h"

namespace {

using d3dx9::Image;

int channel(std::uint32_t pixel, int shift) { return int((pixel >> shift) & 0xFF); }

// The area each target pixel covers, averaged over the whole rectangle at once.
std::uint32_t areaAverage(const Image& source, UINT width, UINT height, UINT x, UINT y) {
  const double sx = double(source.width) / width, sy = double(source.height) / height;
  const double left = x * sx, right = (x + 1) * sx, top = y * sy, bottom = (y + 1) * sy;
  double sum[4] = {0, 0, 0, 0}, total = 0;
  for (UINT j = 0; j < source.height; ++j) {
    const double wy = std::min(bottom, j + 1.0) - std::max(top, double(j));
    if (wy <= 0) continue;
    for (UINT i = 0; i < source.width; ++i) {
      const double w = wy * (std::min(right, i + 1.0) - std::max(left, double(i)));
      if (w <= 0) continue;
      for (int c = 0; c < 4; ++c)
        sum[c] += w * channel(source.at(i, j), 24 - 8 * c);
      total += w;
    }
  }
  std::uint32_t out = 0;
  for (int c = 0; c < 4; ++c)
    out = (out << 8) | std::uint32_t(std::lround(sum[c] / total));
  return out;
}

Image noise(UINT width, UINT height, unsigned seed) {
  std::mt19937 random(seed);
  Image image = d3dx9::blankImage(width, height);
  for (std::uint32_t& p : image.pixels)
    p = std::uint32_t(random());
  return image;
}

TEST(ImageFiltersTest, AveragingResizeMatchesTheAreaEachPixelCovers) {
  const struct {
    UINT fromWidth, fromHeight, toWidth, toHeight;
  } cases[] = {
      {5, 4, 8, 4},   // the photo case in small: up across, kept down
      {7, 5, 3, 2},   // down by odd ratios
      {3, 3, 10, 7},  // up by odd ratios
      {9, 1, 4, 1},   // one row
      {1, 6, 1, 16},  // one column, up
      {1, 1, 5, 3},   // one pixel spread
      {13, 11, 1, 1}, // everything into one pixel
      {16, 8, 8, 4},  // an exact halving
      {6, 10, 6, 3},  // only one axis changes
  };
  for (const auto& c : cases) {
    const Image source = noise(c.fromWidth, c.fromHeight, c.fromWidth * 31 + c.toHeight);
    for (DWORD filter : {D3DX_FILTER_BOX, D3DX_FILTER_TRIANGLE, D3DX_DEFAULT}) {
      const Image out = d3dx9::resizeImage(source, c.toWidth, c.toHeight, filter);
      ASSERT_EQ(out.width, c.toWidth);
      ASSERT_EQ(out.height, c.toHeight);
      for (UINT y = 0; y < c.toHeight; ++y) {
        for (UINT x = 0; x < c.toWidth; ++x) {
          const std::uint32_t want = areaAverage(source, c.toWidth, c.toHeight, x, y);
          for (int shift = 0; shift < 32; shift += 8)
            ASSERT_NEAR(channel(out.at(x, y), shift), channel(want, shift), 1)
                << c.fromWidth << "x" << c.fromHeight << " to " << c.toWidth << "x" << c.toHeight << " at " << x << ","
                << y;
        }
      }
    }
  }
}

TEST(ImageFiltersTest, MipHalvingRoundsTheMeanExactly) {
  Image source = d3dx9::blankImage(4, 2);
  source.pixels = {0x00000000, 0x01010101, 0xFF000000, 0x00FF00FF, //
                   0x00000001, 0x02030405, 0xFF000000, 0x00FF0001};
  const Image half = d3dx9::resizeImage(source, 2, 1, D3DX_FILTER_BOX);
  // Alpha (0 + 1 + 0 + 2) / 4 = 0.75 -> 1, green 5 / 4 = 1.25 -> 1, blue 7 / 4 = 1.75 -> 2.
  EXPECT_EQ(half.at(0, 0), 0x01010102u);
  // 510 / 4 = 127.5 -> 128 in alpha and red, 256 / 4 = 64 in blue.
  EXPECT_EQ(half.at(1, 0), 0x80800040u);
  // A 2 x 1 level halves across only, a 1 x 2 level down only.
  Image row = d3dx9::blankImage(2, 1);
  row.pixels = {0x10203040, 0x11213141};
  EXPECT_EQ(d3dx9::resizeImage(row, 1, 1, D3DX_FILTER_BOX).at(0, 0), 0x11213141u);
  Image column = d3dx9::blankImage(1, 2);
  column.pixels = {0x10203040, 0x10203042};
  EXPECT_EQ(d3dx9::resizeImage(column, 1, 1, D3DX_FILTER_BOX).at(0, 0), 0x10203041u);
}

} // namespace
