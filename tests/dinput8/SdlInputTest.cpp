// The devices' input from SDL events: what each event becomes, and the whole way from an
// SDL event through the window stand-in's message pump into a device's buffer.
#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/dinput8/SdlInput.h"
#include "platform/dinput8/dinput.h"
#include "platform/win32/desktop.h"
#include "platform/win32/resources.h"
#include "platform/win32/sdl_bridge.h"
#include "platform/win32/synchapi.h"

namespace {

using dinput8::RawInput;
using Kind = dinput8::RawInput::Kind;

SDL_Event keyEvent(Uint32 type, SDL_Scancode scancode, Uint32 timestamp = 0, Uint8 repeat = 0) {
  SDL_Event event{};
  event.type = type;
  event.key.timestamp = timestamp;
  event.key.keysym.scancode = scancode;
  event.key.repeat = repeat;
  return event;
}

BYTE dikOf(SDL_Scancode scancode) {
  RawInput input;
  return dinput8::rawInputFromSdl(keyEvent(SDL_KEYDOWN, scancode), input) ? input.key : 0;
}

TEST(SdlInput, KeysBecomeDirectInputCodes) {
  const struct {
    SDL_Scancode scancode;
    BYTE dik;
  } keys[] = {
      {SDL_SCANCODE_A, DIK_A},
      {SDL_SCANCODE_W, DIK_W},
      {SDL_SCANCODE_Z, DIK_Z},
      {SDL_SCANCODE_Q, DIK_Q},
      {SDL_SCANCODE_M, DIK_M},
      {SDL_SCANCODE_1, DIK_1},
      {SDL_SCANCODE_9, DIK_9},
      {SDL_SCANCODE_0, DIK_0},
      {SDL_SCANCODE_UP, DIK_UP},
      {SDL_SCANCODE_DOWN, DIK_DOWN},
      {SDL_SCANCODE_LEFT, DIK_LEFT},
      {SDL_SCANCODE_RIGHT, DIK_RIGHT},
      {SDL_SCANCODE_LSHIFT, DIK_LSHIFT},
      {SDL_SCANCODE_RSHIFT, DIK_RSHIFT},
      {SDL_SCANCODE_LCTRL, DIK_LCONTROL},
      {SDL_SCANCODE_RCTRL, DIK_RCONTROL},
      {SDL_SCANCODE_LALT, DIK_LMENU},
      {SDL_SCANCODE_RALT, DIK_RMENU},
      {SDL_SCANCODE_ESCAPE, DIK_ESCAPE},
      {SDL_SCANCODE_SPACE, DIK_SPACE},
      {SDL_SCANCODE_KP_ENTER, DIK_NUMPADENTER},
  };
  for (const auto& k : keys)
    EXPECT_EQ(dikOf(k.scancode), k.dik) << SDL_GetScancodeName(k.scancode);

  RawInput input;
  ASSERT_TRUE(dinput8::rawInputFromSdl(keyEvent(SDL_KEYUP, SDL_SCANCODE_S, 4321), input));
  EXPECT_EQ(input.kind, Kind::KeyUp);
  EXPECT_EQ(input.key, DIK_S);
  EXPECT_EQ(input.time, 4321u);
  // The keyboard's own repeats and keys DirectInput has no code for carry nothing.
  EXPECT_FALSE(dinput8::rawInputFromSdl(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_S, 0, 1), input));
  EXPECT_FALSE(dinput8::rawInputFromSdl(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_UNKNOWN), input));
}

