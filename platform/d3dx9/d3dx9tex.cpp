#include "platform/d3dx9/d3dx9tex.h"

#include "platform/d3d9/Diagnostics.h"
#include "platform/d3d9/FormatInfo.h"
#include "platform/d3dx9/Image.h"
#include "platform/d3dx9/ImageFilters.h"
#include "platform/d3dx9/PixelFormats.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

using d3dx9::Image;

namespace {

constexpr std::size_t kMaxFileBytes = std::size_t(1) << 30; // no image file of ours comes near

HRESULT invalidData(const std::string& what, const std::string& why) {
  d3d9::report("D3DX: " + what + ": " + why);
  return D3DXERR_INVALIDDATA;
}

HRESULT invalidCall(const std::string& what, const std::string& why) {
  d3d9::report("D3DX: " + what + ": " + why);
  return D3DERR_INVALIDCALL;
}

bool readFile(LPCSTR path, std::vector<BYTE>& bytes, std::string& error) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path, "rb"), std::fclose);
  if (!file) {
    error = "cannot open the file";
    return false;
  }
  if (std::fseek(file.get(), 0, SEEK_END) != 0) {
    error = "cannot read the file";
    return false;
  }
  const long size = std::ftell(file.get());
  if (size < 0 || std::size_t(size) > kMaxFileBytes) {
    error = "the file is too large to be an image";
    return false;
  }
  std::rewind(file.get());
  bytes.resize(std::size_t(size));
  if (size > 0 && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    error = "cannot read the file";
    return false;
  }
  return true;
}

UINT nextPowerOfTwo(UINT value) {
  UINT result = 1;
  while (result < value)
    result <<= 1;
  return result;
}

// D3DX's size rule for one dimension.
UINT sizeFor(UINT requested, UINT image) {
  if (requested == 0 || requested == D3DX_DEFAULT) return nextPowerOfTwo(image);
  if (requested == D3DX_DEFAULT_NONPOW2 || requested == D3DX_FROM_FILE) return image;
  return requested;
}

void fillInfo(const Image& image, D3DXIMAGE_INFO* info) {
  if (!info) return;
  *info = {image.fileWidth, image.fileHeight, 1, 1, image.fileFormat, D3DRTYPE_TEXTURE, image.fileType};
}

bool hasAlpha(D3DFORMAT format) { return d3d9::formatInfo(format).hasAlpha; }

// The texture format D3DX makes from a file's own format when none is requested.
D3DFORMAT formatFromFile(const Image& image) {
  switch (image.fileFormat) {
  case D3DFMT_R8G8B8:
    return D3DFMT_X8R8G8B8; // 24-bit textures are rare in hardware
  case D3DFMT_P8: {
    const bool alpha =
        std::any_of(image.pixels.begin(), image.pixels.end(), [](std::uint32_t p) { return (p >> 24) != 0xFF; });
    return alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  }
  case D3DFMT_UNKNOWN:
    return D3DFMT_A8R8G8B8;
  default:
    return image.fileFormat;
  }
}

// A colour key needs somewhere to put transparency.
D3DFORMAT withAlpha(D3DFORMAT format) {
  switch (format) {
  case D3DFMT_X8R8G8B8:
  case D3DFMT_R8G8B8:
  case D3DFMT_R5G6B5:
    return D3DFMT_A8R8G8B8;
  case D3DFMT_X1R5G5B5:
    return D3DFMT_A1R5G5B5;
  case D3DFMT_X4R4G4B4:
    return D3DFMT_A4R4G4B4;
  case D3DFMT_L8:
    return D3DFMT_A8L8;
  default:
    return format;
  }
}

bool deviceSupports(IDirect3DDevice9* device, D3DFORMAT format, DWORD usage) {
  IDirect3D9* d3d = nullptr;
  if (FAILED(device->GetDirect3D(&d3d))) return false;
  D3DDISPLAYMODE mode{};
  device->GetDisplayMode(0, &mode);
  const HRESULT result =
      d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, usage & D3DUSAGE_DYNAMIC, D3DRTYPE_TEXTURE, format);
  d3d->Release();
  return SUCCEEDED(result) && d3dx9::canWritePixels(format);
}

