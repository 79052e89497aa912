// A keyboard or mouse device: its data format, cooperative level, acquisition, immediate
// state and the buffer of data items that GetDeviceData hands out.
#pragma once

#include <array>
#include <deque>

#include "platform/dinput8/RawInput.h"
#include "platform/dinput8/dinput.h"

namespace dinput8 {

class DirectInput;

enum class DeviceKind { Keyboard, Mouse };

class InputDevice : public IDirectInputDevice8A {
public:
  InputDevice(DirectInput& owner, DeviceKind kind);
  InputDevice(const InputDevice&) = delete;
  InputDevice& operator=(const InputDevice&) = delete;

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;
  HRESULT SetDataFormat(const DIDATAFORMAT* lpdf) override;
  HRESULT SetCooperativeLevel(HWND hwnd, DWORD dwFlags) override;
  HRESULT SetProperty(const GUID* rguidProp, const DIPROPHEADER* pdiph) override;
  HRESULT SetEventNotification(HANDLE hEvent) override;
  HRESULT Acquire() override;
  HRESULT Unacquire() override;
  HRESULT GetDeviceState(DWORD cbData, LPVOID lpvData) override;
  HRESULT GetDeviceData(DWORD cbObjectData, DIDEVICEOBJECTDATA* rgdod, DWORD* pdwInOut, DWORD dwFlags) override;

  // One input from the owner; `sequence` is shared by every item this input makes.
  void receive(const RawInput& input, DWORD sequence);

private:
  ~InputDevice() override;

  // Why reading is refused now, or DI_OK.
  HRESULT readable() const;
  bool foreground() const { return (cooperation_ & DISCL_FOREGROUND) != 0; }
  void receiveKey(const RawInput& input, DWORD sequence);
  void receiveMouse(const RawInput& input, DWORD sequence);
  void moveAxis(int axis, LONG delta, const RawInput& input, DWORD sequence);
  void push(DWORD offset, DWORD data, DWORD time, DWORD sequence);
  // What a device forgets when it stops seeing input: the buffer and what is held down.
  void forgetInput();

  DirectInput& owner_;
  const DeviceKind kind_;
  ULONG refs_ = 1;

  DWORD dataSize_ = 0; // 0: no data format yet
  bool absoluteAxes_ = false;
  // Without SetCooperativeLevel a device shares the input and sees it in the background.
  HWND window_ = nullptr;
  DWORD cooperation_ = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
  DWORD bufferSize_ = 0;
  HANDLE event_ = nullptr;
  bool acquired_ = false;
  bool lost_ = false; // acquired, but the window lost the focus

  std::deque<DIDEVICEOBJECTDATA> buffer_;
  bool overflowed_ = false;
  std::array<BYTE, 256> keys_{};
  std::array<LONG, 3> axes_{};     // positions, for absolute axes
  std::array<LONG, 3> movement_{}; // since the last state read, for relative axes
  std::array<BYTE, 8> buttons_{};
};

} // namespace dinput8
