#include "engine/device/DeviceEnumeration.h"

#include <algorithm>
#include <tuple>

namespace engine {
namespace {

constexpr D3DFORMAT kAdapterFormats[] = {D3DFMT_X8R8G8B8, D3DFMT_X1R5G5B5, D3DFMT_R5G6B5, D3DFMT_A2R10G10B10};
constexpr D3DFORMAT kBackBufferFormats[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A2R10G10B10,
                                            D3DFMT_R5G6B5,   D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5};
constexpr D3DFORMAT kDepthStencilFormats[] = {D3DFMT_D16,   D3DFMT_D15S1,   D3DFMT_D24X8,
                                              D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D32};
constexpr D3DDEVTYPE kDeviceTypes[] = {D3DDEVTYPE_HAL, D3DDEVTYPE_SW, D3DDEVTYPE_REF};
constexpr UINT kPresentIntervals[] = {D3DPRESENT_INTERVAL_IMMEDIATE, D3DPRESENT_INTERVAL_DEFAULT,
                                      D3DPRESENT_INTERVAL_ONE,       D3DPRESENT_INTERVAL_TWO,
                                      D3DPRESENT_INTERVAL_THREE,     D3DPRESENT_INTERVAL_FOUR};

template <class List, class Value> bool contains(const List& list, const Value& value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

bool modeLess(const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b) {
  return std::make_tuple(a.Width, a.Height, static_cast<DWORD>(a.Format), a.RefreshRate) <
         std::make_tuple(b.Width, b.Height, static_cast<DWORD>(b.Format), b.RefreshRate);
}

// The display mode of the chosen combo.
bool chooseDisplayMode(const AdapterInfo& adapter, const DeviceCombo& combo, const D3DDISPLAYMODE& desktop,
                       DeviceSettings& settings) {
  if (combo.windowed) {
    settings.width = desktop.Width;
    settings.height = desktop.Height;
    settings.refreshRate = desktop.RefreshRate;
    settings.displayFormat = desktop.Format;
    return true;
  }
  const bool keepSize = settings.flags & kKeepSize;
  const UINT width = keepSize ? settings.width : desktop.Width;
  const UINT height = keepSize ? settings.height : desktop.Height;
  const D3DDISPLAYMODE* chosen = nullptr;
  for (const D3DDISPLAYMODE& mode : adapter.modes) {
    if (mode.Format != combo.adapterFormat || mode.Width != width || mode.Height != height) continue;
    if (!keepSize && mode.RefreshRate != desktop.RefreshRate) continue;
    if ((settings.flags & kKeepRefreshRate) && mode.RefreshRate != settings.refreshRate) continue;
    // Later modes with a refresh rate that is not lower win: the highest rate is taken.
    if (!chosen || mode.RefreshRate >= chosen->RefreshRate) chosen = &mode;
  }
  if (!chosen) return false;
  settings.width = chosen->Width;
  settings.height = chosen->Height;
  settings.refreshRate = chosen->RefreshRate;
  settings.displayFormat = chosen->Format;
  return true;
}

// The depth-stencil format.
bool chooseDepthStencil(const DeviceCombo& combo, DeviceSettings& settings) {
  if (settings.flags & kKeepDepthStencil) {
    if (contains(combo.depthStencilFormats, settings.depthStencilFormat)) return true;
    if (settings.flags & kStrictChoice) return false;
  }
  const UINT depth = formatBitDepth(combo.backBufferFormat);
  const D3DFORMAT preferred = depth == 16 ? D3DFMT_D16 : depth == 32 ? D3DFMT_D32 : D3DFMT_UNKNOWN;
  if (preferred != D3DFMT_UNKNOWN && contains(combo.depthStencilFormats, preferred)) {
    settings.depthStencilFormat = preferred;
    return true;
  }
  for (D3DFORMAT format : combo.depthStencilFormats) {
    if (formatBitDepth(format) == depth) {
      settings.depthStencilFormat = format;
      return true;
    }
  }
  return false;
}

// The multisample type.
bool chooseMultiSample(const DeviceCombo& combo, DeviceSettings& settings) {
  if (settings.flags & kKeepMultiSample) {
    for (const MultiSampleOption& option : combo.multiSampleTypes)
      if (option.type == settings.multiSampleType && option.maxQuality > settings.multiSampleQuality) return true;
    if (settings.flags & kStrictChoice) return false;
  }
  settings.multiSampleType = D3DMULTISAMPLE_NONE;
  settings.multiSampleQuality = 0;
  return true;
}

// The vertex processing type.
bool chooseVertexProcessing(const DeviceCombo& combo, DeviceSettings& settings) {
  if (settings.flags & kKeepVertexProcessing) {
    if (contains(combo.vertexProcessingTypes, settings.vertexProcessing)) return true;
    if (settings.flags & kStrictChoice) return false;
  }
  settings.vertexProcessing = contains(combo.vertexProcessingTypes, kHardwareVertexProcessing)
                                  ? kHardwareVertexProcessing
                                  : kSoftwareVertexProcessing;
  return true;
}

// The present interval. Presenting without waiting for the retrace is preferred;
// a device that cannot do that gets the default interval, which every device offers.
bool choosePresentInterval(const DeviceCombo& combo, DeviceSettings& settings) {
  if (settings.flags & kKeepPresentInterval) {
    if (contains(combo.presentIntervals, settings.presentInterval)) return true;
    if (settings.flags & kStrictChoice) return false;
  }
  settings.presentInterval = contains(combo.presentIntervals, D3DPRESENT_INTERVAL_IMMEDIATE)
                                 ? D3DPRESENT_INTERVAL_IMMEDIATE
                                 : D3DPRESENT_INTERVAL_DEFAULT;
  return true;
}

} // namespace

UINT formatBitDepth(D3DFORMAT format) {
  switch (format) {
  case D3DFMT_A8R8G8B8:
  case D3DFMT_X8R8G8B8:
  case D3DFMT_A2R10G10B10:
  case D3DFMT_A2B10G10R10:
  case D3DFMT_A8B8G8R8:
  case D3DFMT_X8B8G8R8:
  case D3DFMT_D32:
  case D3DFMT_D24S8:
  case D3DFMT_D24X8:
  case D3DFMT_D24X4S4:
  case D3DFMT_D24FS8:
  case D3DFMT_D32F_LOCKABLE:
    return 32;
  case D3DFMT_R8G8B8:
    return 24;
  case D3DFMT_R5G6B5:
  case D3DFMT_X1R5G5B5:
  case D3DFMT_A1R5G5B5:
  case D3DFMT_A4R4G4B4:
  case D3DFMT_X4R4G4B4:
  case D3DFMT_D16:
  case D3DFMT_D16_LOCKABLE:
  case D3DFMT_D15S1:
    return 16;
  default:
    return 0;
  }
}

DeviceEnumeration::~DeviceEnumeration() { release(); }

void DeviceEnumeration::release() {
  adapters_.clear();
  if (d3d_) d3d_->Release();
  d3d_ = nullptr;
}

bool DeviceEnumeration::enumerate(IDirect3D9* d3d) {
  if (d3d) d3d->AddRef();
  release();
  d3d_ = d3d;
  if (!d3d_) return false;
  const UINT count = d3d_->GetAdapterCount();
  for (UINT ordinal = 0; ordinal < count; ++ordinal)
    enumerateAdapter(ordinal);
  return !adapters_.empty();
}

void DeviceEnumeration::enumerateAdapter(UINT ordinal) {
  AdapterInfo adapter;
  adapter.ordinal = ordinal;
  d3d_->GetAdapterIdentifier(ordinal, 0, &adapter.identifier);
  for (D3DFORMAT format : kAdapterFormats) {
    const UINT modes = d3d_->GetAdapterModeCount(ordinal, format);
    for (UINT index = 0; index < modes; ++index) {
      D3DDISPLAYMODE mode{};
      if (d3d_->EnumAdapterModes(ordinal, format, index, &mode) == D3D_OK) adapter.modes.push_back(mode);
    }
  }
  std::sort(adapter.modes.begin(), adapter.modes.end(), modeLess);
  enumerateDevices(adapter);
  // An adapter without a single usable combination is of no use to the choice.
  if (!adapter.devices.empty()) adapters_.push_back(std::move(adapter));
}

void DeviceEnumeration::enumerateDevices(AdapterInfo& adapter) {
  std::vector<D3DFORMAT> adapterFormats;
  for (D3DFORMAT format : kAdapterFormats)
    for (const D3DDISPLAYMODE& mode : adapter.modes)
      if (mode.Format == format && !contains(adapterFormats, format)) adapterFormats.push_back(format);

  for (D3DDEVTYPE type : kDeviceTypes) {
    DeviceInfo device;
    device.deviceType = type;
    if (FAILED(d3d_->GetDeviceCaps(adapter.ordinal, type, &device.caps))) continue;
    for (D3DFORMAT adapterFormat : adapterFormats)
      for (D3DFORMAT backBuffer : kBackBufferFormats)
        for (BOOL windowed : {FALSE, TRUE}) {
          if (d3d_->CheckDeviceType(adapter.ordinal, type, adapterFormat, backBuffer, windowed) != D3D_OK) continue;
          DeviceCombo combo;
          combo.adapterFormat = adapterFormat;
          combo.backBufferFormat = backBuffer;
          combo.windowed = windowed != FALSE;
          fillCombo(adapter, device, combo);
          device.combos.push_back(std::move(combo));
        }
    if (!device.combos.empty()) adapter.devices.push_back(std::move(device));
  }
}

void DeviceEnumeration::fillCombo(const AdapterInfo& adapter, const DeviceInfo& device, DeviceCombo& combo) {
  const UINT ordinal = adapter.ordinal;
  const D3DDEVTYPE type = device.deviceType;
  for (D3DFORMAT depth : kDepthStencilFormats) {
    if (d3d_->CheckDeviceFormat(ordinal, type, combo.adapterFormat, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, depth) ==
            D3D_OK &&
        d3d_->CheckDepthStencilMatch(ordinal, type, combo.adapterFormat, combo.backBufferFormat, depth) == D3D_OK)
      combo.depthStencilFormats.push_back(depth);
  }
  for (DWORD value = D3DMULTISAMPLE_NONE; value <= D3DMULTISAMPLE_16_SAMPLES; ++value) {
    const auto multiSample = static_cast<D3DMULTISAMPLE_TYPE>(value);
    DWORD levels = 0;
    if (d3d_->CheckDeviceMultiSampleType(ordinal, type, combo.backBufferFormat, combo.windowed, multiSample, &levels) ==
        D3D_OK)
      combo.multiSampleTypes.push_back({multiSample, levels});
  }
  for (D3DFORMAT depth : combo.depthStencilFormats)
    for (const MultiSampleOption& option : combo.multiSampleTypes)
      if (d3d_->CheckDeviceMultiSampleType(ordinal, type, depth, combo.windowed, option.type, nullptr) != D3D_OK)
        combo.conflicts.push_back({depth, option.type});

  if (device.caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) {
    if (device.caps.DevCaps & D3DDEVCAPS_PUREDEVICE)
      combo.vertexProcessingTypes.push_back(kPureHardwareVertexProcessing);
    combo.vertexProcessingTypes.push_back(kHardwareVertexProcessing);
    combo.vertexProcessingTypes.push_back(kMixedVertexProcessing);
  }
  combo.vertexProcessingTypes.push_back(kSoftwareVertexProcessing);

  for (UINT interval : kPresentIntervals) {
    const bool multipleRetraces = interval == D3DPRESENT_INTERVAL_TWO || interval == D3DPRESENT_INTERVAL_THREE ||
                                  interval == D3DPRESENT_INTERVAL_FOUR;
    if (combo.windowed && multipleRetraces) continue;
    if (interval == D3DPRESENT_INTERVAL_DEFAULT || (device.caps.PresentationIntervals & interval))
      combo.presentIntervals.push_back(interval);
  }
}

const DeviceCombo* DeviceEnumeration::bestCombo(const DeviceSettings& request, const D3DDISPLAYMODE& desktop,
                                                const AdapterInfo*& bestAdapter, const DeviceInfo*& bestDevice) const {
  const bool keepDepth = request.flags & kKeepBackBufferDepth;
  const UINT requestedDepth = formatBitDepth(request.backBufferFormat);
  const DeviceCombo* best = nullptr;
  for (const AdapterInfo& adapter : adapters_) {
    if ((request.flags & kKeepAdapter) && adapter.ordinal != request.adapter) continue;
    for (const DeviceInfo& device : adapter.devices) {
      if (device.deviceType != D3DDEVTYPE_HAL) continue;
      for (const DeviceCombo& combo : device.combos) {
        if (combo.windowed != (request.windowed != 0)) continue;
        if (keepDepth && formatBitDepth(combo.backBufferFormat) != requestedDepth) continue;
        const bool same = combo.adapterFormat == combo.backBufferFormat;
        const bool onDesktop = combo.adapterFormat == desktop.Format;
        const bool exact = keepDepth ? combo.backBufferFormat == request.backBufferFormat : (onDesktop && same);
        // A window shares the desktop's format; full screen may switch to any mode.
        if (combo.windowed && !onDesktop) continue;
        if (!best || same || exact) {
          best = &combo;
          bestAdapter = &adapter;
          bestDevice = &device;
        }
        if (exact) return best;
      }
    }
  }
  return best;
}

bool DeviceEnumeration::choose(DeviceSettings& settings) const {
  if (!d3d_) return false;
  D3DDISPLAYMODE desktop{};
  if (d3d_->GetAdapterDisplayMode(0, &desktop) != D3D_OK) return false;
  const AdapterInfo* adapter = nullptr;
  const DeviceInfo* device = nullptr;
  const DeviceCombo* combo = bestCombo(settings, desktop, adapter, device);
  if (!combo) return false;

  settings.adapter = adapter->ordinal;
  settings.deviceType = device->deviceType;
  settings.caps = device->caps;
  settings.backBufferFormat = combo->backBufferFormat;
  // The rest of the settings follow from the combo; the first that cannot be had fails the
  // choice.
  return chooseDisplayMode(*adapter, *combo, desktop, settings) && chooseDepthStencil(*combo, settings) &&
         chooseMultiSample(*combo, settings) && chooseVertexProcessing(*combo, settings) &&
         choosePresentInterval(*combo, settings);
}

} // namespace engine
