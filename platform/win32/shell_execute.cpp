#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <string>

#include "platform/win32/shellapi.h"

extern char** environ;

namespace {

HINSTANCE code(UINT_PTR value) { return reinterpret_cast<HINSTANCE>(value); }

} // namespace

HINSTANCE ShellExecuteA(HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT) {
  if (!file || !*file) return code(2);
  if (verb && *verb && std::strcmp(verb, "open") != 0) return code(31);
  // The shell starts the opener in the background and ends at once, so nothing waits for a
  // browser and no child is left to reap; the address travels as an argument, never as
  // shell text.
  const char* argv[] = {
      "/bin/sh", "-c", "command -v xdg-open >/dev/null || exit 127; xdg-open \"$1\" >/dev/null 2>&1 &",
      "sh",      file, nullptr};
  pid_t child = 0;
  if (posix_spawn(&child, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return code(2);
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return code(2);
  return code(33);
}
