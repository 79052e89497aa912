// Pictures as people have them: JPEGs from cameras that say which way up they are, and GIFs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/d3dx9/ExifOrientation.h"
#include "platform/d3dx9/Image.h"
#include "platform/d3dx9/ImageEncoder.h"

using namespace d3dx9;

namespace {

constexpr std::uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu, kWhite = 0xFFFFFFFFu;

// The nearest of the four quarter colours (JPEG blurs edges a little).
std::uint32_t nearestQuarterColour(std::uint32_t pixel) {
  std::uint32_t best = 0;
  int bestDistance = 1 << 30;
  for (std::uint32_t colour : {kRed, kGreen, kBlue, kWhite}) {
    int distance = 0;
    for (int shift = 0; shift < 24; shift += 8)
      distance += std::abs(int((pixel >> shift) & 0xFF) - int((colour >> shift) & 0xFF));
    if (distance < bestDistance) {
      bestDistance = distance;
      best = colour;
    }
  }
  return best;
}

// A camera's JPEG of 32 x 16: red, green / blue, white quarters as stored, with an Exif
// block recording `orientation` (in either byte order).
std::vector<BYTE> cameraJpeg(int orientation, bool bigEndian = false) {
  Image stored = blankImage(32, 16);
  for (UINT y = 0; y < 16; ++y)
    for (UINT x = 0; x < 32; ++x)
      stored.at(x, y) = y < 8 ? (x < 16 ? kRed : kGreen) : (x < 16 ? kBlue : kWhite);
  std::vector<BYTE> jpeg;
  EXPECT_TRUE(encodeJpeg(stored, 95, false, jpeg));
  auto u16 = [&](std::vector<BYTE>& out, unsigned v) {
    if (bigEndian)
      out.insert(out.end(), {BYTE(v >> 8), BYTE(v)});
    else
      out.insert(out.end(), {BYTE(v), BYTE(v >> 8)});
  };
  auto u32 = [&](std::vector<BYTE>& out, unsigned v) {
    if (bigEndian) {
      u16(out, v >> 16);
      u16(out, v & 0xFFFF);
    } else {
      u16(out, v & 0xFFFF);
      u16(out, v >> 16);
    }
  };
  std::vector<BYTE> exif = {'E', 'x', 'i', 'f', 0, 0};
  exif.insert(exif.end(), bigEndian ? std::initializer_list<BYTE>{'M', 'M'} : std::initializer_list<BYTE>{'I', 'I'});
  u16(exif, 42);
  u32(exif, 8);
  u16(exif, 2);      // two entries: something else first, then the orientation
  u16(exif, 0x010F); // the camera's maker, an ASCII offset
  u16(exif, 2);
  u32(exif, 4);
  u32(exif, 0);
  u16(exif, 0x0112);
  u16(exif, 3);
  u32(exif, 1);
  u16(exif, unsigned(orientation));
  u16(exif, 0);
  u32(exif, 0);
  std::vector<BYTE> segment = {0xFF, 0xE1, BYTE((exif.size() + 2) >> 8), BYTE(exif.size() + 2)};
  segment.insert(segment.end(), exif.begin(), exif.end());
  jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end()); // right after the start marker
  return jpeg;
}

