#include "engine/input/InputDevices.h"

#include <algorithm>
#include <cmath>

#include "platform/win32/resources.h"
#include "platform/win32/synchapi.h"

namespace engine {
namespace {

constexpr DWORD kBufferItems = 64;
constexpr BYTE kDown = 0x80;

// Reads a device's state; a device that lost its input is acquired once and read again.
HRESULT readState(IDirectInputDevice8A* device, DWORD size, void* data) {
  HRESULT result = device->GetDeviceState(size, data);
  if (result != DIERR_INPUTLOST) return result;
  const HRESULT acquired = device->Acquire();
  if (FAILED(acquired)) return acquired;
  return device->GetDeviceState(size, data);
}

// Takes up to kBufferItems buffered items, with the same one retry.
HRESULT readData(IDirectInputDevice8A* device, std::array<DIDEVICEOBJECTDATA, kBufferItems>& items, DWORD& count) {
  count = kBufferItems;
  HRESULT result = device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items.data(), &count, 0);
  if (result != DIERR_INPUTLOST) return result;
  const HRESULT acquired = device->Acquire();
  if (FAILED(acquired)) return acquired;
  count = kBufferItems;
  return device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items.data(), &count, 0);
}

template <typename T> void release(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

void closeEvent(HANDLE& event) {
  if (event) CloseHandle(event);
  event = nullptr;
}

InputEvent pointerEvent(InputEventKind kind, InputPoint pointer, InputPoint previous) {
  return InputEvent{kind, pointer, previous, pointer - previous, 0};
}

} // namespace

InputDevices::InputDevices(Application& application)
    : application_(application), directInputFactory_(DirectInput8Create) {}

InputDevices::~InputDevices() { shutdown(); }

bool InputDevices::createDevice(REFGUID kind, const DIDATAFORMAT& format, DWORD flags, IDirectInputDevice8A*& device,
                                HANDLE& event) {
  if (FAILED(directInput_->CreateDevice(kind, &device, nullptr)) || !device) return false;
  if (FAILED(device->SetDataFormat(&format))) return false;
  // A level the device refuses leaves it with the default one, which still works.
  device->SetCooperativeLevel(window_, flags);
  DIPROPDWORD buffer{};
  buffer.diph.dwSize = sizeof(DIPROPDWORD);
  buffer.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  buffer.diph.dwObj = 0;
  buffer.diph.dwHow = DIPH_DEVICE;
  buffer.dwData = kBufferItems;
  if (FAILED(device->SetProperty(DIPROP_BUFFERSIZE, &buffer.diph))) return false;
  event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!event) return false;
  return SUCCEEDED(device->SetEventNotification(event));
}

bool InputDevices::init(bool useSystemCursor, DWORD keyboardFlags, DWORD mouseFlags) {
  shutdown();
  HWND window = application_.window();
  if (!window || !IsWindow(window)) return false;
  window_ = window;
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  readClientRect();
  useSystemCursor_ = useSystemCursor;
  // Start from where the cursor is, so that the first movement message (the window appearing
  // under a pointer that stays put) is no movement.
  if (cursorIsPointer()) readCursor();

  void* created = nullptr;
  if (!directInputFactory_ ||
      FAILED(
          directInputFactory_(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8A, &created, nullptr)) ||
      !created)
    return false;
  directInput_ = static_cast<IDirectInput8A*>(created);

  if (!createDevice(GUID_SysKeyboard, c_dfDIKeyboard, keyboardFlags, keyboard_, keyboardEvent_)) return false;
  // The mouse reports where its axes are, not how far they moved.
  DIDATAFORMAT mouseFormat = c_dfDIMouse;
  mouseFormat.dwFlags = DIDF_ABSAXIS;
  if (!createDevice(GUID_SysMouse, mouseFormat, mouseFlags, mouse_, mouseEvent_)) return false;
  if (keyboard_->Acquire() != DI_OK || mouse_->Acquire() != DI_OK) return false;

  application_.addMessageListener(this);
  listening_ = true;
  return true;
}

