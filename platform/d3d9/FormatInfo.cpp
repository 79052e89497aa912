#include "platform/d3d9/FormatInfo.h"

#include <algorithm>

namespace d3d9 {

FormatInfo formatInfo(D3DFORMAT format) {
  FormatInfo info;
  info.format = format;
  auto set = [&](UINT bits, bool alpha) {
    info.bitsPerPixel = bits;
    info.hasAlpha = alpha;
  };
  switch (format) {
  case D3DFMT_R8G8B8:
    set(24, false);
    break;
  case D3DFMT_A8R8G8B8:
    set(32, true);
    break;
  case D3DFMT_X8R8G8B8:
    set(32, false);
    break;
  case D3DFMT_R5G6B5:
    set(16, false);
    break;
  case D3DFMT_X1R5G5B5:
    set(16, false);
    break;
  case D3DFMT_A1R5G5B5:
    set(16, true);
    break;
  case D3DFMT_A4R4G4B4:
    set(16, true);
    break;
  case D3DFMT_R3G3B2:
    set(8, false);
    break;
  case D3DFMT_A8:
    set(8, true);
    break;
  case D3DFMT_A8R3G3B2:
    set(16, true);
    break;
  case D3DFMT_X4R4G4B4:
    set(16, false);
    break;
  case D3DFMT_A2B10G10R10:
    set(32, true);
    break;
  case D3DFMT_A8B8G8R8:
    set(32, true);
    break;
  case D3DFMT_X8B8G8R8:
    set(32, false);
    break;
  case D3DFMT_G16R16:
    set(32, false);
    break;
  case D3DFMT_A2R10G10B10:
    set(32, true);
    break;
  case D3DFMT_A16B16G16R16:
    set(64, true);
    break;
  case D3DFMT_A8P8:
    set(16, true);
    break;
  case D3DFMT_P8:
    set(8, false);
    break;
  case D3DFMT_L8:
    set(8, false);
    break;
  case D3DFMT_A8L8:
    set(16, true);
    break;
  case D3DFMT_A4L4:
    set(8, true);
    break;
  case D3DFMT_L16:
    set(16, false);
    break;
  case D3DFMT_A16B16G16R16F:
    set(64, true);
    break;
  case D3DFMT_A32B32G32R32F:
    set(128, true);
    break;
  case D3DFMT_R16F:
    set(16, false);
    break;
  case D3DFMT_R32F:
    set(32, false);
    break;
  case D3DFMT_DXT1:
    set(4, true);
    info.blockBytes = 8;
    break;
  case D3DFMT_DXT2:
  case D3DFMT_DXT3:
  case D3DFMT_DXT4:
  case D3DFMT_DXT5:
    set(8, true);
    info.blockBytes = 16;
    break;
  case D3DFMT_D16:
  case D3DFMT_D16_LOCKABLE:
  case D3DFMT_D15S1:
    set(16, false);
    info.isDepth = true;
    break;
  case D3DFMT_D24S8:
  case D3DFMT_D24X8:
  case D3DFMT_D24X4S4:
  case D3DFMT_D32:
  case D3DFMT_D24FS8:
  case D3DFMT_D32F_LOCKABLE:
    set(32, false);
    info.isDepth = true;
    break;
  default:
    break;
  }
  return info;
}

UINT levelPitch(D3DFORMAT format, UINT width) {
  const FormatInfo info = formatInfo(format);
  if (info.compressed()) return ((width + 3) / 4) * info.blockBytes;
  return width * (info.bitsPerPixel / 8);
}

UINT levelRows(D3DFORMAT format, UINT height) { return formatInfo(format).compressed() ? (height + 3) / 4 : height; }

std::size_t levelSize(D3DFORMAT format, UINT width, UINT height) {
  return static_cast<std::size_t>(levelPitch(format, width)) * levelRows(format, height);
}

UINT levelExtent(UINT topSize, UINT level) { return std::max(1u, topSize >> level); }

UINT fullMipChain(UINT width, UINT height) {
  UINT levels = 1;
  while (width > 1 || height > 1) {
    width = width > 1 ? width / 2 : 1;
    height = height > 1 ? height / 2 : 1;
    ++levels;
  }
  return levels;
}

} // namespace d3d9
