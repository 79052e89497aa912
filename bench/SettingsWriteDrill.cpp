// The writer and the checker of scripts/drills/settings-torn.sh.
//   tickwood_settings_drill write [rounds]  saves every setting as the saver's settings
//       dialog does (the clock room's saveSettings), alternating between two complete sets of values, `rounds` times
//       (for ever without a number), so that the drill can kill it in the middle of a write;
//   tickwood_settings_drill check  reads the settings file back and answers on one line
//       whether it holds set "a", set "b", a "mix" of the two, or values that are neither
//       (exit status 1: a value was lost or the file was damaged).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "clockroom/ClockApplication.h"
#include "platform/win32/desktop.h"
#include "platform/win32/winbase.h"
#include "platform/win32/winreg.h"
#include "shell/Settings.h"

namespace {

// Set "a" has every flag on and every number at its minimum, set "b" the opposite.
DWORD valueOf(const saver::SettingDescriptor& d, bool a) {
  if (d.flag) return a ? 1u : 0u;
  return static_cast<DWORD>(a ? d.minimum : d.maximum);
}

saver::Settings settingsOf(bool a) {
  saver::Settings settings;
  for (const saver::SettingDescriptor& d : saver::kSettingsTable) {
    if (d.flag)
      settings.*d.flag = a;
    else
      settings.*d.number = a ? d.minimum : d.maximum;
  }
  return settings;
}

int write(long rounds) {
  saver::Settings a = settingsOf(true), b = settingsOf(false);
  a.photoPath = "/photos/a.jpg";
  b.photoPath = "/photos/b.jpg";
  saver::ClockApplication application;
  for (long round = 0; rounds < 0 || round < rounds; ++round) {
    application.settings() = round % 2 == 0 ? a : b;
    if (!application.saveSettings()) {
      std::fprintf(stderr, "the settings could not be written\n");
      return 1;
    }
  }
  return 0;
}

int damaged = 0;

int check() {
  win32::setDiagnosticSink([](std::string_view line) {
    ++damaged;
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
  });
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, saver::kSettingsKey, 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    std::printf("unreadable\n");
    return 1;
  }
  int fromA = 0, fromB = 0, neither = 0;
  for (const saver::SettingDescriptor& d : saver::kSettingsTable) {
    DWORD value = 0, size = sizeof value;
    const bool present =
        RegQueryValueExA(key, d.name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS;
    if (present && value == valueOf(d, true))
      ++fromA;
    else if (present && value == valueOf(d, false))
      ++fromB;
    else
      ++neither;
  }
  char path[256] = {};
  DWORD size = sizeof path;
  RegQueryValueExA(key, saver::kPhotoPathValue, nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size);
  if (std::strcmp(path, "/photos/a.jpg") == 0)
    ++fromA;
  else if (std::strcmp(path, "/photos/b.jpg") == 0)
    ++fromB;
  else
    ++neither;
  RegCloseKey(key);
  if (neither > 0 || damaged > 0) {
    std::printf("lost (%d values neither old nor new, %d reports)\n", neither, damaged);
    return 1;
  }
  std::printf("%s\n", fromB == 0 ? "a" : fromA == 0 ? "b" : "mix");
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "write") return write(argc > 2 ? std::atol(argv[2]) : -1);
  if (mode == "check") return check();
  std::fprintf(stderr, "usage: %s write [rounds] | check\n", argc > 0 ? argv[0] : "tickwood_settings_drill");
  return 2;
}