// The format to create: the one asked for when the device has it, otherwise the closest of
// the 32-bit ones.
D3DFORMAT chooseFormat(IDirect3DDevice9* device, D3DFORMAT requested, const Image* image, D3DCOLOR colorKey,
                       DWORD usage) {
  D3DFORMAT format = requested;
  if (format == D3DFMT_UNKNOWN || format == D3DFMT_FROM_FILE) {
    format = image ? formatFromFile(*image) : D3DFMT_A8R8G8B8;
    if (colorKey != 0) format = withAlpha(format);
  }
  if (deviceSupports(device, format, usage)) return format;
  return hasAlpha(format) ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

UINT levelsFor(UINT requested, UINT width, UINT height) {
  const UINT chain = d3d9::fullMipChain(width, height);
  if (requested == 0 || requested == D3DX_DEFAULT) return chain;
  if (requested == D3DX_FROM_FILE) return 1;
  return std::min(requested, chain);
}

// Keeps a texture within the device's size limits (halving powers of two, clamping others).
void fitDevice(IDirect3DDevice9* device, D3DFORMAT format, UINT& width, UINT& height) {
  D3DCAPS9 caps{};
  if (SUCCEEDED(device->GetDeviceCaps(&caps))) {
    if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) {
      width = nextPowerOfTwo(width);
      height = nextPowerOfTwo(height);
    }
    while (caps.MaxTextureWidth && width > caps.MaxTextureWidth)
      width = (width & (width - 1)) ? caps.MaxTextureWidth : width / 2;
    while (caps.MaxTextureHeight && height > caps.MaxTextureHeight)
      height = (height & (height - 1)) ? caps.MaxTextureHeight : height / 2;
  }
  if (d3d9::formatInfo(format).compressed()) { // whole 4x4 blocks
    width = (width + 3) & ~3u;
    height = (height + 3) & ~3u;
  }
}

HRESULT writeLevel(IDirect3DTexture9* texture, UINT level, const Image& image) {
  D3DSURFACE_DESC desc;
  texture->GetLevelDesc(level, &desc);
  D3DLOCKED_RECT locked;
  const HRESULT result = texture->LockRect(level, &locked, nullptr, 0);
  if (FAILED(result)) return result;
  d3dx9::writePixels(desc.Format, image.pixels.data(), image.width, image.height, image.width,
                     static_cast<BYTE*>(locked.pBits), locked.Pitch);
  return texture->UnlockRect(level);
}

// Every level after `sourceLevel`, each filtered down from the one above it; `level` holds
// the source level's pixels.
HRESULT fillLevelsAfter(IDirect3DTexture9* texture, UINT sourceLevel, Image level, DWORD filter) {
  for (UINT i = sourceLevel + 1; i < texture->GetLevelCount(); ++i) {
    D3DSURFACE_DESC desc;
    texture->GetLevelDesc(i, &desc);
    level = d3dx9::resizeImage(level, desc.Width, desc.Height, filter);
    const HRESULT result = writeLevel(texture, i, level);
    if (FAILED(result)) return result;
  }
  return D3D_OK;
}

// Level 0 from the image, every further level from the one above it. The image goes as
// soon as level 0 is made from it: large pictures need their memory for the levels.
HRESULT fillTexture(IDirect3DTexture9* texture, Image image, DWORD filter, DWORD mipFilter) {
  D3DSURFACE_DESC desc;
  texture->GetLevelDesc(0, &desc);
  // At its own size every filter leaves an image as it is.
  Image level = desc.Width == image.width && desc.Height == image.height
                    ? std::move(image)
                    : d3dx9::resizeImage(image, desc.Width, desc.Height, filter);
  image = Image();
  const HRESULT result = writeLevel(texture, 0, level);
  if (FAILED(result)) return result;
  if ((mipFilter & 0xFFFF) == D3DX_FILTER_NONE && mipFilter != D3DX_DEFAULT) return D3D_OK;
  const DWORD boxed = mipFilter == D3DX_DEFAULT ? DWORD(D3DX_FILTER_BOX) : (mipFilter & 0x03FFFFFF);
  return fillLevelsAfter(texture, 0, std::move(level), boxed);
}

