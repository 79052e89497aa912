// The state setters, getters, bindings and draws of DeviceCore.
#include "platform/d3d9/DeviceCore.h"

#include "platform/d3d9/Diagnostics.h"
#include "platform/d3d9/Direct3DBase.h"
#include "platform/d3d9/VertexLayout.h"

#include <string>

namespace d3d9 {
namespace {

// User-pointer draws copy their vertices; they are meant for small, changing geometry.
constexpr std::uint64_t kMaxUserBytes = 64ull << 20;

HRESULT resultOf(Change change) { return change == Change::Invalid ? D3DERR_INVALIDCALL : D3D_OK; }

// The device keeps a binding on what is bound; moving it releases the old one.
template <class R> void rebind(R* previous, R* next) {
  if (previous == next) return;
  if (next) next->bind();
  if (previous) previous->unbind();
}

} // namespace

// ---------------------------------------------------------------------------------------
// State

HRESULT DeviceCore::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  if (!pMatrix) return fail("SetTransform", "no matrix");
  if (state_.setTransform(State, *pMatrix) == Change::Invalid)
    return fail("SetTransform", ("unknown transform " + std::to_string(State)).c_str());
  return D3D_OK;
}

HRESULT DeviceCore::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
  if (!pMatrix || !state_.getTransform(State, *pMatrix)) return D3DERR_INVALIDCALL;
  return D3D_OK;
}

HRESULT DeviceCore::MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  D3DMATRIX current;
  if (!pMatrix || !state_.getTransform(State, current)) return D3DERR_INVALIDCALL;
  return resultOf(state_.setTransform(State, multiplyMatrices(*pMatrix, current)));
}

HRESULT DeviceCore::SetViewport(const D3DVIEWPORT9* pViewport) {
  if (!pViewport) return fail("SetViewport", "no viewport");
  if (state_.setViewport(*pViewport, params_.BackBufferWidth, params_.BackBufferHeight) == Change::Invalid)
    return fail("SetViewport", "viewport outside the render target");
  return D3D_OK;
}

HRESULT DeviceCore::GetViewport(D3DVIEWPORT9* pViewport) {
  if (!pViewport) return D3DERR_INVALIDCALL;
  *pViewport = state_.viewport();
  return D3D_OK;
}

HRESULT DeviceCore::SetMaterial(const D3DMATERIAL9* pMaterial) {
  if (!pMaterial) return fail("SetMaterial", "no material");
  state_.setMaterial(*pMaterial);
  return D3D_OK;
}

HRESULT DeviceCore::GetMaterial(D3DMATERIAL9* pMaterial) {
  if (!pMaterial) return D3DERR_INVALIDCALL;
  *pMaterial = state_.material();
  return D3D_OK;
}

HRESULT DeviceCore::SetLight(DWORD Index, const D3DLIGHT9* pLight) {
  if (!pLight) return fail("SetLight", "no light");
  if (state_.setLight(Index, *pLight) == Change::Invalid) return fail("SetLight", "invalid light type or range");
  return D3D_OK;
}

HRESULT DeviceCore::GetLight(DWORD Index, D3DLIGHT9* pLight) {
  if (!pLight || !state_.getLight(Index, *pLight)) return D3DERR_INVALIDCALL;
  return D3D_OK;
}

HRESULT DeviceCore::LightEnable(DWORD Index, BOOL Enable) { return resultOf(state_.enableLight(Index, Enable != 0)); }

HRESULT DeviceCore::GetLightEnable(DWORD Index, BOOL* pEnable) {
  if (!pEnable || !state_.getLightEnable(Index, *pEnable)) return D3DERR_INVALIDCALL;
  return D3D_OK;
}

HRESULT DeviceCore::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  if (state_.setRenderState(State, Value) == Change::Invalid)
    return fail("SetRenderState", (std::to_string(State) + " is not a Direct3D 9 render state").c_str());
  return D3D_OK;
}

