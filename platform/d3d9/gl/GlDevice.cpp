#include "platform/d3d9/gl/GlDevice.h"

#include "platform/d3d9/Diagnostics.h"
#include "platform/d3d9/Resources.h"
#include "platform/d3d9/VertexLayout.h"
#include "platform/d3d9/gl/GlResources.h"
#include "platform/win32/sdl_bridge.h"

#include <SDL.h>

#include <algorithm>

namespace d3d9 {
namespace {

GLenum primitiveMode(D3DPRIMITIVETYPE type) {
  switch (type) {
  case D3DPT_POINTLIST:
    return GL_POINTS;
  case D3DPT_LINELIST:
    return GL_LINES;
  case D3DPT_LINESTRIP:
    return GL_LINE_STRIP;
  case D3DPT_TRIANGLESTRIP:
    return GL_TRIANGLE_STRIP;
  case D3DPT_TRIANGLEFAN:
    return GL_TRIANGLE_FAN;
  default:
    return GL_TRIANGLES;
  }
}

const void* byteOffset(std::size_t offset) { return reinterpret_cast<const void*>(offset); }

} // namespace

// ---------------------------------------------------------------------------------------
// Stream buffer

GlStreamBuffer::GlStreamBuffer(GlRuntime& runtime, UINT capacity) : runtime_(runtime), capacity_(capacity) {
  GlCounter& gl = runtime_.gl();
  gl.call(glGenBuffers, 1, &name_);
  gl.state(glBindBuffer, GL_COPY_WRITE_BUFFER, name_);
  gl.call(glBufferData, GL_COPY_WRITE_BUFFER, GLsizeiptr(capacity_), nullptr, GL_STREAM_DRAW);
}

GlStreamBuffer::~GlStreamBuffer() {
  runtime_.makeCurrent();
  runtime_.forgetBuffer(name_);
  glDeleteBuffers(1, &name_);
}

UINT GlStreamBuffer::write(const void* data, UINT size, UINT alignment) {
  GlCounter& gl = runtime_.gl();
  gl.state(glBindBuffer, GL_COPY_WRITE_BUFFER, name_);
  UINT offset = ((offset_ + alignment - 1) / alignment) * alignment;
  if (std::uint64_t(offset) + size > capacity_) {
    // Fresh storage: draws still queued keep reading the old one.
    capacity_ = std::max(capacity_, size);
    gl.call(glBufferData, GL_COPY_WRITE_BUFFER, GLsizeiptr(capacity_), nullptr, GL_STREAM_DRAW);
    offset = 0;
  }
  runtime_.writeUnsynchronized(GLintptr(offset), GLsizeiptr(size), data);
  offset_ = offset + size;
  return offset;
}

// ---------------------------------------------------------------------------------------
// Device

GlDevice::GlDevice(std::shared_ptr<GlContext> context)
    : runtime_(std::make_shared<GlRuntime>(std::move(context))), applier_(*runtime_), programs_(*runtime_),
      swapChain_(*runtime_, applier_), userVertices_(*runtime_, 1u << 20), userIndices_(*runtime_, 1u << 18) {}

GlDevice::~GlDevice() { runtime_->makeCurrent(); }

bool GlDevice::windowClientSize(HWND window, UINT& width, UINT& height) {
  SDL_Window* sdl = win32::sdlWindow(window);
  if (!sdl) return false;
  int w = 0, h = 0;
  SDL_GL_GetDrawableSize(sdl, &w, &h);
  width = UINT(std::max(w, 0));
  height = UINT(std::max(h, 0));
  return true;
}

HRESULT GlDevice::configure(const D3DPRESENT_PARAMETERS& params) {
  runtime_->makeCurrent();
  if (!initialized_) {
    applier_.initialize(runtime_->context().useClipControl());
    initialized_ = true;
  }
  std::string failure;
  if (!swapChain_.configure(params, failure)) {
    report("Direct3D: the swap chain could not be made: " + failure);
    return D3DERR_NOTAVAILABLE;
  }
  return D3D_OK;
}

void GlDevice::clear(DeviceState& state, DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                     DWORD stencil) {
  runtime_->makeCurrent();
  GlCounter& gl = runtime_->gl();
  swapChain_.bindBackBuffer();
  GLbitfield bits = 0;
  if (flags & D3DCLEAR_TARGET) {
    bits |= GL_COLOR_BUFFER_BIT;
    applier_.setColorMask(0xF);
    const std::array<float, 4> c = colorFloats(color);
    gl.state(glClearColor, c[0], c[1], c[2], c[3]);
  }
  if (flags & D3DCLEAR_ZBUFFER) {
    bits |= GL_DEPTH_BUFFER_BIT;
    applier_.setDepthMask(true);
    gl.state(glClearDepth, double(z));
  }
  if (flags & D3DCLEAR_STENCIL) {
    bits |= GL_STENCIL_BUFFER_BIT;
    applier_.setStencilWriteMask(0xFF);
    gl.state(glClearStencil, GLint(stencil & 0xFF));
  }
  // Clear touches the viewport (and the scissor rectangle when enabled) only.
  const D3DVIEWPORT9& v = state.viewport();
  LONG left = LONG(v.X), top = LONG(v.Y), right = LONG(v.X + v.Width), bottom = LONG(v.Y + v.Height);
  if (state.renderState(D3DRS_SCISSORTESTENABLE)) {
    const RECT& s = state.scissorRect();
    left = std::max(left, s.left);
    top = std::max(top, s.top);
    right = std::min(right, s.right);
    bottom = std::min(bottom, s.bottom);
  }
  auto clearRegion = [&](LONG l, LONG t, LONG r, LONG b) {
    l = std::max(l, left);
    t = std::max(t, top);
    r = std::min(r, right);
    b = std::min(b, bottom);
    if (l >= r || t >= b) return;
    applier_.setScissor(true, l, t, r - l, b - t);
    gl.call(glClear, bits);
  };
  if (count == 0) {
    clearRegion(left, top, right, bottom);
  } else {
    for (DWORD i = 0; i < count; ++i)
      clearRegion(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
  }
}

GlProgram* GlDevice::selectProgram(DeviceState& state) {
  const VertexLayout layout = describeFvf(state.fvf());
  return programs_.program(makeFixedFunctionKey(state, layout));
}

HRESULT GlDevice::draw(DeviceState& state, const DrawRequest& r) {
  runtime_->makeCurrent();
  swapChain_.bindBackBuffer();
  const bool keyDirty = (state.dirty() & (kDirtyShaderKey | kDirtyVertexInput)) || !program_ || runtime_->forceAll();
  constants_.update(state);
  applier_.apply(state, swapChain_.depthBits());
  if (keyDirty) program_ = selectProgram(state);
  state.clearDirty(kDirtyShaderKey);
  if (!program_) return D3DERR_DRIVERINTERNALERROR;
  runtime_->useProgram(program_->name);
  programs_.upload(*program_, constants_);

  const DWORD fvf = state.fvf();
  const GLsizei count = GLsizei(r.vertexCount);
  GlDrawCall call;
  if (r.userVertices) {
    const UINT stride = r.userStride;
    const UINT offset = userVertices_.write(r.userVertices, r.userVertexCount * stride, stride);
    GlRuntime::VertexArray& array = runtime_->vertexArray(userVertices_.name(), fvf, stride, 0);
    runtime_->bindVertexArray(array);
    call.first = GLint(offset / stride);
    if (r.indexed) {
      call.indexed = true;
      call.indexSize = indexBytes(r.userIndexFormat);
      call.indexOffset = userIndices_.write(r.userIndices, r.vertexCount * call.indexSize, call.indexSize);
      call.baseVertex = call.first;
      runtime_->bindElementBuffer(array, userIndices_.name());
    }
  } else {
    const VertexBuffer* vertices = state.streamBuffer();
    const auto* buffer = static_cast<const GlBuffer*>(vertices->storage().backend());
    GlRuntime::VertexArray& array =
        runtime_->vertexArray(buffer->name(), fvf, state.streamStride(), state.streamOffset());
    runtime_->bindVertexArray(array);
    call.first = GLint(r.startVertex);
    if (r.indexed) {
      const IndexBuffer* indices = state.indices();
      const auto* indexBuffer = static_cast<const GlBuffer*>(indices->storage().backend());
      runtime_->bindElementBuffer(array, indexBuffer->name());
      call.indexed = true;
      call.indexSize = indices->indexSize();
      call.indexOffset = std::size_t(r.startIndex) * call.indexSize;
      call.baseVertex = GLint(r.baseVertex);
    }
  }
  issue(primitiveMode(r.type), count, call);
  if ((r.type == D3DPT_LINELIST || r.type == D3DPT_LINESTRIP) && state.renderState(D3DRS_LASTPIXEL) != FALSE)
    drawLastPixels(count, call);
  state.clearDirty(kDirtyVertexInput | kDirtyIndices);
  ++draws_;
  return D3D_OK;
}

void GlDevice::issue(GLenum mode, GLsizei count, const GlDrawCall& call) {
  GlCounter& gl = runtime_->gl();
  if (call.indexed)
    gl.call(glDrawElementsBaseVertex, mode, count, call.indexType(), byteOffset(call.indexOffset), call.baseVertex);
  else
    gl.call(glDrawArrays, mode, call.first, count);
}

void GlDevice::drawLastPixels(GLsizei count, const GlDrawCall& call) {
  // OpenGL leaves out one end pixel of every line (which one depends on the rasteriser and
  // the line's direction); Direct3D draws both. The lines' vertices are drawn again as
  // one-pixel points.
  applier_.setPointSize(1.0f);
  issue(GL_POINTS, count, call);
}

HRESULT GlDevice::present(const D3DGAMMARAMP& ramp) {
  swapChain_.present(ramp);
  ++presents_;
  return D3D_OK;
}

std::unique_ptr<BufferBackend> GlDevice::createBuffer(bool, UINT size, DWORD usage) {
  return std::make_unique<GlBuffer>(runtime_, size, usage);
}

std::unique_ptr<TextureBackend> GlDevice::createTexture(const TextureDescription& description) {
  return std::make_unique<GlTexture>(runtime_, description);
}

bool GlDevice::readPresentedImage(PresentedImage& image) { return swapChain_.readPresented(image); }

DeviceStatistics GlDevice::statistics() const {
  DeviceStatistics s;
  s.backendCalls = runtime_->gl().calls - callsAtReset_;
  s.stateCalls = runtime_->gl().stateCalls - stateCallsAtReset_;
  s.draws = draws_;
  s.programsBuilt = programs_.built() - programsAtReset_;
  s.presents = presents_;
  return s;
}

void GlDevice::resetStatistics() {
  callsAtReset_ = runtime_->gl().calls;
  stateCallsAtReset_ = runtime_->gl().stateCalls;
  programsAtReset_ = programs_.built();
  draws_ = presents_ = 0;
}

void GlDevice::setForceAll(bool force) {
  runtime_->setForceAll(force);
  constants_.invalidate();
}

} // namespace d3d9
