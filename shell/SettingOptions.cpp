#include "shell/SettingOptions.h"

#include <cstdint>

namespace saver {
namespace {

bool parseWhole(const std::string& text, int minimum, int maximum, int& out) {
  if (text.empty() || text.size() > 11) return false;
  std::size_t at = text[0] == '-' ? 1 : 0;
  if (at == text.size()) return false;
  std::int64_t value = 0;
  for (; at < text.size(); ++at) {
    if (text[at] < '0' || text[at] > '9') return false;
    value = value * 10 + (text[at] - '0');
  }
  if (text[0] == '-') value = -value;
  if (value < minimum || value > maximum) return false;
  out = static_cast<int>(value);
  return true;
}

std::string rangeText(const SettingDescriptor& d) {
  if (d.offWord) return std::string(d.offWord) + "|" + d.onWord;
  return std::to_string(d.minimum) + "..." + std::to_string(d.maximum);
}

SettingOptionMatch takeNumberOrWord(const SettingDescriptor& d, const std::function<bool(std::string&)>& takeValue,
                                    SettingOverrides& overrides, std::string& error) {
  std::string text;
  int value = 0;
  const bool given = takeValue(text);
  if (given && d.offWord && (text == d.offWord || text == d.onWord)) value = text == d.onWord ? 1 : 0;
  if (!given || (d.offWord ? text != d.offWord && text != d.onWord : !parseWhole(text, d.minimum, d.maximum, value))) {
    error = std::string("--") + d.option + " needs " + rangeText(d) + ", not \"" + text + "\"";
    return SettingOptionMatch::Invalid;
  }
  overrides.values.emplace_back(&d, value);
  return SettingOptionMatch::Taken;
}

} // namespace

void SettingOverrides::applyTo(Settings& settings) const {
  for (const auto& [d, value] : values) {
    if (d->flag) settings.*d->flag = value != 0;
    if (d->number) settings.*d->number = value;
  }
  if (photoPath) settings.photoPath = *photoPath;
}

SettingOptionMatch parseSettingOption(const std::string& name, const std::function<bool(std::string&)>& takeValue,
                                      SettingOverrides& overrides, std::string& error) {
  if (name == kPhotoPathOption) {
    std::string path;
    if (!takeValue(path)) {
      error = std::string("--") + kPhotoPathOption + " needs the name of a picture file";
      return SettingOptionMatch::Invalid;
    }
    overrides.photoPath = path; // empty: the room's own picture
    return SettingOptionMatch::Taken;
  }
  const bool negated = name.rfind("no-", 0) == 0;
  const std::string bare = negated ? name.substr(3) : name;
  for (const SettingDescriptor& d : kSettingsTable) {
    if (!d.option || bare != d.option) continue;
    if (d.offWord || d.number) {
      if (negated) return SettingOptionMatch::NotASetting;
      return takeNumberOrWord(d, takeValue, overrides, error);
    }
    overrides.values.emplace_back(&d, negated ? 0 : 1);
    return SettingOptionMatch::Taken;
  }
  return SettingOptionMatch::NotASetting;
}

std::string settingOptionsUsage() {
  std::string text;
  auto line = [&](std::string left, const std::string& right) {
    left = "  " + left;
    if (left.size() < 24)
      left.resize(24, ' ');
    else
      left += " ";
    text += left + right + "\n";
  };
  for (const SettingDescriptor& d : kSettingsTable) {
    if (!d.option) continue;
    const std::string option = std::string("--") + d.option;
    const std::string value = std::string("\"") + d.name + "\"";
    if (d.offWord)
      line(option + " " + rangeText(d), value);
    else if (d.number)
      line(option + " <" + rangeText(d) + ">", value);
    else
      line(option + ", --no-" + d.option, value + " on or off");
  }
  line(std::string("--") + kPhotoPathOption + " <file>",
       std::string("\"") + kPhotoPathValue + "\" (empty: the room's own)");
  return text;
}

} // namespace saver
