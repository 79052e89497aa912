// How an input event finds its windows among siblings (the GUI's top-level windows, or the
// children of a window): a button goes to the first window under the pointer; a pointer
// movement brings enter, leave and move notices.
#pragma once

#include <memory>
#include <vector>

#include "engine/input/InputEvent.h"

namespace engine {

class GuiWindow;
using GuiWindowList = std::vector<std::unique_ptr<GuiWindow>>;

// The first shown, enabled window, in list order, whose clip rectangle holds the pointer
// gets the event; answers it, or null when none does.
GuiWindow* routeButton(const GuiWindowList& windows, const InputEvent& event);
// Each window is tested with the previous and the current pointer: one that held only the
// previous one hears a leave, only the current one an enter, both a move. The walk ends once
// an enter and a leave or move have been delivered.
void routeMove(const GuiWindowList& windows, const InputEvent& event);

} // namespace engine
