// A Direct3D 9 device of the OpenGL back end on a hidden 160 x 120 window, for image tests.
// Where no OpenGL context can be made the test is skipped with a message, unless CI=true,
// where that is a failure.
#pragma once

#include "platform/d3d9/DeviceHooks.h"
#include "platform/d3d9/HiddenWindow.h"
#include "platform/d3d9/d3d9.h"
#include "tests/support/Ci.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

constexpr UINT kImageWidth = 160;
constexpr UINT kImageHeight = 120;

struct Rgba {
  int r = 0, g = 0, b = 0, a = 0;
  bool operator==(const Rgba&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgba& c);

// Whether two colours differ by at most `tolerance` in each of red, green and blue.
::testing::AssertionResult colorNear(const Rgba& actual, const Rgba& expected, int tolerance);

struct PresentParameters {
  UINT width = kImageWidth;
  UINT height = kImageHeight;
  D3DFORMAT backBuffer = D3DFMT_X8R8G8B8;
  D3DFORMAT depth = D3DFMT_D24S8;
  D3DMULTISAMPLE_TYPE multisample = D3DMULTISAMPLE_NONE;
};

class GlTestDevice {
public:
  GlTestDevice() = default;
  ~GlTestDevice();
  GlTestDevice(const GlTestDevice&) = delete;
  GlTestDevice& operator=(const GlTestDevice&) = delete;

  // Makes the window and device; false when none can be made (the reason in `failure`).
  bool open(const PresentParameters& params, std::string& failure);

  IDirect3D9* d3d() const { return d3d_; }
  IDirect3DDevice9* device() const { return device_; }
  HWND window() const { return window_; }
  D3DPRESENT_PARAMETERS presentParameters() const { return params_; }

  // Presents and reads the presented image back.
  bool presentAndRead();
  // Reads the back buffer as the last present showed it, without presenting (for frames
  // drawn behind the device's back, such as a replay).
  bool readBack() { return d3d9::readPresentedImage(device_, image_); }
  Rgba pixel(UINT x, UINT y) const;
  const d3d9::PresentedImage& image() const { return image_; }
  // Counts of pixels whose colour is near `color`.
  int count(const Rgba& color, int tolerance = 0) const;

private:
  d3d9::HiddenWindow hidden_;
  HWND window_ = nullptr;
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  D3DPRESENT_PARAMETERS params_{};
  d3d9::PresentedImage image_;
};

// Opens a test device or skips (fails with CI=true) the calling test.
#define OPEN_GL_DEVICE_OR_SKIP(devicevar, params)                                                                      \
  do {                                                                                                                 \
    std::string failure_;                                                                                              \
    if (!(devicevar).open((params), failure_)) SKIP_OR_FAIL_IN_CI("no OpenGL device: " << failure_);                   \
  } while (0)

// Vertices for DrawPrimitiveUP.
struct RhwVertex {
  float x, y, z, rhw;
  D3DCOLOR diffuse;
};
struct RhwTexVertex {
  float x, y, z, rhw;
  D3DCOLOR diffuse;
  float u, v;
};
constexpr DWORD kRhwFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
constexpr DWORD kRhwTexFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// A screen quad covering pixels [left, right) x [top, bottom) the Direct3D way (edges - 0.5).
void drawRhwQuad(IDirect3DDevice9* device, float left, float top, float right, float bottom, D3DCOLOR color,
                 float z = 0.5f);
void drawRhwTexturedQuad(IDirect3DDevice9* device, float left, float top, float right, float bottom, D3DCOLOR color,
                         float z = 0.5f);

// An orthographic projection under which world units are Direct3D screen pixels (x right,
// y down, the image's size) and view depth 0..`depth` maps to 0..1.
void setPixelProjection(IDirect3DDevice9* device, float depth = 100.0f);

// A texture of `width` x `height` filled with one colour (A8R8G8B8 unless told otherwise).
IDirect3DTexture9* solidTexture(IDirect3DDevice9* device, UINT width, UINT height, D3DCOLOR color,
                                D3DFORMAT format = D3DFMT_A8R8G8B8);

} // namespace testsupport
