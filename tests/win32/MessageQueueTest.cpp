#include <gtest/gtest.h>

#include <SDL.h>

#include <csignal>
#include <cstring>

#include "platform/win32/clock.h"
#include "platform/win32/winbase.h"
#include "tests/win32/WindowTestSupport.h"

namespace {

using win32test::seen;

class MessageQueue : public win32test::WindowTest {
protected:
  win32::ManualClock clock_;
  win32::ScopedClock useClock_{clock_};
};

TEST_F(MessageQueue, PostedMessagesKeepTheirOrderAndFilters) {
  HWND window = popup();
  drain();
  PostMessageA(window, WM_USER + 1, 1, 0);
  PostMessageA(nullptr, WM_USER + 2, 2, 0);
  PostMessageA(window, WM_USER + 3, 3, 0);

  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, window, WM_USER + 3, WM_USER + 3, PM_NOREMOVE));
  EXPECT_EQ(msg.wParam, 3u);
  ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 1u);
  // A window filter never returns thread messages.
  ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.wParam, 2u);
  EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x40001234), WM_USER, 0, 0));
}

TEST_F(MessageQueue, QuitComesAfterPostedMessagesAndEndsGetMessage) {
  HWND window = popup();
  drain();
  PostQuitMessage(7);
  PostMessageA(window, WM_USER, 0, 0);
  MSG msg;
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, WM_USER);
  EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 7u);
  DestroyWindow(window);
  // Waiting on a window that is gone must not wait for ever.
  EXPECT_EQ(GetMessageA(&msg, window, 0, 0), -1);
}

TEST_F(MessageQueue, TimersFireByTheClockOncePerInterval) {
  HWND window = popup();
  drain();
  EXPECT_NE(SetTimer(window, 1, 500, nullptr), 0u);
  clock_.advance(499);
  EXPECT_TRUE(drain().empty());
  clock_.advance(1);
  auto messages = drain();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].message, WM_TIMER);
  EXPECT_EQ(messages[0].wParam, 1u);
  EXPECT_TRUE(drain().empty()); // not again until the next interval
  clock_.advance(500);
  EXPECT_EQ(drain().size(), 1u);
  EXPECT_TRUE(KillTimer(window, 1));
  clock_.advance(5000);
  EXPECT_TRUE(drain().empty());
  EXPECT_FALSE(KillTimer(window, 1));
}

TEST_F(MessageQueue, PaintComesAfterOtherMessagesAndStaysUntilPainted) {
  HWND window = popup();
  PostMessageA(window, WM_USER, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER);
  ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_PAINT);
  ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_PAINT);
  DispatchMessageA(&msg); // DefWindowProcA paints (validates) it
  EXPECT_FALSE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, TerminationSignalsBecomeCloseRequests) {
  HWND window = popup();
  drain();
  win32::closeWindowsOnTerminationSignals();
  std::raise(SIGTERM);
  auto messages = drain();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].hwnd, window);
  EXPECT_EQ(messages[0].message, WM_CLOSE);
  std::raise(SIGINT);
  EXPECT_EQ(drain().size(), 1u);
}

TEST_F(MessageQueue, ASignalBeforeTheFirstWindowWaitsForIt) {
  win32::closeWindowsOnTerminationSignals();
  std::raise(SIGTERM);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_TRUE(win32::terminationPending());
  HWND window = popup();
  auto messages = drain();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages[0].hwnd, window);
  EXPECT_EQ(messages[0].message, WM_CLOSE);
  EXPECT_FALSE(win32::terminationPending());
}

TEST_F(MessageQueue, ASecondSignalBeforeTheFirstWasDeliveredEndsTheProcess) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_EXIT(
      {
        win32::closeWindowsOnTerminationSignals();
        std::raise(SIGTERM);
        std::raise(SIGTERM);
      },
      ::testing::KilledBySignal(SIGTERM), "");
}

TEST_F(MessageQueue, SynthesizedKeysReachTheActiveWindow) {
  HWND window = popup();
  drain();
  keybd_event(VK_F3, 0, 0, 0);
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = VK_F3;
  EXPECT_EQ(SendInput(1, &input, sizeof input), 1u);
  EXPECT_EQ(SendInput(1, &input, sizeof input - 1), 0u);
  input.ki.dwFlags = KEYEVENTF_KEYUP;
  EXPECT_EQ(SendInput(1, &input, sizeof input), 1u);
  auto messages = drain();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].hwnd, window);
  EXPECT_EQ(messages[0].message, WM_KEYDOWN);
  EXPECT_EQ(messages[0].wParam, VK_F3);
  EXPECT_EQ(messages[0].lParam, 1);
  EXPECT_EQ(messages[1].message, WM_KEYDOWN);
  EXPECT_EQ(messages[2].message, WM_KEYUP);
  EXPECT_EQ(static_cast<DWORD>(messages[2].lParam), 0xC0000001u);
}

