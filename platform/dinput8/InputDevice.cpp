#include "platform/dinput8/InputDevice.h"

#include <algorithm>
#include <cstring>

#include "platform/dinput8/DirectInput.h"
#include "platform/win32/synchapi.h"

namespace dinput8 {
namespace {

constexpr DWORD kKeyboardDataSize = 256;
constexpr DWORD kMouseStateSize = sizeof(DIMOUSESTATE);
constexpr DWORD kMouseState2Size = sizeof(DIMOUSESTATE2);
constexpr DWORD kPressed = 0x80;

// Every object of a format must lie inside its data block.
bool objectsFit(const DIDATAFORMAT& format) {
  if (format.dwNumObjs != 0 && !format.rgodf) return false;
  for (DWORD i = 0; i < format.dwNumObjs; ++i)
    if (format.rgodf[i].dwOfs >= format.dwDataSize) return false;
  return true;
}

} // namespace

InputDevice::InputDevice(DirectInput& owner, DeviceKind kind) : owner_(owner), kind_(kind) { owner_.attach(this); }

InputDevice::~InputDevice() { owner_.detach(this); }

ULONG InputDevice::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT InputDevice::SetDataFormat(const DIDATAFORMAT* lpdf) {
  if (!lpdf) return E_POINTER;
  if (acquired_) return DIERR_ACQUIRED;
  if (lpdf->dwSize != sizeof(DIDATAFORMAT) || lpdf->dwObjSize != sizeof(DIOBJECTDATAFORMAT) || !objectsFit(*lpdf))
    return DIERR_INVALIDPARAM;
  const DWORD axisMode = lpdf->dwFlags & (DIDF_ABSAXIS | DIDF_RELAXIS);
  if (axisMode == (DIDF_ABSAXIS | DIDF_RELAXIS)) return DIERR_INVALIDPARAM;
  const bool standard = kind_ == DeviceKind::Keyboard
                            ? lpdf->dwDataSize == kKeyboardDataSize
                            : lpdf->dwDataSize == kMouseStateSize || lpdf->dwDataSize == kMouseState2Size;
  if (!standard) return DIERR_INVALIDPARAM;
  dataSize_ = lpdf->dwDataSize;
  absoluteAxes_ = axisMode == DIDF_ABSAXIS;
  return DI_OK;
}

HRESULT InputDevice::SetCooperativeLevel(HWND hwnd, DWORD dwFlags) {
  const bool exclusive = (dwFlags & DISCL_EXCLUSIVE) != 0;
  const bool shared = (dwFlags & DISCL_NONEXCLUSIVE) != 0;
  const bool front = (dwFlags & DISCL_FOREGROUND) != 0;
  const bool back = (dwFlags & DISCL_BACKGROUND) != 0;
  if (exclusive == shared || front == back) return DIERR_INVALIDPARAM;
  // Nobody else's input is ever taken away here.
  if (exclusive) return DIERR_UNSUPPORTED;
  if (acquired_) return DIERR_ACQUIRED;
  if (front && !owner_.host().isWindow(hwnd)) return E_HANDLE;
  window_ = hwnd;
  cooperation_ = dwFlags;
  return DI_OK;
}

HRESULT InputDevice::SetProperty(const GUID* rguidProp, const DIPROPHEADER* pdiph) {
  if (!pdiph) return E_POINTER;
  if (rguidProp != DIPROP_BUFFERSIZE) return DIERR_UNSUPPORTED;
  if (pdiph->dwSize != sizeof(DIPROPDWORD) || pdiph->dwHeaderSize != sizeof(DIPROPHEADER) ||
      pdiph->dwHow != DIPH_DEVICE || pdiph->dwObj != 0)
    return DIERR_INVALIDPARAM;
  if (acquired_) return DIERR_ACQUIRED;
  bufferSize_ = reinterpret_cast<const DIPROPDWORD*>(pdiph)->dwData;
  return DI_OK;
}

HRESULT InputDevice::SetEventNotification(HANDLE hEvent) {
  if (acquired_) return DIERR_ACQUIRED;
  event_ = hEvent;
  return DI_OK;
}

HRESULT InputDevice::Acquire() {
  if (dataSize_ == 0) return DIERR_INVALIDPARAM;
  if (acquired_ && !lost_) return DI_NOEFFECT;
  if (foreground() && !owner_.host().hasFocus(window_)) return DIERR_OTHERAPPHASPRIO;
  acquired_ = true;
  lost_ = false;
  forgetInput();
  return DI_OK;
}

HRESULT InputDevice::Unacquire() {
  if (!acquired_) return DI_NOEFFECT;
  acquired_ = false;
  lost_ = false;
  forgetInput();
  return DI_OK;
}

void InputDevice::forgetInput() {
  buffer_.clear();
  overflowed_ = false;
  keys_.fill(0);
  movement_.fill(0);
  buttons_.fill(0);
}

HRESULT InputDevice::readable() const {
  if (lost_) return DIERR_INPUTLOST;
  if (!acquired_) return DIERR_NOTACQUIRED;
  return DI_OK;
}

HRESULT InputDevice::GetDeviceState(DWORD cbData, LPVOID lpvData) {
  if (!lpvData) return E_POINTER;
  if (const HRESULT refused = readable(); FAILED(refused)) return refused;
  if (cbData != dataSize_) return DIERR_INVALIDPARAM;
  if (kind_ == DeviceKind::Keyboard) {
    std::memcpy(lpvData, keys_.data(), keys_.size());
    return DI_OK;
  }
  DIMOUSESTATE2 state{};
  const std::array<LONG, 3>& axes = absoluteAxes_ ? axes_ : movement_;
  state.lX = axes[0];
  state.lY = axes[1];
  state.lZ = axes[2];
  std::copy(buttons_.begin(), buttons_.end(), state.rgbButtons);
  movement_.fill(0);
  std::memcpy(lpvData, &state, cbData);
  return DI_OK;
}

HRESULT InputDevice::GetDeviceData(DWORD cbObjectData, DIDEVICEOBJECTDATA* rgdod, DWORD* pdwInOut, DWORD dwFlags) {
  if (!pdwInOut) return E_POINTER;
  if (cbObjectData != sizeof(DIDEVICEOBJECTDATA)) return DIERR_INVALIDPARAM;
  if (const HRESULT refused = readable(); FAILED(refused)) return refused;
  if (bufferSize_ == 0) return DIERR_NOTBUFFERED;
  const DWORD count = std::min<DWORD>(*pdwInOut, static_cast<DWORD>(buffer_.size()));
  if (rgdod) std::copy_n(buffer_.begin(), count, rgdod);
  *pdwInOut = count;
  const HRESULT result = overflowed_ ? DI_BUFFEROVERFLOW : DI_OK;
  if (!(dwFlags & DIGDD_PEEK)) {
    buffer_.erase(buffer_.begin(), buffer_.begin() + count);
    overflowed_ = false;
  }
  return result;
}

void InputDevice::receive(const RawInput& input, DWORD sequence) {
  if (!acquired_ || lost_) return;
  switch (input.kind) {
  case RawInput::Kind::FocusLost:
    // A foreground device stops seeing input with its window's focus; reading says so
    // until it is acquired again.
    if (foreground() && input.window != 0 && input.window == owner_.host().windowId(window_)) {
      lost_ = true;
      forgetInput();
    }
    break;
  case RawInput::Kind::FocusGained:
    break;
  case RawInput::Kind::KeyDown:
  case RawInput::Kind::KeyUp:
    if (kind_ == DeviceKind::Keyboard) receiveKey(input, sequence);
    break;
  default:
    if (kind_ == DeviceKind::Mouse) receiveMouse(input, sequence);
    break;
  }
}

void InputDevice::receiveKey(const RawInput& input, DWORD sequence) {
  const BYTE state = input.kind == RawInput::Kind::KeyDown ? kPressed : 0;
  // Held keys repeat on the keyboard, not in DirectInput.
  if (input.key == 0 || keys_[input.key] == state) return;
  keys_[input.key] = state;
  push(input.key, state, input.time, sequence);
}

void InputDevice::receiveMouse(const RawInput& input, DWORD sequence) {
  switch (input.kind) {
  case RawInput::Kind::Motion:
    moveAxis(0, input.dx, input, sequence);
    moveAxis(1, input.dy, input, sequence);
    break;
  case RawInput::Kind::Wheel:
    moveAxis(2, input.dz, input, sequence);
    break;
  case RawInput::Kind::ButtonDown:
  case RawInput::Kind::ButtonUp: {
    // The format's block has room for 4 (DIMOUSESTATE) or 8 (DIMOUSESTATE2) buttons.
    const int buttons = static_cast<int>(dataSize_) - static_cast<int>(DIMOFS_BUTTON0);
    if (input.button < 0 || input.button >= buttons) return;
    const BYTE state = input.kind == RawInput::Kind::ButtonDown ? kPressed : 0;
    BYTE& held = buttons_[static_cast<std::size_t>(input.button)];
    if (held == state) return;
    held = state;
    push(DIMOFS_BUTTON0 + static_cast<DWORD>(input.button), state, input.time, sequence);
    break;
  }
  default:
    break;
  }
}

void InputDevice::moveAxis(int axis, LONG delta, const RawInput& input, DWORD sequence) {
  if (delta == 0) return;
  const auto index = static_cast<std::size_t>(axis);
  // Wrapping, as a 32-bit axis does, rather than overflowing.
  axes_[index] = static_cast<LONG>(static_cast<DWORD>(axes_[index]) + static_cast<DWORD>(delta));
  movement_[index] = static_cast<LONG>(static_cast<DWORD>(movement_[index]) + static_cast<DWORD>(delta));
  const LONG data = absoluteAxes_ ? axes_[index] : delta;
  push(DIMOFS_X + 4 * static_cast<DWORD>(axis), static_cast<DWORD>(data), input.time, sequence);
}

void InputDevice::push(DWORD offset, DWORD data, DWORD time, DWORD sequence) {
  if (bufferSize_ > 0) {
    // A full buffer drops its oldest item, and the next read reports the loss.
    if (buffer_.size() >= bufferSize_) {
      buffer_.pop_front();
      overflowed_ = true;
    }
    buffer_.push_back(DIDEVICEOBJECTDATA{offset, data, time, sequence, 0});
  }
  if (event_) SetEvent(event_);
}

} // namespace dinput8
