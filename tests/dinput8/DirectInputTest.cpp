// The DirectInput devices fed with input by hand: buffered data and its order, the state,
// overflow, notification, focus and acquisition, and the checks at the calls.
#include <gtest/gtest.h>

#include <vector>

#include "platform/dinput8/DirectInput.h"
#include "platform/win32/synchapi.h"

namespace {

using dinput8::RawInput;
using Kind = dinput8::RawInput::Kind;

const HWND kWindow = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x4000));
constexpr std::uint32_t kWindowId = 7;

struct Desk {
  HWND focus = kWindow;
};

class DeskHost : public dinput8::WindowHost {
public:
  explicit DeskHost(const Desk& desk) : desk_(desk) {}
  bool isWindow(HWND window) const override { return window == kWindow; }
  bool hasFocus(HWND window) const override { return window && desk_.focus == window; }
  std::uint32_t windowId(HWND window) const override { return window == kWindow ? kWindowId : 0; }

private:
  const Desk& desk_;
};

RawInput key(Kind kind, BYTE dik, DWORD time = 0) {
  RawInput input;
  input.kind = kind;
  input.key = dik;
  input.time = time;
  return input;
}

RawInput motion(LONG dx, LONG dy, DWORD time = 0) {
  RawInput input;
  input.kind = Kind::Motion;
  input.dx = dx;
  input.dy = dy;
  input.time = time;
  return input;
}

RawInput button(Kind kind, int index, DWORD time = 0) {
  RawInput input;
  input.kind = kind;
  input.button = index;
  input.time = time;
  return input;
}

RawInput focus(Kind kind) {
  RawInput input;
  input.kind = kind;
  input.window = kWindowId;
  return input;
}

class DirectInputTest : public ::testing::Test {
protected:
  void TearDown() override {
    for (IDirectInputDevice8A* device : devices_)
      device->Release();
    directInput_->Release();
    for (HANDLE event : events_)
      CloseHandle(event);
  }

  IDirectInputDevice8A* create(REFGUID kind) {
    IDirectInputDevice8A* device = nullptr;
    EXPECT_EQ(directInput_->CreateDevice(kind, &device, nullptr), DI_OK);
    if (device) devices_.push_back(device);
    return device;
  }

  // A device set up the way the program sets up its keyboard and mouse: foreground, shared,
  // buffered, with an auto-reset event, acquired.
  IDirectInputDevice8A* standard(REFGUID kind, const DIDATAFORMAT& format, DWORD bufferSize, HANDLE* event = nullptr) {
    IDirectInputDevice8A* device = create(kind);
    EXPECT_EQ(device->SetDataFormat(&format), DI_OK);
    EXPECT_EQ(device->SetCooperativeLevel(kWindow, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
    EXPECT_EQ(setBufferSize(device, bufferSize), DI_OK);
    HANDLE notify = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    events_.push_back(notify);
    EXPECT_EQ(device->SetEventNotification(notify), DI_OK);
    EXPECT_EQ(device->Acquire(), DI_OK);
    if (event) *event = notify;
    return device;
  }

  static HRESULT setBufferSize(IDirectInputDevice8A* device, DWORD items) {
    DIPROPDWORD property{};
    property.diph.dwSize = sizeof(DIPROPDWORD);
    property.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    property.diph.dwHow = DIPH_DEVICE;
    property.dwData = items;
    return device->SetProperty(DIPROP_BUFFERSIZE, &property.diph);
  }

  static std::vector<DIDEVICEOBJECTDATA> read(IDirectInputDevice8A* device, HRESULT expected = DI_OK, DWORD room = 64) {
    std::vector<DIDEVICEOBJECTDATA> items(room);
    DWORD count = room;
    EXPECT_EQ(device->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), items.data(), &count, 0), expected);
    items.resize(count);
    return items;
  }

  void deliver(const RawInput& input) { static_cast<dinput8::DirectInput*>(directInput_)->deliver(input); }

  Desk desk_;
  IDirectInput8A* directInput_ = new dinput8::DirectInput(std::make_unique<DeskHost>(desk_));
  std::vector<IDirectInputDevice8A*> devices_;
  std::vector<HANDLE> events_;
};

