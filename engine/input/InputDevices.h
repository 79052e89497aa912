// The keyboard and the mouse through DirectInput, with the window messages that concern
// input: the key and button states, the pointer, and the input events handed to the
// listeners. Each frame the owner polls the devices and dispatches the data of one device
// that has some waiting; readers such as the free camera query the states directly.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/app/Application.h"
#include "engine/app/Stopwatch.h"
#include "engine/core/Result.h"
#include "engine/input/InputEvent.h"
#include "platform/dinput8/dinput.h"

namespace engine {

using DirectInputFactory = std::function<HRESULT(HINSTANCE, DWORD, REFIID, LPVOID*, LPUNKNOWN)>;

class InputDevices : public MessageListener {
public:
  explicit InputDevices(Application& application);
  ~InputDevices() override;
  InputDevices(const InputDevices&) = delete;
  InputDevices& operator=(const InputDevices&) = delete;

  // The devices of the application's window with the given DirectInput cooperative levels.
  // False when the window, DirectInput or any device call fails; what was made stays.
  bool init(bool useSystemCursor, DWORD keyboardFlags, DWORD mouseFlags);
  // Unacquires and releases the devices and DirectInput, and stops seeing window messages.
  void shutdown();

  // Listeners are not owned; each event goes to them in the order they were added.
  void addListener(InputListener* listener);
  void removeListener(InputListener* listener);

  // The states and the pointer, once `intervalMs` have passed since the last poll.
  Result poll(std::int64_t intervalMs);
  // The buffered data of one device whose event is set (the keyboard when both are).
  void dispatchEvents();
  void onWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  // The window's client area changed size: the pointer follows.
  void onClientSizeChanged() override;

  bool isKeyDown(int dik) const;
  bool isLeftButtonDown() const;
  bool isRightButtonDown() const;
  InputPoint pointer() const { return pointer_; }
  bool isActive() const { return active_; }

  // Tests give their own DirectInput.
  void setDirectInputFactory(DirectInputFactory factory) { directInputFactory_ = std::move(factory); }

private:
  struct ClientRect {
    LONG left = 0;
    LONG top = 0;
    LONG width = 0;
    LONG height = 0;
  };
  // Release counter and first release's time stamp, for double clicks.
  struct ClickTracker {
    int releases = 0;
    DWORD firstRelease = 0;
  };

  bool createDevice(REFGUID kind, const DIDATAFORMAT& format, DWORD flags, IDirectInputDevice8A*& device,
                    HANDLE& event);
  void readClientRect();
  bool cursorIsPointer() const { return useSystemCursor_ || application_.windowed(); }
  // The pointer from the cursor, in client coordinates.
  void readCursor();
  // The mouse state, and the pointer from the cursor or the mouse's axes, kept in the client area.
  bool refreshPointer();
  void clampPointer();
  void dispatchKeyboard();
  void dispatchMouse();
  void dispatchButton(int button, const DIDEVICEOBJECTDATA& item);
  void send(const InputEvent& event);

  Application& application_;
  DirectInputFactory directInputFactory_;
  IDirectInput8A* directInput_ = nullptr;
  IDirectInputDevice8A* keyboard_ = nullptr;
  IDirectInputDevice8A* mouse_ = nullptr;
  HANDLE keyboardEvent_ = nullptr;
  HANDLE mouseEvent_ = nullptr;
  HWND window_ = nullptr;
  bool listening_ = false; // entered with the application for its window messages
  bool useSystemCursor_ = false;
  bool active_ = true;

  std::array<BYTE, 256> keyState_{};
  DIMOUSESTATE mouseState_{};
  InputPoint pointer_;
  InputPoint previousAxes_;
  float sensitivity_ = 1.0f;
  ClientRect clientRect_;
  std::array<ClickTracker, 2> clicks_{};
  static constexpr DWORD kDoubleClickTime = 500;

  Stopwatch pollTimer_;
  std::vector<InputListener*> listeners_;
};

} // namespace engine
