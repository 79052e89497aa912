// GUIDs: the 16-byte identifiers of COM interfaces, device kinds and adapters.
#pragma once

#include "platform/win32/windows.h"

struct GUID {
  DWORD Data1;
  WORD Data2;
  WORD Data3;
  BYTE Data4[8];

  constexpr bool operator==(const GUID& other) const {
    if (Data1 != other.Data1 || Data2 != other.Data2 || Data3 != other.Data3) return false;
    for (int i = 0; i < 8; ++i)
      if (Data4[i] != other.Data4[i]) return false;
    return true;
  }
};

using IID = GUID;
using REFGUID = const GUID&;
using REFIID = const IID&;

constexpr bool IsEqualGUID(REFGUID a, REFGUID b) { return a == b; }
