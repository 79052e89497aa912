#include "shell/SaverApplication.h"

#include <cstdio>
#include <vector>

#include "engine/core/Log.h"
#include "platform/win32/desktop.h"
#include "platform/win32/resources.h"
#include "platform/win32/winbase.h"
#include "platform/win32/wingdi.h"
#include "shell/DialogTemplates.h"

namespace saver {
namespace {

constexpr const char* kClassName = "Tickwood";

SaverApplication* g_application = nullptr;

LRESULT classWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SaverApplication* application = SaverApplication::instance();
  return application ? application->handleWindowMessage(window, message, wParam, lParam) : 0;
}

} // namespace

SaverApplication::SaverApplication() {
  g_application = this;
  engine::publishTextureManager(&textures_);
  engine::publishFontManager(&fonts_);
  addResourceListener(&textures_);
  addResourceListener(&gui_);
}

SaverApplication::~SaverApplication() {
  // The device and the textures go while the members they reach still exist.
  releaseDevice();
  loadingScreen_.release();
  removeResourceListener(&gui_);
  removeResourceListener(&textures_);
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
  window_ = nullptr;
  if (g_application == this) g_application = nullptr;
}

SaverApplication* SaverApplication::instance() { return g_application; }

LRESULT SaverApplication::handleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_PAINT:
    if (mode_ == RunMode::Preview) paintPreview(window);
    break;
  case WM_KEYDOWN:
    // Inside a daemon's window the daemon decides when input ends the run.
    if (endsOnInput() && keyEndsRun(wParam)) quitRequested_ = true;
    break;
  case WM_SYSCOMMAND:
    if (const std::optional<SystemCommandAnswer> answer = systemCommandAnswer(wParam)) {
      if (answer->endsRun) quitRequested_ = true;
      return answer->result;
    }
    break;
  case WM_DESTROY:
    // The device draws into this window (its host may have taken it away already): it must
    // not outlive it.
    releaseDeviceAndScene();
    quitRequested_ = true;
    return 1;
  case WM_CLOSE:
  case WM_QUIT:
    quitRequested_ = true;
    return 1;
  case WM_USER:
    SetTimer(window, kPreviewTimer, 500, nullptr);
    break;
  case WM_TIMER:
    previewWaiting_ = false;
    KillTimer(window, kPreviewTimer);
    break;
  default:
    break;
  }
  return engineWindowProc(window, message, wParam, lParam);
}

LRESULT SaverApplication::engineWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return Application::handleWindowMessage(window, message, wParam, lParam);
}

bool SaverApplication::applyGamma() {
  gammaRamp_ = makeGammaRamp(settings_.gamma);
  if (device_) {
    const D3DGAMMARAMP ramp = toD3DGammaRamp(gammaRamp_);
    device_->SetGammaRamp(0, D3DSGR_NO_CALIBRATION, &ramp);
  }
  return Application::restoreDeviceObjects();
}

INT_PTR SaverApplication::settingsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return settingsDialog_.handleMessage(window, message, wParam, lParam);
}

bool SaverApplication::loadSettings() { return readSettings(settings_); }

bool SaverApplication::saveSettings() { return writeSettings(settings_); }

void SaverApplication::onInputEvent(const engine::InputEvent& event) {
  if (endsOnInput() && inputEndsRun(event, settings_.exitOnMouseMove, sceneStopwatch_.elapsedMs()))
    quitRequested_ = true;
}

bool SaverApplication::createSaverWindow() {
  WNDCLASSA windowClass{};
  windowClass.style = mode_ == RunMode::Preview ? (CS_HREDRAW | CS_VREDRAW) : 0;
  windowClass.lpfnWndProc = classWindowProc;
  windowClass.hInstance = instance_;
  windowClass.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(1));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  // A class left from an earlier application object of the process is the same class.
  RegisterClassA(&windowClass);

  DWORD style = WS_POPUP | WS_VISIBLE;
  // Full screen goes to the monitor the window starts on: the primary one.
  const std::vector<RECT> monitors = win32::monitorRects();
  const POINT origin = monitors.empty() ? POINT{0, 0} : POINT{monitors.front().left, monitors.front().top};
  RECT rect{origin.x, origin.y, origin.x + (settings_.useDesktop ? 400 : settings_.width),
            origin.y + (settings_.useDesktop ? 300 : settings_.height)};
  HWND parent = nullptr;
  if (mode_ == RunMode::Preview || hostWindow_) {
    style = WS_CHILD | WS_VISIBLE;
    parent = mode_ == RunMode::Preview ? parent_ : hostWindow_;
    if (!parent || !GetClientRect(parent, &rect)) rect = RECT{100, 100, 150, 150};
    AdjustWindowRect(&rect, style, FALSE);
  }
  window_ = CreateWindowExA(0, kClassName, kClassName, style, rect.left, rect.top, rect.right - rect.left,
                            rect.bottom - rect.top, parent, nullptr, instance_, nullptr);
  if (window_ && !parent) blankMonitors_.cover(monitors, instance_);
  return window_ != nullptr;
}

