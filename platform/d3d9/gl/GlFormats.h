// How each Direct3D format is stored and uploaded in OpenGL.
#pragma once

#include "platform/d3d9/d3d9types.h"

#include <epoxy/gl.h>

namespace d3d9 {

struct GlTextureFormat {
  bool supported = false;
  bool compressed = false;
  GLenum internalFormat = 0;
  GLenum format = 0;
  GLenum type = 0;
  GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
  UINT bytesPerPixel = 0; // 0 for compressed formats
};

GlTextureFormat glTextureFormat(D3DFORMAT format);

// The renderbuffer format of a back buffer or depth-stencil format; 0 when none.
GLenum glColorBufferFormat(D3DFORMAT format);
GLenum glDepthBufferFormat(D3DFORMAT format);

} // namespace d3d9
