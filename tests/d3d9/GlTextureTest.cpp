// Textures: every format the stand-in offers, partial uploads, levels, sampler states,
// coordinate sets, texture transforms and generated coordinates.
#include "tests/support/ImageTest.h"

#include "platform/d3d9/FormatInfo.h"
#include "platform/d3d9/Resources.h"

#include <cmath>
#include <cstring>
#include <vector>

using namespace testsupport;

namespace {

// Fills level `level` row by row from 32-bit-or-smaller texel values.
template <class Texel> void fill(IDirect3DTexture9* texture, UINT level, const std::vector<Texel>& texels, UINT width) {
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
  const UINT height = UINT(texels.size()) / width;
  for (UINT y = 0; y < height; ++y)
    std::memcpy(static_cast<BYTE*>(locked.pBits) + std::size_t(y) * UINT(locked.Pitch), &texels[y * width],
                width * sizeof(Texel));
  texture->UnlockRect(0 + level);
}

IDirect3DTexture9* makeTexture(IDirect3DDevice9* device, UINT width, UINT height, D3DFORMAT format, UINT levels = 1) {
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(device->CreateTexture(width, height, levels, 0, format, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  return texture;
}

class Textures : public ImageTest {
protected:
  void SetUp() override {
    ImageTest::SetUp();
    if (!device) return;
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  }
  // Draws the texture 1:1 (point sampled) at the top-left corner of a cell.
  void drawTexture(IDirect3DTexture9* texture, float left, float top, float width, float height,
                   bool showAlpha = false) {
    device->SetTexture(0, texture);
    device->SetTextureStageState(1, D3DTSS_COLOROP, showAlpha ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT | D3DTA_ALPHAREPLICATE);
    drawRhwTexturedQuad(device, left, top, left + width, top + height, 0xFFFFFFFF);
  }
};

TEST_P(Textures, EveryFormatUploadsAsDirect3DLaysItOut) {
  struct Format {
    D3DFORMAT format;
    std::vector<BYTE> texels; // 2x1, little-endian as Direct3D stores them
    Rgba left, right;         // colour seen
    int leftAlpha, rightAlpha;
  };
  const std::vector<Format> formats = {
      {D3DFMT_A8R8G8B8,
       {0x30, 0x20, 0x10, 0x80, 0xFF, 0xFF, 0xFF, 0x00},
       {0x10, 0x20, 0x30, 255},
       {255, 255, 255, 255},
       0x80,
       0},
      {D3DFMT_X8R8G8B8,
       {0x30, 0x20, 0x10, 0x00, 0x00, 0x00, 0xFF, 0x00},
       {0x10, 0x20, 0x30, 255},
       {255, 0, 0, 255},
       255,
       255},
      {D3DFMT_R8G8B8, {0x30, 0x20, 0x10, 0x00, 0xFF, 0x00}, {0x10, 0x20, 0x30, 255}, {0, 255, 0, 255}, 255, 255},
      {D3DFMT_R5G6B5, {0x00, 0xF8, 0xE0, 0x07}, {255, 0, 0, 255}, {0, 255, 0, 255}, 255, 255},
      {D3DFMT_X1R5G5B5, {0x1F, 0x00, 0x00, 0x7C}, {0, 0, 255, 255}, {255, 0, 0, 255}, 255, 255},
      {D3DFMT_A1R5G5B5, {0x1F, 0x80, 0xE0, 0x03}, {0, 0, 255, 255}, {0, 255, 0, 255}, 255, 0},
      {D3DFMT_A4R4G4B4, {0x0F, 0xF0, 0xF0, 0x0F}, {0, 0, 255, 255}, {255, 255, 0, 255}, 255, 0},
      {D3DFMT_L8, {0x80, 0xFF}, {128, 128, 128, 255}, {255, 255, 255, 255}, 255, 255},
      {D3DFMT_A8, {0x40, 0xC0}, {0, 0, 0, 255}, {0, 0, 0, 255}, 0x40, 0xC0},
      {D3DFMT_A8L8, {0x40, 0xC0, 0xFF, 0x10}, {0x40, 0x40, 0x40, 255}, {255, 255, 255, 255}, 0xC0, 0x10},
  };
  for (std::size_t i = 0; i < formats.size(); ++i) {
    const Format& f = formats[i];
    IDirect3DTexture9* texture = makeTexture(device, 2, 1, f.format);
    ASSERT_NE(texture, nullptr) << f.format;
    fill(texture, 0, f.texels, UINT(f.texels.size()));
    drawTexture(texture, float(i * 4), 0, 2, 1);
    drawTexture(texture, float(i * 4), 2, 2, 1, true);
    device->SetTexture(0, nullptr);
    texture->Release();
  }
  finish();
  for (std::size_t i = 0; i < formats.size(); ++i) {
    const Format& f = formats[i];
    const UINT x = UINT(i * 4);
    EXPECT_TRUE(colorNear(gl.pixel(x, 0), f.left, 1)) << "format " << f.format;
    EXPECT_TRUE(colorNear(gl.pixel(x + 1, 0), f.right, 1)) << "format " << f.format;
    EXPECT_NEAR(gl.pixel(x, 2).r, f.leftAlpha, 1) << "alpha of format " << f.format;
    EXPECT_NEAR(gl.pixel(x + 1, 2).r, f.rightAlpha, 1) << "alpha of format " << f.format;
  }
}

TEST_P(Textures, CompressedBlocksDecodeAsDxt) {
  // One 4x4 block per texture: colour 0 red, colour 1 blue (565), left half index 0,
  // right half index 1.
  const BYTE colorBlock[8] = {0x00, 0xF8, 0x1F, 0x00, 0x50, 0x50, 0x50, 0x50};
  std::vector<BYTE> dxt1(colorBlock, colorBlock + 8);
  std::vector<BYTE> dxt3 = {0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF}; // alpha 0 left, 15 right
  dxt3.insert(dxt3.end(), colorBlock, colorBlock + 8);
  // DXT5 alpha: endpoints 255 and 0, all indices 0 (alpha 255).
  std::vector<BYTE> dxt5 = {0xFF, 0x00, 0, 0, 0, 0, 0, 0};
  dxt5.insert(dxt5.end(), colorBlock, colorBlock + 8);
  const std::pair<D3DFORMAT, std::vector<BYTE>> blocks[3] = {
      {D3DFMT_DXT1, dxt1}, {D3DFMT_DXT3, dxt3}, {D3DFMT_DXT5, dxt5}};
  for (int i = 0; i < 3; ++i) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, blocks[i].first, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, INT(blocks[i].second.size()));
    std::memcpy(locked.pBits, blocks[i].second.data(), blocks[i].second.size());
    texture->UnlockRect(0);
    drawTexture(texture, float(i * 10), 0, 4, 4);
    drawTexture(texture, float(i * 10), 10, 4, 4, true);
    device->SetTexture(0, nullptr);
    texture->Release();
  }
  finish();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(gl.pixel(i * 10, 0), (Rgba{255, 0, 0, 255})) << i;
    EXPECT_EQ(gl.pixel(i * 10 + 3, 3), (Rgba{0, 0, 255, 255})) << i;
  }
  EXPECT_EQ(gl.pixel(10, 10).r, 0);   // DXT3 explicit alpha 0
  EXPECT_EQ(gl.pixel(13, 10).r, 255); // and 15
  EXPECT_EQ(gl.pixel(20, 10).r, 255); // DXT5 interpolated alpha at endpoint 0
}

