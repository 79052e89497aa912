#include "tests/d3d9/ImageTest.h"

using namespace testsupport;

namespace {

class Basics : public ImageTest {};

TEST_P(Basics, ClearFillsTheViewportWithTheColour) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(200, 100, 50), 1.0f, 0);
  finish();
  EXPECT_EQ(gl.count({200, 100, 50, 255}), int(kImageWidth * kImageHeight));
}

TEST_P(Basics, PreTransformedQuadCoversExactlyThePixelsItNames) {
  drawRhwQuad(device, 10, 20, 30, 25, D3DCOLOR_XRGB(255, 255, 255));
  finish();
  EXPECT_EQ(gl.count({255, 255, 255, 255}), 20 * 5);
  EXPECT_EQ(gl.pixel(10, 20), (Rgba{255, 255, 255, 255}));
  EXPECT_EQ(gl.pixel(29, 24), (Rgba{255, 255, 255, 255}));
  EXPECT_EQ(gl.pixel(9, 20), (Rgba{0, 0, 0, 255}));
  EXPECT_EQ(gl.pixel(30, 24), (Rgba{0, 0, 0, 255}));
  EXPECT_EQ(gl.pixel(10, 19), (Rgba{0, 0, 0, 255}));
  EXPECT_EQ(gl.pixel(10, 25), (Rgba{0, 0, 0, 255}));
}

INSTANTIATE_IMAGE_TEST(Basics);

} // namespace