TEST_F(DirectInputTest, BufferedItemsComeInOrderWithTimeStampsAndSharedSequenceNumbers) {
  IDirectInputDevice8A* keyboard = standard(GUID_SysKeyboard, c_dfDIKeyboard, 64);
  IDirectInputDevice8A* mouse = standard(GUID_SysMouse, c_dfDIMouse, 64);
  deliver(key(Kind::KeyDown, DIK_W, 100));
  deliver(motion(3, -2, 110));
  deliver(button(Kind::ButtonDown, 0, 120));
  deliver(key(Kind::KeyUp, DIK_W, 130));
  deliver(button(Kind::ButtonUp, 0, 140));

  const auto keys = read(keyboard);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].dwOfs, DIK_W);
  EXPECT_EQ(keys[0].dwData, 0x80u);
  EXPECT_EQ(keys[0].dwTimeStamp, 100u);
  EXPECT_EQ(keys[1].dwOfs, DIK_W);
  EXPECT_EQ(keys[1].dwData, 0u);
  EXPECT_EQ(keys[1].dwTimeStamp, 130u);

  const auto mice = read(mouse);
  ASSERT_EQ(mice.size(), 4u);
  EXPECT_EQ(mice[0].dwOfs, DIMOFS_X);
  EXPECT_EQ(static_cast<LONG>(mice[0].dwData), 3);
  EXPECT_EQ(mice[1].dwOfs, DIMOFS_Y);
  EXPECT_EQ(static_cast<LONG>(mice[1].dwData), -2);
  // One movement: both axes' items happened together.
  EXPECT_EQ(mice[0].dwSequence, mice[1].dwSequence);
  EXPECT_EQ(mice[2].dwOfs, DIMOFS_BUTTON0);
  EXPECT_EQ(mice[2].dwData, 0x80u);
  EXPECT_EQ(mice[3].dwOfs, DIMOFS_BUTTON0);
  EXPECT_EQ(mice[3].dwData, 0u);
  // Sequence numbers order the items of both devices against each other.
  EXPECT_LT(keys[0].dwSequence, mice[0].dwSequence);
  EXPECT_LT(mice[2].dwSequence, keys[1].dwSequence);
  EXPECT_LT(keys[1].dwSequence, mice[3].dwSequence);
  EXPECT_TRUE(read(keyboard).empty());
}

TEST_F(DirectInputTest, AFullBufferDropsItsOldestItemsAndTheNextReadSaysSo) {
  IDirectInputDevice8A* keyboard = standard(GUID_SysKeyboard, c_dfDIKeyboard, 3);
  for (BYTE dik : {DIK_1, DIK_2, DIK_3, DIK_4, DIK_5})
    deliver(key(Kind::KeyDown, dik));
  DWORD peeked = 64;
  EXPECT_EQ(keyboard->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), nullptr, &peeked, DIGDD_PEEK), DI_BUFFEROVERFLOW);
  EXPECT_EQ(peeked, 3u);
  const auto items = read(keyboard, DI_BUFFEROVERFLOW, 2);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].dwOfs, DIK_3);
  EXPECT_EQ(items[1].dwOfs, DIK_4);
  const auto rest = read(keyboard, DI_OK);
  ASSERT_EQ(rest.size(), 1u);
  EXPECT_EQ(rest[0].dwOfs, DIK_5);
}

TEST_F(DirectInputTest, TheStateFollowsTheInputAndHeldKeysDoNotRepeat) {
  IDirectInputDevice8A* keyboard = standard(GUID_SysKeyboard, c_dfDIKeyboard, 64);
  IDirectInputDevice8A* mouse = standard(GUID_SysMouse, c_dfDIMouse2, 64);
  deliver(key(Kind::KeyDown, DIK_LSHIFT));
  deliver(key(Kind::KeyDown, DIK_LSHIFT));
  deliver(button(Kind::ButtonDown, 1));
  deliver(button(Kind::ButtonDown, 4));
  deliver(button(Kind::ButtonDown, 9)); // no such button in the block: nothing
  BYTE keys[256];
  ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DI_OK);
  EXPECT_EQ(keys[DIK_LSHIFT], 0x80);
  EXPECT_EQ(keys[DIK_RSHIFT], 0);
  EXPECT_EQ(read(keyboard).size(), 1u);

  DIMOUSESTATE2 state{};
  ASSERT_EQ(mouse->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.rgbButtons[0], 0);
  EXPECT_EQ(state.rgbButtons[1], 0x80);
  EXPECT_EQ(state.rgbButtons[4], 0x80);
  EXPECT_EQ(read(mouse).size(), 2u);
  // The state's size is the format's.
  DIMOUSESTATE small{};
  EXPECT_EQ(mouse->GetDeviceState(sizeof small, &small), DIERR_INVALIDPARAM);
}

