// The engine application on the recording back end with real (offscreen) windows: creation,
// modes, device loss and reset, resizing, the window messages and the resource listeners.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/app/Application.h"
#include "engine/core/Log.h"
#include "engine/render/DevicePointer.h"
#include "engine/render/StateCache.h"
#include "platform/d3d9/DeviceHooks.h"
#include "platform/d3d9/recording/RecordingDirect3D.h"
#include "platform/win32/desktop.h"
#include "tests/win32/OffscreenVideo.h"

namespace {

using engine::Application;

const auto* const kOffscreen = ::testing::AddGlobalTestEnvironment(new win32test::OffscreenVideo);

class Listener : public engine::DeviceObjectListener {
public:
  bool restoreDeviceObjects() override {
    events.push_back("restore");
    return restores;
  }
  bool invalidateDeviceObjects() override {
    events.push_back("invalidate");
    return true;
  }
  std::vector<std::string> events;
  bool restores = true;
};

class TestApplication : public Application {
public:
  explicit TestApplication(d3d9::RecordingSetup setup = d3d9::defaultRecordingSetup()) {
    setDirect3DFactory([setup] { return d3d9::createRecordingDirect3D(setup); });
  }
};

LRESULT plainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class ApplicationTest : public ::testing::Test {
protected:
  void SetUp() override { win32::resetWindowSystem(); }
  void TearDown() override {
    app_.reset();
    EXPECT_EQ(engine::currentDevice(), nullptr);
    win32::resetWindowSystem();
  }

  // A window of the caller's, with a client area of 320 x 200.
  HWND callersWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = plainProcedure;
    windowClass.lpszClassName = "Caller";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, "Caller", "caller", WS_POPUP | WS_VISIBLE, 0, 0, 320, 200, nullptr, nullptr, nullptr,
                           nullptr);
  }

  Application& created(bool fullscreen = false) {
    EXPECT_TRUE(app_->Create(nullptr, callersWindow()));
    app_->addResourceListener(&listener_);
    EXPECT_TRUE(app_->SetMode(fullscreen));
    log_ = d3d9::callLog(app_->device());
    return *app_;
  }

  LRESULT send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return app_->handleWindowMessage(app_->window(), message, wParam, lParam);
  }

  std::unique_ptr<Application> app_ = std::make_unique<TestApplication>();
  Listener listener_;
  d3d9::CallLog* log_ = nullptr;
};

TEST_F(ApplicationTest, CreateWithTheCallersWindowMakesNoWindowOfItsOwn) {
  HWND window = callersWindow();
  ASSERT_TRUE(app_->Create(nullptr, window));
  EXPECT_EQ(app_->window(), window);
  // The engine's class was never registered.
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = plainProcedure;
  windowClass.lpszClassName = "Vesta Class";
  EXPECT_NE(RegisterClassA(&windowClass), 0);
  EXPECT_EQ(app_->desktopMode().Width, 1024u);
  EXPECT_EQ(app_->fullscreenSettings().windowed, 0);
  EXPECT_EQ(app_->windowedSettings().windowed, 1);
  EXPECT_EQ(app_->device(), nullptr); // no device before SetMode
}

