#include "engine/gui/GuiRouting.h"

#include "engine/gui/GuiWindow.h"

namespace engine {
namespace {

bool reachable(const GuiWindow& window) { return window.shown() && window.enabled(); }

bool holds(const GuiWindow& window, float x, float y) {
  GuiRect clip;
  return window.clipRect(clip) && clip.contains(x, y);
}

} // namespace

GuiWindow* routeButton(const GuiWindowList& windows, const InputEvent& event) {
  for (const auto& window : windows) {
    if (!reachable(*window) || !holds(*window, event.pointer.x, event.pointer.y)) continue;
    window->deliver(event, PointerNotice::None);
    return window.get();
  }
  return nullptr;
}

void routeMove(const GuiWindowList& windows, const InputEvent& event) {
  bool entered = false;
  bool leftOrMoved = false;
  for (const auto& window : windows) {
    if (entered && leftOrMoved) break;
    if (!reachable(*window)) continue;
    const bool before = holds(*window, event.previous.x, event.previous.y);
    const bool now = holds(*window, event.pointer.x, event.pointer.y);
    if (before && now && !leftOrMoved) {
      window->deliver(event, PointerNotice::Move);
      leftOrMoved = true;
    } else if (before && !now && !leftOrMoved) {
      window->deliver(event, PointerNotice::Leave);
      leftOrMoved = true;
    } else if (!before && now && !entered) {
      window->deliver(event, PointerNotice::Enter);
      entered = true;
    }
  }
}

} // namespace engine
