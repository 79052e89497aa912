// The OpenGL back end of a device: applies the state, picks the generated program, feeds
// the vertices and issues the draw; clears and presents through the swap chain.
#pragma once

#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/FixedFunctionKey.h"
#include "platform/d3d9/gl/FixedFunctionConstants.h"
#include "platform/d3d9/gl/GlProgramCache.h"
#include "platform/d3d9/gl/GlRuntime.h"
#include "platform/d3d9/gl/GlStateApplier.h"
#include "platform/d3d9/gl/GlSwapChain.h"

#include <memory>

namespace d3d9 {

// A buffer that user-pointer draws copy their vertices or indices into, front to back,
// starting over (with fresh storage) when it is full.
class GlStreamBuffer {
public:
  GlStreamBuffer(GlRuntime& runtime, UINT capacity);
  ~GlStreamBuffer();
  // Copies `size` bytes at an offset that is a multiple of `alignment`; answers the offset.
  UINT write(const void* data, UINT size, UINT alignment);
  GLuint name() const { return name_; }

private:
  GlRuntime& runtime_;
  GLuint name_ = 0;
  UINT capacity_;
  UINT offset_ = 0;
};

// Where one draw reads its vertices (and indices) from.
struct GlDrawCall {
  GLint first = 0; // first vertex of a non-indexed draw
  bool indexed = false;
  UINT indexSize = 2;
  std::size_t indexOffset = 0; // bytes into the bound index buffer
  GLint baseVertex = 0;
  GLenum indexType() const { return indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT; }
};

class GlDevice final : public DeviceBackend {
public:
  explicit GlDevice(std::shared_ptr<GlContext> context);
  ~GlDevice() override;

  bool windowClientSize(HWND window, UINT& width, UINT& height) override;
  HRESULT configure(const D3DPRESENT_PARAMETERS& params) override;
  void clear(DeviceState& state, DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
             DWORD stencil) override;
  HRESULT draw(DeviceState& state, const DrawRequest& request) override;
  HRESULT present(const D3DGAMMARAMP& ramp) override;
  std::unique_ptr<BufferBackend> createBuffer(bool indices, UINT size, DWORD usage) override;
  std::unique_ptr<TextureBackend> createTexture(const TextureDescription& description) override;
  bool readPresentedImage(PresentedImage& image) override;
  DeviceStatistics statistics() const override;
  void resetStatistics() override;
  void setForceAll(bool force) override;
  bool recordCalls(GlFrameRecording* recording) override {
    runtime_->gl().recording = recording;
    return true;
  }

private:
  GlProgram* selectProgram(DeviceState& state);
  void issue(GLenum mode, GLsizei count, const GlDrawCall& call);
  void drawLastPixels(GLsizei count, const GlDrawCall& call);

  std::shared_ptr<GlRuntime> runtime_;
  GlStateApplier applier_;
  GlProgramCache programs_;
  FixedFunctionConstants constants_;
  GlSwapChain swapChain_;
  GlStreamBuffer userVertices_;
  GlStreamBuffer userIndices_;
  bool initialized_ = false;
  GlProgram* program_ = nullptr;
  std::uint64_t draws_ = 0;
  std::uint64_t presents_ = 0;
  std::uint64_t callsAtReset_ = 0;
  std::uint64_t stateCallsAtReset_ = 0;
  std::uint64_t programsAtReset_ = 0;
};

} // namespace d3d9
