// The device both back ends share: it checks every call at the boundary (answering
// D3DERR_INVALIDCALL and reporting why), keeps the state, the bindings and the lost-device
// cycle, creates resources, and hands validated clears, draws and presents to its back end.
#pragma once

#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/DeviceLoss.h"
#include "platform/d3d9/DeviceState.h"
#include "platform/d3d9/Resources.h"
#include "platform/d3d9/d3d9.h"

#include <memory>

namespace d3d9 {

class Direct3DBase;

// The hooks of DeviceHooks.h, implemented by every device of this stand-in.
class DeviceControl {
public:
  virtual void forceLoss(unsigned lostReports) = 0;
  virtual bool readPresented(PresentedImage& image) = 0;
  virtual DeviceStatistics statistics() = 0;
  virtual void resetStatistics() = 0;
  virtual void setStateCaching(bool enabled) = 0;
  virtual bool recordBackendCalls(GlFrameRecording* recording) = 0;

protected:
  ~DeviceControl() = default;
};

class DeviceCore final : public IDirect3DDevice9, public ResourceOwner, public DeviceControl {
public:
  DeviceCore(Direct3DBase& direct3d, UINT adapter, HWND focusWindow, DWORD behaviorFlags,
             std::unique_ptr<DeviceBackend> backend);

  // Configures the swap chain for completed present parameters; false leaves the device unusable.
  HRESULT initialize(const D3DPRESENT_PARAMETERS& params);
  // The interface the application holds (a recording wrapper, or this).
  void setOuter(IDirect3DDevice9* outer) { outer_ = outer; }

  // IUnknown
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;

  // Device and swap chain
  HRESULT TestCooperativeLevel() override;
  UINT GetAvailableTextureMem() override;
  HRESULT EvictManagedResources() override { return D3D_OK; }
  HRESULT GetDirect3D(IDirect3D9** ppD3D9) override;
  HRESULT GetDeviceCaps(D3DCAPS9* pCaps) override;
  HRESULT GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) override;
  HRESULT Reset(D3DPRESENT_PARAMETERS* pPresentationParameters) override;
  HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                  const void* pDirtyRegion) override;
  HRESULT GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                        IDirect3DSurface9** ppBackBuffer) override;
  void SetGammaRamp(UINT iSwapChain, DWORD Flags, const D3DGAMMARAMP* pRamp) override;
  void GetGammaRamp(UINT iSwapChain, D3DGAMMARAMP* pRamp) override;

  // Resources
  HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                        IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) override;
  HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool, IDirect3DVertexBuffer9** ppVertexBuffer,
                             HANDLE* pSharedHandle) override;
  HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                            IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) override;
  HRESULT UpdateTexture(IDirect3DBaseTexture9* pSourceTexture, IDirect3DBaseTexture9* pDestinationTexture) override;

  // Frame
  HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;

  // State
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override;
  HRESULT MultiplyTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
  HRESULT SetViewport(const D3DVIEWPORT9* pViewport) override;
  HRESULT GetViewport(D3DVIEWPORT9* pViewport) override;
  HRESULT SetMaterial(const D3DMATERIAL9* pMaterial) override;
  HRESULT GetMaterial(D3DMATERIAL9* pMaterial) override;
  HRESULT SetLight(DWORD Index, const D3DLIGHT9* pLight) override;
  HRESULT GetLight(DWORD Index, D3DLIGHT9* pLight) override;
  HRESULT LightEnable(DWORD Index, BOOL Enable) override;
  HRESULT GetLightEnable(DWORD Index, BOOL* pEnable) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override;
  HRESULT GetTexture(DWORD Stage, IDirect3DBaseTexture9** ppTexture) override;
  HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
  HRESULT GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) override;
  HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
  HRESULT GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) override;
  HRESULT SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override;
  HRESULT SetScissorRect(const RECT* pRect) override;
  HRESULT GetScissorRect(RECT* pRect) override;

  // Vertex input and drawing
  HRESULT SetFVF(DWORD FVF) override;
  HRESULT GetFVF(DWORD* pFVF) override;
  HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                          UINT Stride) override;
  HRESULT GetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9** ppStreamData, UINT* pOffsetInBytes,
                          UINT* pStride) override;
  HRESULT SetIndices(IDirect3DIndexBuffer9* pIndexData) override;
  HRESULT GetIndices(IDirect3DIndexBuffer9** ppIndexData) override;
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE PrimitiveType, UINT StartVertex, UINT PrimitiveCount) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex, UINT MinVertexIndex,
                               UINT NumVertices, UINT startIndex, UINT primCount) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount, const void* pVertexStreamZeroData,
                          UINT VertexStreamZeroStride) override;
  HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT MinVertexIndex, UINT NumVertices,
                                 UINT PrimitiveCount, const void* pIndexData, D3DFORMAT IndexDataFormat,
                                 const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) override;

  // ResourceOwner
  IDirect3DDevice9* outerDevice() override { return outer_; }
  DeviceBackend& backend() override { return *backend_; }
  void countResource(D3DPOOL pool, int delta) override;

  // DeviceControl
  void forceLoss(unsigned lostReports) override { loss_.force(lostReports); }
  bool readPresented(PresentedImage& image) override { return backend_->readPresentedImage(image); }
  DeviceStatistics statistics() override { return backend_->statistics(); }
  void resetStatistics() override { backend_->resetStatistics(); }
  void setStateCaching(bool enabled) override;
  bool recordBackendCalls(GlFrameRecording* recording) override { return backend_->recordCalls(recording); }

  DeviceLoss& loss() { return loss_; }
  const DeviceState& state() const { return state_; }
  const D3DPRESENT_PARAMETERS& presentParameters() const { return params_; }

private:
  ~DeviceCore() override;

  HRESULT fail(const char* method, const char* reason);
  // The work of Reset; any failure leaves the device lost.
  HRESULT resetSwapChain(D3DPRESENT_PARAMETERS* pPresentationParameters);
  void unbindAll();
  HRESULT validateDraw(const char* method, D3DPRIMITIVETYPE type, UINT primitiveCount, DrawRequest& request);
  HRESULT submitDraw(const DrawRequest& request);

  ULONG refs_ = 1;
  IDirect3DDevice9* outer_ = this;
  Direct3DBase& direct3d_;
  UINT adapter_;
  HWND focusWindow_;
  DWORD behaviorFlags_;
  std::unique_ptr<DeviceBackend> backend_;
  D3DPRESENT_PARAMETERS params_{};
  DeviceState state_;
  DeviceLoss loss_;
  D3DGAMMARAMP ramp_{};
  bool inScene_ = false;
  int defaultPoolResources_ = 0;
};

} // namespace d3d9
