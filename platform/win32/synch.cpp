// Event objects. One lock and one condition variable serve all of them: the program has two
// events and waits without blocking, so there is nothing to gain from finer locking.
#include "platform/win32/synchapi.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>

#include "platform/win32/winbase.h"

namespace win32::detail {
namespace {

struct EventObject {
  bool manualReset = false;
  bool signalled = false;
};

struct Events {
  std::mutex lock;
  std::condition_variable changed;
  std::set<const void*> live;
};

Events& events() {
  static Events e;
  return e;
}

// The event behind a handle, or null when the handle is not a live event (the lock is held).
EventObject* eventOf(const Events& e, HANDLE handle) {
  return e.live.count(handle) ? static_cast<EventObject*>(handle) : nullptr;
}

// Runs `action` on the event behind a handle, under the lock; FALSE for a handle that is
// not a live event.
template <typename Action> BOOL withEvent(HANDLE handle, Action action) {
  Events& e = events();
  std::lock_guard guard(e.lock);
  EventObject* event = eventOf(e, handle);
  if (!event) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  action(e, event);
  return TRUE;
}

// Whether the wait is satisfied now; consumes the signals of auto-reset events it takes.
bool takeSignals(EventObject* const* objects, DWORD count, bool waitAll, DWORD& index) {
  if (waitAll) {
    for (DWORD i = 0; i < count; ++i)
      if (!objects[i]->signalled) return false;
    for (DWORD i = 0; i < count; ++i)
      if (!objects[i]->manualReset) objects[i]->signalled = false;
    index = 0;
    return true;
  }
  for (DWORD i = 0; i < count; ++i) {
    if (!objects[i]->signalled) continue;
    if (!objects[i]->manualReset) objects[i]->signalled = false;
    index = i;
    return true;
  }
  return false;
}

} // namespace
} // namespace win32::detail

using win32::detail::EventObject;

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name) {
  if (name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* event = new EventObject{manualReset != FALSE, initialState != FALSE};
  auto& e = win32::detail::events();
  std::lock_guard guard(e.lock);
  e.live.insert(event);
  return event;
}

BOOL SetEvent(HANDLE handle) {
  return win32::detail::withEvent(handle, [](auto& e, EventObject* event) {
    event->signalled = true;
    e.changed.notify_all();
  });
}

BOOL ResetEvent(HANDLE handle) {
  return win32::detail::withEvent(handle, [](auto&, EventObject* event) { event->signalled = false; });
}

BOOL CloseHandle(HANDLE handle) {
  return win32::detail::withEvent(handle, [handle](auto& e, EventObject* event) {
    e.live.erase(handle);
    delete event;
  });
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  auto& e = win32::detail::events();
  std::unique_lock guard(e.lock);
  EventObject* objects[MAXIMUM_WAIT_OBJECTS];
  for (DWORD i = 0; i < count; ++i) {
    objects[i] = win32::detail::eventOf(e, handles[i]);
    if (!objects[i]) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
  }
  DWORD index = 0;
  const auto satisfied = [&] { return win32::detail::takeSignals(objects, count, waitAll != FALSE, index); };
  if (milliseconds == INFINITE) {
    e.changed.wait(guard, satisfied);
  } else if (!e.changed.wait_for(guard, std::chrono::milliseconds(milliseconds), satisfied)) {
    return WAIT_TIMEOUT;
  }
  return WAIT_OBJECT_0 + index;
}