SDL_Event keyEvent(HWND window, Uint32 type, SDL_Scancode scancode, Uint16 mod = 0, Uint8 repeat = 0) {
  SDL_Event event{};
  event.type = type;
  event.key.windowID = SDL_GetWindowID(win32::sdlWindow(window));
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.repeat = repeat;
  event.key.keysym.scancode = scancode;
  event.key.keysym.mod = mod;
  return event;
}

TEST_F(MessageQueue, KeyboardEventsBecomeKeyMessages) {
  HWND window = popup();
  drain();
  SDL_Event events[] = {
      keyEvent(window, SDL_KEYDOWN, SDL_SCANCODE_ESCAPE), keyEvent(window, SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, 0, 1),
      keyEvent(window, SDL_KEYUP, SDL_SCANCODE_ESCAPE),   keyEvent(window, SDL_KEYDOWN, SDL_SCANCODE_RCTRL),
      keyEvent(window, SDL_KEYDOWN, SDL_SCANCODE_F10),    keyEvent(window, SDL_KEYDOWN, SDL_SCANCODE_X, KMOD_LALT)};
  for (SDL_Event& event : events)
    SDL_PushEvent(&event);
  auto messages = drain();
  ASSERT_EQ(messages.size(), 6u);
  const struct {
    UINT message;
    WPARAM key;
    DWORD lParam;
  } expected[] = {{WM_KEYDOWN, VK_ESCAPE, 0x00010001}, {WM_KEYDOWN, VK_ESCAPE, 0x40010001},
                  {WM_KEYUP, VK_ESCAPE, 0xC0010001},   {WM_KEYDOWN, VK_CONTROL, 0x011D0001},
                  {WM_SYSKEYDOWN, VK_F10, 0x00440001}, {WM_SYSKEYDOWN, 'X', 0x202D0001}};
  for (std::size_t i = 0; i < messages.size(); ++i) {
    EXPECT_EQ(messages[i].hwnd, window);
    EXPECT_EQ(messages[i].message, expected[i].message) << i;
    EXPECT_EQ(messages[i].wParam, expected[i].key) << i;
    EXPECT_EQ(static_cast<DWORD>(messages[i].lParam), expected[i].lParam) << i;
  }
}

TEST_F(MessageQueue, TextMouseAndWindowEventsBecomeMessages) {
  HWND window = popup();
  drain();
  const Uint32 id = SDL_GetWindowID(win32::sdlWindow(window));
  SDL_Event text{};
  text.type = SDL_TEXTINPUT;
  text.text.windowID = id;
  std::strcpy(text.text.text, "a\xC3\xA9\xF0\x9F\x98\x80");
  SDL_PushEvent(&text);
  SDL_Event button{};
  button.type = SDL_MOUSEBUTTONDOWN;
  button.button.windowID = id;
  button.button.button = SDL_BUTTON_RIGHT;
  button.button.x = 12;
  button.button.y = 34;
  SDL_PushEvent(&button);
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.windowID = id;
  motion.motion.x = 5;
  motion.motion.y = 6;
  motion.motion.state = SDL_BUTTON_LMASK;
  SDL_PushEvent(&motion);
  SDL_Event window_{};
  window_.type = SDL_WINDOWEVENT;
  window_.window.windowID = id;
  window_.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
  SDL_PushEvent(&window_);
  window_.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&window_);

  std::vector<std::pair<UINT, WPARAM>> got;
  std::vector<LPARAM> positions;
  for (const MSG& msg : drain()) {
    got.emplace_back(msg.message, msg.wParam);
    if (msg.message == WM_RBUTTONDOWN || msg.message == WM_MOUSEMOVE) positions.push_back(msg.lParam);
  }
  const std::vector<std::pair<UINT, WPARAM>> expected = {{WM_CHAR, 'a'},
                                                         {WM_CHAR, 0xE9},
                                                         {WM_CHAR, 0xD83D},
                                                         {WM_CHAR, 0xDE00},
                                                         {WM_RBUTTONDOWN, 0},
                                                         {WM_SETCURSOR, reinterpret_cast<WPARAM>(window)},
                                                         {WM_MOUSEMOVE, MK_LBUTTON},
                                                         {WM_ACTIVATE, WA_ACTIVE},
                                                         {WM_SETFOCUS, 0},
                                                         {WM_CLOSE, 0}};
  EXPECT_EQ(got, expected);
  EXPECT_EQ(positions, (std::vector<LPARAM>{MAKELPARAM(12, 34), MAKELPARAM(5, 6)}));
}

TEST_F(MessageQueue, DefaultCloseDestroysTheWindow) {
  HWND window = popup();
  drain();
  seen().clear();
  SendMessageA(window, WM_SYSKEYDOWN, VK_F4, 0x203E0001); // Alt+F4
  ASSERT_EQ(seen().size(), 4u);
  EXPECT_EQ(seen()[1].message, WM_SYSCOMMAND);
  EXPECT_EQ(seen()[1].wParam, SC_CLOSE);
  EXPECT_EQ(seen()[2].message, WM_CLOSE);
  EXPECT_EQ(seen()[3].message, WM_DESTROY);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(win32::sdlWindow(window), nullptr);
}

} // namespace