HRESULT DeviceCore::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
  if (!pValue || !state_.getRenderState(State, *pValue)) return D3DERR_INVALIDCALL;
  return D3D_OK;
}

HRESULT DeviceCore::GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) {
  if (!ppTexture || Stage >= kSamplerCount) return D3DERR_INVALIDCALL;
  *ppTexture = state_.texture(Stage);
  if (*ppTexture) (*ppTexture)->AddRef();
  return D3D_OK;
}

HRESULT DeviceCore::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) {
  if (Stage >= kSamplerCount) return fail("SetTexture", "no such stage");
  Texture* texture = nullptr;
  if (pTexture) {
    texture = dynamic_cast<Texture*>(pTexture);
    if (!texture || &texture->owner() != this) return fail("SetTexture", "the texture belongs to another device");
    if (!texture->drawable()) return fail("SetTexture", "scratch and system-memory textures cannot be drawn");
  }
  Texture* previous = state_.texture(Stage);
  if (state_.setTexture(Stage, texture) == Change::Changed) rebind(previous, texture);
  return D3D_OK;
}

HRESULT DeviceCore::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) {
  if (!pValue || !state_.getStageState(Stage, Type, *pValue)) return D3DERR_INVALIDCALL;
  return D3D_OK;
}

HRESULT DeviceCore::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
  if (state_.setStageState(Stage, Type, Value) == Change::Invalid)
    return fail("SetTextureStageState", "no such stage or state");
  return D3D_OK;
}

HRESULT DeviceCore::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) {
  if (!pValue || !state_.getSamplerState(Sampler, Type, *pValue)) return D3DERR_INVALIDCALL;
  return D3D_OK;
}

HRESULT DeviceCore::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
  if (state_.setSamplerState(Sampler, Type, Value) == Change::Invalid)
    return fail("SetSamplerState", "no such sampler or state");
  return D3D_OK;
}

HRESULT DeviceCore::SetScissorRect(const RECT* pRect) {
  if (!pRect || state_.setScissorRect(*pRect) == Change::Invalid) return fail("SetScissorRect", "bad rectangle");
  return D3D_OK;
}

HRESULT DeviceCore::GetScissorRect(RECT* pRect) {
  if (!pRect) return D3DERR_INVALIDCALL;
  *pRect = state_.scissorRect();
  return D3D_OK;
}

// ---------------------------------------------------------------------------------------
// Vertex input

HRESULT DeviceCore::SetFVF(DWORD FVF) {
  if (FVF != 0 && !describeFvf(FVF).valid) return fail("SetFVF", "invalid vertex format");
  state_.setFvf(FVF);
  return D3D_OK;
}

HRESULT DeviceCore::GetFVF(DWORD* pFVF) {
  if (!pFVF) return D3DERR_INVALIDCALL;
  *pFVF = state_.fvf();
  return D3D_OK;
}

HRESULT DeviceCore::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                                    UINT Stride) {
  if (StreamNumber != 0) return fail("SetStreamSource", "only stream 0 feeds flexible vertex formats");
  VertexBuffer* buffer = nullptr;
  if (pStreamData) {
    buffer = dynamic_cast<VertexBuffer*>(pStreamData);
    if (!buffer || &buffer->owner() != this) return fail("SetStreamSource", "the buffer belongs to another device");
  }
  VertexBuffer* previous = state_.streamBuffer();
  if (state_.setStreamSource(buffer, OffsetInBytes, Stride) == Change::Changed) rebind(previous, buffer);
  return D3D_OK;
}

HRESULT DeviceCore::GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData, UINT* pOffsetInBytes,
                                    UINT* pStride) {
  if (StreamNumber != 0 || !ppStreamData || !pOffsetInBytes || !pStride) return D3DERR_INVALIDCALL;
  *ppStreamData = state_.streamBuffer();
  if (*ppStreamData) (*ppStreamData)->AddRef();
  *pOffsetInBytes = state_.streamOffset();
  *pStride = state_.streamStride();
  return D3D_OK;
}

