// What a device needs from its back end: a swap chain, clears, draws, presents and the
// back-end side of buffers and textures. The device core validates every call and keeps
// the state; the back end only executes.
#pragma once

#include "platform/d3d9/DeviceHooks.h"
#include "platform/d3d9/d3d9.h"

#include <memory>

namespace d3d9 {

class DeviceState;
class GlFrameRecording;

// The back-end side of a vertex or index buffer: told about every unlocked range.
class BufferBackend {
public:
  virtual ~BufferBackend() = default;
  // `bytes` is the whole buffer (`size` bytes); [offset, offset + length) was written.
  virtual void update(const BYTE* bytes, UINT size, UINT offset, UINT length, DWORD lockFlags) = 0;
};

// The back-end side of a texture: told about every unlocked rectangle of a level.
class TextureBackend {
public:
  virtual ~TextureBackend() = default;
  // `level` holds the whole level (pitch bytes per row, block rows for DXT).
  virtual void updateLevel(UINT level, const BYTE* bytes, UINT pitch, const RECT& written) = 0;
  // Whether readLevel gives back what was sent: a texture whose back end keeps its texels
  // need not keep a second copy in system memory between locks.
  virtual bool readsBack() const { return false; }
  // Writes the whole level as last sent into `bytes`, rows packed as levelPitch lays them.
  virtual void readLevel(UINT /*level*/, BYTE* /*bytes*/) {}
};

struct TextureDescription {
  UINT width = 0;
  UINT height = 0;
  UINT levels = 0;
  DWORD usage = 0;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  D3DPOOL pool = D3DPOOL_MANAGED;
};

// One validated draw. Vertex data comes from the bound stream or from user memory.
struct DrawRequest {
  D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
  UINT primitiveCount = 0;
  UINT vertexCount = 0; // vertices (or indices) the primitives consume
  UINT vertexSize = 0;  // bytes of one vertex of the bound vertex format
  bool indexed = false;
  // Bound buffers
  UINT startVertex = 0;
  INT baseVertex = 0;
  UINT startIndex = 0;
  // User memory (DrawPrimitiveUP, DrawIndexedPrimitiveUP)
  const void* userVertices = nullptr;
  UINT userStride = 0;
  UINT userVertexCount = 0; // vertices available in user memory
  const void* userIndices = nullptr;
  D3DFORMAT userIndexFormat = D3DFMT_INDEX16;
};

class DeviceBackend {
public:
  virtual ~DeviceBackend() = default;

  // The client size of a window, for present parameters that leave the size to the window.
  virtual bool windowClientSize(HWND window, UINT& width, UINT& height) = 0;
  // Makes (or remakes, on Reset) the swap chain for validated present parameters.
  virtual HRESULT configure(const D3DPRESENT_PARAMETERS& params) = 0;
  virtual void clear(DeviceState& state, DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                     DWORD stencil) = 0;
  virtual HRESULT draw(DeviceState& state, const DrawRequest& request) = 0;
  virtual HRESULT present(const D3DGAMMARAMP& ramp) = 0;

  virtual std::unique_ptr<BufferBackend> createBuffer(bool indices, UINT size, DWORD usage) = 0;
  virtual std::unique_ptr<TextureBackend> createTexture(const TextureDescription& description) = 0;

  virtual bool readPresentedImage(PresentedImage& image) = 0;
  virtual DeviceStatistics statistics() const = 0;
  virtual void resetStatistics() = 0;
  // "Force everything": ignore what the back end believes it already sent.
  virtual void setForceAll(bool force) = 0;
  // Keeps the back end's OpenGL calls in `recording` from now on (null: stops); false for a
  // back end without OpenGL.
  virtual bool recordCalls(GlFrameRecording*) { return false; }
};

} // namespace d3d9
