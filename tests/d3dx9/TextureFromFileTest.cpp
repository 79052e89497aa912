// D3DX texture creation on the recording device, whose textures keep their bytes: sizes,
// levels, filters, colour keys, formats and the image information.
#include "platform/d3d9/Diagnostics.h"
#include "platform/d3d9/recording/RecordingDirect3D.h"
#include "platform/d3dx9/Image.h"
#include "platform/d3dx9/ImageEncoder.h"
#include "platform/d3dx9/d3dx9tex.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

d3dx9::Image solid(UINT width, UINT height, std::uint32_t color) {
  d3dx9::Image image;
  image.width = width;
  image.height = height;
  image.pixels.assign(std::size_t(width) * height, color);
  return image;
}

std::vector<BYTE> png(const d3dx9::Image& image, bool alpha = true) {
  std::vector<BYTE> bytes;
  EXPECT_TRUE(d3dx9::encodePng(image, alpha, bytes));
  return bytes;
}

class D3dxTextures : public ::testing::Test {
protected:
  void SetUp() override {
    d3d = d3d9::createRecordingDirect3D();
    D3DPRESENT_PARAMETERS p{};
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = reinterpret_cast<HWND>(1);
    p.Windowed = TRUE;
    p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, p.hDeviceWindow, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device),
              D3D_OK);
  }
  void TearDown() override {
    for (IDirect3DTexture9* t : textures)
      t->Release();
    device->Release();
    d3d->Release();
  }

  IDirect3DTexture9* create(const std::vector<BYTE>& bytes, UINT width, UINT height, UINT levels, D3DFORMAT format,
                            DWORD filter, DWORD mipFilter, D3DCOLOR key, D3DXIMAGE_INFO* info = nullptr) {
    IDirect3DTexture9* texture = nullptr;
    const HRESULT hr =
        D3DXCreateTextureFromFileInMemoryEx(device, bytes.data(), UINT(bytes.size()), width, height, levels, 0, format,
                                            D3DPOOL_MANAGED, filter, mipFilter, key, info, nullptr, &texture);
    EXPECT_EQ(hr, D3D_OK);
    if (texture) textures.push_back(texture);
    return texture;
  }

  // The 32-bit texel of an A8R8G8B8 or X8R8G8B8 level.
  static std::uint32_t texel(IDirect3DTexture9* texture, UINT level, UINT x, UINT y) {
    D3DLOCKED_RECT locked;
    texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY);
    std::uint32_t value;
    std::memcpy(&value, static_cast<BYTE*>(locked.pBits) + y * UINT(locked.Pitch) + x * 4, 4);
    texture->UnlockRect(level);
    return value;
  }

  static D3DSURFACE_DESC desc(IDirect3DTexture9* texture, UINT level = 0) {
    D3DSURFACE_DESC d{};
    texture->GetLevelDesc(level, &d);
    return d;
  }

  IDirect3D9* d3d = nullptr;
  IDirect3DDevice9* device = nullptr;
  std::vector<IDirect3DTexture9*> textures;
};

TEST_F(D3dxTextures, DefaultSizesRoundUpToPowersOfTwoAndNonPow2KeepsThem) {
  const std::vector<BYTE> bytes = png(solid(300, 200, 0xFF102030));
  D3DXIMAGE_INFO info{};
  IDirect3DTexture9* rounded =
      create(bytes, 0, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DX_FILTER_BOX, D3DX_FILTER_BOX, 0, &info);
  ASSERT_NE(rounded, nullptr);
  EXPECT_EQ(desc(rounded).Width, 512u);
  EXPECT_EQ(desc(rounded).Height, 256u);
  EXPECT_EQ(rounded->GetLevelCount(), 10u);
  EXPECT_EQ(info.Width, 300u);
  EXPECT_EQ(info.Height, 200u);
  EXPECT_EQ(info.Depth, 1u);
  EXPECT_EQ(info.MipLevels, 1u);
  EXPECT_EQ(info.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(info.ResourceType, D3DRTYPE_TEXTURE);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_PNG);
  IDirect3DTexture9* kept =
      create(bytes, D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 1, D3DFMT_UNKNOWN, D3DX_FILTER_BOX, D3DX_FILTER_BOX, 0);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(desc(kept).Width, 300u);
  EXPECT_EQ(desc(kept).Height, 200u);
  EXPECT_EQ(kept->GetLevelCount(), 1u);
  IDirect3DTexture9* given = create(bytes, 64, 32, D3DX_FROM_FILE, D3DFMT_UNKNOWN, D3DX_FILTER_BOX, D3DX_FILTER_BOX, 0);
  ASSERT_NE(given, nullptr);
  EXPECT_EQ(desc(given).Width, 64u);
  EXPECT_EQ(given->GetLevelCount(), 1u);
  EXPECT_EQ(texel(given, 0, 10, 10), 0xFF102030u); // a flat colour stays itself through the filter
}

