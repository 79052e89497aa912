// The saver's device: its creation in the mode the settings ask for, the loading picture,
// the frame while the room is not drawn yet, device loss and the screenshot.
#include <algorithm>
#include <cstdio>

#include "engine/core/Log.h"
#include "engine/render/StateCache.h"
#include "platform/d3dx9/Screenshot.h"
#include "platform/win32/desktop.h"
#include "shell/SaverApplication.h"

namespace saver {
namespace {

constexpr std::int64_t kLoadingFadeMs = 200;

struct ScreenVertex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};
constexpr DWORD kScreenVertexFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// The states of a textured, blended quad in screen coordinates.
void setScreenQuadStates(engine::StateCache& cache, IDirect3DBaseTexture9* texture) {
  cache.setRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  cache.setRenderState(D3DRS_LIGHTING, FALSE);
  cache.setRenderState(D3DRS_FOGENABLE, FALSE);
  cache.setRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  cache.setRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  cache.setRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  cache.setRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  cache.setRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  cache.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  cache.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  cache.setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  cache.setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  cache.setTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  cache.setTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  cache.setTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  cache.setSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  cache.setSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  cache.setSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  cache.setSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  cache.setSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
  cache.setTexture(0, texture);
}

} // namespace

bool SaverApplication::startDevice() {
  if (!Create(instance_, window_)) {
    engine::logLine("Error: Application::Create(hInstance) failed\n");
    return false;
  }
  // Inside a daemon's window the saver is drawn in that window, not over the screen.
  const bool fullscreen = hostWindow_ == nullptr;
  if (fullscreen) chooseFullscreenSettings();
  if (!SetMode(fullscreen)) {
    engine::logLine("Error: Application::SetMode() failed\n");
    return false;
  }
  deviceReady_ = true;
  return true;
}

void SaverApplication::chooseFullscreenSettings() {
  engine::DeviceSettings request;
  request.windowed = 0;
  request.multiSampleType = D3DMULTISAMPLE_2_SAMPLES;
  request.multiSampleQuality = 0;
  engine::DeviceSettings chosen = request;
  bool found = false;
  if (settings_.useDesktop) {
    chosen.flags = engine::kKeepMultiSample;
    found = enumeration_.choose(chosen);
    if (!found) {
      chosen = request;
      chosen.flags = engine::kKeepMultiSample | engine::kKeepSize;
      chosen.width = 800;
      chosen.height = 600;
      found = enumeration_.choose(chosen);
    }
  } else {
    chosen.flags = engine::kKeepSize | engine::kKeepBackBufferDepth | engine::kKeepMultiSample;
    chosen.width = static_cast<UINT>(settings_.width);
    chosen.height = static_cast<UINT>(settings_.height);
    chosen.backBufferFormat = settings_.depth == 16 ? D3DFMT_X1R5G5B5 : D3DFMT_X8R8G8B8;
    found = enumeration_.choose(chosen);
  }
  if (found) setFullscreenSettings(chosen);
}

void SaverApplication::readDisplayMode() {
  device_->GetDisplayMode(0, &displayMode_);
  device_->GetViewport(&viewport_);
  textScale_ = static_cast<float>(viewport_.Width) / 1024.0f;
}

void SaverApplication::showLoadingScreen() {
  engine::TextureRequest request;
  request.location = mediaLocation("/loading.jpg");
  // The picture as it is, one level: it is only ever shown at the size of the screen, and
  // rounding it up to powers of two would only cost start-up time and memory.
  request.flags = engine::kMatchLevels | engine::kMatchSize;
  request.levels = 1;
  request.width = D3DX_DEFAULT_NONPOW2;
  request.height = D3DX_DEFAULT_NONPOW2;
  loadingTexture_ = textures_.get(request);
  if (!loadingTexture_) engine::logLine("Error: the loading picture /loading.jpg could not be loaded\n");
  drawLoadingScreen(loadingTexture_.get(), 1.0f);
}

void SaverApplication::fadeOutLoadingScreen() {
  if (!loadingTexture_) return;
  engine::Stopwatch fade;
  // A daemon that stops the saver wants it gone at once, not after a fade nobody sees.
  for (std::int64_t elapsed = fade.elapsedMs(); elapsed < kLoadingFadeMs && !win32::terminationPending();
       elapsed = fade.elapsedMs())
    drawLoadingScreen(loadingTexture_.get(), 1.0f - static_cast<float>(elapsed) / kLoadingFadeMs);
}

void SaverApplication::drawLoadingScreen(engine::Texture* texture, float opacity) {
  if (!device_) return;
  device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  IDirect3DTexture9* image = texture ? texture->d3dTexture() : nullptr;
  if (SUCCEEDED(device_->BeginScene())) {
    D3DVIEWPORT9 viewport{};
    device_->GetViewport(&viewport);
    if (image && viewport.Width > 0 && viewport.Height > 0) {
      engine::StateCache& cache = engine::stateCache();
      setScreenQuadStates(cache, image);
      const auto alpha = static_cast<unsigned>(std::clamp(opacity, 0.0f, 1.0f) * 255.0f + 0.5f);
      const D3DCOLOR color = D3DCOLOR_ARGB(alpha, 255, 255, 255);
      // Pixel edges lie half a pixel before the pixel centres.
      const float left = static_cast<float>(viewport.X) - 0.5f, top = static_cast<float>(viewport.Y) - 0.5f;
      const float right = left + static_cast<float>(viewport.Width), bottom = top + static_cast<float>(viewport.Height);
      const ScreenVertex quad[4] = {{left, top, 0.0f, 1.0f, color, 0.0f, 0.0f},
                                    {right, top, 0.0f, 1.0f, color, 1.0f, 0.0f},
                                    {left, bottom, 0.0f, 1.0f, color, 0.0f, 1.0f},
                                    {right, bottom, 0.0f, 1.0f, color, 1.0f, 1.0f}};
      device_->SetFVF(kScreenVertexFormat);
      device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
      cache.setTexture(0, nullptr);
      cache.setRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
      cache.setRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    }
    device_->EndScene();
  }
  device_->Present(nullptr, nullptr, nullptr, nullptr);
}

void SaverApplication::renderFrame() {
  if (!device_) return;
  device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, engine::toColor(sceneProperties_.backgroundColor),
                 1.0f, 0);
  if (SUCCEEDED(device_->BeginScene())) {
    renderScene();
    device_->EndScene();
  }
  device_->Present(nullptr, nullptr, nullptr, nullptr);
}

void SaverApplication::checkDevice() {
  if (!device_) return;
  const bool wasReady = deviceReady_;
  const bool handled = handleDeviceLost();
  deviceReady_ = deviceUsable();
  if (wasReady && !deviceReady_) engine::logLine("Device lost\n");
  if (!wasReady && deviceReady_) engine::logLine("Device reset\n");
  if (!handled && !resetFailureLogged_) engine::logLine("Error: the device could not be reset\n");
  resetFailureLogged_ = !handled;
}

void SaverApplication::writeScreenshot() {
  if (screenshotPath_.empty()) return;
  std::string error;
  if (d3dx9::saveScreenshot(device_, screenshotPath_, error))
    std::printf("tickwood: the last frame is in %s\n", screenshotPath_.c_str());
  else
    std::fprintf(stderr, "tickwood: no screenshot: %s\n", error.c_str());
  std::fflush(stdout);
}

} // namespace saver