// Fills a texture the way the device allows: one the application cannot lock (the GPU's
// own memory, D3DPOOL_DEFAULT without D3DUSAGE_DYNAMIC) through a system-memory copy.
HRESULT fillCreatedTexture(IDirect3DDevice9* device, IDirect3DTexture9* texture, Image image, DWORD filter,
                           DWORD mipFilter) {
  D3DSURFACE_DESC desc;
  texture->GetLevelDesc(0, &desc);
  if (desc.Pool != D3DPOOL_DEFAULT || (desc.Usage & D3DUSAGE_DYNAMIC))
    return fillTexture(texture, std::move(image), filter, mipFilter);
  IDirect3DTexture9* staging = nullptr;
  HRESULT result = device->CreateTexture(desc.Width, desc.Height, texture->GetLevelCount(), 0, desc.Format,
                                         D3DPOOL_SYSTEMMEM, &staging, nullptr);
  if (FAILED(result)) return result;
  result = fillTexture(staging, std::move(image), filter, mipFilter);
  if (SUCCEEDED(result)) result = device->UpdateTexture(staging, texture);
  staging->Release();
  return result;
}

bool decode(const void* data, UINT size, Image& image, std::string& error, const d3dx9::DecodeOptions& options = {}) {
  return d3dx9::decodeImage(static_cast<const BYTE*>(data), size, image, error, options);
}

d3dx9::DecodeOptions headerOnly() {
  d3dx9::DecodeOptions options;
  options.headerOnly = true;
  return options;
}

bool averages(DWORD filter) {
  const DWORD kind = filter & 0xFFFF;
  return filter == D3DX_DEFAULT || kind == D3DX_FILTER_BOX || kind == D3DX_FILTER_TRIANGLE;
}

// A texture is made of the whole decoded image, so an image the device could not hold as
// a texture, on a side or in its memory, is refused before it is decoded. An averaging
// filter that shrinks it anyway lets the decoder shrink while decoding (to no less than
// the texture's size), which is what keeps a large photo cheap.
d3dx9::DecodeOptions textureDecodeOptions(IDirect3DDevice9* device, UINT width, UINT height, DWORD filter) {
  d3dx9::DecodeOptions options;
  D3DCAPS9 caps{};
  if (SUCCEEDED(device->GetDeviceCaps(&caps))) {
    if (caps.MaxTextureWidth) options.maxWidth = std::min<UINT>(options.maxWidth, caps.MaxTextureWidth);
    if (caps.MaxTextureHeight) options.maxHeight = std::min<UINT>(options.maxHeight, caps.MaxTextureHeight);
  }
  if (const UINT memory = device->GetAvailableTextureMem())
    options.maxBytes = std::min<std::uint64_t>(options.maxBytes, memory);
  if (averages(filter)) {
    options.neededWidth = width;
    options.neededHeight = height;
  }
  return options;
}

} // namespace

HRESULT D3DXGetImageInfoFromFileInMemory(const void* pSrcData, UINT SrcDataSize, D3DXIMAGE_INFO* pSrcInfo) {
  if (!pSrcData || !pSrcInfo) return D3DERR_INVALIDCALL;
  Image image;
  std::string error;
  if (!decode(pSrcData, SrcDataSize, image, error, headerOnly())) return invalidData("image information", error);
  fillInfo(image, pSrcInfo);
  return D3D_OK;
}

