#include "platform/d3d9/DeviceCore.h"

#include "platform/d3d9/Diagnostics.h"
#include "platform/d3d9/Direct3DBase.h"
#include "platform/d3d9/FormatInfo.h"
#include "platform/d3d9/VertexLayout.h"

#include <string>

namespace d3d9 {
namespace {

D3DGAMMARAMP identityRamp() {
  D3DGAMMARAMP ramp;
  for (int i = 0; i < 256; ++i)
    ramp.red[i] = ramp.green[i] = ramp.blue[i] = static_cast<WORD>(i * 257);
  return ramp;
}

} // namespace

DeviceCore::DeviceCore(Direct3DBase& direct3d, UINT adapter, HWND focusWindow, DWORD behaviorFlags,
                       std::unique_ptr<DeviceBackend> backend)
    : direct3d_(direct3d), adapter_(adapter), focusWindow_(focusWindow), behaviorFlags_(behaviorFlags),
      backend_(std::move(backend)), ramp_(identityRamp()) {
  direct3d_.outer()->AddRef();
}

DeviceCore::~DeviceCore() {
  unbindAll();
  backend_.reset(); // the back end's objects go before the Direct3D object that made them
  direct3d_.outer()->Release();
}

HRESULT DeviceCore::initialize(const D3DPRESENT_PARAMETERS& params) {
  const HRESULT result = backend_->configure(params);
  if (FAILED(result)) return result;
  params_ = params;
  state_.reset(params.EnableAutoDepthStencil != FALSE, params.BackBufferWidth, params.BackBufferHeight);
  return D3D_OK;
}

ULONG DeviceCore::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT DeviceCore::fail(const char* method, const char* reason) {
  report(std::string(method) + ": " + reason);
  return D3DERR_INVALIDCALL;
}

void DeviceCore::countResource(D3DPOOL pool, int delta) {
  if (pool == D3DPOOL_DEFAULT) defaultPoolResources_ += delta;
}

void DeviceCore::setStateCaching(bool enabled) {
  state_.setForceAll(!enabled);
  backend_->setForceAll(!enabled);
  state_.markAllDirty();
}

void DeviceCore::unbindAll() {
  for (UINT stage = 0; stage < kSamplerCount; ++stage) {
    if (Texture* texture = state_.texture(stage)) {
      state_.setTexture(stage, nullptr);
      texture->unbind();
    }
  }
  if (VertexBuffer* buffer = state_.streamBuffer()) {
    state_.setStreamSource(nullptr, 0, 0);
    buffer->unbind();
  }
  if (IndexBuffer* buffer = state_.indices()) {
    state_.setIndices(nullptr);
    buffer->unbind();
  }
}

// ---------------------------------------------------------------------------------------
// Device and swap chain

HRESULT DeviceCore::TestCooperativeLevel() { return loss_.testCooperativeLevel(); }

UINT DeviceCore::GetAvailableTextureMem() {
  return 512u * 1024u * 1024u; // the back end has no fixed budget; answer a comfortable figure
}

HRESULT DeviceCore::GetDirect3D(IDirect3D9** ppD3D9) {
  if (!ppD3D9) return D3DERR_INVALIDCALL;
  *ppD3D9 = direct3d_.outer();
  (*ppD3D9)->AddRef();
  return D3D_OK;
}

HRESULT DeviceCore::GetDeviceCaps(D3DCAPS9* pCaps) { return direct3d_.GetDeviceCaps(adapter_, D3DDEVTYPE_HAL, pCaps); }

HRESULT DeviceCore::GetDisplayMode(UINT iSwapChain, D3DDISPLAYMODE* pMode) {
  if (iSwapChain != 0 || !pMode) return D3DERR_INVALIDCALL;
  if (!params_.Windowed) {
    *pMode = {params_.BackBufferWidth, params_.BackBufferHeight, params_.FullScreen_RefreshRateInHz,
              displayFormatOf(params_.BackBufferFormat)};
    return D3D_OK;
  }
  return direct3d_.GetAdapterDisplayMode(adapter_, pMode);
}

HRESULT DeviceCore::Reset(D3DPRESENT_PARAMETERS* pPresentationParameters) {
  if (loss_.phase() == DeviceLoss::Phase::Lost) return D3DERR_DEVICELOST;
  const HRESULT result = resetSwapChain(pPresentationParameters);
  if (FAILED(result)) loss_.resetFailed();
  return result;
}

HRESULT DeviceCore::resetSwapChain(D3DPRESENT_PARAMETERS* pPresentationParameters) {
  if (!pPresentationParameters) return fail("Reset", "no present parameters");
  if (defaultPoolResources_ > 0) {
    report("Reset: " + std::to_string(defaultPoolResources_) +
           " D3DPOOL_DEFAULT resources are still alive; release them before resetting");
    return D3DERR_INVALIDCALL;
  }
  D3DPRESENT_PARAMETERS params = *pPresentationParameters;
  HRESULT result = direct3d_.completePresentParameters(adapter_, focusWindow_, *backend_, params);
  if (FAILED(result)) return result;
  result = backend_->configure(params);
  if (FAILED(result)) return result;
  *pPresentationParameters = params;
  params_ = params;
  inScene_ = false;
  unbindAll();
  state_.reset(params.EnableAutoDepthStencil != FALSE, params.BackBufferWidth, params.BackBufferHeight);
  loss_.resetSucceeded();
  return D3D_OK;
}

HRESULT DeviceCore::Present(const RECT*, const RECT*, HWND, const void*) {
  if (loss_.lost()) return D3DERR_DEVICELOST;
  const HRESULT result = backend_->present(ramp_);
  loss_.presented();
  return result;
}

HRESULT DeviceCore::GetBackBuffer(UINT iSwapChain, UINT iBackBuffer, D3DBACKBUFFER_TYPE Type,
                                  IDirect3DSurface9** ppBackBuffer) {
  if (!ppBackBuffer) return D3DERR_INVALIDCALL;
  *ppBackBuffer = nullptr;
  if (iSwapChain != 0 || iBackBuffer >= params_.BackBufferCount || Type != D3DBACKBUFFER_TYPE_MONO)
    return D3DERR_INVALIDCALL;
  const D3DSURFACE_DESC desc{params_.BackBufferFormat, D3DRTYPE_SURFACE,        D3DUSAGE_RENDERTARGET,
                             D3DPOOL_DEFAULT,          params_.MultiSampleType, params_.MultiSampleQuality,
                             params_.BackBufferWidth,  params_.BackBufferHeight};
  *ppBackBuffer = new BackBufferSurface(*this, desc);
  return D3D_OK;
}

void DeviceCore::SetGammaRamp(UINT iSwapChain, DWORD, const D3DGAMMARAMP* pRamp) {
  // The ramp is applied by every Present, so it works in windowed mode as well.
  if (iSwapChain == 0 && pRamp) ramp_ = *pRamp;
}

void DeviceCore::GetGammaRamp(UINT iSwapChain, D3DGAMMARAMP* pRamp) {
  if (iSwapChain == 0 && pRamp) *pRamp = ramp_;
}

// ---------------------------------------------------------------------------------------
// Resources

HRESULT DeviceCore::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                  IDirect3DTexture9** ppTexture, HANDLE* pSharedHandle) {
  if (!ppTexture) return fail("CreateTexture", "no output pointer");
  *ppTexture = nullptr;
  if (pSharedHandle) return fail("CreateTexture", "shared resources are not supported");
  if (Width == 0 || Height == 0) return fail("CreateTexture", "zero size");
  const D3DCAPS9& caps = direct3d_.backendCapabilities().caps;
  if (Width > caps.MaxTextureWidth || Height > caps.MaxTextureHeight) return fail("CreateTexture", "too large");
  if (Pool > D3DPOOL_SCRATCH) return fail("CreateTexture", "unknown pool");
  if (Usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL))
    return fail("CreateTexture", "render-target textures are not supported");
  if (!listed(direct3d_.backendCapabilities().textureFormats, Format))
    return fail("CreateTexture", ("format " + std::to_string(Format) + " is not supported").c_str());
  // Compressed textures are made of whole 4x4 blocks at the top level.
  if (formatInfo(Format).compressed() && ((Width % 4) || (Height % 4)))
    return fail("CreateTexture", "compressed textures need sizes that are multiples of 4");
  const UINT chain = fullMipChain(Width, Height);
  if (Usage & D3DUSAGE_AUTOGENMIPMAP) Levels = 1;
  if (Levels == 0) Levels = chain;
  if (Levels > chain) return fail("CreateTexture", "more levels than the size allows");
  *ppTexture = new Texture(*this, TextureDescription{Width, Height, Levels, Usage, Format, Pool});
  return D3D_OK;
}