TEST_F(ApplicationTest, CreateWithoutAWindowMakesOneWithA640By480ClientArea) {
  ASSERT_TRUE(app_->Create(nullptr, nullptr));
  ASSERT_NE(app_->window(), nullptr);
  RECT client{};
  ASSERT_TRUE(GetClientRect(app_->window(), &client));
  EXPECT_EQ(client.right - client.left, 640);
  EXPECT_EQ(client.bottom - client.top, 480);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(app_->window(), GWL_STYLE)), WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  // Its messages reach the application.
  send(WM_ACTIVATE, WA_ACTIVE);
  SendMessageA(app_->window(), WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_FALSE(app_->active());
  HWND window = app_->window();
  app_.reset();
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(ApplicationTest, CreateFailsWithoutDirect3DOrAUsableAdapter) {
  app_->setDirect3DFactory([] { return static_cast<IDirect3D9*>(nullptr); });
  EXPECT_FALSE(app_->Create(nullptr, callersWindow()));
  d3d9::RecordingSetup setup = d3d9::defaultRecordingSetup();
  setup.adapters[0].modes = {{640, 480, 60, D3DFMT_R8G8B8}};
  app_ = std::make_unique<TestApplication>(setup);
  EXPECT_FALSE(app_->Create(nullptr, callersWindow()));
  EXPECT_EQ(app_->d3d(), nullptr);
}

TEST_F(ApplicationTest, SetModeCreatesTheDeviceDescribesItAndPublishesIt) {
  engine::LogCapture log;
  Application& app = created(false);
  ASSERT_NE(app.device(), nullptr);
  EXPECT_EQ(engine::currentDevice(), app.device());
  EXPECT_EQ(engine::deviceCaps().MaxTextureBlendStages, 8u);
  EXPECT_TRUE(log.contains("Windowed1024x768, X8R8G8B8, D32\n"));
  EXPECT_TRUE(app.active());
  EXPECT_FALSE(app.suspended());
  EXPECT_TRUE(app.windowed());
  EXPECT_TRUE(app.deviceObjectsReady());
  EXPECT_EQ(listener_.events, std::vector<std::string>{"restore"});
  // The window's client area is the back buffer.
  EXPECT_EQ(app.presentParams().BackBufferWidth, 320u);
  EXPECT_EQ(app.backBufferDesc().Height, 200u);
  EXPECT_EQ(app.presentParams().PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
  EXPECT_EQ(app.presentParams().Flags, D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL);
  EXPECT_EQ(app.behaviorFlags(), D3DCREATE_HARDWARE_VERTEXPROCESSING);
  const engine::DrawRect rect = app.drawRect();
  EXPECT_EQ(rect.width, 320);
  EXPECT_EQ(rect.height, 200);

  // Full screen: the chosen mode is the back buffer, and the draw rectangle.
  ASSERT_TRUE(app.SetMode(true));
  EXPECT_FALSE(app.windowed());
  EXPECT_EQ(app.presentParams().BackBufferWidth, 1024u);
  EXPECT_EQ(app.presentParams().FullScreen_RefreshRateInHz, 60u);
  EXPECT_EQ(app.drawRect().width, 1024);
  EXPECT_EQ(listener_.events, (std::vector<std::string>{"restore", "invalidate", "restore"}));

  app.releaseDevice();
  EXPECT_EQ(engine::currentDevice(), nullptr);
  EXPECT_FALSE(app.deviceObjectsReady());
}

TEST_F(ApplicationTest, TheVertexProcessingTypeGivesTheBehaviourFlags) {
  d3d9::RecordingSetup setup = d3d9::defaultRecordingSetup();
  setup.capabilities.caps.DevCaps |= D3DDEVCAPS_PUREDEVICE;
  app_ = std::make_unique<TestApplication>(setup);
  ASSERT_TRUE(app_->Create(nullptr, callersWindow()));
  engine::DeviceSettings pure = app_->fullscreenSettings();
  pure.vertexProcessing = engine::kPureHardwareVertexProcessing;
  app_->setFullscreenSettings(pure);
  ASSERT_TRUE(app_->SetMode(true));
  EXPECT_EQ(app_->behaviorFlags(), D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE);

  setup.capabilities.caps.DevCaps &= ~(D3DDEVCAPS_PUREDEVICE | D3DDEVCAPS_HWTRANSFORMANDLIGHT);
  app_ = std::make_unique<TestApplication>(setup);
  ASSERT_TRUE(app_->Create(nullptr, callersWindow()));
  ASSERT_TRUE(app_->SetMode(false));
  EXPECT_EQ(app_->behaviorFlags(), D3DCREATE_SOFTWARE_VERTEXPROCESSING);
}

TEST_F(ApplicationTest, ASettingTheDeviceRefusesFailsSetMode) {
  ASSERT_TRUE(app_->Create(nullptr, callersWindow()));
  engine::DeviceSettings impossible = app_->fullscreenSettings();
  impossible.width = 1111; // no such display mode
  app_->setFullscreenSettings(impossible);
  EXPECT_FALSE(app_->SetMode(true));
  EXPECT_EQ(app_->device(), nullptr);
  EXPECT_EQ(engine::currentDevice(), nullptr);
}

TEST_F(ApplicationTest, ListenersThatCannotRestoreLeaveTheDeviceInPlace) {
  listener_.restores = false;
  Application& app = created(false);
  EXPECT_NE(app.device(), nullptr);
  EXPECT_FALSE(app.deviceObjectsReady());
  EXPECT_EQ(listener_.events, (std::vector<std::string>{"restore", "invalidate"}));
  // A reset whose restore fails is a failed reset.
  listener_.events.clear();
  EXPECT_FALSE(app.resetDevice());
  EXPECT_EQ(listener_.events, (std::vector<std::string>{"restore", "invalidate"}));
}

TEST_F(ApplicationTest, ADeviceThatStaysLostIsNeverReset) {
  Application& app = created(false);
  ASSERT_TRUE(d3d9::forceDeviceLoss(app.device(), 1000));
  for (int frame = 0; frame < 50; ++frame) {
    EXPECT_TRUE(app.handleDeviceLost());
    EXPECT_FALSE(app.deviceUsable());
  }
  EXPECT_EQ(log_->count("Reset"), 0u);
  EXPECT_TRUE(app.deviceObjectsReady());
}

TEST_F(ApplicationTest, ALostDeviceIsResetOnceItCanBe) {
  Application& app = created(false);
  EXPECT_TRUE(app.handleDeviceLost());
  EXPECT_TRUE(app.deviceUsable());
  ASSERT_TRUE(d3d9::forceDeviceLoss(app.device(), 2));
  listener_.events.clear();
  EXPECT_TRUE(app.handleDeviceLost()); // lost
  EXPECT_TRUE(app.handleDeviceLost()); // lost
  EXPECT_FALSE(app.deviceUsable());
  EXPECT_EQ(log_->count("Reset"), 0u);
  EXPECT_TRUE(app.handleDeviceLost()); // not reset: reset now
  EXPECT_TRUE(app.deviceUsable());
  EXPECT_EQ(log_->count("Reset"), 1u);
  EXPECT_EQ(listener_.events, (std::vector<std::string>{"invalidate", "restore"}));
  EXPECT_EQ(app.device()->TestCooperativeLevel(), D3D_OK);
}

TEST_F(ApplicationTest, AResetLeavesTheStateCacheKnowingNothing) {
  Application& app = created(false);
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(app.device()->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr), D3D_OK);
  engine::StateCache& cache = engine::stateCache();
  ASSERT_TRUE(cache.setRenderState(D3DRS_LIGHTING, FALSE));
  ASSERT_TRUE(cache.setTexture(0, texture));
  ASSERT_TRUE(d3d9::forceDeviceLoss(app.device(), 1));
  EXPECT_TRUE(app.handleDeviceLost()); // lost
  EXPECT_TRUE(app.handleDeviceLost()); // reset: the device is back to its defaults
  ASSERT_EQ(log_->count("Reset"), 1u);
  log_->clear();
  EXPECT_TRUE(cache.setRenderState(D3DRS_LIGHTING, FALSE));
  EXPECT_TRUE(cache.setTexture(0, texture));
  EXPECT_EQ(log_->count("SetRenderState"), 1u);
  EXPECT_EQ(log_->count("SetTexture"), 1u);
  DWORD lighting = TRUE;
  app.device()->GetRenderState(D3DRS_LIGHTING, &lighting);
  EXPECT_EQ(lighting, DWORD(FALSE));
  cache.setTexture(0, nullptr);
  texture->Release();
}

TEST_F(ApplicationTest, AWindowedResetFollowsADesktopThatChangedItsFormat) {
  Application& app = created(false);
  ASSERT_EQ(app.presentParams().BackBufferFormat, D3DFMT_X8R8G8B8);
  ASSERT_TRUE(d3d9::forceDeviceLoss(app.device(), 1));
  EXPECT_TRUE(app.handleDeviceLost()); // lost; meanwhile the desktop goes to 16 bits
  ASSERT_TRUE(d3d9::setDesktopMode(app.d3d(), 0, {1280, 1024, 75, D3DFMT_R5G6B5}));
  EXPECT_TRUE(app.handleDeviceLost());
  EXPECT_TRUE(app.deviceUsable());
  EXPECT_EQ(app.presentParams().BackBufferFormat, D3DFMT_R5G6B5);
  EXPECT_EQ(app.backBufferDesc().Format, D3DFMT_R5G6B5);
  EXPECT_EQ(app.deviceSettings().backBufferFormat, D3DFMT_R5G6B5);
  EXPECT_EQ(app.deviceSettings().displayFormat, D3DFMT_R5G6B5);
  EXPECT_EQ(app.deviceSettings().width, 1280u);
  EXPECT_EQ(app.deviceSettings().refreshRate, 75u);
  // A later resize keeps the desktop's format.
  SetWindowPos(app.window(), nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_TRUE(app.handlePossibleResize());
  EXPECT_EQ(app.presentParams().BackBufferFormat, D3DFMT_R5G6B5);
  EXPECT_EQ(app.backBufferDesc().Format, D3DFMT_R5G6B5);
}

TEST_F(ApplicationTest, EveryCooperativeLevelAnswerIsHandled) {
  Application& app = created(false);
  // Another failure: nothing to do this frame, and no reset.
  log_->script("TestCooperativeLevel", D3DERR_DRIVERINTERNALERROR);
  EXPECT_TRUE(app.handleDeviceLost());
  EXPECT_FALSE(app.deviceUsable());
  // A reset that fails is reported, and tried again next frame.
  ASSERT_TRUE(d3d9::forceDeviceLoss(app.device(), 1));
  EXPECT_TRUE(app.handleDeviceLost());
  log_->script("Reset", D3DERR_INVALIDCALL);
  EXPECT_FALSE(app.handleDeviceLost());
  EXPECT_FALSE(app.deviceUsable());
  EXPECT_FALSE(app.deviceObjectsReady());
  EXPECT_TRUE(app.handleDeviceLost());
  EXPECT_TRUE(app.deviceUsable());
  EXPECT_TRUE(app.deviceObjectsReady());
  EXPECT_EQ(log_->count("Reset"), 2u);
  // Without a device there is nothing to handle.
  app.releaseDevice();
  EXPECT_FALSE(app.handleDeviceLost());
}

TEST_F(ApplicationTest, AResizeResetsTheDeviceOnlyWhenTheClientSizeChanged) {
  Application& app = created(false);
  EXPECT_TRUE(app.handlePossibleResize());
  send(WM_ENTERSIZEMOVE);
  EXPECT_TRUE(app.suspended());
  send(WM_EXITSIZEMOVE);
  EXPECT_FALSE(app.suspended());
  EXPECT_EQ(log_->count("Reset"), 0u);

  SetWindowPos(app.window(), nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);
  send(WM_EXITSIZEMOVE);
  EXPECT_EQ(log_->count("Reset"), 1u);
  EXPECT_EQ(app.presentParams().BackBufferWidth, 400u);
  EXPECT_EQ(app.backBufferDesc().Height, 300u);
  EXPECT_EQ(app.drawRect().width, 400);
}

TEST_F(ApplicationTest, MinimizedStaysSuspendedAndRestoringResumesAndChecksTheSize) {
  Application& app = created(false);
  send(WM_SIZE, SIZE_MINIMIZED);
  EXPECT_TRUE(app.suspended());
  EXPECT_TRUE(app.minimized());
  send(WM_SIZE, SIZE_RESTORED);
  EXPECT_FALSE(app.suspended());
  EXPECT_FALSE(app.minimized());
  send(WM_SIZE, SIZE_MAXIMIZED);
  EXPECT_TRUE(app.maximized());
  SetWindowPos(app.window(), nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER);
  send(WM_SIZE, SIZE_RESTORED);
  EXPECT_FALSE(app.maximized());
  EXPECT_EQ(app.presentParams().BackBufferWidth, 500u);
}

TEST_F(ApplicationTest, FullScreenSwallowsFrameCommandsAndHitTests) {
  created(true);
  EXPECT_EQ(send(WM_SYSCOMMAND, SC_MOVE), 1);
  EXPECT_EQ(send(WM_SYSCOMMAND, SC_MONITORPOWER), 1);
  EXPECT_EQ(send(WM_NCHITTEST), HTCLIENT);
  EXPECT_EQ(send(WM_POWERBROADCAST, 0), 1);
  EXPECT_EQ(send(WM_POWERBROADCAST, 7), 1);
  EXPECT_EQ(send(WM_POWERBROADCAST, 4), DefWindowProcA(app_->window(), WM_POWERBROADCAST, 4, 0));
  ASSERT_TRUE(app_->SetMode(false));
  EXPECT_EQ(send(WM_SYSCOMMAND, SC_MOVE), DefWindowProcA(app_->window(), WM_SYSCOMMAND, SC_MOVE, 0));
  EXPECT_EQ(send(WM_NCHITTEST), DefWindowProcA(app_->window(), WM_NCHITTEST, 0, 0));
}

TEST_F(ApplicationTest, CloseReleasesTheDeviceAndDirect3DAndAsksToQuit) {
  Application& app = created(false);
  EXPECT_EQ(send(WM_CLOSE), 0);
  EXPECT_TRUE(app.quitRequested());
  EXPECT_EQ(app.device(), nullptr);
  EXPECT_EQ(app.d3d(), nullptr);
  EXPECT_EQ(engine::currentDevice(), nullptr);
  MSG msg{};
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
}

TEST_F(ApplicationTest, MessageListenersSeeEveryMessageFirst) {
  struct Spy : engine::MessageListener {
    void onWindowMessage(HWND, UINT message, WPARAM, LPARAM) override { seen.push_back(message); }
    std::vector<UINT> seen;
  } spy;
  created(false);
  app_->addMessageListener(&spy);
  app_->addMessageListener(&spy);
  send(WM_ACTIVATE, WA_ACTIVE);
  send(WM_USER);
  EXPECT_EQ(spy.seen, (std::vector<UINT>{WM_ACTIVATE, WM_USER}));
  app_->removeMessageListener(&spy);
  send(WM_USER);
  EXPECT_EQ(spy.seen.size(), 2u);
}

TEST_F(ApplicationTest, ToggleFullscreenGoesBackAndForth) {
  Application& app = created(false);
  ASSERT_TRUE(app.toggleFullscreen());
  EXPECT_FALSE(app.windowed());
  EXPECT_EQ(app.presentParams().BackBufferWidth, 1024u);
  EXPECT_EQ(log_->count("Reset"), 1u); // same adapter and type: a reset, not a new device
  ASSERT_TRUE(app.toggleFullscreen());
  EXPECT_TRUE(app.windowed());
  EXPECT_EQ(app.presentParams().BackBufferWidth, 320u);

  // A full-screen mode that cannot be had falls back to the window.
  engine::DeviceSettings impossible = app.fullscreenSettings();
  impossible.width = 1111;
  app.setFullscreenSettings(impossible);
  ASSERT_TRUE(app.toggleFullscreen());
  EXPECT_TRUE(app.windowed());
  EXPECT_NE(app.device(), nullptr);
}

} // namespace
