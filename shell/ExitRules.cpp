#include "shell/ExitRules.h"

namespace saver {
namespace {

constexpr std::int64_t kMouseGraceMs = 1000;

} // namespace

bool keyEndsRun(WPARAM virtualKey) {
  switch (virtualKey) {
  case VK_F2:
  case VK_F3: // the keep-alive key
  case VK_F6:
    return false;
  default: // Escape, Space and every other key
    return true;
  }
}

std::optional<SystemCommandAnswer> systemCommandAnswer(WPARAM command) {
  switch (command & 0xFFF0) {
  case SC_CLOSE:
  case SC_NEXTWINDOW:
  case SC_PREVWINDOW:
    return SystemCommandAnswer{true, 1};
  case SC_SCREENSAVE:
    return SystemCommandAnswer{false, 0}; // a second saver is not started
  default:
    return std::nullopt;
  }
}

bool inputEndsRun(const engine::InputEvent& event, bool exitOnMouseMove, std::int64_t sinceSceneMs) {
  using Kind = engine::InputEventKind;
  if (event.kind == Kind::LeftButtonPressed || event.kind == Kind::RightButtonPressed) return true;
  if (event.kind != Kind::PointerMoved) return false;
  // Any movement at all, but never during the first second after the scene appeared.
  const bool moved = event.pointer != event.previous;
  return moved && exitOnMouseMove && sinceSceneMs > kMouseGraceMs;
}

} // namespace saver
