// Image tests of the things Direct3D 9 and OpenGL do differently: origin, pixel centres,
// depth range, winding, plus clears, depth tests and the gamma ramp at present.
#include "tests/support/ImageTest.h"

#include <cstdlib>

using namespace testsupport;

namespace {

const Rgba kBlack{0, 0, 0, 255};
const Rgba kWhite{255, 255, 255, 255};
const Rgba kRed{255, 0, 0, 255};
const Rgba kGreen{0, 255, 0, 255};

struct Vertex {
  float x, y, z;
  D3DCOLOR color;
};
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE;

void drawTriangle(IDirect3DDevice9* device, const float (&xy)[6], float z, D3DCOLOR color) {
  const Vertex v[3] = {{xy[0], xy[1], z, color}, {xy[2], xy[3], z, color}, {xy[4], xy[5], z, color}};
  device->SetFVF(kFvf);
  device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof(Vertex));
}

void drawQuad(IDirect3DDevice9* device, float left, float top, float right, float bottom, float z, D3DCOLOR color) {
  const Vertex v[4] = {{left - 0.5f, top - 0.5f, z, color},
                       {right - 0.5f, top - 0.5f, z, color},
                       {left - 0.5f, bottom - 0.5f, z, color},
                       {right - 0.5f, bottom - 0.5f, z, color}};
  device->SetFVF(kFvf);
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(Vertex));
}

// Checks the rectangle [left, right) x [top, bottom) is `inside` and its border `outside`.
void expectRectangle(const GlTestDevice& gl, UINT left, UINT top, UINT right, UINT bottom, const Rgba& inside) {
  EXPECT_EQ(gl.count(inside), int((right - left) * (bottom - top)));
  EXPECT_EQ(gl.pixel(left, top), inside);
  EXPECT_EQ(gl.pixel(right - 1, bottom - 1), inside);
  EXPECT_NE(gl.pixel(left - 1, top), inside);
  EXPECT_NE(gl.pixel(right, bottom - 1), inside);
  EXPECT_NE(gl.pixel(left, top - 1), inside);
  EXPECT_NE(gl.pixel(right - 1, bottom), inside);
}

class Basics : public ImageTest {};

TEST_P(Basics, ClearFillsTheViewportOrTheRectanglesWithinIt) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(200, 100, 50), 1.0f, 0);
  D3DVIEWPORT9 viewport{20, 30, 40, 20, 0.0f, 1.0f};
  device->SetViewport(&viewport);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 255), 1.0f, 0);
  const D3DRECT rects[2] = {{0, 0, 25, 35}, {100, 100, 120, 110}}; // the second lies outside the viewport
  device->Clear(2, rects, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 255, 0), 1.0f, 0);
  finish();
  EXPECT_EQ(gl.count({200, 100, 50, 255}), int(kImageWidth * kImageHeight - 40 * 20));
  EXPECT_EQ(gl.count(kGreen), 5 * 5);
  EXPECT_EQ(gl.pixel(20, 30), kGreen);
  EXPECT_EQ(gl.pixel(25, 35), (Rgba{0, 0, 255, 255}));
  EXPECT_EQ(gl.pixel(59, 49), (Rgba{0, 0, 255, 255}));
}

TEST_P(Basics, PreTransformedQuadCoversExactlyThePixelsItNames) {
  drawRhwQuad(device, 10, 20, 30, 25, D3DCOLOR_XRGB(255, 255, 255));
  drawRhwQuad(device, 0, 0, 1, 1, D3DCOLOR_XRGB(255, 0, 0)); // the top-left pixel is (0, 0)
  finish();
  expectRectangle(gl, 10, 20, 30, 25, kWhite);
  EXPECT_EQ(gl.pixel(0, 0), kRed);
  EXPECT_EQ(gl.count(kRed), 1);
}

