// A window class whose procedure records every message, for the window and queue tests.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/win32/clock.h"
#include "platform/win32/desktop.h"
#include "platform/win32/sdl_bridge.h"
#include "platform/win32/winuser.h"

namespace win32test {

struct Seen {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

inline std::vector<Seen>& seen() {
  static std::vector<Seen> messages;
  return messages;
}

inline LRESULT CALLBACK_recording(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  seen().push_back({window, message, wParam, lParam});
  return DefWindowProcA(window, message, wParam, lParam);
}

class WindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    win32::resetWindowSystem();
    seen().clear();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = CALLBACK_recording;
    windowClass.lpszClassName = "Recorder";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
  }
  void TearDown() override { win32::resetWindowSystem(); }

  HWND popup(int width = 64, int height = 48, DWORD style = WS_POPUP | WS_VISIBLE) {
    HWND window =
        CreateWindowExA(0, "Recorder", "test", style, 0, 0, width, height, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(window, nullptr);
    return window;
  }

  // Takes every waiting message (without dispatching) for checks.
  std::vector<MSG> drain(HWND filter = nullptr) {
    std::vector<MSG> out;
    MSG msg;
    while (PeekMessageA(&msg, filter, 0, 0, PM_REMOVE)) {
      out.push_back(msg);
      if (msg.message == WM_PAINT) ValidateRect(msg.hwnd, nullptr);
    }
    return out;
  }
};

} // namespace win32test
