// Textures made by D3DX from image bytes, drawn by the OpenGL device.
#include "platform/d3d9/Diagnostics.h"
#include "platform/d3dx9/ImageEncoder.h"
#include "platform/d3dx9/d3dx9tex.h"
#include "tests/support/ImageTest.h"

#include <zlib.h>

#include <string>

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

// A PNG of a few hundred bytes whose header declares 16384 x 16384 pixels (a gigabyte
// decoded): refused from its header, before a byte of it is decoded.
TEST_P(D3dxOnGl, APngDeclaringMoreThanTheDeviceHoldsIsRefusedFromItsHeader) {
  d3dx9::Image small = d3dx9::blankImage(16, 16);
  std::vector<BYTE> png;
  ASSERT_TRUE(d3dx9::encodePng(small, false, png));
  // IHDR: length (4), "IHDR" (4), width (4), height (4) ... then its CRC over type and data.
  for (std::size_t at : {16u, 20u}) {
    png[at] = 0;
    png[at + 1] = 0;
    png[at + 2] = 0x40;
    png[at + 3] = 0;
  }
  const uLong crc = crc32(0, png.data() + 12, 17);
  for (int i = 0; i < 4; ++i)
    png[29 + i] = BYTE(crc >> (24 - 8 * i));
  d3d9::ReportCapture reports;
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(D3DXCreateTextureFromFileInMemory(device, png.data(), UINT(png.size()), &texture), D3DXERR_INVALIDDATA);
  EXPECT_EQ(texture, nullptr);
  ASSERT_EQ(reports.lines().size(), 1u);
  D3DCAPS9 caps{};
  device->GetDeviceCaps(&caps);
  const std::string expected =
      caps.MaxTextureWidth < 16384
          ? "D3DX: texture from memory: the image is larger than " + std::to_string(caps.MaxTextureWidth) + " x " +
                std::to_string(caps.MaxTextureHeight) + " (16384 x 16384)\n"
          : "D3DX: texture from memory: the image (16384 x 16384) needs 1024 MB, more than the " +
                std::to_string(device->GetAvailableTextureMem() >> 20) + " MB of texture memory\n";
  EXPECT_EQ(reports.lines()[0], expected);
  finish();
}

INSTANTIATE_IMAGE_TEST(D3dxOnGl);

} // namespace
