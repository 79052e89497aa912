// The image decoders: every format path, and damaged or hostile bytes.
#include "platform/d3d9/Diagnostics.h"
#include "platform/d3dx9/Image.h"
#include "platform/d3dx9/ImageEncoder.h"
#include "tests/support/Pictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

using namespace d3dx9;

namespace {

// A small image with distinct pixels, an alpha ramp and a transparent corner.
Image pattern(UINT width, UINT height, bool alpha) {
  Image image;
  image.width = width;
  image.height = height;
  for (UINT y = 0; y < height; ++y)
    for (UINT x = 0; x < width; ++x) {
      const std::uint32_t a = alpha ? (x * 255 / (width - 1)) : 255;
      image.pixels.push_back((a << 24) | ((x * 40 % 256) << 16) | ((y * 60 % 256) << 8) | ((x + y) * 20 % 256));
    }
  return image;
}

void expectSamePixels(const Image& decoded, const Image& expected, int tolerance = 0) {
  ASSERT_EQ(decoded.width, expected.width);
  ASSERT_EQ(decoded.height, expected.height);
  for (UINT y = 0; y < expected.height; ++y)
    for (UINT x = 0; x < expected.width; ++x) {
      const std::uint32_t a = decoded.at(x, y), b = expected.at(x, y);
      for (int shift = 0; shift < 32; shift += 8)
        ASSERT_LE(std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)), tolerance)
            << "pixel " << x << ", " << y << " shift " << shift;
    }
}

Image decoded(const std::vector<BYTE>& bytes, std::string* error = nullptr) {
  Image image;
  std::string message;
  const bool ok = decodeImage(bytes.data(), bytes.size(), image, message);
  if (error) *error = message;
  EXPECT_EQ(ok, error == nullptr) << message;
  return image;
}

TEST(ImageDecoder, PngKeepsEveryPixelAndSaysWhatItStored) {
  const Image source = pattern(7, 5, true);
  std::vector<BYTE> rgba, rgb;
  ASSERT_TRUE(encodePng(source, true, rgba));
  ASSERT_TRUE(encodePng(source, false, rgb));
  const Image withAlpha = decoded(rgba);
  expectSamePixels(withAlpha, source);
  EXPECT_EQ(withAlpha.fileFormat, D3DFMT_A8R8G8B8);
  EXPECT_EQ(withAlpha.fileType, D3DXIFF_PNG);
  Image opaque = pattern(7, 5, false);
  const Image withoutAlpha = decoded(rgb);
  expectSamePixels(withoutAlpha, opaque);
  EXPECT_EQ(withoutAlpha.fileFormat, D3DFMT_R8G8B8);
}

TEST(ImageDecoder, JpegDecodesColourAndGrey) {
  Image flat;
  flat.width = 16;
  flat.height = 8;
  flat.pixels.assign(16 * 8, 0xFF3080C0);
  std::vector<BYTE> colour, grey;
  ASSERT_TRUE(encodeJpeg(flat, 95, false, colour));
  const Image c = decoded(colour);
  expectSamePixels(c, flat, 3); // lossy, but a flat colour survives closely
  EXPECT_EQ(c.fileFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(c.fileType, D3DXIFF_JPG);
  ASSERT_TRUE(encodeJpeg(flat, 95, true, grey));
  const Image g = decoded(grey);
  EXPECT_EQ(g.fileFormat, D3DFMT_L8);
  const std::uint32_t p = g.at(3, 3);
  EXPECT_EQ((p >> 16) & 0xFF, p & 0xFF); // grey: the same in every channel
  EXPECT_NEAR(int(p & 0xFF), 0x30, 3);   // the encoder took the red channel
}

TEST(ImageDecoder, BmpAndTgaVariantsAgreeWithTheSource) {
  const Image source = pattern(5, 3, true);
  Image opaque = pattern(5, 3, false);
  Image bmp32 = decoded(encodeBmp(source, 32));
  expectSamePixels(bmp32, opaque); // a plain 32-bit bitmap has no alpha
  EXPECT_EQ(bmp32.fileFormat, D3DFMT_X8R8G8B8);
  EXPECT_EQ(decoded(encodeBmp(source, 24)).fileFormat, D3DFMT_R8G8B8);
  expectSamePixels(decoded(encodeBmp(source, 24)), opaque);
  for (bool rle : {false, true})
    for (bool topDown : {false, true}) {
      const Image tga = decoded(encodeTga(source, 32, rle, topDown));
      expectSamePixels(tga, source);
      EXPECT_EQ(tga.fileFormat, D3DFMT_A8R8G8B8);
      EXPECT_EQ(tga.fileType, D3DXIFF_TGA);
      expectSamePixels(decoded(encodeTga(source, 24, rle, topDown)), opaque);
    }
}

std::vector<BYTE> bitmapHeader(std::int32_t width, std::int32_t height, int bits, DWORD compression,
                               std::uint32_t paletteEntries, std::uint32_t pixelOffset) {
  std::vector<BYTE> out = {'B', 'M'};
  auto put32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      out.push_back(BYTE(v >> (8 * i)));
  };
  auto put16 = [&](std::uint32_t v) {
    out.push_back(BYTE(v));
    out.push_back(BYTE(v >> 8));
  };
  put32(0);
  put32(0);
  put32(pixelOffset);
  put32(40);
  put32(std::uint32_t(width));
  put32(std::uint32_t(height));
  put16(1);
  put16(std::uint32_t(bits));
  put32(compression);
  put32(0);
  put32(0);
  put32(0);
  put32(paletteEntries);
  put32(0);
  return out;
}

