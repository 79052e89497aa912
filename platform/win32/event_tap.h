// For the other stand-ins that read the same input as the window messages (the DirectInput
// devices): every SDL event the message pump takes is shown to them too, right after it has
// become window messages, so that both see the same input in the same order.
#pragma once

union SDL_Event;

namespace win32 {

using EventTap = void (*)(const SDL_Event& event, void* context);
// A tap stays until removed (resetting the window system keeps it).
void addEventTap(EventTap tap, void* context);
void removeEventTap(EventTap tap, void* context);

} // namespace win32
