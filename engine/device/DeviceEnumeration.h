// What the machine's Direct3D 9 adapters can do, and the choice of complete device settings
// from a request. Enumeration runs once per Direct3D object; the choice runs for windowed
// and full-screen use and again whenever a caller has its own preferences.
#pragma once

#include <vector>

#include "engine/device/DeviceSettings.h"

namespace engine {

struct MultiSampleOption {
  D3DMULTISAMPLE_TYPE type = D3DMULTISAMPLE_NONE;
  DWORD maxQuality = 0; // the number of quality levels the device reports
};

// A depth format that cannot be combined with a multisample type.
struct DepthMultiSampleConflict {
  D3DFORMAT depthStencilFormat = D3DFMT_UNKNOWN;
  D3DMULTISAMPLE_TYPE multiSampleType = D3DMULTISAMPLE_NONE;
};

// One adapter format, back buffer format and windowed flag the device accepts.
struct DeviceCombo {
  D3DFORMAT adapterFormat = D3DFMT_UNKNOWN;
  D3DFORMAT backBufferFormat = D3DFMT_UNKNOWN;
  bool windowed = false;
  std::vector<D3DFORMAT> depthStencilFormats;
  std::vector<MultiSampleOption> multiSampleTypes;
  std::vector<DepthMultiSampleConflict> conflicts;
  std::vector<int> vertexProcessingTypes;
  std::vector<UINT> presentIntervals;
};

struct DeviceInfo {
  D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
  D3DCAPS9 caps{};
  std::vector<DeviceCombo> combos;
};

struct AdapterInfo {
  UINT ordinal = 0;
  D3DADAPTER_IDENTIFIER9 identifier{};
  std::vector<D3DDISPLAYMODE> modes; // by width, height, format, refresh rate
  std::vector<DeviceInfo> devices;
};

class DeviceEnumeration {
public:
  DeviceEnumeration() = default;
  ~DeviceEnumeration();
  DeviceEnumeration(const DeviceEnumeration&) = delete;
  DeviceEnumeration& operator=(const DeviceEnumeration&) = delete;

  // Reads every adapter of `d3d` (which the enumeration keeps a reference to); false when
  // no adapter offers a single usable combination.
  bool enumerate(IDirect3D9* d3d);
  // Fills the result fields of `settings` from its request fields and flags; false when
  // nothing fits. Only hardware devices are chosen.
  bool choose(DeviceSettings& settings) const;

  const std::vector<AdapterInfo>& adapters() const { return adapters_; }
  IDirect3D9* direct3D() const { return d3d_; }

private:
  void release();
  void enumerateAdapter(UINT ordinal);
  void enumerateDevices(AdapterInfo& adapter);
  void fillCombo(const AdapterInfo& adapter, const DeviceInfo& device, DeviceCombo& combo);
  const DeviceCombo* bestCombo(const DeviceSettings& request, const D3DDISPLAYMODE& desktop,
                               const AdapterInfo*& adapter, const DeviceInfo*& device) const;

  IDirect3D9* d3d_ = nullptr;
  std::vector<AdapterInfo> adapters_;
};

} // namespace engine
