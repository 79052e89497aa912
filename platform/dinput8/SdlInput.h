// The devices' input from SDL: the SDL events the window stand-in pumps, in DirectInput's
// terms. DirectInput8Create connects its object to that stream.
#pragma once

#include "platform/dinput8/RawInput.h"

union SDL_Event;

namespace dinput8 {

// The input an SDL event carries; false for an event that carries none (key repeats, keys
// without a DirectInput code, movements of nothing, everything that is not input).
bool rawInputFromSdl(const SDL_Event& event, RawInput& out);

} // namespace dinput8
