// The device the drawing benchmarks measure with: a windowed back buffer with a 24-bit
// depth buffer, presented at once instead of with the display, so that a frame takes the
// time its drawing takes.
#pragma once

#include <string>

#include "platform/d3d9/d3d9.h"

namespace benchsupport {

// A device of `d3d` drawing into `window`; null (with `failure` set) when none is made.
inline IDirect3DDevice9* createBenchDevice(IDirect3D9* d3d, UINT width, UINT height, HWND window,
                                           std::string& failure) {
  D3DPRESENT_PARAMETERS p{};
  p.BackBufferWidth = width;
  p.BackBufferHeight = height;
  p.BackBufferFormat = D3DFMT_X8R8G8B8;
  p.BackBufferCount = 1;
  p.SwapEffect = D3DSWAPEFFECT_DISCARD;
  p.hDeviceWindow = window;
  p.Windowed = TRUE;
  p.EnableAutoDepthStencil = TRUE;
  p.AutoDepthStencilFormat = D3DFMT_D24S8;
  p.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  IDirect3DDevice9* device = nullptr;
  if (FAILED(d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device))) {
    failure = "CreateDevice failed";
    return nullptr;
  }
  return device;
}

} // namespace benchsupport