TEST_P(Basics, TransformedQuadLandsOnTheSamePixelsAsOnDirect3D) {
  setPixelProjection(device);
  drawQuad(device, 40, 50, 47, 60, 10.0f, D3DCOLOR_XRGB(255, 255, 255));
  // A viewport moves transformed geometry but keeps its pixel alignment.
  D3DVIEWPORT9 viewport{100, 10, kImageWidth - 100, kImageHeight - 10, 0.0f, 1.0f};
  device->SetViewport(&viewport);
  D3DMATRIX p{};
  p._11 = 2.0f / viewport.Width;
  p._22 = -2.0f / viewport.Height;
  p._33 = 0.01f;
  p._41 = -1.0f;
  p._42 = 1.0f;
  p._44 = 1.0f;
  device->SetTransform(D3DTS_PROJECTION, &p);
  drawQuad(device, 2, 3, 6, 4, 10.0f, D3DCOLOR_XRGB(255, 0, 0));
  finish();
  expectRectangle(gl, 40, 50, 47, 60, kWhite);
  expectRectangle(gl, 102, 13, 106, 14, kRed);
}

TEST_P(Basics, LinesCoverTheirLastPixelUnlessToldNot) {
  // Rows of pre-transformed lines between x = 10 and x = 20 (pixel centres): a list, a
  // strip, an indexed list drawn from right to left, and a list with D3DRS_LASTPIXEL off.
  const RhwVertex list[4] = {{10, 5, 0.5f, 1, 0xFFFFFFFF},
                             {20, 5, 0.5f, 1, 0xFFFFFFFF},
                             {10, 7, 0.5f, 1, 0xFFFFFFFF},
                             {20, 7, 0.5f, 1, 0xFFFFFFFF}};
  const RhwVertex strip[3] = {
      {10, 20, 0.5f, 1, 0xFFFFFFFF}, {15, 20, 0.5f, 1, 0xFFFFFFFF}, {20, 20, 0.5f, 1, 0xFFFFFFFF}};
  const WORD indices[2] = {1, 0};
  const RhwVertex indexed[2] = {{10, 30, 0.5f, 1, 0xFFFFFFFF}, {20, 30, 0.5f, 1, 0xFFFFFFFF}};
  const RhwVertex unlit[2] = {{10, 40, 0.5f, 1, 0xFFFFFFFF}, {20, 40, 0.5f, 1, 0xFFFFFFFF}};
  device->SetFVF(kRhwFvf);
  device->DrawPrimitiveUP(D3DPT_LINELIST, 2, list, sizeof(RhwVertex));
  device->DrawPrimitiveUP(D3DPT_LINESTRIP, 2, strip, sizeof(RhwVertex));
  device->DrawIndexedPrimitiveUP(D3DPT_LINELIST, 0, 2, 1, indices, D3DFMT_INDEX16, indexed, sizeof(RhwVertex));
  device->SetRenderState(D3DRS_LASTPIXEL, FALSE);
  device->DrawPrimitiveUP(D3DPT_LINELIST, 1, unlit, sizeof(RhwVertex));
  device->SetRenderState(D3DRS_LASTPIXEL, TRUE);
  // A wide point size is the points' own business: the last pixel stays one pixel.
  device->SetRenderState(D3DRS_POINTSIZE, 0x40800000); // 4.0f
  const RhwVertex wide[2] = {{10, 50, 0.5f, 1, 0xFFFFFFFF}, {20, 50, 0.5f, 1, 0xFFFFFFFF}};
  device->DrawPrimitiveUP(D3DPT_LINELIST, 1, wide, sizeof(RhwVertex));
  finish();
  auto litInRow = [&](UINT y) {
    int lit = 0;
    for (UINT x = 0; x < kImageWidth; ++x)
      lit += gl.pixel(x, y) == kWhite;
    return lit;
  };
  for (UINT row : {5u, 7u, 20u, 30u, 50u}) {
    EXPECT_EQ(litInRow(row), 11) << "row " << row;
    EXPECT_EQ(gl.pixel(10, row), kWhite) << "row " << row;
    EXPECT_EQ(gl.pixel(20, row), kWhite) << "row " << row;
  }
  EXPECT_EQ(litInRow(40), 10);
  EXPECT_EQ(litInRow(49) + litInRow(51), 0);
}

