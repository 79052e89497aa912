// One saver per user plays sound: a daemon starts one process per monitor (and a preview
// pane next to them), and the same music from each, a little out of step, is noise. The
// first process to take this lock plays; the others run silently. The lock is a file lock,
// so the system lets go of it when its holder ends, however it ends.
#pragma once

#include <string>

namespace sound {

class SoundLock {
public:
  SoundLock() = default;
  ~SoundLock();
  SoundLock(const SoundLock&) = delete;
  SoundLock& operator=(const SoundLock&) = delete;

  enum class Outcome { Taken, HeldElsewhere, Unavailable };
  // Takes the lock without waiting. Unavailable: no folder for the lock file could be
  // used (the caller decides; the saver then plays, as it cannot know of others).
  Outcome acquire();
  void release();
  bool held() const { return fd_ >= 0; }

  // $XDG_RUNTIME_DIR/tickwood-sound.lock, or next to the settings file without a runtime
  // folder; empty when there is neither.
  static std::string path();

private:
  int fd_ = -1;
};

} // namespace sound
