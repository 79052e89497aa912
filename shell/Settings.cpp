#include "shell/Settings.h"

#include <algorithm>
#include <cstring>

#include "engine/core/Log.h"
#include "platform/win32/winbase.h"
#include "platform/win32/winreg.h"

namespace saver {

const std::array<SettingDescriptor, 13> kSettingsTable = {{
    {"UseDesktop", &Settings::useDesktop, nullptr, 1, 0, 1},
    {"ShowFps", &Settings::showFps, nullptr, 0, 0, 1},
    {"Width", nullptr, &Settings::width, 800, INT32_MIN, INT32_MAX},
    {"Height", nullptr, &Settings::height, 600, INT32_MIN, INT32_MAX},
    {"Depth", nullptr, &Settings::depth, 32, INT32_MIN, INT32_MAX},
    {"Adapter", nullptr, &Settings::adapter, 0, INT32_MIN, INT32_MAX},
    {"Gamma", nullptr, &Settings::gamma, 0, -100, 100},
    {"Volume", nullptr, &Settings::volume, 80, 0, 100},
    {"Music", &Settings::music, nullptr, 1, 0, 1},
    {"Sound", &Settings::sound, nullptr, 1, 0, 1},
    {"ExitOnMM", &Settings::exitOnMouseMove, nullptr, 0, 0, 1},
    {"ShowTime", &Settings::showTime, nullptr, 1, 0, 1},
    {"TimeStyle", &Settings::timeStyle, nullptr, 0, 0, 1},
}};

const SettingDescriptor& settingOf(int Settings::*number) {
  const auto found = std::find_if(kSettingsTable.begin(), kSettingsTable.end(),
                                  [&](const SettingDescriptor& d) { return d.number == number; });
  // Every number field has its entry; a field without one is a programming error caught by
  // the tests.
  return found != kSettingsTable.end() ? *found : kSettingsTable.front();
}

Settings::Settings() {
  for (const SettingDescriptor& d : kSettingsTable) {
    if (d.flag) this->*d.flag = d.defaultValue != 0;
    if (d.number) this->*d.number = d.defaultValue;
  }
}

namespace {

class OpenKey {
public:
  explicit OpenKey(REGSAM access) {
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, access, nullptr, &key_, nullptr) !=
        ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~OpenKey() {
    if (key_) RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY get() const { return key_; }

private:
  HKEY key_ = nullptr;
};

} // namespace

bool readSettings(Settings& settings) {
  OpenKey key(KEY_READ);
  if (!key.get()) return false;
  for (const SettingDescriptor& d : kSettingsTable) {
    // Any type is accepted as long as it fits in 4 bytes; a shorter value fills the low
    // bytes of a zeroed word.
    BYTE bytes[4] = {0, 0, 0, 0};
    DWORD size = sizeof bytes;
    if (RegQueryValueExA(key.get(), d.name, nullptr, nullptr, bytes, &size) != ERROR_SUCCESS) continue;
    std::uint32_t raw = 0;
    std::memcpy(&raw, bytes, sizeof raw);
    if (d.flag) {
      settings.*d.flag = raw != 0;
      continue;
    }
    const auto value = static_cast<std::int32_t>(raw);
    const int limited = std::clamp(value, d.minimum, d.maximum);
    if (limited != value)
      engine::logLine(std::string("Setting \"") + d.name + "\" " + std::to_string(value) + " is out of range " +
                      std::to_string(d.minimum) + ".." + std::to_string(d.maximum) + "; " + std::to_string(limited) +
                      " is used\n");
    settings.*d.number = limited;
  }
  return true;
}

bool writeSettings(const Settings& settings) {
  OpenKey key(KEY_WRITE);
  if (!key.get()) return false;
  // Every value is tried even after one failed, so as much as can be kept is kept; the
  // caller still hears of the failure.
  bool written = true;
  for (const SettingDescriptor& d : kSettingsTable) {
    const DWORD value = d.flag ? (settings.*d.flag ? 1u : 0u) : static_cast<DWORD>(settings.*d.number);
    written = RegSetValueExA(key.get(), d.name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
                  ERROR_SUCCESS &&
              written;
  }
  return written;
}

bool readPhotoPath(std::string& path) {
  OpenKey key(KEY_READ);
  if (!key.get()) return false;
  char buffer[256] = {};
  DWORD size = sizeof buffer;
  if (RegQueryValueExA(key.get(), kPhotoPathValue, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) ==
      ERROR_SUCCESS) {
    // The bytes returned are the text; it ends at the first NUL if there is one. A value
    // stored without its NUL still ends inside the buffer.
    path.assign(buffer, strnlen(buffer, size));
  }
  return true;
}

bool writePhotoPath(const std::string& path) {
  OpenKey key(KEY_WRITE);
  if (!key.get()) return false;
  // With its terminating NUL, as a REG_SZ value is meant to be stored.
  return RegSetValueExA(key.get(), kPhotoPathValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                        static_cast<DWORD>(path.size() + 1)) == ERROR_SUCCESS;
}

D3DGAMMARAMP toD3DGammaRamp(const GammaRamp& ramp) {
  D3DGAMMARAMP out{};
  std::copy(ramp.red.begin(), ramp.red.end(), out.red);
  std::copy(ramp.green.begin(), ramp.green.end(), out.green);
  std::copy(ramp.blue.begin(), ramp.blue.end(), out.blue);
  return out;
}

GammaRamp makeGammaRamp(int gamma) {
  GammaRamp ramp{};
  for (int i = 0; i < 256; ++i) {
    const long v = std::clamp(static_cast<long>(gamma) * 200 + static_cast<long>(i) * 256, 0L, 65535L);
    ramp.red[static_cast<std::size_t>(i)] = ramp.green[static_cast<std::size_t>(i)] =
        ramp.blue[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(v);
  }
  return ramp;
}

} // namespace saver
