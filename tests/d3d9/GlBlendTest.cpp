// Alpha test and frame-buffer blending.
#include "tests/support/ImageTest.h"

#include <cmath>

using namespace testsupport;

namespace {

const D3DCOLOR kBackground = D3DCOLOR_XRGB(0, 100, 200);

int blendChannel(double source, double dest, double sourceFactor, double destFactor) {
  return int(std::lround(std::min(1.0, source * sourceFactor + dest * destFactor) * 255));
}

class Blending : public ImageTest {
protected:
  void SetUp() override {
    ImageTest::SetUp();
    if (device) device->Clear(0, nullptr, D3DCLEAR_TARGET, kBackground, 1.0f, 0);
  }
};

TEST_P(Blending, AlphaTestComparesTheEightBitAlphaWithTheReference) {
  device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  struct Case {
    DWORD func, ref, alpha;
    bool drawn;
  };
  const Case cases[] = {
      {D3DCMP_GREATEREQUAL, 1, 0, false},     {D3DCMP_GREATEREQUAL, 1, 1, true},
      {D3DCMP_GREATEREQUAL, 128, 127, false}, {D3DCMP_GREATEREQUAL, 128, 128, true},
      {D3DCMP_GREATER, 128, 128, false},      {D3DCMP_LESS, 128, 127, true},
      {D3DCMP_EQUAL, 77, 77, true},           {D3DCMP_NOTEQUAL, 77, 77, false},
      {D3DCMP_NEVER, 0, 255, false},          {D3DCMP_ALWAYS, 255, 0, true},
      {D3DCMP_LESSEQUAL, 0x1FF, 0xFF, true}, // only the low 8 bits of the reference count
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    device->SetRenderState(D3DRS_ALPHAFUNC, cases[i].func);
    device->SetRenderState(D3DRS_ALPHAREF, cases[i].ref);
    drawRhwQuad(device, float(i * 10), 0, float(i * 10 + 5), 5, D3DCOLOR_ARGB(cases[i].alpha, 255, 255, 255));
  }
  finish();
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(gl.pixel(UINT(i * 10 + 2), 2) == (Rgba{255, 255, 255, 255}), cases[i].drawn) << "case " << i;
}

TEST_P(Blending, FactorsAndOperationsCombineSourceAndDestination) {
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  const D3DCOLOR source = D3DCOLOR_ARGB(0x40, 255, 128, 0);
  struct Case {
    DWORD src, dst, op;
  };
  const Case cases[] = {
      {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD}, // alpha blending
      {D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD},         // additive
      {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, D3DBLENDOP_ADD},       // multiply
      {D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT},
      {D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_MAX},
      {D3DBLEND_BOTHSRCALPHA, D3DBLEND_ZERO, D3DBLENDOP_ADD}, // same as SRCALPHA / INVSRCALPHA
      {D3DBLEND_BLENDFACTOR, D3DBLEND_INVBLENDFACTOR, D3DBLENDOP_ADD},
  };
  device->SetRenderState(D3DRS_BLENDFACTOR, D3DCOLOR_ARGB(0, 0x80, 0x80, 0x80));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    device->SetRenderState(D3DRS_SRCBLEND, cases[i].src);
    device->SetRenderState(D3DRS_DESTBLEND, cases[i].dst);
    device->SetRenderState(D3DRS_BLENDOP, cases[i].op);
    drawRhwQuad(device, float(i * 10), 0, float(i * 10 + 5), 5, source);
  }
  // Blending off again: the source is written as it is.
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  drawRhwQuad(device, 100, 0, 105, 5, source);
  finish();
  const double s[3] = {1.0, 128 / 255.0, 0.0}, d[3] = {0.0, 100 / 255.0, 200 / 255.0}, a = 0x40 / 255.0,
               f = 0x80 / 255.0;
  auto expect = [&](std::size_t i, auto channel) {
    const Rgba got = gl.pixel(UINT(i * 10 + 2), 2);
    const int values[3] = {got.r, got.g, got.b};
    for (int c = 0; c < 3; ++c)
      EXPECT_NEAR(values[c], channel(s[c], d[c]), 1) << "case " << i << " channel " << c;
  };
  expect(0, [&](double sc, double dc) { return blendChannel(sc, dc, a, 1 - a); });
  expect(1, [&](double sc, double dc) { return blendChannel(sc, dc, a, 1); });
  expect(2, [&](double sc, double dc) { return blendChannel(sc, dc, dc, 0); });
  expect(3, [&](double sc, double dc) { return int(std::lround(std::max(0.0, dc - sc) * 255)); });
  expect(4, [&](double sc, double dc) { return int(std::lround(std::max(sc, dc) * 255)); });
  expect(5, [&](double sc, double dc) { return blendChannel(sc, dc, a, 1 - a); });
  expect(6, [&](double sc, double dc) { return blendChannel(sc, dc, f, 1 - f); });
  EXPECT_EQ(gl.pixel(102, 2), (Rgba{255, 128, 0, 255}));
}

INSTANTIATE_IMAGE_TEST(Blending);

} // namespace
