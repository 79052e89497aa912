// Kernel event objects: created, set, reset, waited for and closed. The DirectInput devices
// raise them when data is waiting; the program polls them with a zero time-out, but a
// wait with a time-out works as on Windows, from any thread. Named events (shared between
// processes) are not provided.
#pragma once

#include "platform/win32/winuser.h"

constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// A manual-reset event stays signalled until ResetEvent; an auto-reset one is reset by the
// wait it satisfies. `name` must be null. Null on failure.
HANDLE CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
// Only event handles can be closed; anything else fails with ERROR_INVALID_HANDLE.
BOOL CloseHandle(HANDLE object);
// WAIT_OBJECT_0 + the index of the first signalled event (with `waitAll`, WAIT_OBJECT_0
// once all are), WAIT_TIMEOUT, or WAIT_FAILED for a bad handle or count.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);
