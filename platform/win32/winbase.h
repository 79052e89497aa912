// Kernel services the program calls: the last-error code, the command line, thread
// priority and sleeping. Values are the real Windows ones.
#pragma once

#include <string_view>

#include "platform/win32/windows.h"

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_WRITE_FAULT = 29;
constexpr DWORD ERROR_READ_FAULT = 30;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_TLW_WITH_WSCHILD = 1406;
constexpr DWORD ERROR_REGISTRY_CORRUPT = 1015;

DWORD GetLastError();
void SetLastError(DWORD error);

// The text the process was started with. On Linux the entry builds it from argv (the
// program name first, in quotes) after taking out the options of its own.
LPCSTR GetCommandLineA();

void Sleep(DWORD milliseconds);

constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;

// The pseudo handle of the calling thread, as on Windows.
HANDLE GetCurrentThread();
// Only the calling thread can be changed (the pseudo handle). Idle puts the thread in the
// scheduler's idle class, so a preview never takes time from anything else; raising the
// priority again may be refused by the system for an unprivileged process.
BOOL SetThreadPriority(HANDLE thread, int priority);
int GetThreadPriority(HANDLE thread);

// The process's one heap: the C library's allocator.
HANDLE GetProcessHeap();
// Gives the heap's free memory back to the system (what a long-running program does once
// the transient buffers of its start-up are gone). Answers the bytes still free in the heap
// afterwards (0 when none), or 0 with ERROR_INVALID_HANDLE for another handle.
SIZE_T HeapCompact(HANDLE heap, DWORD flags);

namespace win32 {

void setCommandLine(std::string_view text);

} // namespace win32
