#include "platform/dinput8/SdlInput.h"

#include <SDL.h>

#include "platform/dinput8/DirectInput.h"
#include "platform/win32/event_tap.h"
#include "platform/win32/keymap.h"
#include "platform/win32/sdl_bridge.h"
#include "platform/win32/winuser.h"

namespace dinput8 {
namespace {

constexpr LONG kWheelNotch = 120;

// DirectInput numbers the buttons left, right, middle, then the side buttons.
bool buttonIndex(Uint8 sdlButton, int& index) {
  switch (sdlButton) {
  case SDL_BUTTON_LEFT:
    index = 0;
    return true;
  case SDL_BUTTON_RIGHT:
    index = 1;
    return true;
  case SDL_BUTTON_MIDDLE:
    index = 2;
    return true;
  case SDL_BUTTON_X1:
    index = 3;
    return true;
  case SDL_BUTTON_X2:
    index = 4;
    return true;
  default:
    return false;
  }
}

// The windows of the win32 stand-in, and the SDL event stream its message pump takes.
class SdlWindowHost : public WindowHost {
public:
  ~SdlWindowHost() override {
    if (target_) win32::removeEventTap(&SdlWindowHost::feed, target_);
  }

  void connect(DirectInput* target) {
    target_ = target;
    win32::addEventTap(&SdlWindowHost::feed, target_);
  }

  bool isWindow(HWND window) const override { return window && IsWindow(window); }
  bool hasFocus(HWND window) const override { return window && GetFocus() == window; }
  std::uint32_t windowId(HWND window) const override {
    SDL_Window* sdl = win32::sdlWindow(window);
    return sdl ? SDL_GetWindowID(sdl) : 0;
  }

private:
  static void feed(const SDL_Event& event, void* context) {
    RawInput input;
    if (rawInputFromSdl(event, input)) static_cast<DirectInput*>(context)->deliver(input);
  }

  DirectInput* target_ = nullptr;
};

} // namespace

bool rawInputFromSdl(const SDL_Event& event, RawInput& out) {
  out = RawInput{};
  out.time = event.common.timestamp;
  switch (event.type) {
  case SDL_KEYDOWN:
  case SDL_KEYUP:
    if (event.key.repeat) return false;
    out.kind = event.type == SDL_KEYDOWN ? RawInput::Kind::KeyDown : RawInput::Kind::KeyUp;
    out.key = win32::keyFromScancode(event.key.keysym.scancode).dik();
    return out.key != 0;
  case SDL_MOUSEMOTION:
    out.kind = RawInput::Kind::Motion;
    out.dx = event.motion.xrel;
    out.dy = event.motion.yrel;
    return out.dx != 0 || out.dy != 0;
  case SDL_MOUSEBUTTONDOWN:
  case SDL_MOUSEBUTTONUP:
    out.kind = event.type == SDL_MOUSEBUTTONDOWN ? RawInput::Kind::ButtonDown : RawInput::Kind::ButtonUp;
    return buttonIndex(event.button.button, out.button);
  case SDL_MOUSEWHEEL:
    out.kind = RawInput::Kind::Wheel;
    out.dz = event.wheel.y * kWheelNotch;
    if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) out.dz = -out.dz;
    return out.dz != 0;
  case SDL_WINDOWEVENT:
    if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
      out.kind = RawInput::Kind::FocusGained;
    else if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
      out.kind = RawInput::Kind::FocusLost;
    else
      return false;
    out.window = event.window.windowID;
    return true;
  default:
    return false;
  }
}

} // namespace dinput8

HRESULT DirectInput8Create(HINSTANCE hinst, DWORD dwVersion, REFIID riidltf, LPVOID* ppvOut, LPUNKNOWN punkOuter) {
  if (!ppvOut) return E_POINTER;
  *ppvOut = nullptr;
  if (!hinst) return DIERR_INVALIDPARAM;
  if (dwVersion < DIRECTINPUT_VERSION) return DIERR_OLDDIRECTINPUTVERSION;
  if (dwVersion > DIRECTINPUT_VERSION) return DIERR_BETADIRECTINPUTVERSION;
  if (!IsEqualGUID(riidltf, IID_IDirectInput8A)) return DIERR_NOINTERFACE;
  if (punkOuter) return CLASS_E_NOAGGREGATION;
  auto host = std::make_unique<dinput8::SdlWindowHost>();
  dinput8::SdlWindowHost* feed = host.get();
  auto* directInput = new dinput8::DirectInput(std::move(host));
  feed->connect(directInput);
  *ppvOut = static_cast<IDirectInput8A*>(directInput);
  return DI_OK;
}
