#include "platform/d3d9/gl/GlFormats.h"

namespace d3d9 {

GlTextureFormat glTextureFormat(D3DFORMAT format) {
  GlTextureFormat f;
  auto set = [&](GLenum internal, GLenum fmt, GLenum type, UINT bytes) {
    f.supported = true;
    f.internalFormat = internal;
    f.format = fmt;
    f.type = type;
    f.bytesPerPixel = bytes;
  };
  auto swizzle = [&](GLint r, GLint g, GLint b, GLint a) {
    f.swizzle[0] = r;
    f.swizzle[1] = g;
    f.swizzle[2] = b;
    f.swizzle[3] = a;
  };
  auto compressed = [&](GLenum internal) {
    f.supported = true;
    f.compressed = true;
    f.internalFormat = internal;
  };
  switch (format) {
  // D3DCOLOR-style formats are BGRA in memory.
  case D3DFMT_A8R8G8B8:
    set(GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4);
    break;
  case D3DFMT_X8R8G8B8:
    set(GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4);
    swizzle(GL_RED, GL_GREEN, GL_BLUE, GL_ONE);
    break;
  case D3DFMT_R8G8B8:
    set(GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE, 3);
    break;
  case D3DFMT_R5G6B5:
    set(GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2);
    break;
  case D3DFMT_X1R5G5B5:
    set(GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2);
    swizzle(GL_RED, GL_GREEN, GL_BLUE, GL_ONE);
    break;
  case D3DFMT_A1R5G5B5:
    set(GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2);
    break;
  case D3DFMT_A4R4G4B4:
    set(GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, 2);
    break;
  case D3DFMT_L8:
    set(GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1);
    swizzle(GL_RED, GL_RED, GL_RED, GL_ONE);
    break;
  case D3DFMT_A8:
    set(GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1);
    swizzle(GL_ZERO, GL_ZERO, GL_ZERO, GL_RED);
    break;
  case D3DFMT_A8L8: // bytes L, A
    set(GL_RG8, GL_RG, GL_UNSIGNED_BYTE, 2);
    swizzle(GL_RED, GL_RED, GL_RED, GL_GREEN);
    break;
  case D3DFMT_DXT1:
    compressed(GL_COMPRESSED_RGBA_S3TC_DXT1_EXT);
    break;
  case D3DFMT_DXT2:
  case D3DFMT_DXT3:
    compressed(GL_COMPRESSED_RGBA_S3TC_DXT3_EXT);
    break;
  case D3DFMT_DXT4:
  case D3DFMT_DXT5:
    compressed(GL_COMPRESSED_RGBA_S3TC_DXT5_EXT);
    break;
  default:
    break;
  }
  return f;
}

GLenum glColorBufferFormat(D3DFORMAT format) {
  switch (format) {
  case D3DFMT_A8R8G8B8:
    return GL_RGBA8;
  case D3DFMT_X8R8G8B8:
    return GL_RGB8; // reads of destination alpha see 1, as in Direct3D
  case D3DFMT_R5G6B5:
    return GL_RGB565;
  case D3DFMT_X1R5G5B5:
  case D3DFMT_A1R5G5B5:
    return GL_RGB5_A1;
  case D3DFMT_A2R10G10B10:
    return GL_RGB10_A2;
  default:
    return 0;
  }
}

GLenum glDepthBufferFormat(D3DFORMAT format) {
  switch (format) {
  case D3DFMT_D16:
    return GL_DEPTH_COMPONENT16;
  case D3DFMT_D24X8:
    return GL_DEPTH_COMPONENT24;
  case D3DFMT_D24S8:
    return GL_DEPTH24_STENCIL8;
  case D3DFMT_D32:
    return GL_DEPTH_COMPONENT32;
  default:
    return 0;
  }
}

} // namespace d3d9
