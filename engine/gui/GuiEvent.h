// The input events the GUI routes: one record per event of the input devices, with the
// pointer where it is now and where it was before.
#pragma once

namespace engine {

enum class InputKind : int {
  LeftPressed = 0,
  LeftReleased = 1,
  LeftDoubleClick = 2,
  RightPressed = 3,
  RightReleased = 4,
  RightDoubleClick = 5,
  PointerMoved = 6, // in cursor coordinates
  AxesMoved = 7,    // in device axis coordinates
  KeyPressed = 8,   // param: the DIK code
  KeyReleased = 9,  // param: the DIK code
  Character = 10,   // param: the character code
  InputRegained = 11,
};

struct InputEvent {
  InputKind kind = InputKind::PointerMoved;
  float x = 0.0f;
  float y = 0.0f;
  float previousX = 0.0f;
  float previousY = 0.0f;
  float dx = 0.0f;
  float dy = 0.0f;
  int param = 0;
};

// Kinds 0 to 5: the presses, releases and double clicks of the two buttons.
inline bool isButtonEvent(InputKind kind) {
  return static_cast<int>(kind) >= 0 && static_cast<int>(kind) <= static_cast<int>(InputKind::RightDoubleClick);
}

} // namespace engine