HRESULT D3DXGetImageInfoFromFileA(LPCSTR pSrcFile, D3DXIMAGE_INFO* pSrcInfo) {
  if (!pSrcFile || !pSrcInfo) return D3DERR_INVALIDCALL;
  std::vector<BYTE> bytes;
  std::string error;
  if (!readFile(pSrcFile, bytes, error)) return invalidData(pSrcFile, error);
  return D3DXGetImageInfoFromFileInMemory(bytes.data(), UINT(bytes.size()), pSrcInfo);
}

HRESULT D3DXCreateTexture(IDirect3DDevice9* pDevice, UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                          D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture9** ppTexture) {
  if (!pDevice || !ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  // Sizes left to D3DX are 256; one given size stands for both.
  const bool widthGiven = Width != 0 && Width != D3DX_DEFAULT, heightGiven = Height != 0 && Height != D3DX_DEFAULT;
  UINT width = widthGiven ? Width : heightGiven ? Height : 256;
  UINT height = heightGiven ? Height : widthGiven ? Width : 256;
  const D3DFORMAT format = chooseFormat(pDevice, Format, nullptr, 0, Usage);
  fitDevice(pDevice, format, width, height);
  return pDevice->CreateTexture(width, height, levelsFor(MipLevels, width, height), Usage, format, Pool, ppTexture,
                                nullptr);
}

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* pDevice, const void* pSrcData, UINT SrcDataSize,
                                            UINT Width, UINT Height, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                            D3DPOOL Pool, DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                            D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY*, IDirect3DTexture9** ppTexture) {
  if (!pDevice || !pSrcData || SrcDataSize == 0 || !ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  if (!d3dx9::validFilter(Filter) ||
      !d3dx9::validFilter(MipFilter == D3DX_DEFAULT ? MipFilter : MipFilter & 0x03FFFFFF))
    return invalidCall("texture from memory", "unknown filter");
  Image image;
  std::string error;
  if (!decode(pSrcData, SrcDataSize, image, error, headerOnly())) return invalidData("texture from memory", error);
  UINT width = sizeFor(Width, image.fileWidth), height = sizeFor(Height, image.fileHeight);
  if (!decode(pSrcData, SrcDataSize, image, error, textureDecodeOptions(pDevice, width, height, Filter)))
    return invalidData("texture from memory", error);
  fillInfo(image, pSrcInfo);
  const D3DFORMAT format = chooseFormat(pDevice, Format, &image, ColorKey, Usage);
  fitDevice(pDevice, format, width, height);
  IDirect3DTexture9* texture = nullptr;
  HRESULT result = pDevice->CreateTexture(width, height, levelsFor(MipLevels, width, height), Usage, format, Pool,
                                          &texture, nullptr);
  if (FAILED(result)) return result;
  d3dx9::applyColorKey(image, ColorKey);
  result = fillCreatedTexture(pDevice, texture, std::move(image), Filter, MipFilter);
  if (FAILED(result)) {
    texture->Release();
    return result;
  }
  *ppTexture = texture;
  return D3D_OK;
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile, UINT Width, UINT Height,
                                     UINT MipLevels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool, DWORD Filter,
                                     DWORD MipFilter, D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                     PALETTEENTRY* pPalette, IDirect3DTexture9** ppTexture) {
  if (!pDevice || !pSrcFile || !ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  std::vector<BYTE> bytes;
  std::string error;
  if (!readFile(pSrcFile, bytes, error)) return invalidData(pSrcFile, error);
  if (bytes.empty()) return invalidData(pSrcFile, "the file is empty");
  return D3DXCreateTextureFromFileInMemoryEx(pDevice, bytes.data(), UINT(bytes.size()), Width, Height, MipLevels, Usage,
                                             Format, Pool, Filter, MipFilter, ColorKey, pSrcInfo, pPalette, ppTexture);
}

HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice9* pDevice, const void* pSrcData, UINT SrcDataSize,
                                          IDirect3DTexture9** ppTexture) {
  return D3DXCreateTextureFromFileInMemoryEx(pDevice, pSrcData, SrcDataSize, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT,
                                             0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                                             nullptr, ppTexture);
}

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile, IDirect3DTexture9** ppTexture) {
  return D3DXCreateTextureFromFileExA(pDevice, pSrcFile, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN,
                                      D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, ppTexture);
}

