// The OpenGL side of vertex buffers, index buffers and textures.
#pragma once

#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/gl/GlFormats.h"
#include "platform/d3d9/gl/GlRuntime.h"

#include <memory>

namespace d3d9 {

class GlBuffer final : public BufferBackend {
public:
  GlBuffer(std::shared_ptr<GlRuntime> runtime, UINT size, DWORD usage);
  ~GlBuffer() override;

  // DISCARD orphans the storage (the GPU may still read the old one), NOOVERWRITE writes
  // without waiting for the GPU, anything else updates the written range.
  void update(const BYTE* bytes, UINT size, UINT offset, UINT length, DWORD lockFlags) override;
  GLuint name() const { return name_; }

private:
  std::shared_ptr<GlRuntime> runtime_;
  GLuint name_ = 0;
  GLenum usage_;
};

class GlTexture final : public TextureBackend {
public:
  GlTexture(std::shared_ptr<GlRuntime> runtime, const TextureDescription& description);
  ~GlTexture() override;

  void updateLevel(UINT level, const BYTE* bytes, UINT pitch, const RECT& written) override;
  bool readsBack() const override { return true; }
  void readLevel(UINT level, BYTE* bytes) override;
  GLuint name() const { return name_; }

private:
  std::shared_ptr<GlRuntime> runtime_;
  TextureDescription description_;
  GlTextureFormat format_;
  GLuint name_ = 0;
};

} // namespace d3d9
