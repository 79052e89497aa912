// The input devices fed with synthetic device data: events and their fields, their order,
// double clicks, the pointer, the window messages, lost input and the client-size rule.
#include "tests/input/InputFixture.h"

#include "engine/input/ScanCodes.h"
#include "platform/win32/synchapi.h"

namespace {

using namespace inputtest;

TEST_F(InputTest, KeysAreSentWithTheirCodesAndKeptInTheKeyState) {
  start(false, true);
  key(Raw::KeyDown, DIK_W);
  key(Raw::KeyDown, DIK_LSHIFT);
  frame();
  ASSERT_EQ(recorder_.kinds(), (std::vector<Kind>{Kind::KeyPressed, Kind::KeyPressed}));
  EXPECT_EQ(recorder_.events[0].param, DIK_W);
  EXPECT_EQ(recorder_.events[1].param, DIK_LSHIFT);
  EXPECT_TRUE(devices_->isKeyDown(DIK_W));
  EXPECT_TRUE(devices_->isKeyDown(DIK_LSHIFT));
  EXPECT_FALSE(devices_->isKeyDown(DIK_S));
  EXPECT_FALSE(devices_->isKeyDown(300));
  EXPECT_FALSE(devices_->isKeyDown(-1));

  key(Raw::KeyUp, DIK_W);
  frame();
  ASSERT_EQ(recorder_.events.size(), 3u);
  EXPECT_EQ(recorder_.events[2].kind, Kind::KeyReleased);
  EXPECT_EQ(recorder_.events[2].param, DIK_W);
  EXPECT_FALSE(devices_->isKeyDown(DIK_W));
  EXPECT_TRUE(devices_->isKeyDown(DIK_LSHIFT));
}

TEST_F(InputTest, WithKeyboardAndMouseDataWaitingAFrameTakesTheKeyboardAndTheNextTheMouse) {
  start(false, true);
  click(Raw::ButtonDown, 0, 10);
  key(Raw::KeyDown, DIK_A, 20);
  frame();
  EXPECT_EQ(recorder_.kinds(), (std::vector<Kind>{Kind::KeyPressed}));
  frame();
  EXPECT_EQ(recorder_.kinds(), (std::vector<Kind>{Kind::KeyPressed, Kind::LeftButtonPressed}));
  frame();
  EXPECT_EQ(recorder_.events.size(), 2u);
}

TEST_F(InputTest, TwoReleasesLessThan500MsApartMakeADoubleClick) {
  start(false, true);
  // 499 ms between the releases: a double click right after the second release.
  click(Raw::ButtonDown, 0, 1000);
  click(Raw::ButtonUp, 0, 1010);
  click(Raw::ButtonDown, 0, 1400);
  click(Raw::ButtonUp, 0, 1509);
  frame();
  EXPECT_EQ(recorder_.kinds(),
            (std::vector<Kind>{Kind::LeftButtonPressed, Kind::LeftButtonReleased, Kind::LeftButtonPressed,
                               Kind::LeftButtonReleased, Kind::LeftDoubleClick}));

  // 500 ms: no double click; the second release starts a new pair, which a third release
  // 499 ms later completes.
  recorder_.events.clear();
  for (DWORD release : {5000u, 5500u, 5999u}) {
    click(Raw::ButtonDown, 1, release - 50);
    click(Raw::ButtonUp, 1, release);
  }
  frame();
  EXPECT_EQ(recorder_.kinds(),
            (std::vector<Kind>{Kind::RightButtonPressed, Kind::RightButtonReleased, Kind::RightButtonPressed,
                               Kind::RightButtonReleased, Kind::RightButtonPressed, Kind::RightButtonReleased,
                               Kind::RightDoubleClick}));
  for (const auto& event : recorder_.events)
    EXPECT_TRUE(event.isButton());

  // Time stamps that wrap around still measure the time between.
  recorder_.events.clear();
  for (DWORD release : {0xFFFFFF00u, 0x00000010u}) {
    click(Raw::ButtonDown, 0, release - 1);
    click(Raw::ButtonUp, 0, release);
  }
  frame();
  EXPECT_EQ(recorder_.events.back().kind, Kind::LeftDoubleClick);
}

TEST_F(InputTest, ABatchOfAxisItemsIsOnePointerMovementAndThePointerStaysInTheClientArea) {
  start(true, false);
  move(5, 3);
  move(2, 0);
  move(0, -1);
  devices_->dispatchEvents();
  ASSERT_EQ(recorder_.kinds(), (std::vector<Kind>{Kind::PointerMoved}));
  const engine::InputEvent& moved = recorder_.events[0];
  EXPECT_EQ(moved.pointer, (engine::InputPoint{7, 2}));
  EXPECT_EQ(moved.previous, (engine::InputPoint{0, 0}));
  EXPECT_EQ(moved.delta, (engine::InputPoint{7, 2}));
  EXPECT_EQ(devices_->pointer(), (engine::InputPoint{7, 2}));

  move(-5000, 9000);
  frame();
  EXPECT_EQ(devices_->pointer(), (engine::InputPoint{0, 599}));
  move(900, -700);
  frame();
  EXPECT_EQ(devices_->pointer(), (engine::InputPoint{799, 0}));
  // Button events carry the pointer.
  click(Raw::ButtonDown, 1, 0);
  frame();
  EXPECT_EQ(recorder_.events.back().kind, Kind::RightButtonPressed);
  EXPECT_EQ(recorder_.events.back().pointer, (engine::InputPoint{799, 0}));
  EXPECT_TRUE(devices_->isRightButtonDown());
  EXPECT_FALSE(devices_->isLeftButtonDown());
}

TEST_F(InputTest, WithTheSystemCursorAMovementIsSentInDeviceAxisCoordinates) {
  start(true, true);
  move(30, 40);
  move(-10, 0);
  frame();
  ASSERT_EQ(recorder_.kinds(), (std::vector<Kind>{Kind::DevicePointerMoved}));
  EXPECT_EQ(recorder_.events[0].pointer, (engine::InputPoint{20, 40}));
}

class MouseMoveMessages : public InputTest, public ::testing::WithParamInterface<bool> {};

TEST_P(MouseMoveMessages, AreAlwaysPointerMovementsInClientCoordinates) {
  start(true, GetParam());
  message(WM_MOUSEMOVE, 0, MAKELPARAM(120, 45));
  message(WM_MOUSEMOVE, 0, MAKELPARAM(100, 50));
  ASSERT_EQ(recorder_.kinds(), (std::vector<Kind>{Kind::PointerMoved, Kind::PointerMoved}));
  EXPECT_EQ(recorder_.events[1].pointer, (engine::InputPoint{100, 50}));
  EXPECT_EQ(recorder_.events[1].previous, (engine::InputPoint{120, 45}));
  EXPECT_EQ(recorder_.events[1].delta, (engine::InputPoint{-20, 5}));
  EXPECT_EQ(devices_->pointer(), (engine::InputPoint{100, 50}));
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutTheSystemCursor, MouseMoveMessages, ::testing::Bool());

TEST_F(InputTest, CharactersAndRegainedInputCarryThePointerAndNoMovement) {
  start(false, true);
  message(WM_MOUSEMOVE, 0, MAKELPARAM(10, 20));
  recorder_.events.clear();
  message(WM_CHAR, 'x');
  message(WM_KILLFOCUS);
  EXPECT_FALSE(devices_->isActive());
  message(WM_SETFOCUS);
  EXPECT_TRUE(devices_->isActive());
  ASSERT_EQ(recorder_.kinds(), (std::vector<Kind>{Kind::Character, Kind::InputRegained}));
  for (const auto& event : recorder_.events) {
    EXPECT_EQ(event.pointer, (engine::InputPoint{10, 20}));
    EXPECT_EQ(event.previous, (engine::InputPoint{}));
    EXPECT_EQ(event.delta, (engine::InputPoint{}));
  }
  EXPECT_EQ(recorder_.events[0].param, 'x');
}

TEST_F(InputTest, LosingTheFocusStopsInputAndRegainingItBringsItBack) {
  start(false, true);
  message(WM_KILLFOCUS);
  key(Raw::KeyDown, DIK_Q);
  EXPECT_FALSE(devices_->poll(0)); // the devices were let go
  frame();
  EXPECT_TRUE(recorder_.events.empty());
  message(WM_SETFOCUS);
  key(Raw::KeyDown, DIK_Q);
  frame();
  EXPECT_EQ(recorder_.kinds(), (std::vector<Kind>{Kind::InputRegained, Kind::KeyPressed}));
}

TEST_F(InputTest, LostInputIsAcquiredAgainOnceWhileTheWindowHasTheFocus) {
  start(false, true);
  // The devices lost their input, but the window has the focus again: one re-acquire mends it.
  deliver(Raw::FocusLost);
  EXPECT_TRUE(devices_->poll(0));
  key(Raw::KeyDown, DIK_E);
  frame();
  EXPECT_EQ(recorder_.kinds(), (std::vector<Kind>{Kind::KeyPressed}));

  // Another window took the focus: the retry fails and so does the poll.
  HWND other = makeWindow(10, 10);
  ASSERT_EQ(GetFocus(), other);
  deliver(Raw::FocusLost);
  EXPECT_FALSE(devices_->poll(0));
  key(Raw::KeyDown, DIK_R);
  frame();
  EXPECT_EQ(recorder_.events.size(), 1u);
}

TEST_F(InputTest, ThePointerScalesByWholeMultiplesOfTheClientSize) {
  start(false, true, 800, 600);
  message(WM_MOUSEMOVE, 0, MAKELPARAM(100, 50));
  // 800 -> 1024: the factor is 1.
  SetWindowPos(app_->window(), nullptr, 0, 0, 1024, 768, SWP_NOMOVE | SWP_NOZORDER);
  app_->handlePossibleResize();
  EXPECT_EQ(devices_->pointer(), (engine::InputPoint{100, 50}));
  SetWindowPos(app_->window(), nullptr, 0, 0, 2048, 1536, SWP_NOMOVE | SWP_NOZORDER);
  app_->handlePossibleResize();
  EXPECT_EQ(devices_->pointer(), (engine::InputPoint{200, 100}));
}

TEST_F(InputTest, ShutdownLetsTheDevicesGoAndStopsTheWindowMessages) {
  start(false, true);
  devices_->shutdown();
  message(WM_CHAR, 'a');
  EXPECT_TRUE(recorder_.events.empty());
  EXPECT_FALSE(devices_->poll(0));
  devices_->dispatchEvents();
  // A second start works from scratch.
  ASSERT_TRUE(devices_->init(true, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND));
  key(Raw::KeyDown, DIK_1);
  frame();
  EXPECT_EQ(recorder_.kinds(), (std::vector<Kind>{Kind::KeyPressed}));
}

TEST_F(InputTest, InitFailsWithoutDirectInputOrAWindow) {
  app_->setDirect3DFactory([] { return d3d9::createRecordingDirect3D(); });
  engine::InputDevices noWindow(*app_);
  EXPECT_FALSE(noWindow.init(true, 6, 6));
  ASSERT_TRUE(app_->Create(nullptr, makeWindow(64, 48)));
  engine::InputDevices missing(*app_);
  missing.setDirectInputFactory([](HINSTANCE, DWORD, REFIID, LPVOID* out, LPUNKNOWN) {
    *out = nullptr;
    return DIERR_DEVICENOTREG;
  });
  EXPECT_FALSE(missing.init(true, 6, 6));
  EXPECT_FALSE(missing.poll(0));
  missing.dispatchEvents();
  EXPECT_FALSE(missing.isKeyDown(DIK_A));
}

TEST(ScanCodes, KeysGiveTheirTextCharacters) {
  EXPECT_EQ(engine::characterOfScanCode(DIK_1), '1');
  EXPECT_EQ(engine::characterOfScanCode(DIK_0), '0');
  EXPECT_EQ(engine::characterOfScanCode(DIK_Q), 'q');
  EXPECT_EQ(engine::characterOfScanCode(DIK_P), 'p');
  EXPECT_EQ(engine::characterOfScanCode(DIK_A), 'a');
  EXPECT_EQ(engine::characterOfScanCode(DIK_L), 'l');
  EXPECT_EQ(engine::characterOfScanCode(DIK_Z), 'z');
  EXPECT_EQ(engine::characterOfScanCode(DIK_M), 'm');
  EXPECT_EQ(engine::characterOfScanCode(DIK_COMMA), ',');
  EXPECT_EQ(engine::characterOfScanCode(DIK_PERIOD), '.');
  EXPECT_EQ(engine::characterOfScanCode(DIK_SLASH), ';');
  EXPECT_EQ(engine::characterOfScanCode(DIK_SPACE), ' ');
  EXPECT_EQ(engine::characterOfScanCode(DIK_RETURN), engine::kReturnCharacter);
  EXPECT_EQ(engine::characterOfScanCode(DIK_BACK), engine::kBackspaceCharacter);
  EXPECT_EQ(engine::characterOfScanCode(DIK_ESCAPE), engine::kEscapeCharacter);
  EXPECT_EQ(engine::characterOfScanCode(DIK_SEMICOLON), engine::kNoCharacter);
  EXPECT_EQ(engine::characterOfScanCode(DIK_F1), engine::kNoCharacter);
  EXPECT_EQ(engine::characterOfScanCode(0), engine::kNoCharacter);
  EXPECT_EQ(engine::characterOfScanCode(256), engine::kNoCharacter);
}

} // namespace
