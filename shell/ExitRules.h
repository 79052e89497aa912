// What ends a screensaver run: every key but the few the system and the saver itself send,
// the window commands that close or switch away, a mouse button, and a mouse movement when
// the settings ask for it and the room has been on screen for more than a second.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/input/InputEvent.h"
#include "platform/win32/winuser.h"

namespace saver {

// F2 and F6 end nothing, nor does F3, the key the saver itself sends to keep the system awake.
bool keyEndsRun(WPARAM virtualKey);

struct SystemCommandAnswer {
  bool endsRun = false;
  LRESULT result = 0;
};
// The answer to a WM_SYSCOMMAND the saver takes itself; nothing for the others, which go on
// to the engine.
std::optional<SystemCommandAnswer> systemCommandAnswer(WPARAM command);

// One event of the input devices: a left or right button press always ends the run; a
// pointer movement only with "ExitOnMM" set, when the pointer really moved, and only after
// the first second of the room on screen (`sinceSceneMs`).
bool inputEndsRun(const engine::InputEvent& event, bool exitOnMouseMove, std::int64_t sinceSceneMs);

} // namespace saver
