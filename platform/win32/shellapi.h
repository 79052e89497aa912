// Opening a document or web address with the desktop's program for it.
#pragma once

#include "platform/win32/windows.h"

// With the verb "open" (or none), hands `file` (a path or an address) to the desktop's
// opener (xdg-open) without waiting for it. Answers a value above 32 when the opener was
// started, as on Windows; 2 (file not found) when there is none, 31 for another verb.
HINSTANCE ShellExecuteA(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT show);