void SaverApplication::waitForPreviewStart() {
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);
  previewWaiting_ = true;
  PostMessageA(window_, WM_USER, 0, 0);
  MSG msg{};
  while (previewWaiting_ && !quitRequested_) {
    const BOOL got = GetMessageA(&msg, window_, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    // -1: the window is gone (its host closed); waiting on would never end.
    if (got < 0) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

bool SaverApplication::startUp(HINSTANCE instance, RunMode mode, HWND parent) {
  startUpTimes_.begin();
  mode_ = mode;
  parent_ = parent;
  instance_ = instance;
  loadSettings();
  if (mode_ != RunMode::Configure) {
    settingOverrides_.applyTo(settings_);
    if (showFpsForThisRun_) settings_.showFps = true;
  }
  engine::logLine("Log started \n");

  if (mode_ == RunMode::ChangePassword) return false;
  if (mode_ == RunMode::Configure) {
    runSettingsDialog(parent_);
    return true;
  }
  if (!createSaverWindow()) return false;
  if (mode_ == RunMode::Preview) {
    waitForPreviewStart();
    return true;
  }

  startUpTimes_.mark("settings and window");
  if (!startDevice()) return false;
  if (hostWindow_ == nullptr) ShowCursor(FALSE);
  startUpTimes_.mark("device");
  mountMedia();
  readDisplayMode();
  loadingScreen_.load(textures_, media_);
  loadingScreen_.show();
  startUpTimes_.mark("loading picture");
  readSceneProperties();
  engine::logLine("Application created\n");
  if (!finishStartUpStep("scene properties")) return true;
  startInput();
  if (!loadFonts()) return false;
  gui_.setScreenSize(static_cast<int>(viewport_.Width), static_cast<int>(viewport_.Height));
  if (overlays_) overlays_->create(gui_, settings_, textScale_);
  attachInputListeners();
  if (!finishStartUpStep("input, fonts and labels")) return true;

  frameStopwatch_.restart();
  // From now on a run being stopped decodes no more pictures: the room is never shown.
  textures_.setLoadingStopped([] { return win32::terminationPending(); });
  if (!loadScene()) return false;
  if (!finishStartUpStep("room")) return true;
  sceneStopwatch_.restart();
  loadingScreen_.fadeOut();
  // The picture is never shown again, and what start-up decoded and staged is gone by now:
  // a saver runs for hours, so the heap it freed goes back to the system.
  loadingScreen_.release();
  HeapCompact(GetProcessHeap(), 0);
  startUpTimes_.mark("fade");
  return true;
}

bool SaverApplication::finishStartUpStep(std::string_view step) {
  startUpTimes_.mark(step);
  return !win32::terminationPending();
}

void SaverApplication::mountMedia() {
  if (!media_.archive()) media_.mountLinkedArchive();
  // Textures named by bare file names (the room's) are found in the media too.
  textures_.searchPaths().merge(media_.searchPaths());
}

void SaverApplication::readSceneProperties() {
  engine::PropsTree properties;
  if (saver::readSceneProperties(media_, sceneProperties_, properties)) readSceneExtras(properties);
}

void SaverApplication::runSettingsDialog(HWND owner) {
  // The dialog manager calls a plain procedure; it reaches the one application object.
  DLGPROC procedure = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
    SaverApplication* application = instance();
    return application ? application->settingsDialogProc(window, message, wParam, lParam) : FALSE;
  };
  if (DialogBoxIndirectParamA(instance_, &settingsDialogTemplate(), owner, procedure, 0) == -1)
    std::fprintf(stderr, "tickwood: the settings dialog cannot be shown: %s\n",
                 dialogs::dialogsUnavailableReason().c_str());
}

void SaverApplication::startInput() {
  freeCameraController_.init(&input_, sceneProperties_.cameraSpeed, 1.0f);
  cameraStopwatch_.restart();
  // Inside a daemon's window input is the daemon's: the saver neither reads nor answers it,
  // and without devices the frames poll nothing.
  if (!endsOnInput()) return;
  // Shared, and only while the saver has the focus.
  constexpr DWORD kCooperation = DISCL_NONEXCLUSIVE | DISCL_FOREGROUND;
  input_.init(true, kCooperation, kCooperation);
}

void SaverApplication::attachInputListeners() {
  // The exit rules hear an event after the in-engine GUI has seen it.
  input_.addListener(&gui_);
  input_.addListener(this);
}

void SaverApplication::updateInput() {
  input_.poll(0);
  input_.dispatchEvents();
  freeCameraController_.update(cameraStopwatch_.elapsedMs());
  cameraStopwatch_.restart();
}

bool SaverApplication::windowShowsOnScreen() const { return win32::windowShowsOnScreen(window_); }

void SaverApplication::advanceFrame() {
  updateInput();
  keyboardHook();
  checkDevice();
  if (deviceReady_) {
    updateScene();
    renderFrame();
  }
}

void SaverApplication::releaseDeviceAndScene() {
  // What was made on the device goes before it: a device outlives nothing made on it.
  releaseScene();
  loadingScreen_.release();
  releaseDevice();
}

void SaverApplication::shutDown() {
  shutdownAudio();
  afterLoop();
  writeScreenshot();
  // The device draws into the window: it goes first.
  releaseDeviceAndScene();
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
  blankMonitors_.uncover();
  ShowCursor(TRUE);
  engine::logLine("Log closed\n");
}

int SaverApplication::runMainLoop() {
  frameLoop_.begin();
  while (!quitRequested_ && frameLoop_.runFrame()) {
  }
  shutDown();
  return 1;
}

void SaverApplication::paintPreview(HWND window) {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(window, &paint);
  HBITMAP bitmap = LoadBitmapA(instance_, MAKEINTRESOURCEA(kPreviewBitmap));
  if (dc && bitmap) {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    RECT client{};
    GetClientRect(window, &client);
    BitBlt(dc, 0, 0, client.right - client.left, client.bottom - client.top, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
  }
  if (bitmap) DeleteObject(bitmap);
  EndPaint(window, &paint);
}

} // namespace saver