TEST(PhotoOrientation, EveryExifOrientationShowsThePictureUpright) {
  // The colours at the top left and top right corners of the upright picture.
  const struct {
    int orientation;
    std::uint32_t topLeft, topRight;
  } cases[] = {{1, kRed, kGreen}, {2, kGreen, kRed}, {3, kWhite, kBlue},  {4, kBlue, kWhite},
               {5, kRed, kBlue},  {6, kBlue, kRed},  {7, kWhite, kGreen}, {8, kGreen, kWhite}};
  for (const auto& c : cases) {
    for (bool bigEndian : {false, true}) {
      const std::vector<BYTE> jpeg = cameraJpeg(c.orientation, bigEndian);
      Image image;
      std::string error;
      ASSERT_TRUE(decodeImage(jpeg.data(), jpeg.size(), image, error)) << error;
      const bool quarterTurn = c.orientation >= 5;
      EXPECT_EQ(image.width, quarterTurn ? 16u : 32u) << c.orientation;
      EXPECT_EQ(image.height, quarterTurn ? 32u : 16u) << c.orientation;
      EXPECT_EQ(nearestQuarterColour(image.at(0, 0)), c.topLeft) << c.orientation << (bigEndian ? " MM" : " II");
      EXPECT_EQ(nearestQuarterColour(image.at(image.width - 1, 0)), c.topRight) << c.orientation;

      // The header alone tells the upright size, and a shrinking decode keeps to it.
      Image header;
      DecodeOptions headerOnly;
      headerOnly.headerOnly = true;
      ASSERT_TRUE(decodeImage(jpeg.data(), jpeg.size(), header, error));
      EXPECT_EQ(header.width, image.width);
      EXPECT_EQ(header.height, image.height);
      DecodeOptions small;
      small.neededWidth = quarterTurn ? 8 : 16;
      small.neededHeight = quarterTurn ? 16 : 8;
      Image shrunk;
      ASSERT_TRUE(decodeImage(jpeg.data(), jpeg.size(), shrunk, error, small));
      EXPECT_EQ(shrunk.width, small.neededWidth) << c.orientation;
      EXPECT_EQ(shrunk.height, small.neededHeight) << c.orientation;
      EXPECT_EQ(nearestQuarterColour(shrunk.at(0, 0)), c.topLeft) << c.orientation;
    }
  }
}

TEST(PhotoOrientation, ADamagedOrStrangeExifBlockLeavesThePictureAsStored) {
  const std::vector<BYTE> good = cameraJpeg(6);
  // The Exif payload starts after the segment's marker and length.
  const BYTE* payload = good.data() + 2 + 4;
  const std::size_t size = std::size_t(good[4] << 8 | good[5]) - 2;
  EXPECT_EQ(exifOrientation(payload, size), 6);
  for (std::size_t cut = 0; cut < size; ++cut)
    EXPECT_EQ(exifOrientation(payload, cut), cut >= size - 6 ? 6 : 1) << cut; // what follows the value is not needed
  std::vector<BYTE> changed(payload, payload + size);
  changed[6 + 4] = 0xF0; // the directory offset beyond the block
  EXPECT_EQ(exifOrientation(changed.data(), changed.size()), 1);
  changed = std::vector<BYTE>(payload, payload + size);
  changed[6 + 8 + 2 + 12 + 8] = 9; // no such orientation
  EXPECT_EQ(exifOrientation(changed.data(), changed.size()), 1);
  changed[6] = 'X'; // neither byte order
  EXPECT_EQ(exifOrientation(changed.data(), changed.size()), 1);
  EXPECT_EQ(exifOrientation(nullptr, 0), 1);
}

