// An application with a real (offscreen) window on the recording back end, its input
// devices, and the DirectInput object behind them, which the tests feed by hand with
// exact time stamps.
#pragma once

#include <gtest/gtest.h>

#include <SDL.h>

#include <memory>
#include <vector>

#include "engine/app/Application.h"
#include "engine/input/InputDevices.h"
#include "platform/d3d9/recording/RecordingDirect3D.h"
#include "platform/dinput8/DirectInput.h"
#include "platform/win32/desktop.h"
#include "platform/win32/sdl_bridge.h"
#include "platform/win32/winuser.h"

namespace inputtest {

using Kind = engine::InputEventKind;
using Raw = dinput8::RawInput::Kind;

class Recorder : public engine::InputListener {
public:
  void onInputEvent(const engine::InputEvent& event) override { events.push_back(event); }
  std::vector<Kind> kinds() const {
    std::vector<Kind> out;
    for (const auto& event : events)
      out.push_back(event.kind);
    return out;
  }
  std::vector<engine::InputEvent> events;
};

inline LRESULT plainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class InputTest : public ::testing::Test {
protected:
  void SetUp() override {
    win32::resetWindowSystem();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = plainProcedure;
    windowClass.lpszClassName = "InputTest";
    RegisterClassA(&windowClass);
  }
  void TearDown() override {
    devices_.reset();
    app_.reset();
    win32::resetWindowSystem();
  }

  HWND makeWindow(int width, int height) {
    return CreateWindowExA(0, "InputTest", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr, nullptr,
                           nullptr);
  }

  // Full screen the pointer follows the mouse's axes; windowed (or with the system cursor)
  // it is the cursor.
  void start(bool fullscreen, bool useSystemCursor, int width = 800, int height = 600) {
    app_->setDirect3DFactory([] { return d3d9::createRecordingDirect3D(); });
    ASSERT_TRUE(app_->Create(nullptr, makeWindow(width, height)));
    ASSERT_TRUE(app_->SetMode(fullscreen));
    devices_ = std::make_unique<engine::InputDevices>(*app_);
    devices_->setDirectInputFactory(
        [this](HINSTANCE instance, DWORD version, REFIID iid, LPVOID* out, LPUNKNOWN outer) {
          const HRESULT result = DirectInput8Create(instance, version, iid, out, outer);
          if (SUCCEEDED(result)) directInput_ = static_cast<dinput8::DirectInput*>(static_cast<IDirectInput8A*>(*out));
          return result;
        });
    ASSERT_TRUE(
        devices_->init(useSystemCursor, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND));
    devices_->addListener(&recorder_);
  }

  void deliver(Raw kind, DWORD time = 0, BYTE key = 0, int button = 0, LONG dx = 0, LONG dy = 0) {
    dinput8::RawInput input;
    input.kind = kind;
    input.time = time;
    input.key = key;
    input.button = button;
    input.dx = dx;
    input.dy = dy;
    if (kind == Raw::FocusLost || kind == Raw::FocusGained)
      input.window = SDL_GetWindowID(win32::sdlWindow(app_->window()));
    directInput_->deliver(input);
  }
  void key(Raw kind, BYTE dik, DWORD time = 0) { deliver(kind, time, dik); }
  void click(Raw kind, int button, DWORD time) { deliver(kind, time, 0, button); }
  void move(LONG dx, LONG dy) { deliver(Raw::Motion, 0, 0, 0, dx, dy); }

  // One frame's input work, as the frame loop does it.
  void frame() {
    devices_->poll(0);
    devices_->dispatchEvents();
  }

  void message(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    app_->handleWindowMessage(app_->window(), message, wParam, lParam);
  }

  std::unique_ptr<engine::Application> app_ = std::make_unique<engine::Application>();
  std::unique_ptr<engine::InputDevices> devices_;
  dinput8::DirectInput* directInput_ = nullptr;
  Recorder recorder_;
};

} // namespace inputtest