namespace {

// The limits of the surface's device; a shrink while decoding only where no source
// rectangle addresses the image's own pixels.
d3dx9::DecodeOptions surfaceDecodeOptions(IDirect3DSurface9* surface, const RECT* destRect, const RECT* sourceRect,
                                          DWORD filter) {
  IDirect3DDevice9* device = nullptr;
  D3DSURFACE_DESC desc{};
  if (FAILED(surface->GetDevice(&device)) || !device) return {};
  surface->GetDesc(&desc);
  const UINT width = destRect ? UINT(std::max<LONG>(0, destRect->right - destRect->left)) : desc.Width;
  const UINT height = destRect ? UINT(std::max<LONG>(0, destRect->bottom - destRect->top)) : desc.Height;
  const d3dx9::DecodeOptions options =
      textureDecodeOptions(device, width, height, sourceRect ? D3DX_FILTER_NONE : filter);
  device->Release();
  return options;
}

// Puts `source` (its `sourceRect`) into the destination rectangle of a surface.
HRESULT loadSurface(const char* what, IDirect3DSurface9* surface, const RECT* destRect, const Image& source,
                    const RECT* sourceRect, DWORD filter, D3DCOLOR colorKey) {
  if (!d3dx9::validFilter(filter)) return invalidCall(what, "unknown filter");
  D3DSURFACE_DESC desc;
  if (FAILED(surface->GetDesc(&desc))) return D3DERR_INVALIDCALL;
  if (!d3dx9::canWritePixels(desc.Format)) return invalidCall(what, "cannot write the surface's format");
  const RECT whole{0, 0, LONG(source.width), LONG(source.height)};
  const RECT from = sourceRect ? *sourceRect : whole;
  if (from.left < 0 || from.top < 0 || from.left >= from.right || from.top >= from.bottom || from.right > whole.right ||
      from.bottom > whole.bottom)
    return invalidCall(what, "the source rectangle is outside the image");
  const RECT to = destRect ? *destRect : RECT{0, 0, LONG(desc.Width), LONG(desc.Height)};
  if (to.left < 0 || to.top < 0 || to.left >= to.right || to.top >= to.bottom || to.right > LONG(desc.Width) ||
      to.bottom > LONG(desc.Height))
    return invalidCall(what, "the destination rectangle is outside the surface");
  Image part = d3dx9::blankImage(UINT(from.right - from.left), UINT(from.bottom - from.top));
  for (UINT y = 0; y < part.height; ++y)
    for (UINT x = 0; x < part.width; ++x)
      part.at(x, y) = source.at(UINT(from.left) + x, UINT(from.top) + y);
  d3dx9::applyColorKey(part, colorKey);
  const Image scaled = d3dx9::resizeImage(part, UINT(to.right - to.left), UINT(to.bottom - to.top), filter);
  D3DLOCKED_RECT locked;
  const HRESULT result = surface->LockRect(&locked, &to, 0);
  if (FAILED(result)) return result;
  d3dx9::writePixels(desc.Format, scaled.pixels.data(), scaled.width, scaled.height, scaled.width,
                     static_cast<BYTE*>(locked.pBits), locked.Pitch);
  return surface->UnlockRect();
}

} // namespace

HRESULT D3DXLoadSurfaceFromFileInMemory(IDirect3DSurface9* pDestSurface, const PALETTEENTRY*, const RECT* pDestRect,
                                        const void* pSrcData, UINT SrcDataSize, const RECT* pSrcRect, DWORD Filter,
                                        D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo) {
  if (!pDestSurface || !pSrcData || SrcDataSize == 0) return D3DERR_INVALIDCALL;
  Image image;
  std::string error;
  if (!decode(pSrcData, SrcDataSize, image, error, surfaceDecodeOptions(pDestSurface, pDestRect, pSrcRect, Filter)))
    return invalidData("surface from memory", error);
  fillInfo(image, pSrcInfo);
  return loadSurface("surface from memory", pDestSurface, pDestRect, image, pSrcRect, Filter, ColorKey);
}

