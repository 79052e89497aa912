// The process entry of the screensaver, given the way to make its application object.
#pragma once

#include <functional>
#include <memory>

#include "shell/SaverApplication.h"

namespace saver {

using ApplicationFactory = std::function<std::unique_ptr<SaverApplication>()>;

// Takes the launcher's options out of the arguments, parses the Windows switches from what
// remains, and runs start-up, the frame loop and shut-down. Answers the exit code.
int runSaverProcess(int argc, const char* const* argv, const ApplicationFactory& makeApplication);

} // namespace saver
