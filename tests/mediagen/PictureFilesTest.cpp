// Checks the pictures the program shows and links: the bitmaps' headers as the resource
// loader and BitBlt take them, their orientation and colour order, the start-up JPEG and
// the icon's transparency.
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

std::string linkedFile(const std::string& name) { return std::string(TICKWOOD_LINKED_STAGE) + "/" + name; }

std::uint32_t read32(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at])) |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + 3])) << 24;
}
std::uint16_t read16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(read32(bytes, at) & 0xFFFF);
}

struct Bitmap {
  int width = 0, height = 0;
  std::string bytes;
  // Red, green, blue of the pixel at (x, y) counted from the top.
  int channel(int x, int y, int rgb) const {
    const std::size_t row = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    const std::size_t at = 54 + row * static_cast<std::size_t>(height - 1 - y) + static_cast<std::size_t>(x) * 3;
    return static_cast<std::uint8_t>(bytes[at + 2 - static_cast<std::size_t>(rgb)]);
  }
  double brightness(int x0, int y0, int x1, int y1) const {
    double sum = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        sum += channel(x, y, 0) + channel(x, y, 1) + channel(x, y, 2);
    return sum / (3.0 * (x1 - x0) * (y1 - y0));
  }
};

// An uncompressed 24-bit bitmap with file header, as the resource linker and the
// preview's BitBlt expect.
Bitmap expectBitmap(const std::string& name, int width, int height) {
  Bitmap bitmap;
  bitmap.bytes = testsupport::TempDir::read(linkedFile(name));
  const std::string& b = bitmap.bytes;
  const std::size_t row = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  EXPECT_EQ(b.substr(0, 2), "BM") << name;
  if (b.size() < 54) {
    ADD_FAILURE() << name << " is too short";
    return bitmap;
  }
  EXPECT_EQ(read32(b, 2), b.size()) << name;
  EXPECT_EQ(read32(b, 10), 54u) << name;
  EXPECT_EQ(read32(b, 14), 40u) << name;
  EXPECT_EQ(static_cast<int>(read32(b, 18)), width) << name;
  EXPECT_EQ(static_cast<int>(read32(b, 22)), height) << name << " (positive: rows bottom-up)";
  EXPECT_EQ(read16(b, 26), 1) << name;
  EXPECT_EQ(read16(b, 28), 24) << name;
  EXPECT_EQ(read32(b, 30), 0u) << name << " must be uncompressed";
  EXPECT_EQ(b.size(), 54 + row * static_cast<std::size_t>(height)) << name << " rows must be padded to 4 bytes";
  bitmap.width = static_cast<int>(read32(b, 18));
  bitmap.height = static_cast<int>(read32(b, 22));
  return bitmap;
}

TEST(PictureFiles, BitmapsHaveTheirPlacesSizesAndShowTheIvoryDialRightWayUp) {
  struct Expected {
    const char* name;
    int width, height;
    double dialX, dialY; // where the dial's face is, as parts of the picture
  };
  // 173: the classic preview window; 155: the settings dialog's 172 x 114 unit frame;
  // 141: the About box's picture.
  for (const Expected& e :
       {Expected{"bitmap173.bmp", 152, 112, 0.5, 0.38}, Expected{"bitmap155.bmp", 258, 185, 0.58, 0.38},
        Expected{"bitmap141.bmp", 96, 96, 0.5, 0.5}}) {
    const Bitmap bitmap = expectBitmap(e.name, e.width, e.height);
    if (bitmap.width != e.width || bitmap.height != e.height) continue;
    const int x = static_cast<int>(e.dialX * e.width), y = static_cast<int>(e.dialY * e.height);
    // Just below the centre boss the face is bare ivory: light, and redder than blue.
    const int probeY = y + e.height / 14;
    EXPECT_GT(bitmap.brightness(x - 2, probeY, x + 3, probeY + 3), 150.0) << e.name;
    EXPECT_GT(bitmap.channel(x, probeY, 0), bitmap.channel(x, probeY, 2) + 15) << e.name << " has red and blue swapped";
    // The wall in the bottom corners is dark: the rows are not upside down.
    EXPECT_LT(bitmap.brightness(0, e.height - 4, 4, e.height), 60.0) << e.name;
  }
}

TEST(PictureFiles, LoadingPictureIsAColourJpegForTheWholeScreen) {
  d3dx9::Image loading;
  std::string error;
  ASSERT_TRUE(testsupport::readPicture(std::string(TICKWOOD_MEDIA_STAGE) + "/loading.jpg", loading, error)) << error;
  EXPECT_EQ(loading.fileType, D3DXIFF_JPG);
  EXPECT_EQ(loading.fileFormat, D3DFMT_X8R8G8B8); // colour, not grey
  EXPECT_EQ(loading.width, 1280u);
  EXPECT_EQ(loading.height, 800u);
}

TEST(PictureFiles, IconIsTheDialOnTransparency) {
  d3dx9::Image icon;
  std::string error;
  ASSERT_TRUE(testsupport::readPicture(linkedFile("icon.png"), icon, error)) << error;
  ASSERT_EQ(icon.width, 256u);
  ASSERT_EQ(icon.height, 256u);
  EXPECT_EQ(testsupport::alpha(icon.at(0, 0)), 0);
  EXPECT_EQ(testsupport::alpha(icon.at(255, 255)), 0);
  EXPECT_EQ(testsupport::alpha(icon.at(128, 150)), 255);
  EXPECT_EQ(testsupport::alpha(icon.at(128, 8)), 255) << "the bezel reaches the icon's edge";
}

} // namespace