HRESULT DeviceCore::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                       IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) {
  if (!ppVertexBuffer) return fail("CreateVertexBuffer", "no output pointer");
  *ppVertexBuffer = nullptr;
  if (pSharedHandle) return fail("CreateVertexBuffer", "shared resources are not supported");
  if (Length == 0) return fail("CreateVertexBuffer", "zero length");
  if (Pool > D3DPOOL_SCRATCH) return fail("CreateVertexBuffer", "unknown pool");
  if (FVF != 0 && !describeFvf(FVF).valid) return fail("CreateVertexBuffer", "invalid FVF");
  *ppVertexBuffer = new VertexBuffer(*this, Length, Usage, FVF, Pool);
  return D3D_OK;
}

HRESULT DeviceCore::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                      IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) {
  if (!ppIndexBuffer) return fail("CreateIndexBuffer", "no output pointer");
  *ppIndexBuffer = nullptr;
  if (pSharedHandle) return fail("CreateIndexBuffer", "shared resources are not supported");
  if (Format != D3DFMT_INDEX16 && Format != D3DFMT_INDEX32) return fail("CreateIndexBuffer", "not an index format");
  if (Length == 0) return fail("CreateIndexBuffer", "zero length");
  if (Pool > D3DPOOL_SCRATCH) return fail("CreateIndexBuffer", "unknown pool");
  *ppIndexBuffer = new IndexBuffer(*this, Length, Usage, Format, Pool);
  return D3D_OK;
}

