// Command-line options that set a stored setting for one run only ("--volume 40",
// "--no-music", "--photo FILE"): a screensaver daemon's configuration drives the saver
// through them. They come from the settings table, so a value gets its option where it is
// declared, and they are never written back to the store.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "shell/Settings.h"

namespace saver {

struct SettingOverrides {
  std::vector<std::pair<const SettingDescriptor*, int>> values; // in the order given
  std::optional<std::string> photoPath;

  bool empty() const { return values.empty() && !photoPath; }
  // The later of two options for the same value wins, as on any command line.
  void applyTo(Settings& settings) const;
};

enum class SettingOptionMatch { NotASetting, Taken, Invalid };

// `name` is the option without its two dashes ("volume", "no-music"); `takeValue` fetches
// its value (false when there is none). Invalid leaves a message for the user in `error`.
SettingOptionMatch parseSettingOption(const std::string& name, const std::function<bool(std::string&)>& takeValue,
                                      SettingOverrides& overrides, std::string& error);

// The usage lines of these options.
std::string settingOptionsUsage();

} // namespace saver