TEST_F(DirectInputTest, RelativeAxesReportMovementSinceTheLastReadAndAbsoluteOnesAPosition) {
  IDirectInputDevice8A* relative = standard(GUID_SysMouse, c_dfDIMouse, 64);
  DIDATAFORMAT absoluteFormat = c_dfDIMouse;
  absoluteFormat.dwFlags = DIDF_ABSAXIS;
  IDirectInputDevice8A* absolute = standard(GUID_SysMouse, absoluteFormat, 64);
  deliver(motion(5, 1));
  deliver(motion(-2, 4));
  RawInput wheel;
  wheel.kind = Kind::Wheel;
  wheel.dz = -120;
  deliver(wheel);

  DIMOUSESTATE state{};
  ASSERT_EQ(relative->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.lX, 3);
  EXPECT_EQ(state.lY, 5);
  EXPECT_EQ(state.lZ, -120);
  ASSERT_EQ(relative->GetDeviceState(sizeof state, &state), DI_OK);
  EXPECT_EQ(state.lX, 0);
  EXPECT_EQ(state.lY, 0);

  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(absolute->GetDeviceState(sizeof state, &state), DI_OK);
    EXPECT_EQ(state.lX, 3);
    EXPECT_EQ(state.lY, 5);
  }
  const auto items = read(absolute);
  ASSERT_EQ(items.size(), 5u);
  EXPECT_EQ(static_cast<LONG>(items[2].dwData), 3); // X after the second movement: a position
  EXPECT_EQ(items[4].dwOfs, DIMOFS_Z);
  EXPECT_EQ(static_cast<LONG>(read(relative)[2].dwData), -2); // the same item as a movement
}

TEST_F(DirectInputTest, NewDataSignalsTheEventWhichAZeroTimeOutWaitSeesOnce) {
  HANDLE keyboardEvent = nullptr;
  HANDLE mouseEvent = nullptr;
  standard(GUID_SysKeyboard, c_dfDIKeyboard, 64, &keyboardEvent);
  standard(GUID_SysMouse, c_dfDIMouse, 64, &mouseEvent);
  HANDLE both[] = {keyboardEvent, mouseEvent};
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_TIMEOUT);
  deliver(button(Kind::ButtonDown, 0));
  deliver(key(Kind::KeyDown, DIK_A));
  // Both wait: the keyboard is reported first, the mouse on the next wait.
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_TIMEOUT);
}

TEST_F(DirectInputTest, AForegroundDeviceLosesItsInputWithTheFocusAndGetsItBackByAcquiring) {
  IDirectInputDevice8A* keyboard = standard(GUID_SysKeyboard, c_dfDIKeyboard, 64);
  deliver(key(Kind::KeyDown, DIK_A));
  deliver(focus(Kind::FocusLost));
  desk_.focus = nullptr;
  deliver(key(Kind::KeyDown, DIK_B)); // another program's
  BYTE keys[256];
  EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DIERR_INPUTLOST);
  read(keyboard, DIERR_INPUTLOST);
  EXPECT_EQ(keyboard->Acquire(), DIERR_OTHERAPPHASPRIO);

  deliver(focus(Kind::FocusGained));
  desk_.focus = kWindow;
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  // Nothing from before or during the absence: keys held then count as up.
  EXPECT_TRUE(read(keyboard).empty());
  ASSERT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DI_OK);
  EXPECT_EQ(keys[DIK_A], 0);
  EXPECT_EQ(keyboard->Acquire(), DI_NOEFFECT);

  EXPECT_EQ(keyboard->Unacquire(), DI_OK);
  EXPECT_EQ(keyboard->GetDeviceState(sizeof keys, keys), DIERR_NOTACQUIRED);
  EXPECT_EQ(keyboard->Unacquire(), DI_NOEFFECT);
}

TEST_F(DirectInputTest, ABackgroundDeviceSeesInputWithoutTheFocus) {
  IDirectInputDevice8A* keyboard = create(GUID_SysKeyboard);
  ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
  ASSERT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
  ASSERT_EQ(setBufferSize(keyboard, 8), DI_OK);
  desk_.focus = nullptr;
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  deliver(focus(Kind::FocusLost));
  deliver(key(Kind::KeyDown, DIK_SPACE));
  EXPECT_EQ(read(keyboard).size(), 1u);
}