HRESULT DeviceCore::UpdateTexture(IDirect3DBaseTexture9* pSourceTexture, IDirect3DBaseTexture9* pDestinationTexture) {
  auto* source = dynamic_cast<Texture*>(pSourceTexture);
  auto* destination = dynamic_cast<Texture*>(pDestinationTexture);
  if (!source || !destination || &source->owner() != this || &destination->owner() != this)
    return fail("UpdateTexture", "no textures of this device");
  if (source->pool() != D3DPOOL_SYSTEMMEM || destination->pool() != D3DPOOL_DEFAULT)
    return fail("UpdateTexture", "copies from D3DPOOL_SYSTEMMEM to D3DPOOL_DEFAULT only");
  const TextureDescription& from = source->description();
  const TextureDescription& to = destination->description();
  if (from.format != to.format || from.width != to.width || from.height != to.height || from.levels < to.levels)
    return fail("UpdateTexture", "the textures differ in format, size or levels");
  destination->copyLevelsFrom(*source);
  return D3D_OK;
}

// ---------------------------------------------------------------------------------------
// Frame

HRESULT DeviceCore::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) {
  if ((Count > 0) != (pRects != nullptr)) return fail("Clear", "rectangle count and pointer disagree");
  if (Flags == 0 || (Flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)))
    return fail("Clear", "bad flags");
  if ((Flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !params_.EnableAutoDepthStencil)
    return fail("Clear", "no depth-stencil buffer");
  if ((Flags & D3DCLEAR_STENCIL) && params_.AutoDepthStencilFormat != D3DFMT_D24S8)
    return fail("Clear", "the depth buffer has no stencil");
  if (!(Z >= 0.0f && Z <= 1.0f)) return fail("Clear", "depth outside 0..1");
  if (loss_.lost()) return D3D_OK; // nothing reaches the screen while the device is lost
  backend_->clear(state_, Count, pRects, Flags, Color, Z, Stencil);
  return D3D_OK;
}

HRESULT DeviceCore::BeginScene() {
  if (inScene_) return fail("BeginScene", "already in a scene");
  // A lost device draws nothing but says nothing either: only Present, TestCooperativeLevel
  // and Reset report the loss.
  inScene_ = true;
  return D3D_OK;
}

HRESULT DeviceCore::EndScene() {
  if (!inScene_) return fail("EndScene", "not in a scene");
  inScene_ = false;
  return D3D_OK;
}

} // namespace d3d9
