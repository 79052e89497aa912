#include "platform/win32/x11_host.h"

#include <map>
#include <set>

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace win32::x11 {
namespace {

using XErrorHandlerFn = int (*)(Display*, XErrorEvent*);

struct Host {
  int width = 0;
  int height = 0;
  std::set<WindowId> children;
  bool gone = false;
};

struct Connection {
  Display* display = nullptr;
  bool tried = false;
  std::map<WindowId, Host> hosts;
  std::map<WindowId, WindowId> hostOfChild;
  // Windows we embedded that are gone; errors about them can still arrive late on SDL's
  // connection.
  std::set<WindowId> retired;
  // Children that other windows cover entirely (their last visibility event said so).
  std::set<WindowId> obscured;
  XErrorHandlerFn previousHandler = nullptr;
  bool handlerInstalled = false;
};

Connection& connection() {
  static Connection c;
  return c;
}

// Errors on our own connection only happen inside a Trap (every request there is followed
// by XSync), so they are counted instead of ending the process.
int g_trappedErrors = 0;

int trapHandler(Display*, XErrorEvent*) {
  ++g_trappedErrors;
  return 0;
}

// SDL (and later the OpenGL back end) keeps talking to a child whose host a daemon has just
// destroyed; Xlib's default reaction to the resulting BadWindow is to exit. Errors about the
// windows we embed are expected and dropped; every other error goes to whoever handled it
// before us.
int embeddingHandler(Display* display, XErrorEvent* error) {
  Connection& c = connection();
  const WindowId id = error->resourceid;
  if (c.hosts.count(id) || c.hostOfChild.count(id) || c.retired.count(id)) return 0;
  return c.previousHandler ? c.previousHandler(display, error) : 0;
}

class Trap {
public:
  explicit Trap(Display* display) : display_(display) {
    XSync(display_, False);
    g_trappedErrors = 0;
    previous_ = XSetErrorHandler(trapHandler);
  }
  ~Trap() { XSetErrorHandler(previous_); }
  Trap(const Trap&) = delete;
  Trap& operator=(const Trap&) = delete;
  // Waits for the server's answer to everything sent so far.
  bool ok() {
    XSync(display_, False);
    return g_trappedErrors == 0;
  }

private:
  Display* display_;
  XErrorHandlerFn previous_;
};

Display* display() {
  Connection& c = connection();
  if (c.display || c.tried) return c.display;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || SDL_strcmp(driver, "x11") != 0) return nullptr;
  c.tried = true;
  c.display = XOpenDisplay(nullptr);
  return c.display;
}

void installEmbeddingHandler() {
  Connection& c = connection();
  if (c.handlerInstalled) return;
  c.previousHandler = XSetErrorHandler(embeddingHandler);
  c.handlerInstalled = true;
}

} // namespace

bool available() { return display() != nullptr; }

WindowId rootWindow() {
  Display* d = display();
  return d ? DefaultRootWindow(d) : 0;
}

bool windowExists(WindowId window) {
  int width = 0;
  int height = 0;
  return windowSize(window, width, height);
}

bool windowSize(WindowId window, int& width, int& height) {
  Display* d = display();
  if (!d || window == 0) return false;
  XWindowAttributes attributes{};
  Trap trap(d);
  const Status status = XGetWindowAttributes(d, window, &attributes);
  if (!trap.ok() || status == 0) return false;
  width = attributes.width;
  height = attributes.height;
  return true;
}

bool windowOrigin(WindowId window, int& x, int& y) {
  Display* d = display();
  if (!d || window == 0) return false;
  Window child = 0;
  Trap trap(d);
  const Bool same = XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &x, &y, &child);
  return trap.ok() && same;
}

WindowId createChild(WindowId host, int x, int y, int width, int height) {
  Display* d = display();
  if (!d || host == 0 || width <= 0 || height <= 0) return 0;
  Connection& c = connection();
  // Before any Trap: a handler installed inside one would be undone when the trap ends.
  installEmbeddingHandler();
  int hostWidth = 0;
  int hostHeight = 0;
  if (!windowSize(host, hostWidth, hostHeight)) return 0;

  XSetWindowAttributes attributes{};
  attributes.background_pixel = 0;
  attributes.border_pixel = 0;
  attributes.event_mask = ExposureMask | StructureNotifyMask | VisibilityChangeMask;
  // A child of the root is a top-level window: keep the window manager's frame off it.
  attributes.override_redirect = host == DefaultRootWindow(d) ? True : False;
  const unsigned long mask = CWBackPixel | CWBorderPixel | CWEventMask | CWOverrideRedirect;

  Trap trap(d);
  const Window child = XCreateWindow(d, host, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                                     CopyFromParent, InputOutput, CopyFromParent, mask, &attributes);
  XSelectInput(d, host, StructureNotifyMask);
  XMapWindow(d, child);
  if (!trap.ok() || child == 0) {
    if (child) XDestroyWindow(d, child);
    XSync(d, False);
    return 0;
  }
  Host& record = c.hosts[host];
  record.width = hostWidth;
  record.height = hostHeight;
  record.children.insert(child);
  c.hostOfChild[child] = host;
  return child;
}