TEST_P(Textures, PartialLockUpdatesOnlyItsRectangle) {
  IDirect3DTexture9* texture = makeTexture(device, 4, 4, D3DFMT_A8R8G8B8);
  fill(texture, 0, std::vector<D3DCOLOR>(16, 0xFFFF0000), 4);
  const RECT middle{1, 1, 3, 3};
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, &middle, 0), D3D_OK);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) {
      const D3DCOLOR green = 0xFF00FF00;
      std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch + x * 4, &green, 4);
    }
  texture->UnlockRect(0);
  drawTexture(texture, 0, 0, 4, 4);
  device->SetTexture(0, nullptr);
  texture->Release();
  finish();
  EXPECT_EQ(gl.pixel(0, 0), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(gl.pixel(1, 1), (Rgba{0, 255, 0, 255}));
  EXPECT_EQ(gl.pixel(2, 2), (Rgba{0, 255, 0, 255}));
  EXPECT_EQ(gl.pixel(3, 2), (Rgba{255, 0, 0, 255}));
}

TEST_P(Textures, ManagedLevelsLiveInTheBackEndAndReadBackOnTheNextLock) {
  // The system copy of a managed texture goes at each unlock; a later lock (partial, or
  // read-only) must still see every texel as written, in each layout the formats use.
  struct Case {
    D3DFORMAT format;
    UINT width, height;
  };
  const Case cases[] = {{D3DFMT_A8R8G8B8, 8, 4}, {D3DFMT_R8G8B8, 3, 5}, {D3DFMT_R5G6B5, 5, 3}, {D3DFMT_L8, 7, 2},
                        {D3DFMT_A8L8, 3, 3},     {D3DFMT_DXT1, 8, 8},   {D3DFMT_DXT5, 4, 8}};
  for (const Case& c : cases) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(c.width, c.height, 0, 0, c.format, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK)
        << c.format;
    auto* resource = static_cast<d3d9::Texture*>(texture);
    std::vector<std::vector<BYTE>> written(texture->GetLevelCount());
    for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
      D3DSURFACE_DESC desc;
      texture->GetLevelDesc(level, &desc);
      written[level].resize(d3d9::levelSize(c.format, desc.Width, desc.Height));
      for (std::size_t i = 0; i < written[level].size(); ++i)
        written[level][i] = BYTE(i * 37 + level * 11 + 5);
      D3DLOCKED_RECT locked;
      ASSERT_EQ(texture->LockRect(level, &locked, nullptr, 0), D3D_OK);
      std::memcpy(locked.pBits, written[level].data(), written[level].size());
      texture->UnlockRect(level);
    }
    EXPECT_EQ(resource->systemMemoryBytes(), 0u) << c.format;
    for (UINT level = 0; level < texture->GetLevelCount(); ++level) {
      D3DLOCKED_RECT locked;
      ASSERT_EQ(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
      const auto* bytes = static_cast<const BYTE*>(locked.pBits);
      std::vector<BYTE> seen(bytes, bytes + written[level].size());
      texture->UnlockRect(level);
      // X8 and unused bits are the device's to fill; these formats have none.
      EXPECT_EQ(seen, written[level]) << "format " << c.format << " level " << level;
    }
    texture->Release();
  }
}

