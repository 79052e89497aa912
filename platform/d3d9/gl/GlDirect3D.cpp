// Direct3DCreate9: the OpenGL back end's IDirect3D9. Adapters are SDL's displays with their
// display modes; the capabilities are what the OpenGL driver showed when probed.
#include "platform/d3d9/Diagnostics.h"
#include "platform/d3d9/Direct3DBase.h"
#include "platform/d3d9/gl/GlContext.h"
#include "platform/d3d9/gl/GlDevice.h"
#include "platform/win32/sdl_bridge.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace d3d9 {
namespace {

D3DFORMAT displayFormat(Uint32 sdlFormat) {
  switch (sdlFormat) {
  case SDL_PIXELFORMAT_RGB888:
  case SDL_PIXELFORMAT_ARGB8888:
  case SDL_PIXELFORMAT_BGR888:
  case SDL_PIXELFORMAT_ABGR8888:
  case SDL_PIXELFORMAT_RGBA8888:
  case SDL_PIXELFORMAT_BGRA8888:
  case SDL_PIXELFORMAT_RGBX8888:
  case SDL_PIXELFORMAT_BGRX8888:
  case SDL_PIXELFORMAT_RGB24:
  case SDL_PIXELFORMAT_BGR24:
    return D3DFMT_X8R8G8B8;
  case SDL_PIXELFORMAT_RGB565:
  case SDL_PIXELFORMAT_BGR565:
    return D3DFMT_R5G6B5;
  case SDL_PIXELFORMAT_RGB555:
  case SDL_PIXELFORMAT_ARGB1555:
    return D3DFMT_X1R5G5B5;
  case SDL_PIXELFORMAT_ARGB2101010:
    return D3DFMT_A2R10G10B10;
  case SDL_PIXELFORMAT_UNKNOWN:
    return D3DFMT_X8R8G8B8; // drivers that do not say are true colour
  default:
    return D3DFMT_UNKNOWN;
  }
}

void copyText(char* out, std::size_t size, const std::string& text) {
  std::strncpy(out, text.c_str(), size - 1);
  out[size - 1] = '\0';
}

D3DCAPS9 capsFrom(const GlFeatures& f) {
  D3DCAPS9 c{};
  c.DeviceType = D3DDEVTYPE_HAL;
  c.Caps2 = D3DCAPS2_FULLSCREENGAMMA | D3DCAPS2_DYNAMICTEXTURES;
  for (UINT interval : f.swapIntervals) {
    if (interval == 0) c.PresentationIntervals |= D3DPRESENT_INTERVAL_IMMEDIATE;
    if (interval == 1) c.PresentationIntervals |= D3DPRESENT_INTERVAL_ONE;
    if (interval == 2) c.PresentationIntervals |= D3DPRESENT_INTERVAL_TWO;
    if (interval == 3) c.PresentationIntervals |= D3DPRESENT_INTERVAL_THREE;
    if (interval == 4) c.PresentationIntervals |= D3DPRESENT_INTERVAL_FOUR;
  }
  c.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION | D3DDEVCAPS_PUREDEVICE |
              D3DDEVCAPS_DRAWPRIMITIVES2 | D3DDEVCAPS_DRAWPRIMITIVES2EX | D3DDEVCAPS_DRAWPRIMTLVERTEX |
              D3DDEVCAPS_TEXTUREVIDEOMEMORY | D3DDEVCAPS_TLVERTEXVIDEOMEMORY | D3DDEVCAPS_EXECUTEVIDEOMEMORY;
  c.RasterCaps = D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE |
                 D3DPRASTERCAPS_MIPMAPLODBIAS | D3DPRASTERCAPS_FOGRANGE | D3DPRASTERCAPS_WFOG | D3DPRASTERCAPS_ZFOG |
                 D3DPRASTERCAPS_COLORPERSPECTIVE | D3DPRASTERCAPS_SCISSORTEST | D3DPRASTERCAPS_SLOPESCALEDEPTHBIAS |
                 D3DPRASTERCAPS_DEPTHBIAS | D3DPRASTERCAPS_MULTISAMPLE_TOGGLE |
                 (f.anisotropy ? D3DPRASTERCAPS_ANISOTROPY : 0);
  c.PrimitiveMiscCaps = kPrimitiveMiscCaps;
  c.StencilCaps = kStencilCaps;
  c.ShadeCaps = kShadeCaps;
  c.ZCmpCaps = c.AlphaCmpCaps = 0xFF;        // every D3DCMPFUNC
  c.SrcBlendCaps = c.DestBlendCaps = 0x3FFF; // one bit per D3DBLEND value, bit (value - 1)
  c.TextureCaps =
      D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_PROJECTED;
  c.TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT |
                        D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR |
                        (f.anisotropy ? D3DPTFILTERCAPS_MINFANISOTROPIC | D3DPTFILTERCAPS_MAGFANISOTROPIC : 0);
  // Wrap, mirror, clamp, border and independent u/v (0x1F); mirror once (0x20) where OpenGL has it.
  c.TextureAddressCaps = 0x1F | (f.mirrorClampToEdge ? 0x20 : 0);
  c.MaxTextureWidth = c.MaxTextureHeight = DWORD(std::min(f.maxTextureSize, 16384));
  c.MaxTextureRepeat = 8192;
  c.MaxTextureAspectRatio = c.MaxTextureWidth;
  c.MaxAnisotropy = f.anisotropy ? DWORD(f.maxAnisotropy) : 1;
  c.MaxVertexW = 1e10f;
  c.GuardBandLeft = c.GuardBandTop = -1e8f;
  c.GuardBandRight = c.GuardBandBottom = 1e8f;
  c.FVFCaps = 8; // eight texture coordinate sets
  // One bit per D3DTEXTUREOP, bit (op - 1); bump mapping is not offered.
  c.TextureOpCaps = 0x03FFFFFF & ~((1u << (D3DTOP_BUMPENVMAP - 1)) | (1u << (D3DTOP_BUMPENVMAPLUMINANCE - 1)));
  c.MaxTextureBlendStages = 8;
  c.MaxSimultaneousTextures = 8;
  c.VertexProcessingCaps = D3DVTXPCAPS_TEXGEN | D3DVTXPCAPS_MATERIALSOURCE7 | D3DVTXPCAPS_DIRECTIONALLIGHTS |
                           D3DVTXPCAPS_POSITIONALLIGHTS | D3DVTXPCAPS_LOCALVIEWER | D3DVTXPCAPS_TEXGEN_SPHEREMAP;
  c.MaxActiveLights = 8;
  c.MaxPointSize = f.maxPointSize;
  c.MaxPrimitiveCount = 0xFFFFFF;
  c.MaxVertexIndex = 0xFFFFFF;
  c.MaxStreams = 1;
  c.MaxStreamStride = 255;
  c.NumSimultaneousRTs = 1;
  return c;
}

class GlDirect3D final : public Direct3DBase {
public:
  GlDirect3D() = default;

protected:
  const std::vector<AdapterDescription>& adapters() override {
    ensureProbed();
    return adapters_;
  }
  const BackendCapabilities& capabilities() override {
    ensureProbed();
    return capabilities_;
  }

