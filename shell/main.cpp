// The tickwood executable: the screensaver with the clock room as its application.
#include <memory>

#include "clockroom/ClockApplication.h"
#include "shell/LinkedResources.h"
#include "shell/ProcessEntry.h"

int main(int argc, char** argv) {
  saver::registerLinkedResources();
  return saver::runSaverProcess(argc, argv, [] { return std::make_unique<saver::ClockApplication>(); });
}
