#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/win32/sdl_bridge.h"
#include "platform/win32/winbase.h"
#include "tests/win32/WindowTestSupport.h"

namespace {

using win32test::seen;
using Windows = win32test::WindowTest;

TEST_F(Windows, APopupIsABorderlessOpenGLWindowOfTheRequestedSize) {
  HWND window = CreateWindowExA(0, "Recorder", "Tickwood", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  SDL_Window* sdl = win32::sdlWindow(window);
  ASSERT_NE(sdl, nullptr);
  EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL);
  EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_BORDERLESS);
  RECT client{};
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.right, 400);
  EXPECT_EQ(client.bottom, 300);
  RECT outer{};
  ASSERT_TRUE(GetWindowRect(window, &outer));
  EXPECT_EQ(outer.right - outer.left, 400);
  EXPECT_EQ(outer.bottom - outer.top, 300);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), WS_POPUP | WS_VISIBLE);
  EXPECT_EQ(GetActiveWindow(), window);
  // Creation tells the procedure first, then the size.
  ASSERT_GE(seen().size(), 2u);
  EXPECT_EQ(seen()[0].message, WM_CREATE);
  EXPECT_EQ(seen()[1].message, WM_SIZE);
  EXPECT_EQ(seen()[1].lParam, MAKELPARAM(400, 300));
}

TEST_F(Windows, AdjustWindowRectGivesExactlyTheClientAreaAskedFor) {
  RECT rect{0, 0, 640, 480};
  ASSERT_TRUE(AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW | WS_VISIBLE, TRUE));
  EXPECT_LT(rect.left, 0);
  EXPECT_LT(rect.top, rect.left); // the caption is above
  HWND window = CreateWindowExA(0, "Recorder", "Vesta", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
  EXPECT_FALSE(SDL_GetWindowFlags(win32::sdlWindow(window)) & SDL_WINDOW_BORDERLESS);
  RECT outer{};
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.right - outer.left, rect.right - rect.left);
  EXPECT_EQ(outer.bottom - outer.top, rect.bottom - rect.top);
  RECT popupRect{0, 0, 640, 480};
  AdjustWindowRect(&popupRect, WS_POPUP, FALSE);
  EXPECT_EQ(popupRect.right - popupRect.left, 640);
}

TEST_F(Windows, SetWindowPosResizesAndReportsTheNewSize) {
  HWND window = popup(100, 80);
  seen().clear();
  ASSERT_TRUE(SetWindowPos(window, HWND_NOTOPMOST, 10, 20, 320, 200, SWP_SHOWWINDOW));
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 320);
  EXPECT_EQ(client.bottom, 200);
  ASSERT_EQ(seen().size(), 1u);
  EXPECT_EQ(seen()[0].message, WM_SIZE);
  EXPECT_EQ(seen()[0].lParam, MAKELPARAM(320, 200));
  seen().clear();
  ASSERT_TRUE(SetWindowPos(window, nullptr, 0, 0, 1, 1, SWP_NOSIZE | SWP_NOZORDER));
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 320);
  EXPECT_TRUE(seen().empty());
  // The size SDL reports afterwards is not announced a second time.
  for (const MSG& msg : drain())
    EXPECT_NE(msg.message, WM_SIZE);
}

TEST_F(Windows, StylesCanBeReadAndChanged) {
  HWND window = popup();
  const LONG previous = SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(WS_OVERLAPPEDWINDOW | WS_VISIBLE));
  EXPECT_EQ(static_cast<DWORD>(previous), WS_POPUP | WS_VISIBLE);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(WS_POPUP));
  EXPECT_FALSE(IsWindowVisible(window));
  SetWindowLongPtrA(window, GWLP_USERDATA, 0x1234);
  EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 0x1234);
}

TEST_F(Windows, CreationFailuresAreReported) {
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  // A child needs a parent, and without an X11 display there is no foreign parent to be had.
  EXPECT_EQ(
      CreateWindowExA(0, "Recorder", "", WS_CHILD | WS_VISIBLE, 100, 100, 50, 50, nullptr, nullptr, nullptr, nullptr),
      nullptr);
  EXPECT_EQ(GetLastError(), ERROR_TLW_WITH_WSCHILD);
  EXPECT_EQ(CreateWindowExA(0, "Recorder", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, win32::foreignWindow(0x200001),
                            nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  WNDCLASSA again{};
  again.lpfnWndProc = DefWindowProcA;
  again.lpszClassName = "recorder";
  EXPECT_EQ(RegisterClassA(&again), 0);
  EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
}

TEST_F(Windows, DestroyWindowTellsTheProcedureAndForgetsTheHandle) {
  HWND window = popup();
  EXPECT_NE(SetTimer(window, 1, 100, nullptr), 0u);
  PostMessageA(window, WM_USER, 0, 0);
  seen().clear();
  ASSERT_TRUE(DestroyWindow(window));
  ASSERT_EQ(seen().size(), 1u);
  EXPECT_EQ(seen()[0].message, WM_DESTROY);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(win32::sdlWindow(window), nullptr);
  EXPECT_FALSE(DestroyWindow(window));
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)); // its messages went with it
  EXPECT_FALSE(KillTimer(window, 1));
}

TEST_F(Windows, TheCursorFollowsItsDisplayCount) {
  popup();
  EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
  EXPECT_NE(LoadCursorA(nullptr, IDC_SIZENWSE), nullptr);
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCE_CURSOR(1)), nullptr);
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  EXPECT_EQ(ShowCursor(FALSE), -2);
  EXPECT_EQ(ShowCursor(TRUE), -1);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
  SetCursor(nullptr);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  EXPECT_EQ(SetCursor(LoadCursorA(nullptr, IDC_ARROW)), nullptr);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

} // namespace
