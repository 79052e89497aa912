#include "engine/app/Application.h"

#include <algorithm>

#include "engine/device/DeviceDescription.h"
#include "engine/render/DevicePointer.h"
#include "engine/render/StateCache.h"
#include "platform/win32/winbase.h"

namespace engine {
namespace {

Application* g_current = nullptr;

DWORD behaviorFlagsFor(int vertexProcessing) {
  switch (vertexProcessing) {
  case kMixedVertexProcessing:
    return D3DCREATE_MIXED_VERTEXPROCESSING;
  case kHardwareVertexProcessing:
    return D3DCREATE_HARDWARE_VERTEXPROCESSING;
  case kPureHardwareVertexProcessing:
    return D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE;
  default:
    return D3DCREATE_SOFTWARE_VERTEXPROCESSING;
  }
}

} // namespace

Application::Application() {
  g_current = this;
  direct3DFactory_ = [] { return Direct3DCreate9(D3D_SDK_VERSION); };
}

Application::~Application() {
  releaseDevice();
  releaseDirect3D();
  if (ownWindow_ && window_ && IsWindow(window_)) DestroyWindow(window_);
  resourceListeners_.clear();
  messageListeners_.clear();
  if (g_current == this) g_current = nullptr;
}

Application* Application::current() { return g_current; }

void Application::releaseDirect3D() {
  if (d3d_) d3d_->Release();
  d3d_ = nullptr;
}

bool Application::Create(HINSTANCE instance, HWND window) {
  // A second Create starts from scratch.
  releaseDevice();
  releaseDirect3D();
  instance_ = instance;
  window_ = window;
  d3d_ = direct3DFactory_ ? direct3DFactory_() : nullptr;
  if (!d3d_) return false;
  d3d_->GetAdapterDisplayMode(0, &desktopMode_);
  if (!enumeration_.enumerate(d3d_)) {
    releaseDirect3D();
    return false;
  }
  if (!window_ && !createOwnWindow()) {
    releaseDirect3D();
    return false;
  }
  saveWindowPlacement();

  DeviceSettings fullscreen;
  fullscreen.windowed = 0;
  if (!enumeration_.choose(fullscreen)) {
    releaseDirect3D();
    return false;
  }
  fullscreenSettings_ = fullscreen;
  DeviceSettings windowed;
  windowed.windowed = 1;
  if (!enumeration_.choose(windowed)) {
    releaseDirect3D();
    return false;
  }
  windowedSettings_ = windowed;
  return true;
}

void Application::saveWindowPlacement() {
  windowStyle_ = static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE));
  GetWindowRect(window_, &windowRect_);
  GetClientRect(window_, &clientRect_);
}

bool Application::SetMode(bool fullscreen) {
  releaseDevice();
  settings_ = fullscreen ? fullscreenSettings_ : windowedSettings_;
  active_ = true;
  suspended_ = false;
  return createDevice();
}

void Application::fillPresentParams() {
  presentParams_ = D3DPRESENT_PARAMETERS{};
  presentParams_.BackBufferCount = 1;
  presentParams_.MultiSampleType = settings_.multiSampleType;
  presentParams_.MultiSampleQuality = settings_.multiSampleQuality;
  presentParams_.SwapEffect = D3DSWAPEFFECT_DISCARD;
  presentParams_.hDeviceWindow = window_;
  presentParams_.Windowed = windowed_ ? TRUE : FALSE;
  presentParams_.EnableAutoDepthStencil = TRUE;
  presentParams_.AutoDepthStencilFormat = settings_.depthStencilFormat;
  presentParams_.Flags = D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
  presentParams_.PresentationInterval = settings_.presentInterval;
  presentParams_.BackBufferFormat = settings_.backBufferFormat;
  if (windowed_) {
    presentParams_.BackBufferWidth = static_cast<UINT>(clientRect_.right - clientRect_.left);
    presentParams_.BackBufferHeight = static_cast<UINT>(clientRect_.bottom - clientRect_.top);
    presentParams_.FullScreen_RefreshRateInHz = 0;
  } else {
    presentParams_.BackBufferWidth = settings_.width;
    presentParams_.BackBufferHeight = settings_.height;
    presentParams_.FullScreen_RefreshRateInHz = settings_.refreshRate;
  }
}

bool Application::readBackBufferDesc() {
  IDirect3DSurface9* backBuffer = nullptr;
  if (FAILED(device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) || !backBuffer) return false;
  backBuffer->GetDesc(&backBufferDesc_);
  backBuffer->Release();
  return true;
}

void Application::restoreWindowRect() {
  // A child window's place belongs to its host (a screensaver daemon's window): moving it
  // to its saved screen rectangle would take it out of the host's layout.
  if (windowStyle_ & WS_CHILD) return;
  SetWindowPos(window_, HWND_NOTOPMOST, windowRect_.left, windowRect_.top, windowRect_.right - windowRect_.left,
               windowRect_.bottom - windowRect_.top, SWP_SHOWWINDOW);
}

bool Application::createDevice() {
  describe(settings_);
  windowed_ = settings_.windowed != 0;
  SetWindowLongA(window_, GWL_STYLE, static_cast<LONG>(windowStyle_));
  fillPresentParams();
  const DWORD flags = behaviorFlagsFor(settings_.vertexProcessing);
  IDirect3DDevice9* device = nullptr;
  if (!d3d_ ||
      FAILED(d3d_->CreateDevice(settings_.adapter, settings_.deviceType, window_, flags, &presentParams_, &device)) ||
      !device)
    return false;
  device_ = device;
  if (windowed_) restoreWindowRect();

  publishDevice(device_);
  behaviorFlags_ = flags;
  readBackBufferDesc();
  deviceUsable_ = true;
  if (restoreDeviceObjects()) {
    deviceObjectsReady_ = true;
  } else {
    invalidateDeviceObjects();
  }
  return true;
}

