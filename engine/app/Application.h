// The engine's application: the window, the Direct3D object and the device, carried through
// creation, mode changes, resets and loss. One exists per process; everything that draws
// reaches the device through the pointer it publishes.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/device/DeviceEnumeration.h"
#include "engine/device/DeviceObjectListener.h"
#include "platform/win32/winuser.h"

namespace engine {

// Sees every window message before the application does, and hears when the window's
// client area has changed size.
class MessageListener {
public:
  virtual void onWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual void onClientSizeChanged() {}
  virtual ~MessageListener() = default;
};

// The rectangle frames are drawn into: left, top, width, height.
struct DrawRect {
  LONG left = 0;
  LONG top = 0;
  LONG width = 0;
  LONG height = 0;
};

// Makes the Direct3D object; the OpenGL back end unless a test gives its own.
using Direct3DFactory = std::function<IDirect3D9*()>;

class Application {
public:
  Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // 1. The window procedure's target (the engine's class procedure forwards here).
  virtual LRESULT handleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // 2.
  virtual ~Application();
  // 3. Asks every resource listener to make its device objects; true only if all did.
  virtual bool restoreDeviceObjects();
  // 4. Asks every resource listener to release them; true only if all did.
  virtual bool invalidateDeviceObjects();

  // `window` may be null: then the engine makes its own, with a 640 x 480 client area.
  bool Create(HINSTANCE instance, HWND window);
  bool SetMode(bool fullscreen);
  bool createDevice();
  bool resetDevice();
  void releaseDevice();
  bool toggleFullscreen();
  // Once per frame before drawing: false without a device or when a reset failed.
  bool handleDeviceLost();
  bool handlePossibleResize();

  DrawRect drawRect() const;
  const D3DDISPLAYMODE& desktopMode() const { return desktopMode_; }
  void setFullscreenSettings(const DeviceSettings& settings) { fullscreenSettings_ = settings; }

  // Whether the last handleDeviceLost found the device able to draw.
  bool deviceUsable() const { return deviceUsable_; }

  void addResourceListener(DeviceObjectListener* listener);
  void removeResourceListener(DeviceObjectListener* listener);
  void addMessageListener(MessageListener* listener);
  void removeMessageListener(MessageListener* listener);

  // Tests draw through the recording back end.
  void setDirect3DFactory(Direct3DFactory factory) { direct3DFactory_ = std::move(factory); }
  void setTitle(std::string title) { title_ = std::move(title); }

  // The one application of the process, or null.
  static Application* current();

  HWND window() const { return window_; }
  HINSTANCE moduleInstance() const { return instance_; }
  IDirect3D9* d3d() const { return d3d_; }
  IDirect3DDevice9* device() const { return device_; }
  const DeviceEnumeration& enumeration() const { return enumeration_; }
  const DeviceSettings& deviceSettings() const { return settings_; }
  const DeviceSettings& windowedSettings() const { return windowedSettings_; }
  const DeviceSettings& fullscreenSettings() const { return fullscreenSettings_; }
  const D3DPRESENT_PARAMETERS& presentParams() const { return presentParams_; }
  const D3DSURFACE_DESC& backBufferDesc() const { return backBufferDesc_; }
  DWORD behaviorFlags() const { return behaviorFlags_; }
  bool windowed() const { return windowed_; }
  bool active() const { return active_; }
  bool suspended() const { return suspended_; }
  bool quitRequested() const { return quitRequested_; }
  bool minimized() const { return minimized_; }
  bool maximized() const { return maximized_; }
  bool deviceObjectsReady() const { return deviceObjectsReady_; }
  const RECT& windowRect() const { return windowRect_; }
  const RECT& clientRect() const { return clientRect_; }

  static constexpr int kCreateWidth = 640;
  static constexpr int kCreateHeight = 480;

protected:
  bool createOwnWindow();
  void saveWindowPlacement();
  void fillPresentParams();
  bool readBackBufferDesc();
  void releaseDirect3D();
  void restoreWindowRect();
  void onSize(WPARAM kind);

  DeviceEnumeration enumeration_;
  DeviceSettings settings_;
  DeviceSettings windowedSettings_;
  DeviceSettings fullscreenSettings_;
  D3DPRESENT_PARAMETERS presentParams_{};
  HINSTANCE instance_ = nullptr;
  HWND window_ = nullptr;
  bool ownWindow_ = false;
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  DWORD behaviorFlags_ = 0;
  D3DSURFACE_DESC backBufferDesc_{};
  std::string title_;
  D3DDISPLAYMODE desktopMode_{};

  bool windowed_ = true;
  bool active_ = false;
  bool suspended_ = true;
  bool quitRequested_ = false;
  bool minimized_ = false;
  bool maximized_ = false;
  bool ignoreSizeChange_ = false;
  bool deviceObjectsReady_ = false;
  bool deviceUsable_ = false;

  DWORD windowStyle_ = 0;
  RECT windowRect_{};
  RECT clientRect_{};

  std::vector<DeviceObjectListener*> resourceListeners_;
  std::vector<MessageListener*> messageListeners_;
  Direct3DFactory direct3DFactory_;
};

} // namespace engine
