// The user's choices, kept in the registry of the current user. Every value is declared
// once, in the settings table: its name, kind, default and range.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/d3d9/d3d9types.h"

namespace saver {

struct Settings {
  Settings(); // every value at its default from the table

  bool useDesktop;       // "UseDesktop": the desktop's display mode instead of Width/Height/Depth
  bool showFps;          // "ShowFps"
  int width;             // "Width"
  int height;            // "Height"
  int depth;             // "Depth": 16 or anything else (32)
  int adapter;           // "Adapter"
  int gamma;             // "Gamma": -100 ... 100
  int volume;            // "Volume": 0 ... 100
  bool music;            // "Music"
  bool sound;            // "Sound"
  bool exitOnMouseMove;  // "ExitOnMM"
  bool showTime;         // "ShowTime"
  bool timeStyle;        // "TimeStyle": false = 12-hour with am/pm, true = 24-hour
  std::string photoPath; // "PhotoPath"
};

struct SettingDescriptor {
  const char* name;
  bool Settings::*flag;  // set for a 0/1 value
  int Settings::*number; // set for a number
  int defaultValue;
  int minimum;
  int maximum;
};

// In the order the values are read and written.
extern const std::array<SettingDescriptor, 13> kSettingsTable;

// The table's entry of a number (its range is what the dialog's controls offer).
const SettingDescriptor& settingOf(int Settings::*number);

constexpr const char* kSettingsKey = "Software\\Brindle Studio\\Tickwood";
constexpr const char* kPhotoPathValue = "PhotoPath";

// Reads every numeric value into `settings` (a missing one keeps what the field holds; a
// value out of its range is brought into it, with a log line). False when the key cannot
// be opened.
bool readSettings(Settings& settings);
// Writes every numeric value as REG_DWORD. False when the key cannot be opened (nothing is
// written) or when any value could not be written.
bool writeSettings(const Settings& settings);
// "PhotoPath" up to 255 characters; a longer one does not fit the 256-byte buffer and the
// path stays as it was.
bool readPhotoPath(std::string& path);
// False when the key cannot be opened or the value not written.
bool writePhotoPath(const std::string& path);

// The 256-entry gamma ramp of a "Gamma" offset: v = gamma * 200 + i * 256, limited to
// 0 ... 65535, the same for red, green and blue.
struct GammaRamp {
  std::array<std::uint16_t, 256> red;
  std::array<std::uint16_t, 256> green;
  std::array<std::uint16_t, 256> blue;
};
GammaRamp makeGammaRamp(int gamma);
// The same ramp as the device takes it.
D3DGAMMARAMP toD3DGammaRamp(const GammaRamp& ramp);

} // namespace saver
