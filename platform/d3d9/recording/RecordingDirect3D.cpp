#include "platform/d3d9/recording/RecordingDirect3D.h"

#include "platform/d3d9/DeviceCore.h"
#include "platform/d3d9/DeviceState.h"
#include "platform/d3d9/recording/RecordingDevice.h"

#include <cstring>
#include <memory>

namespace d3d9 {
namespace {

// A back end that draws nothing; it only counts what reached it.
class NullBackend final : public DeviceBackend {
public:
  NullBackend(UINT width, UINT height) : width_(width), height_(height) {}

  bool windowClientSize(HWND window, UINT& width, UINT& height) override {
    if (!window) return false;
    width = width_;
    height = height_;
    return true;
  }
  HRESULT configure(const D3DPRESENT_PARAMETERS&) override { return D3D_OK; }
  void clear(DeviceState&, DWORD, const D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override {}
  HRESULT draw(DeviceState& state, const DrawRequest&) override {
    state.clearDirty(kDirtyAll);
    ++statistics_.draws;
    return D3D_OK;
  }
  HRESULT present(const D3DGAMMARAMP&) override {
    ++statistics_.presents;
    return D3D_OK;
  }
  std::unique_ptr<BufferBackend> createBuffer(bool, UINT, DWORD) override { return nullptr; }
  std::unique_ptr<TextureBackend> createTexture(const TextureDescription&) override { return nullptr; }
  bool readPresentedImage(PresentedImage&) override { return false; }
  DeviceStatistics statistics() const override { return statistics_; }
  void resetStatistics() override { statistics_ = {}; }
  void setForceAll(bool) override {}

private:
  UINT width_;
  UINT height_;
  DeviceStatistics statistics_;
};

// The Direct3D object behind the recording wrapper: answers from the setup.
class ScriptedDirect3D final : public Direct3DBase {
public:
  explicit ScriptedDirect3D(RecordingSetup setup) : setup_(std::move(setup)) {}

  bool setDesktop(UINT adapter, const D3DDISPLAYMODE& mode) {
    if (adapter >= setup_.adapters.size()) return false;
    setup_.adapters[adapter].desktop = mode;
    return true;
  }

protected:
  const std::vector<AdapterDescription>& adapters() override { return setup_.adapters; }
  const BackendCapabilities& capabilities() override { return setup_.capabilities; }
  std::unique_ptr<DeviceBackend> makeBackend(HWND, std::string&) override {
    return std::make_unique<NullBackend>(setup_.windowWidth, setup_.windowHeight);
  }

private:
  RecordingSetup setup_;
};

std::uint64_t u(DWORD value) { return value; }

class RecordingDirect3D final : public IDirect3D9 {
public:
  explicit RecordingDirect3D(const RecordingSetup& setup)
      : inner_(new ScriptedDirect3D(setup)), log_(std::make_shared<CallLog>()) {
    inner_->setOuter(this);
  }