TEST(ImageDecoder, PalettedAndRunLengthAndBitFieldBitmaps) {
  // 8-bit, two palette entries, top-down 4x2.
  std::vector<BYTE> paletted = bitmapHeader(4, -2, 8, 0, 2, 54 + 8);
  for (BYTE b : {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00})
    paletted.push_back(b); // blue, red
  for (BYTE b : {0, 1, 0, 1, 1, 1, 0, 0})
    paletted.push_back(b);
  Image p = decoded(paletted);
  EXPECT_EQ(p.fileFormat, D3DFMT_P8);
  EXPECT_EQ(p.at(0, 0), 0xFFFF0000u); // B, G, R order in the palette: 00 00 FF is red
  EXPECT_EQ(p.at(1, 0), 0xFF0000FFu);
  EXPECT_EQ(p.at(0, 1), 0xFF0000FFu);

  // RLE8, bottom-up: the bottom row is a run of three 1s and a run of two 0s; the top row a
  // literal 1, 0, 1 (padded to an even length) and nothing more.
  std::vector<BYTE> rle = bitmapHeader(5, 2, 8, 1, 2, 54 + 8);
  for (BYTE b : {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00})
    rle.push_back(b);
  for (BYTE b : {3, 1, 2, 0, 0, 0, 0, 3, 1, 0, 1, 0, 0, 1})
    rle.push_back(b);
  Image r = decoded(rle);
  EXPECT_EQ(r.at(0, 1), 0xFF0000FFu);
  EXPECT_EQ(r.at(2, 1), 0xFF0000FFu);
  EXPECT_EQ(r.at(3, 1), 0xFFFF0000u);
  EXPECT_EQ(r.at(0, 0), 0xFF0000FFu);
  EXPECT_EQ(r.at(1, 0), 0xFFFF0000u);
  EXPECT_EQ(r.at(2, 0), 0xFF0000FFu);

  // 16-bit 5-6-5 through bit fields.
  std::vector<BYTE> fields = bitmapHeader(2, 1, 16, 3, 0, 54 + 12);
  for (std::uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu})
    for (int i = 0; i < 4; ++i)
      fields.push_back(BYTE(mask >> (8 * i)));
  for (BYTE b : {0x00, 0xF8, 0x1F, 0x00})
    fields.push_back(b);
  Image f = decoded(fields);
  EXPECT_EQ(f.fileFormat, D3DFMT_R5G6B5);
  EXPECT_EQ(f.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(f.at(1, 0), 0xFF0000FFu);
}