  std::unique_ptr<DeviceBackend> makeBackend(HWND window, std::string& failure) override {
    ensureProbed();
    if (!probed_) {
      failure = probeFailure_;
      return nullptr;
    }
    SDL_Window* sdl = win32::sdlWindow(window);
    if (!sdl) {
      failure = "the device window is not a window";
      return nullptr;
    }
    const char* noClipControl = std::getenv("TICKWOOD_D3D9_NO_CLIP_CONTROL");
    const bool allowClipControl = !(noClipControl && std::string(noClipControl) == "1");
    std::shared_ptr<GlContext> context = GlContext::create(sdl, allowClipControl, failure);
    if (!context) return nullptr;
    return std::make_unique<GlDevice>(std::move(context));
  }

private:
  // OpenGL is asked once, when the first question needs it.
  void ensureProbed() {
    if (probeTried_) return;
    probeTried_ = true;
    GlFeatures features;
    if (!probeGlFeatures(features, probeFailure_)) {
      report("Direct3D: OpenGL is not available: " + probeFailure_);
    } else {
      probed_ = true;
      capabilities_.caps = capsFrom(features);
      capabilities_.backBufferFormats = features.backBufferFormats;
      capabilities_.depthFormats = features.depthFormats;
      capabilities_.sampleCounts = features.sampleCounts;
      capabilities_.textureFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
                                      D3DFMT_A4R4G4B4, D3DFMT_R8G8B8,   D3DFMT_L8,     D3DFMT_A8,       D3DFMT_A8L8};
      if (features.s3tc)
        for (D3DFORMAT f : {D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5})
          capabilities_.textureFormats.push_back(f);
    }
    readAdapters(probed_ ? features.renderer : std::string("OpenGL"));
  }

  void readAdapters(const std::string& renderer) {
    const int displays = SDL_GetNumVideoDisplays();
    for (int display = 0; display < displays; ++display) {
      AdapterDescription adapter;
      copyText(adapter.identifier.Driver, sizeof adapter.identifier.Driver, "tickwood-opengl");
      copyText(adapter.identifier.Description, sizeof adapter.identifier.Description, renderer);
      copyText(adapter.identifier.DeviceName, sizeof adapter.identifier.DeviceName,
               "\\\\.\\DISPLAY" + std::to_string(display + 1));
      adapter.identifier.DeviceId = static_cast<DWORD>(display);
      SDL_DisplayMode desktop{};
      if (SDL_GetDesktopDisplayMode(display, &desktop) != 0) continue;
      adapter.desktop = {UINT(desktop.w), UINT(desktop.h), UINT(desktop.refresh_rate), displayFormat(desktop.format)};
      const int count = SDL_GetNumDisplayModes(display);
      for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(display, i, &mode) != 0) continue;
        const D3DDISPLAYMODE d3d{UINT(mode.w), UINT(mode.h), UINT(mode.refresh_rate), displayFormat(mode.format)};
        // SDL's offscreen driver lists a mode of no size; the desktop stands for it below.
        if (d3d.Format == D3DFMT_UNKNOWN || d3d.Width == 0 || d3d.Height == 0) continue;
        const bool known = std::any_of(adapter.modes.begin(), adapter.modes.end(), [&](const D3DDISPLAYMODE& m) {
          return m.Width == d3d.Width && m.Height == d3d.Height && m.RefreshRate == d3d.RefreshRate &&
                 m.Format == d3d.Format;
        });
        if (!known) adapter.modes.push_back(d3d);
      }
      if (adapter.modes.empty()) adapter.modes.push_back(adapter.desktop);
      adapters_.push_back(adapter);
    }
  }

  bool probeTried_ = false;
  bool probed_ = false;
  std::string probeFailure_;
  std::vector<AdapterDescription> adapters_;
  BackendCapabilities capabilities_;
};

} // namespace
} // namespace d3d9

IDirect3D9* Direct3DCreate9(UINT SDKVersion) {
  if (SDKVersion != D3D_SDK_VERSION && SDKVersion != D3D9b_SDK_VERSION) return nullptr;
  if (!win32::ensureVideo()) {
    d3d9::report(std::string("Direct3DCreate9: no video subsystem: ") + SDL_GetError());
    return nullptr;
  }
  return new d3d9::GlDirect3D();
}
