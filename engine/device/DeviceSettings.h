// One complete choice of device settings: the request a caller fills in and the result the
// device choice returns use the same record.
#pragma once

#include <cstdint>

#include "platform/d3d9/d3d9.h"

namespace engine {

// Bits of `DeviceSettings::flags`: which requested values the choice keeps.
constexpr std::uint32_t kKeepSize = 0x001;            // width and height (full screen)
constexpr std::uint32_t kKeepBackBufferDepth = 0x002; // the bit depth of the back buffer format
constexpr std::uint32_t kKeepDepthStencil = 0x004;    // the depth-stencil format
constexpr std::uint32_t kKeepMultiSample = 0x008;     // the multisample type (quality below the maximum)
constexpr std::uint32_t kKeepVertexProcessing = 0x010;
constexpr std::uint32_t kKeepPresentInterval = 0x020;
constexpr std::uint32_t kKeepAdapter = 0x100;
constexpr std::uint32_t kKeepRefreshRate = 0x400; // full screen
constexpr std::uint32_t kStrictChoice = 0x800;    // fail instead of falling back

// `DeviceSettings::vertexProcessing`
constexpr int kSoftwareVertexProcessing = 0;
constexpr int kMixedVertexProcessing = 1;
constexpr int kHardwareVertexProcessing = 2;
constexpr int kPureHardwareVertexProcessing = 3;

struct DeviceSettings {
  std::uint32_t flags = 0;
  std::uint8_t windowed = 0;
  UINT adapter = 0;
  D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
  D3DCAPS9 caps{};
  D3DFORMAT backBufferFormat = D3DFMT_UNKNOWN;
  D3DFORMAT depthStencilFormat = D3DFMT_UNKNOWN;
  UINT width = 0;
  UINT height = 0;
  UINT refreshRate = 0;
  D3DFORMAT displayFormat = D3DFMT_UNKNOWN;
  D3DMULTISAMPLE_TYPE multiSampleType = D3DMULTISAMPLE_NONE;
  DWORD multiSampleQuality = 0;
  int vertexProcessing = kSoftwareVertexProcessing;
  UINT presentInterval = D3DPRESENT_INTERVAL_DEFAULT;
};

// Bits per pixel of a display, back buffer or depth-stencil format; 0 for other formats.
UINT formatBitDepth(D3DFORMAT format);

} // namespace engine
