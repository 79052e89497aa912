// System parameters, diagnostics, the last error, the command line and thread priority.
#include <malloc.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include <SDL.h>

#include "platform/win32/desktop.h"
#include "platform/win32/winbase.h"
#include "platform/win32/window_system.h"

namespace win32::detail {
namespace {

struct SystemState {
  bool screenSaverRunning = false;
  bool blankingControl = true;
  bool blankingInhibited = false;
  DiagnosticSink sink = nullptr;
  WindowProvider* windowProvider = nullptr;
  bool commandLineSet = false;
  std::string commandLine;
};

SystemState& state() {
  static SystemState s;
  return s;
}

thread_local DWORD t_lastError = ERROR_SUCCESS;
thread_local int t_priority = THREAD_PRIORITY_NORMAL;

// The command line the kernel has for us, with the program name quoted as Windows does.
std::string commandLineOfProcess() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string text;
  std::size_t start = 0;
  bool first = true;
  while (start < raw.size()) {
    std::size_t end = raw.find('\0', start);
    if (end == std::string::npos) end = raw.size();
    const std::string argument = raw.substr(start, end - start);
    if (first) {
      text = "\"" + argument + "\"";
      first = false;
    } else {
      text += " " + argument;
    }
    start = end + 1;
  }
  return text;
}

int niceOf(int priority) {
  if (priority <= THREAD_PRIORITY_IDLE) return 19;
  if (priority >= THREAD_PRIORITY_TIME_CRITICAL) return -20;
  return -5 * priority; // LOWEST 10, BELOW_NORMAL 5, NORMAL 0, ABOVE_NORMAL -5, HIGHEST -10
}

} // namespace

void applyDesktopBlanking() {
  SystemState& s = state();
  const bool inhibit = s.screenSaverRunning && s.blankingControl;
  if (!SDL_WasInit(SDL_INIT_VIDEO)) {
    s.blankingInhibited = false;
    return;
  }
  if (inhibit)
    SDL_DisableScreenSaver();
  else
    SDL_EnableScreenSaver();
  s.blankingInhibited = inhibit;
}

} // namespace win32::detail

BOOL SystemParametersInfoA(UINT action, UINT uiParam, LPVOID param, UINT) {
  auto& s = win32::detail::state();
  switch (action) {
  case SPI_SCREENSAVERRUNNING: {
    if (param) *static_cast<BOOL*>(param) = s.screenSaverRunning ? TRUE : FALSE;
    s.screenSaverRunning = uiParam != 0;
    win32::detail::applyDesktopBlanking();
    return TRUE;
  }
  case SPI_GETSCREENSAVERRUNNING:
    if (!param) break;
    *static_cast<BOOL*>(param) = s.screenSaverRunning ? TRUE : FALSE;
    return TRUE;
  default:
    break;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

DWORD GetLastError() { return win32::detail::t_lastError; }
void SetLastError(DWORD error) { win32::detail::t_lastError = error; }

LPCSTR GetCommandLineA() {
  auto& s = win32::detail::state();
  if (!s.commandLineSet) {
    s.commandLine = win32::detail::commandLineOfProcess();
    s.commandLineSet = true;
  }
  return s.commandLine.c_str();
}

void Sleep(DWORD milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

HANDLE GetCurrentThread() { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2)); }

BOOL SetThreadPriority(HANDLE thread, int priority) {
  if (thread != GetCurrentThread()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  sched_param parameters{};
  const int policy = priority <= THREAD_PRIORITY_IDLE ? SCHED_IDLE : SCHED_OTHER;
  if (pthread_setschedparam(pthread_self(), policy, &parameters) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  // On Linux the nice value of the calling thread is set through its thread id.
  if (setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), win32::detail::niceOf(priority)) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  win32::detail::t_priority = priority;
  return TRUE;
}

HANDLE GetProcessHeap() { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-3)); }

SIZE_T HeapCompact(HANDLE heap, DWORD) {
  if (heap != GetProcessHeap()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  malloc_trim(0);
  return static_cast<SIZE_T>(mallinfo2().fordblks);
}

int GetThreadPriority(HANDLE thread) { return thread == GetCurrentThread() ? win32::detail::t_priority : 0x7FFFFFFF; }

namespace win32 {

void setCommandLine(std::string_view text) {
  auto& s = detail::state();
  s.commandLine.assign(text);
  s.commandLineSet = true;
}

void setDiagnosticSink(DiagnosticSink sink) { detail::state().sink = sink; }

void reportDiagnostic(std::string_view line) {
  if (detail::state().sink) detail::state().sink(line);
}

void setDesktopBlankingControl(bool enabled) {
  detail::state().blankingControl = enabled;
  detail::applyDesktopBlanking();
}

bool desktopBlankingControl() { return detail::state().blankingControl; }

bool desktopBlankingInhibited() { return detail::state().blankingInhibited; }

void setWindowProvider(WindowProvider* provider) { detail::state().windowProvider = provider; }

WindowProvider* windowProvider() { return detail::state().windowProvider; }

} // namespace win32
