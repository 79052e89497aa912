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

struct RegistryKey {
  std::string path; // e.g. "HKEY_CURRENT_USER\Software\Brindle Studio\Tickwood"
  std::vector<RegistryValue> values;

  // Value names ignore case, as Windows compares them.
  RegistryValue* find(std::string_view name);
  void set(RegistryValue value);
  bool erase(std::string_view name);
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
  std::deque<RegistryKey> keys_;
};

} // namespace win32