  CallLog& log() { return *log_; }
  bool setDesktop(UINT adapter, const D3DDISPLAYMODE& mode) { return inner_->setDesktop(adapter, mode); }

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  UINT GetAdapterCount() override {
    log_->run("GetAdapterCount", {}, {}, [] { return D3D_OK; });
    return inner_->GetAdapterCount();
  }
  HRESULT GetAdapterIdentifier(UINT Adapter, DWORD Flags, D3DADAPTER_IDENTIFIER9* pIdentifier) override {
    return log_->run("GetAdapterIdentifier", {Adapter, Flags}, {},
                     [&] { return inner_->GetAdapterIdentifier(Adapter, Flags, pIdentifier); });
  }
  UINT GetAdapterModeCount(UINT Adapter, D3DFORMAT Format) override {
    log_->run("GetAdapterModeCount", {Adapter, u(Format)}, {}, [] { return D3D_OK; });
    return inner_->GetAdapterModeCount(Adapter, Format);
  }
  HRESULT EnumAdapterModes(UINT Adapter, D3DFORMAT Format, UINT Mode, D3DDISPLAYMODE* pMode) override {
    return log_->run("EnumAdapterModes", {Adapter, u(Format), Mode}, {},
                     [&] { return inner_->EnumAdapterModes(Adapter, Format, Mode, pMode); });
  }
  HRESULT GetAdapterDisplayMode(UINT Adapter, D3DDISPLAYMODE* pMode) override {
    return log_->run("GetAdapterDisplayMode", {Adapter}, {},
                     [&] { return inner_->GetAdapterDisplayMode(Adapter, pMode); });
  }
  HRESULT CheckDeviceType(UINT Adapter, D3DDEVTYPE DevType, D3DFORMAT AdapterFormat, D3DFORMAT BackBufferFormat,
                          BOOL bWindowed) override {
    return log_->run(
        "CheckDeviceType",
        {Adapter, u(DevType), u(AdapterFormat), u(BackBufferFormat), u(static_cast<DWORD>(bWindowed))}, {},
        [&] { return inner_->CheckDeviceType(Adapter, DevType, AdapterFormat, BackBufferFormat, bWindowed); });
  }
  HRESULT CheckDeviceFormat(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat, DWORD Usage,
                            D3DRESOURCETYPE RType, D3DFORMAT CheckFormat) override {
    return log_->run(
        "CheckDeviceFormat", {Adapter, u(DeviceType), u(AdapterFormat), Usage, u(RType), u(CheckFormat)}, {},
        [&] { return inner_->CheckDeviceFormat(Adapter, DeviceType, AdapterFormat, Usage, RType, CheckFormat); });
  }
  HRESULT CheckDeviceMultiSampleType(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT SurfaceFormat, BOOL Windowed,
                                     D3DMULTISAMPLE_TYPE MultiSampleType, DWORD* pQualityLevels) override {
    return log_->run("CheckDeviceMultiSampleType",
                     {Adapter, u(DeviceType), u(SurfaceFormat), u(static_cast<DWORD>(Windowed)), u(MultiSampleType)},
                     {}, [&] {
                       return inner_->CheckDeviceMultiSampleType(Adapter, DeviceType, SurfaceFormat, Windowed,
                                                                 MultiSampleType, pQualityLevels);
                     });
  }
  HRESULT CheckDepthStencilMatch(UINT Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                 D3DFORMAT RenderTargetFormat, D3DFORMAT DepthStencilFormat) override {
    return log_->run("CheckDepthStencilMatch",
                     {Adapter, u(DeviceType), u(AdapterFormat), u(RenderTargetFormat), u(DepthStencilFormat)}, {}, [&] {
                       return inner_->CheckDepthStencilMatch(Adapter, DeviceType, AdapterFormat, RenderTargetFormat,
                                                             DepthStencilFormat);
                     });
  }
  HRESULT GetDeviceCaps(UINT Adapter, D3DDEVTYPE DeviceType, D3DCAPS9* pCaps) override {
    return log_->run("GetDeviceCaps", {Adapter, u(DeviceType)}, {},
                     [&] { return inner_->GetDeviceCaps(Adapter, DeviceType, pCaps); });
  }
  HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                       D3DPRESENT_PARAMETERS* p, IDirect3DDevice9** ppReturnedDeviceInterface) override {
    std::vector<std::uint64_t> args{Adapter, u(DeviceType), BehaviorFlags};
    const std::vector<std::uint64_t> present = presentParameterArgs(p);
    args.insert(args.end(), present.begin(), present.end());
    return log_->run("CreateDevice", std::move(args), {}, [&] {
      IDirect3DDevice9* core = nullptr;
      const HRESULT result = inner_->CreateDevice(Adapter, DeviceType, hFocusWindow, BehaviorFlags, p,
                                                  ppReturnedDeviceInterface ? &core : nullptr);
      if (SUCCEEDED(result)) *ppReturnedDeviceInterface = new RecordingDevice(static_cast<DeviceCore*>(core), log_);
      return result;
    });
  }

private:
  ~RecordingDirect3D() override { inner_->Release(); }

