#include "shell/SaverApplication.h"

#include <algorithm>
#include <cstdio>

#include "engine/core/Log.h"
#include "engine/data/archive/MemFileArchive.h"
#include "engine/data/props/PropsParser.h"
#include "platform/win32/resources.h"
#include "platform/win32/winbase.h"
#include "platform/win32/wingdi.h"

namespace saver {
namespace {

constexpr const char* kClassName = "Tickwood";
constexpr std::int64_t kKeepAlivePeriodMs = 30000;
constexpr std::int64_t kFrameRateLabelPeriodMs = 1000;
constexpr std::int64_t kMouseGraceMs = 1000;

SaverApplication* g_application = nullptr;

LRESULT classWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SaverApplication* application = SaverApplication::instance();
  return application ? application->handleWindowMessage(window, message, wParam, lParam) : 0;
}

} // namespace

SaverApplication::SaverApplication() { g_application = this; }

SaverApplication::~SaverApplication() {
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
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
    if (!endsOnInput()) break;
    switch (wParam) {
    case VK_F2:
    case VK_F3: // the keep-alive key
    case VK_F6:
      break;
    default: // Escape, Space and every other key
      quitRequested_ = true;
      break;
    }
    break;
  case WM_SYSCOMMAND:
    switch (wParam & 0xFFF0) {
    case SC_CLOSE:
    case SC_NEXTWINDOW:
    case SC_PREVWINDOW:
      quitRequested_ = true;
      return 1;
    case SC_SCREENSAVE:
      return 0; // a second saver is not started
    default:
      break;
    }
    break;
  case WM_DESTROY:
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
  return DefWindowProcA(window, message, wParam, lParam);
}

bool SaverApplication::applyGamma() {
  gammaRamp_ = makeGammaRamp(settings_.gamma);
  return true;
}

INT_PTR SaverApplication::settingsDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

bool SaverApplication::loadSettings() { return readSettings(settings_); }

bool SaverApplication::saveSettings() { return writeSettings(settings_); }

void SaverApplication::onInputEvent(int kind, float x, float y, float previousX, float previousY, float, float, int) {
  if (!endsOnInput()) return;
  if (kind == kLeftButtonPressed || kind == kRightButtonPressed) {
    quitRequested_ = true;
  } else if (kind == kPointerMoved) {
    // Any movement at all, but never during the first second after the scene appeared.
    const bool moved = x != previousX || y != previousY;
    if (moved && settings_.exitOnMouseMove && sceneStopwatch_.elapsedMs() > kMouseGraceMs) quitRequested_ = true;
  }
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
  RECT rect{0, 0, settings_.useDesktop ? 400 : settings_.width, settings_.useDesktop ? 300 : settings_.height};
  HWND parent = nullptr;
  if (mode_ == RunMode::Preview || hostWindow_) {
    style = WS_CHILD | WS_VISIBLE;
    parent = mode_ == RunMode::Preview ? parent_ : hostWindow_;
    if (!parent || !GetClientRect(parent, &rect)) rect = RECT{100, 100, 150, 150};
    AdjustWindowRect(&rect, style, FALSE);
  }
  window_ = CreateWindowExA(0, kClassName, kClassName, style, rect.left, rect.top, rect.right - rect.left,
                            rect.bottom - rect.top, parent, nullptr, instance_, nullptr);
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
  mode_ = mode;
  parent_ = parent;
  instance_ = instance;
  loadSettings();
  if (showFpsForThisRun_) settings_.showFps = true;
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

  if (hostWindow_ == nullptr) ShowCursor(FALSE);
  mountMediaArchive();
  RECT client{};
  GetClientRect(window_, &client);
  textScale_ = static_cast<float>(client.right - client.left) / 1024.0f;
  readSceneProperties();
  engine::logLine("Application created\n");

  frameStopwatch_.restart();
  if (!loadScene()) return false;
  sceneStopwatch_.restart();
  return true;
}

void SaverApplication::mountMediaArchive() {
  if (!engine::resourcePresent(kMediaArchiveResource)) return;
  auto archive = std::make_unique<engine::MemFileArchive>();
  if (!archive->open(engine::FileLocation::resource(kMediaArchiveResource))) return;
  linkedArchive_ = std::move(archive);
  mediaArchive_ = linkedArchive_.get();
}

engine::FileLocation SaverApplication::mediaLocation(std::string_view name) const {
  return engine::FileLocation::diskOrArchive(mediaArchive_, "Media" + std::string(name));
}

void SaverApplication::readSceneProperties() {
  engine::FileLocation location = mediaLocation("/Scene.props");
  // A file that is not there changes nothing, silently; one that is there counts with
  // every statement that parsed.
  if (!engine::FileLocation(location).openStream(engine::kStreamRead)) return;
  engine::PropsTree properties;
  engine::parsePropsFile(location, properties);
  applySceneProperties(properties, sceneProperties_);
  readSceneExtras(properties);
}

void SaverApplication::runSettingsDialog(HWND) {
  std::fputs("tickwood: the settings dialog is not part of this build yet\n", stderr);
}

void SaverApplication::beginLoop() {
  frameRate_.start(engine::nowMilliseconds());
  frameRateStopwatch_.restart();
  keepAliveStopwatch_.restart();
  runStopwatch_.restart();
}

void SaverApplication::pumpMessages() {
  MSG msg{};
  while (!quitRequested_ && PeekMessageA(&msg, window_, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void SaverApplication::sendKeepAliveKey() {
  keybd_event(static_cast<BYTE>(VK_F3), 0, 0, 0);
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = VK_F3;
  SendInput(1, &input, sizeof input);
}

bool SaverApplication::runFrame() {
  pumpMessages();
  if (runLimitMs_ >= 0 && runStopwatch_.elapsedMs() >= runLimitMs_) quitRequested_ = true;
  if (quitRequested_) return false;

  if (mode_ == RunMode::Preview) {
    // The preview shows a fixed picture: sleep until the next message instead of spinning
    // a processor for as long as the host shows us.
    DWORD wait = INFINITE;
    if (runLimitMs_ >= 0) wait = static_cast<DWORD>(std::max<std::int64_t>(runLimitMs_ - runStopwatch_.elapsedMs(), 0));
    MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    return true;
  }

  if (keepAliveStopwatch_.every(kKeepAlivePeriodMs)) sendKeepAliveKey();
  if (quitRequested_) return false;

  frameRate_.tick(engine::nowMilliseconds());
  if (settings_.showFps && frameRateStopwatch_.every(kFrameRateLabelPeriodMs))
    frameRateText_ = std::to_string(frameRate_.rate());

  keyboardHook();
  if (deviceReady_) {
    updateScene();
    renderFrame();
  }
  return true;
}

void SaverApplication::endLoop() {
  shutdownAudio();
  afterLoop();
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
  ShowCursor(TRUE);
  engine::logLine("Log closed\n");
}

int SaverApplication::runMainLoop() {
  beginLoop();
  while (!quitRequested_ && runFrame()) {
  }
  endLoop();
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
