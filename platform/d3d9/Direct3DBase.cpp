#include "platform/d3d9/Direct3DBase.h"

#include "platform/d3d9/DeviceCore.h"
#include "platform/d3d9/Diagnostics.h"
#include "platform/d3d9/FormatInfo.h"

#include <cstdlib>
#include <string>

namespace d3d9 {
namespace {

bool knownPresentInterval(UINT interval) {
  switch (interval) {
  case D3DPRESENT_INTERVAL_DEFAULT:
  case D3DPRESENT_INTERVAL_ONE:
  case D3DPRESENT_INTERVAL_TWO:
  case D3DPRESENT_INTERVAL_THREE:
  case D3DPRESENT_INTERVAL_FOUR:
  case D3DPRESENT_INTERVAL_IMMEDIATE:
    return true;
  default:
    return false;
  }
}

HRESULT invalid(const std::string& reason) {
  report("Direct3D: " + reason);
  return D3DERR_INVALIDCALL;
}

} // namespace

D3DFORMAT displayFormatOf(D3DFORMAT backBuffer) {
  switch (backBuffer) {
  case D3DFMT_A8R8G8B8:
  case D3DFMT_X8R8G8B8:
    return D3DFMT_X8R8G8B8;
  case D3DFMT_A1R5G5B5:
  case D3DFMT_X1R5G5B5:
    return D3DFMT_X1R5G5B5;
  case D3DFMT_R5G6B5:
    return D3DFMT_R5G6B5;
  case D3DFMT_A2R10G10B10:
    return D3DFMT_A2R10G10B10;
  default:
    return D3DFMT_UNKNOWN;
  }
}

ULONG Direct3DBase::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

const AdapterDescription* Direct3DBase::adapter(UINT index) {
  const auto& list = adapters();
  return index < list.size() ? &list[index] : nullptr;
}

UINT Direct3DBase::GetAdapterCount() { return static_cast<UINT>(adapters().size()); }

HRESULT Direct3DBase::GetAdapterIdentifier(UINT Adapter, DWORD, D3DADAPTER_IDENTIFIER9* pIdentifier) {
  const AdapterDescription* description = adapter(Adapter);
  if (!description || !pIdentifier) return D3DERR_INVALIDCALL;
  *pIdentifier = description->identifier;
  return D3D_OK;
}

UINT Direct3DBase::GetAdapterModeCount(UINT Adapter, D3DFORMAT Format) {
  const AdapterDescription* description = adapter(Adapter);
  if (!description) return 0;
  UINT count = 0;
  for (const D3DDISPLAYMODE& mode : description->modes)
    if (mode.Format == Format) ++count;
  return count;
}

HRESULT Direct3DBase::EnumAdapterModes(UINT Adapter, D3DFORMAT Format, UINT Mode, D3DDISPLAYMODE* pMode) {
  const AdapterDescription* description = adapter(Adapter);
  if (!description || !pMode) return D3DERR_INVALIDCALL;
  UINT index = 0;
  for (const D3DDISPLAYMODE& mode : description->modes) {
    if (mode.Format != Format) continue;
    if (index++ == Mode) {
      *pMode = mode;
      return D3D_OK;
    }
  }
  return D3DERR_INVALIDCALL;
}

HRESULT Direct3DBase::GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) {
  const AdapterDescription* description = adapter(Adapter);
  if (!description || !pMode) return D3DERR_INVALIDCALL;
  *pMode = description->desktop;
  return D3D_OK;
}

bool Direct3DBase::isDisplayFormat(UINT index, D3DFORMAT format, BOOL windowed) {
  const AdapterDescription* description = adapter(index);
  if (!description) return false;
  // A windowed device shares the desktop; a full-screen one may switch to any listed mode.
  if (windowed) return format == description->desktop.Format;
  return GetAdapterModeCount(index, format) > 0;
}