TEST(ImageDecoder, ColourMappedAndSixteenBitTargas) {
  // Colour-mapped, 2 entries of 24 bits, 2x1, top-down.
  const std::vector<BYTE> mapped = {0, 1, 1, 0, 0, 2,    0,    24, 0, 0, 0,    0,
                                    2, 0, 1, 0, 8, 0x20, 0xFF, 0,  0, 0, 0xFF, 0, // blue, green
                                    1, 0};
  Image m = decoded(mapped);
  EXPECT_EQ(m.fileFormat, D3DFMT_P8);
  EXPECT_EQ(m.at(0, 0), 0xFF00FF00u);
  EXPECT_EQ(m.at(1, 0), 0xFF0000FFu);
  // 16 bits with one alpha bit: A RRRRR GGGGG BBBBB.
  const std::vector<BYTE> sixteen = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0, 16, 0x21, 0x00, 0xFC, 0x1F, 0x00};
  Image s = decoded(sixteen);
  EXPECT_EQ(s.fileFormat, D3DFMT_A1R5G5B5);
  EXPECT_EQ(s.at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(s.at(1, 0), 0x000000FFu);
  // A true-colour image may carry a colour map of any entry size (here 20 bits, 3 bytes);
  // it is skipped, never read as colours (found by fuzzing: it once read past the file).
  const std::vector<BYTE> withMap = {0,    1,    2,   0, 0,  2, 0, 20, 0, 0, 0, 0,
                                     1,    0,    1,   0, 24, 0, 9, 9,  9, 9, 9, 9, // the map
                                     0x10, 0x20, 0x30};
  EXPECT_EQ(decoded(withMap).at(0, 0), 0xFF302010u);
}

TEST(ImageDecoder, TruncatedFilesFailCleanly) {
  const Image source = pattern(9, 7, true);
  std::vector<std::pair<std::string, std::vector<BYTE>>> files;
  std::vector<BYTE> png, jpeg;
  ASSERT_TRUE(encodePng(source, true, png));
  ASSERT_TRUE(encodeJpeg(source, 80, false, jpeg));
  files = {{"PNG", png}, {"JPEG", jpeg}, {"BMP", encodeBmp(source, 24)}, {"TGA", encodeTga(source, 32, true, false)}};
  for (const auto& [name, bytes] : files) {
    for (std::size_t keep : {bytes.size() - 1, bytes.size() / 2, std::size_t(20), std::size_t(3)}) {
      const std::vector<BYTE> cut(bytes.begin(), bytes.begin() + std::ptrdiff_t(keep));
      std::string error;
      decoded(cut, &error);
      EXPECT_FALSE(error.empty()) << name << " cut to " << keep;
    }
  }
  std::string error;
  decoded(std::vector<BYTE>(jpeg.begin(), jpeg.end() - 40), &error);
  EXPECT_EQ(error.rfind("damaged JPEG: ", 0), 0u) << error;
}

TEST(ImageDecoder, CorruptedBytesNeverCrashTheDecoders) {
  const Image source = pattern(16, 16, true);
  std::vector<BYTE> png, jpeg;
  ASSERT_TRUE(encodePng(source, true, png));
  ASSERT_TRUE(encodeJpeg(source, 80, false, jpeg));
  const std::vector<std::vector<BYTE>> originals = {png, jpeg, encodeBmp(source, 32),
                                                    encodeTga(source, 32, true, true)};
  std::mt19937 random(1234);
  for (const std::vector<BYTE>& original : originals) {
    for (int round = 0; round < 200; ++round) {
      std::vector<BYTE> bytes = original;
      const int flips = 1 + int(random() % 8);
      for (int i = 0; i < flips; ++i)
        bytes[random() % bytes.size()] ^= BYTE(1u << (random() % 8));
      Image image;
      std::string error;
      if (decodeImage(bytes.data(), bytes.size(), image, error)) {
        EXPECT_EQ(image.pixels.size(), std::size_t(image.width) * image.height);
      } else {
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(image.pixels.empty());
      }
    }
  }
}

TEST(ImageDecoder, RefusesImagesBeyondTheSizeLimit) {
  // Headers that claim 20000 x 10: nothing is allocated for them.
  const std::vector<BYTE> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x20, 0x4E, 10, 0, 32, 0};
  std::string error;
  decoded(tga, &error);
  EXPECT_EQ(error, "the image is larger than 16384 x 16384 (20000 x 10)");
  decoded(bitmapHeader(10, 20000, 24, 0, 0, 54), &error);
  EXPECT_EQ(error, "the image is larger than 16384 x 16384 (10 x 20000)");
  decoded(bitmapHeader(0, 4, 24, 0, 0, 54), &error);
  EXPECT_EQ(error, "damaged BMP: no pixels");
  Image wide;
  wide.width = 16385;
  wide.height = 1;
  wide.pixels.assign(16385, 0xFF000000);
  std::vector<BYTE> png;
  ASSERT_TRUE(encodePng(wide, false, png));
  decoded(png, &error);
  EXPECT_EQ(error.rfind("damaged PNG: ", 0), 0u) << error;
  decoded({'D', 'D', 'S', ' ', 0}, &error);
  EXPECT_EQ(error, "DDS files are not supported");
  decoded({1, 2, 3}, &error);
  EXPECT_FALSE(error.empty());
}

