// The screensaver switches on the command-line text, as the system passes them.
#pragma once

#include <cstdint>
#include <string_view>

#include "shell/RunMode.h"

namespace saver {

// Skips the program name (a quoted name as a whole), finds the first '/' or '-' and reads
// the switch letter after it; for A, C and P a decimal number from two characters past the
// switch character on is the window `parent` (0 when there is none).
RunMode parseCommandLine(std::string_view text, std::uintptr_t& parent);

} // namespace saver
