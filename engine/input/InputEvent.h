// The input event record every input listener receives, and the listener interface.
#pragma once

#include <cstdint>

namespace engine {

// The kinds keep their numbers: 0 to 5 are the button kinds.
enum class InputEventKind : std::int32_t {
  LeftButtonPressed = 0,
  LeftButtonReleased = 1,
  LeftDoubleClick = 2, // sent right after the release that made it
  RightButtonPressed = 3,
  RightButtonReleased = 4,
  RightDoubleClick = 5,
  PointerMoved = 6,       // in cursor (client-area) coordinates
  DevicePointerMoved = 7, // in the mouse device's axis coordinates
  KeyPressed = 8,         // param: the DIK code
  KeyReleased = 9,        // param: the DIK code
  Character = 10,         // param: the character code
  InputRegained = 11,     // the window got the focus back
};

struct InputPoint {
  float x = 0.0f;
  float y = 0.0f;

  constexpr bool operator==(const InputPoint&) const = default;
};

constexpr InputPoint operator-(InputPoint a, InputPoint b) { return {a.x - b.x, a.y - b.y}; }

// Button events carry the pointer only; keyboard events only their kind and param.
struct InputEvent {
  InputEventKind kind = InputEventKind::PointerMoved;
  InputPoint pointer;
  InputPoint previous;
  InputPoint delta;
  std::int32_t param = 0;

  constexpr bool isButton() const {
    return static_cast<std::int32_t>(kind) >= 0 && static_cast<std::int32_t>(kind) <= 5;
  }
};

class InputListener {
public:
  virtual void onInputEvent(const InputEvent& event) = 0;
  virtual ~InputListener() = default;
};

} // namespace engine