TEST_P(Textures, PartialLockOfAReadBackLevelKeepsTheRest) {
  IDirect3DTexture9* texture = makeTexture(device, 4, 4, D3DFMT_A8R8G8B8);
  fill(texture, 0, std::vector<D3DCOLOR>(16, 0xFFFF0000), 4);
  const RECT corner{2, 2, 4, 4};
  D3DLOCKED_RECT locked;
  ASSERT_EQ(texture->LockRect(0, &locked, &corner, 0), D3D_OK);
  const D3DCOLOR blue = 0xFF0000FF;
  std::memcpy(locked.pBits, &blue, 4);
  texture->UnlockRect(0);
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  D3DCOLOR texels[16];
  for (int y = 0; y < 4; ++y)
    std::memcpy(&texels[y * 4], static_cast<BYTE*>(locked.pBits) + y * locked.Pitch, 16);
  texture->UnlockRect(0);
  texture->Release();
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(texels[i], i == 10 ? blue : 0xFFFF0000u) << i;
}

TEST_P(Textures, DynamicAndSystemMemoryTexturesKeepTheirCopy) {
  // Written often or never drawn: reading them back at each lock would cost more than the copy.
  IDirect3DTexture9* dynamic = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &dynamic, nullptr),
            D3D_OK);
  IDirect3DTexture9* system = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &system, nullptr), D3D_OK);
  for (IDirect3DTexture9* texture : {dynamic, system}) {
    fill(texture, 0, std::vector<D3DCOLOR>(16, 0xFF00FF00), 4);
    EXPECT_EQ(static_cast<d3d9::Texture*>(texture)->systemMemoryBytes(), 64u);
    texture->Release();
  }
}