HRESULT D3DXLoadSurfaceFromFileA(IDirect3DSurface9* pDestSurface, const PALETTEENTRY* pDestPalette,
                                 const RECT* pDestRect, LPCSTR pSrcFile, const RECT* pSrcRect, DWORD Filter,
                                 D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo) {
  if (!pDestSurface || !pSrcFile) return D3DERR_INVALIDCALL;
  std::vector<BYTE> bytes;
  std::string error;
  if (!readFile(pSrcFile, bytes, error)) return invalidData(pSrcFile, error);
  if (bytes.empty()) return invalidData(pSrcFile, "the file is empty");
  return D3DXLoadSurfaceFromFileInMemory(pDestSurface, pDestPalette, pDestRect, bytes.data(), UINT(bytes.size()),
                                         pSrcRect, Filter, ColorKey, pSrcInfo);
}

HRESULT D3DXLoadSurfaceFromMemory(IDirect3DSurface9* pDestSurface, const PALETTEENTRY*, const RECT* pDestRect,
                                  const void* pSrcMemory, D3DFORMAT SrcFormat, UINT SrcPitch, const PALETTEENTRY*,
                                  const RECT* pSrcRect, DWORD Filter, D3DCOLOR ColorKey) {
  if (!pDestSurface || !pSrcMemory || !pSrcRect) return D3DERR_INVALIDCALL;
  if (!d3dx9::canReadPixels(SrcFormat)) return invalidCall("surface from memory", "cannot read the source format");
  const RECT& r = *pSrcRect;
  if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom)
    return invalidCall("surface from memory", "bad source rectangle");
  // The source rectangle addresses the memory; read just that part.
  Image image = d3dx9::blankImage(UINT(r.right - r.left), UINT(r.bottom - r.top));
  const UINT bytes = d3d9::formatInfo(SrcFormat).bitsPerPixel / 8;
  const BYTE* first =
      static_cast<const BYTE*>(pSrcMemory) + std::size_t(r.top) * SrcPitch + std::size_t(r.left) * bytes;
  d3dx9::readPixels(SrcFormat, first, INT(SrcPitch), image.width, image.height, image.pixels.data());
  return loadSurface("surface from memory", pDestSurface, pDestRect, image, nullptr, Filter, ColorKey);
}

HRESULT D3DXFilterTexture(IDirect3DBaseTexture9* pBaseTexture, const PALETTEENTRY*, UINT SrcLevel, DWORD Filter) {
  auto* texture = dynamic_cast<IDirect3DTexture9*>(pBaseTexture);
  if (!texture) return D3DERR_INVALIDCALL;
  if (SrcLevel == D3DX_DEFAULT) SrcLevel = 0;
  if (SrcLevel >= texture->GetLevelCount() || !d3dx9::validFilter(Filter)) return D3DERR_INVALIDCALL;
  D3DSURFACE_DESC desc;
  texture->GetLevelDesc(SrcLevel, &desc);
  if (!d3dx9::canReadPixels(desc.Format)) return invalidCall("filter texture", "cannot read the texture's format");
  Image level = d3dx9::blankImage(desc.Width, desc.Height);
  D3DLOCKED_RECT locked;
  const HRESULT result = texture->LockRect(SrcLevel, &locked, nullptr, D3DLOCK_READONLY);
  if (FAILED(result)) return result;
  d3dx9::readPixels(desc.Format, static_cast<const BYTE*>(locked.pBits), locked.Pitch, desc.Width, desc.Height,
                    level.pixels.data());
  texture->UnlockRect(SrcLevel);
  const DWORD filter = Filter == D3DX_DEFAULT ? DWORD(D3DX_FILTER_BOX) : Filter;
  return fillLevelsAfter(texture, SrcLevel, std::move(level), filter);
}
