// Process entry of the screensaver. The run modes are not wired up yet: this build only
// brings up the engine's core services and reports what it is.
#include <cstdio>
#include <cstring>

#include "engine/core/Log.h"

int main(int argc, char** argv) {
  engine::configureLogFromEnvironment();
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::puts("usage: tickwood [/s | /p <id> | /c | /a]\n"
              "This build has the engine core only; the screensaver run modes come next.");
    return 0;
  }
  engine::logLine("Log started \n");
  std::puts("tickwood: engine core built; the screensaver run modes are not implemented yet.");
  engine::logLine("Log closed\n");
  return 0;
}