TEST_P(Basics, CullModeRemovesTheFacesItNames) {
  setPixelProjection(device);
  const float clockwise[6] = {10, 10, 50, 10, 10, 50};         // right, then down-left on screen
  const float counterClockwise[6] = {90, 10, 90, 50, 130, 10}; // down, then up-right
  const D3DCULL modes[3] = {D3DCULL_CCW, D3DCULL_CW, D3DCULL_NONE};
  for (int i = 0; i < 3; ++i) {
    device->SetRenderState(D3DRS_CULLMODE, modes[i]);
    const float dy = 40.0f * float(i);
    const float cw[6] = {clockwise[0],      clockwise[1] + dy, clockwise[2],
                         clockwise[3] + dy, clockwise[4],      clockwise[5] + dy};
    const float ccw[6] = {counterClockwise[0],      counterClockwise[1] + dy, counterClockwise[2],
                          counterClockwise[3] + dy, counterClockwise[4],      counterClockwise[5] + dy};
    drawTriangle(device, cw, 10.0f, D3DCOLOR_XRGB(255, 255, 255));
    drawTriangle(device, ccw, 10.0f, D3DCOLOR_XRGB(255, 255, 255));
  }
  finish();
  // Row 0: default CCW culling keeps Direct3D's clockwise front faces.
  EXPECT_EQ(gl.pixel(15, 15), kWhite);
  EXPECT_EQ(gl.pixel(95, 15), kBlack);
  // Row 1: CW culling keeps the counter-clockwise ones.
  EXPECT_EQ(gl.pixel(15, 55), kBlack);
  EXPECT_EQ(gl.pixel(95, 55), kWhite);
  // Row 2: no culling keeps both.
  EXPECT_EQ(gl.pixel(15, 95), kWhite);
  EXPECT_EQ(gl.pixel(95, 95), kWhite);
}

TEST_P(Basics, DepthFunctionAndWritesDecideWhatStays) {
  // Left: LESSEQUAL keeps the near red quad in front of the far green one.
  drawRhwQuad(device, 0, 0, 40, 40, D3DCOLOR_XRGB(255, 0, 0), 0.3f);
  drawRhwQuad(device, 0, 0, 40, 40, D3DCOLOR_XRGB(0, 255, 0), 0.6f);
  // Middle: GREATER lets the far quad through.
  drawRhwQuad(device, 50, 0, 90, 40, D3DCOLOR_XRGB(255, 0, 0), 0.3f);
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
  drawRhwQuad(device, 50, 0, 90, 40, D3DCOLOR_XRGB(0, 255, 0), 0.6f);
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  // Right: a near quad that writes no depth does not hide a far one drawn later.
  device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  drawRhwQuad(device, 100, 0, 140, 40, D3DCOLOR_XRGB(255, 0, 0), 0.3f);
  device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  drawRhwQuad(device, 100, 0, 140, 40, D3DCOLOR_XRGB(0, 255, 0), 0.6f);
  // Bottom: the depth clear value and D3DRS_ZENABLE off.
  device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.5f, 0);
  drawRhwQuad(device, 0, 60, 40, 100, D3DCOLOR_XRGB(255, 0, 0), 0.6f); // behind the cleared depth
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  drawRhwQuad(device, 50, 60, 90, 100, D3DCOLOR_XRGB(0, 255, 0), 0.9f);
  finish();
  EXPECT_EQ(gl.pixel(20, 20), kRed);
  EXPECT_EQ(gl.pixel(70, 20), kGreen);
  EXPECT_EQ(gl.pixel(120, 20), kGreen);
  EXPECT_EQ(gl.pixel(20, 80), kBlack);
  EXPECT_EQ(gl.pixel(70, 80), kGreen);
}

