// The DirectInput object: makes the keyboard and mouse devices and hands every input it is
// fed to each of them with the next sequence number.
#pragma once

#include <memory>
#include <vector>

#include "platform/dinput8/RawInput.h"
#include "platform/dinput8/dinput.h"

namespace dinput8 {

class InputDevice;

class DirectInput : public IDirectInput8A {
public:
  explicit DirectInput(std::unique_ptr<WindowHost> host);
  DirectInput(const DirectInput&) = delete;
  DirectInput& operator=(const DirectInput&) = delete;

  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override;
  HRESULT CreateDevice(REFGUID rguid, IDirectInputDevice8A** lplpDirectInputDevice, LPUNKNOWN pUnkOuter) override;

  // One input, for every device of the object.
  void deliver(const RawInput& input);

  const WindowHost& host() const { return *host_; }
  // Devices tell their object when they come and go.
  void attach(InputDevice* device);
  void detach(InputDevice* device);

private:
  ~DirectInput() override;

  ULONG refs_ = 1;
  DWORD sequence_ = 0;
  std::unique_ptr<WindowHost> host_;
  std::vector<InputDevice*> devices_;
};

} // namespace dinput8