void destroyChild(WindowId child) {
  Display* d = display();
  Connection& c = connection();
  auto it = c.hostOfChild.find(child);
  if (!d || it == c.hostOfChild.end()) return;
  const WindowId host = it->second;
  {
    Trap trap(d);
    XDestroyWindow(d, child);
    trap.ok();
  }
  c.hostOfChild.erase(it);
  c.obscured.erase(child);
  c.retired.insert(child);
  auto hostIt = c.hosts.find(host);
  if (hostIt != c.hosts.end()) {
    hostIt->second.children.erase(child);
    if (hostIt->second.children.empty()) {
      if (!hostIt->second.gone) {
        Trap trap(d);
        XSelectInput(d, host, NoEventMask);
        trap.ok();
      }
      c.hosts.erase(hostIt);
    }
  }
}

void moveResizeChild(WindowId child, int x, int y, int width, int height) {
  Display* d = display();
  if (!d || width <= 0 || height <= 0 || !connection().hostOfChild.count(child)) return;
  Trap trap(d);
  XMoveResizeWindow(d, child, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
  trap.ok();
}

namespace {

int childMapState(WindowId child) {
  Display* d = display();
  if (!d || !connection().hostOfChild.count(child)) return -1;
  XWindowAttributes attributes{};
  Trap trap(d);
  const Status status = XGetWindowAttributes(d, child, &attributes);
  if (!trap.ok() || status == 0) return -1;
  return attributes.map_state;
}

} // namespace

bool childViewable(WindowId child) { return childMapState(child) == IsViewable && !connection().obscured.count(child); }

bool childExists(WindowId child) { return childMapState(child) >= 0; }

void pollEvents(std::vector<Event>& out) {
  Display* d = connection().display;
  if (!d) return;
  Connection& c = connection();
  auto reportGone = [&](WindowId host) {
    auto it = c.hosts.find(host);
    if (it == c.hosts.end() || it->second.gone) return;
    it->second.gone = true;
    c.retired.insert(host);
    out.push_back({Event::Kind::HostGone, host});
  };
  while (XPending(d) > 0) {
    XEvent event{};
    XNextEvent(d, &event);
    switch (event.type) {
    case Expose:
      if (event.xexpose.count == 0 && c.hostOfChild.count(event.xexpose.window))
        out.push_back({Event::Kind::Exposed, event.xexpose.window});
      break;
    case VisibilityNotify:
      if (!c.hostOfChild.count(event.xvisibility.window)) break;
      if (event.xvisibility.state == VisibilityFullyObscured)
        c.obscured.insert(event.xvisibility.window);
      else
        c.obscured.erase(event.xvisibility.window);
      break;
    case ConfigureNotify: {
      auto it = c.hosts.find(event.xconfigure.window);
      if (it == c.hosts.end() || it->second.gone) break;
      if (it->second.width != event.xconfigure.width || it->second.height != event.xconfigure.height) {
        it->second.width = event.xconfigure.width;
        it->second.height = event.xconfigure.height;
        out.push_back({Event::Kind::HostResized, it->first, it->second.width, it->second.height});
      }
      break;
    }
    case DestroyNotify: {
      const WindowId gone = event.xdestroywindow.window;
      if (c.hosts.count(gone)) {
        reportGone(gone);
      } else {
        // Our child went without us destroying it: its host took it along.
        auto it = c.hostOfChild.find(gone);
        if (it != c.hostOfChild.end()) reportGone(it->second);
      }
      break;
    }
    default:
      break;
    }
  }
}

void resetIdleTimer() {
  Display* d = display();
  if (!d) return;
  XResetScreenSaver(d);
  XFlush(d);
}

void shutdown() {
  Connection& c = connection();
  if (c.display) XCloseDisplay(c.display);
  if (c.handlerInstalled) {
    // Step back only if nobody replaced our handler in the meantime.
    const XErrorHandlerFn current = XSetErrorHandler(c.previousHandler);
    if (current != embeddingHandler) XSetErrorHandler(current);
  }
  c = Connection{};
}

} // namespace win32::x11