TEST_P(Basics, TransformedDepthUsesDirect3DsZeroToOneRange) {
  // With the near plane at 1 and the far one at 100, a point at z = 1.5 projects to a
  // small depth and one at z = 99 to a large one: the nearer must win with LESS.
  D3DMATRIX p{};
  p._11 = 1.0f;
  p._22 = 1.0f;
  p._33 = 100.0f / 99.0f;
  p._34 = 1.0f;
  p._43 = -100.0f / 99.0f;
  device->SetTransform(D3DTS_PROJECTION, &p);
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.02f, 0);
  // Depth of z = 1.5 is (1.5 - 1) * 100 / 99 / 1.5 = 0.3367; of z = 1.01 it is 0.01.
  const Vertex farther[3] = {
      {-1.5f, 1.5f, 1.5f, 0xFFFF0000}, {1.5f, 1.5f, 1.5f, 0xFFFF0000}, {-1.5f, -1.5f, 1.5f, 0xFFFF0000}};
  const Vertex nearer[3] = {
      {-1.01f, 1.01f, 1.01f, 0xFF00FF00}, {1.01f, 1.01f, 1.01f, 0xFF00FF00}, {-1.01f, -1.01f, 1.01f, 0xFF00FF00}};
  device->SetFVF(kFvf);
  device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, farther, sizeof(Vertex)); // behind the cleared 0.02
  device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, nearer, sizeof(Vertex));  // in front of it
  finish();
  EXPECT_EQ(gl.pixel(40, 30), kGreen);
  EXPECT_EQ(gl.count(kRed), 0);
}

TEST_P(Basics, GammaRampIsAppliedAtPresent) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(100, 150, 200), 1.0f, 0);
  D3DGAMMARAMP inverted;
  for (int i = 0; i < 256; ++i) {
    inverted.red[i] = WORD((255 - i) * 257);
    inverted.green[i] = WORD(i * 257);
    inverted.blue[i] = WORD(i * 128); // about half
  }
  device->SetGammaRamp(0, D3DSGR_CALIBRATE, &inverted);
  finish();
  EXPECT_EQ(gl.pixel(0, 0), (Rgba{155, 150, 100, 255}));
  // The back buffer itself is untouched: the identity ramp shows it as it was drawn.
  D3DGAMMARAMP identity;
  for (int i = 0; i < 256; ++i)
    identity.red[i] = identity.green[i] = identity.blue[i] = WORD(i * 257);
  device->SetGammaRamp(0, D3DSGR_NO_CALIBRATION, &identity);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(100, 150, 200), 1.0f, 0);
  ASSERT_TRUE(gl.presentAndRead());
  EXPECT_EQ(gl.pixel(0, 0), (Rgba{100, 150, 200, 255}));
  D3DGAMMARAMP read;
  device->GetGammaRamp(0, &read);
  EXPECT_EQ(read.blue[255], 255 * 257);
}

// A ramp changed after frames that drew with textures (a lightning flash over the room, then
// the normal ramp again) must reach the screen, and must not land in a drawn texture.
TEST_P(Basics, ARampChangedAfterTexturedFramesIsTheOneApplied) {
  D3DGAMMARAMP bright, identity;
  for (int i = 0; i < 256; ++i) {
    bright.red[i] = bright.green[i] = bright.blue[i] = 0xFFFF;
    identity.red[i] = identity.green[i] = identity.blue[i] = WORD(i * 257);
  }
  IDirect3DTexture9* texture = nullptr;
  // As wide as a ramp: an upload meant for the ramp would fit into its first row.
  ASSERT_EQ(device->CreateTexture(256, 4, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 256; ++x)
      static_cast<DWORD*>(locked.pBits)[y * locked.Pitch / 4 + x] = 0xFF204060;
  texture->UnlockRect(0);
  device->SetGammaRamp(0, D3DSGR_CALIBRATE, &bright);
  // Frames presented without reading them back, as a run presents them.
  const D3DGAMMARAMP* ramps[] = {&bright, &bright, &identity, &identity};
  for (const D3DGAMMARAMP* ramp : ramps) {
    device->SetGammaRamp(0, D3DSGR_CALIBRATE, ramp);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(100, 150, 200), 1.0f, 0);
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    struct TexturedVertex {
      float x, y, z, rhw, u, v;
    };
    const TexturedVertex quad[4] = {
        {-0.5f, -0.5f, 0, 1, 0, 0}, {9.5f, -0.5f, 0, 1, 1, 0}, {-0.5f, 9.5f, 0, 1, 0, 1}, {9.5f, 9.5f, 0, 1, 1, 1}};
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TexturedVertex));
    if (ramp != ramps[3]) {
      ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    }
  }
  ASSERT_TRUE(gl.presentAndRead());
  EXPECT_EQ(gl.pixel(40, 40), (Rgba{100, 150, 200, 255}));
  for (UINT y = 0; y < 10; ++y)
    EXPECT_EQ(gl.pixel(2, y), (Rgba{0x20, 0x40, 0x60, 255})) << y; // the texture kept its texels
  device->SetTexture(0, nullptr);
  texture->Release();
}

