#include "shell/BlankMonitors.h"

#include "platform/win32/wingdi.h"
#include "platform/win32/winuser.h"

namespace saver {
namespace {

constexpr const char* kBlankClass = "TickwoodBlank";

LRESULT blankWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(window, &paint);
  if (dc) {
    RECT client{};
    GetClientRect(window, &client);
    BitBlt(dc, 0, 0, client.right, client.bottom, nullptr, 0, 0, BLACKNESS);
  }
  EndPaint(window, &paint);
  return 0;
}

} // namespace

void BlankMonitors::cover(const std::vector<RECT>& monitors, HINSTANCE instance) {
  uncover();
  if (monitors.size() < 2) return;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = blankWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kBlankClass;
  RegisterClassA(&windowClass); // a class left from an earlier run of the process is the same
  for (std::size_t i = 1; i < monitors.size(); ++i) {
    const RECT& m = monitors[i];
    HWND window = CreateWindowExA(WS_EX_TOPMOST, kBlankClass, "", WS_POPUP | WS_VISIBLE, m.left, m.top,
                                  m.right - m.left, m.bottom - m.top, nullptr, nullptr, instance, nullptr);
    if (!window) continue;
    // Painted at once: the frame loop pumps only the saver's own window's messages.
    SendMessageA(window, WM_PAINT, 0, 0);
    windows_.push_back(window);
  }
}

void BlankMonitors::uncover() {
  for (HWND window : windows_)
    if (IsWindow(window)) DestroyWindow(window);
  windows_.clear();
}

} // namespace saver
