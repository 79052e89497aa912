// The engine's own window and the window messages the application handles.
#include "engine/app/Application.h"

namespace engine {
namespace {

constexpr const char* kClassName = "Vesta Class";

LRESULT classProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Application* application = Application::current();
  return application ? application->handleWindowMessage(window, message, wParam, lParam)
                     : DefWindowProcA(window, message, wParam, lParam);
}

// PBT_APMQUERYSUSPEND and PBT_APMRESUMESUSPEND: the saver neither objects to nor needs to
// hear about suspending.
constexpr WPARAM kQuerySuspend = 0;
constexpr WPARAM kResumeSuspend = 7;

} // namespace

bool Application::createOwnWindow() {
  WNDCLASSA windowClass{};
  windowClass.style = 0;
  windowClass.lpfnWndProc = classProcedure;
  windowClass.hInstance = instance_;
  windowClass.hIcon = LoadIconA(instance_, nullptr);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kClassName;
  // A class left by an earlier application of the process is the same class.
  RegisterClassA(&windowClass);

  constexpr DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  RECT rect{0, 0, kCreateWidth, kCreateHeight};
  AdjustWindowRect(&rect, style, TRUE);
  window_ = CreateWindowExA(0, kClassName, title_.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, rect.right - rect.left,
                            rect.bottom - rect.top, nullptr, nullptr, instance_, nullptr);
  ownWindow_ = window_ != nullptr;
  return ownWindow_;
}

void Application::onSize(WPARAM kind) {
  if (windowed_) windowStyle_ = static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE));
  if (kind == SIZE_MINIMIZED) {
    suspended_ = true;
    minimized_ = true;
    maximized_ = false;
  } else if (kind == SIZE_MAXIMIZED) {
    if (minimized_) suspended_ = false;
    minimized_ = false;
    maximized_ = true;
    handlePossibleResize();
  } else if (kind == SIZE_RESTORED) {
    if (maximized_) {
      maximized_ = false;
      handlePossibleResize();
    } else if (minimized_) {
      suspended_ = false;
      minimized_ = false;
      handlePossibleResize();
    } else if (windowed_ && (windowStyle_ & WS_CHILD)) {
      // A child window is resized by its host (a screensaver daemon's window) and sees no
      // size-move loop: its back buffer follows at once.
      handlePossibleResize();
    }
  }
}

LRESULT Application::handleWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // By index: a listener may add another while it handles the message.
  for (std::size_t i = 0; i < messageListeners_.size(); ++i)
    messageListeners_[i]->onWindowMessage(window, message, wParam, lParam);

  switch (message) {
  case WM_SIZE:
    onSize(wParam);
    break;
  case WM_ACTIVATE:
    active_ = LOWORD(wParam) != WA_INACTIVE;
    break;
  case WM_CLOSE:
  case WM_QUIT:
    releaseDevice();
    releaseDirect3D();
    quitRequested_ = true;
    if (message == WM_CLOSE) PostQuitMessage(0);
    return 0;
  case WM_SYSCOMMAND:
    switch (wParam & 0xFFF0) {
    case SC_SIZE:
    case SC_MOVE:
    case SC_MAXIMIZE:
    case SC_KEYMENU:
    case SC_MONITORPOWER:
      if (!windowed_) return 1; // full screen has no frame to move or size
      break;
    default:
      break;
    }
    break;
  case WM_NCHITTEST:
    if (!windowed_) return HTCLIENT;
    break;
  case WM_POWERBROADCAST:
    if (wParam == kQuerySuspend || wParam == kResumeSuspend) return 1;
    break;
  case WM_ENTERSIZEMOVE:
    suspended_ = true;
    break;
  case WM_EXITSIZEMOVE:
    suspended_ = false;
    handlePossibleResize();
    break;
  default:
    break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace engine
