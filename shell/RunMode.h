// The five ways the system starts a screensaver, by the switch on its command line.
#pragma once

namespace saver {

enum class RunMode : int {
  Saver = 0,          // S, or any letter not listed: the full screensaver
  Preview = 1,        // P <window>: a fixed picture inside the given window
  Test = 2,           // T: like Saver
  Configure = 3,      // C[:owner], or no switch at all: the settings dialog
  ChangePassword = 4, // A <window>: nothing; the run ends at once
};

} // namespace saver