HRESULT DeviceCore::SetIndices(IDirect3DIndexBuffer9* pIndexData) {
  IndexBuffer* buffer = nullptr;
  if (pIndexData) {
    buffer = dynamic_cast<IndexBuffer*>(pIndexData);
    if (!buffer || &buffer->owner() != this) return fail("SetIndices", "the buffer belongs to another device");
  }
  IndexBuffer* previous = state_.indices();
  if (state_.setIndices(buffer) == Change::Changed) rebind(previous, buffer);
  return D3D_OK;
}

HRESULT DeviceCore::GetIndices(IDirect3DIndexBuffer9** ppIndexData) {
  if (!ppIndexData) return D3DERR_INVALIDCALL;
  *ppIndexData = state_.indices();
  if (*ppIndexData) (*ppIndexData)->AddRef();
  return D3D_OK;
}

// ---------------------------------------------------------------------------------------
// Drawing

HRESULT DeviceCore::validateDraw(const char* method, D3DPRIMITIVETYPE type, UINT primitiveCount, DrawRequest& request) {
  if (!inScene_) return fail(method, "called outside BeginScene/EndScene");
  if (type < D3DPT_POINTLIST || type > D3DPT_TRIANGLEFAN) return fail(method, "unknown primitive type");
  if (primitiveCount > direct3d_.backendCapabilities().caps.MaxPrimitiveCount)
    return fail(method, "more primitives than the device draws at once");
  const VertexLayout layout = describeFvf(state_.fvf());
  if (!layout.valid || layout.position == PositionKind::None) return fail(method, "no vertex format with a position");
  request.type = type;
  request.primitiveCount = primitiveCount;
  request.vertexCount = verticesForPrimitives(type, primitiveCount);
  request.vertexSize = layout.stride;
  return D3D_OK;
}

HRESULT DeviceCore::submitDraw(const DrawRequest& request) {
  if (request.primitiveCount == 0 || loss_.lost()) return D3D_OK;
  return backend_->draw(state_, request);
}

HRESULT DeviceCore::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) {
  DrawRequest request;
  HRESULT result = validateDraw("DrawPrimitive", PrimitiveType, PrimitiveCount, request);
  if (FAILED(result)) return result;
  const VertexBuffer* buffer = state_.streamBuffer();
  const UINT stride = state_.streamStride();
  const UINT vertexSize = request.vertexSize;
  if (!buffer || stride < vertexSize || stride == 0) return fail("DrawPrimitive", "no vertex stream of this format");
  const std::uint64_t last = std::uint64_t(state_.streamOffset()) +
                             (std::uint64_t(StartVertex) + request.vertexCount - 1) * stride + vertexSize;
  if (request.vertexCount > 0 && last > buffer->storage().size())
    return fail("DrawPrimitive", "vertices beyond the end of the vertex buffer");
  request.startVertex = StartVertex;
  return submitDraw(request);
}