TEST_F(D3dxTextures, BoxFilterBuildsTheMipLevels) {
  // A 4x4 checker of black and white averages to grey in level 1... and level 2.
  d3dx9::Image checker = solid(4, 4, 0);
  for (UINT y = 0; y < 4; ++y)
    for (UINT x = 0; x < 4; ++x)
      checker.at(x, y) = ((x + y) % 2) ? 0xFFFFFFFF : 0xFF000000;
  IDirect3DTexture9* texture = create(png(checker), 0, 0, 0, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE, D3DX_FILTER_BOX, 0);
  ASSERT_NE(texture, nullptr);
  ASSERT_EQ(texture->GetLevelCount(), 3u);
  EXPECT_EQ(texel(texture, 0, 1, 0), 0xFFFFFFFFu);
  EXPECT_EQ(texel(texture, 1, 0, 0), 0xFF808080u); // (0 + 255 + 255 + 0) / 4 = 127.5, rounded
  EXPECT_EQ(texel(texture, 2, 0, 0), 0xFF808080u);
  // Resizing with the box filter averages the covered area too; the point filter picks.
  d3dx9::Image stripes = solid(4, 1, 0xFF000000);
  stripes.at(1, 0) = stripes.at(3, 0) = 0xFFFFFFFF;
  IDirect3DTexture9* boxed = create(png(stripes), 2, 1, 1, D3DFMT_A8R8G8B8, D3DX_FILTER_BOX, D3DX_FILTER_NONE, 0);
  IDirect3DTexture9* pointed = create(png(stripes), 2, 1, 1, D3DFMT_A8R8G8B8, D3DX_FILTER_POINT, D3DX_FILTER_NONE, 0);
  EXPECT_EQ(texel(boxed, 0, 0, 0), 0xFF808080u);
  EXPECT_EQ(texel(pointed, 0, 0, 0), 0xFFFFFFFFu); // the centre of 0..2 falls on pixel 1
  // NONE does not scale: what the image does not cover is transparent black.
  IDirect3DTexture9* copied = create(png(stripes), 8, 2, 1, D3DFMT_A8R8G8B8, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0);
  EXPECT_EQ(texel(copied, 0, 1, 0), 0xFFFFFFFFu);
  EXPECT_EQ(texel(copied, 0, 6, 1), 0x00000000u);
}

TEST_F(D3dxTextures, ColourKeyBecomesTransparentBlack) {
  d3dx9::Image image = solid(4, 4, 0xFFFF00FF); // magenta background
  image.at(1, 1) = 0xFF00FF00;
  // A JPEG has no alpha, so with a key the texture gets an alpha channel.
  std::vector<BYTE> bytes = png(image, false);
  IDirect3DTexture9* texture = create(bytes, 0, 0, 1, D3DFMT_UNKNOWN, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0xFFFF00FF);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(desc(texture).Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(texel(texture, 0, 0, 0), 0x00000000u);
  EXPECT_EQ(texel(texture, 0, 1, 1), 0xFF00FF00u);
  // Without a key the same file makes an opaque texture of its own kind.
  IDirect3DTexture9* plain = create(bytes, 0, 0, 1, D3DFMT_UNKNOWN, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0);
  EXPECT_EQ(desc(plain).Format, D3DFMT_X8R8G8B8);
}

TEST_F(D3dxTextures, RequestedFormatsAreWrittenInTheirLayout) {
  const std::vector<BYTE> bytes = png(solid(4, 4, 0x80FF8000));
  struct Case {
    D3DFORMAT format;
    std::uint32_t expected; // the first texel, little-endian
    UINT bytes;
  };
  // The texel is alpha 0x80, red 0xFF, green 0x80, blue 0: each channel rounds to its width.
  const Case cases[] = {
      {D3DFMT_R5G6B5, (31u << 11) | (32u << 5), 2},
      {D3DFMT_A1R5G5B5, 0x8000u | (31u << 10) | (16u << 5), 2},
      {D3DFMT_A4R4G4B4, (8u << 12) | (15u << 8) | (8u << 4), 2},
      {D3DFMT_R8G8B8, 0xFF8000u, 3},
      {D3DFMT_L8, std::uint32_t(0.2125 * 255 + 0.7154 * 128 + 0.5), 1}, // luminance
      {D3DFMT_A8, 0x80u, 1},
  };
  for (const Case& c : cases) {
    IDirect3DTexture9* texture = create(bytes, 0, 0, 1, c.format, D3DX_FILTER_NONE, D3DX_FILTER_NONE, 0);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(desc(texture).Format, c.format);
    D3DLOCKED_RECT locked;
    texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY);
    std::uint32_t value = 0;
    std::memcpy(&value, locked.pBits, c.bytes);
    texture->UnlockRect(0);
    EXPECT_EQ(value, c.expected) << c.format;
  }
}