void InputDevices::shutdown() {
  for (IDirectInputDevice8A* device : {keyboard_, mouse_})
    if (device) device->Unacquire();
  release(keyboard_);
  release(mouse_);
  release(directInput_);
  closeEvent(keyboardEvent_);
  closeEvent(mouseEvent_);
  if (listening_) application_.removeMessageListener(this);
  listening_ = false;
}

void InputDevices::addListener(InputListener* listener) {
  if (listener) listeners_.push_back(listener);
}

void InputDevices::removeListener(InputListener* listener) { std::erase(listeners_, listener); }

void InputDevices::send(const InputEvent& event) {
  // By index: a listener may add another while it handles the event.
  for (std::size_t i = 0; i < listeners_.size(); ++i)
    listeners_[i]->onInputEvent(event);
}

void InputDevices::readClientRect() {
  RECT client{};
  GetClientRect(window_, &client);
  clientRect_ = ClientRect{client.left, client.top, client.right - client.left, client.bottom - client.top};
}

void InputDevices::clampPointer() {
  pointer_.x = std::clamp(pointer_.x, 0.0f, static_cast<float>(std::max<LONG>(clientRect_.width - 1, 0)));
  pointer_.y = std::clamp(pointer_.y, 0.0f, static_cast<float>(std::max<LONG>(clientRect_.height - 1, 0)));
}

void InputDevices::readCursor() {
  POINT cursor{};
  GetCursorPos(&cursor);
  ScreenToClient(window_, &cursor);
  pointer_ = InputPoint{static_cast<float>(cursor.x), static_cast<float>(cursor.y)};
}

bool InputDevices::refreshPointer() {
  if (FAILED(readState(mouse_, sizeof mouseState_, &mouseState_))) return false;
  const InputPoint axes{static_cast<float>(mouseState_.lX), static_cast<float>(mouseState_.lY)};
  if (cursorIsPointer()) {
    readCursor();
  } else {
    pointer_.x += std::trunc(axes.x - previousAxes_.x) / sensitivity_;
    pointer_.y += std::trunc(axes.y - previousAxes_.y) / sensitivity_;
  }
  clampPointer();
  previousAxes_ = axes;
  return true;
}

Result InputDevices::poll(std::int64_t intervalMs) {
  if (pollTimer_.elapsedMs() < intervalMs) return Result::success();
  // Without devices (a failed init) there is nothing to read.
  if (!keyboard_ || !mouse_) return Result::failure();
  if (!refreshPointer()) return Result::failure();
  if (FAILED(readState(keyboard_, static_cast<DWORD>(keyState_.size()), keyState_.data()))) return Result::failure();
  pollTimer_.restart();
  return Result::success();
}

void InputDevices::dispatchEvents() {
  if (!keyboardEvent_ || !mouseEvent_) return;
  HANDLE events[] = {keyboardEvent_, mouseEvent_};
  switch (WaitForMultipleObjects(2, events, FALSE, 0)) {
  case WAIT_OBJECT_0:
    dispatchKeyboard();
    break;
  case WAIT_OBJECT_0 + 1:
    dispatchMouse();
    break;
  default:
    break;
  }
}

void InputDevices::dispatchKeyboard() {
  std::array<DIDEVICEOBJECTDATA, kBufferItems> items;
  DWORD count = 0;
  if (FAILED(readData(keyboard_, items, count))) return;
  for (DWORD i = 0; i < count; ++i) {
    const DIDEVICEOBJECTDATA& item = items[i];
    if (item.dwOfs > 255) break;
    const bool down = (item.dwData & kDown) != 0;
    keyState_[item.dwOfs] = down ? kDown : 0;
    InputEvent event;
    event.kind = down ? InputEventKind::KeyPressed : InputEventKind::KeyReleased;
    event.param = static_cast<std::int32_t>(item.dwOfs);
    send(event);
  }
}

