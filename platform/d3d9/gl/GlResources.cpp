#include "platform/d3d9/gl/GlResources.h"

#include "platform/d3d9/FormatInfo.h"

#include <algorithm>
#include <vector>

namespace d3d9 {

GlBuffer::GlBuffer(std::shared_ptr<GlRuntime> runtime, UINT size, DWORD usage)
    : runtime_(std::move(runtime)), usage_((usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW) {
  runtime_->makeCurrent();
  GlCounter& gl = runtime_->gl();
  gl.call(glGenBuffers, 1, &name_);
  gl.state(glBindBuffer, GL_COPY_WRITE_BUFFER, name_);
  gl.call(glBufferData, GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(size), nullptr, usage_);
}

GlBuffer::~GlBuffer() {
  runtime_->makeCurrent();
  runtime_->forgetBuffer(name_);
  glDeleteBuffers(1, &name_);
}

void GlBuffer::update(const BYTE* bytes, UINT size, UINT offset, UINT length, DWORD lockFlags) {
  runtime_->makeCurrent();
  GlCounter& gl = runtime_->gl();
  // The copy-write target is no part of any vertex array, so binding it disturbs nothing.
  gl.state(glBindBuffer, GL_COPY_WRITE_BUFFER, name_);
  if (lockFlags & D3DLOCK_DISCARD) {
    gl.call(glBufferData, GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(size), bytes, usage_);
  } else if (lockFlags & D3DLOCK_NOOVERWRITE) {
    runtime_->writeUnsynchronized(static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(length), bytes + offset);
  } else {
    gl.call(glBufferSubData, GL_COPY_WRITE_BUFFER, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(length),
            bytes + offset);
  }
}

GlTexture::GlTexture(std::shared_ptr<GlRuntime> runtime, const TextureDescription& description)
    : runtime_(std::move(runtime)), description_(description), format_(glTextureFormat(description.format)) {
  runtime_->makeCurrent();
  GlCounter& gl = runtime_->gl();
  gl.call(glGenTextures, 1, &name_);
  runtime_->bindForUpload(name_);
  gl.call(glTexParameteri, GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  gl.call(glTexParameteri, GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(description.levels) - 1);
  gl.call(glTexParameteriv, GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, format_.swizzle);
  // Every level starts as zero bytes, as the system copy does.
  std::vector<BYTE> zeros(levelSize(description.format, description.width, description.height));
  for (UINT level = 0; level < description.levels; ++level) {
    const GLsizei w = static_cast<GLsizei>(levelExtent(description.width, level));
    const GLsizei h = static_cast<GLsizei>(levelExtent(description.height, level));
    if (format_.compressed) {
      gl.call(glCompressedTexImage2D, GL_TEXTURE_2D, static_cast<GLint>(level), format_.internalFormat, w, h, 0,
              static_cast<GLsizei>(levelSize(description.format, UINT(w), UINT(h))), zeros.data());
    } else {
      gl.call(glTexImage2D, GL_TEXTURE_2D, static_cast<GLint>(level), static_cast<GLint>(format_.internalFormat), w, h,
              0, format_.format, format_.type, zeros.data());
    }
  }
}

GlTexture::~GlTexture() {
  runtime_->makeCurrent();
  runtime_->forgetTexture(name_);
  glDeleteTextures(1, &name_);
}

void GlTexture::updateLevel(UINT level, const BYTE* bytes, UINT pitch, const RECT& written) {
  runtime_->makeCurrent();
  GlCounter& gl = runtime_->gl();
  runtime_->bindForUpload(name_);
  const LONG levelWidth = static_cast<LONG>(levelExtent(description_.width, level));
  const LONG levelHeight = static_cast<LONG>(levelExtent(description_.height, level));
  if (format_.compressed) {
    // Whole rows of 4x4 blocks are contiguous in memory; upload those the rectangle touches.
    const LONG firstRow = written.top / 4;
    const LONG lastRow = (written.bottom + 3) / 4;
    const GLsizei height = static_cast<GLsizei>(std::min(lastRow * 4, levelHeight) - firstRow * 4);
    gl.call(glCompressedTexSubImage2D, GL_TEXTURE_2D, static_cast<GLint>(level), 0, static_cast<GLint>(firstRow * 4),
            static_cast<GLsizei>(levelWidth), height, format_.internalFormat,
            static_cast<GLsizei>(pitch * static_cast<UINT>(lastRow - firstRow)), bytes + firstRow * pitch);
    return;
  }
  const bool fullRows = written.left == 0 && written.right == levelWidth;
  if (!fullRows) gl.state(glPixelStorei, GL_UNPACK_ROW_LENGTH, static_cast<GLint>(pitch / format_.bytesPerPixel));
  gl.call(glTexSubImage2D, GL_TEXTURE_2D, static_cast<GLint>(level), written.left, written.top,
          written.right - written.left, written.bottom - written.top, format_.format, format_.type,
          bytes + static_cast<std::size_t>(written.top) * pitch +
              static_cast<std::size_t>(written.left) * format_.bytesPerPixel);
  if (!fullRows) gl.state(glPixelStorei, GL_UNPACK_ROW_LENGTH, 0);
}

void GlTexture::readLevel(UINT level, BYTE* bytes) {
  runtime_->makeCurrent();
  GlCounter& gl = runtime_->gl();
  runtime_->bindForUpload(name_);
  if (format_.compressed) {
    gl.call(glGetCompressedTexImage, GL_TEXTURE_2D, static_cast<GLint>(level), bytes);
    return;
  }
  // The pack alignment is 1, so rows come tightly packed, as a level's pitch is.
  gl.call(glGetTexImage, GL_TEXTURE_2D, static_cast<GLint>(level), format_.format, format_.type, bytes);
}

} // namespace d3d9