bool Application::resetDevice() {
  if (!device_) return false;
  if (deviceObjectsReady_) {
    deviceObjectsReady_ = false;
    invalidateDeviceObjects();
  }
  if (FAILED(device_->Reset(&presentParams_))) return false;
  stateCache().invalidateAll();
  readBackBufferDesc();
  if (restoreDeviceObjects()) {
    deviceObjectsReady_ = true;
    // Every device object was made again: what the old ones held is free now, and a saver
    // whose device is lost now and then should not keep it.
    HeapCompact(GetProcessHeap(), 0);
    return true;
  }
  invalidateDeviceObjects();
  return false;
}

void Application::releaseDevice() {
  if (!device_) return;
  if (deviceObjectsReady_) {
    deviceObjectsReady_ = false;
    invalidateDeviceObjects();
  }
  device_->Release();
  device_ = nullptr;
  deviceUsable_ = false;
  publishDevice(nullptr);
}

bool Application::handleDeviceLost() {
  deviceUsable_ = false;
  if (!device_) return false;
  const HRESULT level = device_->TestCooperativeLevel();
  if (level == D3D_OK) {
    deviceUsable_ = true;
    return true;
  }
  // Lost (or any other answer): nothing can be done this frame; try again next frame.
  if (level != D3DERR_DEVICENOTRESET) return true;
  if (windowed_) {
    D3DDISPLAYMODE mode{};
    if (d3d_ && SUCCEEDED(d3d_->GetAdapterDisplayMode(settings_.adapter, &mode))) {
      settings_.width = mode.Width;
      settings_.height = mode.Height;
      settings_.refreshRate = mode.RefreshRate;
      settings_.displayFormat = mode.Format;
      // A windowed device draws in the desktop's format; keeping it in the settings as well
      // makes every later refill of the present parameters (a resize) follow it.
      settings_.backBufferFormat = mode.Format;
      presentParams_.BackBufferFormat = mode.Format;
    }
  }
  deviceUsable_ = resetDevice();
  return deviceUsable_;
}

bool Application::handlePossibleResize() {
  if (ignoreSizeChange_) return true;
  const RECT previous = clientRect_;
  GetWindowRect(window_, &windowRect_);
  GetClientRect(window_, &clientRect_);
  if (clientRect_.right - clientRect_.left == previous.right - previous.left &&
      clientRect_.bottom - clientRect_.top == previous.bottom - previous.top)
    return true;
  for (std::size_t i = 0; i < messageListeners_.size(); ++i)
    messageListeners_[i]->onClientSizeChanged();
  fillPresentParams();
  if (device_ && !resetDevice()) return false;
  return true;
}

bool Application::toggleFullscreen() {
  for (;;) {
    ignoreSizeChange_ = true;
    (windowed_ ? windowedSettings_ : fullscreenSettings_) = settings_;
    const DeviceSettings previous = settings_;
    settings_ = windowed_ ? fullscreenSettings_ : windowedSettings_;
    windowed_ = !windowed_;
    settings_.windowed = windowed_ ? 1 : 0;
    SetWindowLongA(window_, GWL_STYLE, static_cast<LONG>(windowStyle_));
    bool ok = false;
    if (device_ && settings_.adapter == previous.adapter && settings_.deviceType == previous.deviceType) {
      fillPresentParams();
      ok = resetDevice();
    } else {
      releaseDevice();
      ok = createDevice();
    }
    ignoreSizeChange_ = false;
    if (ok) break;
    // A full-screen mode that cannot be had falls back to the window; a window that cannot
    // be had is the end.
    if (windowed_) return false;
  }
  if (windowed_) restoreWindowRect();
  return true;
}

DrawRect Application::drawRect() const {
  if (windowed_)
    return {clientRect_.left, clientRect_.top, clientRect_.right - clientRect_.left,
            clientRect_.bottom - clientRect_.top};
  return {0, 0, static_cast<LONG>(settings_.width), static_cast<LONG>(settings_.height)};
}

bool Application::restoreDeviceObjects() {
  bool ok = true;
  for (DeviceObjectListener* listener : resourceListeners_)
    ok = listener->restoreDeviceObjects() && ok;
  return ok;
}

bool Application::invalidateDeviceObjects() {
  bool ok = true;
  for (DeviceObjectListener* listener : resourceListeners_)
    ok = listener->invalidateDeviceObjects() && ok;
  return ok;
}

void Application::addResourceListener(DeviceObjectListener* listener) {
  if (listener && std::find(resourceListeners_.begin(), resourceListeners_.end(), listener) == resourceListeners_.end())
    resourceListeners_.push_back(listener);
}

void Application::removeResourceListener(DeviceObjectListener* listener) { std::erase(resourceListeners_, listener); }

void Application::addMessageListener(MessageListener* listener) {
  if (listener && std::find(messageListeners_.begin(), messageListeners_.end(), listener) == messageListeners_.end())
    messageListeners_.push_back(listener);
}

void Application::removeMessageListener(MessageListener* listener) { std::erase(messageListeners_, listener); }

} // namespace engine