TEST_P(Textures, MipFilterPicksTheLevel) {
  IDirect3DTexture9* texture = makeTexture(device, 8, 8, D3DFMT_A8R8G8B8, 0);
  ASSERT_EQ(texture->GetLevelCount(), 4u);
  const D3DCOLOR colors[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
  for (UINT level = 0; level < 4; ++level) {
    const UINT size = 8 >> level;
    fill(texture, level, std::vector<D3DCOLOR>(size * size, colors[level]), size);
  }
  device->SetTexture(0, texture);
  // 8 texels over 2 pixels: level 2 (4x minification).
  device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
  drawRhwTexturedQuad(device, 0, 0, 2, 2, 0xFFFFFFFF);
  device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE); // level 0 only
  drawRhwTexturedQuad(device, 10, 0, 12, 2, 0xFFFFFFFF);
  device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
  device->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 3); // the smallest level allowed is 3
  drawRhwTexturedQuad(device, 20, 0, 22, 2, 0xFFFFFFFF);
  device->SetTexture(0, nullptr);
  texture->Release();
  finish();
  EXPECT_EQ(gl.pixel(0, 0), (Rgba{0, 0, 255, 255}));
  EXPECT_EQ(gl.pixel(10, 0), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(gl.pixel(20, 0), (Rgba{255, 255, 255, 255}));
}

TEST_P(Textures, AddressModesAndFiltersFollowTheSamplerStates) {
  IDirect3DTexture9* texture = makeTexture(device, 2, 1, D3DFMT_X8R8G8B8);
  fill(texture, 0, std::vector<D3DCOLOR>{0xFF000000, 0xFFFFFFFF}, 2);
  device->SetTexture(0, texture);
  // u runs 0..2 over 8 pixels: wrap repeats, clamp holds the edge, mirror reflects.
  auto strip = [&](float top, DWORD address) {
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, address);
    const RhwTexVertex v[4] = {{-0.5f, top - 0.5f, 0.5f, 1, 0xFFFFFFFF, 0, 0},
                               {7.5f, top - 0.5f, 0.5f, 1, 0xFFFFFFFF, 2, 0},
                               {-0.5f, top + 0.5f, 0.5f, 1, 0xFFFFFFFF, 0, 1},
                               {7.5f, top + 0.5f, 0.5f, 1, 0xFFFFFFFF, 2, 1}};
    device->SetFVF(kRhwTexFvf);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(RhwTexVertex));
  };
  strip(0, D3DTADDRESS_WRAP);
  strip(2, D3DTADDRESS_CLAMP);
  strip(4, D3DTADDRESS_MIRROR);
  // Linear filtering halfway between the two texels gives grey.
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  const RhwTexVertex mid[4] = {{9.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, 0.5f, 0},
                               {10.5f, -0.5f, 0.5f, 1, 0xFFFFFFFF, 0.5f, 0},
                               {9.5f, 0.5f, 0.5f, 1, 0xFFFFFFFF, 0.5f, 1},
                               {10.5f, 0.5f, 0.5f, 1, 0xFFFFFFFF, 0.5f, 1}};
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, mid, sizeof(RhwTexVertex));
  device->SetTexture(0, nullptr);
  texture->Release();
  finish();
  const int wrap[8] = {0, 0, 255, 255, 0, 0, 255, 255};
  const int clamp[8] = {0, 0, 255, 255, 255, 255, 255, 255};
  const int mirror[8] = {0, 0, 255, 255, 255, 255, 0, 0};
  for (UINT x = 0; x < 8; ++x) {
    EXPECT_EQ(gl.pixel(x, 0).r, wrap[x]) << x;
    EXPECT_EQ(gl.pixel(x, 2).r, clamp[x]) << x;
    EXPECT_EQ(gl.pixel(x, 4).r, mirror[x]) << x;
  }
  EXPECT_NEAR(gl.pixel(10, 0).r, 128, 1);
}

// Transformed vertices with two coordinate sets, in pixel units.
struct TexturedVertex {
  float x, y, z;
  float nx, ny, nz;
  float u0, v0, u1, v1;
};

void drawTexturedQuad(IDirect3DDevice9* device, float left, float top, float size, float u0, float v0, float u1,
                      float v1, D3DVECTOR normal = {0, 0, -1}) {
  const TexturedVertex v[4] = {
      {left - 0.5f, top - 0.5f, 10, normal.x, normal.y, normal.z, u0, v0, u1, v1},
      {left + size - 0.5f, top - 0.5f, 10, normal.x, normal.y, normal.z, u0 + 1, v0, u1 + 1, v1},
      {left - 0.5f, top + size - 0.5f, 10, normal.x, normal.y, normal.z, u0, v0 + 1, u1, v1 + 1},
      {left + size - 0.5f, top + size - 0.5f, 10, normal.x, normal.y, normal.z, u0 + 1, v0 + 1, u1 + 1, v1 + 1}};
  device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2);
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TexturedVertex));
}

