// End-to-end runs of the labels over the picture: the time at the bottom right and the frame
// rate at the top left, as the saver's own screenshots show them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "tests/e2e/TickwoodFixture.h"

namespace {

using namespace e2e;

// The pixels of the overlay font's white glyphs inside a box of the picture, and the box
// they fill.
struct Ink {
  long count = 0;
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};
Ink inkIn(const d3dx9::Image& image, int x0, int y0, int x1, int y1) {
  Ink ink;
  for (int y = std::max(y0, 0); y < std::min<int>(y1, static_cast<int>(image.height)); ++y) {
    for (int x = std::max(x0, 0); x < std::min<int>(x1, static_cast<int>(image.width)); ++x) {
      const std::uint32_t pixel = image.at(static_cast<UINT>(x), static_cast<UINT>(y));
      if (((pixel >> 16) & 0xFF) < 230 || ((pixel >> 8) & 0xFF) < 230 || (pixel & 0xFF) < 230) continue;
      ++ink.count;
      ink.left = std::min(ink.left, x);
      ink.top = std::min(ink.top, y);
      ink.right = std::max(ink.right, x + 1);
      ink.bottom = std::max(ink.bottom, y + 1);
    }
  }
  return ink;
}

TEST_F(Tickwood, WithShowTimeTheTimeStandsInTheBottomRightCorner) {
  writeSettings("\"ShowTime\"=dword:00000001\n\"TimeStyle\"=dword:00000000\n");
  // Over the room, and over a frame that shows nothing of it, where the white glyphs are the
  // only white there is.
  const std::filesystem::path room = output_.file("time-room.png");
  auto r = run({"/s", "--seconds", "1.5", "--time", "15:07:09", "--screenshot", room.string()}, headless());
  EXPECT_EQ(r->wait(30s), 1);
  d3dx9::Image image;
  ASSERT_TRUE(readPicture(room, image));
  EXPECT_GT(inkIn(image, 1024 - 350, 768 - 74, 1024, 768).count, 1500);

  testsupport::TempDir overriding;
  overriding.write("Media/Scene.props", kGreenNothing);
  const std::filesystem::path shot = output_.file("time.png");
  auto p = runIn(overriding.path(), {"/s", "--seconds", "1.5", "--time", "15:07:09", "--screenshot", shot.string()},
                 headless());
  EXPECT_EQ(p->wait(30s), 1);
  EXPECT_EQ(withoutDescription(p->err()), kSaverLog);
  ASSERT_TRUE(readPicture(shot, image));
  ASSERT_EQ(image.width, 1024u);
  // "3:07:10 pm" in the 64-pixel font: inside the label's 350 x 74 at the corner, ending
  // within a glyph's rim of the right edge and a few pixels of the bottom.
  const Ink time = inkIn(image, 1024 - 350, 768 - 74, 1024, 768);
  EXPECT_GT(time.count, 1500);
  EXPECT_GT(time.right, 1024 - 12);
  EXPECT_GT(time.bottom, 768 - 20);
  EXPECT_GT(time.left, 1024 - 350);
  EXPECT_EQ(inkIn(image, 0, 0, 1024, 768).count, time.count);
}

TEST_F(Tickwood, TheFpsOptionShowsTheFrameRateAtTheTopLeftAfterASecond) {
  withoutLabels();
  testsupport::TempDir overriding;
  overriding.write("Media/Scene.props", kGreenNothing);
  const std::filesystem::path shot = output_.file("fps.png");
  auto p = runIn(overriding.path(), {"/s", "--fps", "--seconds", "1.6", "--screenshot", shot.string()}, headless());
  EXPECT_EQ(p->wait(30s), 1);
  d3dx9::Image image;
  ASSERT_TRUE(readPicture(shot, image));
  const Ink rate = inkIn(image, 10, 10, 10 + 256, 10 + 128);
  EXPECT_GT(rate.count, 300);
  EXPECT_LT(rate.bottom, 10 + 64);
  EXPECT_EQ(inkIn(image, 0, 0, 1024, 768).count, rate.count);
  // The option is for this run only: the settings keep "ShowFps" off.
  EXPECT_EQ(testsupport::TempDir::read(config_.path() / "tickwood" / "registry.reg").find("ShowFps"),
            std::string::npos);
}

} // namespace