HRESULT DeviceCore::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex, UINT, UINT,
                                         UINT startIndex, UINT primCount) {
  DrawRequest request;
  HRESULT result = validateDraw("DrawIndexedPrimitive", PrimitiveType, primCount, request);
  if (FAILED(result)) return result;
  const VertexBuffer* vertices = state_.streamBuffer();
  const IndexBuffer* indices = state_.indices();
  const UINT stride = state_.streamStride();
  const UINT vertexSize = request.vertexSize;
  if (!vertices || stride < vertexSize || stride == 0)
    return fail("DrawIndexedPrimitive", "no vertex stream of this format");
  if (!indices) return fail("DrawIndexedPrimitive", "no index buffer");
  const UINT indexCount = indices->storage().size() / indices->indexSize();
  if (std::uint64_t(startIndex) + request.vertexCount > indexCount)
    return fail("DrawIndexedPrimitive", "indices beyond the end of the index buffer");
  if (request.vertexCount > 0) {
    // Every vertex the indices name must lie inside the vertex buffer: out-of-range
    // vertex fetches are undefined on the GPU.
    const std::uint64_t bytes = vertices->storage().size();
    const std::uint64_t available =
        bytes < state_.streamOffset() + vertexSize ? 0 : (bytes - state_.streamOffset() - vertexSize) / stride + 1;
    const std::int64_t largest = std::int64_t(indices->maxIndex(startIndex, request.vertexCount)) + BaseVertexIndex;
    if (largest >= std::int64_t(available))
      return fail("DrawIndexedPrimitive", "an index names a vertex beyond the vertex buffer");
    if (BaseVertexIndex < 0) {
      const IndexRange range =
          indexRange(indices->storage().bytes(), indices->indexSize(), startIndex, request.vertexCount);
      if (std::int64_t(range.smallest) + BaseVertexIndex < 0)
        return fail("DrawIndexedPrimitive", "an index names a vertex before the vertex buffer");
    }
  }
  request.indexed = true;
  request.baseVertex = BaseVertexIndex;
  request.startIndex = startIndex;
  return submitDraw(request);
}

HRESULT DeviceCore::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                    const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) {
  DrawRequest request;
  HRESULT result = validateDraw("DrawPrimitiveUP", PrimitiveType, PrimitiveCount, request);
  if (FAILED(result)) return result;
  if (!pVertexStreamZeroData) return fail("DrawPrimitiveUP", "no vertex data");
  if (VertexStreamZeroStride < request.vertexSize)
    return fail("DrawPrimitiveUP", "stride smaller than the vertex format");
  if (std::uint64_t(request.vertexCount) * VertexStreamZeroStride > kMaxUserBytes)
    return fail("DrawPrimitiveUP", "too many vertices for one user-pointer draw");
  request.userVertices = pVertexStreamZeroData;
  request.userStride = VertexStreamZeroStride;
  request.userVertexCount = request.vertexCount;
  // D3D9 leaves no stream source bound after a user-pointer draw.
  SetStreamSource(0, nullptr, 0, 0);
  return submitDraw(request);
}

HRESULT DeviceCore::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex, UINT NumVertices,
                                           UINT PrimitiveCount, const void* pIndexData, D3DFORMAT IndexDataFormat,
                                           const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) {
  DrawRequest request;
  HRESULT result = validateDraw("DrawIndexedPrimitiveUP", PrimitiveType, PrimitiveCount, request);
  if (FAILED(result)) return result;
  if (!pIndexData || !pVertexStreamZeroData) return fail("DrawIndexedPrimitiveUP", "no index or vertex data");
  if (IndexDataFormat != D3DFMT_INDEX16 && IndexDataFormat != D3DFMT_INDEX32)
    return fail("DrawIndexedPrimitiveUP", "not an index format");
  if (VertexStreamZeroStride < request.vertexSize)
    return fail("DrawIndexedPrimitiveUP", "stride smaller than the vertex format");
  const std::uint64_t available = std::uint64_t(MinVertexIndex) + NumVertices;
  if (available * VertexStreamZeroStride > kMaxUserBytes)
    return fail("DrawIndexedPrimitiveUP", "too many vertices for one user-pointer draw");
  const IndexRange range =
      indexRange(static_cast<const BYTE*>(pIndexData), indexBytes(IndexDataFormat), 0, request.vertexCount);
  if (range.largest >= available)
    return fail("DrawIndexedPrimitiveUP", "an index names a vertex beyond the vertices given");
  request.indexed = true;
  request.userVertices = pVertexStreamZeroData;
  request.userStride = VertexStreamZeroStride;
  request.userVertexCount = static_cast<UINT>(available);
  request.userIndices = pIndexData;
  request.userIndexFormat = IndexDataFormat;
  SetStreamSource(0, nullptr, 0, 0);
  SetIndices(nullptr);
  return submitDraw(request);
}

} // namespace d3d9