TEST_F(D3dxTextures, CompressedFormatsGetWholeBlocks) {
  IDirect3DTexture9* texture = create(png(solid(6, 6, 0xFFFF0000)), D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 1,
                                      D3DFMT_DXT1, D3DX_FILTER_POINT, D3DX_FILTER_NONE, 0);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(desc(texture).Width, 8u); // rounded up to whole blocks
  D3DLOCKED_RECT locked;
  texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY);
  const BYTE* block = static_cast<const BYTE*>(locked.pBits);
  EXPECT_EQ(block[0] | (block[1] << 8), 0xF800); // pure red as its first endpoint
  texture->UnlockRect(0);
}

TEST_F(D3dxTextures, DamagedBytesFailWithAReportedLine) {
  std::vector<BYTE> bytes = png(solid(8, 8, 0xFF000000));
  bytes.resize(bytes.size() / 2);
  d3d9::ReportCapture reports;
  IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
  EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(device, bytes.data(), UINT(bytes.size()), 0, 0, 0, 0, D3DFMT_UNKNOWN,
                                                D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr,
                                                &texture),
            D3DXERR_INVALIDDATA);
  EXPECT_EQ(texture, nullptr);
  ASSERT_EQ(reports.lines().size(), 1u);
  EXPECT_EQ(reports.lines()[0].rfind("D3DX: texture from memory: damaged PNG: ", 0), 0u) << reports.lines()[0];
  const BYTE garbage[5] = {1, 2, 3, 4, 5};
  EXPECT_EQ(D3DXCreateTextureFromFileInMemory(device, garbage, 5, &texture), D3DXERR_INVALIDDATA);
  EXPECT_EQ(D3DXCreateTextureFromFileInMemory(device, garbage, 0, &texture), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(device, garbage, 5, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, 9, 9,
                                                0, nullptr, nullptr, &texture),
            D3DERR_INVALIDCALL); // no such filter
}

TEST_F(D3dxTextures, ImagesWiderThanTheDevicesTexturesAreRefusedBeforeDecoding) {
  // The recording device takes textures of up to 4096 on a side.
  const std::vector<BYTE> wide = png(solid(4097, 1, 0xFF102030));
  d3d9::ReportCapture reports;
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(D3DXCreateTextureFromFileInMemory(device, wide.data(), UINT(wide.size()), &texture), D3DXERR_INVALIDDATA);
  EXPECT_EQ(texture, nullptr);
  ASSERT_EQ(reports.lines().size(), 1u);
  EXPECT_EQ(reports.lines()[0], "D3DX: texture from memory: the image is larger than 4096 x 4096 (4097 x 1)\n");
  // Their header still reads.
  D3DXIMAGE_INFO info{};
  EXPECT_EQ(D3DXGetImageInfoFromFileInMemory(wide.data(), UINT(wide.size()), &info), D3D_OK);
  EXPECT_EQ(info.Width, 4097u);
}

TEST_F(D3dxTextures, AShrinkingAverageDecodesJpegsSmallerAndTellsTheFilesSize) {
  std::vector<BYTE> jpeg;
  ASSERT_TRUE(d3dx9::encodeJpeg(solid(6000, 8, 0xFF2060A0), 95, false, jpeg));
  D3DXIMAGE_INFO info{};
  // Too wide for the device as it is, but shrunk (to 750 x 1 while decoding) it fits.
  IDirect3DTexture9* texture = create(jpeg, 600, 1, 1, D3DFMT_UNKNOWN, D3DX_FILTER_BOX, D3DX_FILTER_NONE, 0, &info);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(desc(texture).Width, 600u);
  EXPECT_EQ(desc(texture).Height, 1u);
  EXPECT_EQ(info.Width, 6000u);
  EXPECT_EQ(info.Height, 8u);
  const std::uint32_t middle = texel(texture, 0, 300, 0);
  for (int shift : {0, 8, 16})
    EXPECT_NEAR(int((middle >> shift) & 0xFF), int((0xFF2060A0u >> shift) & 0xFF), 4);
}

