// Resources linked into the executable, found by (type, id) as FindResourceA finds them.
// The executable registers its tables at start-up (the media archive, bitmaps, dialogs);
// tests register their own.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform/win32/windows.h"

struct HRSRC__;
using HRSRC = HRSRC__*;
using HGLOBAL = void*;

// Integer resource ids travel in the name pointer, as MAKEINTRESOURCE does.
inline LPCSTR MAKEINTRESOURCEA(WORD id) { return reinterpret_cast<LPCSTR>(static_cast<UINT_PTR>(id)); }
inline bool IS_INTRESOURCE(LPCSTR name) { return (reinterpret_cast<UINT_PTR>(name) >> 16) == 0; }

#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_DIALOG MAKEINTRESOURCEA(5)

HMODULE GetModuleHandleA(LPCSTR moduleName);
// `type` is a string (compared ignoring case) or an integer type; `name` an integer id.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
DWORD SizeofResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL loaded);

namespace win32 {

// Adds (or replaces) a resource of the process. The bytes are not copied: they must live
// as long as the process (linked-in data) or until `unregisterResource`.
void registerResource(std::string_view type, WORD id, const void* data, std::size_t size);
void registerResource(WORD integerType, WORD id, const void* data, std::size_t size);
void unregisterResource(std::string_view type, WORD id);
void unregisterResource(WORD integerType, WORD id);

} // namespace win32
