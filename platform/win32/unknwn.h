// The base of every COM-style interface the stand-ins hand out: reference counting with
// AddRef/Release, without QueryInterface (nothing the program does asks for another
// interface of an object it holds).
#pragma once

#include "platform/win32/windows.h"

struct IUnknown {
  virtual ULONG AddRef() = 0;
  // Releases one reference; the object is destroyed when none is left. Answers the count left.
  virtual ULONG Release() = 0;

protected:
  virtual ~IUnknown() = default;
};

using LPUNKNOWN = IUnknown*;