  ULONG refs_ = 1;
  ScriptedDirect3D* inner_;
  std::shared_ptr<CallLog> log_;
};

D3DADAPTER_IDENTIFIER9 recordingIdentifier() {
  D3DADAPTER_IDENTIFIER9 id{};
  std::strcpy(id.Driver, "tickwood-recording");
  std::strcpy(id.Description, "Recording device (no GPU)");
  std::strcpy(id.DeviceName, "\\\\.\\DISPLAY1");
  return id;
}

} // namespace

RecordingSetup defaultRecordingSetup() {
  RecordingSetup setup;
  AdapterDescription adapter;
  adapter.identifier = recordingIdentifier();
  adapter.desktop = {1024, 768, 60, D3DFMT_X8R8G8B8};
  const UINT sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
  for (const auto& size : sizes)
    for (UINT refresh : {60u, 75u}) {
      adapter.modes.push_back({size[0], size[1], refresh, D3DFMT_X8R8G8B8});
      adapter.modes.push_back({size[0], size[1], refresh, D3DFMT_R5G6B5});
    }
  setup.adapters.push_back(adapter);

  BackendCapabilities& caps = setup.capabilities;
  caps.textureFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5,
                         D3DFMT_A4R4G4B4, D3DFMT_R8G8B8,   D3DFMT_L8,     D3DFMT_A8,       D3DFMT_A8L8,
                         D3DFMT_DXT1,     D3DFMT_DXT2,     D3DFMT_DXT3,   D3DFMT_DXT4,     D3DFMT_DXT5};
  caps.backBufferFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5};
  caps.depthFormats = {D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D32};
  caps.sampleCounts = {2, 4};
  D3DCAPS9& c = caps.caps;
  c.DeviceType = D3DDEVTYPE_HAL;
  c.Caps2 = D3DCAPS2_FULLSCREENGAMMA | D3DCAPS2_DYNAMICTEXTURES;
  c.PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
  c.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION | D3DDEVCAPS_DRAWPRIMITIVES2EX |
              D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_TEXTUREVIDEOMEMORY;
  c.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_MIPMAP;
  c.PrimitiveMiscCaps = kPrimitiveMiscCaps;
  c.StencilCaps = kStencilCaps;
  c.ShadeCaps = kShadeCaps;
  c.MaxTextureWidth = c.MaxTextureHeight = 4096;
  c.MaxTextureBlendStages = c.MaxSimultaneousTextures = 8;
  c.MaxActiveLights = 8;
  c.MaxAnisotropy = 16;
  c.MaxPointSize = 64.0f;
  c.MaxPrimitiveCount = 0xFFFFF;
  c.MaxVertexIndex = 0xFFFFFF;
  c.MaxStreams = 1;
  c.MaxStreamStride = 255;
  c.FVFCaps = 8;
  return setup;
}

IDirect3D9* createRecordingDirect3D(const RecordingSetup& setup) { return new RecordingDirect3D(setup); }

bool setDesktopMode(IDirect3D9* direct3d, UINT adapter, const D3DDISPLAYMODE& mode) {
  auto* recording = dynamic_cast<RecordingDirect3D*>(direct3d);
  return recording && recording->setDesktop(adapter, mode);
}

CallLog* callLog(IDirect3D9* direct3d) {
  auto* recording = dynamic_cast<RecordingDirect3D*>(direct3d);
  return recording ? &recording->log() : nullptr;
}

CallLog* callLog(IDirect3DDevice9* device) {
  auto* recording = dynamic_cast<RecordingDevice*>(device);
  return recording ? &recording->log() : nullptr;
}

} // namespace d3d9
