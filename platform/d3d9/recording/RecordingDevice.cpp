#include "platform/d3d9/recording/RecordingDevice.h"

#include <cstring>

namespace d3d9 {
namespace {

std::vector<float> floatsOf(const void* data, std::size_t count) {
  std::vector<float> out(count);
  if (data)
    std::memcpy(out.data(), data, count * sizeof(float));
  else
    out.clear();
  return out;
}

std::vector<float> floatsOf(const D3DMATRIX* m) { return floatsOf(m, 16); }
std::vector<float> floatsOf(const D3DMATERIAL9* m) { return floatsOf(m, 17); }

// A light is recorded as its type (with the index) and its 25 floats.
std::vector<float> floatsOf(const D3DLIGHT9* light) {
  return light ? floatsOf(reinterpret_cast<const BYTE*>(light) + sizeof(D3DLIGHTTYPE), 25) : std::vector<float>{};
}

std::uint64_t u(DWORD value) { return value; }
std::uint64_t s(INT value) { return static_cast<std::uint64_t>(static_cast<std::int64_t>(value)); }

} // namespace

RecordingDevice::RecordingDevice(DeviceCore* core, std::shared_ptr<CallLog> log) : core_(core), log_(std::move(log)) {
  core_->setOuter(this);
}

RecordingDevice::~RecordingDevice() { core_->Release(); }

ULONG RecordingDevice::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT RecordingDevice::TestCooperativeLevel() {
  return log_->run("TestCooperativeLevel", {}, {}, [&] { return core_->TestCooperativeLevel(); });
}

UINT RecordingDevice::GetAvailableTextureMem() {
  log_->run("GetAvailableTextureMem", {}, {}, [] { return D3D_OK; });
  return core_->GetAvailableTextureMem();
}

HRESULT RecordingDevice::EvictManagedResources() {
  return log_->run("EvictManagedResources", {}, {}, [&] { return core_->EvictManagedResources(); });
}

HRESULT RecordingDevice::GetDirect3D(IDirect3D9** ppD3D9) {
  return log_->run("GetDirect3D", {}, {}, [&] { return core_->GetDirect3D(ppD3D9); });
}

HRESULT RecordingDevice::GetDeviceCaps(D3DCAPS9* pCaps) {
  return log_->run("GetDeviceCaps", {}, {}, [&] { return core_->GetDeviceCaps(pCaps); });
}

HRESULT RecordingDevice::GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) {
  return log_->run("GetDisplayMode", {iSwapChain}, {}, [&] { return core_->GetDisplayMode(iSwapChain, pMode); });
}

HRESULT RecordingDevice::Reset(D3DPRESENT_PARAMETERS* p) {
  return log_->run("Reset", presentParameterArgs(p), {}, [&] { return core_->Reset(p); });
}

HRESULT RecordingDevice::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                                 const void* pDirtyRegion) {
  return log_->run("Present", {}, {},
                   [&] { return core_->Present(pSourceRect, pDestRect, hDestWindowOverride, pDirtyRegion); });
}

HRESULT RecordingDevice::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                       IDirect3DSurface9** ppBackBuffer) {
  return log_->run("GetBackBuffer", {iSwapChain, iBackBuffer, u(Type)}, {},
                   [&] { return core_->GetBackBuffer(iSwapChain, iBackBuffer, Type, ppBackBuffer); });
}

void RecordingDevice::SetGammaRamp(UINT iSwapChain, DWORD Flags, const D3DGAMMARAMP* pRamp) {
  std::vector<std::uint64_t> args{iSwapChain, Flags};
  if (pRamp) args.insert(args.end(), {pRamp->red[0], pRamp->red[128], pRamp->red[255]});
  log_->run("SetGammaRamp", std::move(args), {}, [&] {
    core_->SetGammaRamp(iSwapChain, Flags, pRamp);
    return D3D_OK;
  });
}

void RecordingDevice::GetGammaRamp(UINT iSwapChain, D3DGAMMARAMP* pRamp) {
  log_->run("GetGammaRamp", {iSwapChain}, {}, [&] {
    core_->GetGammaRamp(iSwapChain, pRamp);
    return D3D_OK;
  });
}

HRESULT RecordingDevice::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                                       D3DPOOL Pool, IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) {
  return log_->run("CreateTexture", {Width, Height, Levels, Usage, u(Format), u(Pool)}, {}, [&] {
    const HRESULT result = core_->CreateTexture(Width, Height, Levels, Usage, Format, Pool, ppTexture, pSharedHandle);
    if (SUCCEEDED(result)) log_->registerResource(*ppTexture);
    return result;
  });
}

