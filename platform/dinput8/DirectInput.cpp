#include "platform/dinput8/DirectInput.h"

#include <algorithm>

#include "platform/dinput8/InputDevice.h"

namespace dinput8 {

DirectInput::DirectInput(std::unique_ptr<WindowHost> host) : host_(std::move(host)) {}

DirectInput::~DirectInput() = default;

ULONG DirectInput::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT DirectInput::CreateDevice(REFGUID rguid, IDirectInputDevice8A** lplpDirectInputDevice, LPUNKNOWN pUnkOuter) {
  if (!lplpDirectInputDevice) return E_POINTER;
  *lplpDirectInputDevice = nullptr;
  if (pUnkOuter) return CLASS_E_NOAGGREGATION;
  DeviceKind kind{};
  if (IsEqualGUID(rguid, GUID_SysKeyboard))
    kind = DeviceKind::Keyboard;
  else if (IsEqualGUID(rguid, GUID_SysMouse))
    kind = DeviceKind::Mouse;
  else
    return DIERR_DEVICENOTREG;
  *lplpDirectInputDevice = new InputDevice(*this, kind);
  return DI_OK;
}

void DirectInput::deliver(const RawInput& input) {
  ++sequence_;
  for (InputDevice* device : devices_)
    device->receive(input, sequence_);
}

void DirectInput::attach(InputDevice* device) {
  devices_.push_back(device);
  AddRef();
}

void DirectInput::detach(InputDevice* device) {
  std::erase(devices_, device);
  Release();
}

} // namespace dinput8
