// The IDirect3D9 queries both back ends answer the same way, from a description of the
// adapters and of what the back end can do. A back end supplies those and makes the
// device's back end; CreateDevice, the Check* queries and the mode lists live here.
#pragma once

#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/d3d9.h"

#include <memory>
#include <string>
#include <vector>

namespace d3d9 {

class DeviceCore;

struct AdapterDescription {
  D3DADAPTER_IDENTIFIER9 identifier{};
  D3DDISPLAYMODE desktop{};
  std::vector<D3DDISPLAYMODE> modes;
};

// Abilities every device of this stand-in has, whatever draws behind it: the state they
// name is kept by the device core and drawn by the OpenGL back end.
constexpr DWORD kPrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW |
                                     D3DPMISCCAPS_CULLCCW | D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_CLIPTLVERTS |
                                     D3DPMISCCAPS_TSSARGTEMP | D3DPMISCCAPS_BLENDOP | D3DPMISCCAPS_PERSTAGECONSTANT |
                                     D3DPMISCCAPS_SEPARATEALPHABLEND;
constexpr DWORD kStencilCaps = D3DSTENCILCAPS_KEEP | D3DSTENCILCAPS_ZERO | D3DSTENCILCAPS_REPLACE |
                               D3DSTENCILCAPS_INCRSAT | D3DSTENCILCAPS_DECRSAT | D3DSTENCILCAPS_INVERT |
                               D3DSTENCILCAPS_INCR | D3DSTENCILCAPS_DECR | D3DSTENCILCAPS_TWOSIDED;
constexpr DWORD kShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB |
                             D3DPSHADECAPS_ALPHAGOURAUDBLEND | D3DPSHADECAPS_FOGGOURAUD;

struct BackendCapabilities {
  D3DCAPS9 caps{};                          // of the one device type offered, D3DDEVTYPE_HAL
  std::vector<D3DFORMAT> textureFormats;    // usable as textures
  std::vector<D3DFORMAT> backBufferFormats; // usable as back buffers (render targets)
  std::vector<D3DFORMAT> depthFormats;      // usable as automatic depth-stencil buffers
  std::vector<UINT> sampleCounts;           // multisample counts above 1 the back buffer supports
};

class Direct3DBase : public IDirect3D9 {
public:
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;

  UINT GetAdapterCount() override;
  HRESULT GetAdapterIdentifier(UINT Adapter, DWORD Flags, D3DADAPTER_IDENTIFIER9* pIdentifier) override;
  UINT GetAdapterModeCount(UINT Adapter, D3DFORMAT Format) override;
  HRESULT EnumAdapterModes(UINT Adapter, D3DFORMAT Format, UINT Mode, D3DDISPLAYMODE* pMode) override;
  HRESULT GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) override;
  HRESULT CheckDeviceType(UINT Adapter, D3DDEVTYPE DevType, D3DFORMAT AdapterFormat, D3DFORMAT BackBufferFormat,
                          BOOL bWindowed) override;
  HRESULT CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                            D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) override;
  HRESULT CheckDeviceMultiSampleType(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT SurfaceFormat, BOOL Windowed,
                                     D3DMULTISAMPLE_TYPE MultiSampleType, DWORD* pQualityLevels) override;
  HRESULT CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                 D3DFORMAT RenderTargetFormat, D3DFORMAT DepthStencilFormat) override;
  HRESULT GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) override;
  HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                       D3DPRESENT_PARAMETERS* pPresentationParameters,
                       IDirect3DDevice9** ppReturnedDeviceInterface) override;

  // The interface the application holds for this object (a recording wrapper, or this).
  void setOuter(IDirect3D9* outer) { outer_ = outer; }
  IDirect3D9* outer() { return outer_; }

  // Fills the blanks of present parameters (window, size and format from the window and
  // desktop, back buffer count) and checks them against the back end; D3D_OK or
  // D3DERR_INVALIDCALL with a reported reason.
  HRESULT completePresentParameters(UINT adapter, HWND focusWindow, DeviceBackend& backend,
                                    D3DPRESENT_PARAMETERS& params);
  const AdapterDescription* adapter(UINT index);
  const BackendCapabilities& backendCapabilities() { return capabilities(); }

protected:
  Direct3DBase() = default;
  ~Direct3DBase() override = default;

  virtual const std::vector<AdapterDescription>& adapters() = 0;
  virtual const BackendCapabilities& capabilities() = 0;
  // A back end for a device drawing into `window`; null (with `failure` set) when none can be made.
  virtual std::unique_ptr<DeviceBackend> makeBackend(HWND window, std::string& failure) = 0;

private:
  // Settings a run asks for through the environment (loss schedule, caching off).
  static void applyEnvironment(DeviceCore& device);

  bool isDisplayFormat(UINT adapter, D3DFORMAT format, BOOL windowed);

  ULONG refs_ = 1;
  IDirect3D9* outer_ = this;
};

// The display format a back buffer format is shown in full screen: the same layout
// without alpha; D3DFMT_UNKNOWN for formats no display shows.
D3DFORMAT displayFormatOf(D3DFORMAT backBuffer);

// Whether the list holds the value.
template <class T, class U> bool listed(const std::vector<T>& list, U value) {
  for (const T& item : list)
    if (item == value) return true;
  return false;
}

} // namespace d3d9