HRESULT RecordingDevice::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                            IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) {
  return log_->run("CreateVertexBuffer", {Length, Usage, FVF, u(Pool)}, {}, [&] {
    const HRESULT result = core_->CreateVertexBuffer(Length, Usage, FVF, Pool, ppVertexBuffer, pSharedHandle);
    if (SUCCEEDED(result)) log_->registerResource(*ppVertexBuffer);
    return result;
  });
}

HRESULT RecordingDevice::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                           IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) {
  return log_->run("CreateIndexBuffer", {Length, Usage, u(Format), u(Pool)}, {}, [&] {
    const HRESULT result = core_->CreateIndexBuffer(Length, Usage, Format, Pool, ppIndexBuffer, pSharedHandle);
    if (SUCCEEDED(result)) log_->registerResource(*ppIndexBuffer);
    return result;
  });
}

HRESULT RecordingDevice::UpdateTexture(IDirect3DBaseTexture9* pSourceTexture,
                                       IDirect3DBaseTexture9* pDestinationTexture) {
  return log_->run("UpdateTexture", {id(pSourceTexture), id(pDestinationTexture)}, {},
                   [&] { return core_->UpdateTexture(pSourceTexture, pDestinationTexture); });
}

HRESULT RecordingDevice::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                               DWORD Stencil) {
  return log_->run("Clear", {Count, Flags, Color, Stencil}, {Z},
                   [&] { return core_->Clear(Count, pRects, Flags, Color, Z, Stencil); });
}

HRESULT RecordingDevice::BeginScene() {
  return log_->run("BeginScene", {}, {}, [&] { return core_->BeginScene(); });
}
HRESULT RecordingDevice::EndScene() {
  return log_->run("EndScene", {}, {}, [&] { return core_->EndScene(); });
}

HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  return log_->run("SetTransform", {u(State)}, floatsOf(pMatrix), [&] { return core_->SetTransform(State, pMatrix); });
}

HRESULT RecordingDevice::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
  return log_->run("GetTransform", {u(State)}, {}, [&] { return core_->GetTransform(State, pMatrix); });
}

HRESULT RecordingDevice::MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  return log_->run("MultiplyTransform", {u(State)}, floatsOf(pMatrix),
                   [&] { return core_->MultiplyTransform(State, pMatrix); });
}

HRESULT RecordingDevice::SetViewport(const D3DVIEWPORT9* v) {
  std::vector<std::uint64_t> args;
  std::vector<float> floats;
  if (v) {
    args = {v->X, v->Y, v->Width, v->Height};
    floats = {v->MinZ, v->MaxZ};
  }
  return log_->run("SetViewport", std::move(args), std::move(floats), [&] { return core_->SetViewport(v); });
}

HRESULT RecordingDevice::GetViewport(D3DVIEWPORT9* pViewport) {
  return log_->run("GetViewport", {}, {}, [&] { return core_->GetViewport(pViewport); });
}

HRESULT RecordingDevice::SetMaterial(const D3DMATERIAL9* pMaterial) {
  return log_->run("SetMaterial", {}, floatsOf(pMaterial), [&] { return core_->SetMaterial(pMaterial); });
}

HRESULT RecordingDevice::GetMaterial(D3DMATERIAL9* pMaterial) {
  return log_->run("GetMaterial", {}, {}, [&] { return core_->GetMaterial(pMaterial); });
}

HRESULT RecordingDevice::SetLight(DWORD Index, const D3DLIGHT9* pLight) {
  std::vector<std::uint64_t> args{Index};
  if (pLight) args.push_back(u(pLight->Type));
  return log_->run("SetLight", std::move(args), floatsOf(pLight), [&] { return core_->SetLight(Index, pLight); });
}

HRESULT RecordingDevice::GetLight(DWORD Index, D3DLIGHT9* pLight) {
  return log_->run("GetLight", {Index}, {}, [&] { return core_->GetLight(Index, pLight); });
}

HRESULT RecordingDevice::LightEnable(DWORD Index, BOOL Enable) {
  return log_->run("LightEnable", {Index, s(Enable)}, {}, [&] { return core_->LightEnable(Index, Enable); });
}

HRESULT RecordingDevice::GetLightEnable(DWORD Index, BOOL* pEnable) {
  return log_->run("GetLightEnable", {Index}, {}, [&] { return core_->GetLightEnable(Index, pEnable); });
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  return log_->run("SetRenderState", {u(State), Value}, {}, [&] { return core_->SetRenderState(State, Value); });
}

HRESULT RecordingDevice::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
  return log_->run("GetRenderState", {u(State)}, {}, [&] { return core_->GetRenderState(State, pValue); });
}

HRESULT RecordingDevice::GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) {
  return log_->run("GetTexture", {Stage}, {}, [&] { return core_->GetTexture(Stage, ppTexture); });
}

