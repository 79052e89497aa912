// Foreign X11 windows: the window a screensaver daemon or a preview host gives us by its
// id. We keep our own connection to the display for them, next to SDL's, so that watching
// a host (its size, its disappearance, exposures of the child we put into it) never
// disturbs the events SDL selects on its own connection. X11 types stay in the .cpp.
#pragma once

#include <vector>

namespace win32::x11 {

using WindowId = unsigned long;

// Opens our connection when SDL runs on its X11 driver; false otherwise.
bool available();
// The root window of the default screen (0 without a connection).
WindowId rootWindow();
// Whether `window` exists on the display (an X error on a stale id is caught, not fatal).
bool windowExists(WindowId window);
bool windowSize(WindowId window, int& width, int& height);
// Screen position of a window's origin.
bool windowOrigin(WindowId window, int& x, int& y);

// Creates a mapped child of `host` with the host's visual and a black background, and
// starts watching the host's structure and the child's exposures. 0 on failure.
WindowId createChild(WindowId host, int x, int y, int width, int height);
void destroyChild(WindowId child);
void moveResizeChild(WindowId child, int x, int y, int width, int height);
// Whether a child of ours still exists and can be seen: mapped with every ancestor (a
// daemon's preview pane on a hidden tab is not) and not fully covered by other windows.
// Asks the server, so the answer is as fresh as a round trip.
bool childViewable(WindowId child);
// Whether a child of ours still exists on the server (its host may have just taken it along).
bool childExists(WindowId child);

struct Event {
  enum class Kind { Exposed, HostResized, HostGone } kind;
  WindowId window; // the child for Exposed, the host otherwise
  int width = 0;
  int height = 0;
};
// Drains the events that arrived on our connection, without blocking.
void pollEvents(std::vector<Event>& out);

// Resets the X server's idle timer, as real input would.
void resetIdleTimer();

// Closes our connection (tests; the process exit closes it otherwise).
void shutdown();

} // namespace win32::x11