void InputDevices::dispatchMouse() {
  std::array<DIDEVICEOBJECTDATA, kBufferItems> items;
  DWORD count = 0;
  if (FAILED(readData(mouse_, items, count))) return;
  const InputPoint remembered = pointer_;
  if (!refreshPointer()) return;
  bool moved = false;
  for (DWORD i = 0; i < count; ++i) {
    const DIDEVICEOBJECTDATA& item = items[i];
    switch (item.dwOfs) {
    case DIMOFS_X:
    case DIMOFS_Y:
      // A batch of axis items is one movement.
      if (moved) break;
      moved = true;
      if (useSystemCursor_)
        send(pointerEvent(InputEventKind::DevicePointerMoved,
                          {static_cast<float>(mouseState_.lX), static_cast<float>(mouseState_.lY)}, remembered));
      else
        send(pointerEvent(InputEventKind::PointerMoved, pointer_, remembered));
      break;
    case DIMOFS_BUTTON0:
      dispatchButton(0, item);
      break;
    case DIMOFS_BUTTON1:
      dispatchButton(1, item);
      break;
    default:
      break;
    }
  }
}

void InputDevices::dispatchButton(int button, const DIDEVICEOBJECTDATA& item) {
  // Left: kinds 0, 1, 2; right: 3, 4, 5.
  const auto kind = [button](int offset) { return static_cast<InputEventKind>(3 * button + offset); };
  InputEvent event;
  event.pointer = pointer_;
  if (item.dwData & kDown) {
    event.kind = kind(0);
    send(event);
    return;
  }
  event.kind = kind(1);
  send(event);
  ClickTracker& clicks = clicks_[static_cast<std::size_t>(button)];
  // The difference of two DWORD time stamps stays right across their wrap.
  if (clicks.releases == 1 && item.dwTimeStamp - clicks.firstRelease < kDoubleClickTime) {
    clicks.releases = 0;
    event.kind = kind(2);
    send(event);
    return;
  }
  clicks.releases = 1;
  clicks.firstRelease = item.dwTimeStamp;
}

void InputDevices::onWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_SETFOCUS:
    for (IDirectInputDevice8A* device : {keyboard_, mouse_})
      if (device) device->Acquire();
    active_ = true;
    send(InputEvent{InputEventKind::InputRegained, pointer_, {}, {}, 0});
    break;
  case WM_KILLFOCUS:
    active_ = false;
    for (IDirectInputDevice8A* device : {keyboard_, mouse_})
      if (device) device->Unacquire();
    break;
  case WM_SETCURSOR:
    SetCursor(cursorIsPointer() ? LoadCursorA(nullptr, IDC_ARROW) : nullptr);
    break;
  case WM_CHAR:
    send(InputEvent{InputEventKind::Character, pointer_, {}, {}, static_cast<std::int32_t>(wParam)});
    break;
  case WM_MOUSEMOVE: {
    const InputPoint old = pointer_;
    // Signed: a captured pointer left of or above the window has negative coordinates.
    pointer_ = InputPoint{static_cast<float>(GET_X_LPARAM(lParam)), static_cast<float>(GET_Y_LPARAM(lParam))};
    send(pointerEvent(InputEventKind::PointerMoved, pointer_, old));
    break;
  }
  default:
    break;
  }
}

void InputDevices::onClientSizeChanged() {
  const ClientRect old = clientRect_;
  readClientRect();
  // Whole multiples only: a window that grows by less than twice its size keeps the pointer.
  if (old.width != 0) pointer_.x *= static_cast<float>(clientRect_.width / old.width);
  if (old.height != 0) pointer_.y *= static_cast<float>(clientRect_.height / old.height);
  if (!cursorIsPointer()) clampPointer();
}

bool InputDevices::isKeyDown(int dik) const {
  if (dik < 0 || dik > 255) return false;
  return (keyState_[static_cast<std::size_t>(dik)] & kDown) != 0;
}

bool InputDevices::isLeftButtonDown() const {
  if (cursorIsPointer()) return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0;
  return (mouseState_.rgbButtons[0] & kDown) != 0;
}

bool InputDevices::isRightButtonDown() const {
  if (cursorIsPointer()) return (GetAsyncKeyState(VK_RBUTTON) & 0x8000) != 0;
  return (mouseState_.rgbButtons[1] & kDown) != 0;
}

} // namespace engine