HRESULT RecordingDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) {
  return log_->run("SetTexture", {Stage, id(pTexture)}, {}, [&] { return core_->SetTexture(Stage, pTexture); });
}

HRESULT RecordingDevice::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) {
  return log_->run("GetTextureStageState", {Stage, u(Type)}, {},
                   [&] { return core_->GetTextureStageState(Stage, Type, pValue); });
}

HRESULT RecordingDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
  return log_->run("SetTextureStageState", {Stage, u(Type), Value}, {},
                   [&] { return core_->SetTextureStageState(Stage, Type, Value); });
}

HRESULT RecordingDevice::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) {
  return log_->run("GetSamplerState", {Sampler, u(Type)}, {},
                   [&] { return core_->GetSamplerState(Sampler, Type, pValue); });
}

HRESULT RecordingDevice::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
  return log_->run("SetSamplerState", {Sampler, u(Type), Value}, {},
                   [&] { return core_->SetSamplerState(Sampler, Type, Value); });
}

HRESULT RecordingDevice::SetScissorRect(const RECT* r) {
  std::vector<std::uint64_t> args;
  if (r) args = {s(r->left), s(r->top), s(r->right), s(r->bottom)};
  return log_->run("SetScissorRect", std::move(args), {}, [&] { return core_->SetScissorRect(r); });
}

HRESULT RecordingDevice::GetScissorRect(RECT* pRect) {
  return log_->run("GetScissorRect", {}, {}, [&] { return core_->GetScissorRect(pRect); });
}

HRESULT RecordingDevice::SetFVF(DWORD FVF) {
  return log_->run("SetFVF", {FVF}, {}, [&] { return core_->SetFVF(FVF); });
}

HRESULT RecordingDevice::GetFVF(DWORD* pFVF) {
  return log_->run("GetFVF", {}, {}, [&] { return core_->GetFVF(pFVF); });
}

HRESULT RecordingDevice::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                                         UINT Stride) {
  return log_->run("SetStreamSource", {StreamNumber, id(pStreamData), OffsetInBytes, Stride}, {},
                   [&] { return core_->SetStreamSource(StreamNumber, pStreamData, OffsetInBytes, Stride); });
}

HRESULT RecordingDevice::GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData, UINT* pOffsetInBytes,
                                         UINT* pStride) {
  return log_->run("GetStreamSource", {StreamNumber}, {},
                   [&] { return core_->GetStreamSource(StreamNumber, ppStreamData, pOffsetInBytes, pStride); });
}

HRESULT RecordingDevice::SetIndices(IDirect3DIndexBuffer9* pIndexData) {
  return log_->run("SetIndices", {id(pIndexData)}, {}, [&] { return core_->SetIndices(pIndexData); });
}

HRESULT RecordingDevice::GetIndices(IDirect3DIndexBuffer9** ppIndexData) {
  return log_->run("GetIndices", {}, {}, [&] { return core_->GetIndices(ppIndexData); });
}

HRESULT RecordingDevice::DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) {
  return log_->run("DrawPrimitive", {u(PrimitiveType), StartVertex, PrimitiveCount}, {},
                   [&] { return core_->DrawPrimitive(PrimitiveType, StartVertex, PrimitiveCount); });
}

HRESULT RecordingDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex, UINT MinVertexIndex,
                                              UINT NumVertices, UINT startIndex, UINT primCount) {
  return log_->run("DrawIndexedPrimitive",
                   {u(PrimitiveType), s(BaseVertexIndex), MinVertexIndex, NumVertices, startIndex, primCount}, {}, [&] {
                     return core_->DrawIndexedPrimitive(PrimitiveType, BaseVertexIndex, MinVertexIndex, NumVertices,
                                                        startIndex, primCount);
                   });
}

HRESULT RecordingDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                         const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) {
  return log_->run("DrawPrimitiveUP", {u(PrimitiveType), PrimitiveCount, VertexStreamZeroStride}, {}, [&] {
    return core_->DrawPrimitiveUP(PrimitiveType, PrimitiveCount, pVertexStreamZeroData, VertexStreamZeroStride);
  });
}

HRESULT RecordingDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex, UINT NumVertices,
                                                UINT PrimitiveCount, const void* pIndexData, D3DFORMAT IndexDataFormat,
                                                const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) {
  return log_->run(
      "DrawIndexedPrimitiveUP",
      {u(PrimitiveType), MinVertexIndex, NumVertices, PrimitiveCount, u(IndexDataFormat), VertexStreamZeroStride}, {},
      [&] {
        return core_->DrawIndexedPrimitiveUP(PrimitiveType, MinVertexIndex, NumVertices, PrimitiveCount, pIndexData,
                                             IndexDataFormat, pVertexStreamZeroData, VertexStreamZeroStride);
      });
}

} // namespace d3d9