TEST_F(D3dxTextures, FilesAreReadFromDisk) {
  testsupport::TempDir dir;
  const std::vector<BYTE> bytes = png(solid(3, 5, 0xFF0000FF));
  const auto path = dir.write("picture.png", std::string(bytes.begin(), bytes.end()));
  IDirect3DTexture9* texture = nullptr;
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(D3DXCreateTextureFromFileExA(device, path.string().c_str(), D3DX_DEFAULT_NONPOW2, D3DX_DEFAULT_NONPOW2, 1,
                                         0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, &info,
                                         nullptr, &texture),
            D3D_OK);
  textures.push_back(texture);
  EXPECT_EQ(desc(texture).Height, 5u);
  EXPECT_EQ(texel(texture, 0, 2, 4), 0xFF0000FFu);
  ASSERT_EQ(D3DXGetImageInfoFromFileA(path.string().c_str(), &info), D3D_OK);
  EXPECT_EQ(info.Width, 3u);
  d3d9::ReportCapture reports;
  const std::string missing = dir.file("missing.png").string();
  EXPECT_EQ(D3DXCreateTextureFromFileA(device, missing.c_str(), &texture), D3DXERR_INVALIDDATA);
  EXPECT_TRUE(reports.contains("D3DX: " + missing + ": cannot open the file\n"));
}

TEST_F(D3dxTextures, EmptyTexturesTakeD3dxDefaults) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(D3DXCreateTexture(device, 0, 0, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, &texture), D3D_OK);
  EXPECT_EQ(desc(texture).Width, 256u);
  EXPECT_EQ(desc(texture).Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(texture->GetLevelCount(), 9u);
  texture->Release();
  ASSERT_EQ(D3DXCreateTexture(device, 100, 0, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture), D3D_OK);
  EXPECT_EQ(desc(texture).Height, 100u); // one size given stands for both
  EXPECT_EQ(desc(texture).Format, D3DFMT_R5G6B5);
  texture->Release();
  // A format the device lacks falls back to a 32-bit one with the same alpha.
  ASSERT_EQ(D3DXCreateTexture(device, 8, 8, 1, 0, D3DFMT_V8U8, D3DPOOL_MANAGED, &texture), D3D_OK);
  EXPECT_EQ(desc(texture).Format, D3DFMT_X8R8G8B8);
  texture->Release();
}

TEST_F(D3dxTextures, SurfacesLoadIntoTheirRectangle) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(D3DXCreateTexture(device, 8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  textures.push_back(texture);
  IDirect3DSurface9* surface = nullptr;
  texture->GetSurfaceLevel(0, &surface);
  const std::vector<BYTE> bytes = png(solid(2, 2, 0xFF00FF00));
  const RECT target{4, 2, 6, 4};
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(D3DXLoadSurfaceFromFileInMemory(surface, nullptr, &target, bytes.data(), UINT(bytes.size()), nullptr,
                                            D3DX_FILTER_NONE, 0, &info),
            D3D_OK);
  EXPECT_EQ(info.Width, 2u);
  EXPECT_EQ(texel(texture, 0, 4, 2), 0xFF00FF00u);
  EXPECT_EQ(texel(texture, 0, 5, 3), 0xFF00FF00u);
  EXPECT_EQ(texel(texture, 0, 3, 2), 0u);
  // From memory in another format, scaled up with the point filter.
  const WORD pixels[2] = {0xF800, 0x001F}; // red, blue in 5-6-5
  const RECT source{0, 0, 2, 1};
  const RECT wide{0, 6, 4, 7};
  ASSERT_EQ(D3DXLoadSurfaceFromMemory(surface, nullptr, &wide, pixels, D3DFMT_R5G6B5, 4, nullptr, &source,
                                      D3DX_FILTER_POINT, 0),
            D3D_OK);
  EXPECT_EQ(texel(texture, 0, 1, 6), 0xFFFF0000u);
  EXPECT_EQ(texel(texture, 0, 2, 6), 0xFF0000FFu);
  const RECT outside{6, 6, 9, 8};
  EXPECT_EQ(D3DXLoadSurfaceFromMemory(surface, nullptr, &outside, pixels, D3DFMT_R5G6B5, 4, nullptr, &source,
                                      D3DX_FILTER_POINT, 0),
            D3DERR_INVALIDCALL);
  surface->Release();
}

TEST_F(D3dxTextures, FilterTextureRebuildsTheLevelsBelow) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(D3DXCreateTexture(device, 2, 2, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3D_OK);
  textures.push_back(texture);
  D3DLOCKED_RECT locked;
  texture->LockRect(0, &locked, nullptr, 0);
  const std::uint32_t values[4] = {0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000};
  for (int y = 0; y < 2; ++y)
    std::memcpy(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch, values + 2 * y, 8);
  texture->UnlockRect(0);
  ASSERT_EQ(D3DXFilterTexture(texture, nullptr, 0, D3DX_FILTER_BOX), D3D_OK);
  EXPECT_EQ(texel(texture, 1, 0, 0), 0xFF808080u);
}

} // namespace
