// The registry of the current user, kept in a REGEDIT4 text file at
// $XDG_CONFIG_HOME/tickwood/registry.reg (~/.config/... when unset). Every change is
// written at once, atomically; a damaged file reads as empty and is kept aside under a
// new name, never overwritten; a file that exists but cannot be read is never replaced.
#pragma once

#include <string>

#include "platform/win32/windows.h"

struct HKEY__;
using HKEY = HKEY__*;
using REGSAM = DWORD;
using PHKEY = HKEY*;

inline const HKEY HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000000u)));
inline const HKEY HKEY_CURRENT_USER = reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000001u)));
inline const HKEY HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000002u)));

constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM access,
                     const void* security, PHKEY result, DWORD* disposition);
LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize);
LONG RegDeleteValueA(HKEY key, LPCSTR valueName);
LONG RegFlushKey(HKEY key);
LONG RegCloseKey(HKEY key);

namespace win32 {

// Where the registry lives for this process (empty when neither XDG_CONFIG_HOME nor HOME
// gives a place). Read from the environment at every key opening.
std::string registryFilePath();

// Values written together. While a batch is open, setting or deleting values and creating
// keys change only the registry in memory; commit (or the end of the outermost batch)
// writes them to the file in one atomic write, so a process killed while saving leaves
// the old values or the new ones, never some of each. commit answers that write's result
// (ERROR_SUCCESS when nothing changed); a batch inside another one leaves the write to it.
class RegistryBatch {
public:
  RegistryBatch();
  ~RegistryBatch();
  RegistryBatch(const RegistryBatch&) = delete;
  RegistryBatch& operator=(const RegistryBatch&) = delete;
  LONG commit();

private:
  bool open_ = true;
};

} // namespace win32
