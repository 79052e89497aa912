// Textures made by D3DX from image bytes, drawn by the OpenGL device.
#include "platform/d3dx9/ImageEncoder.h"
#include "platform/d3dx9/d3dx9tex.h"
#include "tests/support/ImageTest.h"

using namespace testsupport;

namespace {

d3dx9::Image quarters() {
  // Red, green / blue, white quarters of 8 x 8; the white one is the colour key.
  d3dx9::Image image;
  image.width = image.height = 8;
  for (UINT y = 0; y < 8; ++y)
    for (UINT x = 0; x < 8; ++x)
      image.pixels.push_back(y < 4 ? (x < 4 ? 0xFFFF0000 : 0xFF00FF00) : (x < 4 ? 0xFF0000FF : 0xFFFFFFFF));
  return image;
}

class D3dxOnGl : public ImageTest {};

TEST_P(D3dxOnGl, JpegAndKeyedPngTexturesDrawAsTheirImages) {
  std::vector<BYTE> jpeg, png;
  ASSERT_TRUE(d3dx9::encodeJpeg(quarters(), 100, false, jpeg));
  ASSERT_TRUE(d3dx9::encodePng(quarters(), false, png));
  IDirect3DTexture9* photo = nullptr;
  IDirect3DTexture9* keyed = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileInMemory(device, jpeg.data(), UINT(jpeg.size()), &photo), D3D_OK);
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device, png.data(), UINT(png.size()), 0, 0, 1, 0, D3DFMT_UNKNOWN,
                                                D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0xFFFFFFFF,
                                                nullptr, nullptr, &keyed),
            D3D_OK);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTexture(0, photo);
  drawRhwTexturedQuad(device, 0, 0, 8, 8, 0xFFFFFFFF);
  // Keyed texels are transparent: with the alpha test they leave the background alone.
  device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  device->SetRenderState(D3DRS_ALPHAREF, 1);
  device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
  device->SetTexture(0, keyed);
  drawRhwTexturedQuad(device, 20, 0, 28, 8, 0xFFFFFFFF);
  // The GPU's own memory cannot be locked: D3DX fills it through a system-memory copy.
  IDirect3DTexture9* gpuOnly = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(device, png.data(), UINT(png.size()), 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                                D3DPOOL_DEFAULT, D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr, nullptr,
                                                &gpuOnly),
            D3D_OK);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  device->SetTexture(0, gpuOnly);
  drawRhwTexturedQuad(device, 40, 0, 48, 8, 0xFFFFFFFF);
  device->SetTexture(0, nullptr);
  photo->Release();
  keyed->Release();
  gpuOnly->Release();
  finish();
  EXPECT_TRUE(colorNear(gl.pixel(1, 1), {255, 0, 0, 255}, 6));
  EXPECT_TRUE(colorNear(gl.pixel(6, 1), {0, 255, 0, 255}, 6));
  EXPECT_TRUE(colorNear(gl.pixel(1, 6), {0, 0, 255, 255}, 6));
  EXPECT_TRUE(colorNear(gl.pixel(6, 6), {255, 255, 255, 255}, 6));
  EXPECT_EQ(gl.pixel(21, 1), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(gl.pixel(26, 6), (Rgba{0, 0, 0, 255})); // keyed away
  EXPECT_EQ(gl.pixel(41, 1), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(gl.pixel(46, 6), (Rgba{255, 255, 255, 255}));
}

INSTANTIATE_IMAGE_TEST(D3dxOnGl);

} // namespace