TEST_F(DirectInputTest, CallsOutOfOrderOrWithWrongArgumentsAreRefused) {
  IDirectInputDevice8A* keyboard = create(GUID_SysKeyboard);
  IDirectInputDevice8A* mouse = create(GUID_SysMouse);
  EXPECT_EQ(keyboard->Acquire(), DIERR_INVALIDPARAM); // no data format yet
  EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIMouse), DIERR_INVALIDPARAM);
  EXPECT_EQ(mouse->SetDataFormat(&c_dfDIKeyboard), DIERR_INVALIDPARAM);
  DIDATAFORMAT bothModes = c_dfDIMouse;
  bothModes.dwFlags = DIDF_ABSAXIS | DIDF_RELAXIS;
  EXPECT_EQ(mouse->SetDataFormat(&bothModes), DIERR_INVALIDPARAM);
  DIDATAFORMAT outside = c_dfDIMouse;
  outside.dwDataSize = sizeof(DIMOUSESTATE);
  outside.dwNumObjs = 11; // buttons 4-7 lie beyond a DIMOUSESTATE
  EXPECT_EQ(mouse->SetDataFormat(&outside), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->SetDataFormat(nullptr), E_POINTER);

  EXPECT_EQ(keyboard->SetCooperativeLevel(kWindow, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DIERR_UNSUPPORTED);
  EXPECT_EQ(keyboard->SetCooperativeLevel(kWindow, DISCL_NONEXCLUSIVE), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->SetCooperativeLevel(kWindow, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND),
            DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), E_HANDLE);

  DIPROPDWORD property{};
  property.diph.dwSize = sizeof(DIPROPHEADER); // the header alone: too small for the value
  property.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  property.dwData = 8;
  EXPECT_EQ(keyboard->SetProperty(DIPROP_BUFFERSIZE, &property.diph), DIERR_INVALIDPARAM);
  property.diph.dwSize = sizeof(DIPROPDWORD);
  EXPECT_EQ(keyboard->SetProperty(DIPROP_AXISMODE, &property.diph), DIERR_UNSUPPORTED);

  ASSERT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
  ASSERT_EQ(keyboard->SetCooperativeLevel(kWindow, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
  ASSERT_EQ(keyboard->Acquire(), DI_OK);
  read(keyboard, DIERR_NOTBUFFERED);
  EXPECT_EQ(setBufferSize(keyboard, 8), DIERR_ACQUIRED);
  EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
  EXPECT_EQ(keyboard->SetEventNotification(nullptr), DIERR_ACQUIRED);
  DIDEVICEOBJECTDATA item{};
  DWORD count = 1;
  EXPECT_EQ(keyboard->GetDeviceData(16, &item, &count, 0), DIERR_INVALIDPARAM);
  EXPECT_EQ(keyboard->GetDeviceData(sizeof item, &item, nullptr, 0), E_POINTER);

  IDirectInputDevice8A* none = reinterpret_cast<IDirectInputDevice8A*>(1);
  const GUID joystick{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  EXPECT_EQ(directInput_->CreateDevice(joystick, &none, nullptr), DIERR_DEVICENOTREG);
  EXPECT_EQ(none, nullptr);
}

TEST(DirectInput8Create, ChecksTheVersionTheInterfaceAndTheInstance) {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(static_cast<UINT_PTR>(0x1000));
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(DirectInput8Create(instance, 0x0700, IID_IDirectInput8A, &out, nullptr), DIERR_OLDDIRECTINPUTVERSION);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(DirectInput8Create(instance, 0x0900, IID_IDirectInput8A, &out, nullptr), DIERR_BETADIRECTINPUTVERSION);
  EXPECT_EQ(DirectInput8Create(instance, DIRECTINPUT_VERSION, GUID_SysMouse, &out, nullptr), DIERR_NOINTERFACE);
  EXPECT_EQ(DirectInput8Create(nullptr, DIRECTINPUT_VERSION, IID_IDirectInput8A, &out, nullptr), DIERR_INVALIDPARAM);
  ASSERT_EQ(DirectInput8Create(instance, DIRECTINPUT_VERSION, IID_IDirectInput8A, &out, nullptr), DI_OK);
  ASSERT_NE(out, nullptr);
  auto* directInput = static_cast<IDirectInput8A*>(out);
  IDirectInputDevice8A* keyboard = nullptr;
  ASSERT_EQ(directInput->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
  // The device keeps its object alive.
  EXPECT_EQ(directInput->Release(), 1u);
  EXPECT_EQ(keyboard->Release(), 0u);
}

} // namespace