TEST_P(Basics, ScissorAndColourMaskLimitWhatIsWritten) {
  const RECT scissor{10, 10, 20, 15};
  device->SetScissorRect(&scissor);
  device->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
  drawRhwQuad(device, 0, 0, 60, 60, D3DCOLOR_XRGB(255, 255, 255));
  device->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
  device->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_BLUE);
  drawRhwQuad(device, 100, 0, 110, 10, D3DCOLOR_XRGB(255, 255, 255));
  finish();
  expectRectangle(gl, 10, 10, 20, 15, kWhite);
  EXPECT_EQ(gl.pixel(105, 5), (Rgba{255, 0, 255, 255}));
}

INSTANTIATE_IMAGE_TEST(Basics);

// The same pictures where OpenGL maps clip space its own way: the shaders then flip y and
// remap depth themselves.
class WithoutClipControl : public ImageTest {
protected:
  void SetUp() override {
    setenv("TICKWOOD_D3D9_NO_CLIP_CONTROL", "1", 1);
    ImageTest::SetUp();
  }
  void TearDown() override { unsetenv("TICKWOOD_D3D9_NO_CLIP_CONTROL"); }
};

TEST_P(WithoutClipControl, OriginPixelCentresWindingAndDepthStillMatch) {
  setPixelProjection(device);
  drawQuad(device, 40, 50, 47, 60, 10.0f, D3DCOLOR_XRGB(255, 255, 255));
  drawRhwQuad(device, 0, 0, 1, 1, D3DCOLOR_XRGB(255, 0, 0));
  const float counterClockwise[6] = {90, 10, 90, 50, 130, 10};
  drawTriangle(device, counterClockwise, 10.0f, D3DCOLOR_XRGB(255, 255, 255)); // culled
  drawRhwQuad(device, 100, 80, 140, 110, D3DCOLOR_XRGB(0, 255, 0), 0.3f);
  drawRhwQuad(device, 100, 80, 140, 110, D3DCOLOR_XRGB(255, 0, 0), 0.6f); // behind
  finish();
  expectRectangle(gl, 40, 50, 47, 60, kWhite);
  EXPECT_EQ(gl.pixel(0, 0), kRed);
  EXPECT_EQ(gl.pixel(95, 15), kBlack);
  EXPECT_EQ(gl.pixel(120, 90), kGreen);
}

INSTANTIATE_IMAGE_TEST(WithoutClipControl);

class Multisampled : public ImageTest {
protected:
  PresentParameters parameters() const override {
    PresentParameters p;
    p.multisample = D3DMULTISAMPLE_4_SAMPLES;
    return p;
  }
};

TEST_P(Multisampled, ResolvesBeforePresenting) {
  drawRhwQuad(device, 10, 20, 30, 25, D3DCOLOR_XRGB(255, 255, 255));
  finish();
  expectRectangle(gl, 10, 20, 30, 25, kWhite);
}

INSTANTIATE_IMAGE_TEST(Multisampled);

} // namespace
