// What the win32 stand-in offers beyond the Win32 calls: the process-level wiring the
// entry sets up (signals, diagnostics, embedding policy) and hooks for tests.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/win32/windows.h"
#include "platform/win32/wingdi.h"

namespace win32 {

// From now on SIGTERM and SIGINT arrive as WM_CLOSE to every window of ours (top-level
// windows and children of foreign hosts): a screensaver daemon stops its saver with SIGTERM
// and expects a prompt, clean exit. A signal that comes while there is no window waits for
// the first one; a second signal before the first was delivered takes its default course.
void closeWindowsOnTerminationSignals();
// A termination signal has come and not yet been delivered (for loops without windows).
bool terminationPending();

// Where the stand-in reports what it cannot do (a damaged registry file, a host window
// that vanished); the program routes it to its log. Null drops the lines.
using DiagnosticSink = void (*)(std::string_view line);
void setDiagnosticSink(DiagnosticSink sink);
void reportDiagnostic(std::string_view line);

// Whether SPI_SCREENSAVERRUNNING holds off the desktop's own blanking and the synthesized
// keys reset the desktop's idle timer. On by default; a saver running inside a daemon's
// window turns it off, since the daemon owns blanking and power saving.
void setDesktopBlankingControl(bool enabled);
bool desktopBlankingControl();
// True while the desktop's screen blanking is held off by us.
bool desktopBlankingInhibited();

// The handle of a foreign X11 window given by its id (on Windows the command line carries
// the handle itself; here it carries the X11 id). Answers whether such a window exists on
// the display SDL uses.
HWND foreignWindow(std::uint64_t x11Id);
bool isForeignWindow(HWND window);
// The root window of the display, or null without an X11 display.
HWND rootWindow();

// The client area of a window as 0x00RRGGBB pixels, row by row from the top, as the last
// painting left it.
bool readClientPixels(HWND window, int& width, int& height, std::vector<std::uint32_t>& pixels);
// A bitmap's pixels (from LoadBitmapA) in the same form; false for a handle that is no bitmap.
bool readBitmapPixels(HGDIOBJ bitmap, int& width, int& height, std::vector<std::uint32_t>& pixels);

// Destroys every window and clears the queue, the timers, the classes and the quit state.
void resetWindowSystem();

// Windows another stand-in keeps apart from SDL's (the dialogs and their controls): IsWindow,
// GetParent, GetClientRect, GetWindowRect and SetWindowPos ask it about handles they do not
// know themselves.
class WindowProvider {
public:
  virtual bool owns(HWND window) = 0;
  virtual HWND parentOf(HWND window) = 0;
  virtual bool clientRect(HWND window, RECT& rect) = 0;
  virtual bool windowRect(HWND window, RECT& rect) = 0; // screen pixels
  virtual bool setWindowPos(HWND window, int x, int y, int width, int height, UINT flags) = 0;

protected:
  ~WindowProvider() = default;
};
void setWindowProvider(WindowProvider* provider);
WindowProvider* windowProvider();

} // namespace win32