TEST(ImageDecoder, HeadersAloneTellSizeAndFormatWithoutPixels) {
  const Image source = pattern(37, 23, true);
  std::vector<BYTE> png, jpeg;
  ASSERT_TRUE(encodePng(source, true, png));
  ASSERT_TRUE(encodeJpeg(source, 90, true, jpeg));
  DecodeOptions headerOnly;
  headerOnly.headerOnly = true;
  for (const std::vector<BYTE>& bytes :
       {png, jpeg, encodeBmp(source, 32), encodeBmp(source, 24), encodeTga(source, 24, true, false)}) {
    const Image whole = decoded(bytes);
    Image header;
    std::string error;
    ASSERT_TRUE(decodeImage(bytes.data(), bytes.size(), header, error, headerOnly)) << error;
    EXPECT_EQ(header.width, 37u);
    EXPECT_EQ(header.height, 23u);
    EXPECT_EQ(header.fileWidth, 37u);
    EXPECT_EQ(header.fileHeight, 23u);
    EXPECT_TRUE(header.pixels.empty());
    EXPECT_EQ(header.fileFormat, whole.fileFormat);
    EXPECT_EQ(header.fileType, whole.fileType);
  }
}

TEST(ImageDecoder, LimitsRefuseBeforeAnythingIsAllocated) {
  // A header claiming 1024 x 1024 with no pixels behind it: only the limits can answer.
  const std::vector<BYTE> header = bitmapHeader(1024, 1024, 24, 0, 0, 54);
  DecodeOptions limits;
  limits.maxBytes = 1 << 20;
  Image image;
  std::string error;
  EXPECT_FALSE(decodeImage(header.data(), header.size(), image, error, limits));
  EXPECT_EQ(error, "the image (1024 x 1024) needs 4 MB, more than the 1 MB of texture memory");
  EXPECT_TRUE(image.pixels.empty());
  limits = DecodeOptions{};
  limits.maxWidth = limits.maxHeight = 1000;
  EXPECT_FALSE(decodeImage(header.data(), header.size(), image, error, limits));
  EXPECT_EQ(error, "the image is larger than 1000 x 1000 (1024 x 1024)");
}

TEST(ImageDecoder, JpegShrinksWhileDecodingToNoLessThanNeeded) {
  const Image source = testsupport::solidImage(64, 48, 0xFF3080C0u);
  std::vector<BYTE> jpeg;
  ASSERT_TRUE(encodeJpeg(source, 95, false, jpeg));
  const struct {
    UINT neededWidth, neededHeight, width, height;
  } cases[] = {{16, 12, 16, 12}, {17, 12, 32, 24}, {8, 1, 8, 6}, {1, 7, 16, 12}, {33, 1, 64, 48}, {0, 0, 64, 48}};
  for (const auto& c : cases) {
    DecodeOptions options;
    options.neededWidth = c.neededWidth;
    options.neededHeight = c.neededHeight;
    Image image;
    std::string error;
    ASSERT_TRUE(decodeImage(jpeg.data(), jpeg.size(), image, error, options)) << error;
    EXPECT_EQ(image.width, c.width) << c.neededWidth << " x " << c.neededHeight;
    EXPECT_EQ(image.height, c.height) << c.neededWidth << " x " << c.neededHeight;
    EXPECT_EQ(image.fileWidth, 64u);
    EXPECT_EQ(image.fileHeight, 48u);
    expectSamePixels(image, testsupport::solidImage(image.width, image.height, 0xFF3080C0u), 4);
  }
  // Within the limits once shrunk is within the limits.
  DecodeOptions tight;
  tight.maxWidth = tight.maxHeight = 20;
  tight.neededWidth = 16;
  Image image;
  std::string error;
  EXPECT_TRUE(decodeImage(jpeg.data(), jpeg.size(), image, error, tight)) << error;
}

} // namespace
