#include "tests/support/GlTestDevice.h"

#include <cstdlib>
#include <cstring>
#include <ostream>

namespace testsupport {

std::ostream& operator<<(std::ostream& out, const Rgba& c) {
  return out << "(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
}

::testing::AssertionResult colorNear(const Rgba& actual, const Rgba& expected, int tolerance) {
  if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
      std::abs(actual.b - expected.b) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << actual << " is not within " << tolerance << " of " << expected;
}

GlTestDevice::~GlTestDevice() {
  if (device_) device_->Release();
  if (d3d_) d3d_->Release();
}

bool GlTestDevice::open(const PresentParameters& p, std::string& failure) {
  if (!hidden_.open(int(p.width), int(p.height), failure)) return false;
  window_ = hidden_.handle();
  d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
  if (!d3d_) {
    failure = "Direct3DCreate9 failed";
    return false;
  }
  params_ = {};
  params_.BackBufferWidth = p.width;
  params_.BackBufferHeight = p.height;
  params_.BackBufferFormat = p.backBuffer;
  params_.BackBufferCount = 1;
  params_.MultiSampleType = p.multisample;
  params_.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params_.hDeviceWindow = window_;
  params_.Windowed = TRUE;
  params_.EnableAutoDepthStencil = p.depth != D3DFMT_UNKNOWN;
  params_.AutoDepthStencilFormat = p.depth;
  params_.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  const HRESULT hr = d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window_,
                                        D3DCREATE_HARDWARE_VERTEXPROCESSING, &params_, &device_);
  if (FAILED(hr)) {
    failure = "CreateDevice failed";
    return false;
  }
  return true;
}

bool GlTestDevice::presentAndRead() {
  if (FAILED(device_->Present(nullptr, nullptr, nullptr, nullptr))) return false;
  return d3d9::readPresentedImage(device_, image_);
}

Rgba GlTestDevice::pixel(UINT x, UINT y) const {
  const std::size_t at = (std::size_t(y) * image_.width + x) * 4;
  return {image_.rgba[at], image_.rgba[at + 1], image_.rgba[at + 2], image_.rgba[at + 3]};
}

int GlTestDevice::count(const Rgba& color, int tolerance) const {
  int n = 0;
  for (UINT y = 0; y < image_.height; ++y)
    for (UINT x = 0; x < image_.width; ++x)
      if (colorNear(pixel(x, y), color, tolerance)) ++n;
  return n;
}

void drawRhwQuad(IDirect3DDevice9* device, float left, float top, float right, float bottom, D3DCOLOR color, float z) {
  const RhwVertex v[4] = {{left - 0.5f, top - 0.5f, z, 1.0f, color},
                          {right - 0.5f, top - 0.5f, z, 1.0f, color},
                          {left - 0.5f, bottom - 0.5f, z, 1.0f, color},
                          {right - 0.5f, bottom - 0.5f, z, 1.0f, color}};
  device->SetFVF(kRhwFvf);
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(RhwVertex));
}

void drawRhwTexturedQuad(IDirect3DDevice9* device, float left, float top, float right, float bottom, D3DCOLOR color,
                         float z) {
  const RhwTexVertex v[4] = {{left - 0.5f, top - 0.5f, z, 1.0f, color, 0.0f, 0.0f},
                             {right - 0.5f, top - 0.5f, z, 1.0f, color, 1.0f, 0.0f},
                             {left - 0.5f, bottom - 0.5f, z, 1.0f, color, 0.0f, 1.0f},
                             {right - 0.5f, bottom - 0.5f, z, 1.0f, color, 1.0f, 1.0f}};
  device->SetFVF(kRhwTexFvf);
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(RhwTexVertex));
}

void setPixelProjection(IDirect3DDevice9* device, float depth) {
  D3DMATRIX p{};
  p._11 = 2.0f / kImageWidth;
  p._22 = -2.0f / kImageHeight;
  p._33 = 1.0f / depth;
  p._41 = -1.0f;
  p._42 = 1.0f;
  p._44 = 1.0f;
  device->SetTransform(D3DTS_PROJECTION, &p);
}

IDirect3DTexture9* solidTexture(IDirect3DDevice9* device, UINT width, UINT height, D3DCOLOR color, D3DFORMAT format) {
  IDirect3DTexture9* texture = nullptr;
  if (FAILED(device->CreateTexture(width, height, 1, 0, format, D3DPOOL_MANAGED, &texture, nullptr))) return nullptr;
  D3DLOCKED_RECT locked;
  texture->LockRect(0, &locked, nullptr, 0);
  for (UINT y = 0; y < height; ++y) {
    auto* row = static_cast<BYTE*>(locked.pBits) + std::size_t(y) * UINT(locked.Pitch);
    for (UINT x = 0; x < width; ++x) {
      if (format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8) std::memcpy(row + x * 4, &color, 4);
    }
  }
  texture->UnlockRect(0);
  return texture;
}

} // namespace testsupport