TEST_P(Textures, CoordinateSetsTransformsAndGeneratedCoordinates) {
  // A 2x2 texture with four colours; drawn 2 pixels wide it maps texel to pixel.
  IDirect3DTexture9* texture = makeTexture(device, 2, 2, D3DFMT_X8R8G8B8);
  fill(texture, 0, std::vector<D3DCOLOR>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}, 2);
  device->SetTexture(0, texture);
  setPixelProjection(device);
  // Set 1 is offset by half the texture in u: the second coordinate set shows it.
  device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
  drawTexturedQuad(device, 0, 0, 2, 0, 0, 0.5f, 0);
  // A texture transform translates 2D coordinates through _31/_32.
  device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  D3DMATRIX shift{};
  shift._11 = shift._22 = shift._33 = shift._44 = 1.0f;
  shift._32 = 0.5f;
  device->SetTransform(D3DTS_TEXTURE0, &shift);
  device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  drawTexturedQuad(device, 10, 0, 2, 0, 0, 0, 0);
  device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  // A sphere map: a surface facing the viewer straight ahead looks at the map's centre;
  // tilted to the right it looks further right.
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_SPHEREMAP);
  D3DMATRIX view{};
  view._11 = view._22 = view._33 = view._44 = 1.0f;
  view._41 = -80.0f; // the quad sits straight ahead of the eye
  view._42 = -60.0f;
  device->SetTransform(D3DTS_VIEW, &view);
  D3DMATRIX perspective = {};
  perspective._11 = 1.0f;
  perspective._22 = 1.0f;
  perspective._33 = 1.0f;
  perspective._34 = 1.0f;
  perspective._43 = -0.5f;
  device->SetTransform(D3DTS_PROJECTION, &perspective);
  // The normal leans right and up: its reflection of the view straight ahead points right
  // and up, which lands in the lower right quarter of the map (u and v above 0.5).
  const float c = 0.40824829f; // (0.5, 0.5, -1) normalised: (c, c, -2c)
  const TexturedVertex tilted[3] = {{79.9f, 59.9f, 1.0f, c, c, -2 * c, 0, 0, 0, 0},
                                    {80.2f, 59.9f, 1.0f, c, c, -2 * c, 0, 0, 0, 0},
                                    {79.9f, 60.2f, 1.0f, c, c, -2 * c, 0, 0, 0, 0}};
  device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tilted, sizeof(TexturedVertex));
  device->SetTexture(0, nullptr);
  texture->Release();
  finish();
  EXPECT_EQ(gl.pixel(0, 0), (Rgba{0, 255, 0, 255})); // set 1 starts half a texture to the right
  EXPECT_EQ(gl.pixel(1, 0), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(gl.pixel(10, 0), (Rgba{0, 0, 255, 255})); // shifted down half a texture
  EXPECT_EQ(gl.pixel(10, 1), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(gl.pixel(80, 60), (Rgba{255, 255, 255, 255}));
}

TEST_P(Textures, ReleasedTextureIsNeverMistakenForItsSuccessor) {
  // Deleting a texture frees its OpenGL name, which the next texture may get; the back
  // end must not think the new one is already bound.
  IDirect3DTexture9* red = makeTexture(device, 1, 1, D3DFMT_X8R8G8B8);
  fill(red, 0, std::vector<D3DCOLOR>{0xFFFF0000}, 1);
  drawTexture(red, 0, 0, 1, 1);
  device->SetTexture(0, nullptr);
  drawRhwQuad(device, 5, 0, 6, 1, 0xFF0000FF); // a draw while stage 0 is empty
  red->Release();
  IDirect3DTexture9* green = makeTexture(device, 1, 1, D3DFMT_X8R8G8B8);
  fill(green, 0, std::vector<D3DCOLOR>{0xFF00FF00}, 1);
  drawTexture(green, 10, 0, 1, 1);
  device->SetTexture(0, nullptr);
  green->Release();
  finish();
  EXPECT_EQ(gl.pixel(0, 0), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(gl.pixel(10, 0), (Rgba{0, 255, 0, 255}));
}

INSTANTIATE_IMAGE_TEST(Textures);

} // namespace
