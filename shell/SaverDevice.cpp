// The saver's device: its creation in the mode the settings ask for, the frame of a saver
// without a room, device loss and the screenshot.
#include <cstdio>

#include "engine/core/Log.h"
#include "platform/d3dx9/Screenshot.h"
#include "shell/SaverApplication.h"

namespace saver {

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
  readViewport();
}

void SaverApplication::readViewport() {
  device_->GetViewport(&viewport_);
  textScale_ = static_cast<float>(viewport_.Width) / 1024.0f;
}

void SaverApplication::renderFrame() {
  if (!device_) return;
  device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, engine::toColor(sceneProperties_.backgroundColor),
                 1.0f, 0);
  if (SUCCEEDED(device_->BeginScene())) {
    renderScene();
    // The GUI lies over the picture, never behind it.
    if (!gui_.queue().empty()) device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    drawGui();
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
