// Hooks of the Direct3D 9 stand-in for tests, screenshots and recordings. They never change
// what a normal run draws; a run opts in by calling them (or, for the device loss, through
// the environment variable described below).
#pragma once

#include "platform/d3d9/d3d9.h"

#include <cstdint>
#include <vector>

namespace d3d9 {

// Makes the device lost now: TestCooperativeLevel then answers D3DERR_DEVICELOST for the
// next `lostReports` calls (at least one), then D3DERR_DEVICENOTRESET until a Reset
// succeeds. While the device is lost Present answers D3DERR_DEVICELOST; scenes, draws and
// state calls succeed without drawing anything.
// A running program can also be told to lose its device through the environment:
// TICKWOOD_FORCE_DEVICE_LOSS=<n>[,<m>...] loses each device right after its n-th (and m-th,
// ...) Present. False when `device` is not one of this stand-in's devices.
bool forceDeviceLoss(IDirect3DDevice9* device, unsigned lostReports = 1);

// The image shown by the last Present, after the gamma ramp: 8-bit RGBA, rows top-down,
// width * 4 bytes each. False before the first Present and for the recording back end.
struct PresentedImage {
  UINT width = 0;
  UINT height = 0;
  std::vector<std::uint8_t> rgba;
};
bool readPresentedImage(IDirect3DDevice9* device, PresentedImage& image);

// Counts of the work the back end did since the device was made or the counts were reset.
struct DeviceStatistics {
  std::uint64_t backendCalls = 0;  // OpenGL calls issued (state, uploads, draws)
  std::uint64_t stateCalls = 0;    // of which state changes (enable, blend, depth, bindings, uniforms)
  std::uint64_t draws = 0;         // draw calls that reached the back end
  std::uint64_t programsBuilt = 0; // fixed-function programs generated and linked
  std::uint64_t presents = 0;
};
bool deviceStatistics(IDirect3DDevice9* device, DeviceStatistics& statistics);
bool resetDeviceStatistics(IDirect3DDevice9* device);

// With caching off every state is sent to the back end before every draw, whether it
// changed or not; image tests run both ways and must see the same pixels. Setting
// TICKWOOD_D3D9_NO_STATE_CACHE=1 turns caching off for every device a program makes.
bool setStateCaching(IDirect3DDevice9* device, bool enabled);

// Keeps every OpenGL call of the device in `recording` (gl/GlFrameRecording.h) until called
// again with null; the replay benchmark records one frame this way. False for a device
// without OpenGL.
class GlFrameRecording;
bool recordBackendCalls(IDirect3DDevice9* device, GlFrameRecording* recording);

} // namespace d3d9