HRESULT Direct3DBase::CheckDeviceType(UINT Adapter, D3DDEVTYPE DevType, D3DFORMAT AdapterFormat,
                                      D3DFORMAT BackBufferFormat, BOOL bWindowed) {
  if (!adapter(Adapter)) return D3DERR_INVALIDCALL;
  if (DevType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  if (!isDisplayFormat(Adapter, AdapterFormat, bWindowed)) return D3DERR_NOTAVAILABLE;
  if (BackBufferFormat == D3DFMT_UNKNOWN) return bWindowed ? D3D_OK : D3DERR_INVALIDCALL;
  if (!listed(capabilities().backBufferFormats, BackBufferFormat)) return D3DERR_NOTAVAILABLE;
  // Presenting converts any back buffer format for a window; full screen shows the back
  // buffer in a display mode of the same layout (with or without alpha).
  if (!bWindowed && displayFormatOf(BackBufferFormat) != AdapterFormat) return D3DERR_NOTAVAILABLE;
  return D3D_OK;
}

HRESULT Direct3DBase::CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                                        D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) {
  if (!adapter(Adapter)) return D3DERR_INVALIDCALL;
  if (DeviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  if (!isDisplayFormat(Adapter, AdapterFormat, FALSE) && !isDisplayFormat(Adapter, AdapterFormat, TRUE))
    return D3DERR_NOTAVAILABLE;
  const BackendCapabilities& caps = capabilities();
  constexpr DWORD kUnsupportedQueries = D3DUSAGE_QUERY_LEGACYBUMPMAP | D3DUSAGE_QUERY_SRGBREAD |
                                        D3DUSAGE_QUERY_SRGBWRITE | D3DUSAGE_QUERY_VERTEXTEXTURE | D3DUSAGE_DMAP;
  if (Usage & kUnsupportedQueries) return D3DERR_NOTAVAILABLE;
  switch (RType) {
  case D3DRTYPE_SURFACE:
    if (Usage & D3DUSAGE_DEPTHSTENCIL) return listed(caps.depthFormats, CheckFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    if (Usage & D3DUSAGE_RENDERTARGET)
      return listed(caps.backBufferFormats, CheckFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    return listed(caps.textureFormats, CheckFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
  case D3DRTYPE_TEXTURE:
    // Textures are sampled only; rendering into them is not offered.
    if (Usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) return D3DERR_NOTAVAILABLE;
    if (!listed(caps.textureFormats, CheckFormat)) return D3DERR_NOTAVAILABLE;
    return (Usage & D3DUSAGE_AUTOGENMIPMAP) ? D3DOK_NOAUTOGEN : D3D_OK;
  case D3DRTYPE_VERTEXBUFFER:
    return CheckFormat == D3DFMT_VERTEXDATA ? D3D_OK : D3DERR_NOTAVAILABLE;
  case D3DRTYPE_INDEXBUFFER:
    return (CheckFormat == D3DFMT_INDEX16 || CheckFormat == D3DFMT_INDEX32) ? D3D_OK : D3DERR_NOTAVAILABLE;
  default:
    return D3DERR_NOTAVAILABLE;
  }
}

HRESULT Direct3DBase::CheckDeviceMultiSampleType(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT SurfaceFormat, BOOL,
                                                 D3DMULTISAMPLE_TYPE MultiSampleType, DWORD* pQualityLevels) {
  if (!adapter(Adapter) || MultiSampleType > D3DMULTISAMPLE_16_SAMPLES) return D3DERR_INVALIDCALL;
  if (DeviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  const BackendCapabilities& caps = capabilities();
  if (!listed(caps.backBufferFormats, SurfaceFormat) && !listed(caps.depthFormats, SurfaceFormat))
    return D3DERR_NOTAVAILABLE;
  DWORD levels = 0;
  if (MultiSampleType == D3DMULTISAMPLE_NONE) {
    levels = 1;
  } else if (MultiSampleType == D3DMULTISAMPLE_NONMASKABLE) {
    levels = static_cast<DWORD>(caps.sampleCounts.size()); // quality q picks the (q+1)-th count
  } else if (listed(caps.sampleCounts, static_cast<UINT>(MultiSampleType))) {
    levels = 1;
  }
  if (levels == 0) return D3DERR_NOTAVAILABLE;
  if (pQualityLevels) *pQualityLevels = levels;
  return D3D_OK;
}

HRESULT Direct3DBase::CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT,
                                             D3DFORMAT RenderTargetFormat, D3DFORMAT DepthStencilFormat) {
  if (!adapter(Adapter)) return D3DERR_INVALIDCALL;
  if (DeviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  const BackendCapabilities& caps = capabilities();
  // Every supported depth format can be paired with every supported back buffer format.
  if (!listed(caps.depthFormats, DepthStencilFormat) || !listed(caps.backBufferFormats, RenderTargetFormat))
    return D3DERR_NOTAVAILABLE;
  return D3D_OK;
}

HRESULT Direct3DBase::GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) {
  if (!adapter(Adapter) || !pCaps) return D3DERR_INVALIDCALL;
  if (DeviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  *pCaps = capabilities().caps;
  pCaps->DeviceType = D3DDEVTYPE_HAL;
  pCaps->AdapterOrdinal = Adapter;
  pCaps->MasterAdapterOrdinal = Adapter;
  pCaps->AdapterOrdinalInGroup = 0;
  pCaps->NumberOfAdaptersInGroup = 1;
  return D3D_OK;
}

HRESULT Direct3DBase::completePresentParameters(UINT index, HWND focusWindow, DeviceBackend& backend,
                                                D3DPRESENT_PARAMETERS& p) {
  const AdapterDescription* description = adapter(index);
  if (!description) return invalid("no such adapter");
  if (!p.hDeviceWindow) p.hDeviceWindow = focusWindow;
  if (!p.hDeviceWindow) return invalid("no device window");
  if (p.BackBufferCount == 0) p.BackBufferCount = 1;
  if (p.BackBufferCount > D3DPRESENT_BACK_BUFFERS_MAX) return invalid("too many back buffers");
  if (p.SwapEffect < D3DSWAPEFFECT_DISCARD || p.SwapEffect > D3DSWAPEFFECT_COPY) return invalid("bad swap effect");
  if (p.SwapEffect == D3DSWAPEFFECT_COPY && p.BackBufferCount != 1) return invalid("COPY needs one back buffer");
  if (!knownPresentInterval(p.PresentationInterval)) return invalid("bad presentation interval");
  const DWORD intervals = capabilities().caps.PresentationIntervals;
  if (p.PresentationInterval != D3DPRESENT_INTERVAL_DEFAULT && !(intervals & p.PresentationInterval))
    return invalid("presentation interval not supported");

  D3DFORMAT adapterFormat;
  if (p.Windowed) {
    if (p.FullScreen_RefreshRateInHz != 0) return invalid("a windowed device takes no refresh rate");
    if (p.PresentationInterval > D3DPRESENT_INTERVAL_ONE && p.PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE)
      return invalid("a windowed device presents at most once per refresh");
    if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0) {
      UINT width = 0, height = 0;
      if (!backend.windowClientSize(p.hDeviceWindow, width, height)) return invalid("the device window is unknown");
      if (p.BackBufferWidth == 0) p.BackBufferWidth = width > 0 ? width : 1;
      if (p.BackBufferHeight == 0) p.BackBufferHeight = height > 0 ? height : 1;
    }
    if (p.BackBufferFormat == D3DFMT_UNKNOWN) p.BackBufferFormat = description->desktop.Format;
    adapterFormat = description->desktop.Format;
  } else {
    adapterFormat = displayFormatOf(p.BackBufferFormat);
    bool found = false;
    for (const D3DDISPLAYMODE& mode : description->modes)
      found = found ||
              (mode.Format == adapterFormat && mode.Width == p.BackBufferWidth && mode.Height == p.BackBufferHeight &&
               (p.FullScreen_RefreshRateInHz == 0 || mode.RefreshRate == p.FullScreen_RefreshRateInHz));
    if (!found)
      return invalid("no display mode " + std::to_string(p.BackBufferWidth) + "x" + std::to_string(p.BackBufferHeight) +
                     " for a full-screen device");
  }
  const UINT maxSize = capabilities().caps.MaxTextureWidth;
  if (p.BackBufferWidth > maxSize || p.BackBufferHeight > maxSize) return invalid("back buffer too large");
  if (CheckDeviceType(index, D3DDEVTYPE_HAL, adapterFormat, p.BackBufferFormat, p.Windowed) != D3D_OK)
    return invalid("back buffer format not supported");
  if (p.MultiSampleType != D3DMULTISAMPLE_NONE) {
    DWORD levels = 0;
    if (p.SwapEffect != D3DSWAPEFFECT_DISCARD) return invalid("multisampling needs D3DSWAPEFFECT_DISCARD");
    if (CheckDeviceMultiSampleType(index, D3DDEVTYPE_HAL, p.BackBufferFormat, p.Windowed, p.MultiSampleType, &levels) !=
            D3D_OK ||
        p.MultiSampleQuality >= levels)
      return invalid("multisample type not supported");
  }
  if (p.EnableAutoDepthStencil && (CheckDeviceFormat(index, D3DDEVTYPE_HAL, adapterFormat, D3DUSAGE_DEPTHSTENCIL,
                                                     D3DRTYPE_SURFACE, p.AutoDepthStencilFormat) != D3D_OK ||
                                   CheckDepthStencilMatch(index, D3DDEVTYPE_HAL, adapterFormat, p.BackBufferFormat,
                                                          p.AutoDepthStencilFormat) != D3D_OK))
    return invalid("depth-stencil format not supported");
  return D3D_OK;
}

void Direct3DBase::applyEnvironment(DeviceCore& device) {
  if (const char* schedule = std::getenv("TICKWOOD_FORCE_DEVICE_LOSS"); schedule && *schedule) {
    std::vector<unsigned> counts = DeviceLoss::parseSchedule(schedule);
    if (counts.empty())
      report(std::string("Direct3D: TICKWOOD_FORCE_DEVICE_LOSS \"") + schedule + "\" is not a list of present counts");
    device.loss().schedule(std::move(counts));
  }
  if (const char* noCache = std::getenv("TICKWOOD_D3D9_NO_STATE_CACHE"); noCache && std::string(noCache) == "1")
    device.setStateCaching(false);
}

HRESULT Direct3DBase::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                                   D3DPRESENT_PARAMETERS* pPresentationParameters,
                                   IDirect3DDevice9** ppReturnedDeviceInterface) {
  if (!ppReturnedDeviceInterface || !pPresentationParameters) return D3DERR_INVALIDCALL;
  *ppReturnedDeviceInterface = nullptr;
  if (!adapter(Adapter)) return D3DERR_INVALIDCALL;
  if (DeviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  constexpr DWORD kProcessing =
      D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MIXED_VERTEXPROCESSING;
  const DWORD processing = BehaviorFlags & kProcessing;
  if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
      processing != D3DCREATE_MIXED_VERTEXPROCESSING)
    return invalid("exactly one vertex processing flag is needed");
  if ((BehaviorFlags & D3DCREATE_PUREDEVICE) && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING)
    return invalid("a pure device needs hardware vertex processing");

  HWND window = pPresentationParameters->hDeviceWindow ? pPresentationParameters->hDeviceWindow : hFocusWindow;
  std::string failure;
  std::unique_ptr<DeviceBackend> backend = makeBackend(window, failure);
  if (!backend) {
    report("Direct3D: CreateDevice failed: " + failure);
    return D3DERR_NOTAVAILABLE;
  }
  D3DPRESENT_PARAMETERS params = *pPresentationParameters;
  const HRESULT checked = completePresentParameters(Adapter, hFocusWindow, *backend, params);
  if (FAILED(checked)) return checked;

  DeviceCore* device = new DeviceCore(*this, Adapter, hFocusWindow, BehaviorFlags, std::move(backend));
  const HRESULT configured = device->initialize(params);
  if (FAILED(configured)) {
    device->Release();
    return configured;
  }
  *pPresentationParameters = params;
  *ppReturnedDeviceInterface = device;
  applyEnvironment(*device);
  return D3D_OK;
}

} // namespace d3d9
