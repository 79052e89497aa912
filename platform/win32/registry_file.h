// The REGEDIT4 text form of registry keys and values:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Brindle Studio\Tickwood]
//   "Width"=dword:00000320
//   "PhotoPath"="/home/me/photo.jpg"
//   "Blob"=hex:01,02,03
//   "Other"=hex(b):00,00,00,00,00,00,00,00
//
// Strings escape '"' and '\' with a backslash. A string value is written in quotes only when
// that round-trips exactly (one terminating NUL, no other NUL, no line breaks); any other
// value is written as hex with its type, so nothing a program stores is ever changed.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/windows.h"

namespace win32 {

struct RegistryValue {
  std::string name; // empty: the key's default value, written "@"
  DWORD type = 0;
  std::vector<BYTE> data;
};

// Orders names as Windows compares registry names: ignoring the case of ASCII letters.
struct NoCaseNameLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

class RegistryKey {
public:
  explicit RegistryKey(std::string_view path) : path_(path) {}

  const std::string& path() const { return path_; } // e.g. "HKEY_CURRENT_USER\Software\Brindle Studio\Tickwood"
  // In the order they were first set.
  const std::vector<RegistryValue>& values() const { return values_; }

  // Value names ignore case, as Windows compares them.
  RegistryValue* find(std::string_view name);
  void set(RegistryValue value);
  bool erase(std::string_view name);

private:
  std::string path_;
  std::vector<RegistryValue> values_;
  // Name to position in values_, so that a key of many values loads in linear time.
  std::map<std::string, std::size_t, NoCaseNameLess> index_;
};

class RegistryDocument {
public:
  // Key paths ignore case. References stay valid while keys are added.
  RegistryKey* find(std::string_view path);
  RegistryKey& add(std::string_view path);
  const std::deque<RegistryKey>& keys() const { return keys_; }

  // False (with the line number and reason in `error`) for anything that is not a
  // REGEDIT4 file this module could have written or a person could have meant.
  static bool parse(std::string_view text, RegistryDocument& out, std::string& error);
  std::string serialize() const;

private:
  void clear();

  std::deque<RegistryKey> keys_;
  std::map<std::string, std::size_t, NoCaseNameLess> index_; // path to position in keys_
};

} // namespace win32