std::vector<BYTE> readFixture(const char* name) {
  std::ifstream in(std::string(TICKWOOD_FIXTURES) + "/" + name, std::ios::binary);
  return std::vector<BYTE>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// pattern.gif was written by another program (Tk's GIF writer) from this pattern of twelve
// colours, so its LZW data is compressed as other programs compress it.
std::uint32_t patternColour(UINT x, UINT y) {
  const UINT i = ((x * x + 3 * y) / 5 + (x ^ y)) % 12;
  return 0xFF000000u | ((i * 37) % 256) << 16 | ((i * 91) % 256) << 8 | ((i * 53) % 256);
}

TEST(Gif, AGifFromAnotherProgramDecodesToItsPixels) {
  const std::vector<BYTE> gif = readFixture("pattern.gif");
  ASSERT_FALSE(gif.empty());
  Image image;
  std::string error;
  ASSERT_TRUE(decodeImage(gif.data(), gif.size(), image, error)) << error;
  ASSERT_EQ(image.width, 40u);
  ASSERT_EQ(image.height, 24u);
  EXPECT_EQ(image.fileType, D3DXIFF_GIF);
  for (UINT y = 0; y < image.height; ++y)
    for (UINT x = 0; x < image.width; ++x)
      ASSERT_EQ(image.at(x, y), patternColour(x, y)) << x << ", " << y;

  // Every shorter file is a clean failure.
  for (std::size_t cut = 0; cut + 1 < gif.size(); ++cut) {
    Image partial;
    std::string why;
    EXPECT_FALSE(decodeGif(gif.data(), cut, partial, why)) << cut;
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(partial.pixels.empty());
  }
}

// A GIF of our own: a 4 x 3 screen with one 2 x 2 frame at (1, 1), its own colours and a
// transparent one, its data as literal codes of 3 bits with a clear code before every two
// (so the code width never grows), optionally interlaced.
std::vector<BYTE> smallGif(const std::vector<BYTE>& indices, bool interlaced) {
  std::vector<BYTE> gif = {'G', 'I', 'F', '8', '9', 'a', 4, 0, 3, 0, 0x00, 0, 0};
  gif.insert(gif.end(), {0x21, 0xF9, 4, 0x01, 0, 0, 3, 0}); // index 3 is transparent
  gif.insert(gif.end(), {0x2C, 1, 0, 1, 0, 2, 0, 2, 0, BYTE(0x81 | (interlaced ? 0x40 : 0))});
  gif.insert(gif.end(), {0x10, 0x20, 0x30, 0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0, 0, 0}); // 4 colours
  std::vector<int> codes;
  for (std::size_t i = 0; i < indices.size(); ++i) {
    if (i % 2 == 0) codes.push_back(4);
    codes.push_back(indices[i]);
  }
  codes.push_back(5);
  std::vector<BYTE> bits((codes.size() * 3 + 7) / 8, 0);
  for (std::size_t i = 0; i < codes.size(); ++i)
    for (int b = 0; b < 3; ++b)
      if (codes[i] >> b & 1) bits[(i * 3 + std::size_t(b)) / 8] |= BYTE(1 << ((i * 3 + std::size_t(b)) % 8));
  gif.push_back(2); // the least code size
  gif.push_back(BYTE(bits.size()));
  gif.insert(gif.end(), bits.begin(), bits.end());
  gif.insert(gif.end(), {0, 0x3B});
  return gif;
}

TEST(Gif, TheFirstFrameSitsOnItsScreenWithTransparencyWhereItSaysSo) {
  for (bool interlaced : {false, true}) {
    // Decoded rows in file order; two rows interlace as row 0 then row 1 as well.
    const std::vector<BYTE> gif = smallGif({0, 1, 2, 3}, interlaced);
    Image image;
    std::string error;
    ASSERT_TRUE(decodeImage(gif.data(), gif.size(), image, error)) << error;
    ASSERT_EQ(image.width, 4u);
    ASSERT_EQ(image.height, 3u);
    EXPECT_EQ(image.at(0, 0), 0u); // outside the frame
    EXPECT_EQ(image.at(1, 1), 0xFF102030u);
    EXPECT_EQ(image.at(2, 1), 0xFFFF0000u);
    EXPECT_EQ(image.at(1, 2), 0xFF00FF00u);
    EXPECT_EQ(image.at(2, 2), 0u); // the transparent index
    EXPECT_EQ(image.at(3, 2), 0u);
  }
  // A code beyond the table, or data that ends before the frame is full, fails.
  std::vector<BYTE> bad = smallGif({0, 1, 2, 3}, false);
  bad[bad.size() - 4] = 0xFF;
  Image image;
  std::string error;
  EXPECT_FALSE(decodeImage(bad.data(), bad.size(), image, error));
  EXPECT_EQ(error.rfind("damaged GIF: ", 0), 0u) << error;
  // Limits hold before anything is decoded.
  DecodeOptions tight;
  tight.maxWidth = 3;
  const std::vector<BYTE> gif = smallGif({0, 1, 2, 3}, false);
  EXPECT_FALSE(decodeImage(gif.data(), gif.size(), image, error, tight));
}

} // namespace