TEST(SdlInput, TheMouseGivesMovementsButtonsAndWheelNotches) {
  SDL_Event event{};
  RawInput input;
  event.type = SDL_MOUSEMOTION;
  event.motion.timestamp = 77;
  event.motion.xrel = 4;
  event.motion.yrel = -6;
  ASSERT_TRUE(dinput8::rawInputFromSdl(event, input));
  EXPECT_EQ(input.kind, Kind::Motion);
  EXPECT_EQ(input.dx, 4);
  EXPECT_EQ(input.dy, -6);
  EXPECT_EQ(input.time, 77u);
  event.motion.xrel = event.motion.yrel = 0;
  EXPECT_FALSE(dinput8::rawInputFromSdl(event, input));

  event = SDL_Event{};
  event.type = SDL_MOUSEBUTTONDOWN;
  for (auto [sdl, index] : {std::pair{SDL_BUTTON_LEFT, 0},
                            {SDL_BUTTON_RIGHT, 1},
                            {SDL_BUTTON_MIDDLE, 2},
                            {SDL_BUTTON_X1, 3},
                            {SDL_BUTTON_X2, 4}}) {
    event.button.button = static_cast<Uint8>(sdl);
    ASSERT_TRUE(dinput8::rawInputFromSdl(event, input));
    EXPECT_EQ(input.kind, Kind::ButtonDown);
    EXPECT_EQ(input.button, index);
  }
  event.type = SDL_MOUSEBUTTONUP;
  event.button.button = SDL_BUTTON_RIGHT;
  ASSERT_TRUE(dinput8::rawInputFromSdl(event, input));
  EXPECT_EQ(input.kind, Kind::ButtonUp);

  event = SDL_Event{};
  event.type = SDL_MOUSEWHEEL;
  event.wheel.y = 2;
  event.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
  ASSERT_TRUE(dinput8::rawInputFromSdl(event, input));
  EXPECT_EQ(input.kind, Kind::Wheel);
  EXPECT_EQ(input.dz, -240);
}

TEST(SdlInput, FocusChangesNameTheirWindow) {
  SDL_Event event{};
  RawInput input;
  event.type = SDL_WINDOWEVENT;
  event.window.windowID = 12;
  event.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  ASSERT_TRUE(dinput8::rawInputFromSdl(event, input));
  EXPECT_EQ(input.kind, Kind::FocusLost);
  EXPECT_EQ(input.window, 12u);
  event.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
  ASSERT_TRUE(dinput8::rawInputFromSdl(event, input));
  EXPECT_EQ(input.kind, Kind::FocusGained);
  event.window.event = SDL_WINDOWEVENT_MOVED;
  EXPECT_FALSE(dinput8::rawInputFromSdl(event, input));
  event.type = SDL_TEXTINPUT;
  EXPECT_FALSE(dinput8::rawInputFromSdl(event, input));
}

LRESULT plainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// The program's way: a window, DirectInput8Create, a foreground keyboard; SDL events then
// reach it through the message pump.
TEST(SdlInput, EventsThePumpTakesReachTheDevicesOfAWindowWithTheFocus) {
  win32::resetWindowSystem();
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = plainProcedure;
  windowClass.lpszClassName = "InputWindow";
  RegisterClassA(&windowClass);
  HWND window =
      CreateWindowExA(0, "InputWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, 64, 48, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);

  void* out = nullptr;
  ASSERT_EQ(DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A, &out, nullptr),
            DI_OK);
  auto* directInput = static_cast<IDirectInput8A*>(out);
  IDirectInputDevice8A* keyboard = nullptr;
  ASSERT_EQ(directInput->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
  ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
  ASSERT_EQ(keyboard->SetCooperativeLevel(window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
  DIPROPDWORD property{{sizeof(DIPROPDWORD), sizeof(DIPROPHEADER), 0, DIPH_DEVICE}, 16};
  ASSERT_EQ(keyboard->SetProperty(DIPROP_BUFFERSIZE, &property.diph), DI_OK);
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  ASSERT_EQ(keyboard->SetEventNotification(event), DI_OK);
  ASSERT_EQ(keyboard->Acquire(), DI_OK);

  SDL_Event press = keyEvent(SDL_KEYDOWN, SDL_SCANCODE_D);
  press.key.windowID = SDL_GetWindowID(win32::sdlWindow(window));
  ASSERT_EQ(SDL_PushEvent(&press), 1);
  MSG msg;
  bool keyMessage = false;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    keyMessage = keyMessage || (msg.message == WM_KEYDOWN && msg.wParam == 'D');
    DispatchMessageA(&msg);
  }
  EXPECT_TRUE(keyMessage); // the window saw it too

  EXPECT_EQ(WaitForMultipleObjects(1, &event, FALSE, 0), WAIT_OBJECT_0);
  DIDEVICEOBJECTDATA item{};
  DWORD count = 1;
  ASSERT_EQ(keyboard->GetDeviceData(sizeof item, &item, &count, 0), DI_OK);
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(item.dwOfs, DIK_D);
  EXPECT_EQ(item.dwData, 0x80u);

  keyboard->Release();
  EXPECT_EQ(directInput->Release(), 0u);
  CloseHandle(event);
  // The object is gone and no longer listens.
  ASSERT_EQ(SDL_PushEvent(&press), 1);
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    DispatchMessageA(&msg);
  win32::resetWindowSystem();
}

} // namespace
